#pragma once

#include <QString>

class CIden;
class CPristroj;
class CVKRConfig;

namespace analysers_vk {

// What the VKR settings dialog asks of an instrument entry, one request per
// call; the dialog holds this, not the entry, so that tests script the
// answers.
class IVKRSettingsIo {
public:
    virtual ~IVKRSettingsIo() = default;

    virtual QString Name() const = 0;
    // The folder the settings files are offered in.
    virtual QString SettingsFolder() const = 0;
    virtual bool ReadConfig(CVKRConfig& config) = 0;
    virtual bool WriteConfig(const CVKRConfig& config) = 0;
    virtual bool ReadIdentification(CIden& iden) = 0;
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
