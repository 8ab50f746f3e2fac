// Record base helpers, quantity-name tables and the identification, generic
// block and recent-file records.
#include "model/Iden.h"
#include "model/LastSoub.h"
#include "model/PrevodTyp.h"
#include "model/QuantityNames.h"
#include "model/UniTyp.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QSet>

#include <cstdlib>
#include <ctime>

// Readable failure messages for texts.
static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(hex);
}

template <class T>
QByteArray Store(T& record)
{
    SerialArchive ar;
    record.Serialize(ar);
    return ar.buffer();
}

// ---- CPrevodTyp helpers ----

TEST(PrevodTyp, BigEndianImages)
{
    const BYTE image[4] = {0x12, 0x34, 0x56, 0x78};
    EXPECT_EQ(CPrevodTyp::GetWord(image), 0x1234);
    EXPECT_EQ(CPrevodTyp::GetDword(image), 0x12345678u);

    BYTE out[4] = {};
    CPrevodTyp::PutWord(out, 0xABCD);
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(out), 2), Hex("abcd"));
    CPrevodTyp::PutDword(out, 0x01020304);
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(out), 4), Hex("01020304"));

    // IEEE single, most significant byte first.
    const BYTE one[4] = {0x3F, 0x80, 0x00, 0x00};
    EXPECT_EQ(CPrevodTyp::GetFloat(one), 1.0f);
    CPrevodTyp::PutFloat(out, -2.5f);
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(out), 4), Hex("c0200000"));

    EXPECT_EQ(CPrevodTyp::SwapWord(0xFFFF1234u), 0x3412u); // high half ignored
    EXPECT_EQ(CPrevodTyp::SwapDword(0x12345678u), 0x78563412u);
    EXPECT_EQ(CPrevodTyp::SwapFloat(0x0000803Fu), 1.0f);
}

TEST(PrevodTyp, BitsAndNoValueMarker)
{
    BYTE b = 0x00;
    CPrevodTyp::SetBit(&b, TRUE, 7);
    CPrevodTyp::SetBit(&b, 5, 0); // any non-zero sets
    EXPECT_EQ(b, 0x81);
    CPrevodTyp::SetBit(&b, FALSE, 7);
    EXPECT_EQ(b, 0x01);
    EXPECT_EQ(CPrevodTyp::GetBit(0x04, 2), 1);
    EXPECT_EQ(CPrevodTyp::GetBit(0x04, 3), 0);

    EXPECT_TRUE(CPrevodTyp::IsInvalid(0xFFFFFFFFu));
    EXPECT_FALSE(CPrevodTyp::IsInvalid(0xFFFFFFFEu));
    DWORD d = 0;
    CPrevodTyp::SetInvalid(&d);
    EXPECT_EQ(d, 0xFFFFFFFFu);
}

TEST(PrevodTyp, Bcd)
{
    struct Case {
        int value;
        BYTE bcd;
    };
    for (const Case c : {Case{0, 0x00}, Case{9, 0x09}, Case{10, 0x10}, Case{59, 0x59}, Case{99, 0x99}, Case{100, 0xA0}})
        EXPECT_EQ(CPrevodTyp::ToBcd(c.value), c.bcd) << c.value;
    // No nibble check on the way in.
    EXPECT_EQ(CPrevodTyp::FromBcd(0x1F), 25);
    EXPECT_EQ(CPrevodTyp::FromBcd(0x59), 59);
    EXPECT_EQ(CPrevodTyp::FromBcd(0xFF), 165);
}

class PrevodTypClock : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("TZ", "Europe/Prague", 1);
        tzset();
    }
};

TEST_F(PrevodTypClock, ClockImageIsStandardTimeAndRoundTrips)
{
    struct Case {
        CTime::time_type utc;
        const char* bcd; // standard (winter) time of the instant
    };
    const Case cases[] = {
        {1705323600, "240115140000"}, // 14:00 in January
        {1721044800, "240715130000"}, // 14:00 summer time
        {1711846799, "240331015959"}, // last second before the spring change
        {1711848600, "240331023000"}, // 03:30 summer time, first hour after the change
        {1729989000, "241027013000"}, // 02:30 summer time, before the autumn change
        {1729992600, "241027023000"}, // 02:30 winter time, after it
    };
    for (const Case& c : cases) {
        BYTE image[6] = {};
        CPrevodTyp::TimeToBcd(image, CTime(c.utc));
        EXPECT_EQ(QByteArray(reinterpret_cast<char*>(image), 6).toHex(), QByteArray(c.bcd)) << c.utc;
        EXPECT_EQ(CPrevodTyp::BcdToTime(image).GetTime(), c.utc) << c.utc;
    }
}

TEST_F(PrevodTypClock, SummerTimeCorrection)
{
    EXPECT_EQ(CPrevodTyp::CorrectSummerTime(CTime(1721044800)).GetTime(), 1721044800u - 3600);
    EXPECT_EQ(CPrevodTyp::CorrectSummerTime(CTime(1711848600)).GetTime(), 1711848600u - 3600);
    EXPECT_EQ(CPrevodTyp::CorrectSummerTime(CTime(1705323600)).GetTime(), 1705323600u);
    EXPECT_EQ(CPrevodTyp::CorrectSummerTime(CTime(1729992600)).GetTime(), 1729992600u);
}

TEST_F(PrevodTypClock, YearByteOutsideTheCentury)
{
    BYTE image[6] = {};
    CPrevodTyp::TimeToBcd(image, CTime(2105, 1, 10, 12, 0, 0));
    EXPECT_EQ(image[0], 0xA5);
    CPrevodTyp::TimeToBcd(image, CTime(1999, 1, 10, 12, 0, 0));
    EXPECT_EQ(image[0], 0x95);
}

TEST_F(PrevodTypClock, ImpossibleClockImageGivesInvalidTime)
{
    const BYTE month13[6] = {0x24, 0x13, 0x01, 0x00, 0x00, 0x00};
    const BYTE feb30[6] = {0x24, 0x02, 0x30, 0x00, 0x00, 0x00};
    EXPECT_FALSE(CPrevodTyp::BcdToTime(month13).IsValid());
    EXPECT_FALSE(CPrevodTyp::BcdToTime(feb30).IsValid());
}

// ---- quantity names ----

template <std::size_t N>
bool AllDistinct(const std::array<QStringView, N>& names)
{
    QSet<QString> seen;
    for (QStringView n : names)
        seen.insert(n.toString());
    return seen.size() == qsizetype(N);
}

TEST(QuantityNames, TablesHaveTheirSizesAndOrder)
{
    EXPECT_EQ(VKQuantityNames.size(), 37u);
    EXPECT_EQ(VKRQuantityNames.size(), 40u);
    EXPECT_EQ(VKTQuantityNames.size(), 46u);
    EXPECT_EQ(ControllerQuantityNames.size(), 15u);
    EXPECT_EQ(ControllerCurveNames.size(), 5u);

    // A VK quantity number means the same quantity on a VKR analyser.
    for (std::size_t i = 0; i < VKQuantityNames.size(); ++i)
        EXPECT_EQ(VKRQuantityNames[i], VKQuantityNames[i]) << i;
    EXPECT_EQ(VKRQuantityNames[37], u"THDU1,2");
    EXPECT_EQ(VKRQuantityNames[39], u"THDU3,1");

    EXPECT_EQ(VKQuantityNames[10], u"Fr");
    EXPECT_EQ(VKQuantityNames[15], u"U3,1");
    EXPECT_EQ(VKQuantityNames[33], u"3PF");
    EXPECT_EQ(VKQuantityNames[36], u"3S");
    EXPECT_EQ(VKTQuantityNames[11], u"3PF");
    EXPECT_EQ(VKTQuantityNames[22], u"_u2");
    EXPECT_EQ(VKTQuantityNames[26], u"3P");
    EXPECT_EQ(VKTQuantityNames[37], u"S4");
    EXPECT_EQ(VKTQuantityNames[45], u"THDI4");
    EXPECT_EQ(ControllerQuantityNames[9], u"dIrea");
    EXPECT_TRUE(ControllerQuantityNames[14].isEmpty());
    EXPECT_EQ(ControllerCurveNames[1], u"Proud");

    // Names are keys: a repeated one would merge two graph series.
    EXPECT_TRUE(AllDistinct(VKQuantityNames));
    EXPECT_TRUE(AllDistinct(VKRQuantityNames));
    EXPECT_TRUE(AllDistinct(VKTQuantityNames));
    EXPECT_TRUE(AllDistinct(ControllerQuantityNames));
}

// ---- CIden ----

CIden MakeIden(WORD family, WORD model, WORD version = 0)
{
    CIden iden;
    iden.family = family;
    iden.model = model;
    iden.version = version;
    return iden;
}

TEST(Iden, ReplyAndStoredImages)
{
    const BYTE reply[14] = {0x12, 0x34, 0x09, 0x05, 0x00, 0x30, 0x01, 0x23, 0xAB, 0xCD, 1, 2, 3, 4};
    CIden iden;
    iden.FromReply(reply);
    EXPECT_EQ(iden.number, 0x1234);
    EXPECT_EQ(iden.model, 0x0905);
    EXPECT_EQ(iden.family, 48);
    EXPECT_EQ(iden.version, 0x0123);
    EXPECT_EQ(iden.i1, 0xAB);
    EXPECT_EQ(iden.i2, 0xCD);
    EXPECT_EQ(iden.i3, (std::array<BYTE, 4>{1, 2, 3, 4}));

    BYTE raw[14] = {};
    iden.ToRaw(raw);
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(raw), 14), Hex("3412050930002301abcd01020304"));
    CIden back;
    back.FromRaw(raw);
    EXPECT_EQ(back, iden);
}

TEST(Iden, TextsAndIndicesByModel)
{
    struct Case {
        WORD family;
        WORD model;
        const char* modelText;
        int vkIndex;
        const char* description;
    };
    const Case cases[] = {
        {48, 0x0905, "PJW33 ET", 11, "PJW33 ET"},
        {48, 0x0900, "PJW33 ", 8, "PJW33 "},
        {48, 0x0902, "PJW33 R", 10, "PJW33 R"},
        {48, 0x090D, "PJW33 ETA", 25, "PJW33 ETA"},
        {48, 0x1103, "PJX33 RT", 15, "PJX33 RT"},
        {48, 0x1709, "PJX33 TA/COM", 27, "PJX33 TA/COM"},
        {48, 0x1501, "PJX33 T/485", 13, "PJX33 T/485"},
        {48, 0x1301, "PJX33 T/CAN", 13, "PJX33 T/CAN"},
        {48, 0x1001, "VKN", 21, "VKN"},
        {48, 0x1000, "VKR", 20, "VKR"},
        {48, 0x1E00, "PJX33/COM", 7, ""}, // no known model
        {64, 0x0905, "Není typu PJW,PJX", 7, "Qorin??"},
        {64, 3, "Není typu PJW,PJX", 7, "QORIN-206"},
        {64, 17, "Není typu PJW,PJX", 7, "QORIN-1306"},
        {64, 22, "Není typu PJW,PJX", 7, "QORIN-1114"},
        {48, 0x2113, "PJX33", 7, "VKT33RI 485"},
        {48, 0x2000, "PJX33", 7, "VKT44"},
        {48, 0x2514, "PJX33/485", 7, "VKT33 Bluetooth"},
        {48, 0x2602, "PJX33/COM", 7, "Není typu PJW,PJX"}, // group 0x26 above the VKT range
        {0, 0x0905, "Není typu PJW,PJX", 7, ""},
    };
    for (const Case& c : cases) {
        const CIden iden = MakeIden(c.family, c.model);
        SCOPED_TRACE(QString::number(c.model, 16).toStdString() + " family " + std::to_string(c.family));
        EXPECT_EQ(iden.GetModelText(), QString::fromUtf8(c.modelText));
        EXPECT_EQ(iden.GetVKModelIndex(), c.vkIndex);
        EXPECT_EQ(iden.GetDescription(), QString::fromUtf8(c.description));
    }
}

TEST(Iden, VKTModelsAndControllerIndices)
{
    struct Case {
        WORD family;
        WORD model;
        const char* text;
        int vktIndex;
        int controllerIndex;
    };
    const Case cases[] = {
        {48, 0x2000, "VKT44", 34, 7},
        {48, 0x2113, "VKT33RI 485", 41, 7},
        {48, 0x2202, "VKT44II Profibus", 36, 7},
        {48, 0x2301, "VKT44RR Ethernet", 35, 7},
        {48, 0x2410, "VKT33 Wifi", 38, 7},
        {48, 0x2514, "VKT33 Bluetooth", 38, 7},
        {48, 0x2515, "Není typu PJW,PJX", 7, 7},
        {48, 0x1FFF, "Není typu PJW,PJX", 7, 7},
        {64, 0x2000, "Není typu PJW,PJX", 7, 7},
        {64, 16, "Není typu PJW,PJX", 7, 7},
        {64, 17, "Není typu PJW,PJX", 7, 40},
        {64, 22, "Není typu PJW,PJX", 7, 45},
        {64, 23, "Není typu PJW,PJX", 7, 7},
        {48, 17, "Není typu PJW,PJX", 7, 7},
    };
    for (const Case& c : cases) {
        const CIden iden = MakeIden(c.family, c.model);
        SCOPED_TRACE(QString::number(c.model, 16).toStdString() + " family " + std::to_string(c.family));
        EXPECT_EQ(iden.GetVKTModelText(), QString::fromUtf8(c.text));
        EXPECT_EQ(iden.GetVKTModelIndex(), c.vktIndex);
        EXPECT_EQ(iden.GetControllerModelIndex(), c.controllerIndex);
    }
}

TEST(Iden, VersionSerialAndInterfaceTexts)
{
    EXPECT_EQ(MakeIden(48, 0x0905, 0x0123).GetVersionText(), "2.3");
    EXPECT_EQ(MakeIden(48, 0x0905, 0x00AF).GetVersionText(), "a.f");
    EXPECT_EQ(MakeIden(48, 0x2113, 0x0123).GetVersionText(), "1.35");
    EXPECT_EQ(MakeIden(48, 0x2000, 0x0205).GetVersionText(), "2.05");
    EXPECT_EQ(MakeIden(48, 0x2602, 0x0123).GetVersionText(), "2.3"); // not a VKT version group

    CIden iden;
    iden.number = 65535;
    EXPECT_EQ(iden.GetSerialNumberText(), "65535");

    struct Iface {
        WORD model;
        int vk;
        const char* vkText;
        int vkt;
        const char* vktText;
    };
    const Iface cases[] = {
        {0x0600, 1, "COM", 0, ""},    {0x0400, 2, "485", 0, ""},        {0x0200, 3, "CAN", 0, ""},
        {0x0900, 0, "--", 0, ""},     {0x2100, 0, "--", 2, "485"},      {0x2200, 3, "CAN", 3, "ProfiBUS"},
        {0x2300, 3, "CAN", 4, "Ethernet"}, {0x2400, 2, "485", 5, "WiFi"}, {0x2500, 2, "485", 6, "Bluetooth"},
        {0x2600, 1, "COM", 1, "COM"}, {0x2700, 1, "COM", 0, ""},
    };
    for (const Iface& c : cases) {
        const CIden id = MakeIden(48, c.model);
        QString text = QStringLiteral("stale");
        EXPECT_EQ(id.GetVKInterfaceText(text), c.vk) << std::hex << c.model;
        EXPECT_EQ(text, QString::fromUtf8(c.vkText)) << std::hex << c.model;
        text = QStringLiteral("stale");
        EXPECT_EQ(id.GetVKTInterfaceText(text), c.vkt) << std::hex << c.model;
        EXPECT_EQ(text, QString::fromUtf8(c.vktText)) << std::hex << c.model;
    }
}

TEST(Iden, VariantBits)
{
    EXPECT_TRUE(MakeIden(48, 0x1101).HasVariantBit0());
    EXPECT_TRUE(MakeIden(48, 0x0901).HasVariantBit0());
    EXPECT_TRUE(MakeIden(48, 0x1F07).HasVariantBit0());
    EXPECT_FALSE(MakeIden(48, 0x0101).HasVariantBit0());
    EXPECT_FALSE(MakeIden(48, 0x1100).HasVariantBit0());
    EXPECT_TRUE(MakeIden(48, 0x0004).HasVariantBit2());
    EXPECT_FALSE(MakeIden(48, 0x0903).HasVariantBit2());
}

CIden SampleIden()
{
    CIden iden;
    iden.number = 0x1234;
    iden.model = 0x0905;
    iden.family = 48;
    iden.version = 0x0123;
    iden.i1 = 0xAB;
    iden.i2 = 0xCD;
    iden.i3 = {1, 2, 3, 4};
    return iden;
}

TEST(Iden, GoldenSerialisation)
{
    CIden iden = SampleIden();
    EXPECT_EQ(Store(iden), Hex("3412050930002301abcd01020304"));

    // As a tagged object: new class, schema 1, name "CIden", then the fields.
    SerialArchive ar;
    ar.WriteObject(&iden);
    EXPECT_EQ(ar.buffer(), Hex("ffff01000500") + QByteArray("CIden") + Hex("3412050930002301abcd01020304"));

    CIden back;
    SerialArchive in(ar.buffer());
    in.ReadObjectInto(back);
    EXPECT_EQ(back, iden);
    EXPECT_TRUE(in.AtEnd());
}

TEST(Iden, TruncatedStreamFailsAndLeavesTheRecord)
{
    CIden source = SampleIden();
    SerialArchive out;
    out.WriteObject(&source);
    const QByteArray full = out.buffer();

    const CIden original = MakeIden(64, 17, 0x0021);
    // Every cut inside the object, from the class tag to the last I3 byte.
    for (qsizetype cut = 0; cut < full.size(); ++cut) {
        CIden dest = original;
        SerialArchive in(full.left(cut));
        EXPECT_THROW(in.ReadObjectInto(dest), platform::ArchiveError) << cut;
        EXPECT_EQ(dest, original) << cut;
    }
    // The record's own Serialize keeps the record whole as well.
    CIden dest = original;
    SerialArchive in(Hex("3412050930002301abcd0102"));
    EXPECT_THROW(dest.Serialize(in), platform::ArchiveError);
    EXPECT_EQ(dest, original);
}

TEST(Iden, WrongClassIsRefused)
{
    CUniTyp block;
    SerialArchive out;
    out.WriteObject(&block);
    CIden dest = SampleIden();
    SerialArchive in(out.buffer());
    EXPECT_THROW(in.ReadObjectInto(dest), platform::ArchiveError);
    EXPECT_EQ(dest, SampleIden());
}

// ---- CUniTyp ----

TEST(UniTyp, SetSize)
{
    CUniTyp block;
    block.SetSize(3, 4);
    EXPECT_EQ(block.GetCount(), 3u);
    EXPECT_EQ(block.GetItemSize(), 4u);
    ASSERT_NE(block.GetData(), nullptr);
    EXPECT_EQ(block.GetItem(2), block.GetData() + 8);

    block.SetSize(10, 0);
    EXPECT_EQ(block.GetCount(), 0u);
    EXPECT_EQ(block.GetData(), nullptr);
    block.SetSize(0, 5);
    EXPECT_EQ(block.GetCount(), 0u);
    EXPECT_EQ(block.GetData(), nullptr);
}

TEST(UniTyp, GoldenSerialisationAndRoundTrip)
{
    CUniTyp empty;
    EXPECT_EQ(Store(empty), Hex("0000000000000000"));
    CUniTyp loaded;
    loaded.SetSize(2, 2);
    SerialArchive in0(Hex("0000000000000000"));
    loaded.Serialize(in0);
    EXPECT_EQ(loaded.GetCount(), 0u);
    EXPECT_EQ(loaded.GetData(), nullptr);

    CUniTyp block;
    block.SetSize(2, 3);
    for (int i = 0; i < 6; ++i)
        block.GetData()[i] = BYTE(0xA0 + i);
    const QByteArray bytes = Store(block);
    EXPECT_EQ(bytes, Hex("0200000003000000a0a1a2a3a4a5"));

    CUniTyp back;
    SerialArchive in(bytes);
    back.Serialize(in);
    EXPECT_EQ(back.GetCount(), 2u);
    EXPECT_EQ(back.GetItemSize(), 3u);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(back.GetItem(1)), 3), Hex("a3a4a5"));
}

TEST(UniTyp, DamagedLengthFailsWithoutTouchingTheBlock)
{
    CUniTyp block;
    block.SetSize(1, 2);
    block.GetData()[0] = 0x55;
    // Counts that promise far more bytes than the file holds, and a short tail.
    for (const char* hex : {"ffffffffffffffff00", "0000100000001000", "020000000300000001020304"}) {
        SerialArchive in(Hex(hex));
        EXPECT_THROW(block.Serialize(in), platform::ArchiveError) << hex;
        EXPECT_EQ(block.GetCount(), 1u);
        EXPECT_EQ(block.GetData()[0], 0x55);
    }
}

// ---- CLastSoub ----

TEST(LastSoub, GoldenSerialisationAndRoundTrip)
{
    CLastSoub list;
    list.Add({QStringLiteral("ab"), QString(), CTime(0x01020304), CTime(0x0A0B0C0D), 7});
    list.Add({QStringLiteral("č"), QStringLiteral("x"), CTime(0), CTime(0xFFFFFFFF), 0xFFFFFFFF});
    const QByteArray bytes = Store(list);
    EXPECT_EQ(bytes, Hex("02000000"
                         "02616200"
                         "040302010d0c0b0a07000000"
                         "01e8" "0178"
                         "00000000ffffffffffffffff"));

    CLastSoub back;
    SerialArchive in(bytes);
    back.Serialize(in);
    ASSERT_EQ(back.GetSize(), 2);
    EXPECT_EQ(back.GetAt(0), list.GetAt(0));
    EXPECT_EQ(back.GetAt(1), list.GetAt(1));
}

TEST(LastSoub, DamagedStreamFailsAndLeavesTheList)
{
    CLastSoub list;
    list.Add({QStringLiteral("keep"), QString(), CTime(1), CTime(2), 3});
    for (const char* hex : {"ffffffff", "0200000002616200040302010d0c0b0a07000000", "01000000026162"}) {
        SerialArchive in(Hex(hex));
        EXPECT_THROW(list.Serialize(in), platform::ArchiveError) << hex;
        ASSERT_EQ(list.GetSize(), 1);
        EXPECT_EQ(list.GetAt(0).text1, "keep");
    }
}

} // namespace
