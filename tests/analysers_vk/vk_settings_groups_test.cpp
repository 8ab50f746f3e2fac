// The group requests of the VK settings against a scripted entry, and the
// ".vks" settings files.
#include "FakeVKSettings.h"

#include "analysers_vk/VKSettingsFile.h"
#include "analysers_vk/VKSettingsGroups.h"
#include "platform/Archive.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace analysers_vk;
using vktest::FakeVKSettings;

TEST(VKSettingsGroupsTest, EachRequestIsTriedAtMostThreeTimesInPasses)
{
    const struct {
        int failures;
        bool ok;
        int tries;
    } cases[] = {{0, true, 1}, {1, true, 2}, {2, true, 3}, {3, false, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failures);
        FakeVKSettings io;
        for (int i = 0; i < c.failures; ++i)
            io.Script("ReadModemBlock", {false});
        CVKConfig config;
        QString modem;
        CIden iden;
        EXPECT_EQ(ReadInstallationGroup(io, config, modem, iden), c.ok);
        EXPECT_EQ(io.Calls("ReadModemBlock"), c.tries);
        // A request that succeeded is not repeated.
        EXPECT_EQ(io.Calls("ReadConfig"), 1);
        EXPECT_EQ(io.Calls("ReadIdentification"), 1);
        EXPECT_EQ(io.yields, c.failures);
    }
}

TEST(VKSettingsGroupsTest, FailedRequestsAreRetriedAfterTheOthersOfThePass)
{
    FakeVKSettings io;
    io.Script("ReadStatus", {false});
    io.Script("ReadNoteBook", {false, false});
    CVKStatus status;
    CVKNoteBook notebook;
    CIden iden;
    EXPECT_TRUE(ReadRecordingGroup(io, status, notebook, &iden));
    const std::vector<std::string> expected{"ReadStatus",   "ReadNoteBook", "ReadIdentification",
                                            "ReadStatus",   "ReadNoteBook", "ReadNoteBook"};
    EXPECT_EQ(io.log, expected);
}

TEST(VKSettingsGroupsTest, OutputsReadTheIdentificationOnlyWhenUnknown)
{
    FakeVKSettings io;
    CVKOutputConfig outputs;
    CIden iden;
    EXPECT_TRUE(ReadOutputsGroup(io, outputs, iden, true));
    EXPECT_EQ(io.Calls("ReadIdentification"), 0);
    EXPECT_TRUE(ReadOutputsGroup(io, outputs, iden, false));
    EXPECT_EQ(io.Calls("ReadIdentification"), 1);
}

TEST(VKSettingsGroupsTest, RecordingSendCountsStatusAndNotebookButNotTheClock)
{
    FakeVKSettings io;
    io.Script("SetClock", {false, false, false});
    bool statusWritten = false, clockSet = true;
    EXPECT_TRUE(WriteRecordingGroup(io, CVKStatus(), CVKNoteBook(), statusWritten, clockSet));
    EXPECT_TRUE(statusWritten);
    EXPECT_FALSE(clockSet);

    FakeVKSettings failing;
    failing.Script("WriteStatus", {false, false, false});
    EXPECT_FALSE(WriteRecordingGroup(failing, CVKStatus(), CVKNoteBook(), statusWritten, clockSet));
    EXPECT_FALSE(statusWritten);
    EXPECT_EQ(failing.Calls("WriteNoteBook"), 1);
}

TEST(VKSettingsGroupsTest, ModemTextIsBoundTo63Characters)
{
    ModemBlock full;
    full.fill('A'); // no terminating zero at all
    EXPECT_EQ(ModemTextOf(full).size(), 63);
    ModemBlock shortText{};
    std::memcpy(shortText.data(), "ATZ", 3);
    EXPECT_EQ(ModemTextOf(shortText), QStringLiteral("ATZ"));

    const ModemBlock block = ModemBlockOf(QString(80, QLatin1Char('x')));
    EXPECT_EQ(block[62], 'x');
    EXPECT_EQ(block[63], 0);
    EXPECT_EQ(ModemTextOf(ModemBlockOf(QStringLiteral("AT&F0 Žluť"))), QStringLiteral("AT&F0 Žluť"));
}

TEST(VKSettingsGroupsTest, MemorySizeIsTheRingsCapacityIn64Bits)
{
    CVKStatus status;
    status.SetVoltageRecording(0, 3, 0);
    status.SetCurrentRecording(0, 3, 0);
    status.SetCapacity(0xFFFFFFF0u);
    status.SetRecordCount(0); // an empty archive
    const std::int64_t expected = std::int64_t(status.GetRecordSize()) * 0xFFFFFFF0ll;
    ASSERT_GT(status.GetRecordSize(), 1);
    EXPECT_EQ(MemorySizeOf(status), expected);
    EXPECT_GT(MemorySizeOf(status), std::int64_t(0xFFFFFFFFll));
}

CVKSettings SampleSettings()
{
    CVKSettings s;
    s.config.SetVtPrimary(22000);
    s.config.SetVoltageWord(100);
    s.config.SetCtRatioDword(0x80000000u | 400);
    s.config.SetNominalPower(630);
    s.outputs.SetPulseSending(1, TRUE);
    s.outputs.SetPulseConstant(0, 12.5);
    s.status.SetRecordPeriodIndex(11);
    s.status.SetVoltageRecording(0, 3, 0);
    s.notebook.SetRecordName(QStringLiteral("Trafostanice"));
    s.notebook.SetLine(0, QStringLiteral("fáze L1"));
    s.iden.family = CIden::kFamilyAnalyser;
    s.iden.model = 0x060C;
    s.iden.version = 0x23;
    s.iden.number = 4711;
    s.modem = QStringLiteral("ATZ");
    return s;
}

TEST(VKSettingsFileTest, BytesAreTheSixItemsInOrder)
{
    const CVKSettings s = SampleSettings();
    CVKSettings c = s;
    platform::SerialArchive ar;
    c.config.Serialize(ar);
    c.status.Serialize(ar);
    c.outputs.Serialize(ar);
    c.notebook.Serialize(ar);
    c.iden.Serialize(ar);
    QByteArray expected = ar.buffer();
    expected.append(char(3)).append("ATZ");
    EXPECT_EQ(VKSettingsBytes(s), expected);
    EXPECT_TRUE(VKSettingsBytes(s).endsWith(QByteArray("\x03" "ATZ", 4)));
}

TEST(VKSettingsFileTest, RoundTripAndLongModemStringPrefix)
{
    CVKSettings s = SampleSettings();
    s.modem = QString(300, QLatin1Char('m'));
    const QByteArray bytes = VKSettingsBytes(s);
    // 255 characters or more: 0xFF and a 16-bit length before the text.
    EXPECT_EQ(bytes.mid(bytes.size() - 303, 3), QByteArray("\xFF\x2C\x01", 3));
    CVKSettings loaded;
    QString error;
    ASSERT_TRUE(ParseVKSettings(bytes, loaded, error)) << error.toStdString();
    EXPECT_EQ(VKSettingsBytes(loaded), bytes);
    EXPECT_EQ(loaded.modem, s.modem);
    EXPECT_EQ(loaded.notebook.GetRecordName(), QStringLiteral("Trafostanice"));
    EXPECT_TRUE(loaded.iden == s.iden);
}

TEST(VKSettingsFileTest, AShortFileChangesNothingAndSaysWhy)
{
    const QByteArray bytes = VKSettingsBytes(SampleSettings());
    for (const qsizetype cut : {qsizetype(0), qsizetype(10), bytes.size() / 2, bytes.size() - 1}) {
        SCOPED_TRACE(cut);
        CVKSettings held;
        held.modem = QStringLiteral("původní");
        held.config.SetNominalPower(99);
        QString error;
        EXPECT_FALSE(ParseVKSettings(bytes.left(cut), held, error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(held.modem, QStringLiteral("původní"));
        EXPECT_EQ(held.config.GetNominalPower(), 99);
    }
}

TEST(VKSettingsFileTest, SaveWritesThroughATemporaryAndCreatesTheFolder)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("nastaveni"));
    const QString path = folder + QStringLiteral("/Rozvodna.vks");
    const QByteArray bytes = VKSettingsBytes(SampleSettings());
    QString error;
    EXPECT_FALSE(SaveVKSettingsFile(path, bytes, QString(), error));
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(SaveVKSettingsFile(path, bytes, folder, error)) << error.toStdString();
    CVKSettings loaded;
    ASSERT_TRUE(LoadVKSettingsFile(path, loaded, error));
    EXPECT_EQ(loaded.modem, QStringLiteral("ATZ"));
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("Rozvodna.vks")});

    // A save that cannot be made leaves the old file whole.
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool readOnlyFolder = !QFile(folder + QStringLiteral("/probe")).open(QIODevice::WriteOnly);
    if (readOnlyFolder) {
        EXPECT_FALSE(SaveVKSettingsFile(path, QByteArray("x"), QString(), error));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), bytes);
    }
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace
