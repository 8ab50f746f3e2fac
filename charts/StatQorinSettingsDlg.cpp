#include "charts/StatQorinSettingsDlg.h"

#include <QApplication>
#include <QButtonGroup>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>

using namespace statsettings;

CQorinStatSettingsDlg::CQorinStatSettingsDlg(QWidget* parent)
    : CStatSettingsDlgBase(parent, true, QStringLiteral("Šířka klouzavého.okna pro P"),
                           QStringLiteral("Šířka klouzavého okna pro I"))
{
    auto* box = new QGroupBox(this);
    auto* form = new QFormLayout(box);
    m_instrumentFactor = Radio(QStringLiteral("Původní pož. účiník"), 1395);
    m_ownFactor = Radio(QStringLiteral("Nový pož. účiník"), 1396);
    m_powerFactor = Edit(box, 32083);
    m_steps = new QSpinBox(box);
    m_steps->setObjectName(QStringLiteral("1403"));
    m_steps->setRange(0, 30);
    m_steps->setFixedWidth(m_steps->sizeHint().height());
    m_steps->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    auto* own = new QHBoxLayout;
    own->addWidget(m_powerFactor);
    own->addWidget(m_steps);
    form->addRow(m_instrumentFactor);
    form->addRow(m_ownFactor, own);
    auto* group = new QButtonGroup(this);
    group->addButton(m_instrumentFactor, 0);
    group->addButton(m_ownFactor, 1);
    m_layout->addWidget(box);
    AddButtons();

    connect(group, &QButtonGroup::idClicked, this, [this](int id) {
        ReadFields(true);
        m_fields.powerFactorChoice = id;
        UpdateEnabling();
    });
    connect(m_steps, &QSpinBox::valueChanged, this, [this](int position) {
        m_fields.powerFactorPosition = position;
        m_powerFactor->setText(PowerFactorText(position));
    });
    m_powerFactor->installEventFilter(this);
}

void CQorinStatSettingsDlg::Load(const CQorinStatSettings& record)
{
    m_fields = statsettings::Load(record);
    ShowFields();
    (m_fields.powerFactorChoice == 0 ? m_instrumentFactor : m_ownFactor)->setChecked(true);
    ShowPowerFactor();
    UpdateEnabling();
}

void CQorinStatSettingsDlg::Store(CQorinStatSettings& record) const
{
    statsettings::Store(m_fields, record);
}

void CQorinStatSettingsDlg::ShowPowerFactor()
{
    const QSignalBlocker block(m_steps);
    m_steps->setValue(m_fields.powerFactorPosition);
    m_powerFactor->setText(PowerFactorText(m_fields.powerFactorPosition));
}

void CQorinStatSettingsDlg::UpdateEnabling()
{
    CStatSettingsDlgBase::UpdateEnabling();
    m_fields.powerFactorChoice = m_ownFactor->isChecked() ? 1 : 0;
    m_powerFactor->setEnabled(m_fields.powerFactorChoice == 1);
    m_steps->setEnabled(m_fields.powerFactorChoice == 1);
}

void CQorinStatSettingsDlg::showEvent(QShowEvent* event)
{
    ShowPowerFactor();
    CStatSettingsDlgBase::showEvent(event);
}

void CQorinStatSettingsDlg::PowerFactorLeft()
{
    bool refused = false;
    m_fields.powerFactorPosition = ParsePowerFactor(m_powerFactor->text(), refused);
    if (refused)
        QApplication::beep();
    ShowPowerFactor();
}

bool CQorinStatSettingsDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_powerFactor && event->type() == QEvent::FocusOut)
        PowerFactorLeft();
    return CStatSettingsDlgBase::eventFilter(watched, event);
}
