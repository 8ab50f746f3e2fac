#include "controllers/settings/SwitchStatsDlg.h"

#include "model/DuskarConfig.h"
#include "platform/StringTable.h"
#include "platform/ui/HtmlHelp.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace controllers {

int ExecDialog(QDialog& dialog)
{
    return dialog.exec();
}

namespace {

QDialogButtonBox* SendButtons(QDialog* dialog, const QString& cancelText)
{
    auto* buttons = new QDialogButtonBox(dialog);
    QPushButton* send = buttons->addButton(QStringLiteral("Odeslat do přístroje"), QDialogButtonBox::AcceptRole);
    send->setObjectName(QStringLiteral("1"));
    QPushButton* cancel = buttons->addButton(cancelText, QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("2"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

CSwitchStatsDlg::CSwitchStatsDlg(QWidget* parent) : QDialog(parent)
{
    ui::SetHelpId(this, 179);
    setWindowTitle(QStringLiteral("Statistika spínání"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Počet sepnutí"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Nulovat"), this), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Doba sepnutí"), this), 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Nulovat"), this), 0, 4);
    for (int i = 0; i < kSteps; ++i) {
        grid->addWidget(new QLabel(QStringLiteral("%1.").arg(i + 1), this), i + 1, 0);
        m_count[i] = new QLineEdit(this);
        m_count[i]->setObjectName(QString::number(1016 + i));
        m_countReset[i] = new QCheckBox(this);
        m_countReset[i]->setObjectName(QString::number(1030 + i));
        m_time[i] = new QLineEdit(this);
        m_time[i]->setObjectName(QString::number(1044 + i));
        m_timeReset[i] = new QCheckBox(this);
        m_timeReset[i]->setObjectName(QString::number(1058 + i));
        for (QLineEdit* e : {m_count[i], m_time[i]}) {
            e->setReadOnly(true);
            e->setFixedWidth(90);
            e->setAlignment(Qt::AlignRight);
        }
        grid->addWidget(m_count[i], i + 1, 1);
        grid->addWidget(m_countReset[i], i + 1, 2);
        grid->addWidget(m_time[i], i + 1, 3);
        grid->addWidget(m_timeReset[i], i + 1, 4);
    }
    layout->addLayout(grid);
    layout->addWidget(SendButtons(this, QStringLiteral("Storno")));
}

void CSwitchStatsDlg::SetRecords(const CStageSwitchStats& stats, const CStageSwitchState& state)
{
    m_stats = stats;
    m_state = state;
    ShowRecords();
}

BOOL CSwitchStatsDlg::ReadFromInstrument(IControllerIo& io)
{
    CStageSwitchStats stats;
    CStageSwitchState state;
    if (!io.ReadSwitchingStatistics(stats, state))
        return FALSE;
    m_stats = stats;
    m_state = state;
    return TRUE;
}

void CSwitchStatsDlg::ShowRecords()
{
    const bool times = m_state.HasStageTimeCounters() != 0;
    const int model = m_state.model;
    for (int i = 0; i < kSteps; ++i) {
        m_countReset[i]->setChecked(false);
        m_timeReset[i]->setChecked(false);
        const bool hidden = ((model == 1 || model == 2) && i < 6) || ((model == 3 || model == 5) && i >= 6);
        m_count[i]->setText(hidden ? QStringLiteral("--") : QString::number(m_stats.GetSwitchCount(i, m_state)));
        m_time[i]->setText(hidden || !times ? QStringLiteral("--") : QString::number(m_stats.GetOnTimeHours(i)));
        m_countReset[i]->setEnabled(!hidden);
        m_timeReset[i]->setEnabled(!hidden && times);
    }
}

CControllerAlarms CSwitchStatsDlg::BuildResetCommand() const
{
    CControllerAlarms command;
    const bool times = m_state.HasStageTimeCounters() != 0;
    for (int i = 0; i < kSteps; ++i) {
        if (m_countReset[i]->isChecked())
            command.V1 = WORD(command.V1 | (1u << i));
        if (times && m_timeReset[i]->isChecked())
            command.V3 = WORD(command.V3 | (1u << i));
    }
    command.payloadLength = times ? 6 : 4;
    return command;
}

BOOL CSwitchStatsDlg::SendToInstrument(IControllerIo& io)
{
    return io.SendControllerCommand(BuildResetCommand());
}

CSpecialniFunkceDlg::CSpecialniFunkceDlg(QWidget* parent) : QDialog(parent)
{
    ui::SetHelpId(this, 180);
    setWindowTitle(QStringLiteral("Speciální funkce"));
    auto* layout = new QVBoxLayout(this);
    m_regulate = new QCheckBox(QStringLiteral("Přepnout do regulace "), this);
    m_regulate->setObjectName(QStringLiteral("1017"));
    m_reinit = new QCheckBox(QStringLiteral("Provést reinicializaci"), this);
    m_reinit->setObjectName(QStringLiteral("1018"));
    m_lock = new QCheckBox(QStringLiteral("Zamknout přístroj"), this);
    m_lock->setObjectName(QStringLiteral("1016"));
    layout->addWidget(m_regulate);
    layout->addWidget(m_reinit);
    layout->addWidget(m_lock);
    layout->addWidget(SendButtons(this, QStringLiteral("Konec")));
}

void CSpecialniFunkceDlg::SetState(BOOL regulating, BOOL locked)
{
    m_regulating = regulating;
    m_locked = locked;
}

BOOL CSpecialniFunkceDlg::ReadState(IControllerIo& io, int kind)
{
    BYTE mode = 0;
    if (kind == 0) {
        CConfig config;
        if (!io.ReadQorinConfig(config))
            return FALSE;
        mode = config.mode;
    } else {
        CDuskarConfig config;
        if (!io.ReadDuskarConfig(config))
            return FALSE;
        mode = config.mode;
    }
    SetState((mode & 0x01) ? TRUE : FALSE, (mode & 0x08) ? TRUE : FALSE);
    return TRUE;
}

void CSpecialniFunkceDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_regulate->setEnabled(!m_regulating);
    m_lock->setEnabled(!m_locked);
}

CControllerAlarms CSpecialniFunkceDlg::BuildCommand() const
{
    CControllerAlarms command;
    WORD word = 8;
    if (m_lock->isChecked())
        word += 1;
    if (m_regulate->isChecked())
        word += 2;
    if (m_reinit->isChecked())
        word += 4;
    command.V2 = word;
    command.payloadLength = 4;
    return command;
}

BOOL CSpecialniFunkceDlg::SendCommand(IControllerIo& io)
{
    return io.SendControllerCommand(BuildCommand());
}

namespace {

void NotResponding(QWidget* parent, const QString& text)
{
    ui::ErrorBox(parent, text, ui::MsgButtons::Ok, ui::MsgIcon::Error);
}

} // namespace

void RunSwitchStatistics(QWidget* parent, IControllerIo& io, const ShowDialog& show)
{
    CSwitchStatsDlg dialog(parent);
    if (!RunInstrumentTask(parent, [&] { return RetryThreeTimes(io, [&] { return dialog.ReadFromInstrument(io); }); })) {
        NotResponding(parent, platform::LoadString(platform::IDS_NOT_RESPONDING_CANNOT_DO));
        return;
    }
    dialog.ShowRecords();
    if (show(dialog) != QDialog::Accepted)
        return;
    const CControllerAlarms command = dialog.BuildResetCommand();
    if (!RunInstrumentTask(parent, [&] { return RetryThreeTimes(io, [&] { return io.SendControllerCommand(command); }); }))
        NotResponding(parent, platform::LoadString(platform::IDS_NOT_RESPONDING_RESET_UNCONFIRMED));
}

void RunSpecialFunctions(QWidget* parent, IControllerIo& io, int kind, const ShowDialog& show)
{
    CSpecialniFunkceDlg dialog(parent);
    if (!RunInstrumentTask(parent, [&] { return RetryThreeTimes(io, [&] { return dialog.ReadState(io, kind); }); })) {
        NotResponding(parent, platform::LoadString(platform::IDS_NOT_RESPONDING_CANNOT_DO));
        return;
    }
    if (show(dialog) != QDialog::Accepted)
        return;
    if (ui::InfoBox(parent, platform::LoadString(platform::IDS_ASK_SEND_SETTINGS), ui::MsgButtons::YesNo,
                    ui::MsgIcon::Question)
        != ui::MsgAnswer::Yes)
        return;
    const CControllerAlarms command = dialog.BuildCommand();
    if (!RunInstrumentTask(parent, [&] { return RetryThreeTimes(io, [&] { return io.SendControllerCommand(command); }); }))
        NotResponding(parent, platform::LoadString(platform::IDS_NOT_RESPONDING_RESET_UNCONFIRMED));
}

} // namespace controllers
