#include "analysers_vkt/VKTVlnyZobrazeni.h"

#include "charts/SunkEdge.h"

#include <QFont>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace analysers_vkt {

namespace {

const char* const kNames[8] = {"U1", "U2", "U3", "U4", "I1", "I2", "I3", "I4"};

double SampleRms(const VKTVlnyFileData::Wave& w)
{
    double sum = 0.0;
    for (std::int16_t s : w)
        sum += double(s) * s;
    return std::sqrt(sum / double(w.size()));
}

double Phase(const VKTVlnyFileData::Wave& w)
{
    double c = 0.0, s = 0.0;
    for (std::size_t n = 0; n < w.size(); ++n) {
        const double a = 2.0 * std::numbers::pi * double(n) / double(w.size());
        c += w[n] * std::cos(a);
        s += w[n] * std::sin(a);
    }
    return std::atan2(c, s);
}

// The pane's fonts, from the text unit: tick labels and units (B), axis
// letters (C), the title on the screen (D) and on paper (E, the device's own
// face).
QFont WaveFont(int pixels, bool bold, bool ownFace = true)
{
    QFont font = ownFace ? QFont(QStringLiteral("Times New Roman")) : QFont();
    font.setPixelSize(std::max(6, pixels));
    font.setBold(bold);
    return font;
}

} // namespace

void CVKTVlnyZobrazeni::SetChannels(std::uint8_t mask, const std::array<float, 8>& scale)
{
    m_mask = mask;
    // The fourth input alone labels by its own factor, the first three by
    // theirs, a mix by the larger.
    const auto labelOf = [&scale](std::uint8_t bits, std::size_t first) {
        if (bits == 0x08)
            return double(scale[first + 3]);
        if (!(bits & 0x08))
            return double(scale[first]);
        return double(std::max(scale[first], scale[first + 3]));
    };
    m_voltageLabel = labelOf(mask & 0x0F, 0);
    m_currentLabel = labelOf(mask >> 4 & 0x0F, 4);
    if (!(mask & 0x0F))
        m_voltageInner = false;
    if (!(mask & 0xF0))
        m_voltageInner = true;
}

void CVKTVlnyZobrazeni::SetRect(const QRect& rect, int u, bool printing)
{
    m_given = rect;
    m_printing = printing;
    m_frame = rect;
    if (m_frame.width() < 250)
        m_frame.setWidth(250);
    if (m_frame.height() < 150)
        m_frame.setHeight(150);
    m_x0 = m_frame.left() + (printing ? 6 : 5) * u;
    m_zero = m_frame.top() + m_frame.height() / 2 + u;
    m_half = std::max(1, m_frame.height() / 2 - 3 * u);
    m_width = std::max(1, m_frame.right() - 2 * u - m_x0);
    m_gap = printing ? 3 * u : int(u * 2.5);
}

bool CVKTVlnyZobrazeni::HitSwap(const QPoint& point)
{
    if (!m_hasCurves || !(m_mask & 0x0F) || !(m_mask & 0xF0))
        return false;
    const QRect area(m_frame.topLeft(), QPoint(m_x0 - m_gap, m_frame.bottom()));
    if (!area.contains(point))
        return false;
    m_voltageInner = !m_voltageInner;
    return true;
}

std::vector<int> CVKTVlnyZobrazeni::PhaseTicks() const
{
    std::vector<int> ticks;
    const double step = m_width / 12.0;
    for (int i = 1; i <= 12; ++i)
        ticks.push_back(m_x0 + int(i * step + 0.5));
    return ticks;
}

bool CVKTVlnyZobrazeni::DrawAxis(QPainter& p, int range, bool current, int x, int u, bool grid, double labelFactor)
{
    const int h = WaveTextHeight(u);
    const WaveAxisText axis = WaveAxisOf(range, current);
    const int n = h > 0 ? int(m_half / (1.5 * h)) : 0;
    if (n == 0 || range <= 0)
        return false;
    // The labels count whole units of the divisor: a stored range of 4800 V
    // is labelled up to 4 kV.
    const int reduced = axis.reduced;
    // The smallest of 1, 2, 5 x 10^k that gives at most n labels, but never
    // finer than the input's factor.
    double step = labelFactor / axis.divisor;
    for (int k = 0; k < 36; ++k) {
        const double x1 = std::pow(10.0, k / 3 - 5) * (k % 3 == 0 ? 1 : k % 3 == 1 ? 2 : 5);
        if (int(n * x1 + 0.5) >= reduced) {
            step = std::max(step, x1);
            break;
        }
    }
    const int labels = int(reduced / step + 0.1);
    // Each label stands where the curves draw its value.
    const double pixelsPerUnit = m_half / (double(range) / axis.divisor);
    std::vector<double> values;
    if (labels == 0) {
        values = {-double(reduced), double(reduced)};
    } else {
        for (int i = 1; i <= labels; ++i)
            values.insert(values.end(), {-i * step, i * step});
    }
    values.push_back(0.0);
    QPen gridPen(QColor(0xB4, 0xB4, 0xB4), 1, Qt::DotLine);
    const QFont labelFont = WaveFont(h, false);
    p.setFont(labelFont);
    for (double v : values) {
        const int y = m_zero - int(pixelsPerUnit * v);
        p.setPen(Qt::black);
        p.drawLine(x - u / 6, y, x + u / 6, y);
        p.drawText(QRect(x - 3 * u, y - h / 2, int(2.65 * u), h), Qt::AlignRight | Qt::AlignVCenter,
                   QString::asprintf(axis.format, v));
        if (grid && v != 0.0) {
            p.setPen(gridPen);
            p.drawLine(x + u / 6, y, m_x0 + m_width + int(0.6 * h), y);
        }
    }
    p.setPen(Qt::black);
    QRect caption(x - 3 * u, m_frame.top() + int(1.5 * u), int(2.65 * u), h);
    p.setFont(WaveFont(h, true));
    p.drawText(caption, Qt::AlignRight, current ? QStringLiteral("I") : QStringLiteral("U"));
    p.setFont(labelFont);
    p.drawText(caption.translated(0, h), Qt::AlignRight, axis.unit);
    return true;
}

void CVKTVlnyZobrazeni::DrawPhaseAxis(QPainter& p, int u, bool grid)
{
    const int h = WaveTextHeight(u);
    if (h <= 0 || m_width / h < 1)
        return;
    const QPen gridPen(QColor(0xB4, 0xB4, 0xB4), 1, Qt::DotLine);
    p.setFont(WaveFont(h, false));
    const int top = m_zero - int(0.6 * h) - m_half;
    const int bottom = m_zero + int(0.6 * h) + m_half;
    const std::vector<int> ticks = PhaseTicks();
    for (int i = 1; i <= 12; ++i) {
        const int x = ticks[std::size_t(i - 1)];
        const int half = i == 12 ? u / 2 : i % 3 == 0 ? u / 3 : u / 6;
        if (grid) {
            p.setPen(gridPen);
            p.drawLine(x, top, x, bottom);
        }
        p.setPen(Qt::black);
        p.drawLine(x, m_zero - half, x, m_zero + half);
        if (i == 12)
            p.drawText(QRect(x - u, m_zero + u / 4 + half, 2 * u, h), Qt::AlignRight | Qt::AlignTop,
                       QStringLiteral("360°"));
    }
}

void CVKTVlnyZobrazeni::Draw(QPainter& p, const VKTWaveChannels& ch, int u)
{
    p.save();
    p.fillRect(m_frame, Qt::white);
    const QRect& edge = m_frame;
    if (m_printing) {
        p.setPen(Qt::black);
        p.drawRect(edge.adjusted(0, 0, -1, -1));
    } else {
        DrawSunkEdge(p, edge);
    }
    m_hasCurves = false;
    if (m_given.height() < 50 || m_given.width() < 50) {
        p.restore();
        return;
    }
    p.setClipRect(m_given);
    for (int k = 0; k < 8; ++k)
        m_hasCurves = m_hasCurves || ((m_mask >> k) & 1 && ch.waves[std::size_t(k)]);
    if (!m_hasCurves) {
        p.restore();
        return;
    }
    const bool voltages = m_mask & 0x0F;
    const bool currents = m_mask & 0xF0;
    const int outer = m_x0 - m_gap;
    p.setPen(Qt::black);
    if (voltages && currents)
        p.drawLine(outer, m_zero - 2 * u - m_half, outer, m_zero + u + m_half);
    p.drawLine(m_x0, m_zero - 2 * u - m_half, m_x0, m_zero + u + m_half);
    p.drawLine(m_x0, m_zero, m_frame.right() - u, m_zero);

    // Each axis ranges over the pane's own channels: the one whose peak
    // reaches highest on its input's scale.
    auto rangeOf = [&](int first, CVKTWaveRange& range) {
        int chosen = first;
        double highest = -1.0;
        for (int k = first; k < first + 4; ++k) {
            const auto& w = ch.waves[std::size_t(k)];
            if (!((m_mask >> k) & 1) || !w)
                continue;
            const auto [lo, hi] = std::minmax_element(w->begin(), w->end());
            const double peak = std::max<int>(*hi, -int(*lo)) * double(ch.scale[std::size_t(k)]);
            if (peak > highest) {
                highest = peak;
                chosen = k;
            }
        }
        range.Update(ch.rms[std::size_t(chosen)]);
    };
    if (voltages)
        rangeOf(0, m_u);
    if (currents)
        rangeOf(4, m_i);
    bool texts = true;
    if (voltages)
        texts = DrawAxis(p, m_u.Range(), false, m_voltageInner ? m_x0 : outer, u, ch.grid && m_voltageInner,
                         m_voltageLabel);
    if (currents && texts)
        texts = DrawAxis(p, m_i.Range(), true, m_voltageInner ? outer : m_x0, u, ch.grid && !m_voltageInner,
                         m_currentLabel * 0.001); // currents label down to a thousandth of their factor
    if (texts)
        DrawPhaseAxis(p, u, ch.grid);

    // One period: the reference channel starts it.
    double phi = 0.0;
    for (int k = 0; k < 8; ++k) {
        const auto& w = ch.waves[std::size_t(k)];
        if ((m_mask >> k) & 1 && w && ch.rms[std::size_t(k)] >= (k < 4 ? 3.0f : 0.01f)) {
            phi = Phase(*w);
            break;
        }
    }
    p.setClipRect(QRect(QPoint(m_x0, 0), QPoint(std::min(m_x0 + m_width, m_given.right()), m_given.bottom() - u))
                      .intersected(m_given));
    for (int k = 0; k < 8; ++k) {
        const auto& w = ch.waves[std::size_t(k)];
        const int range = k < 4 ? m_u.Range() : m_i.Range();
        if (!((m_mask >> k) & 1) || !w || range <= 0)
            continue;
        const double rms = SampleRms(*w);
        const double perCount = rms > 0.0 ? ch.rms[std::size_t(k)] / rms : 0.0;
        const double yScale = double(m_half) / range;
        // The reference channel's fundamental starts the period, so every
        // curve moves right by its phase; the samples pushed past either end
        // of the period come back in from the other.
        std::array<int, 64> xs{};
        std::array<int, 64> ys{};
        for (std::size_t n = 0; n < 64; ++n) {
            xs[n] = int((2.0 * std::numbers::pi * double(n) / 64.0 + phi) * m_width / (2.0 * std::numbers::pi) + 0.5);
            ys[n] = int((*w)[n] * yScale * perCount + 0.5);
        }
        std::size_t i0 = 0;
        while (i0 < 63 && xs[i0] < 0)
            ++i0;
        std::size_t i1 = 63;
        while (i1 > 0 && xs[i1] > m_width)
            --i1;
        QPolygon line;
        line.reserve(66);
        const auto add = [&](std::size_t n, int dx) { line << QPoint(m_x0 + xs[n] + dx, m_zero - ys[n]); };
        if (i0 == 0) {
            for (std::size_t n = i1; n < 64; ++n)
                add(n, -m_width);
            for (std::size_t n = 0; n <= i1; ++n)
                add(n, 0);
            if (i1 < 63)
                add(i1 + 1, 0);
            else
                add(0, m_width);
        } else {
            add(i0 - 1, 0);
            for (std::size_t n = i0; n < 64; ++n)
                add(n, 0);
            for (std::size_t n = 0; n <= i0; ++n)
                add(n, m_width);
        }
        p.setPen(QPen(ch.colours[std::size_t(k)], 1));
        p.drawPolyline(line);
    }
    p.setClipRect(m_given);
    p.setPen(Qt::black);
    QString title = QStringLiteral("Průběhy");
    for (int k = 0; k < 8; ++k)
        if ((m_mask >> k) & 1)
            title += QLatin1Char(' ') + QLatin1String(kNames[k]) + QLatin1Char(',');
    title.chop(1);
    p.setFont(m_printing ? WaveFont(u, true, false) : WaveFont(u * 8 / 7, true));
    p.drawText(QRect(m_x0 + 2 * u, m_frame.top() + u, m_frame.right() - 10 - m_x0 - 2 * u, int(1.3 * u)),
               Qt::AlignCenter, title);
    p.restore();
}

} // namespace analysers_vkt
