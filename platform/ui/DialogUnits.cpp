#include "platform/ui/DialogUnits.h"

#include <QFont>
#include <QFontMetrics>

#include <cmath>

namespace ui {

namespace {

// a * b / c rounded half away from zero, as the dialog-unit conversions round.
int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return 0;
    return static_cast<int>(std::lround(static_cast<double>(a) * b / c));
}

} // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // Average over the 52 letters, rounded.
    const int average = (width / 26 + 1) / 2;
    return {average > 0 ? average : 1, metrics.height() > 0 ? metrics.height() : 1};
}

int DluToPixelsX(int dlu, const QFont& font) { return MulDiv(dlu, BaseUnitsOf(font).x, 4); }
int DluToPixelsY(int dlu, const QFont& font) { return MulDiv(dlu, BaseUnitsOf(font).y, 8); }
int PixelsToDluX(int pixels, const QFont& font) { return MulDiv(pixels, 4, BaseUnitsOf(font).x); }
int PixelsToDluY(int pixels, const QFont& font) { return MulDiv(pixels, 8, BaseUnitsOf(font).y); }

QSize DluToPixels(QSize dlu, const QFont& font)
{
    return {DluToPixelsX(dlu.width(), font), DluToPixelsY(dlu.height(), font)};
}

QRect DluToPixels(const QRect& dlu, const QFont& font)
{
    const int left = DluToPixelsX(dlu.left(), font);
    const int top = DluToPixelsY(dlu.top(), font);
    return {left, top, DluToPixelsX(dlu.left() + dlu.width(), font) - left,
            DluToPixelsY(dlu.top() + dlu.height(), font) - top};
}

} // namespace ui
