#include "charts_core/GraphTrace.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <utility>

namespace {

// A range of no height would divide by zero; such a series is drawn flat.
double Height(double maximum, double minimum)
{
    const double h = maximum - minimum;
    return h != 0.0 ? h : 1.0;
}

std::int32_t Clamp32(double v)
{
    v = std::clamp(v, -2147483647.0, 2147483647.0);
    return std::int32_t(v);
}

std::atomic<std::uint64_t> g_revisions{0};

} // namespace

void CGraphTrace::Touch()
{
    m_revision = g_revisions.fetch_add(1, std::memory_order_relaxed) + 1;
}

CGraphTrace::CGraphTrace(QString name, QString unit, QString group, std::uint32_t colour, float defaultMaximum,
                         float defaultMinimum)
    : m_name(std::move(name))
    , m_unit(std::move(unit))
    , m_group(std::move(group))
    , m_colour(colour)
    , m_max(defaultMaximum)
    , m_min(defaultMinimum)
    , m_defaultMax(defaultMaximum)
    , m_defaultMin(defaultMinimum)
{
    Touch();
}

double CGraphTrace::ValueOfY(std::int32_t y) const
{
    return double(m_max) - double(y - 1) * Height(m_max, m_min) / kHeight;
}

void CGraphTrace::SetRange(float maximum, float minimum, bool rescale)
{
    if (rescale) {
        const double newHeight = Height(maximum, minimum);
        for (auto& channel : m_points)
            for (auto& p : channel) {
                if (p.IsGap())
                    continue;
                const double value = ValueOfY(p.y);
                p.y = Clamp32((double(maximum) - value) * kHeight / newHeight + 1.0);
            }
    }
    m_max = maximum;
    m_min = minimum;
    Touch();
}

void CGraphTrace::Rescale(platform::CTime origin, int span, bool rescale)
{
    if (rescale) {
        const double oldSpan = std::max(m_span, 1);
        const double newSpan = std::max(span, 1);
        const double shift = double(std::int64_t(m_origin.GetTime()) - std::int64_t(origin.GetTime()));
        auto moved = m_points;
        for (auto& channel : moved)
            for (auto& p : channel) {
                if (p.IsGap())
                    continue;
                // The tolerance is a tenth of a second whatever the window:
                // a point stored a fraction of a second before the new start
                // (x is truncated) still belongs to the window.
                const double t = double(p.x) * oldSpan / kWidth + shift;
                if (t < -0.1)
                    throw CGraphTraceRangeError();
                p.x = Clamp32(std::max(t, 0.0) * kWidth / newSpan);
            }
        m_points = std::move(moved);
    }
    m_origin = origin;
    m_span = span;
    Touch();
}

void CGraphTrace::RollChannels()
{
    if (m_points[2].empty())
        return;
    m_points[0] = std::move(m_points[1]);
    m_points[1] = std::move(m_points[2]);
    m_points[2].clear();
    Touch();
}

void CGraphTrace::SetPointCount(int channel, int count)
{
    if (channel < 0 || channel >= kChannels)
        return;
    auto& points = m_points[std::size_t(channel)];
    points.clear();
    points.shrink_to_fit();
    if (count > 0)
        points.assign(std::size_t(count), CGraphPoint{});
    Touch();
}

bool CGraphTrace::ValidSlot(int channel, int index) const
{
    return channel >= 0 && channel < kChannels && index >= 0 &&
           std::size_t(index) < m_points[std::size_t(channel)].size();
}

std::int32_t CGraphTrace::XOf(platform::CTime time) const
{
    const double dt = double(std::int64_t(time.GetTime()) - std::int64_t(m_origin.GetTime()));
    return Clamp32(dt * kWidth / std::max(m_span, 1));
}

std::int32_t CGraphTrace::YOf(double value) const
{
    if (value > m_defaultMax)
        return kAboveRangeY;
    if (value < m_defaultMin)
        return kBelowRangeY;
    return Clamp32((double(m_max) - value) * kHeight / Height(m_max, m_min) + 1.0);
}

void CGraphTrace::SetPoint(int channel, int index, platform::CTime time, double value)
{
    if (!ValidSlot(channel, index))
        return;
    if (m_absolute)
        value = std::fabs(value);
    m_points[std::size_t(channel)][std::size_t(index)] = {XOf(time), YOf(value)};
    m_gapFlag = false;
    Touch();
}

void CGraphTrace::SetGap(int channel, int index, bool flag)
{
    if (!ValidSlot(channel, index))
        return;
    m_points[std::size_t(channel)][std::size_t(index)] = CGraphPoint{};
    if (flag)
        m_gapFlag = true;
    Touch();
}

void CGraphTrace::SetHoldPoint(int channel, int index, platform::CTime time)
{
    if (!ValidSlot(channel, index))
        return;
    Touch();
    auto& slot = m_points[std::size_t(channel)][std::size_t(index)];
    slot = CGraphPoint{};
    if (m_gapFlag)
        return;
    for (int c = channel; c >= 0; --c) {
        const auto& points = m_points[std::size_t(c)];
        for (std::size_t i = c == channel ? std::size_t(index) : points.size(); i-- > 0;) {
            if (!points[i].IsGap()) {
                slot = {XOf(time), points[i].y};
                return;
            }
        }
    }
}

void CGraphTrace::FreePoints()
{
    for (int c = 0; c < kChannels; ++c)
        SetPointCount(c, 0);
}

void CGraphTrace::Decimate(int perColumn)
{
    if (perColumn < 1)
        return;
    const std::size_t group = 2 * std::size_t(perColumn);
    for (auto& points : m_points) {
        if (points.empty())
            continue;
        // A run of gaps draws as one.
        std::vector<CGraphPoint> merged;
        merged.reserve(points.size());
        for (const CGraphPoint& p : points) {
            if (p.IsGap() && !merged.empty() && merged.back().IsGap())
                merged.back() = p;
            else
                merged.push_back(p);
        }
        std::vector<CGraphPoint> kept;
        std::size_t i = 0;
        while (i < merged.size()) {
            if (merged[i].IsGap()) {
                kept.push_back(merged[i++]);
                continue;
            }
            // The painter draws a group as one stroke from its top to its
            // bottom: only those two points matter.
            std::size_t top = i;
            std::size_t bottom = i;
            const std::size_t begin = i;
            for (; i < merged.size() && i - begin < group && !merged[i].IsGap(); ++i) {
                if (merged[i].y < merged[top].y)
                    top = i;
                if (merged[i].y > merged[bottom].y)
                    bottom = i;
            }
            if (merged[top].y == merged[bottom].y) {
                kept.push_back(merged[top]);
            } else {
                const CGraphPoint& a = merged[top];
                const CGraphPoint& b = merged[bottom];
                // In order of x; at the same x the lower point first.
                const bool bottomFirst = b.x <= a.x;
                kept.push_back(bottomFirst ? b : a);
                kept.push_back(bottomFirst ? a : b);
            }
        }
        kept.shrink_to_fit();
        points = std::move(kept);
    }
    Touch();
}

const std::vector<CGraphPoint>& CGraphTrace::Points(int channel) const
{
    static const std::vector<CGraphPoint> none;
    if (channel < 0 || channel >= kChannels)
        return none;
    return m_points[std::size_t(channel)];
}
