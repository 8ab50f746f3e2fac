#pragma once

// What the VK and VKT live windows share on their way to the instrument,
// checked the same way for both: the main window's file commands while the
// window's settings sheet is up, and the commands that read a silent
// analyser.
#include "shell/SettingsRouteSupport.h"

#include "controllers/settings/SettingsReport.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <vector>

namespace routetest {

// "Načíst z" and "Uložit jako" of the main window act on the sheet opened
// from `view`'s menu item "Nastavení &přístroje...", and on nothing once it
// has closed. The file choices they ask for are cancelled.
inline void ExpectFileCommandsReachTheLiveSheet(CMainFrame& frame, ui::CView& view)
{
    QStringList asked;
    controllers::SettingsFileChooser previous = controllers::SetSettingsFileChooser(
        [&asked](QWidget*, bool save, const QString& title, const QString&, const QString&,
                 const controllers::FileKind&) {
            asked << (save ? QStringLiteral("save: ") : QStringLiteral("open: ")) + title;
            return QString();
        });
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    EXPECT_TRUE(ProgramWithInstrument::FromLiveMenu(view, QStringLiteral("Nastavení &přístroje..."), [&](QDialog&) {
        for (int id : {CMainFrame::kSheetLoadFrom, CMainFrame::kSheetSaveAs})
            EXPECT_TRUE(frame.OnCmdMsg(id)) << id;
    }));
    controllers::SetSettingsFileChooser(std::move(previous));
    EXPECT_EQ(asked, (QStringList{QStringLiteral("open: Načíst nastavení ze souboru"),
                                  QStringLiteral("save: Uložit nastavení do souboru")}));
    EXPECT_FALSE(frame.OnCmdMsg(CMainFrame::kSheetSaveAs));
    ExpectNoError(boxes);
}

// With the analyser silent, the clock and meter items of `view`'s menu show
// no dialog but say why, with the ordinary pointer over the message, and
// leave no wait cursor behind.
inline void ExpectSilentClockAndMeterSayWhy(ProgramWithInstrument& program, ui::CView& view)
{
    const struct {
        const char* item;
        const char* said;
    } rows[] = {
        {"Nastavení času ...", "Přístroj neodpovídá !"},
        {"&Elektroměr ...", "Stav elektroměru nelze zobrazit ,protože přístroj neodpovídá !"},
    };
    program.line.SetFaults(sim::Faults{.silence = true}, 1 << 20);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.item);
        struct Met {
            QString text, caption;
            bool waitCursor;
        };
        std::vector<Met> met;
        ui::MessageBoxHandler previous = ui::SetMessageBoxHandler([&met](const ui::MessageBoxRequest& request) {
            met.push_back({request.text, request.caption, QApplication::overrideCursor() != nullptr});
            return ui::MsgAnswer::Ok;
        });
        EXPECT_FALSE(ProgramWithInstrument::FromLiveMenu(view, QString::fromUtf8(row.item), [](QDialog& dialog) {
            ADD_FAILURE() << "shown: " << dialog.windowTitle().toStdString();
        }));
        ui::SetMessageBoxHandler(std::move(previous));
        ASSERT_EQ(met.size(), 1u);
        EXPECT_EQ(met[0].text, QString::fromUtf8(row.said));
        EXPECT_EQ(met[0].caption, QStringLiteral("CHYBA"));
        EXPECT_FALSE(met[0].waitCursor);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    program.line.ClearFaults();
}

} // namespace routetest
