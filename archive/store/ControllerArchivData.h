#pragma once

#include "archive/store/ArchivData.h"
#include "archive/store/ArchivSeriesRegistry.h"
#include "archive/store/ArchivWindow.h"
#include "archive/store/ControllerRecordCodec.h"
#include "archive/store/ControllerWalk.h"
#include "archive/store/VKArchivFormats.h"

#include <span>

// What the archives of the two power-factor controllers (Qorin, Duskar)
// share. The measurement thread queues the settings and, after every poll,
// the measured values: the first measurement of a block as a full record,
// the later ones as the fields that changed since the previous poll with a
// presence mask. The same object over a file walks those records back.
//
// Traits give the family: Values (its measured-values record, whose
// standard-layout field struct is Fields), Config (its settings record with
// kImageSize), kInstrumentType, Extension(), FieldTable() (payload order),
// kChangedFieldCount (the fields a changed record may hold), kMaskBytes
// (4: u32 mask; 6: u32 mask of fields 0-31, u16 of fields 32 on) and
// NoValues().
template <class Traits>
class CControllerArchivData : public CArchivData {
public:
    using Values = typename Traits::Values;
    using Config = typename Traits::Config;

    static QString Extension() { return Traits::Extension(); }

    CControllerArchivData() : CArchivData(Traits::kInstrumentType), values(Traits::NoValues()) {}

    // Graph series that ranges and unit texts go to (the store's own unless
    // set; none: nothing is set). Must outlive the store or be reset before
    // it goes.
    void SetSeriesRegistry(IArchivSeriesRegistry* series)
    {
        std::lock_guard family(familyLock);
        m_series = series;
    }

    // ---- Recording (measurement thread) ----
    void AddConfigRecord(Config config)
    {
        QByteArray image(Config::kImageSize, '\0');
        config.ToRaw(reinterpret_cast<BYTE*>(image.data()));
        const platform::CTime now = Now();
        std::lock_guard list(listLock);
        CurrentListLocked().push_back({now.GetTime(), kRecordSettings, std::move(image)});
        needConfigRecord = 0;
    }

    // TRUE when a full record was queued, FALSE for changed fields.
    BOOL AddMeasurementRecord(Values measured);

    // The newest values and the data state (1 once a measurement is queued).
    void GetLatestValues(Values& out, int& state) const
    {
        std::lock_guard lock(valuesLock);
        out = values;
        state = newData;
    }

    // File titles: the base name, and the base name with the period date.
    QString GetArchiveFileName() const { return GetBaseTitle(Extension()); }
    QString GetArchiveTitle() const { return GetPeriodTitle(Extension()); }

    // ---- Record decoding ----
    static BOOL ConfigFromRecord(const CArchivRecord& record, Config& config)
    {
        if (record.type != kRecordSettings || record.data.size() != Config::kImageSize)
            return FALSE;
        config.FromRaw(reinterpret_cast<const BYTE*>(record.data.constData()));
        return TRUE;
    }
    static BOOL DecodeFullRecord(Values& out, const CArchivRecord& record)
    {
        return archive::controller::UnpackFull(record.data.constData(), std::size_t(record.data.size()),
                                               FieldsOf(out), Traits::FieldTable())
                   ? TRUE
                   : FALSE;
    }
    // Only the fields of the mask change; FALSE (values untouched) for a
    // record whose size does not match its mask.
    static BOOL DecodeDeltaRecord(Values& out, const CArchivRecord& record);

    // ---- Record walk over the loaded window ----
    CArchivWindow& Window() { return window; }
    const CArchivWindow& Window() const { return window; }
    // The first full record of the window; 0 when there is none.
    int FirstRecord();
    // The next measurement over the current values, a full record included
    // (the changed records after it build on it, not on the first one); 0 at
    // the end (values untouched) or for a damaged record (stepped over).
    int NextRecord();
    int GetCurrentRecordIndex() const { return window.currentIndex; }
    platform::CTime GetCurrentRecordTime() const
    {
        return m_walkPos >= 0 ? platform::CTime(window.records[std::size_t(m_walkPos)].time) : platform::CTime();
    }
    // The settings in force at the current record (else the first of the
    // window); 0 without any.
    int GetConfigAt(Config& config) const;
    // The texts of the archive view: the file name, the start of the block
    // of the current record and the recording's start ("%d.%m %H:%M"), the
    // time of the current record ("%d.%m %H:%M:%S").
    QStringList GetWindowTexts() const;

protected:
    void InitHeader(int slotTotal, const QString& name, BOOL overwrite) override
    {
        SetNewHeader(slotTotal, VKArchivFileName(name, overwrite != 0, Now(), Extension()));
    }
    // Every slot of the new period's file starts empty.
    void RollFileName() override
    {
        std::lock_guard ring(ringLock);
        if (!header)
            return;
        header->name = RollVKArchivFileName(header->name, startTime, Extension());
        std::fill(header->slotTable.begin(), header->slotTable.end(), 0);
    }

    // A measurement was queued (`listLock` and `familyLock` held): the
    // family follows its ratios.
    virtual void TakeRatiosLocked(const Values& measured) = 0;

    IArchivSeriesRegistry* Series() const
    {
        std::lock_guard family(familyLock);
        return m_series;
    }

    // Rows of the window from three rows before `index`, decoded into values
    // of their own.
    template <class Format>
    std::vector<QStringList> ReadValueRows(int index, Format format, int& count, int& first,
                                           std::vector<int>* offsets)
    {
        Values scratch = Traits::NoValues();
        archive::controller::RowReader reader;
        reader.reset = [&scratch] { scratch = Traits::NoValues(); };
        reader.apply = [&scratch](const CArchivRecord& r) {
            return (r.type == kRecordFull ? DecodeFullRecord(scratch, r) : DecodeDeltaRecord(scratch, r)) != 0;
        };
        reader.format = [&](platform::CTime time, bool hasValues) { return format(hasValues ? &scratch : nullptr, time); };
        return archive::controller::ReadRows(*this, window, index, reader, count, first, offsets);
    }

    // The settings records of the window's blocks, read again from the file.
    template <class Visit>
    void VisitWindowSettings(Visit visit)
    {
        for (int slot : window.ringSlots) {
            CArchivRecordList block;
            ReadBlock(slot, block);
            for (const CArchivRecord& r : block) {
                Config config;
                if (ConfigFromRecord(r, config))
                    visit(config);
            }
        }
    }

    Values values; // valuesLock (writer); the walk's current values (reader)
    mutable std::mutex familyLock;
    CArchivWindow window;

private:
    static const void* FieldsOf(const Values& v) { return static_cast<const typename Traits::Fields*>(&v); }
    static void* FieldsOf(Values& v) { return static_cast<typename Traits::Fields*>(&v); }

    IArchivSeriesRegistry* m_series = &SeriesRegistry(); // familyLock
    int m_walkPos = -1;
};

template <class Traits>
BOOL CControllerArchivData<Traits>::AddMeasurementRecord(Values measured)
{
    CArchivRecord record;
    std::lock_guard queue(queueLock);
    const platform::CTime now = Now();
    record.time = now.GetTime();
    lastMeasurementTime = now;
    const BOOL full = needFullRecord ? TRUE : FALSE;
    if (full) {
        record.type = kRecordFull;
        record.data = archive::controller::PackFull(FieldsOf(std::as_const(measured)), Traits::FieldTable());
        needFullRecord = 0;
    } else {
        record.type = kRecordChanged;
        std::uint64_t mask = 0;
        {
            std::lock_guard lock(valuesLock);
            record.data = archive::controller::PackChanged(FieldsOf(std::as_const(measured)), FieldsOf(values),
                                                           Traits::FieldTable(), Traits::kChangedFieldCount, mask);
        }
        archive::AppendU32(record.data, std::uint32_t(mask));
        if (Traits::kMaskBytes == 6)
            archive::controller::AppendU16(record.data, std::uint16_t(mask >> 32));
    }
    {
        std::lock_guard lock(valuesLock);
        values = measured;
        newData = 1;
    }
    {
        std::lock_guard list(listLock);
        CurrentListLocked().push_back(std::move(record));
        std::lock_guard family(familyLock);
        TakeRatiosLocked(measured);
    }
    ++blockRecordCount;
    return full;
}

template <class Traits>
BOOL CControllerArchivData<Traits>::DecodeDeltaRecord(Values& out, const CArchivRecord& record)
{
    const qsizetype size = record.data.size();
    if (size < Traits::kMaskBytes)
        return FALSE;
    const char* p = record.data.constData();
    const char* masks = p + size - Traits::kMaskBytes;
    std::uint64_t mask = archive::ReadU32(masks);
    if (Traits::kMaskBytes == 6)
        mask |= std::uint64_t(archive::controller::ReadU16(masks + 4)) << 32;
    return archive::controller::UnpackChanged(p, std::size_t(size - Traits::kMaskBytes), FieldsOf(out),
                                              Traits::FieldTable(), Traits::kChangedFieldCount, mask)
               ? TRUE
               : FALSE;
}

template <class Traits>
int CControllerArchivData<Traits>::FirstRecord()
{
    {
        std::lock_guard lock(valuesLock);
        values = Traits::NoValues();
    }
    window.currentIndex = 0;
    m_walkPos = -1;
    for (std::size_t i = 0; i < window.records.size(); ++i) {
        if (window.records[i].type != kRecordFull)
            continue;
        Values decoded = Traits::NoValues();
        if (!DecodeFullRecord(decoded, window.records[i]))
            continue; // a damaged full record cannot start the walk
        std::lock_guard lock(valuesLock);
        values = decoded;
        m_walkPos = int(i);
        return 1;
    }
    return 0;
}

template <class Traits>
int CControllerArchivData<Traits>::NextRecord()
{
    if (m_walkPos < 0)
        return 0;
    for (std::size_t i = std::size_t(m_walkPos) + 1; i < window.records.size(); ++i) {
        const CArchivRecord& r = window.records[i];
        if (r.type != kRecordFull && r.type != kRecordChanged)
            continue;
        m_walkPos = int(i);
        ++window.currentIndex;
        std::lock_guard lock(valuesLock);
        return r.type == kRecordFull ? DecodeFullRecord(values, r) : DecodeDeltaRecord(values, r);
    }
    return 0;
}

template <class Traits>
int CControllerArchivData<Traits>::GetConfigAt(Config& config) const
{
    for (int i = m_walkPos; i >= 0; --i) {
        const CArchivRecord& r = window.records[std::size_t(i)];
        if (r.type == kRecordSettings)
            return ConfigFromRecord(r, config);
    }
    for (const CArchivRecord& r : window.records) {
        if (r.type == kRecordSettings)
            return ConfigFromRecord(r, config);
    }
    return 0;
}

template <class Traits>
QStringList CControllerArchivData<Traits>::GetWindowTexts() const
{
    static const QString kMinutes = QStringLiteral("%d.%m %H:%M");
    QStringList texts;
    std::lock_guard ring(ringLock);
    texts << (header ? header->name : QString());
    platform::CTime blockStart;
    const int block = m_walkPos >= 0 ? window.BlockOfRecord(std::size_t(m_walkPos)) : -1;
    if (header && block >= 0) {
        const int slot = window.ringSlots[std::size_t(block)];
        if (slot >= 0 && slot < header->SlotCount())
            blockStart = platform::CTime(header->slotTable[std::size_t(slot)]);
    }
    texts << blockStart.Format(kMinutes) << startTime.Format(kMinutes)
          << GetCurrentRecordTime().Format(QStringLiteral("%d.%m %H:%M:%S"));
    return texts;
}
