#include "charts/StatQuantityTabs.h"

#include "charts/ReportPrinter.h"
#include "charts/StatCells.h"
#include "platform/StringTable.h"

#include <QHBoxLayout>
#include <QTabBar>
#include <QVBoxLayout>

using namespace statcells;
using Row = CStatQuantityTabs::Row;

namespace {

const QString kFixed1 = QStringLiteral("%0.1f");
const QString kFixed2 = QStringLiteral("%0.2f");
const QString kTimeRow = QStringLiteral("      Čas:");

QString Fill(const QString& format, const QStringList& args)
{
    return charts::FillPlaceholders(format, args);
}

Row Section(const QString& label)
{
    return {label, true, {}};
}

// What a group's rows read for a column.
using GroupOf = std::function<const CStatValueGroup*(const CVKStatResult&, int column)>;
using NominalOf = std::function<float(const CVKStatResult&, int column)>;

// The rows of a full group (with the percent of nominal when `nominal` is
// given).
void AddValueGroup(std::vector<Row>& rows, const GroupOf& group, const QString& format, const QString& window,
                   int scale, const NominalOf& nominal)
{
    const auto value = [group, format](float CStatValueGroup::*field, int CStatValueGroup::*state) {
        return [group, format, field, state](const CVKStatResult& r, int c) {
            const CStatValueGroup* g = group(r, c);
            return g ? VKValue(g->*field, format, g->*state) : QString();
        };
    };
    const auto time = [group](CTime CStatValueGroup::*field, int CStatValueGroup::*state) {
        return [group, field, state](const CVKStatResult& r, int c) {
            const CStatValueGroup* g = group(r, c);
            return g ? VKTime(g->*field, g->*state) : QString();
        };
    };
    rows.push_back({QStringLiteral("Průměrný:"), false, value(&CStatValueGroup::average, &CStatValueGroup::averageState)});
    if (nominal) {
        rows.push_back({QStringLiteral("Tj. v % nom:"), false, [group, nominal, scale](const CVKStatResult& r, int c) {
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

using PeakOf = std::function<const CStatPeakGroup*(const CVKStatResult&, int column)>;

void AddPeakGroup(std::vector<Row>& rows, const PeakOf& group, const QString& window)
{
    rows.push_back({QStringLiteral("Průměrný:"), false, [group](const CVKStatResult& r, int c) {
                        const CStatPeakGroup* g = group(r, c);
                        return g ? VKValue(g->average, kFixed2, g->averageState) : QString();
                    }});
    rows.push_back({QStringLiteral("Max. okamžitý:"), false, [group](const CVKStatResult& r, int c) {
                        const CStatPeakGroup* g = group(r, c);
                        return g ? VKValue(g->max, kFixed2, g->maxState) : QString();
                    }});
    rows.push_back({kTimeRow, false, [group](const CVKStatResult& r, int c) {
                        const CStatPeakGroup* g = group(r, c);
                        return g ? VKTime(g->maxTime, g->maxState) : QString();
                    }});
    rows.push_back({Fill(QStringLiteral("Max. klouzavý (%s)"), {window}), false, [group](const CVKStatResult& r, int c) {
                        const CStatPeakGroup* g = group(r, c);
                        return g ? VKValue(g->windowMax, kFixed2, g->windowState) : QString();
                    }});
    rows.push_back({kTimeRow, false, [group](const CVKStatResult& r, int c) {
                        const CStatPeakGroup* g = group(r, c);
                        return g ? VKTime(g->windowMaxTime, g->windowState) : QString();
                    }});
}

// A share that the result always holds.
Row Share(const QString& label, std::function<float(const CVKStatResult&, int)> share, int columns = 99)
{
    return {label, false, [share, columns](const CVKStatResult& r, int c) {
                return c < columns ? VKValue(share(r, c), kFixed1, vkstat::kPresent) : QString();
            }};
}

} // namespace

CStatQuantityTabs::CStatQuantityTabs(bool vkr, QWidget* parent) : QWidget(parent), m_vkr(vkr)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* left = new QVBoxLayout;
    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("1505"));
    for (int id : {platform::IDS_STAT_TAB_VOLTAGE, platform::IDS_STAT_TAB_CURRENT, platform::IDS_STAT_TAB_POWER,
                   platform::IDS_STAT_TAB_PF_COS, platform::IDS_STAT_TAB_ENERGY, platform::IDS_STAT_TAB_UNBALANCE})
        m_tabs->addTab(platform::LoadString(id));
    m_grid = new CGridCtrl(this);
    m_grid->setObjectName(QStringLiteral("10"));
    left->addWidget(m_tabs);
    left->addWidget(m_grid, 1);
    layout->addLayout(left, 2);
    m_period = vkr ? new CVKRPeriodDlg(this) : new CArchivePeriodDlg(CArchivePeriodDlg::kVK, this);
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

CStatQuantityTabs::Layout CStatQuantityTabs::LayoutOf(int tab, const CVKStatResult* result) const
{
    const CVKFamilyStatSettings* s = result ? result->settings : nullptr;
    const QString window1 = WindowLabel(s ? s->window1 : 60);
    const QString window2 = WindowLabel(s ? s->window2 : 60);
    const int vScale = s ? s->voltageMultiplier : 1;
    const int iScale = s ? s->currentMultiplier : 1;
    const int pScale = s ? s->powerMultiplier : 1;
    const QString vFormat = s ? s->voltageFormat : kFixed1;
    const QString iFormat = s ? s->currentFormat : kFixed2;
    const QString pFormat = s ? s->powerFormat : kFixed1;
    const QString vUnit = result ? VoltageUnit(vScale) : QString();
    const QString iUnit = result ? CurrentUnit(iScale) : (m_vkr ? QString() : QStringLiteral("A"));
    const auto pUnit = [&](int kind) { return result ? PowerUnit(pScale, kind) : QString(); };
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
        const NominalOf powerNominal = [](const CVKStatResult& r, int c) {
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
                window2, pScale, p.shares >= 0 ? powerNominal : NominalOf());
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

void CStatQuantityTabs::FillGrid(CGridCtrl& grid, int tab, bool values) const
{
    const Layout layout = LayoutOf(tab, m_result);
    QStringList rowTitles;
    std::vector<int> sections;
    for (std::size_t i = 0; i < layout.rows.size(); ++i) {
        rowTitles << layout.rows[i].label;
        if (layout.rows[i].section)
            sections.push_back(int(i) + 1);
    }
    grid.FillTable(layout.columns, rowTitles, sections);
    if (!values || !m_result)
        return;
    for (std::size_t i = 0; i < layout.rows.size(); ++i) {
        const Row& row = layout.rows[i];
        if (!row.cell)
            continue;
        for (int c = 0; c < int(layout.columns.size()); ++c)
            grid.SetItemText(int(i) + 1, c + 1, row.cell(*m_result, c));
    }
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
    if (m_result) {
        const charts::stats::CStatTail& tail = m_result->tail;
        m_period->periodStart = tail.startText;
        m_period->periodEnd = tail.endText;
        m_period->total = tail.lengthText;
        m_period->recordDuration = tail.coveredText;
        m_period->recordInterval = tail.intervalText;
    }
    m_period->UpdateData();
}

bool CStatQuantityTabs::PrintAll(const QString& title)
{
    const int tab = SelectedTab();
    if (tab < 0)
        return false;
    CGridCtrl grid(this);
    grid.hide();
    m_builtTab = tab;
    FillGrid(grid, tab, true);
    QStringList texts = {QString(), QString(), QString(), QString(), QString()};
    if (m_result) {
        const charts::stats::CStatTail& tail = m_result->tail;
        texts[1] = Fill(platform::LoadString(platform::IDS_STAT_PRINT_TITLE), {title, tail.startText, tail.endText});
        texts[2] = Fill(platform::LoadString(platform::IDS_STAT_PRINT_DURATION), {tail.lengthText, tail.coveredText});
        texts[3] = Fill(platform::LoadString(platform::IDS_STAT_PRINT_INTERVAL), {tail.intervalText});
    }
    return grid.Print(texts, title);
}
