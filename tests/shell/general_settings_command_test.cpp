// "Přístroje > Obecná nastavení..." from the main window with the program's
// families: the sheet's family pages are visited and the sheet ends every
// way the user can end it; the program goes on afterwards.
#include "AppTestSupport.h"
#include "ModalDriver.h"
#include "SheetSteps.h"
#include "ShellTestSupport.h"

#include "analysers_vk/ONVK.h"
#include "analysers_vk/ONVKR.h"
#include "app/Families.h"
#include "controllers/graph/ControllerGeneralPage.h"
#include "controllers/graph/DisplaySettingsForm.h"
#include "model/ScaleCategories.h"
#include "platform/ui/PropertySheet.h"
#include "shell/GeneralSettings.h"
#include "shell/MainFrame.h"
#include "shell/ObecneNastaveni.h"
#include "support/ScriptedMessageBoxes.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTabWidget>

namespace {

using analysers_vk::CONVK;
using analysers_vk::CONVKR;
using shelltest::Ending;

struct Case {
    const char* name;
    Ending ending;
    bool writes; // the general values are written
};

// The program with its families, started on a store of its own.
class ProgramTest : public shelltest::StoreTest {
protected:
    void Start()
    {
        app = std::make_unique<CMavexApp>(shelltest::QuietEnvironment());
        app->SetFamilies(CFamilyList(ProgramFamilies()));
        ASSERT_TRUE(app->InitInstance({QStringLiteral("qorin01")}));
    }

    void TearDown() override
    {
        if (app)
            app->ExitInstance();
        app.reset();
        StoreTest::TearDown();
    }

    std::unique_ptr<CMavexApp> app;
};

class GeneralSettingsCommandTest : public ProgramTest, public ::testing::WithParamInterface<Case> {};

TEST_P(GeneralSettingsCommandTest, SheetEndsAfterTheFamilyTabsWereVisited)
{
    const Case c = GetParam();
    ASSERT_NO_FATAL_FAILURE(Start());
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

// The default graph ranges are one set edited on the VK and the VKR page:
// what is typed on one page shows on the other when its tab is clicked, and
// OK stores it whichever page was left last; Cancel and Escape store nothing.
constexpr int kVKType = 2;
constexpr int kPowerFactor = 2;
constexpr int kFrequency = 3;

const QString kVKTab = QStringLiteral("PJW,PJX");
const QString kVKRTab = QStringLiteral("VKR,VKN");

struct RangeCase {
    const char* name;
    bool editOnVKR; // else the edits are typed on the VK page
    Ending ending;
};

CONVK* PageOfTab(CObecneNastaveni& sheet, const QString& tab)
{
    for (CONVK* page : sheet.findChildren<CONVK*>()) {
        if ((qobject_cast<CONVKR*>(page) != nullptr) == (tab == kVKRTab))
            return page;
    }
    return nullptr;
}

// Types into a range box and leaves it with Tab, which checks the row.
void TypeAndLeave(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
}

class GeneralSettingsVKRanges : public ProgramTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(GeneralSettingsVKRanges, EditsOfEitherPageSurviveAVisitOfTheOther)
{
    const RangeCase c = GetParam();
    ASSERT_NO_FATAL_FAILURE(Start());
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);

    const QString editedTab = c.editOnVKR ? kVKRTab : kVKTab;
    const QString otherTab = c.editOnVKR ? kVKTab : kVKRTab;
    QString otherShows;
    bool otherAutomatic = true;
    const auto run = [&] { app->MainFrame()->Action(CMainFrame::kGeneralSettings)->trigger(); };
    const bool came = shelltest::WithModal<CObecneNastaveni>(run, [&](CObecneNastaveni& sheet) {
        ASSERT_EQ(shelltest::ClickTab(sheet, editedTab), editedTab);
        CONVK* edited = PageOfTab(sheet, editedTab);
        ASSERT_NE(edited, nullptr);
        QTest::mouseClick(edited->Automatic(), Qt::LeftButton, {}, QPoint(8, edited->Automatic()->height() / 2));
        ASSERT_FALSE(edited->Automatic()->isChecked());
        TypeAndLeave(edited->Minimum(kFrequency), QStringLiteral("45"));
        TypeAndLeave(edited->Minimum(kPowerFactor), QStringLiteral("-1"));
        TypeAndLeave(edited->Maximum(kPowerFactor), QStringLiteral("0.5"));

        ASSERT_EQ(shelltest::ClickTab(sheet, otherTab), otherTab);
        CONVK* other = PageOfTab(sheet, otherTab);
        ASSERT_NE(other, nullptr);
        otherShows = other->Minimum(kFrequency)->text();
        otherAutomatic = other->Automatic()->isChecked();
        // Leaving the other page gives its boxes back to the shared set.
        ASSERT_EQ(shelltest::ClickTab(sheet, QStringLiteral("VKT")), QStringLiteral("VKT"));
        shelltest::EndSheet(sheet, c.ending);
    });

    ASSERT_TRUE(came);
    EXPECT_TRUE(boxes.Requests().empty()) << boxes.Requests().front().text.toStdString();
    EXPECT_DOUBLE_EQ(otherShows.toDouble(), 45.0) << otherShows.toStdString();
    EXPECT_FALSE(otherAutomatic);

    const platform::Settings stored;
    CScaleCategories ranges(kVKType);
    ranges.LoadFromSettings(kVKType, stored);
    if (c.ending != Ending::Ok) {
        EXPECT_EQ(ranges, CScaleCategories(kVKType));
        EXPECT_FALSE(store.Contains(platform::SettingsSection("Obecne nastaveni"), QStringLiteral("VKAuto")));
        return;
    }
    EXPECT_FALSE(ranges.GetAuto());
    float low = 0;
    float high = 0;
    ASSERT_TRUE(ranges.GetRange(kFrequency, low, high));
    EXPECT_FLOAT_EQ(low, 45.f);
    EXPECT_FLOAT_EQ(high, 85.f);
    // The power factor is kept folded: minimum negated, maximum from 2.
    ASSERT_TRUE(ranges.GetRange(kPowerFactor, low, high));
    EXPECT_FLOAT_EQ(low, 1.f);
    EXPECT_FLOAT_EQ(high, 1.5f);
}

INSTANTIATE_TEST_SUITE_P(Directions, GeneralSettingsVKRanges,
                         ::testing::Values(RangeCase{"VkThenVkrOk", false, Ending::Ok},
                                           RangeCase{"VkrThenVkOk", true, Ending::Ok},
                                           RangeCase{"VkThenVkrEscape", false, Ending::Escape},
                                           RangeCase{"VkrThenVkCancel", true, Ending::Cancel}),
                         [](const ::testing::TestParamInfo<RangeCase>& info) { return std::string(info.param.name); });

// A range typed out of bounds on a family page is refused as the user
// leaves the box, by Tab or by a click on another tab: one message, the page
// stays, and the box at fault has the focus again.
struct LeaveCase {
    const char* tab;
    int category;  // analyser pages: the category's minimum box
    int editId;    // controller pages: the edit's id
    const char* typed;
    bool byTabKey; // else by a click on the tab "VKT"
    const char* message;
};

QLineEdit* RangeEdit(ui::CPropertySheet& sheet, const LeaveCase& c)
{
    if (auto* controller = dynamic_cast<controllers::CControllerGeneralPage*>(sheet.GetActivePage()))
        return qobject_cast<QLineEdit*>(controller->Form()->Control(c.editId));
    if (auto* analyser = dynamic_cast<CONVK*>(sheet.GetActivePage()))
        return analyser->Minimum(c.category);
    return nullptr;
}

QCheckBox* AutomaticRanges(ui::CPropertySheet& sheet)
{
    if (auto* controller = dynamic_cast<controllers::CControllerGeneralPage*>(sheet.GetActivePage()))
        return qobject_cast<QCheckBox*>(controller->Form()->Control(1087));
    if (auto* analyser = dynamic_cast<CONVK*>(sheet.GetActivePage()))
        return analyser->Automatic();
    return nullptr;
}

TEST_F(ProgramTest, RangeLeftOutOfBoundsIsRefusedOnceWithTheFocusBack)
{
    const LeaveCase cases[] = {
        {"Qorin xxx", 0, 1024, "-1", true, "THD: minimální mez je menší než 0.000000 "},
        {"Qorin xxx", 0, 1022, "0.2", false, "cos: u cosinu musí být maximum kladné a minimum záporné"},
        {"Qorin 1xxx", 0, 1020, "30", true, "f: minimální mez je menší než 35.000000 "},
        {"Qorin 1xxx", 0, 1022, "-5", false, "THD: minimální mez je menší než 0.000000 "},
        {"PJW,PJX", 3, 0, "30", false, "f: minimální mez je menší než 35.000000"},
        {"VKR,VKN", 5, 0, "-5", false, "THD: minimální mez je menší než 0.000000"},
        {"VKR,VKN", 3, 0, "30", true, "f: minimální mez je menší než 35.000000"},
    };
    ASSERT_NO_FATAL_FAILURE(Start());
    for (const LeaveCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.tab << " " << c.typed << (c.byTabKey ? " Tab" : " tab click"));
        ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
        QStringList said;
        QString shownTab;
        QWidget* focusAfter = nullptr;
        QLineEdit* edit = nullptr;
        const auto run = [&] { app->MainFrame()->Action(CMainFrame::kGeneralSettings)->trigger(); };
        const bool came = shelltest::WithModal<CObecneNastaveni>(run, [&](CObecneNastaveni& sheet) {
            ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
            ASSERT_EQ(shelltest::ClickTab(sheet, QString::fromUtf8(c.tab)), QString::fromUtf8(c.tab));
            QCheckBox* automatic = AutomaticRanges(sheet);
            ASSERT_NE(automatic, nullptr);
            if (automatic->isChecked())
                QTest::mouseClick(automatic, Qt::LeftButton, {}, QPoint(8, automatic->height() / 2));
            edit = RangeEdit(sheet, c);
            ASSERT_NE(edit, nullptr);
            QTest::mouseClick(edit, Qt::LeftButton);
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(edit, QString::fromUtf8(c.typed));
            ASSERT_EQ(QApplication::focusWidget(), edit);
            if (c.byTabKey)
                QTest::keyClick(edit, Qt::Key_Tab);
            else
                shelltest::ClickTab(sheet, QStringLiteral("VKT"));
            QCoreApplication::processEvents();
            shownTab = sheet.Tabs()->tabText(sheet.Tabs()->currentIndex());
            focusAfter = QApplication::focusWidget();
            for (const auto& request : boxes.Requests())
                said << request.text;
            shelltest::EndSheet(sheet, Ending::Cancel);
        });
        ASSERT_TRUE(came);
        const QString message = QString::fromUtf8(c.message);
        EXPECT_EQ(said, QStringList{message});
        EXPECT_EQ(shownTab, QString::fromUtf8(c.tab));
        EXPECT_EQ(focusAfter, edit);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

// A refused range box is refused every time the user leaves it, also when
// its text was not touched since the last refusal; a valid value then goes
// through without a word.
TEST_F(ProgramTest, RangeLeftAgainUnchangedIsRefusedAgain)
{
    const struct {
        LeaveCase leave;
        const char* valid;
    } cases[] = {
        {{"Qorin xxx", 0, 1024, "-1", true, "THD: minimální mez je menší než 0.000000 "}, "0"},
        {{"Qorin xxx", 0, 1022, "0.2", true, "cos: u cosinu musí být maximum kladné a minimum záporné"}, "-1"},
        {{"Qorin 1xxx", 0, 1020, "30", true, "f: minimální mez je menší než 35.000000 "}, "40"},
        {{"PJW,PJX", 3, 0, "30", true, "f: minimální mez je menší než 35.000000"}, "40"},
        {{"VKR,VKN", 5, 0, "-5", true, "THD: minimální mez je menší než 0.000000"}, "0"},
    };
    ASSERT_NO_FATAL_FAILURE(Start());
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.leave.tab << " " << c.leave.typed);
        ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
        std::vector<std::size_t> saidAfterLeaving;
        std::vector<bool> focusBack;
        QString lastSaid;
        const auto run = [&] { app->MainFrame()->Action(CMainFrame::kGeneralSettings)->trigger(); };
        const bool came = shelltest::WithModal<CObecneNastaveni>(run, [&](CObecneNastaveni& sheet) {
            ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
            ASSERT_EQ(shelltest::ClickTab(sheet, QString::fromUtf8(c.leave.tab)), QString::fromUtf8(c.leave.tab));
            QCheckBox* automatic = AutomaticRanges(sheet);
            ASSERT_NE(automatic, nullptr);
            if (automatic->isChecked())
                QTest::mouseClick(automatic, Qt::LeftButton, {}, QPoint(8, automatic->height() / 2));
            QLineEdit* edit = RangeEdit(sheet, c.leave);
            ASSERT_NE(edit, nullptr);
            QTest::mouseClick(edit, Qt::LeftButton);
            // Typed, left; left again untouched; then a valid value, left.
            for (const char* typed : {c.leave.typed, static_cast<const char*>(nullptr), c.valid}) {
                if (typed) {
                    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
                    QTest::keyClicks(edit, QString::fromUtf8(typed));
                }
                ASSERT_EQ(QApplication::focusWidget(), edit);
                QTest::keyClick(edit, Qt::Key_Tab);
                QCoreApplication::processEvents();
                saidAfterLeaving.push_back(boxes.Requests().size());
                focusBack.push_back(QApplication::focusWidget() == edit);
            }
            if (!boxes.Requests().empty())
                lastSaid = boxes.Requests().back().text;
            shelltest::EndSheet(sheet, Ending::Cancel);
        });
        ASSERT_TRUE(came);
        EXPECT_EQ(saidAfterLeaving, (std::vector<std::size_t>{1, 2, 2}));
        EXPECT_EQ(focusBack, (std::vector<bool>{true, true, false}));
        EXPECT_EQ(lastSaid, QString::fromUtf8(c.leave.message));
    }
}

} // namespace
