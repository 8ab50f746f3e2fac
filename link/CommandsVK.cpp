// Requests of the VK analyser, format A.
#include "link/Frames.h"
#include "link/Link.h"
#include "link/LinkManager.h"

#include "model/Iden.h"
#include "model/VKAktData.h"
#include "model/VKConfig.h"
#include "model/VKEnergy.h"
#include "model/VKNoteBook.h"
#include "model/VKOutputConfig.h"
#include "model/VKStatus.h"

#include <cstring>

namespace {

constexpr BYTE kSetTime = 0x10;
constexpr BYTE kGetTime = 0x11;
constexpr BYTE kSyncClock = 0x12;
constexpr BYTE kReadStatus = 0x14;
constexpr BYTE kArchiveControl = 0x1C;
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

// The instrument keeps its notebook in six pages of 128 bytes; the pages of
// the record beyond them travel only with saved settings.
constexpr int kNoteBookPages = 6;
constexpr int kClockImage = 6;
// The byte behind the seconds in the synchronisation request.
constexpr BYTE kSyncTrailer = 6;

// The recording settings in the status write: runs of the 52-byte image.
struct StatusRun {
    int offset;
    int length;
};
constexpr StatusRun kStatusWriteRuns[] = {{6, 10}, {40, 2}, {34, 6}, {3, 4}, {48, 4}};
constexpr int kStatusWriteSize = 26;

} // namespace

BOOL CLink::ReadVKConfig(CVKConfig& config)
{
    return ReadRecord(Format::A, kReadConfig, platform::IDS_ERR_CHECKSUM, config);
}

BOOL CLink::WriteVKConfig(const CVKConfig& config)
{
    return WriteRecord(Format::A, kWriteConfig, config);
}

BOOL CLink::ReadVKOutputConfig(CVKOutputConfig& outputs, const CIden& iden)
{
    const bool longLayout = iden.version > CVKOutputConfig::kLastShortFirmware;
    BYTE data[CVKOutputConfig::kLongImageSize] = {};
    const int size = longLayout ? CVKOutputConfig::kLongImageSize : CVKOutputConfig::kShortImageSize;
    if (!ReadA(kReadOutputs, size, platform::IDS_ERR_CHECKSUM, data))
        return FALSE;
    if (longLayout)
        outputs.FromRawLong(data);
    else
        outputs.FromRawShort(data);
    return TRUE;
}

BOOL CLink::WriteVKOutputConfig(const CVKOutputConfig& outputs)
{
    BYTE data[CVKOutputConfig::kLongImageSize] = {};
    outputs.ToRaw(data);
    return WriteA(kWriteOutputs, data, CVKOutputConfig::kLongImageSize);
}

BOOL CLink::ReadVKStatus(CVKStatus& status)
{
    return ReadRecord(Format::A, kReadStatus, platform::IDS_ERR_CHECKSUM, status);
}

BOOL CLink::WriteVKStatus(const CVKStatus& status)
{
    BYTE image[CVKStatus::kImageSize] = {};
    status.ToRaw(image);
    BYTE data[kStatusWriteSize] = {};
    int n = 0;
    for (const StatusRun& run : kStatusWriteRuns) {
        std::memcpy(data + n, image + run.offset, std::size_t(run.length));
        n += run.length;
    }
    return WriteA(kWriteStatus, data, n);
}

BOOL CLink::ReadVKNoteBook(CVKNoteBook& notebook)
{
    // The page number, then a byte the instrument adds before the page.
    constexpr int kReplyData = 1 + CVKNoteBook::kPageSize;
    for (int page = 0; page < kNoteBookPages; ++page) {
        const BYTE request = BYTE(page);
        BYTE data[kReplyData] = {};
        if (!Prepare()
            || !ExchangeA(kReadNoteBook, &request, 1, kReplyData + frames::kOverheadA, platform::IDS_ERR_CHECKSUM,
                          data))
            return FALSE;
        notebook.FromRawPage(page, data + 1);
    }
    return TRUE;
}

BOOL CLink::WriteVKNoteBook(const CVKNoteBook& notebook)
{
    for (int page = 0; page < kNoteBookPages; ++page) {
        BYTE data[1 + CVKNoteBook::kPageSize] = {};
        data[0] = BYTE(page);
        notebook.ToRawPage(page, data + 1);
        // The instrument acknowledges a page by its number.
        BYTE echoed = 0;
        if (!Prepare()
            || !ExchangeA(kWriteNoteBook, data, int(sizeof data), 1 + frames::kOverheadA,
                          platform::IDS_ERR_ACK_CHECKSUM, &echoed))
            return FALSE;
        if (echoed != BYTE(page)) {
            SetError(platform::IDS_ERR_BAD_REPLY);
            return FALSE;
        }
    }
    return TRUE;
}

BOOL CLink::ReadVKInstallationBlock(BYTE* block)
{
    return ReadA(kReadInstallation, kVKInstallationBlockSize, platform::IDS_ERR_CHECKSUM, block);
}

BOOL CLink::WriteVKInstallationBlock(const BYTE* block)
{
    return WriteA(kWriteInstallation, block, kVKInstallationBlockSize);
}

BOOL CLink::ReadVKValues(CVKAktData& values)
{
    return ReadRecord(Format::A, kReadValues, platform::IDS_ERR_ACK_CHECKSUM, values);
}

BOOL CLink::SendVKArchiveControl(BOOL on)
{
    const BYTE mode = on ? 0xFF : 0x00;
    return WriteA(kArchiveControl, &mode, 1);
}

BOOL CLink::SyncVKClock(BYTE& result)
{
    const WORD s = SecondsPastHour();
    const BYTE data[] = {BYTE(s >> 8), BYTE(s), kSyncTrailer};
    if (!Prepare() || !SendRequestA(kSyncClock, data, int(sizeof data)))
        return FALSE;
    // An acknowledgement whose status byte is the instrument's answer.
    BYTE* reply = ReplyBuffer(frames::kOverheadA);
    const int kept = ReadReplyA(reply, frames::kOverheadA);
    if (kept != frames::kOverheadA || reply[0] != BYTE(m_address) || reply[1] != frames::kOverheadA - 1) {
        SetError(platform::IDS_ERR_BAD_REPLY);
        return FALSE;
    }
    if (frames::Sum8(reply, frames::kOverheadA - 1) != reply[frames::kOverheadA - 1]) {
        SetError(platform::IDS_ERR_ACK_CHECKSUM);
        return FALSE;
    }
    result = reply[2];
    return TRUE;
}

BOOL CLink::ReadVKTariff(CVKETarif& tariff)
{
    BYTE data[CVKETarif::kImageSize] = {};
    if (!ReadA(kReadTariff, CVKETarif::kImageSize, platform::IDS_ERR_ACK_CHECKSUM, data))
        return FALSE;
    tariff.UnpackHours(data);
    return TRUE;
}

BOOL CLink::WriteVKTariff(CVKETarif& tariff)
{
    BYTE data[CVKETarif::kImageSize] = {};
    tariff.PackHours(data);
    return WriteA(kWriteTariff, data, CVKETarif::kImageSize);
}

BOOL CLink::ReadVKEnergyData(CVKEData& data)
{
    return ReadRecord(Format::A, kReadEnergy, platform::IDS_ERR_ACK_CHECKSUM, data);
}

BOOL CLink::ResetVKEnergyMeter()
{
    const BYTE all = 1;
    return WriteA(kResetEnergy, &all, 1);
}

BOOL CLink::SetVKTime()
{
    BYTE data[kClockImage] = {};
    CPrevodTyp::TimeToBcd(data, m_services.clock->CurrentTime());
    return WriteA(kSetTime, data, kClockImage);
}

BOOL CLink::GetVKTime(CTime& time)
{
    BYTE data[kClockImage] = {};
    if (!ReadA(kGetTime, kClockImage, platform::IDS_ERR_ACK_CHECKSUM, data))
        return FALSE;
    time = CPrevodTyp::BcdToTime(data);
    return TRUE;
}

int CLinkManager::SyncVKClock(DWORD id)
{
    BYTE result = 0;
    return Request(id, [&](CLink& link) { return link.SyncVKClock(result); }) ? result : -1;
}

