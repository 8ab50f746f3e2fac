#pragma once

#include "archive/store/ArchivData.h"
#include "archive/store/ArchivSeriesRegistry.h"
#include "archive/store/ArchivWindow.h"
#include "archive/store/ArchivIntervalClock.h"
#include "model/AktData.h"
#include "model/Iden.h"
#include "model/VKTConfig.h"
#include "model/VKTEnergy.h"
#include "model/VKTStatus.h"

#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <mutex>
#include <optional>
#include <vector>

// The archive of a VKT analyser. Writing side: settings (type 1),
// identification (type 9) and measurement records (type 2 full, type 3 the
// fields changed since the previous record), the transformer ratios in force
// and the formats chosen from them. Reading side: a loaded time window of the
// file, walked record by record, turned into rows of texts, axis names and
// graph scales.
class CVKTArchivData : public CArchivData {
public:
    static constexpr int kInstrumentType = 4;
    static constexpr int kQuantityCount = 46;
    static constexpr int kMaxRows = 10;
    // Selection of quantities by their index in the VKT quantity-name table.
    using Selection = std::array<int, kQuantityCount>;

    CVKTArchivData();
    ~CVKTArchivData() override;

    static QString Extension() { return QStringLiteral(".vkt"); }

    // ---- writers (measurement thread; the settings sheet for the settings)
    void AddConfigRecord(const CVKTConfig& config);
    void AddIdenRecord(const CIden& iden);
    // 1 when the record went out full because a full record was due.
    int AddMeasurementRecord(const CAktData& values);
    void GetLatestData(CAktData& out, int& newValues) const;

    // ---- ratios and formats (any thread)
    float GetRatioU() const;
    float GetRatioU4() const;
    float GetRatioI() const;
    float GetRatioI4() const;
    int GetConnectionType() const;
    // Records the instrument's own archive holds for the connection in force.
    int GetRecordCapacity() const;
    void GetScaleU(float& ratio, float& ratio4, QString& format, int& multiplier) const;
    void GetScaleI(float& ratio, float& ratio4, QString& format, int& multiplier) const;
    void GetScalePower(QString& format, int& multiplier) const;
    CArchivIntervalClock& IntervalClock() { return m_clock; }

    // What the meter archive's writer (main thread) carries from one
    // quarter-hour call to the next: the reading taken at the last interval
    // boundary, still to be stored, and the meter's period (its reset time)
    // that the newest block belongs to.
    const CVKTEData* GetPendingMeterRecord() const { return m_pendingMeter ? &*m_pendingMeter : nullptr; }
    // The clock judges "now" by the pending reading's time while there is one.
    void SetPendingMeterRecord(const CVKTEData& data);
    void DropPendingMeterRecord();
    void SetPendingMeterTime(platform::CTime t);
    platform::CTime GetMeterPeriodTime() const { return m_meterPeriod; }
    void SetMeterPeriodTime(platform::CTime t) { m_meterPeriod = t; }
    // The waveform channels a waveform window asks for (high byte: bit k =
    // channel k; low byte: 0x10 plus a bit per phase), added to the groups
    // the measurement reads; 0 while no window asks.
    void SetWaveRequest(std::uint32_t word) { m_waveRequest.exchange(word); }
    std::uint32_t GetWaveRequest() const { return m_waveRequest.load(); }

    // ---- titles
    QString GetArchiveFileName() const { return GetBaseTitle(Extension()); }
    QString GetArchiveTitle() const { return GetPeriodTitle(Extension()); }

    // ---- loaded window and record walk (the document's thread, on an object
    // of its own: the recording object's header must not be read over)
    // Reads the header and `blockCount` blocks from `firstSlot` on (modulo the
    // ring) for the window [start, start + span]. 0 when the header or a block
    // could not be read whole (what was read stays, with an error record).
    int LoadWindow(int firstSlot, int blockCount, platform::CTime start, int span);
    int GetWindowRowCount() const;
    // The loaded window that the walk, the rows and the statistics read.
    CArchivWindow& Window() { return m_window; }
    const CArchivWindow& Window() const { return m_window; }
    virtual int FirstRecord();
    virtual int NextRecord();
    int GetCurrentIndex() const { return m_window.currentIndex; }
    platform::CTime GetCurrentTime() const { return m_currentTime; }
    // The values of the current record.
    const CAktData& GetCurrentValues() const { return m_last; }
    int GetModelIndex() const { return m_modelIndex; }
    int GetConfigAt(CVKTConfig& out) const;
    int GetIdenAt(CIden& out) const;
    int GetStatusRecord(CVKTStatus& out) const;

    // The four texts of the archive view: file name, start of the window's
    // first block, start of recording, time of the current record.
    struct WindowTexts {
        QString fileName;
        QString windowStart;
        QString recordingStart;
        QString currentTime;
    };
    WindowTexts GetWindowTexts() const;

    // Up to ten rows from row `index` - 3 on, from the block holding row
    // `index`. Each row is the time text and one text per selected quantity.
    // `first` is the row number of the first row (-1 when none); `offsets`,
    // when given, receives each row's seconds since the window start.
    std::vector<QStringList> GetRecordRows(int index, const Selection& selection, int& count, int& first,
                                           std::vector<int>* offsets);
    // Without values every quantity text is "--".
    QStringList FormatRecordRow(const Selection& selection, const CAktData* values, platform::CTime time,
                                float currentRatio, float voltageRatio, float currentRatio4, float voltageRatio4,
                                int connectionType) const;
    virtual QStringList GetAxisNames(const Selection& selection) const;

    // ---- graph scales
    // The graph series the scales go to (the store's own unless set; none:
    // nothing is set).
    void SetSeriesRegistry(IArchivSeriesRegistry* series) { m_series = series; }
    virtual void UpdateSeriesScales(BOOL allowNegativePower);
    // 1 when the series were set again (the ratios changed since the last call).
    int RescaleCurrentSeries(BOOL allowNegativePower);
    int RescaleVoltageSeries(BOOL allowNegativePower);
    // A live series registered since the last rescale: the next one ranges
    // and labels it as well.
    void MarkSeriesScalesChanged();

    // Formats and multipliers of the loaded window: set A follows the larger
    // ratio of each pair; selection bit 0 (voltage) and bit 2 (power) say that
    // channels 1 to 3 use set A.
    struct GraphFormats {
        int currentMultiplierA = 1;
        int voltageMultiplierA = 1;
        int powerMultiplierA = 1;
        QString currentFormatA;
        QString voltageFormatA;
        QString powerFormatA;
        BYTE selection = 0;
        int currentMultiplierB = 1;
        int voltageMultiplierB = 1;
        int powerMultiplierB = 1;
        QString currentFormatB;
        QString voltageFormatB;
        QString powerFormatB;
    };
    const GraphFormats& GetGraphFormats() const { return m_graph; }
    // Window formats, ratios, connection and model of another VKT archive
    // object: a copy then formats rows as it does.
    void TakeFormattingFrom(const CVKTArchivData& source);

protected:
    void InitHeader(int slotTotal, const QString& name, BOOL plainName) override;
    void RollFileName() override;
    archive::CSeriesScales SeriesStartScales() const override;

    // Under the settings lock, or with the object owned alone.
    void UpdateVoltageFormat();
    void UpdateCurrentFormat();

private:
    struct Ratios {
        float u = 1.0f;
        float u4 = 1.0f;
        float i = 1.0f;
        float i4 = 1.0f;
        int connection = CVKTConfig::Star;
    };
    static Ratios RatiosOf(const CVKTConfig& config);
    // Takes the ratios and connection type of a settings record.
    void ApplyRatios(const Ratios& r);
    Ratios HeldRatios() const;
    void UpdatePowerFormat();
    float EffectiveVoltageRatio() const;
    float EffectiveCurrentRatio() const;

    // The walk: takes a settings, identification or status record.
    void TakeFixedRecord(const CArchivRecord& record);
    // Decodes a measurement record into `values` (`baseValid`: they hold the
    // record it follows); false, with `values` emptied, when it cannot be
    // decoded (its base or its description is missing, or it is short).
    static bool DecodeMeasurement(const CArchivRecord& record, const std::optional<CVKTStatus>& status,
                                  CAktData& values, bool baseValid, bool withHarmonics);
    void ChooseGraphFormats(float vt, float vt4, float ct, float ct4, float pa, float pb);
    // `multiplier`: what the prefix of `unit` stands for.
    void SetSeries(const QStringList& names, int category, double factor, const QString& unit, int multiplier,
                   bool power, BOOL allowNegativePower);
    // `ratio4`, `product4`: the fourth input's.
    void SetVoltageSeries(float ratio, float ratio4, int multiplier);
    void SetCurrentSeries(float ratio, float ratio4, int multiplier);
    void SetPowerSeries(float product, float product4, int multiplier, BOOL allowNegativePower);
    int RescaleSeries(bool voltage, BOOL allowNegativePower);

    CAktData m_last;
    bool m_lastValid = false; // the walk decoded the current record
    int m_connectionType = CVKTConfig::Star;
    float m_ratioU = 1.0f;
    float m_ratioU4 = 1.0f;
    float m_ratioI = 1.0f;
    float m_ratioI4 = 1.0f;
    QString m_currentFormat;
    int m_currentMultiplier = 1;
    int m_voltageMultiplier = 1;
    int m_powerMultiplier = 1;
    QString m_voltageFormat;
    bool m_voltageScaleChanged = false;
    bool m_currentScaleChanged = false;
    QString m_powerFormat;
    mutable std::mutex m_settingsLock;
    GraphFormats m_graph;
    CArchivIntervalClock m_clock;
    std::optional<CVKTEData> m_pendingMeter;
    platform::CTime m_meterPeriod;

    // Loaded window and walk state.
    CArchivWindow m_window;
    std::uint32_t m_windowFirstBlockStart = 0;
    std::optional<std::size_t> m_currentPos;
    platform::CTime m_currentTime;
    std::optional<CVKTStatus> m_walkStatus;
    int m_modelIndex = CIden::kUnknownModelIndex;

    IArchivSeriesRegistry* m_series = &SeriesRegistry();
    std::atomic<std::uint32_t> m_waveRequest{0};
};
