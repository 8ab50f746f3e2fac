#include "analysers_vkt/VKTVlny.h"
#include "analysers_vkt/VKTVlnyPairs.h"
#include "charts/PdfCheck.h"
#include "controllers/settings/SettingsReport.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>

using namespace analysers_vkt;

namespace {

class FakeSource : public IVKTWaveSource {
public:
    QString Name() const override { return QStringLiteral("Trafostanice"); }
    bool Latest(VKTWaveChannels& ch, VKTWaveValues& values, int& c) override
    {
        ++reads;
        if (!usable)
            return false;
        VKTVlnyFileData::Wave w{};
        for (int n = 0; n < 64; ++n)
            w[std::size_t(n)] = std::int16_t(100 + std::lround(8000 * std::sin(2 * std::numbers::pi * n / 64)));
        ch.waves[0] = w;
        ch.waves[4] = w;
        ch.rms[0] = 230.0f;
        ch.rms[4] = 10.0f;
        ch.scale = scale;
        ch.voltageUnit = QStringLiteral("%0.3f");
        ch.currentUnit = QStringLiteral("%0.1f");
        values.texts = {"230.0", "231.0", "229.0", "---", "10.0", "11.0", "9.0", "---"};
        values.voltageMultiplier = voltageMultiplier;
        values.currentMultiplier = currentMultiplier;
        c = connection;
        return true;
    }
    void SetRequest(std::uint32_t word) override { requests.push_back(word); }
    QString Folder() const override { return QString(); }
    bool Colours(std::array<QColor, 8>& out) const override
    {
        ++colourReads;
        if (!colours)
            return false;
        out = *colours;
        return true;
    }

    bool usable = true;
    int connection = 5;
    std::array<float, 8> scale{1, 1, 1, 1, 1, 1, 1, 1};
    int voltageMultiplier = 1;
    int currentMultiplier = 1;
    int reads = 0;
    std::optional<std::array<QColor, 8>> colours;
    mutable int colourReads = 0;
    std::vector<std::uint32_t> requests;
};

// Pixels of `colour` inside `area` of the window's picture.
int CountIn(QWidget& window, const QRect& area, const QColor& colour)
{
    const QImage image = window.grab().toImage();
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixelColor(x, y) == colour ? 1 : 0;
    return count;
}

} // namespace

TEST(VKTVlny, RequestsFollowThePairsAndTheWindow)
{
    FakeSource source;
    {
        CVKTVlny window(source);
        EXPECT_EQ(source.requests.back(), 0xFF1Fu);
        window.OnNewData();
        EXPECT_EQ(source.requests.back(), 0x1111u);
        EXPECT_EQ(window.PairList()->count(), 7);
        window.ChoosePair(QStringLiteral("U2-I2"));
        EXPECT_EQ(source.requests.back(), 0x2212u);
        EXPECT_EQ(window.PaneCount(), 1);
        window.ChoosePair(QStringLiteral("Ui-Ii"));
        EXPECT_EQ(source.requests.back(), 0xFF1Fu);
        EXPECT_EQ(window.PaneCount(), 4);
        // The mean is taken off every period.
        int sum = 0;
        for (std::int16_t s : *window.Data().waves[0])
            sum += s;
        EXPECT_LT(std::abs(sum), 64);
        EXPECT_EQ(window.ValueText(1), QStringLiteral("231.0"));
    }
    EXPECT_EQ(source.requests.back(), 0u);
}

TEST(VKTVlny, StoppedWindowIgnoresDataAndUnusableDataShowsDashes)
{
    FakeSource source;
    CVKTVlny window(source);
    window.OnNewData();
    const QString shown = window.TimeText();
    window.StopBox()->setChecked(true);
    source.connection = 0;
    window.OnNewData();
    EXPECT_EQ(source.reads, 1);
    EXPECT_EQ(window.TimeText(), shown);
    EXPECT_EQ(window.PairList()->count(), 7);
    window.StopBox()->setChecked(false);
    source.usable = false;
    window.OnNewData();
    EXPECT_EQ(window.ValueText(0), QStringLiteral("---"));
}

TEST(VKTVlny, SaveLoadAndARefusedFile)
{
    ui::ScriptedMessageBoxes boxes;
    QTemporaryDir dir;
    FakeSource source;
    source.connection = 4;
    CVKTVlny live(source);
    live.OnNewData();
    const QString path = dir.filePath(QStringLiteral("vlny.vln"));
    ASSERT_TRUE(live.Save(path));

    FakeSource other;
    CVKTVlny shown(other);
    ASSERT_TRUE(shown.Load(path));
    EXPECT_TRUE(shown.StopBox()->isChecked());
    EXPECT_EQ(shown.PaneCount(), 4);
    EXPECT_EQ(shown.PairList()->count(), 5);
    EXPECT_EQ(shown.PairList()->currentText(), QStringLiteral("Ui-Ii"));
    EXPECT_EQ(shown.ValueText(4), QStringLiteral("10.0"));
    EXPECT_TRUE(shown.windowTitle().endsWith(QStringLiteral("[vlny.vln]")));

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(1);
    f.write("\x01");
    f.close();
    EXPECT_FALSE(shown.Load(path));
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_TRUE(boxes.Requests()[0].text.startsWith(QStringLiteral("Soubor se nepodařilo otevřít.")));
}

// The save and load buttons offer waveform files, not settings files.
TEST(VKTVlny, FileButtonsOfferWaveformFiles)
{
    QTemporaryDir dir;
    FakeSource source;
    CVKTVlny live(source);
    live.OnNewData(); // a waveform to save
    std::vector<controllers::FileKind> offered;
    auto previous = controllers::SetSettingsFileChooser(
        [&](QWidget*, bool, const QString&, const QString&, const QString&, const controllers::FileKind& kind) {
            offered.push_back(kind);
            return QString();
        });
    for (const QString& tip : {QStringLiteral("Uloží aktulání průběh do souboru"),
                               QStringLiteral("Načte průběh ze souboru")})
        for (QPushButton* button : live.findChildren<QPushButton*>())
            if (button->toolTip() == tip)
                button->click();
    controllers::SetSettingsFileChooser(std::move(previous));
    ASSERT_EQ(offered.size(), 2u);
    for (const controllers::FileKind& kind : offered) {
        EXPECT_EQ(kind.filter, QStringLiteral("Soubor vln (*.vln)"));
        EXPECT_EQ(kind.ending, QStringLiteral("vln"));
    }
}

// The table's titles carry the unit the live values were divided by, its
// swatches the curves' colours; the file keeps the inputs' factors and
// formats; a click left of the outer axis swaps the axes.
TEST(VKTVlny, TitlesCarryTheUnitSwatchesTheColoursAndAClickSwapsTheAxes)
{
    ui::ScriptedMessageBoxes boxes;
    QTemporaryDir dir;
    FakeSource source;
    source.scale = {22000.0f / 100, 22000.0f / 100, 22000.0f / 100, 1, 40, 40, 40, 1};
    source.voltageMultiplier = 1000;
    source.currentMultiplier = 1000;
    CVKTVlny window(source);
    window.resize(750, 550);
    window.show();
    window.OnNewData();
    EXPECT_EQ(window.VoltageTitle(), QStringLiteral("U L-N[kV]"));
    EXPECT_EQ(window.CurrentTitle(), QStringLiteral("I [kA]"));
    const VKTWaveChannels colours;
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(window.SwatchColour(k), colours.colours[std::size_t(k)]) << k;

    // Pane U1-I1 shows both axes: a click left of the outer one swaps them.
    window.grab(); // the picture the user clicks on
    const CVKTVlnyZobrazeni& pane = window.Pane(0);
    ASSERT_TRUE(pane.VoltageAxisInner());
    const QPoint outer = pane.FrameRect().topLeft() + QPoint(4, pane.FrameRect().height() / 2);
    QTest::mouseClick(&window, Qt::LeftButton, {}, outer);
    EXPECT_FALSE(pane.VoltageAxisInner());
    QTest::mouseClick(&window, Qt::LeftButton, {}, pane.FrameRect().center());
    EXPECT_FALSE(pane.VoltageAxisInner());

    const QString path = dir.filePath(QStringLiteral("vlny.vln"));
    ASSERT_TRUE(window.Save(path));
    VKTVlnyFileData saved;
    QString error;
    ASSERT_TRUE(LoadVKTVlnyFile(path, saved, error)) << error.toStdString();
    EXPECT_EQ(saved.panes[0].scale, source.scale);
    EXPECT_EQ(saved.panes[0].voltageUnit, QStringLiteral("%0.3f"));
    EXPECT_EQ(saved.panes[0].currentUnit, QStringLiteral("%0.1f"));
    EXPECT_EQ(saved.panes[0].voltageAxisInner, 0);
    EXPECT_EQ(saved.values.voltageTitle, QStringLiteral("U L-N[kV]"));

    FakeSource other;
    CVKTVlny shown(other);
    ASSERT_TRUE(shown.Load(path));
    EXPECT_EQ(shown.VoltageTitle(), QStringLiteral("U L-N[kV]"));
    EXPECT_FALSE(shown.Pane(0).VoltageAxisInner());

    // Without usable data the plain units, line to line without the neutral.
    source.connection = 4;
    source.usable = true;
    window.OnNewData();
    EXPECT_EQ(window.VoltageTitle(), QStringLiteral("U L-L[kV]"));
    source.usable = false;
    window.OnNewData();
    EXPECT_EQ(window.VoltageTitle(), QStringLiteral("U L-L[V]"));
    EXPECT_EQ(window.CurrentTitle(), QStringLiteral("I [A]"));
}

// The printout is a report: page header and footer, the caption, the
// framed moment, the table of values, and the panes below it all.
TEST(VKTVlny, PrintsTheValuesAndThePicture)
{
    PDFCHECK_REQUIRE_TOOLS();
    FakeSource source;
    CVKTVlny window(source);
    window.OnNewData();
    {
        pdfcheck::PdfJobs cancelled(false);
        window.OnPrint();
        EXPECT_EQ(cancelled.chooserCalls, 1);
        EXPECT_FALSE(QFile::exists(cancelled.Path()));
    }
    pdfcheck::PdfJobs jobs(true, 1200);
    window.OnPrint();
    ASSERT_EQ(pdfcheck::PageCount(jobs.Path()), 1);
    const QString out = pdfcheck::PageTexts(jobs.Path()).join(QString());
    for (const char* expected : {"Vlny - Trafostanice", "Záznam vln ze dne", "230.0", "Průběhy U1, I1", "strana 1",
                                 "Vytištěno programem qorin01"})
        EXPECT_TRUE(out.contains(QString::fromUtf8(expected))) << expected << "\n" << out.toStdString();
    EXPECT_TRUE(pdfcheck::Run(QStringLiteral("pdfinfo"), {jobs.Path()}).contains(QStringLiteral("Trafostanice - Vlny")));

    // Line after line down the page, each value under its phase's head, the
    // panes below the table.
    const std::vector<pdfcheck::Word> words = pdfcheck::Words(jobs.Path());
    const auto find = [&words](const QString& text, double below = 0) {
        for (const pdfcheck::Word& w : words)
            if (w.text == text && w.yMin > below)
                return w;
        ADD_FAILURE() << text.toStdString();
        return pdfcheck::Word{};
    };
    const pdfcheck::Word moment = find(QStringLiteral("Záznam"));
    const pdfcheck::Word phases = find(QStringLiteral("Fáze"), moment.yMax);
    const pdfcheck::Word two = find(QStringLiteral("2"), moment.yMax);
    const pdfcheck::Word u2 = find(QStringLiteral("231.0"), phases.yMax);
    const pdfcheck::Word i2 = find(QStringLiteral("11.0"), u2.yMax);
    const pdfcheck::Word title = find(QStringLiteral("Průběhy"), i2.yMax);
    EXPECT_NEAR(two.yMin, phases.yMin, 2.0);
    EXPECT_NEAR(u2.xMin, two.xMin, 2.0);
    EXPECT_NEAR(i2.xMin, two.xMin, 2.0);
    EXPECT_GT(title.yMin, i2.yMax + 10.0); // two empty lines between

    // Every value stands after a box in its curve's colour: U2 and I3 are
    // drawn nowhere else on the page.
    const QImage page = pdfcheck::PageImage(jobs.Path(), 1, 100);
    if (page.isNull())
        return;
    const VKTWaveChannels colours;
    for (int channel : {1, 6}) {
        int count = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                count += page.pixelColor(x, y) == colours.colours[std::size_t(channel)] ? 1 : 0;
        EXPECT_GT(count, 20) << channel;
    }
}

// The curves take the live values' colours with the first data; a colour
// changed there later leaves the picture and the swatches as they were.
TEST(VKTVlny, ColoursComeOverFromTheLiveValuesOnce)
{
    const QColor first(200, 0, 0), later(0, 200, 0);
    FakeSource source;
    source.colours.emplace();
    source.colours->fill(QColor(1, 2, 3));
    (*source.colours)[4] = first;
    CVKTVlny window(source);
    window.resize(750, 550);
    window.show();
    window.OnNewData();
    EXPECT_EQ(window.SwatchColour(4), first);
    EXPECT_EQ(window.SwatchColour(0), QColor(1, 2, 3));
    const QRect pane = window.Pane(0).FrameRect();
    EXPECT_GT(CountIn(window, pane, first), 50);

    (*source.colours)[4] = later;
    window.OnNewData();
    window.OnNewData();
    EXPECT_EQ(source.colourReads, 1);
    EXPECT_EQ(window.SwatchColour(4), first);
    EXPECT_GT(CountIn(window, pane, first), 50);
    EXPECT_EQ(CountIn(window, pane, later), 0);
}

namespace {

// The file button with the tooltip `tip` clicked and `path` chosen in its
// file dialog, the way the user does.
void FileThroughButton(CVKTVlny& window, const QString& tip, const QString& path)
{
    auto previous = controllers::SetSettingsFileChooser(
        [&](QWidget*, bool, const QString&, const QString&, const QString&, const controllers::FileKind&) {
            return path;
        });
    for (QPushButton* button : window.findChildren<QPushButton*>())
        if (button->toolTip() == tip)
            button->click();
    controllers::SetSettingsFileChooser(std::move(previous));
}

void LoadThroughButton(CVKTVlny& window, const QString& path)
{
    FileThroughButton(window, QStringLiteral("Načte průběh ze souboru"), path);
}

void SaveThroughButton(CVKTVlny& window, const QString& path)
{
    FileThroughButton(window, QStringLiteral("Uloží aktulání průběh do souboru"), path);
}

// The rows of the dotted horizontal grid in `pane` of the window's picture,
// looked for between the first two phase lines.
std::vector<int> GridRows(CVKTVlny& window, const CVKTVlnyZobrazeni& pane)
{
    const QImage image = window.grab().toImage();
    const std::vector<int> phase = pane.PhaseTicks();
    const int middle = (phase[0] + phase[1]) / 2;
    std::vector<int> rows;
    for (int y = pane.FrameRect().top(); y <= pane.FrameRect().bottom(); ++y) {
        bool dot = false;
        for (int x = middle - 3; x <= middle + 3; ++x)
            dot = dot || image.pixelColor(x, y) == QColor(0xB4, 0xB4, 0xB4);
        if (dot)
            rows.push_back(y);
    }
    return rows;
}

} // namespace

// A file that cannot be read leaves the pairs of the instrument's own
// connection, even after a good file of another connection was shown.
TEST(VKTVlny, AFailedLoadOffersTheLivePairs)
{
    ui::ScriptedMessageBoxes boxes;
    QTemporaryDir dir;
    struct Case {
        int live;
        int file;
    };
    for (const Case c : {Case{5, 4}, Case{4, 5}, Case{1, 3}}) {
        FakeSource recorder;
        recorder.connection = c.file;
        CVKTVlny recording(recorder);
        recording.OnNewData();
        const QString good = dir.filePath(QStringLiteral("good.vln"));
        ASSERT_TRUE(recording.Save(good));
        const QString bad = dir.filePath(QStringLiteral("bad.vln"));
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\x01\x02\x03");
        f.close();

        FakeSource source;
        source.connection = c.live;
        CVKTVlny window(source);
        window.OnNewData();
        LoadThroughButton(window, good);
        ASSERT_EQ(window.PairList()->count(), WavePairNames(c.file).size());
        LoadThroughButton(window, bad);
        EXPECT_EQ(window.PairList()->count(), WavePairNames(c.live).size()) << c.live << " " << c.file;
        EXPECT_EQ(window.PairList()->currentText(), QStringLiteral("U1-I1"));
    }
}

// A loaded picture keeps the ranges it was saved with: one a step above what
// its values give stays drawn so, one lower is grown at once by its values.
TEST(VKTVlny, ALoadedPictureKeepsItsStoredRanges)
{
    QTemporaryDir dir;
    FakeSource source;
    CVKTVlny live(source);
    live.OnNewData();
    const QString path = dir.filePath(QStringLiteral("vlny.vln"));
    ASSERT_TRUE(live.Save(path));
    VKTVlnyFileData data;
    QString error;
    ASSERT_TRUE(LoadVKTVlnyFile(path, data, error)) << error.toStdString();
    // The values give 400 V and 100 A.
    const std::array<std::pair<int, int>, 4> stored{{{500, 20}, {400, 100}, {2000, 900}, {300, 3}}};
    for (std::size_t i = 0; i < 4; ++i) {
        data.panes[i].voltageRange = stored[i].first;
        data.panes[i].currentRange = stored[i].second;
    }
    ASSERT_TRUE(SaveVKTVlnyFile(path, data, error)) << error.toStdString();

    FakeSource other;
    CVKTVlny shown(other);
    shown.resize(900, 600);
    LoadThroughButton(shown, path);
    ASSERT_EQ(shown.PaneCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(shown.Pane(i).VoltageRange(), stored[std::size_t(i)].first) << i;
        EXPECT_EQ(shown.Pane(i).CurrentRange(), stored[std::size_t(i)].second) << i;
    }
    // Drawn, the first pane (the channels the file holds) keeps the voltage
    // range and grows the current one.
    shown.grab();
    EXPECT_EQ(shown.Pane(0).VoltageRange(), 500);
    EXPECT_EQ(shown.Pane(0).CurrentRange(), 100);
}

// A stored voltage range that is no whole number of kilovolts: the axis
// counts whole kilovolts of it (4800 V: labels every 0.5 kV up to 4 kV, each
// where the curve draws that voltage), and the range goes into the next file
// unchanged, whatever the user clicked.
TEST(VKTVlny, AStoredRangeIsLabelledInWholeUnitsAndStoredAgainAsItWas)
{
    ui::ScriptedMessageBoxes boxes;
    QTemporaryDir dir;
    FakeSource source;
    CVKTVlny live(source);
    live.OnNewData();
    const QString path = dir.filePath(QStringLiteral("vlny.vln"));
    SaveThroughButton(live, path);
    VKTVlnyFileData data;
    QString error;
    ASSERT_TRUE(LoadVKTVlnyFile(path, data, error)) << error.toStdString();
    // U1 at 2 kV gives 4000 V, a step below the stored range: kept.
    for (VKTVlnyPaneBlock& pane : data.panes) {
        pane.rms[0] = 2000.0f;
        pane.voltageRange = 4800;
        pane.currentRange = 100;
    }
    ASSERT_TRUE(SaveVKTVlnyFile(path, data, error)) << error.toStdString();

    FakeSource other;
    CVKTVlny shown(other);
    shown.resize(1000, 800);
    shown.OnNewData(); // live before the file: saving stays possible
    LoadThroughButton(shown, path);
    ASSERT_EQ(shown.PaneCount(), 4);
    const CVKTVlnyZobrazeni& pane = shown.Pane(0);
    const std::vector<int> rows = GridRows(shown, pane);
    ASSERT_EQ(pane.VoltageRange(), 4800);
    const QRect frame = pane.FrameRect();
    const int unit = 16;
    const int zero = frame.top() + frame.height() / 2 + unit;
    const int half = frame.height() / 2 - 3 * unit;
    ASSERT_GE(half / (1.5 * WaveTextHeight(unit)), 8.0) << "room for eight labels a side";
    std::vector<int> expected;
    for (int i = 8; i >= 1; --i)
        expected.push_back(zero - int(half / 4.8 * (i * 0.5)));
    for (int i = 1; i <= 8; ++i)
        expected.push_back(zero + int(half / 4.8 * (i * 0.5)));
    EXPECT_EQ(rows, expected);

    // The user swaps the axes of the first pane and saves the picture again.
    const QPoint outer = frame.topLeft() + QPoint(4, frame.height() / 2);
    QTest::mouseClick(&shown, Qt::LeftButton, {}, outer);
    ASSERT_FALSE(pane.VoltageAxisInner());
    const QString again = dir.filePath(QStringLiteral("znovu.vln"));
    SaveThroughButton(shown, again);

    FakeSource third;
    CVKTVlny reopened(third);
    reopened.resize(1000, 800);
    LoadThroughButton(reopened, again);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(reopened.Pane(i).VoltageRange(), 4800) << i;
        EXPECT_EQ(reopened.Pane(i).CurrentRange(), 100) << i;
    }
    EXPECT_FALSE(reopened.Pane(0).VoltageAxisInner());
    EXPECT_TRUE(reopened.Pane(1).VoltageAxisInner());
    EXPECT_TRUE(boxes.Requests().empty());
}
