#include "charts/PanelEventList.h"

#include "archive/store/ArchivData.h"
#include "archive/store/ArchivRecord.h"
#include "platform/Cp1250.h"
#include "platform/StringTable.h"
#include "platform/Time32.h"

#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTableWidget>

#include <algorithm>

namespace charts {

namespace {

bool IsState(std::uint8_t type)
{
    return type >= 4 && type <= 6;
}

// Already there when the period began: an error from its first record on, an
// alarm from the first or second.
bool LastingFromStart(const CArchivEventItem& e)
{
    return e.type == 4 ? e.sampleIndex == 0 : e.sampleIndex < 2;
}

// Seen in the measurement before (an error in the same or a later one).
bool Continues(const CArchivEventItem& open, const CArchivEventItem& e)
{
    return e.type == 4 ? open.sampleIndex >= e.sampleIndex : open.sampleIndex + 1 >= e.sampleIndex;
}

} // namespace

std::vector<CEventRow> BuildEventRows(const CArchivEventList& entries)
{
    std::vector<CEventRow> rows;
    std::vector<CArchivEventItem> open;
    int periodEnd = 0;
    const auto add = [&rows](const CArchivEventItem& e, int suffixId) {
        QString text = platform::FromCp1250(e.data);
        if (suffixId)
            text += platform::LoadString(suffixId);
        rows.push_back({e.time, text});
    };
    for (const CArchivEventItem& e : entries) {
        if (e.type == 0) {
            periodEnd = e.sampleIndex;
            continue;
        }
        if (!IsState(e.type)) {
            add(e, 0);
            continue;
        }
        // The whole text names the state: "Alarm 1" is not "Alarm 10".
        auto found = std::find_if(open.begin(), open.end(), [&e](const CArchivEventItem& o) { return o.data == e.data; });
        bool continued = false;
        if (found != open.end()) {
            if (Continues(*found, e)) {
                found->sampleIndex = e.sampleIndex;
                found->time = e.time;
                continued = true;
            } else {
                add(*found, platform::IDS_EVENT_END);
                open.erase(found);
            }
        }
        if (e.type == 4) {
            // An error ends every other state.
            std::erase_if(open, [&](const CArchivEventItem& o) {
                const bool ends = o.type != 4 || o.data != e.data;
                if (ends)
                    add(o, platform::IDS_EVENT_END);
                return ends;
            });
        }
        if (!continued) {
            open.push_back(e);
            add(e, LastingFromStart(e) ? platform::IDS_EVENT_DURATION : platform::IDS_EVENT_BEGIN);
        }
    }
    for (const CArchivEventItem& o : open)
        add(o, o.sampleIndex < periodEnd ? platform::IDS_EVENT_END : platform::IDS_EVENT_DURATION);
    std::stable_sort(rows.begin(), rows.end(), [](const CEventRow& a, const CEventRow& b) { return a.time < b.time; });
    return rows;
}

} // namespace charts

CPanelEventList::CPanelEventList(QWidget* parent) : QWidget(parent)
{
    m_caption = new QLabel(QStringLiteral("Alarmy a události:"), this);
    m_list = new QTableWidget(0, 2, this);
    m_list->setHorizontalHeaderLabels(
        {platform::LoadString(platform::IDS_COLUMN_TIME), platform::LoadString(platform::IDS_COLUMN_DESCRIPTION)});
    // 100 pixels of the classic dialog font; as wide as a time in this one.
    const int timeWidth = m_list->fontMetrics().horizontalAdvance(QStringLiteral("00.00.00 00:00:00")) + 12;
    m_list->setColumnWidth(0, std::max(100, timeWidth));
    m_list->setWordWrap(false);
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 4);
    m_list->setColumnWidth(1, 500);
    m_list->setShowGrid(true);
    m_list->verticalHeader()->hide();
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void CPanelEventList::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_caption->setGeometry(8, 5, width() - 10, 15);
    m_list->setGeometry(5, 25, width() - 10, height() - 32);
    const int fontHeight = m_list->fontMetrics().height();
    if (fontHeight != m_fontHeight) {
        m_fontHeight = fontHeight;
        QFont bold = m_list->font();
        bold.setPixelSize(fontHeight + 2 - m_list->fontMetrics().descent());
        bold.setBold(true);
        m_caption->setFont(bold);
    }
}

void CPanelEventList::Rebuild()
{
    const std::vector<charts::CEventRow> rows = charts::BuildEventRows(m_entries);
    m_list->setRowCount(0);
    m_list->setRowCount(int(rows.size()));
    for (int i = 0; i < int(rows.size()); ++i) {
        const charts::CEventRow& row = rows[std::size_t(i)];
        m_list->setItem(i, 0, new QTableWidgetItem(platform::CTime(row.time).Format(QStringLiteral("%d.%m.%y %H:%M:%S"))));
        m_list->setItem(i, 1, new QTableWidgetItem(row.text));
    }
}

void CPanelEventList::AddEvent(CArchivData* data)
{
    if (!data)
        return;
    if (data->HasPendingRecords()) {
        m_refreshes = 0;
    } else {
        if (m_refreshes >= kQuietRefreshes)
            return;
        ++m_refreshes;
    }
    data->CollectEvents(m_entries);
    const int vertical = m_list->verticalScrollBar()->value();
    const int horizontal = m_list->horizontalScrollBar()->value();
    Rebuild();
    m_list->doItemsLayout(); // the bars' ranges of the new rows, before the old position goes back
    m_list->verticalScrollBar()->setValue(vertical);
    m_list->horizontalScrollBar()->setValue(horizontal);
}

int CPanelEventList::RowCount() const
{
    return m_list->rowCount();
}

QString CPanelEventList::RowTime(int row) const
{
    const QTableWidgetItem* item = m_list->item(row, 0);
    return item ? item->text() : QString();
}

QString CPanelEventList::RowText(int row) const
{
    const QTableWidgetItem* item = m_list->item(row, 1);
    return item ? item->text() : QString();
}
