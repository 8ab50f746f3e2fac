#include "PristrojTestSupport.h"

#include "archive/store/VKTArchivData.h"

#include <QDir>
#include <QFile>

using namespace pristrojtest;

namespace {

const QString kGeneral = QStringLiteral("Obecne nastaveni");

platform::SettingsSection Key(const QString& name)
{
    return {QStringLiteral("pristroje"), name};
}

} // namespace

TEST_F(PristrojTest, KeyWithOnlyTypeGivesTheKeyDefaults)
{
    platform::Settings settings;
    settings.WriteProfileInt(Key(QStringLiteral("hala")), QStringLiteral("kat"), 4);

    CPristroj entry;
    entry.LoadSettings(settings, QStringLiteral("hala"));

    EXPECT_EQ(entry.GetType(), CPristroj::kVKT);
    EXPECT_NE(dynamic_cast<CVKTArchivData*>(entry.GetArchivData()), nullptr);
    EXPECT_EQ(entry.m_nazev, QStringLiteral("hala"));
    EXPECT_EQ(entry.m_com, QStringLiteral("COM1"));
    EXPECT_EQ(entry.m_adresa, 1);
    EXPECT_FALSE(entry.m_merit);
    EXPECT_FALSE(entry.m_zaznamenavat);
    EXPECT_FALSE(entry.m_zobrazovat);
    EXPECT_EQ(entry.m_intervalMereni, 10);
    EXPECT_EQ(entry.m_intervalZapisovani, 30);
    EXPECT_EQ(entry.m_intervalPrepisovani, 604800);
    EXPECT_TRUE(entry.m_prepisovat);
    EXPECT_EQ(entry.GetValueMask(), 255u);
    // No stored path: the data folder with the instrument's own sub-folder.
    EXPECT_TRUE(entry.m_soubor.endsWith(QStringLiteral("mereni/hala/hala"))) << entry.m_soubor.toStdString();
}

TEST_F(PristrojTest, SavedKeyReadsBackAndOnlyVktKeepsItsMeterInterval)
{
    for (int type : {CPristroj::kVK, CPristroj::kVKT}) {
        CPristroj entry;
        entry.m_nazev = QStringLiteral("Rozvodna %1").arg(type);
        entry.SetType(type, TRUE);
        entry.m_adresa = 17;
        entry.m_com = QStringLiteral("/dev/pts/9");
        entry.m_telCislo = QStringLiteral("+420 123");
        entry.m_soubor = QStringLiteral("/data/rozvodna");
        entry.m_intervalMereni = 3;
        entry.m_intervalZapisovani = 120;
        entry.m_intervalPrepisovani = 86400;
        entry.m_synchronizovat = 1;
        entry.m_onp = 1;
        entry.SetValueMask(0x1234);
        entry.SetBexorInterval(3, FALSE);

        platform::Settings settings;
        entry.SaveSettings(settings);
        QStringList order;
        for (const auto& value : entry.SavedValues())
            order << value.first;
        EXPECT_EQ(order.join(QLatin1Char(',')),
                  QStringLiteral("merit,adresa,com,telCislo,zobrazovat,synchronizovat,zaznamenavat,soubor,"
                                 "intervalPrepisovani,intervalMereni,intervalZapisovani,intervalBexor,prepisovat,"
                                 "ONP,kat,maska"));
        const auto key = Key(entry.m_nazev);
        EXPECT_EQ(settings.GetProfileInt(key, QStringLiteral("intervalBexor"), -1), type == CPristroj::kVKT ? 3 : 0);

        CPristroj back;
        back.LoadSettings(settings, entry.m_nazev);
        EXPECT_EQ(back.GetType(), type);
        EXPECT_EQ(back.m_adresa, 17);
        EXPECT_EQ(back.m_com, entry.m_com);
        EXPECT_EQ(back.m_telCislo, entry.m_telCislo);
        EXPECT_EQ(back.m_soubor, entry.m_soubor);
        EXPECT_EQ(back.m_intervalMereni, 3);
        EXPECT_EQ(back.m_intervalZapisovani, 120);
        EXPECT_EQ(back.m_intervalPrepisovani, 86400);
        EXPECT_EQ(back.m_merit, entry.m_merit);
        EXPECT_EQ(back.m_zaznamenavat, entry.m_zaznamenavat);
        EXPECT_EQ(back.m_prepisovat, entry.m_prepisovat);
        EXPECT_TRUE(back.m_synchronizovat);
        EXPECT_TRUE(back.m_onp);
        EXPECT_EQ(back.GetValueMask(), 0x1234u);
        EXPECT_EQ(back.GetBexorInterval(), type == CPristroj::kVKT ? 3 : 0);
    }
}

TEST_F(PristrojTest, StoredCategoriesAreTakenOnlyWhenTheirCountMatches)
{
    platform::Settings settings;
    const CScaleCategories defaults(CPristroj::kDuskar);

    CPristroj absent;
    absent.SetType(CPristroj::kDuskar, FALSE);
    EXPECT_EQ(absent.GetScaleCategories(), defaults);

    // Two floats stored for a count of four.
    const float two[] = {1.0f, 2.0f};
    settings.WriteProfileInt(kGeneral, QStringLiteral("duskarPocetKat"), 4);
    settings.WriteProfileBinary(kGeneral, QStringLiteral("duskarKetegorie"),
                                QByteArray(reinterpret_cast<const char*>(two), sizeof two));
    CPristroj mismatch;
    mismatch.SetType(CPristroj::kDuskar, FALSE);
    EXPECT_EQ(mismatch.GetScaleCategories(), defaults);

    const float four[] = {1.0f, 2.0f, 3.0f, 4.0f};
    settings.WriteProfileBinary(kGeneral, QStringLiteral("duskarKetegorie"),
                                QByteArray(reinterpret_cast<const char*>(four), sizeof four));
    settings.WriteProfileInt(kGeneral, QStringLiteral("duskarAuto"), 0);
    CPristroj stored;
    stored.SetType(CPristroj::kDuskar, FALSE);
    const CScaleCategories got = stored.GetScaleCategories();
    ASSERT_EQ(got.GetCount(), 4);
    EXPECT_FALSE(got.GetAuto());
    EXPECT_EQ(got.GetValues()[3], 4.0f);

    // A copy carries the categories; a defaults switch drops them.
    EXPECT_EQ(CPristroj(stored).GetScaleCategories(), got);
    stored.SetType(CPristroj::kQorin, TRUE);
    EXPECT_EQ(stored.GetScaleCategories(), CScaleCategories(CPristroj::kQorin));
}

TEST_F(PristrojTest, TypeSwitchKeepsClockSyncOnlyForTheAnalysersThatHaveIt)
{
    const struct {
        int type;
        bool keeps;
    } cases[] = {{CPristroj::kVK, true},   {CPristroj::kVKT, true},   {CPristroj::kQorin, false},
                 {CPristroj::kVKR, false}, {CPristroj::kDuskar, false}};
    for (const auto& c : cases) {
        CPristroj entry;
        entry.m_synchronizovat = 1;
        entry.SetType(c.type, TRUE);
        EXPECT_EQ(bool(entry.m_synchronizovat), c.keeps) << c.type;
        EXPECT_NE(entry.GetArchivData(), nullptr);
    }
}

TEST_F(PristrojTest, NewEntryWithSubFoldersGetsAFolderOfItsOwn)
{
    const QString folder = dir.filePath(QStringLiteral("mereni"));
    CPristroj plain(QStringLiteral("COM3"), 7, folder, FALSE, CPristroj::kQorin);
    CPristroj own(QStringLiteral("COM3"), 7, folder, TRUE, CPristroj::kQorin);
    const QString name = QStringLiteral("Přístroj7");
    EXPECT_EQ(plain.m_nazev, name);
    EXPECT_EQ(plain.m_soubor, folder + QDir::separator() + name);
    EXPECT_EQ(own.m_soubor, folder + QDir::separator() + name + QDir::separator() + name);
    EXPECT_EQ(own.m_com, QStringLiteral("COM3"));
    EXPECT_EQ(own.GetType(), CPristroj::kQorin);
}

TEST_F(PristrojTest, DataFolderCheck)
{
    const QString base = dir.filePath(QStringLiteral("a/b/hala"));
    const QString test = base + QStringLiteral("_0006soubor_na_zkousku_vymaz.vkt");

    // Missing folder, question refused: nothing created.
    EXPECT_FALSE(CheckDataDirectory(nullptr, base, 3, TRUE, &host));
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0], QStringLiteral("Adresář neexistuje, chcete jej vytvořit?"));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("a"))));

    // Accepted: the folders are made and the test file is gone again.
    host.answer = true;
    EXPECT_TRUE(CheckDataDirectory(nullptr, base, 3, TRUE, &host));
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("a/b"))).isDir());
    EXPECT_FALSE(QFileInfo::exists(test));

    // A test file left behind does not make the folder unusable.
    QFile leftover(test);
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    EXPECT_TRUE(CheckDataDirectory(nullptr, base, 3, FALSE, &host));

    // A folder that cannot be made: a file stands in the way.
    QFile blocker(dir.filePath(QStringLiteral("soubor")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(CheckDataDirectory(nullptr, dir.filePath(QStringLiteral("soubor/x/hala")), 0, TRUE, &host));
    ASSERT_FALSE(host.errors.empty());
    EXPECT_EQ(host.errors.back(), QStringLiteral("Neplatný název adresáře."));
    EXPECT_EQ(host.captions.back(), QStringLiteral("CHYBA"));
}

TEST_F(PristrojTest, SameLinkNeedsBothMeasuringOnOnePortAndAddress)
{
    CPristroj a;
    CPristroj b;
    EXPECT_TRUE(a.IsSameLink(b));
    b.m_adresa = 2;
    EXPECT_FALSE(a.IsSameLink(b));
    b.m_adresa = 1;
    b.m_com = QStringLiteral("com1");
    EXPECT_FALSE(a.IsSameLink(b));
    b.m_com = a.m_com;
    b.m_merit = 0;
    EXPECT_FALSE(a.IsSameLink(b));
}

// Addresses are told apart by the byte the frames carry: two that share it
// reach one instrument, however they were stored.
TEST_F(PristrojTest, SameLinkComparesTheAddressOnTheWire)
{
    const struct {
        short a, b;
        bool same;
    } cases[] = {{1, 257, true}, {44, 300, true}, {0, 256, true}, {1, 258, false}, {255, -1, true}, {7, 7, true}};
    for (const auto& c : cases) {
        CPristroj a;
        CPristroj b;
        a.m_adresa = c.a;
        b.m_adresa = c.b;
        EXPECT_EQ(a.IsSameLink(b) != 0, c.same) << c.a << " " << c.b;
        EXPECT_EQ(CPristroj::WireAddress(c.a) == CPristroj::WireAddress(c.b), c.same) << c.a << " " << c.b;
    }
}

// ---- applying edited settings (no thread: the family has none registered)

class ApplyTest : public PristrojTest {
protected:
    void SetUp() override
    {
        PristrojTest::SetUp();
        live.m_nazev = QStringLiteral("A");
        live.m_merit = 0;
        live.m_zaznamenavat = 0;
        live.SetType(CPristroj::kVKR, TRUE);
        other.m_nazev = QStringLiteral("B");
        other.SetType(CPristroj::kVKR, TRUE);
        host.instruments = {&live, &other};
    }

    CPristroj live{env};
    CPristroj other{env};
};

TEST_F(ApplyTest, OnlyThePanelFlagChangesWithoutAQuestion)
{
    CPristroj edited(live);
    edited.m_onp = 1;
    EXPECT_TRUE(live.ApplyChanges(nullptr, edited));
    EXPECT_TRUE(live.m_onp);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(host.saves, 0);
}

TEST_F(ApplyTest, NameCollisionAndRefusalLeaveTheEntryAlone)
{
    CPristroj edited(live);
    edited.m_nazev = QStringLiteral("B");
    EXPECT_FALSE(live.ApplyChanges(nullptr, edited));
    EXPECT_EQ(live.m_nazev, QStringLiteral("A"));
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0], QStringLiteral("Kolize názvu přístroje, nelze zařadit do seznamu."));

    edited.m_nazev = QStringLiteral("C");
    host.answer = false;
    EXPECT_FALSE(live.ApplyChanges(nullptr, edited));
    EXPECT_EQ(live.m_nazev, QStringLiteral("A"));
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0], QStringLiteral("Opravdu změnit vlastnosti přístroje ?"));
    EXPECT_EQ(host.captions.back(), QStringLiteral("INFO"));
}

TEST_F(ApplyTest, AddressCollisionKeepsTheOtherChangesWithMeasuringOff)
{
    CPristroj edited(live);
    edited.m_merit = 1;
    edited.m_intervalMereni = 2;
    host.answer = true;
    EXPECT_TRUE(live.ApplyChanges(nullptr, edited));
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0], QStringLiteral("Kolize adresy, přístroj nelze aktivovat"));
    EXPECT_FALSE(live.m_merit);
    EXPECT_EQ(live.m_intervalMereni, 2);
    EXPECT_EQ(host.saves, 1);
}

TEST_F(ApplyTest, RecordingIsSwitchedOnOnlyIntoAUsableFolder)
{
    CPristroj edited(live);
    edited.m_zaznamenavat = 1;
    edited.m_soubor = dir.filePath(QStringLiteral("novy/hala"));
    host.answer = true;
    // The edited folder is checked (and made), not the old one.
    EXPECT_TRUE(live.ApplyChanges(nullptr, edited));
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("novy"))).isDir());
    EXPECT_TRUE(live.m_zaznamenavat);
    EXPECT_EQ(live.m_soubor, edited.m_soubor);
}

TEST_F(ApplyTest, MeasuringWithoutAThreadClassIsRefusedWithAMessage)
{
    CPristroj edited(live);
    edited.m_adresa = 9;
    edited.m_merit = 1;
    host.answer = true;
    EXPECT_TRUE(live.ApplyChanges(nullptr, edited));
    EXPECT_FALSE(live.m_merit);
    EXPECT_EQ(live.m_adresa, 9);
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0], QStringLiteral("Data z přístroje nelze dále zpracovávat ,\nmožná nedostatek paměti."));
}

TEST_F(PristrojTest, StatusTextsOfAnEntryThatDoesNotRecord)
{
    CPristroj entry(env);
    entry.m_zaznamenavat = 0;
    entry.SetType(CPristroj::kVKR, TRUE);
    CPristrojStatusTexts texts;
    texts.archive = QStringLiteral("untouched");
    EXPECT_FALSE(entry.FillQorinStatusTexts(texts));
    EXPECT_FALSE(entry.FillVKTStatusTexts(texts));
    EXPECT_EQ(texts.archive, QStringLiteral("untouched"));

    EXPECT_TRUE(entry.FillVKStatusTexts(texts));
    EXPECT_EQ(texts.archive, QStringLiteral("Archivace vypnuta."));
    EXPECT_EQ(texts.ringStart, QStringLiteral("--"));
    EXPECT_EQ(texts.ringFull, QStringLiteral("--"));
    EXPECT_TRUE(texts.newest.isEmpty()); // nothing measured yet
}
