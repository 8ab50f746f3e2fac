#include "shell/PristrojInfoDlg.h"

#include "link/Pristroj.h"
#include "model/Iden.h"
#include "platform/StringTable.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/InstrumentTask.h"
#include "platform/ui/MessageBox.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

CPristrojInfoSource CPristrojInfoSource::Of(CPristroj& entry)
{
    CPristrojInfoSource source;
    CPristroj* e = &entry;
    source.identify = [e](CIden& iden, QString& errorText) {
        int probe = 0;
        return CPristroj::IdentifyInstrument(e->LinkManager(), iden, e->m_com, WORD(e->m_adresa), e->m_telCislo,
                                             errorText, probe)
               != 0;
    };
    source.readNoteBook = [e](QString& objectName, QString& recordName) {
        e->ReadNoteBook(objectName, recordName);
    };
    return source;
}

bool GatherPristrojInfo(const CPristrojInfoSource& source, CPristrojInfo& info, QString& errorText)
{
    CIden iden;
    if (!source.identify || !source.identify(iden, errorText))
        return false;
    info.description = iden.GetDescription();
    // These models do not tell their serial number.
    const bool noSerial = info.description == platform::LoadString(platform::IDS_DESCRIPTION_VKR)
                          || info.description == platform::LoadString(platform::IDS_DESCRIPTION_VKN);
    info.serialNumber = noSerial ? platform::LoadString(platform::IDS_CANNOT_DETERMINE) : iden.GetSerialNumberText();
    info.firmware = iden.GetVersionText();
    if (source.readNoteBook)
        source.readNoteBook(info.objectName, info.recordName);
    return true;
}

CPristrojInfoDlg::CPristrojInfoDlg(const CPristrojInfo& info, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Informace o přístroji"));
    auto* top = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    const QString labels[5] = {QStringLiteral("Typ přístroje:"), QStringLiteral("Výrobní čislo:"),
                               QStringLiteral("Verze firmware:"), QStringLiteral("Název záznamu:"),
                               QStringLiteral("Název objektu:")};
    const QString values[5] = {info.description, info.serialNumber, info.firmware, info.recordName, info.objectName};
    for (int r = 0; r < 5; ++r) {
        grid->addWidget(new QLabel(labels[r], this), r, 0);
        m_fields[r] = new QLabel(values[r], this);
        m_fields[r]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(m_fields[r], r, 1);
    }
    grid->setColumnStretch(1, 1);
    top->addLayout(grid);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    top->addWidget(buttons);
    resize(ui::DluToPixels(QSize(220, 111), font()));
}

void CPristrojInfoDlg::Run(QWidget* parent, const CPristrojInfoSource& source)
{
    CPristrojInfo info;
    QString error;
    const bool ok = ui::RunInstrumentTask(parent, [&] { return GatherPristrojInfo(source, info, error); });
    if (!ok) {
        ui::ErrorBox(parent, error.isEmpty() ? platform::LoadString(platform::IDS_DEVICE_NOT_RESPONDING) : error,
                     ui::MsgButtons::Ok, ui::MsgIcon::Warning);
        return;
    }
    CPristrojInfoDlg dialog(info, parent);
    dialog.exec();
}

QString CPristrojInfoDlg::FieldText(int row) const
{
    return row >= 0 && row < 5 ? m_fields[row]->text() : QString();
}
