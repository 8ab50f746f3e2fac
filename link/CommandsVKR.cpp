// Requests of the VKR analyser, format A.
#include "link/Link.h"
#include "link/LinkManager.h"

#include "model/VKRAktData.h"
#include "model/VKRConfig.h"

namespace {

constexpr BYTE kReadConfig = 0x16;
constexpr BYTE kWriteConfig = 0x17;
constexpr BYTE kReadValues = 0x3A;

} // namespace

BOOL CLink::ReadVKRConfig(CVKRConfig& config)
{
    return ReadRecord(Format::A, kReadConfig, platform::IDS_ERR_CHECKSUM, config);
}

BOOL CLink::WriteVKRConfig(const CVKRConfig& config)
{
    return WriteRecord(Format::A, kWriteConfig, config);
}

BOOL CLink::ReadVKRValues(CVKRAktData& values)
{
    return ReadRecord(Format::A, kReadValues, platform::IDS_ERR_ACK_CHECKSUM, values);
}

