#include "model/VKBexor.h"

#include <algorithm>
#include <cstring>

namespace {

// Collects what the stream helpers write, so that a block or an index goes
// to the meter stream in one piece.
class BufferStream : public IByteStream {
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

void PutEntry(BufferStream& out, CTime time, const DWORD* counters)
{
    for (int i = 0; i < CVKEData::kCounters; ++i)
        WriteDwordToStream(counters[i], out);
    WriteDwordToStream(time.GetTime(), out);
}

DWORD DwordAt(const QByteArray& bytes, qsizetype at)
{
    const auto* p = reinterpret_cast<const BYTE*>(bytes.constData() + at);
    return DWORD(p[0]) | (DWORD(p[1]) << 8) | (DWORD(p[2]) << 16) | (DWORD(p[3]) << 24);
}

} // namespace

CBexorEntry::CBexorEntry(CTime time, const DWORD* counters) : m_time(time)
{
    std::memcpy(m_counters, counters, sizeof m_counters);
}

void CBexorBlock::Clear()
{
    for (int h = 0; h < CVKETarif::kHours; ++h)
        m_tarif.SetCode(h, 0);
    m_entries.clear();
    m_multiplier = 1.0f;
}

void CBexorBlock::SetEntryCount(int n)
{
    m_entries.assign(std::size_t(n < 0 ? 0 : n), CBexorEntry());
}

std::int64_t CMeterStreamIndex::BlockOffset(int n) const
{
    std::int64_t offset = 0;
    for (int i = 0; i < n && i < GetBlockCount(); ++i)
        offset += m_blockSize(m_counts[std::size_t(i)]);
    return offset;
}

QByteArray CMeterStreamIndex::IndexBytes(const std::vector<DWORD>& keys, const std::vector<DWORD>& counts)
{
    BufferStream out;
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
    if (!WriteAt(stream, blocksEnd, tail))
        return FALSE;
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

BOOL CBexorIndex::ReadBlock(ISeekableByteStream& stream, int n, CBexorBlock& block) const
{
    if (!m_index.SeekBlock(stream, n))
        return FALSE;
    QByteArray tarif, multiplier;
    if (!ReadBlobFromStream(tarif, stream) || tarif.size() != CVKETarif::kImageSize)
        return FALSE;
    if (!ReadBlobFromStream(multiplier, stream) || multiplier.size() != 4)
        return FALSE;
    const DWORD count = m_index.GetEntryCount(n);
    QByteArray entries(qsizetype(count) * CBexorEntry::kStreamSize, Qt::Uninitialized);
    if (count > 0 && stream.Read(entries.data(), entries.size()) != entries.size())
        return FALSE;

    CBexorBlock result;
    result.GetTarif().UnpackHours(reinterpret_cast<const BYTE*>(tarif.constData()));
    const DWORD bits = DwordAt(multiplier, 0);
    float m;
    std::memcpy(&m, &bits, 4);
    result.SetMultiplier(m);
    result.SetEntryCount(int(count));
    for (DWORD e = 0; e < count; ++e) {
        CBexorEntry& entry = result.GetEntry(int(e));
        const qsizetype at = qsizetype(e) * CBexorEntry::kStreamSize;
        for (int i = 0; i < CVKEData::kCounters; ++i)
            entry.SetCounter(i, DwordAt(entries, at + 4 * i));
        entry.SetTime(CTime(DwordAt(entries, at + 4 * CVKEData::kCounters)));
    }
    block = std::move(result);
    return TRUE;
}

BOOL CBexorIndex::AppendEntry(ISeekableByteStream& stream, CTime time, const DWORD* counters)
{
    BufferStream entry;
    PutEntry(entry, time, counters);
    return m_index.CommitEntry(stream, entry.bytes);
}

BOOL CBexorIndex::AppendBlock(ISeekableByteStream& stream, CTime time, const CBexorBlock& block,
                              const CBexorEntry& entry)
{
    BufferStream out;
    CVKETarif tarif = block.GetTarif();
    BYTE packed[CVKETarif::kImageSize];
    tarif.PackHours(packed);
    WriteBlobToStream(packed, CVKETarif::kImageSize, out);
    const float multiplier = block.GetMultiplier();
    DWORD bits;
    std::memcpy(&bits, &multiplier, 4);
    WriteDwordToStream(4, out);
    WriteDwordToStream(bits, out);
    PutEntry(out, entry.GetTime(), entry.GetCounters());
    return m_index.CommitBlock(stream, out.bytes, time.GetTime(), 1);
}

QString CBexorIndex::FormatBlockTime(int i) const
{
    const CTime t = i >= 0 && i < GetBlockCount() ? GetBlockTime(i) : CTime::GetCurrentTime();
    return t.Format(QStringLiteral("%d.%m.%y %H:%M:%S"));
}
