// Scaled values and presence tests of CAktData.
#include "model/AktData.h"

#include "model/ValueChecks.h"

#include <bit>
#include <cmath>

namespace {

constexpr DWORD kFloatNoValue = 0xFFFFFFFFu;

bool IsNoValue(float f)
{
    return std::bit_cast<DWORD>(f) == kFloatNoValue;
}

std::optional<double> FloatValue(float f)
{
    if (IsNoValue(f))
        return std::nullopt;
    return double(f);
}

double OrNoValue(std::optional<double> v)
{
    return v ? *v : kNoValue;
}

// Inputs whose phase values a connection type sums into three-phase values;
// 0 when it has none.
int UsedInputs(int connection)
{
    switch (connection) {
    case 0:
        return 0;
    case 1:
        return 0b011;
    case 4:
        return 0b101;
    default:
        return 0b111;
    }
}

// Net value of a power recorded as import and export apart.
double CombineComponents(int k, std::optional<double> first, std::optional<double> second)
{
    if (k == CAktData::Average)
        return first.value_or(0.0) + second.value_or(0.0);
    if (!first)
        return second.value_or(0.0);
    if (!second)
        return *first;
    if (k == CAktData::Minimum)
        return -*second <= *first ? *first : *second;
    return -*second >= *first ? *first : *second;
}

// A value recorded as one float, or as import and export apart.
std::optional<double> PowerValue(int k, int component, bool twoComponents, float first, float second)
{
    if (!twoComponents)
        return FloatValue(first);
    if (component == 1)
        return FloatValue(first).value_or(0.0);
    if (component == 2)
        return FloatValue(second).value_or(0.0);
    return CombineComponents(k, FloatValue(first), FloatValue(second));
}

// Sum of a value over the inputs a connection type uses; empty when one is missing.
template <class Fn>
std::optional<double> SumUsed(int connection, Fn&& value)
{
    const int used = UsedInputs(connection);
    double sum = 0.0;
    for (int i = 0; i < 3; ++i) {
        if (!(used & (1 << i)))
            continue;
        const std::optional<double> v = value(i);
        if (!v)
            return std::nullopt;
        sum += *v;
    }
    return sum;
}

template <class Fn>
bool AllUsed(int connection, Fn&& has)
{
    const int used = UsedInputs(connection);
    for (int i = 0; i < 3; ++i) {
        if ((used & (1 << i)) && !has(i))
            return false;
    }
    return used != 0;
}

double PowerFactorOf(std::optional<double> p, std::optional<double> s, bool capAtOne)
{
    if (!s || *s < 1e-18)
        return CAktData::kNoPowerFactor;
    if (!p)
        return kNoValue;
    const double absP = std::fabs(*p);
    if (capAtOne && absP > *s)
        return 1.0;
    return absP / *s;
}

} // namespace

// ---------------------------------------------------------------- helpers

bool CAktData::LiveInput(int i) const
{
    return i >= 0 && i < kInputs && (m_selection & (1 << i)) && (m_selection & 0x10) && m_phases[std::size_t(i)];
}

bool CAktData::DescribedInput(int selectionByte, int i, int k, int inputs) const
{
    const BYTE b = Sel(selectionByte);
    return KindOk(k) && i >= 0 && i < inputs && (b & (1 << i)) && (k == Average || (b & 0x10));
}

const CAktPhase* CAktData::PhaseOf(int i, int k) const
{
    if (i < 0 || i >= kInputs || !KindOk(k))
        return nullptr;
    if (!m_arch || k == Average)
        return GetPhase(i);
    if (!m_extra)
        return nullptr;
    const auto& arr = k == Minimum ? m_extra->minPhases : m_extra->maxPhases;
    return arr[std::size_t(i)] ? &*arr[std::size_t(i)] : nullptr;
}

const CAktTotals* CAktData::TotalsOf(int k) const
{
    if (!KindOk(k) || !m_extra || !m_extra->totals[std::size_t(k)])
        return nullptr;
    return &*m_extra->totals[std::size_t(k)];
}

// ---------------------------------------------------------------- presence

bool CAktData::HasVoltage(int i, int k) const
{
    return m_arch ? DescribedInput(CVKTArch::SelVoltage, i, k, kInputs) && PhaseOf(i, k)
                  : KindOk(k) && LiveInput(i);
}

bool CAktData::HasLineVoltage(int i, int k) const
{
    return m_arch ? DescribedInput(CVKTArch::SelLineVoltage, i, k, kInputs) && PhaseOf(i, k)
                  : KindOk(k) && LiveInput(i);
}

bool CAktData::HasCurrent(int i, int k) const
{
    return m_arch ? DescribedInput(CVKTArch::SelCurrent, i, k, kInputs) && PhaseOf(i, k)
                  : KindOk(k) && LiveInput(i);
}

bool CAktData::HasThdU(int i, int k) const
{
    return m_arch ? DescribedInput(CVKTArch::SelThdU, i, k, kInputs) && PhaseOf(i, k) : KindOk(k) && LiveInput(i);
}

bool CAktData::HasThdI(int i, int k) const
{
    return m_arch ? DescribedInput(CVKTArch::SelThdI, i, k, kInputs) && PhaseOf(i, k) : KindOk(k) && LiveInput(i);
}

bool CAktData::HasCosPhi(int i) const
{
    return m_arch ? DescribedInput(CVKTArch::SelCos, i, Average, kInputs) && PhaseOf(i, Average) : LiveInput(i);
}

bool CAktData::HasPower(bool active, int i, int k, int component) const
{
    if (component < 0 || component > 2)
        return false;
    if (!m_arch)
        return component == 0 && KindOk(k) && LiveInput(i);
    const int n = active ? CVKTArch::SelActivePower : CVKTArch::SelReactivePower;
    if (!DescribedInput(n, i, k, 3) || !PhaseOf(i, k))
        return false;
    const bool two = (Sel(n) & 0x20) != 0;
    if (component != 0 && !two)
        return false;
    return !two || TotalsOf(k);
}

bool CAktData::HasActivePower(int i, int k, int component) const
{
    return HasPower(true, i, k, component);
}

bool CAktData::HasReactivePower(int i, int k, int component) const
{
    return HasPower(false, i, k, component);
}

bool CAktData::HasApparentPower(int i, int k) const
{
    if (!m_arch)
        return KindOk(k) && LiveInput(i);
    return DescribedInput(CVKTArch::SelApparentPower, i, k, 3) && TotalsOf(k);
}

bool CAktData::HasPowerFactor(int i, int k) const
{
    return HasActivePower(i, k, 0) && HasApparentPower(i, k);
}

bool CAktData::HasTotalPower(bool active, int connection, int k, int component) const
{
    if (!KindOk(k) || component < 0 || component > 2)
        return false;
    if (!m_arch) {
        // The inputs the connection uses, with their phase values.
        const int mask = UsedInputs(connection) | 0x10;
        return component == 0 && mask != 0x10 && (m_selection & mask) == mask;
    }
    const BYTE b = Sel(active ? CVKTArch::SelActivePower : CVKTArch::SelReactivePower);
    if (b & 0x08)
        return (k == Average || (b & 0x10)) && (component == 0 || (b & 0x20)) && TotalsOf(k);
    return k == Average && AllUsed(connection, [&](int i) { return HasPower(active, i, k, component); });
}

bool CAktData::HasTotalActivePower(int connection, int k, int component) const
{
    return HasTotalPower(true, connection, k, component);
}

bool CAktData::HasTotalReactivePower(int connection, int k, int component) const
{
    return HasTotalPower(false, connection, k, component);
}

bool CAktData::HasTotalApparentPower(int connection, int k) const
{
    if (!KindOk(k))
        return false;
    if (!m_arch) {
        const int mask = UsedInputs(connection) | 0x10;
        return mask != 0x10 && (m_selection & mask) == mask;
    }
    const BYTE b = Sel(CVKTArch::SelApparentPower);
    if (b & 0x08)
        return (k == Average || (b & 0x10)) && TotalsOf(k);
    return k == Average && AllUsed(connection, [&](int i) { return HasApparentPower(i, k); });
}

bool CAktData::HasTotalPowerFactor(int connection, int k) const
{
    return HasTotalActivePower(connection, k, 0) && HasTotalApparentPower(connection, k);
}

bool CAktData::HasVoltageUnbalance(int k) const
{
    if (!KindOk(k))
        return false;
    if (m_arch)
        return DescribedInput(CVKTArch::SelLineVoltage, 3, k, kInputs) && PhaseOf(3, k);
    return ((m_selection & 0x17) == 0x17 && m_phases[0] && m_phases[1] && m_phases[2]) || LiveInput(3);
}

bool CAktData::HasFrequency(int k) const
{
    if (!KindOk(k))
        return false;
    if (!m_arch)
        return true;
    const BYTE b = Sel(CVKTArch::SelFlags);
    return (b & 0x01) && (k == Average || ((b & 0x10) && m_extra));
}

bool CAktData::HasTemperature(int k) const
{
    if (!KindOk(k))
        return false;
    if (!m_arch)
        return true;
    const BYTE b = Sel(CVKTArch::SelFlags);
    return (b & 0x02) && (k == Average || ((b & 0x20) && m_extra));
}

bool CAktData::HasRelayState() const
{
    return !m_arch || (Sel(CVKTArch::SelFlags) & 0x04);
}

bool CAktData::HasHarmonic(bool voltage, int i, int n) const
{
    if (i < 0 || i >= kInputs || n < 0 || n >= CAktOddHarmonics::kCount + CAktEvenHarmonics::kCount)
        return false;
    const int c = voltage ? i : i + 4;
    bool selected = false;
    if (m_arch) {
        const BYTE orders = Sel(CVKTArch::SelOrders);
        selected = (Sel(CVKTArch::SelHarmonics) & (1 << c)) && n + 1 <= (orders & 0x7F)
            && (n % 2 == 0 || (orders & 0x80));
    } else {
        selected = (m_selection & (1 << i)) && (m_selection & (voltage ? 0x20 : 0x40))
            && (n % 2 == 0 || (m_selection & 0x80));
    }
    return selected && (n % 2 == 0 ? GetOddHarmonics(c) != nullptr : GetEvenHarmonics(c) != nullptr);
}

// ---------------------------------------------------------------- values

double CAktData::GetVoltage(int i, int k) const
{
    return HasVoltage(i, k) ? PhaseOf(i, k)->voltage * 0.025 : kNoValue;
}

double CAktData::GetLineVoltage(int i, int k) const
{
    return HasLineVoltage(i, k) ? PhaseOf(i, k)->lineVoltage * 0.025 : kNoValue;
}

double CAktData::GetCurrent(int i, int k) const
{
    return HasCurrent(i, k) ? PhaseOf(i, k)->current * 0.0002 : kNoValue;
}

double CAktData::GetCosPhi(int i) const
{
    return HasCosPhi(i) ? PhaseOf(i, Average)->angle * 0.0001 : kNoValue;
}

double CAktData::GetThdU(int i, int k) const
{
    return HasThdU(i, k) ? PhaseOf(i, k)->thdU * 0.01 : kNoValue;
}

double CAktData::GetThdI(int i, int k) const
{
    return HasThdI(i, k) ? PhaseOf(i, k)->thdI * 0.01 : kNoValue;
}

bool CAktData::IsThdIMissing(int i, int k) const
{
    return !HasThdI(i, k) || PhaseOf(i, k)->thdI == 0xFFFF;
}

double CAktData::GetFrequency(int k) const
{
    if (!HasFrequency(k))
        return kNoValue;
    if (!m_arch || k == Average)
        return m_frequency * 0.01;
    return (k == Minimum ? m_extra->minFrequency : m_extra->maxFrequency) * 0.01;
}

double CAktData::GetTemperature(int k) const
{
    if (!HasTemperature(k))
        return kNoValue;
    if (!m_arch || k == Average)
        return m_temperature * 0.01;
    return (k == Minimum ? m_extra->minTemperature : m_extra->maxTemperature) * 0.01;
}

std::optional<double> CAktData::Power(bool active, int i, int k, int component) const
{
    if (!HasPower(active, i, k, component))
        return std::nullopt;
    const CAktPhase* ph = PhaseOf(i, k);
    const float first = active ? ph->activePower : ph->reactivePower;
    const bool two = m_arch && (Sel(active ? CVKTArch::SelActivePower : CVKTArch::SelReactivePower) & 0x20);
    const float second = two ? (active ? TotalsOf(k)->active2 : TotalsOf(k)->reactive2)[std::size_t(i)] : 0.0f;
    return PowerValue(k, component, two, first, second);
}

std::optional<double> CAktData::TotalPower(bool active, int connection, int k, int component) const
{
    if (!HasTotalPower(active, connection, k, component))
        return std::nullopt;
    const BYTE b = Sel(active ? CVKTArch::SelActivePower : CVKTArch::SelReactivePower);
    if (m_arch && (b & 0x08)) {
        const CAktTotals* t = TotalsOf(k);
        return PowerValue(k, component, (b & 0x20) != 0, active ? t->active : t->reactive,
                          active ? t->active2Total : t->reactive2Total);
    }
    return SumUsed(connection, [&](int i) { return Power(active, i, k, component); });
}

double CAktData::GetActivePower(int i, int k, int component) const
{
    return OrNoValue(Power(true, i, k, component));
}

double CAktData::GetReactivePower(int i, int k, int component) const
{
    return OrNoValue(Power(false, i, k, component));
}

double CAktData::GetTotalActivePower(int connection, int k, int component) const
{
    return OrNoValue(TotalPower(true, connection, k, component));
}

double CAktData::GetTotalReactivePower(int connection, int k, int component) const
{
    return OrNoValue(TotalPower(false, connection, k, component));
}

// Apparent power; a stored no-value marker gives an empty result.
std::optional<double> CAktData::Apparent(int i, int k) const
{
    if (!HasApparentPower(i, k))
        return std::nullopt;
    if (!m_arch) {
        const CAktPhase* ph = PhaseOf(i, k);
        return double(ph->voltage) * double(ph->current) * 5e-6;
    }
    return FloatValue(TotalsOf(k)->apparent[std::size_t(i)]);
}

std::optional<double> CAktData::TotalApparent(int connection, int k) const
{
    if (!HasTotalApparentPower(connection, k))
        return std::nullopt;
    if (m_arch && (Sel(CVKTArch::SelApparentPower) & 0x08))
        return FloatValue(TotalsOf(k)->apparentTotal);
    return SumUsed(connection, [&](int i) { return Apparent(i, k); });
}

double CAktData::GetApparentPower(int i, int k) const
{
    return OrNoValue(Apparent(i, k));
}

double CAktData::GetTotalApparentPower(int connection, int k) const
{
    return OrNoValue(TotalApparent(connection, k));
}

double CAktData::GetPowerFactor(int i, int k) const
{
    if (!HasPowerFactor(i, k))
        return kNoValue;
    return PowerFactorOf(Power(true, i, k, 0), Apparent(i, k), !m_arch);
}

double CAktData::GetTotalPowerFactor(int connection, int k) const
{
    if (!HasTotalPowerFactor(connection, k))
        return kNoValue;
    // The three-phase active power is taken as a 32-bit float.
    std::optional<double> p = TotalPower(true, connection, k, 0);
    if (p)
        p = double(float(std::fabs(*p)));
    return PowerFactorOf(p, TotalApparent(connection, k), true);
}

double CAktData::GetVoltageUnbalance(int k) const
{
    if (!HasVoltageUnbalance(k))
        return kNoValue;
    if (!m_arch && (m_selection & 0x17) == 0x17 && m_phases[0] && m_phases[1] && m_phases[2]) {
        float result = 0.0f;
        if (!ComputeVoltageUnbalance(m_phases[0]->lineVoltage, m_phases[1]->lineVoltage, m_phases[2]->lineVoltage,
                                     result))
            return kNoUnbalance;
        return result;
    }
    return PhaseOf(3, k)->lineVoltage * 0.01;
}

double CAktData::GetHarmonicValue(bool voltage, int i, int n) const
{
    if (!HasHarmonic(voltage, i, n))
        return kNoValue;
    const int c = voltage ? i : i + 4;
    const WORD v = n % 2 == 0 ? GetOddHarmonics(c)->values[std::size_t(n / 2)]
                              : GetEvenHarmonics(c)->values[std::size_t((n - 1) / 2)];
    return v * (voltage ? 0.01 : 0.0002);
}

bool CAktData::AreHarmonicsEmpty(int i) const
{
    const CAktOddHarmonics* odd = GetOddHarmonics(i + 4);
    if (i < 0 || i >= kInputs || !odd)
        return true;
    int count = 7;
    if (m_arch) {
        const int described = (Sel(CVKTArch::SelOrders) & 0x7F) / 2 + 1;
        if (described > count)
            count = described;
    }
    if (count > CAktOddHarmonics::kCount)
        count = CAktOddHarmonics::kCount;
    for (int n = 0; n < count; ++n) {
        if (odd->values[std::size_t(n)] != 0xFFFF)
            return false;
    }
    return true;
}
