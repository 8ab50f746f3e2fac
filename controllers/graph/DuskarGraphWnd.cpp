#include "controllers/graph/DuskarGraphWnd.h"

#include "archive/store/DuskarArchivData.h"
#include "charts/GraphPainter.h"
#include "controllers/graph/DuskarDisplayDlg.h"

#include <algorithm>

namespace controllers {

namespace {

constexpr std::uint32_t Rgb(int r, int g, int b)
{
    return std::uint32_t(r) | (std::uint32_t(g) << 8) | (std::uint32_t(b) << 16);
}

enum Group { kGroupU = 0, kGroupI = 1, kGroupPF = 2, kGroupF = 3, kGroupT = 4, kGroupP = 5, kGroupThd = 6 };

const CDuskarGraphWnd::Quantity kQuantities[CDuskarGraphWnd::kQuantityCount] = {
    {"Cos", Rgb(255, 0, 0), true, kGroupPF, 2, "PF,cos"},
    {"U", Rgb(255, 128, 0), true, kGroupU, 0, "U"},
    {"Fr", Rgb(255, 128, 255), false, kGroupF, 3, "Fr"},
    {"Pac", Rgb(0, 128, 0), true, kGroupP, 4, "P"},
    {"Pre", Rgb(117, 193, 2), true, kGroupP, 4, "P"},
    {"dPre", Rgb(209, 239, 110), false, kGroupP, 4, "P"},
    {"Ieff", Rgb(8, 34, 137), true, kGroupI, 1, "I"},
    {"Iact", Rgb(32, 95, 220), false, kGroupI, 1, "I"},
    {"Irea", Rgb(87, 125, 235), false, kGroupI, 1, "I"},
    {"dIrea", Rgb(159, 184, 250), false, kGroupI, 1, "I"},
    {"THDI", Rgb(237, 222, 24), false, kGroupThd, 5, "THD"},
    {"THDU", Rgb(137, 93, 11), false, kGroupThd, 5, "THD"},
    {"CHL", Rgb(71, 140, 136), false, kGroupThd, 5, "THD"},
    {"T", Rgb(0, 0, 0), false, kGroupT, 6, "T"},
};

QString Name(int index)
{
    return QString::fromLatin1(kQuantities[index].name);
}

} // namespace

const CDuskarGraphWnd::Quantity& CDuskarGraphWnd::QuantityAt(int index)
{
    return kQuantities[std::clamp(index, 0, kQuantityCount - 1)];
}

CDuskarGraphWnd::CDuskarGraphWnd(QWidget* parent)
    : CControllerGraphWnd({5, "Obecne nastaveni Duskar", "duskar", true, true, true, kGroupCount - 1}, parent)
{
    for (int i = 0; i < kQuantityCount; ++i)
        m_colours[std::size_t(i)] = kQuantities[i].colour;
}

CDuskarGraphWnd::~CDuskarGraphWnd() = default;

bool CDuskarGraphWnd::CompactStages() const
{
    const auto* store = dynamic_cast<const CDuskarArchivData*>(m_data);
    return store && store->IsModel19Or21();
}

QString CDuskarGraphWnd::UnitOf(int index) const
{
    const auto* store = dynamic_cast<const CDuskarArchivData*>(m_data);
    float ratio = 1;
    QString format;
    int multiplier = 1;
    switch (kQuantities[index].group) {
    case kGroupU:
        if (store)
            store->GetScaleU(ratio, format, multiplier);
        return multiplier == 1 ? QStringLiteral("V") : QStringLiteral("kV");
    case kGroupI:
        if (store)
            store->GetScaleI(ratio, format, multiplier);
        return multiplier == 1 ? QStringLiteral("A") : QStringLiteral("kA");
    case kGroupP:
        if (store)
            store->GetScalePower(format, multiplier);
        return multiplier == 1 ? QStringLiteral("W,var") : multiplier == 1000 ? QStringLiteral("kW,kvar")
                                                                              : QStringLiteral("MW,Mvar");
    case kGroupPF: return QStringLiteral("1");
    case kGroupF: return QStringLiteral("Hz");
    case kGroupT: return QStringLiteral("C");
    default: return QStringLiteral("%");
    }
}

void CDuskarGraphWnd::CurveRange(int index, double& minimum, double& maximum) const
{
    minimum = 0;
    maximum = 1;
    if (!m_data)
        return;
    const auto* store = dynamic_cast<const CDuskarArchivData*>(m_data);
    double factor = 1.0;
    const int group = kQuantities[index].group;
    if (store && group == kGroupU)
        factor = store->GetRatioU();
    else if (store && group == kGroupI)
        factor = store->GetRatioI();
    else if (store && group == kGroupP)
        factor = double(store->GetRatioU()) * double(store->GetRatioI());
    const int category = kQuantities[index].category;
    if (!m_data->ScaleCategories().GetEffectiveRange(category, 5, minimum, maximum, factor))
        CScaleCategories(5).GetEffectiveRange(category, 5, minimum, maximum, factor);
    if (group == kGroupP && !m_importExport)
        minimum = std::max(0.0, minimum);
}

bool CDuskarGraphWnd::SetCurve(int index, int shown, std::uint32_t colour)
{
    if (index < 0 || index >= kQuantityCount)
        return false;
    m_colours[std::size_t(index)] = colour;
    if (!m_data)
        return false;
    shown = shown ? 1 : 0;
    double minimum = 0, maximum = 0;
    CurveRange(index, minimum, maximum);
    CArchivSeriesRegistry& registry = m_data->SeriesRegistry();
    const QString name = Name(index);
    const bool power = kQuantities[index].group == kGroupP;
    auto add = [&] {
        registry.AddGraphSeries(name, UnitOf(index), QString::fromLatin1(kQuantities[index].caption), colour,
                                float(maximum), float(minimum));
        if (power)
            registry.SetSeriesOption(name, m_importExport ? 0 : 1);
    };
    if (shown != m_shown[std::size_t(index)]) {
        if (shown)
            add();
        else
            registry.RemoveGraphSeries(name);
        m_shown[std::size_t(index)] = shown;
        return true;
    }
    if (!shown)
        return false;
    if (!registry.FindGraphSeries(name)) {
        add();
        return true;
    }
    registry.SetSeriesScale(name, minimum, maximum);
    registry.SetSeriesColour(name, colour);
    if (power)
        registry.SetSeriesOption(name, m_importExport ? 0 : 1);
    return false;
}

bool CDuskarGraphWnd::GetCurve(int index, int& shown, std::uint32_t& colour) const
{
    if (!m_data || index < 0 || index >= kQuantityCount)
        return false;
    StoredCurveState(index, shown, colour);
    return true;
}

int CDuskarGraphWnd::StoredCurveCount() const
{
    return kQuantityCount;
}

CControllerGraphWnd::StoredCurve CDuskarGraphWnd::StoredCurveAt(int i) const
{
    return {Name(i), QStringLiteral("barva ") + Name(i), QStringLiteral("is") + Name(i), kQuantities[i].colour,
            kQuantities[i].shown ? 1 : 0};
}

void CDuskarGraphWnd::ShowStoredCurve(int i, int shown, std::uint32_t colour)
{
    SetCurve(i, shown, colour);
}

bool CDuskarGraphWnd::StoredCurveVisible(int i) const
{
    return m_shown[std::size_t(i)] != 0;
}

std::uint32_t CDuskarGraphWnd::StoredCurveColour(int i) const
{
    return m_colours[std::size_t(i)];
}

void CDuskarGraphWnd::GetLegend(std::array<int, kQuantityCount>& shown,
                                std::array<std::uint32_t, kQuantityCount>& colours) const
{
    for (int i = 0; i < kQuantityCount; ++i) {
        shown[std::size_t(i)] = 0;
        colours[std::size_t(i)] = m_colours[std::size_t(i)];
        GetCurve(i, shown[std::size_t(i)], colours[std::size_t(i)]);
    }
}

void CDuskarGraphWnd::RescaleLive()
{
    auto* store = dynamic_cast<CDuskarArchivData*>(m_data);
    if (!store)
        return;
    const BOOL current = store->RescaleCurrentSeries(m_importExport);
    const BOOL voltage = store->RescaleVoltageSeries(m_importExport);
    if ((current || voltage) && store->HasNewData())
        m_data->PublishToGraphs();
}

int CDuskarGraphWnd::CorrectGridQuantity(int group) const
{
    int first = -1;
    for (int i = 0; i < kQuantityCount; ++i) {
        if (!m_shown[std::size_t(i)] || !m_data->SeriesRegistry().FindGraphSeries(Name(i)))
            continue;
        if (kQuantities[i].group == group)
            return group;
        if (first < 0)
            first = kQuantities[i].group;
    }
    return first < 0 ? group : first;
}

CGraphRect CDuskarGraphWnd::DrawAxes(CGraphPainter& painter, CGraphRect plot, int gridRight, bool print,
                                     const CGraphTrace*& last)
{
    const CArchivSeriesRegistry& registry = m_data->SeriesRegistry();
    auto traceOf = [&](int i) { return m_shown[std::size_t(i)] ? registry.FindGraphSeries(Name(i)) : nullptr; };
    int current = GridQuantity();
    if (Grid()) {
        current = CorrectGridQuantity(current);
        if (!print)
            SetGridQuantity(current);
    }
    std::vector<std::uint32_t> edges, groups;
    auto axis = [&](int i, bool grid) {
        const CGraphTrace& trace = *traceOf(i);
        CGraphRect r{plot.left, plot.top, plot.left, plot.bottom};
        if (kQuantities[i].group == kGroupPF)
            painter.DrawPowerFactorAxis(trace, r, grid, gridRight, Y0(), Y1());
        else
            painter.DrawValueAxis(trace, r, grid, gridRight, Y0(), Y1(), 1.0f);
        plot.left = r.right;
        edges.push_back(std::uint32_t(r.right));
        groups.push_back(std::uint32_t(kQuantities[i].group));
        last = &trace;
    };
    std::array<bool, kGroupCount> drawn{};
    for (int i = 0; i < kQuantityCount; ++i) {
        const int g = kQuantities[i].group;
        if (!traceOf(i) || drawn[std::size_t(g)])
            continue;
        drawn[std::size_t(g)] = true;
        if (!(Grid() && g == current))
            axis(i, false);
    }
    if (Grid())
        for (int i = 0; i < kQuantityCount; ++i)
            if (traceOf(i) && kQuantities[i].group == current) {
                axis(i, true);
                break;
            }
    if (!print)
        SetColumns(edges, groups);
    return plot;
}

bool CDuskarGraphWnd::EditQuantities()
{
    return EditDuskarGraph(this, *this);
}

} // namespace controllers
