// The statistics settings dialogs of the VK and VKT, VKR and Qorin archives,
// the period dialogs beside the statistics tabs, and the result tabs of a VK
// archive recorded by the store.
#include "tools/screens/Screens.h"

#include "tools/screens/ScreensArchive.h"

#include "archive_docs/ArchivDocData.h"
#include "archive/store/VKArchivData.h"
#include "charts/StatPeriodDlg.h"
#include "charts/StatQorinSettingsDlg.h"
#include "charts/StatSettingsDlg.h"
#include "charts/StatPanel.h"
#include "charts_core/CalendarTime.h"

#include <QTabBar>


QORIN_SCREENS(ChartsStatistics)
{
    {
        CStatSettingsDlg dialog;
        dialog.Load(CVKStatSettings());
        shot.save(&dialog, QStringLiteral("CStatSettingsDlg"));
    }
    {
        CStatSettingsDlg2 dialog;
        dialog.Load(CVKRStatSettings());
        shot.save(&dialog, QStringLiteral("CStatSettingsDlg2"));
    }
    {
        CQorinStatSettingsDlg dialog;
        CQorinStatSettings record;
        record.fromInstrument = 0;
        dialog.Load(record);
        shot.save(&dialog, QStringLiteral("CQorinStatSettingsDlg"));
    }
    {
        CArchivePeriodDlg period(CArchivePeriodDlg::kVK);
        period.resize(240, 330);
        // A day of one-minute records with two of them missing.
        const platform::CTime from(2009, 2, 1, 10, 0, 0);
        period.periodStart = from.Format(QStringLiteral("%H:%M:%S %d.%m.%Y"));
        period.periodEnd = (from + platform::CTimeSpan(86400)).Format(QStringLiteral("%H:%M:%S %d.%m.%Y"));
        period.total = charts::FormatDuration(86400);
        period.recordDuration = charts::FormatDuration(86280) + QStringLiteral(" (99.9%)");
        period.recordInterval = QStringLiteral("60 [s]");
        period.UpdateData();
        shot.save(&period, QStringLiteral("CArchivePeriodDlg"));
    }
    {
        CQorinPeriodDlg period;
        period.resize(240, 380);
        // Eight hours of records every 15 s, a quarter of an hour missing.
        const platform::CTime from(2009, 2, 1, 10, 0, 0);
        period.periodStart = from.Format(QStringLiteral("%H:%M:%S %d.%m.%Y"));
        period.periodEnd = (from + platform::CTimeSpan(8 * 3600)).Format(QStringLiteral("%H:%M:%S %d.%m.%Y"));
        period.total = charts::FormatDuration(8 * 3600);
        period.recordDuration = charts::FormatDuration(7 * 3600 + 45 * 60) + QStringLiteral(" (96.9%)");
        period.recordInterval = QStringLiteral("15 [s]");
        period.powerFactor = QStringLiteral("0.98 / 0.95");
        period.UpdateData();
        shot.save(&period, QStringLiteral("CQorinPeriodDlg"));
    }
    {
        const QString path = screens::WriteVKArchive(shot.scratchDir(), QStringLiteral("statistika"),
                                                     QStringLiteral(".vk"), QStringLiteral("Rozvodna R1"),
                                                     platform::CTime(1233478800), 240);
        TArchivDocData<CVKArchivData> data;
        if (path.isEmpty() || !data.Open(path) || !data.OpenAtEnd()) {
            shot.fail(QStringLiteral("no VK archive for the statistics"));
            return;
        }
        platform::CTime first;
        platform::CTime last;
        data.GetFileRange(first, last);
        data.SetWindow(first, last);
        CVKStatPanel panel;
        panel.resize(980, 520);
        panel.SetArchivData(&data, &data);
        // Opens on its first segment.
        panel.Refresh();
        shot.save(&panel, QStringLiteral("CVKStatPanel"));
        panel.Tabs().Quantities().SelectTab(2);
        shot.save(&panel.Tabs(), QStringLiteral("CStatTabCtrl-power"));
        panel.FreeResults();
        data.Close();
    }
}

namespace {

// A day of a VKT analyser on a star connection with a loaded neutral, as
// the computation leaves it.
CVKTStatResult VKTDay(const CVKTStatSettings& settings)
{
    CVKTStatResult r;
    r.settings = &settings;
    const platform::CTime at(1233478800);
    r.tail.segmentStart = at;
    // The texts as the computation writes them for this day.
    const platform::CTime end = at + platform::CTimeSpan(86400);
    r.tail.startText = at.Format(QStringLiteral("%H:%M:%S %d.%m.%Y"));
    r.tail.endText = end.Format(QStringLiteral("%H:%M:%S %d.%m.%Y"));
    r.tail.lengthText = charts::FormatDuration(86400);
    r.tail.coveredText = charts::FormatDuration(86280) + QString::asprintf(" (%0.1f%%)", 86280 * 100.0 / 86400);
    r.tail.intervalText = QStringLiteral("60 [s]");
    const auto fill = [&at](CStatValueGroup& g, float average, float spread) {
        g.average = average;
        g.max = average + spread;
        g.min = average - spread;
        g.windowMax = average + spread / 2;
        g.windowMin = average - spread / 2;
        g.maxTime = at + platform::CTimeSpan(3600 * 4);
        g.minTime = at + platform::CTimeSpan(3600 * 19);
        g.windowMaxTime = g.maxTime;
        g.windowMinTime = g.minTime;
        g.averageState = g.extremesState = g.windowState = vkstat::kPresent;
    };
    for (int k = 0; k < 7; ++k) {
        CVKTVoltageStat& v = r.voltages[std::size_t(k)];
        fill(v, k < 3 ? 229.4f + k : k == 3 ? 1.8f : 398.2f + k, k == 3 ? 0.9f : 6.5f);
        v.below90 = k == 1 ? 0.4f : 0.0f;
        v.dropState = v.overloadState = vkstat::kPresent;
        v.drops = k == 1 ? 2 : 0;
    }
    for (int k = 0; k < 4; ++k) {
        CVKTCurrentStat& i = r.currents[std::size_t(k)];
        fill(i, k < 3 ? 3.2f + 0.3f * k : 0.8f, 1.4f);
        i.aboveHalf = k < 3 ? 41.0f + k : 0.0f;
        i.overloadState = vkstat::kPresent;
        CStatPeakGroup& u = r.voltageThd[std::size_t(k)];
        u.average = 1.6f;
        u.max = 2.9f;
        u.windowMax = 2.1f;
        u.maxTime = u.windowMaxTime = at + platform::CTimeSpan(7200);
        u.averageState = u.maxState = u.windowState = vkstat::kPresent;
        r.currentThd[std::size_t(k)] = u;
        r.currentThd[std::size_t(k)].average = 7.5f;
    }
    for (int n = 0; n < 25; ++n) {
        const int block = n / 5;
        const int position = n % 5;
        const float phase = block == 1 || block == 3 ? 40.0f : block == 2 ? 180.0f : 720.0f;
        fill(r.powers[std::size_t(n)], position == 4 ? 3 * phase : position == 3 ? 0 : phase, phase / 3);
        if (position == 3)
            r.powers[std::size_t(n)].averageState = r.powers[std::size_t(n)].extremesState =
                r.powers[std::size_t(n)].windowState = vkstat::kNotApplicable;
        if (n < 20) {
            r.energies[std::size_t(n)].value = position == 4 ? 3 * phase * 24 / 1000 : phase * 24 / 1000;
            r.energies[std::size_t(n)].state = position == 3 ? vkstat::kNotApplicable : vkstat::kPresent;
        }
    }
    for (CVKTOverloadStat& o : r.overloads)
        o.state = vkstat::kPresent;
    for (int n = 0; n < 10; ++n) {
        CVKTPowerFactorStat& pf = r.powerFactors[std::size_t(n)];
        pf.average = n < 5 ? 0.97f : 0.99f;
        pf.worst = n < 5 ? 0.86f : 0.95f;
        pf.windowWorst = n < 5 ? 0.91f : 0.97f;
        pf.worstTime = pf.windowWorstTime = at + platform::CTimeSpan(3600 * 7);
        pf.below095 = n < 5 ? 12.5f : 0.0f;
        pf.averageState = pf.worstState = pf.windowState = n % 5 == 3 ? vkstat::kNotApplicable : vkstat::kPresent;
    }
    for (CVKTPhaseAngleStat& a : r.phaseAngles) {
        a.classShare = {93.0f, 7.0f};
        a.worst = {0.88f, 0.97f};
        a.worstTime = {at + platform::CTimeSpan(3600 * 7), at + platform::CTimeSpan(3600 * 22)};
        a.state = {vkstat::kPresent, vkstat::kPresent};
        a.below095 = {9.5f, 0.0f};
    }
    r.unbalance.average = 0.42f;
    r.unbalance.max = 1.1f;
    r.unbalance.maxTime = at + platform::CTimeSpan(3600 * 9);
    r.unbalance.averageState = r.unbalance.maxState = vkstat::kPresent;
    return r;
}

} // namespace

QORIN_SCREENS(ChartsStatisticsVKT)
{
    CVKTStatSettings settings;
    settings.window1 = 600;
    settings.window2 = 900;
    const CVKTStatResult day = VKTDay(settings);
    CStatTabCtrl tabs(CStatQuantityTabs::kVKT);
    tabs.resize(1100, 560);
    tabs.SetResults(std::vector<const CVKTStatResult*>{&day});
    const char* names[] = {"voltage", "current", "power", "pf", "energy", "unbalance"};
    for (int t = 0; t < 6; ++t) {
        tabs.Quantities().SelectTab(t);
        shot.save(&tabs, QStringLiteral("CStatTabCtrl-VKT-%1").arg(QLatin1String(names[t])));
    }
    CVKTStatPanel panel;
    panel.resize(1100, 560);
    panel.SetShowFlag(0);
    shot.save(&panel, QStringLiteral("CVKTStatPanel-settingTime"));
}
