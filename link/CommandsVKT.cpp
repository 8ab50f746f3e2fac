// Requests of the VKT analyser, format B.
#include "link/Frames.h"
#include "link/Link.h"
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

BOOL CLink::ReadVKTValues(CAktData& values, WORD mask)
{
    const int dataLen = kMaskSize + CAktData::GetLiveRawSize(mask);
    const BYTE request[kMaskSize] = {BYTE(mask >> 8), BYTE(mask)};
    std::vector<BYTE> data(std::size_t(dataLen), 0);
    if (!ReadB(kReadValues, dataLen, platform::IDS_ERR_ACK_CHECKSUM, data.data(), request, kMaskSize))
        return FALSE;
    // The parts come from the mask the instrument echoes; a mask that does
    // not fit the reply's length leaves the record as it was.
    const WORD echoed = CPrevodTyp::GetWord(data.data());
    if (CAktData::GetLiveRawSize(echoed) != dataLen - kMaskSize) {
        SetError(platform::IDS_ERR_BAD_REPLY);
        return FALSE;
    }
    values.CreateParts(data.data(), dataLen);
    values.FromRawParts(data.data() + kMaskSize, dataLen - kMaskSize);
    return TRUE;
}

BOOL CLink::ReadVKTConfig(CVKTConfig& config)
{
    return ReadRecord(Format::B, kReadConfig, platform::IDS_ERR_CHECKSUM, config);
}

BOOL CLink::WriteVKTConfig(const CVKTConfig& config)
{
    return WriteRecord(Format::B, kWriteConfig, config);
}

BOOL CLink::ReadVKTStatus(CVKTStatus& status)
{
    return ReadRecord(Format::B, kReadStatus, platform::IDS_ERR_CHECKSUM, status);
}

BOOL CLink::WriteVKTStatus(const CVKTStatus& status)
{
    return WriteRecord(Format::B, kWriteStatus, status.GetArch());
}

BOOL CLink::ReadVKTNoteBook(CVKTNoteBook& notebook)
{
    return ReadRecord(Format::B, kReadNoteBook, platform::IDS_ERR_CHECKSUM, notebook);
}

BOOL CLink::WriteVKTNoteBook(const CVKTNoteBook& notebook)
{
    return WriteRecord(Format::B, kWriteNoteBook, notebook);
}

BOOL CLink::ReadVKTOutputConfig(CVKTOutputConfig& outputs)
{
    return ReadRecord(Format::B, kReadOutputs, platform::IDS_ERR_CHECKSUM, outputs);
}

BOOL CLink::WriteVKTOutputConfig(const CVKTOutputConfig& outputs)
{
    return WriteRecord(Format::B, kWriteOutputs, outputs);
}

BOOL CLink::ReadVKTInstallationBlock(BYTE* block)
{
    return ReadB(kReadInstallation, kVKTInstallationBlockSize, platform::IDS_ERR_CHECKSUM, block);
}

BOOL CLink::WriteVKTInstallationBlock(const BYTE* block)
{
    return WriteB(kWriteInstallation, block, kVKTInstallationBlockSize);
}

BOOL CLink::SetVKTTime()
{
    BYTE data[kClockImage] = {};
    PackClockBcd(m_services.clock->CurrentTime(), data);
    return WriteB(kSetTime, data, kClockImage);
}

BOOL CLink::GetVKTTime(CTime& time)
{
    BYTE data[kClockImage] = {};
    if (!ReadB(kGetTime, kClockImage, platform::IDS_ERR_ACK_CHECKSUM, data))
        return FALSE;
    time = UnpackClockBcd(data);
    return TRUE;
}

BOOL CLink::SyncVKTClock(BYTE& result)
{
    const WORD s = SecondsPastHour();
    const BYTE data[] = {BYTE(s >> 8), BYTE(s), kSyncTrailer};
    return WriteB(kSyncClock, data, int(sizeof data), platform::IDS_ERR_ACK_CHECKSUM, &result);
}

BOOL CLink::ReadVKTTariff(CVKTETarif& tariff)
{
    return ReadRecord(Format::B, kReadTariff, platform::IDS_ERR_ACK_CHECKSUM, tariff);
}

BOOL CLink::WriteVKTTariff(const CVKTETarif& tariff)
{
    return WriteRecord(Format::B, kWriteTariff, tariff);
}

BOOL CLink::ReadVKTEnergyData(CVKTEDataRec& data)
{
    BYTE image[CVKTEDataRec::kImageSize] = {};
    if (!ReadB(kReadEnergy, CVKTEDataRec::kImageSize, platform::IDS_ERR_ACK_CHECKSUM, image, &kEnergyReading, 1,
               true))
        return FALSE;
    data.FromRaw(image);
    return TRUE;
}

BOOL CLink::ReadVKTEnergyTotals(CVKTEData& totals, BYTE code)
{
    BYTE image[CVKTEData::kImageSize] = {};
    if (!ReadB(kReadEnergy, CVKTEData::kImageSize, platform::IDS_ERR_ACK_CHECKSUM, image, &code, 1, true))
        return FALSE;
    totals.FromRaw(image);
    return TRUE;
}

BOOL CLink::ResetVKTEnergyMeter(BYTE code)
{
    return WriteB(kResetEnergy, &code, 1);
}

int CLinkManager::SyncVKTClock(DWORD id)
{
    BYTE result = 0;
    return Request(id, [&](CLink& link) { return link.SyncVKTClock(result); }) ? result : -1;
}

