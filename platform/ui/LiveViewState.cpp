#include "platform/ui/LiveViewState.h"

#include "platform/ThreadMessages.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/MdiFrame.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSize>

#include <algorithm>
#include <iterator>

namespace ui {

namespace {

constexpr int kUnset = 0x7FFFFFFF;
constexpr const char* kPaneKeys[] = {"isAlarm", "isData", "isNahled", "isGraf"};

// "maximize" keeps the frame's show state: 0 normal and 1 maximised as the
// program has always written them, 2 minimised; 3, the system's own value
// for maximised, is read as maximised too.
constexpr int kShowNormal = 0;
constexpr int kShowMaximized = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximizedSystem = 3;

} // namespace

platform::SettingsSection CLiveViewState::EntrySection(const QString& name)
{
    return platform::SettingsSection({QStringLiteral("pristroje"), name});
}

void CLiveViewState::RelayNewData(CView& view, std::function<void()> onNewData)
{
    view.SetMessageHandler(platform::WM_NEW_DATA, [onNewData = std::move(onNewData)](std::uintptr_t, std::intptr_t) {
        onNewData();
        return 0;
    });
}

bool CLiveViewState::RestorePanes(const QString& entryName, const platform::SettingsSection& common,
                                  const Panes& panes)
{
    m_entryName.Set(entryName);
    platform::Settings settings;
    // The instrument's section is written as soon as the instrument is
    // added, long before any window of it closed: only the panes a window
    // left there make it the window's own.
    const bool known = std::any_of(std::begin(kPaneKeys), std::end(kPaneKeys), [&](const char* key) {
        return settings.Contains(EntrySection(entryName), QString::fromLatin1(key));
    });
    const platform::SettingsSection section = known ? EntrySection(entryName) : common;
    panes.alarms = settings.GetProfileInt(section, QStringLiteral("isAlarm"), 1);
    panes.values = settings.GetProfileInt(section, QStringLiteral("isData"), 1);
    panes.panel = settings.GetProfileInt(section, QStringLiteral("isNahled"), 0);
    panes.graph = settings.GetProfileInt(section, QStringLiteral("isGraf"), 1);
    return known;
}

void CLiveViewState::RestoreFrame(CChildFrame* frame, CDocument* document) const
{
    platform::Settings settings;
    const platform::SettingsSection section = Section();
    const int x = settings.GetProfileInt(section, QStringLiteral("x"), kUnset);
    const int y = settings.GetProfileInt(section, QStringLiteral("y"), kUnset);
    const int cx = settings.GetProfileInt(section, QStringLiteral("cx"), kUnset);
    const int cy = settings.GetProfileInt(section, QStringLiteral("cy"), kUnset);
    if (!frame)
        return;
    // A placement taken from a minimised window or an empty one would show
    // the window as a bare title bar: such a window, like one never placed,
    // opens at the size its view asks for.
    if (x == kUnset || y == kUnset || cx == kUnset || cy == kUnset ||
        !CChildFrame::PlacementShowsWindow(QSize(cx, cy))) {
        frame->FitToView();
        return;
    }
    frame->SetRememberedDocument(document);
    const int show = settings.GetProfileInt(section, QStringLiteral("maximize"), kShowNormal);
    const bool maximized = show == kShowMaximized || show == kShowMaximizedSystem;
    const bool minimized = show == kShowMinimized;
    // The MDI area maximises every window it activates while another one is
    // maximised, and puts that one back to normal: a window left normal
    // would come back maximised, and the maximised one normal. The stored
    // rectangle is the normal one, so it is set on a normal window.
    QMdiSubWindow* carriedFrom = nullptr;
    if (frame->isMaximized()) {
        QMdiArea* area = frame->mdiArea();
        if (area && !maximized) {
            const QList<QMdiSubWindow*> history = area->subWindowList(QMdiArea::ActivationHistoryOrder);
            const qsizetype at = history.indexOf(frame);
            if (at > 0)
                carriedFrom = history.at(at - 1);
        }
        frame->showNormal();
    }
    frame->setGeometry(x, y, cx, cy);
    if (maximized)
        frame->showMaximized();
    else if (minimized)
        frame->showMinimized();
    frame->SetRememberedDocument(nullptr);
    // The window the user left maximised stays so, in front of this one.
    if (carriedFrom) {
        carriedFrom->mdiArea()->setActiveSubWindow(carriedFrom);
        carriedFrom->showMaximized();
    }
}

void CLiveViewState::RememberFrame(const CChildFrame* frame)
{
    if (!frame)
        return;
    m_frameShow = frame->isMaximized()   ? kShowMaximized
                  : frame->isMinimized() ? kShowMinimized
                                         : kShowNormal;
    // Maximised or minimised, the window keeps the place it had before.
    const QRect normal = frame->NormalGeometry();
    if (normal.isValid()) {
        m_frameNormal = normal;
        m_hasFrame = true;
    }
}

bool CLiveViewState::Save(bool initialised, const Panes& panes)
{
    if (!initialised || m_saved || m_entryName.IsEmpty())
        return false;
    m_saved = true;
    platform::Settings settings;
    const platform::SettingsSection section = Section();
    settings.WriteProfileInt(section, QStringLiteral("isAlarm"), panes.alarms);
    settings.WriteProfileInt(section, QStringLiteral("isData"), panes.values);
    settings.WriteProfileInt(section, QStringLiteral("isNahled"), panes.panel);
    settings.WriteProfileInt(section, QStringLiteral("isGraf"), panes.graph);
    settings.WriteProfileInt(section, QStringLiteral("prickaX"), panes.ratioX);
    settings.WriteProfileInt(section, QStringLiteral("prickaY"), panes.ratioY);
    if (m_hasFrame) {
        settings.WriteProfileInt(section, QStringLiteral("maximize"), m_frameShow);
        settings.WriteProfileInt(section, QStringLiteral("x"), m_frameNormal.x());
        settings.WriteProfileInt(section, QStringLiteral("y"), m_frameNormal.y());
        settings.WriteProfileInt(section, QStringLiteral("cx"), m_frameNormal.width());
        settings.WriteProfileInt(section, QStringLiteral("cy"), m_frameNormal.height());
    }
    return true;
}

std::array<int, 3> CLiveViewState::Tabs() const
{
    platform::Settings settings;
    std::array<int, 3> tabs{};
    for (std::size_t i = 0; i < tabs.size(); ++i)
        tabs[i] = settings.GetProfileInt(Section(), QStringLiteral("tab%1").arg(i + 1), -1);
    return tabs;
}

void CLiveViewState::SaveTabs(std::initializer_list<int> tabs) const
{
    platform::Settings settings;
    int number = 0;
    for (int tab : tabs)
        settings.WriteProfileInt(Section(), QStringLiteral("tab%1").arg(++number), tab);
}

void OfferBoundCommands(CView* view)
{
    CChildFrame* frame = view ? view->GetParentFrame() : nullptr;
    if (CMDIFrame* main = frame ? frame->GetMainFrame() : nullptr)
        main->OnWindowCommandsChanged(frame);
}

} // namespace ui
