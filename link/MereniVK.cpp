#include "link/MereniVK.h"

#include "archive/store/ArchivRecord.h"
#include "archive/store/VKArchivData.h"
#include "archive/store/VKRArchivData.h"
#include "link/Pristroj.h"
#include "platform/StringIds.h"

using platform::CTime;

namespace {

constexpr WORD kFirstMeasurableFirmware = 115;
constexpr WORD kFirstSyncFirmware = 122;
constexpr int kQuarter = 900;
// A quarter-hour record later than this after its mark is given up.
constexpr int kQuarterLimit = 959;

// Retried 63 s later.
constexpr int kRetryBack = CClockSync::kPeriod - 63;
constexpr int kRestartBack = 72000;

CTime Back(CTime t, int seconds)
{
    return CTime(t.GetTime() - CTime::time_type(seconds));
}

// Texts of the VK values' fault state, the VKR state and overloads.
constexpr char kVKFault[] = "Signalizace poruchového stavu přístroje (%1).";
constexpr char kOldFirmware[] =
    "Aktuální data z přístroje nelze přijímat, protože přístroj obsahuje starou verzi firmware, která umožňuje "
    "pouze nastavení přístroje. Další informace získáte u technické podpory výrobce.";

struct VKRStateText {
    BYTE bit;
    const char* text;
    int type;
    bool store;
};

constexpr VKRStateText kVKRStates[] = {
    {0x01, "Chyba konfigurace přístroje.", kRecordError, false},
    {0x02, "Chyba kontrolního součtu EEPROM.", kRecordError, false},
    {0x04, "EEPROM byla obnovena ze záložní kopie.", kRecordCondition, true},
    {0x08, "Chyba při měření frekvence. ", kRecordCondition, true},
    {0x80, "Není detekována frekvence, použita výchozí hodnota.", kRecordCondition, true},
};

// "L1,L3" for the phases whose value is negative (the overload marker).
QString OverloadedPhases(const std::function<float(int)>& value)
{
    QString list;
    for (int k = 0; k < 3; ++k) {
        if (value(k) < -1e-9F)
            list += (list.isEmpty() ? QStringLiteral("L%1") : QStringLiteral(",L%1")).arg(k + 1);
    }
    return list;
}

} // namespace

// ---- clock synchronisation

CClockSync::CClockSync(CTime now, int tries) : m_tLastSync(Back(now, kRestartBack)), m_nSyncTries(tries) {}

void CClockSync::Restart(CTime now, int tries)
{
    m_nSyncTries = tries;
    m_tLastSync = Back(now, kRestartBack);
}

void CClockSync::Apply(int r, CTime now, CArchivData& archiv)
{
    auto queue = [&](int id, int value) { archiv.QueueMessage(id, value); };
    auto queueIfNew = [&](int id, int value) { archiv.QueueMessageIfNew(id, value); };
    auto report = [&](int result) {
        if (result == kNoSupport)
            queueIfNew(platform::IDS_SYNC_NOT_SUPPORTED, -1);
        else
            queueIfNew(platform::IDS_SYNC_ERROR, result);
    };
    if (r > 0) {
        if (m_nSyncTries <= 15) {
            ++m_nSyncTries;
            m_tLastSync = Back(now, kRetryBack);
            return;
        }
        m_nSyncTries = 12;
        m_tLastSync = now;
        if (!m_bSyncReported && m_nLastSyncResult != r)
            report(m_nLastSyncResult);
        queue(platform::IDS_SYNC_ERROR, r);
        m_bSyncReported = 0;
        m_nLastSyncResult = r;
    } else if (r == 0) {
        m_nSyncTries = 0;
        m_tLastSync = now;
        if (!m_bSyncReported) {
            report(m_nLastSyncResult);
            m_bSyncReported = 1;
        }
    } else if (r == kNoSupport) {
        m_nSyncTries = 0;
        m_tLastSync = now;
        if (m_bSyncReported) {
            queue(platform::IDS_SYNC_NOT_SUPPORTED, -1);
        } else if (m_nLastSyncResult != kNoSupport) {
            report(m_nLastSyncResult);
            queue(platform::IDS_SYNC_NOT_SUPPORTED, -1);
        }
        m_bSyncReported = 0;
        m_nLastSyncResult = kNoSupport;
    }
}

// ---- VK

CVKMereni::CVKMereni(std::shared_ptr<CLinkEnvironment> env) : CMereni(0.5F, std::move(env)), m_sync(Host().Now(), 0)
{
    const CTime now = Host().Now();
    m_tQuarter = CTime(now.GetYear(), now.GetMonth(), now.GetDay(), now.GetHour(), now.GetMinute() / 15 * 15, 0);
}

CVKArchivData* CVKMereni::Store() const
{
    return dynamic_cast<CVKArchivData*>(Archiv());
}

QString CVKMereni::Extension() const
{
    return QStringLiteral(".vk");
}

void CVKMereni::SetGraceForLine()
{
    SetGrace(Entry()->HasModem() ? 0.95F : 0.5F);
}

QString CVKMereni::RefusalText() const
{
    return QString::fromUtf8(kOldFirmware);
}

BOOL CVKMereni::ReadFamilyRecords(const int* settingsAdds, const int* secondAdds)
{
    const BOOL read = ReadPair(&CPristroj::ReadVKConfig, m_config, settingsAdds, &CPristroj::ReadIdentification,
                               m_iden, secondAdds);
    if (read)
        m_wFirmware = m_iden.version;
    return read;
}

int CVKMereni::CheckFamily()
{
    if (m_iden.version >= kFirstMeasurableFirmware)
        return 0;
    Entry()->CloseLink();
    Entry()->m_merit = 0;
    return 2;
}

int CVKMereni::OnTimeHook()
{
    m_sync.Restart(Now(), 0);
    return 0;
}

int CVKMereni::Poll(BOOL late)
{
    CPristroj* e = Entry();
    CVKArchivData* a = Store();
    if (!e || !a)
        return 0;
    if (late) {
        SetDeviceState(0);
    } else {
        if (!e->ReadVKValues(m_values))
            return 0;
        if (IsOwnerGone())
            return 0;
        const int settings = RefreshAnalyserSettings(*e, *a, &CPristroj::ReadVKConfig, m_config, m_iden,
                                                     m_values.GetChangeCounter(), m_bySettingsStamp);
        if (settings == 0)
            return 0;
        if (settings == 2)
            m_wFirmware = m_iden.version;
        if (a->IsConnectionMode2())
            m_values.ApplyAronConnection();
        a->AddMeasurementRecord(m_values);
        if (TakeFullRecord())
            a->AddWordRecord(DWORD(e->m_intervalMereni));
    }
    FinishPoll();
    if (!late) {
        if (const int state = a->GetLatestStateByte(); state != 0)
            QueueRecord(QString::fromUtf8(kVKFault).arg(state), kRecordCondition);
    }
    SyncClock();
    return 1;
}

void CVKMereni::SyncClock()
{
    CPristroj* e = Entry();
    const CTime now = Now();
    if (!e->m_synchronizovat || !m_sync.IsDue(now))
        return;
    if (m_wFirmware == 0) {
        CIden iden;
        if (e->ReadIdentification(iden))
            m_wFirmware = iden.version;
        if (m_wFirmware == 0)
            return;
    }
    const int r = m_wFirmware >= kFirstSyncFirmware ? e->SyncVKClock() : CClockSync::kNoSupport;
    m_sync.Apply(r, now, *Archiv());
}

bool CVKMereni::OnIdle(long count)
{
    const bool again = CMereni::OnIdle(count);
    CPristroj* e = Entry();
    CVKArchivData* a = Store();
    // A waiting message goes before another request to the instrument.
    if (!again || !e || !a || !e->m_merit || !e->m_zaznamenavat || !a->HasVariantBit2() || WaitForMessage(0))
        return again;
    const CTime::time_type now = Now().GetTime();
    const CTime::time_type mark = m_tQuarter.GetTime();
    if (now < mark + kQuarter)
        return true;
    if (GetFailScore() > 30 && now % 2 != 0)
        return true;
    AddFailScore(1);
    if (now >= mark + kQuarterLimit) {
        m_tQuarter = CTime(mark + kQuarter);
        return true;
    }
    AddFailScore(5);
    if (SendQuarterHour(0))
        m_tQuarter = CTime(mark + kQuarter);
    return true;
}

// ---- VKR

CVKRArchivData* CVKRMereni::Store() const
{
    return dynamic_cast<CVKRArchivData*>(Archiv());
}

QString CVKRMereni::Extension() const
{
    return QStringLiteral(".vkr");
}

BOOL CVKRMereni::ReadFamilyRecords(const int* settingsAdds, const int* secondAdds)
{
    return ReadPair(&CPristroj::ReadVKRConfig, m_config, settingsAdds, &CPristroj::ReadIdentification, m_iden,
                    secondAdds);
}

bool CVKRMereni::QueueStateTexts(const CVKRAktData& values)
{
    const BYTE status = values.GetStatus();
    bool store = true;
    for (const VKRStateText& s : kVKRStates) {
        if (status & s.bit) {
            QueueRecord(QString::fromUtf8(s.text), s.type);
            store = s.store;
            break;
        }
    }
    if (!store)
        return false;
    const QString voltages = OverloadedPhases([&](int k) { return values.GetUPhase(k); });
    if (!voltages.isEmpty())
        QueueRecord(QStringLiteral("Překročeno maximální napěti (%1)").arg(voltages), kRecordCondition);
    const QString currents = OverloadedPhases([&](int k) { return values.GetI(k); });
    if (!currents.isEmpty())
        QueueRecord(QStringLiteral("Překročen maximální proud (%1)").arg(currents), kRecordCondition);
    return true;
}

int CVKRMereni::Poll(BOOL late)
{
    CPristroj* e = Entry();
    CVKRArchivData* a = Store();
    if (!e || !a)
        return 0;
    if (late) {
        SetDeviceState(0);
    } else {
        if (!e->ReadVKRValues(m_values))
            return 0;
        if (IsOwnerGone())
            return 0;
        if (!RefreshAnalyserSettings(*e, *a, &CPristroj::ReadVKRConfig, m_config, m_iden, m_values.GetChangeCounter(),
                                     m_bySettingsStamp))
            return 0;
        if (QueueStateTexts(m_values)) {
            a->AddMeasurementRecord(m_values);
            if (TakeFullRecord())
                a->AddWordRecord(DWORD(e->m_intervalMereni));
        } else {
            SetDeviceState(0);
        }
    }
    FinishPoll();
    return 1;
}
