#include "controllers/ControllerSettings.h"

#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"
#include "controllers/settings/ControllerIo.h"
#include "controllers/settings/DuskarDetail.h"
#include "controllers/settings/PristrojDetail.h"
#include "controllers/settings/SwitchStatsDlg.h"
#include "link/Pristroj.h"
#include "link/PristrojLinkBracket.h"
#include "platform/StringTable.h"

namespace controllers {

QString SettingsTitle(const QString& instrumentName)
{
    return platform::LoadString(platform::IDS_DEVICE_SETTINGS) + QStringLiteral(" (") + instrumentName
         + QStringLiteral(")");
}

namespace {

template <class Sheet>
void RunLoop(QWidget* parent, IControllerIo& io, QPointer<QDialog>* shown)
{
    Sheet sheet(SettingsTitle(io.Name()), parent);
    if (shown)
        *shown = &sheet;
    int result = 0;
    while (sheet.ReadFromInstrument(io, result)) {
        result = sheet.DoModal();
        if (result != ui::CPropertySheet::IdOk)
            break;
    }
}

} // namespace

void RunSettingsLoop(QWidget* parent, IControllerIo& io, int type, QPointer<QDialog>* sheet)
{
    if (type == CPristroj::kQorin)
        RunLoop<CPristrojDetail>(parent, io, sheet);
    else if (type == CPristroj::kDuskar)
        RunLoop<CDuskarDetail>(parent, io, sheet);
    if (sheet)
        *sheet = nullptr;
}

void OpenControllerSettings(QWidget* parent, CPristroj& entry)
{
    CPristrojLinkBracket link(entry);
    CPristrojIo io(entry);
    RunSettingsLoop(parent, io, entry.GetType());
}

void OpenControllerSettings(QWidget* parent, CPristroj& entry, QPointer<QDialog>& sheet)
{
    CPristrojLinkBracket link(entry);
    CPristrojIo io(entry);
    RunSettingsLoop(parent, io, entry.GetType(), &sheet);
}

bool OpenArchiveSettings(QWidget* parent, CArchivData* archive)
{
    const QString title = platform::LoadString(platform::IDS_DEVICE_SETTINGS);
    if (auto* qorin = dynamic_cast<CQorinArchivData*>(archive)) {
        CPristrojDetailStatic sheet(title, parent);
        if (!sheet.LoadFromArchive(*qorin))
            return false;
        sheet.DoModal();
        return true;
    }
    if (auto* duskar = dynamic_cast<CDuskarArchivData*>(archive)) {
        CDuskarDetailStatic sheet(title, parent);
        if (!sheet.LoadFromArchive(*duskar))
            return false;
        sheet.DoModal();
        return true;
    }
    return false;
}

void OpenSwitchStatistics(QWidget* parent, CPristroj& entry)
{
    CPristrojIo io(entry);
    RunSwitchStatistics(parent, io);
}

void OpenSpecialFunctions(QWidget* parent, CPristroj& entry)
{
    CPristrojIo io(entry);
    RunSpecialFunctions(parent, io, entry.GetType() == CPristroj::kDuskar ? 1 : 0);
}

} // namespace controllers
