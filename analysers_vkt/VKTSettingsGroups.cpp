#include "analysers_vkt/VKTSettingsGroups.h"

#include "platform/Cp1250.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace analysers_vkt {

bool RunPasses(const std::vector<std::function<bool()>>& requests,
               const std::function<void(int, std::size_t, bool)>& after, std::vector<bool>* succeeded)
{
    std::vector<bool> done(requests.size(), false);
    for (int pass = 0; pass < 3; ++pass) {
        if (std::all_of(done.begin(), done.end(), [](bool d) { return d; }))
            break;
        for (std::size_t i = 0; i < requests.size(); ++i) {
            if (done[i])
                continue;
            done[i] = requests[i]();
            if (after)
                after(pass, i, done[i]);
        }
    }
    if (succeeded)
        *succeeded = done;
    return std::all_of(done.begin(), done.end(), [](bool d) { return d; });
}

QString ModemTextOf(const ModemBlock& block)
{
    const auto* begin = reinterpret_cast<const char*>(block.data());
    const void* zero = std::memchr(begin, 0, block.size() - 1);
    const qsizetype length = zero ? static_cast<const char*>(zero) - begin : qsizetype(block.size() - 1);
    return platform::FromCp1250(begin, length);
}

ModemBlock ModemBlockOf(const QString& text)
{
    ModemBlock block{};
    const QByteArray bytes = platform::ToCp1250(text);
    const std::size_t n = std::min<std::size_t>(std::size_t(bytes.size()), block.size() - 1);
    std::memcpy(block.data(), bytes.constData(), n);
    return block;
}

double LimitRatio(const CVKTOutputConfig& outputs, int i, const CVKTConfig& config)
{
    if (outputs.GetQuantity(i) != 2)
        return 0.0;
    const double ratio = outputs.GetFunction(i) == 3 ? config.GetCt4Ratio() : config.GetRatio();
    // A zero or broken ratio would send an infinite limit.
    return std::isfinite(ratio) && ratio > 0.0 ? ratio : 1.0;
}

bool NeedsRatio(const CVKTOutputConfig& outputs)
{
    return outputs.GetQuantity(0) == 2 || outputs.GetQuantity(1) == 2;
}

namespace {

float PrimaryOf(float secondary, double ratio)
{
    return float(secondary * ratio);
}

} // namespace

void ScaleLimits(CVKTOutputConfig& outputs, const CVKTConfig& config, bool toPrimary, const CVKTOutputConfig* held)
{
    for (int i = 0; i < 2; ++i) {
        const double ratio = LimitRatio(outputs, i, config);
        BOOL set = FALSE;
        float value = 0.0f;
        outputs.GetLimit(i, set, value);
        if (ratio == 0.0 || !set)
            continue;
        if (toPrimary) {
            outputs.SetLimit(i, TRUE, PrimaryOf(value, ratio));
            continue;
        }
        BOOL heldSet = FALSE;
        float heldValue = 0.0f;
        if (held)
            held->GetLimit(i, heldSet, heldValue);
        const bool asHeld = heldSet && LimitRatio(*held, i, config) == ratio && PrimaryOf(heldValue, ratio) == value;
        outputs.SetLimit(i, TRUE, asHeld ? heldValue : float(value / ratio));
    }
}

bool ReadInstallationGroup(IVKTSettingsIo& io, CVKTConfig& config, QString& modem, CIden& iden)
{
    ModemBlock block{};
    bool blockRead = false;
    const bool ok = RunPasses({[&] { return io.ReadConfig(config); },
                               [&] { return blockRead = io.ReadModemBlock(block); },
                               [&] { return io.ReadIdentification(iden); }},
                              [&](int, std::size_t, bool done) {
                                  if (!done)
                                      io.Sleep(0);
                              });
    if (blockRead)
        modem = ModemTextOf(block);
    return ok;
}

bool WriteInstallationGroup(IVKTSettingsIo& io, const CVKTConfig& config, const QString& modem, bool& configWritten)
{
    const ModemBlock block = ModemBlockOf(modem);
    std::vector<bool> done;
    const bool ok = RunPasses({[&] { return io.WriteConfig(config); }, [&] { return io.WriteModemBlock(block); }},
                              [&](int pass, std::size_t i, bool ok) {
                                  // The instrument needs time to take a new configuration.
                                  if (ok && i == 0 && pass != 1)
                                      io.Sleep(500);
                                  else if (!ok)
                                      io.Sleep(0);
                              },
                              &done);
    configWritten = done[0];
    return ok;
}

bool ReadOutputsGroup(IVKTSettingsIo& io, CVKTOutputConfig& outputs, CIden& iden, bool idenKnown,
                      CVKTOutputConfig* held)
{
    bool idenRead = idenKnown;
    bool outputsRead = false;
    CVKTConfig ratios;
    bool ratiosRead = false;
    std::vector<std::function<bool()>> requests;
    if (!idenKnown)
        requests.push_back([&] { return idenRead = io.ReadIdentification(iden); });
    requests.push_back([&] {
        // The outputs' reply depends on the identification.
        if (!idenRead)
            return false;
        return outputsRead = io.ReadOutputConfig(outputs);
    });
    requests.push_back([&] {
        if (!outputsRead)
            return false;
        if (!NeedsRatio(outputs) || ratiosRead)
            return true;
        return ratiosRead = io.ReadConfig(ratios);
    });
    const bool ok = RunPasses(requests, [&](int pass, std::size_t, bool done) {
        if (!done)
            io.Sleep(pass == 1 ? 1 : 0);
    });
    if (ok && held)
        *held = outputs;
    if (ok && ratiosRead)
        ScaleLimits(outputs, ratios, true);
    return ok;
}

bool WriteOutputsGroup(IVKTSettingsIo& io, const CVKTOutputConfig& outputs, const CVKTOutputConfig* held)
{
    CVKTOutputConfig secondary(outputs);
    if (NeedsRatio(outputs)) {
        CVKTConfig ratios;
        if (!RunPasses({[&] { return io.ReadConfig(ratios); }}, [&](int, std::size_t, bool done) {
                if (!done)
                    io.Sleep(0);
            }))
            return false;
        ScaleLimits(secondary, ratios, false, held);
    }
    return RunPasses({[&] { return io.WriteOutputConfig(secondary); }}, [&](int pass, std::size_t, bool done) {
        if (!done)
            io.Sleep(pass == 1 ? 300 : 0);
    });
}

bool ReadRecordingGroup(IVKTSettingsIo& io, CVKTStatus& status, CVKTNoteBook& notebook)
{
    return RunPasses({[&] { return io.ReadStatus(status); }, [&] { return io.ReadNoteBook(notebook); }},
                     [&](int, std::size_t, bool done) {
                         if (!done)
                             io.Sleep(0);
                     });
}

bool WriteRecordingGroup(IVKTSettingsIo& io, const CVKTStatus& status, const CVKTNoteBook& notebook,
                         bool& statusWritten)
{
    std::vector<bool> done;
    RunPasses({[&] { return io.WriteStatus(status); }, [&] { return io.WriteNoteBook(notebook); },
               [&] { return io.SetClock(); }},
              [&](int pass, std::size_t, bool ok) {
                  if (!ok && pass < 2)
                      io.Sleep(100);
              },
              &done);
    statusWritten = done[0];
    // A clock left wrong is a failure too: the records would carry its time.
    return done[0] && done[1] && done[2];
}

} // namespace analysers_vkt
