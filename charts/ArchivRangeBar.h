#pragma once

#include "platform/Time32.h"

#include <QWidget>

class QDateTimeEdit;
class QLabel;
class QTabBar;
class QToolButton;

// The strip at the top of every archive view: the tab of what the view shows
// ("Graf", "Hodnoty", "Statistiky"), the time range to show with date and
// time pickers, its confirm and undo buttons, and print and export. It keeps
// only the times; every decision goes to the parent view as a message
// (WM_ARCHIVE_REDRAW, WM_ARCHIVE_SET_WINDOW, WM_ARCHIVE_REFILL,
// WM_ARCHIVE_PRINT_GRAPH, WM_ARCHIVE_PRINT_LIST), and the view answers
// WM_ARCHIVE_SET_WINDOW by reading GetRange.
class CGraphRangeBar : public QWidget {
    Q_OBJECT
public:
    // Control ids, also the controls' object names.
    enum ControlId {
        kTab = 1263,
        kCaption = 1285,
        kFromDate = 1286,
        kFromTime = 1287,
        kTo = 1288,
        kToDate = 1289,
        kToTime = 1290,
        kConfirm = 1291,
        kUndo = 1292,
        kPrint = 1293,
        kExport = 1294,
    };
    // The longest range shown: 31 days.
    static constexpr int kMaxSpan = 2678400;

    explicit CGraphRangeBar(QWidget* parent = nullptr);

    // The measured period of the archive.
    void SetRange(platform::CTime periodStart, platform::CTime periodEnd);
    // The range shown; the first call puts the range in force.
    void SetLimits(platform::CTime from, platform::CTime to);
    // 1 maximum values, 2 minimum values, otherwise a graph.
    void SetValueKind(int kind);
    void GetRange(platform::CTime& from, platform::CTime& to) const;
    void UpdateCaption();

    bool Confirmed() const { return m_confirmed; }
    bool SeveralDays() const { return m_severalDays; }
    bool LongCaptions() const { return m_longCaptions; }
    QWidget* Control(int id) const;
    // The bar's height for its font.
    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Layout();
    void BeginEditing();
    void MergeFrom();
    void MergeTo();
    void OnConfirm();
    void OnUndo();
    void EndEditing();
    void WriteControls();
    bool UpdateSeveralDays();
    void Send(unsigned int id, std::uintptr_t wParam = 0);

    QTabBar* m_tab = nullptr;
    QDateTimeEdit* m_fromDateEdit = nullptr;
    QDateTimeEdit* m_toDateEdit = nullptr;
    QDateTimeEdit* m_fromTimeEdit = nullptr;
    QDateTimeEdit* m_toTimeEdit = nullptr;
    QToolButton* m_confirm = nullptr;
    QToolButton* m_undo = nullptr;
    QToolButton* m_print = nullptr;
    QToolButton* m_export = nullptr;
    QLabel* m_caption = nullptr;
    QLabel* m_toLabel = nullptr;

    platform::CTime m_fromDate;
    platform::CTime m_toDate;
    platform::CTime m_fromTime;
    platform::CTime m_toTime;
    platform::CTime m_savedFrom;
    platform::CTime m_savedTo;
    platform::CTime m_periodStart;
    platform::CTime m_periodEnd;
    bool m_confirmed = false;
    int m_valueKind = 0;
    bool m_longCaptions = false;
    bool m_severalDays = false;
};
