#include "model/VKTBexor.h"

namespace {

void PutEntry(IByteStream& out, const CVKTEData& entry)
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

BOOL CVKTBexorIndex::ReadBlock(ISeekableByteStream& stream, int n, CVKTBexorBlock& block) const
{
    if (!m_index.SeekBlock(stream, n))
        return FALSE;
    QByteArray tarif;
    float multiplier = 0.0f;
    if (!ReadMeterBlockHead(stream, CVKTETarif::kImageSize, tarif, multiplier))
        return FALSE;
    DWORD intervalCode = 0;
    if (!ReadDwordFromStream(intervalCode, stream))
        return FALSE;
    std::vector<CVKTEData> entries(m_index.GetEntryCount(n));
    for (CVKTEData& e : entries) {
        if (!GetEntry(stream, e))
            return FALSE;
    }
    CVKTBexorBlock result;
    result.GetTarif().FromRaw(reinterpret_cast<const BYTE*>(tarif.constData()));
    result.SetMultiplier(multiplier);
    result.SetIntervalCode(intervalCode);
    result.SetEntries(std::move(entries));
    block = std::move(result);
    return TRUE;
}

BOOL CVKTBexorIndex::AppendBlock(ISeekableByteStream& stream, const CVKTETarif& tarif, float multiplier,
                                 DWORD intervalCode, CTime key, const CVKTEData* first)
{
    CByteCollector out;
    BYTE image[CVKTETarif::kImageSize];
    tarif.ToRaw(image);
    WriteMeterBlockHead(out, image, CVKTETarif::kImageSize, multiplier);
    WriteDwordToStream(intervalCode, out);
    if (first)
        PutEntry(out, *first);
    return m_index.CommitBlock(stream, out.bytes, key.GetTime(), first ? 1 : 0);
}

BOOL CVKTBexorIndex::AppendEntry(ISeekableByteStream& stream, const CVKTEData& entry)
{
    CByteCollector out;
    PutEntry(out, entry);
    return m_index.CommitEntry(stream, out.bytes);
}
