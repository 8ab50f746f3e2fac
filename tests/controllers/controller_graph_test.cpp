// The controller graphs: where their settings come from and go to, the
// graph block in the archive, what they draw (pixel probes) and print.
#include "tests/charts/PdfCheck.h"

#include "archive/store/ArchivStream.h"
#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"
#include "controllers/graph/DuskarGraphWnd.h"
#include "controllers/graph/GraphBlock.h"
#include "controllers/graph/QuantityGraphWnd.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

using namespace controllers;
using platform::CTime;
using Q = CQuantityGraphWnd;

namespace {

const platform::SettingsSection kDevice({QStringLiteral("pristroje"), QStringLiteral("Kompenzace")});
const platform::SettingsSection kGeneral("Obecne nastaveni");
const platform::SettingsSection kGeneralDuskar("Obecne nastaveni Duskar");

QByteArray Floats(std::initializer_list<float> values)
{
    QByteArray out;
    for (float f : values)
        out.append(reinterpret_cast<const char*>(&f), 4);
    return out;
}

// Pixels of `colour` inside `r`.
int CountColour(const QImage& image, const QRect& r, QColor colour)
{
    int n = 0;
    for (int y = std::max(0, r.top()); y <= std::min(image.height() - 1, r.bottom()); ++y)
        for (int x = std::max(0, r.left()); x <= std::min(image.width() - 1, r.right()); ++x)
            n += QColor(image.pixel(x, y)) == colour;
    return n;
}

class ControllerGraph : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("settings.ini")));
    }
    void TearDown() override { platform::Settings::SetFileForTesting(QString()); }

    std::unique_ptr<CPristroj> Entry(int type)
    {
        auto entry = std::make_unique<CPristroj>(QStringLiteral("COM1"), 1, dir.path(), FALSE, type);
        entry->m_nazev = QStringLiteral("Kompenzace");
        return entry;
    }
    // Ten Qorin measurements a minute apart, the live time base over them.
    void MeasureQorin(CPristroj& entry, int cosCode = 90)
    {
        auto* store = dynamic_cast<CQorinArchivData*>(entry.GetArchivData());
        ASSERT_NE(store, nullptr);
        auto now = std::make_shared<std::atomic<std::uint32_t>>(CTime(2024, 3, 10, 10, 0, 0).GetTime());
        store->SetTimeSource([now] { return CTime(now->load()); });
        for (int i = 0; i < 10; ++i) {
            CQorinAktData v;
            v.model = 1;
            v.cosPhi = std::int8_t(i % 2 ? cosCode : cosCode - 10);
            v.current = WORD(2000 + 400 * i);
            v.activeCurrent = std::int16_t(1500 + 100 * i);
            v.reactiveCurrent = std::int16_t(-500 + 150 * i);
            v.thdCode = BYTE(20 + i);
            store->AddMeasurementRecord(v);
            *now += 60;
        }
        store->ResetGraphTimeBase(3600);
    }

    QTemporaryDir dir;
};

// ---- where the Qorin graph's settings come from ----

TEST_F(ControllerGraph, QorinSettingsFromTheFirstSourceThatHasThem)
{
    struct Case {
        const char* what;
        bool key;   // the instrument has a section
        int init;   // -1: none
        QByteArray categories;
        std::uint32_t cosColour;
        bool thdShown;
        int type;
        bool categoriesTaken;
        bool initAfter;
    };
    const Case cases[] = {
        {"no section: the general defaults", false, -1, {}, 0x112233, false, 7, false, false},
        {"a section without init: marked, the general defaults", true, -1, {}, 0x112233, false, 7, false, true},
        {"init 0: the same", true, 0, {}, 0x112233, false, 7, false, true},
        {"init 1: the instrument's values", true, 1, Floats({0.5f, 1.7f, -4, 4, 0, 100}), 0x445566, true, 9, true,
         true},
        {"a category blob of another length is ignored", true, 1, Floats({0.5f, 1.7f, -4, 4, 0}), 0x445566, true, 9,
         false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("%1.ini").arg(&c - cases)));
        platform::Settings s;
        s.WriteProfileInt(kGeneral, QStringLiteral("barva kos"), 0x112233);
        s.WriteProfileInt(kGeneral, QStringLiteral("isTHD"), 0);
        if (c.key) {
            s.WriteProfileInt(kDevice, QStringLiteral("prickaX"), 500);
            if (c.init >= 0)
                s.WriteProfileInt(kDevice, QStringLiteral("init"), c.init);
            s.WriteProfileInt(kDevice, QStringLiteral("barva kos"), 0x445566);
            s.WriteProfileInt(kDevice, QStringLiteral("typ"), 9);
            s.WriteProfileInt(kDevice, QStringLiteral("pocetKat"), 6);
            s.WriteProfileInt(kDevice, QStringLiteral("auto"), 0);
            s.WriteProfileBinary(kDevice, QStringLiteral("ketegorie"), c.categories);
        }
        auto entry = Entry(CPristroj::kQorin);
        Q graph;
        graph.resize(600, 400);
        graph.AttachDevice(*entry);
        int shown = 0;
        std::uint32_t colour = 0;
        ASSERT_TRUE(graph.GetCurveColor(Q::kCos, shown, colour));
        EXPECT_EQ(colour, c.cosColour);
        EXPECT_EQ(shown, 1);
        ASSERT_TRUE(graph.GetCurveColor(Q::kThd, shown, colour));
        EXPECT_EQ(shown != 0, c.thdShown);
        EXPECT_EQ(graph.GraphType(), c.type);
        const CScaleCategories& categories = entry->GetArchivData()->ScaleCategories();
        float minimum = 0, maximum = 0;
        ASSERT_TRUE(categories.GetRange(0, minimum, maximum));
        EXPECT_EQ(minimum == 0.5f, c.categoriesTaken);
        EXPECT_EQ(!categories.GetAuto(), c.categoriesTaken);
        EXPECT_EQ(s.GetProfileInt(kDevice, QStringLiteral("init"), 0) == 1, c.initAfter);
        EXPECT_EQ(s.SubSections(QStringLiteral("pristroje")).contains(QStringLiteral("Kompenzace")), c.key);
    }
}

TEST_F(ControllerGraph, QorinLiveSettingsSavedToTheInstrumentOnDetach)
{
    auto entry = Entry(CPristroj::kQorin);
    {
        Q graph;
        graph.resize(600, 400);
        graph.AttachDevice(*entry);
        graph.SetImportExport(1);
        EXPECT_EQ(graph.ShowCurve(Q::kThd, 0, 0xFF0000), 1);
        EXPECT_EQ(graph.ShowCurve(Q::kCos, 1, 0x0000FF), 0); // colour only
        graph.SetGrid(true);
        graph.SetGridQuantity(Q::kAxisCurrent);
        graph.Detach();
        EXPECT_FALSE(graph.HasSource());
    }
    platform::Settings s;
    EXPECT_EQ(s.GetProfileInt(kDevice, QStringLiteral("isOdbDod"), -1), 1);
    EXPECT_EQ(s.GetProfileInt(kDevice, QStringLiteral("isTHD"), -1), 0);
    EXPECT_EQ(s.GetProfileInt(kDevice, QStringLiteral("barva kos"), -1), 0x0000FF);
    EXPECT_EQ(s.GetProfileInt(kDevice, QStringLiteral("isMriz"), -1), 1);
    EXPECT_EQ(s.GetProfileInt(kDevice, QStringLiteral("Aktualni Velicina"), -1), 1);
    EXPECT_EQ(s.GetProfileInt(kDevice, QStringLiteral("pocetKat"), -1), 6);
    EXPECT_EQ(s.GetProfileBinary(kDevice, QStringLiteral("ketegorie")).size(), 24);
    EXPECT_FALSE(s.Contains(kDevice, QStringLiteral("init")));

    // The next binding takes them back (the section is marked first).
    s.WriteProfileInt(kDevice, QStringLiteral("init"), 1);
    auto again = Entry(CPristroj::kQorin);
    Q graph;
    graph.AttachDevice(*again);
    int shown = 1;
    std::uint32_t colour = 0;
    graph.GetCurveColor(Q::kThd, shown, colour);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(graph.ImportExport(), 1);
    EXPECT_TRUE(graph.Grid());
}

TEST_F(ControllerGraph, QorinRangesFollowImportExport)
{
    auto entry = Entry(CPristroj::kQorin);
    Q graph;
    graph.AttachDevice(*entry);
    double minimum = 0, maximum = 0;
    for (int importExport : {0, 1}) {
        graph.SetImportExport(importExport);
        for (Q::Curve c : {Q::kCurrent, Q::kActive, Q::kReactive}) {
            graph.CurveRange(c, minimum, maximum);
            const bool signedCurve = importExport && c != Q::kCurrent;
            EXPECT_EQ(minimum, signedCurve ? -maximum : 0.0) << importExport << " curve " << c;
            EXPECT_GT(maximum, 0.0);
        }
    }
    graph.CurveRange(Q::kCos, minimum, maximum);
    EXPECT_EQ(minimum, 0.0);
    EXPECT_EQ(maximum, 2.0);
    // Active and reactive currents keep magnitudes while import/export is off.
    graph.SetImportExport(0);
    graph.ShowCurve(Q::kActive, 1, 255);
    EXPECT_EQ(entry->GetArchivData()->SeriesRegistry().FindGraphSeries(QStringLiteral("real"))->Option(), 1);
    graph.SetImportExport(1);
    EXPECT_EQ(graph.ShowCurve(Q::kActive, 1, 255), 1); // the absolute flag changed
    EXPECT_EQ(entry->GetArchivData()->SeriesRegistry().FindGraphSeries(QStringLiteral("real"))->Option(), 0);
}

// ---- drawing ----

TEST_F(ControllerGraph, QorinCurvesDrawnInTheirColours)
{
    auto entry = Entry(CPristroj::kQorin);
    MeasureQorin(*entry);
    Q graph;
    graph.resize(700, 450);
    graph.AttachDevice(*entry);
    graph.ShowCurve(Q::kCos, 1, 0x0000FF);     // red
    graph.ShowCurve(Q::kCurrent, 1, 0xFF0000); // blue
    graph.ShowCurve(Q::kThd, 0, 0);
    graph.ShowCurve(Q::kActive, 0, 0);
    graph.ShowCurve(Q::kReactive, 0, 0);
    const QImage image = graph.RenderImage();
    const QRect plot = graph.PlotRect().ToQRect();
    EXPECT_GT(CountColour(image, plot, QColor(255, 0, 0)), 20);
    EXPECT_GT(CountColour(image, plot, QColor(0, 0, 255)), 20);
    EXPECT_EQ(CountColour(image, plot, QColor(0, 255, 0)), 0);
    // Two axes (cos, current) stand left of the plot.
    EXPECT_GT(plot.left(), 30);
}

TEST_F(ControllerGraph, AllCurvesOffStillDrawTheTimeAxis)
{
    platform::Settings s;
    s.WriteProfileInt(kDevice, QStringLiteral("init"), 1);
    for (const char* v : {"isKos", "isProud", "isReal", "isImag", "isTHD"})
        s.WriteProfileInt(kDevice, QString::fromLatin1(v), 0);
    auto entry = Entry(CPristroj::kQorin);
    MeasureQorin(*entry);
    Q graph;
    graph.resize(600, 400);
    graph.AttachDevice(*entry);
    graph.SetGrid(true);
    std::array<std::uint32_t, 5> colours{};
    std::array<int, 5> visible{};
    graph.GetCurveColors(colours, visible);
    EXPECT_EQ(visible, (std::array<int, 5>{}));
    const QImage image = graph.RenderImage();
    // No value axis: the plot starts at the left margin, and the time axis
    // with its labels is drawn under it.
    const QRect plot = graph.PlotRect().ToQRect();
    EXPECT_LT(plot.left(), 20);
    const QRect below(plot.left(), plot.bottom() - 2, plot.width(), 40);
    EXPECT_GT(CountColour(image, below, Qt::black), plot.width() / 2);
}

TEST_F(ControllerGraph, GridMovesToAShownAxis)
{
    auto entry = Entry(CPristroj::kQorin);
    MeasureQorin(*entry);
    Q graph;
    graph.resize(600, 400);
    graph.AttachDevice(*entry);
    graph.SetGrid(true);
    struct Case {
        bool cos, current, thd;
        int from, to;
    };
    const Case cases[] = {
        {true, true, false, Q::kAxisThd, Q::kAxisCos},   {false, true, false, Q::kAxisThd, Q::kAxisCurrent},
        {false, false, true, Q::kAxisCos, Q::kAxisThd},  {true, true, true, Q::kAxisThd, Q::kAxisThd},
        {false, true, true, Q::kAxisCos, Q::kAxisCurrent},
    };
    for (const Case& c : cases) {
        graph.ShowCurve(Q::kCos, c.cos, 0);
        graph.ShowCurve(Q::kActive, c.current, 255);
        graph.ShowCurve(Q::kCurrent, 0, 0);
        graph.ShowCurve(Q::kReactive, 0, 0);
        graph.ShowCurve(Q::kThd, c.thd, 0xFF0000);
        graph.SetGridQuantity(c.from);
        graph.RenderImage();
        EXPECT_EQ(graph.GridQuantity(), c.to) << c.cos << c.current << c.thd << " from " << c.from;
    }
}

TEST_F(ControllerGraph, ClickOnAnAxisChoosesTheGridQuantity)
{
    auto entry = Entry(CPristroj::kQorin);
    MeasureQorin(*entry);
    Q graph;
    graph.resize(600, 400);
    graph.AttachDevice(*entry);
    graph.ShowCurve(Q::kCurrent, 0, 0);
    graph.ShowCurve(Q::kActive, 0, 0);
    graph.ShowCurve(Q::kReactive, 0, 0);
    auto click = [&graph](int x) {
        const QPointF at(x, graph.PlotRect().top + graph.PlotRect().Height() / 2);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(type, at, graph.mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(&graph, &e);
        }
    };
    graph.RenderImage();
    click(graph.PlotRect().left - 4); // the THD axis, without the grid
    EXPECT_EQ(graph.GridQuantity(), Q::kAxisCos) << "no grid: nothing chosen";
    graph.SetGridQuantity(Q::kAxisCos);
    graph.SetGrid(true);
    graph.RenderImage(); // THD, then the grid's cos axis
    click(4);
    EXPECT_EQ(graph.GridQuantity(), Q::kAxisThd);
    graph.RenderImage();
    click(graph.PlotRect().left - 4); // the last axis drawn is the grid's own
    EXPECT_EQ(graph.GridQuantity(), Q::kAxisThd);
}

TEST(ControllerGraphLayout, StagePanelAndFontSizes)
{
    using L = CControllerGraphWnd;
    const int f = 12;
    struct Case {
        int w, h;
        bool compact;
        bool stages;
        int font;
        int stageHeight;
    };
    const Case cases[] = {
        {400, 15 * f, true, false, f, 0},            // exactly 15 f: no strip for six-stage models
        {400, 15 * f + 1, true, true, f, 5 * f},     // above 15 f: a strip 5 f high
        {400, 20 * f, false, false, f, 0},           // the others need more than 20 f
        {400, 20 * f + 1, false, true, f, 10 * f},
        {299, 299, false, true, f, 10 * f},          // small: the 9-point font
        {800, 700, false, true, 4 * f / 3, 10 * f},  // 700 - strip < 600
        {900, 900, false, true, 3 * f / 2, 10 * f},
        {900, 900, false, true, 3 * f / 2, 10 * f},
    };
    for (const Case& c : cases) {
        const L::Layout l = L::ComputeLayout(QRect(0, 0, c.w, c.h), f, true, c.compact);
        EXPECT_EQ(l.stages, c.stages) << c.w << "x" << c.h;
        EXPECT_EQ(l.fontHeight, c.font) << c.w << "x" << c.h;
        if (c.stages) {
            EXPECT_EQ(l.title.bottom(), c.h - 1 - c.stageHeight) << c.w << "x" << c.h;
        }
        EXPECT_EQ(l.plot.left(), 5);
        EXPECT_EQ(l.plot.top(), int(1.5 * l.fontHeight) + 5);
    }
    // Without the option the strip never shows.
    EXPECT_FALSE(L::ComputeLayout(QRect(0, 0, 900, 900), f, false, false).stages);
}

// ---- Duskar ----

TEST_F(ControllerGraph, DuskarNewInstrumentGetsTheFamilyDefaults)
{
    platform::Settings s;
    s.WriteProfileInt(kDevice, QStringLiteral("prickaX"), 500);
    s.WriteProfileInt(kGeneralDuskar, QStringLiteral("barva Fr"), 0x00AA00);
    auto entry = Entry(CPristroj::kDuskar);
    CDuskarGraphWnd graph;
    graph.resize(600, 400);
    graph.AttachLive(*entry);
    EXPECT_EQ(s.GetProfileInt(kDevice, QStringLiteral("init"), 0), 1);
    std::array<int, 14> shown{};
    std::array<std::uint32_t, 14> colours{};
    graph.GetLegend(shown, colours);
    EXPECT_EQ(shown, (std::array<int, 14>{1, 1, 0, 1, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(colours[0], 0x0000FFu);
    EXPECT_EQ(colours[2], 0x00AA00u);
    // Shown stays shown: only the colour changes; a new curve changes the set.
    EXPECT_FALSE(graph.SetCurve(0, 1, 0x00FF00));
    EXPECT_TRUE(graph.SetCurve(2, 1, 0x00FF00));
    EXPECT_TRUE(graph.SetCurve(2, 0, 0x00FF00));
    EXPECT_FALSE(graph.SetCurve(2, 0, 0x00FF00));
    // With consumption and supply off the power axes start at 0.
    double minimum = 0, maximum = 0;
    graph.CurveRange(3, minimum, maximum);
    EXPECT_EQ(minimum, 0.0);
    graph.SetImportExport(1);
    graph.CurveRange(3, minimum, maximum);
    EXPECT_LT(minimum, 0.0);
}

TEST_F(ControllerGraph, DuskarCategoryBlobsOfAnotherLengthAreIgnored)
{
    struct Case {
        const char* what;
        bool device;
        int floats; // stored with a count of 14
        bool taken;
    };
    const Case cases[] = {
        {"instrument section, 14 floats", true, 14, true},
        {"instrument section, 13 floats", true, 13, false},
        {"general section, 14 floats", false, 14, true},
        {"general section, 13 floats: the family defaults", false, 13, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("d%1.ini").arg(&c - cases)));
        platform::Settings s;
        QByteArray blob;
        for (int i = 0; i < c.floats; ++i)
            blob += Floats({float(i + 100)});
        if (c.device) {
            s.WriteProfileInt(kDevice, QStringLiteral("init"), 1);
            s.WriteProfileInt(kDevice, QStringLiteral("pocetKat"), 14);
            s.WriteProfileInt(kDevice, QStringLiteral("auto"), 0);
            s.WriteProfileBinary(kDevice, QStringLiteral("ketegorie"), blob);
        } else {
            s.WriteProfileInt(kGeneralDuskar, QStringLiteral("duskarPocetKat"), 14);
            s.WriteProfileInt(kGeneralDuskar, QStringLiteral("duskarAuto"), 0);
            s.WriteProfileBinary(kGeneralDuskar, QStringLiteral("duskarKetegorie"), blob);
        }
        auto entry = Entry(CPristroj::kDuskar);
        CDuskarGraphWnd graph;
        graph.AttachLive(*entry);
        const CScaleCategories& categories = entry->GetArchivData()->ScaleCategories();
        float minimum = 0, maximum = 0;
        ASSERT_TRUE(categories.GetRange(0, minimum, maximum));
        EXPECT_EQ(minimum == 100.f, c.taken);
        EXPECT_EQ(categories.GetAuto() == 0, c.taken); // a refused blob takes its flag with it
        if (!c.device && !c.taken) {
            EXPECT_EQ(categories, CScaleCategories(5));
        }
    }
}

// ---- archive graphs: the block in "nastaveni" ----

class ControllerArchiveGraph : public ControllerGraph {
protected:
    QString Record() { return RecordWith<CQorinArchivData>(3); }
    template <class Store>
    QString RecordWith(int model)
    {
        auto now = std::make_shared<std::atomic<std::uint32_t>>(CTime(2024, 3, 10, 10, 0, 0).GetTime());
        Store writer;
        writer.SetTimeSource([now] { return CTime(now->load()); });
        EXPECT_EQ(writer.Create(3600, 5, 60, dir.filePath(QStringLiteral("hala")), Store::Extension(), TRUE, TRUE,
                                QStringLiteral("Linka")),
                  1);
        for (int b = 0; b < 2; ++b) {
            for (int i = 0; i < 5; ++i) {
                *now += 60;
                typename Store::Values v;
                v.model = WORD(model);
                v.cosPhi = std::int8_t(80 + 3 * i);
                v.current = WORD(3000 + 200 * i);
                writer.AddMeasurementRecord(v);
            }
            *now += 1;
            const int mode = writer.EndBlock(FALSE, TRUE, 60);
            EXPECT_EQ(writer.Flush(FALSE, mode, QStringLiteral("Linka")), 1);
        }
        writer.WaitWriterIdle(10000);
        const QString path = writer.GetFilePath();
        writer.Close();
        return path;
    }
    static void LoadWindow(CQorinArchivData& store)
    {
        ASSERT_EQ(store.ReadHeader(), 1);
        ASSERT_EQ(store.LoadWindowGraphs(0, 2), 1);
    }
    static void WriteSection0(CArchivData& store, const QByteArray& block)
    {
        std::optional<QByteArray> saved;
        auto stream = store.OpenSettingsSection(0, saved);
        ASSERT_TRUE(stream);
        ASSERT_EQ(stream->Write(block.constData(), block.size()), block.size());
        ASSERT_EQ(store.CloseSettingsSection(std::move(stream), 0, saved), 1);
    }
};

TEST_F(ControllerArchiveGraph, BlockKeptInTheArchive)
{
    const QString path = Record();
    platform::Settings s;
    // Without a block the archive's instrument section gives the settings.
    const platform::SettingsSection linka({QStringLiteral("pristroje"), QStringLiteral("Linka")});
    s.WriteProfileInt(linka, QStringLiteral("init"), 1);
    s.WriteProfileInt(linka, QStringLiteral("isReal"), 0);
    {
        CQorinArchivData store;
        ASSERT_EQ(store.Open(path), 1);
        Q graph;
        graph.resize(600, 400);
        graph.AttachArchive(store);
        EXPECT_FALSE(graph.CurveVisible(Q::kActive));
        EXPECT_TRUE(graph.CurveVisible(Q::kCos));
        graph.ShowCurve(Q::kThd, 0, 0xFF0000);
        graph.ShowCurve(Q::kCos, 1, 0x00AAAA);
        graph.SetGrid(true);
        graph.SetGridQuantity(Q::kAxisCurrent);
        graph.Detach();
        store.Close();
    }
    s.WriteProfileInt(linka, QStringLiteral("isTHD"), 1);
    CQorinArchivData store;
    ASSERT_EQ(store.Open(path), 1);
    QString instrument;
    DWORD length = 0;
    auto stream = store.OpenSettingsStream(0, instrument, length);
    ASSERT_TRUE(stream);
    EXPECT_EQ(length, 96u);
    store.ReleaseStream(stream);
    Q graph;
    graph.resize(600, 400);
    graph.AttachArchive(store);
    EXPECT_FALSE(graph.CurveVisible(Q::kThd)); // the block, not the registry
    int shown = 0;
    std::uint32_t colour = 0;
    graph.GetCurveColor(Q::kCos, shown, colour);
    EXPECT_EQ(colour, 0x00AAAAu);
    EXPECT_TRUE(graph.Grid());
    EXPECT_EQ(graph.GridQuantity(), Q::kAxisCurrent);
    graph.Detach();
}

TEST_F(ControllerArchiveGraph, OldBlockWithoutGridWordsLeavesTheGrid)
{
    const QString path = Record();
    CControllerGraphBlock block;
    block.curves = {{0x0000FF, 1}, {0x992299, 0}, {255, 1}, {65280, 0}, {0xFF0000, 0}};
    block.categories = {0, 2, -8, 8, 0, 800};
    block.gridQuantity = 2;
    block.grid = 1;
    {
        CQorinArchivData store;
        ASSERT_EQ(store.Open(path), 1);
        WriteSection0(store, block.Write(false).left(88));
        store.Close();
    }
    CQorinArchivData store;
    ASSERT_EQ(store.Open(path), 1);
    Q graph;
    graph.resize(600, 400);
    graph.AttachArchive(store);
    EXPECT_TRUE(graph.CurveVisible(Q::kActive));
    EXPECT_FALSE(graph.CurveVisible(Q::kCurrent));
    EXPECT_FALSE(graph.Grid());
    EXPECT_EQ(graph.GridQuantity(), 0);
}

TEST_F(ControllerArchiveGraph, PrintedToPdf)
{
    PDFCHECK_REQUIRE_TOOLS();
    const QString path = Record();
    CQorinArchivData store;
    ASSERT_EQ(store.Open(path), 1);
    Q graph;
    graph.resize(600, 400);
    graph.AttachArchive(store);
    LoadWindow(store);
    // The window's records are drawn: the cos curve in its colour.
    graph.ShowCurve(Q::kCos, 1, 0x0000FF);
    graph.ShowCurve(Q::kActive, 1, 0x00AA00);
    graph.ShowCurve(Q::kReactive, 1, 0xAA0000);
    const QImage image = graph.RenderImage();
    EXPECT_GT(CountColour(image, graph.PlotRect().ToQRect(), QColor(255, 0, 0)), 20);
    pdfcheck::PdfJobs jobs;
    ASSERT_TRUE(graph.DrawToDC());
    EXPECT_EQ(pdfcheck::PageCount(jobs.Path()), 1);
    const QString text = pdfcheck::PageTexts(jobs.Path()).join(QString());
    EXPECT_TRUE(text.contains(QStringLiteral("Naměřený graf"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Cos")));
    EXPECT_TRUE(text.contains(QStringLiteral("Proud")));
    // The active and reactive currents in words of the page, not the names
    // the store keys them by.
    EXPECT_TRUE(text.contains(QStringLiteral("Ič"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Ij"))) << text.toStdString();
    for (const char* key : {"real", "imag"})
        EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("\\b%1\\b").arg(QLatin1String(key)))))
            << key << " in " << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Nastavuje se"))); // no busy notice on paper
    // Under the plot the time axis's labels keep inside the frame, in the
    // lines of whatever face prints them.
    pdfcheck::ExpectTimeLabelsInsideTheFrame(jobs.Path());
    graph.Detach();

    // A cancelled job prints nothing.
    pdfcheck::PdfJobs cancelled(false);
    Q other;
    other.AttachArchive(store);
    EXPECT_FALSE(other.PrintGraph());
    other.Detach();
}

TEST_F(ControllerArchiveGraph, DuskarBlockReadOnlyWhenWhole)
{
    const QString path = RecordWith<CDuskarArchivData>(44);
    const platform::SettingsSection linka({QStringLiteral("pristroje"), QStringLiteral("Linka")});
    {
        CDuskarArchivData store;
        ASSERT_EQ(store.Open(path), 1);
        CDuskarGraphWnd graph;
        graph.resize(600, 400);
        graph.AttachArchive(store);
        EXPECT_TRUE(graph.SetCurve(2, 1, 0x00AA00)); // Fr
        graph.SetGrid(true);
        graph.SetGridQuantity(3);
        graph.Detach();
        QString instrument;
        DWORD length = 0;
        auto stream = store.OpenSettingsStream(0, instrument, length);
        ASSERT_TRUE(stream);
        EXPECT_EQ(length, DWORD(4 * (2 + 28 + 3 + 1 + 14 + 2)));
        EXPECT_EQ(instrument, QStringLiteral("Linka"));
        store.ReleaseStream(stream);
    }
    {
        CDuskarArchivData store;
        ASSERT_EQ(store.Open(path), 1);
        CDuskarGraphWnd graph;
        graph.AttachArchive(store);
        int shown = 0;
        std::uint32_t colour = 0;
        graph.GetCurve(2, shown, colour);
        EXPECT_EQ(shown, 1);
        EXPECT_EQ(colour, 0x00AA00u);
        EXPECT_TRUE(graph.Grid());
        EXPECT_EQ(graph.GridQuantity(), 3);

        // The same block without its grid words is not whole: the
        // instrument's section under the archive's name decides.
        QString instrument;
        DWORD length = 0;
        auto stream = store.OpenSettingsStream(0, instrument, length);
        ASSERT_TRUE(stream);
        QByteArray block(qsizetype(length), '\0');
        ASSERT_EQ(stream->Read(block.data(), block.size()), block.size());
        store.ReleaseStream(stream);
        graph.Detach();
        WriteSection0(store, block.left(block.size() - 8));
    }
    platform::Settings s;
    s.WriteProfileInt(linka, QStringLiteral("init"), 1);
    s.WriteProfileInt(linka, QStringLiteral("isFr"), 0);
    s.WriteProfileInt(linka, QStringLiteral("isMriz"), 0);
    CDuskarArchivData store;
    ASSERT_EQ(store.Open(path), 1);
    CDuskarGraphWnd graph;
    graph.resize(600, 400);
    graph.AttachArchive(store);
    int shown = 1;
    std::uint32_t colour = 0;
    graph.GetCurve(2, shown, colour);
    EXPECT_EQ(shown, 0);
    EXPECT_FALSE(graph.Grid());

    // Printed: the legend names the shown quantities.
    PDFCHECK_REQUIRE_TOOLS();
    ASSERT_EQ(store.ReadHeader(), 1);
    ASSERT_EQ(store.LoadWindowGraphs(0, 2), 1);
    pdfcheck::PdfJobs jobs;
    ASSERT_TRUE(graph.PrintGraph());
    EXPECT_EQ(pdfcheck::PageCount(jobs.Path()), 1);
    const QString text = pdfcheck::PageTexts(jobs.Path()).join(QString());
    for (const char* name : {"Cos", "Pre", "Pac"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(name))) << name;
    graph.Detach();
}

} // namespace
