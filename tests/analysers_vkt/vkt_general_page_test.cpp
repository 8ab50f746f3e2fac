// The VKT page of the general settings sheet: fresh defaults, the stored
// 64-byte category block, the off-line choice and the range checks.
#include "analysers_vkt/ONVKT.h"
#include "analysers_vkt/VKTQuantityGrid.h"
#include "platform/Settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using analysers_vkt::CONVKT;
using analysers_vkt::CVKTQuantityGrid;

namespace {

TEST(VKTGeneralPage, FreshDefaultsStoredBlockAndChecks)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    platform::Settings settings(dir.filePath(QStringLiteral("s.ini")));
    CONVKT page;
    page.Load(settings);
    for (int i = 0; i < CVKTQuantityGrid::kCount; ++i)
        EXPECT_EQ(page.Grid()->Shown(i), i < 8) << i;
    EXPECT_EQ(page.Grid()->Colour(3), 0xAFAFDDu); // U4
    EXPECT_EQ(page.OffLine()->currentIndex(), 0);
    EXPECT_EQ(page.OffLine()->currentText(), QStringLiteral("průměry"));
    EXPECT_DOUBLE_EQ(page.Minimum(7)->text().toDouble(), 0.0); // unbalance 0..2
    EXPECT_DOUBLE_EQ(page.Maximum(7)->text().toDouble(), 2.0);
    EXPECT_TRUE(page.Automatic()->isChecked());
    EXPECT_TRUE(page.CheckRanges().isEmpty());

    page.Maximum(7)->setText(QStringLiteral("3"));
    EXPECT_EQ(page.CheckRanges(), QStringLiteral("u2: maximální mez je větší než 2.000000"));
    page.Maximum(7)->setText(QStringLiteral("1.5"));
    page.OffLine()->setCurrentIndex(2); // "minima"
    page.Automatic()->setChecked(false);
    page.Grid()->SetShown(22, true);
    page.Save(settings);
    QByteArray blob;
    ASSERT_TRUE(settings.GetProfileBinary("Obecne nastaveni", QStringLiteral("VKTKetegorie"), blob));
    EXPECT_EQ(blob.size(), 64);
    EXPECT_EQ(settings.GetProfileInt("Obecne nastaveni", QStringLiteral("VKTPocetKat"), 0), 16);
    EXPECT_EQ(settings.GetProfileInt("Obecne nastaveni vkt", QStringLiteral("offLineZob"), -1), 2);
    EXPECT_EQ(settings.GetProfileInt("Obecne nastaveni vkt", QStringLiteral("is_u2"), 0), 1);

    CONVKT again;
    again.Load(settings);
    EXPECT_DOUBLE_EQ(again.Maximum(7)->text().toDouble(), 1.5);
    EXPECT_FALSE(again.Automatic()->isChecked());
    EXPECT_EQ(again.OffLine()->currentIndex(), 2);
    EXPECT_TRUE(again.Grid()->Shown(22));
}

} // namespace
