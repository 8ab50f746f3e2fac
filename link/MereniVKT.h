#pragma once

#include "link/MereniVK.h"
#include "model/AktData.h"
#include "model/VKTConfig.h"

class CVKTArchivData;

// The VKT network analyser: live values by selection word, settings and
// identification on a settings change, its state texts, the clock, and the
// meter record on the archive's interval clock, whose attempts all VKT
// threads pace together.
class CVKTMereni : public CMereni {
public:
    static constexpr int kHoldSeconds = 20;

    explicit CVKTMereni(std::shared_ptr<CLinkEnvironment> env = nullptr);

protected:
    int Poll(BOOL late) override;
    bool OnIdle(long count) override;
    int OnTimeHook() override;
    BOOL ReadFamilyRecords(const int* settingsAdds, const int* secondAdds) override;
    QString Extension() const override;
    void SetGraceForLine() override;

private:
    CVKTArchivData* Store() const;
    // Queues the state texts and limits the overload flags to the selected
    // inputs; false when the values must not be stored.
    bool QueueStateTexts(CAktData& values);
    void SyncClock();
    void EnergyStep();

    CClockSync m_sync;
    platform::CTime m_tHold;
    BYTE m_bySettingsStamp = 0;
    int m_nEnergyTries = 0;
    CVKTConfig m_config;
    CIden m_iden;
    CAktData m_values;
};
