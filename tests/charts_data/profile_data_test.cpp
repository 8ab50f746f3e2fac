// Profile files: the stored bytes, whole-file loading, the traces and the
// cursor of a VK profile, the decoding of VKT minutes, the trace register.
#include "charts_data/ProfileDataFactory.h"
#include "charts_data/ProfileFile.h"
#include "charts_data/VKProfileData.h"
#include "charts_data/VKTProfileData.h"

#include "model/VKTPackedTime.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using platform::CTime;

const CTime kDay(2024, 6, 10, 0, 0, 0);

QByteArray LE32(std::uint32_t v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char((v >> (8 * i)) & 0xFF);
    return b;
}

// A VK minute: voltages, currents (I1..I4), power-factor bytes.
QByteArray VKMinute(std::array<WORD, 3> u, std::array<int, 4> i, std::array<int, 3> pf)
{
    QByteArray r(charts::kVKProfileRecordSize, '\0');
    auto* p = reinterpret_cast<BYTE*>(r.data());
    for (int k = 0; k < 3; ++k)
        CPrevodTyp::PutWord(p + 2 * k, u[std::size_t(k)]);
    for (int k = 0; k < 4; ++k)
        CPrevodTyp::PutWord(p + 6 + 2 * k, WORD(std::int16_t(i[std::size_t(k)])));
    for (int k = 0; k < 3; ++k)
        p[14 + k] = BYTE(std::int8_t(pf[std::size_t(k)]));
    return r;
}

// A whole day: minute m has U1 = 2300 + m; minute 1 has no U1 and power
// factors 95 / -95; minute 61 marks the second hour with I4 = 61.
charts::CVKProfileFile VKDay(const QString& name, DWORD kind = 1)
{
    charts::CVKProfileFile file;
    file.head = {name, charts::kProfileTypeVK, kind, kDay};
    file.config.SetCtRatioDword(2);
    for (int m = 0; m < charts::kProfileMinutes; ++m) {
        if (m == 1)
            file.records += VKMinute({0xFFFF, 2301, 2302}, {100, 200, 300, 0x7FFF}, {95, -95, 0x7F});
        else
            file.records += VKMinute({WORD(2300 + m), 2300, 2300}, {-3200, 3200, 0, m}, {100, 100, 100});
    }
    return file;
}

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QTemporaryDir m_dir;
};

TEST_F(ProfileFileTest, StoredBytesAreHeadRecordsBlocksAndAnEmptyEnd)
{
    charts::CVKProfileFile file;
    file.head = {QStringLiteral("Hala č.1"), charts::kProfileTypeVK, 0, CTime(0x01020304)};
    file.iden.model = 0x1101;
    file.config.SetCtRatioDword(50);
    file.records = VKMinute({1, 2, 3}, {4, 5, 6, 7}, {8, 9, 10}) + VKMinute({11, 12, 13}, {14, 15, 16, 17}, {1, 2, 3})
                   + VKMinute({21, 22, 23}, {24, 25, 26, 27}, {4, 5, 6});

    SerialArchive records;
    auto iden = file.iden;
    iden.Serialize(records);
    auto config = file.config;
    config.Serialize(records);
    auto notebook = file.notebook;
    notebook.Serialize(records);
    const QByteArray expected = QByteArray("\x08Hala \xE8.1", 9) + LE32(2) + LE32(0) + LE32(0x01020304)
                                + records.buffer() + LE32(2) + LE32(17) + file.records.left(34) + LE32(1) + LE32(17)
                                + file.records.mid(34) + LE32(0) + LE32(0);
    const QByteArray bytes = charts::StoreProfileFile(file, 2);
    EXPECT_EQ(bytes, expected);

    charts::CVKProfileFile read;
    ASSERT_EQ(charts::LoadProfileFile(bytes, read), QString());
    EXPECT_EQ(read.head.name, file.head.name);
    EXPECT_EQ(read.head.date.GetTime(), 0x01020304u);
    EXPECT_EQ(read.iden.model, 0x1101);
    EXPECT_EQ(read.config.GetCtRatioDword(), 50u);
    EXPECT_EQ(read.records, file.records);
    EXPECT_EQ(charts::StoreProfileFile(read, 2), bytes);

    QString header;
    EXPECT_EQ(charts::ReadProfileFileNumber(Write(QStringLiteral("a.pro"), bytes), header), 2u);
    EXPECT_EQ(header, file.head.name);
    EXPECT_EQ(charts::ProfileFileType(m_dir.filePath(QStringLiteral("a.pro"))), 2);
    EXPECT_EQ(charts::ProfileFileType(m_dir.filePath(QStringLiteral("none.pro"))), 0);
    EXPECT_EQ(charts::ReadProfileFileNumber(m_dir.filePath(QStringLiteral("none.pro")), header), 0u);
    EXPECT_TRUE(header.isEmpty());
}

TEST_F(ProfileFileTest, MinuteBlocksAndChunksReadAlike)
{
    const charts::CVKProfileFile day = VKDay(QStringLiteral("hala"));
    for (int perBlock : {1, 24, 1440}) {
        charts::CVKProfileFile read;
        ASSERT_EQ(charts::LoadProfileFile(charts::StoreProfileFile(day, perBlock), read), QString()) << perBlock;
        EXPECT_EQ(read.records, day.records) << perBlock;
    }
    // A VKT file is not a VK profile.
    charts::CVKTProfileFile vkt;
    vkt.head.type = charts::kProfileTypeVKT;
    charts::CVKProfileFile untouched = day;
    EXPECT_FALSE(charts::LoadProfileFile(charts::StoreProfileFile(vkt, 15), untouched).isEmpty());
    EXPECT_EQ(untouched.records, day.records);
}

TEST_F(ProfileFileTest, ATruncatedFileLeavesTheLoadedProfileAsItWas)
{
    const QByteArray good = charts::StoreProfileFile(VKDay(QStringLiteral("hala")), 24);
    const QString goodPath = Write(QStringLiteral("hala_MP_Y24D0610.pro"), good);
    CVKProfileData data;
    ASSERT_EQ(data.AddGraphSeries(QStringLiteral("U1"), QStringLiteral("V"), QStringLiteral("U"), 0xFF, 300, 0), TRUE);
    ASSERT_EQ(data.SetPath(goodPath), TRUE);
    const std::vector<CGraphPoint> points = data.FindGraphSeries(QStringLiteral("U1"))->Points(0);
    ASSERT_EQ(data.MoveCursor(70), FALSE);

    // Cut inside the head, inside the settings, inside a block, in the last
    // minute. (A file whose 1440 minutes are whole reads without its end
    // block.)
    for (qsizetype size : {qsizetype(3), qsizetype(40), good.size() / 2, good.size() - 12}) {
        const QString bad = Write(QStringLiteral("cut.pro"), good.left(size));
        EXPECT_EQ(data.SetPath(bad), FALSE) << size;
        EXPECT_EQ(data.GetErrorText(), QStringLiteral("Chyba při čtení souboru.")) << size;
        EXPECT_EQ(data.GetPath(), goodPath);
        EXPECT_EQ(data.GetHeaderText(), QStringLiteral("hala"));
        EXPECT_EQ(data.GetCursor(), 70);
        EXPECT_EQ(data.GetHourTable()[11].i[3], 71);
        EXPECT_EQ(data.FindGraphSeries(QStringLiteral("U1"))->Points(0), points);
        EXPECT_EQ(data.GetFile().RecordCount(), charts::kProfileMinutes);
    }
    // The settings sheets read the stored records from the file again.
    CIden iden;
    CVKConfig config;
    ASSERT_EQ(data.ReadSettings(iden, config), TRUE);
    EXPECT_EQ(config.GetCtRatioDword(), 2u);
    config.SetCtRatioDword(77);
    Write(QStringLiteral("hala_MP_Y24D0610.pro"), good.left(60));
    EXPECT_EQ(data.ReadSettings(iden, config), FALSE);
    EXPECT_EQ(config.GetCtRatioDword(), 77u);

    EXPECT_EQ(data.SetPath(m_dir.filePath(QStringLiteral("none.pro"))), FALSE);
    EXPECT_EQ(data.GetErrorText(), QStringLiteral("Soubor se nepodařilo otevřít."));
}

TEST_F(ProfileFileTest, VKTracesCursorAndTitle)
{
    CVKProfileData data;
    const auto add = [&](const char* name, const char* group, float upper) {
        return data.AddGraphSeries(QString::fromLatin1(name), QString(), QString::fromLatin1(group), 0, upper, 0);
    };
    ASSERT_EQ(add("U1", "U", 300), TRUE);
    ASSERT_EQ(add("PF1", "PF", 2), TRUE);
    ASSERT_EQ(add("PF2", "PF", 2), TRUE);
    ASSERT_EQ(add("I1", "I", 10), TRUE);
    ASSERT_EQ(add("I4", "I", 10), TRUE);
    ASSERT_EQ(data.SetPath(Write(QStringLiteral("p.pro"), charts::StoreProfileFile(VKDay(QStringLiteral("hala")), 24))),
              TRUE);

    const auto value = [&](const char* name, int minute) {
        const CGraphTrace* t = data.FindGraphSeries(QString::fromLatin1(name));
        const CGraphPoint p = t->Points(0)[std::size_t(minute)];
        return p.IsGap() ? -1.0 : t->ValueOfY(p.y);
    };
    EXPECT_NEAR(value("U1", 0), 230.0, 0.05);
    EXPECT_EQ(value("U1", 1), -1.0);
    EXPECT_NEAR(value("PF1", 1), 1.05, 0.001);
    EXPECT_NEAR(value("PF2", 1), 1.05, 0.001);
    EXPECT_NEAR(value("I1", 0), 3200 * 2 * 0.0003125, 0.001); // by magnitude
    EXPECT_EQ(value("I4", 1), -1.0);
    EXPECT_EQ(data.FindGraphSeries(QStringLiteral("U1"))->Origin().GetTime(), kDay.GetTime());

    // Cursor: clamped, the hour table follows the hour.
    EXPECT_EQ(data.GetHourTable()[1].u[0], 0xFFFF);
    EXPECT_EQ(data.MoveCursor(60), FALSE);
    EXPECT_EQ(data.GetHourTable()[1].i[3], 61);
    EXPECT_EQ(data.MoveCursor(-1), FALSE);
    EXPECT_EQ(data.GetHour(), 0);
    EXPECT_EQ(data.GetHourTable()[1].u[0], 0xFFFF);
    EXPECT_EQ(data.MoveCursor(1430 - 59), FALSE);
    EXPECT_EQ(data.MoveCursor(15), TRUE);
    EXPECT_EQ(data.GetCursor(), 1439);
    EXPECT_EQ(data.MoveCursor(1), TRUE);
    EXPECT_EQ(data.MoveCursor(-5000), TRUE);
    EXPECT_EQ(data.GetCursor(), 0);
    data.SetCursorPermille(500);
    EXPECT_EQ(data.GetCursor(), 720);
    EXPECT_EQ(data.GetCursorPos(1000), 500);
    EXPECT_EQ(data.GetCursorX(), 15000);
    EXPECT_EQ(data.GetTitle(), QStringLiteral("Maximální profil hala (10.06.24)"));

    // The values dialog at minute 1: no U1, unfolded power factors.
    data.MoveCursor(-5000);
    data.MoveCursor(1);
    const CProfileValueTexts texts = data.GetValueTexts();
    EXPECT_EQ(texts.voltageCaption, QStringLiteral("U L-N[V]"));
    EXPECT_EQ(texts.currentCaption, QStringLiteral("I[A]"));
    EXPECT_EQ(texts.time, QStringLiteral("10.06.24 00:01:00"));
    EXPECT_EQ(texts.values[0], QStringLiteral("--"));
    EXPECT_EQ(texts.values[6], QStringLiteral("--"));
    EXPECT_EQ(texts.values[7], QStringLiteral("0.95"));
    EXPECT_EQ(texts.values[8], QStringLiteral("0.95"));
    EXPECT_EQ(texts.values[9], QStringLiteral("--"));

    CVKProfileData selected;
    ASSERT_EQ(selected.SetPath(Write(QStringLiteral("s.pro"),
                                     charts::StoreProfileFile(VKDay(QStringLiteral("%s"), 0), 1440))),
              TRUE);
    EXPECT_EQ(selected.GetTitle(), QStringLiteral("Vybraný profil %s (10.06.24)"));
}

TEST(ProfileFactoryTest, EachProfileTypeHasItsFamily)
{
    EXPECT_EQ(charts::CreateProfileData(2)->GetQuantityCount(), 10);
    EXPECT_EQ(charts::CreateProfileData(4)->GetQuantityCount(), 23);
    EXPECT_EQ(charts::CreateProfileData(0), nullptr);
    EXPECT_EQ(charts::CreateProfileData(3), nullptr);
}

TEST(ProfileSeriesTest, ScaleGroupsShareTheWidestRangeOfTheirTraces)
{
    CVKProfileData data;
    ASSERT_EQ(data.AddGraphSeries(QStringLiteral("I1"), QString(), QStringLiteral("I"), 1, 10, 0), TRUE);
    CGraphTrace* i1 = data.FindGraphSeries(QStringLiteral("I1"));
    i1->SetPointCount(0, 2);
    i1->SetPoint(0, 0, CTime(0), 5.0);
    EXPECT_EQ(data.AddGraphSeries(QStringLiteral("I1"), QString(), QStringLiteral("I"), 1, 10, 0), FALSE);

    // Wider: the first trace takes the common range and keeps its value.
    ASSERT_EQ(data.AddGraphSeries(QStringLiteral("I2"), QString(), QStringLiteral("I"), 2, 20, -5), TRUE);
    EXPECT_EQ(i1->Maximum(), 20.0f);
    EXPECT_EQ(i1->Minimum(), -5.0f);
    EXPECT_NEAR(i1->ValueOfY(i1->Points(0)[0].y), 5.0, 0.01);
    // Narrower: takes the group's range as it is.
    ASSERT_EQ(data.AddGraphSeries(QStringLiteral("I3"), QString(), QStringLiteral("I"), 3, 1, 0), TRUE);
    EXPECT_EQ(data.FindGraphSeries(QStringLiteral("I3"))->Maximum(), 20.0f);

    // Removing the widest re-ranges the rest to their own limits.
    EXPECT_EQ(data.RemoveGraphSeries(QStringLiteral("I2")), TRUE);
    EXPECT_EQ(data.RemoveGraphSeries(QStringLiteral("I2")), FALSE);
    EXPECT_EQ(i1->Maximum(), 10.0f);
    EXPECT_EQ(i1->Minimum(), 0.0f);
    EXPECT_NEAR(i1->ValueOfY(i1->Points(0)[0].y), 5.0, 0.01);

    data.SetSeriesScale(QStringLiteral("I3"), 40, 0);
    EXPECT_EQ(i1->Maximum(), 40.0f);

    EXPECT_EQ(data.SetSeriesAbsolute(QStringLiteral("I1"), TRUE), FALSE);
    EXPECT_EQ(data.SetSeriesAbsolute(QStringLiteral("I1"), TRUE), TRUE);
    EXPECT_EQ(data.SetSeriesAbsolute(QStringLiteral("X"), TRUE), 0);
    EXPECT_EQ(data.SetSeriesColor(QStringLiteral("I3"), 0x123456), TRUE);
    EXPECT_EQ(data.GetSeriesColor(1), 0x123456u);
    EXPECT_EQ(data.SetSeriesColor(QStringLiteral("i3"), 1), FALSE); // names compare exactly
    data.RemoveAllSeries();
    EXPECT_EQ(data.GetSeriesCount(), 0);
}

// A VKT minute of a star connection at `time`: 230 V, 5 A, P 100 W, Q 0,
// S 200 W a phase before the ratios.
QByteArray VKTMinute(CTime time, BYTE counter, BYTE seconds)
{
    QByteArray r(charts::kVKTProfileRecordSize, '\0');
    auto* p = reinterpret_cast<BYTE*>(r.data());
    PackRecordTime(time, p);
    for (int k = 0; k < 3; ++k) {
        CPrevodTyp::PutWord(p + 4 + 2 * k, 9200);
        CPrevodTyp::PutWord(p + 10 + 2 * k, 25000);
        CPrevodTyp::PutFloat(p + 16 + 4 * k, 100.0f);
        CPrevodTyp::PutFloat(p + 28 + 4 * k, 0.0f);
        CPrevodTyp::PutFloat(p + 40 + 4 * k, 200.0f);
    }
    p[52] = counter;
    p[53] = seconds;
    return r;
}

TEST(VKTProfileTest, MinutesAreCheckedAgainstTheirTimeAndMissingSeconds)
{
    BYTE counter = 7;
    const CTime t = kDay + CTimeSpan(0, 1, 5, 0);
    CVKTProfileRecord r = CVKTProfileRecord::Decode(
        reinterpret_cast<const BYTE*>(VKTMinute(t, 9, 50).constData()), t, counter);
    EXPECT_TRUE(r.valid);
    EXPECT_EQ(r.outages, 2);
    EXPECT_EQ(counter, 9);
    EXPECT_EQ(r.missingSeconds, 10);
    r = CVKTProfileRecord::Decode(reinterpret_cast<const BYTE*>(VKTMinute(t, 9, 59).constData()), t, counter);
    EXPECT_EQ(r.missingSeconds, 0);
    EXPECT_EQ(r.outages, 0);
    // A minute from elsewhere in the day is no record of this minute.
    r = CVKTProfileRecord::Decode(reinterpret_cast<const BYTE*>(VKTMinute(t + CTimeSpan(60), 30, 59).constData()), t,
                                  counter);
    EXPECT_FALSE(r.valid);
    EXPECT_EQ(r.missingSeconds, 60);
    EXPECT_EQ(r.outages, 1);
    EXPECT_EQ(counter, 9);

    CVKTProfileData data;
    const auto values = [&](const QByteArray& raw, CTime at) {
        BYTE c = 0;
        return data.Values(CVKTProfileRecord::Decode(reinterpret_cast<const BYTE*>(raw.constData()), at, c));
    };
    // No file yet: ratios 1, connection 0 (one phase).
    const auto single = values(VKTMinute(t, 1, 59), t);
    EXPECT_NEAR(single[0], 230.0, 1e-9);
    EXPECT_TRUE(std::isnan(single[1]));
    EXPECT_NEAR(single[3], 5.0, 1e-9);
    EXPECT_NEAR(single[6], 5.0, 1e-9); // I4 without phases 2 and 3
    EXPECT_NEAR(single[7], 0.5, 1e-9);
    EXPECT_TRUE(std::isnan(single[10])); // no totals for one phase
    EXPECT_TRUE(std::isnan(single[14]));
    const auto late = values(VKTMinute(t, 1, 20), t); // 40 seconds missing
    for (double v : late)
        EXPECT_TRUE(std::isnan(v));
}

TEST_F(ProfileFileTest, VKTDayFromItsFileWithConnectionAndLateMinutes)
{
    charts::CVKTProfileFile file;
    file.head = {QStringLiteral("rozvodna"), charts::kProfileTypeVKT, 0, kDay};
    file.config.SetConnection(CVKTConfig::Aron);
    file.config.SetVtPrimary(2);
    for (int m = 0; m < charts::kProfileMinutes; ++m)
        file.records += VKTMinute(kDay + CTimeSpan(60 * m), BYTE(m), m == 2 ? 20 : 59);
    CVKTProfileData data;
    for (const char* name : {"U1", "U2", "3P"})
        ASSERT_EQ(data.AddGraphSeries(QString::fromLatin1(name), QString(), QString::fromLatin1(name), 0, 1000, -1000),
                  TRUE);
    for (const char* name : {"PF1", "3PF"})
        ASSERT_EQ(data.AddGraphSeries(QString::fromLatin1(name), QString(), QStringLiteral("PF"), 0, 2, 0), TRUE);
    ASSERT_EQ(data.SetPath(Write(QStringLiteral("v.pro"), charts::StoreProfileFile(file, 15))), TRUE);
    EXPECT_EQ(data.GetQuantityCount(), 23);
    EXPECT_EQ(data.GetQuantityName(22), QStringLiteral("3S"));

    const auto point = [&](const char* name, int minute) {
        const CGraphTrace* t = data.FindGraphSeries(QString::fromLatin1(name));
        const CGraphPoint p = t->Points(0)[std::size_t(minute)];
        return p.IsGap() ? std::nan("") : t->ValueOfY(p.y);
    };
    // Aron: no second phase, no phase powers; totals of phases 1 and 3.
    EXPECT_NEAR(point("U1", 0), 460.0, 0.1);
    EXPECT_TRUE(std::isnan(point("U2", 0)));
    EXPECT_TRUE(std::isnan(point("PF1", 0)));
    EXPECT_NEAR(point("3P", 0), 400.0, 0.1);
    EXPECT_NEAR(point("3PF", 0), 1.0, 0.001);
    EXPECT_TRUE(std::isnan(point("U1", 2))); // 40 seconds missing

    data.MoveCursor(1);
    CProfileValueTexts texts = data.GetValueTexts();
    EXPECT_EQ(texts.values[1], QStringLiteral("-N-"));
    EXPECT_EQ(texts.values[11], QStringLiteral("-N-"));
    EXPECT_EQ(texts.values[10], QStringLiteral("1.00"));
    EXPECT_EQ(texts.powerCaptions[0], QStringLiteral("P[W]"));
    data.MoveCursor(1);
    texts = data.GetValueTexts();
    for (const QString& v : texts.values)
        EXPECT_EQ(v, QStringLiteral("--"));
}

} // namespace
