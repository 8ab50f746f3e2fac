#include "model/AktData.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

DWORD Bits(float f)
{
    return std::bit_cast<DWORD>(f);
}

float FromBits(DWORD d)
{
    return std::bit_cast<float>(d);
}

// Raw first and second power components that the instrument writes in its
// minimum and maximum sequences when a value is missing.
constexpr DWORD kLowMarker = 0xD0D0D0D0u;
constexpr DWORD kHighMarker = 0x50505050u;

template <class T>
void AppendLE(QByteArray& out, T v)
{
    const auto u = static_cast<std::uint32_t>(v);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        out.append(char((u >> (8 * i)) & 0xFF));
}

void AppendFloat(QByteArray& out, float f)
{
    AppendLE<DWORD>(out, Bits(f));
}

// Consumes a byte image; every take checks the length first.
class Reader {
public:
    Reader(const BYTE* data, int size) : m_data(data), m_size(size) {}
    bool Has(int n) const { return m_ok && n >= 0 && m_pos + n <= m_size; }
    const BYTE* Take(int n)
    {
        if (!Has(n)) {
            m_ok = false;
            return nullptr;
        }
        const BYTE* p = m_data + m_pos;
        m_pos += n;
        return p;
    }
    bool ok() const { return m_ok; }
    int pos() const { return m_pos; }

    template <class T>
    bool LE(T& v)
    {
        const BYTE* p = Take(int(sizeof(T)));
        if (!p)
            return false;
        std::uint32_t u = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            u |= std::uint32_t(p[i]) << (8 * i);
        v = static_cast<T>(u);
        return true;
    }
    bool LEFloat(float& f)
    {
        DWORD d = 0;
        if (!LE(d))
            return false;
        f = FromBits(d);
        return true;
    }

private:
    const BYTE* m_data;
    int m_size;
    int m_pos = 0;
    bool m_ok = true;
};

// The fields of a phase in their archive order and width.
template <class Phase, class Fn>
void ForEachPhaseField(Phase& ph, Fn&& fn)
{
    fn(ph.voltage);
    fn(ph.lineVoltage);
    fn(ph.current);
    fn(ph.activePower);
    fn(ph.reactivePower);
    fn(ph.angle);
    fn(ph.thdU);
    fn(ph.thdI);
}

// Fields compare by their bits, so that a change to or from the no-value
// marker of a float is a change and an unchanged marker is not.
template <class T>
DWORD RawOf(T v)
{
    if constexpr (std::is_same_v<T, float>)
        return Bits(v);
    else
        return DWORD(std::make_unsigned_t<T>(v));
}

std::array<DWORD, 8> PhaseRaw(const CAktPhase& ph)
{
    std::array<DWORD, 8> raw{};
    std::size_t n = 0;
    ForEachPhaseField(ph, [&raw, &n](auto v) { raw[n++] = RawOf(v); });
    return raw;
}

template <class T>
void AppendValue(QByteArray& out, const T& v)
{
    if constexpr (std::is_same_v<T, float>)
        AppendFloat(out, v);
    else
        AppendLE<T>(out, v);
}

template <class T>
bool ReadValue(Reader& r, T& v)
{
    if constexpr (std::is_same_v<T, float>)
        return r.LEFloat(v);
    else
        return r.LE(v);
}

// Harmonic values of a channel in order of the harmonic order: odd k at
// position 2k, even k at 2k + 1. Returns nullptr where the channel holds no
// such value.
WORD* HarmonicAt(std::optional<CAktOddHarmonics>& odd, std::optional<CAktEvenHarmonics>& even, int position)
{
    const std::size_t k = std::size_t(position / 2);
    if (position % 2 == 0)
        return odd && k < odd->values.size() ? &odd->values[k] : nullptr;
    return even && k < even->values.size() ? &even->values[k] : nullptr;
}

constexpr int kHarmonicPositions = CAktOddHarmonics::kCount + CAktEvenHarmonics::kCount; // orders 1..25

} // namespace

// ---------------------------------------------------------------- CAktWave

void CAktWave::GetPeaks(std::int16_t& maximum, std::int16_t& minimum) const
{
    maximum = 0;
    minimum = 0;
    for (std::int16_t s : samples) {
        if (s > maximum)
            maximum = s;
        if (s < minimum)
            minimum = s;
    }
}

double CAktWave::GetRms() const
{
    double sum = 0.0;
    for (std::int16_t s : samples)
        sum += double(s) * s;
    return std::sqrt(sum * (1.0 / kSamples));
}

double CAktWave::GetPhase() const
{
    double sumSin = 0.0, sumCos = 0.0;
    for (int n = 0; n < kSamples; ++n) {
        const double angle = 2.0 * std::numbers::pi * n / kSamples;
        sumSin += samples[std::size_t(n)] * std::sin(angle);
        sumCos += samples[std::size_t(n)] * std::cos(angle);
    }
    return std::atan2(sumCos, sumSin);
}

// ---------------------------------------------------------------- layout

int CAktData::GetLiveRawSize(WORD sel)
{
    int size = 9;
    for (int i = 0; i < kInputs; ++i) {
        if ((sel & (1 << i)) && (sel & 0x10))
            size += kPhaseSize;
    }
    for (int c = 0; c < kChannels; ++c) {
        if ((sel & (1 << (c % 4))) && (sel & (c < 4 ? 0x20 : 0x40)))
            size += (sel & 0x80) ? 50 : 26;
        if (sel & (0x100 << c))
            size += 2 * CAktWave::kSamples;
    }
    return size;
}

int CAktData::GetRawSize(WORD selection) const
{
    return m_arch ? m_arch->GetRecordSize() - 6 : GetLiveRawSize(selection);
}

void CAktData::SetLiveSelection(WORD sel)
{
    m_selection = sel;
    for (int i = 0; i < kInputs; ++i) {
        auto& ph = m_phases[std::size_t(i)];
        if ((sel & (1 << i)) && (sel & 0x10)) {
            if (!ph)
                ph.emplace();
        } else {
            ph.reset();
        }
    }
    for (int c = 0; c < kChannels; ++c) {
        const bool odd = (sel & (1 << (c % 4))) && (sel & (c < 4 ? 0x20 : 0x40));
        const bool even = odd && (sel & 0x80);
        const bool wave = sel & (0x100 << c);
        auto& o = m_odd[std::size_t(c)];
        auto& e = m_even[std::size_t(c)];
        auto& w = m_waves[std::size_t(c)];
        if (odd && !o)
            o.emplace();
        else if (!odd)
            o.reset();
        if (even && !e)
            e.emplace();
        else if (!even)
            e.reset();
        if (wave && !w)
            w.emplace();
        else if (!wave)
            w.reset();
    }
}

BOOL CAktData::CreateParts(const BYTE* reply, int size)
{
    if (!reply || size < 2)
        return FALSE;
    // A live record has no description.
    m_arch.reset();
    m_extra.reset();
    SetLiveSelection(GetWord(reply));
    return TRUE;
}

BOOL CAktData::FromRawParts(const BYTE* data, int size)
{
    int need = 9;
    for (const auto& ph : m_phases)
        need += ph ? kPhaseSize : 0;
    for (int c = 0; c < kChannels; ++c) {
        need += m_odd[std::size_t(c)] ? 2 * CAktOddHarmonics::kCount : 0;
        need += m_odd[std::size_t(c)] && m_even[std::size_t(c)] ? 2 * CAktEvenHarmonics::kCount : 0;
        need += m_waves[std::size_t(c)] ? 2 * CAktWave::kSamples : 0;
    }
    if (!data || size < need)
        return FALSE;

    const BYTE* p = data;
    const auto word = [&p]() {
        const WORD w = GetWord(p);
        p += 2;
        return w;
    };
    const auto real = [&p]() {
        const float f = GetFloat(p);
        p += 4;
        return f;
    };
    // Each quantity for every present input before the next quantity.
    for (auto& ph : m_phases) if (ph) ph->voltage = word();
    for (auto& ph : m_phases) if (ph) ph->lineVoltage = word();
    for (auto& ph : m_phases) if (ph) ph->current = word();
    for (auto& ph : m_phases) if (ph) ph->activePower = real();
    for (auto& ph : m_phases) if (ph) ph->reactivePower = real();
    for (auto& ph : m_phases) if (ph) ph->angle = std::int16_t(word());
    for (auto& ph : m_phases) if (ph) ph->thdU = word();
    for (auto& ph : m_phases) if (ph) ph->thdI = word();
    for (int c = 0; c < kChannels; ++c) {
        auto& odd = m_odd[std::size_t(c)];
        if (!odd)
            continue;
        auto& even = m_even[std::size_t(c)];
        for (std::size_t k = 0; k < odd->values.size(); ++k) {
            odd->values[k] = word();
            if (even && k < even->values.size())
                even->values[k] = word();
        }
    }
    for (auto& w : m_waves) {
        if (w) {
            for (auto& s : w->samples)
                s = std::int16_t(word());
        }
    }
    m_temperature = std::int16_t(word());
    m_frequency = std::int16_t(word());
    m_relayState = p[0];
    m_statusA = p[1];
    m_statusB = p[2];
    m_changeCounter = p[3];
    m_faultState = p[4];
    return TRUE;
}

void CAktData::SetArchiveLayout(const CVKTStatus& status)
{
    m_arch = status.GetArch();
    const auto s = [this](int n) { return Sel(n); };
    const auto selects = [&s](int n, int i) { return (s(n) & (1 << i)) != 0; };

    for (int i = 0; i < kInputs; ++i) {
        bool need = false;
        for (int n = CVKTArch::SelVoltage; n <= CVKTArch::SelCos; ++n)
            need = need || selects(n, i);
        // Powers are recorded for inputs 0..2 only (bit 3 is the three-phase value).
        need = need || (i < 3 && (selects(CVKTArch::SelActivePower, i) || selects(CVKTArch::SelReactivePower, i)));
        auto& ph = m_phases[std::size_t(i)];
        if (need && !ph)
            ph.emplace();
        else if (!need)
            ph.reset();
    }
    const BYTE harmonics = s(CVKTArch::SelHarmonics);
    const bool allOrders = (s(CVKTArch::SelOrders) & 0x80) != 0;
    for (int c = 0; c < kChannels; ++c) {
        const bool odd = (harmonics & (1 << c)) != 0;
        auto& o = m_odd[std::size_t(c)];
        auto& e = m_even[std::size_t(c)];
        if (odd && !o)
            o.emplace();
        else if (!odd)
            o.reset();
        if (odd && allOrders && !e)
            e.emplace();
        else if (!(odd && allOrders))
            e.reset();
        m_waves[std::size_t(c)].reset();
    }

    // Minimum and maximum phases, totals and second components.
    std::array<bool, kInputs> extremePhase{};
    for (int i = 0; i < kInputs; ++i) {
        for (int n = CVKTArch::SelVoltage; n <= CVKTArch::SelThdI; ++n)
            extremePhase[std::size_t(i)] = extremePhase[std::size_t(i)] || (selects(n, i) && (s(n) & 0x10));
        for (int n : {CVKTArch::SelActivePower, CVKTArch::SelReactivePower}) {
            extremePhase[std::size_t(i)] =
                extremePhase[std::size_t(i)] || (i < 3 && selects(n, i) && (s(n) & 0x10));
        }
    }
    std::array<bool, 3> totals{};
    for (int n : {CVKTArch::SelActivePower, CVKTArch::SelReactivePower, CVKTArch::SelApparentPower}) {
        const BYTE b = s(n);
        const bool stored = n == CVKTArch::SelApparentPower ? (b & 0x0F) != 0 : (b & 0x0F) && (b & 0x28);
        if (stored) {
            totals[0] = true;
            if (b & 0x10)
                totals[1] = totals[2] = true;
        }
    }
    const BYTE flags = s(CVKTArch::SelFlags);
    const bool extremeScalars = ((flags & 0x01) && (flags & 0x10)) || ((flags & 0x02) && (flags & 0x20));
    bool needExtra = extremeScalars || totals[0];
    for (bool b : extremePhase)
        needExtra = needExtra || b;
    if (!needExtra) {
        m_extra.reset();
        return;
    }
    if (!m_extra)
        m_extra.emplace();
    for (std::size_t k = 0; k < 3; ++k) {
        if (totals[k] && !m_extra->totals[k])
            m_extra->totals[k].emplace();
        else if (!totals[k])
            m_extra->totals[k].reset();
    }
    for (std::size_t i = 0; i < kInputs; ++i) {
        for (auto* arr : {&m_extra->minPhases, &m_extra->maxPhases}) {
            auto& ph = (*arr)[i];
            if (extremePhase[i] && !ph)
                ph.emplace();
            else if (!extremePhase[i])
                ph.reset();
        }
    }
}

void CAktData::ClearArchived()
{
    m_arch.reset();
    m_extra.reset();
    m_selection = 0;
}

// ---------------------------------------------------------------- described records

struct CAktData::Slot {
    enum Type { U8, U16, F32 } type;
    void* target; // nullptr: the bytes are there but the record has no place for them
    DWORD marker; // F32 read from the instrument: this raw value means no value
};

namespace {

int SlotWidth(int type)
{
    return type == 0 ? 1 : type == 1 ? 2 : 4;
}

} // namespace

std::vector<CAktData::Slot> CAktData::DescribedSlots(bool programOrder)
{
    std::vector<Slot> result;
    const auto s = [this](int n) { return Sel(n); };
    // Calls one(kind, input) for every value a selection byte asks for: in the
    // instrument's order all inputs of one kind before the next kind, in the
    // program's order all kinds of one input before the next input. Input 3
    // of the power bytes is the three-phase value.
    const auto forEachValue = [programOrder](BYTE b, auto&& one) {
        const int kinds = (b & 0x10) ? 3 : 1;
        for (int outer = 0; outer < (programOrder ? kInputs : kinds); ++outer) {
            for (int inner = 0; inner < (programOrder ? kinds : kInputs); ++inner) {
                const int k = programOrder ? inner : outer;
                const int i = programOrder ? outer : inner;
                if (b & (1 << i))
                    one(k, i);
            }
        }
    };
    const auto phaseOf = [this](int k, int i) -> CAktPhase* {
        if (k == Average)
            return GetPhase(i);
        if (!m_extra)
            return nullptr;
        auto& arr = k == Minimum ? m_extra->minPhases : m_extra->maxPhases;
        return arr[std::size_t(i)] ? &*arr[std::size_t(i)] : nullptr;
    };
    const auto totalsOf = [this](int k) -> CAktTotals* {
        return m_extra && m_extra->totals[std::size_t(k)] ? &*m_extra->totals[std::size_t(k)] : nullptr;
    };
    const auto add = [&result](Slot::Type t, void* target, DWORD marker = 0) { result.push_back({t, target, marker}); };

    add(Slot::U8, &m_statusA);
    add(Slot::U8, &m_statusB);

    // 16-bit phase quantities.
    static constexpr WORD CAktPhase::*kWordFields[] = {&CAktPhase::voltage, &CAktPhase::lineVoltage,
                                                        &CAktPhase::current, &CAktPhase::thdU, &CAktPhase::thdI};
    for (int n = CVKTArch::SelVoltage; n <= CVKTArch::SelThdI; ++n) {
        const BYTE b = s(n);
        const auto field = kWordFields[n];
        const auto one = [&](int k, int i) {
            CAktPhase* ph = phaseOf(k, i);
            add(Slot::U16, ph ? &(ph->*field) : nullptr);
        };
        forEachValue(b, one);
    }

    // P and Q: phases 0..2 and the three-phase value, each with its second
    // component when import and export are recorded apart.
    for (bool active : {true, false}) {
        const BYTE b = s(active ? CVKTArch::SelActivePower : CVKTArch::SelReactivePower);
        const bool two = (b & 0x20) != 0;
        const auto one = [&](int k, int i) {
            CAktPhase* ph = i < 3 ? phaseOf(k, i) : nullptr;
            CAktTotals* t = totalsOf(k);
            float* first = nullptr;
            float* second = nullptr;
            if (i < 3) {
                first = ph ? &(active ? ph->activePower : ph->reactivePower) : nullptr;
                second = t ? &(active ? t->active2 : t->reactive2)[std::size_t(i)] : nullptr;
            } else {
                first = t ? &(active ? t->active : t->reactive) : nullptr;
                second = t ? &(active ? t->active2Total : t->reactive2Total) : nullptr;
            }
            const DWORD firstMarker = !two || k == Average ? 0 : (k == Minimum ? kLowMarker : kHighMarker);
            const DWORD secondMarker = !two || k == Average ? 0 : (k == Minimum ? kHighMarker : kLowMarker);
            add(Slot::F32, first, firstMarker);
            if (two)
                add(Slot::F32, second, secondMarker);
        };
        forEachValue(b, one);
    }

    // S: phases 0..2, then the three-phase value.
    {
        const BYTE b = s(CVKTArch::SelApparentPower);
        const auto one = [&](int k, int i) {
            CAktTotals* t = totalsOf(k);
            add(Slot::F32, t ? (i < 3 ? &t->apparent[std::size_t(i)] : &t->apparentTotal) : nullptr);
        };
        forEachValue(b, one);
    }

    // Phase angles, averages only.
    for (int i = 0; i < kInputs; ++i) {
        if (s(CVKTArch::SelCos) & (1 << i)) {
            CAktPhase* ph = phaseOf(Average, i);
            add(Slot::U16, ph ? &ph->angle : nullptr);
        }
    }

    const BYTE flags = s(CVKTArch::SelFlags);
    if (flags & 0x01) {
        add(Slot::U16, &m_frequency);
        if (flags & 0x10) {
            add(Slot::U16, m_extra ? &m_extra->minFrequency : nullptr);
            add(Slot::U16, m_extra ? &m_extra->maxFrequency : nullptr);
        }
    }
    if (flags & 0x02) {
        add(Slot::U16, &m_temperature);
        if (flags & 0x20) {
            add(Slot::U16, m_extra ? &m_extra->minTemperature : nullptr);
            add(Slot::U16, m_extra ? &m_extra->maxTemperature : nullptr);
        }
    }

    const BYTE harmonics = s(CVKTArch::SelHarmonics);
    const int orders = s(CVKTArch::SelOrders) & 0x7F;
    const bool allOrders = (s(CVKTArch::SelOrders) & 0x80) != 0;
    for (int c = 0; c < kChannels; ++c) {
        if (!(harmonics & (1 << c)))
            continue;
        for (int k = 0; k < orders; ++k) {
            if (k % 2 == 1 && !allOrders)
                continue;
            // Orders above 25 have no place in the record; their bytes are skipped.
            add(Slot::U16, HarmonicAt(m_odd[std::size_t(c)], m_even[std::size_t(c)], k));
        }
    }

    if (flags & 0x04)
        add(Slot::U8, &m_relayState);
    return result;
}

BOOL CAktData::FromRaw(const BYTE* body, int size)
{
    if (!m_arch || !body || size < GetRawSize(0))
        return FALSE;
    const BYTE* p = body;
    for (const Slot& slot : DescribedSlots(false)) {
        switch (slot.type) {
        case Slot::U8:
            if (slot.target)
                *static_cast<BYTE*>(slot.target) = p[0];
            break;
        case Slot::U16:
            if (slot.target)
                *static_cast<WORD*>(slot.target) = GetWord(p);
            break;
        case Slot::F32:
            if (slot.target) {
                const DWORD raw = GetDword(p);
                *static_cast<float*>(slot.target) = FromBits(slot.marker && raw == slot.marker ? 0xFFFFFFFFu : raw);
            }
            break;
        }
        p += SlotWidth(slot.type);
    }
    return TRUE;
}

QByteArray CAktData::Pack() const
{
    QByteArray out;
    if (!m_arch)
        return out;
    // The slots only read from the record here.
    for (const Slot& slot : const_cast<CAktData*>(this)->DescribedSlots(true)) {
        switch (slot.type) {
        case Slot::U8:
            AppendLE<BYTE>(out, slot.target ? *static_cast<const BYTE*>(slot.target) : BYTE(0));
            break;
        case Slot::U16:
            AppendLE<WORD>(out, slot.target ? *static_cast<const WORD*>(slot.target) : WORD(0));
            break;
        case Slot::F32:
            AppendFloat(out, slot.target ? *static_cast<const float*>(slot.target) : 0.0f);
            break;
        }
    }
    return out;
}

int CAktData::UnpackDescribed(const BYTE* data, int size)
{
    Reader r(data, size);
    for (const Slot& slot : DescribedSlots(true)) {
        const BYTE* p = r.Take(SlotWidth(slot.type));
        if (!p)
            return 0;
        if (!slot.target)
            continue;
        switch (slot.type) {
        case Slot::U8:
            *static_cast<BYTE*>(slot.target) = p[0];
            break;
        case Slot::U16:
            *static_cast<WORD*>(slot.target) = WORD(p[0] | (p[1] << 8));
            break;
        case Slot::F32:
            *static_cast<float*>(slot.target) =
                FromBits(DWORD(p[0]) | (DWORD(p[1]) << 8) | (DWORD(p[2]) << 16) | (DWORD(p[3]) << 24));
            break;
        }
    }
    return r.pos();
}

// ---------------------------------------------------------------- live records, program's archive

void CAktData::PackHeader(QByteArray& out, const CAktData* previous) const
{
    const auto fields = [](const CAktData& d) {
        return std::array<int, 8>{d.m_selection & 0xFF, d.m_temperature, d.m_frequency, d.m_relayState,
                                  d.m_statusA,          d.m_statusB,     d.m_changeCounter, d.m_faultState};
    };
    const auto now = fields(*this);
    const auto append = [&out](int n, int v) {
        if (n == 1 || n == 2)
            AppendLE<std::int16_t>(out, std::int16_t(v));
        else
            AppendLE<BYTE>(out, BYTE(v));
    };
    if (!previous) {
        for (int n = 0; n < 8; ++n)
            append(n, now[std::size_t(n)]);
        return;
    }
    const auto before = fields(*previous);
    BYTE mask = 0;
    for (int n = 0; n < 8; ++n) {
        if (now[std::size_t(n)] != before[std::size_t(n)])
            mask = BYTE(mask | (1 << n));
    }
    out.append(char(mask));
    for (int n = 0; n < 8; ++n) {
        if (mask & (1 << n))
            append(n, now[std::size_t(n)]);
    }
}

void CAktData::PackPhases(QByteArray& out, bool full, const CAktData* previous) const
{
    for (int i = 0; i < kInputs; ++i) {
        const CAktPhase* ph = GetPhase(i);
        if (!ph)
            continue;
        if (full) {
            ForEachPhaseField(*ph, [&out](auto v) { AppendValue(out, v); });
            continue;
        }
        const CAktPhase* old = previous ? previous->GetPhase(i) : nullptr;
        const auto now = PhaseRaw(*ph);
        const auto before = old ? PhaseRaw(*old) : std::array<DWORD, 8>{};
        BYTE mask = 0;
        for (std::size_t f = 0; f < now.size(); ++f) {
            if (!old || now[f] != before[f])
                mask = BYTE(mask | (1 << f));
        }
        out.append(char(mask));
        int f = 0;
        ForEachPhaseField(*ph, [&](auto v) {
            if (mask & (1 << f++))
                AppendValue(out, v);
        });
    }
}

void CAktData::PackHarmonics(QByteArray& out, bool full, const CAktData* previous) const
{
    auto& self = const_cast<CAktData&>(*this); // read only
    for (std::size_t c = 0; c < kChannels; ++c) {
        if (!m_odd[c])
            continue;
        if (full) {
            for (int pos = 0; pos < kHarmonicPositions; ++pos) {
                if (const WORD* v = HarmonicAt(self.m_odd[c], self.m_even[c], pos))
                    AppendLE<WORD>(out, *v);
            }
            continue;
        }
        CAktData* prev = const_cast<CAktData*>(previous);
        DWORD mask = 0;
        for (int pos = 0; pos < kHarmonicPositions; ++pos) {
            const WORD* v = HarmonicAt(self.m_odd[c], self.m_even[c], pos);
            if (!v)
                continue;
            const WORD* old = prev ? HarmonicAt(prev->m_odd[c], prev->m_even[c], pos) : nullptr;
            if (!old || *old != *v)
                mask |= DWORD(1) << pos;
        }
        AppendLE<DWORD>(out, mask);
        for (int pos = 0; pos < kHarmonicPositions; ++pos) {
            if (mask & (DWORD(1) << pos))
                AppendLE<WORD>(out, *HarmonicAt(self.m_odd[c], self.m_even[c], pos));
        }
    }
}

QByteArray CAktData::PackFull(bool withHarmonics) const
{
    QByteArray out;
    PackHeader(out, nullptr);
    PackPhases(out, true, nullptr);
    if (withHarmonics)
        PackHarmonics(out, true, nullptr);
    return out;
}

QByteArray CAktData::PackDifference(const CAktData& previous, bool withHarmonics) const
{
    QByteArray out;
    PackHeader(out, &previous);
    PackPhases(out, false, &previous);
    if (withHarmonics)
        PackHarmonics(out, false, &previous);
    return out;
}

int CAktData::Unpack(const BYTE* data, int size, bool full)
{
    CAktData tmp(*this);
    const int n = m_arch ? tmp.UnpackDescribed(data, size) : tmp.UnpackLive(data, size, full, true);
    if (n > 0)
        *this = std::move(tmp);
    return n;
}

int CAktData::UnpackNoHarmonics(const BYTE* data, int size, bool full)
{
    CAktData tmp(*this);
    const int n = m_arch ? tmp.UnpackDescribed(data, size) : tmp.UnpackLive(data, size, full, false);
    if (n > 0)
        *this = std::move(tmp);
    return n;
}

int CAktData::UnpackLive(const BYTE* data, int size, bool full, bool withHarmonics)
{
    if (!data)
        return 0;
    Reader r(data, size);
    BYTE mask = 0xFF;
    if (!full && !r.LE(mask))
        return 0;
    BYTE sel = BYTE(m_selection);
    if ((mask & 0x01) && !r.LE(sel))
        return 0;
    if ((mask & 0x02) && !r.LE(m_temperature))
        return 0;
    if ((mask & 0x04) && !r.LE(m_frequency))
        return 0;
    for (int n = 3; n < 8; ++n) {
        BYTE* field[] = {&m_relayState, &m_statusA, &m_statusB, &m_changeCounter, &m_faultState};
        if ((mask & (1 << n)) && !r.LE(*field[n - 3]))
            return 0;
    }
    // The parts follow the selection the header carries.
    if (sel != BYTE(m_selection))
        SetLiveSelection(WORD((m_selection & 0xFF00) | sel));

    for (auto& ph : m_phases) {
        if (!ph)
            continue;
        BYTE fieldMask = 0xFF;
        if (!full && !r.LE(fieldMask))
            return 0;
        int f = 0;
        bool ok = true;
        ForEachPhaseField(*ph, [&](auto& v) {
            if (fieldMask & (1 << f++))
                ok = ok && ReadValue(r, v);
        });
        if (!ok)
            return 0;
    }
    if (!withHarmonics)
        return r.pos();
    for (std::size_t c = 0; c < kChannels; ++c) {
        if (!m_odd[c])
            continue;
        DWORD valueMask = 0xFFFFFFFFu;
        if (!full && !r.LE(valueMask))
            return 0;
        for (int pos = 0; pos < kHarmonicPositions; ++pos) {
            WORD* v = HarmonicAt(m_odd[c], m_even[c], pos);
            if (v && (valueMask & (DWORD(1) << pos)) && !r.LE(*v))
                return 0;
        }
    }
    return r.pos();
}
