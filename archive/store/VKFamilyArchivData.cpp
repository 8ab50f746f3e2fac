#include "archive/store/VKFamilyArchivData.h"

#include "model/QuantityNames.h"
#include "platform/StringTable.h"

#include <algorithm>
#include <array>

using platform::CTime;

namespace {

constexpr int kMaxRows = 10;
// Rows shown before the asked one, so that the list keeps some context.
constexpr int kRowsBefore = 3;
// The scale categories of the analyser graphs.
constexpr int kCategoryVoltage = 0;
constexpr int kCategoryCurrent = 1;
constexpr int kCategoryPower = 4;
constexpr int kScaleType = 2;

const std::array<const char*, 6> kVoltageSeries = {"U1", "U2", "U3", "U3,1", "U1,2", "U2,3"};
const std::array<const char*, 4> kCurrentSeries = {"I1", "I2", "I3", "I4"};
struct PowerSeries {
    const char* name;
    int kind;
};
const std::array<PowerSeries, 12> kPowerSeries = {{{"P1", 0}, {"P2", 0}, {"P3", 0}, {"Q1", 1}, {"Q2", 1},
                                                   {"Q3", 1}, {"S1", 2}, {"S2", 2}, {"S3", 2}, {"3P", 0},
                                                   {"3Q", 1}, {"3S", 2}}};

} // namespace

CVKFamilyArchivData::CVKFamilyArchivData(int type, const QString& extension)
    : CArchivData(type), m_extension(extension)
{
}

float CVKFamilyArchivData::GetRatioU() const
{
    return ReadSettings(scales.voltageRatio);
}

float CVKFamilyArchivData::GetRatioI() const
{
    return ReadSettings(scales.currentRatio);
}

void CVKFamilyArchivData::GetScaleU(float& ratio, QString& format, int& multiplier) const
{
    std::lock_guard lock(settingsLock);
    ratio = scales.voltageRatio;
    format = scales.voltage.format;
    multiplier = scales.voltage.multiplier;
}

void CVKFamilyArchivData::GetScaleI(float& ratio, QString& format, int& multiplier) const
{
    std::lock_guard lock(settingsLock);
    ratio = scales.currentRatio;
    format = scales.current.format;
    multiplier = scales.current.multiplier;
}

void CVKFamilyArchivData::GetScalePower(QString& format, int& multiplier) const
{
    std::lock_guard lock(settingsLock);
    format = scales.power.format;
    multiplier = scales.power.multiplier;
}

int CVKFamilyArchivData::GetModelIndex() const
{
    return ReadSettings(modelIndex);
}

CVKWindowScales CVKFamilyArchivData::GetWindowScales() const
{
    return ReadSettings(windowScales);
}

// ---- Header and file names -------------------------------------------------

void CVKFamilyArchivData::InitHeader(int slotTotal, const QString& name, BOOL overwrite)
{
    SetNewHeader(slotTotal, VKArchivFileName(name, overwrite != 0, Now(), m_extension));
}

void CVKFamilyArchivData::RollFileName()
{
    std::lock_guard ring(ringLock);
    if (!header)
        return;
    const QString& name = header->name;
    const qsizetype file = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\'))) + 1;
    // A file name without any "." has no period to move to.
    if (name.indexOf(QLatin1Char('.'), file) < 0)
        return;
    header->name = RollVKArchivFileName(name, startTime, m_extension);
    // The new file holds none of the old file's blocks: every slot is empty
    // until the store puts the completed block into slot 0. A start time left
    // in another slot would name a block that the new file does not have.
    std::fill(header->slotTable.begin(), header->slotTable.end(), 0);
}

void CVKFamilyArchivData::QueueLocked(CTime time, std::uint8_t type, QByteArray payload)
{
    CurrentListLocked().push_back({time.GetTime(), type, std::move(payload)});
    recordsPending = 1;
}

// ---- Walk ------------------------------------------------------------------

int CVKFamilyArchivData::FirstRecord()
{
    ClearCurrentValues();
    m_walkPos = -1;
    m_walkOrdinal = -1;
    window.currentIndex = 0;
    int ordinal = 0;
    for (std::size_t i = 0; i < window.records.size(); ++i) {
        const CArchivRecord& r = window.records[i];
        if (r.type == kRecordSettings || r.type == kRecordIden) {
            TakeWalkRecord(r);
        } else if (r.type == kRecordChanged) {
            // Changed fields without the full record before them cannot be read.
            ++ordinal;
        } else if (r.type == kRecordFull) {
            DecodeCurrent(r);
            m_walkPos = int(i);
            m_walkOrdinal = ordinal;
            window.currentIndex = ordinal;
            return 1;
        }
    }
    return 0;
}

int CVKFamilyArchivData::NextRecord()
{
    if (m_walkPos < 0)
        return 0;
    for (std::size_t i = std::size_t(m_walkPos) + 1; i < window.records.size(); ++i) {
        const CArchivRecord& r = window.records[i];
        if (r.type == kRecordSettings || r.type == kRecordIden) {
            TakeWalkRecord(r);
        } else if (r.type == kRecordFull || r.type == kRecordChanged) {
            // A window of several blocks has a full record at the start of
            // each: it replaces the values, the changed fields after it go
            // onto it.
            DecodeCurrent(r);
            m_walkPos = int(i);
            window.currentIndex = ++m_walkOrdinal;
            return 1;
        }
    }
    return 0;
}

CTime CVKFamilyArchivData::GetCurrentRecordTime() const
{
    // The window may have been loaded again since the walk stood there.
    return m_walkPos >= 0 && std::size_t(m_walkPos) < window.records.size()
               ? CTime(window.records[std::size_t(m_walkPos)].time)
               : CTime();
}

int CVKFamilyArchivData::FindMeasurement(int ordinal) const
{
    int n = 0;
    for (std::size_t i = 0; i < window.records.size(); ++i) {
        const std::uint8_t t = window.records[i].type;
        if (t == kRecordFull || t == kRecordChanged) {
            if (n == ordinal)
                return int(i);
            ++n;
        }
    }
    return -1;
}

int CVKFamilyArchivData::FindBackwards(int position, std::uint8_t type) const
{
    for (int i = position; i >= 0; --i)
        if (window.records[std::size_t(i)].type == type)
            return i;
    return -1;
}

int CVKFamilyArchivData::FindFirst(std::uint8_t type) const
{
    for (std::size_t i = 0; i < window.records.size(); ++i)
        if (window.records[i].type == type)
            return int(i);
    return -1;
}

int CVKFamilyArchivData::SettingsRecordAt() const
{
    const int at = FindMeasurement(window.currentIndex);
    if (at < 0)
        return -1;
    const int i = FindBackwards(at, kRecordSettings);
    return i >= 0 ? i : FindFirst(kRecordSettings);
}

int CVKFamilyArchivData::IdenRecordAt() const
{
    const int at = FindMeasurement(window.currentIndex);
    return at >= 0 ? FindBackwards(at, kRecordIden) : -1;
}

int CVKFamilyArchivData::DecodeIdenRecord(const CArchivRecord& record, CIden& iden)
{
    if (record.data.size() < CIden::kImageSize)
        return 0;
    iden.FromRaw(reinterpret_cast<const BYTE*>(record.data.constData()));
    return 1;
}

int CVKFamilyArchivData::GetIdenAt(CIden& iden) const
{
    const int i = IdenRecordAt();
    return i >= 0 ? DecodeIdenRecord(window.records[std::size_t(i)], iden) : 0;
}

QStringList CVKFamilyArchivData::GetWindowTexts() const
{
    static const QString kMinutes = QStringLiteral("%d.%m %H:%M");
    QStringList texts;
    std::lock_guard ring(ringLock);
    texts << (header ? header->name : QString());
    CTime blockStart;
    const int block = m_walkPos >= 0 ? window.BlockOfRecord(std::size_t(m_walkPos)) : -1;
    if (header && block >= 0) {
        const int slot = window.ringSlots[std::size_t(block)];
        if (slot >= 0 && slot < header->SlotCount())
            blockStart = CTime(header->slotTable[std::size_t(slot)]);
    }
    texts << blockStart.Format(kMinutes) << startTime.Format(kMinutes)
          << GetCurrentRecordTime().Format(QStringLiteral("%d.%m %H:%M:%S"));
    return texts;
}

// ---- Rows ------------------------------------------------------------------

std::vector<QStringList> CVKFamilyArchivData::CollectRows(int index, RowSink& sink, int& count, int& first,
                                                          std::vector<int>* offsets)
{
    count = 0;
    first = -1;
    if (offsets)
        offsets->assign(kMaxRows, 0);
    std::vector<QStringList> rows;
    // Start at the block of the first row shown, not of the asked one: the
    // rows before it may lie in the block before.
    std::size_t block = 0;
    int row = 0;
    if (!window.FindRowBlock(std::max(index - kRowsBefore, 0), block, row))
        return rows;
    // A block without settings of its own shows the ratios of the window's
    // blocks before it, as the graph draws it, whichever block the rows
    // start in.
    if (block < window.blockFirstRecord.size()) {
        for (std::size_t i = std::min(window.blockFirstRecord[block], window.records.size()); i-- > 0;) {
            if (window.records[i].type == kRecordSettings) {
                sink.TakeSettings(window.records[i]);
                break;
            }
        }
    }
    CArchivRecordList records;
    window.ReadFrom(*this, block, records);
    const std::uint32_t start = window.start.GetTime();
    const std::uint32_t end = window.End().GetTime();
    for (const CArchivRecord& r : records) {
        if (r.time > end)
            break;
        if (r.type == kRecordSettings) {
            sink.TakeSettings(r);
            continue;
        }
        if (!CArchivWindow::IsRow(r))
            continue;
        const bool hasValues = r.type != kRecordError && sink.TakeMeasurement(r);
        if (r.time < start)
            continue;
        if (row > index - kRowsBefore - 1) {
            rows.push_back(sink.Format(CTime(r.time), hasValues));
            if (offsets)
                (*offsets)[std::size_t(count)] = int(r.time - start);
            if (first < 0)
                first = row;
            ++count;
        }
        ++row;
        if (count == kMaxRows)
            break;
    }
    return rows;
}

// ---- Axis names and graph scales ------------------------------------------

QString CVKFamilyArchivData::VoltageUnit(int multiplier)
{
    return multiplier == 1 ? QStringLiteral("V") : QStringLiteral("kV");
}

QString CVKFamilyArchivData::CurrentUnit(int multiplier)
{
    return multiplier == 1 ? QStringLiteral("A") : QStringLiteral("kA");
}

QString CVKFamilyArchivData::PowerUnit(int multiplier, int kind)
{
    static const std::array<const char*, 3> kUnits = {"W", "var", "VA"};
    const QString prefix = multiplier == 1 ? QString() : multiplier == 1000 ? QStringLiteral("k") : QStringLiteral("M");
    return prefix + QLatin1String(kUnits[std::size_t(kind)]);
}

QStringList CVKFamilyArchivData::ColumnAxisNames(const int* selection) const
{
    const CVKWindowScales w = GetWindowScales();
    QStringList names;
    names << platform::LoadString(platform::IDS_TIME);
    for (int c = 0; c < 36; ++c) {
        if (!selection[c])
            continue;
        QString unit;
        if (c <= 2 || (c >= 14 && c <= 16))
            unit = VoltageUnit(w.voltage.multiplier);
        else if (c <= 5)
            unit = CurrentUnit(w.current.multiplier);
        else if (c == 9)
            unit = QStringLiteral("Hz");
        else if (c == 10)
            unit = QStringLiteral("C");
        else if ((c >= 17 && c <= 19) || c == 33)
            unit = PowerUnit(w.power.multiplier, 0);
        else if ((c >= 20 && c <= 22) || c == 34)
            unit = PowerUnit(w.power.multiplier, 1);
        else if ((c >= 23 && c <= 25) || c == 35)
            unit = PowerUnit(w.power.multiplier, 2);
        else if (c >= 26 && c <= 31)
            unit = QStringLiteral("%");
        // The table's "I4" has no column.
        names << VKQuantityNames[std::size_t(c < 6 ? c : c + 1)].toString() + QStringLiteral(" [") + unit
                     + QLatin1Char(']');
    }
    return names;
}

void CVKFamilyArchivData::SetSeries(const QString& name, const QString& unit, int multiplier, int category,
                                    double factor, bool clampNegative)
{
    if (!m_series)
        return;
    m_series->SetSeriesText(name, unit, multiplier);
    double minimum = 0, maximum = 0;
    if (!scaleCategories.GetEffectiveRange(category, kScaleType, minimum, maximum, factor))
        return;
    if (clampNegative && minimum < 0)
        minimum = 0;
    m_series->SetSeriesScale(name, minimum, maximum);
}

void CVKFamilyArchivData::SetPowerSeries(double product, int multiplier, bool allowNegative)
{
    for (const PowerSeries& s : kPowerSeries)
        SetSeries(QLatin1String(s.name), PowerUnit(multiplier, s.kind), multiplier, kCategoryPower, product,
                  !allowNegative);
}

void CVKFamilyArchivData::TakeFamilyFormattingFrom(const CVKFamilyArchivData& source)
{
    if (&source == this)
        return;
    CVKRatioScales s;
    CVKWindowScales w;
    int model = 0;
    {
        std::lock_guard lock(source.settingsLock);
        s = source.scales;
        w = source.windowScales;
        model = source.modelIndex;
    }
    std::lock_guard lock(settingsLock);
    scales = s;
    windowScales = w;
    modelIndex = model;
}

void CVKFamilyArchivData::UpdateSeriesScales(BOOL allowNegativePower)
{
    double vt = 0, ct = 0;
    {
        std::lock_guard lock(settingsLock);
        vt = scales.voltageRatio;
        ct = scales.currentRatio;
    }
    double product = vt * ct;
    CArchivRecordList records;
    window.ReadFrom(*this, 0, records);
    for (const CArchivRecord& r : records) {
        double v = 0, c = 0;
        if (r.type != kRecordSettings || !SettingsRatios(r, v, c))
            continue;
        vt = std::max(vt, v);
        ct = std::max(ct, c);
        product = std::max(product, v * c);
    }
    CVKWindowScales w;
    w.Choose(vt, ct, product);
    {
        std::lock_guard lock(settingsLock);
        windowScales = w;
    }
    for (const char* name : kVoltageSeries)
        SetSeries(QLatin1String(name), VoltageUnit(w.voltage.multiplier), w.voltage.multiplier, kCategoryVoltage, vt,
                  false);
    for (const char* name : kCurrentSeries)
        SetSeries(QLatin1String(name), CurrentUnit(w.current.multiplier), w.current.multiplier, kCategoryCurrent, ct,
                  false);
    SetPowerSeries(product, w.power.multiplier, allowNegativePower != 0);
}

int CVKFamilyArchivData::RescaleCurrentSeries(BOOL allowNegativePower)
{
    return RescaleLiveSeries(false, allowNegativePower != 0);
}

int CVKFamilyArchivData::RescaleVoltageSeries(BOOL allowNegativePower)
{
    return RescaleLiveSeries(true, allowNegativePower != 0);
}

void CVKFamilyArchivData::MarkSeriesScalesChanged()
{
    std::lock_guard lock(settingsLock);
    scales.voltageScaleChanged = 1;
    scales.currentScaleChanged = 1;
}

int CVKFamilyArchivData::RescaleLiveSeries(bool voltage, bool allowNegativePower)
{
    std::lock_guard lock(settingsLock);
    int& changed = voltage ? scales.voltageScaleChanged : scales.currentScaleChanged;
    if (!changed)
        return 0;
    changed = 0;
    if (voltage) {
        for (const char* name : kVoltageSeries)
            SetSeries(QLatin1String(name), VoltageUnit(scales.voltage.multiplier), scales.voltage.multiplier,
                      kCategoryVoltage, scales.voltageRatio, false);
    } else {
        for (const char* name : kCurrentSeries)
            SetSeries(QLatin1String(name), CurrentUnit(scales.current.multiplier), scales.current.multiplier,
                      kCategoryCurrent, scales.currentRatio, false);
    }
    SetPowerSeries(double(scales.voltageRatio) * scales.currentRatio, scales.power.multiplier, allowNegativePower);
    return 1;
}
