// The VKR graph of current values: its quantities with the line-to-line
// voltage distortions, its record in the archive, what it draws and prints
// in the VKR archive window.
#include "ViewMenu.h"
#include "analysers_vk/VKGrafAktual.h"
#include "analysers_vk/VKR01Doc.h"
#include "analysers_vk/VKRAktMer.h"
#include "analysers_vk/VKRArchivView.h"
#include "analysers_vk/VKRGrafAktual.h"
#include "analysers_vk/VKRLineGrid.h"
#include "analysers_vk/VKRZobrazeneVelicinyDlg.h"
#include "archive_docs/FamilyArchivDocs.h"
#include "archive/store/StoreTestSupport.h"
#include "archive/store/VKArchivData.h"
#include "archive/store/VKRArchivData.h"
#include "charts/ArchivValueLists.h"
#include "charts/PdfCheck.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QMenu>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace analysers_vk;
using platform::CTime;

namespace {

// A star connection: every phase and line quantity measured.
CVKRConfig StarConfig()
{
    CVKRConfig config;
    config.SetConnection(CVKRConfig::Star);
    return config;
}

constexpr std::uint32_t Rgb(int r, int g, int b)
{
    return std::uint32_t(r) | (std::uint32_t(g) << 8) | (std::uint32_t(b) << 16);
}

class VKRGraf : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        platform::Settings::SetFileForTesting(m_dir.filePath(QStringLiteral("settings.ini")));
    }
    void TearDown() override { platform::Settings::SetFileForTesting(QString()); }

    QTemporaryDir m_dir;
};

TEST_F(VKRGraf, TheVKQuantitiesThenTheLineDistortionsInPercent)
{
    for (int i = 0; i < CVKGrafAktual::kQuantityCount; ++i) {
        EXPECT_STREQ(CVKRGrafAktual::QuantityAt(i).name, CVKGrafAktual::QuantityAt(i).name) << i;
        EXPECT_EQ(CVKRGrafAktual::QuantityAt(i).group, CVKGrafAktual::QuantityAt(i).group) << i;
        EXPECT_EQ(CVKRGrafAktual::QuantityAt(i).category, CVKGrafAktual::QuantityAt(i).category) << i;
        EXPECT_EQ(CVKRGrafAktual::QuantityAt(i).colour, CVKGrafAktual::QuantityAt(i).colour) << i;
    }
    struct Line {
        const char* name;
        std::uint32_t colour;
    };
    const Line lines[] = {
        {"THDU1,2", Rgb(14, 14, 144)}, {"THDU2,3", Rgb(96, 96, 192)}, {"THDU3,1", Rgb(160, 160, 209)}};
    CVKRArchivData data;
    CVKRGrafAktual graph;
    graph.AttachArchive(data);
    for (int k = 0; k < 3; ++k) {
        const int index = CVKRGrafAktual::kFirstLine + k;
        const CVKRGrafAktual::Quantity& q = CVKRGrafAktual::QuantityAt(index);
        EXPECT_STREQ(q.name, lines[k].name);
        EXPECT_EQ(q.group, 6);    // on the THD axis
        EXPECT_EQ(q.category, 5); // with the THD range
        EXPECT_STREQ(q.caption, "THD");
        EXPECT_EQ(q.colour, lines[k].colour);
        // The settings page and the dialog offer the same three.
        EXPECT_STREQ(CVKRLineGrid::Name(k), lines[k].name);
        EXPECT_EQ(CVKRLineGrid::DefaultColour(k), lines[k].colour);

        EXPECT_EQ(graph.SetQuantity(index, 1, q.colour), 1);
        const CGraphTrace* trace = data.SeriesRegistry().FindGraphSeries(QString::fromLatin1(q.name));
        ASSERT_NE(trace, nullptr) << k;
        EXPECT_EQ(trace->Unit(), QStringLiteral("%"));
    }
    // Beyond the table nothing is registered.
    EXPECT_EQ(graph.SetQuantity(CVKRGrafAktual::kQuantityCount, 1, 0), 0);
    int shown = 0;
    std::uint32_t colour = 0;
    EXPECT_FALSE(graph.GetQuantity(CVKRGrafAktual::kQuantityCount, shown, colour));
    graph.Detach();
}

TEST_F(VKRGraf, FirstBindingTakesTheVKRDefaultsWithTheTemperatureAlwaysAvailable)
{
    platform::Settings settings;
    settings.WriteProfileInt("Obecne nastaveni vkr", QStringLiteral("isTHDU3,1"), 1);
    settings.WriteProfileInt("Obecne nastaveni vkr", QStringLiteral("barva THDU3,1"), 0x010203);
    settings.WriteProfileInt("Obecne nastaveni vk", QStringLiteral("isTHDU1"), 1); // the VK's: not read
    CPristroj entry(QStringLiteral("COM1"), 1, m_dir.path(), FALSE, CPristroj::kVKR);
    entry.m_nazev = QStringLiteral("Trafostanice");
    CVKRGrafAktual graph;
    graph.AttachOnline(entry);
    std::array<int, 36> shown{};
    std::array<std::uint32_t, 36> colours{};
    std::array<int, 3> lineShown{};
    std::array<std::uint32_t, 3> lineColours{};
    graph.GetAllQuantities(shown, colours, lineShown, lineColours);
    for (int i = 0; i < 36; ++i)
        EXPECT_EQ(shown[std::size_t(i)], i < 6 ? 1 : 0) << i;
    EXPECT_EQ(lineShown, (std::array<int, 3>{0, 0, 1}));
    EXPECT_EQ(lineColours[2], 0x010203u);
    EXPECT_EQ(lineColours[0], Rgb(14, 14, 144));
    EXPECT_TRUE(graph.TemperatureAvailable());

    // Kept under the instrument's key, line distortions included.
    graph.SetQuantity(38, 1, 0x0A0B0C);
    graph.SetQuantity(0, 0, CVKRGrafAktual::QuantityAt(0).colour);
    graph.SaveSettings();
    const platform::SettingsSection device({QStringLiteral("pristroje"), QStringLiteral("Trafostanice")});
    EXPECT_EQ(settings.GetProfileInt(device, QStringLiteral("init"), 0), 1);
    EXPECT_EQ(settings.GetProfileInt(device, QStringLiteral("isTHDU2,3"), 0), 1);
    EXPECT_EQ(settings.GetProfileInt(device, QStringLiteral("barva THDU2,3"), 0), 0x0A0B0C);
    EXPECT_EQ(settings.GetProfileInt(device, QStringLiteral("isU1"), 1), 0);
    graph.Detach();

    CVKRGrafAktual again;
    again.AttachOnline(entry);
    again.GetAllQuantities(shown, colours, lineShown, lineColours);
    EXPECT_EQ(shown[0], 0);
    EXPECT_EQ(lineShown, (std::array<int, 3>{0, 1, 1}));
    EXPECT_EQ(lineColours[1], 0x0A0B0Cu);
    again.Detach();
}

TEST_F(VKRGraf, TheLiveWindowShowsTheVKRGraphAndKeepsItsChoice)
{
    ui::CDocManager manager;
    AddVKRLiveTemplate(manager);
    CPristroj entry(QStringLiteral("COM1"), 1, m_dir.path(), FALSE, CPristroj::kVKR);
    entry.m_nazev = QStringLiteral("Rozvodna");
    entry.m_merit = 0;
    auto* view = qobject_cast<CVKRAktMer*>(OpenVKRLive(manager, entry));
    ASSERT_NE(view, nullptr);
    view->resize(900, 700);
    CVKRGrafAktual* graph = view->Graph();
    EXPECT_FALSE(graph->HasSource());
    auto* data = dynamic_cast<CVKRArchivData*>(entry.GetArchivData());
    ASSERT_NE(data, nullptr);
    data->AddConfigRecord(StarConfig());
    CVKRAktData values;
    for (int k = 0; k < 3; ++k)
        values.SetThdULine(k, 250);
    data->AddMeasurementRecord(values);
    platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
    // Bound to the instrument with the first measurement.
    ASSERT_TRUE(graph->HasSource());
    EXPECT_EQ(graph->QuantityCount(), CVKRGrafAktual::kQuantityCount);
    EXPECT_FALSE(graph->Offline());
    QMenu menu;
    QAction* quantities = ViewMenuAction(*view, menu, QStringLiteral("Zobrazené veličiny ..."));
    ASSERT_NE(quantities, nullptr);
    EXPECT_TRUE(quantities->isEnabled());

    EXPECT_EQ(graph->SetQuantity(37, 1, 0x445566), 1);
    EXPECT_NE(data->SeriesRegistry().FindGraphSeries(u"THDU1,2"), nullptr);
    view->GetDocument()->OnCloseDocument();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // Closing the window stored the graph under the instrument's key and
    // let go of its series.
    const platform::SettingsSection device({QStringLiteral("pristroje"), QStringLiteral("Rozvodna")});
    EXPECT_EQ(platform::Settings().GetProfileInt(device, QStringLiteral("isTHDU1,2"), 0), 1);
    EXPECT_EQ(platform::Settings().GetProfileInt(device, QStringLiteral("barva THDU1,2"), 0), 0x445566);
    EXPECT_EQ(data->SeriesRegistry().FindGraphSeries(u"THDU1,2"), nullptr);
}

// "T" is shown only by an instrument that measures it: a VK needs variant
// bit 0 in its identification, a VKR always has it.
TEST_F(VKRGraf, TheTemperatureComesOnlyWhereTheInstrumentMeasuresIt)
{
    platform::Settings settings;
    struct Case {
        int kind;
        int model; // identification model word
        bool shown;
    };
    const Case cases[] = {{CPristroj::kVK, 0x1100, false}, {CPristroj::kVK, 0x1101, true}, {CPristroj::kVKR, 0x1100, true}};
    int n = 0;
    for (const Case& c : cases) {
        const QString name = QStringLiteral("Pristroj%1").arg(++n);
        const platform::SettingsSection device({QStringLiteral("pristroje"), name});
        settings.WriteProfileInt(device, QStringLiteral("init"), 1);
        settings.WriteProfileInt(device, QStringLiteral("isT"), 1);
        CPristroj entry(QStringLiteral("COM1"), 1, m_dir.path(), FALSE, c.kind);
        entry.m_nazev = name;
        CIden iden;
        iden.family = CIden::kFamilyAnalyser;
        iden.model = WORD(c.model);
        if (auto* vk = dynamic_cast<CVKArchivData*>(entry.GetArchivData()))
            vk->AddIdenRecord(iden);
        std::unique_ptr<CVKFamilyGrafAktual> graph;
        if (c.kind == CPristroj::kVK)
            graph = std::make_unique<CVKGrafAktual>();
        else
            graph = std::make_unique<CVKRGrafAktual>();
        graph->AttachOnline(entry);
        int shown = 0;
        std::uint32_t colour = 0;
        ASSERT_TRUE(graph->GetQuantity(11, shown, colour));
        EXPECT_EQ(shown != 0, c.shown) << n;
        graph->Detach();
    }

    // Nor does an archive's stored choice show it for a VK without the bit.
    const auto archive = [](int model) {
        auto data = std::make_unique<CVKArchivData>();
        CIden iden;
        iden.family = CIden::kFamilyAnalyser;
        iden.model = WORD(model);
        data->AddIdenRecord(iden);
        return data;
    };
    const auto withT = archive(0x1101);
    CVKGrafAktual measuring;
    measuring.AttachArchive(*withT);
    ASSERT_TRUE(measuring.TemperatureAvailable());
    measuring.SetQuantity(11, 1, 0x00FF00);
    const QByteArray record = measuring.ArchiveRecord();
    for (const auto& [model, shownAfter] : {std::pair{0x1100, false}, std::pair{0x1101, true}}) {
        const auto data = archive(model);
        CVKGrafAktual graph;
        graph.AttachArchive(*data);
        ASSERT_TRUE(graph.ApplyArchiveRecord(record));
        int shown = 0;
        std::uint32_t colour = 0;
        ASSERT_TRUE(graph.GetQuantity(11, shown, colour));
        EXPECT_EQ(shown != 0, shownAfter) << std::hex << model;
    }
}

// Switching import/export on and off while a power is shown: its axis takes
// the negative part or cuts it at 0.
TEST_F(VKRGraf, ImportExportSwitchedWhileAPowerIsShown)
{
    CVKRArchivData data;
    CVKRGrafAktual graph;
    graph.AttachArchive(data);
    graph.SetOdbDod(0);
    ASSERT_EQ(graph.SetQuantity(34, 1, 0x0000FF), 1); // 3P
    const CGraphTrace* power = data.SeriesRegistry().FindGraphSeries(u"3P");
    ASSERT_NE(power, nullptr);
    EXPECT_EQ(power->Option(), 1);
    EXPECT_EQ(power->DefaultMinimum(), 0.0f);
    EXPECT_EQ(graph.SetQuantity(34, 1, 0x0000FF), 0); // nothing changed
    graph.SetOdbDod(1);
    EXPECT_EQ(graph.SetQuantity(34, 1, 0x0000FF), 1);
    EXPECT_EQ(power->Option(), 0);
    EXPECT_LT(power->DefaultMinimum(), 0.0f);
    graph.SetOdbDod(0);
    EXPECT_EQ(graph.SetQuantity(34, 1, 0x00FF00), 1);
    EXPECT_EQ(power->DefaultMinimum(), 0.0f);
    EXPECT_EQ(power->Colour(), 0x00FF00u);
    // Other quantities have no such option.
    ASSERT_EQ(graph.SetQuantity(0, 1, 0x0000FF), 0); // U1 shown already
    graph.Detach();
}

// A record of the graph as the archive keeps it; the group and grid flag
// after the float block are set to `group` and `grid`.
QByteArray Record(int floats, int group, int grid)
{
    CVKRArchivData data;
    CVKRGrafAktual graph;
    graph.AttachArchive(data);
    graph.SetQuantity(39, 1, 0x112233);
    std::vector<float> values(std::size_t(floats), 5.0f);
    data.ScaleCategories().Set(FALSE, floats, values.data());
    QByteArray record = graph.ArchiveRecord();
    qToLittleEndian<qint32>(group, record.data() + record.size() - 8);
    qToLittleEndian<qint32>(grid, record.data() + record.size() - 4);
    graph.Detach();
    return record;
}

TEST_F(VKRGraf, TheArchiveRecordHoldsFortyQuantitiesAndItsTailFollowsTheFloats)
{
    constexpr int kHead = 4 * (2 + 2 * 40 + 3); // up to the auto flag
    const QByteArray none = Record(0, 2, 1);
    ASSERT_EQ(none.size(), kHead + 8);
    // THDU3,1: colour then shown flag, the last pair.
    EXPECT_EQ(qFromLittleEndian<qint32>(none.constData() + 8 + 39 * 8), 0x112233);
    EXPECT_EQ(qFromLittleEndian<qint32>(none.constData() + 8 + 39 * 8 + 4), 1);
    // Fourteen floats put the tail at byte 400.
    ASSERT_EQ(Record(14, 2, 1).size(), 400 + 8);

    struct Case {
        int floats;
        int cut;
        bool applied;
        bool tail;
    };
    const Case cases[] = {
        {0, 0, true, true},   {14, 0, true, true},   {20, 0, true, true}, {14, 8, true, false},
        {0, 4, true, false},  {14, 12, false, false}, {3, 40, false, false},
    };
    for (const Case& c : cases) {
        QByteArray record = Record(c.floats, 5, 1);
        record.chop(c.cut);
        CVKRArchivData data;
        CVKRGrafAktual graph;
        graph.AttachArchive(data);
        graph.SetGrid(false);
        EXPECT_EQ(graph.ApplyArchiveRecord(record), c.applied) << c.floats << "/" << c.cut;
        EXPECT_EQ(graph.CurrentGroup(), c.tail ? 5 : 0) << c.floats << "/" << c.cut;
        EXPECT_EQ(graph.Grid(), c.tail) << c.floats << "/" << c.cut;
        int shown = 0;
        std::uint32_t colour = 0;
        ASSERT_TRUE(graph.GetQuantity(39, shown, colour));
        EXPECT_EQ(shown, c.applied ? 1 : 0) << c.floats << "/" << c.cut;
        if (c.applied) {
            EXPECT_EQ(colour, 0x112233u);
        }
        // A record with its floats is written back as it was read.
        if (c.applied && c.floats != 0) {
            EXPECT_TRUE(graph.ArchiveRecord().startsWith(record.left(kHead + 4 + 4 * c.floats)));
        }
        graph.Detach();
    }
}

TEST_F(VKRGraf, TheDialogExchangesTheLineDistortionsWithTheGraph)
{
    CVKRArchivData data;
    CVKRGrafAktual graph;
    graph.AttachArchive(data);
    graph.SetQuantity(37, 1, 0x00AA00);
    CVKRZobrazeneVelicinyDlg dialog;
    ASSERT_TRUE(dialog.LoadFromGraph(graph));
    EXPECT_TRUE(dialog.Lines()->Shown(0));
    EXPECT_EQ(dialog.Lines()->Colour(0), 0x00AA00u);
    EXPECT_FALSE(dialog.Lines()->Shown(1));
    // Only a line distortion chosen: accepted at once.
    for (int i = 0; i < CVKZobrazeneVelicinyDlg::kCount; ++i)
        if (dialog.Box(i))
            dialog.Box(i)->setChecked(false);
    dialog.Lines()->SetShown(0, false);
    dialog.Lines()->SetShown(2, true);
    dialog.Lines()->SetColour(2, 0x0000BB);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    dialog.StoreToGraph(graph);
    int shown = 0;
    std::uint32_t colour = 0;
    graph.GetQuantity(37, shown, colour);
    EXPECT_EQ(shown, 0);
    graph.GetQuantity(39, shown, colour);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(colour, 0x0000BBu);
    graph.GetQuantity(0, shown, colour);
    EXPECT_EQ(shown, 0);

    // "Výchozí" shows the family's line choice again.
    platform::Settings().WriteProfileInt("Obecne nastaveni vkr", QStringLiteral("isTHDU1,2"), 1);
    dialog.LoadDefaults();
    EXPECT_TRUE(dialog.Lines()->Shown(0));
    EXPECT_FALSE(dialog.Lines()->Shown(2));
    EXPECT_EQ(dialog.Lines()->Colour(2), Rgb(160, 160, 209));
    graph.Detach();
}

// A VKR archive recorded through the store, opened in the archive window.
class VKRGrafArchive : public VKRGraf {
protected:
    void SetUp() override
    {
        VKRGraf::SetUp();
        AddVKRArchivTemplate(m_manager);
        m_clock.Set(CTime(1233478800)); // 2009-02-01 10:00 local
        m_writer.SetTimeSource(m_clock.Source());
        ASSERT_EQ(m_writer.Create(40 * 60 * 10, 10, 60, m_dir.filePath(QStringLiteral("rozvodna")),
                                  QStringLiteral(".vkr"), TRUE, TRUE, QStringLiteral("Rozvodna")),
                  1);
        for (int b = 0; b < 2; ++b) {
            m_writer.AddConfigRecord(StarConfig());
            for (int i = 0; i < 10; ++i) {
                m_clock.Advance(60);
                CVKRAktData values;
                for (int k = 0; k < 3; ++k) {
                    values.SetUPhase(k, 230.0f);
                    values.SetI(k, 10.0f);
                    values.SetThdULine(k, std::int16_t(2000 + 500 * k + 100 * (i % 4))); // 20..35 %
                }
                values.SetFrequency(5000);
                m_writer.AddMeasurementRecord(values);
            }
            m_clock.Advance(1);
            const int mode = m_writer.EndBlock(FALSE, TRUE, 60);
            ASSERT_EQ(m_writer.Flush(FALSE, mode, QStringLiteral("Rozvodna")), 1);
        }
    }
    void TearDown() override
    {
        Close();
        m_writer.Close();
        VKRGraf::TearDown();
    }

    CVKRArchivView* Open()
    {
        ui::CDocTemplate* t =
            m_manager.FindTemplate(ui::CDocTemplate::regFileTypeId, QStringLiteral("VKRArchiv.Document"));
        if (!t)
            return nullptr;
        m_doc = qobject_cast<CVKRArchivDoc*>(t->OpenDocumentFile(m_dir.filePath(QStringLiteral("rozvodna.vkr")), true));
        if (!m_doc)
            return nullptr;
        auto* view = qobject_cast<CVKRArchivView*>(m_doc->FirstView());
        if (view && view->GetParentFrame())
            view->GetParentFrame()->resize(900, 700);
        QApplication::processEvents();
        return view;
    }
    void Close()
    {
        if (m_doc)
            m_doc->OnCloseDocument();
        m_doc = nullptr;
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }

    // Pixels of exactly `colour` (0x00BBGGRR) inside the plot.
    static int PixelsOf(CVKRGrafAktual& graph, std::uint32_t colour)
    {
        const QImage image = graph.RenderImage();
        const CGraphRect& plot = graph.PlotRect();
        const QColor wanted(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
        int count = 0;
        for (int y = plot.top; y <= plot.bottom && y < image.height(); ++y)
            for (int x = plot.left; x <= plot.right && x < image.width(); ++x)
                count += image.pixelColor(x, y) == wanted ? 1 : 0;
        return count;
    }

    ui::CDocManager m_manager;
    storetest::FakeClock m_clock;
    CVKRArchivData m_writer;
    QPointer<CVKRArchivDoc> m_doc;
};

TEST_F(VKRGrafArchive, TheLineDistortionIsDrawnKeptInTheArchiveAndPrinted)
{
    CVKRArchivView* view = Open();
    ASSERT_TRUE(view);
    CVKRGrafAktual* graph = view->Graph();
    ASSERT_TRUE(graph->HasSource());
    constexpr std::uint32_t kGreen = 0x00FF00;
    for (int i = 0; i < CVKRGrafAktual::kQuantityCount; ++i)
        graph->SetQuantity(i, 0, CVKRGrafAktual::QuantityAt(i).colour);
    EXPECT_EQ(PixelsOf(*graph, kGreen), 0);
    graph->SetQuantity(38, 1, kGreen); // THDU2,3
    m_doc->Navigator().SetMode(0); // the series of the window, as after the dialog
    const int drawn = PixelsOf(*graph, kGreen);
    EXPECT_GT(drawn, 50) << "the trace of THDU2,3";
    // Its axis is the THD axis, the only one drawn.
    EXPECT_EQ(graph->CurrentGroup(), 0);
    graph->SetGrid(true);
    graph->RenderImage();
    EXPECT_EQ(graph->CurrentGroup(), 6);

    if (pdfcheck::HaveTools()) {
        pdfcheck::PdfJobs jobs;
        platform::SendMessageTo(view, platform::WM_ARCHIVE_PRINT_GRAPH, 0, 0);
        ASSERT_EQ(jobs.chooserCalls, 1);
        EXPECT_EQ(pdfcheck::PageCount(jobs.Path()), 1);
        const QStringList pages = pdfcheck::PageTexts(jobs.Path());
        ASSERT_FALSE(pages.isEmpty());
        EXPECT_TRUE(pages[0].contains(QStringLiteral("Naměřený graf rozvodna"))) << pages[0].toStdString();
        EXPECT_TRUE(pages[0].contains(QStringLiteral("%"))) << pages[0].toStdString();
        // The legend names the drawn series only.
        EXPECT_TRUE(pages[0].contains(QStringLiteral("THDU2,3"))) << pages[0].toStdString();
        EXPECT_FALSE(pages[0].contains(QStringLiteral("THDU1,2"))) << pages[0].toStdString();
    }
    Close();

    CVKRArchivView* again = Open();
    ASSERT_TRUE(again);
    int shown = 0;
    std::uint32_t colour = 0;
    ASSERT_TRUE(again->Graph()->GetQuantity(38, shown, colour));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(colour, kGreen);
    EXPECT_TRUE(again->Graph()->Grid());
    EXPECT_EQ(again->Graph()->CurrentGroup(), 6);
    // The list shows the line distortion's column with the graph.
    EXPECT_EQ(again->List()->ColumnFlags().extra[1], 1);
    EXPECT_GT(PixelsOf(*again->Graph(), kGreen), 50);
}

} // namespace
