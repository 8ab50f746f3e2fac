#include "charts_data/MeterTable.h"

#include "charts_data/ArchiveCsvWriter.h"
#include "model/VKBexor.h"
#include "model/VKTBexor.h"

#include <QDate>
#include <QDateTime>
#include <QSaveFile>

#include "platform/Cp1250.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"

#include <cmath>
#include <cstdlib>

namespace charts {

namespace {

constexpr std::array<int, 5> kPeriods = {900, 3600, 28800, 86400, 604800};
const char* const kQuantityCaptions[5] = {"AaI (%1) [kWh]", "AaE (%1) [kWh]", "ArL (%1) [kvarh]", "ArC (%1) [kvarh]",
                                          "PF (%1) []"};
const char* const kExportCaptions[5] = {"AaI (%1)", "AaE (%1) ", "ArL (%1) ", "ArC (%1) ", "PF (%1) []"};
const char* const kSubColumns[7] = {"T1", "T2", "T3", "C", "L1", "L2", "L3"};
constexpr int kTotal = 3;

} // namespace

int MeterIntervalSeconds(int index)
{
    return index >= 0 && index < int(kPeriods.size()) ? kPeriods[std::size_t(index)] : kPeriods[0];
}

platform::CTime AlignToInterval(platform::CTime t, int period)
{
    const QDateTime local = QDateTime::fromSecsSinceEpoch(t.GetTime());
    QDate day = local.date();
    if (period >= 129600) {
        day = day.addDays(1 - day.dayOfWeek());
        return platform::CTime(day.year(), day.month(), day.day(), 0, 0, 0);
    }
    const platform::CTime midnight(day.year(), day.month(), day.day(), 0, 0, 0);
    const std::int64_t since = std::int64_t(t.GetTime()) - std::int64_t(midnight.GetTime());
    const std::int64_t steps = since / std::max(period, 1);
    return platform::CTime(platform::CTime::time_type(std::int64_t(midnight.GetTime()) + steps * period));
}

QString MeterPowerFactorText(double aai, double aae, double arl, double arc)
{
    const double p = aai + aae;
    const double q = arl + arc;
    const double root = std::sqrt(p * p + q * q);
    if (std::fabs(root) < 0.001)
        return QStringLiteral("--");
    return QString::asprintf("%0.3f", p / root);
}

std::vector<CMeterSample> MeterSamples(const CBexorBlock& block)
{
    std::vector<CMeterSample> samples;
    const double scale = double(block.GetMultiplier()) * 0.001;
    for (int i = 0; i < block.GetEntryCount(); ++i) {
        const CBexorEntry& entry = block.GetEntry(i);
        CMeterSample s;
        s.time = entry.GetTime();
        for (int tariff = 0; tariff < 3; ++tariff)
            for (int kind = 0; kind < 4; ++kind) {
                const double e = double(entry.GetCounter(CVKEData::CounterIndex(tariff, kind))) * scale;
                s.energy[std::size_t(tariff)][std::size_t(kind)] = e;
                s.energy[kTotal][std::size_t(kind)] += e;
            }
        samples.push_back(s);
    }
    return samples;
}

std::vector<CMeterSample> MeterSamples(const CVKTBexorBlock& block)
{
    std::vector<CMeterSample> samples;
    const double multiplier = double(block.GetMultiplier());
    for (const CVKTEData& entry : block.GetEntries()) {
        CMeterSample s;
        s.time = entry.GetTime();
        for (int group = 0; group < CVKTEData::kGroups; ++group)
            for (int reg = 0; reg < CVKTEData::kRegisters; ++reg)
                s.energy[std::size_t(group)][std::size_t(reg)] = entry.GetRegister(group, reg) * multiplier;
        samples.push_back(s);
    }
    return samples;
}

void CMeterTable::Build(const std::vector<CMeterSample>& samples, const CMeterDisplay& display, bool vkt)
{
    m_samples = samples;
    m_vkt = vkt;
    m_increments = display.increments != 0;
    m_columns.clear();
    m_rows.clear();
    const int subs = vkt ? 7 : 4;
    for (int q = 0; q < 5; ++q) {
        if (!display.quantities[std::size_t(q)])
            continue;
        for (int s = 0; s < subs; ++s)
            if (display.subColumns[std::size_t(s)])
                m_columns.push_back({q, s});
    }
    if (m_samples.empty())
        return;

    const int period = MeterIntervalSeconds(display.interval);
    const std::int64_t half = period / 2;
    std::int64_t boundary = AlignToInterval(m_samples.front().time, period).GetTime();
    const std::int64_t last = std::int64_t(m_samples.back().time.GetTime()) + half;
    std::vector<Row> picks;
    std::size_t from = 0;
    for (; boundary <= last; boundary += period) {
        int best = -1;
        std::int64_t bestDistance = 0;
        for (std::size_t i = from; i < m_samples.size(); ++i) {
            const std::int64_t t = m_samples[i].time.GetTime();
            if (t > boundary + half)
                break;
            const std::int64_t distance = std::llabs(t - boundary);
            if (distance <= half && (best < 0 || distance < bestDistance)) {
                best = int(i);
                bestDistance = distance;
            }
        }
        if (best < 0)
            continue;
        from = std::size_t(best);
        Row row;
        row.first = row.last = best;
        row.firstBoundary = row.lastBoundary = platform::CTime(platform::CTime::time_type(boundary));
        picks.push_back(row);
    }
    if (!m_increments) {
        m_rows = std::move(picks);
        return;
    }
    for (std::size_t r = 1; r < picks.size(); ++r) {
        Row row;
        row.first = picks[r - 1].last;
        row.firstBoundary = picks[r - 1].lastBoundary;
        row.last = picks[r].last;
        row.lastBoundary = picks[r].lastBoundary;
        m_rows.push_back(row);
    }
}

QString CMeterTable::Caption(int column) const
{
    if (column == 0)
        return m_increments ? QStringLiteral("Čas od - do") : QStringLiteral("Čas");
    const Column& c = m_columns[std::size_t(column - 1)];
    return QString::fromUtf8(kQuantityCaptions[c.quantity]).arg(QString::fromLatin1(kSubColumns[c.sub]));
}

QString CMeterTable::ExportCaption(int column) const
{
    const Column& c = m_columns[std::size_t(column - 1)];
    return QString::fromUtf8(kExportCaptions[c.quantity]).arg(QString::fromLatin1(kSubColumns[c.sub]));
}

platform::CTime CMeterTable::RowTime(int row) const { return m_samples[std::size_t(m_rows[std::size_t(row)].last)].time; }

platform::CTime CMeterTable::RowStart(int row) const
{
    return m_samples[std::size_t(m_rows[std::size_t(row)].first)].time;
}

bool CMeterTable::OnTime(int row) const
{
    const Row& r = m_rows[std::size_t(row)];
    const auto near = [&](int sample, platform::CTime boundary) {
        const std::int64_t d = std::int64_t(m_samples[std::size_t(sample)].time.GetTime()) - boundary.GetTime();
        return d >= -2 && d <= 30;
    };
    return near(r.last, r.lastBoundary) && (!m_increments || near(r.first, r.firstBoundary));
}

double CMeterTable::Value(const Row& row, int sub, int quantity) const
{
    const double end = m_samples[std::size_t(row.last)].energy[std::size_t(sub)][std::size_t(quantity)];
    if (!m_increments)
        return end;
    return end - m_samples[std::size_t(row.first)].energy[std::size_t(sub)][std::size_t(quantity)];
}

QString CMeterTable::Cell(int row, int column) const
{
    const Row& r = m_rows[std::size_t(row)];
    if (column == 0) {
        const auto sameDay = [](platform::CTime a, platform::CTime b) {
            return a.GetYear() == b.GetYear() && a.GetMonth() == b.GetMonth() && a.GetDay() == b.GetDay();
        };
        if (!m_increments) {
            const platform::CTime t = RowTime(row);
            const bool dated = row == 0 || !sameDay(t, RowTime(row - 1));
            return t.Format(dated ? QStringLiteral("%H:%M:%S %d.%m.%y") : QStringLiteral("%H:%M:%S"));
        }
        const platform::CTime start = RowStart(row);
        const platform::CTime end = RowTime(row);
        const bool startDated = row == 0 || !sameDay(start, RowTime(row - 1));
        const bool endDated = !sameDay(start, end);
        return start.Format(startDated ? QStringLiteral("%H:%M:%S (%d.%m.%y)") : QStringLiteral("%H:%M:%S"))
               + QStringLiteral(" - ")
               + end.Format(endDated ? QStringLiteral("%H:%M:%S (%d.%m.%y)") : QStringLiteral("%H:%M:%S"));
    }
    const Column& c = m_columns[std::size_t(column - 1)];
    if (c.quantity == 4)
        return MeterPowerFactorText(Value(r, c.sub, 0), Value(r, c.sub, 1), Value(r, c.sub, 2), Value(r, c.sub, 3));
    return QString::asprintf(m_vkt ? "%0.4f" : "%0.3f", Value(r, c.sub, c.quantity));
}

QByteArray BuildMeterCsv(const CMeterTable& table, int decimal, const QString& archiveName)
{
    if (table.ColumnCount() < 2 || table.RowCount() < 1)
        return {};
    const bool comma = decimal == kCsvDecimalComma;
    const QString sep = comma ? QStringLiteral(";") : QStringLiteral(",");
    // Columns of the file: two time columns and the value columns.
    const int columns = table.ColumnCount() + 1;
    // As the value lists write theirs.
    CCsvLines lines(sep);
    const auto field = [&lines](const QString& text) { lines.Field(text); };
    const auto end = [&lines](int pad) {
        lines.Separators(pad);
        lines.End();
    };
    const QString stamp = QStringLiteral("%d.%m.%y %H:%M:%S");
    field(QStringLiteral("přístroj:"));
    field(archiveName);
    end(columns);
    field(QStringLiteral("od:"));
    field(table.RowTime(0).Format(stamp));
    end(columns);
    field(QStringLiteral("do:"));
    field(table.RowTime(table.RowCount() - 1).Format(stamp));
    end(columns);
    end(0);
    field(table.Caption(0) + QStringLiteral("1"));
    field(table.Caption(0) + QStringLiteral("2 [s]"));
    for (int c = 1; c < table.ColumnCount(); ++c)
        field(table.ExportCaption(c));
    end(0);
    const std::int64_t first = table.RowTime(0).GetTime();
    for (int r = 0; r < table.RowCount(); ++r) {
        field(table.RowTime(r).Format(QStringLiteral("%d.%m. %H:%M:%S")));
        field(QString::number(std::int64_t(table.RowTime(r).GetTime()) - first));
        for (int c = 1; c < table.ColumnCount(); ++c) {
            QString text = table.Cell(r, c);
            if (comma)
                text.replace(QLatin1Char('.'), QLatin1Char(','));
            field(text);
        }
        end(0);
    }
    for (int i = 0; i < 3; ++i)
        end(columns);
    return lines.Take();
}

int WriteMeterCsv(const QString& path, const CMeterTable& table, int decimal, const QString& archiveName,
                  QString& error)
{
    const QByteArray bytes = BuildMeterCsv(table, decimal, archiveName);
    if (bytes.isEmpty()) {
        error.clear();
        return 0;
    }
    // ".csv" in any case already ends the name.
    QString name = path.trimmed();
    if (!name.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        name += QStringLiteral(".csv");
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly)) {
        error = platform::LoadString(platform::IDS_FILE_OPEN_FAILED);
        return 0;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        file.cancelWriting();
        error = QStringLiteral("Soubor se nepodařilo zapsat.");
        return 0;
    }
    error.clear();
    return 1;
}

} // namespace charts
