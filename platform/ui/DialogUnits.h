#pragma once

#include <QRect>
#include <QSize>

class QFont;

namespace ui {

// Dialog base units of a font: the average character width and the height.
// A horizontal dialog unit is a quarter of the width, a vertical one an
// eighth of the height, so sizes stated in dialog units follow the font.
struct DialogBaseUnits {
    int x = 0;
    int y = 0;
};
DialogBaseUnits BaseUnitsOf(const QFont& font);

int DluToPixelsX(int dlu, const QFont& font);
int DluToPixelsY(int dlu, const QFont& font);
int PixelsToDluX(int pixels, const QFont& font);
int PixelsToDluY(int pixels, const QFont& font);
QSize DluToPixels(QSize dlu, const QFont& font);
QRect DluToPixels(const QRect& dlu, const QFont& font);

} // namespace ui
