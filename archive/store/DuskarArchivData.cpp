#include "archive/store/DuskarArchivData.h"

#include "model/QuantityNames.h"
#include "platform/StringTable.h"

#include <cmath>
#include <cstddef>

using platform::CTime;
using archive::controller::FieldSpec;

namespace {

constexpr int kInstrumentType = DuskarArchivTraits::kInstrumentType;
constexpr int kVoltageCategory = 0;
constexpr int kCurrentCategory = 1;
constexpr int kPowerCategory = 4;
constexpr std::int16_t kNoSignedCurrent = 32767;
constexpr WORD kNoWord = 0xFFFF;

#define DUSKAR_FIELD(name) FieldSpec{offsetof(DuskarAktFields, name), int(sizeof(DuskarAktFields::name))}
#define DUSKAR_ENTRY(name, i) FieldSpec{offsetof(DuskarAktFields, name) + (i), 1}
#define DUSKAR_NINE(name)                                                                                        \
    DUSKAR_ENTRY(name, 0), DUSKAR_ENTRY(name, 1), DUSKAR_ENTRY(name, 2), DUSKAR_ENTRY(name, 3),                  \
        DUSKAR_ENTRY(name, 4), DUSKAR_ENTRY(name, 5), DUSKAR_ENTRY(name, 6), DUSKAR_ENTRY(name, 7),              \
        DUSKAR_ENTRY(name, 8)

// Payload order; field k is bit k of mask A (k < 32) or bit k - 32 of mask B.
constexpr std::array<FieldSpec, DuskarArchivTraits::kFieldCount> kFields = {
    DUSKAR_FIELD(cosPhi),        DUSKAR_FIELD(word0),          DUSKAR_FIELD(word1),    DUSKAR_FIELD(model),
    DUSKAR_FIELD(ctWord),        DUSKAR_FIELD(freqCode),       DUSKAR_FIELD(current),  DUSKAR_FIELD(word18),
    DUSKAR_FIELD(activeCurrent), DUSKAR_FIELD(reactiveCurrent), DUSKAR_FIELD(word1E),  DUSKAR_FIELD(thdUCode),
    DUSKAR_FIELD(thdICode),      DUSKAR_NINE(harmonicU),       DUSKAR_NINE(harmonicI), DUSKAR_FIELD(vtCode),
    DUSKAR_FIELD(voltage),       DUSKAR_FIELD(voltageP),       DUSKAR_FIELD(chlCode),  DUSKAR_FIELD(byte45),
    DUSKAR_FIELD(missingCurrent), DUSKAR_FIELD(temperature),   DUSKAR_FIELD(byte4B),   DUSKAR_FIELD(byte21),
    DUSKAR_FIELD(stageMask),     DUSKAR_FIELD(byte24),         DUSKAR_FIELD(byte25),   DUSKAR_FIELD(state),
    DUSKAR_FIELD(flags),         DUSKAR_FIELD(byte28),         DUSKAR_FIELD(byte4C),
};

#undef DUSKAR_FIELD
#undef DUSKAR_ENTRY
#undef DUSKAR_NINE

QString VoltageUnit(int multiplier)
{
    return multiplier != 1 ? QStringLiteral("kV") : QStringLiteral("V");
}

QString CurrentUnit(int multiplier)
{
    return multiplier != 1 ? QStringLiteral("kA") : QStringLiteral("A");
}

// Unit prefix of a power: "M", "k" or none.
QString PowerPrefix(int multiplier)
{
    return multiplier == 1 ? QString() : multiplier == 1000 ? QStringLiteral("k") : QStringLiteral("M");
}

} // namespace

std::span<const FieldSpec> DuskarArchivTraits::FieldTable()
{
    return kFields;
}

CDuskarAktData DuskarArchivTraits::NoValues()
{
    CDuskarAktData v;
    v.ctWord = 0x8001;
    v.freqCode = 0xFF;
    v.current = kNoWord;
    v.activeCurrent = kNoSignedCurrent;
    v.reactiveCurrent = kNoSignedCurrent;
    v.missingCurrent = kNoSignedCurrent;
    v.cosPhi = CDuskarAktData::kNoCosPhi;
    v.thdUCode = 0xFF;
    v.thdICode = 0xFF;
    std::fill(std::begin(v.harmonicU), std::end(v.harmonicU), BYTE(0xFF));
    std::fill(std::begin(v.harmonicI), std::end(v.harmonicI), BYTE(0xFF));
    v.voltage = std::int16_t(kNoWord);
    v.voltageP = std::int16_t(kNoWord);
    v.chlCode = 0xFF;
    v.temperature = 127;
    return v;
}

// ---- Recording -----------------------------------------------------------------

BOOL CDuskarArchivData::IsConfigChanged(const CDuskarAktData& measured) const
{
    std::lock_guard queue(queueLock);
    bool ratiosChanged = false;
    {
        std::lock_guard lock(valuesLock);
        ratiosChanged = measured.vtCode != values.vtCode || measured.ctWord != values.ctWord;
    }
    std::lock_guard list(listLock);
    return needConfigRecord || ratiosChanged ? TRUE : FALSE;
}

void CDuskarArchivData::TakeRatiosLocked(const CDuskarAktData& measured)
{
    m_scales.TakeCurrentRatio(float(measured.GetCtRatio()));
    m_scales.TakeVoltageRatio(float(measured.GetVtRatio()));
}

// ---- Live readers ------------------------------------------------------------

BOOL CDuskarArchivData::IsModel19Or21() const
{
    std::lock_guard lock(valuesLock);
    return values.model == 19 || values.model == 21;
}

int CDuskarArchivData::GetLatestStatusBit5() const
{
    std::lock_guard lock(valuesLock);
    return (values.flags >> 5) & 1;
}

float CDuskarArchivData::GetRatioU() const
{
    std::lock_guard family(familyLock);
    return m_scales.voltageRatio;
}

float CDuskarArchivData::GetRatioI() const
{
    std::lock_guard family(familyLock);
    return m_scales.currentRatio;
}

void CDuskarArchivData::GetScaleU(float& ratio, QString& format, int& multiplier) const
{
    std::lock_guard family(familyLock);
    ratio = m_scales.voltageRatio;
    format = m_scales.voltage.format;
    multiplier = m_scales.voltage.multiplier;
}

void CDuskarArchivData::GetScaleI(float& ratio, QString& format, int& multiplier) const
{
    std::lock_guard family(familyLock);
    ratio = m_scales.currentRatio;
    format = m_scales.current.format;
    multiplier = m_scales.current.multiplier;
}

void CDuskarArchivData::GetScalePower(QString& format, int& multiplier) const
{
    std::lock_guard family(familyLock);
    format = m_scales.power.format;
    multiplier = m_scales.power.multiplier;
}

void CDuskarArchivData::SetVoltageSeries(IArchivSeriesRegistry& series, double ratio, int multiplier) const
{
    double minimum = 0;
    double maximum = 0;
    if (!scaleCategories.GetEffectiveRange(kVoltageCategory, kInstrumentType, minimum, maximum, ratio))
        return;
    series.SetSeriesScale(QStringLiteral("U"), minimum, maximum);
    series.SetSeriesText(QStringLiteral("U"), VoltageUnit(multiplier), multiplier);
}

void CDuskarArchivData::SetCurrentSeries(IArchivSeriesRegistry& series, double ratio, int multiplier) const
{
    double minimum = 0;
    double maximum = 0;
    if (!scaleCategories.GetEffectiveRange(kCurrentCategory, kInstrumentType, minimum, maximum, ratio))
        return;
    for (const char* name : {"Ieff", "Iact", "Irea", "dIrea"}) {
        series.SetSeriesScale(QString::fromLatin1(name), minimum, maximum);
        series.SetSeriesText(QString::fromLatin1(name), CurrentUnit(multiplier), multiplier);
    }
}

void CDuskarArchivData::SetPowerSeries(IArchivSeriesRegistry& series, double product, int multiplier,
                                       bool allowNegative) const
{
    double minimum = 0;
    double maximum = 0;
    if (!scaleCategories.GetEffectiveRange(kPowerCategory, kInstrumentType, minimum, maximum, product))
        return;
    if (!allowNegative && minimum < 0)
        minimum = 0;
    const QString unit = PowerPrefix(multiplier) + QStringLiteral("W,...");
    for (const char* name : {"Pac", "Pre", "dPre"}) {
        series.SetSeriesScale(QString::fromLatin1(name), minimum, maximum);
        series.SetSeriesText(QString::fromLatin1(name), unit, multiplier);
    }
}

BOOL CDuskarArchivData::Rescale(int CVKRatioScales::*flag, bool voltage, BOOL allowNegative)
{
    CVKRatioScales scales;
    {
        std::lock_guard family(familyLock);
        if (!(m_scales.*flag))
            return FALSE;
        m_scales.*flag = 0;
        scales = m_scales;
    }
    if (IArchivSeriesRegistry* series = Series()) {
        if (voltage)
            SetVoltageSeries(*series, scales.voltageRatio, scales.voltage.multiplier);
        else
            SetCurrentSeries(*series, scales.currentRatio, scales.current.multiplier);
        SetPowerSeries(*series, double(scales.voltageRatio) * scales.currentRatio, scales.power.multiplier,
                       allowNegative != 0);
    }
    return TRUE;
}

BOOL CDuskarArchivData::RescaleCurrentSeries(BOOL allowNegative)
{
    return Rescale(&CVKRatioScales::currentScaleChanged, false, allowNegative);
}

BOOL CDuskarArchivData::RescaleVoltageSeries(BOOL allowNegative)
{
    return Rescale(&CVKRatioScales::voltageScaleChanged, true, allowNegative);
}

CDuskarValueTexts CDuskarArchivData::FormatValues() const
{
    CVKRatioScales scales;
    {
        std::lock_guard family(familyLock);
        scales = m_scales;
    }
    std::lock_guard lock(valuesLock);
    return archive::controller::FormatDuskarValues(values, newData, scales);
}

CControllerPanelImage CDuskarArchivData::FormatStatusTexts(int selector) const
{
    std::lock_guard lock(valuesLock);
    return archive::controller::FormatDuskarPanel(values, newData, selector);
}

// ---- Value lists -------------------------------------------------------------

CVKWindowScales CDuskarArchivData::GetWindowScales() const
{
    std::lock_guard family(familyLock);
    return m_windowScales;
}

void CDuskarArchivData::TakeFormattingFrom(const CDuskarArchivData& source)
{
    if (&source == this)
        return;
    CVKRatioScales scales;
    CVKWindowScales window;
    {
        std::lock_guard family(source.familyLock);
        scales = source.m_scales;
        window = source.m_windowScales;
    }
    std::lock_guard family(familyLock);
    m_scales = scales;
    m_windowScales = window;
}

QStringList CDuskarArchivData::GetAxisNames(const Columns& columns) const
{
    const CVKWindowScales scales = GetWindowScales();
    const QString voltage = QStringLiteral(" [") + VoltageUnit(scales.voltage.multiplier) + QLatin1Char(']');
    const QString current = QStringLiteral(" [") + CurrentUnit(scales.current.multiplier) + QLatin1Char(']');
    const QString prefix = PowerPrefix(scales.power.multiplier);
    const QString watts = QStringLiteral(" [") + prefix + QStringLiteral("W]");
    const QString vars = QStringLiteral(" [") + prefix + QStringLiteral("var]");
    const QString percent = QStringLiteral(" [%]");
    const QString units[kColumnCount] = {QStringLiteral(" []"), voltage, QStringLiteral(" [Hz]"), watts, vars, vars,
                                         current, current, current, current, percent, percent, percent,
                                         QStringLiteral(" [C]")};
    QStringList out{platform::LoadString(platform::IDS_TIME)};
    for (int c = 0; c < kColumnCount; ++c) {
        if (columns[std::size_t(c)])
            out.append(ControllerQuantityNames[std::size_t(c)].toString() + units[c]);
    }
    return out;
}

QStringList CDuskarArchivData::FormatRecordRow(const Columns& columns, const CDuskarAktData* row, CTime time) const
{
    QStringList out{time.Format(QStringLiteral("%d.%m %H:%M:%S"))};
    const CVKWindowScales scales = GetWindowScales();
    for (int c = 0; c < kColumnCount; ++c) {
        if (!columns[std::size_t(c)])
            continue;
        if (!row) {
            out.append(archive::controller::NoValueText());
            continue;
        }
        const CDuskarAktData& v = *row;
        const double ct = v.GetCtRatio();
        const double vt = v.GetVtRatio();
        const WORD voltage = WORD(v.voltage);
        const WORD voltageP = WORD(v.voltageP);
        QString text;
        switch (c) {
        case 0:
            text = v.cosPhi == CDuskarAktData::kNoCosPhi || v.current < 7 ? archive::controller::NoValueText()
                                                                          : QString::number(v.cosPhi * 0.01, 'f', 2);
            break;
        case 1:
            text = voltage == kNoWord ? archive::controller::NoValueText() : FormatScaled(scales.voltage, voltage * vt * 0.1);
            break;
        case 2:
            text = v.freqCode == 0xFF ? archive::controller::NoValueText() : QString::number(v.GetFrequency(), 'f', 1);
            break;
        case 3:
            text = archive::controller::PowerText(v.activeCurrent, voltageP, vt, ct, scales.power, false);
            break;
        case 4:
            text = archive::controller::PowerText(v.reactiveCurrent, voltageP, vt, ct, scales.power, true);
            break;
        case 5:
            text = archive::controller::PowerText(v.missingCurrent, voltageP, vt, ct, scales.power, true);
            break;
        case 6:
            text = v.current == kNoWord ? archive::controller::NoValueText() : FormatScaled(scales.current, v.current * ct * 0.00025);
            break;
        case 7:
            text = archive::controller::SignedCurrentText(v.activeCurrent, ct, scales.current, false);
            break;
        case 8:
            text = archive::controller::SignedCurrentText(v.reactiveCurrent, ct, scales.current, true);
            break;
        case 9:
            text = archive::controller::SignedCurrentText(v.missingCurrent, ct, scales.current, true);
            break;
        case 10:
            text = archive::controller::PercentText(v.GetThd(CDuskarAktData::kCurrent), 850, 1);
            break;
        case 11:
            text = archive::controller::PercentText(v.GetThd(CDuskarAktData::kVoltage), 850, 1);
            break;
        case 12:
            text = archive::controller::PercentText(v.GetChl(), 1000, 1);
            break;
        case 13:
            text = v.temperature == 127 ? archive::controller::NoValueText() : QString::number(v.temperature);
            break;
        default:
            break;
        }
        out.append(text);
    }
    return out;
}

std::vector<QStringList> CDuskarArchivData::GetRecordRows(int index, const Columns& columns, int& count, int& first,
                                                          std::vector<int>* offsets)
{
    return ReadValueRows(
        index, [&](const CDuskarAktData* row, CTime time) { return FormatRecordRow(columns, row, time); }, count,
        first, offsets);
}

void CDuskarArchivData::UpdateSeriesScales(BOOL allowNegativePower)
{
    double voltageRatio = 0;
    double currentRatio = 0;
    {
        std::lock_guard family(familyLock);
        voltageRatio = m_scales.voltageRatio;
        currentRatio = m_scales.currentRatio;
    }
    double product = voltageRatio * currentRatio;
    VisitWindowSettings([&](const CDuskarConfig& config) {
        const double vt = config.GetVtRatio();
        const double ct = config.GetCtRatio();
        voltageRatio = std::max(voltageRatio, vt);
        currentRatio = std::max(currentRatio, ct);
        product = std::max(product, vt * ct);
    });
    CVKWindowScales scales;
    scales.Choose(voltageRatio, currentRatio, product);
    {
        std::lock_guard family(familyLock);
        m_windowScales = scales;
    }
    if (IArchivSeriesRegistry* series = Series()) {
        SetVoltageSeries(*series, voltageRatio, scales.voltage.multiplier);
        SetCurrentSeries(*series, currentRatio, scales.current.multiplier);
        SetPowerSeries(*series, product, scales.power.multiplier, allowNegativePower != 0);
    }
}
