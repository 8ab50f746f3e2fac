// The values displays of the controllers: layout modes by the space in
// dialog units, the harmonics charts (pixel probes), tabs and unit captions.
#include "archive/store/DuskarArchivData.h"
#include "archive/store/ControllerDisplay.h"
#include "archive/store/QorinArchivData.h"
#include "controllers/live/ControllerAktMer.h"
#include "controllers/panel/ControllerPlochaFrm.h"
#include "controllers/values/DuskarValuesPanel.h"
#include "controllers/values/HarmonicsChart.h"
#include "controllers/values/QorinHodnotyDlg.h"
#include "controllers/values/ValuesFeed.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/ui/DialogUnits.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QLineEdit>
#include <QTabBar>
#include <QTemporaryDir>
#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace controllers;

namespace {

// A pixel size that measures exactly w x h dialog units.
QSize PixelsFor(const QWidget& w, int dluW, int dluH)
{
    const int px = ui::DluToPixelsX(100, w.font());
    const int py = ui::DluToPixelsY(100, w.font());
    return QSize((dluW * px + 99) / 100, (dluH * py + 99) / 100);
}

bool Shown(const QWidget* w)
{
    return w && !w->isHidden();
}

TEST(QorinValuesDialog, ModeByTheSpaceInDialogUnits)
{
    struct Case {
        int w, h, mode;
    };
    const Case cases[] = {
        {198, 73, 0}, {198, 74, 4}, {120, 300, 4}, {199, 73, 0}, {199, 74, 1}, {199, 102, 1},
        {199, 103, 2}, {300, 171, 2}, {300, 172, 3}, {446, 279, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CQorinHodnotyDlg::ChooseMode(c.w, c.h), c.mode) << c.w << "x" << c.h;

    CQorinHodnotyDlg dlg;
    struct Shape {
        int w, h;
        bool record;
        int mode;
        bool chart, stages, regulation, recordShown;
    };
    const Shape shapes[] = {
        {199, 74, false, 1, false, true, false, false}, // the stages alone beside the values
        {250, 80, false, 1, true, false, false, false}, // room for a chart only
        {330, 110, false, 2, true, true, true, false},
        {320, 60, true, 0, false, false, false, true},  // the record group beside the values
        {320, 60, false, 0, false, false, false, false},
        {150, 250, false, 4, true, true, true, false},
        {300, 260, true, 3, true, true, true, true},
    };
    for (const Shape& s : shapes) {
        dlg.m_recordGroup = s.record;
        dlg.resize(PixelsFor(dlg, s.w, s.h));
        dlg.Layout();
        SCOPED_TRACE(testing::Message() << s.w << "x" << s.h);
        EXPECT_EQ(dlg.SizeInDlu(), QSize(s.w, s.h));
        EXPECT_EQ(dlg.Mode(), s.mode);
        EXPECT_EQ(Shown(dlg.Control(1078)), s.chart);
        EXPECT_EQ(Shown(dlg.Control(1079)), s.stages);
        EXPECT_EQ(Shown(dlg.Control(1063)), s.regulation);
        EXPECT_EQ(Shown(dlg.Control(1130)), s.recordShown);
        EXPECT_EQ(Shown(dlg.Control(1286)), s.mode != 0);
        EXPECT_TRUE(Shown(dlg.Control(1017)));
    }
}

TEST(QorinValuesDialog, StagesAndLegendFollowTheMembers)
{
    CQorinHodnotyDlg dlg;
    dlg.resize(PixelsFor(dlg, 330, 110));
    dlg.m_stages[2] = 1;
    dlg.m_sixStages = true;
    dlg.m_legendShown = {true, false, true, false, false};
    dlg.m_state = QStringLiteral("Test");
    dlg.UpdateControls();
    dlg.Layout();
    EXPECT_TRUE(static_cast<QAbstractButton*>(dlg.Control(1066))->isChecked());
    EXPECT_FALSE(static_cast<QAbstractButton*>(dlg.Control(1065))->isChecked());
    EXPECT_TRUE(dlg.Control(1069)->isEnabled());   // stage 6
    EXPECT_FALSE(dlg.Control(1070)->isEnabled());  // stage 7 of a six-stage model
    EXPECT_FALSE(dlg.Control(1086)->isEnabled());  // its label
    EXPECT_TRUE(Shown(dlg.Control(1125)));
    EXPECT_FALSE(Shown(dlg.Control(1126)));
    EXPECT_TRUE(Shown(dlg.Control(1127)));
    auto* state = static_cast<QLabel*>(dlg.Control(1134));
    EXPECT_EQ(state->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(state->palette().color(QPalette::Window), QColor(255, 255, 128));
    dlg.m_state.clear();
    dlg.UpdateControls();
    EXPECT_NE(state->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    // Transistor outputs: stage 7 sits left and is labelled "1".
    dlg.m_transistorLabels = true;
    dlg.Layout();
    EXPECT_EQ(static_cast<QLabel*>(dlg.Control(1080 + 6))->text(), QStringLiteral("1"));
    EXPECT_EQ(static_cast<QLabel*>(dlg.Control(1080))->text(), QStringLiteral("T0"));
    EXPECT_LT(dlg.Control(1064 + 6)->x(), dlg.Control(1064 + 13)->x());
}

// The header names the controller's model from the values displays' table:
// entry 0 empty, codes 1-6 and 17-22 their products, any other code "--";
// a fill without a valid record leaves the name shown.
// The record time in the header row is shown whole, day first, in every
// mode with the header.
TEST(QorinValuesDialog, TheHeaderTimeIsShownWholeFromTheDay)
{
    for (const QSize dlu : {QSize(320, 80), QSize(320, 110), QSize(320, 180), QSize(150, 120)}) {
        CQorinHodnotyDlg dlg;
        dlg.resize(PixelsFor(dlg, dlu.width(), dlu.height()));
        dlg.show();
        dlg.m_time = QStringLiteral("24.03 09:59:00");
        dlg.UpdateControls();
        dlg.Layout();
        auto* edit = static_cast<QLineEdit*>(dlg.Control(1022));
        ASSERT_TRUE(Shown(edit)) << dlu.width() << "x" << dlu.height();
        EXPECT_GT(edit->width(), edit->fontMetrics().horizontalAdvance(edit->text()) + 2) << dlu.width();
        EXPECT_EQ(edit->cursorPosition(), 0);
        // It stops short of the chart or stages beside it.
        EXPECT_LE(edit->geometry().right(), ui::DluToPixelsX(121, dlg.font()));
    }
}

TEST(ControllerValuesDisplays, ModelNameFromTheTable)
{
    struct Case {
        int model;
        const char* text;
    };
    const Case cases[] = {{0, ""},          {1, "QORIN-306"},   {3, "QORIN-206"}, {6, "QORIN-114"},
                          {7, "--"},        {16, "--"},         {17, "QORIN-1306"}, {19, "QORIN-1206"},
                          {22, "QORIN-1114"}, {23, "--"},       {0xFFFF, "--"}};
    CQorinHodnotyDlg qorin;
    CDuskarValuesPanel duskar;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        CQorinAktData qv;
        qv.model = WORD(c.model);
        qorin.Fill(archive::controller::FormatQorinValues(qv, 1), nullptr);
        EXPECT_EQ(qorin.m_model, QString::fromLatin1(c.text));
        CDuskarAktData dv;
        dv.model = WORD(c.model);
        duskar.Fill(archive::controller::FormatDuskarValues(dv, 1, CVKRatioScales()), nullptr);
        EXPECT_EQ(duskar.m_model, QString::fromLatin1(c.text));
    }
    CQorinAktData qv;
    qv.model = 2;
    qorin.Fill(archive::controller::FormatQorinValues(qv, 1), nullptr);
    qorin.UpdateControls();
    qorin.resize(PixelsFor(qorin, 330, 110));
    qorin.Layout();
    EXPECT_EQ(static_cast<QLineEdit*>(qorin.Control(1286))->text(), QStringLiteral("QORIN-314"));
    // The instrument went silent: state text, no values, the same model.
    qorin.Fill(archive::controller::FormatQorinValues(qv, 0), nullptr);
    EXPECT_EQ(qorin.m_model, QStringLiteral("QORIN-314"));
    EXPECT_EQ(qorin.m_cos, QStringLiteral("--"));
    CDuskarAktData dv;
    dv.model = 21;
    duskar.Fill(archive::controller::FormatDuskarValues(dv, 1, CVKRatioScales()), nullptr);
    duskar.Fill(archive::controller::FormatDuskarValues(dv, 0, CVKRatioScales()), nullptr);
    EXPECT_EQ(duskar.m_model, QStringLiteral("QORIN-1106"));
}

TEST(HarmonicsChart, TextsAndBarHeights)
{
    const int y0 = 100, s = 12;
    struct Case {
        double value;
        const char* text;
        int height; // of the bar above y0 - 1
    };
    const Case cases[] = {
        {100.0, "--", 0}, {101.0, "--", 0}, {-0.5, "--", 0}, {0.05, "0.1", 0}, {0.0, "0.0", 0},
        {0.1, "0.1", 1},  {0.3, "0.3", 1},  {0.6, "0.6", 4}, // log10(0.6) * 40 = -8.9: 12 - 8
        {1.0, "1.0", 12}, {10.0, "10.0", 52}, {99.9, "99.9", 91},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CHarmonicsChart::ValueText(c.value), QString::fromLatin1(c.text)) << c.value;
        EXPECT_EQ(y0 - 1 - CHarmonicsChart::BarTop(c.value, y0, s), c.height) << c.value;
    }
}

// Bars stand in their columns: a value gets red pixels above the axis, no
// value none.
TEST(HarmonicsChart, QorinBarsProbed)
{
    const QSize size(240, 125);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    const std::array<float, 6> values{0.3f, 10.f, 100.f, 0.05f, 40.f, -2.f};
    {
        QPainter p(&image);
        CHarmonicsChart::DrawQorin(p, size, 96, values);
    }
    const int c = size.width() / 8;
    auto redInColumn = [&](int k) {
        int n = 0;
        for (int y = 0; y < size.height(); ++y)
            for (int x = (k + 1) * c + c / 7; x < (k + 2) * c - c / 7; ++x)
                n += QColor(image.pixel(x, y)) == QColor(160, 0, 0);
        return n;
    };
    const int width = (c - c / 7) - c / 7;
    // 0.3: the one-pixel bar (its texts are red too, so compare to 10 %).
    EXPECT_GE(redInColumn(0), width);
    EXPECT_GT(redInColumn(1), redInColumn(0) + 20 * width);
    EXPECT_GT(redInColumn(4), redInColumn(1));
    // 100, 0.05 and a negative value: a text, no bar.
    EXPECT_LT(redInColumn(2), redInColumn(0));
    EXPECT_LT(redInColumn(5), redInColumn(0));
}

TEST(DuskarValuesPanel, ModeByTheSpaceInDialogUnits)
{
    struct Case {
        int w, h, mode;
        bool tall;
    };
    const Case cases[] = {
        {547, 196, 2, false}, {547, 215, 2, false}, {547, 216, 2, true}, {546, 196, 1, false},
        {547, 195, 1, false}, {300, 365, 3, false}, {300, 364, 1, false}, {300, 110, 1, false},
        {300, 109, 0, false}, {645, 346, 2, true},
    };
    for (const Case& c : cases) {
        bool tall = false;
        EXPECT_EQ(CDuskarValuesPanel::ChooseMode(c.w, c.h, &tall), c.mode) << c.w << "x" << c.h;
        EXPECT_EQ(tall, c.tall) << c.w << "x" << c.h;
    }
    CDuskarValuesPanel panel;
    panel.resize(PixelsFor(panel, 547, 196));
    panel.Layout();
    EXPECT_EQ(panel.Mode(), 2);
    const int chart88 = ui::DluToPixelsY(107 + 88, panel.font()) - ui::DluToPixelsY(107, panel.font());
    EXPECT_EQ(panel.Control(1172)->height(), chart88);
    panel.resize(PixelsFor(panel, 547, 216));
    panel.Layout();
    EXPECT_GT(panel.Control(1172)->height(), chart88);
    for (int id : {1124, 1130, 1172, 1079})
        EXPECT_TRUE(Shown(panel.Control(id))) << id;
    EXPECT_FALSE(Shown(panel.Tabs()));
}

TEST(DuskarValuesPanel, TabsShowOneGroupAtATime)
{
    CDuskarValuesPanel panel;
    panel.resize(PixelsFor(panel, 300, 120));
    panel.show();
    panel.Layout();
    ASSERT_EQ(panel.Mode(), 1);
    ASSERT_TRUE(Shown(panel.Tabs()));
    EXPECT_EQ(panel.Tabs()->tabText(0), QStringLiteral("U,I,..."));
    EXPECT_EQ(panel.Tabs()->tabText(3), QStringLiteral("U-harL"));
    EXPECT_TRUE(Shown(panel.Control(1017)));
    EXPECT_FALSE(Shown(panel.Control(1079)));
    const QPointF at = panel.Tabs()->tabRect(3).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent click(type, at, panel.Tabs()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(panel.Tabs(), &click);
    }
    EXPECT_EQ(panel.GetSelectedTab(), 3);
    EXPECT_FALSE(Shown(panel.Control(1017)));
    EXPECT_FALSE(Shown(panel.Control(1172)));
    EXPECT_TRUE(Shown(panel.Control(1079)));
    panel.SelectTab(1);
    EXPECT_TRUE(Shown(panel.Control(1064)));
    EXPECT_FALSE(Shown(panel.Control(1079)));
    // The tab survives a layout.
    panel.Layout();
    EXPECT_EQ(panel.GetSelectedTab(), 1);
    EXPECT_TRUE(Shown(panel.Control(1064)));
}

TEST(DuskarValuesPanel, HeaderInModeZeroOnlyInArchiveWindows)
{
    CDuskarValuesPanel panel;
    panel.resize(PixelsFor(panel, 300, 100));
    panel.Layout();
    ASSERT_EQ(panel.Mode(), 0);
    EXPECT_FALSE(Shown(panel.Control(1286)));
    EXPECT_EQ(panel.Control(1124)->y(), 0);
    panel.m_recordGroup = true;
    panel.Layout();
    EXPECT_TRUE(Shown(panel.Control(1286)));
    EXPECT_EQ(panel.Control(1124)->y(), ui::DluToPixelsY(15, panel.font()));
}

TEST(DuskarValuesPanel, UnitCaptionsFollowTheMultipliers)
{
    CDuskarValuesPanel panel;
    auto text = [&panel](int id) { return static_cast<QLabel*>(panel.Control(id))->text(); };
    struct Case {
        int multiplier;
        const char* power;
        const char* reactive;
    };
    const Case cases[] = {{1000, "kW", "kvar"}, {1000000, "MW", "Mvar"}, {5, "W", "var"}, {1000, "kW", "kvar"}};
    for (const Case& c : cases) {
        panel.SetPowerUnits(c.multiplier);
        EXPECT_EQ(text(1137), QString::fromLatin1(c.power));
        EXPECT_EQ(text(1138), QString::fromLatin1(c.reactive));
        EXPECT_EQ(text(1139), QString::fromLatin1(c.reactive));
    }
    // The same multiplier again leaves the captions alone.
    static_cast<QLabel*>(panel.Control(1137))->setText(QStringLiteral("x"));
    panel.SetPowerUnits(1000);
    EXPECT_EQ(text(1137), QStringLiteral("x"));
    panel.SetVoltageUnits(1000);
    panel.SetCurrentUnits(1000);
    EXPECT_EQ(text(1144), QStringLiteral("kV"));
    for (int id : {1374, 1375, 1376, 1147})
        EXPECT_EQ(text(id), QStringLiteral("kA"));
}

TEST(HarmonicsChart, DuskarNoValueHasNoBar)
{
    const QSize size(360, 130);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    std::array<float, 9> values{};
    values.fill(101.f);
    values[0] = -1.f;
    values[1] = 20.f;
    {
        QPainter p(&image);
        CHarmonicsChart::DrawDuskar(p, size, 96, values, QStringLiteral("I - harmonické liché"));
    }
    const int c = size.width() / 12;
    auto blueInColumn = [&](int k) {
        int n = 0;
        const int left = (k + 1) * c + c / 8;
        for (int y = size.height() / 3; y < size.height(); ++y)
            for (int x = left; x < left + 6 * (c / 8); ++x)
                n += QColor(image.pixel(x, y)) == QColor(8, 15, 121);
        return n;
    };
    EXPECT_EQ(blueInColumn(0), 0);
    EXPECT_GT(blueInColumn(1), 100);
    // The band behind the chart.
    EXPECT_EQ(QColor(image.pixel(size.width() - 5, size.height() / 2)), QColor(202, 223, 249));
}

// The floating panel's values side and the live windows show the store's
// newest values through one feed.
// A right click on `pane`: the host's menu shows; its last item, the pane's
// "Nastavení ...", is chosen. The texts of the host's menu in `items`.
bool ChooseValuesSettings(CValuesDlgBase* pane, QStringList& items)
{
    bool chosen = false;
    // Owned here: a menu or dialog that never shows leaves no timer behind.
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions())
            items << action->text();
        QAction* settings = menu->actions().isEmpty() ? nullptr : menu->actions().constLast();
        ASSERT_NE(settings, nullptr);
        EXPECT_EQ(settings->text(), QStringLiteral("Nastavení ..."));
        EXPECT_EQ(settings->data().toInt(), CValuesDlgBase::kCmdSettings);
        chosen = true;
        menu->close();
        settings->trigger();
    });
    timer.start(0);
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, pane->mapToGlobal(at), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QApplication::sendEvent(pane, &press);
    return chosen;
}

void SetCos(CValuesDlgBase* pane, bool duskar, const QString& text)
{
    if (duskar)
        static_cast<CDuskarValuesPanel*>(pane)->m_cos = text;
    else
        static_cast<CQorinHodnotyDlg*>(pane)->m_cos = text;
}

// A right click on the values pane of the live window or the floating
// panel: the host's menu ends with the pane's "Nastavení ...", which shows
// the pane's values again.
TEST(ControllerValuesDisplays, ValuesMenuShowsTheValuesAgain)
{
    for (const bool duskar : {false, true}) {
        SCOPED_TRACE(duskar ? "Duskar" : "Qorin");
        std::unique_ptr<CControllerAktMer> view;
        if (duskar)
            view = std::make_unique<CDuskarAktMer>();
        else
            view = std::make_unique<CAktMer>();
        view->resize(800, 600);
        auto* pane = static_cast<CValuesDlgBase*>(view->ValuesPane());
        auto* edit = static_cast<QLineEdit*>(pane->Control(1017));
        SetCos(pane, duskar, QStringLiteral("0.71"));
        EXPECT_NE(edit->text(), QStringLiteral("0.71"));
        QStringList items;
        ASSERT_TRUE(ChooseValuesSettings(pane, items));
        EXPECT_TRUE(items.contains(QStringLiteral("Panel &grafu")));
        EXPECT_EQ(edit->text(), QStringLiteral("0.71"));

        CControllerPlochaFrm frame(duskar);
        CValuesDlgBase* floating = frame.ValuesPane();
        SetCos(floating, duskar, QStringLiteral("0.64"));
        items.clear();
        ASSERT_TRUE(ChooseValuesSettings(floating, items));
        EXPECT_TRUE(items.contains(QStringLiteral("Data/Přístroj")));
        EXPECT_EQ(static_cast<QLineEdit*>(floating->Control(1017))->text(), QStringLiteral("0.64"));
    }
}

TEST(ControllerValuesFeed, FloatingPanelShowsTheNewestValues)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("settings.ini")));
    for (int type : {int(CPristroj::kQorin), int(CPristroj::kDuskar)}) {
        CPristroj entry(QStringLiteral("COM1"), 1, dir.path(), FALSE, type);
        entry.m_nazev = QStringLiteral("Kompenzace");
        QString cos;
        if (auto* qorin = dynamic_cast<CQorinArchivData*>(entry.GetArchivData())) {
            CQorinAktData v;
            v.model = 1;
            v.cosPhi = 93;
            v.current = 4000;
            v.activeCurrent = 3700;
            v.reactiveCurrent = 1400;
            qorin->AddMeasurementRecord(v);
            cos = qorin->FormatValues().cosPhi;
        } else if (auto* duskar = dynamic_cast<CDuskarArchivData*>(entry.GetArchivData())) {
            CDuskarAktData v;
            v.model = 44;
            v.cosPhi = 93;
            v.current = 4000;
            v.activeCurrent = 3700;
            v.reactiveCurrent = 1400;
            v.voltage = 2300;
            v.voltageP = 2300;
            duskar->AddMeasurementRecord(v);
            cos = duskar->FormatValues().cosPhi;
        }
        ASSERT_FALSE(cos.isEmpty());
        ASSERT_NE(cos, QStringLiteral("--"));
        CControllerPlochaFrm frame(type == CPristroj::kDuskar);
        frame.SetDevice(entry);
        if (frame.ShowsPanel())
            frame.ToggleData();
        frame.UpdatePanel();
        ASSERT_NE(frame.ValuesPane(), nullptr);
        EXPECT_FALSE(frame.ValuesPane()->isHidden());
        EXPECT_EQ(static_cast<QLineEdit*>(frame.ValuesPane()->Control(1017))->text(), cos) << type;
        // A display of the other family is left alone.
        CDuskarValuesPanel other;
        EXPECT_EQ(FeedValues(&other, entry), type == CPristroj::kDuskar);
    }
    platform::Settings::SetFileForTesting(QString());
}

// The store's values reach every cell of the values display, and an outage
// ("Výpadek dat") leaves the stages of a six-stage model greyed.
TEST(ControllerValuesFeed, EveryCellAndTheStagesOfTheModelThroughAnOutage)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("settings.ini")));
    for (int type : {int(CPristroj::kQorin), int(CPristroj::kDuskar)}) {
        SCOPED_TRACE(type);
        CPristroj entry(QStringLiteral("COM1"), 1, dir.path(), FALSE, type);
        CControllerPlochaFrm frame(type == CPristroj::kDuskar);
        frame.SetDevice(entry);
        if (frame.ShowsPanel())
            frame.ToggleData();
        if (auto* qorin = dynamic_cast<CQorinArchivData*>(entry.GetArchivData())) {
            CQorinAktData v;
            v.model = 3; // six stages
            v.cosPhi = 93;
            v.current = 4000;
            qorin->AddMeasurementRecord(v);
        } else if (auto* duskar = dynamic_cast<CDuskarArchivData*>(entry.GetArchivData())) {
            CDuskarAktData v;
            v.model = 19; // six stages
            v.cosPhi = 93;
            v.current = 4000;
            v.activeCurrent = 3700;
            v.reactiveCurrent = 1400;
            v.missingCurrent = -800;
            v.temperature = 31;
            v.voltage = 2300;
            v.voltageP = 2300;
            duskar->AddMeasurementRecord(v);
        }
        frame.UpdatePanel();
        CValuesDlgBase* pane = frame.ValuesPane();
        ASSERT_NE(pane, nullptr);
        const auto text = [pane](int id) { return static_cast<QLineEdit*>(pane->Control(id))->text(); };
        if (type == CPristroj::kDuskar) {
            EXPECT_EQ(text(1036), QStringLiteral("31"));
            // dIre as Ire: the magnitude after its L/C sign, in the
            // store's current format.
            EXPECT_EQ(text(1021), QStringLiteral("L0.350"));
            EXPECT_EQ(text(1032), QStringLiteral("C0.200"));
        }
        EXPECT_TRUE(pane->Control(1069)->isEnabled());  // stage 6
        EXPECT_FALSE(pane->Control(1070)->isEnabled()); // stage 7

        entry.GetArchivData()->SetDeviceState(0x10);
        frame.UpdatePanel();
        EXPECT_EQ(text(1017), QStringLiteral("--"));
        if (type == CPristroj::kDuskar) {
            EXPECT_EQ(text(1036), QStringLiteral("--"));
            EXPECT_EQ(text(1032), QStringLiteral("--"));
        }
        EXPECT_FALSE(pane->Control(1070)->isEnabled());
        EXPECT_FALSE(pane->Control(1077)->isEnabled()); // stage 14
    }
    platform::Settings::SetFileForTesting(QString());
}

} // namespace
