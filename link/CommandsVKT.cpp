#include "link/CommandsVKT.h"

#include "link/LinkManager.h"

#include "model/AktData.h"
#include "model/VKTConfig.h"
#include "model/VKTEnergy.h"
#include "model/VKTNoteBook.h"
#include "model/VKTOutputConfig.h"
#include "model/VKTPackedTime.h"
#include "model/VKTStatus.h"

#include <vector>

namespace {

constexpr BYTE kSetTime = 0x10;
constexpr BYTE kGetTime = 0x11;
constexpr BYTE kSyncClock = 0x12;
constexpr BYTE kReadStatus = 0x14;
constexpr BYTE kReadNoteBook = 0x1F;
constexpr BYTE kWriteNoteBook = 0x20;
constexpr BYTE kWriteStatus = 0x23;
constexpr BYTE kReadConfig = 0x26;
constexpr BYTE kWriteConfig = 0x27;
constexpr BYTE kReadInstallation = 0x28;
constexpr BYTE kWriteInstallation = 0x29;
constexpr BYTE kReadOutputs = 0x30;
constexpr BYTE kWriteOutputs = 0x31;
constexpr BYTE kReadTariff = 0x32;
constexpr BYTE kWriteTariff = 0x33;
constexpr BYTE kReadEnergy = 0x34;
constexpr BYTE kResetEnergy = 0x35;
constexpr BYTE kReadValues = 0x3A;

constexpr int kClockImage = 7;
// The byte behind the seconds in the synchronisation request.
constexpr BYTE kSyncTrailer = 7;
// The energy request's data byte that asks for the meter reading with its
// maxima rather than the registers alone.
constexpr BYTE kEnergyReading = 0;
constexpr int kMaskSize = 2;

} // namespace

namespace commands {

BOOL ReadVKTValues(CLink& link, CAktData& values, WORD mask)
{
    const int dataLen = kMaskSize + CAktData::GetLiveRawSize(mask);
    const BYTE request[kMaskSize] = {BYTE(mask >> 8), BYTE(mask)};
    std::vector<BYTE> data(std::size_t(dataLen), 0);
    if (!link.ReadB(kReadValues, dataLen, platform::IDS_ERR_ACK_CHECKSUM, data.data(), request, kMaskSize))
        return FALSE;
    // The parts come from the mask the instrument echoes; a mask that does
    // not fit the reply's length leaves the record as it was.
    const WORD echoed = CPrevodTyp::GetWord(data.data());
    if (CAktData::GetLiveRawSize(echoed) != dataLen - kMaskSize) {
        link.SetError(platform::IDS_ERR_BAD_REPLY);
        return FALSE;
    }
    values.CreateParts(data.data(), dataLen);
    values.FromRawParts(data.data() + kMaskSize, dataLen - kMaskSize);
    return TRUE;
}

BOOL ReadVKTConfig(CLink& link, CVKTConfig& config)
{
    return link.ReadRecord(CLink::Format::B, kReadConfig, platform::IDS_ERR_CHECKSUM, config);
}

BOOL WriteVKTConfig(CLink& link, const CVKTConfig& config)
{
    return link.WriteRecord(CLink::Format::B, kWriteConfig, config);
}

BOOL ReadVKTStatus(CLink& link, CVKTStatus& status)
{
    return link.ReadRecord(CLink::Format::B, kReadStatus, platform::IDS_ERR_CHECKSUM, status);
}

BOOL WriteVKTStatus(CLink& link, const CVKTStatus& status)
{
    return link.WriteRecord(CLink::Format::B, kWriteStatus, status.GetArch());
}

BOOL ReadVKTNoteBook(CLink& link, CVKTNoteBook& notebook)
{
    return link.ReadRecord(CLink::Format::B, kReadNoteBook, platform::IDS_ERR_CHECKSUM, notebook);
}

BOOL WriteVKTNoteBook(CLink& link, const CVKTNoteBook& notebook)
{
    return link.WriteRecord(CLink::Format::B, kWriteNoteBook, notebook);
}

BOOL ReadVKTOutputConfig(CLink& link, CVKTOutputConfig& outputs)
{
    return link.ReadRecord(CLink::Format::B, kReadOutputs, platform::IDS_ERR_CHECKSUM, outputs);
}

BOOL WriteVKTOutputConfig(CLink& link, const CVKTOutputConfig& outputs)
{
    return link.WriteRecord(CLink::Format::B, kWriteOutputs, outputs);
}

BOOL ReadVKTInstallationBlock(CLink& link, BYTE* block)
{
    return link.ReadB(kReadInstallation, kVKTInstallationBlockSize, platform::IDS_ERR_CHECKSUM, block);
}

BOOL WriteVKTInstallationBlock(CLink& link, const BYTE* block)
{
    return link.WriteB(kWriteInstallation, block, kVKTInstallationBlockSize);
}

BOOL SetVKTTime(CLink& link)
{
    BYTE data[kClockImage] = {};
    PackClockBcd(link.CurrentTime(), data);
    return link.WriteB(kSetTime, data, kClockImage);
}

BOOL GetVKTTime(CLink& link, CTime& time)
{
    BYTE data[kClockImage] = {};
    if (!link.ReadB(kGetTime, kClockImage, platform::IDS_ERR_ACK_CHECKSUM, data))
        return FALSE;
    time = UnpackClockBcd(data);
    return TRUE;
}

BOOL SyncVKTClock(CLink& link, BYTE& result)
{
    const WORD s = link.SecondsPastHour();
    const BYTE data[] = {BYTE(s >> 8), BYTE(s), kSyncTrailer};
    return link.WriteB(kSyncClock, data, int(sizeof data), platform::IDS_ERR_ACK_CHECKSUM, &result);
}

BOOL ReadVKTTariff(CLink& link, CVKTETarif& tariff)
{
    return link.ReadRecord(CLink::Format::B, kReadTariff, platform::IDS_ERR_ACK_CHECKSUM, tariff);
}

BOOL WriteVKTTariff(CLink& link, const CVKTETarif& tariff)
{
    return link.WriteRecord(CLink::Format::B, kWriteTariff, tariff);
}

BOOL ReadVKTEnergyData(CLink& link, CVKTEDataRec& data)
{
    BYTE image[CVKTEDataRec::kImageSize] = {};
    if (!link.ReadB(kReadEnergy, CVKTEDataRec::kImageSize, platform::IDS_ERR_ACK_CHECKSUM, image, &kEnergyReading, 1,
               true))
        return FALSE;
    data.FromRaw(image);
    return TRUE;
}

BOOL ReadVKTEnergyTotals(CLink& link, CVKTEData& totals, BYTE code)
{
    BYTE image[CVKTEData::kImageSize] = {};
    if (!link.ReadB(kReadEnergy, CVKTEData::kImageSize, platform::IDS_ERR_ACK_CHECKSUM, image, &code, 1, true))
        return FALSE;
    totals.FromRaw(image);
    return TRUE;
}

BOOL ResetVKTEnergyMeter(CLink& link, BYTE code)
{
    return link.WriteB(kResetEnergy, &code, 1);
}

} // namespace commands

int CLinkManager::SyncVKTClock(DWORD id)
{
    BYTE result = 0;
    return Request(id, commands::SyncVKTClock, result) ? result : -1;
}

