#include "link/Pristroj.h"

#include "link/CommandsVKT.h"

#include "archive/store/VKArchivData.h"
#include "archive/store/VKTArchivData.h"
#include "model/VKBexor.h"
#include "model/VKEnergy.h"
#include "model/VKTBexor.h"
#include "model/VKTEnergy.h"

using platform::CTime;
using platform::CTimeSpan;

namespace {

// Up to three tries of one read.
template <class Fn>
bool ThreeTries(Fn&& read)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (read())
            return true;
    }
    return false;
}

// The last grid instant of the clock at or before `t`.
CTime InstantAtOrBefore(const CArchivIntervalClock& clock, CTime t)
{
    return clock.NextTime(t) - CTimeSpan(clock.GetIntervalSeconds());
}

// The VK meter: a block per reset time of its counters.
BOOL ReadVKMeterRecord(CPristroj& entry)
{
    auto& archiv = static_cast<CVKArchivData&>(*entry.GetArchivData());

    CVKEData data;
    if (!ThreeTries([&] { return entry.ReadVKEnergyData(data) != 0; }))
        return 0;

    std::unique_ptr<CArchivStream> stream;
    CBexorIndex index;
    if (!archiv.OpenOrCreateBexorStream(stream, index))
        return 0;

    BOOL stored = 0;
    if (index.GetBlockCount() > 0 && index.GetLastTime() == data.GetTime()) {
        stored = index.AppendEntry(*stream, entry.Clock().CurrentTime(), data.GetCounters());
    } else {
        CBexorBlock block;
        if (ThreeTries([&] { return entry.ReadVKTariff(block.GetTarif()) != 0; })) {
            block.SetMultiplier(archiv.GetRatioU() * archiv.GetRatioI());
            stored = index.AppendBlock(*stream, data.GetTime(), block,
                                       CBexorEntry(entry.Clock().CurrentTime(), data.GetCounters()));
        }
    }
    archiv.ReleaseStream(stream);
    return stored;
}

// Where a clock that has never run picks up: after the newest stored entry;
// with no entry stored, one interval before what was last recorded, so that
// the instant just passed is still fetched (a ring that is overwritten keeps
// no such past, and waits for the next instant instead).
void StartMeterClock(CVKTArchivData& archiv, BOOL overwrite)
{
    CArchivIntervalClock& clock = archiv.IntervalClock();
    const CTime now = clock.Now();
    CTime period = CArchivIntervalClock::Epoch();
    CTime start;
    bool found = false;
    std::unique_ptr<CArchivStream> stream;
    CVKTBexorIndex index;
    if (archiv.OpenBexorStream(stream, index) && index.GetBlockCount() > 0) {
        period = index.GetLastKey();
        CVKTBexorBlock newest;
        if (index.ReadBlock(*stream, index.GetBlockCount() - 1, newest) && newest.GetEntryCount() > 0) {
            start = newest.GetLastTime();
            found = true;
        }
    }
    archiv.ReleaseStream(stream);
    if (!found && !overwrite) {
        const CTime recorded = archiv.GetNewestDataTime();
        start = (recorded.GetTime() > 0 ? recorded : now) - CTimeSpan(clock.GetIntervalSeconds());
        found = true;
    }
    if (!found)
        start = InstantAtOrBefore(clock, now);
    archiv.SetMeterPeriodTime(period);
    clock.SetStartOnce(start);
}

// The VKT meter: a reading at each instant of the meter archive's interval
// clock, kept pending until stored; a block per meter period (its reset
// time). `clockDeviation`: the synchronisation tries the thread still owes.
BOOL ReadVKTMeterRecord(CPristroj& entry, int clockDeviation)
{
    auto& archiv = static_cast<CVKTArchivData&>(*entry.GetArchivData());
    CArchivIntervalClock& clock = archiv.IntervalClock();
    // A negative interval code keeps the meter out of the archive.
    if (clock.Get() < 0 || clock.IsBeforeNextTime())
        return 1;

    bool newBlock = false;
    CVKTETarif tariff;
    const auto readTariff = [&] { return ThreeTries([&] { return entry.ReadVKTTariff(tariff) != 0; }); };

    // The reading of the instant that has come, kept pending until stored.
    const auto readCurrent = [&]() -> bool {
        CVKTEDataRec reading;
        if (!ThreeTries([&] { return entry.ReadVKTEnergyData(reading) != 0; }))
            return false;
        if (!clock.IsStartSet())
            StartMeterClock(archiv, entry.m_prepisovat);
        if (reading.GetResetTime() != archiv.GetMeterPeriodTime()) {
            // The meter was reset: its readings from now on go into a block
            // of their own.
            newBlock = true;
            if (reading.GetResetTime() > clock.GetStart())
                clock.SetStart(reading.GetResetTime());
            if (!readTariff())
                return false;
            archiv.SetMeterPeriodTime(reading.GetResetTime());
        }
        const CTime now = clock.Now();
        if (clock.IsAtBoundary(now))
            archiv.SetPendingMeterRecord(reading.GetData());
        else
            archiv.DropPendingMeterRecord();

        if (entry.m_synchronizovat) {
            for (int call = 0; call < 2 && clockDeviation >= 1 && clockDeviation <= 11; ++call) {
                if (entry.SyncVKTClock() == 0)
                    clockDeviation = 0;
            }
        }
        // Only an instrument clock known to be in step may say that an
        // instant went by unrecorded.
        if (entry.m_synchronizovat && clockDeviation == 0) {
            clock.CheckOverdue();
            archiv.SetPendingMeterTime(now);
        } else {
            archiv.SetPendingMeterTime(now);
            clock.ClearOverdue();
        }
        return true;
    };
    if (!archiv.GetPendingMeterRecord() && !clock.IsOverdue() && !readCurrent())
        return 0;

    CVKTEData totals;
    bool usable = false;
    if (clock.IsOverdue()) {
        const BYTE number = BYTE(clock.GetRecordNumber());
        if (ThreeTries([&] { return entry.Request(commands::ReadVKTEnergyTotals, totals, number) != 0; })) {
            usable = clock.IsAtBoundary(totals.GetTime()) != 0;
        } else {
            // The missed instant is asked for again until a newer one than
            // the instant the pending reading (or the missed one itself)
            // belongs to has come; then it is given up, so that waiting for
            // it never keeps the newer instants from being read.
            const CVKTEData* pending = archiv.GetPendingMeterRecord();
            const CTime awaited = pending ? InstantAtOrBefore(clock, pending->GetTime()) : clock.NextTime();
            if (InstantAtOrBefore(clock, clock.Now()) <= awaited)
                return 0;
            clock.AdvanceStart();
            if (clock.CheckOverdue())
                return 0;
            // Giving up must not cost the instant that has just come as well.
            if (!archiv.GetPendingMeterRecord() && (!readCurrent() || clock.IsOverdue()))
                return 0;
        }
    }

    std::unique_ptr<CArchivStream> stream;
    CVKTBexorIndex index;
    if (!archiv.OpenOrCreateBexorStream(stream, index))
        return 0;

    if (!newBlock && archiv.GetMeterPeriodTime() != index.GetLastKey()) {
        // The block of the current period was never begun (its start
        // failed, or the file changed).
        newBlock = true;
        clock.SetStartBefore(clock.Now());
        if (!readTariff()) {
            archiv.ReleaseStream(stream);
            return 0;
        }
        clock.CheckOverdue();
    }

    const float multiplier = archiv.GetRatioU() * archiv.GetRatioI();
    // Begins the period's block (with `entry` first, when given) or adds
    // `entry` to it.
    const auto store = [&](const CVKTEData* entry) -> BOOL {
        if (newBlock) {
            const BOOL begun = index.AppendBlock(*stream, tariff, multiplier, DWORD(clock.Get()),
                                                 archiv.GetMeterPeriodTime(), entry);
            if (begun)
                newBlock = false;
            return begun;
        }
        return entry ? index.AppendEntry(*stream, *entry) : 0;
    };

    BOOL stored = 0;
    if (clock.IsOverdue()) {
        if (usable || newBlock)
            stored = store(usable ? &totals : nullptr);
        if (!usable || stored) {
            clock.AdvanceStart();
            clock.CheckOverdue();
        }
    }
    if (!clock.IsOverdue() && (archiv.GetPendingMeterRecord() || newBlock)) {
        const CVKTEData* pending = archiv.GetPendingMeterRecord();
        stored = store(pending);
        if (!pending || stored) {
            // A reading stored late still stands for its own instant: the
            // instants after it stay due.
            clock.SetStart(pending ? InstantAtOrBefore(clock, pending->GetTime()) : clock.Now());
            clock.ClearOverdue();
            archiv.DropPendingMeterRecord();
        }
    }
    if (!clock.IsOverdue() && !archiv.GetPendingMeterRecord() && clock.Now() > clock.NextTime()) {
        // The instant was missed and cannot be fetched later: wait for the
        // next one rather than have the thread ask again and again. An
        // instant whose minute is still running is read yet.
        clock.SetStartBefore(clock.Now());
    }
    archiv.ReleaseStream(stream);
    return stored;
}

} // namespace

BOOL CPristroj::ReadEnergyMeterRecord(int clockDeviation)
{
    if (!m_archiv)
        return 0;
    if (m_type == kVK)
        return ReadVKMeterRecord(*this);
    if (m_type == kVKT)
        return ReadVKTMeterRecord(*this, clockDeviation);
    return 0;
}
