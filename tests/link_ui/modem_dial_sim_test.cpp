// The dial and hang-up dialogs of a modem line against the simulated modem:
// the line dials on a thread of its own while the user-interface thread
// runs the dialog, as in the program.
#include "link/ModemTestSupport.h"
#include "ModemDialTestSupport.h"
#include "model/Iden.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

namespace {

using modemdialtest::ClickButton;
using modemdialtest::OpenDialog;
using modemdialtest::PumpUntil;
using modemtest::ModemRig;

// The rig's line with the program's own dialogs in place of the scripted ones.
void UseRealDialogs(ModemRig& rig)
{
    ModemServices services;
    services.clock = &rig.clock;
    services.dialogs = MakeModemDialogStarter();
    rig.modem = std::make_unique<CModemPort>(modemtest::kLine, QString::fromStdString(rig.line.SlavePath()),
                                             ModemLineSettings{}, services);
    rig.ports.entries[modemtest::kLine].modem = rig.modem.get();
}

// Work of the line on a thread of its own; the test pumps the window's
// events until it is done.
class LineWork {
public:
    explicit LineWork(std::function<void()> work) : m_thread([this, work] { work(), m_done = true; }) {}
    ~LineWork()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    bool Finish()
    {
        const bool done = PumpUntil([this] { return m_done.load(); });
        if (done)
            m_thread.join();
        return done;
    }
    bool Done() const { return m_done; }

private:
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

} // namespace

// A busy number: the dial fails with "Obsazeno." in the dialog, which stays
// up with OK after the line let go of it, and the modem is free again.
TEST(ModemDialSim, BusyNumberShowsObsazenoUntilOk)
{
    sim::ModemScript script;
    script.answer = sim::DialAnswer::Busy;
    ModemRig rig(script);
    ASSERT_TRUE(rig.started);
    UseRealDialogs(rig);
    const DWORD id = rig.Register(1);
    std::atomic<BOOL> opened{TRUE};
    LineWork dial([&] { opened = rig.Open(id, 1); });
    ASSERT_TRUE(dial.Finish());
    EXPECT_FALSE(opened);
    EXPECT_EQ(rig.manager.GetErrorText(id), QStringLiteral("Obsazeno."));
    EXPECT_EQ(rig.SimModem().dials, 1);
    EXPECT_FALSE(rig.SimModem().OffHook());

    CModemDialDlg* dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Spojení s modemem"));
    EXPECT_EQ(dialog->StatusText(), QStringLiteral("Obsazeno."));
    EXPECT_EQ(dialog->ButtonText(), QStringLiteral("OK"));
    ClickButton(dialog);
    EXPECT_TRUE(PumpUntil([] { return OpenDialog() == nullptr; }));
}

// "Storno" while the modem dials (it never answers): the dial ends, the
// dialog goes away by itself, and no call is left up.
TEST(ModemDialSim, StornoWhileDiallingEndsTheDial)
{
    sim::ModemScript script;
    script.answer = sim::DialAnswer::Silence;
    ModemRig rig(script);
    ASSERT_TRUE(rig.started);
    UseRealDialogs(rig);
    const DWORD id = rig.Register(1);
    LineWork dial([&] { rig.Open(id, 1); });
    ASSERT_TRUE(PumpUntil([&] { return rig.SimModem().dials == 1 || dial.Done(); }));
    CModemDialDlg* dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->ButtonText(), QStringLiteral("Storno"));
    ClickButton(dialog);
    ASSERT_TRUE(dial.Finish());
    EXPECT_TRUE(PumpUntil([] { return OpenDialog() == nullptr; }));
    EXPECT_NE(rig.State().lineState, IModemPort::kConnected);
    CIden iden;
    EXPECT_FALSE(rig.manager.Request(id, &CLink::ReadIdentification, iden));
}

// The hang-up dialog: its "Storno" during the countdown keeps the call; left
// alone it escapes, hangs up and goes away. The window's events run all the
// time (the dialog blinks while the line works).
TEST(ModemDialSim, HangUpDialogCancelsOrEndsTheCall)
{
    ModemRig rig;
    ASSERT_TRUE(rig.started);
    UseRealDialogs(rig);
    const DWORD id = rig.Register(1);
    std::atomic<BOOL> opened{FALSE};
    {
        LineWork dial([&] { opened = rig.Open(id, 1); });
        ASSERT_TRUE(dial.Finish());
    }
    ASSERT_TRUE(opened) << rig.manager.GetErrorText(id).toStdString();
    EXPECT_TRUE(PumpUntil([] { return OpenDialog() == nullptr; }));
    EXPECT_EQ(rig.State().lineState, IModemPort::kConnected);

    {
        // Time stands still in the countdown until the click is in, so a
        // slow machine cannot let it run out first.
        rig.clock.Hold();
        LineWork hangUp([&] { rig.manager.Close(id); });
        // The dialog shows before the line's caption and countdown reach it.
        const QString caption = QStringLiteral("Ukončení spojení s modemem");
        const bool counting = PumpUntil([&] {
            const CModemDialDlg* shown = OpenDialog();
            return hangUp.Done() || (shown && shown->windowTitle() == caption && !shown->StatusText().isEmpty());
        });
        CModemDialDlg* dialog = OpenDialog();
        if (!counting || !dialog)
            rig.clock.Release();
        ASSERT_TRUE(counting);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), caption);
        ClickButton(dialog);
        rig.clock.Release();
        ASSERT_TRUE(hangUp.Finish());
    }
    EXPECT_TRUE(PumpUntil([] { return OpenDialog() == nullptr; }));
    EXPECT_EQ(rig.State().lineState, IModemPort::kConnected);
    EXPECT_TRUE(rig.SimModem().OffHook());
    EXPECT_EQ(rig.SimModem().hangUps, 0);

    // The next open takes the call as it is; closing it again hangs up.
    {
        LineWork dial([&] { opened = rig.Open(id, 1); });
        ASSERT_TRUE(dial.Finish());
    }
    ASSERT_TRUE(opened);
    EXPECT_EQ(rig.SimModem().dials, 1);
    {
        LineWork hangUp([&] { rig.manager.Close(id); });
        ASSERT_TRUE(hangUp.Finish());
    }
    EXPECT_TRUE(PumpUntil([] { return OpenDialog() == nullptr; }));
    const sim::HayesModem sim = rig.SimModem();
    EXPECT_EQ(sim.hangUps, 1);
    EXPECT_FALSE(sim.OffHook());
    EXPECT_EQ(rig.State().lineState, IModemPort::kIdle);
}
