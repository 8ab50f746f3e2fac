#include "analysers_vk/VKRZobrazeneVelicinyDlg.h"

#include <QCheckBox>

namespace analysers_vk {

CVKRZobrazeneVelicinyDlg::CVKRZobrazeneVelicinyDlg(QWidget* parent) : CVKZobrazeneVelicinyDlg(parent)
{
    Relays()->setText(QStringLiteral("Zobrazit stav výstupů"));
}

bool CVKRZobrazeneVelicinyDlg::TemperatureAvailable(const CVKGrafAktual&) const
{
    return true;
}

} // namespace analysers_vk
