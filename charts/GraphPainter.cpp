#include "charts/GraphPainter.h"
#include "charts/SunkEdge.h"

#include "platform/StringTable.h"
#include "platform/ui/ProgramFonts.h"

#include <QFont>
#include <QFontMetrics>
#include <QLine>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>
#include <limits>
#include <memory>
#include <utility>

using platform::CTime;

QColor ColorFromRef(std::uint32_t colorRef)
{
    return QColor(int(colorRef & 0xFF), int((colorRef >> 8) & 0xFF), int((colorRef >> 16) & 0xFF));
}

void DrawSunkEdge(QPainter& painter, const QRect& frame)
{
    painter.setPen(QColor(0x20, 0x20, 0x20));
    painter.drawLine(frame.topLeft(), frame.topRight());
    painter.drawLine(frame.topLeft(), frame.bottomLeft());
    painter.setPen(QColor(0xE0, 0xE0, 0xE0));
    painter.drawLine(frame.bottomLeft(), frame.bottomRight());
    painter.drawLine(frame.topRight(), frame.bottomRight());
}

namespace {

constexpr int kWidth = CGraphTrace::kWidth;
constexpr int kHeight = CGraphTrace::kHeight;
constexpr double kStepTolerance = 0.00001;

int NonZero(int v) { return v != 0 ? v : 1; }

// Pixels of a trace, reduced to at most one stroke per pixel column: each
// column keeps its first, last, lowest and highest point; a column next to
// the previous one draws one vertical stroke that also reaches the previous
// column's last point, so a dense trace costs as many strokes as the plot
// has columns whatever the number of points. Points outside the clip
// collapse into one column on each side that only serves as the end of the
// line running into the plot.
class ColumnReducer {
public:
    ColumnReducer(double kx, double ox, double ky, double oy, int clipLeft, int clipRight, std::vector<QLine>& out)
        : m_kx(kx), m_ox(ox), m_ky(ky), m_oy(oy), m_clipLeft(clipLeft), m_clipRight(clipRight), m_out(out)
    {
    }

    int KeyOf(int dx) const { return std::clamp(dx, m_clipLeft - 1, m_clipRight + 1); }
    int KeyOfX(std::int32_t x) const { return KeyOf(MapX(x)); }

    // Points that all fall into one column, given by their first and last
    // point and their lowest and highest logical y.
    void FeedBulk(CGraphPoint first, CGraphPoint last, std::int32_t lowY, std::int32_t highY)
    {
        const int dx = MapX(first.x);
        const int key = KeyOf(dx);
        const int low = MapY(lowY);
        const int high = MapY(highY);
        if (m_open && key == m_col.key) {
            m_breakPending = false;
            m_col.lastX = MapX(last.x);
            m_col.lastY = MapY(last.y);
            m_col.minY = std::min(m_col.minY, low);
            m_col.maxY = std::max(m_col.maxY, high);
            return;
        }
        Close();
        m_col = {key, dx, MapY(first.y), MapX(last.x), MapY(last.y), low, high, 2};
        m_open = true;
    }

    void Feed(CGraphPoint p)
    {
        const int dx = MapX(p.x);
        const int dy = MapY(p.y);
        const int key = KeyOf(dx);
        if (m_open && key == m_col.key) {
            // A gap narrower than a pixel column cannot be seen; the line
            // goes on from the point after it.
            m_breakPending = false;
            m_col.lastX = dx;
            m_col.lastY = dy;
            m_col.minY = std::min(m_col.minY, dy);
            m_col.maxY = std::max(m_col.maxY, dy);
            ++m_col.points;
            return;
        }
        Close();
        m_col = {key, dx, dy, dx, dy, dy, dy, 1};
        m_open = true;
    }

    // The point the next run continues from, drawn already by an older
    // channel.
    void Seed(CGraphPoint p)
    {
        Close();
        m_prevX = MapX(p.x);
        m_prevY = MapY(p.y);
        m_prevKey = std::clamp(m_prevX, m_clipLeft - 1, m_clipRight + 1);
        m_prevValid = true;
    }

    // A gap: no line crosses it. The column stays open in case the next
    // point falls into it too.
    void Break() { m_breakPending = true; }

    void Finish() { Close(); }

private:
    struct Column {
        int key = 0;
        int firstX = 0;
        int firstY = 0;
        int lastX = 0;
        int lastY = 0;
        int minY = 0;
        int maxY = 0;
        int points = 0;
    };

    int MapX(std::int32_t x) const
    {
        const double v = std::clamp(double(x) * m_kx + m_ox + 1e-6, -1e7, 1e7);
        return int(std::floor(v));
    }
    int MapY(std::int32_t y) const
    {
        const double v = std::clamp(double(y) * m_ky + m_oy + 1e-6, -1e7, 1e7);
        return int(std::floor(v));
    }

    void Close()
    {
        if (!m_open) {
            if (m_breakPending)
                m_prevValid = false;
            m_breakPending = false;
            return;
        }
        m_open = false;
        const Column& c = m_col;
        if (c.key < m_clipLeft) {
            // Left of the plot: only the line into it is drawn, later.
        } else if (c.key > m_clipRight) {
            if (m_prevValid)
                m_out.emplace_back(m_prevX, m_prevY, c.firstX, c.firstY);
        } else if (m_prevValid && m_prevKey == c.key - 1 && m_prevKey >= m_clipLeft) {
            const int low = std::min(c.minY, m_prevY);
            const int high = std::max(c.maxY, m_prevY);
            if (low == high)
                m_out.emplace_back(c.key - 1, low, c.key, low);
            else
                m_out.emplace_back(c.key, low, c.key, high);
        } else {
            if (m_prevValid)
                m_out.emplace_back(m_prevX, m_prevY, c.key, c.firstY);
            if (c.minY != c.maxY)
                m_out.emplace_back(c.key, c.minY, c.key, c.maxY);
            else if (!m_prevValid)
                m_out.emplace_back(c.key, c.minY, c.key + 1, c.minY); // a lone point stays visible
        }
        m_prevX = c.key < m_clipLeft || c.key > m_clipRight ? c.lastX : c.key;
        m_prevY = c.lastY;
        m_prevKey = c.key;
        m_prevValid = !m_breakPending;
        m_breakPending = false;
    }

    double m_kx;
    double m_ox;
    double m_ky;
    double m_oy;
    int m_clipLeft;
    int m_clipRight;
    std::vector<QLine>& m_out;
    Column m_col;
    bool m_open = false;
    bool m_breakPending = false;
    bool m_prevValid = false;
    int m_prevX = 0;
    int m_prevY = 0;
    int m_prevKey = 0;
};

const CGraphPoint* LastOf(const std::vector<CGraphPoint>& v) { return v.empty() ? nullptr : &v.back(); }

// What lets a long channel be drawn in time that grows with the plot's
// columns, not with its points: the x of every point (a gap takes the x
// before it), and the lowest and highest y of buckets of 16, 256, ...
// points. Built once per change of the trace and kept between paints.
struct ColumnIndex {
    static constexpr std::size_t kFan = 16;
    std::uint64_t revision = 0;
    const CGraphPoint* data = nullptr;
    std::size_t size = 0;
    bool ordered = true; // x never falls back
    std::vector<std::int32_t> x;
    std::vector<std::int32_t> bucketX; // x at the start of each bucket of kFan points
    std::vector<std::vector<std::int32_t>> low;
    std::vector<std::vector<std::int32_t>> high;

    void Build(const std::vector<CGraphPoint>& points)
    {
        constexpr std::int32_t kNone = std::numeric_limits<std::int32_t>::min();
        data = points.data();
        size = points.size();
        x.resize(size);
        ordered = true;
        std::int32_t last = kNone;
        for (std::size_t i = 0; i < size; ++i) {
            if (points[i].y >= 0) {
                ordered = ordered && points[i].x >= last;
                last = points[i].x;
            }
            x[i] = last;
        }
        bucketX.clear();
        for (std::size_t i = 0; i < size; i += kFan)
            bucketX.push_back(x[i]);
        low.clear();
        high.clear();
        // Level 0 from the points (a gap counts for nothing), each next
        // level from the one below.
        std::vector<std::int32_t> lo;
        std::vector<std::int32_t> hi;
        for (std::size_t b = 0; b * kFan < size; ++b) {
            std::int32_t l = std::numeric_limits<std::int32_t>::max();
            std::int32_t h = kNone;
            for (std::size_t i = b * kFan; i < std::min(size, (b + 1) * kFan); ++i)
                if (points[i].y >= 0) {
                    l = std::min(l, points[i].y);
                    h = std::max(h, points[i].y);
                }
            lo.push_back(l);
            hi.push_back(h);
        }
        while (lo.size() > 1) {
            low.push_back(lo);
            high.push_back(hi);
            std::vector<std::int32_t> nextLo;
            std::vector<std::int32_t> nextHi;
            for (std::size_t b = 0; b * kFan < lo.size(); ++b) {
                const std::size_t end = std::min(lo.size(), (b + 1) * kFan);
                nextLo.push_back(*std::min_element(lo.begin() + std::ptrdiff_t(b * kFan), lo.begin() + std::ptrdiff_t(end)));
                nextHi.push_back(*std::max_element(hi.begin() + std::ptrdiff_t(b * kFan), hi.begin() + std::ptrdiff_t(end)));
            }
            lo = std::move(nextLo);
            hi = std::move(nextHi);
        }
        low.push_back(std::move(lo));
        high.push_back(std::move(hi));
    }

    // Lowest and highest y of the points [from, to), gaps left out: single
    // points up to a bucket boundary, then ever larger buckets, then
    // smaller ones again towards the end.
    void Range(const CGraphPoint* points, std::size_t from, std::size_t to, std::int32_t& l, std::int32_t& h) const
    {
        l = std::numeric_limits<std::int32_t>::max();
        h = std::numeric_limits<std::int32_t>::min();
        std::size_t i = from;
        auto point = [&] {
            if (points[i].y >= 0) {
                l = std::min(l, points[i].y);
                h = std::max(h, points[i].y);
            }
            ++i;
        };
        auto bucket = [&](std::size_t level, std::size_t width) {
            l = std::min(l, low[level][i / width]);
            h = std::max(h, high[level][i / width]);
            i += width;
        };
        while (i < to && i % kFan != 0)
            point();
        std::size_t level = 0;
        std::size_t width = kFan;
        // Up while a bigger bucket would still fit.
        while (level + 1 < low.size() && i + width * kFan <= to) {
            while (i % (width * kFan) != 0)
                bucket(level, width);
            ++level;
            width *= kFan;
        }
        // Down to the end.
        for (;;) {
            while (i + width <= to)
                bucket(level, width);
            if (level == 0)
                break;
            --level;
            width /= kFan;
        }
        while (i < to)
            point();
    }
};

bool g_useColumnIndex = true;

// The strokes of the last paint of a long trace, with what they were made
// from: a repaint of an unchanged trace in an unchanged window draws them
// again without reading a point.
struct StrokeMemo {
    std::uint64_t revision = 0;
    std::array<int, 14> view{};
    std::vector<QLine> lines;
};

// What the painter keeps with each trace it drew: the column index of each
// channel and the last strokes. The trace owns it, so it goes with the trace.
struct TracePaintCache : CGraphTracePaintCache {
    std::array<ColumnIndex, CGraphTrace::kChannels> indexes;
    StrokeMemo memo;
};

TracePaintCache& CacheOf(const CGraphTrace& trace)
{
    if (auto* cache = dynamic_cast<TracePaintCache*>(trace.PaintCache()))
        return *cache;
    auto cache = std::make_unique<TracePaintCache>();
    TracePaintCache& result = *cache;
    trace.SetPaintCache(std::move(cache));
    return result;
}

const ColumnIndex* IndexOf(const CGraphTrace& trace, int channel)
{
    const auto& points = trace.Points(channel);
    ColumnIndex& index = CacheOf(trace).indexes[std::size_t(channel)];
    if (index.data == points.data() && index.size == points.size() && index.revision == trace.Revision() &&
        index.data)
        return &index;
    index.Build(points);
    index.revision = trace.Revision();
    return &index;
}

StrokeMemo& MemoOf(const CGraphTrace& trace)
{
    return CacheOf(trace).memo;
}

// Feeds a channel column by column: a binary search finds where each column
// ends, the index gives its lowest and highest point.
void FeedIndexed(ColumnReducer& reducer, const std::vector<CGraphPoint>& points, const ColumnIndex& index)
{
    const std::size_t n = points.size();
    std::size_t i = 0;
    while (i < n) {
        if (points[i].y < 0) {
            reducer.Break();
            ++i;
            continue;
        }
        const int key = reducer.KeyOfX(points[i].x);
        // The column ends near where it starts: gallop forward over the
        // buckets' first points, then halve, then look inside the one
        // bucket (a few cache lines instead of a search over the channel).
        auto firstBeyond = [&](const std::vector<std::int32_t>& xs, std::size_t lo, std::size_t hi) {
            for (std::size_t step = 1; lo + step < hi; step *= 2) {
                if (reducer.KeyOfX(xs[lo + step]) > key) {
                    hi = lo + step;
                    break;
                }
                lo = lo + step + 1;
            }
            lo = std::min(lo, hi);
            while (lo < hi) {
                const std::size_t mid = lo + (hi - lo) / 2;
                if (reducer.KeyOfX(xs[mid]) > key)
                    hi = mid;
                else
                    lo = mid + 1;
            }
            return lo;
        };
        const std::size_t bucket = firstBeyond(index.bucketX, i / ColumnIndex::kFan + 1, index.bucketX.size());
        const std::size_t lo = std::max(i + 1, (bucket - 1) * ColumnIndex::kFan);
        const std::size_t hi = std::min(n, bucket * ColumnIndex::kFan);
        std::size_t first = lo;
        while (first < hi && reducer.KeyOfX(index.x[first]) <= key)
            ++first;
        const std::size_t end = first;
        // The next column most likely takes as many points as this one:
        // fetch its memory while this one is drawn.
        const std::size_t next = end + (end - i);
        if (next + ColumnIndex::kFan < n) {
            __builtin_prefetch(&points[next]);
            __builtin_prefetch(&points[next + ColumnIndex::kFan / 2]);
            __builtin_prefetch(&points[next - 1]);
            __builtin_prefetch(&index.x[next]);
            __builtin_prefetch(&index.low[0][next / ColumnIndex::kFan]);
            __builtin_prefetch(&index.high[0][next / ColumnIndex::kFan]);
        }
        std::size_t last = end - 1;
        while (points[last].y < 0)
            --last;
        std::int32_t low = 0;
        std::int32_t high = 0;
        index.Range(points.data(), i, end, low, high);
        reducer.FeedBulk(points[i], points[last], low, high);
        if (last != end - 1)
            reducer.Break();
        i = end;
    }
}

} // namespace

void CGraphPainter::UseColumnIndex(bool on)
{
    g_useColumnIndex = on;
}

CGraphPainter::CGraphPainter(QPainter* painter, const QFont* labelFont, const QFont* titleFont)
    : m_painter(painter), m_labelFont(labelFont), m_titleFont(titleFont ? titleFont : labelFont)
{
    m_painter->save();
    if (m_labelFont)
        m_painter->setFont(*m_labelFont);
    const QFontMetrics metrics(m_painter->font(), m_painter->device());
    m_charWidth = std::max(1, metrics.averageCharWidth());
    m_textHeight = std::max(1, metrics.height());
}

CGraphPainter::~CGraphPainter()
{
    m_painter->restore();
}

void CGraphPainter::SetViewport(int left, int top, int right, int bottom, int x0, int y0, int x1, int y1)
{
    const int w = right - left;
    const int h = bottom - top;
    const int spanX = NonZero(x1 - x0);
    const int spanY = NonZero(y1 - y0);
    m_vpExtX = w;
    m_vpExtY = h;
    m_vpOriginX = int(left - std::int64_t(w) * x0 / spanX);
    m_vpOriginY = int(top - std::int64_t(h) * (1000 - y1) / spanY - 1);
    m_winExtX = NonZero(spanX * kWidth / 1000);
    m_winExtY = NonZero(spanY * kHeight / 1000);
    m_mapped = true;
    m_clip = {left - 2, top + 1, right + 2, bottom + 2};
    m_painter->setClipRect(m_clip.ToQRect());
}

void CGraphPainter::DeleteClipRegion()
{
    m_painter->setClipping(false);
}

QPoint CGraphPainter::LogicalToDevice(int x, int y) const
{
    return QPoint(int(m_vpOriginX + std::int64_t(x) * m_vpExtX / m_winExtX),
                  int(m_vpOriginY + std::int64_t(y) * m_vpExtY / m_winExtY));
}

void CGraphPainter::DrawTrace(const CGraphTrace& trace, int x0, int y0, int x1, int y1)
{
    m_segments = 0;
    const auto& c1 = trace.Points(0);
    const auto& c2 = trace.Points(1);
    const auto& c3 = trace.Points(2);
    if (c1.empty() && c2.empty() && c3.empty())
        return;
    const std::int32_t from = 30 * x0;
    const std::int32_t to = 30 * x1;

    // Which channels reach into the window, and where each one's line
    // starts: at the last point of the channel before it.
    const bool draw1 = !c1.empty() && (c1.back().x > from || c1.back().x == -1);
    const bool draw2 = !c2.empty() && (c2.back().x >= from || c2.back().x == -1) && c2.front().x <= to;
    const bool draw3 = !c3.empty() && c3.front().x < to;
    const std::array<const std::vector<CGraphPoint>*, 3> channels{&c1, &c2, &c3};
    const std::array<bool, 3> drawn{draw1, draw2, draw3};
    const std::array<const CGraphPoint*, 3> starts{nullptr, LastOf(c1), LastOf(c2) ? LastOf(c2) : LastOf(c1)};

    const double kx = double(m_vpExtX) / m_winExtX;
    const double ky = double(m_vpExtY) / m_winExtY;
    const std::size_t total = c1.size() + c2.size() + c3.size();
    const bool memoised = g_useColumnIndex && total > std::size_t(4 * std::max(m_clip.Width(), 64));
    const std::array<int, 14> view{m_vpOriginX, m_vpOriginY, m_vpExtX,      m_vpExtY,    m_winExtX,
                                   m_winExtY,   m_clip.left, m_clip.right, m_clip.top,  m_clip.bottom,
                                   x0,          y0,          x1,           y1};
    StrokeMemo* memo = memoised ? &MemoOf(trace) : nullptr;
    if (memo && memo->revision == trace.Revision() && memo->view == view) {
        DrawStrokes(trace, memo->lines, x0, y0, x1, y1);
        return;
    }
    std::vector<QLine> lines;
    lines.reserve(std::size_t(std::max(16, 2 * (m_clip.Width() + 2))));
    ColumnReducer reducer(kx, m_vpOriginX, ky, m_vpOriginY, m_clip.left, m_clip.right - 1, lines);
    bool continuous = false;
    for (std::size_t k = 0; k < channels.size(); ++k) {
        if (!drawn[k]) {
            reducer.Break();
            continuous = false;
            continue;
        }
        if (!continuous && starts[k] && starts[k]->y >= 0)
            reducer.Seed(*starts[k]);
        continuous = true;
        // Short channels are cheaper to walk than to index.
        if (g_useColumnIndex && channels[k]->size() > std::size_t(4 * std::max(m_clip.Width(), 64))) {
            const ColumnIndex* index = IndexOf(trace, int(k));
            if (index->ordered) {
                FeedIndexed(reducer, *channels[k], *index);
                continue;
            }
        }
        for (const CGraphPoint& p : *channels[k]) {
            if (p.y < 0)
                reducer.Break();
            else
                reducer.Feed(p);
        }
    }
    reducer.Finish();

    DrawStrokes(trace, lines, x0, y0, x1, y1);
    if (memo) {
        memo->revision = trace.Revision();
        memo->view = view;
        memo->lines = std::move(lines);
    }
}

void CGraphPainter::DrawStrokes(const CGraphTrace& trace, const std::vector<QLine>& lines, int x0, int y0, int x1,
                                int y1)
{
    const int logicalWidth = std::max(1, ((x1 - x0) + (y1 - y0)) / 5000);
    const int penWidth = int(std::lround(logicalWidth * double(m_vpExtX) / m_winExtX));
    QPen pen(ColorFromRef(trace.Colour()));
    pen.setWidth(std::max(penWidth, 0) <= 1 ? 0 : penWidth);
    m_painter->save();
    m_painter->setPen(pen);
    m_painter->setRenderHint(QPainter::Antialiasing, false);
    m_painter->drawLines(lines.data(), int(lines.size()));
    m_painter->restore();
    m_segments = int(lines.size());
}

void CGraphPainter::DrawMarkerLine(int x, int windowWidth)
{
    const int logicalWidth = windowWidth / 30 + 1;
    const int width = int(std::lround(logicalWidth * double(m_vpExtX) / m_winExtX));
    m_painter->save();
    QPen pen(ColorFromRef(kMarkerColour));
    pen.setWidth(width <= 1 ? 0 : width);
    pen.setCapStyle(Qt::FlatCap);
    m_painter->setPen(pen);
    // The marker darkens what lies under it instead of covering it.
    if (m_painter->paintEngine() && m_painter->paintEngine()->hasFeature(QPaintEngine::RasterOpModes))
        m_painter->setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    m_painter->drawLine(LogicalToDevice(x, kHeight), LogicalToDevice(x, 0));
    m_painter->restore();
}

void CGraphPainter::DrawTextIn(const CGraphRect& r, int flags, const QString& text)
{
    m_painter->drawText(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), flags | Qt::TextSingleLine, text);
}

CGraphPainter::AxisStep CGraphPainter::ComputeAxisStep(double range, int maxTicks)
{
    static constexpr std::array<double, 3> kMantissa{1.0, 2.0, 5.0};
    AxisStep result;
    if (maxTicks <= 0 || !std::isfinite(range) || range <= 0) {
        result.step = kStepTolerance;
        return result;
    }
    // 1, 2, 5 x 10^k from 0.00001 up; bounded so that no range can loop.
    for (int i = 0; i < 3 * 40; ++i) {
        const double step = kMantissa[std::size_t(i % 3)] * std::pow(10.0, -5 + i / 3);
        result.step = step;
        if (maxTicks * step > range)
            break;
    }
    result.count = int(range / result.step);
    return result;
}

double CGraphPainter::RoundUpToStep(double v, double step)
{
    if (step <= 0)
        return v;
    double q = std::trunc(v / step);
    if (q >= 0 && (v - kStepTolerance) / step > q)
        q += 1;
    return q * step;
}

int CGraphPainter::DecimalsOfStep(double step)
{
    int n = 0;
    for (double limit = 0.999999; step < limit && n < 12; limit *= 0.1)
        ++n;
    return n;
}

int CGraphPainter::LabelCount(double first, double high, double step)
{
    if (!(step > 0) || !std::isfinite(first) || !std::isfinite(high) || first > high + step * kStepTolerance)
        return 0;
    // Every multiple up to the top of the range, the top one included.
    const double n = std::floor((high - first) / step + kStepTolerance) + 1;
    return int(std::min(n, 1000.0));
}

QStringList CGraphPainter::FormatAxisLabels(int count, double first, double step, bool powerFactor)
{
    const QString format = QString::asprintf("%%-1.%if", DecimalsOfStep(step));
    const QByteArray fmt = format.toLatin1();
    QStringList labels;
    for (int i = 0; i < count; ++i) {
        double v = first + i * step;
        if (powerFactor)
            v = v >= 1 ? 2 - v : -v;
        labels << QString::asprintf(fmt.constData(), v + 0.0);
    }
    return labels;
}

void CGraphPainter::DrawValueAxis(const CGraphTrace& trace, CGraphRect& axis, bool grid, int gridRight, int y0, int y1,
                                  float factor)
{
    // The trace keeps base units (V, A, W); the axis counts in the unit it
    // names, whose prefix the trace's divisor stands for.
    const double scale = double(factor) / trace.Divisor();
    const double min = trace.Minimum();
    const double max = trace.Maximum();
    const double low = (y0 * (max - min) * 0.001 + min) * scale;
    const double high = (y1 * (max - min) * 0.001 + min) * scale;
    DrawLinearAxis(trace, axis, grid, gridRight, low, high, false);
}

void CGraphPainter::DrawPowerFactorAxis(const CGraphTrace& trace, CGraphRect& axis, bool grid, int gridRight, int y0,
                                        int y1)
{
    const double min = trace.Minimum();
    const double max = trace.Maximum();
    const double low = y0 * (max - min) * 0.001 + min;
    const double high = y1 * (max - min) * 0.001 + min;
    DrawLinearAxis(trace, axis, grid, gridRight, low, high, true);
}

void CGraphPainter::DrawLinearAxis(const CGraphTrace& trace, CGraphRect& axis, bool grid, int gridRight, double low,
                                   double high, bool powerFactor)
{
    const int h = m_textHeight;
    const int w = m_charWidth;
    const int maxTicks = axis.Height() / NonZero(h * 4 / 3);
    if (maxTicks <= 0)
        return;
    const double range = high - low;
    const AxisStep step = ComputeAxisStep(range, maxTicks);
    const double first = RoundUpToStep(low, step.step);
    // A range of no height shows its caption but no scale.
    const int count = range > 0 ? LabelCount(first, high, step.step) : 0;
    const QStringList labels = FormatAxisLabels(count, first, step.step, powerFactor);
    qsizetype chars = 0;
    for (const QString& l : labels)
        chars = std::max(chars, l.size());
    chars = std::max<qsizetype>(chars, trace.Name().size() * 5 / 4);
    chars = std::max<qsizetype>(chars, trace.Unit().size() + 2);
    axis.right = axis.left + int(chars + 5) * w;

    m_painter->save();
    m_painter->drawLine(axis.right, axis.top, axis.right, axis.bottom + (powerFactor ? 3 : 1));
    if (m_titleFont)
        m_painter->setFont(*m_titleFont);
    DrawTextIn({axis.left, axis.top - h, axis.right - w, axis.top}, Qt::AlignRight | Qt::AlignVCenter, trace.Name());
    if (m_labelFont)
        m_painter->setFont(*m_labelFont);
    DrawTextIn({axis.left, axis.top, axis.right - w, axis.top + h}, Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("[") + trace.Unit() + QStringLiteral("]"));

    const int tickEnd = powerFactor ? axis.right + w / 3 : axis.right + 2 * w / 3;
    std::vector<int> ys;
    for (int i = 0; i < count; ++i) {
        const int y = int((high - (first + i * step.step)) * axis.Height() / range);
        if (y < h * 3 / 2)
            continue; // clear of the unit line
        ys.push_back(y);
        DrawTextIn({axis.left, axis.top + y - h / 2, axis.right - w, axis.top + y + h / 2},
                   Qt::AlignRight | Qt::AlignVCenter, labels[i]);
        m_painter->drawLine(axis.right - w / 3, axis.top + y, tickEnd, axis.top + y);
    }
    if (grid) {
        QPen pen(ColorFromRef(kGridColour));
        pen.setStyle(Qt::DotLine);
        pen.setWidth(0);
        m_painter->setPen(pen);
        const int right = gridRight - 5 * w;
        for (int y : ys)
            m_painter->drawLine(axis.right + 2 * w / 3, axis.top + y, right, axis.top + y);
    }
    m_painter->restore();
}

std::vector<CTimeTick> CGraphPainter::BuildTimeTicks(CTime start, int span, int width, int charWidth)
{
    static constexpr std::array<int, 28> kSteps{1,      2,      5,      10,     15,     20,      30,      60,
                                                120,    300,    600,    900,    1200,   1800,    3600,    7200,
                                                14400,  21600,  28800,  43200,  86400,  172800,  259200,  604800,
                                                1209600, 2678400, 5356800, 16070400};
    std::vector<CTimeTick> ticks;
    if (span < 1 || width <= 0)
        return ticks;
    charWidth = std::max(charWidth, 1);
    const int n = std::max(1, width / 9 / charWidth);
    int index = 0;
    if (n < span) {
        index = int(kSteps.size()) - 1;
        for (int k = 1; k < int(kSteps.size()); ++k)
            if (std::int64_t(kSteps[std::size_t(k)]) * n >= span) {
                index = k - 1;
                break;
            }
    }
    std::tm tm{};
    start.GetLocalTm(tm);
    const std::int64_t s = start.GetTime();
    std::int64_t t0 = s;
    for (int pass = 0; pass < 3; ++pass) {
        const std::int64_t step = kSteps[std::size_t(index)];
        int spacing = 0;
        if (index <= 6) {
            t0 = CTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, 0).GetTime();
            if (t0 > s)
                t0 -= 3600; // a daylight-saving change
            spacing = index <= 5 ? 10 : 9;
        } else if (index <= 18) {
            if (step < 3600) {
                t0 = CTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, 0, 0).GetTime();
                if (t0 > s)
                    t0 -= 3600;
            } else {
                t0 = CTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, 0, 0, 0).GetTime();
            }
            spacing = 7;
        } else {
            t0 = CTime(tm.tm_year + 1900, tm.tm_mon + 1, 1, 0, 0, 0).GetTime();
            spacing = index <= 23 ? 6 : 8;
        }
        while (t0 < s)
            t0 += step;
        if (pass == 2)
            break;
        if (step * width / span < std::int64_t(spacing) * charWidth) {
            if (index == int(kSteps.size()) - 1)
                break;
            ++index;
        }
    }
    const std::int64_t step = kSteps[std::size_t(index)];
    if (index >= 20) {
        std::tm endTm{};
        CTime(CTime::time_type(s + span)).GetLocalTm(endTm);
        if (endTm.tm_year == tm.tm_year && endTm.tm_mon != tm.tm_mon) {
            const int month = tm.tm_mon + 2;
            t0 = CTime(tm.tm_year + 1900 + (month > 12 ? 1 : 0), month > 12 ? 1 : month, 1, 0, 0, 0).GetTime();
        } else if (endTm.tm_year != tm.tm_year) {
            t0 = CTime(tm.tm_year + 1901, 1, 1, 0, 0, 0).GetTime();
        }
        while (t0 > s)
            t0 -= step;
    }
    const std::int64_t count = (s + span - t0) / step + 1;
    static const QStringList months = platform::LoadString(platform::IDS_MONTH_NAMES).split(QLatin1Char('\n'));
    static const QStringList weekdays = platform::LoadString(platform::IDS_WEEKDAYS_SHORT).split(QLatin1Char('\n'));
    for (std::int64_t i = 0; i < count && i < 1000; ++i) {
        const std::int64_t t = t0 + i * step;
        if (t < s)
            continue;
        std::tm lt{};
        CTime(CTime::time_type(t)).GetLocalTm(lt);
        QString label;
        if (lt.tm_sec != 0)
            label = platform::FormatTm(lt, QStringLiteral("%H:%M:%S"));
        else if (lt.tm_min != 0)
            label = platform::FormatTm(lt, QStringLiteral("%H:%M"));
        else if (lt.tm_hour != 0)
            label = platform::FormatTm(lt, QStringLiteral("%H"));
        else if (lt.tm_mday == 1 && lt.tm_mon == 0)
            label = platform::FormatTm(lt, QStringLiteral("%Y"));
        else if (lt.tm_mday == 1)
            label = months.value(lt.tm_mon);
        else
            label = weekdays.value((lt.tm_wday + 6) % 7); // Monday first
        ticks.push_back({int((t - s) * width / span), label});
    }
    return ticks;
}

int CGraphPainter::TimeAxisRoom(const QFont& labelFont, const QPaintDevice* device)
{
    const int h = device ? QFontMetrics(labelFont, device).height() : QFontMetrics(labelFont).height();
    return std::max(1, h) * 3 / 2;
}

void CGraphPainter::DrawTimeAxis(const CGraphTrace& trace, CGraphRect& axis, bool grid, int x0, int x1)
{
    const int w = m_charWidth;
    const int h = m_textHeight;
    const std::int64_t traceSpan = std::max(trace.Span(), 0);
    const CTime start(CTime::time_type(std::uint32_t(trace.Origin().GetTime() + traceSpan * x0 / 1000)));
    int span = int((x1 - x0) * traceSpan / 1000);
    if (span < 2)
        span = 1;
    axis.right -= 5 * w;
    m_painter->save();
    m_painter->drawLine(axis.right, axis.bottom + 2, axis.left, axis.bottom + 2);
    if (axis.left < axis.right) {
        const auto ticks = BuildTimeTicks(start, span, axis.right - axis.left, w);
        const int tickTop = axis.bottom + 2 - int(std::trunc(0.3 * w));
        const int tickBottom = axis.bottom + 2 - int(std::trunc(-0.6 * w));
        for (const CTimeTick& tick : ticks) {
            const int x = axis.left + tick.offset;
            const int half = (int(tick.label.size()) / 2 + 1) * w;
            DrawTextIn({x - half, axis.bottom + h / 2, x + half, axis.bottom + h * 3 / 2},
                       Qt::AlignRight | Qt::AlignVCenter, tick.label);
            m_painter->drawLine(x, tickTop, x, tickBottom);
        }
        if (grid) {
            QPen pen(ColorFromRef(kGridColour));
            pen.setStyle(Qt::DotLine);
            pen.setWidth(0);
            m_painter->setPen(pen);
            for (const CTimeTick& tick : ticks)
                m_painter->drawLine(axis.left + tick.offset, tickTop, axis.left + tick.offset, axis.top);
        }
    }
    m_painter->restore();
}

void CGraphPainter::DrawTitle(const CGraphRect& client, const CGraphRect& plot)
{
    if (m_titleFont)
        m_painter->setFont(*m_titleFont);
    DrawTextIn({plot.left, client.top, plot.right, plot.top}, Qt::AlignCenter,
               platform::LoadString(platform::IDS_GRAPH_SELECTED_QUANTITIES));
    if (m_labelFont)
        m_painter->setFont(*m_labelFont);
}

void CGraphPainter::DrawBusyNotice(int left, int top, int right, int bottom)
{
    const int w = right - left;
    const int h = bottom - top;
    const CGraphRect box{left + w / 5, top + h / 5, left + 4 * w / 5, top + 4 * h / 5};
    m_painter->save();
    m_painter->setBrush(ColorFromRef(kBusyColour));
    m_painter->drawRect(box.left, box.top, box.Width() - 1, box.Height() - 1);
    if (m_titleFont)
        m_painter->setFont(*m_titleFont);
    m_painter->setBackground(ColorFromRef(kBusyColour));
    DrawTextIn(box, Qt::AlignCenter, platform::LoadString(platform::IDS_SETTING_TIME));
    m_painter->restore();
}

void CGraphPainter::DrawBars(const std::array<CSwitchRows, 3>& channels, const std::vector<int>& rowTops, int barHeight,
                             int baseOffset, const CGraphRect& panel, int span, int x0, int x1, int newest)
{
    // Oldest, remaining and newest channel by their first events; a
    // channel without events counts as the newest.
    auto firstTime = [&](std::size_t c) -> std::int64_t {
        std::int64_t best = std::numeric_limits<std::int64_t>::max();
        for (const auto& row : channels[c])
            if (!row.empty())
                best = std::min<std::int64_t>(best, row.front() & 0x7FFFFFFF);
        return best;
    };
    std::array<std::size_t, 3> order{0, 1, 2};
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return firstTime(a) < firstTime(b); });

    const std::int64_t t0 = std::int64_t(x0) * span / 1000;
    const std::int64_t t1 = std::int64_t(x1) * span / 1000;
    const std::int64_t width = panel.Width();
    auto xOf = [&](std::int64_t t) {
        const std::int64_t d = t1 != t0 ? t1 - t0 : 1;
        return int(std::clamp<std::int64_t>(panel.left + (t - t0) * width / d, panel.left - 1, panel.right + 1));
    };
    m_painter->save();
    m_painter->setBrush(ColorFromRef(kBarColour));
    for (std::size_t r = 0; r < rowTops.size(); ++r) {
        const int y = rowTops[r];
        auto bar = [&](int from, int till) {
            from = std::max(from, panel.left);
            till = std::min(till, panel.right);
            if (till > from)
                m_painter->drawRect(from, y, till - from - 1, barHeight - 1);
        };
        bool first = true;
        bool on = false;
        int openX = panel.left;
        bool ended = false;
        for (std::size_t c : order) {
            if (r >= channels[c].size() || ended)
                continue;
            for (std::uint32_t e : channels[c][r]) {
                const std::int64_t t = e & 0x7FFFFFFF;
                const bool state = (e & 0x80000000u) != 0;
                if (first) {
                    // The row starts in the state of its first event.
                    first = false;
                    on = state;
                    openX = panel.left;
                }
                if (t > t1) {
                    if (on)
                        bar(openX, xOf(t));
                    on = false;
                    ended = true;
                    break;
                }
                if (state && !on) {
                    on = true;
                    openX = t <= t0 ? panel.left : xOf(t);
                } else if (!state && on) {
                    on = false;
                    if (t > t0)
                        bar(openX, xOf(t));
                }
            }
        }
        if (on && !ended)
            bar(openX, newest == kNoNewest ? panel.right : std::min(panel.right, xOf(newest)));
        m_painter->drawLine(panel.left, y + baseOffset, panel.right, y + baseOffset);
    }
    m_painter->restore();
}

void CGraphPainter::DrawStageBars(const std::array<CSwitchRows, 3>& channels, const CGraphRect& panel, int span, int x0,
                                  int x1, bool compact, int newest)
{
    const int height = panel.Height();
    const int p = height / (compact ? 14 : 29);
    const int rows = compact ? 6 : 14;
    const int m = (height - rows * 2 * p) / 3;
    const int w = m_charWidth;
    const int h = m_textHeight;
    std::vector<int> tops;
    for (int r = 0; r < rows; ++r)
        tops.push_back(panel.top + m + (r + 1) * 2 * p + (r >= 6 ? m : 0));
    DrawBars(channels, tops, p + 1, (p + 1) / 2, panel, span, x0, x1, newest);

    for (int r = 0; r < rows; ++r) {
        const int y = tops[std::size_t(r)];
        const QString label = QString::number(r + 1);
        if (r == 0 || r == 6)
            DrawTextIn({panel.left - 6 * w, y - (p - 1) / 2 - m / 3, panel.left - 2 * w, y - (p - 1) / 2 - m / 3 + h},
                       Qt::AlignRight | Qt::AlignTop, label);
        else if (r == 5 || r == 13)
            DrawTextIn({panel.left - 6 * w, y + 2 * p + m / 3 - h, panel.left - 2 * w, y + 2 * p + m / 3},
                       Qt::AlignRight | Qt::AlignBottom, label);
    }
    const QString caption = platform::LoadString(platform::IDS_STAGES_LABEL);
    const int captionWidth = (int(caption.size()) + 2) * w;
    const int boxLeft = panel.left - 6 * w - captionWidth;
    if (boxLeft >= 0) {
        const int y = tops.front() - (p - 1) / 2 - m / 3 - h;
        DrawTextIn({boxLeft, y, panel.left - 6 * w, y + h}, Qt::AlignCenter, caption);
    }
}

void CGraphPainter::DrawChannelBars(const std::array<CSwitchRows, 3>& channels, const CGraphRect& panel, int span,
                                    int x0, int x1, int newest)
{
    const int height = panel.Height();
    const int p = height / 19;
    const int step = 2 * p - 2;
    const int m = (height - 9 * step) / 3 - 2;
    const int w = m_charWidth;
    const int h = m_textHeight;
    std::vector<int> tops;
    for (int r = 0; r < 9; ++r)
        tops.push_back(panel.top + m + (r + 1) * step + (r >= 4 ? m : 0) + (r >= 8 ? m : 0));
    DrawBars(channels, tops, p, p / 2, panel, span, x0, x1, newest);

    struct Label {
        int row;
        int id;
        bool top;
    };
    static constexpr std::array<Label, 5> kLabels{{{0, platform::IDS_CHANNEL_U1, true},
                                                   {3, platform::IDS_CHANNEL_U4, false},
                                                   {4, platform::IDS_CHANNEL_I1, true},
                                                   {7, platform::IDS_CHANNEL_I4, false},
                                                   {8, platform::IDS_CHANNEL_INPUT, true}}};
    // A group's captions stand at its first and last row. A band laid out
    // for a smaller text than the labels' (a large window enlarges the
    // fonts, not the band), or a face with a taller line, leaves less than
    // two lines between them: they are written in a font whose line fits.
    const int room = 4 * step + 2 * (m / 3) + (p - 2) / 2;
    const int line = std::clamp(room / 2, 1, h);
    m_painter->save();
    if (line < h)
        m_painter->setFont(ui::FontOfLineHeight(m_painter->font(), line, m_painter->device()));
    for (const Label& l : kLabels) {
        const int y = tops[std::size_t(l.row)];
        if (l.top)
            DrawTextIn({panel.left - 9 * w, y - (p - 2) / 2 - m / 3, panel.left - w, y - (p - 2) / 2 - m / 3 + line},
                       Qt::AlignRight | Qt::AlignTop, platform::LoadString(l.id));
        else
            DrawTextIn({panel.left - 9 * w, y + m / 3 + step - line, panel.left - w, y + m / 3 + step},
                       Qt::AlignRight | Qt::AlignBottom, platform::LoadString(l.id));
    }
    m_painter->restore();
}
