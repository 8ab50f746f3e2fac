#pragma once

#include "archive/store/ControllerArchivData.h"
#include "archive/store/ControllerDisplay.h"
#include "model/QorinAktData.h"
#include "model/QorinConfig.h"

#include <array>

struct QorinArchivTraits {
    using Values = CQorinAktData;
    using Fields = QorinAktFields;
    using Config = CConfig;
    static constexpr int kInstrumentType = 1;
    static constexpr int kFieldCount = 25;
    static constexpr int kChangedFieldCount = kFieldCount;
    static constexpr int kMaskBytes = 4;
    static QString Extension() { return QStringLiteral(".qor"); }
    static std::span<const archive::controller::FieldSpec> FieldTable();
    static CQorinAktData NoValues() { return CQorinAktData(); }
};

// Archive of a Qorin power-factor controller (".qor"). Payloads
// (little-endian): settings = the 66-byte instrument image; full measurement
// = the 25 fields of the table in QorinArchivData.cpp (35 bytes); changed
// fields = the fields that differ, then a u32 mask (bit k = field k).
class CQorinArchivData : public CControllerArchivData<QorinArchivTraits> {
public:
    static constexpr int kFullSize = 35;
    static constexpr int kFieldCount = QorinArchivTraits::kFieldCount;
    // Value-list columns: power factor, current THD, effective, active and
    // reactive current.
    static constexpr int kColumnCount = 5;
    using Columns = std::array<BOOL, kColumnCount>;

    CQorinArchivData() = default;
    ~CQorinArchivData() override = default;

    // ---- Live readers ----
    BOOL IsModel3Or5() const;
    int GetLatestStatusBit7() const;
    // The ratio of the ratio word of the newest measurement.
    double GetCTRatio() const;
    // The ratio of the values held (the walk's current values when reading
    // a file); `lockValues` false for a caller that owns the object alone.
    double GetCTRatio(BOOL lockValues) const;
    // After a change of the ratio word: the current series get the range of
    // the new ratio. FALSE when the ratio did not change since the last call.
    BOOL ScaleCurrentSeries(BOOL allowNegative);
    // The values window and the front panel (`selector`: the quantity it
    // shows) from the newest values.
    CQorinValueTexts FormatValues() const;
    CControllerPanelImage FormatStatusTexts(int selector) const;

    // The texts of the archive view: the file name, the start of the oldest
    // block and the time of the newest record of the window ("%d.%m
    // %H:%M"), the time of the current record ("%d.%m %H:%M:%S").
    QStringList GetWindowTexts() const;

    // ---- Value lists ----
    QStringList GetAxisNames(const Columns& columns) const;
    QStringList FormatRecordRow(const Columns& columns, const CQorinAktData* row, platform::CTime time) const;
    // Rows of the window from three rows before `start` (at most 10); see
    // archive::controller::ReadRows.
    std::vector<QStringList> BuildValueRows(int start, const Columns& columns, int& count, int& first,
                                            std::vector<int>* offsets);
    // Current format and current-series ranges for the window: the largest
    // ratio of the current values and of every settings record in it.
    void ScaleWindowSeries(BOOL allowNegative);
    QString GetCurrentFormat() const { return m_currentFormat; }
    // The window's current format of another Qorin archive object: a copy
    // then formats rows as it does.
    void TakeFormattingFrom(const CQorinArchivData& source)
    {
        if (&source != this)
            m_currentFormat = source.m_currentFormat;
    }

protected:
    void TakeRatiosLocked(const CQorinAktData& measured) override;

private:
    void SetCurrentRange(std::initializer_list<const char*> names, double ratio, bool allowNegative);

    WORD m_ratioWord = 0;   // familyLock
    int m_ratioChanged = 0; // familyLock
    QString m_currentFormat = QStringLiteral("%0.2f");
};
