// The settings sheets against simulated controllers on a pseudo-terminal:
// read, edit, send, read again.
#include "ControllerTestSupport.h"
#include "shell/SettingsRouteSupport.h"

#include "controllers/settings/DuskarDetail.h"
#include "controllers/settings/PristrojDetail.h"
#include "link/Pristroj.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace controllers;
using namespace controllers::test;
using sim::Family;

namespace {

// Plays the user through one pass of the settings loop, from the instrument
// list: edit and send, then "Přijmi"; on the sheet read again, note what
// `shown` gives and close. Returns what the re-read sheet showed.
template <class Sheet>
QString EditSendReread(routetest::ProgramWithInstrument& program, const std::function<void(Sheet&)>& edit,
                       const std::function<QString(Sheet&)>& shown)
{
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    ScriptedFileChooser noFile{QString()}; // a silent controller must not open a file dialog
    QString after;
    const int passes = program.SettingsFromInstrumentList([&](QDialog& dialog, int pass) {
        auto* sheet = qobject_cast<Sheet*>(&dialog);
        if (!sheet) {
            ADD_FAILURE() << "not the family's sheet: " << dialog.windowTitle().toStdString();
            routetest::ProgramWithInstrument::Close(dialog);
            return;
        }
        if (pass == 0) {
            edit(*sheet);
            sheet->Button(ui::CPropertySheet::IdApplyNow)->click(); // "Vyšli"
            sheet->Button(ui::CPropertySheet::IdOk)->click();       // "Přijmi"
            return;
        }
        after = shown(*sheet);
        sheet->Button(ui::CPropertySheet::IdCancel)->click();
    });
    EXPECT_EQ(passes, 2);
    EXPECT_GE(boxes.Requests().size(), 2u);
    for (const auto& request : boxes.Requests())
        EXPECT_NE(request.caption, QStringLiteral("CHYBA")) << request.text.toStdString();
    return after;
}

} // namespace

TEST(SettingsEndToEnd, QorinReadEditSendReread)
{
    routetest::ProgramWithInstrument program(SimController(Family::Qorin, routetest::ImageOf(SampleQorinConfig()), 4), CPristroj::kQorin);
    const QString shown = EditSendReread<CPristrojDetail>(
        program, [](CPristrojDetail& s) { s.m_data.Ctl<QLineEdit>(1032)->setText(QStringLiteral("0.97")); },
        [](CPristrojDetail& s) { return s.m_data.ControlText(1032); });
    EXPECT_EQ(shown, QStringLiteral("0.97"));
    CConfig written;
    const sim::Bytes block = program.Block(1, 0x16);
    ASSERT_EQ(block.size(), std::size_t(CConfig::kImageSize));
    written.FromRaw(block.data());
    EXPECT_EQ(written.tarif1.t0, 97);
    EXPECT_EQ(written.GetCtPrimaryCurrent(), 500);
    // The sent settings and the text record wait for the next hand-over.
    EXPECT_EQ(program.entry->GetArchivData()->HasPendingRecords(), 1);
}

TEST(SettingsEndToEnd, DuskarReadEditSendReread)
{
    routetest::ProgramWithInstrument program(SimController(Family::Duskar, routetest::ImageOf(SampleDuskarConfig()), 20),
                                             CPristroj::kDuskar);
    const QString shown = EditSendReread<CDuskarDetail>(
        program, [](CDuskarDetail& s) { Type(s.m_data, 1032, QString::fromUtf8("5°")); },
        [](CDuskarDetail& s) { return s.m_data.ControlText(1032); });
    EXPECT_EQ(shown, QString::fromUtf8("5°"));
    CDuskarConfig written;
    const sim::Bytes block = program.Block(1, 0x16);
    ASSERT_EQ(block.size(), std::size_t(CDuskarConfig::kImageSize));
    written.FromRaw(block.data());
    EXPECT_EQ(written.duskarTarif1.t0, 106);
}
