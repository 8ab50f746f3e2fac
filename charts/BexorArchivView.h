#pragma once

#include "charts_data/MeterTable.h"
#include "platform/ui/Document.h"

#include <array>
#include <functional>

class CMeterArchivDocBase;
class QPrinter;
class QPushButton;
class QTabBar;
class QTableWidget;
class QTimer;

// The view of a meter archive: the energies of the meter as a table of
// readings or increments at the chosen interval, refreshed at minutes 1,
// 16, 31 and 46, exported to a CSV file and printed. The display settings
// are kept in the registry per family ("Bexor", "VKTBexor").
class CMeterArchivView : public ui::CView {
    Q_OBJECT
public:
    enum ControlId { IdTabs = 1263, IdPrint = 1293, IdExport = 1294, IdSettings = 1295, IdTable = 1379 };
    static constexpr int kTimerMs = 5000;
    static constexpr int kRefreshStep = 900;

    using Clock = std::function<platform::CTime()>;

    // The next refresh after `now`: the hour's minute 1 stepped by 15 minutes.
    static platform::CTime FirstRefresh(platform::CTime now);

    void OnUpdate(ui::CView* sender, std::intptr_t hint, void* object) override;

    // Tests drive time.
    void SetClock(Clock clock);
    void OnTimerTick();
    platform::CTime NextRefresh() const { return m_nextRefresh; }
    int Refreshes() const { return m_refreshes; }

    void RebuildTable();
    bool Export();
    bool Print(QPrinter* printer = nullptr);
    // The display settings dialog; OK stores the choice and redraws.
    void EditSettings();

    const charts::CMeterDisplay& Display() const { return m_display; }
    void SetDisplay(const charts::CMeterDisplay& display);
    static charts::CMeterDisplay LoadDisplay(bool vkt);
    static void SaveDisplay(bool vkt, const charts::CMeterDisplay& display);

    const charts::CMeterTable& Table() const { return m_table; }
    QTableWidget* TableWidget() const { return m_list; }
    QTabBar* Tabs() const { return m_tabs; }
    QWidget* Control(int id) const;
    // A new window's size: the table's columns whole and about a dozen rows.
    QSize sizeHint() const override;

protected:
    explicit CMeterArchivView(bool vkt, QWidget* parent = nullptr);
    void resizeEvent(QResizeEvent* event) override;

    virtual std::vector<charts::CMeterSample> Samples() const = 0;
    // One name per meter block of the document, by the time the block began.
    virtual QStringList MeterNames() const { return {}; }
    // The tariff number (1..) of each hour of the meter.
    virtual std::array<int, 24> Tariffs() const { return {}; }
    CMeterArchivDocBase* MeterDocument() const;
    QString GetArchiveName() const;
    // The start of the shown meter block; empty when there is none.
    QString ResetTimeText() const;
    // The chosen meter, as its tab reads (empty without meters).
    QString MeterName() const;

private:
    void Refresh();
    // One tab per meter, the document's current one selected; hidden below
    // two meters.
    void FillTabs();
    void OnTabChanged(int index);
    void LayoutChildren();

    bool m_vkt;
    charts::CMeterDisplay m_display;
    charts::CMeterTable m_table;
    QTabBar* m_tabs;
    QTableWidget* m_list;
    QPushButton* m_print;
    QPushButton* m_export;
    QPushButton* m_settings;
    QTimer* m_timer;
    Clock m_clock;
    platform::CTime m_nextRefresh;
    int m_refreshes = 0;
};

// Over a VK archive's meter data.
class CBexorArchivView : public CMeterArchivView {
    Q_OBJECT
public:
    explicit CBexorArchivView(QWidget* parent = nullptr) : CMeterArchivView(false, parent) {}

protected:
    std::vector<charts::CMeterSample> Samples() const override;
    std::array<int, 24> Tariffs() const override;
    QStringList MeterNames() const override;
};

// Over a VKT archive's meter data.
class CVKTBexorArchivView : public CMeterArchivView {
    Q_OBJECT
public:
    explicit CVKTBexorArchivView(QWidget* parent = nullptr) : CMeterArchivView(true, parent) {}

protected:
    std::vector<charts::CMeterSample> Samples() const override;
    std::array<int, 24> Tariffs() const override;
    QStringList MeterNames() const override;
};

namespace ui {
class CDocManager;
}

// The meter-archive templates of the VK and VKT families (their file-type
// names "Bexor Archiv" and "VKTBexor Archiv", by which the archive windows
// open them).
void AddBexorTemplate(ui::CDocManager& manager, int resourceId);
void AddVKTBexorTemplate(ui::CDocManager& manager, int resourceId);
