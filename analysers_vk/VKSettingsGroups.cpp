#include "analysers_vk/VKSettingsGroups.h"

#include "platform/Cp1250.h"

#include <algorithm>
#include <cstring>

namespace analysers_vk {

bool RunGroupPasses(const std::vector<std::function<bool()>>& requests, const std::function<void()>& yield,
                    std::vector<bool>* succeeded)
{
    std::vector<bool> done(requests.size(), false);
    for (int pass = 0; pass < 3; ++pass) {
        for (std::size_t i = 0; i < requests.size(); ++i) {
            if (done[i])
                continue;
            done[i] = requests[i]();
            if (!done[i] && yield)
                yield();
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

std::int64_t MemorySizeOf(const CVKStatus& status)
{
    // The ring's capacity in records, not the records it holds now: an empty
    // archive lasts as long as a full one.
    return std::int64_t(status.GetRecordSize()) * std::int64_t(status.GetCapacity());
}

bool ReadInstallationGroup(IVKSettingsIo& io, CVKConfig& config, QString& modem, CIden& iden)
{
    ModemBlock block{};
    bool blockRead = false;
    const bool ok = RunGroupPasses({[&] { return io.ReadConfig(config); },
                                    [&] { return blockRead = io.ReadModemBlock(block); },
                                    [&] { return io.ReadIdentification(iden); }},
                                   [&] { io.Yield(); });
    if (blockRead)
        modem = ModemTextOf(block);
    return ok;
}

bool WriteInstallationGroup(IVKSettingsIo& io, const CVKConfig& config, const QString& modem, bool& configWritten)
{
    const ModemBlock block = ModemBlockOf(modem);
    std::vector<bool> done;
    const bool ok = RunGroupPasses(
        {[&] { return io.WriteConfig(config); }, [&] { return io.WriteModemBlock(block); }}, [&] { io.Yield(); },
        &done);
    configWritten = done[0];
    return ok;
}

bool ReadOutputsGroup(IVKSettingsIo& io, CVKOutputConfig& outputs, CIden& iden, bool idenKnown)
{
    std::vector<std::function<bool()>> requests;
    if (!idenKnown)
        requests.push_back([&] { return io.ReadIdentification(iden); });
    requests.push_back([&] { return io.ReadOutputConfig(outputs, CIden(iden)); });
    return RunGroupPasses(requests, [&] { io.Yield(); });
}

bool WriteOutputsGroup(IVKSettingsIo& io, const CVKOutputConfig& outputs)
{
    return RunGroupPasses({[&] { return io.WriteOutputConfig(outputs); }}, [&] { io.Yield(); });
}

bool ReadRecordingGroup(IVKSettingsIo& io, CVKStatus& status, CVKNoteBook& notebook, CIden* iden)
{
    std::vector<std::function<bool()>> requests{[&] { return io.ReadStatus(status); },
                                                [&] { return io.ReadNoteBook(notebook); }};
    if (iden)
        requests.push_back([&io, iden] { return io.ReadIdentification(*iden); });
    return RunGroupPasses(requests, [&] { io.Yield(); });
}

bool WriteRecordingGroup(IVKSettingsIo& io, const CVKStatus& status, const CVKNoteBook& notebook,
                         bool& statusWritten, bool& clockSet)
{
    std::vector<bool> done;
    RunGroupPasses({[&] { return io.WriteStatus(status); }, [&] { return io.WriteNoteBook(notebook); },
                    [&] { return io.SetClock(); }},
                   [&] { io.Yield(); }, &done);
    statusWritten = done[0];
    clockSet = done[2];
    return done[0] && done[1];
}

} // namespace analysers_vk
