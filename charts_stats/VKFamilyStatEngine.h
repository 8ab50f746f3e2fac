#pragma once

#include "charts_stats/VKStatResult.h"

#include <array>

class CVKFamilyArchivData;

namespace charts::stats {

// The archive's display units and formats into the settings (every run).
void CopyDisplayUnits(const CVKFamilyArchivData& data, CVKFamilyStatSettings& settings);

// The sliding windows of an analyser engine (voltages, currents and
// distortion over the first window, powers over the second) with the
// channel values of the record being added, and its energy integrals;
// started together and told the record interval together.
template <std::size_t U, std::size_t I, std::size_t T, std::size_t P, std::size_t Energies>
struct CAnalyserWindows {
    template <std::size_t N>
    struct Channels {
        CStatAverages window;
        std::array<float, N> value{};
        std::array<BOOL, N> valid{};
        void Set(std::size_t channel, float v)
        {
            value[channel] = v;
            valid[channel] = TRUE;
        }
        void Clear()
        {
            value.fill(0.0f);
            valid.fill(FALSE);
        }
        void Add(CTime t, bool filled) { window.AddSample(value.data(), valid.data(), t, filled); }
    };

    Channels<U> voltages;
    Channels<I> currents;
    Channels<T> thd;
    Channels<P> powers;
    std::array<CStatIntegral, Energies> energy;

    void Start(CTime start, const CVKFamilyStatSettings& s)
    {
        voltages.window.Init(int(U), s.window1, start);
        currents.window.Init(int(I), s.window1, start);
        thd.window.Init(int(T), s.window1, start);
        powers.window.Init(int(P), s.window2, start);
        for (CStatIntegral& e : energy)
            e.Start(start);
    }
    void SetInterval(int seconds)
    {
        for (CStatAverages* a : {&voltages.window, &currents.window, &thd.window, &powers.window})
            a->SetInterval(seconds);
        for (CStatIntegral& e : energy)
            e.SetInterval(seconds);
    }
    void BeginRecord()
    {
        voltages.Clear();
        currents.Clear();
        thd.Clear();
        powers.Clear();
    }
    // The record's channels into the windows; the power averages when the
    // second window is filled.
    bool EndRecord(CTime t, bool w1, bool w2, std::array<float, P>& averages, std::array<BOOL, P>& present)
    {
        voltages.Add(t, w1);
        currents.Add(t, w1);
        thd.Add(t, w1);
        powers.Add(t, w2);
        if (w2)
            powers.window.GetAverages(averages.data(), present.data());
        return w2;
    }
};

// The accumulators the VK and VKR statistics share, fed quantity by
// quantity by the family engines. Values arrive in the family's raw units;
// `Units` says how many raw units make one volt, ampere and watt.
class CVKFamilyStatEngine {
public:
    struct Units {
        float voltage = 1.0f;
        float current = 1.0f;
        float power = 1.0f;
    };
    // What the segment's wiring and recording deliver; the rest reads state 2.
    struct Applicable {
        std::array<bool, 6> voltage{};
        std::array<bool, 3> current{};
        std::array<bool, 6> voltageThd{};
        std::array<bool, 3> currentThd{};
        std::array<bool, 20> power{};
        std::array<bool, 8> powerFactor{};
        std::array<bool, 3> displacement{};
        std::array<bool, 16> energy{};
        bool unbalance = false;
        static Applicable All();
    };

    enum PowerType { kPImport = 0, kPExport = 1, kQImport = 2, kQExport = 3, kS = 4 };
    static constexpr int kSum = 3; // phase index of the three-phase value

    CVKFamilyStatEngine(CVKFamilyStatSettings& settings, Units units) : m_settings(settings), m_units(units) {}

    CStatEngineCore& Core() { return m_core; }
    CVKFamilyStatSettings& Settings() { return m_settings; }
    const CVKFamilyStatSettings& Settings() const { return m_settings; }
    void Reset(CTime start);
    void SetInterval(int seconds);

    // One record: begin, feed, end.
    void BeginRecord(CTime t);
    BOOL Minute() const { return m_minute; }
    void Voltage(int k, float value);
    void VoltageMissing(int k, bool countsAsDrop);
    void VoltageLow(int k, float value); // the below-10 % share, every record
    void Current(int k, float value);
    void CurrentMissing(int k);
    void CurrentLimits(int k, float value); // every record
    void Thd(int k, float percent);         // 0-5 voltage, 6-8 current
    void ThdMissing(int k);
    // Active and reactive power (signed) of a phase or the sum; apparent power.
    void ActivePower(int phase, float p);
    void ReactivePower(int phase, float q);
    void ApparentPower(int phase, float s);
    void PowerMissing(int phase); // closes the open minutes of its means
    // The active power's window channel of the class that Q gives.
    void ActiveByClass(int phase, float p, float q);
    // Power factor from P, Q (kind by Q) and S; `means`: P and S join the
    // class averages.
    void PowerFactor(int phase, float p, float q, float s, bool means);
    // The instrument's own power factor of a phase (signed), kind by Q.
    void Displacement(int phase, float pf, bool qNegative);
    void Unbalance(float u12, float u23, float u31);
    void UnbalanceMissing();
    void EndRecord();

    void Finish(CVKStatResult& out, CTime end, const Applicable& applicable);

private:
    void FeedPower(int element, float magnitude);

    CVKFamilyStatSettings& m_settings;
    Units m_units;
    CStatEngineCore m_core;
    CTime m_t;
    BOOL m_minute = FALSE;

    std::array<CStatMean, 6> m_uMean;
    std::array<CStatMinMax, 6> m_uMinMax;
    std::array<CStatChangeCounter, 6> m_uDrops;
    std::array<CStatLimitRatio, 6> m_u115, m_u90, m_u10;
    std::array<CStatMean, 3> m_iMean;
    std::array<CStatMinMax, 3> m_iMinMax;
    std::array<CStatLimitRatio, 3> m_iHalf, m_iNominal;
    std::array<CStatMean, 9> m_thdMean;
    std::array<CStatExtreme, 9> m_thdMax;
    std::array<CStatMean, 20> m_pMean;
    std::array<CStatMinMax, 20> m_pMinMax;
    std::array<CStatLimitRatio, 12> m_pHalf, m_pNominal;
    std::array<bool, 16> m_energyFed{};
    std::array<CStatMean, 8> m_pfP, m_pfS;
    std::array<CStatMinMax, 8> m_pfSample, m_pfWindow;
    std::array<CStatLimitRatio, 8> m_pfBelow, m_pfClass;
    std::array<CStatMinMax, 6> m_disp; // 2 x phase + kind
    std::array<CStatLimitRatio, 6> m_dispBelow, m_dispClass;
    CStatExtreme m_unbMax;
    CStatMean m_unbMean;

    CAnalyserWindows<6, 3, 9, 28, 16> m_win;
};

// The farthest from 1 of power factors on the 0..2 scale: the smaller in
// magnitude of the minimum (up to 1) and 2 - maximum (above 1). `fromMax`
// tells which was chosen.
float WorstPowerFactor(float min, float max, bool& fromMax);

} // namespace charts::stats
