#pragma once

#include "StoreTestSupport.h"

#include "archive/store/ArchivSeriesRegistry.h"
#include "archive/store/VKArchivData.h"
#include "archive/store/VKRArchivData.h"

#include <QMap>

#include <algorithm>

// Readable failures of QString comparisons.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace vktest {

using platform::CTime;

// VK settings with a voltage ratio of primary / 100 and a CT word.
inline CVKConfig VKConfig(DWORD vtPrimary, DWORD ctWord, int connection = CVKConfig::Star)
{
    CVKConfig c;
    c.SetVtPrimary(vtPrimary);
    c.SetVoltageWord(100);
    c.SetCtRatioDword(ctWord);
    c.SetConnection(connection);
    return c;
}

inline CVKRConfig VKRConfig(DWORD vtPrimary, DWORD ctPrimary, int connection)
{
    CVKRConfig c;
    c.SetVtPrimary(vtPrimary);
    c.SetCtPrimary(ctPrimary);
    c.SetConnection(connection);
    return c;
}

// Deterministic values that differ from step to step in a few fields.
inline CVKAktData VKValues(int step)
{
    CVKAktData v;
    v.SetFaultState(std::int8_t(step % 3));
    v.SetPowerLayout(0);
    v.SetFrequencyCode(BYTE(128 + step % 5));
    v.SetTemperatureCode(BYTE(100 + step % 2));
    for (int k = 0; k < 3; ++k) {
        v.SetU(k, WORD(2300 + k + (step % 4)));
        v.SetULine(k, WORD(4000 + k * step));
        v.SetI(k, std::int16_t(3200 * (k + 1) - step));
        v.SetPF(k, std::int8_t(90 + k));
        v.SetCos(k, std::int8_t(95 - (step + k) % 7));
        v.SetP(k, 1000000 * (k + 1) + step * 17);
        v.SetQ(k, -20000 * (k + 1));
        v.SetS(k, 1100000 * (k + 1) + (step % 3));
        v.GetVoltageHarmonics().SetThdCode(k, BYTE(10 + k));
        v.GetCurrentHarmonics().SetThdCode(k, BYTE(20 + (step + k) % 9));
        for (int h = 0; h < CVKHarmonicBlock::kOrders; ++h) {
            v.GetVoltageHarmonics().SetHarmonicCode(k, h, BYTE((h * 3 + k + (h == step % 24 ? step : 0)) % 100));
            v.GetCurrentHarmonics().SetHarmonicCode(k, h, BYTE((h + k) % 60));
        }
    }
    v.SetI(3, std::int16_t(step));
    return v;
}

inline CVKRAktData VKRValues(int step)
{
    CVKRAktData v;
    v.SetStatus(0);
    for (int k = 0; k < 3; ++k) {
        v.SetUPhase(k, 230.0f + float(step % 4) * 0.25f + float(k));
        v.SetI(k, 5.0f + float(step) * 3.0f + float(k));
        v.SetULine(k, 400.0f + float(k));
        v.SetP(k, 1000.0f * float(k + 1) + float(step));
        v.SetQ(k, -100.0f * float(k + 1));
        v.SetAngle(k, std::int16_t(1000 * k + step));
        v.SetThdU(k, std::int16_t(120 + k));
        v.SetThdI(k, std::int16_t(300 + step % 3));
        v.SetThdULine(k, std::int16_t(110 + k));
    }
    v.SetTemperature(2150);
    v.SetFrequency(std::int16_t(4998 + step % 3));
    return v;
}

inline std::vector<int> AllColumns(int count)
{
    return std::vector<int>(std::size_t(count), 1);
}

// Series registered under a few names: keeps the unit texts and ranges
// given to them and passes over every other name.
class FakeSeries : public IArchivSeriesRegistry {
public:
    explicit FakeSeries(QStringList names) : m_names(std::move(names)) {}
    void SetSeriesText(const QString& name, const QString& text, int divisor) override
    {
        if (m_names.contains(name)) {
            units[name] = text;
            divisors[name] = divisor;
        }
    }
    void SetSeriesScale(const QString& name, double minimum, double maximum) override
    {
        if (m_names.contains(name))
            ranges[name] = {minimum, maximum};
    }

    QMap<QString, QString> units;
    QMap<QString, int> divisors;
    QMap<QString, std::pair<double, double>> ranges;

private:
    QStringList m_names;
};

// What a reader of a written file sees: its slots in time order.
template <class Data>
class Reader : public Data {
public:
    std::vector<int> WrittenSlots() const
    {
        std::lock_guard ring(this->ringLock);
        std::vector<int> written;
        if (!this->header)
            return written;
        for (int s = 0; s < this->header->SlotCount(); ++s)
            if (this->header->slotTable[std::size_t(s)] != 0)
                written.push_back(s);
        std::sort(written.begin(), written.end(), [this](int a, int b) {
            return this->header->slotTable[std::size_t(a)] < this->header->slotTable[std::size_t(b)];
        });
        return written;
    }
    std::vector<std::uint32_t> Table() const
    {
        std::lock_guard ring(this->ringLock);
        return this->header ? this->header->slotTable : std::vector<std::uint32_t>();
    }
    // The records of the block being collected.
    CArchivRecordList Queued() const
    {
        std::lock_guard queue(this->queueLock);
        std::lock_guard list(this->listLock);
        return this->lists[std::size_t(this->currentList)];
    }
    // The queued records of one type.
    CArchivRecordList Queued(std::uint8_t type) const
    {
        CArchivRecordList out;
        for (const CArchivRecord& r : Queued())
            if (r.type == type)
                out.push_back(r);
        return out;
    }
    QString HeaderName() const
    {
        std::lock_guard ring(this->ringLock);
        return this->header ? this->header->name : QString();
    }
};

} // namespace vktest
