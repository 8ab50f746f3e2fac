#include "charts/StatTabCtrl.h"

#include "platform/StringTable.h"

#include <QTabBar>
#include <QVBoxLayout>

CStatTabCtrl::CStatTabCtrl(int family, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("1502"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_quantities = new CStatQuantityTabs(family, this);
    m_segments = new QTabBar(this);
    m_segments->setShape(QTabBar::RoundedSouth);
    layout->addWidget(m_quantities, 1);
    layout->addWidget(m_segments);
    connect(m_segments, &QTabBar::currentChanged, this, [this] {
        if (!m_filling)
            OnSelChange();
    });
    m_quantities->Period().SetSettings(nullptr, {});
}

void CStatTabCtrl::SetResults(int count, const CVKStatResult* results)
{
    std::vector<const CVKStatResult*> each;
    for (int i = 0; results && i < count; ++i)
        each.push_back(&results[i]);
    m_results = std::move(each);
    m_vktResults.clear();
    m_qorinResults.clear();
    // Without results the tabs are named "Strana n".
    m_count = std::max(count, 0);
    Rebuild(results != nullptr);
}

void CStatTabCtrl::SetResults(std::vector<const CVKStatResult*> results)
{
    m_results = std::move(results);
    m_vktResults.clear();
    m_qorinResults.clear();
    m_count = int(m_results.size());
    Rebuild(true);
}

void CStatTabCtrl::SetResults(std::vector<const CVKTStatResult*> results)
{
    m_vktResults = std::move(results);
    m_results.clear();
    m_qorinResults.clear();
    m_count = int(m_vktResults.size());
    Rebuild(true);
}

void CStatTabCtrl::SetResults(std::vector<const CQorinStatResult*> results)
{
    m_qorinResults = std::move(results);
    m_results.clear();
    m_vktResults.clear();
    m_count = int(m_qorinResults.size());
    Rebuild(true);
}

const charts::stats::CStatTail* CStatTabCtrl::TailOf(int segment) const
{
    const auto i = std::size_t(segment);
    if (i < m_results.size())
        return &m_results[i]->tail;
    if (i < m_vktResults.size())
        return &m_vktResults[i]->tail;
    if (i < m_qorinResults.size())
        return &m_qorinResults[i]->tail;
    return nullptr;
}

void CStatTabCtrl::Rebuild(bool withResults)
{
    m_selected = 0;
    m_filling = true;
    while (m_segments->count() > 0)
        m_segments->removeTab(0);
    for (int i = 0; i < m_count; ++i) {
        const QString text = withResults ? TailOf(i)->startText
                                     : platform::LoadString(platform::IDS_STAT_PAGE_N).replace(QLatin1String("%d"),
                                                                                                QString::number(i));
        m_segments->addTab(text);
    }
    m_filling = false;
    // The settings button edits the settings the first result points to.
    const CVKFamilyStatSettings* first = !m_results.empty()      ? m_results.front()->settings
                                         : !m_vktResults.empty() ? m_vktResults.front()->settings
                                                                 : nullptr;
    auto* settings = const_cast<CVKFamilyStatSettings*>(first);
    m_quantities->Period().SetSettings(settings, [this] { OnSettingsChanged(); });
    if (CQorinPeriodDlg* period = m_quantities->QorinPeriod()) {
        const CQorinStatSettings* qorin = m_qorinResults.empty() ? nullptr : m_qorinResults.front()->settings;
        period->SetSettings(const_cast<CQorinStatSettings*>(qorin), [this] { OnSettingsChanged(); });
    }
    OnSelChange();
}

void CStatTabCtrl::OnSelChange()
{
    const int s = m_segments->currentIndex();
    const auto at = std::size_t(s);
    if (s >= 0 && at < m_qorinResults.size())
        m_quantities->SetResult(m_qorinResults[at]);
    else if (s >= 0 && at < m_vktResults.size())
        m_quantities->SetResult(m_vktResults[at]);
    else if (s >= 0 && at < m_results.size())
        m_quantities->SetResult(m_results[at]);
    else {
        m_quantities->SetResult(static_cast<const CQorinStatResult*>(nullptr));
        m_quantities->SetResult(static_cast<const CVKTStatResult*>(nullptr));
        m_quantities->SetResult(static_cast<const CVKStatResult*>(nullptr));
    }
    m_selected = std::max(s, 0);
    emit segmentSelected(m_selected);
}

void CStatTabCtrl::UpdateTab()
{
    m_quantities->ForceRebuild();
    m_quantities->ShowSelectedTab();
}

void CStatTabCtrl::OnSettingsChanged()
{
    if (m_refresh)
        m_refresh();
    UpdateTab();
}
