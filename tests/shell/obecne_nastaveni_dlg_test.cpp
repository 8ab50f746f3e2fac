#include "DialogTestSupport.h"

#include "shell/GeneralSettings.h"
#include "shell/ObecneNastaveni.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>

using namespace shelltest;

namespace {

class ObecneNastaveniTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        store.WriteProfileString(CGeneralSettings::Section(), QStringLiteral("adresar"), OldFolder());
    }
    QString OldFolder() const { return dir.filePath(QStringLiteral("Old")); }

    // The families whose pages the sheet shows.
    CFamilyList pageFamilies;

    // The sheet loaded and shown on its common page.
    std::unique_ptr<CObecneNastaveni> Open(CPortList& list)
    {
        auto sheet = std::make_unique<CObecneNastaveni>(
            QStringLiteral("Obecná nastavení"), CONSpolecne::Context{general, list, store, instruments}, nullptr, 0,
            &pageFamilies);
        sheet->Load();
        sheet->open();
        return sheet;
    }
    void PressOk(CObecneNastaveni& sheet)
    {
        sheet.Button(ui::CPropertySheet::IdOk)->click();
        ASSERT_EQ(sheet.result(), QDialog::Accepted);
        sheet.Apply();
    }
    template <class T>
    static T* C(CObecneNastaveni& sheet, int id)
    {
        T* control = sheet.Spolecne().Control<T>(id);
        EXPECT_NE(control, nullptr) << id;
        return control;
    }
    QStringList PortValues() const
    {
        QStringList names;
        for (const QString& name : store.Entries(CGeneralSettings::Section()))
            if (name.startsWith(QStringLiteral("COM")))
                names << name;
        return names + store.Entries(QStringLiteral("modemy"));
    }

    CGeneralSettings general{QStringLiteral("/opt/qorin")};
    CDeviceRegistry::InstrumentList instruments;
};

} // namespace

TEST_F(ObecneNastaveniTest, StartUpChoiceAloneWritesTheGeneralValuesAndNoPortValue)
{
    auto sheet = Open(ports);
    auto* tabs = C<QTabBar>(*sheet, 1261);
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("Modem A"));
    C<QComboBox>(*sheet, 1262)->setCurrentIndex(0);
    PressOk(*sheet);

    EXPECT_EQ(store.GetProfileInt(CGeneralSettings::Section(), QStringLiteral("spustit pri startu"), -1), 0);
    for (const char* name : {"pouzivat podadresare", "prehrat", "restartovat", "archiv interval"})
        EXPECT_TRUE(store.Contains(CGeneralSettings::Section(), QString::fromLatin1(name))) << name;
    EXPECT_EQ(general.m_spustitPriStartu, 0);
    EXPECT_TRUE(PortValues().isEmpty()) << PortValues().join(QLatin1Char(',')).toStdString();
}

TEST_F(ObecneNastaveniTest, PortTabsShowAndWriteOnlyChangedPorts)
{
    auto sheet = Open(ports);
    auto* tabs = C<QTabBar>(*sheet, 1261);
    auto* rate = C<QComboBox>(*sheet, 1003);
    auto* character = C<QComboBox>(*sheet, 1004);
    EXPECT_EQ(rate->currentText(), QStringLiteral("9600 Bd"));
    EXPECT_FALSE(character->isEnabled());
    EXPECT_EQ(C<QLineEdit>(*sheet, 1017)->text(), QStringLiteral("USB"));

    tabs->setCurrentIndex(1); // the analyser's port, never configured
    EXPECT_EQ(rate->currentText(), QStringLiteral("115200 Bd"));
    rate->setCurrentText(QStringLiteral("19200 Bd"));

    tabs->setCurrentIndex(2);
    EXPECT_TRUE(character->isEnabled());
    EXPECT_TRUE(C<QCheckBox>(*sheet, 1026)->isChecked());
    EXPECT_EQ(character->count(), 5);
    character->setCurrentIndex(2);
    C<QCheckBox>(*sheet, 1026)->setChecked(false);
    PressOk(*sheet);

    EXPECT_EQ(store.GetProfileInt(CGeneralSettings::Section(), QStringLiteral("COM3"), 0), 19200);
    EXPECT_FALSE(store.Contains(CGeneralSettings::Section(), QStringLiteral("COM1")));
    EXPECT_EQ(store.GetProfileInt(QStringLiteral("modemy"), QStringLiteral("Modem A_r"), 0), 9600);
    EXPECT_EQ(store.GetProfileInt(QStringLiteral("modemy"), QStringLiteral("Modem A_ks"), 0), 2);
    EXPECT_EQ(store.GetProfileInt(QStringLiteral("modemy"), QStringLiteral("Modem A_nav"), -1), 0);
    // The line's totals are the modem code's: a line never dialled gets none.
    QStringList modemKeys = store.Entries(QStringLiteral("modemy"));
    modemKeys.sort();
    EXPECT_EQ(modemKeys, (QStringList{QStringLiteral("Modem A_ks"), QStringLiteral("Modem A_nav"), QStringLiteral("Modem A_r")}));
}

TEST_F(ObecneNastaveniTest, SinglePortShowsAndWritesNoPortValues)
{
    CPortList single([] {
        std::vector<CSerialPortInfo> list(1);
        list[0].portName = list[0].devicePath = QStringLiteral("COM1");
        return list;
    }, [](const QString&, int value) { return value; });
    single.Build();
    auto sheet = Open(single);
    EXPECT_EQ(C<QTabBar>(*sheet, 1261)->count(), 0);
    EXPECT_FALSE(C<QComboBox>(*sheet, 1003)->isVisible());
    PressOk(*sheet);
    EXPECT_TRUE(sheet->Spolecne().Ports().empty());
    EXPECT_TRUE(PortValues().isEmpty());
}

TEST_F(ObecneNastaveniTest, NewDataFolderIsTrimmedAndReplacesTheOldOneInArchivePaths)
{
    const QString sep = QDir::separator();
    const QString newFolder = dir.filePath(QStringLiteral("New"));
    const struct {
        const char* name;
        QString file;
        QString expected;
    } rows[] = {
        {"A", OldFolder() + sep + QStringLiteral("A"), newFolder + sep + QStringLiteral("A")},
        {"B", OldFolder().toUpper() + sep + QStringLiteral("B"), newFolder + sep + QStringLiteral("B")},
        {"C", OldFolder() + QStringLiteral("2") + sep + QStringLiteral("C"), OldFolder() + QStringLiteral("2") + sep + QStringLiteral("C")},
    };
    for (const auto& r : rows) {
        auto e = std::make_unique<CPristroj>(QStringLiteral("COM1"), 1, OldFolder(), FALSE, CPristroj::kVK, env);
        e->m_nazev = QString::fromLatin1(r.name);
        e->m_soubor = r.file;
        instruments.push_back(std::move(e));
    }

    auto sheet = Open(ports);
    auto* replace = C<QCheckBox>(*sheet, 1016);
    auto* folder = C<QLineEdit>(*sheet, 1132);
    EXPECT_FALSE(replace->isEnabled());
    folder->setText(QStringLiteral("  ") + newFolder + QStringLiteral("\\ "));
    EXPECT_TRUE(replace->isEnabled());
    replace->setChecked(true);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes); // create the new folder
    PressOk(*sheet);

    EXPECT_EQ(store.GetProfileString(CGeneralSettings::Section(), QStringLiteral("adresar")), newFolder);
    EXPECT_EQ(general.m_adresar, newFolder);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(instruments[i]->m_soubor, rows[i].expected) << rows[i].name;
        EXPECT_EQ(store.Contains(CDeviceRegistry::Key(QString::fromLatin1(rows[i].name)), QStringLiteral("soubor")),
                  rows[i].expected != rows[i].file)
            << rows[i].name;
    }
    EXPECT_TRUE(QDir(newFolder).exists());
}

TEST_F(ObecneNastaveniTest, FamilyPagesFollowTheTabAndSaveOrder)
{
    QStringList calls;
    class Page : public CGeneralSettingsFamilyPage {
    public:
        Page(const QString& name, QStringList& calls) : CGeneralSettingsFamilyPage(name), m_calls(calls) {}
        void Load(platform::Settings&) override { m_calls << QStringLiteral("load ") + Caption(); }
        void Save(platform::Settings&) override { m_calls << QStringLiteral("save ") + Caption(); }

    private:
        QStringList& m_calls;
    };
    std::vector<CFamilyDescriptor> withPages = ProgramFamilies();
    // Three families with pages of the test, the others with none, whatever
    // pages the program's families bring.
    for (CFamilyDescriptor& family : withPages) {
        family.generalSettingsPage = nullptr;
        if (family.type == CPristroj::kQorin || family.type == CPristroj::kVK || family.type == CPristroj::kVKR)
            family.generalSettingsPage = [type = family.type, &calls] {
                return std::make_unique<Page>(QString::number(type), calls);
            };
    }
    pageFamilies = CFamilyList(withPages);
    {
        auto sheet = Open(ports);
        ASSERT_EQ(sheet->GetPageCount(), 4);
        EXPECT_EQ(sheet->GetPage(0)->Caption(), QStringLiteral("Společná nastavení"));
        EXPECT_EQ(sheet->GetPage(1)->Caption(), QStringLiteral("1"));
        EXPECT_EQ(sheet->GetPage(3)->Caption(), QStringLiteral("3"));
        PressOk(*sheet);
    }
    EXPECT_EQ(calls, (QStringList{QStringLiteral("load 3"), QStringLiteral("load 2"), QStringLiteral("load 1"),
                                  QStringLiteral("save 3"), QStringLiteral("save 2"), QStringLiteral("save 1")}));
}
