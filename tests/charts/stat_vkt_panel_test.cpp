// The statistics panel over a VKT archive recorded by the store: the
// computation into the VKT tabs and the results let go again.
#include "tests/charts_stats/ArchiveFixture.h"

#include "archive/store/VKTArchivData.h"
#include "charts/StatPanel.h"

#include <QTabBar>

namespace {

// 230 V, 400 V between lines and 5 A in three phases.
CAktData ThreePhases()
{
    CAktData v;
    const BYTE selection[2] = {0x00, 0x17};
    v.CreateParts(selection, 2);
    for (int i = 0; i < 3; ++i) {
        CAktPhase* ph = v.GetPhase(i);
        ph->voltage = 9200;
        ph->lineVoltage = 16000;
        ph->current = 25000;
        ph->activePower = 1000.0f;
        ph->reactivePower = 100.0f;
        ph->thdU = 150;
        ph->thdI = 800;
    }
    return v;
}

CVKTConfig Star()
{
    CVKTConfig c;
    c.SetVtPrimary(CVKTConfig::kUnset);
    c.SetCtPrimary(CVKTConfig::kUnset);
    c.SetConnection(CVKTConfig::Star);
    c.SetNominalVoltage(4000.0f);
    c.SetNominalPower(30.0f);
    return c;
}

using VKTStatPanelTest = statstest::ArchiveFixture;

TEST_F(VKTStatPanelTest, RefreshShowsTheVKTTabsAndFreeingClearsThem)
{
    CVKTArchivData data;
    WriteTwentyMinutes(data, CVKTArchivData::Extension(), Star(), Star(), [](int) { return ThreePhases(); });
    CVKTStatPanel panel;
    panel.resize(1000, 520);
    panel.SetArchivData(&data, nullptr);
    panel.Refresh();
    ASSERT_EQ(panel.ResultCount(), 1);
    EXPECT_EQ(panel.Tabs().Segments().count(), 1);
    CStatQuantityTabs& q = panel.Tabs().Quantities();
    EXPECT_EQ(q.Period().GetKind(), CArchivePeriodDlg::kVKT);
    EXPECT_EQ(q.VKTResult(), &panel.Results().front());
    q.SelectTab(0);
    EXPECT_EQ(q.Grid().GetCellText(0, 7), QStringLiteral("UN"));
    EXPECT_EQ(q.Grid().GetCellText(2, 1), QStringLiteral("230.0"));
    EXPECT_EQ(q.Grid().GetCellText(2, 4), QStringLiteral("400.0"));
    q.SelectTab(1);
    EXPECT_DOUBLE_EQ(q.Grid().GetCellText(2, 1).toDouble(), 5.0); // in the archive's current format

    panel.FreeResults();
    EXPECT_EQ(panel.ResultCount(), 0);
    EXPECT_EQ(q.VKTResult(), nullptr);
    EXPECT_EQ(q.Grid().GetCellText(2, 1), QString());
    EXPECT_FALSE(panel.PrintResults());
}

} // namespace
