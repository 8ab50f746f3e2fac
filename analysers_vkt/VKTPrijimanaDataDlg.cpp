#include "analysers_vkt/VKTPrijimanaDataDlg.h"

#include "link/Pristroj.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace analysers_vkt {

namespace {

const char* const kTexts[8] = {"L1", "L2", "L3", "N", "U, I, P, Q, cos, THDU, THDI", "Harmonické od napětí",
                               "Harmonické od proudu", "Včetně sudých"};

} // namespace

CVKTPrijimanaDataDlg::CVKTPrijimanaDataDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Přijímaná data"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Zadejte přijímané veličiny:")));
    auto* phases = new QHBoxLayout;
    for (int bit = 0; bit < 8; ++bit) {
        m_boxes[std::size_t(bit)] = new QCheckBox(QString::fromUtf8(kTexts[bit]));
        if (bit < 4)
            phases->addWidget(m_boxes[std::size_t(bit)]);
    }
    layout->addLayout(phases);
    for (int bit = 4; bit < 8; ++bit)
        layout->addWidget(m_boxes[std::size_t(bit)]);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void CVKTPrijimanaDataDlg::SetMask(std::uint32_t word)
{
    for (int bit = 0; bit < 8; ++bit)
        m_boxes[std::size_t(bit)]->setChecked((word >> bit & 1) != 0);
}

std::uint32_t CVKTPrijimanaDataDlg::GetMask(std::uint32_t previous) const
{
    std::uint32_t low = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (m_boxes[std::size_t(bit)]->isChecked())
            low |= 1u << bit;
    return (previous & ~0xFFu) | low;
}

std::uint32_t StoreReceivedChoice(CPristroj& entry, const CVKTPrijimanaDataDlg& dialog)
{
    DWORD expected = entry.GetValueMask();
    DWORD desired = dialog.GetMask(expected);
    while (!entry.ExchangeValueMask(expected, desired))
        desired = dialog.GetMask(expected);
    return desired;
}

void OpenVKTPrijimanaData(QWidget* parent, CPristroj& entry)
{
    CVKTPrijimanaDataDlg dialog(parent);
    dialog.SetMask(entry.GetValueMask());
    if (dialog.exec() != QDialog::Accepted)
        return;
    StoreReceivedChoice(entry, dialog);
    entry.Host().SaveDeviceSettings(entry);
}

} // namespace analysers_vkt
