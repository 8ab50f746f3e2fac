#include "charts/ArchivValueList.h"

#include "archive_docs/ArchivNavigator.h"
#include "platform/StringTable.h"
#include "platform/ui/WaitDlg.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QFontMetrics>
#include <QStyle>
#include <QPainter>
#include <QScrollBar>

#include <QPointer>

namespace charts {

// ---- cache --------------------------------------------------------------------

void CValueRowCache::Reset(int columnCount)
{
    for (auto& slot : m_slots)
        slot.reset();
    m_next = 0;
    m_columns = columnCount;
}

const CValueRow* CValueRowCache::Find(std::uint32_t index) const
{
    for (const auto& slot : m_slots)
        if (slot && slot->index == index)
            return &*slot;
    return nullptr;
}

void CValueRowCache::Insert(std::uint32_t index, const QStringList& texts)
{
    QStringList kept = texts.mid(0, m_columns);
    while (kept.size() < m_columns)
        kept << QString();
    m_slots[std::size_t(m_next)] = CValueRow{index, std::move(kept)};
    m_next = (m_next + 1) % kSlots;
}

// ---- model --------------------------------------------------------------------

QColor CArchiveValueModel::RowColour(int row)
{
    return row % 2 == 0 ? QColor(0xFF, 0xFF, 0xFF) : QColor(0xFF, 0xFF, 0xDF);
}

void CArchiveValueModel::Rebuild(const QStringList& captions, int rowCount, CValueRowSource source,
                                 QWidget* progressOwner)
{
    QPointer<ui::CWaitDlg> wait;
    if (progressOwner) {
        wait = new ui::CWaitDlg(progressOwner);
        wait->SetText(platform::LoadString(platform::IDS_WAIT_FILL_VALUE_LIST));
        wait->SetProgress(0);
        wait->show();
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    beginResetModel();
    m_captions = captions;
    m_rows = std::max(rowCount, 0);
    m_source = std::move(source);
    m_cache.Reset(int(captions.size()));
    m_blockReads = 0;
    endResetModel();
    if (wait) {
        wait->SetProgress(100);
        wait->close();
        if (wait)
            wait->deleteLater();
    }
}

const CValueRow* CArchiveValueModel::GetRowTexts(int row)
{
    if (row < 0 || row >= m_rows)
        return nullptr;
    if (const CValueRow* cached = m_cache.Find(std::uint32_t(row)))
        return cached;
    if (!m_source.rows)
        return nullptr;
    int count = 0;
    int first = 0;
    const std::vector<QStringList> block = m_source.rows(row, count, first);
    ++m_blockReads;
    for (int i = 0; i < count && i < int(block.size()); ++i)
        if (first + i >= 0)
            m_cache.Insert(std::uint32_t(first + i), block[std::size_t(i)]);
    return m_cache.Find(std::uint32_t(row));
}

int CArchiveValueModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int CArchiveValueModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_captions.size());
}

QVariant CArchiveValueModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole: {
        // Reading fills the cache, which the const view of the table does
        // not see as a change of the model.
        const CValueRow* row = const_cast<CArchiveValueModel*>(this)->GetRowTexts(index.row());
        return row ? QVariant(row->texts.value(index.column())) : QVariant();
    }
    case Qt::BackgroundRole:
        return RowColour(index.row());
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    default:
        return QVariant();
    }
}

QVariant CArchiveValueModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_captions.value(section);
    return QVariant();
}

// ---- view ---------------------------------------------------------------------

namespace {

// A value column is at least as wide as its caption and the values of the
// first rows (one block read), never cut to "…".
void FitColumns(CArchiveValueList& list)
{
    const CArchiveValueModel& model = list.Model();
    if (model.columnCount() > 0)
        list.setColumnWidth(0, 100);
    const QFontMetrics header(list.horizontalHeader()->font());
    const QFontMetrics cells(list.font());
    const int margin = 2 * list.style()->pixelMetric(QStyle::PM_HeaderMargin) + 8;
    const int sample = std::min(model.rowCount(), 10);
    for (int c = 1; c < model.columnCount(); ++c) {
        const QString caption = model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        int width = std::max(60, header.horizontalAdvance(caption) + margin);
        for (int r = 0; r < sample; ++r) {
            const QString text = model.data(model.index(r, c), Qt::DisplayRole).toString();
            width = std::max(width, cells.horizontalAdvance(text) + margin);
        }
        list.setColumnWidth(c, width);
    }
}

} // namespace

CArchiveValueList::CArchiveValueList(QWidget* parent) : QTableView(parent)
{
    setModel(&m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setDefaultSectionSize(60);
    connect(&m_model, &QAbstractItemModel::modelReset, this, [this] { FitColumns(*this); });
    // A scroll over a file that was read again meanwhile is dropped: the
    // rows are no longer those the user scrolled over.
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this](int) {
        if (Reloaded())
            verticalScrollBar()->setSliderPosition(verticalScrollBar()->value());
    });
}


void CArchiveValueList::SetReady(int ready)
{
    m_ready = ready;
    setEnabled(ready != 0);
    viewport()->update();
}

void CArchiveValueList::paintEvent(QPaintEvent* event)
{
    if (m_ready) {
        QTableView::paintEvent(event);
        return;
    }
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), palette().color(QPalette::Window));
    p.setPen(palette().color(QPalette::Active, QPalette::WindowText));
    p.drawText(viewport()->rect(), Qt::AlignCenter | Qt::TextSingleLine,
               platform::LoadString(platform::IDS_SETTING_TIME));
}

void CArchiveValueList::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton)
        emit quantitiesClosed();
    QTableView::mousePressEvent(event);
}

void CArchiveValueList::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (!current.isValid() || Reloaded())
        return;
    if (m_navigator)
        m_navigator->SeekRecord(current.row());
    emit graphChanged();
}

} // namespace charts
