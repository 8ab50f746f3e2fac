#pragma once

#include "platform/Time32.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

// One point of a trace in the graph's logical coordinates: x on 0..30000
// across the time axis, y on 1..15001 down the value axis. A gap is (-1, -1).
struct CGraphPoint {
    std::int32_t x = -1;
    std::int32_t y = -1;
    bool IsGap() const { return x == -1 && y == -1; }
    bool operator==(const CGraphPoint&) const = default;
};

// A new time base that would put points far before its origin: the caller
// rebuilds the trace from its records.
class CGraphTraceRangeError : public std::runtime_error {
public:
    CGraphTraceRangeError() : std::runtime_error("graph point before the time origin") {}
};

// What a painter keeps with a trace between paints to draw it again
// quickly (the painter's own kind). It lives and dies with its trace; a copy
// of the trace starts without one.
class CGraphTracePaintCache {
public:
    virtual ~CGraphTracePaintCache() = default;
};

// One graph series. Its points sit in three channels (oldest first), so a
// live graph can drop its oldest third without touching the rest; every
// point is already scaled into the series' time base and value range.
class CGraphTrace {
public:
    static constexpr int kChannels = 3;
    static constexpr int kWidth = 30000;
    static constexpr int kHeight = 15000;
    static constexpr std::int32_t kAboveRangeY = 0;
    static constexpr std::int32_t kBelowRangeY = 16000;

    CGraphTrace(QString name, QString unit, QString group, std::uint32_t colour, float defaultMaximum,
                float defaultMinimum);

    const QString& Name() const { return m_name; }
    const QString& Unit() const { return m_unit; }
    // `divisor`: what the unit's prefix stands for (1000 for "kV"). Points
    // and range stay in the base unit; the value axis shows them divided,
    // so its numbers always match the unit it names.
    void SetUnit(const QString& unit, double divisor = 1.0)
    {
        m_unit = unit;
        m_divisor = divisor > 0 ? divisor : 1.0;
    }
    double Divisor() const { return m_divisor; }
    const QString& Group() const { return m_group; }
    std::uint32_t Colour() const { return m_colour; }
    void SetColour(std::uint32_t colour) { m_colour = colour; }
    int Option() const { return m_absolute; }
    void SetOption(int absolute) { m_absolute = absolute; }

    float Maximum() const { return m_max; }
    float Minimum() const { return m_min; }
    float DefaultMaximum() const { return m_defaultMax; }
    float DefaultMinimum() const { return m_defaultMin; }
    void SetDefaultRange(float maximum, float minimum)
    {
        m_defaultMax = maximum;
        m_defaultMin = minimum;
    }
    platform::CTime Origin() const { return m_origin; }
    int Span() const { return m_span; }
    bool GapFlag() const { return m_gapFlag; }

    // The current value range; with `rescale` the stored points move from the
    // old range to the new one (gaps stay gaps).
    void SetRange(float maximum, float minimum, bool rescale);
    // The time base; with `rescale` the stored points move to it. Throws
    // CGraphTraceRangeError, points unchanged, when a point would lie more
    // than a tenth of a unit before the new origin.
    void Rescale(platform::CTime origin, int span, bool rescale);
    // When the third channel holds points: the oldest channel goes and the
    // other two move down, leaving the third empty.
    void RollChannels();

    // Empties the channel and makes room for `count` points, all gaps.
    void SetPointCount(int channel, int count);
    // Points out of the channel's room are ignored.
    void SetPoint(int channel, int index, platform::CTime time, double value);
    // `flag`: the missing value must not be bridged by later hold points.
    void SetGap(int channel, int index, bool flag);
    // The last valid value before the point, searched back into older
    // channels, at this time; a gap when there is none or the gap flag is set.
    void SetHoldPoint(int channel, int index, platform::CTime time);
    void FreePoints();
    // Thins every channel out for drawing: each run of gaps becomes one gap,
    // and each group of up to 2 × `perColumn` points between gaps becomes
    // its highest and lowest point in order of x (one point when they are
    // level).
    void Decimate(int perColumn);

    const std::vector<CGraphPoint>& Points(int channel) const;
    // Changes with every change of the points, unique across all traces, so
    // that a drawing cache keyed by it never mistakes one trace's points for
    // another's.
    std::uint64_t Revision() const { return m_revision; }
    // The value a stored y stands for in the current range.
    double ValueOfY(std::int32_t y) const;

    // The painter's cache of this trace, none until a painter sets one.
    CGraphTracePaintCache* PaintCache() const { return m_paintCache.cache.get(); }
    void SetPaintCache(std::unique_ptr<CGraphTracePaintCache> cache) const { m_paintCache.cache = std::move(cache); }

private:
    std::int32_t XOf(platform::CTime time) const;
    std::int32_t YOf(double value) const;
    bool ValidSlot(int channel, int index) const;
    void Touch();

    QString m_name;
    QString m_unit;
    double m_divisor = 1.0;
    QString m_group;
    std::uint32_t m_colour = 0;
    int m_absolute = 0;
    float m_max = 0;
    float m_min = 0;
    float m_defaultMax = 0;
    float m_defaultMin = 0;
    platform::CTime m_origin;
    int m_span = 0;
    bool m_gapFlag = false;
    std::array<std::vector<CGraphPoint>, kChannels> m_points;
    std::uint64_t m_revision = 0;
    // Belongs to this trace's points: copies and assignments leave it out.
    struct PaintCacheSlot {
        std::unique_ptr<CGraphTracePaintCache> cache;
        PaintCacheSlot() = default;
        PaintCacheSlot(const PaintCacheSlot&) {}
        PaintCacheSlot(PaintCacheSlot&&) noexcept {}
        PaintCacheSlot& operator=(const PaintCacheSlot&)
        {
            cache.reset();
            return *this;
        }
        PaintCacheSlot& operator=(PaintCacheSlot&&) noexcept
        {
            cache.reset();
            return *this;
        }
        ~PaintCacheSlot() = default;
    };
    mutable PaintCacheSlot m_paintCache;
};
