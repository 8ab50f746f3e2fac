#pragma once

#include "archive/store/ArchivRecord.h"
#include "archive/store/ArchivSeriesRegistry.h"

#include <cstdint>
#include <vector>

// What the family extractions share: the series of a walk and the coded
// values several families use.
namespace archive {

// The series of a family's names, looked up once per walk; a name without a
// series costs nothing.
class SeriesPoints {
public:
    SeriesPoints(const CArchivSeriesRegistry& registry, int kind, int channel) : m_channel(channel)
    {
        for (QStringView name : SeriesNamesOfKind(kind))
            m_series.push_back(registry.FindGraphSeries(name));
    }

    bool Any() const
    {
        for (const CGraphTrace* s : m_series)
            if (s)
                return true;
        return false;
    }
    bool Has(int q) const { return m_series[std::size_t(q)] != nullptr; }

    void Value(int q, int index, platform::CTime t, double value)
    {
        if (CGraphTrace* s = m_series[std::size_t(q)])
            s->SetPoint(m_channel, index, t, value);
    }
    void Gap(int q, int index, bool flag)
    {
        if (CGraphTrace* s = m_series[std::size_t(q)])
            s->SetGap(m_channel, index, flag);
    }
    void Hold(int q, int index, platform::CTime t)
    {
        if (CGraphTrace* s = m_series[std::size_t(q)])
            s->SetHoldPoint(m_channel, index, t);
    }
    // A value, or a gap when `valid` is false.
    void ValueOr(int q, int index, platform::CTime t, bool valid, double value, bool flag)
    {
        if (valid)
            Value(q, index, t, value);
        else
            Gap(q, index, flag);
    }
    // A coded quantity: decoded when the record carries it (a gap with flag
    // when the decoder finds no value), else the last value held.
    template <class Decode>
    void CodedOrHold(int q, int index, platform::CTime t, bool present, Decode decode)
    {
        if (!present) {
            Hold(q, index, t);
            return;
        }
        double value = 0;
        const bool valid = decode(value);
        ValueOr(q, index, t, valid, value, true);
    }
    void GapAll(int index)
    {
        for (std::size_t q = 0; q < m_series.size(); ++q)
            Gap(int(q), index, false);
    }

private:
    int m_channel;
    std::vector<CGraphTrace*> m_series;
};

// Measurements and outages take a point; the instrument's own VKT records
// only in a VKT archive.
inline bool TakesIndex(const CArchivRecord& r, int kind)
{
    return r.type == kRecordFull || r.type == kRecordChanged || r.type == kRecordError ||
           (r.type == kRecordVKT && kind == kFamilyVKT);
}

// Cos code: 0x7F no value; the two signs of cos phi fall below and above 1.
inline bool CosFromCode(std::int8_t code, double& value)
{
    if (code == 0x7F)
        return false;
    value = code < 0 ? -code / 100.0 : (200 - code) / 100.0;
    return true;
}

inline bool Bit(std::uint32_t mask, int bit)
{
    return (mask >> bit) & 1U;
}

// The common walk: `draw` decodes one measurement record (2 or 3) into the
// running values and draws it, false for a damaged record, which becomes a
// gap in every series like an outage; `other` sees the records that take no
// point (settings).
template <class Values, class Draw, class Other>
int WalkSeries(const CArchivSeriesRegistry& registry, int kind, const CArchivRecordList& records, int channel,
               int endIndex, int startIndex, Values values, Other other, Draw draw)
{
    SeriesPoints out(registry, kind, channel);
    int index = startIndex;
    const bool any = out.Any();
    for (const CArchivRecord& r : records) {
        if (index >= endIndex)
            break;
        if (!TakesIndex(r, kind)) {
            if (any)
                other(r);
            continue;
        }
        if (any && (r.type == kRecordError || !draw(out, index, r, values)))
            out.GapAll(index);
        ++index;
    }
    return index;
}

} // namespace archive
