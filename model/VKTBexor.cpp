#include "model/VKTBexor.h"

#include <algorithm>
#include <bit>

namespace {

// Gathers what the stream helpers write, so that each piece goes to the
// meter stream at once.
class ByteCollector : public IByteStream {
public:
    std::int64_t Read(void*, std::int64_t) override { return -1; }
    std::int64_t Write(const void* data, std::int64_t size) override
    {
        bytes.append(static_cast<const char*>(data), qsizetype(size));
        return size;
    }
    QByteArray bytes;
};

bool WriteAt(ISeekableByteStream& stream, std::int64_t offset, const QByteArray& data)
{
    if (stream.Seek(offset, ISeekableByteStream::FromBegin) != offset)
        return false;
    return data.isEmpty() || stream.Write(data.constData(), data.size()) == data.size();
}

void PutEntry(ByteCollector& out, const CVKTEData& entry)
{
    for (int g = 0; g < CVKTEData::kGroups; ++g) {
        for (int r = 0; r < CVKTEData::kRegisters; ++r)
            WriteDoubleToStream(entry.GetRegister(g, r), out);
    }
    WriteDwordToStream(entry.GetTime().GetTime(), out);
}

bool GetEntry(IByteStream& in, CVKTEData& entry)
{
    for (int g = 0; g < CVKTEData::kGroups; ++g) {
        for (int r = 0; r < CVKTEData::kRegisters; ++r) {
            double v = 0.0;
            if (!ReadDoubleFromStream(v, in))
                return false;
            entry.SetRegister(g, r, v);
        }
    }
    DWORD time = 0;
    if (!ReadDwordFromStream(time, in))
        return false;
    entry.SetTime(CTime(time));
    return true;
}

} // namespace

BOOL ReplaceMeterTail(ISeekableByteStream& stream, std::int64_t blocksEnd, const QByteArray& oldIndex,
                      const QByteArray& tail)
{
    const std::int64_t size = stream.Seek(0, ISeekableByteStream::FromEnd);
    if (size < 0)
        return FALSE;
    const std::int64_t newSize = blocksEnd + tail.size();
    if (!oldIndex.isEmpty() && size - oldIndex.size() < newSize) {
        const std::int64_t copyAt = std::max(size, newSize);
        const QByteArray copy = QByteArray(qsizetype(copyAt - size), '\0') + oldIndex;
        if (!WriteAt(stream, size, copy)) {
            stream.SetSize(size);
            return FALSE;
        }
    }
    if (!WriteAt(stream, blocksEnd, tail)) {
        if (oldIndex.isEmpty())
            stream.SetSize(size); // the stream held no block: leave nothing half-written
        return FALSE;
    }
    return stream.SetSize(newSize) ? TRUE : FALSE;
}

BOOL ReadMeterIndex(ISeekableByteStream& stream, int headerSize, int entrySize, DWORD maxBlocks,
                    std::vector<DWORD>& keys, std::vector<DWORD>& counts)
{
    const std::int64_t size = stream.Seek(0, ISeekableByteStream::FromEnd);
    if (size < 4 || stream.Seek(size - 4, ISeekableByteStream::FromBegin) != size - 4)
        return FALSE;
    DWORD n = 0;
    if (!ReadDwordFromStream(n, stream) || n < 1 || n > maxBlocks)
        return FALSE;
    const std::int64_t indexStart = size - 4 - 8 * std::int64_t(n);
    if (indexStart < 0 || stream.Seek(indexStart, ISeekableByteStream::FromBegin) != indexStart)
        return FALSE;
    std::vector<DWORD> k(n), c(n);
    std::int64_t blocks = 0;
    for (DWORD i = 0; i < n; ++i) {
        if (!ReadDwordFromStream(k[i], stream) || !ReadDwordFromStream(c[i], stream))
            return FALSE;
        blocks += headerSize + std::int64_t(c[i]) * entrySize;
    }
    // Blocks that would reach into the index belong to a damaged stream.
    if (blocks > indexStart)
        return FALSE;
    keys = std::move(k);
    counts = std::move(c);
    return TRUE;
}

QByteArray MeterIndexBytes(const std::vector<DWORD>& keys, const std::vector<DWORD>& counts)
{
    ByteCollector out;
    if (keys.empty())
        return out.bytes;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        WriteDwordToStream(keys[i], out);
        WriteDwordToStream(counts[i], out);
    }
    WriteDwordToStream(DWORD(keys.size()), out);
    return out.bytes;
}

// ---------------------------------------------------------------- CVKTBexorBlock

void CVKTBexorBlock::Clear()
{
    m_tarif.ClearCodes();
    m_entries.clear();
}

CTime CVKTBexorBlock::GetLastTime() const
{
    return m_entries.empty() ? CTime(0) : m_entries.back().GetTime();
}

// ---------------------------------------------------------------- CVKTBexorIndex

CTime CVKTBexorIndex::GetKey(int i) const
{
    return i >= 0 && i < GetBlockCount() ? CTime(m_keys[std::size_t(i)]) : CTime(0);
}

DWORD CVKTBexorIndex::GetEntryCount(int i) const
{
    return i >= 0 && i < GetBlockCount() ? m_counts[std::size_t(i)] : 0;
}

std::int64_t CVKTBexorIndex::BlockOffset(int n) const
{
    std::int64_t offset = 0;
    for (int i = 0; i < n && i < GetBlockCount(); ++i)
        offset += CVKTBexorBlock::StreamSize(m_counts[std::size_t(i)]);
    return offset;
}

BOOL CVKTBexorIndex::Read(ISeekableByteStream& stream)
{
    m_keys.clear();
    m_counts.clear();
    return ReadMeterIndex(stream, CVKTBexorBlock::kHeaderSize, CVKTBexorBlock::kEntrySize, kMaxBlocks, m_keys,
                          m_counts);
}

BOOL CVKTBexorIndex::ReadBlock(ISeekableByteStream& stream, int n, CVKTBexorBlock& block) const
{
    if (n < 0 || n >= GetBlockCount())
        return FALSE;
    const std::int64_t offset = BlockOffset(n);
    if (stream.Seek(offset, ISeekableByteStream::FromBegin) != offset)
        return FALSE;
    QByteArray tarif, multiplier;
    if (!ReadBlobFromStream(tarif, stream) || tarif.size() != CVKTETarif::kImageSize)
        return FALSE;
    if (!ReadBlobFromStream(multiplier, stream) || multiplier.size() != 4)
        return FALSE;
    DWORD intervalCode = 0;
    if (!ReadDwordFromStream(intervalCode, stream))
        return FALSE;
    std::vector<CVKTEData> entries(m_counts[std::size_t(n)]);
    for (CVKTEData& e : entries) {
        if (!GetEntry(stream, e))
            return FALSE;
    }
    CVKTBexorBlock result;
    result.GetTarif().FromRaw(reinterpret_cast<const BYTE*>(tarif.constData()));
    const auto* m = reinterpret_cast<const BYTE*>(multiplier.constData());
    result.SetMultiplier(std::bit_cast<float>(DWORD(m[0]) | (DWORD(m[1]) << 8) | (DWORD(m[2]) << 16)
                                              | (DWORD(m[3]) << 24)));
    result.SetIntervalCode(intervalCode);
    result.SetEntries(std::move(entries));
    block = std::move(result);
    return TRUE;
}

BOOL CVKTBexorIndex::Commit(ISeekableByteStream& stream, const QByteArray& data, std::vector<DWORD> keys,
                            std::vector<DWORD> counts)
{
    const QByteArray tail = data + MeterIndexBytes(keys, counts);
    if (!ReplaceMeterTail(stream, BlockOffset(GetBlockCount()), MeterIndexBytes(m_keys, m_counts), tail))
        return FALSE;
    m_keys = std::move(keys);
    m_counts = std::move(counts);
    return TRUE;
}

BOOL CVKTBexorIndex::AppendBlock(ISeekableByteStream& stream, const CVKTETarif& tarif, float multiplier,
                                 DWORD intervalCode, CTime key, const CVKTEData* first)
{
    if (m_keys.size() >= kMaxBlocks)
        return FALSE; // one more would make the archive unreadable
    ByteCollector out;
    BYTE image[CVKTETarif::kImageSize];
    tarif.ToRaw(image);
    WriteBlobToStream(image, CVKTETarif::kImageSize, out);
    const DWORD bits = std::bit_cast<DWORD>(multiplier);
    const BYTE m[4] = {BYTE(bits), BYTE(bits >> 8), BYTE(bits >> 16), BYTE(bits >> 24)};
    WriteBlobToStream(m, 4, out);
    WriteDwordToStream(intervalCode, out);
    if (first)
        PutEntry(out, *first);

    std::vector<DWORD> keys = m_keys;
    std::vector<DWORD> counts = m_counts;
    keys.push_back(key.GetTime());
    counts.push_back(first ? 1 : 0);
    return Commit(stream, out.bytes, std::move(keys), std::move(counts));
}

BOOL CVKTBexorIndex::AppendEntry(ISeekableByteStream& stream, const CVKTEData& entry)
{
    if (m_keys.empty())
        return FALSE; // no block to add to
    ByteCollector out;
    PutEntry(out, entry);
    std::vector<DWORD> counts = m_counts;
    ++counts.back();
    return Commit(stream, out.bytes, m_keys, std::move(counts));
}
