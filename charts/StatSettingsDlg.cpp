#include "charts/StatSettingsDlg.h"

#include "platform/ui/MessageBox.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace statsettings;

CStatSettingsDlgBase::CStatSettingsDlgBase(QWidget* parent, bool qorin, const QString& windowPLabel,
                                           const QString& windowUILabel)
    : QDialog(parent), m_qorin(qorin)
{
    setWindowTitle(QStringLiteral("Nastavení statistiky"));
    m_layout = new QVBoxLayout(this);
    m_form = new QFormLayout;
    m_layout->addLayout(m_form);
    m_window1 = new QComboBox(this);
    m_window1->setObjectName(QStringLiteral("32077"));
    m_window1->addItems(WindowNames());
    m_window2 = new QComboBox(this);
    m_window2->setObjectName(QStringLiteral("32078"));
    m_window2->addItems(WindowNames());
    m_form->addRow(windowUILabel, m_window1);
    m_form->addRow(windowPLabel, m_window2);

    auto* voltageBox = new QGroupBox(this);
    auto* voltageGrid = new QFormLayout(voltageBox);
    m_lineToNeutral = Radio(QStringLiteral("L-N"), 1393);
    m_lineToLine = Radio(QStringLiteral("L-L"), 1394);
    m_voltageNeutral = Edit(this, 1397);
    m_voltageLine = Edit(this, 32084);
    voltageGrid->addRow(m_lineToNeutral, m_voltageNeutral);
    voltageGrid->addRow(m_lineToLine, m_voltageLine);
    voltageGrid->insertRow(0, new QLabel(QStringLiteral("Unom [V] :")));
    auto* voltageGroup = new QButtonGroup(this);
    voltageGroup->addButton(m_lineToNeutral, kLineToNeutral);
    voltageGroup->addButton(m_lineToLine, kLineToLine);
    m_layout->addWidget(voltageBox);

    m_power3 = Edit(this, 1398);
    m_current = Edit(this, 32081);
    m_current->setReadOnly(true);
    if (qorin) {
        m_form->addRow(QStringLiteral("Pnom 3F [KVA] :"), m_power3);
    } else {
        auto* powerBox = new QGroupBox(this);
        auto* powerGrid = new QFormLayout(powerBox);
        m_threePhase = Radio(QStringLiteral("3f"), 1395);
        m_onePhase = Radio(QStringLiteral("1f"), 1396);
        m_powerPhase = Edit(this, 32089);
        powerGrid->insertRow(0, new QLabel(QStringLiteral("Pnom [kVA]:")));
        powerGrid->addRow(m_threePhase, m_power3);
        powerGrid->addRow(m_onePhase, m_powerPhase);
        auto* phaseGroup = new QButtonGroup(this);
        phaseGroup->addButton(m_threePhase, kThreePhase);
        phaseGroup->addButton(m_onePhase, kOnePhase);
        m_layout->addWidget(powerBox);
        connect(phaseGroup, &QButtonGroup::idClicked, this, [this](int id) {
            ReadFields(true);
            m_fields.phase = id;
            UpdateEnabling();
        });
        connect(m_powerPhase, &QLineEdit::textEdited, this, [this] { OnPowerEdited(m_powerPhase); });
    }
    m_form->addRow(QStringLiteral("Inom [A]:"), m_current);
    connect(voltageGroup, &QButtonGroup::idClicked, this, [this](int id) {
        ReadFields(true);
        m_fields.voltage = id;
        UpdateEnabling();
    });
    connect(m_voltageNeutral, &QLineEdit::textEdited, this, [this] { OnVoltageEdited(m_voltageNeutral); });
    connect(m_voltageLine, &QLineEdit::textEdited, this, [this] { OnVoltageEdited(m_voltageLine); });
    connect(m_power3, &QLineEdit::textEdited, this, [this] { OnPowerEdited(m_power3); });
}

QLineEdit* CStatSettingsDlgBase::Edit(QWidget* parent, int id)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::number(id));
    return edit;
}

QRadioButton* CStatSettingsDlgBase::Radio(const QString& text, int id)
{
    auto* radio = new QRadioButton(text);
    radio->setObjectName(QString::number(id));
    return radio;
}

void CStatSettingsDlgBase::AddButtons()
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Storno"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_layout->addWidget(buttons);
}

void CStatSettingsDlgBase::ShowFields()
{
    m_window1->setCurrentIndex(m_fields.window1);
    m_window2->setCurrentIndex(m_fields.window2);
    const auto put = [this](QLineEdit* edit, float value) {
        // The field being typed in keeps the user's text.
        if (edit && edit != m_typing)
            edit->setText(FloatText(value));
    };
    put(m_current, m_fields.current);
    put(m_power3, m_fields.power3);
    put(m_powerPhase, m_fields.powerPhase);
    put(m_voltageLine, m_fields.voltageLine);
    put(m_voltageNeutral, m_fields.voltageNeutral);
    (m_fields.voltage == kLineToLine ? m_lineToLine : m_lineToNeutral)->setChecked(true);
    if (m_threePhase)
        (m_fields.phase == kOnePhase ? m_onePhase : m_threePhase)->setChecked(true);
}

bool CStatSettingsDlgBase::ReadFields(bool quiet)
{
    m_fields.window1 = std::max(m_window1->currentIndex(), 0);
    m_fields.window2 = std::max(m_window2->currentIndex(), 0);
    const auto read = [](QLineEdit* edit, float& value) {
        bool ok = false;
        const float v = edit ? edit->text().trimmed().toFloat(&ok) : 0.0f;
        if (ok)
            value = v;
        return ok || !edit;
    };
    bool numbers = read(m_power3, m_fields.power3);
    numbers &= read(m_powerPhase, m_fields.powerPhase);
    numbers &= read(m_voltageLine, m_fields.voltageLine);
    numbers &= read(m_voltageNeutral, m_fields.voltageNeutral);
    m_fields.voltage = m_lineToLine->isChecked() ? kLineToLine : kLineToNeutral;
    if (m_threePhase)
        m_fields.phase = m_onePhase->isChecked() ? kOnePhase : kThreePhase;
    QString problem = numbers ? RangeProblem(m_fields, m_qorin) : QStringLiteral("Zadejte číslo.");
    if (problem.isEmpty())
        return true;
    if (!quiet)
        ui::ErrorBox(this, problem);
    return false;
}

void CStatSettingsDlgBase::UpdateEnabling()
{
    m_voltageNeutral->setEnabled(m_fields.voltage == kLineToNeutral);
    m_voltageLine->setEnabled(m_fields.voltage == kLineToLine);
    if (m_threePhase) {
        m_power3->setEnabled(m_fields.phase == kThreePhase);
        m_powerPhase->setEnabled(m_fields.phase == kOnePhase);
    }
}

void CStatSettingsDlgBase::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    UpdateEnabling();
}

void CStatSettingsDlgBase::accept()
{
    if (ReadFields(false))
        QDialog::accept();
}

void CStatSettingsDlgBase::OnVoltageEdited(QLineEdit* edit)
{
    QLineEdit* active = m_fields.voltage == kLineToLine ? m_voltageLine : m_voltageNeutral;
    if (edit != active || IsHalfTyped(active->text(), VoltageZeroTexts()))
        return;
    ReadFields(true);
    VoltageEdited(m_fields, m_qorin);
    m_typing = edit;
    ShowFields();
    m_typing = nullptr;
}

void CStatSettingsDlgBase::OnPowerEdited(QLineEdit* edit)
{
    if (m_qorin) {
        if (IsHalfTyped(m_power3->text(), PowerZeroTexts()))
            return;
        ReadFields(true);
        QorinPowerEdited(m_fields);
        m_typing = edit;
        ShowFields();
        m_typing = nullptr;
        return;
    }
    const bool onePhase = m_fields.phase == kOnePhase;
    QLineEdit* active = onePhase ? m_powerPhase : m_power3;
    if (edit != active || IsHalfTyped(active->text(), onePhase ? PowerPhaseZeroTexts() : PowerZeroTexts()))
        return;
    ReadFields(true);
    PowerEdited(m_fields);
    m_typing = edit;
    ShowFields();
    m_typing = nullptr;
}

// ---- VK, VKT and VKR ----------------------------------------------------------

CStatSettingsDlg::CStatSettingsDlg(QWidget* parent)
    : CStatSettingsDlg(parent, QStringLiteral("Šířka klouzavého okna pro P"), true)
{
}

CStatSettingsDlg::CStatSettingsDlg(QWidget* parent, const QString& windowPLabel, bool harmonics)
    : CStatSettingsDlgBase(parent, false, windowPLabel, QStringLiteral("Šířka klouzavého okna pro U,I"))
{
    if (harmonics) {
        // Choices the statistics do not offer yet: shown, never read.
        auto* box = new QGroupBox(this);
        auto* form = new QFormLayout(box);
        auto* kind = new QComboBox(box);
        kind->setObjectName(QStringLiteral("1399"));
        kind->addItems({QStringLiteral("ne"), QStringLiteral("U"), QStringLiteral("I"), QStringLiteral("U a I")});
        auto* parity = new QComboBox(box);
        parity->setObjectName(QStringLiteral("1400"));
        parity->addItems({QStringLiteral("sudé"), QStringLiteral("liché"), QStringLiteral("sudé a liché")});
        auto* order = new QSpinBox(box);
        order->setObjectName(QStringLiteral("1402"));
        auto* frequency = new QHBoxLayout;
        frequency->addWidget(Radio(QStringLiteral("50 Hz"), 32071));
        frequency->addWidget(Radio(QStringLiteral("60 Hz"), 32072));
        auto* recording = new QComboBox(box);
        recording->setObjectName(QStringLiteral("1401"));
        recording->addItems({QStringLiteral("vše"), QStringLiteral("On-Line"), QStringLiteral("Off-Line")});
        form->addRow(QStringLiteral("Harmonické:"), kind);
        form->addRow(QString(), parity);
        form->addRow(QStringLiteral("Do řádu:"), order);
        form->addRow(QStringLiteral("Frekvence:"), frequency);
        form->addRow(QStringLiteral("Způsob záznamu:"), recording);
        box->setEnabled(false);
        m_layout->addWidget(box);
    }
    AddButtons();
}

void CStatSettingsDlg::Load(const CVKFamilyStatSettings& record)
{
    m_fields = statsettings::Load(record);
    ShowFields();
    UpdateEnabling();
}

void CStatSettingsDlg::Store(CVKFamilyStatSettings& record) const
{
    statsettings::Store(m_fields, record);
}

CStatSettingsDlg2::CStatSettingsDlg2(QWidget* parent)
    : CStatSettingsDlg(parent, QStringLiteral("Šířka klouzavého.okna pro P"), false)
{
}
