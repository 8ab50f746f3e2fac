#pragma once

#include "archive/store/ArchivData.h"
#include "archive/store/ArchivSeriesRegistry.h"
#include "archive/store/ArchivWindow.h"
#include "archive/store/VKArchivFormats.h"
#include "model/Iden.h"

#include <QStringList>

#include <mutex>
#include <vector>

// What the VK and VKR archive objects share: the transformer ratios and
// number formats of the newest settings, the period file names, and the
// record walk over a loaded window (settings and identification records in
// force, the measurement records decoded one after the other, rows for the
// value list, graph scales). The family says how its records read.
class CVKFamilyArchivData : public CArchivData {
public:
    CVKFamilyArchivData(int type, const QString& extension);

    // Ratios and formats in force (settings lock).
    float GetRatioU() const;
    float GetRatioI() const;
    void GetScaleU(float& ratio, QString& format, int& multiplier) const;
    void GetScaleI(float& ratio, QString& format, int& multiplier) const;
    void GetScalePower(QString& format, int& multiplier) const;

    QString GetArchiveFileName() const { return GetBaseTitle(m_extension); }
    QString GetArchiveTitle() const { return GetPeriodTitle(m_extension); }

    // Model index of the newest identification read by the walk.
    int GetModelIndex() const;

    static int DecodeIdenRecord(const CArchivRecord& record, CIden& iden);
    // The identification in force at the current record; 0 and the output
    // untouched when there is none.
    int GetIdenAt(CIden& iden) const;

    // The loaded window that the walk, the rows and the graph scales read.
    CArchivWindow& Window() { return window; }
    const CArchivWindow& Window() const { return window; }
    void SetSeriesRegistry(IArchivSeriesRegistry* registry) { m_series = registry; }

    // Walk: 1 when a measurement record became current, 0 at the end (or
    // when the window holds no full measurement record to start from).
    virtual int FirstRecord();
    virtual int NextRecord();
    // Position of the current measurement record in the window's records;
    // -1 before a walk.
    int GetCurrentRecordPosition() const { return m_walkPos; }
    platform::CTime GetCurrentRecordTime() const;

    // The four texts of the archive view: the file name, the start of the
    // current block and the recording's start ("%d.%m %H:%M"), the time of
    // the current record ("%d.%m %H:%M:%S").
    QStringList GetWindowTexts() const;

    // The window formats from the largest ratios of the window's settings
    // records, and the ranges of the registered graph series.
    virtual void UpdateSeriesScales(BOOL allowNegativePower);
    // The live graph's axes after new settings: 1 when they were changed.
    int RescaleCurrentSeries(BOOL allowNegativePower);
    int RescaleVoltageSeries(BOOL allowNegativePower);
    // A live series registered since the last rescale: the next one ranges
    // and labels it as well.
    void MarkSeriesScalesChanged();
    CVKWindowScales GetWindowScales() const;

protected:
    // The ratios, window formats and model of another archive object of the
    // family, for a copy that formats rows as that object does.
    void TakeFamilyFormattingFrom(const CVKFamilyArchivData& source);

    // Family hooks of the walk.
    virtual void ClearCurrentValues() = 0;
    // A settings or identification record passed by the walk.
    virtual void TakeWalkRecord(const CArchivRecord& record) = 0;
    // A measurement record onto the current values; false when it cannot be read.
    virtual bool DecodeCurrent(const CArchivRecord& record) = 0;
    // The ratios of a settings record; false when it cannot be read.
    virtual bool SettingsRatios(const CArchivRecord& record, double& voltageRatio, double& currentRatio) const = 0;

    // One row source for `CollectRows`: it keeps its own values and
    // settings, so that rows never change the walk's.
    class RowSink {
    public:
        virtual ~RowSink() = default;
        virtual void TakeSettings(const CArchivRecord& record) = 0;
        // false: the record holds no values that can be shown.
        virtual bool TakeMeasurement(const CArchivRecord& record) = 0;
        virtual QStringList Format(platform::CTime time, bool hasValues) = 0;
    };
    // At most 10 rows, from 3 rows before `index` where the window has them.
    std::vector<QStringList> CollectRows(int index, RowSink& sink, int& count, int& first, std::vector<int>* offsets);

    void InitHeader(int slotTotal, const QString& name, BOOL overwrite) override;
    void RollFileName() override;

    // A record on the current list, `listLock` held.
    void QueueLocked(platform::CTime time, std::uint8_t type, QByteArray payload);
    // The full record of a block's first measurement, changed fields after it.
    template <class Values, class BuildFull, class BuildChanged>
    void QueueMeasurement(const Values& values, Values& last, BuildFull full, BuildChanged changed);

    // The measurement record with that ordinal (types 2 and 3 counted), -1
    // when there is none; the nearest record of `type` at or before a
    // position, -1 when there is none.
    int FindMeasurement(int ordinal) const;
    int FindBackwards(int position, std::uint8_t type) const;
    int FindFirst(std::uint8_t type) const;
    // Positions of the settings record in force at the current record (the
    // nearest before it, else the window's first) and of the identification
    // (the nearest before it); -1 when there is none.
    int SettingsRecordAt() const;
    int IdenRecordAt() const;

    // Units of the graph series and the unit texts of the axis names.
    static QString VoltageUnit(int multiplier);
    static QString CurrentUnit(int multiplier);
    static QString PowerUnit(int multiplier, int kind); // kind 0 P, 1 Q, 2 S
    // Captions of the 36 columns shared by both families.
    QStringList ColumnAxisNames(const int* selection) const;

    mutable std::mutex settingsLock;
    CVKRatioScales scales;   // settingsLock
    CVKWindowScales windowScales; // settingsLock
    int modelIndex = 0;      // settingsLock
    CArchivWindow window;

    // A copy of a member guarded by the settings lock.
    template <class T>
    T ReadSettings(const T& member) const
    {
        std::lock_guard lock(settingsLock);
        return member;
    }

private:
    int RescaleLiveSeries(bool voltage, bool allowNegativePower);
    // Range in base units from the category and `factor`; `unit` and the
    // `multiplier` its prefix stands for go together to the series.
    void SetSeries(const QString& name, const QString& unit, int multiplier, int category, double factor,
                   bool clampNegative);
    void SetPowerSeries(double product, int multiplier, bool allowNegative);

    QString m_extension;
    IArchivSeriesRegistry* m_series = &SeriesRegistry();
    int m_walkPos = -1;
    int m_walkOrdinal = -1;
};

template <class Values, class BuildFull, class BuildChanged>
void CVKFamilyArchivData::QueueMeasurement(const Values& values, Values& last, BuildFull full, BuildChanged changed)
{
    const platform::CTime now = Now();
    std::lock_guard queue(queueLock);
    lastMeasurementTime = now;
    QByteArray payload;
    std::uint8_t type = kRecordFull;
    if (needFullRecord) {
        payload = full(values);
        needFullRecord = 0;
    } else {
        std::lock_guard lock(valuesLock);
        payload = changed(values, last);
        type = kRecordChanged;
    }
    {
        std::lock_guard lock(valuesLock);
        last = values;
        newData = 1;
    }
    {
        std::lock_guard list(listLock);
        QueueLocked(now, type, std::move(payload));
    }
    ++blockRecordCount;
}

// The part that depends on the family's record types: the newest (writer)
// or current (walk) values, and the settings records. `Family` gives the
// static BuildFullRecord, BuildChangedRecord, DecodeFullRecord,
// DecodeDeltaRecord and DecodeConfigRecord.
template <class Family, class Values, class Config>
class CVKFamilyStore : public CVKFamilyArchivData {
public:
    using CVKFamilyArchivData::CVKFamilyArchivData;

    void AddMeasurementRecord(const Values& values)
    {
        QueueMeasurement(values, m_last, &Family::BuildFullRecord, &Family::BuildChangedRecord);
    }

    // The newest values and whether a measurement came since creation.
    void GetLatestValues(Values& values, int& hasNewData) const
    {
        std::lock_guard lock(valuesLock);
        values = m_last;
        hasNewData = newData;
    }

    // The settings in force at the current record: the nearest before it,
    // else the window's first; 0 and the output untouched when there is none.
    int GetConfigAt(Config& config) const
    {
        const int i = SettingsRecordAt();
        return i >= 0 ? Family::DecodeConfigRecord(window.records[std::size_t(i)], config) : 0;
    }

    // A full or a changed-fields record onto `values`.
    static int DecodeMeasurement(Values& values, const CArchivRecord& record)
    {
        return record.type == kRecordFull ? Family::DecodeFullRecord(values, record)
                                          : Family::DecodeDeltaRecord(values, record);
    }

protected:
    void ClearCurrentValues() override
    {
        std::lock_guard lock(valuesLock);
        m_last.Clear();
    }

    bool DecodeCurrent(const CArchivRecord& record) override
    {
        std::lock_guard lock(valuesLock);
        return DecodeMeasurement(m_last, record) != 0;
    }

    bool SettingsRatios(const CArchivRecord& record, double& voltageRatio, double& currentRatio) const override
    {
        Config config;
        if (!Family::DecodeConfigRecord(record, config))
            return false;
        voltageRatio = config.GetVtRatio();
        currentRatio = config.GetCtRatio();
        return true;
    }

    Values m_last; // valuesLock
};
