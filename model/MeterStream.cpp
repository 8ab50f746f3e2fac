#include "model/MeterStream.h"

#include <algorithm>
#include <bit>

namespace {

bool WriteAt(ISeekableByteStream& stream, std::int64_t offset, const QByteArray& data)
{
    if (stream.Seek(offset, ISeekableByteStream::FromBegin) != offset)
        return false;
    return data.isEmpty() || stream.Write(data.constData(), data.size()) == data.size();
}

} // namespace

std::int64_t CMeterStreamIndex::BlockOffset(int n) const
{
    std::int64_t offset = 0;
    for (int i = 0; i < n && i < GetBlockCount(); ++i)
        offset += m_blockSize(m_counts[std::size_t(i)]);
    return offset;
}

QByteArray CMeterStreamIndex::IndexBytes(const std::vector<DWORD>& keys, const std::vector<DWORD>& counts)
{
    CByteCollector out;
    if (keys.empty())
        return out.bytes;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        WriteDwordToStream(keys[i], out);
        WriteDwordToStream(counts[i], out);
    }
    WriteDwordToStream(DWORD(keys.size()), out);
    return out.bytes;
}

BOOL CMeterStreamIndex::Read(ISeekableByteStream& stream)
{
    m_keys.clear();
    m_counts.clear();
    const std::int64_t size = stream.Seek(0, ISeekableByteStream::FromEnd);
    if (size < 4 || stream.Seek(size - 4, ISeekableByteStream::FromBegin) != size - 4)
        return FALSE;
    DWORD n = 0;
    if (!ReadDwordFromStream(n, stream) || n < 1 || n > kMaxBlocks)
        return FALSE;
    const std::int64_t indexStart = size - 4 - 8 * std::int64_t(n);
    if (indexStart < 0 || stream.Seek(indexStart, ISeekableByteStream::FromBegin) != indexStart)
        return FALSE;
    std::vector<DWORD> keys(n), counts(n);
    std::int64_t blocks = 0;
    for (DWORD i = 0; i < n; ++i) {
        if (!ReadDwordFromStream(keys[i], stream) || !ReadDwordFromStream(counts[i], stream))
            return FALSE;
        blocks += m_blockSize(counts[i]);
    }
    // Blocks that would reach into the index belong to a damaged stream.
    if (blocks > indexStart)
        return FALSE;
    m_keys = std::move(keys);
    m_counts = std::move(counts);
    return TRUE;
}

BOOL CMeterStreamIndex::SeekBlock(ISeekableByteStream& stream, int n) const
{
    if (n < 0 || n >= GetBlockCount())
        return FALSE;
    const std::int64_t offset = BlockOffset(n);
    return stream.Seek(offset, ISeekableByteStream::FromBegin) == offset;
}

BOOL CMeterStreamIndex::Commit(ISeekableByteStream& stream, const QByteArray& data, std::vector<DWORD> keys,
                               std::vector<DWORD> counts)
{
    const std::int64_t blocksEnd = BlockOffset(GetBlockCount());
    const QByteArray oldIndex = IndexBytes(m_keys, m_counts);
    const QByteArray tail = data + IndexBytes(keys, counts);
    const std::int64_t newSize = blocksEnd + tail.size();
    const std::int64_t size = stream.Seek(0, ISeekableByteStream::FromEnd);
    if (size < 0)
        return FALSE;

    // The index in force is the last bytes of the stream. When the new data
    // would overwrite it, first put a copy of it past the new end, so that
    // the stream stays readable as it was until the new index takes over.
    if (!oldIndex.isEmpty() && size - oldIndex.size() < newSize) {
        const std::int64_t copyAt = std::max(size, newSize);
        const QByteArray copy = QByteArray(qsizetype(copyAt - size), '\0') + oldIndex;
        if (!WriteAt(stream, size, copy)) {
            stream.SetSize(size); // drop a partial copy; the old index is untouched
            return FALSE;
        }
    }
    if (!WriteAt(stream, blocksEnd, tail)) {
        if (oldIndex.isEmpty())
            stream.SetSize(size); // the stream held no block: leave nothing half-written
        return FALSE;
    }
    // Cutting the stream behind the new index makes it the one in force.
    if (!stream.SetSize(newSize))
        return FALSE;
    m_keys = std::move(keys);
    m_counts = std::move(counts);
    return TRUE;
}

BOOL CMeterStreamIndex::CommitEntry(ISeekableByteStream& stream, const QByteArray& entry)
{
    if (m_keys.empty())
        return FALSE; // no block to add to
    std::vector<DWORD> counts = m_counts;
    ++counts.back();
    return Commit(stream, entry, m_keys, std::move(counts));
}

BOOL CMeterStreamIndex::CommitBlock(ISeekableByteStream& stream, const QByteArray& block, DWORD key, DWORD count)
{
    // One block more would make the whole archive unreadable.
    if (m_keys.size() >= kMaxBlocks)
        return FALSE;
    std::vector<DWORD> keys = m_keys;
    std::vector<DWORD> counts = m_counts;
    keys.push_back(key);
    counts.push_back(count);
    return Commit(stream, block, std::move(keys), std::move(counts));
}

void WriteMeterBlockHead(IByteStream& out, const BYTE* tarif, int tarifSize, float multiplier)
{
    WriteBlobToStream(tarif, DWORD(tarifSize), out);
    const DWORD bits = std::bit_cast<DWORD>(multiplier);
    const BYTE m[4] = {BYTE(bits), BYTE(bits >> 8), BYTE(bits >> 16), BYTE(bits >> 24)};
    WriteBlobToStream(m, 4, out);
}

BOOL ReadMeterBlockHead(IByteStream& in, int tarifSize, QByteArray& tarif, float& multiplier)
{
    QByteArray image, bits;
    if (!ReadBlobFromStream(image, in) || image.size() != tarifSize)
        return FALSE;
    if (!ReadBlobFromStream(bits, in) || bits.size() != 4)
        return FALSE;
    const auto* m = reinterpret_cast<const BYTE*>(bits.constData());
    multiplier = std::bit_cast<float>(DWORD(m[0]) | (DWORD(m[1]) << 8) | (DWORD(m[2]) << 16) | (DWORD(m[3]) << 24));
    tarif = std::move(image);
    return TRUE;
}
