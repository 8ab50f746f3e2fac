#include "archive/store/QorinArchivData.h"

#include "platform/StringTable.h"

#include <cmath>
#include <cstddef>

using platform::CTime;
using archive::controller::FieldSpec;

namespace {

constexpr int kInstrumentType = QorinArchivTraits::kInstrumentType;
constexpr int kCurrentCategory = 1;
constexpr std::int16_t kNoSignedCurrent = 32767;

#define QORIN_FIELD(name) FieldSpec{offsetof(QorinAktFields, name), int(sizeof(QorinAktFields::name))}
#define QORIN_HARMONIC(i) FieldSpec{offsetof(QorinAktFields, harmonicCode) + (i), 1}

// Payload order; field k is bit k of the changed-fields mask.
constexpr std::array<FieldSpec, QorinArchivTraits::kFieldCount> kFields = {
    QORIN_FIELD(cosPhi),    QORIN_FIELD(word0),   QORIN_FIELD(word1),           QORIN_FIELD(model),
    QORIN_FIELD(ctWord),    QORIN_FIELD(byte8),   QORIN_FIELD(current),         QORIN_FIELD(word11),
    QORIN_FIELD(activeCurrent), QORIN_FIELD(reactiveCurrent), QORIN_FIELD(word17), QORIN_FIELD(thdCode),
    QORIN_HARMONIC(0),      QORIN_HARMONIC(1),    QORIN_HARMONIC(2),            QORIN_HARMONIC(3),
    QORIN_HARMONIC(4),      QORIN_HARMONIC(5),    QORIN_FIELD(byte27),          QORIN_FIELD(stageMask),
    QORIN_FIELD(byte30),    QORIN_FIELD(byte31),  QORIN_FIELD(state),           QORIN_FIELD(flags),
    QORIN_FIELD(byte34),
};

#undef QORIN_FIELD
#undef QORIN_HARMONIC

// Hundredths of an ampere on the primary side, rounded half away from zero.
double PrimaryAmperes(int value, double ratio)
{
    return std::round(value * ratio * 0.025) * 0.01;
}

} // namespace

std::span<const FieldSpec> QorinArchivTraits::FieldTable()
{
    return kFields;
}

void CQorinArchivData::TakeRatiosLocked(const CQorinAktData& measured)
{
    if (measured.ctWord != m_ratioWord) {
        m_ratioWord = measured.ctWord;
        m_ratioChanged = 1;
    }
}

// ---- Live readers ------------------------------------------------------------

BOOL CQorinArchivData::IsModel3Or5() const
{
    std::lock_guard lock(valuesLock);
    return values.model == 3 || values.model == 5;
}

int CQorinArchivData::GetLatestStatusBit7() const
{
    std::lock_guard lock(valuesLock);
    return values.GetFlag7();
}

double CQorinArchivData::GetCTRatio() const
{
    std::lock_guard family(familyLock);
    return CPrevodTyp::DecodeCtRatio(m_ratioWord);
}

double CQorinArchivData::GetCTRatio(BOOL lockValues) const
{
    if (!lockValues)
        return values.GetCtRatio();
    std::lock_guard lock(valuesLock);
    return values.GetCtRatio();
}

void CQorinArchivData::SetCurrentRange(std::initializer_list<const char*> names, double ratio, bool allowNegative)
{
    double minimum = 0;
    double maximum = 0;
    if (!scaleCategories.GetEffectiveRange(kCurrentCategory, kInstrumentType, minimum, maximum, ratio))
        return;
    if (!allowNegative && minimum < 0)
        minimum = 0;
    if (IArchivSeriesRegistry* series = Series()) {
        for (const char* name : names)
            series->SetSeriesScale(QString::fromLatin1(name), minimum, maximum);
    }
}

BOOL CQorinArchivData::ScaleCurrentSeries(BOOL allowNegative)
{
    double ratio = 1.0;
    {
        std::lock_guard family(familyLock);
        if (!m_ratioChanged)
            return FALSE;
        m_ratioChanged = 0;
        ratio = CPrevodTyp::DecodeCtRatio(m_ratioWord);
    }
    SetCurrentRange({"real", "imag", "Proud"}, ratio, allowNegative != 0);
    return TRUE;
}

CQorinValueTexts CQorinArchivData::FormatValues() const
{
    std::lock_guard lock(valuesLock);
    return archive::controller::FormatQorinValues(values, newData);
}

CControllerPanelImage CQorinArchivData::FormatStatusTexts(int selector) const
{
    std::lock_guard lock(valuesLock);
    return archive::controller::FormatQorinPanel(values, newData, selector);
}

QStringList CQorinArchivData::GetWindowTexts() const
{
    static const QString kMinutes = QStringLiteral("%d.%m %H:%M");
    std::uint32_t newest = 0;
    for (const CArchivRecord& r : window.records)
        newest = std::max(newest, r.time);
    QStringList texts;
    std::lock_guard ring(ringLock);
    std::uint32_t oldest = 0;
    if (header) {
        for (std::uint32_t t : header->slotTable) {
            if (t != 0 && (oldest == 0 || t < oldest))
                oldest = t;
        }
    }
    texts << (header ? header->name : QString()) << CTime(oldest).Format(kMinutes) << CTime(newest).Format(kMinutes)
          << GetCurrentRecordTime().Format(QStringLiteral("%d.%m %H:%M:%S"));
    return texts;
}

// ---- Value lists -------------------------------------------------------------

QStringList CQorinArchivData::GetAxisNames(const Columns& columns) const
{
    const QString names[kColumnCount] = {
        QStringLiteral("Cos []"),
        QStringLiteral("THD [%]"),
        QStringLiteral("Ieff [A]"),
        platform::LoadString(platform::IDS_ACTIVE_CURRENT) + QStringLiteral(" [A]"),
        platform::LoadString(platform::IDS_REACTIVE_CURRENT) + QStringLiteral(" [A]"),
    };
    QStringList out{platform::LoadString(platform::IDS_TIME)};
    for (int c = 0; c < kColumnCount; ++c) {
        if (columns[std::size_t(c)])
            out.append(names[c]);
    }
    return out;
}

QStringList CQorinArchivData::FormatRecordRow(const Columns& columns, const CQorinAktData* row, CTime time) const
{
    QStringList out{time.Format(QStringLiteral("%d.%m %H:%M:%S"))};
    const QString none = QStringLiteral("--");
    for (int c = 0; c < kColumnCount; ++c) {
        if (!columns[std::size_t(c)])
            continue;
        if (!row) {
            out.append(none);
            continue;
        }
        const double ratio = row->GetCtRatio();
        switch (c) {
        case 0:
            out.append(row->cosPhi == CQorinAktData::kNoCosPhi ? none
                                                                 : QString::number(row->cosPhi * 0.01, 'f', 2));
            break;
        case 1: {
            const double thd = row->GetThdI();
            out.append(thd < 850 ? QString::number(thd, 'f', 1) : none);
            break;
        }
        case 2:
            out.append(row->current == 0xFFFF
                           ? none
                           : FormatArchivNumber(m_currentFormat,
                                                int(row->current * ratio * 0.025 + 0.5) * 0.01));
            break;
        case 3:
            // An active current without a value has its marker like the
            // reactive one; it is no number of amperes.
            out.append(row->activeCurrent == kNoSignedCurrent
                           ? none
                           : FormatArchivNumber(m_currentFormat, PrimaryAmperes(row->activeCurrent, ratio)));
            break;
        case 4: {
            if (row->reactiveCurrent == kNoSignedCurrent) {
                out.append(none);
                break;
            }
            const double amperes = PrimaryAmperes(row->reactiveCurrent, ratio);
            out.append(archive::controller::ReactivePrefix(amperes)
                       + FormatArchivNumber(m_currentFormat, std::fabs(amperes)));
            break;
        }
        default:
            break;
        }
    }
    return out;
}

std::vector<QStringList> CQorinArchivData::BuildValueRows(int start, const Columns& columns, int& count, int& first,
                                                          std::vector<int>* offsets)
{
    return ReadValueRows(
        start, [&](const CQorinAktData* row, CTime time) { return FormatRecordRow(columns, row, time); }, count, first,
        offsets);
}

void CQorinArchivData::ScaleWindowSeries(BOOL allowNegative)
{
    double ratio = GetCTRatio(FALSE);
    // The settings' ratio has no upper limit, unlike the ratio word.
    VisitWindowSettings([&ratio](const CConfig& config) {
        const int primary = config.GetCtPrimaryCurrent();
        const int secondary = config.GetCtSecondaryCurrent();
        if (secondary > 0 && primary / secondary > ratio)
            ratio = double(primary) / secondary;
    });
    m_currentFormat = ratio < 10    ? QStringLiteral("%0.2f")
                      : ratio < 100 ? QStringLiteral("%0.1f")
                                    : QStringLiteral("%0.0f");
    SetCurrentRange({"Proud", "imag", "real"}, ratio, allowNegative != 0);
}
