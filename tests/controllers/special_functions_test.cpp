#include "ControllerTestSupport.h"

#include "controllers/settings/SwitchStatsDlg.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QLineEdit>

#include <gtest/gtest.h>

using namespace controllers;
using namespace controllers::test;

namespace {

CStageSwitchState State(int model, int version)
{
    CStageSwitchState state;
    state.model = WORD(model);
    state.version = WORD(version);
    return state;
}

CStageSwitchStats Stats()
{
    CStageSwitchStats stats;
    for (int i = 0; i < 14; ++i) {
        stats.switchCounts[i] = WORD(i + 1);
        stats.onTimes[i] = WORD(10 * (i + 1));
    }
    return stats;
}

} // namespace

TEST(SwitchStats, ShowsCountsTimesAndModelRestrictions)
{
    const struct {
        int model, version;
        bool times;
        int firstShown, lastShown;
    } cases[] = {{16, 0, true, 0, 13}, {1, 17, true, 6, 13}, {3, 31, false, 0, 5}, {4, 32, true, 0, 13}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        CSwitchStatsDlg dlg;
        dlg.SetRecords(Stats(), State(c.model, c.version));
        for (int i = 0; i < 14; ++i) {
            const bool shown = i >= c.firstShown && i <= c.lastShown;
            EXPECT_EQ(dlg.CountEdit(i)->text(), shown ? QString::number((i + 1) * 64) : QStringLiteral("--")) << i;
            EXPECT_EQ(dlg.TimeEdit(i)->text(),
                      shown && c.times ? QString::number(20 * (i + 1)) : QStringLiteral("--"))
                << i;
            EXPECT_EQ(dlg.CountReset(i)->isEnabled(), shown);
            EXPECT_EQ(dlg.TimeReset(i)->isEnabled(), shown && c.times);
        }
    }
}

TEST(SwitchStats, ResetMasksAndMode)
{
    CSwitchStatsDlg dlg;
    dlg.SetRecords(Stats(), State(16, 0));
    CControllerAlarms none = dlg.BuildResetCommand();
    EXPECT_EQ(none.V1, 0);
    EXPECT_EQ(none.V3, 0);
    EXPECT_EQ(none.payloadLength, 6u);
    dlg.CountReset(0)->setChecked(true);
    dlg.CountReset(13)->setChecked(true);
    dlg.TimeReset(2)->setChecked(true);
    CControllerAlarms some = dlg.BuildResetCommand();
    EXPECT_EQ(some.V1, 0x2001);
    EXPECT_EQ(some.V3, 0x0004);
    EXPECT_EQ(some.V0, 0);

    CSwitchStatsDlg old;
    old.SetRecords(Stats(), State(4, 20));
    old.CountReset(1)->setChecked(true);
    old.TimeReset(1)->setChecked(true); // disabled: no time counters
    CControllerAlarms four = old.BuildResetCommand();
    EXPECT_EQ(four.V1, 0x0002);
    EXPECT_EQ(four.V3, 0);
    EXPECT_EQ(four.payloadLength, 4u);
}

TEST(SwitchStats, CycleReadsShowsAndSendsWithRetries)
{
    FakeIo io;
    io.stats = Stats();
    io.state = State(16, 0);
    io.statReads = {false, true};
    io.commandSends = {false, false, true};
    RunSwitchStatistics(nullptr, io, [](QDialog& d) {
        static_cast<CSwitchStatsDlg&>(d).CountReset(4)->setChecked(true);
        return int(QDialog::Accepted);
    });
    ASSERT_EQ(io.commands.size(), 1u);
    EXPECT_EQ(io.commands[0].V1, 0x0010);

    // Cancel sends nothing; a silent instrument is reported before the dialog.
    FakeIo cancel;
    RunSwitchStatistics(nullptr, cancel, [](QDialog&) { return int(QDialog::Rejected); });
    EXPECT_TRUE(cancel.commands.empty());
    FakeIo silent;
    silent.statReads = {false, false, false};
    ui::ScriptedMessageBoxes boxes;
    bool shown = false;
    RunSwitchStatistics(nullptr, silent, [&](QDialog&) {
        shown = true;
        return int(QDialog::Accepted);
    });
    EXPECT_FALSE(shown);
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Přístroj neodpovídá ! Nelze provést."));
    EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));

    FakeIo unconfirmed;
    unconfirmed.commandSends = {false, false, false};
    RunSwitchStatistics(nullptr, unconfirmed, [](QDialog&) { return int(QDialog::Accepted); });
    ASSERT_EQ(boxes.Requests().size(), 2u);
    EXPECT_EQ(boxes.Requests()[1].text, QStringLiteral("Přístroj neodpovídá ! Nulování nepotvrzeno."));
}

TEST(SpecialFunctions, CommandWordAndStateBits)
{
    const struct {
        bool lock, regulate, reinit;
        int word;
    } cases[] = {{false, false, false, 8}, {true, false, false, 9}, {false, true, false, 10},
                 {false, false, true, 12}, {true, true, true, 15}};
    for (const auto& c : cases) {
        CSpecialniFunkceDlg dlg;
        dlg.Lock()->setChecked(c.lock);
        dlg.Regulate()->setChecked(c.regulate);
        dlg.Reinit()->setChecked(c.reinit);
        const CControllerAlarms command = dlg.BuildCommand();
        EXPECT_EQ(command.V2, c.word);
        EXPECT_EQ(command.payloadLength, 4u);
    }
    FakeIo io;
    io.qorin.mode = 0x09; // regulating and locked
    CSpecialniFunkceDlg dlg;
    ASSERT_TRUE(dlg.ReadState(io, 0));
    dlg.show();
    EXPECT_FALSE(dlg.Regulate()->isEnabled());
    EXPECT_FALSE(dlg.Lock()->isEnabled());
    EXPECT_TRUE(dlg.Reinit()->isEnabled());
    io.duskar.mode = 0x00;
    CSpecialniFunkceDlg duskar;
    ASSERT_TRUE(duskar.ReadState(io, 1));
    duskar.show();
    EXPECT_TRUE(duskar.Lock()->isEnabled());
}

TEST(SpecialFunctions, CycleAsksAndReportsItsOwnFailure)
{
    auto accept = [](QDialog& d) {
        static_cast<CSpecialniFunkceDlg&>(d).Reinit()->setChecked(true);
        return int(QDialog::Accepted);
    };
    {
        FakeIo io;
        ui::ScriptedMessageBoxes boxes;
        boxes.Answer(ui::MsgAnswer::No);
        RunSpecialFunctions(nullptr, io, 0, accept);
        EXPECT_TRUE(io.commands.empty());
    }
    {
        FakeIo io;
        ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
        RunSpecialFunctions(nullptr, io, 1, accept);
        ASSERT_EQ(io.commands.size(), 1u);
        EXPECT_EQ(io.commands[0].V2, 12);
    }
    FakeIo io;
    io.commandSends = {false, false, false};
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    RunSpecialFunctions(nullptr, io, 0, accept);
    ASSERT_EQ(boxes.Requests().size(), 2u);
    // The controller's own "not confirmed" text serves the special functions too.
    EXPECT_EQ(boxes.Requests()[1].text, QStringLiteral("Přístroj neodpovídá ! Nulování nepotvrzeno."));
    EXPECT_EQ(boxes.Requests()[1].caption, QStringLiteral("CHYBA"));
    EXPECT_EQ(io.calls, 4); // one read, three sends
}
