// The controllers' quantity tabs: "Proud", "Výkon" and "Cos", one column
// each. Controller cells show "--" where the result's valid flag is 0; the
// shares are always shown.
#include "charts/StatQuantityTabs.h"

#include "charts/ReportPrinter.h"
#include "charts/StatCells.h"

using namespace statcells;

namespace {

using R = CQorinStatResult;
using QorinRow = TStatRow<R>;

const QString kFixed1 = QStringLiteral("%0.1f");
const QString kFixed2 = QStringLiteral("%0.2f");
const QString kTimeRow = QStringLiteral("      Čas:");

QString Fill(const QString& format, const QString& arg)
{
    return charts::FillPlaceholders(format, {arg});
}

QorinRow Section(const QString& label)
{
    return {label, true, {}};
}

QorinRow Value(const QString& label, std::function<float(const R&)> value, std::function<int(const R&)> valid,
               const QString& format = kFixed2)
{
    return {label, false, [value, valid, format](const R& r, int) { return QorinValue(value(r), format, valid(r)); }};
}

QorinRow Time(std::function<CTime(const R&)> time, std::function<int(const R&)> valid)
{
    return {kTimeRow, false, [time, valid](const R& r, int) { return QorinTime(time(r), valid(r)); }};
}

QorinRow Share(const QString& label, std::function<float(const R&)> share)
{
    return {label, false, [share](const R& r, int) { return QorinValue(share(r), kFixed1, 1); }};
}

// Average, percent of nominal, the extremes and the window extremes, each
// extreme with its time.
struct FullGroup {
    std::function<float(const R&)> average;
    std::function<int(const R&)> averageValid;
    std::function<float(const R&)> nominal;
    QString percentFormat;
    std::function<float(const R&)> max, min, windowMax, windowMin;
    std::function<CTime(const R&)> maxTime, minTime, windowMaxTime, windowMinTime;
    std::function<int(const R&)> extremesValid, windowValid;
};

void AddFullGroup(std::vector<QorinRow>& rows, const FullGroup& g, const QString& window)
{
    rows.push_back(Value(QStringLiteral("Průměrný:"), g.average, g.averageValid));
    rows.push_back({QStringLiteral("Tj. v % nom:"), false, [g](const R& r, int) {
                        float percent = 0;
                        const bool known = PercentOfNominal(1, g.average(r), g.nominal(r), percent);
                        return QorinValue(percent, g.percentFormat, known ? g.averageValid(r) : 0);
                    }});
    rows.push_back(Value(QStringLiteral("Max. okamžitý:"), g.max, g.extremesValid));
    rows.push_back(Time(g.maxTime, g.extremesValid));
    rows.push_back(Value(Fill(QStringLiteral("Max. klouzavý (%s)"), window), g.windowMax, g.windowValid));
    rows.push_back(Time(g.windowMaxTime, g.windowValid));
    rows.push_back(Value(QStringLiteral("Min. okamžitý:"), g.min, g.extremesValid));
    rows.push_back(Time(g.minTime, g.extremesValid));
    rows.push_back(Value(Fill(QStringLiteral("Min. klouzavý (%s)"), window), g.windowMin, g.windowValid));
    rows.push_back(Time(g.windowMinTime, g.windowValid));
}

// A member of a result, or element i of a member pair.
template <class T>
std::function<T(const R&)> Field(T R::*field)
{
    return [field](const R& r) { return r.*field; };
}
template <class T, std::size_t N>
std::function<T(const R&)> Field(std::array<T, N> R::*field, std::size_t i)
{
    return [field, i](const R& r) { return (r.*field)[i]; };
}

float NominalOf(const R& r, float CQorinStatSettings::*field)
{
    return r.settings ? r.settings->*field : 0.0f;
}

void AddCurrentTab(std::vector<QorinRow>& rows, const QString& window)
{
    rows.push_back(Section(Fill(QStringLiteral("Proud [%s]"), QStringLiteral("A"))));
    AddFullGroup(rows,
                 {Field(&R::currentAverage), Field(&R::currentAverageValid),
                  [](const R& r) { return NominalOf(r, &CQorinStatSettings::nominalCurrent); }, kFixed1,
                  Field(&R::currentMax), Field(&R::currentMin), Field(&R::currentWindowMax), Field(&R::currentWindowMin),
                  Field(&R::currentMaxTime), Field(&R::currentMinTime), Field(&R::currentWindowMaxTime),
                  Field(&R::currentWindowMinTime), Field(&R::currentExtremesValid), Field(&R::currentWindowValid)},
                 window);
    rows.push_back(Share(QStringLiteral("Doba nad 50% Inom [%]:"), Field(&R::currentAbove50)));
    rows.push_back(Share(QStringLiteral("Doba nad 100% Inom [%]:"), Field(&R::currentAbove100)));
    rows.push_back(Section(QStringLiteral("Harmonické zkreslení THD [%]")));
    rows.push_back(Value(QStringLiteral("Průměrný:"), Field(&R::thdAverage), Field(&R::thdAverageValid)));
    rows.push_back(Value(QStringLiteral("Max. okamžitý:"), Field(&R::thdMax), Field(&R::thdMaxValid)));
    rows.push_back(Time(Field(&R::thdMaxTime), Field(&R::thdMaxValid)));
    rows.push_back(Value(Fill(QStringLiteral("Max. klouzavý (%s)"), window), Field(&R::thdWindowMax),
                         Field(&R::thdWindowValid)));
    rows.push_back(Time(Field(&R::thdWindowMaxTime), Field(&R::thdWindowValid)));
}

void AddPowerTab(std::vector<QorinRow>& rows, const QString& window)
{
    const char* active[] = {"Činný výkon Import  [%s]", "Činný výkon Export [%s]"};
    for (std::size_t i = 0; i < 2; ++i) {
        rows.push_back(Section(Fill(QString::fromUtf8(active[i]), QStringLiteral("W"))));
        AddFullGroup(rows,
                     {Field(&R::powerAverage, i), Field(&R::powerAverageValid, i),
                      [](const R& r) { return NominalOf(r, &CQorinStatSettings::nominalPower); }, kFixed2,
                      Field(&R::powerMax, i), Field(&R::powerMin, i), Field(&R::powerWindowMax, i),
                      Field(&R::powerWindowMin, i), Field(&R::powerMaxTime, i), Field(&R::powerMinTime, i),
                      Field(&R::powerWindowMaxTime, i), Field(&R::powerWindowMinTime, i),
                      Field(&R::powerExtremesValid, i), Field(&R::powerWindowValid, i)},
                     window);
        rows.push_back(Share(QStringLiteral("Doba nad 50% Pnom [%]:"), Field(&R::powerAbove50, i)));
        rows.push_back(Share(QStringLiteral("Doba nad 100% Pnom [%]:"), Field(&R::powerAbove100, i)));
    }
    // The side at or below the required power factor, then the side above.
    const char* reactive[] = {"Jalový chybějící [%s]", "Jalový přebývající [%s]"};
    const char* average[] = {"Průměrný nedokompenzováno:", "Průměrný překompenzováno:"};
    const char* extreme[] = {"Max. nedokompenzováno:", "Max. překompenzováno:"};
    const char* sliding[] = {"Max. klouz. nedokomp. (%s):", "Max. klouz. překomp. (%s):"};
    for (std::size_t i = 0; i < 2; ++i) {
        rows.push_back(Section(Fill(QString::fromUtf8(reactive[i]), QStringLiteral("var"))));
        rows.push_back(Share(QStringLiteral("Doba trvání [% ]"), Field(&R::targetShare, i)));
        rows.push_back(
            Value(QString::fromUtf8(average[i]), Field(&R::missingAverage, i), Field(&R::missingAverageValid, i)));
        rows.push_back(Value(QString::fromUtf8(extreme[i]), Field(&R::missingMin, i), Field(&R::missingMinValid, i)));
        rows.push_back(Time(Field(&R::missingMinTime, i), Field(&R::missingMinValid, i)));
        rows.push_back(Value(Fill(QString::fromUtf8(sliding[i]), window), Field(&R::missingWindowMin, i),
                             Field(&R::missingWindowMinValid, i)));
        rows.push_back(Time(Field(&R::missingWindowMinTime, i), Field(&R::missingWindowMinValid, i)));
    }
}

void AddCosTab(std::vector<QorinRow>& rows, const QString& window)
{
    struct Side {
        const char* caption;
        std::function<float(const R&)> extreme, windowExtreme, share;
        std::function<CTime(const R&)> extremeTime, windowTime;
        std::function<int(const R&)> extremeValid, windowValid;
        const char* shareLabel;
    };
    const Side sides[] = {
        {"Cos nedokompenzováno", Field(&R::pfLowest), Field(&R::pfWindowLowest), Field(&R::pfBelow095),
         Field(&R::pfLowestTime), Field(&R::pfWindowLowestTime), Field(&R::pfLowestValid),
         Field(&R::pfWindowLowestValid), "Doba pod 0.95 [%]"},
        // The label's meaning: the share of power factors below 1.00.
        {"Cos překompenzováno", Field(&R::pfHighest), Field(&R::pfWindowHighest), Field(&R::pfBelow100),
         Field(&R::pfHighestTime), Field(&R::pfWindowHighestTime), Field(&R::pfHighestValid),
         Field(&R::pfWindowHighestValid), "Doba pod 1.00 [%]"},
    };
    for (std::size_t i = 0; i < 2; ++i) {
        const Side& side = sides[i];
        rows.push_back(Section(QString::fromUtf8(side.caption)));
        rows.push_back(Share(QStringLiteral("Doba trvání [% ]"), Field(&R::targetShare2, i)));
        rows.push_back(Value(QStringLiteral("Průměrný:"), Field(&R::pfAverage, i), Field(&R::pfAverageValid, i)));
        rows.push_back(Value(QStringLiteral("Min. okamžitý:"), side.extreme, side.extremeValid));
        rows.push_back(Time(side.extremeTime, side.extremeValid));
        rows.push_back(Value(Fill(QStringLiteral("Min. klouzavý (%s)"), window), side.windowExtreme, side.windowValid));
        rows.push_back(Time(side.windowTime, side.windowValid));
        rows.push_back(Share(QString::fromUtf8(side.shareLabel), side.share));
    }
}

} // namespace

CStatQuantityTabs::QorinLayout CStatQuantityTabs::QorinLayoutOf(int tab, const CQorinStatResult* result) const
{
    // The current's window is the first, the power's and power factor's the
    // second.
    const CQorinStatSettings* settings = result ? result->settings : nullptr;
    const QString window1 = WindowLabel(settings ? settings->window1 : 60);
    const QString window2 = WindowLabel(settings ? settings->window2 : 60);
    QorinLayout layout;
    switch (tab) {
    case 0:
        layout.columns = {QStringLiteral("1")};
        AddCurrentTab(layout.rows, window1);
        break;
    case 1:
        layout.columns = {QStringLiteral("3f")};
        AddPowerTab(layout.rows, window2);
        break;
    case 2:
        layout.columns = {QStringLiteral("1")};
        AddCosTab(layout.rows, window2);
        break;
    default:
        break;
    }
    return layout;
}
