#include "link/Pristroj.h"

#include "link/ArchiveReads.h"
#include "link/CommandsController.h"
#include "link/CommandsProfiles.h"
#include "link/CommandsVK.h"
#include "link/CommandsVKR.h"
#include "link/CommandsVKT.h"

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

BOOL CPristroj::OpenLink()
{
    return WithManager(LinkManager(),
                       [&](CLinkManager& m) { return m.Open(m_linkId, m_com, WORD(m_adresa), m_telCislo); });
}

void CPristroj::CloseLink()
{
    if (CLinkManager* manager = LinkManager())
        manager->Close(m_linkId);
}

QString CPristroj::GetErrorText() const
{
    return WithManager(LinkManager(), [&](CLinkManager& m) { return m.GetErrorText(m_linkId); });
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
    return Request(commands::ReadQorinConfig, config);
}

BOOL CPristroj::WriteQorinConfig(CConfig& config)
{
    MarkConfigMode(config.mode);
    return Request(commands::WriteQorinConfig, config);
}

BOOL CPristroj::ReadDuskarConfig(CDuskarConfig& config)
{
    return Request(commands::ReadDuskarConfig, config);
}

BOOL CPristroj::WriteDuskarConfig(CDuskarConfig& config)
{
    MarkConfigMode(config.mode);
    return Request(commands::WriteDuskarConfig, config);
}

BOOL CPristroj::SendControllerCommand(CControllerAlarms command)
{
    return Request(commands::SendControllerCommand, command);
}

BOOL CPristroj::ReadQorinValues(CQorinAktData& values)
{
    return Request(commands::ReadQorinValues, values);
}

BOOL CPristroj::ReadDuskarValues(CDuskarAktData& values)
{
    return Request(commands::ReadDuskarValues, values);
}

BOOL CPristroj::ReadSwitchingStatistics(CStageSwitchStats& stats, CStageSwitchState& state)
{
    if (m_type == kQorin)
        return Request(commands::ReadQorinSwitchingStatistics, stats, state);
    return Request(commands::ReadDuskarSwitchingStatistics, stats, state);
}

BOOL CPristroj::ReadStatisticsSummary(CControllerAlarms& summary)
{
    if (m_type == kQorin)
        return Request(commands::ReadQorinStatisticsSummary, summary);
    if (m_type == kDuskar)
        return Request(commands::ReadDuskarStatisticsSummary, summary);
    return 0;
}

BOOL CPristroj::ReadIdentification(CIden& iden)
{
    return Request(&CLink::ReadIdentification, iden);
}

// ---- VK

BOOL CPristroj::ReadVKConfig(CVKConfig& config)
{
    return Request(commands::ReadVKConfig, config);
}

BOOL CPristroj::WriteVKConfig(const CVKConfig& config)
{
    return Request(commands::WriteVKConfig, config);
}

BOOL CPristroj::ReadVKOutputConfig(CVKOutputConfig& outputs, CIden iden)
{
    return Request(commands::ReadVKOutputConfig, outputs, iden);
}

BOOL CPristroj::WriteVKOutputConfig(const CVKOutputConfig& outputs)
{
    return Request(commands::WriteVKOutputConfig, outputs);
}

BOOL CPristroj::ReadVKStatus(CVKStatus& status)
{
    return Request(commands::ReadVKStatus, status);
}

BOOL CPristroj::WriteVKStatus(const CVKStatus& status)
{
    return Request(commands::WriteVKStatus, status);
}

BOOL CPristroj::ReadVKInstallationBlock(BYTE* block)
{
    return Request(commands::ReadVKInstallationBlock, block);
}

BOOL CPristroj::WriteVKInstallationBlock(const BYTE* block)
{
    return Request(commands::WriteVKInstallationBlock, block);
}

BOOL CPristroj::ReadVKNoteBook(CVKNoteBook& notebook)
{
    return Request(commands::ReadVKNoteBook, notebook);
}

BOOL CPristroj::WriteVKNoteBook(const CVKNoteBook& notebook)
{
    return Request(commands::WriteVKNoteBook, notebook);
}

BOOL CPristroj::ReadVKTariff(CVKETarif& tariff)
{
    return Request(commands::ReadVKTariff, tariff);
}

BOOL CPristroj::WriteVKTariff(CVKETarif& tariff)
{
    return Request(commands::WriteVKTariff, tariff);
}

BOOL CPristroj::ReadVKEnergyData(CVKEData& data)
{
    return Request(commands::ReadVKEnergyData, data);
}

BOOL CPristroj::ResetVKEnergyMeter()
{
    return Request(commands::ResetVKEnergyMeter);
}

BOOL CPristroj::SetVKTime()
{
    return Request(commands::SetVKTime);
}

BOOL CPristroj::GetVKTime(CTime& time)
{
    return Request(commands::GetVKTime, time);
}

int CPristroj::SyncVKClock()
{
    CLinkManager* manager = LinkManager();
    return manager ? manager->SyncVKClock(m_linkId) : -1;
}

BOOL CPristroj::ReadVKValues(CVKAktData& values)
{
    return Request(commands::ReadVKValues, values);
}

BOOL CPristroj::SendVKArchiveControl(BOOL on)
{
    return Request(commands::SendVKArchiveControl, on);
}

BOOL CPristroj::ReadArchiveBlock(CUniTyp& target, int itemSize, int items, int blocks, DWORD first)
{
    return Request(commands::ReadArchiveBlock, target, itemSize, items, blocks, first);
}

BOOL CPristroj::ReadArchiveRecords(CUniTyp& target, int itemSize, int items, int blocks, DWORD first)
{
    return Request(commands::ReadArchiveRecords, target, itemSize, items, blocks, first);
}

// ---- VKR

BOOL CPristroj::ReadVKRConfig(CVKRConfig& config)
{
    return Request(commands::ReadVKRConfig, config);
}

BOOL CPristroj::WriteVKRConfig(const CVKRConfig& config)
{
    return Request(commands::WriteVKRConfig, config);
}

BOOL CPristroj::ReadVKRValues(CVKRAktData& values)
{
    return Request(commands::ReadVKRValues, values);
}

// ---- VKT

BOOL CPristroj::ReadVKTConfig(CVKTConfig& config)
{
    return Request(commands::ReadVKTConfig, config);
}

BOOL CPristroj::WriteVKTConfig(const CVKTConfig& config)
{
    return Request(commands::WriteVKTConfig, config);
}

BOOL CPristroj::ReadVKTInstallationBlock(BYTE* block)
{
    return Request(commands::ReadVKTInstallationBlock, block);
}

BOOL CPristroj::WriteVKTInstallationBlock(const BYTE* block)
{
    return Request(commands::WriteVKTInstallationBlock, block);
}

BOOL CPristroj::ReadVKTOutputConfig(CVKTOutputConfig& outputs)
{
    return Request(commands::ReadVKTOutputConfig, outputs);
}

BOOL CPristroj::WriteVKTOutputConfig(const CVKTOutputConfig& outputs)
{
    return Request(commands::WriteVKTOutputConfig, outputs);
}

BOOL CPristroj::ReadVKTNoteBook(CVKTNoteBook& notebook)
{
    return Request(commands::ReadVKTNoteBook, notebook);
}

BOOL CPristroj::WriteVKTNoteBook(const CVKTNoteBook& notebook)
{
    return Request(commands::WriteVKTNoteBook, notebook);
}

BOOL CPristroj::ReadVKTStatus(CVKTStatus& status)
{
    return Request(commands::ReadVKTStatus, status);
}

BOOL CPristroj::WriteVKTStatus(const CVKTStatus& status)
{
    return Request(commands::WriteVKTStatus, status);
}

BOOL CPristroj::SetVKTTime()
{
    return Request(commands::SetVKTTime);
}

BOOL CPristroj::GetVKTTime(CTime& time)
{
    return Request(commands::GetVKTTime, time);
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
    return Request(commands::ReadVKTValues, values, mask);
}

BOOL CPristroj::IsValueMaskChanged(WORD mask, WORD recordingMask) const
{
    return mask != WORD(recordingMask & m_maska.load());
}

BOOL CPristroj::ReadVKTArchiveBlock(CUniTyp& target, BYTE area, int itemSize, int items, DWORD first)
{
    return Request(commands::ReadVKTArchiveBlock, target, area, itemSize, items, first);
}

BOOL CPristroj::ReadVKTArchiveRecords(CUniTyp& target, BYTE area, int itemSize, int items, int blocks, DWORD first)
{
    return Request(commands::ReadVKTArchiveRecords, target, area, itemSize, items, blocks, first);
}

BOOL CPristroj::ReadVKTTariff(CVKTETarif& tariff)
{
    return Request(commands::ReadVKTTariff, tariff);
}

BOOL CPristroj::WriteVKTTariff(const CVKTETarif& tariff)
{
    return Request(commands::WriteVKTTariff, tariff);
}

BOOL CPristroj::ReadVKTEnergyData(CVKTEDataRec& data)
{
    return Request(commands::ReadVKTEnergyData, data);
}

BOOL CPristroj::ResetVKTEnergyMeter(BYTE code)
{
    return Request(commands::ResetVKTEnergyMeter, code);
}

// ---- current profiles

BOOL CPristroj::ReadProfileStatus(CProfileStatus& status, float currentRatio)
{
    if (m_type == kVK)
        return WithManager(LinkManager(),
                           [&](CLinkManager& m) { return m.ReadVKProfileStatus(m_linkId, status); });
    if (m_type != kVKT)
        return 0;
    if (currentRatio < 0.0f && m_archiv)
        currentRatio = static_cast<CVKTArchivData&>(*m_archiv).GetRatioI();
    return Request(commands::ReadVKTProfileStatus, status, double(currentRatio));
}

BOOL CPristroj::ResetProfiles()
{
    if (m_type == kVK)
        return Request(commands::ResetVKProfiles);
    if (m_type == kVKT)
        return Request(commands::ResetVKTProfiles);
    return 0;
}

BOOL CPristroj::WriteProfileSettings(CTime day)
{
    if (m_type == kVK)
        return Request(commands::WriteVKProfileSettings, day);
    if (m_type == kVKT)
        return Request(commands::WriteVKTProfileSettings, day);
    return 0;
}

