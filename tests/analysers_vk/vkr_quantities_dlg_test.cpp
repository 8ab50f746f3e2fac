#include "analysers_vk/VKGrafAktual.h"
#include "analysers_vk/VKQuantityGrid.h"
#include "analysers_vk/VKRZobrazeneVelicinyDlg.h"
#include "archive/store/VKRArchivData.h"
#include "platform/Settings.h"

#include <QCheckBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace analysers_vk;

namespace {

class VKRQuantitiesDlg : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("settings.ini")));
    }
    void TearDown() override { platform::Settings::SetFileForTesting(QString()); }
    QTemporaryDir dir;
};

TEST_F(VKRQuantitiesDlg, TheTemperatureAndTheOutputStateGoBackToTheGraph)
{
    CVKRArchivData data; // a VKR identifies no variant bit 0
    CVKGrafAktual graph;
    graph.AttachArchive(data);
    ASSERT_FALSE(graph.HasVariantFlag());
    graph.SetSpinac(0);

    CVKRZobrazeneVelicinyDlg dialog;
    ASSERT_TRUE(dialog.LoadFromGraph(graph));
    EXPECT_EQ(dialog.Relays()->text(), QStringLiteral("Zobrazit stav výstupů"));
    EXPECT_TRUE(dialog.Box(CVKQuantityGrid::kTemperature)->isEnabled());
    dialog.Box(CVKQuantityGrid::kTemperature)->setChecked(true);
    dialog.Relays()->setChecked(true);
    dialog.StoreToGraph(graph);
    int shown = 0;
    std::uint32_t colour = 0;
    ASSERT_TRUE(graph.GetQuantity(CVKQuantityGrid::kTemperature, shown, colour));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(graph.IsSpinac(), 1);

    // Read back into a new dialog, the temperature is still chosen.
    CVKRZobrazeneVelicinyDlg again;
    ASSERT_TRUE(again.LoadFromGraph(graph));
    EXPECT_TRUE(again.Box(CVKQuantityGrid::kTemperature)->isChecked());
    EXPECT_TRUE(again.Relays()->isChecked());
    graph.Detach();
}

TEST_F(VKRQuantitiesDlg, DefaultsComeFromTheVKRSectionAndKeepTheOutputStateBox)
{
    platform::Settings settings;
    settings.WriteProfileInt("Obecne nastaveni vkr", QStringLiteral("isFr"), 1);
    settings.WriteProfileInt("Obecne nastaveni vkr", QStringLiteral("isU1"), 0);
    settings.WriteProfileInt("Obecne nastaveni vk", QStringLiteral("isSpinac"), 1);
    CVKRArchivData data;
    CVKGrafAktual graph;
    graph.AttachArchive(data);
    CVKRZobrazeneVelicinyDlg dialog;
    ASSERT_TRUE(dialog.LoadFromGraph(graph));
    dialog.Relays()->setChecked(false);
    dialog.LoadDefaults();
    EXPECT_TRUE(dialog.Box(10)->isChecked());
    EXPECT_FALSE(dialog.Box(0)->isChecked());
    EXPECT_FALSE(dialog.Relays()->isChecked()); // the VKR keeps no default for it
    EXPECT_TRUE(dialog.Box(CVKQuantityGrid::kTemperature)->isEnabled());
    graph.Detach();
}

} // namespace
