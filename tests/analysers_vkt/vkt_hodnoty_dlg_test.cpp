// The VKT measured-values dialog and the received-data dialog: layout
// classes, tab strips, the current charts' decade, value texts and the
// request word.
#include "analysers_vkt/VKTHodnotyDlg.h"
#include "analysers_vkt/VKTPrijimanaDataDlg.h"
#include "link/Pristroj.h"
#include "platform/ui/DialogUnits.h"

#include <QCheckBox>
#include <QLabel>
#include <QTabBar>

#include <gtest/gtest.h>

namespace {

using namespace analysers_vkt;

TEST(VKTHodnotyDlg, LayoutClassBySizeInDialogUnits)
{
    struct Case {
        int w, h;
        bool archive;
        int expected;
    };
    const Case cases[] = {
        {723, 339, false, 0}, {722, 339, false, 1}, {450, 339, false, 1}, {731, 338, false, 2}, {723, 338, false, 3},
        {731, 205, false, 2}, {731, 204, false, 6}, {730, 205, false, 3}, {450, 338, false, 3},
        {449, 339, false, 4}, {449, 338, false, 5}, {449, 205, false, 5}, {449, 204, false, 6},
        {800, 127, false, 6}, {800, 126, false, 7}, {800, 126, true, 6},  {100, 40, false, 7},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CVKTHodnotyDlg::LayoutClass(c.w, c.h, c.archive), c.expected) << c.w << "x" << c.h;
}

// An archive's file name, period and all, is shown whole above the tables.
TEST(VKTHodnotyDlg, TheArchiveFileNameIsShownWhole)
{
    CVKTHodnotyDlg dlg;
    dlg.SetArchiveMode(true);
    dlg.resize(ui::DluToPixels(QSize(740, 360), dlg.font()));
    dlg.show();
    const QString file = QStringLiteral("Rozvodna Jih_Y24D0310.vkt");
    dlg.SetWindowTexts(QStringLiteral("10.03 10:00"), QStringLiteral("10.03 10:15:00"), file, QString());
    auto* label = dlg.findChild<QLabel*>(QStringLiteral("1286"));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), file);
    EXPECT_GE(label->contentsRect().width(), label->fontMetrics().horizontalAdvance(file));
}

TEST(VKTHodnotyDlg, TabChoicesAreBoundByTheStripsItemCounts)
{
    CVKTHodnotyDlg dialog;
    dialog.resize(600, 400); // a small window in dialog units: one strip
    dialog.ResetLayout();
    ASSERT_GE(dialog.Class(), 3);
    int t1 = 0, t2 = 0, t3 = 0;
    dialog.GetActiveTab(t1, t2, t3);
    const int count = dialog.Tab(0)->count();
    ASSERT_GT(count, 1);
    dialog.SetActiveTab(count - 1, 5, 5);
    dialog.GetActiveTab(t1, t2, t3);
    EXPECT_EQ(t1, count - 1);
    dialog.SetActiveTab(count, -1, -1); // beyond the strip: left as it is
    dialog.GetActiveTab(t1, t2, t3);
    EXPECT_EQ(t1, count - 1);
    // The choice survives a new layout of the same class.
    dialog.ResetLayout();
    dialog.GetActiveTab(t1, t2, t3);
    EXPECT_EQ(t1, count - 1);
    if (dialog.TabKind(1) < 0) {
        EXPECT_EQ(t2, -1);
    }
    EXPECT_EQ(t3, -1);
}

TEST(VKTHodnotyDlg, EveryStripPageShowsItsTableOrChart)
{
    CVKTHodnotyDlg dialog;
    dialog.resize(1800, 1200);
    dialog.show();
    dialog.ResetLayout();
    EXPECT_EQ(dialog.Class(), 0);
    for (int c = 0; c < 4; ++c)
        EXPECT_TRUE(dialog.Chart(c)->isVisible()) << c;
    EXPECT_TRUE(dialog.Tab(0)->isHidden());

    dialog.resize(700, 300);
    ASSERT_GE(dialog.Class(), 5);
    QTabBar* strip = dialog.Tab(0);
    ASSERT_FALSE(strip->isHidden());
    for (int page = 0; page < strip->count(); ++page) {
        strip->setCurrentIndex(page);
        int visible = 0;
        for (int t = 0; t < 4; ++t)
            visible += dialog.Table(t)->isVisible() ? 1 : 0;
        for (int c = 0; c < 4; ++c)
            visible += dialog.Chart(c)->isVisible() ? 1 : 0;
        EXPECT_GE(visible, 1) << "page " << page;
    }
}

TEST(VKTHodnotyDlg, ReceivedWhenThePhaseAndTheGroupBitsAreSet)
{
    EXPECT_TRUE(CVKTHodnotyDlg::IsReceived(0x11, 0, 0));
    EXPECT_FALSE(CVKTHodnotyDlg::IsReceived(0x01, 0, 0));
    EXPECT_FALSE(CVKTHodnotyDlg::IsReceived(0x10, 0, 0));
    EXPECT_TRUE(CVKTHodnotyDlg::IsReceived(0x48, 3, 2));
    EXPECT_FALSE(CVKTHodnotyDlg::IsReceived(0x48, 2, 2));
    CVKTHodnotyDlg dialog;
    dialog.SetReceivedMask(0x13);
    EXPECT_EQ(dialog.DialogRows(), (std::array<bool, 4>{true, true, false, false}));
}

TEST(VKTCurrentDecade, SmallestDecadeAboveTheLargestValue)
{
    EXPECT_EQ(CVKTCurrentDecade::DecadeOf(0.0), 0); // at least 0.0001
    EXPECT_EQ(CVKTCurrentDecade::DecadeOf(0.1), 0);
    EXPECT_EQ(CVKTCurrentDecade::DecadeOf(0.11), 1);
    EXPECT_EQ(CVKTCurrentDecade::DecadeOf(10.0), 2);
    EXPECT_EQ(CVKTCurrentDecade::DecadeOf(5000.0), 5);
    EXPECT_EQ(CVKTCurrentDecade::Unit(1), QStringLiteral("[mA]"));
    EXPECT_EQ(CVKTCurrentDecade::Unit(2), QStringLiteral("[A]"));
    EXPECT_EQ(CVKTCurrentDecade::Unit(5), QStringLiteral("[kA]"));
}

TEST(VKTCurrentDecade, SwitchesAtOnceOrAfterTenRefreshes)
{
    CVKTCurrentDecade decade;
    // Up with room to spare: at once.
    EXPECT_EQ(decade.Update(50.0), 3); // S = 100, 50 <= 90
    // One decade down: at once.
    EXPECT_EQ(decade.Update(5.0), 2);
    // Up close to the new full scale (95 > 0.9 * 100): kept ten refreshes.
    for (int n = 0; n < CVKTCurrentDecade::kDeferrals; ++n)
        EXPECT_EQ(decade.Update(95.0), 2) << n;
    EXPECT_EQ(decade.Update(95.0), 3);
    // Two decades down, but the value near the top of the new one: deferred.
    EXPECT_EQ(decade.Update(0.95), 3);
    // Back in the decade in use: the count starts afresh.
    EXPECT_EQ(decade.Update(60.0), 3);
    for (int n = 0; n < CVKTCurrentDecade::kDeferrals; ++n)
        EXPECT_EQ(decade.Update(0.95), 3) << n;
    EXPECT_EQ(decade.Update(0.95), 1);
    // Two decades down with room to spare: at once.
    EXPECT_EQ(decade.Update(50.0), 3);
    EXPECT_EQ(decade.Update(0.5), 1);
}

TEST(VKTHarmonicChart, MarkersNeverShowAsNumbers)
{
    struct Case {
        float value;
        bool current;
        const char* text;
    };
    const Case cases[] = {
        {-10000000.5f, true, "-N-"}, {-9999999.0f, true, "--"}, {-1000000.0f, true, "--"},
        {0.25f, true, "250"},         {-1000.5f, false, "-N-"},
        {-1000.0f, false, "--"},        {-0.99f, false, "--"},    {2.5f, false, "2.5"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CVKTHarmonicChart::ValueText(c.value, c.current, 0).toStdString(), c.text) << c.value;
    EXPECT_EQ(CVKTHarmonicChart::ValueText(2.5f, false, 0, false), QStringLiteral("2.50"));
    EXPECT_EQ(CVKTHarmonicChart::ValueText(5.0f, true, 2), QStringLiteral("5.0"));
}

TEST(VKTHodnotyDlg, ValuesFillTheCellsAndTheCurrentScale)
{
    CVKTHodnotyDlg dialog;
    CVKTValueTexts t;
    t.hasValues = true;
    t.connectionType = 1;
    t.u = {"230.0", "231.0", "232.0", "233.0"};
    t.i = {"5.00", "5.10", "5.20", "5.30"};
    t.p = {"1.0", "2.0", "3.0", "4.0"};
    t.frequency = "50.00";
    for (auto& channel : t.currentOdd)
        channel.fill(CVKTValueTexts::kBarNoCurrent);
    for (auto& channel : t.currentEven)
        channel.fill(CVKTValueTexts::kBarNoCurrent);
    dialog.SetValues(t);
    EXPECT_EQ(dialog.FieldText(1015), QStringLiteral("230.0"));
    EXPECT_EQ(dialog.FieldText(1053), QStringLiteral("5.30"));
    EXPECT_EQ(dialog.FieldText(1074), QStringLiteral("4.0"));
    EXPECT_EQ(dialog.FieldText(1023), QStringLiteral("50.00"));
    // All current harmonics missing: the smallest decade.
    EXPECT_EQ(dialog.CurrentDecade(), 0);
    EXPECT_EQ(dialog.Chart(2)->CellText(0, 0), QStringLiteral("-N-"));

    t.currentOdd[1][0] = 300.0f; // the fundamental counts with a tenth: 30 A
    t.currentOdd[1][3] = 2.0f;
    dialog.SetValues(t);
    EXPECT_EQ(dialog.CurrentDecade(), 3);
    EXPECT_EQ(dialog.Chart(2)->CellText(1, 2), QStringLiteral("2"));
}

// Behind a transformer the values come divided by a multiplier; the unit
// captions must name the unit they are in.
TEST(VKTHodnotyDlg, UnitCaptionsFollowTheMultipliers)
{
    CVKTHodnotyDlg dialog;
    const auto captions = [&] {
        QStringList texts;
        for (int id : {1008, 1009, 1010, 1063, 1064, 1065})
            texts << dialog.FieldText(id);
        return texts.join(u' ');
    };
    EXPECT_EQ(captions(), "U L-N[V] U L-L[V] I[A] P[W] Q[var] S[VA]");
    CVKTValueTexts t;
    t.voltageMultiplier = 1000;
    t.currentMultiplier = 1000;
    t.powerMultiplier = 1000000;
    dialog.SetValues(t); // no values yet: nothing to go by
    EXPECT_EQ(captions(), "U L-N[V] U L-L[V] I[A] P[W] Q[var] S[VA]");
    t.hasValues = true;
    dialog.SetValues(t);
    EXPECT_EQ(captions(), "U L-N[kV] U L-L[kV] I[kA] P[MW] Q[Mvar] S[MVA]");
    t.currentMultiplier = 1;
    t.powerMultiplier = 1000;
    dialog.SetValues(t);
    EXPECT_EQ(captions(), "U L-N[kV] U L-L[kV] I[A] P[kW] Q[kvar] S[kVA]");
}

TEST(VKTPrijimanaDataDlg, ChoiceReplacesTheLowByteOnly)
{
    CVKTPrijimanaDataDlg dialog;
    dialog.SetMask(0x1234);
    EXPECT_TRUE(dialog.Box(2)->isChecked());
    EXPECT_TRUE(dialog.Box(4)->isChecked());
    EXPECT_TRUE(dialog.Box(5)->isChecked());
    EXPECT_FALSE(dialog.Box(0)->isChecked());
    EXPECT_EQ(dialog.GetMask(0x1234), 0x1234u);

    for (int bit = 0; bit < 8; ++bit)
        dialog.Box(bit)->setChecked(true);
    EXPECT_EQ(dialog.GetMask(0x0A00), 0x0AFFu);
    // Bits above 15 are kept as they are, like bits 8 to 15.
    EXPECT_EQ(dialog.GetMask(0xA5000A00u), 0xA5000AFFu);

    CPristroj entry;
    entry.SetValueMask(0x00030A13);
    dialog.Box(0)->setChecked(false);
    EXPECT_EQ(StoreReceivedChoice(entry, dialog), 0x00030AFEu);
    EXPECT_EQ(entry.GetValueMask(), 0x00030AFEu);
}

} // namespace
