// Start-up with instruments whose threads answer their activation late or
// never: the window's event loop goes on, the threads are told one after
// another from it, none waiting for another's answer, and what follows an
// activation (the live window, the panel, ending a thread that gave up)
// happens per instrument as its answer comes.
#include "AppTestSupport.h"
#include "ShellTestSupport.h"

#include "link/Pristroj.h"
#include "link/PristrojHost.h"
#include "platform/ThreadMessages.h"
#include "platform/ui/MessageBox.h"
#include "shell/DeviceRegistry.h"
#include "shell/GeneralSettings.h"
#include "support/WaitUntil.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>

namespace {

enum class Answer { Now, GiveUp, Never };

// What each instrument's thread does with its activation, by the
// instrument's bus address; written before the start, only read after.
struct Script {
    std::map<int, Answer> answers;
    std::mutex lock;
    std::vector<std::pair<int, platform::MessageId>> told; // address, message
    std::vector<platform::Event*> unanswered;

    std::size_t Told()
    {
        std::lock_guard guard(lock);
        return told.size();
    }
};

class ScriptedMereni : public CPristrojThread {
public:
    explicit ScriptedMereni(Script& script) : m_script(script) {}
    ~ScriptedMereni() override { Stop(platform::Event::kInfinite); }

protected:
    void OnMessage(const platform::ThreadMessage& message) override
    {
        if (message.id != platform::WM_DEVICE_ACTIVATE && message.id != platform::WM_DEVICE_ACTIVATE_RECORD
            && message.id != platform::WM_DEVICE_ACTIVATE_RECORD_SYNC)
            return;
        auto* entry = reinterpret_cast<CPristroj*>(message.wParam);
        auto* event = reinterpret_cast<platform::Event*>(message.lParam);
        const int address = int(entry->m_adresa);
        const Answer answer = m_script.answers.at(address);
        {
            std::lock_guard guard(m_script.lock);
            m_script.told.emplace_back(address, message.id);
            if (answer == Answer::Never)
                m_script.unanswered.push_back(event);
        }
        if (answer == Answer::GiveUp && message.id == platform::WM_DEVICE_ACTIVATE_RECORD_SYNC)
            entry->m_merit = 0;
        if (answer != Answer::Never)
            event->Set();
    }

private:
    Script& m_script;
};

class StartUpTest : public shelltest::StoreTest {
protected:
    void AddInstrument(const QString& name, int address, bool show, bool panel)
    {
        const platform::SettingsSection key = CDeviceRegistry::Key(name);
        store.WriteProfileInt(key, QStringLiteral("kat"), CPristroj::kVK);
        store.WriteProfileInt(key, QStringLiteral("merit"), 1);
        store.WriteProfileInt(key, QStringLiteral("zaznamenavat"), 0);
        store.WriteProfileInt(key, QStringLiteral("zobrazovat"), show ? 1 : 0);
        store.WriteProfileInt(key, QStringLiteral("ONP"), panel ? 1 : 0);
        store.WriteProfileInt(key, QStringLiteral("adresa"), address);
        // One line for all of them.
        store.WriteProfileString(key, QStringLiteral("com"), QStringLiteral("/nonexistent/tty"));
    }

    // A VK family whose thread, live window and panel are recorders.
    std::vector<CFamilyDescriptor> Families()
    {
        CFamilyDescriptor family;
        family.type = CPristroj::kVK;
        family.typeText = QStringLiteral("VK");
        family.archiveEnding = QStringLiteral(".vk");
        family.threadFactory = [this](std::shared_ptr<CLinkEnvironment>) {
            return std::make_unique<ScriptedMereni>(script);
        };
        family.openLive = [this](ui::CDocManager&, CPristroj& entry) -> ui::CView* {
            liveOpened.push_back(entry.m_nazev);
            return nullptr;
        };
        family.openPanel = [this](CPristroj& entry) { panelsOpened.push_back(entry.m_nazev); };
        return {family};
    }

    CMavexApp::Environment Environment()
    {
        CMavexApp::Environment env = shelltest::QuietEnvironment();
        env.monotonicMs = [clock = clockMs] { return clock->load(); };
        return env;
    }

    // Runs the event loop until `done` holds (generous bound).
    static bool Until(const std::function<bool()>& done)
    {
        return testsupport::WaitUntil([&] {
            QCoreApplication::processEvents();
            return done();
        });
    }

    void TearDown() override
    {
        // A thread never answered: the event is the entry's and outlives it
        // only as long as the entry.
        std::lock_guard guard(script.lock);
        script.unanswered.clear();
        StoreTest::TearDown();
    }

    Script script;
    std::shared_ptr<std::atomic<std::int64_t>> clockMs = std::make_shared<std::atomic<std::int64_t>>(0);
    std::vector<QString> liveOpened;
    std::vector<QString> panelsOpened;
    ui::ScriptedMessageBoxes boxes;
};

// Two silent instruments before a live one on the same line: the start
// returns at once, the live one's window and panel open as soon as it
// answers, the event loop turns meanwhile; the silent ones are taken as
// they are when their wait runs out (still measuring: the window of the one
// that shows opens then), and only then does the start count as done.
TEST_F(StartUpTest, SilentInstrumentsHoldUpNeitherTheWindowNorTheOthers)
{
    store.WriteProfileInt(CGeneralSettings::Section(), QStringLiteral("spustit pri startu"), 2);
    AddInstrument(QStringLiteral("A ticho"), 1, true, false);
    AddInstrument(QStringLiteral("B ticho"), 2, false, false);
    AddInstrument(QStringLiteral("C živý"), 3, true, true);
    script.answers = {{1, Answer::Never}, {2, Answer::Never}, {3, Answer::Now}};

    CMavexApp app(Environment());
    app.SetFamilies(CFamilyList(Families()));
    ASSERT_TRUE(app.InitInstance({QStringLiteral("qorin01")}));
    ASSERT_EQ(app.GetDeviceList().size(), 3u);
    EXPECT_TRUE(app.IsStartingInstruments());

    bool turned = false;
    QTimer::singleShot(0, [&] { turned = true; });
    ASSERT_TRUE(Until([&] { return turned && !liveOpened.empty(); }));
    EXPECT_EQ(liveOpened, std::vector<QString>{QStringLiteral("C živý")});
    EXPECT_EQ(panelsOpened, std::vector<QString>{QStringLiteral("C živý")});
    ASSERT_EQ(script.Told(), 3u);
    for (const auto& [address, message] : script.told)
        EXPECT_EQ(message, platform::WM_DEVICE_ACTIVATE_RECORD) << address;
    EXPECT_TRUE(app.IsStartingInstruments());

    // The silent ones' wait (10 s on a serial line) runs out.
    clockMs->store(9999);
    testsupport::WaitUntil(
        [] {
            QCoreApplication::processEvents();
            return false;
        },
        300);
    EXPECT_TRUE(app.IsStartingInstruments());
    clockMs->store(10000);
    ASSERT_TRUE(Until([&] { return !app.IsStartingInstruments(); }));
    EXPECT_EQ(liveOpened, (std::vector<QString>{QStringLiteral("C živý"), QStringLiteral("A ticho")}));
    for (const auto& device : app.GetDeviceList()) {
        EXPECT_TRUE(device->m_merit) << device->m_nazev.toStdString();
        EXPECT_NE(device->GetThread(), nullptr) << device->m_nazev.toStdString();
    }
    EXPECT_TRUE(boxes.Requests().empty());
    for (const auto& device : app.GetDeviceList())
        device->m_merit = 0;
    app.ExitInstance();
}

// "spustit pri startu" = 1: a silent instrument's thread gives up and is
// ended when its answer comes, the others are not held up, and nothing
// opens for it.
TEST_F(StartUpTest, AThreadThatGivesUpIsEndedWhenItsAnswerComes)
{
    store.WriteProfileInt(CGeneralSettings::Section(), QStringLiteral("spustit pri startu"), 1);
    AddInstrument(QStringLiteral("A ticho"), 1, true, false);
    AddInstrument(QStringLiteral("B živý"), 2, true, false);
    script.answers = {{1, Answer::GiveUp}, {2, Answer::Now}};

    CMavexApp app(Environment());
    app.SetFamilies(CFamilyList(Families()));
    ASSERT_TRUE(app.InitInstance({QStringLiteral("qorin01")}));
    ASSERT_TRUE(Until([&] { return !app.IsStartingInstruments(); }));
    const auto& devices = app.GetDeviceList();
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_FALSE(devices[0]->m_merit);
    EXPECT_EQ(devices[0]->GetThread(), nullptr);
    EXPECT_TRUE(devices[1]->m_merit);
    EXPECT_NE(devices[1]->GetThread(), nullptr);
    EXPECT_EQ(liveOpened, std::vector<QString>{QStringLiteral("B živý")});
    for (const auto& [address, message] : script.told)
        EXPECT_EQ(message, platform::WM_DEVICE_ACTIVATE_RECORD_SYNC) << address;
    devices[1]->m_merit = 0;
    app.ExitInstance();
}

// Many instruments: the threads start one per turn of the event loop, so
// an event posted at the start is handled before all of them have started,
// and the start ends when the last has answered.
TEST_F(StartUpTest, TheWindowIsServedWhileManyInstrumentsStart)
{
    constexpr int kCount = 40;
    store.WriteProfileInt(CGeneralSettings::Section(), QStringLiteral("spustit pri startu"), 2);
    for (int i = 1; i <= kCount; ++i) {
        AddInstrument(QStringLiteral("Rozvaděč %1").arg(i, 2, 10, QLatin1Char('0')), i, false, false);
        script.answers[i] = Answer::Now;
    }
    CMavexApp app(Environment());
    app.SetFamilies(CFamilyList(Families()));
    ASSERT_TRUE(app.InitInstance({QStringLiteral("qorin01")}));
    ASSERT_EQ(app.GetDeviceList().size(), std::size_t(kCount));
    EXPECT_TRUE(app.IsStartingInstruments());

    const auto started = [&app] {
        return std::count_if(app.GetDeviceList().begin(), app.GetDeviceList().end(),
                             [](const auto& device) { return device->GetThread() != nullptr; });
    };
    std::ptrdiff_t startedWhenServed = -1;
    QTimer::singleShot(0, [&] { startedWhenServed = started(); });
    ASSERT_TRUE(Until([&] { return startedWhenServed >= 0; }));
    EXPECT_LT(startedWhenServed, kCount);

    ASSERT_TRUE(Until([&] { return !app.IsStartingInstruments(); }));
    EXPECT_EQ(script.Told(), std::size_t(kCount));
    for (const auto& device : app.GetDeviceList())
        device->m_merit = 0;
    app.ExitInstance();
}

// The program ends (a signal) while the start is under way: what was not
// started yet stays as the file had it, measuring at the next start, and
// nothing starts after the end.
TEST_F(StartUpTest, AnExitDuringTheStartLosesNothing)
{
    constexpr int kCount = 5;
    store.WriteProfileInt(CGeneralSettings::Section(), QStringLiteral("spustit pri startu"), 2);
    for (int i = 1; i <= kCount; ++i) {
        AddInstrument(QStringLiteral("Rozvaděč %1").arg(i), i, false, false);
        script.answers[i] = Answer::Now;
    }
    CMavexApp::Environment env = Environment();
    env.startPauseMs = 3600 * 1000; // the first starts, the next would an hour later
    {
        CMavexApp app(env);
        app.SetFamilies(CFamilyList(Families()));
        ASSERT_TRUE(app.InitInstance({QStringLiteral("qorin01")}));
        ASSERT_TRUE(Until([&] { return script.Told() == 1; }));
        EXPECT_TRUE(app.IsStartingInstruments());
        app.GetDeviceList()[0]->m_merit = 0; // its recorder thread takes no deactivation
        app.ExitInstance();
        QCoreApplication::processEvents();
        EXPECT_EQ(script.Told(), 1u);
    }
    for (int i = 2; i <= kCount; ++i)
        EXPECT_EQ(store.GetProfileInt(CDeviceRegistry::Key(QStringLiteral("Rozvaděč %1").arg(i)),
                                      QStringLiteral("merit"), -1),
                  1)
            << i;
}

} // namespace
