#pragma once

#include "StoreTestSupport.h"

#include "archive/store/VKTArchivData.h"

#include <QString>
#include <QStringList>

#include <map>
#include <ostream>

// Readable failures for the texts the tests compare.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* os)
{
    *os << '{' << texts.join(QStringLiteral(" | ")).toStdString() << '}';
}

namespace storetest::vkt {

// Live VKT values with the given presence flags, every part filled from `seed`.
inline CAktData MakeValues(WORD flags, int seed = 0)
{
    CAktData v;
    const BYTE reply[2] = {BYTE(flags >> 8), BYTE(flags)};
    v.CreateParts(reply, 2);
    v.SetTemperatureWord(std::int16_t(2150 + seed));
    v.SetFrequencyWord(std::int16_t(5000 + seed));
    for (int i = 0; i < CAktData::kInputs; ++i) {
        if (CAktPhase* ph = v.GetPhase(i)) {
            ph->voltage = WORD(9200 + 10 * i + seed); // 230 V
            ph->lineVoltage = WORD(16000 + 10 * i + seed);
            ph->current = WORD(25000 + i + seed); // 5 A
            ph->activePower = 1000.0f + float(i + seed);
            ph->reactivePower = 100.0f + float(i);
            ph->angle = 0;
            ph->thdU = WORD(150 + i);
            ph->thdI = WORD(800 + i);
        }
    }
    for (int c = 0; c < CAktData::kChannels; ++c) {
        if (CAktOddHarmonics* h = v.GetOddHarmonics(c)) {
            for (std::size_t n = 0; n < h->values.size(); ++n)
                h->values[n] = WORD(100 * c + n + seed);
        }
        if (CAktEvenHarmonics* h = v.GetEvenHarmonics(c)) {
            for (std::size_t n = 0; n < h->values.size(); ++n)
                h->values[n] = WORD(50 * c + n);
        }
    }
    return v;
}

inline CVKTConfig MakeConfig(WORD vt, WORD ct, int connection, WORD vt4 = CVKTConfig::kUnset,
                             WORD ct4 = CVKTConfig::kUnset)
{
    CVKTConfig c;
    c.SetVtPrimary(vt);
    c.SetCtPrimary(ct);
    c.SetVt4(vt4);
    c.SetCt4(ct4);
    c.SetConnection(connection);
    return c;
}

// The store with its protected parts reachable: records queued as they are,
// the header and the hooks.
class VKTStore : public CVKTArchivData {
public:
    using CVKTArchivData::InitHeader;
    using CVKTArchivData::RollFileName;

    void Queue(std::uint32_t time, std::uint8_t type, const QByteArray& data)
    {
        std::lock_guard queue(queueLock);
        std::lock_guard list(listLock);
        CurrentListLocked().push_back({time, type, data});
        if (type == kRecordFull || type == kRecordChanged || type == kRecordVKT || type == kRecordError)
            ++blockRecordCount;
    }
    CArchivRecordList Current() const
    {
        std::lock_guard list(listLock);
        return lists[std::size_t(currentList)];
    }
    QString HeaderName() const
    {
        std::lock_guard ring(ringLock);
        return header ? header->name : QString();
    }
    std::vector<std::uint32_t> Table() const
    {
        std::lock_guard ring(ringLock);
        return header ? header->slotTable : std::vector<std::uint32_t>{};
    }
    void SetStart(platform::CTime t) { startTime = t; }
    void SetTable(std::vector<std::uint32_t> table)
    {
        std::lock_guard ring(ringLock);
        header->slotTable = std::move(table);
    }
    int NeedFull() const { return needFullRecord; }
    void ClearNeedFull() { needFullRecord = 0; }
};

// Records the graph side would receive.
class SeriesLog : public IArchivSeriesRegistry {
public:
    void SetSeriesText(const QString& name, const QString& text, int divisor) override
    {
        units[name] = text;
        divisors[name] = divisor;
    }
    void SetSeriesScale(const QString& name, double minimum, double maximum) override
    {
        ranges[name] = {minimum, maximum};
    }
    std::map<QString, QString> units;
    std::map<QString, int> divisors;
    std::map<QString, std::pair<double, double>> ranges;
};

} // namespace storetest::vkt
