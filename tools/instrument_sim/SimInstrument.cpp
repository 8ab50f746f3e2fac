#include "tools/instrument_sim/SimInstrument.h"

namespace sim {

namespace {

constexpr std::uint8_t kIdentification = 0x01;

std::uint16_t FamilyWord(Family family)
{
    return family == Family::Qorin || family == Family::Duskar ? 64 : 48;
}

// The model word: a VKT44 for the VKT (models 0x2000 to 0x2514); the
// others keep theirs.
std::uint16_t ModelWord(Family family)
{
    return family == Family::VKT ? 0x2000 : 0x0102;
}

} // namespace

Format DefaultFormat(Family family)
{
    return family == Family::VKT ? Format::B : Format::A;
}

Instrument::Instrument(Family family, std::uint8_t address) : Instrument(family, address, DefaultFormat(family)) {}

Instrument::Instrument(Family family, std::uint8_t address, Format format)
    : m_family(family), m_address(address), m_format(format)
{
    const std::uint16_t serial = std::uint16_t(1000 + address);
    const std::uint16_t familyWord = FamilyWord(family);
    const std::uint16_t model = ModelWord(family);
    identification = {std::uint8_t(serial >> 8), std::uint8_t(serial), std::uint8_t(model >> 8), std::uint8_t(model),
                      std::uint8_t(familyWord >> 8), std::uint8_t(familyWord), 0x00, 0x21,
                      0x05, 0x06, 0x07, 0x08, 0x09, 0x0A};

    m_commands[kIdentification] = [](Instrument& self, const Frame&) {
        return Response::Data(Bytes(self.identification.begin(), self.identification.end()));
    };
    InstallFamily(*this);
}

void Instrument::SetCommand(std::uint8_t command, CommandHandler handler)
{
    if (handler)
        m_commands[command] = std::move(handler);
    else
        m_commands.erase(command);
}

void Instrument::SetVersion(std::uint16_t version)
{
    identification[6] = std::uint8_t(version >> 8);
    identification[7] = std::uint8_t(version & 0xFF);
}

Response Instrument::Handle(const Frame& frame)
{
    ++requestCount;
    // A format-B instrument still answers the identification asked in
    // format A (in its own format); nothing else of the other format.
    if (frame.format != m_format && !(m_format == Format::B && frame.command == kIdentification))
        return Response::None();
    const auto it = m_commands.find(frame.command);
    if (it == m_commands.end())
        return Response::None();
    return it->second(*this, frame);
}

CommandHandler ReadBlock(std::uint8_t readCommand)
{
    return [readCommand](Instrument& self, const Frame&) { return Response::Data(self.blocks[readCommand]); };
}

CommandHandler WriteBlock(std::uint8_t readCommand)
{
    return [readCommand](Instrument& self, const Frame& frame) {
        Bytes& block = self.blocks[readCommand];
        if (frame.data.size() != block.size())
            return Response::None();
        block = frame.data;
        return Response::Ack();
    };
}

bool ParseFamily(const std::string& name, Family& family)
{
    static const std::map<std::string, Family> kNames = {
        {"qorin", Family::Qorin}, {"duskar", Family::Duskar}, {"vk", Family::VK},
        {"vkr", Family::VKR}, {"vkt", Family::VKT},
    };
    const auto it = kNames.find(name);
    if (it == kNames.end())
        return false;
    family = it->second;
    return true;
}

} // namespace sim
