#include "DialogTestSupport.h"

#include "shell/AddInstrumentDlg.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

using namespace shelltest;

namespace {

class AddInstrumentDlgTest : public DialogTest {
protected:
    // The dialog over `entry`, shown (filled) and not yet closed.
    std::unique_ptr<CAddInstrumentDlg> Open(CPristroj& entry, bool isNew)
    {
        auto dlg = std::make_unique<CAddInstrumentDlg>(families, ports, DataFolder(), true);
        dlg->SetEntry(&entry, isNew, nullptr);
        dlg->open();
        return dlg;
    }
    template <class T>
    static T* C(const CAddInstrumentDlg& dlg, int id)
    {
        T* control = dlg.Control<T>(id);
        EXPECT_NE(control, nullptr) << id;
        return control;
    }
};

} // namespace

TEST_F(AddInstrumentDlgTest, NewInstrumentOkWritesTheControlsIntoTheEntry)
{
    CPristroj entry(QStringLiteral("COM3"), 1, DataFolder(), TRUE, CPristroj::kVK, env);
    entry.m_zaznamenavat = 0;
    auto dlg = Open(entry, true);

    auto* port = C<QComboBox>(*dlg, CAddInstrumentDlg::IdPort);
    ASSERT_EQ(port->count(), 3);
    EXPECT_EQ(port->itemText(0), QStringLiteral("COM1 ( USB )"));
    EXPECT_EQ(port->itemText(1), QStringLiteral("COM3 "));
    EXPECT_EQ(port->currentIndex(), 1);
    EXPECT_FALSE(C<QLineEdit>(*dlg, CAddInstrumentDlg::IdTelephone)->isEnabled());
    port->setCurrentIndex(2);
    EXPECT_TRUE(C<QLineEdit>(*dlg, CAddInstrumentDlg::IdTelephone)->isEnabled());

    auto* name = C<QLineEdit>(*dlg, CAddInstrumentDlg::IdName);
    name->setText(QString());
    name->insert(QStringLiteral("Meter"));
    const QString sep = QDir::separator();
    EXPECT_EQ(C<QLineEdit>(*dlg, CAddInstrumentDlg::IdArchiveFile)->text(),
              DataFolder() + sep + QStringLiteral("Meter") + sep + QStringLiteral("Meter"));

    C<QLineEdit>(*dlg, CAddInstrumentDlg::IdAddress)->setText(QStringLiteral("253"));
    C<QLineEdit>(*dlg, CAddInstrumentDlg::IdTelephone)->setText(QStringLiteral("123456"));
    C<QComboBox>(*dlg, CAddInstrumentDlg::IdType)->setCurrentIndex(3);
    C<QComboBox>(*dlg, CAddInstrumentDlg::IdMeasuringInterval)->setCurrentIndex(2); // 10 s
    auto* recording = C<QComboBox>(*dlg, CAddInstrumentDlg::IdRecordingInterval);
    ASSERT_EQ(recording->count(), 4);
    EXPECT_EQ(recording->itemText(3), QStringLiteral("40"));
    recording->setCurrentIndex(2);
    C<QComboBox>(*dlg, CAddInstrumentDlg::IdOverwritePeriod)->setCurrentIndex(3);
    C<QCheckBox>(*dlg, CAddInstrumentDlg::IdCyclic)->setChecked(true);
    C<QCheckBox>(*dlg, CAddInstrumentDlg::IdSynchronise)->setChecked(true);
    C<QCheckBox>(*dlg, CAddInstrumentDlg::IdPanel)->setChecked(true);
    C<QCheckBox>(*dlg, CAddInstrumentDlg::IdRecord)->setChecked(true);

    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes); // create the data folder
    dlg->accept();
    EXPECT_EQ(dlg->result(), QDialog::Accepted);

    EXPECT_EQ(entry.m_nazev, QStringLiteral("Meter"));
    EXPECT_EQ(entry.m_com, QStringLiteral("Modem A"));
    EXPECT_EQ(entry.m_adresa, 253);
    EXPECT_EQ(entry.m_telCislo, QStringLiteral("123456"));
    EXPECT_EQ(entry.GetType(), CPristroj::kVKT);
    EXPECT_EQ(entry.m_intervalMereni, 10);
    EXPECT_EQ(entry.m_intervalZapisovani, 90);
    EXPECT_EQ(entry.m_intervalPrepisovani, 1209600);
    EXPECT_TRUE(entry.m_prepisovat);
    EXPECT_TRUE(entry.m_synchronizovat);
    EXPECT_TRUE(entry.m_onp);
    EXPECT_TRUE(entry.m_zaznamenavat);
    EXPECT_TRUE(QDir(DataFolder() + sep + QStringLiteral("Meter")).exists());
}

TEST_F(AddInstrumentDlgTest, OverwritePeriodsOutsideTheTableShowAndStoreThirtyDays)
{
    for (int stored : {2592000, 12345}) {
        CPristroj entry(QStringLiteral("COM1"), 1, DataFolder(), TRUE, CPristroj::kQorin, env);
        entry.m_intervalPrepisovani = stored;
        entry.m_zaznamenavat = 0;
        auto dlg = Open(entry, false);
        EXPECT_EQ(C<QComboBox>(*dlg, CAddInstrumentDlg::IdOverwritePeriod)->currentIndex(), 4) << stored;
        dlg->accept();
        EXPECT_EQ(entry.m_intervalPrepisovani, 2592000) << stored;
    }
}

TEST_F(AddInstrumentDlgTest, ExistingInstrumentKeepsItsFileAndShowsAnUnlistedInterval)
{
    CPristroj entry(QStringLiteral("COM1"), 4, DataFolder(), FALSE, CPristroj::kVKR, env);
    entry.m_intervalMereni = 7;
    entry.m_soubor = QStringLiteral("/elsewhere/a");
    auto dlg = Open(entry, false);
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Vlastnosti přístroje"));
    auto* measuring = C<QComboBox>(*dlg, CAddInstrumentDlg::IdMeasuringInterval);
    EXPECT_EQ(measuring->currentText(), QStringLiteral("7"));
    EXPECT_EQ(measuring->itemText(measuring->currentIndex() - 1), QStringLiteral("5"));
    EXPECT_EQ(measuring->itemText(measuring->currentIndex() + 1), QStringLiteral("10"));
    C<QLineEdit>(*dlg, CAddInstrumentDlg::IdName)->insert(QStringLiteral("x"));
    EXPECT_EQ(C<QLineEdit>(*dlg, CAddInstrumentDlg::IdArchiveFile)->text(), QStringLiteral("/elsewhere/a"));
}

TEST_F(AddInstrumentDlgTest, SynchroniseFollowsTheTypeAndEnablingFollowsTheChecks)
{
    CPristroj entry(QStringLiteral("COM1"), 1, DataFolder(), TRUE, CPristroj::kVK, env);
    entry.m_synchronizovat = 1;
    auto dlg = Open(entry, true);
    auto* sync = C<QCheckBox>(*dlg, CAddInstrumentDlg::IdSynchronise);
    auto* type = C<QComboBox>(*dlg, CAddInstrumentDlg::IdType);
    EXPECT_TRUE(sync->isChecked());
    type->setCurrentIndex(0); // Qorin
    EXPECT_FALSE(sync->isChecked());
    EXPECT_FALSE(sync->isEnabled());
    type->setCurrentIndex(1); // VK again
    EXPECT_TRUE(sync->isChecked());
    EXPECT_TRUE(sync->isEnabled());

    auto* measure = C<QCheckBox>(*dlg, CAddInstrumentDlg::IdMeasure);
    measure->setChecked(false);
    for (int id : {CAddInstrumentDlg::IdShow, CAddInstrumentDlg::IdPanel, CAddInstrumentDlg::IdRecord})
        EXPECT_FALSE(C<QCheckBox>(*dlg, id)->isEnabled()) << id;
    measure->setChecked(true);
    C<QCheckBox>(*dlg, CAddInstrumentDlg::IdRecord)->setChecked(false);
    EXPECT_FALSE(C<QComboBox>(*dlg, CAddInstrumentDlg::IdOverwritePeriod)->isEnabled());
    EXPECT_FALSE(C<QCheckBox>(*dlg, CAddInstrumentDlg::IdCyclic)->isEnabled());
}

TEST_F(AddInstrumentDlgTest, RejectedArchiveFileKeepsTheDialogOpenAndCancelChangesNothing)
{
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    CPristroj entry(QStringLiteral("COM1"), 1, DataFolder(), TRUE, CPristroj::kVK, env);
    const QString before = entry.m_nazev;
    auto dlg = Open(entry, true);
    C<QLineEdit>(*dlg, CAddInstrumentDlg::IdName)->setText(QStringLiteral("Changed"));
    C<QLineEdit>(*dlg, CAddInstrumentDlg::IdArchiveFile)->setText(blocker.fileName() + QStringLiteral("/sub/a"));
    C<QCheckBox>(*dlg, CAddInstrumentDlg::IdRecord)->setChecked(true);

    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    dlg->accept();
    EXPECT_TRUE(dlg->isVisible());
    ASSERT_EQ(boxes.Requests().size(), 2u);
    EXPECT_EQ(boxes.Requests()[1].text, QStringLiteral("Neplatný název adresáře."));
    EXPECT_EQ(boxes.Requests()[1].caption, QStringLiteral("CHYBA"));
    EXPECT_EQ(entry.m_nazev, before);

    dlg->reject();
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
    EXPECT_EQ(entry.m_nazev, before);
}

TEST(AddInstrumentIdentification, FamilyAndModelChooseTheType)
{
    struct Case {
        unsigned family, model;
        int type;
    } const cases[] = {
        {0x30, 0x1000, CPristroj::kVKR},  {0x30, 0x1001, CPristroj::kVKR}, {0x30, 0x2000, CPristroj::kVKT},
        {0x30, 0x26FF, CPristroj::kVKT},  {0x30, 0x2700, CPristroj::kVK},  {0x30, 0x1002, CPristroj::kVK},
        {0x40, 16, CPristroj::kQorin},    {0x40, 17, CPristroj::kDuskar},  {0x41, 1, 0},
    };
    const CFamilyList families(ProgramFamilies());
    for (const Case& c : cases)
        EXPECT_EQ(families.TypeOfIdentification(c.family, c.model), c.type) << c.family << " " << c.model;
}

// Names become settings keys and parts of archive paths: anything that
// would step out of the folder or break the key is refused with a Czech box,
// and the entry keeps its old name.
TEST_F(AddInstrumentDlgTest, UnsafeInstrumentNamesAreRefused)
{
    const struct {
        QString name;
        bool ok;
    } cases[] = {
        {QStringLiteral("Rozvodna R3"), true},  {QStringLiteral("Hala č. 2"), true},
        {QStringLiteral("a/b"), false},         {QStringLiteral("a\\b"), false},
        {QStringLiteral(".."), false},          {QStringLiteral("x..y"), false},
        {QStringLiteral("C:"), false},          {QStringLiteral("tab\there"), false},
        {QString(), false},                     {QStringLiteral("   "), false},
        {QString(CAddInstrumentDlg::kMaxNameLength, QLatin1Char('n')), true},
        {QString(CAddInstrumentDlg::kMaxNameLength + 1, QLatin1Char('n')), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CAddInstrumentDlg::CheckInstrumentName(c.name).isEmpty(), c.ok) << c.name.toStdString();

    CPristroj entry(QStringLiteral("COM1"), 1, DataFolder(), TRUE, CPristroj::kVK, env);
    const QString before = entry.m_nazev;
    auto dlg = Open(entry, true);
    C<QLineEdit>(*dlg, CAddInstrumentDlg::IdName)->setText(QStringLiteral("../../etc"));
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
    dlg->accept();
    EXPECT_TRUE(dlg->isVisible());
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_TRUE(boxes.Requests()[0].text.startsWith(QStringLiteral("Název přístroje nesmí obsahovat")));
    EXPECT_EQ(entry.m_nazev, before);
    dlg->reject();
}

// A new instrument's bus address must be one an instrument can have: any
// other is refused in the words of the start-up check, with the focus back
// in the field and the entry untouched; "auto" asks nobody at it either.
TEST_F(AddInstrumentDlgTest, NewInstrumentRefusesAnAddressNoInstrumentCanHave)
{
    const struct {
        const char* typed;
        int refusedAs; // -1: taken
    } cases[] = {{"0", 0}, {"254", 254}, {"255", 255}, {"257", 257}, {"300", 300}, {"", 0}, {"1", -1}, {"253", -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        for (const int button : {1, int(CAddInstrumentDlg::IdIdentify)}) {
            if (button == CAddInstrumentDlg::IdIdentify && c.refusedAs < 0)
                continue; // a valid one would be asked on the line
            CPristroj entry(QStringLiteral("COM1"), 1, DataFolder(), TRUE, CPristroj::kDuskar, env);
            entry.m_zaznamenavat = 0;
            entry.m_adresa = 9;
            auto dlg = Open(entry, true);
            C<QLineEdit>(*dlg, CAddInstrumentDlg::IdName)->setText(QStringLiteral("Kompenzace"));
            auto* address = C<QLineEdit>(*dlg, CAddInstrumentDlg::IdAddress);
            address->setText(QString::fromLatin1(c.typed));
            ui::ScriptedMessageBoxes boxes;
            dlg->findChild<QPushButton*>(QString::number(button))->click();
            if (c.refusedAs < 0) {
                EXPECT_TRUE(boxes.Requests().empty());
                EXPECT_EQ(dlg->result(), QDialog::Accepted);
                EXPECT_EQ(entry.m_adresa, QString::fromLatin1(c.typed).toInt());
                continue;
            }
            EXPECT_TRUE(dlg->isVisible());
            ASSERT_EQ(boxes.Requests().size(), 1u);
            EXPECT_EQ(boxes.Requests()[0].text,
                      QString::fromUtf8("Přístroj Kompenzace: nastavení \"adresa\" má neplatnou hodnotu %1 "
                                        "(povoleno 1 až 253).")
                          .arg(c.refusedAs));
            EXPECT_EQ(boxes.Requests()[0].text, CPristroj::CheckAddress(QStringLiteral("Kompenzace"), c.refusedAs));
            EXPECT_EQ(dlg->focusWidget(), address);
            EXPECT_EQ(entry.m_adresa, 9);
            EXPECT_NE(entry.m_nazev, QStringLiteral("Kompenzace"));
            dlg->reject();
        }
    }
}
