#include "charts/StatTabCtrl.h"

#include "platform/StringTable.h"

#include <QTabBar>
#include <QVBoxLayout>

CStatTabCtrl::CStatTabCtrl(bool vkr, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("1502"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_quantities = new CStatQuantityTabs(vkr, this);
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
    // Without results the tabs are named "Strana n".
    m_count = std::max(count, 0);
    Rebuild(results != nullptr);
}

void CStatTabCtrl::SetResults(std::vector<const CVKStatResult*> results)
{
    m_results = std::move(results);
    m_count = int(m_results.size());
    Rebuild(true);
}

void CStatTabCtrl::Rebuild(bool withResults)
{
    m_selected = 0;
    m_filling = true;
    while (m_segments->count() > 0)
        m_segments->removeTab(0);
    for (int i = 0; i < m_count; ++i) {
        const QString text = withResults ? m_results[std::size_t(i)]->tail.startText
                                     : platform::LoadString(platform::IDS_STAT_PAGE_N).replace(QLatin1String("%d"),
                                                                                                QString::number(i));
        m_segments->addTab(text);
    }
    m_filling = false;
    // The settings button edits the settings the first result points to.
    auto* settings =
        !m_results.empty() ? const_cast<CVKFamilyStatSettings*>(m_results.front()->settings) : nullptr;
    m_quantities->Period().SetSettings(settings, [this] { OnSettingsChanged(); });
    OnSelChange();
}

void CStatTabCtrl::OnSelChange()
{
    const int s = m_segments->currentIndex();
    if (s >= 0 && s < int(m_results.size()))
        m_quantities->SetResult(m_results[std::size_t(s)]);
    else
        m_quantities->SetResult(nullptr);
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
