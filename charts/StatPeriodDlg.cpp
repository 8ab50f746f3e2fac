#include "charts/StatPeriodDlg.h"

#include "charts/StatQorinSettingsDlg.h"
#include "charts/StatSettingsDlg.h"
#include "platform/StringTable.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

namespace {

// The family's settings dialog over `record`, stored back on OK.
template <class Dialog, class Record>
bool RunSettings(QWidget* owner, Record* record)
{
    if (!record)
        return false;
    Dialog dialog(owner);
    dialog.Load(*record);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dialog.Store(*record);
    return true;
}

} // namespace

CArchivePeriodDlg::CArchivePeriodDlg(int kind, QWidget* parent) : QWidget(parent), m_kind(kind)
{
    m_grid = new QGridLayout(this);
    m_grid->setContentsMargins(4, 4, 4, 4);
    m_settings = new QToolButton(this);
    m_settings->setObjectName(QStringLiteral("32015"));
    m_settings->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    m_settings->setToolTip(platform::LoadString(platform::IDS_TIP_STAT_SETTINGS));
    m_grid->addWidget(m_settings, m_rows++, 1, Qt::AlignRight);
    m_start = AddField(32017, 32024, QStringLiteral("Sledované období od:"));
    m_end = AddField(32022, 32079, QStringLiteral("do:"));
    m_total = AddField(32018, 32025, QStringLiteral("Celkem:"));
    m_duration = AddField(32019, 32026, QStringLiteral("Doba archivního zázn.:"));
    m_interval = AddField(32021, 32028, QStringLiteral("Interval záznamu:"));
    m_grid->setRowStretch(100, 1);
    connect(m_settings, &QToolButton::clicked, this, &CArchivePeriodDlg::OnSettings);
}

QLineEdit* CArchivePeriodDlg::AddField(int id, int labelId, const QString& label)
{
    auto* caption = new QLabel(label, this);
    caption->setObjectName(QString::number(labelId));
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::number(id));
    edit->setReadOnly(true);
    m_grid->addWidget(caption, m_rows++, 0, 1, 2);
    m_grid->addWidget(edit, m_rows++, 0, 1, 2);
    return edit;
}

void CArchivePeriodDlg::UpdateData()
{
    m_start->setText(periodStart);
    m_end->setText(periodEnd);
    m_total->setText(total);
    m_duration->setText(recordDuration);
    m_interval->setText(recordInterval);
}

void CArchivePeriodDlg::SetSettings(CVKFamilyStatSettings* settings, std::function<void()> recompute)
{
    m_record = settings;
    m_recompute = std::move(recompute);
}

bool CArchivePeriodDlg::EditSettings()
{
    return RunSettings<CStatSettingsDlg>(window(), m_record);
}

void CArchivePeriodDlg::OnSettings()
{
    if (EditSettings() && m_recompute)
        m_recompute();
}

CVKRPeriodDlg::CVKRPeriodDlg(QWidget* parent) : CArchivePeriodDlg(kVK, parent) {}

bool CVKRPeriodDlg::EditSettings()
{
    return RunSettings<CStatSettingsDlg2>(window(), Record());
}

CQorinPeriodDlg::CQorinPeriodDlg(QWidget* parent) : CArchivePeriodDlg(kVK, parent)
{
    m_powerFactor = AddField(32023, 32029, QStringLiteral("Pož. účiník (nový/původní):"));
}

void CQorinPeriodDlg::UpdateData()
{
    CArchivePeriodDlg::UpdateData();
    m_powerFactor->setText(powerFactor);
}

void CQorinPeriodDlg::SetSettings(CQorinStatSettings* settings, std::function<void()> recompute)
{
    m_qorinRecord = settings;
    SetRecompute(std::move(recompute));
}

bool CQorinPeriodDlg::EditSettings()
{
    return RunSettings<CQorinStatSettingsDlg>(window(), m_qorinRecord);
}
