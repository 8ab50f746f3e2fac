// The meter-archive view over readings given in code: the table, the
// refresh clock, export and printing.
#include "PdfCheck.h"

#include "archive/documents/ArchivDocHooks.h"
#include "charts/BexorArchivView.h"
#include "charts/BexorDisplayDlg.h"
#include "charts/ExportDlg.h"
#include "platform/Settings.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using platform::CTime;

class FakeMeterView : public CMeterArchivView {
public:
    FakeMeterView() : CMeterArchivView(false) {}
    std::vector<charts::CMeterSample> samples;

protected:
    std::vector<charts::CMeterSample> Samples() const override { return samples; }
};

std::vector<charts::CMeterSample> Quarters(int count)
{
    std::vector<charts::CMeterSample> samples;
    for (int i = 0; i < count; ++i) {
        charts::CMeterSample s;
        s.time = CTime(2024, 3, 12, 8, 0, 0) + CTimeSpan(900 * i + (i == 2 ? 45 : 0));
        s.energy[3] = {100.0 + i, 10.0, 20.0 + i, 0.0};
        samples.push_back(s);
    }
    return samples;
}

class MeterViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("settings.ini")));
    }
    void TearDown() override
    {
        CArchivDocHooks::Instance().runDialog = nullptr;
        platform::Settings::SetFileForTesting(QString());
    }
    QTemporaryDir dir;
};

TEST_F(MeterViewTest, TheTableShowsIncrementsWithLateRowsGreyAndRefreshesEveryQuarterHour)
{
    FakeMeterView view;
    view.samples = Quarters(4);
    CTime now(2024, 3, 12, 9, 5, 0);
    view.SetClock([&] { return now; });
    EXPECT_EQ(view.NextRefresh(), CTime(2024, 3, 12, 9, 16, 0));
    view.RebuildTable();
    // Defaults: increments of the totals of all five quantities.
    QTableWidget* list = view.TableWidget();
    ASSERT_EQ(list->rowCount(), 3);
    ASSERT_EQ(list->columnCount(), 6);
    EXPECT_EQ(list->horizontalHeaderItem(0)->text(), QStringLiteral("Čas od - do"));
    EXPECT_EQ(list->item(0, 1)->text(), QStringLiteral("1.000"));
    EXPECT_EQ(list->item(0, 2)->text(), QStringLiteral("0.000"));
    EXPECT_EQ(list->item(0, 5)->text(), QStringLiteral("0.707"));
    EXPECT_EQ(list->item(1, 0)->background().color(), QColor(255, 255, 223));
    EXPECT_NE(list->item(0, 0)->foreground().color(), list->item(2, 0)->foreground().color()); // 45 s late
    EXPECT_FALSE(view.Control(CMeterArchivView::IdExport)->isEnabled());
    EXPECT_TRUE(view.Control(CMeterArchivView::IdTabs)->isHidden());

    // Ticks refresh only past :16, :31, :46 and :01.
    const int before = view.Refreshes();
    for (const auto& [minute, second, refreshes] : std::vector<std::tuple<int, int, int>>{
             {10, 0, 0}, {16, 0, 0}, {16, 5, 1}, {20, 0, 1}, {31, 1, 2}, {46, 1, 3}}) {
        now = CTime(2024, 3, 12, 9, minute, second);
        view.OnTimerTick();
        EXPECT_EQ(view.Refreshes() - before, refreshes) << minute << ":" << second;
    }
    EXPECT_EQ(view.NextRefresh(), CTime(2024, 3, 12, 10, 1, 0));
}

TEST_F(MeterViewTest, ReadingsExportAndPrint)
{
    FakeMeterView view;
    view.samples = Quarters(3);
    charts::CMeterDisplay display;
    display.increments = 0;
    view.SetDisplay(display);
    EXPECT_EQ(CMeterArchivView::LoadDisplay(false).increments, 0); // kept in the registry
    ASSERT_TRUE(view.Control(CMeterArchivView::IdExport)->isEnabled());

    const QString path = dir.filePath(QStringLiteral("meter"));
    CArchivDocHooks::Instance().runDialog = [&](QDialog& dialog) {
        auto& exportDialog = static_cast<charts::CExportDlg&>(dialog);
        exportDialog.SetPath(path);
        exportDialog.SetDecimalIndex(1);
        return int(QDialog::Accepted);
    };
    QTest::mouseClick(static_cast<QPushButton*>(view.Control(CMeterArchivView::IdExport)), Qt::LeftButton);
    QFile file(path + QStringLiteral(".csv"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray csv = file.readAll();
    EXPECT_TRUE(csv.contains("\"08:30:45\",") || csv.contains("\"12.03. 08:30:45\",")) << csv.constData();

    // A folder that does not exist: the user is told and nothing is written.
    CArchivDocHooks::Instance().runDialog = [&](QDialog& dialog) {
        static_cast<charts::CExportDlg&>(dialog).SetPath(dir.filePath(QStringLiteral("none/m.csv")));
        return int(QDialog::Accepted);
    };
    {
        ui::ScriptedMessageBoxes boxes;
        EXPECT_FALSE(view.Export());
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Soubor se nepodařilo otevřít."));
    }

    PDFCHECK_REQUIRE_TOOLS();
    pdfcheck::PdfJobs jobs;
    ASSERT_TRUE(view.Print());
    const QString text = pdfcheck::PageTexts(jobs.Path()).join(QString());
    EXPECT_TRUE(text.contains(QStringLiteral("AaI (C) [kWh]"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("102.000")));
    EXPECT_TRUE(text.contains(QStringLiteral("absolutně")));
    EXPECT_TRUE(text.contains(QStringLiteral("Odběrový tarif")));
    EXPECT_TRUE(text.contains(QStringLiteral("Účiník (PF) []")));
}

TEST_F(MeterViewTest, TheSettingsDialogChangesTheColumnsAndTheRegistry)
{
    FakeMeterView view;
    view.samples = Quarters(4);
    view.RebuildTable();
    CArchivDocHooks::Instance().runDialog = [](QDialog& dialog) {
        auto& d = static_cast<CBexorDisplayDlg&>(dialog);
        EXPECT_EQ(d.SubColumns()->count(), 4); // no phases for VK
        d.Quantities()->item(1)->setSelected(false);
        d.Quantities()->item(2)->setSelected(false);
        d.SubColumns()->item(0)->setSelected(true);
        d.ValueMode()->setCurrentIndex(0);
        d.Interval()->setCurrentIndex(1);
        return int(QDialog::Accepted);
    };
    QTest::mouseClick(static_cast<QPushButton*>(view.Control(CMeterArchivView::IdSettings)), Qt::LeftButton);
    // AaI, ArC, PF of T1 and C, readings a hour apart.
    EXPECT_EQ(view.Table().ColumnCount(), 1 + 3 * 2);
    EXPECT_EQ(view.TableWidget()->rowCount(), 2);
    EXPECT_EQ(view.TableWidget()->horizontalHeaderItem(3)->text(), QStringLiteral("ArC (T1) [kvarh]"));
    const charts::CMeterDisplay stored = CMeterArchivView::LoadDisplay(false);
    EXPECT_EQ(stored.interval, 1);
    EXPECT_EQ(stored.increments, 0);
    EXPECT_EQ(stored.quantities, (std::array<int, 5>{1, 0, 0, 1, 1}));
    EXPECT_EQ(platform::Settings().GetProfileInt(platform::SettingsSection("Bexor"), QStringLiteral("isArL"), -1), 0);
}

} // namespace
