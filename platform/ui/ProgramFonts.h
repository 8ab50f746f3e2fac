#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

class QPaintDevice;

namespace ui {

// The dialog font's face: the dialogs are laid out in its dialog units.
inline constexpr const char* kDialogFace = "MS Sans Serif";

// The windows and printouts name the faces their layouts were drawn for:
// "MS Sans Serif" for the dialogs, "Arial" and "Times New Roman" for the
// panels, graphs and printouts. None of them is a face of a Linux machine,
// and the face fontconfig offers in their place depends on whatever else the
// machine has installed (ghostscript's URW faces, an office suite's), so
// text and layout would differ from one machine to the next. Each name is
// mapped to the face installed for it (scripts/install-deps.sh), and the
// application's font becomes the dialog font at the desktop's size. Where
// that face is missing as well, fontconfig's nearest face of the same kind
// stands in. Once, after the application object exists and before the first
// window or printout.
void UseProgramFonts();

// The faces a name of the program stands for, the preferred first; empty for
// a name the program does not map.
QStringList ProgramFaces(const QString& name);

// `font` at the largest pixel size whose line (ascent and descent, on
// `device` or the screen) is at most `lineHeight` pixels: a font given by
// the height of its text line, for layouts that count in the lines of
// another font. A face with more room above and below its letters gets
// smaller letters instead of lines that outgrow the layout.
QFont FontOfLineHeight(QFont font, int lineHeight, const QPaintDevice* device = nullptr);

} // namespace ui
