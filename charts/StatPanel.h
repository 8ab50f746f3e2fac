#pragma once

#include "archive_docs/ArchivNavigator.h"
#include "archive/store/VKArchivData.h"
#include "archive/store/VKRArchivData.h"
#include "archive/store/VKTArchivData.h"
#include "charts/StatTabCtrl.h"
#include "charts_stats/VKRStatistics.h"
#include "charts_stats/VKStatistics.h"
#include "charts_stats/VKTStatistics.h"

#include <QWidget>

#include <functional>
#include <vector>


// The statistics mode of an archive view: the results of the last
// computation over the view's window in segment and quantity tabs. While
// the view sets its time limits (show flag 0) the panel shows "Nastavuje se
// čas." instead.
class CStatPanel : public QWidget {
    Q_OBJECT
public:
    // family: CStatQuantityTabs::Family.
    explicit CStatPanel(int family, QWidget* parent = nullptr);

    void SetShowFlag(int show);
    int ShowFlag() const { return m_show; }
    void MoveTo(const QRect& rect) { setGeometry(rect); }
    // The document's check for a changed file (non-zero: it was read again,
    // the reload updates the views itself).
    void SetReloadCheck(std::function<int()> check) { m_reloadCheck = std::move(check); }

    virtual void Refresh() = 0;
    virtual void FreeResults() = 0;
    // On `printer` when the print route chose one, else the user chooses.
    virtual bool PrintResults(QPrinter* printer) = 0;
    bool PrintResults() { return PrintResults(nullptr); }
    void UpdateTab() { m_tabs->UpdateTab(); }
    int ResultCount() const { return m_count; }
    CStatTabCtrl& Tabs() { return *m_tabs; }

signals:
    // The archive's position moved to a segment's start: the view redraws.
    void graphChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool Reloaded() const { return m_reloadCheck && m_reloadCheck() != 0; }
    // A segment was chosen.
    virtual void SegmentChosen(int segment) = 0;

    CStatTabCtrl* m_tabs = nullptr;
    int m_count = 0;

private:
    int m_show = 1;
    int m_appliedShow = 1;
    std::function<int()> m_reloadCheck;
};

// The panel of one family's archive (VK, VKR, VKT; the controllers' in
// QorinStatPanel.h). Data: the family's archive; the
// document's window is its navigator. `FirstMoving`: the first segment whose
// choice moves the archive to its start.
template <class Data, class Result, class Settings, int FirstMoving>
class TVKFamilyStatPanel : public CStatPanel {
public:
    using Compute = std::vector<Result> (*)(Data&, Settings&, const charts::stats::ProgressFn&);

    TVKFamilyStatPanel(Compute compute, QWidget* parent)
        : CStatPanel(std::is_same_v<Result, CVKRStatResult>     ? CStatQuantityTabs::kVKR
                     : std::is_same_v<Result, CVKTStatResult>   ? CStatQuantityTabs::kVKT
                     : std::is_same_v<Result, CQorinStatResult> ? CStatQuantityTabs::kQorin
                                                                : CStatQuantityTabs::kVK,
                     parent),
          m_compute(compute)
    {
        m_settings.filled = 1;
    }
    // The view that listens is already gone when its children go: freeing
    // the results must not tell it that the graph changed, nor ask the
    // document whether its file changed (a reload would run on a view
    // half torn down).
    ~TVKFamilyStatPanel() override
    {
        blockSignals(true);
        m_tabs->blockSignals(true);
        SetReloadCheck({});
        FreeResults();
    }

    // The view's archive and its window (the document's family data is both).
    void SetArchivData(Data* data, CArchivNavigator* navigator)
    {
        m_data = data;
        m_navigator = navigator;
    }
    Settings& GetSettings() { return m_settings; }
    const std::vector<Result>& Results() const { return m_results; }

    void Refresh() override
    {
        if (Reloaded() || !m_data)
            return;
        FreeResults();
        m_results = RunWithProgress([this](const charts::stats::ProgressFn& progress) {
            return m_compute(*m_data, m_settings, progress);
        });
        m_count = int(m_results.size());
        // The VKR results are shown as the VK ones they extend.
        using Shown = std::conditional_t<std::is_same_v<Result, CVKTStatResult> || std::is_same_v<Result, CQorinStatResult>,
                                         Result, CVKStatResult>;
        std::vector<const Shown*> each;
        for (const Result& r : m_results)
            each.push_back(&r);
        m_tabs->SetResults(std::move(each));
    }

    // The tab control lets go of the results before they go.
    void FreeResults() override
    {
        m_tabs->SetResults(0, nullptr);
        m_results.clear();
        m_count = 0;
    }

    using CStatPanel::PrintResults;
    bool PrintResults(QPrinter* printer) override
    {
        return m_data && m_count > 0 && m_tabs->PrintAll(m_data->GetArchiveFileName(), printer);
    }

protected:
    void SegmentChosen(int segment) override
    {
        if (Reloaded() || segment < FirstMoving || segment >= m_count || !m_navigator)
            return;
        m_navigator->SeekTimeInBlocks(m_results[std::size_t(segment)].tail.segmentStart);
        emit graphChanged();
    }

private:
    template <class Run>
    std::vector<Result> RunWithProgress(const Run& run);

    Compute m_compute;
    Data* m_data = nullptr;
    CArchivNavigator* m_navigator = nullptr;
    Settings m_settings;
    std::vector<Result> m_results;
};

namespace charts {
// Runs `work` to its end with the wait dialog over `owner` showing its
// progress.
void WithStatisticsProgress(QWidget* owner, const std::function<void(const stats::ProgressFn&)>& work);
} // namespace charts

template <class Data, class Result, class Settings, int FirstMoving>
template <class Run>
std::vector<Result> TVKFamilyStatPanel<Data, Result, Settings, FirstMoving>::RunWithProgress(const Run& run)
{
    std::vector<Result> results;
    charts::WithStatisticsProgress(this, [&](const charts::stats::ProgressFn& progress) { results = run(progress); });
    return results;
}

class CVKStatPanel : public TVKFamilyStatPanel<CVKArchivData, CVKStatResult, CVKStatSettings, 0> {
public:
    explicit CVKStatPanel(QWidget* parent = nullptr)
        : TVKFamilyStatPanel(&charts::stats::ComputeVKStatistics, parent)
    {
    }
};

class CVKRStatPanel : public TVKFamilyStatPanel<CVKRArchivData, CVKRStatResult, CVKRStatSettings, 1> {
public:
    explicit CVKRStatPanel(QWidget* parent = nullptr)
        : TVKFamilyStatPanel(&charts::stats::ComputeVKRStatistics, parent)
    {
    }
};

class CVKTStatPanel : public TVKFamilyStatPanel<CVKTArchivData, CVKTStatResult, CVKTStatSettings, 0> {
public:
    explicit CVKTStatPanel(QWidget* parent = nullptr) : TVKFamilyStatPanel(&Compute, parent) {}

private:
    static std::vector<CVKTStatResult> Compute(CVKTArchivData& data, CVKTStatSettings& settings,
                                               const charts::stats::ProgressFn& progress)
    {
        return charts::stats::ComputeVKTStatistics(data, settings, progress);
    }
};
