#pragma once

#include "model/PrevodTyp.h"

#include <QString>

#include <array>

class CIden;
class CPristroj;
class CVKConfig;
class CVKNoteBook;
class CVKOutputConfig;
class CVKStatus;

namespace analysers_vk {

// The instrument block that holds the modem initialisation text: at most
// 63 characters and a terminating zero.
using ModemBlock = std::array<BYTE, 64>;

// What the VK settings sheet asks of an instrument entry, one request per
// call. The sheet holds this, not the entry, so that tests script the
// answers.
class IVKSettingsIo {
public:
    virtual ~IVKSettingsIo() = default;

    virtual QString Name() const = 0;
    // The folder the settings files are offered in.
    virtual QString SettingsFolder() const = 0;

    virtual bool ReadConfig(CVKConfig& config) = 0;
    virtual bool WriteConfig(const CVKConfig& config) = 0;
    virtual bool ReadModemBlock(ModemBlock& block) = 0;
    virtual bool WriteModemBlock(const ModemBlock& block) = 0;
    virtual bool ReadIdentification(CIden& iden) = 0;
    // The firmware version of `iden` chooses the reply length.
    virtual bool ReadOutputConfig(CVKOutputConfig& outputs, const CIden& iden) = 0;
    virtual bool WriteOutputConfig(const CVKOutputConfig& outputs) = 0;
    virtual bool ReadStatus(CVKStatus& status) = 0;
    virtual bool WriteStatus(const CVKStatus& status) = 0;
    virtual bool ReadNoteBook(CVKNoteBook& notebook) = 0;
    virtual bool WriteNoteBook(const CVKNoteBook& notebook) = 0;
    // The instrument clock to the computer's time.
    virtual bool SetClock() = 0;

    // Tells the measurement thread (when there is one) to resynchronise.
    virtual void PostResync() = 0;
    // Archive records of what was sent (GUI thread, after the send).
    virtual void QueueConfigRecord(const CVKConfig& config) = 0;
    virtual void QueueEvent(const QString& text) = 0;

    // Gives up the thread's time slice after a failed try.
    virtual void Yield() = 0;
};

// The real entry.
class CPristrojVKSettingsIo final : public IVKSettingsIo {
public:
    explicit CPristrojVKSettingsIo(CPristroj& entry) : m_entry(entry) {}

    QString Name() const override;
    QString SettingsFolder() const override;
    bool ReadConfig(CVKConfig& config) override;
    bool WriteConfig(const CVKConfig& config) override;
    bool ReadModemBlock(ModemBlock& block) override;
    bool WriteModemBlock(const ModemBlock& block) override;
    bool ReadIdentification(CIden& iden) override;
    bool ReadOutputConfig(CVKOutputConfig& outputs, const CIden& iden) override;
    bool WriteOutputConfig(const CVKOutputConfig& outputs) override;
    bool ReadStatus(CVKStatus& status) override;
    bool WriteStatus(const CVKStatus& status) override;
    bool ReadNoteBook(CVKNoteBook& notebook) override;
    bool WriteNoteBook(const CVKNoteBook& notebook) override;
    bool SetClock() override;
    void PostResync() override;
    void QueueConfigRecord(const CVKConfig& config) override;
    void QueueEvent(const QString& text) override;
    void Yield() override;

private:
    CPristroj& m_entry;
};

} // namespace analysers_vk
