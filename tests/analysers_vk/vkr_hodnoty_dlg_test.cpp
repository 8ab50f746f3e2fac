// The VKR values dialog: its six arrangements by size, the fields each
// connection type leaves enabled, the tab choice and the value texts.
#include "analysers_vk/VKRHodnotyDlg.h"
#include "platform/ui/DialogUnits.h"

#include <QLabel>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using analysers_vk::CVKRHodnotyDlg;

void ResizeDlu(CVKRHodnotyDlg& dlg, int w, int h)
{
    // The pixel sizes that convert back to exactly these units.
    auto pixels = [](int dlu, int (*to)(int, const QFont&), int (*back)(int, const QFont&), const QFont& font) {
        int p = std::max(0, to(dlu, font) - 4);
        while (back(p, font) < dlu)
            ++p;
        return p;
    };
    dlg.resize(pixels(w, ui::DluToPixelsX, ui::PixelsToDluX, dlg.font()),
               pixels(h, ui::DluToPixelsY, ui::PixelsToDluY, dlg.font()));
}

TEST(VKRHodnotyDlgTest, SizeChoosesTheArrangement)
{
    struct Case {
        int w, h;
        bool compact;
        int state;
    };
    const Case cases[] = {
        {348, 165, false, 0}, {347, 306, false, 2}, {347, 307, false, 1}, {348, 164, false, 3},
        {348, 123, false, 3}, {348, 122, false, 4}, {347, 160, false, 4}, {200, 113, false, 4},
        {200, 112, false, 5}, {200, 112, true, 4},  {800, 600, false, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CVKRHodnotyDlg::ChooseState(c.w, c.h, c.compact), c.state) << c.w << "x" << c.h;

    CVKRHodnotyDlg dlg;
    dlg.show();
    ResizeDlu(dlg, 348, 165);
    EXPECT_EQ(dlg.State(), 0);
    for (int g = 0; g < 4; ++g)
        EXPECT_TRUE(dlg.Group(g)->isVisible()) << g;
    EXPECT_FALSE(dlg.Tab()->isVisible());
    // Two columns: the powers beside the voltages.
    EXPECT_GT(dlg.Group(2)->x(), dlg.Group(0)->x() + dlg.Group(0)->width() / 2);

    ResizeDlu(dlg, 347, 306);
    EXPECT_EQ(dlg.State(), 2);
    EXPECT_TRUE(dlg.Group(0)->isVisible());
    ASSERT_TRUE(dlg.Tab()->isVisible());
    EXPECT_EQ(dlg.Tab()->count(), 3);
    EXPECT_EQ(dlg.Tab()->tabText(0), QStringLiteral("THD,..."));
    EXPECT_GT(dlg.Tab()->y(), dlg.Group(0)->y());
    EXPECT_TRUE(dlg.Group(1)->isVisible());
    EXPECT_FALSE(dlg.Group(2)->isVisible());

    // Choosing a tab shows its group alone.
    QTest::mouseClick(dlg.Tab(), Qt::LeftButton, {}, dlg.Tab()->tabRect(1).center());
    EXPECT_EQ(dlg.GetActiveTab(), 1);
    EXPECT_TRUE(dlg.Group(2)->isVisible());
    EXPECT_FALSE(dlg.Group(1)->isVisible());
    // A new arrangement with the same tab strip keeps the choice.
    dlg.ResetLayout();
    EXPECT_EQ(dlg.GetActiveTab(), 1);

    ResizeDlu(dlg, 200, 100);
    EXPECT_EQ(dlg.State(), 5);
    EXPECT_FALSE(dlg.FileFieldsShown());
    EXPECT_EQ(dlg.Tab()->count(), 4);
    dlg.SetActiveTab(3);
    EXPECT_TRUE(dlg.Group(3)->isVisible());
    EXPECT_FALSE(dlg.Group(0)->isVisible());
    dlg.SetActiveTab(7); // out of range: no change
    EXPECT_EQ(dlg.GetActiveTab(), 3);
    dlg.SetCompact(true);
    dlg.ResetLayout();
    EXPECT_EQ(dlg.State(), 4);
    EXPECT_TRUE(dlg.FileFieldsShown());
}

TEST(VKRHodnotyDlgTest, ConnectionEnablesWhatItMeasures)
{
    struct Case {
        int connection;
        std::vector<int> disabled;
    };
    const Case cases[] = {
        {0,
         {1022, 1023, 1039, 1040, 1025, 1026, 1042, 1043, 1028, 1029, 1033, 1034, 1035, 165, 166, 167, 1214, 1215,
          1216, 1218, 1219, 1220, 1222, 1223, 1224, 1226, 1227, 1228}},
        {1, {1023, 1040, 1026, 1043, 1029, 1034, 1035, 165, 166, 1215, 1219, 1223, 1227}},
        {2, {}},
        {3, {}},
        // Aron: no cos, no phase-2 current, per-phase powers gone, totals kept.
        {4,
         {1025, 1042, 1027, 1028, 1029, 1213, 1214, 1215, 1217, 1218, 1219, 1221, 1222, 1223, 1225, 1226, 1227}},
    };
    std::vector<int> all;
    for (int first : {1021, 1024, 1027, 1033, 1038, 1041, 165})
        for (int j = 0; j < 3; ++j)
            all.push_back(first + j);
    for (int id = 1213; id <= 1228; ++id)
        all.push_back(id);
    all.push_back(1049);
    all.push_back(1048);

    CVKRHodnotyDlg dlg;
    for (const Case& c : cases) {
        dlg.UpdateLabels(c.connection);
        for (int id : all) {
            const bool expected = std::find(c.disabled.begin(), c.disabled.end(), id) == c.disabled.end();
            ASSERT_NE(dlg.Field(id), nullptr) << id;
            EXPECT_EQ(dlg.Field(id)->isEnabled(), expected) << "connection " << c.connection << " field " << id;
        }
        EXPECT_EQ(dlg.FieldText(CVKRHodnotyDlg::IdPhaseCaption),
                  c.connection == 1 ? QStringLiteral("2f") : QStringLiteral("3f"));
    }
}

TEST(VKRHodnotyDlgTest, SameConnectionTwiceChangesNothing)
{
    CVKRHodnotyDlg dlg;
    dlg.UpdateLabels(4);
    // Someone else's change in between is left alone by a repeated call.
    dlg.Field(1027)->setEnabled(true);
    dlg.UpdateLabels(4);
    EXPECT_TRUE(dlg.Field(1027)->isEnabled());
    dlg.UpdateLabels(2);
    dlg.UpdateLabels(4);
    EXPECT_FALSE(dlg.Field(1027)->isEnabled());
}

TEST(VKRHodnotyDlgTest, ValuesGoToTheirFields)
{
    CVKRValueTexts t;
    t.hasValues = true;
    t.connectionType = 1;
    t.voltageMultiplier = 1000;
    t.powerMultiplier = 1000;
    t.u = {QStringLiteral("231.0"), QStringLiteral("229.5"), QStringLiteral("-N-")};
    t.thdULine = {QStringLiteral("-N-"), QStringLiteral("-N-"), QStringLiteral("2.1")};
    t.p3 = QStringLiteral("12.50");
    t.frequency = QStringLiteral("50.01");
    CVKRHodnotyDlg dlg;
    dlg.SetValues(t);
    EXPECT_EQ(dlg.FieldText(1022), QStringLiteral("229.5"));
    EXPECT_EQ(dlg.FieldText(167), QStringLiteral("2.1"));
    EXPECT_EQ(dlg.FieldText(1216), QStringLiteral("12.50"));
    EXPECT_EQ(dlg.FieldText(1049), QStringLiteral("50.01"));
    EXPECT_EQ(dlg.ConnectionType(), 1);
    EXPECT_EQ(dlg.FieldText(CVKRHodnotyDlg::IdPhaseCaption), QStringLiteral("2f"));
    EXPECT_EQ(dlg.FieldText(1301), QStringLiteral("P[kW]"));
    EXPECT_EQ(dlg.FieldText(1304), QStringLiteral("U L-N[kV]"));
    EXPECT_EQ(dlg.FieldText(1306), QStringLiteral("I[A]"));

    dlg.show();
    dlg.SetSwatch(2, QColor(193, 193, 193), true);
    EXPECT_FALSE(dlg.Field(CVKRHodnotyDlg::IdFirstThdUsSwatch + 2)->isHidden());
    EXPECT_EQ(dlg.SwatchColour(2), QColor(193, 193, 193));
    EXPECT_TRUE(dlg.Field(CVKRHodnotyDlg::IdFirstThdUsSwatch)->isHidden());
}

} // namespace
