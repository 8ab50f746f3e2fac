// What the installation, outputs and recording pages make of the records,
// and what they store back.
#include "analysers_vk/VKDetailInstalace.h"
#include "analysers_vk/VKDetailVystupy.h"
#include "analysers_vk/VKDetailZaznam.h"
#include "model/Iden.h"
#include "model/VKConfig.h"
#include "model/VKNoteBook.h"
#include "model/VKOutputConfig.h"
#include "model/VKStatus.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

using namespace analysers_vk;

CIden VKIden(WORD model)
{
    CIden iden;
    iden.family = CIden::kFamilyAnalyser;
    iden.model = model;
    iden.version = 0x23;
    return iden;
}

TEST(VKInstallFieldsTest, RecordToFields)
{
    const struct {
        const char* what;
        BYTE flags;
        DWORD primary;
        WORD voltage;
        qint64 shownPrimary;
        int secondary;
        qint64 nominal;
    } cases[] = {
        {"primary 0 through a VT", 0x00, 0, 110, 1, 1, 230},
        {"primary above the range", 0x00, 0x80000000u, 120, 1, 3, 230},
        {"ordinary VT", 0x00, 22000, 115, 22000, 2, 230},
        {"unknown secondary", 0x00, 6000, 99, 6000, 0, 230},
        {"direct", 0x40, 5555, 400, 100, 0, 400},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CVKConfig config;
        config.SetInstallationFlags(c.flags);
        config.SetVtPrimary(c.primary);
        config.SetVoltageWord(c.voltage);
        VKInstallFields f;
        f.FromRecord(config, QString(), VKIden(0x0600));
        EXPECT_EQ(f.vtPrimary, c.shownPrimary);
        EXPECT_EQ(f.vtSecondary, c.secondary);
        EXPECT_EQ(f.nominalVoltage, c.nominal);
    }
}

TEST(VKInstallFieldsTest, DirectConnectionKeepsThePrimaryField)
{
    CVKConfig config;
    config.SetInstallationFlags(0x40);
    config.SetVtPrimary(5555);
    config.SetVoltageWord(400);
    VKInstallFields f;
    f.FromRecord(config, QString(), VKIden(0x0600));
    f.nominalVoltage = 230;
    QString modem;
    f.ToRecord(config, modem);
    EXPECT_EQ(config.GetVtPrimary(), 5555u);
    EXPECT_EQ(config.GetVoltageWord(), 230);
    EXPECT_TRUE(config.GetDirectVoltage());
}

TEST(VKInstallFieldsTest, InterfaceRateAndAddress)
{
    const struct {
        WORD model;
        const char* text;
        int kind;
        int rateShown;
        int address;
    } cases[] = {
        {0x0600, "COM", 1, 7, 17},
        {0x0400, "485", 2, 7, 17},
        {0x0200, "CAN", 3, 7, 900},
        {0x0000, "--", 0, 7, 17},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CVKConfig config;
        config.SetSpeedIndex(12);
        config.SetAddressByte(17);
        config.SetCanAddress(900);
        VKInstallFields f;
        f.FromRecord(config, QString(), VKIden(c.model));
        EXPECT_EQ(f.interfaceText, QString::fromLatin1(c.text));
        EXPECT_EQ(f.interfaceKind, c.kind);
        EXPECT_EQ(f.rate, c.rateShown);
        EXPECT_EQ(f.address, c.address);
    }
    CVKConfig zero;
    VKInstallFields f;
    f.FromRecord(zero, QString(), VKIden(0x0600));
    EXPECT_EQ(f.address, 2);
}

TEST(VKInstallFieldsTest, TemperaturesAndCtAreStoredBack)
{
    const struct {
        double shown;
        std::int16_t stored;
    } cases[] = {{-0.15, -1}, {0.15, 1}, {-20.0, -200}, {3276.7, 32767}, {-3276.8, -32768}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        CVKConfig config;
        VKInstallFields f;
        f.FromRecord(config, QString(), VKIden(0x0604));
        f.temp4mA = c.shown;
        f.ctPrimary = 400;
        f.ctSecondary = 1;
        QString modem;
        f.ToRecord(config, modem);
        EXPECT_EQ(config.GetTemperatureAt4mA(), c.stored);
        EXPECT_EQ(config.GetCtRatioDword(), 0x80000000u | 400u);
    }
}

TEST(VKDetailInstalaceTest, RateListFollowsTheInterfaceAndAddressRange)
{
    ui::ScriptedMessageBoxes boxes;
    for (WORD model : {WORD(0x0200), WORD(0x0600)}) {
        const bool can = model == 0x0200;
        CVKConfig config;
        config.SetSpeedIndex(12);
        config.SetInstallationFlags(0x40);
        config.SetCtRatioDword(400);
        QString modem = QString(70, QLatin1Char('A'));
        CIden iden = VKIden(model);
        CVKDetailInstalace page;
        page.SetData(&config, &modem, &iden);
        page.ShowFields();
        EXPECT_EQ(page.ControlText(1220), can ? QStringLiteral("250 kbit/s") : QStringLiteral("9600 Bd"));
        EXPECT_EQ(page.Ctl<QComboBox>(1220)->count(), can ? 11 : 10);
        EXPECT_EQ(page.ControlText(1026).size(), 63);
        page.Ctl<QLineEdit>(1024)->setText(QStringLiteral("1023"));
        const std::size_t before = boxes.Requests().size();
        EXPECT_EQ(page.TakeControls(), can);
        EXPECT_EQ(boxes.Requests().size(), before + (can ? 0 : 1));
        page.Ctl<QLineEdit>(1024)->setText(QStringLiteral("253"));
        ASSERT_TRUE(page.TakeControls());
        page.GetData();
        EXPECT_EQ(can ? config.GetCanAddress() : config.GetAddressByte(), 253);
        EXPECT_EQ(modem.size(), 63);
    }
}

TEST(VKDetailInstalaceTest, ARefusedNumberKeepsItsValueAndTheRestIsTaken)
{
    ui::ScriptedMessageBoxes boxes;
    CVKConfig config;
    config.SetCtRatioDword(400);
    config.SetNominalPower(630);
    QString modem;
    CIden iden = VKIden(0x0600);
    CVKDetailInstalace page;
    page.SetData(&config, &modem, &iden);
    page.ShowFields();
    page.Ctl<QLineEdit>(1021)->setText(QStringLiteral("70000"));
    page.Ctl<QLineEdit>(1019)->setText(QStringLiteral("abc"));
    page.Ctl<QComboBox>(1243)->setCurrentIndex(2);
    page.Ctl<QLineEdit>(1026)->setText(QStringLiteral("ATZ"));
    EXPECT_FALSE(page.TakeControls());
    EXPECT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(page.Fields().nominalPower, 630);
    EXPECT_EQ(page.Fields().ctPrimary, 400);
    EXPECT_EQ(page.Fields().connectionType, 2);
    EXPECT_EQ(page.Fields().modemText, QStringLiteral("ATZ"));
}

TEST(VKOutputFieldsTest, PulsesRelaysAndAnalogOutputs)
{
    CVKOutputConfig record;
    record.SetRelayLevel(0, FALSE, 0);
    record.SetRelayLevel(1, TRUE, 80.0);
    record.SetRelayQuantity(1, 1);
    record.SetRelayPhase(1, 3);
    VKOutputFields f;
    f.FromRecord(record, VKIden(0x060C));
    EXPECT_EQ(f.outputCount, 4);
    EXPECT_FALSE(f.out[0].active);
    EXPECT_TRUE(f.out[1].active);
    EXPECT_DOUBLE_EQ(f.out[1].limit, 80.0);
    f.pulses1 = 0.15;
    // A phase left unchosen by a list rebuild keeps the record's bits.
    f.out[1].phase = -1;
    f.ToRecord(record);
    EXPECT_DOUBLE_EQ(record.GetPulseConstant(0), 0.2);
    EXPECT_EQ(record.GetRelayLevelWord(0), 0xFFFF);
    EXPECT_EQ(record.GetRelayPhase(1), 3);
    EXPECT_EQ(record.GetRelayQuantity(1), 1);

    VKOutputFields two;
    two.FromRecord(record, VKIden(0x0604));
    EXPECT_EQ(two.outputCount, 2);
}

TEST(VKOutputFieldsTest, PhaseLists)
{
    const struct {
        int output, quantity;
        QStringList items;
    } cases[] = {
        {2, 0, {"1", "2", "3"}},         {2, 2, {"1", "2", "3", "3f"}},   {0, 0, {"1", "2", "3", "1,2,3"}},
        {0, 8, {"1", "2", "3", "3f"}},   {2, 8, {"1", "2", "3"}},         {0, 3, {"1"}},
        {2, 4, {"1"}},                   {3, 5, {"1", "2", "3", "3f"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.output << "/" << c.quantity);
        EXPECT_EQ(PhaseItems(c.output, c.quantity), c.items);
    }
}

TEST(VKRecordFieldsTest, RecordSizeAndCapacity)
{
    VKRecordFields f;
    f.uCount = 2;
    f.iCount = 3;
    f.pfKind = 2;
    f.freq = 1;
    f.powers = 2;
    f.powerType = 0;
    f.apart = true;
    EXPECT_EQ(f.RecordSize(), 30);
    EXPECT_EQ(CapacityText(11, 30000, 30), QStringLiteral("6 dnů, 22 hodin, 40 minut"));
    f.powerType = 2; // apparent power has no import and export
    EXPECT_EQ(f.RecordSize(), 22);
    f = VKRecordFields();
    f.hU = 2;
    f.hI = 1;
    f.harmonics[0] = f.harmonics[1] = f.harmonics[5] = true;
    EXPECT_EQ(f.RecordSize(), (3 + 1) * (3 + 1));
    f.kind = 1;
    f.harmonicsCount = 24;
    EXPECT_EQ(f.RecordSize(), 25 * 4);

    EXPECT_EQ(CapacityMinutes(60, 1000, 0), 1440000);
    EXPECT_EQ(CapacityText(5, 1000, 0), QStringLiteral("1000 dnů, 0 hodin, 0 minut"));
    EXPECT_EQ(CapacityText(11, 0, 30), QStringLiteral("--"));
    EXPECT_EQ(CapacityText(11, -1, 30), QStringLiteral("--"));
    // Memory sizes beyond 32 bits do not wrap.
    EXPECT_EQ(CapacityMinutes(3600, 0x200000000ll, 2), 3600ll * 0x200000000ll / 2 / 60);
}

TEST(VKRecordFieldsTest, AnUnchosenPeriodKeepsTheRecords)
{
    CVKStatus status;
    status.SetRecordPeriodIndex(13);
    VKRecordFields f;
    f.FromRecord(status, nullptr);
    f.period = -1;
    f.uChoice = -1;
    f.ToRecord(status, nullptr);
    EXPECT_EQ(status.GetRecordPeriodIndex(), 13);
    int phases = -1, choice = -1;
    status.GetVoltageRecording(0, phases, choice);
    EXPECT_EQ(choice, 0);
}

TEST(VKRecordFieldsTest, QuantityRowsFollowTheCounts)
{
    VKRecordFields f;
    f.uCount = 3;
    f.iCount = 3;
    f.pfKind = 1;
    f.powers = 4;
    f.temp = 1;
    EXPECT_EQ(f.Slots(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 13}));
    EXPECT_EQ(f.Caption(6), QStringLiteral("PF1"));
    f.pfKind = 2;
    EXPECT_EQ(f.Caption(8), QStringLiteral("cos3"));
    f.iCount = 1;
    EXPECT_EQ(f.Slots(), (std::vector<int>{0, 1, 2, 3, 6, 9, 13}));
}

TEST(VKDetailZaznamTest, SamplingBasisMovesTheStoredChoice)
{
    CVKStatus status;
    status.SetSamplingMode(0);
    status.SetVoltageRecording(0, 3, 2); // "Maximální hodnota"
    CVKNoteBook notebook;
    CIden iden = VKIden(0x0600);
    CVKDetailZaznam page;
    page.SetData(&status, &notebook, &iden);
    page.ShowFields();
    EXPECT_EQ(page.ControlText(1233), QStringLiteral("Maximální hodnota"));
    page.ApplySamplingRule(1, true);
    EXPECT_EQ(page.Ctl<QComboBox>(1233)->count(), 2);
    EXPECT_EQ(page.ControlText(1233), QStringLiteral("Maximální hodnota"));
    EXPECT_EQ(page.ControlText(1222), QStringLiteral("Prostý vzorek"));
    page.ApplySamplingRule(0, true);
    EXPECT_EQ(page.Ctl<QComboBox>(1233)->count(), 4);
    EXPECT_EQ(page.ControlText(1233), QStringLiteral("Maximální hodnota"));
    EXPECT_EQ(page.ControlText(1222), QStringLiteral("Prostý vzorek"));
}

// A recording page of a VK recording three voltages and the frequency, the
// first note set, filled as the sheet fills it once `Show` is called.
struct NotesPage {
    CVKStatus status;
    CVKNoteBook notebook;
    CIden iden = VKIden(0x0600);
    CVKDetailZaznam page;

    NotesPage()
    {
        status.SetVoltageRecording(0, 2, 0);
        status.SetFrequencyRecording(TRUE, 0);
        notebook.SetLine(0, QStringLiteral("fáze L1"));
    }
    void Show()
    {
        page.SetData(&status, &notebook, &iden);
        page.SetMemorySize(30000);
        page.FillQuantityList();
        page.RebuildList();
        page.ShowFields();
    }
};

TEST(VKDetailZaznamTest, NotesAreCutAndPackedBack)
{
    NotesPage shown;
    CVKNoteBook& notebook = shown.notebook;
    notebook.SetLine(1, QStringLiteral("fáze L2"));
    notebook.SetLine(2, QStringLiteral("síť"));
    notebook.SetLine(5, QStringLiteral("zbytek"));
    notebook.SetLine(20, QStringLiteral("mimo poznámky"));
    shown.Show();
    CVKDetailZaznam& page = shown.page;
    EXPECT_EQ(page.Notes()[12], QStringLiteral("síť"));
    page.SetNote(1, QString(40, QLatin1Char('n')));
    EXPECT_EQ(page.Notes()[1].size(), 31);
    page.GetData();
    EXPECT_EQ(notebook.GetLine(0), QStringLiteral("fáze L1"));
    EXPECT_EQ(notebook.GetLine(1), QString(31, QLatin1Char('n')));
    EXPECT_EQ(notebook.GetLine(2), QStringLiteral("síť"));
    EXPECT_EQ(notebook.GetLine(5), QString());
    EXPECT_EQ(notebook.GetLine(20), QStringLiteral("mimo poznámky"));
}

TEST(VKDetailZaznamTest, TheNotesListRulesOffItsCells)
{
    NotesPage shown;
    shown.Show();
    CVKDetailZaznam& page = shown.page;
    page.setAttribute(Qt::WA_DontShowOnScreen, true);
    page.resize(900, 500);
    page.show();
    QTreeWidget* list = page.List();
    ASSERT_GT(list->topLevelItemCount(), 1);
    const QImage image = list->viewport()->grab().toImage();
    const QRect note = list->visualItemRect(list->topLevelItem(0));
    const int between = list->header()->sectionViewportPosition(1) - 1; // the quantity's right edge
    // The line under the first row runs across both columns; the line
    // between the columns runs down the row, in the same colour, on the
    // list's background.
    const QColor line = image.pixelColor(between / 2, note.bottom());
    EXPECT_NE(line, list->palette().color(QPalette::Base));
    EXPECT_EQ(image.pixelColor(between + 20, note.bottom()), line);
    EXPECT_EQ(image.pixelColor(between, note.center().y()), line);
}

} // namespace
