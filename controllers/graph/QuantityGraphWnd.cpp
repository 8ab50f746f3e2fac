#include "controllers/graph/QuantityGraphWnd.h"

#include "archive/store/QorinArchivData.h"
#include "charts/GraphPainter.h"
#include "controllers/graph/DisplayedQuantitiesDlg.h"

#include <algorithm>

namespace controllers {

namespace {

const CQuantityGraphWnd::CurveInfo kCurves[CQuantityGraphWnd::kCurveCount] = {
    {"Cos", "Cos", "1", 0, "barva kos", "isKos", 0x000000},
    {"THD", "THD", "%", 2, "barva THD", "isTHD", 0xFF0000},
    {"Proud", "I ", "A", 1, "barva proud", "isProud", 0x992299},
    {"real", "I ", "A", 1, "barva real", "isReal", 255},
    {"imag", "I ", "A", 1, "barva imag", "isImag", 65280},
};

// The order of the settings, the block and the traces.
constexpr CQuantityGraphWnd::Curve kStoredOrder[] = {CQuantityGraphWnd::kCos, CQuantityGraphWnd::kCurrent,
                                                     CQuantityGraphWnd::kActive, CQuantityGraphWnd::kReactive,
                                                     CQuantityGraphWnd::kThd};
constexpr CQuantityGraphWnd::Curve kCurrents[] = {CQuantityGraphWnd::kCurrent, CQuantityGraphWnd::kActive,
                                                  CQuantityGraphWnd::kReactive};

QString SeriesName(CQuantityGraphWnd::Curve c)
{
    return QString::fromLatin1(kCurves[c].series);
}

} // namespace

const CQuantityGraphWnd::CurveInfo& CQuantityGraphWnd::Info(Curve curve)
{
    return kCurves[std::clamp(int(curve), 0, kCurveCount - 1)];
}

CQuantityGraphWnd::CQuantityGraphWnd(QWidget* parent)
    : CControllerGraphWnd({1, "Obecne nastaveni", "qorin", false, false, false, -1}, parent)
{
    // The colours until a binding loads the settings.
    m_colours = {0x000000, 0x0000FF, 0x8080FF, 0xFF0000, 0x00FF00};
}

CQuantityGraphWnd::~CQuantityGraphWnd() = default;

bool CQuantityGraphWnd::CompactStages() const
{
    const auto* store = dynamic_cast<const CQorinArchivData*>(m_data);
    return store && store->IsModel3Or5();
}

void CQuantityGraphWnd::CurveRange(Curve curve, double& minimum, double& maximum) const
{
    minimum = 0;
    maximum = 1;
    if (!m_data)
        return;
    double factor = 1.0;
    const bool current = curve == kCurrent || curve == kActive || curve == kReactive;
    if (current)
        if (const auto* store = dynamic_cast<const CQorinArchivData*>(m_data))
            factor = store->GetCTRatio();
    if (!m_data->ScaleCategories().GetEffectiveRange(kCurves[curve].category, 1, minimum, maximum, factor))
        CScaleCategories(1).GetEffectiveRange(kCurves[curve].category, 1, minimum, maximum, factor);
    if (curve == kCurrent || ((curve == kActive || curve == kReactive) && !m_importExport))
        minimum = std::max(0.0, minimum);
}

int CQuantityGraphWnd::ShowCurve(Curve curve, int show, std::uint32_t colour)
{
    m_colours[curve] = colour;
    if (!m_data)
        return 0;
    show = show ? 1 : 0;
    double minimum = 0, maximum = 0;
    CurveRange(curve, minimum, maximum);
    CArchivSeriesRegistry& registry = m_data->SeriesRegistry();
    const QString name = SeriesName(curve);
    const bool signedCurve = curve == kActive || curve == kReactive;
    if (show == m_visible[curve]) {
        if (!show)
            return 0;
        if (!signedCurve) {
            registry.SetSeriesScale(name, minimum, maximum);
            if (registry.SetSeriesColour(name, colour))
                return 0;
        } else {
            const int unchanged = registry.SetSeriesOption(name, m_importExport ? 0 : 1);
            if (registry.SetSeriesColour(name, colour)) {
                registry.SetSeriesScale(name, minimum, maximum);
                return unchanged ? 0 : 1;
            }
        }
    }
    if (show) {
        registry.AddGraphSeries(name, QString::fromLatin1(kCurves[curve].unit), QString::fromLatin1(kCurves[curve].caption),
                                colour, float(maximum), float(minimum));
        if (signedCurve)
            registry.SetSeriesOption(name, m_importExport ? 0 : 1);
    } else {
        registry.RemoveGraphSeries(name);
    }
    m_visible[curve] = show;
    return 1;
}

bool CQuantityGraphWnd::GetCurveColor(Curve curve, int& fromSeries, std::uint32_t& colour) const
{
    if (!m_data)
        return false;
    const auto* at = std::find(std::begin(kStoredOrder), std::end(kStoredOrder), curve);
    StoredCurveState(int(at - std::begin(kStoredOrder)), fromSeries, colour);
    return true;
}

int CQuantityGraphWnd::StoredCurveCount() const
{
    return kCurveCount;
}

CControllerGraphWnd::StoredCurve CQuantityGraphWnd::StoredCurveAt(int i) const
{
    const CurveInfo& info = kCurves[kStoredOrder[i]];
    return {QString::fromLatin1(info.series), QString::fromLatin1(info.colourValue),
            QString::fromLatin1(info.shownValue), info.defaultColour, 1};
}

QString CQuantityGraphWnd::LegendText(int i, const CGraphTrace& trace) const
{
    // The active and reactive currents as the values pane names them; their
    // series names are keys of the store, not words for the page.
    switch (kStoredOrder[i]) {
    case kActive: return QStringLiteral("Ič");
    case kReactive: return QStringLiteral("Ij");
    default: return CControllerGraphWnd::LegendText(i, trace);
    }
}

void CQuantityGraphWnd::ShowStoredCurve(int i, int shown, std::uint32_t colour)
{
    ShowCurve(kStoredOrder[i], shown, colour);
}

bool CQuantityGraphWnd::StoredCurveVisible(int i) const
{
    return m_visible[kStoredOrder[i]] != 0;
}

std::uint32_t CQuantityGraphWnd::StoredCurveColour(int i) const
{
    return m_colours[kStoredOrder[i]];
}

void CQuantityGraphWnd::GetCurveColors(std::array<std::uint32_t, kCurveCount>& colours,
                                       std::array<int, kCurveCount>& visible) const
{
    for (int c = 0; c < kCurveCount; ++c) {
        visible[std::size_t(c)] = 0;
        colours[std::size_t(c)] = m_colours[std::size_t(c)];
        GetCurveColor(Curve(c), visible[std::size_t(c)], colours[std::size_t(c)]);
    }
}

void CQuantityGraphWnd::RescaleLive()
{
    auto* store = dynamic_cast<CQorinArchivData*>(m_data);
    if (store && store->ScaleCurrentSeries(m_importExport) && m_data->ScaleCategories().GetAuto())
        m_data->PublishToGraphs();
}

int CQuantityGraphWnd::CorrectGridQuantity(int quantity) const
{
    auto shown = [this](Curve c) {
        return m_visible[c] && m_data->SeriesRegistry().FindGraphSeries(SeriesName(c)) != nullptr;
    };
    const bool cos = shown(kCos);
    const bool current = shown(kCurrent) || shown(kActive) || shown(kReactive);
    const bool thd = shown(kThd);
    const bool ok = (quantity == kAxisCos && cos) || (quantity == kAxisCurrent && current) || (quantity == kAxisThd && thd);
    if (ok)
        return quantity;
    return cos ? kAxisCos : current ? kAxisCurrent : thd ? kAxisThd : quantity;
}

CGraphRect CQuantityGraphWnd::DrawAxes(CGraphPainter& painter, CGraphRect plot, int gridRight, bool print,
                                       const CGraphTrace*& last)
{
    const CArchivSeriesRegistry& registry = m_data->SeriesRegistry();
    auto traceOf = [&](Curve c) { return m_visible[c] ? registry.FindGraphSeries(SeriesName(c)) : nullptr; };
    int quantity = GridQuantity();
    if (Grid()) {
        quantity = CorrectGridQuantity(quantity);
        if (!print)
            SetGridQuantity(quantity);
    }
    auto axisTrace = [&](int kind) -> const CGraphTrace* {
        if (kind == kAxisCos)
            return traceOf(kCos);
        if (kind == kAxisThd)
            return traceOf(kThd);
        for (Curve c : kCurrents)
            if (const CGraphTrace* t = traceOf(c))
                return t;
        return nullptr;
    };
    std::vector<std::uint32_t> edges, kinds;
    auto axis = [&](int kind, bool grid) {
        const CGraphTrace* trace = axisTrace(kind);
        if (!trace)
            return;
        CGraphRect r{plot.left, plot.top, plot.left, plot.bottom};
        if (kind == kAxisCos)
            painter.DrawPowerFactorAxis(*trace, r, grid, gridRight, Y0(), Y1());
        else
            painter.DrawValueAxis(*trace, r, grid, gridRight, Y0(), Y1(), 1.0f);
        plot.left = r.right;
        edges.push_back(std::uint32_t(r.right));
        kinds.push_back(std::uint32_t(kind));
        last = trace;
    };
    for (int kind : {kAxisCos, kAxisCurrent, kAxisThd})
        if (!Grid() || kind != quantity)
            axis(kind, false);
    if (Grid())
        axis(quantity, true);
    if (!print)
        SetColumns(edges, kinds);
    return plot;
}

bool CQuantityGraphWnd::EditQuantities()
{
    return EditQorinGraph(this, *this);
}

} // namespace controllers
