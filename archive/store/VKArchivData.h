#pragma once

#include "archive/store/VKFamilyArchivData.h"
#include "model/Iden.h"
#include "model/VKAktData.h"
#include "model/VKConfig.h"
#include "model/VKStatus.h"

// The archive of a VK analyser (files ".vk"). The measurement thread queues
// settings, identification and measurements; an archive document walks the
// records of a loaded window back into values and rows.
//
// A measurement record holds the instrument's codes, little-endian: the
// full record (216 bytes) every field, a changed-fields record only the
// fields that differ from the previous measurement, followed by three u32
// presence masks (see the field table in the .cpp).
class CVKArchivData : public CVKFamilyStore<CVKArchivData, CVKAktData, CVKConfig> {
public:
    static constexpr int kFullRecordSize = 216;
    static constexpr int kMaskBytes = 12;
    static constexpr int kColumnCount = 36;

    CVKArchivData();
    ~CVKArchivData() override;

    // Writers (measurement thread).
    void AddConfigRecord(const CVKConfig& config);
    void AddIdenRecord(const CIden& iden);

    // Getters (any thread).
    void GetTemperatureScale(float& slope, float& offset) const;
    // The flag raised by new temperature settings or a new variant bit 0;
    // cleared by reading it.
    int TakeSettingsChanged();
    int HasVariantBit0() const;
    int IsConnectionMode2() const;
    int HasVariantBit2() const;
    signed char GetLatestStateByte() const;
    // Ratios, formats, temperature line, variant bits and connection of
    // another VK archive object: a copy then formats rows as it does.
    void TakeFormattingFrom(const CVKArchivData& source);

    // Record payloads.
    static QByteArray BuildFullRecord(const CVKAktData& values);
    static QByteArray BuildChangedRecord(const CVKAktData& values, const CVKAktData& last);
    static int DecodeFullRecord(CVKAktData& values, const CArchivRecord& record);
    static int DecodeDeltaRecord(CVKAktData& values, const CArchivRecord& record);
    static int DecodeConfigRecord(const CArchivRecord& record, CVKConfig& config);
    static int DecodeStatus(const CArchivRecord& record, CVKStatus& status);
    static QByteArray ConfigPayload(const CVKConfig& config);

    // The status record of the window (before its first measurement); 0
    // and the output untouched when there is none.
    int GetStatusRecord(CVKStatus& status) const;

    // Three-phase totals of a measurement in W, var, VA (flags byte 0x80:
    // the instrument's own totals in the first slots).
    struct Totals {
        bool hasP = false, hasQ = false, hasS = false, hasPF = false;
        double p = 0, q = 0, s = 0, pf = 0;
    };
    static Totals ComputeTotals(const CVKAktData& values, double currentRatio, double voltageRatio,
                                int connectionMode2);

    // Rows of the value list: at most 10, from 3 rows before `index`.
    // `selection` holds 36 column flags.
    std::vector<QStringList> GetRecordRows(int index, const int* selection, int& count, int& first,
                                           std::vector<int>* offsets);
    // The record time ("%d.%m %H:%M:%S") and the selected columns; "--"
    // for every column without values.
    QStringList FormatRecordRow(const int* selection, const CVKAktData* values, platform::CTime time,
                                float currentRatio, float voltageRatio, float temperatureOffset,
                                float temperatureSlope, int variantBit0, int connectionMode2) const;
    // "Čas", then each selected column's name and unit.
    virtual QStringList GetAxisNames(const int* selection) const;

protected:
    void TakeWalkRecord(const CArchivRecord& record) override;
    archive::CSeriesScales SeriesStartScales() const override;

private:
    class Rows;
    // Ratios, temperature line and connection of a settings record;
    // `settingsChanged` raised by a new temperature line.
    void TakeConfigLocked(const CVKConfig& config);

    float m_temperatureSlope = 0;  // settingsLock, as the members below
    float m_temperatureOffset = 0;
    int m_settingsChanged = 0;
    int m_variantBit0 = 0;
    int m_connectionMode2 = 0;
    int m_variantBit2 = 0;
};
