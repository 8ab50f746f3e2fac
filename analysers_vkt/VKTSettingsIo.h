#pragma once

#include "analysers_vk/AnalyserSettingsIo.h"
#include "model/PrevodTyp.h"

#include <array>

class CVKTConfig;
class CVKTNoteBook;
class CVKTOutputConfig;
class CVKTStatus;

namespace analysers_vkt {

// The instrument block that holds the modem initialisation text: at most
// 31 characters and a terminating zero.
using ModemBlock = std::array<BYTE, 32>;

// What the VKT settings sheet asks of an instrument entry; the pauses
// between tries are its own, so tests keep them from costing time.
class IVKTSettingsIo
    : public analysers_vk::IAnalyserGroupsIo<CVKTConfig, CVKTOutputConfig, CVKTStatus, CVKTNoteBook, ModemBlock> {
public:
    virtual bool ReadOutputConfig(CVKTOutputConfig& outputs) = 0;
    // A pause between tries; 0 gives up the time slice.
    virtual void Sleep(int ms) = 0;
    // What the link says of its last failure; empty when it says nothing.
    virtual QString ErrorText() const { return QString(); }
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
    QString ErrorText() const override;

private:
    CPristroj& m_entry;
};

} // namespace analysers_vkt
