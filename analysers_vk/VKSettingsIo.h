#pragma once

#include "analysers_vk/AnalyserSettingsIo.h"
#include "model/PrevodTyp.h"

#include <array>

class CVKConfig;
class CVKNoteBook;
class CVKOutputConfig;
class CVKStatus;

namespace analysers_vk {

// The instrument block that holds the modem initialisation text: at most
// 63 characters and a terminating zero.
using ModemBlock = std::array<BYTE, 64>;

// What the VK settings sheet asks of an instrument entry.
class IVKSettingsIo : public IAnalyserGroupsIo<CVKConfig, CVKOutputConfig, CVKStatus, CVKNoteBook, ModemBlock> {
public:
    // The firmware version of `iden` chooses the reply length.
    virtual bool ReadOutputConfig(CVKOutputConfig& outputs, const CIden& iden) = 0;
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
