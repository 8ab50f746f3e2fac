#pragma once

#include <QString>

class CIden;
class CPristroj;

namespace analysers_vk {

// What an analyser's settings sheet or dialog asks of its instrument entry,
// one request per call. The sheet holds this, not the entry, so that tests
// script the answers.
template <class Config>
class IAnalyserSettingsIo {
public:
    virtual ~IAnalyserSettingsIo() = default;

    virtual QString Name() const = 0;
    // The folder the settings files are offered in.
    virtual QString SettingsFolder() const = 0;
    virtual bool ReadConfig(Config& config) = 0;
    virtual bool WriteConfig(const Config& config) = 0;
    virtual bool ReadIdentification(CIden& iden) = 0;
};

// What the VK and VKT sheets ask beyond: the modem block, the outputs, the
// recording status and notebook, the clock, and what is sent going into the
// archive. Reading the outputs is the family's own.
template <class Config, class Outputs, class Status, class NoteBook, class ModemBlock>
class IAnalyserGroupsIo : public IAnalyserSettingsIo<Config> {
public:
    virtual bool ReadModemBlock(ModemBlock& block) = 0;
    virtual bool WriteModemBlock(const ModemBlock& block) = 0;
    virtual bool WriteOutputConfig(const Outputs& outputs) = 0;
    virtual bool ReadStatus(Status& status) = 0;
    virtual bool WriteStatus(const Status& status) = 0;
    virtual bool ReadNoteBook(NoteBook& notebook) = 0;
    virtual bool WriteNoteBook(const NoteBook& notebook) = 0;
    // The instrument clock to the computer's time.
    virtual bool SetClock() = 0;

    // Tells the measurement thread (when there is one) to resynchronise.
    virtual void PostResync() = 0;
    // Archive records of what was sent (GUI thread, after the send).
    virtual void QueueConfigRecord(const Config& config) = 0;
    virtual void QueueEvent(const QString& text) = 0;
};

// What the real entries' adapters share.
QString EntrySettingsFolder(const CPristroj& entry);
void PostEntryResync(CPristroj& entry);
void QueueEntryEvent(CPristroj& entry, const QString& text);

} // namespace analysers_vk
