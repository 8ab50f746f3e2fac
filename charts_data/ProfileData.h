#pragma once

#include "charts_core/GraphTrace.h"
#include "charts_data/ProfileFile.h"

#include <QString>

#include <memory>
#include <vector>

// What the profile values dialog shows for the cursor minute: column
// captions, the minute's time and one text per quantity ("--" without data,
// "-N-" for a phase the connection does not measure).
struct CProfileValueTexts {
    QString voltageCaption;
    QString currentCaption;
    QString powerCaptions[3]; // P, Q, S (VKT)
    QString time;
    std::vector<QString> values; // by quantity index
};

// One downloaded current profile (a day of minute records of a VK or VKT
// analyser) as the profile graph and the values dialog use it: graph traces
// by quantity name, a cursor minute and the records of the cursor's hour.
// The file is read whole when it is set; a file that cannot be read whole
// leaves the profile as it was.
class CProfileData {
public:
    static constexpr int kMinutes = charts::kProfileMinutes;
    static constexpr int kLastMinute = kMinutes - 1;
    static constexpr int kDaySeconds = 86400;
    // Load modes.
    static constexpr int kFillTraces = 1;
    static constexpr int kFillHour = 2;

    explicit CProfileData(int quantityCount) : m_quantityCount(quantityCount) {}
    virtual ~CProfileData() = default;
    CProfileData(const CProfileData&) = delete;
    CProfileData& operator=(const CProfileData&) = delete;

    virtual int GetType() const = 0; // 2 VK, 4 VKT
    virtual QString GetQuantityName(int index) const = 0;
    int GetQuantityCount() const { return m_quantityCount; }

    // ---- trace register (names compared exactly)
    BOOL AddGraphSeries(const QString& name, const QString& unit, const QString& scaleGroup, std::uint32_t colour,
                        float upperLimit, float lowerLimit);
    void SetSeriesScale(const QString& name, float upperLimit, float lowerLimit);
    BOOL RemoveGraphSeries(const QString& name);
    CGraphTrace* FindGraphSeries(const QString& name) const;
    // 0 when missing; TRUE when the flag already had this value, else set
    // and FALSE.
    BOOL SetSeriesAbsolute(const QString& name, BOOL absolute);
    BOOL SetSeriesColor(const QString& name, std::uint32_t colour);
    void RemoveAllSeries();
    int GetSeriesCount() const { return int(m_traces.size()); }
    CGraphTrace* GetSeries(int entry) const { return m_traces[std::size_t(entry)].get(); }
    std::uint32_t GetSeriesColor(int entry) const { return m_traces[std::size_t(entry)]->Colour(); }

    // ---- file and cursor
    // Reads the file, puts the cursor on minute 0 and fills the traces and
    // the first hour. FALSE with the error text set when the file cannot be
    // read whole (the profile held before stays).
    BOOL SetPath(const QString& path);
    // Gives every registered trace of the family's quantities room for a
    // point a minute and loads `mode` from the profile held.
    void Prepare(int mode);
    virtual void Load(int mode) = 0;
    BOOL MoveCursor(int minutes);
    void SetCursorPermille(float permille);
    int GetCursor() const { return m_cursor; }
    int GetCursorX() const;
    int GetCursorPos(int width) const;
    void GetTimeWindow(CTime& start, int& span) const;
    void GetFormats(QString& current, QString& voltage, QString& power) const;
    QString GetTitle() const;
    virtual CProfileValueTexts GetValueTexts() const = 0;

    const QString& GetPath() const { return m_path; }
    const QString& GetErrorText() const { return m_errorText; }
    CTime GetDate() const { return m_date; }
    DWORD GetKind() const { return m_kind; }
    const QString& GetHeaderText() const { return m_header; }
    float GetCurrentRatio() const { return m_currentRatio; }
    float GetVoltageRatio() const { return m_voltageRatio; }
    int GetConnection() const { return m_connection; }
    int GetHour() const { return m_hour; }
    int GetCurrentMultiplier() const { return m_currentMultiplier; }
    int GetVoltageMultiplier() const { return m_voltageMultiplier; }
    int GetPowerMultiplier() const { return m_powerMultiplier; }

protected:
    // Reads the whole file into the family's content; the Czech reason when
    // it cannot (content untouched).
    virtual QString ReadFile(const QByteArray& bytes) = 0;
    // Head values of the content held, and the formats from its ratios.
    void TakeHead(const charts::CProfileFileHead& head, double voltageRatio, double currentRatio, int connection);
    // The traces of the family's quantity names (null where none is
    // registered), in index order.
    std::vector<CGraphTrace*> QuantityTraces() const;
    CTime MinuteTime(int minute) const { return CTime(m_date.GetTime() + CTime::time_type(60 * minute)); }
    // The identification and settings stored in the file at the path, into
    // the records only when the whole file reads; FALSE with the error text
    // set.
    template <class File, class Config>
    BOOL ReadStoredSettings(CIden& iden, Config& config)
    {
        File read;
        QString failure;
        const QByteArray bytes = ReadBytes(m_path, failure);
        if (failure.isEmpty())
            failure = charts::LoadProfileFile(bytes, read);
        m_errorText = failure;
        if (!failure.isEmpty())
            return FALSE;
        iden = read.iden;
        config = read.config;
        return TRUE;
    }
    // The bytes of a file; the Czech reason when it cannot be opened.
    static QByteArray ReadBytes(const QString& path, QString& failure);
    // Captions and time shared by both families.
    CProfileValueTexts ValueTextsHead() const;
    static const QString& NoValueText();
    static const QString& NotMeasuredText();

    QString m_path;
    float m_currentRatio = 1;
    float m_voltageRatio = 1;
    QString m_errorText;
    CTime m_date;
    DWORD m_kind = 0;
    QString m_header;
    int m_currentMultiplier = 1;
    int m_voltageMultiplier = 1;
    int m_powerMultiplier = 1;
    int m_hour = 0;
    QString m_currentFormat;
    QString m_voltageFormat;
    QString m_powerFormat;
    int m_cursor = 0;
    int m_connection = 0;

private:
    void SetCursor(int minute);
    // The range of `group` spanned by its traces' own limits.
    void RerangeGroup(const QString& group);

    // A trace's own limits are its default range; its range is shared with
    // its scale group.
    std::vector<std::unique_ptr<CGraphTrace>> m_traces;
    int m_quantityCount;
};
