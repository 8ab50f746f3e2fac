#pragma once

#include "model/PrevodTyp.h"

#include <QString>

#include <array>

class CIden;
class CPristroj;
class CVKTConfig;
class CVKTNoteBook;
class CVKTOutputConfig;
class CVKTStatus;

namespace analysers_vkt {

// The instrument block that holds the modem initialisation text: at most
// 31 characters and a terminating zero.
using ModemBlock = std::array<BYTE, 32>;

// What the VKT settings sheet asks of an instrument entry, one request per
// call. The sheet holds this, not the entry, so that tests script the
// answers and the pauses cost no time.
class IVKTSettingsIo {
public:
    virtual ~IVKTSettingsIo() = default;

    virtual QString Name() const = 0;
    // The folder the settings files are offered in.
    virtual QString SettingsFolder() const = 0;

    virtual bool ReadConfig(CVKTConfig& config) = 0;
    virtual bool WriteConfig(const CVKTConfig& config) = 0;
    virtual bool ReadModemBlock(ModemBlock& block) = 0;
    virtual bool WriteModemBlock(const ModemBlock& block) = 0;
    virtual bool ReadIdentification(CIden& iden) = 0;
    virtual bool ReadOutputConfig(CVKTOutputConfig& outputs) = 0;
    virtual bool WriteOutputConfig(const CVKTOutputConfig& outputs) = 0;
    virtual bool ReadStatus(CVKTStatus& status) = 0;
    virtual bool WriteStatus(const CVKTStatus& status) = 0;
    virtual bool ReadNoteBook(CVKTNoteBook& notebook) = 0;
    virtual bool WriteNoteBook(const CVKTNoteBook& notebook) = 0;
    // The instrument clock to the computer's time.
    virtual bool SetClock() = 0;

    // Tells the measurement thread (when there is one) to resynchronise.
    virtual void PostResync() = 0;
    // Archive records of what was sent (after the send).
    virtual void QueueConfigRecord(const CVKTConfig& config) = 0;
    virtual void QueueEvent(const QString& text) = 0;

    // A pause between tries; 0 gives up the time slice.
    virtual void Sleep(int ms) = 0;
};

// The real entry.
class CPristrojVKTSettingsIo final : public IVKTSettingsIo {
public:
    explicit CPristrojVKTSettingsIo(CPristroj& entry) : m_entry(entry) {}

    QString Name() const override;
    QString SettingsFolder() const override;
    bool ReadConfig(CVKTConfig& config) override;
    bool WriteConfig(const CVKTConfig& config) override;
    bool ReadModemBlock(ModemBlock& block) override;
    bool WriteModemBlock(const ModemBlock& block) override;
    bool ReadIdentification(CIden& iden) override;
    bool ReadOutputConfig(CVKTOutputConfig& outputs) override;
    bool WriteOutputConfig(const CVKTOutputConfig& outputs) override;
    bool ReadStatus(CVKTStatus& status) override;
    bool WriteStatus(const CVKTStatus& status) override;
    bool ReadNoteBook(CVKTNoteBook& notebook) override;
    bool WriteNoteBook(const CVKTNoteBook& notebook) override;
    bool SetClock() override;
    void PostResync() override;
    void QueueConfigRecord(const CVKTConfig& config) override;
    void QueueEvent(const QString& text) override;
    void Sleep(int ms) override;

private:
    CPristroj& m_entry;
};

} // namespace analysers_vkt
