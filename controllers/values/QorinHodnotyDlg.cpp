#include "controllers/values/QorinHodnotyDlg.h"

#include "archive/store/ControllerDisplay.h"
#include "controllers/graph/QuantityGraphWnd.h"
#include "controllers/values/HarmonicsChart.h"
#include "link/Pristroj.h"
#include "platform/ui/DialogUnits.h"

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QRadioButton>

namespace controllers {

namespace {

// Group sizes in dialog units.
constexpr int kValuesW = 114, kValuesH = 48, kHeaderH = 12, kStagesW = 73, kRegulationH = 29, kChartMinH = 67,
              kChartMaxW = 200, kChartMaxH = 95, kChartMinW = 114, kRecordH = 46;

constexpr int kStageButton = 1064;
constexpr int kStageLabel = 1080;
// Legend swatches in the order of the legend colours: cos, THDI, Ieff, Ič, Ij.
constexpr int kSwatches[5] = {1125, 1126, 1127, 1128, 1129};

const std::initializer_list<int> kValueIds = {1124, 1112, 1113, 1115, 1117, 1119, 1017, 1018, 1019, 1020, 1021,
                                              1114, 1116, 1118, 1120, 1134};
const std::initializer_list<int> kRegulationIds = {1095, 1063, 1094, 1097, 1098};
const std::initializer_list<int> kRecordIds = {1130, 1108, 1023, 1110, 1024, 1111, 1025};
const std::initializer_list<int> kHeaderIds = {1286, 1022};

} // namespace

CQorinHodnotyDlg::CQorinHodnotyDlg(QWidget* parent) : CValuesDlgBase(parent)
{
    m_readableDlu = QSize(kStagesW + kValuesW + 12, kValuesH + kHeaderH + 14);
    Make(1286, ReadOnlyEdit(false));
    Make(1022, ReadOnlyEdit(false));
    auto* valuesFrame = new QFrame;
    valuesFrame->setFrameShape(QFrame::Box);
    Make(1124, valuesFrame);
    const std::pair<int, const char*> labels[] = {{1112, "cos"}, {1113, "THDI"}, {1115, "Ieff"}, {1117, "Ič"},
                                                  {1119, "Ij"},  {1114, "%"},    {1116, "A"},    {1118, "A"},
                                                  {1120, "A"},   {1095, "Interval regulace "},
                                                  {1094, "0% "}, {1097, "50%"},  {1098, "100%"},
                                                  {1108, "Záznam od:"}, {1110, "do:"}, {1111, "Soubor:"},
                                                  {1096, "   Harmonické složky (I)"}};
    for (const auto& [id, text] : labels)
        Make(id, new QLabel(QString::fromUtf8(text)));
    for (int id : {1017, 1018, 1019, 1020, 1021})
        Make(id, ReadOnlyEdit());
    for (int id : {1023, 1024, 1025})
        Make(id, ReadOnlyEdit(false));
    auto* state = new QLabel;
    state->setAutoFillBackground(true);
    Make(1134, state);
    for (int id : kSwatches) {
        auto* swatch = new QWidget;
        swatch->installEventFilter(this);
        Make(id, swatch);
    }
    MakeProgress(1063);
    Make(1079, new QGroupBox(QStringLiteral("Stupně")));
    MakeStages(kStageButton, kStageLabel, kStageCount);
    auto* recordFrame = new QFrame;
    recordFrame->setFrameShape(QFrame::Box);
    Make(1130, recordFrame);
    m_chart = new QWidget;
    m_chart->installEventFilter(this);
    Make(1078, m_chart);
    // Frames below the controls they frame.
    for (int id : {1124, 1130, 1079})
        Control(id)->lower();
    UpdateControls();
}

CQorinHodnotyDlg::~CQorinHodnotyDlg() = default;

int CQorinHodnotyDlg::ChooseMode(int w, int h)
{
    if (w < kStagesW + kValuesW + 12)
        return h >= kValuesH + kHeaderH + 14 ? 4 : 0;
    if (h >= kRegulationH + kChartMinH + kValuesH + kHeaderH + 16)
        return 3;
    if (h >= kRegulationH + kValuesH + kHeaderH + 14)
        return 2;
    if (h >= kValuesH + kHeaderH + 14)
        return 1;
    return 0;
}

void CQorinHodnotyDlg::Fill(const CQorinValueTexts& values, const CPristrojStatusTexts* status)
{
    m_state = values.mode;
    m_cos = values.cosPhi;
    m_current = values.current;
    m_thd = values.thd;
    m_activeCurrent = values.activeCurrent;
    m_reactiveCurrent = values.reactiveCurrent;
    for (int i = 0; i < kHarmonicCount && i < int(values.harmonicBars.size()); ++i)
        m_harmonics[std::size_t(i)] = float(values.harmonicBars[std::size_t(i)]);
    for (int i = 0; i < kStageCount; ++i)
        m_stages[std::size_t(i)] = values.stages[std::size_t(i)] ? 1 : 0;
    const bool transistorLabels = values.layoutModel1Or2 != 0;
    m_sixStages = values.layoutModel3Or5 != 0;
    // The stage labels of another model are placed again.
    if (transistorLabels != m_transistorLabels) {
        m_transistorLabels = transistorLabels;
        Layout();
    }
    m_progressValue = values.progress;
    FillHeader(values.modelIndex, status);
}

void CQorinHodnotyDlg::SetLegend(const CQuantityGraphWnd& graph)
{
    std::array<std::uint32_t, CQuantityGraphWnd::kCurveCount> colours{};
    std::array<int, CQuantityGraphWnd::kCurveCount> visible{};
    graph.GetCurveColors(colours, visible);
    // The swatches stand under cos, THDI, Ieff, Ič, Ij: the graph's order.
    for (std::size_t i = 0; i < 5; ++i) {
        m_legendColours[i] = colours[i];
        m_legendShown[i] = visible[i] != 0;
    }
    Layout();
    update();
}

void CQorinHodnotyDlg::UpdateControls()
{
    const std::pair<int, const QString*> texts[] = {
        {1022, &m_time}, {1286, &m_model},         {1024, &m_recordEnd}, {1023, &m_recordStart},
        {1025, &m_file}, {1020, &m_activeCurrent}, {1017, &m_cos},       {1021, &m_reactiveCurrent},
        {1019, &m_current}, {1018, &m_thd}};
    for (const auto& [id, text] : texts)
        SetText(id, *text);
    ShowState(1134, m_state);
    SetStages(kStageButton, m_stages.data(), kStageCount);
    EnableStages();
    m_progress->setValue(std::clamp(m_progressValue, 0, 100));
    update();
}

void CQorinHodnotyDlg::Put(int id, int x0, int y0, int left, int top, int right, int bottom)
{
    Place(id, x0, y0, left, top, right, bottom);
    if (QWidget* w = Control(id))
        w->show();
}

void CQorinHodnotyDlg::PlaceHeader(int x, int y)
{
    Put(1286, x, y, 0, 0, 50, 12);
    // The time takes the row up to the chart beside it: "dd.mm hh:mm:ss"
    // does not fit 49 units of a wider font.
    Put(1022, x, y, 52, 0, 115, 12);
    SetHeaderFont(1286);
    SetText(1286, m_model);
}

void CQorinHodnotyDlg::PlaceValues(int x, int y)
{
    Put(1124, x, y, 0, 0, 114, 48);
    Put(1112, x, y, 2, 3, 19, 10);
    Put(1017, x, y, 19, 3, 44, 15);
    Put(1115, x, y, 60, 3, 75, 11);
    Put(1019, x, y, 76, 3, 101, 15);
    Put(1116, x, y, 103, 3, 111, 15);
    Put(1125, x, y, 2, 12, 18, 15);
    Put(1127, x, y, 60, 12, 75, 15);
    Put(1113, x, y, 2, 18, 18, 26);
    Put(1126, x, y, 2, 27, 18, 30);
    Put(1018, x, y, 19, 18, 44, 30);
    Put(1114, x, y, 46, 18, 55, 28);
    Put(1117, x, y, 60, 18, 75, 26);
    Put(1128, x, y, 60, 27, 75, 30);
    Put(1020, x, y, 76, 18, 101, 30);
    Put(1118, x, y, 103, 18, 111, 30);
    Put(1134, x, y, 2, 33, 55, 45);
    Put(1119, x, y, 60, 33, 75, 41);
    Put(1129, x, y, 60, 42, 75, 45);
    Put(1021, x, y, 76, 33, 101, 45);
    Put(1120, x, y, 103, 33, 111, 45);
    for (int i = 0; i < 5; ++i)
        Control(kSwatches[i])->setVisible(m_legendShown[std::size_t(i)]);
}

void CQorinHodnotyDlg::PlaceRegulation(int x, int y)
{
    Put(1095, x, y, 1, 1, 113, 10);
    Put(1063, x, y, 1, 11, 113, 19);
    Put(1094, x, y, 2, 20, 22, 28);
    Put(1097, x, y, 47, 20, 67, 28);
    Put(1098, x, y, 93, 20, 113, 28);
}

void CQorinHodnotyDlg::PlaceRecord(int x, int y)
{
    Put(1130, x, y, 0, 0, 190, 46);
    Put(1108, x, y, 4, 8, 50, 20);
    Put(1023, x, y, 50, 7, 104, 19);
    Put(1110, x, y, 110, 8, 120, 20);
    Put(1024, x, y, 123, 7, 180, 19);
    Put(1111, x, y, 4, 26, 33, 38);
    Put(1025, x, y, 34, 25, 179, 37);
}

void CQorinHodnotyDlg::PlaceChart(int x, int y, int w, int h)
{
    if (h >= 57) {
        Put(1096, x, y, 1, 0, w, 11);
        Put(1078, x, y, 1, 10, w, h);
    } else {
        Control(1096)->hide();
        Put(1078, x, y, 1, 0, w, h);
    }
}

void CQorinHodnotyDlg::PlaceStages(int x, int y)
{
    Put(1079, x, y, 4, 0, 71, 67);
    auto place = [&](int stage, QRect button, QRect label, const QString& text) {
        Put(kStageButton + stage - 1, x, y, button.left(), button.top(), button.right(), button.bottom());
        Put(kStageLabel + stage - 1, x, y, label.left(), label.top(), label.right(), label.bottom());
        static_cast<QLabel*>(Control(kStageLabel + stage - 1))->setText(text);
    };
    auto r = [](int l, int t, int rr, int b) { return QRect(QPoint(l, t), QPoint(rr, b)); };
    for (int k = 0; k < 6; ++k) {
        place(k + 1, r(8 + 10 * k, 21, 16 + 10 * k, 32), r(8 + 10 * k, 10, 16 + 10 * k, 20),
              m_transistorLabels ? QStringLiteral("T%1").arg(k) : QString::number(k + 1));
        const int bottomStage = m_transistorLabels ? 8 + k : 13 - k;
        place(bottomStage, r(8 + 10 * k, 43, 16 + 10 * k, 54), r(7 + 10 * k, 55, 15 + 10 * k, 65),
              m_transistorLabels ? QString::number(2 + k) : QString::number(13 - k));
    }
    place(m_transistorLabels ? 14 : 7, r(58, 32, 67, 42), r(49, 32, 57, 43),
          m_transistorLabels ? QStringLiteral("8") : QStringLiteral("7"));
    place(m_transistorLabels ? 7 : 14, r(8, 32, 16, 43), r(18, 32, 26, 42),
          m_transistorLabels ? QStringLiteral("1") : QStringLiteral("14"));
    EnableStages();
}

void CQorinHodnotyDlg::EnableStages()
{
    // A six-stage model has no stages 7 to 14, whatever the values say.
    for (int stage = 7; stage <= 14; ++stage) {
        Control(kStageButton + stage - 1)->setEnabled(!m_sixStages);
        Control(kStageLabel + stage - 1)->setEnabled(!m_sixStages);
    }
}

void CQorinHodnotyDlg::Layout()
{
    if (!Control(1286))
        return;
    const QSize dlu = MeasureDlu();
    const int w = dlu.width();
    const int h = dlu.height();
    m_mode = ChooseMode(w, h);
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        child->hide();
    // Modes 1 and 2: the chart and the stages share the room right of the
    // values.
    auto besideValues = [&](int y, int chartH) {
        if (w >= kChartMinW + kStagesW + kValuesW + 14) {
            const int cw = std::min(kChartMaxW, w - 201);
            PlaceChart(121, y, cw, chartH);
            PlaceStages(121 + cw + 2, y);
        } else if (w >= kChartMinW + kValuesW + 12) {
            PlaceChart(121, y, std::min(kChartMaxW, w - 126), chartH);
        } else {
            PlaceStages(121, y);
        }
    };
    switch (m_mode) {
    case 0:
        PlaceValues(5, 5);
        if (m_recordGroup && w >= 316)
            PlaceRecord(121, 5);
        break;
    case 1:
        PlaceHeader(5, 5);
        PlaceValues(5, 19);
        besideValues(5, 62);
        break;
    case 2:
        PlaceHeader(5, 5);
        PlaceValues(5, 19);
        PlaceRegulation(5, 69);
        besideValues(19, 79);
        break;
    case 3: {
        PlaceHeader(5, 5);
        PlaceValues(5, 19);
        PlaceRegulation(5, 69);
        PlaceStages(121, 19);
        if (h >= kChartMinH + kRecordH + 100 + 7) {
            const int ch = std::min(kChartMaxH, h - kRecordH - 100 - 7);
            PlaceChart(5, 100, 190, ch);
            if (m_recordGroup)
                PlaceRecord(5, 100 + ch + 2);
        } else {
            PlaceChart(5, 100, 190, std::min(kChartMaxH, h - 105));
        }
        break;
    }
    default: {
        PlaceHeader(5, 5);
        PlaceValues(5, 19);
        int y = 69;
        if (h > 103) {
            PlaceRegulation(5, 69);
            y = 100;
        }
        if (h >= kChartMinH + kChartMinH + y + 7) {
            const int ch = std::min(kChartMaxH, h - kChartMinH - y - 7);
            PlaceChart(5, y, kChartMinW, ch);
            PlaceStages(5, y + ch + 2);
        } else if (h >= kChartMinH + y + 7) {
            PlaceChart(5, y, kChartMinW, std::min(kChartMaxH, h - y - 5));
        }
        break;
    }
    }
    update();
}

void CQorinHodnotyDlg::DrawChart(QPainter& painter, const QSize& size) const
{
    CHarmonicsChart::DrawQorin(painter, size, logicalDpiY(), m_harmonics);
}

void CQorinHodnotyDlg::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    Layout();
}

bool CQorinHodnotyDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint) {
        auto* w = static_cast<QWidget*>(watched);
        QPainter p(w);
        if (w == m_chart) {
            DrawChart(p, w->size());
            return true;
        }
        for (int i = 0; i < 5; ++i)
            if (w == Control(kSwatches[i])) {
                p.end();
                PaintSwatch(w, m_legendColours[std::size_t(i)]);
                return true;
            }
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace controllers
