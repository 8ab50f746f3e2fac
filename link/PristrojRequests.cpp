#include "link/Pristroj.h"

#include "archive/store/VKTArchivData.h"
#include "model/QorinConfig.h"
#include "model/ControllerAlarms.h"
#include "model/DuskarConfig.h"

namespace {

// Runs one operation of the link manager; 0 without a manager.
template <class Fn>
auto WithManager(CLinkManager* manager, Fn&& fn) -> decltype(fn(std::declval<CLinkManager&>()))
{
    if (!manager)
        return {};
    return fn(*manager);
}

} // namespace

#define QORIN_FORWARD(call) WithManager(LinkManager(), [&](CLinkManager& m) { return m.call; })

BOOL CPristroj::OpenLink()
{
    return QORIN_FORWARD(Open(m_linkId, m_com, WORD(m_adresa), m_telCislo));
}

void CPristroj::CloseLink()
{
    if (CLinkManager* manager = LinkManager())
        manager->Close(m_linkId);
}

QString CPristroj::GetErrorText() const
{
    return QORIN_FORWARD(GetErrorText(m_linkId));
}

// ---- controllers

void CPristroj::MarkConfigMode(BYTE& mode) const
{
    // Bit 0 of the mode tells the controller whether the program is done
    // with the archive's new data (low four state bits all set).
    if (!m_pMereni || !m_archiv)
        return;
    if ((m_archiv->HasNewData() & 0x0F) != 0x0F)
        mode |= 0x01;
    else
        mode &= BYTE(~0x01);
}

BOOL CPristroj::ReadQorinConfig(CConfig& config)
{
    return QORIN_FORWARD(ReadQorinConfig(m_linkId, config));
}

BOOL CPristroj::WriteQorinConfig(CConfig& config)
{
    MarkConfigMode(config.mode);
    return QORIN_FORWARD(WriteQorinConfig(m_linkId, config));
}

BOOL CPristroj::ReadDuskarConfig(CDuskarConfig& config)
{
    return QORIN_FORWARD(ReadDuskarConfig(m_linkId, config));
}

BOOL CPristroj::WriteDuskarConfig(CDuskarConfig& config)
{
    MarkConfigMode(config.mode);
    return QORIN_FORWARD(WriteDuskarConfig(m_linkId, config));
}

BOOL CPristroj::SendControllerCommand(CControllerAlarms command)
{
    return QORIN_FORWARD(SendControllerCommand(m_linkId, command));
}

BOOL CPristroj::ReadQorinValues(CQorinAktData& values)
{
    return QORIN_FORWARD(ReadQorinValues(m_linkId, values));
}

BOOL CPristroj::ReadDuskarValues(CDuskarAktData& values)
{
    return QORIN_FORWARD(ReadDuskarValues(m_linkId, values));
}

BOOL CPristroj::ReadSwitchingStatistics(CStageSwitchStats& stats, CStageSwitchState& state)
{
    if (m_type == kQorin)
        return QORIN_FORWARD(ReadQorinSwitchingStatistics(m_linkId, stats, state));
    return QORIN_FORWARD(ReadDuskarSwitchingStatistics(m_linkId, stats, state));
}

BOOL CPristroj::ReadStatisticsSummary(CControllerAlarms& summary)
{
    if (m_type == kQorin)
        return QORIN_FORWARD(ReadQorinStatisticsSummary(m_linkId, summary));
    if (m_type == kDuskar)
        return QORIN_FORWARD(ReadDuskarStatisticsSummary(m_linkId, summary));
    return 0;
}

BOOL CPristroj::ReadIdentification(CIden& iden)
{
    return QORIN_FORWARD(ReadIdentification(m_linkId, iden));
}

// ---- VK

BOOL CPristroj::ReadVKConfig(CVKConfig& config)
{
    return QORIN_FORWARD(ReadVKConfig(m_linkId, config));
}

BOOL CPristroj::WriteVKConfig(const CVKConfig& config)
{
    return QORIN_FORWARD(WriteVKConfig(m_linkId, config));
}

BOOL CPristroj::ReadVKOutputConfig(CVKOutputConfig& outputs, CIden iden)
{
    return QORIN_FORWARD(ReadVKOutputConfig(m_linkId, outputs, iden));
}

BOOL CPristroj::WriteVKOutputConfig(const CVKOutputConfig& outputs)
{
    return QORIN_FORWARD(WriteVKOutputConfig(m_linkId, outputs));
}

BOOL CPristroj::ReadVKStatus(CVKStatus& status)
{
    return QORIN_FORWARD(ReadVKStatus(m_linkId, status));
}

BOOL CPristroj::WriteVKStatus(const CVKStatus& status)
{
    return QORIN_FORWARD(WriteVKStatus(m_linkId, status));
}

BOOL CPristroj::ReadVKInstallationBlock(BYTE* block)
{
    return QORIN_FORWARD(ReadVKInstallationBlock(m_linkId, block));
}

BOOL CPristroj::WriteVKInstallationBlock(const BYTE* block)
{
    return QORIN_FORWARD(WriteVKInstallationBlock(m_linkId, block));
}

BOOL CPristroj::ReadVKNoteBook(CVKNoteBook& notebook)
{
    return QORIN_FORWARD(ReadVKNoteBook(m_linkId, notebook));
}

BOOL CPristroj::WriteVKNoteBook(const CVKNoteBook& notebook)
{
    return QORIN_FORWARD(WriteVKNoteBook(m_linkId, notebook));
}

BOOL CPristroj::ReadVKTariff(CVKETarif& tariff)
{
    return QORIN_FORWARD(ReadVKTariff(m_linkId, tariff));
}

BOOL CPristroj::WriteVKTariff(CVKETarif& tariff)
{
    return QORIN_FORWARD(WriteVKTariff(m_linkId, tariff));
}

BOOL CPristroj::ReadVKEnergyData(CVKEData& data)
{
    return QORIN_FORWARD(ReadVKEnergyData(m_linkId, data));
}

BOOL CPristroj::ResetVKEnergyMeter()
{
    return QORIN_FORWARD(ResetVKEnergyMeter(m_linkId));
}

BOOL CPristroj::SetVKTime()
{
    return QORIN_FORWARD(SetVKTime(m_linkId));
}

BOOL CPristroj::GetVKTime(CTime& time)
{
    return QORIN_FORWARD(GetVKTime(m_linkId, time));
}

int CPristroj::SyncVKClock()
{
    CLinkManager* manager = LinkManager();
    return manager ? manager->SyncVKClock(m_linkId) : -1;
}

BOOL CPristroj::ReadVKValues(CVKAktData& values)
{
    return QORIN_FORWARD(ReadVKValues(m_linkId, values));
}

BOOL CPristroj::SendVKArchiveControl(BOOL on)
{
    return QORIN_FORWARD(SendVKArchiveControl(m_linkId, on));
}

BOOL CPristroj::ReadArchiveBlock(CUniTyp& target, int itemSize, int items, int blocks, DWORD first)
{
    return QORIN_FORWARD(ReadArchiveBlock(m_linkId, target, itemSize, items, blocks, first));
}

BOOL CPristroj::ReadArchiveRecords(CUniTyp& target, int itemSize, int items, int blocks, DWORD first)
{
    return QORIN_FORWARD(ReadArchiveRecords(m_linkId, target, itemSize, items, blocks, first));
}

// ---- VKR

BOOL CPristroj::ReadVKRConfig(CVKRConfig& config)
{
    return QORIN_FORWARD(ReadVKRConfig(m_linkId, config));
}

BOOL CPristroj::WriteVKRConfig(const CVKRConfig& config)
{
    return QORIN_FORWARD(WriteVKRConfig(m_linkId, config));
}

BOOL CPristroj::ReadVKRValues(CVKRAktData& values)
{
    return QORIN_FORWARD(ReadVKRValues(m_linkId, values));
}

// ---- VKT

BOOL CPristroj::ReadVKTConfig(CVKTConfig& config)
{
    return QORIN_FORWARD(ReadVKTConfig(m_linkId, config));
}

BOOL CPristroj::WriteVKTConfig(const CVKTConfig& config)
{
    return QORIN_FORWARD(WriteVKTConfig(m_linkId, config));
}

BOOL CPristroj::ReadVKTInstallationBlock(BYTE* block)
{
    return QORIN_FORWARD(ReadVKTInstallationBlock(m_linkId, block));
}

BOOL CPristroj::WriteVKTInstallationBlock(const BYTE* block)
{
    return QORIN_FORWARD(WriteVKTInstallationBlock(m_linkId, block));
}

BOOL CPristroj::ReadVKTOutputConfig(CVKTOutputConfig& outputs)
{
    return QORIN_FORWARD(ReadVKTOutputConfig(m_linkId, outputs));
}

BOOL CPristroj::WriteVKTOutputConfig(const CVKTOutputConfig& outputs)
{
    return QORIN_FORWARD(WriteVKTOutputConfig(m_linkId, outputs));
}

BOOL CPristroj::ReadVKTNoteBook(CVKTNoteBook& notebook)
{
    return QORIN_FORWARD(ReadVKTNoteBook(m_linkId, notebook));
}

BOOL CPristroj::WriteVKTNoteBook(const CVKTNoteBook& notebook)
{
    return QORIN_FORWARD(WriteVKTNoteBook(m_linkId, notebook));
}

BOOL CPristroj::ReadVKTStatus(CVKTStatus& status)
{
    return QORIN_FORWARD(ReadVKTStatus(m_linkId, status));
}

BOOL CPristroj::WriteVKTStatus(const CVKTStatus& status)
{
    return QORIN_FORWARD(WriteVKTStatus(m_linkId, status));
}

BOOL CPristroj::SetVKTTime()
{
    return QORIN_FORWARD(SetVKTTime(m_linkId));
}

BOOL CPristroj::GetVKTTime(CTime& time)
{
    return QORIN_FORWARD(GetVKTTime(m_linkId, time));
}

int CPristroj::SyncVKTClock()
{
    CLinkManager* manager = LinkManager();
    return manager ? manager->SyncVKTClock(m_linkId) : -1;
}

WORD CPristroj::RecordingModeMask(int recordingMode)
{
    switch (recordingMode) {
    case 0:
        return 0x11F1;
    case 1:
        return 0x33F3;
    case 4:
        return 0x55F5;
    case 5:
        return 0xFFFF;
    default:
        return 0x77F7;
    }
}

BOOL CPristroj::ReadVKTValues(CAktData& values, WORD recordingMask, DWORD requested)
{
    const WORD mask = WORD(recordingMask & (requested | m_maska.load()));
    return QORIN_FORWARD(ReadVKTValues(m_linkId, values, mask));
}

BOOL CPristroj::IsValueMaskChanged(WORD mask, WORD recordingMask) const
{
    return mask != WORD(recordingMask & m_maska.load());
}

BOOL CPristroj::ReadVKTArchiveBlock(CUniTyp& target, BYTE area, int itemSize, int items, DWORD first)
{
    return QORIN_FORWARD(ReadVKTArchiveBlock(m_linkId, target, area, itemSize, items, first));
}

BOOL CPristroj::ReadVKTArchiveRecords(CUniTyp& target, BYTE area, int itemSize, int items, int blocks, DWORD first)
{
    return QORIN_FORWARD(ReadVKTArchiveRecords(m_linkId, target, area, itemSize, items, blocks, first));
}

BOOL CPristroj::ReadVKTTariff(CVKTETarif& tariff)
{
    return QORIN_FORWARD(ReadVKTTariff(m_linkId, tariff));
}

BOOL CPristroj::WriteVKTTariff(const CVKTETarif& tariff)
{
    return QORIN_FORWARD(WriteVKTTariff(m_linkId, tariff));
}

BOOL CPristroj::ReadVKTEnergyData(CVKTEDataRec& data)
{
    return QORIN_FORWARD(ReadVKTEnergyData(m_linkId, data));
}

BOOL CPristroj::ResetVKTEnergyMeter(BYTE code)
{
    return QORIN_FORWARD(ResetVKTEnergyMeter(m_linkId, code));
}

// ---- current profiles

BOOL CPristroj::ReadProfileStatus(CProfileStatus& status, float currentRatio)
{
    if (m_type == kVK)
        return QORIN_FORWARD(ReadVKProfileStatus(m_linkId, status));
    if (m_type != kVKT)
        return 0;
    if (currentRatio < 0.0f && m_archiv)
        currentRatio = static_cast<CVKTArchivData&>(*m_archiv).GetRatioI();
    return QORIN_FORWARD(ReadVKTProfileStatus(m_linkId, status, double(currentRatio)));
}

BOOL CPristroj::ResetProfiles()
{
    if (m_type == kVK)
        return QORIN_FORWARD(ResetVKProfiles(m_linkId));
    if (m_type == kVKT)
        return QORIN_FORWARD(ResetVKTProfiles(m_linkId));
    return 0;
}

BOOL CPristroj::WriteProfileSettings(CTime day)
{
    if (m_type == kVK)
        return QORIN_FORWARD(WriteVKProfileSettings(m_linkId, day));
    if (m_type == kVKT)
        return QORIN_FORWARD(WriteVKTProfileSettings(m_linkId, day));
    return 0;
}

#undef QORIN_FORWARD
