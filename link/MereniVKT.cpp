#include "link/MereniVKT.h"

#include "archive/store/ArchivRecord.h"
#include "archive/store/VKTArchivData.h"
#include "link/Pristroj.h"

using platform::CTime;

namespace {

constexpr int kInitialSyncTries = 4;

// Pacing of the quarter-hour meter record. Every VKT thread of the program
// asks its instrument when the archive's interval clock says so, and at a
// quarter hour they all say so at once: instruments that share a modem or a
// bus would then queue their meter requests behind each other and starve
// the regular polls, whose misses cost data. So any thread's attempt holds
// the others off for a few seconds (longer in the first minutes after the
// hold, while activation reads and the clock synchronisation still use the
// line), and a thread whose attempts keep failing, or whose line already
// fails often, asks ever more rarely; the primes keep such threads from
// falling into step with each other.
constexpr platform::CTime::time_type kSettlingSeconds = 300;
constexpr platform::CTime::time_type kGapNearStartSeconds = 11;
constexpr platform::CTime::time_type kGapSeconds = 3;
// Ten minutes without any attempt: the last round is over, count afresh.
constexpr platform::CTime::time_type kPacingResetSeconds = 600;
constexpr int kBusyScore = 30;
constexpr int kFailingScore = 100;
constexpr int kFailingSecondStep = 13;
constexpr int kStubbornTryStep = 17;
// The store does not tell the recording mode here; the entry's value mask
// alone limits the groups read.
constexpr WORD kAllGroups = 0xFFFF;

constexpr char kFault[] = "Signalizace poruchového stavu přístroje (0x%1).";
constexpr char kOverload[] = "Některá z veličin (U,I) je přetížena.";

} // namespace

CVKTMereni::CVKTMereni(std::shared_ptr<CLinkEnvironment> env)
    : CMereni(0.6F, std::move(env)), m_sync(Host().Now(), kInitialSyncTries),
      m_tHold(CTime(Host().Now().GetTime() + kHoldSeconds))
{
}

CVKTArchivData* CVKTMereni::Store() const
{
    return dynamic_cast<CVKTArchivData*>(Archiv());
}

QString CVKTMereni::Extension() const
{
    return CVKTArchivData::Extension();
}

void CVKTMereni::SetGraceForLine()
{
    SetGrace(Entry()->HasModem() ? 0.95F : 0.6F);
}

int CVKTMereni::OnTimeHook()
{
    m_sync.Restart(Now(), kInitialSyncTries);
    return 0;
}

BOOL CVKTMereni::ReadFamilyRecords(const int* settingsAdds, const int* secondAdds)
{
    return ReadPair(&CPristroj::ReadVKTConfig, m_config, settingsAdds, &CPristroj::ReadIdentification, m_iden,
                    secondAdds);
}

bool CVKTMereni::QueueStateTexts(CAktData& values)
{
    const BYTE fault = values.GetFaultState();
    const bool store = (fault & 0x03) == 0;
    const int type = store ? kRecordCondition : kRecordError;
    if (fault != 0)
        QueueRecord(QString::fromUtf8(kFault).arg(QString::number(fault, 16).toUpper()), type);
    if (values.GetStatusA() != 0) {
        const BYTE inputs = BYTE(values.GetSelection() & 0x0F);
        const BYTE limited = BYTE(values.GetStatusA() & (inputs | inputs << 4));
        values.SetStatusA(limited);
        if (limited != 0)
            QueueRecord(QString::fromUtf8(kOverload), type);
    }
    return store;
}

int CVKTMereni::Poll(BOOL late)
{
    CPristroj* e = Entry();
    CVKTArchivData* a = Store();
    if (!e || !a)
        return 0;
    if (late) {
        SetDeviceState(0);
    } else {
        // A waveform window adds its channels to what the user chose.
        const DWORD waves = a->GetWaveRequest();
        if (!e->ReadVKTValues(m_values, kAllGroups, waves))
            return 0;
        if (IsOwnerGone())
            return 0;
        const int settings = RefreshAnalyserSettings(*e, *a, &CPristroj::ReadVKTConfig, m_config, m_iden,
                                                     m_values.GetChangeCounter(), m_bySettingsStamp);
        if (settings == 0)
            return 0;
        if (settings == 2 && e->IsValueMaskChanged(m_values.GetSelection(), kAllGroups)
            && !e->ReadVKTValues(m_values, kAllGroups, waves))
            return 0;
        if (QueueStateTexts(m_values)) {
            if (a->AddMeasurementRecord(m_values))
                a->AddWordRecord(DWORD(e->m_intervalMereni));
        } else {
            SetDeviceState(0);
        }
    }
    FinishPoll();
    SyncClock();
    return 1;
}

void CVKTMereni::SyncClock()
{
    CPristroj* e = Entry();
    const CTime now = Now();
    if (!e->m_synchronizovat || !m_sync.IsDue(now))
        return;
    const int r = e->SyncVKTClock();
    m_sync.Apply(r, now, *Archiv());
}

bool CVKTMereni::OnIdle(long count)
{
    const bool again = CMereni::OnIdle(count);
    // A waiting message (a recording to resume above all) goes before
    // another request to the instrument, which a slow line makes long.
    if (again && !WaitForMessage(0))
        EnergyStep();
    return again;
}

void CVKTMereni::EnergyStep()
{
    CPristroj* e = Entry();
    CVKTArchivData* a = Store();
    if (!e || !a)
        return;
    const CTime::time_type now = Now().GetTime();
    const CTime::time_type hold = m_tHold.GetTime();
    if (now < hold)
        return;
    const bool nearStart = now < hold + kSettlingSeconds;
    const int code = e->GetType() == CPristroj::kVKT ? a->IntervalClock().Get() : 0;
    if (code < 0 || !e->m_merit || !e->m_zaznamenavat || now <= a->IntervalClock().NextTime().GetTime())
        return;
    if (m_nEnergyTries != 0) {
        const CTime::time_type last = Shared().lastEnergyAttempt.load();
        if (now > last + kPacingResetSeconds)
            m_nEnergyTries = 0;
        else if (now < last + (nearStart ? kGapNearStartSeconds : kGapSeconds))
            return;
    }
    Shared().lastEnergyAttempt = now;
    const int score = GetFailScore();
    if (score > kBusyScore && now % 2 != 0)
        return;
    if (score > kFailingScore && m_nEnergyTries > 10 && now % kFailingSecondStep != 0)
        return;
    ++m_nEnergyTries;
    if ((m_nEnergyTries > 30 && m_nEnergyTries % 2 != 0) ||
        (m_nEnergyTries > 100 && m_nEnergyTries % kStubbornTryStep != 0)) {
        Pause(10);
        return;
    }
    AddFailScore(1);
    if (SendQuarterHour(m_sync.Tries()))
        AddFailScore(-1);
}
