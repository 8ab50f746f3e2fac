#include "ShellTestSupport.h"

#include "shell/DeviceRegistry.h"
#include "shell/GeneralSettings.h"

#include <QDir>

using namespace shelltest;

namespace {

const QString kProgram = QStringLiteral("/opt/qorin");

class GeneralSettingsTest : public StoreTest {};

} // namespace

TEST_F(GeneralSettingsTest, FreshStoreGivesTheDefaults)
{
    CGeneralSettings general(kProgram);
    general.Load(store);

    EXPECT_EQ(general.m_maximize, 1);
    EXPECT_EQ(general.m_x, CGeneralSettings::kDefaultPlacement);
    EXPECT_EQ(general.m_cy, CGeneralSettings::kDefaultPlacement);
    for (int bar : {general.m_isGrafBar, general.m_isOvlBar, general.m_isMereniBar, general.m_isPristrojBar})
        EXPECT_EQ(bar, 1);
    EXPECT_EQ(general.m_adresar, kProgram + QDir::separator() + QStringLiteral("mereni"));
    EXPECT_EQ(general.m_pouzivatPodadresare, 1);
    EXPECT_EQ(general.m_archivInterval, 1);
    EXPECT_EQ(general.GetArchiveIntervalSeconds(), 900);
    EXPECT_TRUE(general.StartsInstruments());
    EXPECT_EQ(general.ActivationMessage(), platform::WM_DEVICE_ACTIVATE_RECORD);
    EXPECT_EQ(general.m_pocetPristroju, 0);
    EXPECT_TRUE(general.m_pristrojProTQRS.isEmpty());

    CDeviceRegistry::InstrumentList list;
    EXPECT_EQ(CDeviceRegistry::LoadInstruments(store, list, {}), 0);
    EXPECT_TRUE(list.empty());
}

TEST_F(GeneralSettingsTest, StartChoiceSelectsTheActivation)
{
    const struct {
        int stored;
        bool starts;
        platform::MessageId message;
    } cases[] = {
        {0, false, platform::WM_DEVICE_ACTIVATE_RECORD},
        {1, true, platform::WM_DEVICE_ACTIVATE_RECORD_SYNC},
        {2, true, platform::WM_DEVICE_ACTIVATE_RECORD},
        {7, true, platform::WM_DEVICE_ACTIVATE_RECORD},
    };
    for (const auto& c : cases) {
        store.WriteProfileInt(CGeneralSettings::Section(), QStringLiteral("spustit pri startu"), c.stored);
        CGeneralSettings general(kProgram);
        general.Load(store);
        EXPECT_EQ(general.StartsInstruments(), c.starts) << c.stored;
        if (c.starts) {
            EXPECT_EQ(general.ActivationMessage(), c.message) << c.stored;
        }
    }
}

TEST_F(GeneralSettingsTest, ArchiveSpanTableAndIndicesOutsideIt)
{
    const int expected[] = {-1,    900,   1800,   3600,   7200,    21600,  28800,
                            43200, 86400, 172800, 604800, 1209600, 2592000};
    for (int index = 0; index < CGeneralSettings::kArchiveIntervalCount; ++index)
        EXPECT_EQ(CGeneralSettings::ArchiveIntervalSeconds(index), expected[index]) << index;
    // The spans grow with the index, the month included.
    for (int index = 2; index < CGeneralSettings::kArchiveIntervalCount; ++index)
        EXPECT_GT(expected[index], expected[index - 1]);

    for (int stored : {-1, 13, 1000}) {
        store.WriteProfileInt(CGeneralSettings::Section(), QStringLiteral("archiv interval"), stored);
        CGeneralSettings general(kProgram);
        general.Load(store);
        EXPECT_EQ(general.m_archivInterval, 1) << stored;
        EXPECT_EQ(general.GetArchiveIntervalSeconds(), 900) << stored;
        EXPECT_EQ(CGeneralSettings::ArchiveIntervalSeconds(stored), 900) << stored;
    }
}

TEST_F(GeneralSettingsTest, ExitWritesOnlyCounterSubFoldersAndFolder)
{
    CGeneralSettings general(kProgram);
    general.Load(store);
    general.m_pocetPristroju = 4;
    general.m_pouzivatPodadresare = 0;
    general.m_adresar = QStringLiteral("/data/měření");
    general.m_archivInterval = 5;
    general.m_maximize = 0;
    ASSERT_TRUE(general.SaveOnExit(store));

    QStringList written = store.Entries(CGeneralSettings::Section());
    written.sort();
    EXPECT_EQ(written, (QStringList{QStringLiteral("adresar"), QStringLiteral("pocet pristroju"),
                                    QStringLiteral("pouzivat podadresare")}));

    CGeneralSettings again(kProgram);
    again.Load(store);
    EXPECT_EQ(again.m_pocetPristroju, 4);
    EXPECT_EQ(again.m_pouzivatPodadresare, 0);
    EXPECT_EQ(again.m_adresar, QStringLiteral("/data/měření"));
    EXPECT_EQ(again.m_archivInterval, 1);
    EXPECT_EQ(again.m_maximize, 1);
}

TEST_F(GeneralSettingsTest, CommonPageAndFrameValuesReadBack)
{
    CGeneralSettings general(kProgram);
    general.m_adresar = QStringLiteral("/srv/data");
    general.m_pouzivatPodadresare = 0;
    general.m_archivInterval = 12;
    general.m_spustitPriStartu = 0;
    general.m_prehrat = 0;
    general.m_restartovat = 0;
    general.m_maximize = 0;
    general.m_x = 10;
    general.m_y = 20;
    general.m_cx = 800;
    general.m_cy = 600;
    general.m_isOvlBar = 0;
    general.m_isPristrojBar = 0;
    ASSERT_TRUE(general.SaveCommonPage(store));
    ASSERT_TRUE(general.SaveFrame(store));

    CGeneralSettings again(kProgram);
    again.Load(store);
    EXPECT_EQ(again.m_adresar, general.m_adresar);
    EXPECT_EQ(again.m_pouzivatPodadresare, 0);
    EXPECT_EQ(again.GetArchiveIntervalSeconds(), 2592000);
    EXPECT_FALSE(again.StartsInstruments());
    EXPECT_EQ(again.m_prehrat, 0);
    EXPECT_EQ(again.m_restartovat, 0);
    EXPECT_EQ(again.m_maximize, 0);
    EXPECT_EQ(again.m_x, 10);
    EXPECT_EQ(again.m_y, 20);
    EXPECT_EQ(again.m_cx, 800);
    EXPECT_EQ(again.m_cy, 600);
    EXPECT_EQ(again.m_isGrafBar, 1);
    EXPECT_EQ(again.m_isOvlBar, 0);
    EXPECT_EQ(again.m_isMereniBar, 1);
    EXPECT_EQ(again.m_isPristrojBar, 0);
}
