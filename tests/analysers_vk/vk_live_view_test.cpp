#include "ViewMenu.h"
#include "charts/LiveGraphPrint.h"
#include "analysers_vk/VK01Doc.h"
#include "analysers_vk/VKAktMer.h"
#include "analysers_vk/VKHodnotyDlg.h"
#include "analysers_vk/VKPaneLayout.h"
#include "analysers_vk/VKZobrazeneVelicinyDlg.h"
#include "archive/store/VKArchivData.h"
#include "analysers_vk/VKGrafAktual.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/DocTemplate.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QPixmap>
#include <QDateTime>
#include <QRegularExpression>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>

using namespace analysers_vk;

namespace {

TEST(VKPaneLayout, RectanglesBecomeWindowPositions)
{
    // x = W*l/1000+1, y = H*t/1000+1, w = W*r/1000-1-x, h = H*b/1000-1-y.
    const CVKPaneLayout::Rects rects = CVKPaneLayout::PaneRects(3, 500, 544);
    EXPECT_EQ(CVKPaneLayout::ToPixels(rects[CVKPaneLayout::kGraph], 801, 603), QRect(1, 1, 799, 326));
    EXPECT_EQ(CVKPaneLayout::ToPixels(rects[CVKPaneLayout::kValues], 801, 603), QRect(1, 329, 799, 273));
    EXPECT_FALSE(rects[CVKPaneLayout::kAlarms].valid);

    struct Case {
        int mask;
        CVKPaneLayout::Pane pane;
        int l, t, r, b;
    };
    const Case cases[] = {
        {1, CVKPaneLayout::kGraph, 0, 0, 1000, 1000},     {6, CVKPaneLayout::kAlarms, 400, 0, 1000, 1000},
        {7, CVKPaneLayout::kValues, 0, 600, 400, 1000},   {11, CVKPaneLayout::kPanel, 400, 600, 1000, 1000},
        {14, CVKPaneLayout::kValues, 0, 0, 400, 1000},    {14, CVKPaneLayout::kAlarms, 400, 0, 1000, 600},
        {15, CVKPaneLayout::kGraph, 0, 0, 400, 600},      {15, CVKPaneLayout::kValues, 400, 0, 1000, 600},
        {15, CVKPaneLayout::kAlarms, 0, 600, 400, 1000},  {13, CVKPaneLayout::kAlarms, 0, 600, 400, 1000},
    };
    for (const Case& c : cases) {
        const CVKPaneLayout::Rect r = CVKPaneLayout::PaneRects(c.mask, 400, 600)[c.pane];
        EXPECT_TRUE(r.valid) << c.mask;
        EXPECT_EQ((std::array{r.l, r.t, r.r, r.b}), (std::array{c.l, c.t, c.r, c.b})) << "mask " << c.mask;
    }
    for (const CVKPaneLayout::Rect& r : CVKPaneLayout::PaneRects(0, 500, 500))
        EXPECT_FALSE(r.valid);
}

TEST(VKPaneLayout, ResetRatiosFromMinimumSizes)
{
    EXPECT_EQ(CVKPaneLayout::ResetFor(3).ratioY, 544); // (120+2)*1000/(120+100+4)
    EXPECT_EQ(CVKPaneLayout::ResetFor(3).scrollSize, QSize(274, 224));
    EXPECT_EQ(CVKPaneLayout::ResetFor(6).ratioX, (190 + 2) * 1000 / (190 + 150 + 4));
    EXPECT_EQ(CVKPaneLayout::ResetFor(1).scrollSize, QSize(272, 122));
    EXPECT_EQ(CVKPaneLayout::ResetFor(7).ratioX, (190 + 2) * 1000 / (190 + 150 + 4));
    EXPECT_EQ(CVKPaneLayout::ResetFor(7).ratioY, (120 + 2) * 1000 / (120 + 100 + 4));
}

TEST(VKPaneLayout, DividersAndDragging)
{
    // W 1000, H 1000, X 400, Y 600.
    struct Case {
        int mask, x, y;
        CVKPaneLayout::Divider expected;
    };
    const Case cases[] = {
        {3, 100, 598, CVKPaneLayout::kY},   {3, 100, 597, CVKPaneLayout::kNone}, {3, 400, 100, CVKPaneLayout::kNone},
        {6, 402, 100, CVKPaneLayout::kX},   {6, 403, 100, CVKPaneLayout::kNone}, {6, 398, 100, CVKPaneLayout::kX},
        {7, 400, 100, CVKPaneLayout::kNone}, {7, 400, 700, CVKPaneLayout::kX},   {7, 100, 601, CVKPaneLayout::kY},
        {14, 100, 600, CVKPaneLayout::kNone}, {14, 700, 600, CVKPaneLayout::kY}, {14, 400, 100, CVKPaneLayout::kX},
        {15, 400, 100, CVKPaneLayout::kX},  {15, 100, 600, CVKPaneLayout::kY},  {1, 400, 600, CVKPaneLayout::kNone},
        {0, 400, 600, CVKPaneLayout::kNone},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CVKPaneLayout::HitTest(c.mask, 400, 600, 1000, 1000, c.x, c.y), c.expected)
            << "mask " << c.mask << " at " << c.x << "," << c.y;
    EXPECT_EQ(CVKPaneLayout::DragRatio(5, 1000), 200);
    EXPECT_EQ(CVKPaneLayout::DragRatio(990, 1000), 800);
    EXPECT_EQ(CVKPaneLayout::DragRatio(450, 900), 500);
    EXPECT_EQ(CVKPaneLayout::DragRatio(10, 0), 200);
}

TEST(VKScenario, OffsetsByModelCode)
{
    for (int model : {0, 7, 12, 20})
        EXPECT_EQ(CVKScenario::Offset(model), 0) << model;
    for (int model : {8, 11})
        EXPECT_EQ(CVKScenario::Offset(model), 100) << model;
    EXPECT_EQ(CVKScenario::Normalise(5, 9), 105);
    EXPECT_EQ(CVKScenario::Normalise(105, 3), 5);
    EXPECT_EQ(CVKScenario::Normalise(-1, 9), 100);
    EXPECT_EQ(CVKScenario::Normalise(-1, 3), 0);
    EXPECT_EQ(CVKScenario::Normalise(104, 10), 104);
}

TEST(VKHodnotyDlg, StateByDialogUnits)
{
    struct Case {
        int w, h;
        bool keep;
        int state;
    };
    const Case cases[] = {
        {723, 307, false, 0}, {722, 307, false, 1}, {731, 306, false, 2}, {723, 306, false, 3}, {731, 177, false, 2},
        {730, 177, false, 3}, {450, 177, false, 3}, {449, 307, false, 4}, {449, 306, false, 5},
        {449, 177, false, 5}, {449, 176, false, 6}, {800, 113, false, 6}, {800, 112, false, 7},
        {800, 112, true, 6},  {100, 50, false, 7},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CVKHodnotyDlg::ChooseState(c.w, c.h, c.keep), c.state) << c.w << "x" << c.h;
}

// Behind a transformer the values come divided by a multiplier; the unit
// captions must name the unit they are in.
TEST(VKHodnotyDlg, UnitCaptionsFollowTheMultipliers)
{
    CVKHodnotyDlg dialog;
    const auto captions = [&] {
        QStringList texts;
        for (int id : {1159, 1160, 1161, 1281, 1282, 1283})
            texts << dialog.FieldText(id);
        return texts.join(u' ');
    };
    EXPECT_EQ(captions(), "U L-N[V] U L-L[V] I[A] P[W] Q[var] S[VA]");
    struct Case {
        bool hasValues;
        int voltage, current, power;
        const char* expected;
    };
    const Case cases[] = {
        {true, 1000, 1000, 1000000, "U L-N[kV] U L-L[kV] I[kA] P[MW] Q[Mvar] S[MVA]"},
        {false, 1, 1, 1, "U L-N[kV] U L-L[kV] I[kA] P[MW] Q[Mvar] S[MVA]"}, // no values: nothing to go by
        {true, 1000, 1, 1000, "U L-N[kV] U L-L[kV] I[A] P[kW] Q[kvar] S[kVA]"},
        {true, 1, 1, 1, "U L-N[V] U L-L[V] I[A] P[W] Q[var] S[VA]"},
    };
    for (const Case& c : cases) {
        CVKValueTexts t;
        t.hasValues = c.hasValues;
        t.voltageMultiplier = c.voltage;
        t.currentMultiplier = c.current;
        t.powerMultiplier = c.power;
        t.u = {"22.00", "22.01", "22.02"};
        dialog.SetValues(t);
        EXPECT_EQ(captions(), QString::fromUtf8(c.expected)) << c.voltage << " " << c.current << " " << c.power;
    }
    EXPECT_EQ(dialog.FieldText(1021), QStringLiteral("22.00"));
}

// The odd-harmonic charts count their columns 3 to 25 and the even ones 2
// to 24; each phase's value is written over the column of its order and its
// bar stands there; an invalid value reads "--" and has no bar.
TEST(VKHodnotyDlg, HarmonicChartsWriteEachValueOverItsOrder)
{
    CVKAktData v;
    v.Clear();
    v.GetVoltageHarmonics().SetHarmonicCode(0, 1, 30); // order 3, L1
    v.GetVoltageHarmonics().SetHarmonicCode(0, 2, 40); // order 4, L1
    const QString third = QString::asprintf("%-1.1f", v.GetVoltageHarmonics().GetHarmonic(0, 1));
    const QString fourth = QString::asprintf("%-1.1f", v.GetVoltageHarmonics().GetHarmonic(0, 2));
    ASSERT_NE(third, fourth);
    CVKHodnotyDlg panel;
    panel.SetValues(archive::vk::FormatValues(v, 1, CVKDisplaySettings{}));
    panel.resize(ui::DluToPixels(QSize(740, 320), panel.font()) + QSize(2, 2));
    panel.show();
    ASSERT_EQ(panel.State(), 0);

    const QString none = QStringLiteral("--");
    struct Case {
        int chart;
        const char* first;
        const char* last;
        int barColumn;
        QStringList columns[2]; // L1 to L3 over the first two columns
    };
    const Case cases[] = {
        {0, "3.", "25.", 0, {{third, none, none}, {none, none, none}}},
        {1, "2.", "24.", 1, {{none, none, none}, {fourth, none, none}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chart);
        CVKHarmonicChart* chart = panel.Chart(c.chart);
        const CVKHarmonicChart::Picture pic = chart->Draw();
        std::vector<QRect> orders;
        QStringList orderTexts;
        std::map<int, QStringList> over; // texts above the plot by column
        static const QRegularExpression orderText(QStringLiteral("^[0-9]+\\.$"));
        for (const auto& t : pic.texts) {
            // Under the plot stand the orders ("3.") and the axis caption "harm.".
            if (t.rect.top() > pic.plot.bottom() && orderText.match(t.text).hasMatch()) {
                orders.push_back(t.rect);
                orderTexts << t.text;
            } else if (t.rect.bottom() < pic.plot.top() && t.rect.left() >= pic.plot.left()) {
                over[t.rect.left()] << t.text;
            }
        }
        ASSERT_EQ(orders.size(), 12u);
        EXPECT_EQ(orderTexts.front(), QString::fromLatin1(c.first));
        EXPECT_EQ(orderTexts.back(), QString::fromLatin1(c.last));
        EXPECT_EQ(over.size(), 12u);
        EXPECT_EQ(over[orders[0].left()], c.columns[0]);
        EXPECT_EQ(over[orders[1].left()], c.columns[1]);
        // One bar, standing in the column of its order.
        ASSERT_EQ(pic.bars.size(), 1u);
        const QRect bar = pic.bars.front().first;
        const QRect column = orders[std::size_t(c.barColumn)];
        EXPECT_GE(bar.left(), column.left());
        EXPECT_LE(bar.right(), column.right());
        const QImage image = chart->grab().toImage();
        EXPECT_EQ(QColor(image.pixel(bar.center())), pic.bars.front().second);
    }
}

// With the widest values the analyser can send (245.0 % in every column)
// no text of a chart runs into another or into a bar, and the unit "[%]"
// stands beside the axis, above the plot, in every arrangement that shows
// the chart.
TEST(VKHodnotyDlg, HarmonicChartTextsKeepClearOfEachOtherAndOfTheBars)
{
    CVKAktData v;
    v.Clear();
    for (int p = 0; p < 3; ++p)
        for (int order = 0; order < 24; ++order)
            v.GetVoltageHarmonics().SetHarmonicCode(p, order, 126);
    for (const QSize& dlu : {QSize(740, 320), QSize(600, 200)}) {
        CVKHodnotyDlg panel;
        panel.SetValues(archive::vk::FormatValues(v, 1, CVKDisplaySettings{}));
        panel.resize(ui::DluToPixels(dlu, panel.font()) + QSize(2, 2));
        panel.show();
        CVKHarmonicChart* chart = panel.Chart(0);
        ASSERT_TRUE(chart->isVisible()) << panel.State();
        const CVKHarmonicChart::Picture pic = chart->Draw();
        ASSERT_GT(pic.plot.height(), 0);
        std::vector<std::pair<QRect, QString>> inked;
        for (const auto& t : pic.texts)
            inked.push_back({QFontMetrics(t.font).boundingRect(t.rect, t.align, t.text), t.text});
        int wide = 0;
        for (std::size_t i = 0; i < inked.size(); ++i) {
            const auto& [box, text] = inked[i];
            wide += text == QStringLiteral("245.0") ? 1 : 0;
            EXPECT_TRUE(chart->rect().contains(box)) << text.toStdString();
            for (std::size_t j = i + 1; j < inked.size(); ++j)
                EXPECT_FALSE(box.intersects(inked[j].first))
                    << text.toStdString() << " runs into " << inked[j].second.toStdString() << " in state "
                    << panel.State();
            for (const auto& bar : pic.bars)
                EXPECT_FALSE(box.intersects(bar.first)) << text.toStdString();
        }
        EXPECT_EQ(wide, 36);
        const auto unit = std::find_if(inked.begin(), inked.end(),
                                       [](const auto& t) { return t.second == QStringLiteral("[%]"); });
        ASSERT_NE(unit, inked.end());
        EXPECT_LT(unit->first.right(), pic.plot.left());
        EXPECT_LT(unit->first.bottom(), pic.ticks.front());
        // On the picture: the unit's box holds black ink and no bar colour.
        const QImage image = chart->grab().toImage();
        int black = 0, coloured = 0;
        for (int y = unit->first.top(); y <= unit->first.bottom(); ++y) {
            for (int x = unit->first.left(); x <= unit->first.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                black += qGray(c.rgb()) < 100 && c.saturation() < 40 ? 1 : 0;
                for (const auto& bar : pic.bars)
                    coloured += c == bar.second ? 1 : 0;
            }
        }
        EXPECT_GT(black, 3);
        EXPECT_EQ(coloured, 0);
    }
}

// The percent labels keep the chart's font however low the chart is: in a
// low chart the ink of "40" is as high as in a roomy one.
TEST(VKHodnotyDlg, HarmonicChartPercentLabelsKeepTheirHeightInALowChart)
{
    CVKValueTexts::Bars bars{};
    bars.fill(24.5f);
    // The height of the ink of the chart's picture inside the box of the
    // first text that reads `text`.
    const auto inkHeight = [](CVKHarmonicChart& chart, const QString& text) {
        const CVKHarmonicChart::Picture pic = chart.Draw();
        const auto it = std::find_if(pic.texts.begin(), pic.texts.end(), [&](const auto& t) { return t.text == text; });
        if (it == pic.texts.end())
            return -1;
        const QRect box = QFontMetrics(it->font).boundingRect(it->rect, it->align, it->text);
        const QImage image = chart.grab().toImage();
        int top = INT_MAX, bottom = INT_MIN;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                if (image.rect().contains(x, y) && qGray(image.pixel(x, y)) < 200) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        return top <= bottom ? bottom - top + 1 : 0;
    };
    const QString texts[] = {QStringLiteral("40"), QStringLiteral("[%]")};
    std::map<QString, int> roomy;
    {
        CVKHarmonicChart chart(QStringLiteral("U - harmonické liché"), true);
        chart.SetBars(bars);
        chart.resize(1400, 700);
        for (const QString& t : texts)
            roomy[t] = inkHeight(chart, t);
    }
    for (const QSize size : {QSize(1400, 250), QSize(1400, 200)}) {
        CVKHarmonicChart chart(QStringLiteral("U - harmonické liché"), true);
        chart.SetBars(bars);
        chart.resize(size);
        for (const QString& t : texts) {
            EXPECT_GT(roomy[t], 4) << t.toStdString();
            EXPECT_EQ(inkHeight(chart, t), roomy[t]) << t.toStdString() << " in " << size.width() << "x" << size.height();
        }
    }
}

TEST(VKHodnotyDlg, ResizingArrangesTabsAndKeepsSelections)
{
    CVKHodnotyDlg panel;
    panel.show();
    auto resizeDlu = [&](int w, int h) {
        panel.resize(ui::DluToPixels(QSize(w, h), panel.font()) + QSize(2, 2));
    };
    resizeDlu(740, 320);
    EXPECT_EQ(panel.State(), 0);
    EXPECT_TRUE(panel.Tab(0)->isHidden());
    EXPECT_FALSE(panel.Chart(3)->isHidden());

    resizeDlu(740, 200);
    EXPECT_EQ(panel.State(), 2);
    EXPECT_EQ(panel.TabMode(0), 1);
    EXPECT_EQ(panel.Tab(0)->count(), 3);
    EXPECT_EQ(panel.TabMode(2), 0);
    panel.Tab(0)->setCurrentIndex(2); // "Ost."
    EXPECT_FALSE(panel.Group(3)->isHidden());
    EXPECT_TRUE(panel.Group(1)->isHidden());
    panel.ResetLayout();
    int t1 = 0, t2 = 0, t3 = 0;
    panel.GetTabs(t1, t2, t3);
    EXPECT_EQ((std::array{t1, t2, t3}), (std::array{2, 0, 0}));

    resizeDlu(300, 100);
    EXPECT_EQ(panel.State(), 7);
    EXPECT_EQ(panel.Tab(0)->count(), 4);
    panel.GetTabs(t1, t2, t3);
    EXPECT_EQ((std::array{t2, t3}), (std::array{-1, -1}));
    panel.SetTabs(9, 0, 0); // out of range for mode 0: left as it is
    panel.GetTabs(t1, t2, t3);
    EXPECT_EQ(t1, 0);
}

class VKLiveView : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("settings.ini")));
        AddVKLiveTemplate(manager);
        entry = std::make_unique<CPristroj>(QStringLiteral("COM1"), 1, dir.path(), FALSE, CPristroj::kVK);
        entry->m_nazev = QStringLiteral("Rozvodna");
        entry->m_merit = 0;
    }
    void TearDown() override { platform::Settings::SetFileForTesting(QString()); }

    CVKAktMer* Open()
    {
        auto* view = qobject_cast<CVKAktMer*>(OpenVKLive(manager, *entry));
        if (view)
            view->resize(900, 700);
        return view;
    }
    void Measure(WORD voltage)
    {
        auto* data = dynamic_cast<CVKArchivData*>(entry->GetArchivData());
        ASSERT_NE(data, nullptr);
        CVKAktData values;
        for (int k = 0; k < 3; ++k)
            values.SetU(k, static_cast<WORD>(voltage + k));
        data->AddMeasurementRecord(values);
    }
    static void Close(CVKAktMer* view)
    {
        view->GetDocument()->OnCloseDocument();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QTemporaryDir dir;
    ui::CDocManager manager;
    std::unique_ptr<CPristroj> entry;
};

TEST_F(VKLiveView, NewDataFillsTheValuesPanelAndSavesTheState)
{
    CVKAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetDocument()->GetTitle(), QStringLiteral("Rozvodna"));
    EXPECT_EQ(view->PaneMask(), 7); // the defaults without a stored key
    Measure(2301);
    platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
    EXPECT_TRUE(view->Initialised());
    EXPECT_TRUE(view->Values()->FieldText(1021).startsWith(QStringLiteral("230"))) << view->Values()->FieldText(1021).toStdString();
    EXPECT_NE(view->Values()->FieldText(1022), view->Values()->FieldText(1021));
    Measure(2401);
    platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
    EXPECT_TRUE(view->Values()->FieldText(1021).startsWith(QStringLiteral("240")));

    view->TogglePane(CVKPaneLayout::kAlarmsBit);
    EXPECT_EQ(view->PaneMask(), 3);
    EXPECT_EQ(view->RatioY(), 544);
    Close(view);

    platform::Settings settings;
    const platform::SettingsSection section({QStringLiteral("pristroje"), QStringLiteral("Rozvodna")});
    EXPECT_EQ(settings.GetProfileInt(section, QStringLiteral("isAlarm"), -5), 0);
    EXPECT_EQ(settings.GetProfileInt(section, QStringLiteral("isGraf"), -5), 1);
    EXPECT_EQ(settings.GetProfileInt(section, QStringLiteral("prickaY"), -5), 544);

    // Opened again, it restores the stored panes.
    CVKAktMer* again = Open();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->PaneMask(), 3);
    Close(again);
}

// Each value field's box shows its quantity's graph colour while the graph
// shows the quantity and light grey otherwise, framed in black; choosing the
// quantities again recolours the boxes.
TEST_F(VKLiveView, ValueBoxesFollowTheGraphsQuantities)
{
    CVKAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    Measure(2301);
    platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
    CVKHodnotyDlg* values = view->Values();
    // Fields of the first group (always on view) and their graph quantities.
    struct Case {
        int field;
        int quantity;
    };
    const Case cases[] = {{1021, 0}, {1023, 2}, {1024, 3}, {1026, 5}, {1027, 12}, {1029, 14}, {1033, 15}, {1035, 17}};
    const auto check = [&](const char* when) {
        const QImage image = values->grab().toImage();
        for (const Case& c : cases) {
            QWidget* box = values->StatusBox(c.field);
            ASSERT_NE(box, nullptr) << c.field;
            ASSERT_TRUE(box->isVisibleTo(values)) << c.field;
            int shown = 0;
            std::uint32_t colour = 0;
            view->Graph()->GetQuantity(c.quantity, shown, colour);
            const QColor expected = shown ? QColor(int(colour & 0xFF), int(colour >> 8 & 0xFF), int(colour >> 16 & 0xFF))
                                          : QColor(0xD2, 0xD2, 0xD2);
            const QPoint origin = box->mapTo(values, QPoint(0, 0));
            EXPECT_EQ(image.pixelColor(origin + box->rect().center()), expected) << when << " " << c.field;
            EXPECT_EQ(image.pixelColor(origin), QColor(Qt::black)) << when << " " << c.field;
            EXPECT_EQ(image.pixelColor(origin + QPoint(box->width() - 1, box->height() - 1)), QColor(Qt::black))
                << when << " " << c.field;
        }
    };
    check("first");
    int u1Before = 0;
    std::uint32_t ignored = 0;
    view->Graph()->GetQuantity(0, u1Before, ignored);

    // The user flips U1 in the quantities dialog.
    QMenu menu;
    QAction* quantities = ViewMenuAction(*view, menu, QStringLiteral("Zobrazené veličiny ..."));
    ASSERT_NE(quantities, nullptr);
    bool done = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CVKZobrazeneVelicinyDlg*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialog->Box(0)->click();
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("OK"))
                button->click();
        done = true;
    });
    quantities->trigger();
    ASSERT_TRUE(done);
    int u1After = 0;
    view->Graph()->GetQuantity(0, u1After, ignored);
    ASSERT_NE(u1After, u1Before);
    check("chosen again");
    Close(view);
}

TEST_F(VKLiveView, TheGraphRepaintsWithEveryMeasurement)
{
    CVKAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    // The frame has no size of its own outside the main window: unsized it
    // would never be on the screen and nothing in it would be painted.
    view->window()->resize(920, 740);
    view->window()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    ASSERT_TRUE(view->Graph()->isVisible());
    ASSERT_FALSE(view->Graph()->visibleRegion().isEmpty());
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            paints += event->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } counter;
    view->Graph()->installEventFilter(&counter);
    for (int i = 0; i < 3; ++i) {
        Measure(WORD(2300 + 10 * i));
        QCoreApplication::processEvents();
        counter.paints = 0;
        platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
        QCoreApplication::processEvents();
        EXPECT_GT(counter.paints, 0) << "measurement " << i;
    }
    view->Graph()->removeEventFilter(&counter);
    Close(view);
}

TEST_F(VKLiveView, ClosedBeforeTheFirstMeasurementStoresNothing)
{
    platform::Settings().WriteProfileInt("Obecne nastaveni vk", QStringLiteral("isGraf"), 0);
    platform::Settings().WriteProfileInt("Obecne nastaveni vk", QStringLiteral("isNahled"), 1);
    CVKAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->PaneMask(), 14);
    Close(view);
    EXPECT_TRUE(platform::Settings().SubSections(QStringLiteral("pristroje")).isEmpty());
}

TEST_F(VKLiveView, DividerDragStopsAtTheLimits)
{
    CVKAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    view->SetPanes(true, true, false, false);
    view->show();
    const int y = view->LayoutExtent().height() * view->RatioY() / 1000;
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(300, y));
    QTest::mouseMove(view, QPoint(300, 2));
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(300, 2));
    EXPECT_EQ(view->RatioY(), 200);
    const QRect graph = view->Graph()->geometry();
    EXPECT_EQ(graph.height(), view->LayoutExtent().height() * 200 / 1000 - 1 - 1);
    Close(view);
}

TEST_F(VKLiveView, ScenarioListSetsTheScenarioWithTheOffset)
{
    CVKAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    view->ShowScenarioList();
    ASSERT_EQ(view->ScenarioList()->count(), 12);
    EXPECT_EQ(view->ScenarioList()->item(1)->text(), QStringLiteral("I"));
    view->ChooseScenario(1);
    EXPECT_TRUE(view->ScenarioList()->isHidden());
    Close(view);
}

} // namespace

#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QFile>

namespace {

TEST_F(VKLiveView, PreviousFileIgnoresTheCurrentAndUnreadableFiles)
{
    const QString folder = dir.filePath(QStringLiteral("archiv"));
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char* name : {"current.vk", "broken.vk", "empty.vk"}) {
        QFile file(folder + QLatin1Char('/') + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        if (QLatin1String(name) != QLatin1String("empty.vk"))
            file.write("not an archive");
    }
    EXPECT_TRUE(CVK01Doc::FindPreviousArchive(folder, folder + QStringLiteral("/current.vk"), 2000000000).isEmpty());

    CVKAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    entry->m_soubor = folder;
    ui::ScriptedMessageBoxes boxes;
    view->GetDocument()->OnOpenPreviousFile(view);
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Požadovaný soubor nenalezen."));
    Close(view);
}

} // namespace

namespace {

TEST_F(VKLiveView, MenuCarriesTheDownloadAndOpenByInstrumentCommands)
{
    CVKAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    QMenu menu;
    view->FillMenu(menu);
    auto find = [&menu](const char* text) -> QAction* {
        for (QAction* a : menu.actions())
            if (a->text() == QString::fromUtf8(text))
                return a;
        return nullptr;
    };
    ASSERT_NE(find("Otevři soubor dle přístroje ..."), nullptr);
    // Without the program's instrument list there is nothing to choose from.
    EXPECT_FALSE(find("Otevři soubor dle přístroje ...")->isEnabled());
    // "Přijmout data" asks first; Cancel ends it.
    ASSERT_NE(find("Přijmout &data"), nullptr);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Cancel);
    find("Přijmout &data")->trigger();
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_TRUE(boxes.Requests()[0].text.startsWith(QStringLiteral("Stisknutím tlačítka OK začne příjem dat")));
    Close(view);
}

} // namespace

namespace {

// The live graph prints the window it shows. Before the store has chosen
// one (the instrument does not answer: polls end without a measurement and
// the live frames are refreshed) there is no time to show: no axis, and the
// heading gives the time of printing, never the unset window's 1970 or the
// 2041 its overflowing span reaches. Once measurements set the window, the
// heading names the window the axis is drawn from and the axis labels lie
// within it.
TEST_F(VKLiveView, ThePrintedGraphShowsTheWindowTheScreenShows)
{
    PDFCHECK_REQUIRE_TOOLS();
    CVKAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    view->window()->resize(920, 740);
    auto* data = dynamic_cast<CVKArchivData*>(entry->GetArchivData());
    ASSERT_NE(data, nullptr);
    data->RefreshGraphs();
    platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
    ASSERT_TRUE(view->Graph()->HasSource());
    view->Graph()->grab(); // the screen's picture

    livegraphprint::ExpectPrintedWithoutWindow(*view);

    // The measurement starts: a quarter of an hour's window from now, and
    // the first values published into the graph.
    data->ResetGraphTimeBase(900);
    for (int u : {2301, 2302, 2303})
        Measure(WORD(u));
    data->PublishToGraphs();
    platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
    const CGraphTrace* u1 = data->SeriesRegistry().FindGraphSeries(u"U1");
    ASSERT_NE(u1, nullptr);
    ASSERT_GT(u1->Span(), 0);
    view->Graph()->grab();

    using namespace livegraphprint;
    const PrintedGraph filled = PrintFromFileMenu(*view);
    EXPECT_FALSE(NamesAnUnsetWindow(filled.text)) << filled.text.toStdString();
    qint64 from = 0, to = 0;
    ASSERT_TRUE(HeadingWindow(filled.text, from, to)) << filled.text.toStdString();
    // The window the screen's axis is drawn from.
    EXPECT_EQ(from, qint64(u1->Origin().GetTime()));
    EXPECT_EQ(to, qint64(u1->Origin().GetTime()) + u1->Span());
    const QStringList times = AxisTimes(filled);
    EXPECT_GE(times.size(), 2) << filled.text.toStdString();
    const QTime start = QDateTime::fromSecsSinceEpoch(from).time();
    for (const QString& label : times) {
        QTime t = QTime::fromString(label, label.size() == 5 ? QStringLiteral("HH:mm") : QStringLiteral("HH:mm:ss"));
        ASSERT_TRUE(t.isValid()) << label.toStdString();
        const int offset = (start.secsTo(t) + 86400) % 86400;
        EXPECT_LE(offset, to - from) << label.toStdString();
    }
    Close(view);
}

} // namespace
