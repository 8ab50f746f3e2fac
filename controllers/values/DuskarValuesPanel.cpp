#include "controllers/values/DuskarValuesPanel.h"

#include "archive/store/ControllerDisplay.h"
#include "charts/GraphPainter.h"
#include "controllers/graph/DuskarGraphWnd.h"
#include "controllers/values/HarmonicsChart.h"
#include "link/Pristroj.h"
#include "platform/StringTable.h"
#include "platform/ui/DialogUnits.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QRadioButton>
#include <QTabBar>

namespace controllers {

namespace {

constexpr int kGroupW = 270, kGroupH = 88;
constexpr int kStageButton = 1064;
constexpr int kStageLabel = 1080;
constexpr int kCurrentChart = 1172;
constexpr int kVoltageChart = 1079;

// One quantity cell: label, edit, swatch (0: none), unit (0: none).
struct Cell {
    int label;
    const char* text;
    int edit;
    int swatch;
    int unit;
    const char* unitText;
};
// Columns left to right, each top to bottom.
const Cell kCells[16] = {
    {1112, "cos", 1017, 1125, 0, ""},      {1121, "fi", 1026, 0, 0, ""},
    {1122, "Ueff", 1368, 1132, 1144, "V"}, {1123, "f", 1035, 1133, 1143, "Hz"},
    {1131, "Pac", 1028, 1140, 1137, "W"},  {1135, "Pre", 1029, 1141, 1138, "var"},
    {1136, "dPre", 1030, 1142, 1139, "var"}, {1145, "l.v.", 1031, 0, 0, ""},
    {1115, "Ieff", 1019, 1127, 1374, "A"}, {1117, "Iact", 1020, 1128, 1375, "A"},
    {1119, "Ire", 1021, 1129, 1376, "A"},  {1146, "dIre", 1032, 1149, 1147, "A"},
    {1113, "THDI", 1369, 1372, 1377, "%"}, {1150, "THDU", 1370, 1152, 1151, "%"},
    {1153, "CHL", 1371, 1155, 1154, "%"},  {1156, "T", 1036, 1158, 1157, "C"},
};
// Swatches in the order of the legend (the controller quantity list).
constexpr int kSwatches[14] = {1125, 1132, 1133, 1140, 1141, 1142, 1127, 1128, 1129, 1149, 1372, 1152, 1155, 1158};

} // namespace

CDuskarValuesPanel::CDuskarValuesPanel(QWidget* parent) : CValuesDlgBase(parent)
{
    // The values tab beneath the header.
    m_readableDlu = QSize(kGroupW + 6, 16 + 103 + 3);
    m_legendColours.fill(kNoLegend);
    m_tabs = new QTabBar;
    Make(1373, m_tabs);
    for (int id : {1124, 1130}) {
        auto* frame = new QFrame;
        frame->setFrameShape(QFrame::Box);
        Make(id, frame);
    }
    Make(1286, ReadOnlyEdit(false));
    Make(1022, ReadOnlyEdit(false));
    for (const Cell& c : kCells) {
        Make(c.label, new QLabel(QString::fromUtf8(c.text)));
        Make(c.edit, ReadOnlyEdit());
        if (c.unit)
            Make(c.unit, new QLabel(QString::fromUtf8(c.unitText)));
        if (c.swatch) {
            auto* swatch = new QWidget;
            swatch->installEventFilter(this);
            Make(c.swatch, swatch);
        }
    }
    Make(1134, new QLabel);
    const std::pair<int, const char*> labels[] = {{1096, "Stupně:"}, {1095, "Interval regulace "}, {1094, "0% "},
                                                  {1097, "50%"},     {1098, "100%"},               {1108, "Záznam od:"},
                                                  {1110, "do:"},     {1111, "Soubor:"}};
    for (const auto& [id, text] : labels)
        Make(id, new QLabel(QString::fromUtf8(text)));
    for (int id : {1023, 1024, 1025})
        Make(id, ReadOnlyEdit(false));
    MakeProgress(1063);
    MakeStages(kStageButton, kStageLabel, kStageCount);
    for (int id : {kCurrentChart, kVoltageChart}) {
        auto* chart = new QWidget;
        chart->installEventFilter(this);
        Make(id, chart);
    }
    for (int id : {1124, 1130, 1373})
        Control(id)->lower();
    for (int id : {32359, 32362, 32365, 32363})
        m_tabs->addTab(platform::LoadString(id));
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) {
        if (index < 0)
            return;
        m_tab = index;
        if (m_mode == 1)
            ShowTabGroup();
    });
    UpdateControls();
}

CDuskarValuesPanel::~CDuskarValuesPanel() = default;

int CDuskarValuesPanel::ChooseMode(int w, int h, bool* tall)
{
    if (tall)
        *tall = false;
    if (w >= 2 * kGroupW + 7 && h >= 2 * kGroupH + 20) {
        if (tall)
            *tall = h >= 2 * kGroupH + 40;
        return 2;
    }
    if (h >= 4 * kGroupH + 13)
        return 3;
    if (h >= kGroupH + 22)
        return 1;
    return 0;
}

void CDuskarValuesPanel::Fill(const CDuskarValueTexts& v, const CPristrojStatusTexts* status)
{
    m_state = v.mode;
    m_cos = v.cosPhi;
    m_fi = v.angle;
    m_f = v.frequency;
    m_ueff = v.voltage;
    m_ieff = v.current;
    m_iact = v.activeCurrent;
    m_ire = v.reactiveCurrent;
    m_dIre = v.missingCurrent;
    m_pac = v.activePower;
    m_pre = v.reactivePower;
    m_dPre = v.missingPower;
    m_lv = v.lowVoltage;
    m_thdU = v.thdU;
    m_thdI = v.thdI;
    m_chl = v.chl;
    m_t = v.temperature;
    for (int i = 0; i < kHarmonicCount && i < int(v.harmonicBarsI.size()); ++i) {
        m_harmonicsI[std::size_t(i)] = float(v.harmonicBarsI[std::size_t(i)]);
        m_harmonicsU[std::size_t(i)] = float(v.harmonicBarsU[std::size_t(i)]);
    }
    for (int i = 0; i < kStageCount; ++i)
        m_stages[std::size_t(i)] = v.stages[std::size_t(i)] ? 1 : 0;
    m_sixStages = v.layoutModel19Or21 != 0;
    m_progressValue = v.progress;
    FillHeader(v.modelIndex, status);
}

void CDuskarValuesPanel::SetLegend(const CDuskarGraphWnd& graph)
{
    std::array<int, CDuskarGraphWnd::kQuantityCount> shown{};
    std::array<std::uint32_t, CDuskarGraphWnd::kQuantityCount> colours{};
    graph.GetLegend(shown, colours);
    for (std::size_t i = 0; i < kLegendCount; ++i) {
        m_legendShown[i] = shown[i] != 0;
        m_legendColours[i] = colours[i];
    }
    Layout();
}

void CDuskarValuesPanel::UpdateControls()
{
    const std::pair<int, const QString*> texts[] = {
        {1022, &m_time}, {1286, &m_model}, {1024, &m_recordEnd}, {1023, &m_recordStart}, {1025, &m_file},
        {1030, &m_dPre}, {1031, &m_lv}, {1026, &m_fi}, {1035, &m_f}, {1371, &m_chl},
        {1028, &m_pac}, {1029, &m_pre}, {1036, &m_t}, {1369, &m_thdI}, {1370, &m_thdU}, {1368, &m_ueff},
        {1032, &m_dIre}, {1020, &m_iact}, {1017, &m_cos}, {1021, &m_ire}, {1019, &m_ieff}};
    for (const auto& [id, text] : texts)
        SetText(id, *text);
    ShowState(1134, m_state);
    SetStages(kStageButton, m_stages.data(), kStageCount);
    EnableStages();
    m_progress->setValue(std::clamp(m_progressValue, 0, 100));
    update();
}

void CDuskarValuesPanel::SelectTab(int tab)
{
    m_tab = std::clamp(tab, 0, 3);
    m_tabs->setCurrentIndex(m_tab);
    if (m_mode == 1)
        ShowTabGroup();
}

void CDuskarValuesPanel::SetVoltageUnits(int multiplier)
{
    if (multiplier == m_voltageUnits)
        return;
    m_voltageUnits = multiplier;
    static_cast<QLabel*>(Control(1144))->setText(multiplier == 1000 ? QStringLiteral("kV") : QStringLiteral("V"));
}

void CDuskarValuesPanel::SetCurrentUnits(int multiplier)
{
    if (multiplier == m_currentUnits)
        return;
    m_currentUnits = multiplier;
    for (int id : {1374, 1375, 1376, 1147})
        static_cast<QLabel*>(Control(id))->setText(multiplier == 1000 ? QStringLiteral("kA") : QStringLiteral("A"));
}

void CDuskarValuesPanel::SetPowerUnits(int multiplier)
{
    if (multiplier == m_powerUnits)
        return;
    m_powerUnits = multiplier;
    const QString prefix = multiplier == 1000 ? QStringLiteral("k") : multiplier == 1000000 ? QStringLiteral("M") : QString();
    static_cast<QLabel*>(Control(1137))->setText(prefix + QStringLiteral("W"));
    for (int id : {1138, 1139})
        static_cast<QLabel*>(Control(id))->setText(prefix + QStringLiteral("var"));
}

void CDuskarValuesPanel::ShowValues(int x, int y, bool show)
{
    if (show) {
        Place(1124, x, y, 0, 0, 270, 88);
        for (int i = 0; i < 16; ++i) {
            const Cell& c = kCells[i];
            const int cx = x + 5 + 66 * (i / 4);
            const int cy = y + 5 + 16 * (i % 4);
            Place(c.label, cx, cy, 0, 0, 21, 8);
            if (c.swatch)
                Place(c.swatch, cx, cy, 2, 9, 19, 13);
            Place(c.edit, cx, cy, 21, 0, 51, 13);
            if (c.unit)
                Place(c.unit, cx, cy, 52, 0, 66, 13);
        }
        Place(1134, x, y, 5, 69, 105, 81);
    }
    Control(1124)->setVisible(show && m_mode != 1);
    for (const Cell& c : kCells) {
        Control(c.label)->setVisible(show);
        Control(c.edit)->setVisible(show);
        if (c.unit)
            Control(c.unit)->setVisible(show);
    }
    for (int i = 0; i < kLegendCount; ++i)
        Control(kSwatches[i])->setVisible(show && m_legendShown[std::size_t(i)]);
    Control(1134)->setVisible(show);
}

void CDuskarValuesPanel::EnableStages()
{
    // A six-stage model has no stages 7 to 14, whatever the values say.
    for (int i = 0; i < kStageCount; ++i) {
        Control(kStageLabel + i)->setEnabled(!(m_sixStages && i >= 6));
        Control(kStageButton + i)->setEnabled(!(m_sixStages && i >= 6));
    }
}

void CDuskarValuesPanel::ShowStages(int x, int y, bool show)
{
    const int ids[] = {1096, 1095, 1063, 1094, 1097, 1098, 1108, 1023, 1110, 1024, 1111, 1025};
    if (show) {
        Place(1130, x, y, 0, 0, 270, 88);
        Place(1096, x, y, 6, 10, 40, 22);
        for (int i = 0; i < kStageCount; ++i) {
            Place(kStageLabel + i, x, y, 44 + 15 * i, 5, 56 + 15 * i, 14);
            Place(kStageButton + i, x, y, 45 + 15 * i, 14, 56 + 15 * i, 25);
        }
        EnableStages();
        Place(1095, x, y, 6, 27, 126, 36);
        Place(1063, x, y, 6, 37, 126, 46);
        Place(1094, x, y, 6, 47, 26, 55);
        Place(1097, x, y, 56, 47, 76, 55);
        Place(1098, x, y, 106, 47, 126, 55);
        Place(1108, x, y, 6, 58, 52, 68);
        Place(1023, x, y, 52, 58, 106, 68);
        Place(1110, x, y, 112, 58, 122, 68);
        Place(1024, x, y, 125, 58, 182, 68);
        Place(1111, x, y, 6, 71, 35, 81);
        Place(1025, x, y, 36, 71, 181, 81);
    }
    Control(1130)->setVisible(show && m_mode != 1);
    for (int id : ids)
        Control(id)->setVisible(show);
    for (int i = 0; i < kStageCount; ++i) {
        Control(kStageLabel + i)->setVisible(show);
        Control(kStageButton + i)->setVisible(show);
    }
}

void CDuskarValuesPanel::ShowChart(int id, int x, int y, int w, int h, bool show)
{
    if (show)
        Place(id, x, y, 0, 0, w, h);
    Control(id)->setVisible(show);
}

void CDuskarValuesPanel::ShowTabGroup()
{
    // Inside the tab: the values 14 units lower, the others at (3, 30).
    ShowValues(3, 30, m_tab == 0);
    ShowStages(3, 30, m_tab == 1);
    ShowChart(kCurrentChart, 3 + 2, 16 + 15, 266, 85, m_tab == 2);
    ShowChart(kVoltageChart, 3 + 2, 16 + 15, 266, 85, m_tab == 3);
    update();
}

void CDuskarValuesPanel::Layout()
{
    if (!Control(1286))
        return;
    const QSize dlu = MeasureDlu();
    m_mode = ChooseMode(dlu.width(), dlu.height(), &m_tall);
    const bool header = m_mode != 0 || m_recordGroup;
    if (header) {
        Place(1286, 3, 3, 0, 0, 100, 10);
        Place(1022, 105, 5, 0, 0, 166, 10);
        SetHeaderFont(1286);
    }
    Control(1286)->setVisible(header);
    Control(1022)->setVisible(header);
    Control(1373)->setVisible(m_mode == 1);
    const int chartH = m_tall ? 108 : kGroupH;
    switch (m_mode) {
    case 0:
        ShowStages(0, 0, false);
        ShowChart(kCurrentChart, 0, 0, 0, 0, false);
        ShowChart(kVoltageChart, 0, 0, 0, 0, false);
        ShowValues(3, m_recordGroup ? 15 : 0, true);
        break;
    case 1:
        Place(1373, 3, 16, 0, 0, 270, 103);
        m_tabs->setCurrentIndex(m_tab);
        ShowTabGroup();
        break;
    case 2:
        ShowValues(3, 16, true);
        ShowStages(276, 16, true);
        ShowChart(kCurrentChart, 3, 107, kGroupW, chartH, true);
        ShowChart(kVoltageChart, 276, 107, kGroupW, chartH, true);
        break;
    default:
        ShowValues(3, 16, true);
        ShowStages(3, 107, true);
        ShowChart(kCurrentChart, 3, 198, kGroupW, kGroupH, true);
        ShowChart(kVoltageChart, 3, 289, kGroupW, kGroupH, true);
        break;
    }
    update();
}

void CDuskarValuesPanel::DrawChart(QPainter& painter, const QSize& size, bool voltage) const
{
    if (voltage)
        CHarmonicsChart::DrawDuskar(painter, size, logicalDpiY(), m_harmonicsU,
                                    platform::LoadString(platform::IDS_CHART_U_ODD_HARMONICS));
    else
        CHarmonicsChart::DrawDuskar(painter, size, logicalDpiY(), m_harmonicsI,
                                    platform::LoadString(platform::IDS_CHART_I_ODD_HARMONICS));
}

void CDuskarValuesPanel::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    Layout();
}

bool CDuskarValuesPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint) {
        auto* w = static_cast<QWidget*>(watched);
        QPainter p(w);
        if (w == Control(kCurrentChart) || w == Control(kVoltageChart)) {
            DrawChart(p, w->size(), w == Control(kVoltageChart));
            return true;
        }
        for (int i = 0; i < kLegendCount; ++i)
            if (w == Control(kSwatches[i])) {
                p.end();
                PaintSwatch(w, m_legendColours[std::size_t(i)]);
                return true;
            }
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace controllers
