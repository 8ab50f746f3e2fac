#include "analysers_vk/VKArchivModes.h"

#include "archive_docs/ArchivDocBase.h"
#include "archive_docs/ArchivNavigator.h"
#include "archive/store/ArchivData.h"
#include "charts/ArchivRangeBar.h"
#include "charts/ArchivValueList.h"
#include "charts/GraphWnd.h"
#include "charts/StatPanel.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/ui/MessageBox.h"

#include <QSignalBlocker>
#include <QTabBar>

#include <algorithm>

namespace analysers_vk {

CVKArchivModes::CVKArchivModes(QWidget* view, CGraphWnd* graph, charts::CArchiveValueList* list, CStatPanel* stats)
    : m_bar(new CGraphRangeBar(view)), m_graph(graph), m_list(list), m_stats(stats)
{
    m_list->setObjectName(QString::number(kListId));
    m_bar->hide();
    m_list->hide();
    m_stats->hide();
}

QWidget* CVKArchivModes::Presentation() const
{
    switch (m_mode) {
    case kGraph: return m_graph;
    case kList: return m_list;
    case kStatistics: return m_stats;
    default: return nullptr;
    }
}

void CVKArchivModes::ShowModeTab()
{
    auto* tab = m_bar->findChild<QTabBar*>();
    if (!tab || m_mode < 0 || m_mode >= tab->count() || tab->currentIndex() == m_mode)
        return;
    const QSignalBlocker quiet(tab); // the bar would ask for the same mode again
    tab->setCurrentIndex(m_mode);
}

void CVKArchivModes::Place(const QRect& pane, bool show)
{
    QWidget* shown = show ? Presentation() : nullptr;
    for (QWidget* w : {static_cast<QWidget*>(m_graph), static_cast<QWidget*>(m_list), static_cast<QWidget*>(m_stats)})
        if (w != shown)
            w->hide();
    if (!shown) {
        m_bar->hide();
        return;
    }
    m_bar->setGeometry(pane.x(), pane.y(), pane.width(), kBarHeight);
    m_bar->show();
    const QRect below(pane.x(), pane.y() + kBarHeight, pane.width(), std::max(0, pane.height() - kBarHeight));
    if (shown == m_stats)
        m_stats->MoveTo(below);
    else
        shown->setGeometry(below);
    shown->show();
}

void CVKArchivModes::SetReady(bool ready)
{
    m_ready = ready;
    m_graph->SetReady(ready);
    m_list->SetReady(ready ? 1 : 0);
    m_stats->SetShowFlag(ready ? 1 : 0);
    if (QWidget* shown = Presentation())
        shown->update();
}

void CVKArchivModes::UpdateRange(CArchivNavigator& navigator)
{
    platform::CTime fileStart;
    platform::CTime fileEnd;
    navigator.GetFileRange(fileStart, fileEnd);
    platform::CTime from;
    platform::CTime to;
    navigator.GetWindow(from, to);
    m_bar->SetRange(fileStart, fileEnd);
    m_bar->SetLimits(from, to);
}

bool CVKArchivModes::UnchangedForPrint(QWidget* owner, CArchivDocBase& document)
{
    // A reload that keeps the window where it was still means the file is
    // not the one the list was read from.
    const bool changed = document.GetArchiv().IsFileChanged() != 0;
    if (document.ReloadIfChangedSafe() == 0 && !changed)
        return true;
    ui::ErrorBox(owner, platform::LoadString(platform::IDS_CANNOT_PRINT_CHANGED), ui::MsgButtons::Ok,
                 ui::MsgIcon::Warning);
    return false;
}

} // namespace analysers_vk
