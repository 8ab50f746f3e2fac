#pragma once

#include "platform/Time32.h"

#include <QString>

class CPristroj;
class CVKEData;
class CVKETarif;

namespace analysers_vk {

// What the analyser dialogs ask of an instrument entry. The dialogs hold
// this, not the entry, so that a test can script the instrument's answers
// and the pauses between tries cost no time.
class IVKEntryIo {
public:
    virtual ~IVKEntryIo() = default;

    virtual QString Name() const = 0;
    // The entry's instrument type (CPristroj::Type).
    virtual int Type() const = 0;

    virtual bool ReadTariff(CVKETarif& tariff) = 0;
    virtual bool WriteTariff(CVKETarif& tariff) = 0;
    virtual bool ReadEnergyData(CVKEData& data) = 0;
    virtual bool ResetEnergyMeter() = 0;
    // The instrument's clock: the VKT commands for a VKT, the VK ones else.
    virtual bool ReadClock(platform::CTime& time) = 0;
    virtual bool SetClock() = 0;
    // Synchronisation within the hour; retries by itself.
    virtual bool SyncClock() = 0;

    // Voltage ratio x current ratio of the instrument's live data (1 when
    // there is none).
    virtual double RatioProduct() const = 0;

    virtual void Sleep(int ms) = 0;
    virtual platform::CTime Now() const = 0;
};

// The real entry.
class CPristrojVKIo final : public IVKEntryIo {
public:
    explicit CPristrojVKIo(CPristroj& entry) : m_entry(entry) {}

    QString Name() const override;
    int Type() const override;
    bool ReadTariff(CVKETarif& tariff) override;
    bool WriteTariff(CVKETarif& tariff) override;
    bool ReadEnergyData(CVKEData& data) override;
    bool ResetEnergyMeter() override;
    bool ReadClock(platform::CTime& time) override;
    bool SetClock() override;
    bool SyncClock() override;
    double RatioProduct() const override;
    void Sleep(int ms) override;
    platform::CTime Now() const override;

private:
    CPristroj& m_entry;
};

} // namespace analysers_vk
