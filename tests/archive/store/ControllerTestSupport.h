#pragma once

#include "StoreTestSupport.h"

#include "VKArchivTestSupport.h"

namespace storetest {

using vktest::FakeSeries;

// A little-endian u16 / u32 of a payload.
inline unsigned PayloadU16(const QByteArray& data, qsizetype at)
{
    return unsigned(static_cast<unsigned char>(data[at])) | unsigned(static_cast<unsigned char>(data[at + 1])) << 8;
}

inline std::uint32_t PayloadU32(const QByteArray& data, qsizetype at)
{
    return archive::ReadU32(data.constData() + at);
}

// The used slots of a file in order (the blocks a test wrote, oldest first).
inline std::vector<int> WrittenSlots(CArchivData& reader)
{
    std::vector<int> used;
    for (int slot = 0; slot < 64; ++slot) {
        CArchivRecordList block;
        if (!reader.ReadBlock(slot, block))
            break;
        used.push_back(slot);
    }
    return used;
}

// A store recording into its own file (ring of 12 blocks of 10 records a
// minute), and its blocks ended and written.
class ControllerStoreTest : public StoreTest {
protected:
    template <class Store>
    void Start(Store& store, const QString& name)
    {
        Prepare(store);
        ASSERT_EQ(store.Create(600, 10, 60, Path(name), Store::Extension(), TRUE, TRUE, QStringLiteral("Linka")), 1);
    }
    void EndAndWrite(CArchivData& store)
    {
        m_clock.Advance(60);
        const int mode = store.EndBlock(FALSE, TRUE, 60);
        ASSERT_EQ(store.Flush(FALSE, mode, QStringLiteral("Linka")), 1);
    }
};

} // namespace storetest
