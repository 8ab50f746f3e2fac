// Every open window is within reach of the keyboard: Ctrl+F6 steps the main
// window through all of them, one further at each press, and Ctrl+Shift+F6
// back, wherever the focus is inside the main window.
#include "RunningProgramTest.h"

#include "link/Pristroj.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/Document.h"
#include "shell/MainFrame.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTest>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

class WindowCycleTest : public shelltest::RunningProgramTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(Start(false));
        // Four windows, each opened as the user opens it: an archive from
        // its file, three live windows from the instrument list.
        ASSERT_TRUE(app->OpenArchiveFile(dir.filePath(QStringLiteral("hala.vk"))));
        QCoreApplication::processEvents();
        ASSERT_NE(frame->ActiveChildFrame(), nullptr);
        windows.push_back(frame->ActiveChildFrame());
        const struct {
            const char* name;
            int type;
        } live[] = {{"Hala", CPristroj::kVK}, {"Kotelna", CPristroj::kVKR}, {"Rozvodna", CPristroj::kQorin}};
        for (const auto& [name, type] : live) {
            auto entry = std::make_unique<CPristroj>(QStringLiteral("/nonexistent/tty"), 1, dir.path(), FALSE, type,
                                                     app->LinkEnvironment());
            entry->m_nazev = QString::fromLatin1(name);
            entry->m_merit = 0;
            CPristroj* added = entry.get();
            ASSERT_TRUE(app->AdoptInstrument(nullptr, std::move(entry)));
            ASSERT_TRUE(platform::PostThreadMessage(app->Handle(), platform::WM_APP_OPEN_DEVICE_DOC,
                                                    reinterpret_cast<std::uintptr_t>(added), 0));
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            ui::CView* view = app->LiveView(*added);
            ASSERT_NE(view, nullptr) << name;
            windows.push_back(view->GetParentFrame());
        }
        ASSERT_NO_FATAL_FAILURE(Activate());
        ASSERT_EQ(frame->ActiveChildFrame(), windows.back());
    }

    // Presses the key where `focus` puts the keyboard focus; the window that
    // is active afterwards.
    QWidget* Press(bool back, const std::function<QWidget*()>& focus)
    {
        QWidget* target = focus();
        if (!target)
            return nullptr;
        const Qt::KeyboardModifiers modifiers = back ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier;
        QTest::keyClick(target, Qt::Key_F6, modifiers);
        QCoreApplication::processEvents();
        return frame->MdiArea()->activeSubWindow();
    }

    // The sequence of windows that `presses` presses bring forward.
    std::vector<QWidget*> Cycle(bool back, int presses, const std::function<QWidget*()>& focus)
    {
        std::vector<QWidget*> seen;
        for (int i = 0; i < presses; ++i)
            seen.push_back(Press(back, focus));
        return seen;
    }

    std::vector<QPointer<ui::CChildFrame>> windows;
};

// A focusable widget inside the active window, of the kind `accept` wants,
// given the focus; null when the window has none.
QWidget* FocusInside(QMdiArea* area, const std::function<bool(QWidget*)>& accept)
{
    QWidget* active = area->activeSubWindow();
    if (!active)
        return nullptr;
    for (QWidget* widget : active->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(active) || widget->focusPolicy() == Qt::NoFocus || !widget->isEnabled()
            || !accept(widget))
            continue;
        widget->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
        return QApplication::focusWidget() == widget ? widget : nullptr;
    }
    return nullptr;
}

// Inside a pane of a window's view that is a dialog of its own kind (the
// values panes), or whose ancestor is.
bool InDialogPane(QWidget* widget)
{
    for (QWidget* w = widget; w && !qobject_cast<QMdiSubWindow*>(w); w = w->parentWidget()) {
        const QString name = QString::fromLatin1(w->metaObject()->className());
        if (name.endsWith(QStringLiteral("Dlg")) || name.contains(QStringLiteral("ValuesBase"))
            || name.contains(QStringLiteral("ValuesDlgBase")))
            return true;
    }
    return false;
}

} // namespace

TEST_F(WindowCycleTest, CtrlF6ReachesEveryWindowInTurnAndCtrlShiftF6GoesBack)
{
    const int count = int(windows.size());
    const struct {
        const char* where;
        std::function<QWidget*()> focus;
    } cases[] = {
        {"the main window", [this] { return static_cast<QWidget*>(frame); }},
        {"a table or edit of the window",
         [this] {
             return FocusInside(frame->MdiArea(), [](QWidget* w) {
                 return qobject_cast<QAbstractItemView*>(w) || qobject_cast<QLineEdit*>(w)
                        || QString::fromLatin1(w->metaObject()->className()).contains(QStringLiteral("Grid"));
             });
         }},
        {"a values pane of the window",
         [this] {
             QWidget* pane = FocusInside(frame->MdiArea(), InDialogPane);
             // A window without such a pane: any control of it.
             return pane ? pane : FocusInside(frame->MdiArea(), [](QWidget*) { return true; });
         }},
    };
    for (const auto& [where, focus] : cases) {
        SCOPED_TRACE(where);
        QWidget* start = frame->MdiArea()->activeSubWindow();
        ASSERT_NE(start, nullptr);
        const int at = int(std::find(windows.begin(), windows.end(), start) - windows.begin());
        ASSERT_LT(at, count);
        // On: each press one window further in the order they were opened,
        // every one of them, and round to the start again.
        const std::vector<QWidget*> on = Cycle(false, count, focus);
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(on[std::size_t(i)], windows[std::size_t((at + 1 + i) % count)].data()) << "press " << i + 1;
        // Back: the same windows the other way round.
        const std::vector<QWidget*> back = Cycle(true, count, focus);
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(back[std::size_t(i)], windows[std::size_t((at - 1 - i + 2 * count) % count)].data())
                << "press " << i + 1;
        // The next case starts elsewhere.
        Press(false, [this] { return static_cast<QWidget*>(frame); });
    }
}
