#pragma once

#include "analysers_vkt/VKTSettingsIo.h"
#include "model/Iden.h"
#include "model/VKTConfig.h"
#include "model/VKTNoteBook.h"
#include "model/VKTOutputConfig.h"
#include "model/VKTStatus.h"

#include <QString>

#include <functional>
#include <vector>

namespace analysers_vkt {

// The complete settings of a VKT analyser as the settings sheet holds them.
struct CVKTSettings {
    CVKTConfig config;
    CVKTStatus status;
    CVKTOutputConfig outputs;
    CVKTNoteBook notebook;
    CIden iden;
    QString modem;
};

// Each request once in turn, then the failed ones again, and what still
// failed a third time. `after(pass, index, ok)` runs after every try (pass
// 0..2), where the group makes its pauses. True when every request
// succeeded at last; `succeeded`, when given, tells which did.
bool RunPasses(const std::vector<std::function<bool()>>& requests,
               const std::function<void(int, std::size_t, bool)>& after, std::vector<bool>* succeeded = nullptr);

QString ModemTextOf(const ModemBlock& block);
ModemBlock ModemBlockOf(const QString& text);

// Limits of current outputs are held in the instrument in secondary units
// and shown in primary units: the ratio of an output whose quantity is the
// current; the fourth input's ratio when its phase choice is 3; 0 for an
// output that is not scaled. A ratio that is not positive counts as 1.
double LimitRatio(const CVKTOutputConfig& outputs, int i, const CVKTConfig& config);
bool NeedsRatio(const CVKTOutputConfig& outputs);
// Multiplies (toPrimary) or divides the set limits of current outputs.
// Dividing, a limit that is the primary image of `held`'s limit under the
// same ratio takes `held`'s limit: a float multiplied and divided again
// seldom comes back to the same bits.
void ScaleLimits(CVKTOutputConfig& outputs, const CVKTConfig& config, bool toPrimary,
                 const CVKTOutputConfig* held = nullptr);

bool ReadInstallationGroup(IVKTSettingsIo& io, CVKTConfig& config, QString& modem, CIden& iden);
// `configWritten` tells whether the configuration went through.
bool WriteInstallationGroup(IVKTSettingsIo& io, const CVKTConfig& config, const QString& modem,
                            bool& configWritten);
// The limits come back in primary units; `held`, when given, receives the
// record as the instrument holds it.
bool ReadOutputsGroup(IVKTSettingsIo& io, CVKTOutputConfig& outputs, CIden& iden, bool idenKnown,
                      CVKTOutputConfig* held = nullptr);
// `outputs` in primary units; the instrument's own ratios scale them back.
// A limit still showing what `held` (an earlier read) showed is sent as held.
bool WriteOutputsGroup(IVKTSettingsIo& io, const CVKTOutputConfig& outputs,
                       const CVKTOutputConfig* held = nullptr);
bool ReadRecordingGroup(IVKTSettingsIo& io, CVKTStatus& status, CVKTNoteBook& notebook);
// True when status and notebook were written and the clock was set.
bool WriteRecordingGroup(IVKTSettingsIo& io, const CVKTStatus& status, const CVKTNoteBook& notebook,
                         bool& statusWritten);

} // namespace analysers_vkt
