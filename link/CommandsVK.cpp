#include "link/CommandsVK.h"

#include "link/Frames.h"
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

namespace commands {

BOOL ReadVKConfig(CLink& link, CVKConfig& config)
{
    return link.ReadRecord(CLink::Format::A, kReadConfig, platform::IDS_ERR_CHECKSUM, config);
}

BOOL WriteVKConfig(CLink& link, const CVKConfig& config)
{
    return link.WriteRecord(CLink::Format::A, kWriteConfig, config);
}

BOOL ReadVKOutputConfig(CLink& link, CVKOutputConfig& outputs, const CIden& iden)
{
    const bool longLayout = iden.version > CVKOutputConfig::kLastShortFirmware;
    BYTE data[CVKOutputConfig::kLongImageSize] = {};
    const int size = longLayout ? CVKOutputConfig::kLongImageSize : CVKOutputConfig::kShortImageSize;
    if (!link.ReadA(kReadOutputs, size, platform::IDS_ERR_CHECKSUM, data))
        return FALSE;
    if (longLayout)
        outputs.FromRawLong(data);
    else
        outputs.FromRawShort(data);
    return TRUE;
}

BOOL WriteVKOutputConfig(CLink& link, const CVKOutputConfig& outputs)
{
    BYTE data[CVKOutputConfig::kLongImageSize] = {};
    outputs.ToRaw(data);
    return link.WriteA(kWriteOutputs, data, CVKOutputConfig::kLongImageSize);
}

BOOL ReadVKStatus(CLink& link, CVKStatus& status)
{
    return link.ReadRecord(CLink::Format::A, kReadStatus, platform::IDS_ERR_CHECKSUM, status);
}

BOOL WriteVKStatus(CLink& link, const CVKStatus& status)
{
    BYTE image[CVKStatus::kImageSize] = {};
    status.ToRaw(image);
    BYTE data[kStatusWriteSize] = {};
    int n = 0;
    for (const StatusRun& run : kStatusWriteRuns) {
        std::memcpy(data + n, image + run.offset, std::size_t(run.length));
        n += run.length;
    }
    return link.WriteA(kWriteStatus, data, n);
}

BOOL ReadVKNoteBook(CLink& link, CVKNoteBook& notebook)
{
    // The page number, then a byte the instrument adds before the page.
    constexpr int kReplyData = 1 + CVKNoteBook::kPageSize;
    for (int page = 0; page < kNoteBookPages; ++page) {
        const BYTE request = BYTE(page);
        BYTE data[kReplyData] = {};
        if (!link.Prepare()
            || !link.ExchangeA(kReadNoteBook, &request, 1, kReplyData + frames::kOverheadA, platform::IDS_ERR_CHECKSUM,
                          data))
            return FALSE;
        notebook.FromRawPage(page, data + 1);
    }
    return TRUE;
}

BOOL WriteVKNoteBook(CLink& link, const CVKNoteBook& notebook)
{
    for (int page = 0; page < kNoteBookPages; ++page) {
        BYTE data[1 + CVKNoteBook::kPageSize] = {};
        data[0] = BYTE(page);
        notebook.ToRawPage(page, data + 1);
        // The instrument acknowledges a page by its number.
        BYTE echoed = 0;
        if (!link.Prepare()
            || !link.ExchangeA(kWriteNoteBook, data, int(sizeof data), 1 + frames::kOverheadA,
                          platform::IDS_ERR_ACK_CHECKSUM, &echoed))
            return FALSE;
        if (echoed != BYTE(page)) {
            link.SetError(platform::IDS_ERR_BAD_REPLY);
            return FALSE;
        }
    }
    return TRUE;
}

BOOL ReadVKInstallationBlock(CLink& link, BYTE* block)
{
    return link.ReadA(kReadInstallation, kVKInstallationBlockSize, platform::IDS_ERR_CHECKSUM, block);
}

BOOL WriteVKInstallationBlock(CLink& link, const BYTE* block)
{
    return link.WriteA(kWriteInstallation, block, kVKInstallationBlockSize);
}

BOOL ReadVKValues(CLink& link, CVKAktData& values)
{
    return link.ReadRecord(CLink::Format::A, kReadValues, platform::IDS_ERR_ACK_CHECKSUM, values);
}

BOOL SendVKArchiveControl(CLink& link, BOOL on)
{
    const BYTE mode = on ? 0xFF : 0x00;
    return link.WriteA(kArchiveControl, &mode, 1);
}

BOOL SyncVKClock(CLink& link, BYTE& result)
{
    const WORD s = link.SecondsPastHour();
    const BYTE data[] = {BYTE(s >> 8), BYTE(s), kSyncTrailer};
    if (!link.Prepare() || !link.SendRequestA(kSyncClock, data, int(sizeof data)))
        return FALSE;
    // An acknowledgement whose status byte is the instrument's answer.
    BYTE reply[frames::kOverheadA] = {};
    const int kept = link.ReadReplyA(reply, frames::kOverheadA);
    if (kept != frames::kOverheadA || reply[0] != BYTE(link.GetAddress()) || reply[1] != frames::kOverheadA - 1) {
        link.SetError(platform::IDS_ERR_BAD_REPLY);
        return FALSE;
    }
    if (frames::Sum8(reply, frames::kOverheadA - 1) != reply[frames::kOverheadA - 1]) {
        link.SetError(platform::IDS_ERR_ACK_CHECKSUM);
        return FALSE;
    }
    result = reply[2];
    return TRUE;
}

BOOL ReadVKTariff(CLink& link, CVKETarif& tariff)
{
    BYTE data[CVKETarif::kImageSize] = {};
    if (!link.ReadA(kReadTariff, CVKETarif::kImageSize, platform::IDS_ERR_ACK_CHECKSUM, data))
        return FALSE;
    tariff.UnpackHours(data);
    return TRUE;
}

BOOL WriteVKTariff(CLink& link, CVKETarif& tariff)
{
    BYTE data[CVKETarif::kImageSize] = {};
    tariff.PackHours(data);
    return link.WriteA(kWriteTariff, data, CVKETarif::kImageSize);
}

BOOL ReadVKEnergyData(CLink& link, CVKEData& data)
{
    return link.ReadRecord(CLink::Format::A, kReadEnergy, platform::IDS_ERR_ACK_CHECKSUM, data);
}

BOOL ResetVKEnergyMeter(CLink& link)
{
    const BYTE all = 1;
    return link.WriteA(kResetEnergy, &all, 1);
}

BOOL SetVKTime(CLink& link)
{
    BYTE data[kClockImage] = {};
    CPrevodTyp::TimeToBcd(data, link.CurrentTime());
    return link.WriteA(kSetTime, data, kClockImage);
}

BOOL GetVKTime(CLink& link, CTime& time)
{
    BYTE data[kClockImage] = {};
    if (!link.ReadA(kGetTime, kClockImage, platform::IDS_ERR_ACK_CHECKSUM, data))
        return FALSE;
    time = CPrevodTyp::BcdToTime(data);
    return TRUE;
}

} // namespace commands

int CLinkManager::SyncVKClock(DWORD id)
{
    BYTE result = 0;
    return Request(id, commands::SyncVKClock, result) ? result : -1;
}

