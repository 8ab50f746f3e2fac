// The meter-archive view over readings given in code: the table, the
// refresh clock, export and printing.
#include "PdfCheck.h"

#include "archive_docs/ArchivDocHooks.h"
#include "archive_docs/FamilyArchivDocs.h"
#include "archive_docs/MeterArchivDoc.h"
#include "charts/BexorArchivView.h"
#include "charts/BexorDisplayDlg.h"
#include "charts/ExportDlg.h"
#include "platform/Settings.h"
#include "platform/ui/Artwork.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QPointer>
#include <QTabBar>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
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

// The print button wears the printer every other print button wears, and
// none of the pictures the neighbouring buttons or a list view use.
TEST_F(MeterViewTest, ThePrintButtonShowsAPrinter)
{
    FakeMeterView view;
    auto* print = qobject_cast<QPushButton*>(view.Control(CMeterArchivView::IdPrint));
    ASSERT_NE(print, nullptr);
    const QImage shown = print->icon().pixmap(16, 16).toImage();
    EXPECT_EQ(shown, ui::PrintIcon().pixmap(16, 16).toImage());
    for (const QStyle::StandardPixmap other :
         {QStyle::SP_FileDialogDetailedView, QStyle::SP_DialogSaveButton, QStyle::SP_FileDialogContentsView})
        EXPECT_NE(shown, print->style()->standardIcon(other).pixmap(16, 16).toImage()) << int(other);
}

TEST_F(MeterViewTest, AWideTablePrintsInColumnPagesThatKeepTheTime)
{
    PDFCHECK_REQUIRE_TOOLS();
    FakeMeterView view;
    view.samples = Quarters(3);
    charts::CMeterDisplay display;
    display.increments = 0;
    display.subColumns = {1, 1, 1, 1, 0, 0, 0};
    view.SetDisplay(display);
    ASSERT_EQ(view.Table().ColumnCount(), 1 + 5 * 4);
    pdfcheck::PdfJobs jobs;
    ASSERT_TRUE(view.Print());
    const QStringList pages = pdfcheck::PageTexts(jobs.Path());
    int headed = 0;
    for (const QString& page : pages) {
        if (!page.contains(QStringLiteral("Hodnoty elektroměru")))
            continue;
        ++headed;
        // Every column page shows the times of its rows.
        EXPECT_TRUE(page.contains(QStringLiteral("08:30:45"))) << page.toStdString();
        EXPECT_LT(page.count(QStringLiteral("[kWh]")) + page.count(QStringLiteral("[kvarh]")), 20);
    }
    EXPECT_GT(headed, 1);
    const QString all = pages.join(QString());
    for (int c = 1; c < view.Table().ColumnCount(); ++c)
        EXPECT_EQ(all.count(view.Table().Caption(c)), 1) << view.Table().Caption(c).toStdString();
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

// Meter archives written through the archive store: each meter block of the
// "bexor" stream is one tab of the view.
class MeterTabsTest : public MeterViewTest {
protected:
    void SetUp() override
    {
        MeterViewTest::SetUp();
        AddBexorTemplate(manager, 190);
        AddVKTBexorTemplate(manager, 304);
        CArchivDocHooks::Instance().docManager = [this] { return &manager; };
        charts::CMeterDisplay readings;
        readings.increments = 0;
        CMeterArchivView::SaveDisplay(false, readings);
        CMeterArchivView::SaveDisplay(true, readings);
    }
    void TearDown() override
    {
        if (document)
            document->OnCloseDocument();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        CArchivDocHooks::Instance() = CArchivDocHooks();
        MeterViewTest::TearDown();
    }
    // Opens the meter document over `archive` as the archive window does.
    CMeterArchivView* Open(const QString& typeName, CArchivData& archive)
    {
        document = archive::OpenMeterDocument(typeName, archive);
        auto* view = document ? qobject_cast<CMeterArchivView*>(document->FirstView()) : nullptr;
        if (view) {
            QWidget* frame = view->GetParentFrame() ? static_cast<QWidget*>(view->GetParentFrame()) : view;
            // Before the test gives it a size of its own: a new meter window
            // is never the bare title bar of an unsized frame.
            EXPECT_GE(frame->width(), 400);
            EXPECT_GE(frame->height(), 200);
            // At its first size every column of the filled table is whole,
            // with no scroll bar across.
            QCoreApplication::processEvents();
            const QTableWidget* table = view->TableWidget();
            EXPECT_GT(table->columnCount(), 1);
            EXPECT_FALSE(table->horizontalScrollBar()->isVisible());
            for (int c = 0; c < table->columnCount(); ++c)
                EXPECT_LE(table->columnViewportPosition(c) + table->columnWidth(c), table->viewport()->width())
                    << table->horizontalHeaderItem(c)->text().toStdString();
            frame->resize(800, 400);
            frame->show();
        }
        return view;
    }
    static void ClickTab(QTabBar* tabs, int index)
    {
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
    }
    static QStringList Column(const CMeterArchivView& view, int column)
    {
        QStringList cells;
        for (int r = 0; r < view.TableWidget()->rowCount(); ++r)
            cells << view.TableWidget()->item(r, column)->text();
        return cells;
    }

    ui::CDocManager manager;
    QPointer<ui::CDocument> document;
};

TEST_F(MeterTabsTest, EveryVKMeterHasItsTabWithItsOwnReadings)
{
    CVKArchivData archive;
    ASSERT_EQ(archive.Create(3600, 10, 60, dir.filePath(QStringLiteral("hala")), QStringLiteral(".vk"), TRUE, TRUE,
                             QStringLiteral("Hala")),
              1);
    // Three meters, each with its multiplier and its AaI counters of tariff 1
    // at quarter hours.
    const std::vector<std::tuple<CTime, float, std::vector<DWORD>>> meters = {
        {CTime(2024, 3, 12, 8, 0, 0), 2.0f, {1000, 1500, 2000}},
        {CTime(2024, 3, 13, 8, 0, 0), 1.0f, {5000, 5100}},
        {CTime(2024, 3, 14, 8, 0, 0), 10.0f, {100, 300, 350, 400}}};
    {
        std::unique_ptr<CArchivStream> stream;
        CBexorIndex index;
        ASSERT_EQ(archive.OpenOrCreateBexorStream(stream, index), 1);
        for (const auto& [start, multiplier, readings] : meters) {
            CBexorBlock block;
            block.SetMultiplier(multiplier);
            for (std::size_t i = 0; i < readings.size(); ++i) {
                DWORD counters[CVKEData::kCounters] = {};
                counters[CVKEData::CounterIndex(0, 0)] = readings[i];
                const CTime at(start.GetTime() + 900u * unsigned(i));
                ASSERT_TRUE(i == 0 ? index.AppendBlock(*stream, at, block, CBexorEntry(at, counters))
                                   : index.AppendEntry(*stream, at, counters));
            }
        }
    }
    CMeterArchivView* view = Open(QStringLiteral("Bexor Archiv"), archive);
    ASSERT_NE(view, nullptr);
    auto* doc = qobject_cast<CBexorArchivDoc*>(document.data());
    ASSERT_NE(doc, nullptr);
    QTabBar* tabs = view->Tabs();
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_TRUE(tabs->isVisible());
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("12.03.24 08:00:00"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("14.03.24 08:00:00"));
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(view->TableWidget()->horizontalHeaderItem(1)->text(), QStringLiteral("AaI (C) [kWh]"));
    EXPECT_EQ(Column(*view, 1), (QStringList{"2.000", "3.000", "4.000"}));

    const std::vector<std::pair<int, QStringList>> choices = {
        {2, {"1.000", "3.000", "3.500", "4.000"}}, {1, {"5.000", "5.100"}}, {0, {"2.000", "3.000", "4.000"}}};
    for (const auto& [tab, values] : choices) {
        ClickTab(tabs, tab);
        EXPECT_EQ(doc->GetCurrentBlockIndex(), tab);
        EXPECT_EQ(tabs->currentIndex(), tab);
        EXPECT_EQ(Column(*view, 1), values) << "tab " << tab;
        EXPECT_EQ(view->TableWidget()->item(0, 0)->text(),
                  std::get<0>(meters[std::size_t(tab)]).Format(QStringLiteral("%H:%M:%S %d.%m.%y")));
    }

    // The settings and the printout name the chosen meter's reset.
    ClickTab(tabs, 1);
    QString reset;
    CArchivDocHooks::Instance().runDialog = [&](QDialog& dialog) {
        reset = dialog.findChild<QLineEdit*>(QStringLiteral("1315"))->text();
        return int(QDialog::Rejected);
    };
    view->EditSettings();
    EXPECT_EQ(reset, QStringLiteral("13.03.24 08:00:00"));
    if (pdfcheck::HaveTools()) {
        pdfcheck::PdfJobs jobs;
        ASSERT_TRUE(view->Print());
        const QString text = pdfcheck::PageTexts(jobs.Path()).join(QString());
        EXPECT_TRUE(text.contains(QStringLiteral("Čas nulování: 13.03.24 08:00:00"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("5.100")));
        EXPECT_FALSE(text.contains(QStringLiteral("4.000")));
        // The job and both headings name the chosen meter; the page header
        // the archive, by its name, not its path.
        EXPECT_TRUE(text.contains(QStringLiteral("Hodnoty elektroměru 13.03.24 08:00:00"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Nastavení elektroměru 13.03.24 08:00:00"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("hala")));
        EXPECT_FALSE(text.contains(dir.path()));
        EXPECT_TRUE(pdfcheck::Run(QStringLiteral("pdfinfo"), {jobs.Path()})
                        .contains(QStringLiteral("13.03.24 08:00:00 - Elektroměr")));
        // The page carries no frame: no dark line runs down most of it.
        const QImage page = pdfcheck::PageImage(jobs.Path());
        ASSERT_FALSE(page.isNull());
        int longest = 0;
        for (int x = 0; x < page.width(); ++x) {
            int run = 0;
            for (int y = 0; y < page.height(); ++y) {
                run = qGray(page.pixel(x, y)) < 128 ? run + 1 : 0;
                longest = std::max(longest, run);
            }
        }
        EXPECT_LT(longest, page.height() / 2);
    }

    // The export names the archive the same way.
    const QString csvPath = dir.filePath(QStringLiteral("meter"));
    CArchivDocHooks::Instance().runDialog = [&](QDialog& dialog) {
        static_cast<charts::CExportDlg&>(dialog).SetPath(csvPath);
        return int(QDialog::Accepted);
    };
    ASSERT_TRUE(view->Export());
    QFile csv(csvPath + QStringLiteral(".csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QByteArray first = csv.readLine();
    EXPECT_TRUE(first.startsWith("\"p\xF8\xEDstroj:\",\"hala\",")) << first.constData();

    // The download adds a fourth meter: the refresh gives it its tab and
    // keeps the chosen one.
    {
        std::unique_ptr<CArchivStream> stream;
        CBexorIndex index;
        ASSERT_EQ(archive.OpenOrCreateBexorStream(stream, index), 1);
        CBexorBlock block;
        DWORD counters[CVKEData::kCounters] = {};
        const CTime at(2024, 3, 15, 8, 0, 0);
        ASSERT_TRUE(index.AppendBlock(*stream, at, block, CBexorEntry(at, counters)));
    }
    CTime now(2024, 3, 15, 8, 5, 0);
    view->SetClock([&] { return now; });
    now = CTime(2024, 3, 15, 8, 16, 1);
    view->OnTimerTick();
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(3), QStringLiteral("15.03.24 08:00:00"));
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_EQ(Column(*view, 1), (QStringList{"5.000", "5.100"}));
}

// An archive without a meter has no reset time to show.
TEST_F(MeterTabsTest, WithoutAMeterTheSettingsShowNoResetTime)
{
    CVKArchivData archive;
    ASSERT_EQ(archive.Create(3600, 10, 60, dir.filePath(QStringLiteral("prazdny")), QStringLiteral(".vk"), TRUE,
                             TRUE, QStringLiteral("Prázdný")),
              1);
    {
        std::unique_ptr<CArchivStream> stream;
        CBexorIndex index;
        ASSERT_EQ(archive.OpenOrCreateBexorStream(stream, index), 1);
    }
    CMeterArchivView* view = Open(QStringLiteral("Bexor Archiv"), archive);
    ASSERT_NE(view, nullptr);
    QString reset = QStringLiteral("unset");
    CArchivDocHooks::Instance().runDialog = [&](QDialog& dialog) {
        reset = dialog.findChild<QLineEdit*>(QStringLiteral("1315"))->text();
        return int(QDialog::Rejected);
    };
    view->EditSettings();
    EXPECT_EQ(reset, QString());
}

// The meter of an archive whose file cannot be opened (here: the archive has
// none) is refused with the store's reason, as an error with no icon, and no
// meter window stays behind.
TEST_F(MeterTabsTest, AMeterThatCannotBeOpenedIsReportedAndNoWindowStays)
{
    CVKArchivData vk;
    CVKTArchivData vkt;
    const std::pair<QString, CArchivData*> sources[] = {{QStringLiteral("Bexor Archiv"), &vk},
                                                        {QStringLiteral("VKTBexor Archiv"), &vkt}};
    for (const auto& [typeName, source] : sources) {
        SCOPED_TRACE(typeName.toStdString());
        ui::ScriptedMessageBoxes boxes;
        EXPECT_EQ(archive::OpenMeterDocument(typeName, *source), nullptr);
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Soubor je pravděpodobně poškozen."));
        EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));
        EXPECT_EQ(boxes.Requests()[0].icon, ui::MsgIcon::None);
        for (const auto& docTemplate : manager.Templates())
            EXPECT_TRUE(docTemplate->Documents().empty());
    }
}

TEST_F(MeterTabsTest, VKTMetersGetTabsOnlyWhenThereAreTwo)
{
    CVKTArchivData archive;
    ASSERT_EQ(archive.Create(3600, 10, 60, dir.filePath(QStringLiteral("rozvodna")), CVKTArchivData::Extension(),
                             TRUE, TRUE, QStringLiteral("Rozvodna")),
              1);
    const auto append = [&](CTime start, float multiplier, std::vector<double> totals) {
        std::unique_ptr<CArchivStream> stream;
        CVKTBexorIndex index;
        ASSERT_EQ(archive.OpenOrCreateBexorStream(stream, index), 1);
        for (std::size_t i = 0; i < totals.size(); ++i) {
            CVKTEData e;
            e.SetRegister(3, 0, totals[i]);
            e.SetTime(CTime(start.GetTime() + 900u * unsigned(i)));
            ASSERT_TRUE(i == 0 ? index.AppendBlock(*stream, CVKTETarif(), multiplier, 0, start, &e)
                               : index.AppendEntry(*stream, e));
        }
    };
    append(CTime(2024, 3, 12, 8, 0, 0), 1.0f, {10.5, 11.25});
    CMeterArchivView* view = Open(QStringLiteral("VKTBexor Archiv"), archive);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Tabs()->count(), 1);
    EXPECT_FALSE(view->Tabs()->isVisible());
    EXPECT_EQ(Column(*view, 1), (QStringList{"10.5000", "11.2500"}));
    document->OnCloseDocument();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    append(CTime(2024, 3, 20, 0, 0, 0), 40.0f, {2.0, 2.5, 3.0});
    view = Open(QStringLiteral("VKTBexor Archiv"), archive);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->Tabs()->count(), 2);
    EXPECT_TRUE(view->Tabs()->isVisible());
    EXPECT_EQ(view->Tabs()->tabText(1), QStringLiteral("20.03.24 00:00:00"));
    ClickTab(view->Tabs(), 1);
    EXPECT_EQ(Column(*view, 1), (QStringList{"80.0000", "100.0000", "120.0000"}));
    ClickTab(view->Tabs(), 0);
    EXPECT_EQ(Column(*view, 1), (QStringList{"10.5000", "11.2500"}));
}

} // namespace
