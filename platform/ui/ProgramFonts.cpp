#include "platform/ui/ProgramFonts.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>

#include <algorithm>
#include <array>

namespace ui {

namespace {

struct FaceMap {
    const char* name;
    std::array<const char*, 2> faces;
};

// "Arial" and "Times New Roman" go to faces of the same metrics, so that
// text measures as the layouts expect (fonts-liberation2, or the Chrome OS
// faces of the same metrics). The dialogs keep the face they have always
// been laid out and checked with (fonts-dejavu-core).
constexpr std::array<FaceMap, 3> kFaces{{
    {"MS Sans Serif", {"DejaVu Sans", nullptr}},
    {"Arial", {"Liberation Sans", "Arimo"}},
    {"Times New Roman", {"Liberation Serif", "Tinos"}},
}};

} // namespace

QStringList ProgramFaces(const QString& name)
{
    for (const FaceMap& map : kFaces) {
        if (name.compare(QLatin1String(map.name), Qt::CaseInsensitive) != 0)
            continue;
        QStringList faces;
        for (const char* face : map.faces)
            if (face)
                faces << QString::fromLatin1(face);
        return faces;
    }
    return {};
}

void UseProgramFonts()
{
    // A substitute is tried only when the named face itself is missing, and
    // before fontconfig is asked for a stand-in: a machine with the real
    // face keeps it, any other gets the face installed for it.
    for (const FaceMap& map : kFaces)
        QFont::insertSubstitutions(QString::fromLatin1(map.name), ProgramFaces(QString::fromLatin1(map.name)));
    if (!QGuiApplication::instance())
        return;
    // The face only: every other font is resolved against this one, and a
    // style hint here would make a missing serif face fall back to a sans.
    QFont dialog = QGuiApplication::font();
    dialog.setFamilies({QString::fromLatin1(kDialogFace)});
    QGuiApplication::setFont(dialog);
}

QFont FontOfLineHeight(QFont font, int lineHeight, const QPaintDevice* device)
{
    lineHeight = std::max(lineHeight, 1);
    const auto line = [&font, device] {
        return device ? QFontMetrics(font, device).height() : QFontMetrics(font).height();
    };
    font.setPixelSize(lineHeight);
    const int full = line();
    if (full <= lineHeight)
        return font;
    // The line grows about in step with the size (though hinting rounds
    // it): one guess, then size by size to the largest that fits.
    int size = std::max(1, lineHeight * lineHeight / full);
    font.setPixelSize(size);
    while (size > 1 && line() > lineHeight)
        font.setPixelSize(--size);
    while (size + 1 < lineHeight) {
        font.setPixelSize(size + 1);
        if (line() > lineHeight)
            break;
        ++size;
    }
    font.setPixelSize(size);
    return font;
}

} // namespace ui
