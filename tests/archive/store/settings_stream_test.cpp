#include "StoreTestSupport.h"

#include "model/VKBexor.h"
#include "platform/Cp1250.h"

namespace storetest {
namespace {

// A meter index that accepts a stream starting with "IDX".
struct FakeMeterIndex {
    int reads = 0;
    BOOL Read(ISeekableByteStream& stream)
    {
        ++reads;
        char head[3] = {};
        return stream.Read(head, 3) == 3 && QByteArray(head, 3) == "IDX";
    }
};

class SettingsStreamTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        StartRing(m_data, 6, "nastaveni");
    }

    QByteArray Raw(const std::string& stream)
    {
        QByteArray bytes;
        CArchivFileList::Instance().Find(m_data.GetFilePath())->GetStorage()->ReadStream(stream, bytes);
        return bytes;
    }
    void SetRaw(const std::string& stream, const QByteArray& bytes)
    {
        ASSERT_EQ(CArchivFileList::Instance().Find(m_data.GetFilePath())->GetStorage()->WriteStream(stream, bytes),
                  archive::StorageStatus::Ok);
    }
    static QByteArray Frame(const QByteArray& name, std::uint32_t a, std::uint32_t b, const QByteArray& sections = {})
    {
        QByteArray out;
        archive::AppendU32(out, std::uint32_t(name.size() + 1));
        out += name;
        out += '\0';
        archive::AppendU32(out, a);
        archive::AppendU32(out, b);
        return out + sections;
    }
    void WriteSection(int section, const QByteArray& content)
    {
        std::optional<QByteArray> saved;
        auto stream = m_data.OpenSettingsSection(section, saved);
        ASSERT_TRUE(stream);
        ASSERT_EQ(stream->Write(content.constData(), content.size()), content.size());
        ASSERT_EQ(m_data.CloseSettingsSection(std::move(stream), section, saved), 1);
    }
    QByteArray ReadSection(int section)
    {
        QString name;
        DWORD length = 0;
        auto stream = m_data.OpenSettingsStream(section, name, length);
        if (!stream)
            return "<none>";
        QByteArray bytes(qsizetype(length), '\0');
        stream->Read(bytes.data(), bytes.size());
        return bytes;
    }

    TestArchivData m_data;
};

TEST_F(SettingsStreamTest, NewFileHoldsTheNameThenEmptySections)
{
    EXPECT_EQ(Raw("nastaveni"), Frame("Linka", 0, 0).left(10));
    WriteSection(0, {});
    EXPECT_EQ(Raw("nastaveni"), Frame("Linka", 0, 0));
    EXPECT_EQ(ReadSection(1), QByteArray());
}

TEST_F(SettingsStreamTest, RewritingSectionZeroKeepsSectionOne)
{
    WriteSection(1, "BBBB");
    WriteSection(0, "AAAAAA");
    EXPECT_EQ(Raw("nastaveni"), Frame("Linka", 6, 4, "AAAAAABBBB"));
    WriteSection(0, "X");
    EXPECT_EQ(Raw("nastaveni"), Frame("Linka", 1, 4, "XBBBB"));
    WriteSection(1, "CC");
    EXPECT_EQ(Raw("nastaveni"), Frame("Linka", 1, 2, "XCC"));
    EXPECT_EQ(ReadSection(0), QByteArray("X"));
    EXPECT_EQ(ReadSection(1), QByteArray("CC"));
}

TEST_F(SettingsStreamTest, DamagedFramesAreReset)
{
    // Negative section lengths: sections emptied, the name kept.
    SetRaw("nastaveni", Frame("Linka", 0xFFFFFFF0u, 5, "zzzzz"));
    WriteSection(1, "B");
    EXPECT_EQ(Raw("nastaveni"), Frame("Linka", 0, 1, "B"));

    // A name running past the end: everything starts again.
    QByteArray bad;
    archive::AppendU32(bad, 1000);
    SetRaw("nastaveni", bad + "Li");
    WriteSection(0, "A");
    EXPECT_EQ(Raw("nastaveni"), Frame(platform::ToCp1250(QString::fromUtf8("Neznámý ")), 1, 0, "A"));
    EXPECT_EQ(m_data.GetInstrumentName(), QString::fromUtf8("Neznámý "));
}

TEST_F(SettingsStreamTest, MeterStreamIsCreatedButNeverWipedWhenItsIndexIsBad)
{
    FakeMeterIndex index;
    std::unique_ptr<CArchivStream> stream;
    EXPECT_EQ(m_data.OpenBexorStream(stream, index), 0);
    EXPECT_EQ(m_data.OpenOrCreateBexorStream(stream, index), 1);
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->GetSize(), 0);
    m_data.ReleaseStream(stream);
    EXPECT_EQ(m_data.OpenOrCreateBexorStream(stream, index), 1); // still empty: nothing to index
    m_data.ReleaseStream(stream);

    SetRaw("bexor", "IDX-data");
    EXPECT_EQ(m_data.OpenBexorStream(stream, index), 1);
    m_data.ReleaseStream(stream);

    SetRaw("bexor", "damaged meter data");
    EXPECT_EQ(m_data.OpenOrCreateBexorStream(stream, index), 0);
    EXPECT_FALSE(stream);
    EXPECT_EQ(Raw("bexor"), QByteArray("damaged meter data"));
    EXPECT_EQ(m_data.GetErrorText(), QString::fromUtf8("Soubor je pravděpodobně poškozen."));
}

TEST_F(SettingsStreamTest, VKMeterIndexGoesThroughTheStream)
{
    CBexorIndex index;
    std::unique_ptr<CArchivStream> stream;
    ASSERT_EQ(m_data.OpenOrCreateBexorStream(stream, index), 1);
    const CBexorEntry entry(CTime(2024, 3, 10, 10, 0, 0), std::vector<DWORD>(CVKEData::kCounters, 7).data());
    CBexorBlock block;
    ASSERT_TRUE(index.AppendBlock(*stream, entry.GetTime(), block, entry));
    m_data.ReleaseStream(stream);

    CBexorIndex again;
    ASSERT_EQ(m_data.OpenBexorStream(stream, again), 1);
    EXPECT_EQ(again.GetBlockCount(), 1);
    m_data.ReleaseStream(stream);

    const QByteArray whole = Raw("bexor");
    SetRaw("bexor", whole.left(whole.size() - 2));
    CBexorIndex damaged;
    EXPECT_EQ(m_data.OpenOrCreateBexorStream(stream, damaged), 0);
    EXPECT_EQ(Raw("bexor"), whole.left(whole.size() - 2));
}

} // namespace
} // namespace storetest
