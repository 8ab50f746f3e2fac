#pragma once

#include "archive/store/VKFamilyArchivData.h"
#include "model/Iden.h"
#include "model/VKRAktData.h"
#include "model/VKRConfig.h"

// The archive of a VKR analyser (files ".vkr"). Its values are primary
// values (floats in V, A, W, var and 16-bit codes), so a changed-fields
// record can keep a float whose upper half did not change in its lower two
// bytes. The connection type hides what the wiring does not measure ("-N-").
class CVKRArchivData : public CVKFamilyStore<CVKRArchivData, CVKRAktData, CVKRConfig> {
public:
    static constexpr int kFullRecordSize = 89;
    static constexpr int kSettingsRecordSize = 28;
    static constexpr int kMaskBytes = 6;
    static constexpr int kColumnCount = 36;
    static constexpr int kExtraColumnCount = 3;

    CVKRArchivData();
    ~CVKRArchivData() override;

    // Writers (measurement thread).
    void AddConfigRecord(const CVKRConfig& config);
    void AddIdenRecord(const CIden& iden);

    int GetConnectionType() const;
    // Ratios, formats and connection of another VKR archive object: a copy
    // then formats rows as it does.
    void TakeFormattingFrom(const CVKRArchivData& source);

    // Record payloads.
    static QByteArray BuildFullRecord(const CVKRAktData& values);
    static QByteArray BuildChangedRecord(const CVKRAktData& values, const CVKRAktData& last);
    static int DecodeFullRecord(CVKRAktData& values, const CArchivRecord& record);
    static int DecodeDeltaRecord(CVKRAktData& values, const CArchivRecord& record);
    static int DecodeConfigRecord(const CArchivRecord& record, CVKRConfig& config);
    static QByteArray ConfigPayload(const CVKRConfig& config);

    // Rows of the value list; `selection` holds 36 column flags,
    // `extraSelection` 3 for the line-voltage THD columns.
    std::vector<QStringList> GetRecordRows(int index, const int* selection, const int* extraSelection, int& count,
                                           int& first, std::vector<int>* offsets);
    QStringList FormatRecordRow(const int* selection, const int* extraSelection, const CVKRAktData* values,
                                platform::CTime time, float currentRatio, float voltageRatio,
                                int connectionType) const;
    // As the VK axis names, then the selected extra columns without a unit.
    virtual QStringList GetScaledAxisNames(const int* selection, const int* extraSelection) const;

    // True when the connection type has no such measurement in that column
    // (0..35, extra columns 36..38).
    static bool IsColumnHidden(int column, int connectionType);

protected:
    archive::CSeriesScales SeriesStartScales() const override;
    void TakeWalkRecord(const CArchivRecord& record) override;

private:
    class Rows;
    void TakeConfig(const CVKRConfig& config);

    int m_connectionType = 2;  // settingsLock
};
