#include "analysers_vkt/VKTSettingsFile.h"
#include "analysers_vkt/VKTSettingsGroups.h"
#include "FakeVKTSettings.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace analysers_vkt;
using vkttest::FakeVKTSettings;

namespace {

float Limit(const CVKTOutputConfig& o, int i)
{
    BOOL set = FALSE;
    float v = 0.0f;
    o.GetLimit(i, set, v);
    return set ? v : -1.0f;
}

// Relay 1 on the current of inputs 1-3, relay 2 on the fourth input's.
CVKTOutputConfig CurrentOutputs(float limit1, float limit2)
{
    CVKTOutputConfig o;
    o.SetQuantity(0, 2);
    o.SetFunction(0, 1);
    o.SetLimit(0, TRUE, limit1);
    o.SetQuantity(1, 2);
    o.SetFunction(1, 3);
    o.SetLimit(1, TRUE, limit2);
    return o;
}

CVKTSettings Fixture()
{
    CVKTSettings s;
    s.config.SetVtPrimary(0x1234);
    s.config.SetCtPrimary(0x8000 | 100);
    s.config.SetVt4(0xFFFF);
    s.config.SetCt4(50);
    s.config.SetIpAddress(0xC0A80114);
    s.config.SetIpPort(502);
    s.status.GetArch().SetInterval(600);
    s.status.GetArch().SetSelection(CVKTArch::SelActivePower, 0x0F);
    s.outputs = CurrentOutputs(100.0f, 30.0f);
    s.notebook.GetText2()[0] = 'Z';
    s.iden.model = 41;
    s.modem = QStringLiteral("AT&F");
    return s;
}

} // namespace

TEST(VKTSettingsGroups, ReadScalesCurrentLimitsToPrimaryAndWriteScalesBack)
{
    FakeVKTSettings io;
    io.config.SetCtPrimary(0x8000 | 100); // 100/5 A: ratio 20
    io.config.SetCt4(50);                 // 50/5 A: ratio 10
    io.outputs = CurrentOutputs(5.0f, 2.0f);
    io.outputs.SetQuantity(0, 2);
    CVKTOutputConfig shown;
    CIden iden;
    ASSERT_TRUE(ReadOutputsGroup(io, shown, iden, true));
    EXPECT_FLOAT_EQ(Limit(shown, 0), 100.0f);
    EXPECT_FLOAT_EQ(Limit(shown, 1), 20.0f);

    shown.SetLimit(0, TRUE, 60.0f);
    ASSERT_TRUE(WriteOutputsGroup(io, shown));
    EXPECT_FLOAT_EQ(Limit(io.outputs, 0), 3.0f);
    EXPECT_FLOAT_EQ(Limit(io.outputs, 1), 2.0f);
}

TEST(VKTSettingsGroups, LimitsOfOtherQuantitiesAndUnsetLimitsStayAsTheyAre)
{
    FakeVKTSettings io;
    io.config.SetCtPrimary(0x8000 | 100);
    CVKTOutputConfig o;
    o.SetQuantity(0, 1);
    o.SetLimit(0, TRUE, 230.0f);
    o.SetQuantity(1, 2);
    o.SetLimit(1, FALSE, 0.0f);
    ASSERT_TRUE(WriteOutputsGroup(io, o));
    EXPECT_FLOAT_EQ(Limit(io.outputs, 0), 230.0f);
    EXPECT_FLOAT_EQ(Limit(io.outputs, 1), -1.0f);
    // Without a current output the configuration is not asked for.
    io.log.clear();
    o.SetQuantity(1, 0);
    ASSERT_TRUE(WriteOutputsGroup(io, o));
    EXPECT_EQ(io.Calls("ReadConfig"), 0);
}

TEST(VKTSettingsGroups, ZeroCurrentRatioNeverDividesTheLimit)
{
    FakeVKTSettings io;
    io.config.SetCtPrimary(0); // a transformer of 0 A: ratio 0
    io.config.SetCt4(0);
    ASSERT_TRUE(WriteOutputsGroup(io, CurrentOutputs(7.5f, 2.5f)));
    EXPECT_FLOAT_EQ(Limit(io.outputs, 0), 7.5f);
    EXPECT_FLOAT_EQ(Limit(io.outputs, 1), 2.5f);
}

TEST(VKTSettingsGroups, WriteOutputsSendsNothingWhenTheRatiosCannotBeRead)
{
    FakeVKTSettings io;
    io.Script("ReadConfig", {false, false, false});
    EXPECT_FALSE(WriteOutputsGroup(io, CurrentOutputs(1.0f, 1.0f)));
    EXPECT_EQ(io.Calls("ReadConfig"), 3);
    EXPECT_EQ(io.Calls("WriteOutputConfig"), 0);
}

TEST(VKTSettingsGroups, InstallationRetriesOnlyWhatFailedAtMostThreeTimes)
{
    FakeVKTSettings io;
    io.Script("ReadIdentification", {false, false, false});
    io.modem = ModemBlockOf(QStringLiteral("ATZ"));
    CVKTConfig config;
    QString modem;
    CIden iden;
    EXPECT_FALSE(ReadInstallationGroup(io, config, modem, iden));
    EXPECT_EQ(io.Calls("ReadConfig"), 1);
    EXPECT_EQ(io.Calls("ReadModemBlock"), 1);
    EXPECT_EQ(io.Calls("ReadIdentification"), 3);
    EXPECT_EQ(modem, QStringLiteral("ATZ"));
}

TEST(VKTSettingsGroups, WriteRecordingSetsTheClockAndTellsWhatWasWritten)
{
    FakeVKTSettings io;
    io.Script("WriteNoteBook", {false, false, false});
    CVKTStatus status;
    status.GetArch().SetInterval(900);
    bool statusWritten = false;
    EXPECT_FALSE(WriteRecordingGroup(io, status, CVKTNoteBook(), statusWritten));
    EXPECT_TRUE(statusWritten);
    EXPECT_EQ(io.status.GetArch().GetInterval(), 900);
    EXPECT_EQ(io.Calls("SetClock"), 1);
    EXPECT_EQ(io.Calls("WriteNoteBook"), 3);

    // A clock that cannot be set fails the group although the records went.
    FakeVKTSettings clockless;
    clockless.Script("SetClock", {false, false, false});
    statusWritten = false;
    EXPECT_FALSE(WriteRecordingGroup(clockless, status, CVKTNoteBook(), statusWritten));
    EXPECT_TRUE(statusWritten);
    EXPECT_EQ(clockless.Calls("SetClock"), 3);
}

TEST(VKTSettingsGroups, ModemTextIsCutAtTheBlockSize)
{
    const ModemBlock block = ModemBlockOf(QString(40, QLatin1Char('A')));
    EXPECT_EQ(block.back(), 0);
    EXPECT_EQ(ModemTextOf(block).size(), 31);
}

TEST(VKTSettingsFile, BytesFollowTheStoredLayout)
{
    const QByteArray bytes = VKTSettingsBytes(Fixture());
    // Configuration first: voltage primary, current primary (little endian).
    EXPECT_EQ(bytes.left(4), QByteArray::fromHex("34126480"));
    // ...IP address and port after the 14 bytes of words and options.
    EXPECT_EQ(bytes.mid(14, 6), QByteArray::fromHex("1401a8c0f601"));
    // The modem text last, as a counted string.
    EXPECT_TRUE(bytes.endsWith(QByteArray("\x04" "AT&F")));
}

TEST(VKTSettingsFile, RoundTripKeepsEveryRecord)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rozvodna.vts"));
    QString error;
    ASSERT_TRUE(SaveVKTSettingsFile(path, Fixture(), QString(), error)) << error.toStdString();
    CVKTSettings back;
    ASSERT_TRUE(LoadVKTSettingsFile(path, back, error)) << error.toStdString();
    EXPECT_EQ(VKTSettingsBytes(back), VKTSettingsBytes(Fixture()));
    EXPECT_EQ(back.modem, QStringLiteral("AT&F"));
    EXPECT_EQ(back.status.GetArch().GetInterval(), 600);
    EXPECT_EQ(back.iden.model, 41);
}

TEST(VKTSettingsFile, FailedLoadChangesNothingAndSaysWhy)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kratky.vts"));
    const QByteArray bytes = VKTSettingsBytes(Fixture());
    for (qsizetype cut : {qsizetype(0), qsizetype(10), bytes.size() - 2}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.left(cut));
        f.close();
        CVKTSettings s;
        s.modem = QStringLiteral("ponechat");
        s.config.SetIpPort(7);
        QString error;
        EXPECT_FALSE(LoadVKTSettingsFile(path, s, error)) << cut;
        EXPECT_TRUE(error.contains(QStringLiteral("zkrácen"))) << error.toStdString();
        EXPECT_EQ(s.modem, QStringLiteral("ponechat"));
        EXPECT_EQ(s.config.GetIpPort(), 7);
    }
    CVKTSettings s;
    QString error;
    EXPECT_FALSE(LoadVKTSettingsFile(dir.filePath(QStringLiteral("neni.vts")), s, error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(VKTSettingsFile, FailedSaveLeavesTheOldFileWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("stary.vts"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("stary obsah");
    f.close();
    QString error;
    // A target in a missing folder fails and names the file.
    EXPECT_FALSE(SaveVKTSettingsFile(dir.filePath(QStringLiteral("chybi/x.vts")), Fixture(), QString(), error));
    EXPECT_TRUE(error.contains(QStringLiteral("x.vts")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("stary obsah"));
}
