// The faces the program names resolve to the faces installed for them,
// whatever else the machine offers, and the dialogs are laid out in the
// dialog font. The shared test main sets the fonts up as the program's main
// does.
#include "platform/ui/DialogUnits.h"
#include "platform/ui/ProgramFonts.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(ProgramFonts, EachNameGetsTheFaceInstalledForItOrAStandIn)
{
    for (const char* name : {ui::kDialogFace, "Arial", "Times New Roman"}) {
        SCOPED_TRACE(name);
        const QStringList faces = ui::ProgramFaces(QString::fromLatin1(name));
        ASSERT_FALSE(faces.isEmpty());
        QFont font(QString::fromLatin1(name));
        font.setPixelSize(13);
        const QString used = QFontInfo(font).family();
        const auto installed = std::find_if(faces.begin(), faces.end(),
                                            [](const QString& face) { return QFontDatabase::hasFamily(face); });
        if (installed != faces.end()) {
            EXPECT_EQ(used.toStdString(), installed->toStdString());
        }
        // Missing or not, the text has a face that draws it, and drawn on a
        // page or a picture it is the same face: the dialog font the other
        // fonts are resolved against does not bend it.
        EXPECT_FALSE(used.isEmpty());
        QImage page(10, 10, QImage::Format_RGB32);
        QPainter painter(&page);
        painter.setFont(font);
        EXPECT_EQ(painter.fontInfo().family().toStdString(), used.toStdString());
        EXPECT_GT(QFontMetrics(font).horizontalAdvance(QStringLiteral("Přístroj")), 0);
        EXPECT_GT(QFontMetrics(font).height(), 0);
    }
    // A name the program does not use maps to nothing.
    EXPECT_TRUE(ui::ProgramFaces(QStringLiteral("Comic Sans MS")).isEmpty());
}

// A dialog's sizes in dialog units follow the font its widgets use: that is
// the dialog font, at the desktop's size, in the face installed for it.
TEST(ProgramFonts, WidgetsUseTheDialogFontWhoseUnitsTheDialogsAreLaidOutIn)
{
    QFont dialog(QString::fromLatin1(ui::kDialogFace));
    dialog.setPointSizeF(QApplication::font().pointSizeF());
    QLabel label(QStringLiteral("Adresa přístroje:"));
    const QString used = QFontInfo(label.font()).family();
    EXPECT_EQ(used.toStdString(), QFontInfo(dialog).family().toStdString());
    const QString face = ui::ProgramFaces(QString::fromLatin1(ui::kDialogFace)).value(0);
    if (QFontDatabase::hasFamily(face)) {
        EXPECT_EQ(used.toStdString(), face.toStdString());
    }
    const ui::DialogBaseUnits units = ui::BaseUnitsOf(label.font());
    const ui::DialogBaseUnits expected = ui::BaseUnitsOf(dialog);
    EXPECT_EQ(units.x, expected.x);
    EXPECT_EQ(units.y, expected.y);
}

// A font given by its line: the largest size whose line fits, for any face
// and on a device of any resolution.
TEST(ProgramFonts, AFontOfALineHeightIsTheLargestWhoseLineFits)
{
    QImage paper(10, 10, QImage::Format_RGB32);
    paper.setDotsPerMeterX(47244); // 1200 dpi
    paper.setDotsPerMeterY(47244);
    for (const char* face : {"Times New Roman", ui::kDialogFace, "Arial"})
        for (const QPaintDevice* device : {static_cast<const QPaintDevice*>(nullptr), static_cast<const QPaintDevice*>(&paper)})
            for (const int line : {7, 13, 18, 31, 174}) {
                SCOPED_TRACE(std::string(face) + " " + std::to_string(line) + (device ? " at 1200 dpi" : ""));
                const auto height = [device](const QFont& f) {
                    return device ? QFontMetrics(f, device).height() : QFontMetrics(f).height();
                };
                QFont font(QString::fromLatin1(face));
                font.setBold(line == 18);
                const QFont sized = ui::FontOfLineHeight(font, line, device);
                EXPECT_EQ(sized.bold(), line == 18);
                EXPECT_LE(height(sized), line);
                QFont larger = sized;
                larger.setPixelSize(sized.pixelSize() + 1);
                EXPECT_GT(height(larger), line);
            }
}

} // namespace
