// A modem line on a simulated Hayes modem with an analyser behind it:
// dialling, the calls' results, requests over the call, losing the
// carrier and hanging up.
#include "ModemTestSupport.h"

#include "model/Iden.h"

namespace {

using modemtest::ModemRig;

bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(ModemLine, DialsRequestsThroughTheCallAndHangsUp)
{
    ModemRig rig;
    ASSERT_TRUE(rig.started);
    const DWORD id = rig.Register(1);
    ASSERT_TRUE(rig.Open(id, 1)) << rig.manager.GetErrorText(id).toStdString();

    sim::HayesModem sim = rig.SimModem();
    EXPECT_TRUE(Contains(sim.commands, CModemPort::kInitCommand));
    EXPECT_EQ(sim.lastNumber, "123456");
    EXPECT_TRUE(sim.InDataMode());
    EXPECT_EQ(rig.dialog.captions, std::vector<QString>{QStringLiteral("Spojení s modemem")});
    EXPECT_TRUE(rig.dialog.Shown(QStringLiteral("Modem začne navazovat spojení za 5 sekund.")));
    EXPECT_TRUE(rig.dialog.Shown(QStringLiteral("Modem začne navazovat spojení za 1 sekund.")));
    EXPECT_TRUE(rig.dialog.Shown(QStringLiteral("Probíhá konfigurace modemu.")));
    EXPECT_EQ(rig.dialog.closes, 1);

    EXPECT_TRUE(rig.manager.IsModemLink(id));
    CIden iden;
    ASSERT_TRUE(rig.manager.Request(id, &CLink::ReadIdentification, iden)) << rig.manager.GetErrorText(id).toStdString();
    EXPECT_EQ(iden.number, 1001);

    ModemLineState state = rig.State();
    EXPECT_EQ(state.lineState, IModemPort::kConnected);
    EXPECT_EQ(state.number, QStringLiteral("123456"));
    EXPECT_EQ(state.bytes, DWORD(4 + 18)); // request and reply
    EXPECT_EQ(state.links, 1);

    // 1536 bytes in all make 2 kB; the call's time runs on the clock.
    {
        std::lock_guard lock(rig.modem->StateLock());
        rig.modem->AddBytes(1536 - 22);
    }
    rig.clock.wall += 65;
    rig.dialog = modemtest::DialogLog{};
    rig.manager.Close(id);

    sim = rig.SimModem();
    EXPECT_EQ(sim.escapes, 1);
    EXPECT_EQ(sim.hangUps, 1);
    EXPECT_FALSE(sim.OffHook());
    EXPECT_EQ(rig.dialog.captions, std::vector<QString>{QStringLiteral("Ukončení spojení s modemem")});
    EXPECT_TRUE(rig.dialog.Shown(QStringLiteral("Modem začne ukončovat spojení za 7 sekund.")));
    EXPECT_EQ(rig.dialog.LastStatus(), QStringLiteral("Modem ukončuje spojení."));
    EXPECT_EQ(rig.dialog.done, std::vector<int>{IModemDialog::kHangingUp});
    EXPECT_EQ(rig.dialog.closes, 1);

    const ModemLineState after = rig.State();
    EXPECT_EQ(after.lineState, IModemPort::kIdle);
    EXPECT_EQ(after.totalKB, DWORD(2));
    // The countdown and the guard times belong to the call too.
    EXPECT_EQ(after.totalSeconds, rig.clock.wall.load() - state.connectTime.GetTime());
    EXPECT_GE(after.totalSeconds, DWORD(65));
    EXPECT_EQ(after.links, 0);
    EXPECT_FALSE(rig.manager.Request(id, &CLink::ReadIdentification, iden));
    EXPECT_EQ(rig.manager.GetErrorText(id), QStringLiteral("Modem není připojený."));

    // The line dials again for the next open.
    ASSERT_TRUE(rig.Open(id, 1));
    EXPECT_TRUE(rig.manager.Request(id, &CLink::ReadIdentification, iden)) << rig.manager.GetErrorText(id).toStdString();
    EXPECT_EQ(rig.SimModem().dials, 2);
}

TEST(ModemLine, EachFailedDialTellsWhyAndLeavesTheModemFree)
{
    const struct {
        sim::DialAnswer answer;
        const char* text;
    } cases[] = {
        {sim::DialAnswer::Busy, "Obsazeno."},
        {sim::DialAnswer::NoCarrier, "Modem zavesen."},
        {sim::DialAnswer::NoDialtone, "Modem zavesen."},
        {sim::DialAnswer::NoAnswer, "Modem zavesen."},
        {sim::DialAnswer::Error, "Modem nenalezen."},
        {sim::DialAnswer::Silence, "V zadaném intervalu se nepodařilo spojit s modem."},
    };
    ModemRig rig;
    ASSERT_TRUE(rig.started);
    const DWORD id = rig.Register(1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        rig.Script([&](sim::ModemScript& s) { s.answer = c.answer; });
        rig.dialog = modemtest::DialogLog{};
        EXPECT_FALSE(rig.Open(id, 1));
        EXPECT_EQ(rig.manager.GetErrorText(id), QString::fromUtf8(c.text));
        const ModemLineState state = rig.State();
        EXPECT_EQ(state.lineState, IModemPort::kFailed);
        // The dialog stays with the reason until the user closes it.
        EXPECT_EQ(rig.dialog.LastStatus(), QString::fromUtf8(c.text));
        EXPECT_EQ(rig.dialog.done, std::vector<int>{IModemDialog::kFinished});
        EXPECT_EQ(rig.dialog.closes, 0);
        // A call that never came up has no time to count.
        EXPECT_EQ(state.totalSeconds, DWORD(0));
        // Nothing holds the modem's device between calls.
        PortFault fault = PortFault::None;
        const auto device = OpenSystemSerialPort(QString::fromStdString(rig.line.SlavePath()), fault);
        EXPECT_TRUE(device);
        if (device)
            device->Close();
        CIden iden;
        EXPECT_FALSE(rig.manager.Request(id, &CLink::ReadIdentification, iden));
        EXPECT_EQ(rig.manager.GetErrorText(id), QStringLiteral("Modem není připojený."));
        rig.manager.Close(id);
        EXPECT_EQ(rig.State().lineState, IModemPort::kIdle);
    }
    rig.Script([](sim::ModemScript& s) { s.answer = sim::DialAnswer::Connect; });
    ASSERT_TRUE(rig.Open(id, 1)) << rig.manager.GetErrorText(id).toStdString();
    CIden iden;
    EXPECT_TRUE(rig.manager.Request(id, &CLink::ReadIdentification, iden)) << rig.manager.GetErrorText(id).toStdString();
}

TEST(ModemLine, CancelBeforeOrDuringTheDial)
{
    {
        SCOPED_TRACE("countdown");
        ModemRig rig;
        ASSERT_TRUE(rig.started);
        rig.dialog.cancelAtQuery = 3;
        const DWORD id = rig.Register(1);
        // The user's cancel is no failure to report.
        EXPECT_TRUE(rig.Open(id, 1));
        EXPECT_EQ(rig.SimModem().dials, 0);
        EXPECT_TRUE(rig.SimModem().commands.empty());
        EXPECT_EQ(rig.dialog.closes, 1);
        EXPECT_EQ(rig.State().lineState, IModemPort::kIdle);
        CIden iden;
        EXPECT_FALSE(rig.manager.Request(id, &CLink::ReadIdentification, iden));
        EXPECT_EQ(rig.manager.GetErrorText(id), QStringLiteral("Modem není připojený."));
    }
    {
        SCOPED_TRACE("dialling");
        sim::ModemScript script;
        script.answer = sim::DialAnswer::Silence;
        ModemRig rig(script);
        ASSERT_TRUE(rig.started);
        // 50 rounds of the countdown, one after the configuration, then the
        // rounds of the dial.
        rig.dialog.cancelAtQuery = 55;
        const DWORD id = rig.Register(1);
        EXPECT_TRUE(rig.Open(id, 1));
        EXPECT_EQ(rig.SimModem().dials, 1);
        EXPECT_EQ(rig.dialog.closes, 1);
        EXPECT_EQ(rig.State().lineState, IModemPort::kFailed);
        CIden iden;
        EXPECT_FALSE(rig.manager.Request(id, &CLink::ReadIdentification, iden));
    }
}

TEST(ModemLine, LostCarrierEndsTheCallUntilTheLineIsDialledAgain)
{
    ModemRig rig;
    ASSERT_TRUE(rig.started);
    const DWORD first = rig.Register(1);
    const DWORD second = rig.Register(1);
    ASSERT_TRUE(rig.Open(first, 1));
    ASSERT_TRUE(rig.Open(second, 1));
    CIden iden;
    ASSERT_TRUE(rig.manager.Request(first, &CLink::ReadIdentification, iden));
    EXPECT_EQ(rig.State().links, 2);

    rig.clock.wall += 30;
    rig.Script([](sim::ModemScript& s) { s.dropOnNextData = true; });
    EXPECT_FALSE(rig.manager.Request(first, &CLink::ReadIdentification, iden));
    ModemLineState state = rig.State();
    EXPECT_EQ(state.lineState, IModemPort::kFailed);
    EXPECT_GE(state.totalSeconds, DWORD(30));
    for (DWORD id : {first, second}) {
        EXPECT_FALSE(rig.manager.Request(id, &CLink::ReadIdentification, iden));
        EXPECT_EQ(rig.manager.GetErrorText(id), QStringLiteral("Modem není připojený."));
    }

    // One instrument starts again: the line is dialled anew (no hang-up
    // dialog for a call that is gone), and the other link, still open,
    // goes on over the new call on the same port lock.
    const int dialogs = rig.dialog.started;
    rig.manager.Close(first);
    EXPECT_EQ(rig.dialog.started, dialogs);
    ASSERT_TRUE(rig.Open(first, 1)) << rig.manager.GetErrorText(first).toStdString();
    EXPECT_EQ(rig.SimModem().dials, 2);
    for (DWORD id : {first, second}) {
        EXPECT_TRUE(rig.manager.Request(id, &CLink::ReadIdentification, iden)) << rig.manager.GetErrorText(id).toStdString();
    }
    EXPECT_EQ(rig.State().lineState, IModemPort::kConnected);
}

TEST(ModemLine, CancelledHangUpKeepsTheCallForTheNextOpen)
{
    ModemRig rig;
    ASSERT_TRUE(rig.started);
    const DWORD id = rig.Register(1);
    ASSERT_TRUE(rig.Open(id, 1));
    rig.dialog = modemtest::DialogLog{};
    rig.dialog.cancelAtQuery = 2;
    rig.manager.Close(id);
    EXPECT_EQ(rig.State().lineState, IModemPort::kConnected);
    EXPECT_TRUE(rig.SimModem().OffHook());

    ASSERT_TRUE(rig.Open(id, 1));
    EXPECT_EQ(rig.SimModem().dials, 1);
    CIden iden;
    EXPECT_TRUE(rig.manager.Request(id, &CLink::ReadIdentification, iden)) << rig.manager.GetErrorText(id).toStdString();

    // Another number does not get the old call: it ends, and the line dials.
    rig.dialog = modemtest::DialogLog{};
    rig.dialog.cancelAtQuery = 2;
    rig.manager.Close(id);
    ASSERT_TRUE(rig.Open(id, 1, QStringLiteral("999")));
    const sim::HayesModem sim = rig.SimModem();
    EXPECT_EQ(sim.escapes, 1);
    EXPECT_EQ(sim.dials, 2);
    EXPECT_EQ(sim.lastNumber, "999");
    EXPECT_TRUE(rig.manager.Request(id, &CLink::ReadIdentification, iden)) << rig.manager.GetErrorText(id).toStdString();
    EXPECT_EQ(rig.State().number, QStringLiteral("999"));

    // The connection dialog's button ends the call under the open link.
    rig.dialog = modemtest::DialogLog{};
    rig.manager.HangUpModem(*rig.modem);
    EXPECT_EQ(rig.State().lineState, IModemPort::kIdle);
    EXPECT_FALSE(rig.SimModem().OffHook());
    EXPECT_FALSE(rig.manager.Request(id, &CLink::ReadIdentification, iden));
    EXPECT_EQ(rig.manager.GetErrorText(id), QStringLiteral("Modem není připojený."));
}

} // namespace
