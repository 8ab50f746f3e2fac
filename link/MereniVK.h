#pragma once

#include "link/Mereni.h"
#include "model/Iden.h"
#include "model/VKAktData.h"
#include "model/VKConfig.h"
#include "model/VKRAktData.h"
#include "model/VKRConfig.h"

class CVKArchivData;
class CVKRArchivData;

// The analysers' clock synchronisation, shared by the VK and VKT threads: an
// attempt every 8 hours, a refused one again after 63 s up to 16 times, and
// the outcome reported in the instrument's standing messages.
class CClockSync {
public:
    // The firmware cannot synchronise.
    static constexpr int kNoSupport = -65535;
    static constexpr int kPeriod = 28800;

    CClockSync(platform::CTime now, int tries);
    bool IsDue(platform::CTime now) const { return m_tLastSync.GetTime() + kPeriod < now.GetTime(); }
    // The instrument's answer `r` (negative without a valid one); the
    // outcome goes to the archive's standing messages.
    void Apply(int r, platform::CTime now, CArchivData& archiv);
    // The next poll synchronises.
    void Restart(platform::CTime now, int tries);
    int Tries() const { return m_nSyncTries.load(); }

private:
    platform::CTime m_tLastSync;
    std::atomic<int> m_nSyncTries;
    int m_bSyncReported = 1;
    int m_nLastSyncResult = 0;
};

// Settings and identification of an analyser again when its settings
// counter moved or a new file wants them: 2 read and queued, 1 not wanted,
// 0 a read failed (nothing queued).
template <class Store, class Config>
int RefreshAnalyserSettings(CPristroj& entry, Store& archiv, BOOL (CPristroj::*readConfig)(Config&), Config& config,
                             CIden& iden, BYTE counter, BYTE& stamp)
{
    if (counter == stamp && !archiv.NeedsConfigRecord())
        return 1;
    if (!(entry.*readConfig)(config) || !entry.ReadIdentification(iden))
        return 0;
    stamp = counter;
    archiv.AddConfigRecord(config);
    archiv.AddIdenRecord(iden);
    return 2;
}

// The VK network analyser: settings and identification again whenever the
// instrument reports changed settings, the fault text, the clock and the
// quarter-hour meter record.
class CVKMereni : public CMereni {
public:
    explicit CVKMereni(std::shared_ptr<CLinkEnvironment> env = nullptr);

protected:
    int Poll(BOOL late) override;
    bool OnIdle(long count) override;
    int OnTimeHook() override;
    BOOL ReadFamilyRecords(const int* settingsAdds, const int* secondAdds) override;
    int CheckFamily() override;
    QString Extension() const override;
    void SetGraceForLine() override;
    QString RefusalText() const override;

private:
    CVKArchivData* Store() const;
    void SyncClock();

    CClockSync m_sync;
    WORD m_wFirmware = 0;
    platform::CTime m_tQuarter;
    BYTE m_bySettingsStamp = 0;
    CVKConfig m_config;
    CIden m_iden;
    CVKAktData m_values;
};

// The VKR network analyser: settings and identification on a settings
// change, and the state texts of its values.
class CVKRMereni : public CMereni {
public:
    explicit CVKRMereni(std::shared_ptr<CLinkEnvironment> env = nullptr) : CMereni(0.9F, std::move(env)) {}

protected:
    int Poll(BOOL late) override;
    BOOL ReadFamilyRecords(const int* settingsAdds, const int* secondAdds) override;
    QString Extension() const override;

private:
    CVKRArchivData* Store() const;
    // Queues the state texts; false when the values must not be stored.
    bool QueueStateTexts(const CVKRAktData& values);

    BYTE m_bySettingsStamp = 0;
    CVKRConfig m_config;
    CIden m_iden;
    CVKRAktData m_values;
};
