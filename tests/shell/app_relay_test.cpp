#include "AppTestSupport.h"
#include "app/Families.h"
#include "ShellTestSupport.h"

#include "link/Pristroj.h"
#include "platform/WindowMessage.h"
#include "platform/WorkerThread.h"
#include "platform/ui/Document.h"
#include "shell/MainFrame.h"
#include "shell/MavexApp.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QToolBar>

namespace {

struct Received {
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

// A window that counts the new-data messages it is sent.
class CountingView : public ui::CView {
public:
    CountingView()
    {
        SetMessageHandler(platform::WM_NEW_DATA, [this](std::uintptr_t w, std::intptr_t l) {
            got.push_back({w, l});
            return 0;
        });
    }
    std::vector<Received> got;
};

class AppRelayTest : public shelltest::StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        app = std::make_unique<CMavexApp>(shelltest::QuietEnvironment());
        app->SetFamilies(CFamilyList(ProgramFamilies()));
        ASSERT_TRUE(app->InitInstance({QStringLiteral("qorin01")}));
        auto entry = std::make_unique<CPristroj>(QStringLiteral("/nonexistent/tty"), 1, dir.path(), FALSE,
                                                 CPristroj::kVK);
        entry->m_nazev = QStringLiteral("Hala");
        entry->m_merit = 0;
        ASSERT_TRUE(app->AdoptInstrument(nullptr, std::move(entry)));
        device = app->GetDeviceList().front().get();
    }
    void TearDown() override
    {
        app->SetLiveView(*device, nullptr);
        app.reset();
        StoreTest::TearDown();
    }
    // Lets the application thread take what was posted to it.
    static void Settle(const std::function<bool()>& done)
    {
        const QDeadlineTimer deadline(10000);
        while (!done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    std::unique_ptr<CMavexApp> app;
    CPristroj* device = nullptr;
};

// A measurement thread's new-data notice reaches the instrument's live
// window (with the notice's data) and the waveform window (without).
TEST_F(AppRelayTest, NewDataGoesToTheLiveWindowAndTheUpdateWindow)
{
    CountingView live;
    CountingView waveforms;
    app->SetLiveView(*device, &live);
    app->SetUpdateWindow(&waveforms);
    ASSERT_TRUE(platform::PostThreadMessage(app->Handle(), platform::WM_APP_NEW_DATA,
                                            reinterpret_cast<std::uintptr_t>(device), 5));
    Settle([&] { return !live.got.empty() && !waveforms.got.empty(); });
    ASSERT_EQ(live.got.size(), 1u);
    EXPECT_EQ(live.got[0].wParam, 5u);
    ASSERT_EQ(waveforms.got.size(), 1u);
    EXPECT_EQ(waveforms.got[0].wParam, 0u);
}

// A notice for an instrument that has gone meanwhile is dropped.
TEST_F(AppRelayTest, NoticeForAnInstrumentNoLongerListedIsDropped)
{
    CountingView waveforms;
    app->SetUpdateWindow(&waveforms);
    CPristroj gone;
    bool marker = false;
    ASSERT_TRUE(platform::PostThreadMessage(app->Handle(), platform::WM_APP_NEW_DATA,
                                            reinterpret_cast<std::uintptr_t>(&gone), 1));
    QMetaObject::invokeMethod(app.get(), [&] { marker = true; }, Qt::QueuedConnection);
    Settle([&] { return marker; });
    EXPECT_TRUE(waveforms.got.empty());
}

// Which bars a view brings: the data-control bar only for an archive view.
TEST_F(AppRelayTest, BarsFollowTheKindOfView)
{
    CMainFrame& frame = *app->MainFrame();
    frame.show();
    struct Case {
        int mode;
        bool withGraph;
        bool measurement, dataControl, graph, returnsBar;
    };
    const Case cases[] = {
        {0, true, true, false, true, false},
        {1, true, true, true, true, true},
        {1, false, true, true, false, true},
        {2, true, false, false, true, false},
    };
    for (const Case& c : cases) {
        QWidget* bar = frame.ShowBarsForView(c.mode, c.withGraph);
        EXPECT_EQ(frame.MeasurementBar()->isVisible(), c.measurement) << c.mode;
        EXPECT_EQ(frame.DataControlBar()->isVisible(), c.dataControl) << c.mode;
        EXPECT_EQ(frame.GraphBar()->isVisible(), c.graph) << c.mode << c.withGraph;
        EXPECT_EQ(bar == frame.DataControlBar(), c.returnsBar) << c.mode;
    }
    // Without an active window the view bars go.
    frame.OnActiveDocChanged();
    EXPECT_FALSE(frame.DataControlBar()->isVisible());
    EXPECT_FALSE(frame.GraphBar()->isVisible());
    EXPECT_FALSE(frame.MeasurementBar()->isVisible());
}

} // namespace
