#include "ControllerTestSupport.h"

#include "controllers/settings/SettingsFile.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace controllers;
using namespace controllers::test;

namespace {

// Builds the expected file bytes by hand, field by field.
struct Bytes {
    QByteArray b;
    Bytes& u8(int v)
    {
        b.append(char(v & 0xFF));
        return *this;
    }
    Bytes& u16(int v) { return u8(v).u8(v >> 8); }
    Bytes& tag(const char* name)
    {
        u16(0xFFFF).u16(1).u16(int(qstrlen(name)));
        b.append(name);
        return *this;
    }
    // Stored order of a tariff: t2, t1, t4, t3, t0.
    Bytes& tariff(int t0, int t1, int t2, int t3, int t4) { return u8(t2).u8(t1).u8(t4).u8(t3).u8(t0); }
};

QByteArray QorinFixture()
{
    Bytes f;
    f.u8(0x11).tag("CTarif").tariff(95, 4, 0x83, 0, 0).u16(0x8001).tariff(-92, 2, 5, 0, 0);
    f.u16(0x8064).u8(4).u8(2).u8(0).u8(10).u8(7).u8(0);
    for (int w : {400, 800, 1600, 1600, -400, 0})
        f.u16(w);
    for (int i = 0; i < 8; ++i)
        f.u16(0x7FFF);
    f.u16(0x001F).u16(0x0020).u8(127).u8(3).u16(0x0040).u16(0x0026);
    f.u8(15).u8(15).u8(0).u8(0).u8(0).u8(0).u16(0);
    return f.b;
}

QByteArray DuskarFixture()
{
    Bytes f;
    f.u8(1).tag("CDuskarTarif").tariff(95, 6, 0x88, 2, 0).u16(0x8001).tariff(106, 3, 4, 5, 0);
    CDuskarConfig c = SampleDuskarConfig();
    f.u16(c.ctRatio).u8(6).u8(c.voltageConnection).u8(0).u8(20).u8(6);
    for (int w : {800, 800, 1600, 3200, 3200, -800})
        f.u16(w);
    for (int i = 0; i < 8; ++i)
        f.u16(0x7FFF);
    f.u16(0x003F).u16(0).u8(-95).u16(0x0100).u16(0x0502);
    f.u8(20).u8(0).u8(0).u16(0);
    f.u8(5).u8(c.vtCode).u8(c.nominalVoltageCode).u8(0);
    f.u8(35).u8(85).u8(c.thdLimitCode[0]).u8(55);
    f.u8(5).u8(115).u8(c.thdLimitCode[1]).u8(55);
    f.u8(c.chlLimitCode).u8(1).u8(2).u8(0).u8(0).u8(0).u8(0x21);
    f.u16(1234).u16(20).u16(64).u16(0x21).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0);
    return f.b;
}

} // namespace

TEST(SettingsFile, BothFamiliesWriteTheFixtureBytesAndReadThemBack)
{
    EXPECT_EQ(QorinSettingsBytes(SampleQorinConfig()).toHex().toStdString(), QorinFixture().toHex().toStdString());
    EXPECT_EQ(DuskarSettingsBytes(SampleDuskarConfig(), SampleDuskarIden()).toHex().toStdString(),
              DuskarFixture().toHex().toStdString());

    CConfig q;
    QString error;
    ASSERT_TRUE(ParseQorinSettings(QorinFixture(), q, error)) << error.toStdString();
    EXPECT_EQ(QorinSettingsBytes(q), QorinFixture());
    CDuskarConfig d;
    CIden iden;
    ASSERT_TRUE(ParseDuskarSettings(DuskarFixture(), d, iden, error)) << error.toStdString();
    EXPECT_EQ(DuskarSettingsBytes(d, iden), DuskarFixture());
    EXPECT_EQ(iden.model, 20);
}

TEST(SettingsFile, ForeignDamagedOrUnknownFilesChangeNothing)
{
    QByteArray unknownVersion = DuskarFixture();
    unknownVersion[0] = 2;
    const struct {
        const char* what;
        QByteArray bytes;
        bool asQorin;
    } cases[] = {
        {"Duskar file as Qorin", DuskarFixture(), true},
        {"Qorin file as Duskar", QorinFixture(), false},
        {"unknown Duskar format", unknownVersion, false},
        {"cut Qorin file", QorinFixture().left(30), true},
        {"cut Duskar file", DuskarFixture().left(DuskarFixture().size() - 3), false},
        {"empty file", QByteArray(), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QString error;
        if (c.asQorin) {
            CConfig config = SampleQorinConfig();
            EXPECT_FALSE(ParseQorinSettings(c.bytes, config, error));
            EXPECT_EQ(QorinSettingsBytes(config), QorinFixture());
        } else {
            CDuskarConfig config = SampleDuskarConfig();
            CIden iden = SampleDuskarIden();
            EXPECT_FALSE(ParseDuskarSettings(c.bytes, config, iden, error));
            EXPECT_EQ(DuskarSettingsBytes(config, iden), DuskarFixture());
        }
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(SettingsFile, SaveReplacesTheFileWholeAndAFailedSaveKeepsTheOld)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rozvodna.set"));
    QString error;
    ASSERT_TRUE(SaveSettingsFile(path, QorinFixture(), error));
    ASSERT_TRUE(SaveSettingsFile(path, DuskarFixture(), error));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), DuskarFixture());
    file.close();
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);

    // A target that cannot be replaced (a folder of that name) fails with a
    // message; a file beside it stays as it was.
    const QString blocked = dir.filePath(QStringLiteral("blocked.set"));
    QDir(dir.path()).mkdir(QStringLiteral("blocked.set"));
    EXPECT_FALSE(SaveSettingsFile(blocked, QorinFixture(), error));
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), DuskarFixture());

    CConfig config = SampleQorinConfig();
    EXPECT_FALSE(LoadQorinSettingsFile(dir.filePath(QStringLiteral("missing.set")), config, error));
    EXPECT_TRUE(error.contains(QStringLiteral("nelze")));
}
