#include "charts/StatQuantityTabs.h"

#include "charts/ReportPrinter.h"
#include "charts/StatCells.h"
#include "platform/StringTable.h"

#include <QHBoxLayout>
#include <QTabBar>
#include <QVBoxLayout>

#include <type_traits>

using namespace statcells;
using Row = CStatQuantityTabs::Row;
using VKTRow = TStatRow<CVKTStatResult>;

namespace {

const QString kFixed1 = QStringLiteral("%0.1f");
const QString kFixed2 = QStringLiteral("%0.2f");
const QString kTimeRow = QStringLiteral("      Čas:");

QString Fill(const QString& format, const QStringList& args)
{
    return charts::FillPlaceholders(format, args);
}

template <class R = CVKStatResult>
TStatRow<R> Section(const QString& label)
{
    return {label, true, {}};
}

// What a group's rows read for a column.
template <class R>
using GroupOf = std::function<const CStatValueGroup*(const R&, int column)>;
template <class R>
using NominalOf = std::function<float(const R&, int column)>;

// The rows of a full group (with the percent of nominal when `nominal` is
// given).
template <class R>
void AddValueGroup(std::vector<TStatRow<R>>& rows, const std::type_identity_t<GroupOf<R>>& group,
                   const QString& format, const QString& window, int scale,
                   const std::type_identity_t<NominalOf<R>>& nominal)
{
    const auto value = [group, format](float CStatValueGroup::*field, int CStatValueGroup::*state) {
        return [group, format, field, state](const R& r, int c) {
            const CStatValueGroup* g = group(r, c);
            return g ? VKValue(g->*field, format, g->*state) : QString();
        };
    };
    const auto time = [group](CTime CStatValueGroup::*field, int CStatValueGroup::*state) {
        return [group, field, state](const R& r, int c) {
            const CStatValueGroup* g = group(r, c);
            return g ? VKTime(g->*field, g->*state) : QString();
        };
    };
    rows.push_back({QStringLiteral("Průměrný:"), false, value(&CStatValueGroup::average, &CStatValueGroup::averageState)});
    if (nominal) {
        rows.push_back({QStringLiteral("Tj. v % nom:"), false, [group, nominal, scale](const R& r, int c) {
                            const CStatValueGroup* g = group(r, c);
                            if (!g)
                                return QString();
                            float percent = 0;
                            const bool known = PercentOfNominal(scale, g->average, nominal(r, c), percent);
                            return VKValue(percent, kFixed1, known ? g->averageState : vkstat::kNoValue);
                        }});
    }
    rows.push_back({QStringLiteral("Max. okamžitý:"), false, value(&CStatValueGroup::max, &CStatValueGroup::extremesState)});
    rows.push_back({kTimeRow, false, time(&CStatValueGroup::maxTime, &CStatValueGroup::extremesState)});
    rows.push_back({Fill(QStringLiteral("Max. klouzavý (%s)"), {window}), false,
                    value(&CStatValueGroup::windowMax, &CStatValueGroup::windowState)});
    rows.push_back({kTimeRow, false, time(&CStatValueGroup::windowMaxTime, &CStatValueGroup::windowState)});
    rows.push_back({QStringLiteral("Min. okamžitý:"), false, value(&CStatValueGroup::min, &CStatValueGroup::extremesState)});
    rows.push_back({kTimeRow, false, time(&CStatValueGroup::minTime, &CStatValueGroup::extremesState)});
    rows.push_back({Fill(QStringLiteral("Min. klouzavý (%s)"), {window}), false,
                    value(&CStatValueGroup::windowMin, &CStatValueGroup::windowState)});
    rows.push_back({kTimeRow, false, time(&CStatValueGroup::windowMinTime, &CStatValueGroup::windowState)});
}

template <class R>
using PeakOf = std::function<const CStatPeakGroup*(const R&, int column)>;

template <class R>
void AddPeakGroup(std::vector<TStatRow<R>>& rows, const std::type_identity_t<PeakOf<R>>& group, const QString& window)
{
    rows.push_back({QStringLiteral("Průměrný:"), false, [group](const R& r, int c) {
                        const CStatPeakGroup* g = group(r, c);
                        return g ? VKValue(g->average, kFixed2, g->averageState) : QString();
                    }});
    rows.push_back({QStringLiteral("Max. okamžitý:"), false, [group](const R& r, int c) {
                        const CStatPeakGroup* g = group(r, c);
                        return g ? VKValue(g->max, kFixed2, g->maxState) : QString();
                    }});
    rows.push_back({kTimeRow, false, [group](const R& r, int c) {
                        const CStatPeakGroup* g = group(r, c);
                        return g ? VKTime(g->maxTime, g->maxState) : QString();
                    }});
    rows.push_back({Fill(QStringLiteral("Max. klouzavý (%s)"), {window}), false, [group](const R& r, int c) {
                        const CStatPeakGroup* g = group(r, c);
                        return g ? VKValue(g->windowMax, kFixed2, g->windowState) : QString();
                    }});
    rows.push_back({kTimeRow, false, [group](const R& r, int c) {
                        const CStatPeakGroup* g = group(r, c);
                        return g ? VKTime(g->windowMaxTime, g->windowState) : QString();
                    }});
}

// A share that the result always holds.
template <class R = CVKStatResult>
TStatRow<R> Share(const QString& label, std::type_identity_t<std::function<float(const R&, int)>> share,
                  int columns = 99)
{
    return {label, false, [share, columns](const R& r, int c) {
                return c < columns ? VKValue(share(r, c), kFixed1, vkstat::kPresent) : QString();
            }};
}

// The windows, scales, formats and units of a result's captions and cells.
struct Captions {
    Captions(const CVKFamilyStatSettings* s, bool hasResult, bool vkr)
        : window1(WindowLabel(s ? s->window1 : 60)),
          window2(WindowLabel(s ? s->window2 : 60)),
          vScale(s ? s->voltageMultiplier : 1),
          iScale(s ? s->currentMultiplier : 1),
          pScale(s ? s->powerMultiplier : 1),
          vFormat(s ? s->voltageFormat : kFixed1),
          iFormat(s ? s->currentFormat : kFixed2),
          pFormat(s ? s->powerFormat : kFixed1),
          vUnit(hasResult ? VoltageUnit(vScale) : QString()),
          iUnit(hasResult ? CurrentUnit(iScale) : (vkr ? QString() : QStringLiteral("A"))),
          hasResult(hasResult)
    {
    }
    QString PUnit(int kind) const { return hasResult ? PowerUnit(pScale, kind) : QString(); }

    QString window1, window2;
    int vScale, iScale, pScale;
    QString vFormat, iFormat, pFormat;
    QString vUnit, iUnit;
    bool hasResult;
};

} // namespace

CStatQuantityTabs::CStatQuantityTabs(int family, QWidget* parent)
    : QWidget(parent), m_family(family), m_vkr(family == kVKR)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* left = new QVBoxLayout;
    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("1505"));
    const std::vector<int> tabs =
        family == kQorin
            ? std::vector<int>{platform::IDS_STAT_TAB_CURRENT, platform::IDS_STAT_TAB_POWER, platform::IDS_STAT_TAB_COS}
            : std::vector<int>{platform::IDS_STAT_TAB_VOLTAGE, platform::IDS_STAT_TAB_CURRENT,
                               platform::IDS_STAT_TAB_POWER,   platform::IDS_STAT_TAB_PF_COS,
                               platform::IDS_STAT_TAB_ENERGY,  platform::IDS_STAT_TAB_UNBALANCE};
    for (int id : tabs)
        m_tabs->addTab(platform::LoadString(id));
    m_grid = new CGridCtrl(this);
    m_grid->setObjectName(QStringLiteral("10"));
    left->addWidget(m_tabs);
    left->addWidget(m_grid, 1);
    layout->addLayout(left, 2);
    if (family == kQorin)
        m_period = m_qorinPeriod = new CQorinPeriodDlg(this);
    else if (m_vkr)
        m_period = new CVKRPeriodDlg(this);
    else
        m_period = new CArchivePeriodDlg(family == kVKT ? CArchivePeriodDlg::kVKT : CArchivePeriodDlg::kVK, this);
    layout->addWidget(m_period, 1);
    connect(m_tabs, &QTabBar::currentChanged, this, [this] { ShowSelectedTab(); });
    m_builtTab = 0;
    FillGrid(*m_grid, 0, false);
}

int CStatQuantityTabs::SelectedTab() const
{
    return m_tabs->currentIndex();
}

void CStatQuantityTabs::SelectTab(int tab)
{
    m_tabs->setCurrentIndex(tab);
}

void CStatQuantityTabs::SetResult(const CVKStatResult* result)
{
    m_result = result;
    ShowSelectedTab();
}

void CStatQuantityTabs::SetResult(const CVKTStatResult* result)
{
    m_vktResult = result;
    ShowSelectedTab();
}

void CStatQuantityTabs::SetResult(const CQorinStatResult* result)
{
    m_qorinResult = result;
    ShowSelectedTab();
}

CStatQuantityTabs::Layout CStatQuantityTabs::LayoutOf(int tab, const CVKStatResult* result) const
{
    const Captions k(result ? result->settings : nullptr, result != nullptr, m_vkr);
    const QString &window1 = k.window1, &window2 = k.window2;
    const int vScale = k.vScale, iScale = k.iScale, pScale = k.pScale;
    const QString &vFormat = k.vFormat, &iFormat = k.iFormat, &pFormat = k.pFormat;
    const QString &vUnit = k.vUnit, &iUnit = k.iUnit;
    const auto pUnit = [&k](int kind) { return k.PUnit(kind); };
    const auto nominalOf = [](float CVKFamilyStatSettings::*field) {
        return [field](const CVKStatResult& r, int) { return r.settings ? r.settings->*field : 0.0f; };
    };

    Layout layout;
    std::vector<Row>& rows = layout.rows;
    switch (tab) {
    case 0: {
        layout.columns = {QStringLiteral("U1N"), QStringLiteral("U2N"), QStringLiteral("U3N"),
                          QStringLiteral("U12"), QStringLiteral("U23"), QStringLiteral("U31")};
        rows.push_back(Section(Fill(QStringLiteral("Napětí [%s]"), {vUnit})));
        AddValueGroup(
            rows, [](const CVKStatResult& r, int c) { return &r.voltages[std::size_t(c)]; }, vFormat, window1, vScale,
            [](const CVKStatResult& r, int c) {
                return r.settings ? (c < 3 ? r.settings->nominalVoltage : r.settings->nominalVoltageLine) : 0.0f;
            });
        rows.push_back(Share(QStringLiteral("Doba nad 115% Unom [%]"),
                             [](const CVKStatResult& r, int c) { return r.voltages[std::size_t(c)].above115; }));
        rows.push_back(Share(QStringLiteral("Doba pod 90% Unom [%]"),
                             [](const CVKStatResult& r, int c) { return r.voltages[std::size_t(c)].below90; }));
        rows.push_back({QStringLiteral("Doba přerušení / počet"), false, [](const CVKStatResult& r, int c) {
                            const CVKVoltageStat& v = r.voltages[std::size_t(c)];
                            return VKShareCount(v.below10, v.drops, v.dropState);
                        }});
        rows.push_back(Section(QStringLiteral("Harmonické zkreslení THD [%]")));
        const int thdColumns = m_vkr ? 6 : 3;
        AddPeakGroup(
            rows,
            [thdColumns](const CVKStatResult& r, int c) {
                return c < thdColumns ? &r.voltageThd[std::size_t(c)] : nullptr;
            },
            window1);
        break;
    }
    case 1:
        layout.columns = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
        rows.push_back(Section(Fill(QStringLiteral("Proud [%s]"), {iUnit})));
        AddValueGroup(
            rows, [](const CVKStatResult& r, int c) { return &r.currents[std::size_t(c)]; }, iFormat, window1, iScale,
            nominalOf(&CVKFamilyStatSettings::nominalCurrent));
        rows.push_back(Share(QStringLiteral("Doba nad 50% Inom [%]:"),
                             [](const CVKStatResult& r, int c) { return r.currents[std::size_t(c)].aboveHalf; }));
        rows.push_back(Share(QStringLiteral("Doba nad 100% Inom [%]:"),
                             [](const CVKStatResult& r, int c) { return r.currents[std::size_t(c)].aboveNominal; }));
        rows.push_back(Section(QStringLiteral("Harmonické zkreslení THD [%]")));
        AddPeakGroup(
            rows, [](const CVKStatResult& r, int c) { return &r.currentThd[std::size_t(c)]; }, window1);
        break;
    case 2: {
        layout.columns = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("3f")};
        const NominalOf<CVKStatResult> powerNominal = [](const CVKStatResult& r, int c) {
            return r.settings ? (c < 3 ? r.settings->nominalPowerPhase : r.settings->nominalPower) : 0.0f;
        };
        struct PowerSection {
            const char* caption;
            int kind;   // unit kind
            int shares; // -1 none, else the share kind
        };
        const PowerSection sections[] = {{"Činný výkon Import  [%s]", 0, 0},
                                         {"Činný výkon Export [%s]", 0, 1},
                                         {"Jalový výkon Import [%s]", 1, -1},
                                         {"Jalový výkon Export [%s]", 1, -1},
                                         {"Zdánlivý výkon [%s]", 2, 2}};
        for (int k = 0; k < 5; ++k) {
            const PowerSection& p = sections[k];
            rows.push_back(Section(Fill(QString::fromUtf8(p.caption), {pUnit(p.kind)})));
            AddValueGroup(
                rows, [k](const CVKStatResult& r, int c) { return &r.powers[std::size_t(4 * k + c)]; }, pFormat,
                window2, pScale, p.shares >= 0 ? powerNominal : NominalOf<CVKStatResult>());
            if (p.shares >= 0) {
                const int j = p.shares;
                rows.push_back(Share(QStringLiteral("Doba nad 50% Pnom [%]:"), [j](const CVKStatResult& r, int c) {
                    return r.powerAboveHalf[std::size_t(4 * j + c)];
                }));
                rows.push_back(Share(QStringLiteral("Doba nad 100% Pnom [%]:"), [j](const CVKStatResult& r, int c) {
                    return r.powerAboveNominal[std::size_t(4 * j + c)];
                }));
            }
        }
        break;
    }
    case 3:
        layout.columns = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("3f")};
        for (int m = 0; m < 2; ++m) {
            rows.push_back(Section(m == 0 ? QStringLiteral("PF  (Import Q) [ ]") : QStringLiteral("PF  (Export Q) [ ]")));
            const auto pf = [m](const CVKStatResult& r, int c) -> const CVKPowerFactorStat& {
                return r.powerFactors[std::size_t(4 * m + c)];
            };
            rows.push_back({QStringLiteral("Průměrný:"), false, [pf](const CVKStatResult& r, int c) {
                                return VKValue(pf(r, c).average, kFixed2, pf(r, c).averageState);
                            }});
            rows.push_back({QStringLiteral("Min. okamžitý:"), false, [pf](const CVKStatResult& r, int c) {
                                return VKValue(pf(r, c).worst, kFixed2, pf(r, c).worstState);
                            }});
            rows.push_back({kTimeRow, false, [pf](const CVKStatResult& r, int c) {
                                return VKTime(pf(r, c).worstTime, pf(r, c).worstState);
                            }});
            rows.push_back({Fill(QStringLiteral("Min. klouzavý (%s)"), {window2}), false,
                            [pf](const CVKStatResult& r, int c) {
                                return VKValue(pf(r, c).windowWorst, kFixed2, pf(r, c).windowState);
                            }});
            rows.push_back({kTimeRow, false, [pf](const CVKStatResult& r, int c) {
                                return VKTime(pf(r, c).windowWorstTime, pf(r, c).windowState);
                            }});
            rows.push_back(Share(QStringLiteral("Doba pod 0.95 v %"),
                                 [pf](const CVKStatResult& r, int c) { return pf(r, c).below095; }));
        }
        for (int m = 0; m < 2; ++m) {
            rows.push_back(Section(m == 0 ? QStringLiteral("cos (Import Q) [ ]") : QStringLiteral("cos (Export Q) [ ]")));
            const auto d = [](const CVKStatResult& r, int c) -> const CVKDisplacementStat& {
                return r.displacement[std::size_t(c)];
            };
            const auto m_ = std::size_t(m);
            rows.push_back(Share(
                QStringLiteral("Doba trvání [% ]"), [d, m_](const CVKStatResult& r, int c) { return d(r, c).classShare[m_]; },
                3));
            rows.push_back({QStringLiteral("Min. okamžitý:"), false, [d, m_](const CVKStatResult& r, int c) {
                                return c < 3 ? VKValue(d(r, c).worst[m_], kFixed2, d(r, c).state[m_]) : QString();
                            }});
            rows.push_back({kTimeRow, false, [d, m_](const CVKStatResult& r, int c) {
                                return c < 3 ? VKTime(d(r, c).worstTime[m_], d(r, c).state[m_]) : QString();
                            }});
            rows.push_back(Share(
                QStringLiteral("Doba pod 0.95 v %"), [d, m_](const CVKStatResult& r, int c) { return d(r, c).below095[m_]; },
                3));
        }
        break;
    case 4: {
        layout.columns = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("3f")};
        rows.push_back(Section(QStringLiteral("El. práce [kWh]")));
        const char* labels[] = {"El. práce činná import:", "El. práce činná export:", "El. práce jalová Import :",
                                "El. práce jalová Export:"};
        for (int r = 0; r < 4; ++r) {
            rows.push_back({QString::fromUtf8(labels[r]), false, [r, pFormat](const CVKStatResult& res, int c) {
                                const CVKEnergyStat& e = res.energies[std::size_t(4 * r + c)];
                                return VKValue(e.value, pFormat, e.state);
                            }});
        }
        break;
    }
    case 5:
        layout.columns = {QStringLiteral("3f")};
        rows.push_back(Section(QStringLiteral("Napět´ová nesymetrie [%]")));
        rows.push_back({QStringLiteral("Průměrný:"), false, [](const CVKStatResult& r, int) {
                            return VKValue(r.unbalance.average, kFixed2, r.unbalance.averageState);
                        }});
        rows.push_back({QStringLiteral("Max. okamžitý:"), false, [](const CVKStatResult& r, int) {
                            return VKValue(r.unbalance.max, kFixed2, r.unbalance.maxState);
                        }});
        rows.push_back({kTimeRow, false, [](const CVKStatResult& r, int) {
                            return VKTime(r.unbalance.maxTime, r.unbalance.maxState);
                        }});
        break;
    default:
        break;
    }
    return layout;
}

CStatQuantityTabs::VKTLayout CStatQuantityTabs::VKTLayoutOf(int tab, const CVKTStatResult* result) const
{
    using R = CVKTStatResult;
    const Captions k(result ? result->settings : nullptr, result != nullptr, false);
    // Columns of the phase tabs: phases 1-3, the three-phase total, the
    // neutral; the records keep the neutral (phase 4) before the total.
    static constexpr int kPosition[] = {0, 1, 2, 4, 3};
    const auto overload = [](const QString& label, std::function<const CVKTOverloadStat*(const R&, int)> of) {
        return VKTRow{label, false, [of](const R& r, int c) {
                          const CVKTOverloadStat* o = of(r, c);
                          return o ? VKShareCount(o->share, o->changes, o->state) : QString();
                      }};
    };
    const QString overloadLabel = QStringLiteral("Doba přetížení / počet");

    VKTLayout layout;
    std::vector<VKTRow>& rows = layout.rows;
    switch (tab) {
    case 0: {
        layout.columns = {QStringLiteral("U1N"), QStringLiteral("U2N"), QStringLiteral("U3N"), QStringLiteral("U12"),
                          QStringLiteral("U23"), QStringLiteral("U31"), QStringLiteral("UN")};
        // The records keep U1-U4 before the line voltages.
        static constexpr std::size_t kVoltage[] = {0, 1, 2, 4, 5, 6, 3};
        const auto v = [](const R& r, int c) -> const CVKTVoltageStat& { return r.voltages[kVoltage[c]]; };
        rows.push_back(Section<R>(Fill(QStringLiteral("Napětí [%s]"), {k.vUnit})));
        AddValueGroup<R>(
            rows, [v](const R& r, int c) { return &v(r, c); }, k.vFormat, k.window1, k.vScale,
            [](const R& r, int c) {
                return r.settings ? (c >= 3 && c < 6 ? r.settings->nominalVoltageLine : r.settings->nominalVoltage)
                                  : 0.0f;
            });
        rows.push_back(Share<R>(QStringLiteral("Doba nad 115% Unom [%]"), [v](const R& r, int c) { return v(r, c).above115; }));
        rows.push_back(Share<R>(QStringLiteral("Doba pod 90% Unom [%]"), [v](const R& r, int c) { return v(r, c).below90; }));
        rows.push_back({QStringLiteral("Doba přerušení / počet"), false, [v](const R& r, int c) {
                            return VKShareCount(v(r, c).below10, v(r, c).drops, v(r, c).dropState);
                        }});
        rows.push_back({overloadLabel, false, [v](const R& r, int c) {
                            return VKShareCount(v(r, c).overloadShare, v(r, c).overloadChanges, v(r, c).overloadState);
                        }});
        rows.push_back(Section<R>(QStringLiteral("Harmonické zkreslení THD [%]")));
        // THD of the phase voltages and the neutral only.
        AddPeakGroup<R>(
            rows,
            [](const R& r, int c) -> const CStatPeakGroup* {
                return c < 3 ? &r.voltageThd[std::size_t(c)] : c == 6 ? &r.voltageThd[3] : nullptr;
            },
            k.window1);
        break;
    }
    case 1:
        layout.columns = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("N")};
        rows.push_back(Section<R>(Fill(QStringLiteral("Proud [%s]"), {k.iUnit})));
        AddValueGroup<R>(
            rows, [](const R& r, int c) { return &r.currents[std::size_t(c)]; }, k.iFormat, k.window1, k.iScale,
            [](const R& r, int) { return r.settings ? r.settings->nominalCurrent : 0.0f; });
        rows.push_back(Share<R>(QStringLiteral("Doba nad 50% Inom [%]:"),
                                [](const R& r, int c) { return r.currents[std::size_t(c)].aboveHalf; }));
        rows.push_back(Share<R>(QStringLiteral("Doba nad 100% Inom [%]:"),
                                [](const R& r, int c) { return r.currents[std::size_t(c)].aboveNominal; }));
        rows.push_back({overloadLabel, false, [](const R& r, int c) {
                            const CVKTCurrentStat& i = r.currents[std::size_t(c)];
                            return VKShareCount(i.overloadShare, i.overloadChanges, i.overloadState);
                        }});
        rows.push_back(Section<R>(QStringLiteral("Harmonické zkreslení THD [%]")));
        AddPeakGroup<R>(
            rows, [](const R& r, int c) { return &r.currentThd[std::size_t(c)]; }, k.window1);
        break;
    case 2: {
        layout.columns = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("3f")};
        const NominalOf<R> powerNominal = [](const R& r, int c) {
            return r.settings ? (c < 3 ? r.settings->nominalPowerPhase : r.settings->nominalPower) : 0.0f;
        };
        const char* captions[] = {"Činný výkon Import  [%s]", "Činný výkon Export [%s]", "Jalový výkon Import [%s]",
                                  "Jalový výkon Export [%s]", "Zdánlivý výkon [%s]"};
        const int kinds[] = {0, 0, 1, 1, 2};
        const int shares[] = {0, 1, -1, -1, 2};
        for (int b = 0; b < 5; ++b) {
            rows.push_back(Section<R>(Fill(QString::fromUtf8(captions[b]), {k.PUnit(kinds[b])})));
            AddValueGroup<R>(
                rows, [b](const R& r, int c) { return &r.powers[std::size_t(5 * b + kPosition[c])]; }, k.pFormat,
                k.window2, k.pScale, shares[b] >= 0 ? powerNominal : NominalOf<R>());
            if (shares[b] >= 0) {
                const int j = shares[b]; // P import, P export, S
                rows.push_back(Share<R>(QStringLiteral("Doba nad 50% Pnom [%]:"), [j](const R& r, int c) {
                    return r.powerAboveHalf[std::size_t(5 * j + kPosition[c])];
                }));
                rows.push_back(Share<R>(QStringLiteral("Doba nad 100% Pnom [%]:"), [j](const R& r, int c) {
                    return r.powerAboveNominal[std::size_t(5 * j + kPosition[c])];
                }));
            }
        }
        rows.push_back(Section<R>(QStringLiteral("Přetížení:")));
        // Phases 1-3, and in the total any of them.
        rows.push_back(overload(overloadLabel, [](const R& r, int c) { return &r.overloads[c < 3 ? std::size_t(c) : 4u]; }));
        break;
    }
    case 3:
        layout.columns = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("3f"),
                          QStringLiteral("N")};
        for (int m = 0; m < 2; ++m) {
            rows.push_back(Section<R>(m == 0 ? QStringLiteral("PF  (Import Q) [ ]") : QStringLiteral("PF  (Export Q) [ ]")));
            const auto pf = [m](const R& r, int c) -> const CVKTPowerFactorStat& {
                return r.powerFactors[std::size_t(5 * m + kPosition[c])];
            };
            rows.push_back({QStringLiteral("Průměrný:"), false,
                            [pf](const R& r, int c) { return VKValue(pf(r, c).average, kFixed2, pf(r, c).averageState); }});
            rows.push_back({QStringLiteral("Min. okamžitý:"), false,
                            [pf](const R& r, int c) { return VKValue(pf(r, c).worst, kFixed2, pf(r, c).worstState); }});
            rows.push_back({kTimeRow, false,
                            [pf](const R& r, int c) { return VKTime(pf(r, c).worstTime, pf(r, c).worstState); }});
            rows.push_back({Fill(QStringLiteral("Min. klouzavý (%s)"), {k.window2}), false, [pf](const R& r, int c) {
                                return VKValue(pf(r, c).windowWorst, kFixed2, pf(r, c).windowState);
                            }});
            rows.push_back({kTimeRow, false, [pf](const R& r, int c) {
                                return VKTime(pf(r, c).windowWorstTime, pf(r, c).windowState);
                            }});
            rows.push_back(Share<R>(QStringLiteral("Doba pod 0.95 v %"), [pf](const R& r, int c) { return pf(r, c).below095; }));
        }
        for (int m = 0; m < 2; ++m) {
            rows.push_back(Section<R>(m == 0 ? QStringLiteral("cos (Import Q) [ ]") : QStringLiteral("cos (Export Q) [ ]")));
            // Per phase: 1-3 and the neutral, nothing in the total.
            const auto a = [](const R& r, int c) -> const CVKTPhaseAngleStat* {
                return c == 3 ? nullptr : &r.phaseAngles[std::size_t(kPosition[c])];
            };
            const auto m_ = std::size_t(m);
            rows.push_back({QStringLiteral("Doba trvání [% ]"), false, [a, m_](const R& r, int c) {
                                return a(r, c) ? VKValue(a(r, c)->classShare[m_], kFixed1, vkstat::kPresent) : QString();
                            }});
            rows.push_back({QStringLiteral("Min. okamžitý:"), false, [a, m_](const R& r, int c) {
                                return a(r, c) ? VKValue(a(r, c)->worst[m_], kFixed2, a(r, c)->state[m_]) : QString();
                            }});
            rows.push_back({kTimeRow, false, [a, m_](const R& r, int c) {
                                return a(r, c) ? VKTime(a(r, c)->worstTime[m_], a(r, c)->state[m_]) : QString();
                            }});
            rows.push_back({QStringLiteral("Doba pod 0.95 v %"), false, [a, m_](const R& r, int c) {
                                return a(r, c) ? VKValue(a(r, c)->below095[m_], kFixed1, vkstat::kPresent) : QString();
                            }});
        }
        break;
    case 4: {
        layout.columns = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("3f"),
                          QStringLiteral("N")};
        rows.push_back(Section<R>(QStringLiteral("El. práce [kWh]")));
        const char* labels[] = {"El. práce činná import:", "El. práce činná export:", "El. práce jalová Import :",
                                "El. práce jalová Export:"};
        for (int e = 0; e < 4; ++e) {
            rows.push_back({QString::fromUtf8(labels[e]), false, [e, f = k.pFormat](const R& res, int c) {
                                const CVKEnergyStat& en = res.energies[std::size_t(5 * e + kPosition[c])];
                                return VKValue(en.value, f, en.state);
                            }});
        }
        break;
    }
    case 5:
        layout.columns = {QStringLiteral("3f")};
        rows.push_back(Section<R>(QStringLiteral("Napět´ová nesymetrie [%]")));
        rows.push_back({QStringLiteral("Průměrný:"), false,
                        [](const R& r, int) { return VKValue(r.unbalance.average, kFixed2, r.unbalance.averageState); }});
        rows.push_back({QStringLiteral("Max. okamžitý:"), false,
                        [](const R& r, int) { return VKValue(r.unbalance.max, kFixed2, r.unbalance.maxState); }});
        rows.push_back({kTimeRow, false, [](const R& r, int) { return VKTime(r.unbalance.maxTime, r.unbalance.maxState); }});
        break;
    default:
        break;
    }
    return layout;
}

namespace {

template <class R>
void FillRows(CGridCtrl& grid, const TStatLayout<R>& layout, const R* result)
{
    QStringList rowTitles;
    std::vector<int> sections;
    for (std::size_t i = 0; i < layout.rows.size(); ++i) {
        rowTitles << layout.rows[i].label;
        if (layout.rows[i].section)
            sections.push_back(int(i) + 1);
    }
    grid.FillTable(layout.columns, rowTitles, sections);
    if (!result)
        return;
    for (std::size_t i = 0; i < layout.rows.size(); ++i) {
        const TStatRow<R>& row = layout.rows[i];
        if (!row.cell)
            continue;
        for (int c = 0; c < int(layout.columns.size()); ++c)
            grid.SetItemText(int(i) + 1, c + 1, row.cell(*result, c));
    }
}

} // namespace

void CStatQuantityTabs::FillGrid(CGridCtrl& grid, int tab, bool values) const
{
    if (m_family == kVKT)
        FillRows(grid, VKTLayoutOf(tab, m_vktResult), values ? m_vktResult : nullptr);
    else if (m_family == kQorin)
        FillRows(grid, QorinLayoutOf(tab, m_qorinResult), values ? m_qorinResult : nullptr);
    else
        FillRows(grid, LayoutOf(tab, m_result), values ? m_result : nullptr);
}

const charts::stats::CStatTail* CStatQuantityTabs::Tail() const
{
    if (m_family == kVKT)
        return m_vktResult ? &m_vktResult->tail : nullptr;
    if (m_family == kQorin)
        return m_qorinResult ? &m_qorinResult->tail : nullptr;
    return m_result ? &m_result->tail : nullptr;
}

void CStatQuantityTabs::ShowSelectedTab()
{
    const int tab = SelectedTab();
    if (tab < 0)
        return;
    // The captions depend on the result's units and windows: they are built
    // with the values.
    m_builtTab = tab;
    FillGrid(*m_grid, tab, true);
    m_grid->viewport()->update();
    if (const charts::stats::CStatTail* shown = Tail()) {
        const charts::stats::CStatTail& tail = *shown;
        m_period->periodStart = tail.startText;
        m_period->periodEnd = tail.endText;
        m_period->total = tail.lengthText;
        m_period->recordDuration = tail.coveredText;
        m_period->recordInterval = tail.intervalText;
    }
    if (m_qorinPeriod) {
        if (m_qorinResult)
            m_qorinPeriod->powerFactor = m_qorinResult->powerFactorText;
        m_qorinPeriod->UpdateData();
    } else {
        m_period->UpdateData();
    }
}

bool CStatQuantityTabs::PrintAll(const QString& title, QPrinter* printer)
{
    const int tab = SelectedTab();
    if (tab < 0)
        return false;
    CGridCtrl grid(this);
    grid.hide();
    m_builtTab = tab;
    FillGrid(grid, tab, true);
    QStringList texts = {QString(), QString(), QString(), QString(), QString()};
    if (const charts::stats::CStatTail* shown = Tail()) {
        const charts::stats::CStatTail& tail = *shown;
        texts[1] = Fill(platform::LoadString(platform::IDS_STAT_PRINT_TITLE), {title, tail.startText, tail.endText});
        texts[2] = Fill(platform::LoadString(platform::IDS_STAT_PRINT_DURATION), {tail.lengthText, tail.coveredText});
        texts[3] = Fill(platform::LoadString(platform::IDS_STAT_PRINT_INTERVAL), {tail.intervalText});
        if (m_family == kQorin && m_qorinResult)
            texts[4] = Fill(platform::LoadString(platform::IDS_STAT_PRINT_REQUIRED_PF),
                            {m_qorinResult->powerFactorText});
    }
    return grid.Print(texts, title, printer);
}
