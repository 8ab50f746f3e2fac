#pragma once

#include "archive/store/ArchivEvents.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

class CArchivData;
class QLabel;
class QTableWidget;

namespace charts {

// One row of the event list.
struct CEventRow {
    std::uint32_t time = 0;
    QString text; // the event's text and its suffix
};

// The rows of a run of event entries: alarm and error states (kinds 4 to 6,
// reported again with every measurement while they last) become rows where
// they began "(začátek)", ended "(konec)" or were already or still lasting
// "(trvání)"; other events appear once; oldest first.
std::vector<CEventRow> BuildEventRows(const CArchivEventList& entries);

} // namespace charts

// "Alarmy a události:": the alarms and events of an instrument as a list of
// time and description, embedded by the live forms, archive views and
// front panels.
class CPanelEventList : public QWidget {
    Q_OBJECT
public:
    // Refreshes after the last pending records before the list rests.
    static constexpr int kQuietRefreshes = 3;

    explicit CPanelEventList(QWidget* parent = nullptr);

    // The stored entries: an archive view lets its store fill them, then
    // calls Rebuild.
    CArchivEventList& Entries() { return m_entries; }
    void Rebuild();
    // A live list refreshed from the instrument's archive data after a
    // measurement; the user's scroll position stays.
    void AddEvent(CArchivData* data);

    QTableWidget* List() const { return m_list; }
    int RowCount() const;
    QString RowTime(int row) const;
    QString RowText(int row) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* m_caption;
    QTableWidget* m_list;
    int m_refreshes = 0;
    int m_fontHeight = 0;
    CArchivEventList m_entries;
};
