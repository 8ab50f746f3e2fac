#include "charts/ArchivRangeBar.h"

#include "platform/StringTable.h"
#include "platform/WindowMessage.h"
#include "platform/ui/Artwork.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/MessageBox.h"

#include <QApplication>
#include <QDateTimeEdit>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTabBar>
#include <QToolButton>

#include <ctime>

using platform::CTime;

namespace {

QDateTime ToDateTime(CTime t) { return QDateTime::fromSecsSinceEpoch(qint64(t.GetTime())); }
CTime FromDateTime(const QDateTime& d) { return CTime(CTime::time_type(d.toSecsSinceEpoch())); }

// The date of `date` with the time of day of `time`, in local time.
CTime Merge(CTime date, CTime time)
{
    std::tm d{};
    std::tm t{};
    date.GetLocalTm(d);
    time.GetLocalTm(t);
    return CTime(d.tm_year + 1900, d.tm_mon + 1, d.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
}

bool SameDay(CTime a, CTime b)
{
    std::tm x{};
    std::tm y{};
    a.GetLocalTm(x);
    b.GetLocalTm(y);
    return x.tm_year == y.tm_year && x.tm_mon == y.tm_mon && x.tm_mday == y.tm_mday;
}

// Button artwork of the bar, drawn here: 0 confirm, 1 undo, 2 print, 3 export.
QIcon ButtonIcon(int kind)
{
    if (kind == 2)
        return ui::PrintIcon();
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    switch (kind) {
    case 0:
        p.setPen(QPen(QColor(0, 128, 0), 2.5));
        p.drawPolyline(QPolygonF({QPointF(3, 8), QPointF(6.5, 12), QPointF(13, 4)}));
        break;
    case 1: {
        p.setPen(QPen(QColor(160, 0, 0), 2));
        QPainterPath arc;
        arc.moveTo(4, 6);
        arc.cubicTo(8, 1, 15, 4, 12, 11);
        p.drawPath(arc);
        p.setBrush(QColor(160, 0, 0));
        p.drawPolygon(QPolygonF({QPointF(1, 5), QPointF(6, 3), QPointF(5, 9)}));
        break;
    }
    default:
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 1.5, 9, 13));
        p.setPen(QPen(QColor(0, 0, 160), 2));
        p.drawLine(QPointF(7, 8), QPointF(14, 8));
        p.drawPolyline(QPolygonF({QPointF(11, 5), QPointF(14, 8), QPointF(11, 11)}));
        break;
    }
    return QIcon(pixmap);
}

} // namespace

CGraphRangeBar::CGraphRangeBar(QWidget* parent) : QWidget(parent)
{
    m_tab = new QTabBar(this);
    m_tab->setObjectName(QString::number(kTab));
    m_tab->addTab(platform::LoadString(platform::IDS_TAB_GRAPH));
    m_tab->addTab(platform::LoadString(platform::IDS_TAB_VALUES));
    m_tab->addTab(platform::LoadString(platform::IDS_TAB_STATISTICS));
    m_tab->setCurrentIndex(0);
    m_tab->setDrawBase(false);
    m_tab->setExpanding(false);
    // Three tabs must fit the bar's 110 dialog units without scroll arrows.
    m_tab->setUsesScrollButtons(false);
    m_tab->setStyleSheet(QStringLiteral(
        "QTabBar::tab { padding: 2px 5px; border: 1px solid #9a9a9a; border-bottom: none;"
        " border-top-left-radius: 3px; border-top-right-radius: 3px; background: #e4e4e4; margin-right: 1px; }"
        "QTabBar::tab:selected { background: white; }"
        "QTabBar::tab:disabled { color: #808080; }"));

    m_caption = new QLabel(platform::LoadString(platform::IDS_RANGE_GRAPH_FROM_SHORT), this);
    m_caption->setObjectName(QString::number(kCaption));
    m_toLabel = new QLabel(QStringLiteral("do:"), this);
    m_toLabel->setObjectName(QString::number(kTo));
    auto picker = [this](int id, const QString& format) {
        auto* edit = new QDateTimeEdit(this);
        edit->setObjectName(QString::number(id));
        edit->setDisplayFormat(format);
        edit->installEventFilter(this);
        return edit;
    };
    m_fromTimeEdit = picker(kFromTime, QStringLiteral("H:mm:ss"));
    m_fromDateEdit = picker(kFromDate, QStringLiteral("d.M.yyyy"));
    m_toTimeEdit = picker(kToTime, QStringLiteral("H:mm:ss"));
    m_toDateEdit = picker(kToDate, QStringLiteral("d.M.yyyy"));

    auto button = [this](int id, int icon, int tip) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::number(id));
        b->setIcon(ButtonIcon(icon));
        b->setToolTip(platform::LoadString(tip));
        b->setAutoRaise(false);
        return b;
    };
    m_confirm = button(kConfirm, 0, platform::IDS_TIP_CONFIRM_TIME);
    m_undo = button(kUndo, 1, platform::IDS_TIP_RESTORE_TIME);
    m_print = button(kPrint, 2, platform::IDS_TIP_PRINT_SHOWN_VALUES);
    m_export = button(kExport, 3, platform::IDS_TIP_EXPORT_SHOWN_VALUES);

    // Until the view puts a range in force there is nothing to confirm,
    // print or export.
    m_confirm->hide();
    m_undo->hide();
    m_print->setEnabled(false);
    m_export->setEnabled(false);
    m_tab->setEnabled(false);

    connect(m_confirm, &QToolButton::clicked, this, &CGraphRangeBar::OnConfirm);
    connect(m_undo, &QToolButton::clicked, this, &CGraphRangeBar::OnUndo);
    connect(m_print, &QToolButton::clicked, this, [this] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        Send(platform::WM_ARCHIVE_PRINT_GRAPH);
        QApplication::restoreOverrideCursor();
    });
    connect(m_export, &QToolButton::clicked, this, [this] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        Send(platform::WM_ARCHIVE_PRINT_LIST);
        QApplication::restoreOverrideCursor();
    });
    connect(m_tab, &QTabBar::currentChanged, this, [this](int index) {
        Send(platform::WM_ARCHIVE_REFILL, std::uintptr_t(std::max(index, 0)));
        Layout();
        update();
    });
    WriteControls();
    Layout();
}

QSize CGraphRangeBar::sizeHint() const
{
    return QSize(ui::DluToPixelsX(480, font()), ui::DluToPixelsY(17, font()));
}


QWidget* CGraphRangeBar::Control(int id) const
{
    return findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

void CGraphRangeBar::Send(unsigned int id, std::uintptr_t wParam)
{
    if (parentWidget())
        platform::SendMessageTo(parentWidget(), id, wParam, 0);
}

void CGraphRangeBar::WriteControls()
{
    const QSignalBlocker b1(m_fromDateEdit);
    const QSignalBlocker b2(m_fromTimeEdit);
    const QSignalBlocker b3(m_toDateEdit);
    const QSignalBlocker b4(m_toTimeEdit);
    m_fromDateEdit->setDateTime(ToDateTime(m_fromDate));
    m_fromTimeEdit->setDateTime(ToDateTime(m_fromTime));
    m_toDateEdit->setDateTime(ToDateTime(m_toDate));
    m_toTimeEdit->setDateTime(ToDateTime(m_toTime));
}

bool CGraphRangeBar::UpdateSeveralDays()
{
    const bool several = !(SameDay(m_periodEnd, m_periodStart) && SameDay(m_fromTime, m_periodStart) &&
                           SameDay(m_toTime, m_periodStart));
    const bool changed = several != m_severalDays;
    m_severalDays = several;
    return changed;
}

void CGraphRangeBar::SetRange(CTime periodStart, CTime periodEnd)
{
    m_periodStart = periodStart;
    m_periodEnd = periodEnd;
    if (UpdateSeveralDays())
        Layout();
}

void CGraphRangeBar::SetLimits(CTime from, CTime to)
{
    m_fromDate = m_fromTime = from;
    m_toDate = m_toTime = to;
    if (UpdateSeveralDays())
        Layout();
    if (!m_confirmed) {
        Send(platform::WM_ARCHIVE_REDRAW, 1);
        EndEditing();
    }
    WriteControls();
}

void CGraphRangeBar::SetValueKind(int kind)
{
    m_valueKind = kind;
    UpdateCaption();
}

void CGraphRangeBar::GetRange(CTime& from, CTime& to) const
{
    from = m_fromTime;
    to = m_toTime;
}

namespace {

// The caption by the selected tab and the kind of values.
QString CaptionText(int tab, int valueKind, bool longCaption)
{
    int id = longCaption ? platform::IDS_RANGE_GRAPH_FROM : platform::IDS_RANGE_GRAPH_FROM_SHORT;
    if (tab == 2)
        id = longCaption ? platform::IDS_RANGE_STAT_FROM : platform::IDS_RANGE_STAT_FROM_SHORT;
    else if (valueKind == 1)
        id = longCaption ? platform::IDS_RANGE_MAX_FROM : platform::IDS_RANGE_MAX_FROM_SHORT;
    else if (valueKind == 2)
        id = longCaption ? platform::IDS_RANGE_MIN_FROM : platform::IDS_RANGE_MIN_FROM_SHORT;
    return platform::LoadString(id);
}

} // namespace

void CGraphRangeBar::UpdateCaption()
{
    m_caption->setText(CaptionText(m_tab->currentIndex(), m_valueKind, m_longCaptions));
}

void CGraphRangeBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Layout();
}

void CGraphRangeBar::Layout()
{
    const QFont& f = font();
    const int width = ui::PixelsToDluX(this->width(), f);
    const bool exportShown = m_tab->currentIndex() == 1;
    // A font that sets the caption wider than its 88 (30) units moves the
    // fields right: the caption keeps its last character.
    const QFontMetrics metrics(m_caption->font());
    const auto captionWidth = [&](bool longCaption, int units) {
        const int text = ui::PixelsToDluX(metrics.horizontalAdvance(CaptionText(m_tab->currentIndex(), m_valueKind, longCaption)) + 4, f) + 1;
        return std::max(units, text);
    };
    const int longWidth = captionWidth(true, 88);
    const int needed = 306 + (longWidth - 88) + (m_severalDays ? 57 : 0) + (exportShown ? 16 : 0);
    m_longCaptions = needed + 112 < width;
    const int m = m_longCaptions ? (width - needed - 112) / 2 : 2;
    UpdateCaption();
    auto place = [&f](QWidget* w, int l, int t, int r, int b) {
        w->setGeometry(ui::DluToPixels(QRect(l, t, r - l, b - t), f));
    };
    const int c = m + (m_longCaptions ? longWidth : captionWidth(false, 30));
    place(m_caption, m, 2, c, 13);
    place(m_fromTimeEdit, c + 2, 1, c + 48, 13);
    place(m_fromDateEdit, c + 50, 1, c + 105, 13);
    m_fromDateEdit->setVisible(m_severalDays);
    const int p = c + 50 + (m_severalDays ? 57 : 0);
    place(m_toLabel, p, 2, p + 11, 13);
    place(m_toTimeEdit, p + 13, 1, p + 59, 13);
    place(m_toDateEdit, p + 61, 1, p + 116, 13);
    m_toDateEdit->setEnabled(m_severalDays);
    place(m_print, p + 118, 1, p + 132, 15);
    place(m_export, p + 134, 1, p + 148, 15);
    m_export->setVisible(exportShown);
    const int q = p + 134 + (exportShown ? 16 : 0);
    place(m_confirm, q, 1, q + 14, 15);
    place(m_undo, q + 16, 1, q + 30, 15);
    if (m_longCaptions)
        place(m_tab, width - 112, 0, width - 2, 16);
    else
        place(m_tab, q + 32, 0, q + 142, 16);
}

bool CGraphRangeBar::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (m_confirmed)
            BeginEditing();
    } else if (event->type() == QEvent::FocusOut) {
        if (watched == m_fromTimeEdit)
            MergeFrom();
        else if (watched == m_toTimeEdit)
            MergeTo();
        else if (watched == m_fromDateEdit)
            m_fromTime = m_fromDate = FromDateTime(m_fromDateEdit->dateTime());
        else if (watched == m_toDateEdit)
            m_toTime = m_toDate = FromDateTime(m_toDateEdit->dateTime());
    }
    return QWidget::eventFilter(watched, event);
}

void CGraphRangeBar::BeginEditing()
{
    m_savedFrom = m_fromTime;
    m_savedTo = m_toTime;
    Send(platform::WM_ARCHIVE_REDRAW, 0);
    m_confirmed = false;
    m_print->setEnabled(false);
    m_export->setEnabled(false);
    m_confirm->show();
    m_undo->show();
    m_tab->setEnabled(false);
}

void CGraphRangeBar::MergeFrom()
{
    m_fromTime = m_fromDate = Merge(FromDateTime(m_fromDateEdit->dateTime()), FromDateTime(m_fromTimeEdit->dateTime()));
}

void CGraphRangeBar::MergeTo()
{
    m_toTime = m_toDate = Merge(FromDateTime(m_toDateEdit->dateTime()), FromDateTime(m_toTimeEdit->dateTime()));
}

void CGraphRangeBar::EndEditing()
{
    m_print->setEnabled(true);
    m_export->setEnabled(true);
    m_confirm->hide();
    m_undo->hide();
    m_tab->setEnabled(true);
    m_tab->setFocus();
    m_confirmed = true;
}

void CGraphRangeBar::OnConfirm()
{
    // The pickers as they stand: each pair is one instant, the day of its
    // date picker with the time of day of its time picker.
    MergeFrom();
    MergeTo();
    int error = 0;
    if (m_fromTime > m_toTime)
        error = platform::IDS_RANGE_START_AFTER_END;
    else if (m_periodStart > m_toTime || m_fromTime > m_periodEnd)
        error = platform::IDS_RANGE_NO_OVERLAP;
    else if ((m_toTime - m_fromTime).GetTotalSeconds() > kMaxSpan)
        error = platform::IDS_RANGE_MAX_31_DAYS;
    if (error) {
        ui::ErrorBox(this, platform::LoadString(error), ui::MsgButtons::Ok, ui::MsgIcon::Warning);
        return;
    }
    Send(platform::WM_ARCHIVE_SET_WINDOW);
    Send(platform::WM_ARCHIVE_REDRAW, 1);
    EndEditing();
}

void CGraphRangeBar::OnUndo()
{
    m_fromDate = m_fromTime = m_savedFrom;
    m_toDate = m_toTime = m_savedTo;
    WriteControls();
    EndEditing();
    Send(platform::WM_ARCHIVE_REDRAW, 1);
}
