#pragma once

#include "analysers_vk/VKSettingsIo.h"
#include "model/Iden.h"
#include "model/VKConfig.h"
#include "model/VKNoteBook.h"
#include "model/VKOutputConfig.h"
#include "model/VKStatus.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace analysers_vk {

// The complete settings of a VK analyser as the settings sheet holds them.
struct CVKSettings {
    CVKConfig config;
    CVKOutputConfig outputs;
    CVKStatus status;
    CVKNoteBook notebook;
    QString modem;
    CIden iden;
};

// Each request once in turn, then the failed ones again, and what still
// failed a third time; `yield` after every failed try. True when every
// request succeeded at last. `succeeded`, when given, tells which did.
bool RunGroupPasses(const std::vector<std::function<bool()>>& requests, const std::function<void()>& yield,
                    std::vector<bool>* succeeded = nullptr);

// The modem text of the instrument's block: up to the first zero, at most
// 63 characters even when the block holds no zero.
QString ModemTextOf(const ModemBlock& block);
// The text in a zeroed block: at most 63 characters, always terminated.
ModemBlock ModemBlockOf(const QString& text);

// The instrument's memory in bytes: record size x record count, in 64 bits.
std::int64_t MemorySizeOf(const CVKStatus& status);

// The three groups' requests; each runs on the calling thread.
bool ReadInstallationGroup(IVKSettingsIo& io, CVKConfig& config, QString& modem, CIden& iden);
// `configWritten` tells whether the configuration went through (the archive
// then gets its record even when the modem text failed).
bool WriteInstallationGroup(IVKSettingsIo& io, const CVKConfig& config, const QString& modem,
                            bool& configWritten);
bool ReadOutputsGroup(IVKSettingsIo& io, CVKOutputConfig& outputs, CIden& iden, bool idenKnown);
bool WriteOutputsGroup(IVKSettingsIo& io, const CVKOutputConfig& outputs);
// `iden` null: the identification is not read.
bool ReadRecordingGroup(IVKSettingsIo& io, CVKStatus& status, CVKNoteBook& notebook, CIden* iden);
// True when status and notebook were written; `statusWritten` and
// `clockSet` tell the parts.
bool WriteRecordingGroup(IVKSettingsIo& io, const CVKStatus& status, const CVKNoteBook& notebook,
                         bool& statusWritten, bool& clockSet);

} // namespace analysers_vk
