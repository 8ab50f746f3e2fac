#include "archive/store/VKTArchivData.h"

#include "archive/store/VKArchivFormats.h"
#include "archive/store/VKTFormats.h"

#include <algorithm>

using platform::CTime;

CVKTArchivData::CVKTArchivData() : CArchivData(kInstrumentType)
{
    UpdateVoltageFormat();
    UpdateCurrentFormat();
    ChooseGraphFormats(1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    // The meter's intervals fall due by the clock the recording keeps its
    // time by, not the system's: a quarter hour of the one must be a
    // quarter hour of the other.
    m_clock.SetTimeSource([this] { return Now(); });
}

CVKTArchivData::~CVKTArchivData() = default;

// ---- meter archive writer state ------------------------------------------------

void CVKTArchivData::SetPendingMeterRecord(const CVKTEData& data)
{
    m_pendingMeter = data;
    m_clock.SetLinkedRecord([this] { return m_pendingMeter ? m_pendingMeter->GetTime() : m_clock.Now(); });
}

void CVKTArchivData::DropPendingMeterRecord()
{
    m_pendingMeter.reset();
    m_clock.SetLinkedRecord({});
}

void CVKTArchivData::SetPendingMeterTime(CTime t)
{
    if (m_pendingMeter)
        m_pendingMeter->SetTime(t);
}

// ---- ratios and formats ------------------------------------------------------

CVKTArchivData::Ratios CVKTArchivData::RatiosOf(const CVKTConfig& config)
{
    return {float(config.GetPrimary()), float(config.GetSecondVtRatio()), float(config.GetRatio()),
            float(config.GetCt4Ratio()), config.GetConnection()};
}

CVKTArchivData::Ratios CVKTArchivData::HeldRatios() const
{
    std::lock_guard lock(m_settingsLock);
    return {m_ratioU, m_ratioU4, m_ratioI, m_ratioI4, m_connectionType};
}

archive::CSeriesScales CVKTArchivData::SeriesStartScales() const
{
    const Ratios r = HeldRatios();
    archive::CSeriesScales s;
    s.vkt.voltageRatio = r.u;
    s.vkt.voltageRatio4 = r.u4;
    s.vkt.currentRatio = r.i;
    s.vkt.currentRatio4 = r.i4;
    s.vkt.connectionType = r.connection;
    return s;
}

void CVKTArchivData::TakeFormattingFrom(const CVKTArchivData& source)
{
    if (&source == this)
        return;
    std::scoped_lock lock(m_settingsLock, source.m_settingsLock);
    m_graph = source.m_graph;
    m_connectionType = source.m_connectionType;
    m_ratioU = source.m_ratioU;
    m_ratioU4 = source.m_ratioU4;
    m_ratioI = source.m_ratioI;
    m_ratioI4 = source.m_ratioI4;
    m_currentFormat = source.m_currentFormat;
    m_currentMultiplier = source.m_currentMultiplier;
    m_voltageFormat = source.m_voltageFormat;
    m_voltageMultiplier = source.m_voltageMultiplier;
    m_powerFormat = source.m_powerFormat;
    m_powerMultiplier = source.m_powerMultiplier;
    m_modelIndex = source.m_modelIndex;
}

void CVKTArchivData::ApplyRatios(const Ratios& r)
{
    std::lock_guard lock(m_settingsLock);
    // Input 4 counts for the formats only with its own transformer (type 5),
    // so a change to or from that type chooses them again.
    const bool ownFourth = (m_connectionType == CVKTConfig::FourPhase) != (r.connection == CVKTConfig::FourPhase);
    m_connectionType = r.connection;
    bool voltage = ownFourth;
    bool current = ownFourth;
    if (r.u != m_ratioU) {
        m_ratioU = r.u;
        voltage = true;
    }
    if (r.i != m_ratioI) {
        m_ratioI = r.i;
        current = true;
    }
    if (r.u4 != m_ratioU4) {
        m_ratioU4 = r.u4;
        voltage = true;
    }
    if (r.i4 != m_ratioI4) {
        m_ratioI4 = r.i4;
        current = true;
    }
    if (voltage)
        UpdateVoltageFormat();
    if (current)
        UpdateCurrentFormat();
}

float CVKTArchivData::EffectiveVoltageRatio() const
{
    return m_connectionType == CVKTConfig::FourPhase ? std::max(m_ratioU, m_ratioU4) : m_ratioU;
}

float CVKTArchivData::EffectiveCurrentRatio() const
{
    return m_connectionType == CVKTConfig::FourPhase ? std::max(m_ratioI, m_ratioI4) : m_ratioI;
}

void CVKTArchivData::UpdatePowerFormat()
{
    ChoosePowerFormat(EffectiveVoltageRatio() * EffectiveCurrentRatio(), m_powerFormat, m_powerMultiplier);
}

void CVKTArchivData::UpdateVoltageFormat()
{
    m_voltageScaleChanged = true;
    ChooseVoltageFormat(EffectiveVoltageRatio(), m_voltageFormat, m_voltageMultiplier);
    UpdatePowerFormat();
}

void CVKTArchivData::UpdateCurrentFormat()
{
    m_currentScaleChanged = true;
    ChooseCurrentFormat(EffectiveCurrentRatio(), m_currentFormat, m_currentMultiplier);
    UpdatePowerFormat();
}

float CVKTArchivData::GetRatioU() const
{
    std::lock_guard lock(m_settingsLock);
    return m_ratioU;
}

float CVKTArchivData::GetRatioU4() const
{
    std::lock_guard lock(m_settingsLock);
    return m_ratioU4;
}

float CVKTArchivData::GetRatioI() const
{
    std::lock_guard lock(m_settingsLock);
    return m_ratioI;
}

float CVKTArchivData::GetRatioI4() const
{
    std::lock_guard lock(m_settingsLock);
    return m_ratioI4;
}

int CVKTArchivData::GetConnectionType() const
{
    std::lock_guard lock(m_settingsLock);
    return m_connectionType;
}

int CVKTArchivData::GetRecordCapacity() const
{
    switch (GetConnectionType()) {
    case CVKTConfig::Single:
        return 4593;
    case CVKTConfig::TwoPhase:
        return 13299;
    case CVKTConfig::Aron:
        return 22005;
    case CVKTConfig::FourPhase:
        return 65535;
    default:
        return 30711;
    }
}

void CVKTArchivData::GetScaleU(float& ratio, float& ratio4, QString& format, int& multiplier) const
{
    std::lock_guard lock(m_settingsLock);
    ratio = m_ratioU;
    ratio4 = m_ratioU4;
    format = m_voltageFormat;
    multiplier = m_voltageMultiplier;
}

void CVKTArchivData::GetScaleI(float& ratio, float& ratio4, QString& format, int& multiplier) const
{
    std::lock_guard lock(m_settingsLock);
    ratio = m_ratioI;
    ratio4 = m_ratioI4;
    format = m_currentFormat;
    multiplier = m_currentMultiplier;
}

void CVKTArchivData::GetScalePower(QString& format, int& multiplier) const
{
    std::lock_guard lock(m_settingsLock);
    format = m_powerFormat;
    multiplier = m_powerMultiplier;
}

// ---- writers -------------------------------------------------------------------

void CVKTArchivData::AddConfigRecord(const CVKTConfig& config)
{
    QByteArray image(CVKTConfig::kImageSize, '\0');
    config.ToRaw(reinterpret_cast<BYTE*>(image.data()));
    const CTime now = Now();
    std::lock_guard list(listLock);
    CurrentListLocked().push_back({now.GetTime(), kRecordSettings, std::move(image)});
    ApplyRatios(RatiosOf(config));
    needConfigRecord = 0;
}

void CVKTArchivData::AddIdenRecord(const CIden& iden)
{
    QByteArray image(CIden::kImageSize, '\0');
    iden.ToRaw(reinterpret_cast<BYTE*>(image.data()));
    const CTime now = Now();
    std::lock_guard list(listLock);
    CurrentListLocked().push_back({now.GetTime(), kRecordIden, std::move(image)});
}

int CVKTArchivData::AddMeasurementRecord(const CAktData& values)
{
    std::lock_guard queue(queueLock);
    const CTime now = Now();
    lastMeasurementTime = now;
    QByteArray payload;
    std::uint8_t type = kRecordFull;
    int wasDue = 0;
    {
        std::unique_lock values_(valuesLock);
        const bool samePresence = (values.GetSelection() & 0xFF) == (m_last.GetSelection() & 0xFF);
        if (!needFullRecord && samePresence) {
            payload = values.PackDifference(m_last);
            type = kRecordChanged;
        } else {
            wasDue = needFullRecord;
            values_.unlock();
            payload = values.PackFull();
            needFullRecord = 0;
        }
    }
    {
        std::lock_guard values_(valuesLock);
        m_last = values;
        newData = 1;
    }
    {
        std::lock_guard list(listLock);
        CurrentListLocked().push_back({now.GetTime(), type, std::move(payload)});
    }
    ++blockRecordCount;
    return wasDue;
}

void CVKTArchivData::GetLatestData(CAktData& out, int& newValues) const
{
    std::lock_guard lock(valuesLock);
    out = m_last;
    newValues = newData;
}

// ---- header and file names -----------------------------------------------------

void CVKTArchivData::InitHeader(int slotTotal, const QString& name, BOOL plainName)
{
    SetNewHeader(slotTotal, VKArchivFileName(name, plainName != 0, Now(), Extension()));
}

void CVKTArchivData::RollFileName()
{
    std::lock_guard ring(ringLock);
    if (!header)
        return;
    header->name = RollVKArchivFileName(header->name, startTime, Extension());
    // The new file holds none of the old file's blocks; the store puts the
    // completed block into its slot 0.
    std::fill(header->slotTable.begin(), header->slotTable.end(), 0);
}
