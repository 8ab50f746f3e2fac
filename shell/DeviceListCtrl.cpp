#include "shell/DeviceListCtrl.h"

#include "platform/StringTable.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

// Draws a check column: a centred box, with a check mark for a set bit.
class CheckDelegate : public QStyledItemDelegate {
public:
    CheckDelegate(int bit, QObject* parent) : QStyledItemDelegate(parent), m_bit(bit) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect, option.palette.color(selected ? QPalette::Highlight : QPalette::Base));
        const QModelIndex first = index.sibling(index.row(), 0);
        const int flags = first.data(CDeviceListCtrl::kFlagsRole).toInt();
        const bool measuring = first.data(CDeviceListCtrl::kMeasuringRole).toBool();
        const int side = std::max(6, option.rect.height() - 6);
        QRect box(0, 0, side, side);
        box.moveCenter(option.rect.center());
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setPen(QPen(measuring ? QColor(Qt::black) : QColor(0x80, 0x80, 0x80), 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(box);
        if (flags & m_bit) {
            painter->setPen(QPen(measuring ? QColor(Qt::black) : QColor(0x9C, 0x9C, 0x9C), 2));
            const QPoint a(box.left() + side / 5, box.top() + side / 2);
            const QPoint b(box.left() + side * 2 / 5, box.bottom() - side / 5);
            const QPoint c(box.right() - side / 5, box.top() + side / 5);
            painter->drawLine(a, b);
            painter->drawLine(b, c);
        }
        painter->restore();
    }

private:
    int m_bit;
};

} // namespace

CDeviceListCtrl::CDeviceListCtrl(QWidget* parent) : QTableWidget(parent)
{
    setObjectName(QStringLiteral("1011"));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    verticalHeader()->hide();
    connect(this, &QTableWidget::cellClicked, this, &CDeviceListCtrl::OnClick);
}

void CDeviceListCtrl::CreateColumns()
{
    static const int kIds[] = {platform::IDS_COLUMN_DEVICE_PORT_ADDRESS, platform::IDS_COLUMN_ACTIVITY,
                               platform::IDS_COLUMN_SHOW, platform::IDS_COLUMN_RECORD, platform::IDS_COLUMN_PANEL};
    setColumnCount(5);
    QHeaderView* header = horizontalHeader();
    int checksWidth = 0;
    for (int column = 0; column < 5; ++column) {
        setHorizontalHeaderItem(column, new QTableWidgetItem(platform::LoadString(kIds[column])));
        if (column > 0) {
            setItemDelegateForColumn(column, new CheckDelegate(1 << (column - 1), this));
            // A check column is as wide as its header needs in the font
            // used here ("Zobrazení" does not fit in 50 pixels of every font).
            const int width = std::max(kCheckWidth, header->sectionSizeHint(column));
            setColumnWidth(column, width);
            checksWidth += width;
        } else {
            setColumnWidth(column, kNameWidth);
        }
    }
    // The name takes what the four check columns leave, and the list is
    // never narrower than all five: the checks are always in sight.
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < 5; ++column)
        header->setSectionResizeMode(column, QHeaderView::Fixed);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setMinimumWidth(kNameWidth + checksWidth + 2 * frameWidth() + verticalScrollBar()->sizeHint().width());
}

void CDeviceListCtrl::InsertDevice(int row, const QString& text, bool measure, bool show, bool record, bool panel)
{
    insertRow(row);
    auto* item = new QTableWidgetItem(text);
    item->setData(kFlagsRole, (measure ? kMeasure : 0) | (show ? kShow : 0) | (record ? kRecord : 0) |
                                  (panel ? kPanel : 0));
    setItem(row, 0, item);
    for (int column = 1; column < columnCount(); ++column)
        setItem(row, column, new QTableWidgetItem);
}

void CDeviceListCtrl::SetMeasuring(int row, bool measuring)
{
    if (QTableWidgetItem* first = item(row, 0))
        first->setData(kMeasuringRole, measuring);
}

int CDeviceListCtrl::Flags(int row) const
{
    const QTableWidgetItem* first = item(row, 0);
    return first ? first->data(kFlagsRole).toInt() : 0;
}

int CDeviceListCtrl::SelectedRow() const
{
    const QList<QTableWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : selected.front()->row();
}

QString CDeviceListCtrl::RowText(const QString& name, const QString& port, int address)
{
    return QStringLiteral("%1 (%2,%3)").arg(name, port, QString::number(address));
}

void CDeviceListCtrl::OnClick(int row, int column)
{
    if (parentWidget())
        platform::SendMessageTo(parentWidget(), platform::WM_DEVICE_LIST_CHECK, static_cast<std::uintptr_t>(row),
                                column);
}
