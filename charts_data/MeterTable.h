#pragma once

#include "platform/Time32.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

class CBexorBlock;
class CVKTBexorBlock;

// The meter-archive table: the energy counters of one meter block as rows
// at calendar-aligned interval boundaries, as readings or as increments
// over each interval, with the columns the display settings choose.
namespace charts {

// One meter reading in kWh / kvarh: [sub-column][quantity], sub-columns T1,
// T2, T3, total, then L1, L2, L3 (VKT); quantities AaI, AaE, ArL, ArC.
struct CMeterSample {
    platform::CTime time;
    std::array<std::array<double, 4>, 7> energy{};
};

// The meter's display settings, in the order the registry keeps them.
struct CMeterDisplay {
    static constexpr int kCount = 14;
    int interval = 0;   // 0 15 min, 1 1 h, 2 8 h, 3 1 day, 4 1 week
    int increments = 1; // 1 increments, 0 readings
    std::array<int, 5> quantities{1, 1, 1, 1, 1}; // AaI, AaE, ArL, ArC, PF
    std::array<int, 7> subColumns{0, 0, 0, 1, 0, 0, 0}; // T1, T2, T3, C, L1, L2, L3
};

// Seconds of an interval index (0..4); 900 for anything else.
int MeterIntervalSeconds(int index);
// The boundary not after `t`: Monday 00:00 of its week for periods of at
// least 129600 s, else the last step of `period` from local midnight.
platform::CTime AlignToInterval(platform::CTime t, int period);
// (AaI + AaE) / sqrt((AaI + AaE)^2 + (ArL + ArC)^2) as "%0.3f"; "--" when
// the root is within 0.001 of zero.
QString MeterPowerFactorText(double aai, double aae, double arl, double arc);

// The readings of a block, counters times the multiplier in kWh; the VK
// total is the sum of the tariffs.
std::vector<CMeterSample> MeterSamples(const CBexorBlock& block);
std::vector<CMeterSample> MeterSamples(const CVKTBexorBlock& block);

class CMeterTable {
public:
    // `vkt`: seven sub-columns and four decimals.
    void Build(const std::vector<CMeterSample>& samples, const CMeterDisplay& display, bool vkt);

    int RowCount() const { return int(m_rows.size()); }
    int ColumnCount() const { return 1 + int(m_columns.size()); }
    bool IncrementMode() const { return m_increments; }
    QString Caption(int column) const;
    // The export caption of a value column (column >= 1).
    QString ExportCaption(int column) const;
    QString Cell(int row, int column) const;
    // The reading (or the end of the increment) the row stands for.
    platform::CTime RowTime(int row) const;
    platform::CTime RowStart(int row) const;
    // The row's readings lie on their boundaries (from 2 s before to 30 s
    // after); other rows are drawn grey.
    bool OnTime(int row) const;

private:
    struct Column {
        int quantity; // 0..4, 4 PF
        int sub;      // 0..6
    };
    struct Row {
        int first = -1; // the earlier reading in increment mode
        int last = -1;
        platform::CTime firstBoundary;
        platform::CTime lastBoundary;
    };
    double Value(const Row& row, int sub, int quantity) const;

    std::vector<CMeterSample> m_samples;
    std::vector<Column> m_columns;
    std::vector<Row> m_rows;
    bool m_increments = false;
    bool m_vkt = false;
};

// The table as a separated-values file: the archive and the time span, the
// captions, one line a row, each field quoted (quotes inside doubled) and
// followed by the separator (";" with the decimal comma, else ","), in code
// page 1250 with CR LF. Empty when the table has no value column or no row.
QByteArray BuildMeterCsv(const CMeterTable& table, int decimal, const QString& archiveName);
// Writes it at the normalised path, replacing a file only when all was
// written; 0 with a Czech `error` when it cannot.
int WriteMeterCsv(const QString& path, const CMeterTable& table, int decimal, const QString& archiveName,
                  QString& error);

} // namespace charts
