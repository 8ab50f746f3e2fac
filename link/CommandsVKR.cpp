#include "link/CommandsVKR.h"

#include "model/VKRAktData.h"
#include "model/VKRConfig.h"

namespace {

constexpr BYTE kReadConfig = 0x16;
constexpr BYTE kWriteConfig = 0x17;
constexpr BYTE kReadValues = 0x3A;

} // namespace

namespace commands {

BOOL ReadVKRConfig(CLink& link, CVKRConfig& config)
{
    return link.ReadRecord(CLink::Format::A, kReadConfig, platform::IDS_ERR_CHECKSUM, config);
}

BOOL WriteVKRConfig(CLink& link, const CVKRConfig& config)
{
    return link.WriteRecord(CLink::Format::A, kWriteConfig, config);
}

BOOL ReadVKRValues(CLink& link, CVKRAktData& values)
{
    return link.ReadRecord(CLink::Format::A, kReadValues, platform::IDS_ERR_ACK_CHECKSUM, values);
}

} // namespace commands
