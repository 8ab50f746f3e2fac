// The quantity tables of the VK and VKR display settings, on the family
// pages and in the displayed-quantities dialogs: the row and column headers
// follow the boxes and choose or clear them; the ranges of the graph's
// scale categories are checked as each limit box is left, follow
// "Určit rozsah automaticky", reload with "Výchozí" and reach the graph.
#include "analysers_vk/ONVK.h"
#include "analysers_vk/ONVKR.h"
#include "analysers_vk/VKGrafAktual.h"
#include "analysers_vk/VKQuantityGrid.h"
#include "analysers_vk/VKRLineGrid.h"
#include "analysers_vk/VKRZobrazeneVelicinyDlg.h"
#include "analysers_vk/VKRangeBox.h"
#include "analysers_vk/VKZobrazeneVelicinyDlg.h"
#include "archive/store/VKRArchivData.h"
#include "model/ScaleCategories.h"
#include "platform/Settings.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using namespace analysers_vk;

namespace {

class VKDisplaySettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("settings.ini")));
    }
    void TearDown() override { platform::Settings::SetFileForTesting(QString()); }
    QTemporaryDir dir;
};

std::vector<int> ChosenOf(const CVKQuantityGrid& grid)
{
    std::vector<int> chosen;
    for (int i = 0; i < CVKQuantityGrid::kCount; ++i)
        if (grid.Shown(i))
            chosen.push_back(i);
    return chosen;
}

constexpr int kPF = 2, kP = 6, kU = 0;
constexpr int kPhase2 = 1, kTotal = 3;

// Each header's text stands left of its box; the row headers' boxes stand in
// one column beside the cells and each column's header over its cells, with
// texts of any width.
TEST(VKQuantityGridLayout, HeadersStandBesideAndOverTheirCells)
{
    CVKQuantityGrid grid;
    grid.resize(500, 400);
    grid.show();
    for (int r = 0; r < CVKQuantityGrid::kRows; ++r) {
        QCheckBox* header = grid.RowHeader(r);
        EXPECT_EQ(header->layoutDirection(), Qt::RightToLeft);
        EXPECT_EQ(header->geometry().right(), grid.RowHeader(0)->geometry().right()) << r;
        for (int c = 0; c < CVKQuantityGrid::kColumns; ++c) {
            const int index = CVKQuantityGrid::CellQuantity(r, c);
            if (index < 0)
                continue;
            QCheckBox* box = grid.Box(index);
            EXPECT_GT(box->mapTo(&grid, QPoint(0, 0)).x(), header->geometry().right()) << index;
            EXPECT_EQ(box->mapTo(&grid, QPoint(0, 0)).x(), grid.ColumnHeader(c)->x()) << index;
        }
    }
}

TEST_F(VKDisplaySettings, HeadersFollowTheBoxesAndChooseOrClearTheirRowOrColumn)
{
    CONVK page;
    platform::Settings settings;
    page.Load(settings); // U1..U3 and I1..I3
    CVKQuantityGrid& grid = *page.Grid();
    EXPECT_EQ(grid.RowHeader(kU)->checkState(), Qt::Checked);
    EXPECT_EQ(grid.RowHeader(kPF)->checkState(), Qt::Unchecked);
    EXPECT_EQ(grid.ColumnHeader(0)->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(grid.ColumnHeader(kTotal)->checkState(), Qt::Unchecked);

    // The three power factors without their total leave the row undecided;
    // the total decides it.
    for (int column = 0; column < 3; ++column)
        grid.Box(CVKQuantityGrid::CellQuantity(kPF, column))->click();
    EXPECT_EQ(grid.RowHeader(kPF)->checkState(), Qt::PartiallyChecked);
    grid.Box(33)->click(); // 3PF
    EXPECT_EQ(grid.RowHeader(kPF)->checkState(), Qt::Checked);
    EXPECT_EQ(grid.ColumnHeader(kTotal)->checkState(), Qt::PartiallyChecked);

    // A click on a chosen header clears its row, on a clear one chooses it.
    grid.RowHeader(kPF)->click();
    for (int column = 0; column < 4; ++column)
        EXPECT_FALSE(grid.Shown(CVKQuantityGrid::CellQuantity(kPF, column))) << column;
    EXPECT_EQ(grid.RowHeader(kPF)->checkState(), Qt::Unchecked);
    grid.RowHeader(kP)->click();
    EXPECT_TRUE(grid.Shown(18) && grid.Shown(19) && grid.Shown(20) && grid.Shown(34));
    EXPECT_EQ(grid.RowHeader(kP)->checkState(), Qt::Checked);

    // A column's header over the nine phase-2 quantities; one undecided
    // is cleared by its click.
    grid.ColumnHeader(kPhase2)->click();
    EXPECT_EQ(grid.ColumnHeader(kPhase2)->checkState(), Qt::Unchecked);
    grid.ColumnHeader(kPhase2)->click();
    EXPECT_EQ(grid.ColumnHeader(kPhase2)->checkState(), Qt::Checked);
    for (int row = 0; row < CVKQuantityGrid::kRows; ++row)
        EXPECT_TRUE(grid.Shown(CVKQuantityGrid::CellQuantity(row, kPhase2))) << row;
    EXPECT_EQ(ChosenOf(grid), (std::vector<int>{0, 1, 2, 3, 4, 5, 8, 13, 18, 19, 20, 22, 25, 28, 31, 34}));
    // The totals' column.
    grid.ColumnHeader(kTotal)->click(); // undecided (3P only): cleared
    EXPECT_FALSE(grid.Shown(34));
    grid.ColumnHeader(kTotal)->click();
    EXPECT_TRUE(grid.Shown(33) && grid.Shown(34) && grid.Shown(35) && grid.Shown(36));
    EXPECT_EQ(grid.RowHeader(kP)->checkState(), Qt::Checked);
}

// The line voltages stand as "U12:", "U23:", "U31:" and carry U3,1, U1,2
// and U2,3 in that pairing.
TEST_F(VKDisplaySettings, LineVoltageLabelsStandBesideTheirQuantities)
{
    CONVK page;
    page.resize(700, 900);
    page.show();
    CVKQuantityGrid& grid = *page.Grid();
    const char* const labels[] = {"U12:", "U23:", "U31:"};
    const char* const names[] = {"U3,1", "U1,2", "U2,3"};
    for (int k = 0; k < 3; ++k) {
        QLabel* label = nullptr;
        for (QLabel* l : grid.findChildren<QLabel*>())
            if (l->text() == QString::fromLatin1(labels[k]))
                label = l;
        ASSERT_NE(label, nullptr) << labels[k];
        QCheckBox* box = grid.Box(CVKQuantityGrid::kLineVoltages[std::size_t(k)]);
        EXPECT_EQ(box->accessibleName(), QString::fromLatin1(names[k]));
        const int labelMiddle = label->mapTo(&grid, label->rect().center()).y();
        const QRect boxRect(box->mapTo(&grid, QPoint(0, 0)), box->size());
        EXPECT_TRUE(labelMiddle >= boxRect.top() && labelMiddle <= boxRect.bottom()) << labels[k];
    }
}

TEST_F(VKDisplaySettings, VKRLineTableHeadersJoinTheLineVoltagesAndTheirDistortions)
{
    CONVKR page;
    platform::Settings settings;
    page.Load(settings);
    CVKRLineGrid& lines = *page.Lines();
    CVKQuantityGrid& grid = *page.Grid();
    EXPECT_EQ(grid.Box(15)->parentWidget(), &lines); // shown in the line table
    EXPECT_EQ(lines.RowHeader(0)->text(), QStringLiteral("UL-L"));
    EXPECT_EQ(lines.RowHeader(1)->text(), QStringLiteral("THDU"));
    EXPECT_EQ(lines.ColumnHeader(0)->text(), QStringLiteral("12"));

    lines.ColumnHeader(0)->click(); // "12": U3,1 with THDU1,2
    EXPECT_TRUE(grid.Shown(15));
    EXPECT_TRUE(lines.Shown(0));
    EXPECT_EQ(lines.ColumnHeader(0)->checkState(), Qt::Checked);
    EXPECT_EQ(lines.RowHeader(0)->checkState(), Qt::PartiallyChecked);
    lines.RowHeader(0)->click(); // undecided: the line voltages cleared
    EXPECT_FALSE(grid.Shown(15) || grid.Shown(16) || grid.Shown(17));
    EXPECT_EQ(lines.ColumnHeader(0)->checkState(), Qt::PartiallyChecked);
    lines.RowHeader(1)->click(); // THDU row: was undecided, cleared
    lines.RowHeader(1)->click(); // now chosen
    EXPECT_TRUE(lines.Shown(0) && lines.Shown(1) && lines.Shown(2));
    grid.Box(16)->click();
    EXPECT_EQ(lines.ColumnHeader(1)->checkState(), Qt::Checked);
}

// A graph whose category set has ranges of its own, as an instrument's
// graph keeps it.
struct GraphWithRanges {
    GraphWithRanges()
    {
        // Binding the archive gives its data the family's set first.
        graph.AttachArchive(data);
        CScaleCategories c(2);
        c.SetRange(0, 200.0f, 260.0f);
        c.SetRange(2, 0.5f, 1.5f); // shown as -0.5..0.5
        c.SetAuto(FALSE);
        data.ScaleCategories() = c;
    }
    ~GraphWithRanges() { graph.Detach(); }
    GraphWithRanges(const GraphWithRanges&) = delete;
    GraphWithRanges& operator=(const GraphWithRanges&) = delete;

    CVKRArchivData data;
    CVKGrafAktual graph;
};

TEST_F(VKDisplaySettings, DialogRangesComeFromAndGoToTheGraph)
{
    GraphWithRanges shown;
    CVKGrafAktual& graph = shown.graph;
    CVKRZobrazeneVelicinyDlg dialog;
    ASSERT_TRUE(dialog.LoadFromGraph(graph));
    CVKRangeBox& ranges = *dialog.Ranges();
    EXPECT_EQ(ranges.title(), QStringLiteral("Rozsahy grafu :"));
    EXPECT_EQ(ranges.Minimum(0)->text(), QStringLiteral("200"));
    EXPECT_EQ(ranges.Minimum(2)->text(), QStringLiteral("-0.5"));
    EXPECT_EQ(ranges.Maximum(2)->text(), QStringLiteral("0.5"));
    EXPECT_FALSE(ranges.Automatic()->isChecked());
    EXPECT_TRUE(ranges.Minimum(0)->isEnabled());

    ranges.Maximum(0)->setText(QStringLiteral("250"));
    ranges.Automatic()->click();
    EXPECT_FALSE(ranges.Minimum(0)->isEnabled());
    for (QLabel* label : ranges.findChildren<QLabel*>())
        EXPECT_FALSE(label->isEnabled()) << label->text().toStdString();
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    dialog.StoreToGraph(graph);
    float lo = 0, hi = 0;
    const CScaleCategories& stored = shown.data.ScaleCategories();
    ASSERT_TRUE(stored.GetRange(0, lo, hi));
    EXPECT_FLOAT_EQ(lo, 200.0f);
    EXPECT_FLOAT_EQ(hi, 250.0f);
    ASSERT_TRUE(stored.GetRange(2, lo, hi));
    EXPECT_FLOAT_EQ(lo, 0.5f);
    EXPECT_FLOAT_EQ(hi, 1.5f);
    EXPECT_TRUE(stored.GetAuto());
}

TEST_F(VKDisplaySettings, DialogRefusesAPowerFactorOfMinusOneThatThePageTakes)
{
    ui::ScriptedMessageBoxes boxes;
    GraphWithRanges shown;
    CVKGrafAktual& graph = shown.graph;
    CVKZobrazeneVelicinyDlg dialog;
    ASSERT_TRUE(dialog.LoadFromGraph(graph));
    dialog.Ranges()->Minimum(2)->setText(QStringLiteral("-1"));
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("cos/PF: minimální mez je menší než -0.990000"));

    CONVK page;
    platform::Settings settings;
    page.Load(settings);
    page.Minimum(2)->setText(QStringLiteral("-1"));
    EXPECT_TRUE(page.CheckRanges().isEmpty());
}

TEST_F(VKDisplaySettings, LeavingALimitBoxChecksItsRowAtOnce)
{
    ui::ScriptedMessageBoxes boxes;
    CONVK page;
    platform::Settings settings;
    page.Load(settings);
    page.Automatic()->setChecked(false);
    page.resize(700, 900);
    page.show();
    page.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    QLineEdit* minimum = page.Minimum(0);
    minimum->setFocus();
    minimum->selectAll();
    QTest::keyClicks(minimum, QStringLiteral("600"));
    page.Maximum(3)->setFocus(Qt::MouseFocusReason); // leaves the voltage minimum
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("U: minimální mez musí být menší naž maximální"));
    // Back to the maximum: the minimum is below the voltage's upper limit.
    EXPECT_EQ(QApplication::focusWidget(), page.Maximum(0));
}

TEST_F(VKDisplaySettings, DefaultsReloadTheFamilyRanges)
{
    {
        platform::Settings settings;
        CScaleCategories stored(2);
        stored.SetRange(1, 0.0f, 40.0f);
        stored.SetAuto(FALSE);
        stored.SaveToSettings(2, settings);
    }
    GraphWithRanges shown;
    CVKGrafAktual& graph = shown.graph;
    CVKZobrazeneVelicinyDlg dialog;
    ASSERT_TRUE(dialog.LoadFromGraph(graph));
    EXPECT_EQ(dialog.Ranges()->Minimum(0)->text(), QStringLiteral("200"));
    QPushButton* defaults = nullptr;
    for (QPushButton* b : dialog.findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("Výchozí"))
            defaults = b;
    ASSERT_NE(defaults, nullptr);
    defaults->click();
    EXPECT_EQ(dialog.Ranges()->Minimum(0)->text(), QStringLiteral("0"));
    EXPECT_EQ(dialog.Ranges()->Maximum(1)->text(), QStringLiteral("40"));
    EXPECT_FALSE(dialog.Ranges()->Automatic()->isChecked());
}

} // namespace
