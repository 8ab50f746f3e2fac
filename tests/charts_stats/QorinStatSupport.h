#pragma once

#include "ArchiveFixture.h"

#include "archive/store/QorinArchivData.h"

#include <gtest/gtest.h>

namespace statstest {

using platform::CTime;

// Measured values of a controller with a 100/5 A transformer (r = 20).
inline CQorinAktData QorinValues(int current, int active, int reactive, BYTE thdCode = 20)
{
    CQorinAktData v;
    v.ctWord = 0x8000 | 20;
    v.model = 3;
    v.current = WORD(current);
    v.activeCurrent = std::int16_t(active);
    v.reactiveCurrent = std::int16_t(reactive);
    v.thdCode = thdCode;
    v.cosPhi = 95;
    return v;
}

inline CConfig QorinConfig(int requiredHundredths, WORD ctRatio = 20)
{
    CConfig c;
    c.ctRatio = ctRatio; // 20 x 5 = 100 A primary
    c.tarif1.t0 = BYTE(std::int8_t(requiredHundredths));
    return c;
}

inline CArchivRecord SettingsRecord(CTime t, const CConfig& config)
{
    QByteArray image(CConfig::kImageSize, '\0');
    config.ToRaw(reinterpret_cast<BYTE*>(image.data()));
    return {t.GetTime(), kRecordSettings, image};
}

inline CArchivRecord FullRecord(CTime t, const CQorinAktData& values)
{
    return {t.GetTime(), kRecordFull,
            archive::controller::PackFull(static_cast<const QorinAktFields*>(&values),
                                          QorinArchivTraits::FieldTable())};
}

// A loaded window over hand-built blocks.
inline CArchivWindow MakeWindow(const std::vector<CArchivRecordList>& blocks, CTime start, int span)
{
    CArchivWindow w;
    w.start = start;
    w.span = span;
    int slot = 0;
    for (const CArchivRecordList& block : blocks) {
        w.ringSlots.push_back(slot++);
        w.rowCounts.push_back(0);
        w.blockFirstRecord.push_back(w.records.size());
        w.records.insert(w.records.end(), block.begin(), block.end());
    }
    return w;
}

// Full records every `step` seconds from `from`, `count` of them.
inline void AddMeasurements(CArchivRecordList& block, CTime from, int step, int count, const CQorinAktData& values)
{
    for (int i = 0; i < count; ++i)
        block.push_back(FullRecord(from + CTimeSpan(std::int64_t(i) * step), values));
}

} // namespace statstest
