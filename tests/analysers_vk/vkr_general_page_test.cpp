#include "analysers_vk/ONVK.h"
#include "analysers_vk/ONVKR.h"
#include "analysers_vk/VKQuantityGrid.h"
#include "platform/Settings.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using analysers_vk::CONVK;
using analysers_vk::CONVKR;

namespace {

class VKRGeneralPage : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    platform::Settings Store() const { return platform::Settings(dir.filePath(QStringLiteral("s.ini"))); }
    QTemporaryDir dir;
};

TEST_F(VKRGeneralPage, ItsOwnSectionWithTheLineDistortionsAndNoOutputStateValue)
{
    platform::Settings settings = Store();
    settings.WriteProfileInt("Obecne nastaveni vk", QStringLiteral("isU2"), 0);
    CONVKR page;
    page.Load(settings);
    EXPECT_EQ(page.Caption(), QStringLiteral("VKR,VKN"));
    EXPECT_TRUE(page.Grid()->Shown(1)); // the VK section is not the VKR's
    for (int i = 0; i < CONVKR::kLineCount; ++i) {
        EXPECT_FALSE(page.Line(i)->isChecked());
        EXPECT_EQ(page.LineColourShown(i), CONVKR::LineColour(i));
    }
    page.Line(1)->setChecked(true);
    page.Grid()->SetShown(3, false);
    page.Save(settings);
    EXPECT_EQ(settings.GetProfileInt("Obecne nastaveni vkr", QStringLiteral("isTHDU2,3"), 0), 1);
    EXPECT_EQ(settings.GetProfileInt("Obecne nastaveni vkr", QStringLiteral("barva THDU3,1"), 0), 0xD1A0A0);
    EXPECT_EQ(settings.GetProfileInt("Obecne nastaveni vkr", QStringLiteral("isI1"), 1), 0);
    EXPECT_EQ(settings.GetProfileInt("Obecne nastaveni vkr", QStringLiteral("isSpinac"), -7), -7);
    EXPECT_EQ(settings.GetProfileInt("Obecne nastaveni vk", QStringLiteral("isI1"), -7), -7);

    CONVKR again;
    again.Load(settings);
    EXPECT_TRUE(again.Line(1)->isChecked());
    EXPECT_FALSE(again.Grid()->Shown(3));
}

TEST_F(VKRGeneralPage, ALineDistortionAloneIsEnoughForTheGraph)
{
    platform::Settings settings = Store();
    CONVKR page;
    page.Load(settings);
    for (int i = 0; i < analysers_vk::CVKQuantityGrid::kCount; ++i)
        page.Grid()->SetShown(i, false);
    page.Line(2)->setChecked(true);
    ui::ScriptedMessageBoxes boxes;
    page.OnOK();
    EXPECT_TRUE(boxes.Requests().empty());
    EXPECT_FALSE(page.Grid()->Shown(0));
    page.Line(2)->setChecked(false);
    page.OnOK();
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Graf musí obsahovat minimálně jednu veličinu."));
    EXPECT_TRUE(page.Grid()->Shown(0));
}

// The sheet loads and saves the VKR page before the VK page; both edit the
// one set of default ranges.
TEST_F(VKRGeneralPage, TheSharedRangesEditedOnEitherPageAreTheOnesStored)
{
    struct Case {
        bool editVKR;
        const char* expectedMax;
    };
    for (const Case c : {Case{true, "321"}, Case{false, "654"}}) {
        platform::Settings settings = Store();
        CONVKR vkr;
        CONVK vk;
        vkr.Load(settings);
        vk.Load(settings);
        CONVK& edited = c.editVKR ? static_cast<CONVK&>(vkr) : vk;
        edited.Automatic()->setChecked(false);
        edited.Maximum(0)->setText(QString::fromLatin1(c.expectedMax));
        ASSERT_TRUE(edited.OnKillActive());
        CONVK& other = c.editVKR ? vk : static_cast<CONVK&>(vkr);
        ASSERT_TRUE(other.OnSetActive()); // the other page shows the shared set
        EXPECT_EQ(other.Maximum(0)->text(), QString::fromLatin1(c.expectedMax));
        EXPECT_FALSE(other.Automatic()->isChecked());
        vkr.Save(settings);
        vk.Save(settings);

        CONVK reread;
        reread.Load(settings);
        EXPECT_DOUBLE_EQ(reread.Maximum(0)->text().toDouble(), QString::fromLatin1(c.expectedMax).toDouble())
            << c.editVKR;
        EXPECT_FALSE(reread.Automatic()->isChecked());
    }
}

} // namespace
