#include "ShellTestSupport.h"

#include "archive/store/ArchivHost.h"
#include "link/LinkEnvironment.h"
#include "shell/DeviceRegistry.h"
#include "shell/GeneralSettings.h"

#include <QDir>

#include <memory>
#include <vector>

using namespace shelltest;

namespace {

class DeviceRegistryTest : public StoreTest {};

} // namespace

TEST_F(DeviceRegistryTest, EveryKeyBecomesAnInstrumentAfterAPause)
{
    // The stored counter says nothing about the keys that exist.
    store.WriteProfileInt(CGeneralSettings::Section(), QStringLiteral("pocet pristroju"), 9);
    const QStringList names{QStringLiteral("A hala"), QStringLiteral("B/kotelna"), QStringLiteral("C"),
                            QStringLiteral("D"), QStringLiteral("E")};
    for (const QString& name : names)
        store.WriteProfileInt(CDeviceRegistry::Key(name), QStringLiteral("kat"), 4);
    store.WriteProfileInt(CDeviceRegistry::Key(QStringLiteral("C")), QStringLiteral("kat"), 2);
    store.WriteProfileInt(CDeviceRegistry::Key(QStringLiteral("C")), QStringLiteral("merit"), 1);
    store.WriteProfileString(CDeviceRegistry::Key(QStringLiteral("C")), QStringLiteral("com"), QStringLiteral("ttyUSB0"));
    store.WriteProfileInt(CDeviceRegistry::Key(QStringLiteral("C")), QStringLiteral("adresa"), 0x10007);

    std::vector<int> pauses;
    CDeviceRegistry::InstrumentList list;
    const int read = CDeviceRegistry::LoadInstruments(store, list, [&pauses](int ms) { pauses.push_back(ms); });

    EXPECT_EQ(read, 5);
    EXPECT_EQ(pauses, std::vector<int>(5, 500));
    ASSERT_EQ(list.size(), 5u);
    for (std::size_t i = 0; i < list.size(); ++i)
        EXPECT_EQ(list[i]->m_nazev, names[qsizetype(i)]);

    // A key with only its type: a VKT analyser with the key's defaults.
    const CPristroj& vkt = *list[0];
    EXPECT_EQ(vkt.GetType(), CPristroj::kVKT);
    EXPECT_EQ(vkt.m_com, QStringLiteral("COM1"));
    EXPECT_EQ(vkt.m_adresa, 1);
    EXPECT_FALSE(vkt.m_merit);
    EXPECT_EQ(vkt.m_intervalMereni, 10);
    EXPECT_EQ(vkt.m_intervalZapisovani, 30);
    EXPECT_EQ(vkt.m_intervalPrepisovani, 604800);
    EXPECT_EQ(vkt.GetValueMask(), 255u);

    // An address beyond every bus is not cut to its low bits (which would
    // reach another instrument): the entry stays inactive.
    const CPristroj& vk = *list[2];
    EXPECT_EQ(vk.GetType(), CPristroj::kVK);
    EXPECT_FALSE(vk.m_merit);
    EXPECT_EQ(vk.m_com, QStringLiteral("ttyUSB0"));
    EXPECT_NE(vk.m_adresa, 7);
}

namespace {

// The notices an instrument read at start-up gives.
class Notices : public IArchivHost {
public:
    bool AskYesNo(int) override { return false; }
    void ReportFileError(const QString&) override {}
    void ReportBlockNotWritten(const QString&, int) override {}
    void ReportBlocksLost(const QString&, int) override {}
    void Notify(const QString& text) override { texts << text; }
    QStringList texts;
};

} // namespace

// Two instruments never record into one file: when the instruments start,
// the second one naming the first one's file stays inactive, with a notice
// that names both. When nothing starts at start-up nothing is refused, and
// no notice claims that an instrument records.
TEST_F(DeviceRegistryTest, TwoInstrumentsNamingOneArchiveFileLeaveTheSecondInactive)
{
    const QString file = QDir::temp().filePath(QStringLiteral("kotelna"));
    struct Stored {
        const char* name;
        int type;
        QString file;
    } const stored[] = {
        {"A", CPristroj::kVK, file},
        {"B", CPristroj::kVK, QDir::temp().filePath(QStringLiteral("x/../kotelna"))}, // the same file
        {"C", CPristroj::kVKT, file}, // another family, another extension
        {"D", CPristroj::kVK, file + QStringLiteral("2")},
    };
    for (const Stored& s : stored) {
        const auto key = CDeviceRegistry::Key(QString::fromLatin1(s.name));
        store.WriteProfileInt(key, QStringLiteral("kat"), s.type);
        store.WriteProfileInt(key, QStringLiteral("merit"), 1);
        store.WriteProfileInt(key, QStringLiteral("zaznamenavat"), 1);
        store.WriteProfileString(key, QStringLiteral("soubor"), s.file);
    }
    for (const bool starting : {true, false}) {
        SCOPED_TRACE(starting ? "starting" : "nothing starts");
        Notices notices;
        const auto env = std::make_shared<CLinkEnvironment>();
        env->SetArchivHost(&notices);
        CDeviceRegistry::InstrumentList list;
        ASSERT_EQ(CDeviceRegistry::LoadInstruments(store, list, {}, env, starting), 4);
        std::vector<bool> active;
        for (const auto& entry : list)
            active.push_back(entry->m_merit != 0);
        EXPECT_EQ(active, (std::vector<bool>{true, !starting, true, true}));
        if (starting) {
            ASSERT_EQ(notices.texts.size(), 1);
            EXPECT_TRUE(notices.texts[0].startsWith(QStringLiteral("Přístroj B:"))) << notices.texts[0].toStdString();
            EXPECT_TRUE(notices.texts[0].contains(QStringLiteral("přístroj A"))) << notices.texts[0].toStdString();
        } else {
            EXPECT_TRUE(notices.texts.isEmpty()) << notices.texts.join(u'\n').toStdString();
        }
    }
}

TEST_F(DeviceRegistryTest, SavedKeysReadBackAndOnlyTheVktKeepsItsMeterInterval)
{
    for (int type : {CPristroj::kQorin, CPristroj::kVK, CPristroj::kVKR, CPristroj::kVKT, CPristroj::kDuskar}) {
        const QString name = QStringLiteral("P%1").arg(type);
        store.WriteProfileInt(CDeviceRegistry::Key(name), QStringLiteral("intervalBexor"), 3);
        CPristroj entry;
        entry.m_nazev = name;
        entry.SetType(type, TRUE);
        entry.SetBexorInterval(3, FALSE);
        entry.m_adresa = 12;
        entry.m_com = QStringLiteral("/dev/pts/4");
        entry.m_soubor = QStringLiteral("/data/p");
        entry.m_intervalMereni = 2;
        entry.SetValueMask(0x3F);
        CDeviceRegistry::SaveDeviceSettings(store, entry);
    }

    const QStringList values = store.Entries(CDeviceRegistry::Key(QStringLiteral("P2")));
    EXPECT_EQ(values.size(), 16);

    CDeviceRegistry::InstrumentList list;
    ASSERT_EQ(CDeviceRegistry::LoadInstruments(store, list, {}), 5);
    for (const auto& entry : list) {
        const int stored = store.GetProfileInt(CDeviceRegistry::Key(entry->m_nazev), QStringLiteral("intervalBexor"), -1);
        EXPECT_EQ(stored, entry->GetType() == CPristroj::kVKT ? 3 : 0) << entry->m_nazev.toStdString();
        EXPECT_EQ(entry->m_adresa, 12);
        EXPECT_EQ(entry->m_com, QStringLiteral("/dev/pts/4"));
        EXPECT_EQ(entry->m_soubor, QStringLiteral("/data/p"));
        EXPECT_EQ(entry->m_intervalMereni, 2);
        EXPECT_EQ(entry->GetValueMask(), 0x3Fu);
        EXPECT_EQ(entry->GetBexorInterval(), entry->GetType() == CPristroj::kVKT ? 3 : 0);
    }
}

TEST_F(DeviceRegistryTest, MeterIntervalIsWrittenAlone)
{
    CPristroj entry;
    entry.m_nazev = QStringLiteral("VKT 1");
    entry.SetType(CPristroj::kVKT, TRUE);
    ASSERT_TRUE(CDeviceRegistry::SaveBexorInterval(store, entry, 4));
    EXPECT_EQ(store.Entries(CDeviceRegistry::Key(entry.m_nazev)), QStringList{QStringLiteral("intervalBexor")});
    EXPECT_EQ(store.GetProfileInt(CDeviceRegistry::Key(entry.m_nazev), QStringLiteral("intervalBexor"), 0), 4);
}

TEST_F(DeviceRegistryTest, IndexByNameFallsBackToTheDefaultInstrument)
{
    CDeviceRegistry::InstrumentList list;
    for (const char* name : {"hala", "kotelna", "rozvodna"}) {
        list.push_back(std::make_unique<CPristroj>());
        list.back()->m_nazev = QString::fromUtf8(name);
    }
    const struct {
        const char* name;
        const char* defaultName;
        int expected;
    } cases[] = {
        {"rozvodna", "kotelna", 2}, {"", "kotelna", 1},  {"sklad", "kotelna", 1},
        {"sklad", "", 0},           {"", "neznámý", 0}, {"hala", "", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CDeviceRegistry::DeviceIndex(list, QString::fromUtf8(c.name), QString::fromUtf8(c.defaultName)),
                  c.expected)
            << c.name << " / " << c.defaultName;
}

// The list comes back in the user's order, not by name: through additions,
// a removal that leaves a gap, and a key written before places were kept.
TEST_F(DeviceRegistryTest, InstrumentsComeBackInTheOrderTheListKept)
{
    const auto names = [](const CDeviceRegistry::InstrumentList& list) {
        QStringList out;
        for (const auto& entry : list)
            out << entry->m_nazev;
        return out;
    };
    CDeviceRegistry::InstrumentList list;
    for (const char* name : {"Zasobnik", "Kotelna", "Rozvodna", "Hala"}) {
        auto entry = std::make_unique<CPristroj>();
        entry->m_nazev = QString::fromLatin1(name);
        CDeviceRegistry::SaveDeviceSettings(store, *entry);
        list.push_back(std::move(entry));
        CDeviceRegistry::SaveOrder(store, list);
    }
    // "Kotelna" removed, "Brana" added after it: the removal left a gap.
    store.DeleteSection(CDeviceRegistry::Key(QStringLiteral("Kotelna")));
    list.erase(list.begin() + 1);
    auto added = std::make_unique<CPristroj>();
    added->m_nazev = QStringLiteral("Brana");
    CDeviceRegistry::SaveDeviceSettings(store, *added);
    list.push_back(std::move(added));
    CDeviceRegistry::SaveOrder(store, list);
    // A key from before places were kept goes after the others.
    store.WriteProfileInt(CDeviceRegistry::Key(QStringLiteral("Archiv")), QStringLiteral("kat"), 1);

    CDeviceRegistry::InstrumentList read;
    ASSERT_EQ(CDeviceRegistry::LoadInstruments(store, read, {}), 5);
    EXPECT_EQ(names(read), (QStringList{QStringLiteral("Zasobnik"), QStringLiteral("Rozvodna"), QStringLiteral("Hala"),
                                        QStringLiteral("Brana"), QStringLiteral("Archiv")}));
}

// A thousand instruments, recording into files of their own but for one
// pair: the list is read from one reading of the file (a reading per value
// takes hours at this size), comes back whole and in its order, and the
// pair is still found.
TEST_F(DeviceRegistryTest, AThousandInstrumentsAreReadFromOneReadingOfTheFile)
{
    constexpr int kCount = 1000;
    QStringList names;
    {
        platform::SettingsBatch writing;
        for (int i = 0; i < kCount; ++i) {
            names << QStringLiteral("Rozvaděč %1").arg(i, 4, 10, QLatin1Char('0'));
            const platform::SettingsSection key = CDeviceRegistry::Key(names.back());
            store.WriteProfileInt(key, QStringLiteral("kat"), CPristroj::kVK);
            store.WriteProfileInt(key, QStringLiteral("merit"), 1);
            store.WriteProfileInt(key, QStringLiteral("zaznamenavat"), 1);
            store.WriteProfileInt(key, QStringLiteral("adresa"), i % 250 + 1);
            store.WriteProfileString(key, QStringLiteral("soubor"),
                                     dir.filePath(QStringLiteral("data/%1").arg(i == kCount - 1 ? 0 : i)));
            store.WriteProfileInt(key, QStringLiteral("poradi"), kCount - 1 - i);
        }
        ASSERT_TRUE(writing.Commit());
    }
    auto host = std::make_shared<CLinkEnvironment>();
    Notices notices;
    host->SetArchivHost(&notices);

    const quint64 opened = platform::Settings::StoresOpened();
    CDeviceRegistry::InstrumentList list;
    EXPECT_EQ(CDeviceRegistry::LoadInstruments(store, list, {}, host), kCount);
    EXPECT_LE(platform::Settings::StoresOpened() - opened, 2u);

    ASSERT_EQ(list.size(), std::size_t(kCount));
    for (int i = 0; i < kCount; ++i)
        EXPECT_EQ(list[std::size_t(i)]->m_nazev, names[kCount - 1 - i]) << i;
    // Read first, the last one keeps the file; the first one written, read
    // last, stays inactive.
    EXPECT_TRUE(list.front()->m_merit);
    EXPECT_FALSE(list.back()->m_merit);
    ASSERT_EQ(notices.texts.size(), 1);
    EXPECT_TRUE(notices.texts[0].contains(QString::fromUtf8("už zaznamenává přístroj %1").arg(names.back())))
        << notices.texts[0].toStdString();
    host->SetArchivHost(nullptr);
}
