#pragma once

#include "archive/store/ControllerArchivData.h"
#include "archive/store/ControllerDisplay.h"
#include "model/DuskarAktData.h"
#include "model/DuskarConfig.h"

#include <array>

struct DuskarArchivTraits {
    using Values = CDuskarAktData;
    using Fields = DuskarAktFields;
    using Config = CDuskarConfig;
    static constexpr int kInstrumentType = 5;
    static constexpr int kFieldCount = 47;
    // The last field (byte4C) is only in full records.
    static constexpr int kChangedFieldCount = 46;
    static constexpr int kMaskBytes = 6;
    static QString Extension() { return QStringLiteral(".dsk"); }
    static std::span<const archive::controller::FieldSpec> FieldTable();
    // Every quantity without a value.
    static CDuskarAktData NoValues();
};

// Archive of a Duskar power-factor controller (".dsk"): the Qorin store's
// twin with the larger measured values (voltage, frequency, powers, voltage
// and current harmonics, capacitor load, temperature), the 80-byte settings,
// and display scales that follow the voltage and current transformer ratios.
//
// Payloads (little-endian): settings = the 80-byte instrument image; full
// measurement = the 47 fields of the table in DuskarArchivData.cpp (60
// bytes); changed fields = those of the first 46 fields that differ, then a
// u32 mask A (fields 0-31) and a u16 mask B (fields 32-45).
class CDuskarArchivData : public CControllerArchivData<DuskarArchivTraits> {
public:
    static constexpr int kFullSize = 60;
    // Value-list columns in the order of the controllers' quantity names:
    // Cos, U, Fr, Pac, Pre, dPre, Ieff, Iact, Irea, dIrea, THDI, THDU, CHL, T.
    static constexpr int kColumnCount = 14;
    using Columns = std::array<BOOL, kColumnCount>;

    CDuskarArchivData() = default;
    ~CDuskarArchivData() override = default;

    static CDuskarAktData NoValues() { return DuskarArchivTraits::NoValues(); }

    // TRUE when the settings must be read and recorded before `measured` is
    // queued: a block without settings yet, or new transformer ratios.
    BOOL IsConfigChanged(const CDuskarAktData& measured) const;

    // ---- Live readers ----
    BOOL IsModel19Or21() const;
    int GetLatestStatusBit5() const;
    float GetRatioU() const;
    float GetRatioI() const;
    void GetScaleU(float& ratio, QString& format, int& multiplier) const;
    void GetScaleI(float& ratio, QString& format, int& multiplier) const;
    void GetScalePower(QString& format, int& multiplier) const;
    // After a ratio change: the graph ranges and units of the new ratios.
    // FALSE when nothing changed since the last call.
    BOOL RescaleCurrentSeries(BOOL allowNegative);
    BOOL RescaleVoltageSeries(BOOL allowNegative);
    // The values window (with the store's scales) and the front panel
    // (`selector`: the quantity it shows) from the newest values.
    CDuskarValueTexts FormatValues() const;
    CControllerPanelImage FormatStatusTexts(int selector) const;

    // ---- Value lists ----
    QStringList GetAxisNames(const Columns& columns) const;
    QStringList FormatRecordRow(const Columns& columns, const CDuskarAktData* row, platform::CTime time) const;
    // Rows of the window from three rows before `index` (at most 10); see
    // archive::controller::ReadRows.
    std::vector<QStringList> GetRecordRows(int index, const Columns& columns, int& count, int& first,
                                           std::vector<int>* offsets);
    // Window formats from the largest ratios of the store and of the
    // window's settings records; ranges and units of the graph series.
    void UpdateSeriesScales(BOOL allowNegativePower);
    CVKWindowScales GetWindowScales() const;
    // Ratios and window formats of another Duskar archive object: a copy
    // then formats rows as it does.
    void TakeFormattingFrom(const CDuskarArchivData& source);

protected:
    void TakeRatiosLocked(const CDuskarAktData& measured) override;

private:
    // Ranges and units of the graph series of one kind of quantity.
    void SetVoltageSeries(IArchivSeriesRegistry& series, double ratio, int multiplier) const;
    void SetCurrentSeries(IArchivSeriesRegistry& series, double ratio, int multiplier) const;
    void SetPowerSeries(IArchivSeriesRegistry& series, double product, int multiplier, bool allowNegative) const;
    // Takes the flag's changes (FALSE when it was down) and rescales.
    BOOL Rescale(int CVKRatioScales::*flag, bool voltage, BOOL allowNegative);

    CVKRatioScales m_scales;        // familyLock
    CVKWindowScales m_windowScales; // familyLock
};
