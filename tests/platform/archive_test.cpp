#include "platform/Archive.h"
#include "platform/Cp1250.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

using platform::ArchiveError;
using platform::SerialArchive;

namespace {

QByteArray Bytes(std::initializer_list<int> v)
{
    QByteArray out;
    for (int b : v)
        out.append(char(b));
    return out;
}

class TestPoint : public platform::SerialObject {
    QORIN_DECLARE_SERIAL(TestPoint)
public:
    std::uint16_t x = 0;
    void Serialize(SerialArchive& ar) override
    {
        if (ar.IsLoading())
            ar >> x;
        else
            ar << x;
    }
};
QORIN_IMPLEMENT_SERIAL(TestPoint, nullptr, 1)

class TestLabel : public platform::SerialObject {
    QORIN_DECLARE_SERIAL(TestLabel)
public:
    QString text;
    int schemaSeen = -1;
    void Serialize(SerialArchive& ar) override
    {
        if (ar.IsLoading()) {
            schemaSeen = ar.GetObjectSchema();
            ar >> text;
        }
        else
            ar << text;
    }
};
QORIN_IMPLEMENT_SERIAL_VERSIONABLE(TestLabel, nullptr, 3)

} // namespace

TEST(SerialArchive, PrimitivesAreLittleEndian)
{
    SerialArchive ar;
    ar << std::uint8_t(0x12) << std::uint16_t(0x3456) << std::uint32_t(0x789ABCDE) << std::int16_t(-2) << 1.5f
       << platform::CTime(0x01020304u);
    EXPECT_EQ(ar.buffer(), Bytes({0x12, 0x56, 0x34, 0xDE, 0xBC, 0x9A, 0x78, 0xFE, 0xFF, 0x00, 0x00, 0xC0, 0x3F,
                                  0x04, 0x03, 0x02, 0x01}));

    SerialArchive in(ar.buffer());
    std::uint8_t a; std::uint16_t b; std::uint32_t c; std::int16_t d; float e; platform::CTime t;
    in >> a >> b >> c >> d >> e >> t;
    EXPECT_EQ(a, 0x12);
    EXPECT_EQ(b, 0x3456);
    EXPECT_EQ(c, 0x789ABCDEu);
    EXPECT_EQ(d, -2);
    EXPECT_EQ(e, 1.5f);
    EXPECT_EQ(t.GetTime(), 0x01020304u);
    EXPECT_TRUE(in.AtEnd());
}

TEST(SerialArchive, StringLengthPrefixes)
{
    struct Case { int length; QByteArray prefix; };
    const Case cases[] = {
        {0, Bytes({0x00})},
        {254, Bytes({0xFE})},
        {255, Bytes({0xFF, 0xFF, 0x00})},
        {65533, Bytes({0xFF, 0xFD, 0xFF})},
        {65534, Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
        {70000, Bytes({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        const QString s(c.length, u'ř');
        SerialArchive ar;
        ar << s;
        ASSERT_EQ(ar.buffer().size(), c.prefix.size() + c.length);
        EXPECT_EQ(ar.buffer().left(c.prefix.size()), c.prefix);
        if (c.length > 0) {
            EXPECT_EQ(quint8(ar.buffer().at(c.prefix.size())), 0xF8); // 'ř' in code page 1250
        }

        SerialArchive in(ar.buffer());
        QString back;
        in >> back;
        EXPECT_EQ(back, s);
        EXPECT_TRUE(in.AtEnd());
    }
}

TEST(SerialArchive, ReadsWideStringMarker)
{
    // 0xFF 0xFFFE marks a UTF-16 string; the length follows again.
    SerialArchive in(Bytes({0xFF, 0xFE, 0xFF, 0x02, 0x59, 0x01, 0x61, 0x00}));
    QString s;
    in >> s;
    EXPECT_EQ(s, QStringLiteral("řa"));
}

TEST(SerialArchive, ClassTagsAndNull)
{
    TestPoint p1, p2;
    p1.x = 0x0102;
    p2.x = 0x0304;
    TestLabel label;
    label.text = QStringLiteral("ab");

    SerialArchive ar;
    ar.WriteObject(&p1);
    ar.WriteObject(&p2);
    ar.WriteObject(&label);
    ar.WriteObject(nullptr);
    ar.WriteObject(&label);

    // New class: FFFF, schema, name length, name; then the object's fields.
    // Class TestPoint is index 1, p1 index 2, p2 index 3, TestLabel 4, label 5.
    const QByteArray expected = Bytes({0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}) + QByteArray("TestPoint")
        + Bytes({0x02, 0x01}) + Bytes({0x01, 0x80, 0x04, 0x03}) + Bytes({0xFF, 0xFF, 0x03, 0x00, 0x09, 0x00})
        + QByteArray("TestLabel") + Bytes({0x02, 'a', 'b'}) + Bytes({0x00, 0x00}) + Bytes({0x04, 0x80, 0x02, 'a', 'b'});
    EXPECT_EQ(ar.buffer().toHex(' '), expected.toHex(' '));

    SerialArchive in(ar.buffer());
    auto a = in.ReadObjectOf<TestPoint>();
    auto b = in.ReadObjectOf<TestPoint>();
    auto c = in.ReadObjectOf<TestLabel>();
    EXPECT_EQ(c->schemaSeen, 3);
    auto n = in.ReadObjectOf<TestLabel>();
    auto d = in.ReadObjectOf<TestLabel>();
    ASSERT_TRUE(a && b && c && d);
    EXPECT_FALSE(n);
    EXPECT_EQ(a->x, 0x0102);
    EXPECT_EQ(b->x, 0x0304);
    EXPECT_EQ(d->text, QStringLiteral("ab"));
    EXPECT_TRUE(in.AtEnd());
}

TEST(SerialArchive, MalformedStreamsFailCleanly)
{
    TestPoint p;
    SerialArchive ar;
    ar.WriteObject(&p);
    const QByteArray good = ar.buffer();

    struct Case { const char* name; QByteArray data; ArchiveError::Cause cause; };
    QByteArray wrongSchema = good;
    wrongSchema[2] = 2;
    QByteArray unknownName = good;
    unknownName[6] = 'X';
    const Case cases[] = {
        {"truncated field", good.left(good.size() - 1), ArchiveError::EndOfFile},
        {"truncated name", good.left(8), ArchiveError::EndOfFile},
        {"wrong schema", wrongSchema, ArchiveError::BadSchema},
        {"unknown class", unknownName, ArchiveError::BadClass},
        {"class index never defined", Bytes({0x05, 0x80}), ArchiveError::BadIndex},
        {"object back-reference", Bytes({0x01, 0x00}), ArchiveError::BadIndex},
        {"empty", QByteArray(), ArchiveError::EndOfFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SerialArchive in(c.data);
        try {
            in.ReadObjectOf<TestPoint>();
            ADD_FAILURE() << "no error";
        } catch (const ArchiveError& e) {
            EXPECT_EQ(e.cause(), c.cause) << e.what();
            EXPECT_FALSE(e.Text().isEmpty());
        }
    }

    // Another class where this one is expected.
    TestLabel l;
    SerialArchive other;
    other.WriteObject(&l);
    SerialArchive in(other.buffer());
    EXPECT_THROW(in.ReadObjectOf<TestPoint>(), ArchiveError);

    // A string whose length runs past the end allocates nothing and fails.
    SerialArchive huge(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'a'}));
    QString s;
    EXPECT_THROW(huge >> s, ArchiveError);
}

TEST(SerialArchive, VersionableClassReportsSchemaOnLoad)
{
    // Two objects of an old schema: the second, tagged by class index only,
    // must still be read with the schema the file gave for its class.
    QByteArray data = Bytes({0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}) + QByteArray("TestLabel") + Bytes({0x01, 'z'})
        + Bytes({0x01, 0x80, 0x01, 'y'});
    SerialArchive in(data);
    auto l = in.ReadObjectOf<TestLabel>();
    auto m = in.ReadObjectOf<TestLabel>();
    ASSERT_TRUE(l && m);
    EXPECT_EQ(l->text, QStringLiteral("z"));
    EXPECT_EQ(l->schemaSeen, 1);
    EXPECT_EQ(m->text, QStringLiteral("y"));
    EXPECT_EQ(m->schemaSeen, 1);
}

TEST(SerialArchive, LoadIntoLeavesDestinationOnFailure)
{
    SerialArchive ar;
    ar << std::uint16_t(7) << std::uint16_t(8);
    std::pair<std::uint16_t, std::uint16_t> dest{1, 2};
    auto read = [](SerialArchive& in, std::pair<std::uint16_t, std::uint16_t>& v) { in >> v.first >> v.second; };
    EXPECT_FALSE(platform::LoadInto(ar.buffer().left(3), dest, read).isEmpty());
    EXPECT_EQ(dest.first, 1);
    EXPECT_EQ(dest.second, 2);
    EXPECT_TRUE(platform::LoadInto(ar.buffer(), dest, read).isEmpty());
    EXPECT_EQ(dest.first, 7);
    EXPECT_EQ(dest.second, 8);
}
