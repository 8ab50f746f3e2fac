#include "analysers_vk/ONVK.h"
#include "analysers_vk/VKQuantityGrid.h"
#include "platform/Settings.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using analysers_vk::CONVK;

namespace {

class VKGeneralPage : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    platform::Settings Store() const { return platform::Settings(dir.filePath(QStringLiteral("s.ini"))); }
    QTemporaryDir dir;
};

TEST_F(VKGeneralPage, FreshDefaultsAndTheStoredCategoryBlock)
{
    platform::Settings settings = Store();
    CONVK page;
    page.Load(settings);
    for (int i = 0; i < analysers_vk::CVKQuantityGrid::kCount; ++i) {
        if (i != analysers_vk::CVKQuantityGrid::kI4) {
            EXPECT_EQ(page.Grid()->Shown(i), i < 6) << i;
        }
    }
    EXPECT_EQ(page.Grid()->Colour(0), 0x080D84u);
    const char* expected[7][2] = {{"0", "500"}, {"0", "10"}, {"-0", "0"}, {"40", "85"},
                                  {"-4000", "4000"}, {"0", "200"}, {"0", "100"}};
    for (int c = 0; c < 7; ++c) {
        EXPECT_EQ(page.Minimum(c)->text().toDouble(), QString::fromLatin1(expected[c][0]).toDouble()) << c;
        EXPECT_EQ(page.Maximum(c)->text().toDouble(), QString::fromLatin1(expected[c][1]).toDouble()) << c;
    }
    EXPECT_TRUE(page.Automatic()->isChecked());
    EXPECT_TRUE(page.Pane(0)->isChecked());
    EXPECT_FALSE(page.Pane(2)->isChecked());

    page.Minimum(2)->setText(QStringLiteral("-0.5"));
    page.Maximum(2)->setText(QStringLiteral("0.5"));
    page.Automatic()->setChecked(false);
    page.Grid()->SetShown(10, true);
    page.Save(settings);
    QByteArray blob;
    ASSERT_TRUE(settings.GetProfileBinary("Obecne nastaveni", QStringLiteral("VKKetegorie"), blob));
    EXPECT_EQ(blob.size(), 56);
    EXPECT_EQ(settings.GetProfileInt("Obecne nastaveni", QStringLiteral("VKPocetKat"), 0), 14);
    EXPECT_EQ(settings.GetProfileInt("Obecne nastaveni vk", QStringLiteral("isFr"), 0), 1);

    CONVK again;
    again.Load(settings);
    EXPECT_DOUBLE_EQ(again.Minimum(2)->text().toDouble(), -0.5);
    EXPECT_DOUBLE_EQ(again.Maximum(2)->text().toDouble(), 0.5);
    EXPECT_FALSE(again.Automatic()->isChecked());
    EXPECT_TRUE(again.Grid()->Shown(10));
}

TEST(VKGeneralPageRanges, Messages)
{
    EXPECT_EQ(CONVK::CheckRange(QStringLiteral("cos/PF"), 0.2, 1, -1, 1, true),
              QStringLiteral("cos/PF: u cosinu musí být maximum kladné a minimum záporné"));
    EXPECT_EQ(CONVK::CheckRange(QStringLiteral("f"), 30, 85, 35, 100, false),
              QStringLiteral("f: minimální mez je menší než 35.000000"));
    EXPECT_EQ(CONVK::CheckRange(QStringLiteral("U"), 600, 500, 0, 2147483648.0, false),
              QStringLiteral("U: minimální mez musí být menší naž maximální"));
    EXPECT_EQ(CONVK::CheckRange(QStringLiteral("THD"), 0, 900, 0, 850, false),
              QStringLiteral("THD: maximální mez je větší než 850.000000"));
    EXPECT_TRUE(CONVK::CheckRange(QStringLiteral("cos/PF"), -1, 1, -1, 1, true).isEmpty());
}

TEST_F(VKGeneralPage, LeavingWithABadRangeIsRefusedAndAnEmptyGraphGetsU1)
{
    platform::Settings settings = Store();
    CONVK page;
    page.Load(settings);
    ui::ScriptedMessageBoxes boxes;
    page.Minimum(0)->setText(QStringLiteral("600"));
    EXPECT_FALSE(page.OnKillActive());
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("U: minimální mez musí být menší naž maximální"));
    page.Minimum(0)->setText(QStringLiteral("0"));
    EXPECT_TRUE(page.OnKillActive());

    for (int i = 0; i < analysers_vk::CVKQuantityGrid::kCount; ++i)
        page.Grid()->SetShown(i, false);
    page.OnOK();
    ASSERT_EQ(boxes.Requests().size(), 2u);
    EXPECT_EQ(boxes.Requests()[1].text, QStringLiteral("Graf musí obsahovat minimálně jednu veličinu."));
    EXPECT_TRUE(page.Grid()->Shown(0));
}

} // namespace
