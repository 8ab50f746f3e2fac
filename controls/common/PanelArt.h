#pragma once
// Drawing of instrument fronts: plates, display windows, seven-segment
// digits, LEDs and keys. The controls build their panel and sprite bitmaps
// from these once, at the sizes their coordinates assume.
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include "controls/common/PanelControl.h"

namespace controls::art {

// Segment bits of a seven-segment glyph.
enum Segment : unsigned {
    SegA = 1, SegB = 2, SegC = 4, SegD = 8, SegE = 16, SegF = 32, SegG = 64,
};
// Segments of the digits 0-9.
unsigned digitSegments(int digit);

struct DisplayColours {
    QColor window{0x1c, 0x07, 0x06};
    QColor lit{0xff, 0x3a, 0x22};
    QColor unlit{0x3a, 0x14, 0x10};
};

QRect qrect(const PanelRect& r);

QImage newImage(int w, int h);
// A front plate: a brushed face with a bevelled edge.
void drawPlate(QPainter& p, const QRect& r, QColor face);
// A recessed dark window (display glass).
void drawWindow(QPainter& p, const QRect& r, QColor glass);
// A seven-segment glyph filling `cell`; segments not in `on` are drawn unlit.
// The cell's bottom-right corner is left free for a decimal point.
void drawSegments(QPainter& p, const QRectF& cell, unsigned on, const DisplayColours& c);
// A round decimal point centred in `r`.
void drawDot(QPainter& p, const QRectF& r, QColor colour, QColor glass);
// A round LED in `r`, lit or dark, of the given hue.
void drawLed(QPainter& p, const QRect& r, QColor hue, bool lit, QColor face);
enum class KeySymbol { Text, Up, Down, Left, Right };
// A push key, raised or pressed in.
void drawKey(QPainter& p, const QRect& r, bool pressed, KeySymbol symbol, const QString& text = {});
// Printed legend on the plate.
void drawLegend(QPainter& p, const QRect& r, const QString& text, QColor colour, int pixelSize,
                Qt::Alignment align = Qt::AlignCenter, bool bold = false);

} // namespace controls::art
