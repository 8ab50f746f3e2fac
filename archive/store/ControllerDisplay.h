#pragma once

#include "archive/store/VKArchivFormats.h"
#include "model/DuskarAktData.h"
#include "model/QorinAktData.h"

#include <QString>

#include <array>
#include <cstdint>

// What the controllers' values windows and front panels show of the newest
// measurement. The stores fill these from their values; the windows copy
// them into their controls.

// The front panel: four digit cells, the decimal point, the lamps.
struct CControllerPanelImage {
    // Cell codes: 0-9 digits, 10 the first letter of "AP"/"AC", 11-14 and
    // 19, 20 symbols, 15 "=", 16 "C", 17 dash, 18 blank, 21 "U", 22 "P".
    static constexpr std::uint32_t kEquals = 15;
    static constexpr std::uint32_t kC = 16;
    static constexpr std::uint32_t kDash = 17;
    static constexpr std::uint32_t kBlank = 18;
    static constexpr std::uint32_t kU = 21;
    static constexpr std::uint32_t kP = 22;

    std::array<std::uint32_t, 4> cells{kBlank, kBlank, kBlank, kBlank};
    int decimals = 0;        // digits behind the decimal point; 0: no point
    std::uint32_t lamps = 0; // bits 0-13 stages, the others by family
    // Bit 0: the cells show a state symbol or mode word; bits 1 and 2: bits 1
    // and 3 of the flag byte.
    std::uint32_t result = 0;
};

// The values window of a Qorin controller.
struct CQorinValueTexts {
    static constexpr double kNoBar = 101.0;

    QString mode;
    QString cosPhi;
    QString current;
    QString thd;
    QString activeCurrent;
    QString reactiveCurrent;
    std::array<double, QorinAktFields::kHarmonicCount> harmonicBars{};
    std::array<BOOL, 14> stages{};
    BOOL layoutModel1Or2 = FALSE;
    BOOL layoutModel3Or5 = FALSE;
    int progress = 0;   // first parameter of the bar control's message
    int modelIndex = -1; // entry of the controllers' model-name table; -1 without a valid record
};

// The values window of a Duskar controller.
struct CDuskarValueTexts {
    static constexpr double kNoBar = 101.0;

    QString mode;
    QString cosPhi;
    QString angle; // the signed word beside the power factor
    QString frequency;
    QString voltage;
    QString current;
    QString activeCurrent;
    QString reactiveCurrent;
    QString missingCurrent; // dIre, as the reactive current
    QString activePower;
    QString reactivePower;
    QString missingPower;
    QString lowVoltage; // "1" when the controller flags it, else "0"
    QString thdU;
    QString thdI;
    QString chl;
    QString temperature; // in the instrument's own degrees
    std::array<double, DuskarAktFields::kHarmonicCount> harmonicBarsU{};
    std::array<double, DuskarAktFields::kHarmonicCount> harmonicBarsI{};
    std::array<BOOL, 14> stages{};
    BOOL layoutModel17Or18 = FALSE;
    BOOL layoutModel19Or21 = FALSE;
    int progress = 0;
    int modelIndex = -1; // -1 without a valid record
};

namespace archive::controller {

// Value texts shared by the values windows and the value lists.
QString NoValueText(); // "--"
// A signed current field (0.00025 A units, 32767 no value) in amperes on
// the primary side; a reactive one as magnitude with its "L"/"C" prefix.
QString SignedCurrentText(std::int16_t field, double ct, const CArchivNumberFormat& format, bool reactive);
// A Duskar power from a current field and the power voltage word; either
// without a value leaves no power to show.
QString PowerText(std::int16_t field, WORD voltageP, double vt, double ct, const CArchivNumberFormat& format,
                  bool reactive);
// "%0.<decimals>f" below `limit`, else "--".
QString PercentText(double value, double limit, int decimals);

// `state` is the store's data state: 1 with values, else why there are none
// (low four bits: 1 test, 2 "AP", 4 "AC").
CQorinValueTexts FormatQorinValues(const CQorinAktData& values, int state);
CDuskarValueTexts FormatDuskarValues(const CDuskarAktData& values, int state, const CVKRatioScales& scales);

// `selector`: the quantity the panel shows (Qorin: 1 power factor, 2
// current, 3 THD, 21 active and 22 reactive current, 31-36 harmonics 0-5;
// Duskar: 1 power factor, 2 current, 3 voltage).
CControllerPanelImage FormatQorinPanel(const CQorinAktData& values, int state, int selector);
CControllerPanelImage FormatDuskarPanel(const CDuskarAktData& values, int state, int selector);

} // namespace archive::controller
