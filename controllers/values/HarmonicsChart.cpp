#include "controllers/values/HarmonicsChart.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <cmath>

namespace controllers {

namespace {

const char* const kScale[7] = {"[%]", "40", "20", "10", "4", "2", "1"};

QFont ChartFont(int pixels, bool bold)
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(std::max(5, pixels));
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

} // namespace

QString CHarmonicsChart::ValueText(double value)
{
    return HasValue(value) ? QString::asprintf("%-1.1f", value) : QStringLiteral("--");
}

int CHarmonicsChart::BarTop(double value, int y0, int s)
{
    if (!HasValue(value) || value < 0.1)
        return y0 - 1;
    if (value < 0.6)
        return y0 - 2;
    return y0 - 1 - int(std::log10(value) * s * 3.3333333333333335) - s;
}

void CHarmonicsChart::DrawQorin(QPainter& p, const QSize& size, int logPixelsY, std::span<const float> values)
{
    const int w = size.width();
    const int h = size.height();
    int fontHeight = logPixelsY * 7 / 72;
    if (w >= 200 && h >= 100)
        fontHeight = int(fontHeight * 1.2);
    p.save();
    p.setFont(ChartFont(fontHeight, false));
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(0, 0, w - 1, h - 1);
    const QFontMetrics fm(p.font());
    const int c = w / 8;
    const int s = int(h * 0.12004801920768307);
    const int th = fm.height();
    const int cw = std::max(1, fm.averageCharWidth());
    const int y0 = h - th * 3 / 2;
    p.drawLine(c, th * 2 / 3, c, y0);
    p.drawLine(c, y0, 7 * c + c / 3, y0);
    for (int i = 0; i < 7; ++i) {
        const int top = i * s + (i >= 4 ? s / 3 : 0);
        p.drawText(QRect(0, top, std::max(0, c - cw), th), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                   QString::fromLatin1(kScale[i]));
        if (i >= 1) {
            const int y = top + th / 2 - 1;
            p.drawLine(c - int(0.3 * cw), y, c + int(0.3 * cw), y);
        }
    }
    const char* const bottom[7] = {"3.", "5.", "7.", "11.", "13.", "17.", "harm."};
    for (int k = 0; k < 7; ++k)
        p.drawText(QRect((k + 1) * c, h - th * 4 / 3, c, th), Qt::AlignCenter | Qt::TextSingleLine,
                   QString::fromLatin1(bottom[k]));
    const QColor red(160, 0, 0);
    p.setPen(red);
    for (int k = 0; k < int(values.size()) && k < 6; ++k)
        p.drawText(QRect((k + 1) * c, th / 5, c, th), Qt::AlignCenter | Qt::TextSingleLine, ValueText(values[std::size_t(k)]));
    for (int k = 0; k < int(values.size()) && k < 6; ++k) {
        const double v = values[std::size_t(k)];
        if (!HasValue(v))
            continue;
        const int left = (k + 1) * c + c / 7;
        const int right = (k + 2) * c - c / 7;
        const int top = BarTop(v, y0, s);
        if (top < y0 - 1)
            p.fillRect(QRect(left, top, right - left, y0 - 1 - top), red);
    }
    p.restore();
}

void CHarmonicsChart::DrawDuskar(QPainter& p, const QSize& size, int logPixelsY, std::span<const float> values,
                                 const QString& caption)
{
    const int w = size.width();
    const int h = size.height();
    const int fontHeight = logPixelsY * 7 / 72;
    const QFont normal = ChartFont(fontHeight, false);
    const QFont bold = ChartFont(int(fontHeight * 1.2), true);
    p.save();
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(0, 0, w - 1, h - 1);
    const int c = w / 12;
    const int s = int(h * 0.09615384615384615);
    const QColor band(202, 223, 249);
    p.fillRect(QRect(0, s * 3 / 2, w, h - s * 3 / 2), band);
    p.setFont(bold);
    p.drawText(QRect(5, 1, std::max(0, w - 10), std::max(0, s * 3 / 2 - 6)),
               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption);
    p.setFont(normal);
    const QFontMetrics fm(normal);
    const int th = fm.height();
    const int cw = std::max(1, fm.averageCharWidth());
    const int y0 = h - th * 3 / 2;
    p.drawLine(c, 11 * s / 5 + th * 2 / 3, c, y0);
    p.drawLine(c, y0, 11 * c + c / 3, y0);
    for (int i = 0; i < 7; ++i) {
        const int top = s * 6 / 5 - 7 + (i + 1) * s + (i >= 4 ? s / 3 : 0);
        p.drawText(QRect(0, top, std::max(0, c - cw), th), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                   QString::fromLatin1(kScale[i]));
        if (i >= 1) {
            const int y = top + th / 2 - 1;
            p.drawLine(c - int(0.3 * cw), y, c + int(0.3 * cw), y);
        }
    }
    const char* const bottom[10] = {"3", "5", "7", "9", "11", "13", "15", "17", "19", "harm."};
    for (int k = 0; k < 10; ++k)
        p.drawText(QRect((k + 1) * c, h - th * 4 / 3, c, th), Qt::AlignCenter | Qt::TextSingleLine,
                   QString::fromLatin1(bottom[k]));
    const QColor blue(8, 15, 121);
    p.setPen(blue);
    for (int k = 0; k < int(values.size()) && k < 9; ++k)
        p.drawText(QRect((k + 1) * c, s * 3 / 2, c, th * 4 / 5 + 1), Qt::AlignCenter | Qt::TextSingleLine,
                   ValueText(values[std::size_t(k)]));
    for (int k = 0; k < int(values.size()) && k < 9; ++k) {
        const double v = values[std::size_t(k)];
        if (!HasValue(v))
            continue;
        const int left = (k + 1) * c + c / 8;
        const int right = left + 6 * (c / 8);
        const int top = BarTop(v, y0, s);
        if (top < y0 - 1)
            p.fillRect(QRect(left, top, right - left, y0 - 1 - top), blue);
    }
    p.restore();
}

} // namespace controllers
