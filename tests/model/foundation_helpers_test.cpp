// Range check, voltage unbalance, path suffixes, stream helpers and scale
// categories.
#include "model/ScaleCategories.h"
#include "model/StreamHelpers.h"
#include "model/ValueChecks.h"

#include "platform/Settings.h"
#include "platform/StringTable.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <cstring>

static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

// ---- DDV_FloatRange ----

TEST(FloatRange, ChecksInOrderWithFocus)
{
    struct Case {
        float minimum, maximum, lower, upper;
        BOOL cosine;
        int id;
        BOOL focusMinimum;
        double limit;
    };
    const Case cases[] = {
        {-1, 1, -2, 2, FALSE, 0, FALSE, 0},
        {-1, 1, -2, 2, TRUE, 0, FALSE, 0},
        {0, 0, -2, 2, TRUE, 0, FALSE, 0}, // the cosine rule accepts 0 and 0
        {0.2f, 0.9f, -2, 2, TRUE, 32436, TRUE, 0},
        {-0.5f, -0.1f, -2, 2, TRUE, 32436, FALSE, 0},
        {5, 5, 0, 10, FALSE, 32433, FALSE, 0},
        {10, 5, 0, 10, FALSE, 32433, TRUE, 0},
        {-3, 3, -2, 2, FALSE, 32434, TRUE, -2}, // both limits broken: only the first message
        {-5, -4, -2, 2, FALSE, 32434, FALSE, -2},
        {1, 3, -2, 2, FALSE, 32435, FALSE, 2},
        {2.5f, 3, -2, 2, FALSE, 32435, TRUE, 2},
        {-3, 3, -2, 2, TRUE, 32434, TRUE, -2},
    };
    for (const Case& c : cases) {
        const FloatRangeResult r = DDV_FloatRange(c.minimum, c.maximum, c.lower, c.upper, c.cosine);
        SCOPED_TRACE(testing::Message() << c.minimum << ".." << c.maximum << " in " << c.lower << ".." << c.upper
                                        << (c.cosine ? " cos" : ""));
        EXPECT_EQ(r.messageId, c.id);
        if (c.id != 0) {
            EXPECT_EQ(r.focusMinimum, c.focusMinimum);
        }
        if (c.id == 32434 || c.id == 32435) {
            EXPECT_EQ(r.limit, c.limit);
        }
    }
}

TEST(FloatRange, MessageText)
{
    EXPECT_EQ(FormatFloatRangeMessage(platform::LoadString(platform::IDS_DDV_MIN_BELOW), QStringLiteral("Napětí"), -2),
              QStringLiteral("Napětí: minimální mez je menší než -2.000000 "));
    EXPECT_EQ(FormatFloatRangeMessage(platform::LoadString(platform::IDS_DDV_COS_SIGNS), QStringLiteral("cos"), 0),
              QStringLiteral("cos: u cosinu musí být maximum kladné a minimum záporné"));
    // A name that itself holds "%f" is not filled in again.
    EXPECT_EQ(FormatFloatRangeMessage(QStringLiteral("%s: %f"), QStringLiteral("a%f"), 1.5),
              QStringLiteral("a%f: 1.500000"));
}

// ---- voltage unbalance ----

TEST(VoltageUnbalance, Values)
{
    struct Case {
        float a, b, c;
        BOOL ok;
        float result;
    };
    const Case cases[] = {
        {230, 230, 230, TRUE, 0.0f},
        {23000, 23000, 23000, TRUE, 0.0f}, // raw words serve as well
        {400, 400, 420, TRUE, 3.3074f},
        {230, 200, 215, TRUE, 8.0841f},
        {1, 1, 0, TRUE, 100.0f}, // beta = 0.5
        {1, 2, 4, TRUE, 100.0f}, // no triangle
        {0, 0, 0, FALSE, -1.0f},
        {1e-31f, -1e-31f, 0, FALSE, -1.0f},
    };
    for (const Case& c : cases) {
        float result = -1.0f;
        EXPECT_EQ(ComputeVoltageUnbalance(c.a, c.b, c.c, result), c.ok) << c.a << " " << c.b << " " << c.c;
        EXPECT_NEAR(result, c.result, 1e-3) << c.a << " " << c.b << " " << c.c;
    }
}

TEST(VoltageUnbalance, EqualVoltagesNeverGiveNaN)
{
    for (float v = 0.1f; v < 1e6f; v *= 1.37f) {
        float result = -1.0f;
        ASSERT_TRUE(ComputeVoltageUnbalance(v, v, v, result));
        EXPECT_NEAR(result, 0.0f, 0.05f) << v;
    }
}

// ---- StripTrailing ----

TEST(StripTrailing, Suffixes)
{
    struct Case {
        const char* path;
        const char* suffix;
        const char* result;
    };
    const Case cases[] = {
        {"data/hala.qor", ".qor", "data/hala"},
        {"data/hala.qor.qor", ".qor", "data/hala"},
        {"data/hala.vkr", ".qor", "data/hala.vkr"},
        {"data/hala.QOR", ".qor", "data/hala.QOR"},
        {".qor", ".qor", ""},
        {"", ".qor", ""},
        {"data/hala.qor", "", "data/hala.qor"}, // must not loop
        {"", "", ""},
    };
    for (const Case& c : cases) {
        QString path = QString::fromUtf8(c.path);
        StripTrailing(path, QString::fromUtf8(c.suffix));
        EXPECT_EQ(path, QString::fromUtf8(c.result)) << c.path << " - " << c.suffix;
    }
}

// ---- stream helpers ----

// A byte stream in memory that can be told to fail or to run short.
class MemoryStream : public IByteStream {
public:
    explicit MemoryStream(QByteArray data = {}) : bytes(std::move(data)) {}

    std::int64_t Read(void* data, std::int64_t size) override
    {
        if (failReads)
            return -1;
        const std::int64_t n = std::min<std::int64_t>(size, bytes.size() - pos);
        std::memcpy(data, bytes.constData() + pos, std::size_t(n));
        pos += n;
        return n;
    }
    std::int64_t Write(const void* data, std::int64_t size) override
    {
        if (writeLimit >= 0 && bytes.size() + size > writeLimit) {
            const std::int64_t n = std::max<std::int64_t>(0, writeLimit - bytes.size());
            bytes.append(static_cast<const char*>(data), qsizetype(n));
            return n;
        }
        bytes.append(static_cast<const char*>(data), qsizetype(size));
        return size;
    }

    QByteArray bytes;
    std::int64_t pos = 0;
    std::int64_t writeLimit = -1;
    bool failReads = false;
};

TEST(StreamHelpers, GoldenBytesAndRoundTrip)
{
    MemoryStream s;
    ASSERT_TRUE(WriteDwordToStream(0x12345678, s));
    ASSERT_TRUE(WriteDoubleToStream(1.0, s));
    ASSERT_TRUE(WriteBlobToStream(QByteArray::fromHex("a1b2"), s));
    ASSERT_TRUE(WriteBlobToStream(QByteArray(), s));
    ASSERT_TRUE(WriteStringToStream(QStringLiteral("Měř"), s));
    ASSERT_TRUE(WriteStringToStream(QString(), s));
    EXPECT_EQ(s.bytes, QByteArray::fromHex("78563412"
                                           "000000000000f03f"
                                           "02000000a1b2"
                                           "00000000"
                                           "040000004decf800"
                                           "0100000000"));

    DWORD d = 0;
    double x = 0;
    QByteArray blob("x");
    QByteArray empty("x");
    QString text;
    QString none = QStringLiteral("x");
    EXPECT_TRUE(ReadDwordFromStream(d, s));
    EXPECT_TRUE(ReadDoubleFromStream(x, s));
    EXPECT_TRUE(ReadBlobFromStream(blob, s));
    EXPECT_TRUE(ReadBlobFromStream(empty, s));
    EXPECT_TRUE(ReadStringFromStream(text, s));
    EXPECT_TRUE(ReadStringFromStream(none, s));
    EXPECT_EQ(d, 0x12345678u);
    EXPECT_EQ(x, 1.0);
    EXPECT_EQ(blob, QByteArray::fromHex("a1b2"));
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(text, QStringLiteral("Měř"));
    EXPECT_TRUE(none.isEmpty());
    // At the end of the data every read fails and keeps its destination.
    EXPECT_FALSE(ReadDwordFromStream(d, s));
    EXPECT_EQ(d, 0x12345678u);
}

TEST(StreamHelpers, StringEndsAtItsZero)
{
    MemoryStream s(QByteArray::fromHex("04000000616263006465"));
    QString text;
    EXPECT_TRUE(ReadStringFromStream(text, s));
    EXPECT_EQ(text, "abc");
}

TEST(StreamHelpers, ShortAndFailedTransfers)
{
    // Short data after the length, and a length far beyond the data.
    for (const char* hex : {"0500000061626364", "ffffffff6162", "030000", ""}) {
        MemoryStream s(QByteArray::fromHex(hex));
        QByteArray blob("keep");
        EXPECT_FALSE(ReadBlobFromStream(blob, s)) << hex;
        EXPECT_EQ(blob, "keep") << hex;
        MemoryStream t(QByteArray::fromHex(hex));
        QString text = QStringLiteral("keep");
        EXPECT_FALSE(ReadStringFromStream(text, t)) << hex;
        EXPECT_EQ(text, "keep") << hex;
    }

    MemoryStream failing(QByteArray::fromHex("0100000000000000"));
    failing.failReads = true;
    DWORD d = 7;
    double x = 7;
    EXPECT_FALSE(ReadDwordFromStream(d, failing));
    EXPECT_FALSE(ReadDoubleFromStream(x, failing));
    EXPECT_EQ(d, 7u);
    EXPECT_EQ(x, 7.0);

    // A write cut short reports failure and leaves what it wrote.
    MemoryStream full;
    full.writeLimit = 6;
    EXPECT_TRUE(WriteDwordToStream(1, full));
    EXPECT_FALSE(WriteDwordToStream(2, full));
    EXPECT_EQ(full.bytes, QByteArray::fromHex("010000000200"));
    MemoryStream blobFull;
    blobFull.writeLimit = 5;
    EXPECT_FALSE(WriteBlobToStream(QByteArray("abc"), blobFull));
    EXPECT_EQ(blobFull.bytes, QByteArray::fromHex("0300000061"));
}

// ---- CScaleCategories ----

std::vector<float> Values(const CScaleCategories& s)
{
    return std::vector<float>(s.GetValues(), s.GetValues() + s.GetCount());
}

TEST(ScaleCategories, DefaultsByType)
{
    const std::vector<float> qorin = {0, 2, -8, 8, 0, 800};
    const std::vector<float> vk = {0, 500, 0, 10, 0, 2, 40, 85, -4000, 4000, 0, 200, 0, 100};
    std::vector<float> vkt = vk;
    vkt.insert(vkt.end(), {0, 2});

    EXPECT_EQ(Values(CScaleCategories(1)), qorin);
    EXPECT_EQ(Values(CScaleCategories(2)), vk);
    EXPECT_EQ(Values(CScaleCategories(3)), vk);
    EXPECT_EQ(Values(CScaleCategories(4)), vkt);
    EXPECT_EQ(Values(CScaleCategories(5)), vk);
    for (int type : {0, 6, -1}) {
        const CScaleCategories s(type);
        EXPECT_EQ(s.GetCount(), 0) << type;
        EXPECT_EQ(s.GetValues(), nullptr) << type;
        EXPECT_TRUE(s.GetAuto()) << type;
    }
    const CScaleCategories empty;
    EXPECT_EQ(empty.GetCount(), 0);
    EXPECT_TRUE(empty.GetAuto());
}

TEST(ScaleCategories, EffectiveRange)
{
    struct Case {
        int category;
        int type;
        double factor;
        BOOL ok;
        double minimum, maximum;
    };
    // Automatic VKT set: the default table of the asked type, times the factor.
    const Case automatic[] = {
        {4, 4, 2.5, TRUE, -10000, 10000},
        {7, 4, 1, TRUE, 0, 2},
        {2, 1, 3, TRUE, 0, 2400},
        {1, 1, 0.5, TRUE, -4, 4},
        {1, 0, 1, TRUE, -8, 8}, // unknown types use the Qorin table
        {6, 5, 2, TRUE, 0, 200},
        {7, 2, 1, FALSE, 0, 0}, // the VK table has 7 categories
        {3, 1, 1, FALSE, 0, 0},
        {-1, 4, 1, FALSE, 0, 0},
    };
    const CScaleCategories vkt(4);
    for (const Case& c : automatic) {
        double lo = -99;
        double hi = -99;
        EXPECT_EQ(vkt.GetEffectiveRange(c.category, c.type, lo, hi, c.factor), c.ok) << c.category << "/" << c.type;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(lo, c.minimum) << c.category << "/" << c.type;
            EXPECT_DOUBLE_EQ(hi, c.maximum) << c.category << "/" << c.type;
        } else {
            EXPECT_EQ(lo, -99);
            EXPECT_EQ(hi, -99);
        }
    }

    // Stored pairs ignore the factor and the type.
    CScaleCategories fixed(4);
    fixed.SetAuto(FALSE);
    ASSERT_TRUE(fixed.SetRange(4, 1, 3));
    double lo = 0;
    double hi = 0;
    EXPECT_TRUE(fixed.GetEffectiveRange(4, 4, lo, hi, 2.5));
    EXPECT_EQ(lo, 1);
    EXPECT_EQ(hi, 3);
    EXPECT_TRUE(fixed.GetEffectiveRange(4, 1, lo, hi, 100));
    EXPECT_EQ(lo, 1);
    EXPECT_EQ(hi, 3);
    EXPECT_FALSE(fixed.GetEffectiveRange(8, 4, lo, hi, 1));
}

TEST(ScaleCategories, RangeChecksTheCategory)
{
    CScaleCategories s(1);
    float lo = -99;
    float hi = -99;
    EXPECT_TRUE(s.GetRange(2, lo, hi));
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 800);
    for (int category : {3, -1, 1000}) {
        EXPECT_FALSE(s.SetRange(category, 5, 6)) << category;
        lo = hi = -99;
        EXPECT_FALSE(s.GetRange(category, lo, hi)) << category;
        EXPECT_EQ(lo, -99);
    }
    EXPECT_EQ(Values(s), Values(CScaleCategories(1)));

    // An odd count leaves its last float outside any category.
    const float odd[3] = {1, 2, 3};
    s.Set(FALSE, 3, odd);
    EXPECT_TRUE(s.GetRange(0, lo, hi));
    EXPECT_FALSE(s.GetRange(1, lo, hi));
    CScaleCategories none;
    EXPECT_FALSE(none.GetRange(0, lo, hi));
}

TEST(ScaleCategories, SetGetAndCopies)
{
    CScaleCategories s(2);
    const float* array = s.GetValues();
    std::vector<float> values(14, 1.5f);
    s.Set(FALSE, 14, values.data());
    EXPECT_EQ(s.GetValues(), array); // same count: the array is kept
    EXPECT_FALSE(s.GetAuto());

    BOOL autoFlag = TRUE;
    int count = 0;
    std::vector<float> out(14, 0.0f);
    s.Get(autoFlag, count, out.data());
    EXPECT_FALSE(autoFlag);
    EXPECT_EQ(count, 14);
    EXPECT_EQ(out, values);

    CScaleCategories copy(s);
    EXPECT_EQ(copy, s);
    EXPECT_NE(copy.GetValues(), s.GetValues());
    copy.SetRange(0, -1, 1);
    EXPECT_EQ(Values(s), values); // deep copy

    CScaleCategories assigned(4);
    assigned = s;
    EXPECT_EQ(assigned, s);
    assigned = CScaleCategories();
    EXPECT_EQ(assigned.GetCount(), 0);
    EXPECT_TRUE(assigned.GetAuto());

    s.Set(TRUE, 0, nullptr);
    EXPECT_EQ(s.GetCount(), 0);
    EXPECT_EQ(s.GetValues(), nullptr);
}

class ScaleCategoriesSettings : public ::testing::Test {
protected:
    QTemporaryDir dir;
    platform::Settings settings{dir.filePath(QStringLiteral("test.ini"))};
};

TEST_F(ScaleCategoriesSettings, ValueNamesAndBytes)
{
    EXPECT_EQ(CScaleCategories::SettingsPrefix(1), "qorin");
    EXPECT_EQ(CScaleCategories::SettingsPrefix(2), "VK");
    EXPECT_EQ(CScaleCategories::SettingsPrefix(3), "VK");
    EXPECT_EQ(CScaleCategories::SettingsPrefix(4), "VKT");
    EXPECT_EQ(CScaleCategories::SettingsPrefix(5), "duskar");
    EXPECT_TRUE(CScaleCategories::SettingsPrefix(0).isEmpty());

    CScaleCategories s(1);
    s.SetAuto(FALSE);
    s.SetRange(0, 1.0f, -2.0f);
    ASSERT_TRUE(s.SaveToSettings(1, settings));
    EXPECT_EQ(settings.GetProfileInt("Obecne nastaveni", "qorinPocetKat", -1), 6);
    EXPECT_EQ(settings.GetProfileInt("Obecne nastaveni", "qorinAuto", -1), 0);
    EXPECT_EQ(settings.GetProfileBinary("Obecne nastaveni", "qorinKetegorie"),
              QByteArray::fromHex("0000803f000000c0" "000000c100000041" "0000000000004844"));

    CScaleCategories back;
    back.LoadFromSettings(1, settings);
    EXPECT_EQ(back, s);
    EXPECT_FALSE(CScaleCategories().SaveToSettings(0, settings));
}

TEST_F(ScaleCategoriesSettings, VKAndVKRShareOneSet)
{
    CScaleCategories vkr(3);
    vkr.SetRange(0, 100, 300);
    vkr.SaveToSettings(3, settings);
    CScaleCategories vk;
    vk.LoadFromSettings(2, settings);
    EXPECT_EQ(vk, vkr);
}

TEST_F(ScaleCategoriesSettings, UnusableStoredSetGivesDefaults)
{
    const char* section = "Obecne nastaveni";
    // Nothing stored.
    CScaleCategories s(1);
    s.SetAuto(FALSE);
    s.LoadFromSettings(4, settings);
    EXPECT_EQ(s, CScaleCategories(4));

    // Count 0: defaults, whatever else is stored.
    settings.WriteProfileInt(section, "duskarPocetKat", 0);
    settings.WriteProfileInt(section, "duskarAuto", 0);
    settings.WriteProfileBinary(section, "duskarKetegorie", QByteArray(56, '\0'));
    s.LoadFromSettings(5, settings);
    EXPECT_EQ(s, CScaleCategories(5));

    // Bytes that do not match the count.
    settings.WriteProfileInt(section, "duskarPocetKat", 14);
    settings.WriteProfileBinary(section, "duskarKetegorie", QByteArray(52, '\0'));
    s.LoadFromSettings(5, settings);
    EXPECT_EQ(s, CScaleCategories(5));

    // Matching bytes; a missing automatic flag counts as automatic.
    settings.DeleteEntry(section, "duskarAuto");
    settings.WriteProfileBinary(section, "duskarKetegorie", QByteArray(56, '\0'));
    s.LoadFromSettings(5, settings);
    EXPECT_TRUE(s.GetAuto());
    EXPECT_EQ(Values(s), std::vector<float>(14, 0.0f));
}

} // namespace
