#include "platform/ui/PropertySheet.h"

#include <QPushButton>
#include <QStringList>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

class LoggingPage : public ui::CPropertyPage {
public:
    LoggingPage(const QString& name, QStringList& log) : ui::CPropertyPage(name), m_log(log) {}

    void OnInitDialog() override { Log("init"); }
    bool OnSetActive() override { Log("set"); return true; }
    bool OnKillActive() override { Log("kill"); return valid; }
    bool OnApply() override { Log("apply"); return applies && ui::CPropertyPage::OnApply(); }
    void OnCancel() override { Log("cancel"); }

    bool valid = true;
    bool applies = true;

private:
    void Log(const char* what) { m_log << Caption() + QLatin1Char(':') + QLatin1String(what); }
    QStringList& m_log;
};

class PropertySheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (LoggingPage* page : {&a, &b, &c})
            sheet.AddPage(page);
        sheet.show();
        log.clear();
    }
    void TearDown() override { sheet.hide(); }

    QPushButton* Apply() { return sheet.Button(ui::CPropertySheet::IdApplyNow); }
    void Click(int id) { sheet.Button(id)->click(); }

    QStringList log;
    LoggingPage a{QStringLiteral("a"), log};
    LoggingPage b{QStringLiteral("b"), log};
    LoggingPage c{QStringLiteral("c"), log};
    ui::CPropertySheet sheet{QStringLiteral("Nastavení")};
};

TEST_F(PropertySheetTest, ApplyGoesToShownPagesAndFollowsTheModifiedFlag)
{
    EXPECT_TRUE(a.IsInitialised());
    EXPECT_FALSE(Apply()->isEnabled());
    a.SetModified();
    EXPECT_TRUE(Apply()->isEnabled());

    sheet.Tabs()->setCurrentIndex(1);
    EXPECT_EQ(sheet.GetActiveIndex(), 1);
    EXPECT_EQ(log, (QStringList{"a:kill", "b:init", "b:set"}));

    log.clear();
    Click(ui::CPropertySheet::IdApplyNow);
    EXPECT_EQ(log, (QStringList{"b:kill", "a:apply", "b:apply"}));  // c was never shown
    EXPECT_FALSE(a.IsModified());
    EXPECT_FALSE(Apply()->isEnabled());
    EXPECT_TRUE(sheet.isVisible());
}

TEST_F(PropertySheetTest, InvalidPageKeepsFocusAndStopsOk)
{
    sheet.Tabs()->setCurrentIndex(1);
    b.valid = false;
    log.clear();
    sheet.Tabs()->setCurrentIndex(2);
    EXPECT_EQ(sheet.GetActiveIndex(), 1);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), 1);
    EXPECT_FALSE(c.IsInitialised());

    Click(ui::CPropertySheet::IdOk);
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_FALSE(log.contains("a:apply"));
}

TEST_F(PropertySheetTest, RefusedApplyShowsThatPageAndKeepsTheSheetOpen)
{
    sheet.Tabs()->setCurrentIndex(1);
    a.applies = false;
    Click(ui::CPropertySheet::IdOk);
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(sheet.GetActiveIndex(), 0);
    EXPECT_FALSE(log.contains("b:apply"));

    a.applies = true;
    log.clear();
    Click(ui::CPropertySheet::IdOk);
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(log, (QStringList{"a:kill", "a:apply", "b:apply"}));
}

TEST_F(PropertySheetTest, CancelAndEscapeTellShownPagesAndApplyNothing)
{
    for (bool escape : {false, true}) {
        sheet.show();
        sheet.Tabs()->setCurrentIndex(2);
        log.clear();
        if (escape)
            sheet.reject();
        else
            Click(ui::CPropertySheet::IdCancel);
        EXPECT_FALSE(sheet.isVisible());
        EXPECT_EQ(sheet.result(), QDialog::Rejected);
        EXPECT_EQ(log, (QStringList{"a:cancel", "c:cancel"})) << escape;  // b was never shown
        sheet.Tabs()->setCurrentIndex(0);
    }
}

} // namespace
