// "Přístroje > Obecná nastavení..." from the main window with the program's
// families: the sheet's family pages are visited and the sheet ends every
// way the user can end it; the program goes on afterwards.
#include "AppTestSupport.h"
#include "ModalDriver.h"
#include "SheetSteps.h"
#include "ShellTestSupport.h"

#include "app/Families.h"
#include "platform/ui/PropertySheet.h"
#include "shell/GeneralSettings.h"
#include "shell/MainFrame.h"
#include "shell/ObecneNastaveni.h"
#include "support/ScriptedMessageBoxes.h"

#include <QAction>
#include <QApplication>

namespace {

using shelltest::Ending;

struct Case {
    const char* name;
    Ending ending;
    bool writes; // the general values are written
};

class GeneralSettingsCommandTest : public shelltest::StoreTest, public ::testing::WithParamInterface<Case> {
protected:
    void TearDown() override
    {
        if (app)
            app->ExitInstance();
        app.reset();
        StoreTest::TearDown();
    }

    std::unique_ptr<CMavexApp> app;
};

TEST_P(GeneralSettingsCommandTest, SheetEndsAfterTheFamilyTabsWereVisited)
{
    const Case c = GetParam();
    app = std::make_unique<CMavexApp>(shelltest::QuietEnvironment());
    app->SetFamilies(CFamilyList(ProgramFamilies()));
    ASSERT_TRUE(app->InitInstance({QStringLiteral("qorin01")}));
    ui::ScriptedMessageBoxes boxes;

    QStringList visited;
    QStringList buttons;
    const auto run = [&] { app->MainFrame()->Action(CMainFrame::kGeneralSettings)->trigger(); };
    const bool came = shelltest::WithModal<CObecneNastaveni>(run, [&](CObecneNastaveni& sheet) {
        buttons = {sheet.Button(ui::CPropertySheet::IdOk)->text(), sheet.Button(ui::CPropertySheet::IdCancel)->text(),
                   sheet.Button(ui::CPropertySheet::IdApplyNow)->text()};
        // As the user does: a click on each tab; the last one stays active.
        for (const char* caption : {"VKR,VKN", "Qorin"})
            visited << shelltest::ClickTab(sheet, QString::fromUtf8(caption));
        shelltest::EndSheet(sheet, c.ending);
    });

    ASSERT_TRUE(came);
    // Qt's standard buttons speak Czech.
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("OK"), QStringLiteral("Zrušit"), QStringLiteral("Použít")}));
    EXPECT_EQ(visited, (QStringList{QStringLiteral("VKR,VKN"), QStringLiteral("Qorin xxx")}));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(store.Contains(CGeneralSettings::Section(), QStringLiteral("spustit pri startu")), c.writes);
    // The program goes on: the sheet opens again.
    EXPECT_TRUE(shelltest::WithModal<CObecneNastaveni>(run, [](CObecneNastaveni& sheet) { sheet.reject(); }));
}

INSTANTIATE_TEST_SUITE_P(Endings, GeneralSettingsCommandTest,
                         ::testing::Values(Case{"Ok", Ending::Ok, true}, Case{"Cancel", Ending::Cancel, false},
                                           Case{"Escape", Ending::Escape, false}),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

} // namespace
