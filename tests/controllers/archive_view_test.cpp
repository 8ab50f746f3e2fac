// The controller archive window over Qorin and Duskar archives recorded by
// the store: modes, the layout kept in the archive, printing and export.
#include "tests/charts/PdfCheck.h"
#include "tests/charts/TimeAxisCheck.h"

#include "app/Families.h"
#include "archive_docs/ArchivDocHooks.h"
#include "archive_docs/FamilyArchivDocs.h"
#include "archive/store/ArchivStream.h"
#include "charts/ArchivRangeBar.h"
#include "charts/ArchivValueLists.h"
#include "charts/ExportDlg.h"
#include "charts/PanelEventList.h"
#include "charts/QorinStatPanel.h"
#include "charts/StatQuantityTabs.h"
#include "controllers/archive/ControllerArchivView.h"
#include "controllers/graph/ControllerGraphWnd.h"
#include "controllers/graph/DisplaySettingsForm.h"
#include "controllers/graph/DisplayedQuantitiesDlg.h"
#include "controllers/graph/DuskarDisplayDlg.h"
#include "controllers/graph/DuskarGraphWnd.h"
#include "controllers/graph/QuantityGraphWnd.h"
#include "controllers/values/DuskarValuesPanel.h"
#include "controllers/values/QorinHodnotyDlg.h"
#include "platform/Settings.h"
#include "platform/StringTable.h"
#include "platform/ThreadMessages.h"
#include "link/Pristroj.h"
#include "model/QorinConfig.h"
#include "platform/ui/CommandTarget.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QDialog>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>
#include <optional>

using namespace controllers;
using platform::CTime;
using L = CControllerPaneLayout;

namespace {

class ControllerArchiveView : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("settings.ini")));
        AddQorinArchiveTemplate(manager);
        AddDuskarArchiveTemplate(manager);
    }
    void TearDown() override
    {
        CArchivDocHooks::Instance().runDialog = nullptr;
        platform::Settings::SetFileForTesting(QString());
    }

    bool Duskar() const { return GetParam(); }
    QString Path() const
    {
        return dir.filePath(QStringLiteral("hala") +
                            (Duskar() ? CDuskarArchivData::Extension() : CQorinArchivData::Extension()));
    }

    // Three blocks of five records a minute apart, with `section1` as the
    // view's block when it is given.
    // `from` later blocks after the first three: the recorder goes on in the
    // same file.
    void Record(const std::optional<QByteArray>& section1 = std::nullopt, int from = 0, int blocks = 3)
    {
        if (Duskar())
            RecordWith<CDuskarArchivData, CDuskarAktData>(section1, from, blocks);
        else
            RecordWith<CQorinArchivData, CQorinAktData>(section1, from, blocks);
    }
    template <class Writer, class Values>
    void RecordWith(const std::optional<QByteArray>& section1, int from, int blocks)
    {
        auto now =
            std::make_shared<std::atomic<std::uint32_t>>(CTime(2024, 3, 10, 10, 0, 0).GetTime() + from * 5 * 61);
        Writer writer;
        writer.SetTimeSource([now] { return CTime(now->load()); });
        ASSERT_EQ(writer.Create(3600, 5, 60, dir.filePath(QStringLiteral("hala")), Writer::Extension(), TRUE, TRUE,
                                QStringLiteral("Linka")),
                  1);
        for (int b = from; b < from + blocks; ++b) {
            // The Qorin's required power factor changes in the second
            // block: the statistics have a segment for each.
            if constexpr (std::is_same_v<Writer, CQorinArchivData>) {
                if (b < 2) {
                    CConfig config;
                    config.ctRatio = 20;
                    config.tarif1.t0 = BYTE(b == 0 ? 95 : 90);
                    writer.AddConfigRecord(config);
                }
            }
            for (int i = 0; i < 5; ++i) {
                *now += 60;
                Values values;
                values.model = WORD(Duskar() ? 21 : 3);
                values.ctWord = 0x8000 | 20;
                values.current = 4000;
                values.cosPhi = 93;
                values.state = 0x06;
                values.stageMask = stageMask;
                writer.AddMeasurementRecord(values);
            }
            *now += 1;
            const int mode = writer.EndBlock(FALSE, TRUE, 60);
            ASSERT_EQ(writer.Flush(FALSE, mode, QStringLiteral("Linka")), 1);
        }
        if (section1)
            WriteSection1(writer, *section1);
        ASSERT_TRUE(writer.WaitWriterIdle(10000));
        writer.Close();
    }
    static void WriteSection1(CArchivData& data, const QByteArray& bytes)
    {
        std::optional<QByteArray> saved;
        auto stream = data.OpenSettingsSection(1, saved);
        ASSERT_TRUE(stream);
        ASSERT_EQ(stream->Write(bytes.constData(), bytes.size()), bytes.size());
        ASSERT_EQ(data.CloseSettingsSection(std::move(stream), 1, saved), 1);
    }
    QByteArray Section1() const
    {
        CQorinArchivData reader;
        if (!reader.Open(Path()))
            return "<no file>";
        QString name;
        DWORD length = 0;
        auto stream = reader.OpenSettingsStream(1, name, length);
        QByteArray bytes(qsizetype(length), '\0');
        if (stream)
            bytes.truncate(qsizetype(std::max<std::int64_t>(stream->Read(bytes.data(), bytes.size()), 0)));
        stream.reset();
        reader.Close();
        return bytes;
    }

    CControllerArchivView* Open()
    {
        ui::CDocument* document = manager.OpenDocumentFile(Path(), true);
        auto* view = dynamic_cast<CControllerArchivView*>(document ? document->FirstView() : nullptr);
        if (view)
            view->resize(1000, 700);
        return view;
    }
    static void Close(CControllerArchivView* view)
    {
        view->Document()->OnCloseDocument();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The range bar's window of `span` seconds from 10:00, as the user sets
    // it.
    static void ShowWindow(CControllerArchivView* view, int span)
    {
        const CTime from(2024, 3, 10, 10, 0, 0);
        view->RangeBar()->SetLimits(from, CTime(from.GetTime() + span));
        platform::SendMessageTo(view, platform::WM_ARCHIVE_SET_WINDOW, 0, 0);
    }
    static void Refill(CControllerArchivView* view, int mode)
    {
        platform::SendMessageTo(view, platform::WM_ARCHIVE_REFILL, std::uintptr_t(mode), 0);
    }
    static bool Shown(QWidget* w) { return !w->isHidden(); }

    // The graph's shown quantities in the list's column order.
    static std::vector<int> GraphShown(CControllerArchivView* view)
    {
        std::vector<int> shown;
        if (auto* qorin = dynamic_cast<CQuantityGraphWnd*>(view->GraphPane())) {
            std::array<std::uint32_t, CQuantityGraphWnd::kCurveCount> colours{};
            std::array<int, CQuantityGraphWnd::kCurveCount> visible{};
            qorin->GetCurveColors(colours, visible);
            shown.assign(visible.begin(), visible.end());
        } else if (auto* duskar = dynamic_cast<CDuskarGraphWnd*>(view->GraphPane())) {
            std::array<int, CDuskarGraphWnd::kQuantityCount> visible{};
            std::array<std::uint32_t, CDuskarGraphWnd::kQuantityCount> colours{};
            duskar->GetLegend(visible, colours);
            shown.assign(visible.begin(), visible.end());
        }
        return shown;
    }
    static std::vector<int> ListColumns(CControllerArchivView* view)
    {
        std::vector<int> columns;
        if (auto* qorin = dynamic_cast<charts::CQorinValueList*>(view->ValueList()))
            columns.assign(qorin->ColumnFlags().begin(), qorin->ColumnFlags().end());
        else if (auto* duskar = dynamic_cast<charts::CDuskarValueList*>(view->ValueList()))
            columns.assign(duskar->ColumnFlags().begin(), duskar->ColumnFlags().end());
        return columns;
    }
    static QStringList ListCaptions(CControllerArchivView* view)
    {
        QStringList captions;
        QAbstractItemModel* model = view->ValueList()->model();
        for (int c = 0; c < model->columnCount(); ++c)
            captions << model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        return captions;
    }
    // Runs `act` on the next modal dialog or popup menu once it shows; the
    // timer goes with the caller's scope, so a window that never shows
    // leaves nothing behind.
    template <class Act>
    static std::unique_ptr<QTimer> WhenModalShows(Act act)
    {
        auto timer = std::make_unique<QTimer>();
        timer->setSingleShot(true);
        QObject::connect(timer.get(), &QTimer::timeout, [act] {
            QWidget* modal = QApplication::activePopupWidget();
            if (!modal)
                modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            act(modal);
        });
        timer->start(0);
        return timer;
    }
    static void OpenContextMenu(QWidget* widget)
    {
        const QPoint at(widget->width() / 2, widget->height() / 2);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
        QApplication::sendEvent(widget, &event);
    }
    static QAction* FindAction(QMenu* menu, const QString& text)
    {
        for (QAction* action : menu->actions()) {
            if (action->text() == text)
                return action;
            if (action->menu())
                if (QAction* inner = FindAction(action->menu(), text))
                    return inner;
        }
        return nullptr;
    }

    QTemporaryDir dir;
    ui::CDocManager manager;
    // The stages the recorded controller has switched on.
    WORD stageMask = 0;
};

// The program's families open their archives in these windows.
TEST_P(ControllerArchiveView, TheFamilyOpensItsArchivesInThisWindow)
{
    Record();
    ui::CDocManager program;
    const CFamilyList families(ProgramFamilies());
    const CFamilyDescriptor* family = families.ForArchive(Path());
    ASSERT_NE(family, nullptr);
    EXPECT_EQ(family->type, Duskar() ? CPristroj::kDuskar : CPristroj::kQorin);
    for (const CFamilyDescriptor& each : families.All())
        if (each.addTemplates)
            each.addTemplates(program);
    ui::CDocTemplate* archiveTemplate =
        program.FindTemplate(ui::CDocTemplate::regFileTypeId, family->archiveFileTypeId);
    ASSERT_NE(archiveTemplate, nullptr);
    ui::CDocument* document = archiveTemplate->OpenDocumentFile(Path(), true);
    ASSERT_NE(document, nullptr);
    auto* view = dynamic_cast<CControllerArchivView*>(document->FirstView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->IsDuskar(), Duskar());
    Close(view);
}

TEST_P(ControllerArchiveView, OpensOnTheGraphAndSwitchesModes)
{
    Record();
    CControllerArchivView* view = Open();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->IsDuskar(), Duskar());
    EXPECT_EQ(dynamic_cast<CDuskarArchivView*>(view) != nullptr, Duskar());
    EXPECT_TRUE(view->FirstRefreshDone());
    EXPECT_EQ(view->Mode(), 0);
    EXPECT_EQ(view->PaneMask(), 7);
    EXPECT_EQ(view->RatioX(), 600);
    EXPECT_EQ(view->RatioY(), 620);
    EXPECT_TRUE(Shown(view->RangeBar()));
    EXPECT_TRUE(Shown(view->GraphPane()));
    EXPECT_FALSE(Shown(view->ValueList()));
    EXPECT_FALSE(Shown(view->StatPanel()));
    // The range bar and the mode's pane share the graph's rectangle.
    const auto placed = CControllerArchivView::PlaceGraphPane(L::PaneRects(7, 600, 620)[L::kGraph], 1000, 700);
    EXPECT_EQ(view->RangeBar()->geometry(), placed.bar);
    EXPECT_EQ(view->GraphPane()->geometry(), placed.pane);
    EXPECT_EQ(placed.bar.top(), 1);
    EXPECT_EQ(placed.bar.height(), 24);
    EXPECT_EQ(placed.pane.top(), 25);
    EXPECT_EQ(placed.pane.bottom(), 700 * 620 / 1000 - 2);

    // The values pane shows the current record with the file's period.
    const QString cos = Duskar() ? static_cast<CDuskarValuesPanel*>(view->ValuesPane())->m_cos
                                 : static_cast<CQorinHodnotyDlg*>(view->ValuesPane())->m_cos;
    EXPECT_EQ(cos, QStringLiteral("0.93"));

    auto* tabs = qobject_cast<QTabBar*>(view->RangeBar()->Control(CGraphRangeBar::kTab));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->count(), Duskar() ? 2 : 3);

    // The bar's tab is the user's way to the list.
    tabs->setCurrentIndex(1);
    EXPECT_EQ(view->Mode(), 1);
    EXPECT_TRUE(Shown(view->ValueList()));
    EXPECT_FALSE(Shown(view->GraphPane()));
    EXPECT_EQ(view->ValueList()->model()->rowCount(), 15);
    EXPECT_EQ(view->Document()->Navigator().GetMode(), 1);

    if (!Duskar()) {
        tabs->setCurrentIndex(2);
        EXPECT_EQ(view->Mode(), 2);
        EXPECT_TRUE(Shown(view->StatPanel()));
        EXPECT_FALSE(Shown(view->ValueList()));
        ASSERT_GE(view->StatPanel()->ResultCount(), 2);
        // Choosing the later segment moves the current record to its start.
        const int before = view->Document()->Navigator().GetCurrentRecord();
        auto* values = static_cast<CQorinHodnotyDlg*>(view->ValuesPane());
        const QString timeBefore = values->m_time;
        QTabBar& segments = view->StatPanel()->Tabs().Segments();
        segments.setCurrentIndex(segments.count() - 1);
        EXPECT_NE(view->Document()->Navigator().GetCurrentRecord(), before);
        EXPECT_NE(values->m_time, timeBefore);
        // Leaving the statistics frees them and empties nothing else.
        tabs->setCurrentIndex(0);
        EXPECT_EQ(view->StatPanel()->ResultCount(), 0);
        EXPECT_EQ(view->ValueList()->model()->rowCount(), 0);
    }

    // Editing the range: the list waits and the graph commands are off.
    Refill(view, 1);
    platform::SendMessageTo(view, platform::WM_ARCHIVE_REDRAW, 0, 0);
    EXPECT_EQ(view->ValueList()->IsReady(), 0);
    EXPECT_FALSE(view->GraphCommandsEnabled());
    platform::SendMessageTo(view, platform::WM_ARCHIVE_REDRAW, 1, 0);
    EXPECT_EQ(view->ValueList()->IsReady(), 1);
    EXPECT_TRUE(view->GraphCommandsEnabled());

    // The graph pane off hides the bar and every mode pane.
    view->TogglePane(L::kGraphBit);
    EXPECT_FALSE(Shown(view->RangeBar()));
    EXPECT_FALSE(Shown(view->ValueList()));
    Close(view);
}

TEST_P(ControllerArchiveView, LayoutIsKeptInTheArchive)
{
    Record();
    CControllerArchivView* view = Open();
    ASSERT_NE(view, nullptr);
    view->TogglePane(L::kEventsBit);
    EXPECT_EQ(view->PaneMask(), 3);
    const int ratioX = view->RatioX();
    if (Duskar())
        static_cast<CDuskarValuesPanel*>(view->ValuesPane())->SelectTab(2);
    Close(view);

    const QByteArray stored = Section1();
    ASSERT_EQ(stored.size(), CArchivViewRecord::Size(Duskar()));
    const CArchivViewRecord record = CArchivViewRecord::Read(stored, Duskar());
    EXPECT_EQ(record.isAlarm, 0);
    EXPECT_EQ(record.isData, 1);
    EXPECT_TRUE(record.hasStatistics);
    EXPECT_EQ(record.statU, 230.0f);

    CControllerArchivView* again = Open();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->PaneMask(), 3);
    EXPECT_EQ(again->RatioX(), ratioX);
    EXPECT_TRUE(again->Events()->isHidden());
    if (Duskar()) {
        EXPECT_EQ(record.tab, 2);
        EXPECT_EQ(static_cast<CDuskarValuesPanel*>(again->ValuesPane())->GetSelectedTab(), 2);
    }
    Close(again);
}

TEST_P(ControllerArchiveView, StoredBlockIsReadOnlyAsFarAsItReaches)
{
    CArchivViewRecord stored;
    stored.isAlarm = 0;
    stored.prickaX = 450;
    stored.prickaY = 700;
    stored.x = 10;
    stored.y = 20;
    stored.cx = 640;
    stored.cy = 480;
    stored.showCommand = 1;
    stored.statU = 400.0f;
    stored.statP = 6000.0f;
    stored.statQ = 0.9f;
    stored.statFirst = 180;
    stored.statSecond = 600;
    stored.statEighth = 0;
    const QByteArray full = stored.Write(Duskar());

    struct Case {
        int length;
        bool layout;
        bool statistics;
    };
    // Qorin: the statistics only after the 40 bytes of placement; Duskar
    // reads them whenever the block is longer than the flags, and a cut
    // part is never applied.
    const Case cases[] = {
        {16, false, false},
        {20, true, false},
        {40, true, false},
        {int(full.size()) - 4, true, false},
        {int(full.size()), true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        QFile::remove(Path());
        Record(full.left(c.length));
        CControllerArchivView* view = Open();
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->RatioX(), c.layout ? 450 : 600);
        EXPECT_EQ(view->PaneMask(), c.layout ? 3 : 7);
        const CQorinStatSettings& stat = view->StatPanel()->GetSettings();
        if (c.statistics) {
            EXPECT_EQ(stat.nominalVoltage, 400.0f);
            EXPECT_FLOAT_EQ(stat.nominalVoltageLine, 400.0f * 1.7320508f);
            EXPECT_FLOAT_EQ(stat.nominalCurrent, 6000.0f * 0.33333334f / 400.0f);
            EXPECT_EQ(stat.requiredPowerFactor, 0.9f);
            EXPECT_EQ(stat.window1, 180);
            EXPECT_EQ(stat.window2, 600);
            EXPECT_EQ(stat.fromInstrument, 0);
            // Kept over the instrument's transformer at the first run.
            EXPECT_EQ(stat.filled, 1);
        } else {
            EXPECT_EQ(stat.nominalVoltage, 230.0f);
            EXPECT_EQ(stat.filled, 0);
            EXPECT_EQ(stat.window1, 60);
        }
        Close(view);
    }
}

TEST_P(ControllerArchiveView, PrintsAndExportsTheListOnlyInTheListMode)
{
    Record();
    CControllerArchivView* view = Open();
    ASSERT_NE(view, nullptr);
    int dialogs = 0;
    const QString csv = dir.filePath(QStringLiteral("vystup.csv"));
    CArchivDocHooks::Instance().runDialog = [&](QDialog& dialog) {
        ++dialogs;
        if (auto* exportDlg = qobject_cast<charts::CExportDlg*>(&dialog))
            exportDlg->SetPath(csv);
        return int(QDialog::Accepted);
    };
    pdfcheck::PdfJobs jobs;

    // Export belongs to the list: in the graph mode nothing is asked, and
    // printing prints the graph.
    platform::SendMessageTo(view, platform::WM_ARCHIVE_PRINT_LIST, 0, 0);
    EXPECT_EQ(dialogs, 0);
    EXPECT_FALSE(QFile::exists(csv));
    platform::SendMessageTo(view, platform::WM_ARCHIVE_PRINT_GRAPH, 0, 0);
    ASSERT_EQ(jobs.chooserCalls, 1);
    if (pdfcheck::HaveTools()) {
        EXPECT_EQ(pdfcheck::PageCount(jobs.Path()), 1);
    }

    Refill(view, 1);
    platform::SendMessageTo(view, platform::WM_ARCHIVE_PRINT_LIST, 0, 0);
    EXPECT_EQ(dialogs, 1);
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    // Preamble, header, a row per record and the closing lines.
    EXPECT_GE(lines.size(), 4 + 15 + 3);

    platform::SendMessageTo(view, platform::WM_ARCHIVE_PRINT_GRAPH, 0, 0);
    ASSERT_EQ(jobs.chooserCalls, 2);
    if (pdfcheck::HaveTools()) {
        EXPECT_GE(pdfcheck::PageCount(jobs.Path()), 1);
        EXPECT_TRUE(pdfcheck::PageTexts(jobs.Path()).join(QString()).contains(QStringLiteral("Tisk hodnot")));
    }
    Close(view);
}

TEST_P(ControllerArchiveView, ChangedFileIsNeitherPrintedNorExported)
{
    Record();
    CControllerArchivView* view = Open();
    ASSERT_NE(view, nullptr);
    Refill(view, 1);
    int dialogs = 0;
    CArchivDocHooks::Instance().runDialog = [&](QDialog&) {
        ++dialogs;
        return int(QDialog::Rejected);
    };
    pdfcheck::PdfJobs jobs;
    ui::ScriptedMessageBoxes boxes;
    // The recorder goes on writing the file under the window, round the
    // whole ring: the window's blocks are gone.
    Record(std::nullopt, 3, 16);
    platform::SendMessageTo(view, platform::WM_ARCHIVE_PRINT_LIST, 0, 0);
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, platform::LoadString(platform::IDS_CANNOT_PRINT_CHANGED));
    EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));
    EXPECT_EQ(dialogs, 0);
    // Read again, the window prints as usual.
    platform::SendMessageTo(view, platform::WM_ARCHIVE_PRINT_GRAPH, 0, 0);
    EXPECT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(jobs.chooserCalls, 1);
    Close(view);
}

// The File menu prints what the mode shows, and its preview draws the same
// pages on the preview's own printer without asking for another.
TEST_P(ControllerArchiveView, FileMenuPrintsWhatTheModeShows)
{
    PDFCHECK_REQUIRE_TOOLS();
    Record();
    CControllerArchivView* view = Open();
    ASSERT_NE(view, nullptr);
    for (const pdfcheck::ModePrint& mode : pdfcheck::ArchiveModePrints(!Duskar())) {
        SCOPED_TRACE(mode.mode);
        Refill(view, mode.mode);
        pdfcheck::ExpectModePrinted(
            pdfcheck::PrintedText([view] { EXPECT_TRUE(view->OnCommand(ui::kCmdFilePrint)); }), mode);
        pdfcheck::ExpectModePrinted(
            pdfcheck::PreviewedText([view] { EXPECT_TRUE(view->OnCommand(ui::kCmdFilePrintPreview)); }), mode);
    }
    Close(view);
}

// The File menu's print and preview of the value list refuse a file
// changed under the window before a printer or a preview is asked for;
// read again, the list prints.
TEST_P(ControllerArchiveView, FileMenuRefusesTheListOfAChangedFile)
{
    Record();
    CControllerArchivView* view = Open();
    ASSERT_NE(view, nullptr);
    Refill(view, 1);
    pdfcheck::PdfJobs jobs;
    ui::ScriptedMessageBoxes boxes;
    int previews = 0;
    QTimer closer;
    closer.setInterval(5);
    QObject::connect(&closer, &QTimer::timeout, [&previews] {
        if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ++previews;
            modal->reject();
        }
    });
    closer.start();
    int from = 3;
    for (const int command : {ui::kCmdFilePrintPreview, ui::kCmdFilePrint}) {
        SCOPED_TRACE(command);
        // The recorder goes round the whole ring under the window.
        Record(std::nullopt, from, 16);
        from += 16;
        const std::size_t before = boxes.Requests().size();
        EXPECT_TRUE(view->OnCommand(command));
        ASSERT_EQ(boxes.Requests().size(), before + 1);
        EXPECT_EQ(boxes.Requests().back().text, platform::LoadString(platform::IDS_CANNOT_PRINT_CHANGED));
        EXPECT_EQ(previews, 0);
        EXPECT_EQ(jobs.chooserCalls, 0);
    }
    EXPECT_TRUE(view->OnCommand(ui::kCmdFilePrint));
    EXPECT_EQ(jobs.chooserCalls, 1);
    if (pdfcheck::HaveTools()) {
        EXPECT_TRUE(pdfcheck::PageTexts(jobs.Path()).join(QString()).contains(QStringLiteral("Tisk hodnot")));
    }
    closer.stop();
    Close(view);
}

// The value list shows the quantities the graph shows; a right click on
// the list opens the displayed quantities, and what is chosen there is the
// graph's, the list's, the export's and the legend's, and stays with the
// archive.
TEST_P(ControllerArchiveView, ListColumnsFollowTheGraphsQuantities)
{
    Record();
    CControllerArchivView* view = Open();
    ASSERT_NE(view, nullptr);
    const std::vector<int> before = GraphShown(view);
    ASSERT_EQ(ListColumns(view), before);
    // Qorin: all five curves by default; Duskar: Cos, U, Pac, Pre, Ieff.
    EXPECT_EQ(std::count(before.begin(), before.end(), 1), 5);

    Refill(view, 1);
    QStringList captions = ListCaptions(view);
    EXPECT_EQ(captions.size(), 1 + 5);
    // The quantity switched off: THD of the Qorin (the form's second row),
    // U of the Duskar (quantity 1).
    const QString dropped = Duskar() ? QStringLiteral("U [V]") : QStringLiteral("THD [%]");
    EXPECT_TRUE(captions.contains(dropped));

    bool dialogShown = false;
    const auto timer = WhenModalShows([&](QWidget* modal) {
        CDisplaySettingsForm* form = nullptr;
        if (auto* qorin = qobject_cast<CDisplayedQuantitiesDlg*>(modal))
            form = qorin->Form();
        else if (auto* duskar = qobject_cast<CDuskarDisplayDlg*>(modal))
            form = duskar->Form();
        ASSERT_NE(form, nullptr);
        dialogShown = true;
        QTest::mouseClick(form->Box(1), Qt::LeftButton);
        EXPECT_FALSE(form->Box(1)->isChecked());
        QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("1")), Qt::LeftButton);
    });
    QTest::mouseClick(view->ValueList()->viewport(), Qt::RightButton);
    ASSERT_TRUE(dialogShown);

    std::vector<int> after = before;
    after[1] = 0;
    EXPECT_EQ(GraphShown(view), after);
    EXPECT_EQ(ListColumns(view), after);
    captions = ListCaptions(view);
    EXPECT_EQ(captions.size(), 1 + 4);
    EXPECT_FALSE(captions.contains(dropped));
    EXPECT_EQ(view->ValueList()->model()->rowCount(), 15);
    // The legend under the values lost the curve too.
    if (Duskar())
        EXPECT_FALSE(static_cast<CDuskarValuesPanel*>(view->ValuesPane())->m_legendShown[1]);
    else
        EXPECT_FALSE(static_cast<CQorinHodnotyDlg*>(view->ValuesPane())->m_legendShown[1]);

    // The export writes the list's columns.
    const QString csv = dir.filePath(QStringLiteral("sloupce.csv"));
    CArchivDocHooks::Instance().runDialog = [&](QDialog& dialog) {
        if (auto* exportDlg = qobject_cast<charts::CExportDlg*>(&dialog))
            exportDlg->SetPath(csv);
        return int(QDialog::Accepted);
    };
    platform::SendMessageTo(view, platform::WM_ARCHIVE_PRINT_LIST, 0, 0);
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray exported = file.readAll();
    EXPECT_TRUE(exported.contains(Duskar() ? "Pac" : "Ieff"));
    EXPECT_FALSE(exported.contains(Duskar() ? "U [" : "THD"));
    Close(view);

    // The choice was stored with the archive's graph.
    CControllerArchivView* again = Open();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(GraphShown(again), after);
    EXPECT_EQ(ListColumns(again), after);
    Close(again);
}

// While the range is edited the zooms are off in the graph's own menu and
// the graph pane cannot be switched off; the displayed quantities stay.
TEST_P(ControllerArchiveView, GraphCommandsOffDisableTheGraphsZooms)
{
    Record();
    CControllerArchivView* view = Open();
    ASSERT_NE(view, nullptr);
    CControllerGraphWnd* graph = view->GraphPane();
    for (const bool ready : {false, true}) {
        SCOPED_TRACE(ready);
        platform::SendMessageTo(view, platform::WM_ARCHIVE_REDRAW, ready ? 1 : 0, 0);
        EXPECT_EQ(graph->CommandsEnabled(), ready);

        OpenContextMenu(graph);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        ASSERT_NE(FindAction(menu, QStringLiteral("200%")), nullptr);
        EXPECT_EQ(FindAction(menu, QStringLiteral("200%"))->isEnabled(), ready);
        EXPECT_EQ(FindAction(menu, QStringLiteral("Vypnout lupy"))->isEnabled(), ready);
        EXPECT_TRUE(FindAction(menu, QStringLiteral("Zobrazené veličiny ..."))->isEnabled());
        EXPECT_TRUE(FindAction(menu, QStringLiteral("Rastr"))->isEnabled());
        menu->close();

        QMenu viewMenu;
        view->FillMenu(viewMenu);
        EXPECT_EQ(FindAction(&viewMenu, QStringLiteral("Panel &grafu"))->isEnabled(), ready);
    }
    // A zoom that reaches the graph while the commands are off is dropped.
    platform::SendMessageTo(view, platform::WM_ARCHIVE_REDRAW, 0, 0);
    graph->OnCommand(CGraphWnd::kCmdVertZoom100 + 1);
    EXPECT_EQ(graph->Y1() - graph->Y0(), 1000);
    platform::SendMessageTo(view, platform::WM_ARCHIVE_REDRAW, 1, 0);
    graph->OnCommand(CGraphWnd::kCmdVertZoom100 + 1);
    EXPECT_EQ(graph->Y1() - graph->Y0(), 500);
    Close(view);
}

// "Nastavení ..." of the values pane's menu shows the pane's values again,
// and the pane names the recording controller's model.
TEST_P(ControllerArchiveView, ValuesPaneMenuShowsItsValuesAgain)
{
    Record();
    CControllerArchivView* view = Open();
    ASSERT_NE(view, nullptr);
    QString* cos = nullptr;
    QString model;
    if (Duskar()) {
        auto* pane = static_cast<CDuskarValuesPanel*>(view->ValuesPane());
        cos = &pane->m_cos;
        model = pane->m_model;
    } else {
        auto* pane = static_cast<CQorinHodnotyDlg*>(view->ValuesPane());
        cos = &pane->m_cos;
        model = pane->m_model;
    }
    EXPECT_EQ(model, Duskar() ? QStringLiteral("QORIN-1106") : QStringLiteral("QORIN-206"));
    auto* edit = qobject_cast<QLineEdit*>(static_cast<CValuesDlgBase*>(view->ValuesPane())->Control(1017));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), QStringLiteral("0.93"));
    *cos = QStringLiteral("0.50");
    EXPECT_EQ(edit->text(), QStringLiteral("0.93"));

    bool chosen = false;
    const auto timer = WhenModalShows([&](QWidget* popup) {
        auto* menu = qobject_cast<QMenu*>(popup);
        ASSERT_NE(menu, nullptr);
        QAction* settings = FindAction(menu, QStringLiteral("Nastavení ..."));
        ASSERT_NE(settings, nullptr);
        EXPECT_EQ(settings->data().toInt(), 1016);
        // The view's own items come first.
        EXPECT_NE(FindAction(menu, QStringLiteral("Panel &grafu")), nullptr);
        chosen = true;
        menu->close();
        settings->trigger();
    });
    QTest::mouseClick(view->ValuesPane(), Qt::RightButton, {}, QPoint(2, 2));
    ASSERT_TRUE(chosen);
    EXPECT_EQ(edit->text(), QStringLiteral("0.50"));
    Close(view);
}

// An archive whose graph shows nothing (its block may hold every curve
// off) lists and exports the time alone.
TEST_P(ControllerArchiveView, GraphWithoutCurvesListsTheTimeAlone)
{
    Record();
    CControllerArchivView* view = Open();
    ASSERT_NE(view, nullptr);
    Refill(view, 1);
    if (auto* qorin = dynamic_cast<CQuantityGraphWnd*>(view->GraphPane())) {
        for (int c = 0; c < CQuantityGraphWnd::kCurveCount; ++c)
            qorin->ShowCurve(CQuantityGraphWnd::Curve(c), 0, 0);
    } else if (auto* duskar = dynamic_cast<CDuskarGraphWnd*>(view->GraphPane())) {
        for (int i = 0; i < CDuskarGraphWnd::kQuantityCount; ++i)
            duskar->SetCurve(i, 0, 0);
    }
    view->GraphPane()->SettingsChanged();
    const std::vector<int> columns = ListColumns(view);
    EXPECT_EQ(std::count(columns.begin(), columns.end(), 0), int(columns.size()));
    EXPECT_EQ(ListCaptions(view).size(), 1);
    EXPECT_EQ(view->ValueList()->model()->rowCount(), 15);
    const QModelIndex cell = view->ValueList()->model()->index(0, 0);
    EXPECT_FALSE(view->ValueList()->model()->data(cell, Qt::DisplayRole).toString().isEmpty());
    Refill(view, 0);
    EXPECT_FALSE(view->GraphPane()->RenderImage().isNull());
    Close(view);
}

TEST_P(ControllerArchiveView, TheTimeAxisIsTheWindowOfTheBarAndTheCursorStandsUnderItsTick)
{
    Record();
    CControllerArchivView* view = Open();
    ASSERT_NE(view, nullptr);
    // 10:00 to 10:10 of records from 10:01 to 10:15: whole blocks load
    // beyond it.
    const int span = 600;
    ShowWindow(view, span);
    CGraphWnd* graph = view->GraphPane();
    const QImage image = graph->RenderImage(); // lays the plot out
    const CGraphRect plot = graph->PlotRect();
    const std::vector<int> ticks = timeaxis::TickXs(image, plot);
    ASSERT_GE(ticks.size(), 3u);
    EXPECT_NEAR(ticks.front(), plot.left, 1);
    EXPECT_NEAR(ticks.back(), plot.right, 1);
    // A click on a tick makes the record of that time current: the cursor
    // stands at it, at most one record interval before the tick.
    const timeaxis::TickClick click = timeaxis::ClickMiddleTick(graph, span);
    EXPECT_LE(click.marker, click.tick + 2 * click.pixel);
    EXPECT_GT(click.marker, click.tick - 61 - 2 * click.pixel);
    Close(view);
}

TEST_P(ControllerArchiveView, TheStageStripEndsAtTheNewestRecord)
{
    stageMask = 0x0003;
    Record();
    CControllerArchivView* view = Open();
    ASSERT_NE(view, nullptr);
    // A window reaching a quarter of an hour past the newest record
    // (10:15:02).
    const int span = 1800;
    ShowWindow(view, span);
    CGraphWnd* graph = view->GraphPane();
    const QImage image = graph->RenderImage();
    const CGraphRect plot = graph->PlotRect();
    const std::vector<int> ticks = timeaxis::TickXs(image, plot);
    ASSERT_GE(ticks.size(), 3u);
    const QRgb bar = ColorFromRef(CGraphPainter::kBarColour).rgb();
    int right = -1;
    for (int y = plot.bottom + 6; y < image.height(); ++y)
        for (int x = plot.left; x < image.width(); ++x)
            if (image.pixel(x, y) == bar)
                right = std::max(right, x);
    ASSERT_GE(right, 0) << "no stage bars";
    const double pixel = double(span) / plot.Width();
    EXPECT_LE(timeaxis::SecondsAt(ticks, right, 0, span), 902 + 2 * pixel);
    EXPECT_GT(timeaxis::SecondsAt(ticks, right, 0, span), 902 - 62);
    Close(view);
}

// Printed at the printer's resolution: headed with the window of the bar,
// the plot across the page beside its axes, the footer whole below it and
// the title clear of the page number.
TEST_P(ControllerArchiveView, ThePrintedGraphShowsTheWindowOfTheBarAcrossThePage)
{
    PDFCHECK_REQUIRE_TOOLS();
    Record();
    CControllerArchivView* view = Open();
    ASSERT_NE(view, nullptr);
    ShowWindow(view, 600);
    pdfcheck::PdfJobs jobs(true, 1200);
    platform::SendMessageTo(view, platform::WM_ARCHIVE_PRINT_GRAPH, 0, 0);
    ASSERT_EQ(jobs.chooserCalls, 1);
    const QStringList pages = pdfcheck::PageTexts(jobs.Path());
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("od 10.03.24 10:00:00 do 10.03.24 10:10:00")))
        << pages[0].toStdString();

    const std::vector<pdfcheck::Word> words = pdfcheck::Words(jobs.Path());
    const auto find = [&words](const QString& text) {
        return std::find_if(words.begin(), words.end(), [&text](const pdfcheck::Word& w) { return w.text == text; });
    };
    // A4 in points; the margins are two lines of 9 points, the footer ends
    // half a line above the lower one.
    const double pageWidth = 595;
    const double footerBottom = 842 - 2 * 9 - 0.5 * 9;
    const auto maker = find(QStringLiteral("qorin01"));
    ASSERT_NE(maker, words.end()) << "no footer";
    EXPECT_LE(maker->yMax, footerBottom + 1);
    const auto number = find(QStringLiteral("strana"));
    ASSERT_NE(number, words.end());
    for (const pdfcheck::Word& w : words) {
        if (std::abs(w.yMin - number->yMin) < 1 && w.xMin < number->xMin) {
            EXPECT_LT(w.xMax + 3, number->xMin) << w.text.toStdString();
        }
    }

    // The time axis: the lowest row of clock labels on the page.
    static const QRegularExpression clock(QStringLiteral("^\\d\\d(:\\d\\d)?$"));
    double axisY = -1;
    for (const pdfcheck::Word& w : words)
        if (clock.match(w.text).hasMatch())
            axisY = std::max(axisY, w.yMin);
    ASSERT_GE(axisY, 0) << "no time axis";
    double left = pageWidth;
    double right = 0;
    for (const pdfcheck::Word& w : words)
        if (clock.match(w.text).hasMatch() && std::abs(w.yMin - axisY) < 1) {
            left = std::min(left, w.xMin);
            right = std::max(right, w.xMax);
        }
    // The value axes take a strip at the left: the plot, from the window's
    // start to its end, more than half the body.
    const double bodyWidth = pageWidth - 2 * 3.3 * 9;
    EXPECT_GT(right - left, bodyWidth / 2);
    EXPECT_GT(right, pageWidth * 3 / 4);
    EXPECT_LT(axisY, maker->yMin);
    Close(view);
}

// The statistics printed from the bar's print button in the "Statistiky"
// mode: the section titles keep their red fill on paper, and their white
// text stands out of it.
TEST_P(ControllerArchiveView, PrintedStatisticsShowTheSectionTitlesOnTheirFill)
{
    if (Duskar())
        GTEST_SKIP() << "a Duskar archive offers no statistics";
    PDFCHECK_REQUIRE_TOOLS();
    Record();
    CControllerArchivView* view = Open();
    ASSERT_NE(view, nullptr);
    view->show();
    auto* modes = qobject_cast<QTabBar*>(view->RangeBar()->Control(CGraphRangeBar::kTab));
    ASSERT_NE(modes, nullptr);
    QTest::mouseClick(modes, Qt::LeftButton, {}, modes->tabRect(2).center());
    ASSERT_EQ(view->Mode(), 2);
    auto* print = qobject_cast<QToolButton*>(view->RangeBar()->Control(CGraphRangeBar::kPrint));
    ASSERT_NE(print, nullptr);
    ASSERT_TRUE(print->isEnabled());
    pdfcheck::PdfJobs jobs;
    QTest::mouseClick(print, Qt::LeftButton);
    ASSERT_EQ(jobs.chooserCalls, 1);

    const int dpi = 300;
    const QImage page = pdfcheck::PageImage(jobs.Path(), 1, dpi);
    if (page.isNull())
        GTEST_SKIP() << "pdftoppm missing";
    const std::vector<pdfcheck::Word> words = pdfcheck::Words(jobs.Path());
    for (const QString& title : {QStringLiteral("Proud"), QStringLiteral("Harmonické")}) {
        SCOPED_TRACE(title.toStdString());
        const auto word = std::find_if(words.begin(), words.end(), [&title](const pdfcheck::Word& w) {
            return w.page == 0 && w.text == title;
        });
        ASSERT_NE(word, words.end()) << "the title is not printed";
        const QRect box(QPoint(int(word->xMin * dpi / 72), int(word->yMin * dpi / 72)),
                        QPoint(int(word->xMax * dpi / 72), int(word->yMax * dpi / 72)));
        int red = 0;
        int light = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) {
                const QColor c = page.pixelColor(x, y);
                if (c.red() > 150 && c.green() < 80 && c.blue() < 80)
                    ++red;
                else if (c.green() > 150 && c.blue() > 150)
                    ++light;
            }
        const int all = box.width() * box.height();
        EXPECT_GT(red, all / 3) << "no fill under the title";
        EXPECT_GT(light, all / 20) << "the title's text is lost in its fill";
    }
    Close(view);
}

// One block whose required power factor changes from 0.95 to 0.90 at
// 10:05:30, seen through the statistics mode as the user reaches it: the
// window typed into the bar, then the bar's "Statistiky" tab.
TEST_P(ControllerArchiveView, StatisticsSplitTheWindowWhereTheRequiredFactorChanges)
{
    if (Duskar())
        GTEST_SKIP() << "a Duskar archive offers no statistics";
    const CTime head(2024, 3, 10, 10, 0, 0);
    {
        auto now = std::make_shared<std::atomic<std::uint32_t>>(head.GetTime());
        CQorinArchivData writer;
        writer.SetTimeSource([now] { return CTime(now->load()); });
        ASSERT_EQ(writer.Create(3600, 20, 60, dir.filePath(QStringLiteral("hala")), CQorinArchivData::Extension(),
                                TRUE, TRUE, QStringLiteral("Linka")),
                  1);
        CConfig config;
        config.ctRatio = 20;
        for (const int required : {95, 90}) {
            config.tarif1.t0 = BYTE(required);
            writer.AddConfigRecord(config);
            for (int i = 0; i < 5; ++i) {
                *now += i == 0 && required == 90 ? 30 : 60;
                CQorinAktData values;
                values.model = 3;
                values.ctWord = 0x8000 | 20;
                values.current = 4000;
                values.cosPhi = 93;
                writer.AddMeasurementRecord(values);
            }
            *now += 30;
        }
        const int mode = writer.EndBlock(FALSE, TRUE, 60);
        ASSERT_EQ(writer.Flush(FALSE, mode, QStringLiteral("Linka")), 1);
        ASSERT_TRUE(writer.WaitWriterIdle(10000));
        writer.Close();
    }
    CControllerArchivView* view = Open();
    ASSERT_NE(view, nullptr);
    CGraphRangeBar* bar = view->RangeBar();
    const auto type = [bar](int id, CTime t) {
        static_cast<QDateTimeEdit*>(bar->Control(id))->setDateTime(QDateTime::fromSecsSinceEpoch(t.GetTime()));
    };
    const auto focus = [bar](int id, QEvent::Type type) {
        QFocusEvent event(type, Qt::OtherFocusReason);
        QApplication::sendEvent(bar->Control(id), &event);
    };
    auto* modes = qobject_cast<QTabBar*>(bar->Control(CGraphRangeBar::kTab));
    ASSERT_NE(modes, nullptr);
    const auto field = [view](int id) {
        auto* edit = view->StatPanel()->findChild<QLineEdit*>(QString::number(id));
        return edit ? edit->text() : QStringLiteral("<none>");
    };

    struct Shown {
        const char* start;
        const char* end;
        const char* length;
        const char* covered; // null: not checked
        const char* interval;
        const char* required;
    };
    struct Case {
        const char* name;
        int from; // seconds after 10:00
        std::vector<Shown> segments;
    };
    const Case cases[] = {
        // From the block's head: its settings govern from the start.
        {"from the head of the block",
         0,
         {{"10:00:00", "10:05:30", "05:30 [m:s]", nullptr, "60 [s]", "0.95 / 0.95"},
          {"10:05:30", "10:10:30", "05:00 [m:s]", nullptr, "60 [s]", "0.90 / 0.90"}}},
        // From the change: what held before keeps a segment of no length,
        // the first tab, selected.
        {"from the change",
         330,
         {{"10:05:30", "10:05:30", "00:00 [m:s]", "00:00 [m:s] (0.0%)", "--", "0.95 / 0.95"},
          {"10:05:30", "10:10:30", "05:00 [m:s]", nullptr, "60 [s]", "0.90 / 0.90"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        modes->setCurrentIndex(0);
        focus(CGraphRangeBar::kFromDate, QEvent::FocusIn);
        for (int id : {CGraphRangeBar::kFromDate, CGraphRangeBar::kFromTime})
            type(id, head + platform::CTimeSpan(c.from));
        for (int id : {CGraphRangeBar::kToDate, CGraphRangeBar::kToTime})
            type(id, head + platform::CTimeSpan(630));
        focus(CGraphRangeBar::kToTime, QEvent::FocusOut);
        static_cast<QToolButton*>(bar->Control(CGraphRangeBar::kConfirm))->click();
        modes->setCurrentIndex(2);
        ASSERT_EQ(view->Mode(), 2);

        QTabBar& segments = view->StatPanel()->Tabs().Segments();
        ASSERT_EQ(segments.count(), int(c.segments.size()));
        EXPECT_EQ(segments.currentIndex(), 0);
        for (int k = 0; k < segments.count(); ++k) {
            SCOPED_TRACE(k);
            const Shown& e = c.segments[std::size_t(k)];
            const QString day = QStringLiteral(" 10.03.2024");
            segments.setCurrentIndex(k);
            EXPECT_EQ(segments.tabText(k), QLatin1String(e.start) + day);
            EXPECT_EQ(field(32017), QLatin1String(e.start) + day);
            EXPECT_EQ(field(32022), QLatin1String(e.end) + day);
            EXPECT_EQ(field(32018), QLatin1String(e.length));
            if (e.covered) {
                EXPECT_EQ(field(32019), QLatin1String(e.covered));
            }
            EXPECT_EQ(field(32021), QLatin1String(e.interval));
            EXPECT_EQ(field(32023), QLatin1String(e.required));
        }
    }
    Close(view);
}

// The archive holds 20 A on a 100/5 transformer. The window is opened on
// its graph and closed (the layout goes into the archive with the
// statistics settings), opened again and switched to "Statistiky": the
// load reads against the transformer's primary unless the user set the
// nominal power (and so the current) in the settings dialog before.
TEST_P(ControllerArchiveView, StatisticsNominalCurrentSurvivesTheStoredLayoutOnlyWhenTheUserSetIt)
{
    if (Duskar())
        GTEST_SKIP() << "a Duskar archive offers no statistics";
    struct Case {
        const char* name;
        const char* typedPower; // null: the settings dialog never opened
        float nominalCurrent;
        const char* percent;
    };
    const Case cases[] = {
        {"untouched", nullptr, 100.0f, "20.0"},
        // 33 kVA at the instrument's 220 V: 50 A.
        {"set by the user", "33", 50.0f, "40.0"},
    };
    const auto statistics = [](CControllerArchivView* view) {
        auto* modes = qobject_cast<QTabBar*>(view->RangeBar()->Control(CGraphRangeBar::kTab));
        ASSERT_NE(modes, nullptr);
        modes->setCurrentIndex(2);
        ASSERT_EQ(view->Mode(), 2);
    };
    const auto shown = [](CControllerArchivView* view, int row) {
        CStatQuantityTabs& q = view->StatPanel()->Tabs().Quantities();
        return q.Grid().GetCellText(row, 1);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(Path());
        Record();
        CControllerArchivView* first = Open();
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first->Mode(), 0);
        if (c.typedPower) {
            statistics(first);
            auto* button = first->StatPanel()->findChild<QToolButton*>(QStringLiteral("32015"));
            ASSERT_NE(button, nullptr);
            const QString typed = QString::fromLatin1(c.typedPower);
            auto timer = WhenModalShows([typed](QWidget* dialog) {
                auto* power = dialog->findChild<QLineEdit*>(QStringLiteral("1398"));
                ASSERT_NE(power, nullptr);
                power->setFocus();
                power->selectAll();
                QTest::keyClicks(power, typed);
                auto* buttons = dialog->findChild<QDialogButtonBox*>();
                ASSERT_NE(buttons, nullptr);
                buttons->button(QDialogButtonBox::Ok)->click();
            });
            button->click();
            EXPECT_FLOAT_EQ(first->StatPanel()->GetSettings().nominalCurrent, c.nominalCurrent);
        }
        Close(first);

        CControllerArchivView* again = Open();
        ASSERT_NE(again, nullptr);
        statistics(again);
        EXPECT_FLOAT_EQ(again->StatPanel()->GetSettings().nominalCurrent, c.nominalCurrent);
        EXPECT_EQ(shown(again, 2), QStringLiteral("20.00"));
        EXPECT_EQ(shown(again, 3), QLatin1String(c.percent));
        Close(again);
    }
}

INSTANTIATE_TEST_SUITE_P(Families, ControllerArchiveView, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Duskar" : "Qorin");
                         });

} // namespace
