// The VKT live window: document, panes, new data, the per-instrument
// layout, the graph of current values and the displayed-quantities dialog.
#include "VKTTestValues.h"
#include "charts/LiveGraphPrint.h"

#include "analysers_vkt/VKT01Doc.h"
#include "analysers_vkt/VKTAktMer.h"
#include "analysers_vkt/VKTGrafAktual.h"
#include "analysers_vkt/VKTHodnotyDlg.h"
#include "analysers_vkt/VKTPristrojPlochaFrm.h"
#include "analysers_vkt/VKTQuantityGrid.h"
#include "analysers_vkt/VKTZobrazeneVelicinyDlg.h"
#include "archive/store/VKTArchivData.h"
#include "controls/common/PanelControl.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/CommandTarget.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace analysers_vkt;

constexpr WORD kAllParts = 0xFF;

class VKTLiveView : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("settings.ini")));
        AddVKTLiveTemplate(manager);
        entry = std::make_unique<CPristroj>(QStringLiteral("COM1"), 1, dir.path(), FALSE, CPristroj::kVKT);
        entry->m_nazev = QStringLiteral("Trafostanice");
        entry->m_merit = 0;
    }
    void TearDown() override
    {
        CloseVKTPanel(*entry);
        platform::Settings::SetFileForTesting(QString());
    }

    CVKTAktMer* Open()
    {
        auto* view = qobject_cast<CVKTAktMer*>(OpenVKTLive(manager, *entry));
        if (view)
            view->resize(1000, 760);
        return view;
    }
    CVKTArchivData* Data() { return dynamic_cast<CVKTArchivData*>(entry->GetArchivData()); }
    void Measure(int seed = 0)
    {
        ASSERT_NE(Data(), nullptr);
        Data()->AddMeasurementRecord(vkttest::MakeValues(kAllParts, seed));
    }
    static void Close(CVKTAktMer* view)
    {
        view->GetDocument()->OnCloseDocument();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    int Stored(const char* key)
    {
        const platform::SettingsSection section({QStringLiteral("pristroje"), entry->m_nazev});
        return platform::Settings().GetProfileInt(section, QString::fromLatin1(key), -5);
    }

    QTemporaryDir dir;
    ui::CDocManager manager;
    std::unique_ptr<CPristroj> entry;
};

TEST_F(VKTLiveView, NewDataFillsValuesAndPanelAndKeepsTheLayout)
{
    CVKTAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetDocument()->GetTitle(), QStringLiteral("Trafostanice"));
    EXPECT_EQ(view->PaneMask(), 7); // the VKT defaults without a stored key
    Measure();
    platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
    EXPECT_EQ(view->Values()->FieldText(1015), QStringLiteral("230.0"));
    EXPECT_EQ(view->Values()->FieldText(1023), QStringLiteral("50.00"));
    EXPECT_TRUE(view->Graph()->HasSource()); // bound on the first data
    if (controls::CPanelControl* panel = view->PanelControl()) {
        EXPECT_EQ(panel->Invoke(2).toInt(), 0);
    }

    Measure(3);
    platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
    EXPECT_EQ(view->Values()->FieldText(1023), QStringLiteral("50.03"));

    view->TogglePane(CVKT01View::Layout::kAlarmsBit);
    EXPECT_EQ(view->PaneMask(), 3);
    EXPECT_EQ(view->RatioY(), 544);
    Close(view);
    EXPECT_EQ(Stored("isAlarm"), 0);
    EXPECT_EQ(Stored("isGraf"), 1);
    EXPECT_EQ(Stored("prickaY"), 544);
    EXPECT_NE(Stored("tab1"), -5);

    CVKTAktMer* again = Open();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->PaneMask(), 3);
    Close(again);
}

TEST_F(VKTLiveView, WithoutAKeyThePanesComeFromTheVKTSectionAndNothingIsStoredBeforeData)
{
    platform::Settings().WriteProfileInt("Obecne nastaveni vkt", QStringLiteral("isAlarm"), 0);
    platform::Settings().WriteProfileInt("Obecne nastaveni vkt", QStringLiteral("isNahled"), 1);
    platform::Settings().WriteProfileInt("Obecne nastaveni vk", QStringLiteral("isGraf"), 0);
    CVKTAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->PaneMask(), 1 | 2 | 8);
    Close(view);
    EXPECT_EQ(Stored("isAlarm"), -5);
}

TEST_F(VKTLiveView, GraphFirstBindingShowsVoltagesAndCurrents)
{
    CVKTAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    Measure();
    platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
    std::array<int, 46> shown{};
    std::array<std::uint32_t, 46> colours{};
    view->Graph()->GetAllQuantities(shown, colours);
    for (int i = 0; i < 46; ++i)
        EXPECT_EQ(shown[std::size_t(i)], i < 8 ? 1 : 0) << i;
    // The values dialog got the graph's colours.
    EXPECT_EQ(view->Values()->Colours()[0], CVKTGrafAktual::QuantityAt(0).colour);
    EXPECT_EQ(view->Values()->Shown()[4], 1);
    Close(view);
}

TEST(VKTGrafAktual, ChannelBandOnlyAboveEighteenLines)
{
    const int f = 96 * 9 / 72; // 12 px
    EXPECT_FALSE(CVKTGrafAktual::ComputeLayout(QRect(0, 0, 400, 18 * f + 2), 96, true).band);
    const CVKTGrafAktual::Layout with = CVKTGrafAktual::ComputeLayout(QRect(0, 0, 400, 18 * f + 3), 96, true);
    EXPECT_TRUE(with.band);
    EXPECT_EQ(with.title.bottom(), 18 * f + 1 - 8 * f);
    EXPECT_FALSE(CVKTGrafAktual::ComputeLayout(QRect(0, 0, 400, 600), 96, false).band);
    // "_u2" has an axis of its own.
    EXPECT_EQ(CVKTGrafAktual::QuantityAt(22).group, 7);
    EXPECT_EQ(CVKTGrafAktual::NameAt(22), QStringLiteral("_u2"));
}

TEST_F(VKTLiveView, DisplayedQuantitiesExchangePhaseFourAndTheOffLineChoice)
{
    CVKTAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    CVKTZobrazeneVelicinyDlg unbound;
    EXPECT_FALSE(unbound.LoadFromGraph(*view->Graph())); // no data bound yet
    Measure();
    platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);

    CVKTZobrazeneVelicinyDlg dialog;
    ASSERT_TRUE(dialog.LoadFromGraph(*view->Graph()));
    EXPECT_TRUE(dialog.Grid()->Box(CVKTQuantityGrid::kTemperature)->isEnabled());
    // Phase 4 of PF, P, Q and S are 12, 27, 32, 37; the totals 11, 26, 31, 36.
    const CVKTQuantityGrid::Row& pf = CVKTQuantityGrid::RowAt(2);
    EXPECT_EQ(pf.phases[3], 12);
    EXPECT_EQ(pf.total, 11);
    EXPECT_EQ(CVKTQuantityGrid::RowAt(6).phases[3], 27);
    EXPECT_EQ(CVKTQuantityGrid::RowAt(7).phases[3], 32);
    EXPECT_EQ(CVKTQuantityGrid::RowAt(8).phases[3], 37);
    dialog.Grid()->Box(27)->click();
    dialog.Grid()->Box(CVKTQuantityGrid::kTemperature)->click();
    dialog.OffLine()->setCurrentIndex(1);
    dialog.StoreToGraph(*view->Graph());
    int shown = 0;
    std::uint32_t colour = 0;
    view->Graph()->GetQuantity(27, shown, colour);
    EXPECT_EQ(shown, 1);
    view->Graph()->GetQuantity(26, shown, colour);
    EXPECT_EQ(shown, 0);
    view->Graph()->GetQuantity(CVKTQuantityGrid::kTemperature, shown, colour);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(view->Graph()->OffLineZob(), 1);
    Close(view);
}

TEST(VKTQuantityGrid, HeadersFollowTheFourPhaseRule)
{
    // Rows with a total: mode 1 when it is set, else 0; other rows 2.
    EXPECT_EQ(CVKTQuantityGrid::RowState({true, true, true, true}, 2), 1);
    EXPECT_EQ(CVKTQuantityGrid::RowState({true, true, true, true}, 0), 2); // total clear
    EXPECT_EQ(CVKTQuantityGrid::RowState({false, false, false, false}, 1), 2);
    EXPECT_EQ(CVKTQuantityGrid::RowState({false, false, false, false}, 0), 0);
    EXPECT_EQ(CVKTQuantityGrid::RowState({true, false, false, false}, 2), 2);

    CVKTQuantityGrid grid;
    for (int r = 0; r < CVKTQuantityGrid::kRows; ++r)
        grid.SetShown(CVKTQuantityGrid::RowAt(r).phases[3], true);
    grid.SetShown(CVKTQuantityGrid::RowAt(8).phases[3], false);
    grid.UpdateHeaders();
    EXPECT_EQ(grid.ColumnHeader(3)->checkState(), Qt::PartiallyChecked);
    grid.SetShown(CVKTQuantityGrid::RowAt(8).phases[3], true);
    grid.UpdateHeaders();
    EXPECT_EQ(grid.ColumnHeader(3)->checkState(), Qt::Checked);
    // A click on the "3F" header sets the four totals.
    grid.ColumnHeader(4)->click();
    for (int total : {11, 26, 31, 36})
        EXPECT_TRUE(grid.Shown(total)) << total;
    // A click on a partly or wholly chosen header clears its members; only a
    // clear one chooses them.
    grid.SetShown(CVKTQuantityGrid::RowAt(0).phases[0], false);
    grid.UpdateHeaders();
    ASSERT_EQ(grid.RowHeader(0)->checkState(), Qt::PartiallyChecked);
    grid.RowHeader(0)->click();
    for (int index : CVKTQuantityGrid::RowAt(0).phases)
        EXPECT_FALSE(grid.Shown(index)) << index;
    EXPECT_EQ(grid.RowHeader(0)->checkState(), Qt::Unchecked);
    grid.RowHeader(0)->click();
    for (int index : CVKTQuantityGrid::RowAt(0).phases)
        EXPECT_TRUE(grid.Shown(index)) << index;
    ASSERT_EQ(grid.ColumnHeader(4)->checkState(), Qt::Checked);
    grid.ColumnHeader(4)->click();
    for (int total : {11, 26, 31, 36})
        EXPECT_FALSE(grid.Shown(total)) << total;
}

// The VK table with a fourth phase: rows U to S from the top, columns 1, 2,
// 3, 3F and 4 from the left, headers with their text on the left, cells
// without text beside their swatches, each in its header's row and column.
TEST(VKTQuantityGrid, StandsAsTheVKTableWithAFourthPhase)
{
    CVKTQuantityGrid grid;
    grid.resize(600, 500);
    grid.show();
    const char* const rows[] = {"U", "I", "PF", "cos", "THDU", "THDI", "P", "Q", "S"};
    for (int r = 0; r < CVKTQuantityGrid::kRows; ++r) {
        QCheckBox* header = grid.RowHeader(r);
        EXPECT_EQ(header->text(), QString::fromLatin1(rows[r]));
        EXPECT_EQ(header->layoutDirection(), Qt::RightToLeft);
        if (r > 0) {
            EXPECT_GT(header->y(), grid.RowHeader(r - 1)->y()) << rows[r];
            // The boxes of the headers stand in one column beside the cells,
            // however wide each header's text is.
            EXPECT_EQ(header->geometry().right(), grid.RowHeader(0)->geometry().right()) << rows[r];
        }
    }
    const int order[] = {0, 1, 2, 4, 3}; // by data column: phases 1-3, 3F, phase 4
    const char* const titles[] = {"1", "2", "3", "3F", "4"};
    for (int k = 0; k < 5; ++k) {
        QCheckBox* header = grid.ColumnHeader(order[k]);
        EXPECT_EQ(header->text(), QString::fromLatin1(titles[k]));
        EXPECT_EQ(header->layoutDirection(), Qt::RightToLeft);
        if (k > 0) {
            EXPECT_GT(header->x(), grid.ColumnHeader(order[k - 1])->x()) << titles[k];
        }
    }
    auto centre = [&grid](QWidget* w) { return w->mapTo(&grid, w->rect().center()); };
    for (int r = 0; r < CVKTQuantityGrid::kRows; ++r) {
        const CVKTQuantityGrid::Row& row = CVKTQuantityGrid::RowAt(r);
        for (int c = 0; c < 5; ++c) {
            const int index = c < 4 ? row.phases[std::size_t(c)] : row.total;
            if (index == CVKTQuantityGrid::kNoTotal)
                continue;
            QCheckBox* box = grid.Box(index);
            EXPECT_TRUE(box->text().isEmpty()) << index;
            EXPECT_NEAR(centre(box).y(), centre(grid.RowHeader(r)).y(), 3) << index;
            // The column's cells start under its header.
            EXPECT_NEAR(box->mapTo(&grid, QPoint(0, 0)).x(), grid.ColumnHeader(c)->x(), 2) << index;
            EXPECT_GT(grid.Swatch(index)->mapTo(&grid, QPoint(0, 0)).x(), box->mapTo(&grid, QPoint(0, 0)).x());
        }
    }
}

TEST_F(VKTLiveView, NoQuantityChosenIsRefusedAndU1Set)
{
    CVKTZobrazeneVelicinyDlg dialog;
    for (int i = 0; i < CVKTZobrazeneVelicinyDlg::kCount; ++i)
        dialog.Grid()->SetShown(i, false);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
    dialog.accept();
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_TRUE(dialog.Grid()->Shown(0));
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Graf musí obsahovat minimálně jednu veličinu."));
}

TEST_F(VKTLiveView, FloatingPanelKeepsItsPlacementAndSwitch)
{
    Measure();
    OpenVKTPanel(*entry);
    CVKTPristrojPlochaFrm* frame = FindVKTPanel(*entry);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->ShowsInstrument());
    EXPECT_EQ(frame->Values()->FieldText(1015), QStringLiteral("230.0"));
    frame->resize(200, 180);
    EXPECT_EQ(frame->PanelDialog()->ControlSize(), QSize(250, 250));
    frame->ToggleData();
    frame->ToggleOnTop();
    CloseVKTPanel(*entry);
    EXPECT_EQ(Stored("ONPisQorin"), 0);
    EXPECT_EQ(Stored("ONPnavrch"), 1);
    OpenVKTPanel(*entry);
    frame = FindVKTPanel(*entry);
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(frame->ShowsInstrument());
    EXPECT_TRUE(frame->OnTop());
}

TEST_F(VKTLiveView, PreviousFileIgnoresTheCurrentAndUnreadableFiles)
{
    QFile junk(dir.filePath(QStringLiteral("junk.vkt")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not an archive");
    junk.close();
    EXPECT_TRUE(CVKT01Doc::FindPreviousVKTArchive(dir.path(), QString(), 2000000000).isEmpty());
}

TEST_F(VKTLiveView, MenuCarriesTheInstrumentCommands)
{
    CVKTAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    QMenu menu;
    view->FillMenu(menu);
    auto find = [&menu](const char* text) -> QAction* {
        for (QAction* a : menu.actions())
            if (a->text() == QString::fromUtf8(text))
                return a;
        return nullptr;
    };
    for (const char* text : {"Přijímané veličiny ...", "&Vlny ...", "&Profily ...", "Plovoucí okno...\tCtrl+N",
                             "Nastavení &přístroje...", "&Elektroměr ...", "Nastavení času ...",
                             "Informace o přístroji", "Otevřít předchozí soubor", "&Skrýt\tCtrl+S"})
        EXPECT_NE(find(text), nullptr) << text;
    ASSERT_NE(find("Vypnout plovoucí okno"), nullptr);
    EXPECT_FALSE(find("Vypnout plovoucí okno")->isEnabled()); // no floating panel open
    EXPECT_FALSE(find("Otevřít aktuální soubor")->isEnabled()); // not measured
    EXPECT_TRUE(find("Přijímané veličiny ...")->isEnabled());

    // "Přijmout data" asks first; Cancel ends it.
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Cancel);
    find("Přijmout &data")->trigger();
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_TRUE(boxes.Requests()[0].text.startsWith(QStringLiteral("Stisknutím tlačítka OK začne příjem dat")));
    Close(view);
}


// Before the instrument has answered, the store has no time window for the
// graph: printed then, the page shows no time and no date of the unset
// window, only the time of printing in its heading.
TEST_F(VKTLiveView, ThePrintedGraphBeforeAnyMeasurementNamesOnlyThePrintingTime)
{
    PDFCHECK_REQUIRE_TOOLS();
    CVKTAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    ASSERT_NE(Data(), nullptr);
    Data()->RefreshGraphs();
    platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
    ASSERT_TRUE(view->Graph()->HasSource());
    livegraphprint::ExpectPrintedWithoutWindow(*view);
    Close(view);
}

// Printed from the File menu, the live graph carries the outputs' band: its
// captioned rows stand between the time axis and the graph's frame.
TEST_F(VKTLiveView, ThePrintedGraphCarriesTheOutputsBandInsideItsFrame)
{
    PDFCHECK_REQUIRE_TOOLS();
    platform::Settings().WriteProfileInt(platform::SettingsSection("Obecne nastaveni vkt"), QStringLiteral("isSpinac"),
                                         1);
    CVKTAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    // Every output and the relay switch on and off in pairs of records.
    for (int n = 0; n < 12; ++n) {
        CAktData values = vkttest::MakeValues(kAllParts, n);
        values.SetStatusA(BYTE(n % 4 < 2 ? 0xFF : 0x00));
        values.SetRelayState(BYTE(n % 4 < 2 ? 1 : 0));
        ASSERT_NE(Data(), nullptr);
        Data()->AddMeasurementRecord(values);
        platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
    }
    std::vector<ui::CommandItem> items;
    view->AppendCommands(items);
    ASSERT_TRUE(std::any_of(items.begin(), items.end(), [](const ui::CommandItem& item) {
        return item.id == ui::kCmdFilePrint && item.text == QStringLiteral("&Tisk...");
    }));
    pdfcheck::PdfJobs jobs(true, 1200);
    EXPECT_TRUE(view->OnCommand(ui::kCmdFilePrint));
    ASSERT_EQ(jobs.chooserCalls, 1);
    constexpr int kPageDpi = 150;
    const QImage page = pdfcheck::PageImage(jobs.Path(), 1, kPageDpi).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(page.isNull());

    const int frameBottom = pdfcheck::GraphFrameBottom(page);
    ASSERT_GT(frameBottom, 0);

    // The time axis's labels and the band's row captions, in pixels.
    double axisBottom = -1;
    std::vector<pdfcheck::Word> captions;
    static const QRegularExpression time(QStringLiteral("^\\d{1,2}:\\d\\d"));
    static const QRegularExpression caption(QStringLiteral("^((U1|U4|I1|I4)(>>|&gt;&gt;)|Vstup)$"));
    for (const pdfcheck::Word& word : pdfcheck::Words(jobs.Path())) {
        if (word.page != 0)
            continue;
        if (time.match(word.text).hasMatch())
            axisBottom = std::max(axisBottom, word.yMax * kPageDpi / 72.0);
        if (caption.match(word.text).hasMatch())
            captions.push_back(word);
    }
    ASSERT_GT(axisBottom, 0);
    ASSERT_EQ(captions.size(), 5u);
    for (const pdfcheck::Word& word : captions) {
        SCOPED_TRACE(word.text.toStdString());
        EXPECT_GT(word.yMin * kPageDpi / 72.0, axisBottom);
        EXPECT_LT(word.yMax * kPageDpi / 72.0, frameBottom);
    }
    Close(view);
}

} // namespace
