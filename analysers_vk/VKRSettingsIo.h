#pragma once

#include "analysers_vk/AnalyserSettingsIo.h"

class CVKRConfig;

namespace analysers_vk {

// What the VKR settings dialog asks of an instrument entry.
class IVKRSettingsIo : public IAnalyserSettingsIo<CVKRConfig> {
public:
    // Gives up the thread's time slice after a failed try.
    virtual void Yield() = 0;
};

// The real entry.
class CPristrojVKRSettingsIo final : public IVKRSettingsIo {
public:
    explicit CPristrojVKRSettingsIo(CPristroj& entry) : m_entry(entry) {}

    QString Name() const override;
    QString SettingsFolder() const override;
    bool ReadConfig(CVKRConfig& config) override;
    bool WriteConfig(const CVKRConfig& config) override;
    bool ReadIdentification(CIden& iden) override;
    void Yield() override;

private:
    CPristroj& m_entry;
};

} // namespace analysers_vk
