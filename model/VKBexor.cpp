#include "model/VKBexor.h"

#include <cstring>

namespace {

void PutEntry(IByteStream& out, CTime time, const DWORD* counters)
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

BOOL CBexorIndex::ReadBlock(ISeekableByteStream& stream, int n, CBexorBlock& block) const
{
    if (!m_index.SeekBlock(stream, n))
        return FALSE;
    QByteArray tarif;
    float multiplier = 0.0f;
    if (!ReadMeterBlockHead(stream, CVKETarif::kImageSize, tarif, multiplier))
        return FALSE;
    const DWORD count = m_index.GetEntryCount(n);
    QByteArray entries(qsizetype(count) * CBexorEntry::kStreamSize, Qt::Uninitialized);
    if (count > 0 && stream.Read(entries.data(), entries.size()) != entries.size())
        return FALSE;

    CBexorBlock result;
    result.GetTarif().UnpackHours(reinterpret_cast<const BYTE*>(tarif.constData()));
    result.SetMultiplier(multiplier);
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
    CByteCollector entry;
    PutEntry(entry, time, counters);
    return m_index.CommitEntry(stream, entry.bytes);
}

BOOL CBexorIndex::AppendBlock(ISeekableByteStream& stream, CTime time, const CBexorBlock& block,
                              const CBexorEntry& entry)
{
    CByteCollector out;
    CVKETarif tarif = block.GetTarif();
    BYTE packed[CVKETarif::kImageSize];
    tarif.PackHours(packed);
    WriteMeterBlockHead(out, packed, CVKETarif::kImageSize, block.GetMultiplier());
    PutEntry(out, entry.GetTime(), entry.GetCounters());
    return m_index.CommitBlock(stream, out.bytes, time.GetTime(), 1);
}

QString CBexorIndex::FormatBlockTime(int i) const
{
    const CTime t = i >= 0 && i < GetBlockCount() ? GetBlockTime(i) : CTime::GetCurrentTime();
    return t.Format(QStringLiteral("%d.%m.%y %H:%M:%S"));
}
