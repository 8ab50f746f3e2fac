// The VKR settings dialog against a scripted instrument: what each stored
// value shows and what goes back, the requests with their tries and boxes,
// ".vrs" files byte for byte, the printout and the read-only twin.
#include "analysers_vk/VKRDetail.h"
#include "analysers_vk/VKRDetailStatic.h"
#include "analysers_vk/VKRSettingsFile.h"
#include "analysers_vk/VKRSettingsIo.h"
#include "platform/ui/MessageBox.h"
#include "tests/charts/PdfCheck.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace analysers_vk;

class FakeVKRIo final : public IVKRSettingsIo {
public:
    QString Name() const override { return QStringLiteral("Rozvodna"); }
    QString SettingsFolder() const override { return folder; }
    bool ReadConfig(CVKRConfig& out) override
    {
        ++configReads;
        if (failReads)
            return false;
        out = config;
        return true;
    }
    bool WriteConfig(const CVKRConfig& in) override
    {
        ++writes;
        if (failWrites)
            return false;
        written.push_back(in);
        return true;
    }
    bool ReadIdentification(CIden& out) override
    {
        if (failIden)
            return false;
        out = iden;
        return true;
    }
    void Yield() override {}

    CVKRConfig config;
    CIden iden;
    QString folder;
    bool failReads = false;
    bool failIden = false;
    bool failWrites = false;
    int configReads = 0;
    int writes = 0;
    std::vector<CVKRConfig> written;
};

CVKRConfig Config(DWORD vt, DWORD ct, WORD frequency = 50, BYTE mode = 0x20, BYTE speed = 2, WORD mask = 0x7FFF,
                  BYTE display = 0x12, BYTE address = 5)
{
    CVKRConfig c;
    c.SetVtPrimary(vt);
    c.SetCtPrimary(ct);
    c.SetDefaultFrequency(frequency);
    c.SetMode(mode);
    c.SetSpeed(speed);
    c.SetDisplayMask(mask);
    c.SetDisplay(display);
    c.SetAddress(address);
    return c;
}

CIden VkrIden()
{
    CIden iden;
    iden.family = CIden::kFamilyAnalyser;
    iden.model = 0x1000;
    iden.version = 0x21;
    iden.number = 1207;
    iden.i1 = 1;
    iden.i2 = 2;
    iden.i3 = {9, 8, 7, 6};
    return iden;
}

QString Text(const CVKRDetail& d, int id)
{
    return d.Combo(id)->currentText();
}

// The file dialog answers from a script.
struct ScriptedFiles {
    explicit ScriptedFiles(QString answer)
    {
        previous = controllers::SetSettingsFileChooser(
            [answer](QWidget*, bool, const QString&, const QString&, const QString&, const controllers::FileKind&) {
                return answer;
            });
    }
    ~ScriptedFiles() { controllers::SetSettingsFileChooser(std::move(previous)); }
    controllers::SettingsFileChooser previous;
};

TEST(VKRDetailTest, StoredValuesShowAsTheInstrumentHasThem)
{
    struct Case {
        const char* what;
        CVKRConfig config;
        const char* voltage;
        const char* vt;
        const char* current;
        const char* ct;
        const char* secondary;
        const char* frequency;
        const char* rate;
        const char* connection;
        const char* defaultQuantity;
        const char* displayMode;
    };
    const Case cases[] = {
        {"5 A transformer", Config(22000, 0x80000000u | 1000), "Přes MTN", "22000", "Přes MTP", "1000", "5", "50",
         "9600 Bd", "Hvězda", "fázové napětí UL-N", "poslední vybraná"},
        {"direct", Config(CVKRConfig::kUnset, CVKRConfig::kUnset, 60, 0x40, 4, 0, 0x2F), "Přímo", "10000", "Přímo",
         "5", "5", "60", "38400 Bd", "Aron", "teplota", "po 10s na výchozí"},
        {"1 A transformer", Config(3000, 75, 50, 0x10, 0), "Přes MTN", "3000", "Přes MTP", "75", "1", "50",
         "2400 Bd", "2 fáze", "fázové napětí UL-N", "poslední vybraná"},
        // A primary the table lacks shows as it is, not as a table value.
        {"primaries not in the tables", Config(5000, 0x80000000u | 7), "Přes MTN", "5000", "Přes MTP", "7", "5",
         "50", "9600 Bd", "Hvězda", "fázové napětí UL-N", "poslední vybraná"},
        {"display mode above 2, rate without a speed", Config(6000, 5, 55, 0x30, 0x37, 1, 0x31), "Přes MTN",
         "6000", "Přes MTP", "5", "1", "50", "--", "Trojúhelník", "sdružené napětí UL-L", "poslední vybraná"},
        {"no default quantity, unknown connection", Config(6000, 5, 50, 0x70, 5, 1, 0x00), "Přes MTN", "6000",
         "Přes MTP", "5", "1", "50", "--", "", "", "cyklicky po 3s"},
    };
    for (const Case& c : cases) {
        CVKRDetail d;
        d.Settings().config = c.config;
        d.Settings().iden = VkrIden();
        d.SetData();
        d.UpdateControls();
        SCOPED_TRACE(c.what);
        EXPECT_EQ(d.TypeText(), QStringLiteral("VKR"));
        EXPECT_EQ(Text(d, CVKRDetail::IdVoltageConnection), QString::fromUtf8(c.voltage));
        EXPECT_EQ(Text(d, CVKRDetail::IdVtPrimary), QString::fromUtf8(c.vt));
        EXPECT_EQ(Text(d, CVKRDetail::IdCurrentConnection), QString::fromUtf8(c.current));
        EXPECT_EQ(Text(d, CVKRDetail::IdCtPrimary), QString::fromUtf8(c.ct));
        EXPECT_EQ(Text(d, CVKRDetail::IdCtSecondary), QString::fromUtf8(c.secondary));
        EXPECT_EQ(Text(d, CVKRDetail::IdFrequency), QString::fromUtf8(c.frequency));
        EXPECT_EQ(d.RateText(), QString::fromUtf8(c.rate));
        EXPECT_EQ(d.AddressText(), QStringLiteral("5"));
        EXPECT_EQ(Text(d, CVKRDetail::IdConnectionType), QString::fromUtf8(c.connection));
        EXPECT_EQ(Text(d, CVKRDetail::IdDefaultQuantity), QString::fromUtf8(c.defaultQuantity));
        EXPECT_EQ(Text(d, CVKRDetail::IdDisplayMode), QString::fromUtf8(c.displayMode));
        EXPECT_EQ(d.Combo(CVKRDetail::IdVtPrimary)->isEnabled(), c.config.GetVtPrimary() != CVKRConfig::kUnset);
        EXPECT_EQ(d.Combo(CVKRDetail::IdCtPrimary)->isEnabled(), c.config.GetCtPrimary() != CVKRConfig::kUnset);
        for (int k = 0; k < CVKRConfig::kDisplayQuantities; ++k)
            EXPECT_EQ(d.Shown(k)->isChecked(), ((c.config.GetDisplayMask() >> k) & 1) != 0) << k;
    }
}

TEST(VKRDetailTest, UnchangedDialogSendsBackWhatItShowed)
{
    struct Case {
        CVKRConfig in;
        DWORD vt, ct;
        BYTE mode, display;
        WORD mask;
    };
    const Case cases[] = {
        {Config(22000, 0x80000000u | 1000, 50, 0xAB), 22000, 0x80000000u | 1000, 0x2B, 0x12, 0x7FFF},
        // Neither a table value nor a 1 A secondary takes the place of these.
        {Config(5000, 0x80000000u | 7), 5000, 0x80000000u | 7, 0x20, 0x12, 0x7FFF},
        {Config(4400, 33, 50, 0x4F), 4400, 33, 0x4F, 0x12, 0x7FFF},
        {Config(CVKRConfig::kUnset, CVKRConfig::kUnset, 60, 0xF5, 2, 0x8001, 0x00), CVKRConfig::kUnset,
         CVKRConfig::kUnset, 0x75, 0x00, 0x8001},
        // Display mode 3 is shown and sent as "poslední vybraná".
        {Config(6000, 5, 50, 0x30, 2, 1, 0x31), 6000, 5, 0x30, 0x11, 1},
    };
    for (const Case& c : cases) {
        CVKRDetail d;
        d.Settings().config = c.in;
        d.SetData();
        d.GetData();
        const CVKRConfig& out = d.Settings().config;
        SCOPED_TRACE(c.in.GetVtPrimary());
        EXPECT_EQ(out.GetVtPrimary(), c.vt);
        EXPECT_EQ(out.GetCtPrimary(), c.ct);
        EXPECT_EQ(out.GetMode(), c.mode);
        EXPECT_EQ(out.GetDisplay(), c.display);
        EXPECT_EQ(out.GetDisplayMask(), c.mask);
        EXPECT_EQ(out.GetDefaultFrequency(), c.in.GetDefaultFrequency() == 60 ? 60 : 50);
        EXPECT_EQ(out.GetAddress(), c.in.GetAddress());
        EXPECT_EQ(out.GetSpeed(), c.in.GetSpeed());
    }
}

TEST(VKRDetailTest, EditedControlsGoIntoTheRecord)
{
    CVKRDetail d;
    d.Settings().config = Config(CVKRConfig::kUnset, CVKRConfig::kUnset, 50, 0x8B);
    d.SetData();
    d.UpdateControls();
    d.show();
    QComboBox* voltage = d.Combo(CVKRDetail::IdVoltageConnection);
    voltage->setFocus();
    QTest::keyClick(voltage, Qt::Key_Down);
    EXPECT_EQ(voltage->currentIndex(), 1);
    EXPECT_TRUE(d.Combo(CVKRDetail::IdVtPrimary)->isEnabled());
    EXPECT_FALSE(d.Combo(CVKRDetail::IdCtPrimary)->isEnabled());
    QComboBox* current = d.Combo(CVKRDetail::IdCurrentConnection);
    current->setFocus();
    QTest::keyClick(current, Qt::Key_Down);
    EXPECT_TRUE(d.Combo(CVKRDetail::IdCtPrimary)->isEnabled());
    EXPECT_TRUE(d.Combo(CVKRDetail::IdCtSecondary)->isEnabled());
    d.Combo(CVKRDetail::IdCtPrimary)->setCurrentIndex(16); // 1000
    d.Combo(CVKRDetail::IdCtSecondary)->setCurrentIndex(0);
    d.Combo(CVKRDetail::IdConnectionType)->setCurrentIndex(4);
    d.Combo(CVKRDetail::IdDisplayMode)->setCurrentIndex(2);
    d.Combo(CVKRDetail::IdDefaultQuantity)->setCurrentIndex(-1);
    QTest::mouseClick(d.Shown(3), Qt::LeftButton);
    d.GetData();
    const CVKRConfig& out = d.Settings().config;
    EXPECT_EQ(out.GetVtPrimary(), 10000u);
    EXPECT_EQ(out.GetCtPrimary(), 1000u);
    // Bit 7 cleared, bits 0-3 kept, the connection in bits 4-6.
    EXPECT_EQ(out.GetMode(), 0x4B);
    EXPECT_EQ(out.GetDisplay(), 0x20);
    EXPECT_EQ(out.GetDisplayMask(), 0x7FF7);
}

TEST(VKRDetailTest, ReceiveAndSendAskFirstAndTryThreeTimes)
{
    FakeVKRIo io;
    io.config = Config(22000, 0x80000000u | 1000, 50, 0xAB);
    io.iden = VkrIden();
    CVKRDetail d;
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    ASSERT_TRUE(d.ReadFromDevice(io, 0));
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Nastavení přístroje (Rozvodna)"));
    EXPECT_TRUE(boxes.Requests().empty());

    QTest::mouseClick(d.Button(CVKRDetail::IdSend), Qt::LeftButton);
    ASSERT_EQ(io.written.size(), 1u);
    EXPECT_EQ(io.written[0].GetCtPrimary(), 0x80000000u | 1000);
    EXPECT_EQ(io.written[0].GetMode(), 0x2B);
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Opravdu poslat nastavení do přístroje?"));

    io.failWrites = true;
    QTest::mouseClick(d.Button(CVKRDetail::IdSend), Qt::LeftButton);
    EXPECT_EQ(io.writes, 4);
    ASSERT_EQ(boxes.Requests().size(), 3u);
    EXPECT_EQ(boxes.Requests()[2].text, QStringLiteral("Přístroj neodpovídá !"));
    EXPECT_EQ(boxes.Requests()[2].caption, QStringLiteral("CHYBA"));

    // A receive whose identification fails changes nothing shown.
    io.config = Config(3000, 75);
    io.failIden = true;
    io.configReads = 0;
    QTest::mouseClick(d.Button(CVKRDetail::IdReceive), Qt::LeftButton);
    EXPECT_EQ(boxes.Requests()[3].text, QStringLiteral("Opravdu načíst nastavení z přístroje?"));
    EXPECT_EQ(boxes.Requests()[4].text, QStringLiteral("Přístroj neodpovídá !"));
    EXPECT_EQ(Text(d, CVKRDetail::IdVtPrimary), QStringLiteral("22000"));
    io.failIden = false;
    QTest::mouseClick(d.Button(CVKRDetail::IdReceive), Qt::LeftButton);
    EXPECT_EQ(Text(d, CVKRDetail::IdVtPrimary), QStringLiteral("3000"));

    // "No" sends nothing.
    boxes.Answer(ui::MsgAnswer::No);
    io.failWrites = false;
    QTest::mouseClick(d.Button(CVKRDetail::IdSend), Qt::LeftButton);
    EXPECT_EQ(io.written.size(), 1u);
}

TEST(VKRDetailTest, SilentInstrumentOffersAFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ulozene.vrs"));
    QString error;
    ASSERT_TRUE(SaveVKRSettingsFile(path, {Config(35000, 0x80000000u | 2500, 60, 0x33), VkrIden()}, {}, error));

    FakeVKRIo io;
    io.failReads = true;
    {
        CVKRDetail d;
        ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::No);
        EXPECT_FALSE(d.ReadFromDevice(io, 0));
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_TRUE(boxes.Requests()[0].text.startsWith(QStringLiteral("Nastavení nelze zobrazit")));
        EXPECT_EQ(io.configReads, 3);
    }
    {
        CVKRDetail d;
        ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
        ScriptedFiles files(path);
        ASSERT_TRUE(d.ReadFromDevice(io, 0));
        EXPECT_TRUE(d.LoadedFromFile());
        EXPECT_EQ(Text(d, CVKRDetail::IdVtPrimary), QStringLiteral("35000"));
        EXPECT_EQ(Text(d, CVKRDetail::IdCtPrimary), QStringLiteral("2500"));
        EXPECT_EQ(Text(d, CVKRDetail::IdFrequency), QStringLiteral("60"));
    }
    {
        // A file that does not read is reported and the dialog not shown.
        QFile broken(dir.filePath(QStringLiteral("kratky.vrs")));
        ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
        broken.write(QByteArray(20, '\x01'));
        broken.close();
        CVKRDetail d;
        ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
        ScriptedFiles files(broken.fileName());
        EXPECT_FALSE(d.ReadFromDevice(io, 0));
        ASSERT_EQ(boxes.Requests().size(), 2u);
        EXPECT_TRUE(boxes.Requests()[1].text.startsWith(QStringLiteral("Soubor se nepodařilo otevřít.")));
    }
}

TEST(VKRSettingsFileTest, BytesAreConfigurationThenIdentification)
{
    const CVKRSettings s{Config(22000, 0x80000000u | 1000, 50, 0x2B, 2, 0x7FFF, 0x12, 5), VkrIden()};
    const QByteArray golden = QByteArray::fromHex("f0550000"
                                                  "e8030080"
                                                  "3200"
                                                  "2b0502"
                                                  "ff7f"
                                                  "12"
                                                  "b704"
                                                  "0010"
                                                  "3000"
                                                  "2100"
                                                  "0102"
                                                  "09080706");
    EXPECT_EQ(VKRSettingsBytes(s).toHex(), golden.toHex());

    CVKRSettings back;
    QString error;
    ASSERT_TRUE(ParseVKRSettings(golden, back, error)) << error.toStdString();
    EXPECT_EQ(VKRSettingsBytes(back), golden);
    EXPECT_TRUE(back.iden == s.iden);

    // Every shorter file fails and leaves the settings as they were.
    for (int n = 0; n < golden.size(); ++n) {
        CVKRSettings kept{Config(3000, 5), CIden()};
        EXPECT_FALSE(ParseVKRSettings(golden.left(n), kept, error)) << n;
        EXPECT_EQ(kept.config.GetVtPrimary(), 3000u) << n;
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(VKRSettingsFileTest, SaveReplacesWholeOrNotAtAll)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.vrs"));
    QString error;
    const CVKRSettings first{Config(3000, 5), VkrIden()};
    ASSERT_TRUE(SaveVKRSettingsFile(path, first, {}, error));
    CVKRSettings loaded;
    ASSERT_TRUE(LoadVKRSettingsFile(path, loaded, error));
    EXPECT_EQ(VKRSettingsBytes(loaded), VKRSettingsBytes(first));

    // Into a missing folder: refused without one to create, written with it.
    const QString folder = dir.filePath(QStringLiteral("novy"));
    const QString inFolder = folder + QStringLiteral("/b.vrs");
    EXPECT_FALSE(SaveVKRSettingsFile(inFolder, first, {}, error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(SaveVKRSettingsFile(inFolder, first, folder, error));
    EXPECT_TRUE(QFile::exists(inFolder));
    // The temporary file is gone.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("a.vrs")});

    EXPECT_FALSE(LoadVKRSettingsFile(dir.filePath(QStringLiteral("neni.vrs")), loaded, error));
    EXPECT_TRUE(error.contains(QStringLiteral("neni.vrs")));
}

TEST(VKRDetailTest, SaveCommandWritesWhatTheControlsShow)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Rozvodna.vrs"));
    FakeVKRIo io;
    io.config = Config(5000, 0x80000000u | 7);
    io.iden = VkrIden();
    CVKRDetail d;
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    ASSERT_TRUE(d.ReadFromDevice(io, 0));
    d.Combo(CVKRDetail::IdFrequency)->setCurrentIndex(1);
    ScriptedFiles files(path);
    QTest::mouseClick(d.Button(CVKRDetail::IdSave), Qt::LeftButton);
    CVKRSettings loaded;
    QString error;
    ASSERT_TRUE(LoadVKRSettingsFile(path, loaded, error));
    EXPECT_EQ(loaded.config.GetVtPrimary(), 5000u);
    EXPECT_EQ(loaded.config.GetCtPrimary(), 0x80000000u | 7);
    EXPECT_EQ(loaded.config.GetDefaultFrequency(), 60);
    EXPECT_TRUE(loaded.iden == io.iden);
    EXPECT_TRUE(boxes.Requests().empty());
}

TEST(VKRDetailTest, PrintsTheConnectionRows)
{
    PDFCHECK_REQUIRE_TOOLS();
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("nastaveni.pdf"));
    auto previous = controllers::SetPrinterChooser([pdf](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    });
    CVKRDetail::SetPrintClock([] { return QDateTime(QDate(2026, 12, 10), QTime(0, 2, 3), Qt::UTC); });
    FakeVKRIo io;
    io.config = Config(22000, 0x80000000u | 1000, 50, 0x40, 1);
    io.iden = VkrIden();
    {
        CVKRDetail d;
        ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
        ASSERT_TRUE(d.ReadFromDevice(io, 0));
        QTest::mouseClick(d.Button(CVKRDetail::IdPrint), Qt::LeftButton);
    }
    controllers::SetPrinterChooser(std::move(previous));
    CVKRDetail::SetPrintClock({});
    EXPECT_EQ(pdfcheck::PageCount(pdf), 1);
    const QString text = pdfcheck::PageTexts(pdf).join(QLatin1Char('\n'));
    for (const char* expected :
         {"Nastavení přístroje (Rozvodna)", "10.12.26 01:02:03", "Typ přístroje:", "VKR", "Přes MTN", "Přes MTP",
          "Aron", "22000 / 100", "1000 / 5", "50 Hz", "4800 Bd", "Adresa:"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
    }
    EXPECT_FALSE(text.contains(QStringLiteral("sdružené napětí")));
}

TEST(VKRDetailStaticTest, ShowsStoredSettingsWithoutEditing)
{
    CVKRDetailStatic d;
    ASSERT_TRUE(d.Load(Config(6300, 0x80000000u | 150, 50, 0x30), VkrIden()));
    d.show();
    for (int id : {CVKRDetail::IdLoad, CVKRDetail::IdSave, CVKRDetail::IdReceive, CVKRDetail::IdSend})
        EXPECT_FALSE(d.Button(id)->isVisible()) << id;
    EXPECT_TRUE(d.Button(CVKRDetail::IdPrint)->isVisible());
    EXPECT_EQ(Text(d, CVKRDetail::IdVtPrimary), QStringLiteral("6300"));
    EXPECT_EQ(Text(d, CVKRDetail::IdConnectionType), QStringLiteral("Trojúhelník"));
    const bool before = d.Shown(0)->isChecked();
    QTest::mouseClick(d.Shown(0), Qt::LeftButton);
    QTest::keyClick(d.Shown(0), Qt::Key_Space);
    EXPECT_EQ(d.Shown(0)->isChecked(), before);
    QComboBox* connection = d.Combo(CVKRDetail::IdConnectionType);
    QTest::keyClick(connection, Qt::Key_Down);
    EXPECT_EQ(connection->currentText(), QStringLiteral("Trojúhelník"));
}

} // namespace
