#include "charts/GridCtrl.h"

#include "charts/ReportPrinter.h"
#include "platform/StringTable.h"
#include "platform/ui/FrameTitle.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPaintEvent>
#include <QRegularExpression>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <numeric>

namespace {

constexpr int kFirstColumnWidth = 170;
constexpr int kDataRowHeight = 18;
constexpr int kDataColumnWidth = 150;

QColor Colour(int colorref)
{
    return QColor(colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF);
}

} // namespace

CGridCtrl::CGridCtrl(QWidget* parent) : QAbstractScrollArea(parent)
{
    const QPalette pal = palette();
    m_text = pal.color(QPalette::WindowText);
    m_back = pal.color(QPalette::Base);
    m_fixedText = pal.color(QPalette::WindowText);
    m_fixedBack = pal.color(QPalette::Button);
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::Box);
    viewport()->setCursor(Qt::ArrowCursor);
    ApplyFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(1);
}

CGridCtrl::~CGridCtrl() = default;

bool CGridCtrl::Create(QWidget* parent, int id)
{
    m_parentWindow = parent;
    setParent(parent);
    setObjectName(QStringLiteral("grid%1").arg(id));
    if (parent)
        setGeometry(parent->rect().adjusted(0, 50, 0, 0));
    ApplyFont(m_font);
    std::fill(m_rowHeights.begin(), m_rowHeights.end(), m_defaultRowHeight);
    std::fill(m_columnWidths.begin(), m_columnWidths.end(), m_defaultColumnWidth);
    UpdateScrollBars();
    show();
    return true;
}

void CGridCtrl::FitToParent()
{
    QWidget* parent = m_parentWindow ? m_parentWindow : parentWidget();
    if (!parent)
        return;
    setGeometry(parent->rect().adjusted(0, 25, 0, 0));
    raise();
}

// ---- cells and sizes --------------------------------------------------------

void CGridCtrl::ApplyFont(const QFont& font)
{
    m_font = font;
    for (auto& row : m_rows)
        for (Cell& cell : row)
            cell.font = font;
    const QFontMetrics fm(font);
    m_margin = fm.horizontalAdvance(QLatin1Char(' '));
    m_defaultRowHeight = fm.height() + fm.leading() + 2 * m_margin;
    m_defaultColumnWidth = (m_margin + 6 * fm.averageCharWidth()) * 2;
    viewport()->update();
}

CGridCtrl::Cell CGridCtrl::NewCell(int row, int col) const
{
    Cell cell;
    cell.font = m_font;
    if (row > 0 && row - 1 < int(m_rows.size()) && col < int(m_rows[std::size_t(row - 1)].size()))
        cell.format = m_rows[std::size_t(row - 1)][std::size_t(col)].format;
    return cell;
}

CGridCtrl::Cell* CGridCtrl::CellAt(int row, int col)
{
    if (row < 0 || col < 0 || row >= GetRowCount() || col >= GetColumnCount())
        return nullptr;
    return &m_rows[std::size_t(row)][std::size_t(col)];
}

const CGridCtrl::Cell* CGridCtrl::GetCell(int row, int col) const
{
    return const_cast<CGridCtrl*>(this)->CellAt(row, col);
}

int CGridCtrl::SetRowCount(int rows)
{
    if (rows < 0)
        return 0;
    const int columns = GetColumnCount();
    while (GetRowCount() < rows) {
        const int r = GetRowCount();
        m_rows.emplace_back();
        for (int c = 0; c < columns; ++c)
            m_rows.back().push_back(NewCell(r, c));
        m_rowHeights.push_back(m_defaultRowHeight);
    }
    m_rows.resize(std::size_t(rows));
    m_rowHeights.resize(std::size_t(rows));
    m_fixedRows = std::min(m_fixedRows, rows);
    std::erase_if(m_selected, [rows](const auto& rc) { return rc.first >= rows; });
    if (m_focus.first >= rows)
        m_focus = {-1, -1};
    UpdateScrollBars();
    viewport()->update();
    return 1;
}

int CGridCtrl::SetColumnCount(int columns)
{
    if (columns < 0)
        return 0;
    for (std::size_t r = 0; r < m_rows.size(); ++r) {
        auto& row = m_rows[r];
        while (int(row.size()) < columns)
            row.push_back(NewCell(int(r), int(row.size())));
        row.resize(std::size_t(columns));
    }
    m_columnWidths.resize(std::size_t(columns), m_defaultColumnWidth);
    m_fixedColumns = std::min(m_fixedColumns, columns);
    std::erase_if(m_selected, [columns](const auto& rc) { return rc.second >= columns; });
    if (m_focus.second >= columns)
        m_focus = {-1, -1};
    UpdateScrollBars();
    viewport()->update();
    return 1;
}

int CGridCtrl::SetHeadingRowCount(int rows)
{
    if (rows < 0)
        return 0;
    if (rows > GetRowCount())
        SetRowCount(rows);
    m_fixedRows = rows;
    UpdateScrollBars();
    return 1;
}

int CGridCtrl::SetHeadingColumnCount(int columns)
{
    if (columns < 0)
        return 0;
    if (columns > GetColumnCount())
        SetColumnCount(columns);
    m_fixedColumns = columns;
    UpdateScrollBars();
    return 1;
}

void CGridCtrl::DeleteAllCells()
{
    m_rows.clear();
    m_rowHeights.clear();
    m_columnWidths.clear();
    m_fixedRows = 0;
    m_fixedColumns = 0;
    m_selected.clear();
    m_focus = {-1, -1};
    UpdateScrollBars();
    viewport()->update();
}

int CGridCtrl::SetItemText(int row, int col, const QString& text)
{
    Cell* cell = CellAt(row, col);
    if (!cell)
        return 0;
    cell->text = text;
    viewport()->update();
    return 1;
}

QString CGridCtrl::GetCellText(int row, int col) const
{
    const Cell* cell = GetCell(row, col);
    return cell ? cell->text : QString();
}

int CGridCtrl::SetCellFormat(int row, int col, unsigned format)
{
    Cell* cell = CellAt(row, col);
    if (!cell)
        return 0;
    cell->format = format;
    return 1;
}

int CGridCtrl::SetCellBackColour(int row, int col, const QColor& colour)
{
    Cell* cell = CellAt(row, col);
    if (!cell)
        return 0;
    cell->back = colour;
    return 1;
}

int CGridCtrl::SetCellTextColour(int row, int col, const QColor& colour)
{
    Cell* cell = CellAt(row, col);
    if (!cell)
        return 0;
    cell->fore = colour;
    return 1;
}

int CGridCtrl::SetRowHeight(int row, int height)
{
    if (row < 0 || row >= GetRowCount() || height < 0)
        return 0;
    m_rowHeights[std::size_t(row)] = height;
    UpdateScrollBars();
    return 1;
}

int CGridCtrl::SetColumnWidth(int col, int width)
{
    if (col < 0 || col >= GetColumnCount() || width < 0)
        return 0;
    m_columnWidths[std::size_t(col)] = width;
    UpdateScrollBars();
    return 1;
}

int CGridCtrl::GetRowHeight(int row) const
{
    return row >= 0 && row < GetRowCount() ? m_rowHeights[std::size_t(row)] : 0;
}

int CGridCtrl::GetColumnWidth(int col) const
{
    return col >= 0 && col < GetColumnCount() ? m_columnWidths[std::size_t(col)] : 0;
}

void CGridCtrl::FillTable(const QStringList& columnTitles, const QStringList& rowTitles,
                          const std::vector<int>& highlightedRows)
{
    const int columns = int(columnTitles.size());
    const int rows = int(rowTitles.size());
    DeleteAllCells();
    SetRowCount(rows + 1);
    SetColumnCount(columns + 1);
    SetHeadingRowCount(1);
    SetHeadingColumnCount(1);
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= columns; ++c)
            SetCellFormat(r, c, 1);
    for (int c = 1; c <= columns; ++c)
        SetItemText(0, c, columnTitles[c - 1]);
    for (int r = 1; r <= rows; ++r)
        SetItemText(r, 0, rowTitles[r - 1]);
    for (const int h : highlightedRows) {
        for (int c = 0; c <= columns; ++c) {
            SetCellBackColour(h, c, Colour(kHighlightBack));
            SetCellTextColour(h, c, Qt::white);
        }
    }
    // The row titles are set whole, also in the bolder font of the focus
    // line, when the usual width is too narrow for them.
    QFont bold = font();
    bold.setWeight(QFont::DemiBold);
    const QFontMetrics metrics(bold);
    int titleWidth = kFirstColumnWidth;
    for (const QString& title : rowTitles)
        titleWidth = std::max(titleWidth, metrics.horizontalAdvance(title) + 2 * m_margin + 2);
    SetColumnWidth(0, titleWidth);
    for (int r = 1; r <= rows; ++r)
        SetRowHeight(r, kDataRowHeight);
    for (int c = 1; c <= columns; ++c)
        SetColumnWidth(c, kDataColumnWidth);
    UpdateScrollBars();
    viewport()->update();
}

bool CGridCtrl::StoreCellText(int row, int col, const QString& text)
{
    Cell* cell = CellAt(row, col);
    if (!cell || cell->text == text)
        return false;
    cell->text = text;
    cell->state |= kModified;
    m_modified = true;
    viewport()->update();
    return true;
}

// ---- scrolling ----------------------------------------------------------------

int CGridCtrl::FixedWidth() const
{
    return std::accumulate(m_columnWidths.begin(), m_columnWidths.begin() + m_fixedColumns, 0);
}

int CGridCtrl::FixedHeight() const
{
    return std::accumulate(m_rowHeights.begin(), m_rowHeights.begin() + m_fixedRows, 0);
}

void CGridCtrl::UpdateScrollBars()
{
    const int bodyWidth = std::accumulate(m_columnWidths.begin(), m_columnWidths.end(), 0) - FixedWidth();
    const int bodyHeight = std::accumulate(m_rowHeights.begin(), m_rowHeights.end(), 0) - FixedHeight();
    const QSize area = viewport()->size();
    const int visibleWidth = std::max(area.width() - FixedWidth(), 0);
    const int visibleHeight = std::max(area.height() - FixedHeight(), 0);
    // The bars count cells: a line step is one row or column.
    const auto cellsBeyond = [](const std::vector<int>& sizes, int fixed, int total, int visible) {
        if (total <= visible)
            return 0;
        int hidden = 0;
        int rest = total;
        for (std::size_t i = std::size_t(fixed); i < sizes.size() && rest > visible; ++i) {
            rest -= sizes[i];
            ++hidden;
        }
        return hidden;
    };
    const int rowsBeyond = cellsBeyond(m_rowHeights, m_fixedRows, bodyHeight, visibleHeight);
    const int columnsBeyond = cellsBeyond(m_columnWidths, m_fixedColumns, bodyWidth, visibleWidth);
    verticalScrollBar()->setRange(0, rowsBeyond);
    verticalScrollBar()->setPageStep(std::max(visibleHeight / std::max(m_defaultRowHeight, 1), 1));
    horizontalScrollBar()->setRange(0, columnsBeyond);
    horizontalScrollBar()->setPageStep(std::max(visibleWidth / std::max(m_defaultColumnWidth, 1), 1));
    setVerticalScrollBarPolicy(rowsBeyond > 0 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(columnsBeyond > 0 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

int CGridCtrl::TopRow() const
{
    return m_fixedRows + verticalScrollBar()->value();
}

int CGridCtrl::LeftColumn() const
{
    return m_fixedColumns + horizontalScrollBar()->value();
}

void CGridCtrl::resizeEvent(QResizeEvent* event)
{
    // A size change caused while one is handled is left alone.
    if (m_inResize)
        return;
    m_inResize = true;
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
    m_inResize = false;
}

void CGridCtrl::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    const int lines = QApplication::wheelScrollLines();
    QScrollBar* bar = verticalScrollBar();
    if (lines >= 0 && lines < 0xFFFF) {
        const int count = std::abs(delta) * lines / 120;
        for (int i = 0; i < count; ++i)
            bar->triggerAction(delta > 0 ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd);
    } else {
        const int count = std::abs(delta) / 120;
        for (int i = 0; i < count; ++i)
            bar->triggerAction(delta > 0 ? QAbstractSlider::SliderPageStepSub : QAbstractSlider::SliderPageStepAdd);
    }
    event->accept();
}

void CGridCtrl::mousePressEvent(QMouseEvent* event)
{
    event->accept(); // a display: clicks select nothing
}

void CGridCtrl::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy))
        CopyToClipboard();
    else if (event->matches(QKeySequence::Cut))
        CutToClipboard();
    else if (event->matches(QKeySequence::Paste))
        PasteFromClipboard();
    else if (event->matches(QKeySequence::SelectAll))
        SelectAllCells();
    else
        QAbstractScrollArea::keyPressEvent(event);
}

bool CGridCtrl::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Cut) || key->matches(QKeySequence::Paste)
            || key->matches(QKeySequence::SelectAll)) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void CGridCtrl::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        ApplyFont(font());
    } else if (event->type() == QEvent::PaletteChange) {
        // Colours still taken from the system follow it.
        const QPalette pal = palette();
        m_text = pal.color(QPalette::WindowText);
        m_back = pal.color(QPalette::Base);
        m_fixedText = pal.color(QPalette::WindowText);
        m_fixedBack = pal.color(QPalette::Button);
    }
    QAbstractScrollArea::changeEvent(event);
}

// ---- selection and clipboard ------------------------------------------------

void CGridCtrl::Select(int row, int col, bool on)
{
    Cell* cell = CellAt(row, col);
    if (!cell)
        return;
    if (on) {
        cell->state |= kSelected;
        m_selected.insert({row, col});
    } else {
        cell->state &= ~kSelected;
        m_selected.erase({row, col});
    }
}

bool CGridCtrl::IsSelected(int row, int col) const
{
    return m_selected.count({row, col}) != 0;
}

void CGridCtrl::SelectAllCells()
{
    for (int r = m_fixedRows; r < GetRowCount(); ++r)
        for (int c = m_fixedColumns; c < GetColumnCount(); ++c)
            Select(r, c, true);
    viewport()->update();
}

QString CGridCtrl::BuildClipboardText() const
{
    if (m_selected.empty())
        return QString();
    int top = GetRowCount();
    int bottom = -1;
    int left = GetColumnCount();
    int right = -1;
    for (const auto& [r, c] : m_selected) {
        top = std::min(top, r);
        bottom = std::max(bottom, r);
        left = std::min(left, c);
        right = std::max(right, c);
    }
    QString text;
    for (int r = top; r <= bottom; ++r) {
        QStringList cells;
        for (int c = left; c <= right; ++c) {
            if (!IsSelected(r, c))
                continue;
            const QString t = GetCellText(r, c);
            cells << (t.isEmpty() ? QStringLiteral(" ") : t);
        }
        text += cells.join(QLatin1Char('\t'));
        text += QLatin1Char('\n');
    }
    return text;
}

void CGridCtrl::CopyToClipboard()
{
    const QString text = BuildClipboardText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

void CGridCtrl::ClearSelectedCells()
{
    for (const auto& [r, c] : m_selected) {
        const Cell* cell = GetCell(r, c);
        if (cell && !(cell->state & kReadOnly))
            StoreCellText(r, c, QString());
    }
}

void CGridCtrl::CutToClipboard()
{
    if (!m_editable)
        return;
    CopyToClipboard();
    ClearSelectedCells();
}

void CGridCtrl::PasteFromClipboard()
{
    if (!m_editable)
        return;
    int row = m_focus.first;
    int col = m_focus.second;
    if (row < 0 || col < 0) {
        row = TopRow();
        col = LeftColumn();
    }
    const QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'));
    static const QRegularExpression cellSeparator(QStringLiteral("[\t,]"));
    for (int i = 0; i < lines.size(); ++i) {
        if (i == lines.size() - 1 && lines[i].isEmpty())
            break;
        const QStringList cells = lines[i].split(cellSeparator);
        for (int j = 0; j < cells.size(); ++j) {
            const Cell* cell = GetCell(row + i, col + j);
            if (cell && !(cell->state & kReadOnly))
                StoreCellText(row + i, col + j, cells[j]);
        }
    }
}

// ---- drawing ----------------------------------------------------------------

void CGridCtrl::DrawHeadingCell(QPainter& p, int row, int col, const QRect& rect)
{
    const Cell* cell = GetCell(row, col);
    if (!cell)
        return;
    p.fillRect(rect, cell->back.value_or(m_fixedBack));
    const bool focusLine = m_focus.first == row || m_focus.second == col;
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Shadow);
    p.setPen(focusLine ? dark : light);
    p.drawLine(rect.topLeft(), rect.topRight());
    p.drawLine(rect.topLeft(), rect.bottomLeft());
    p.setPen(focusLine ? light : dark);
    p.drawLine(rect.bottomLeft(), rect.bottomRight());
    p.drawLine(rect.topRight(), rect.bottomRight());
    QFont font = cell->font;
    if (focusLine)
        font.setWeight(QFont::DemiBold);
    p.setFont(font);
    p.setPen(cell->fore.value_or(m_fixedText));
    const QRect text = rect.adjusted(m_margin, 0, -m_margin, 0);
    p.drawText(text, Qt::AlignVCenter | (cell->format & 1 ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::TextSingleLine,
               cell->text);
}

void CGridCtrl::DrawBodyCell(QPainter& p, int row, int col, const QRect& rect, bool printing)
{
    const Cell* cell = GetCell(row, col);
    if (!cell)
        return;
    QColor back = cell->back.value_or(m_back);
    QColor fore = cell->fore.value_or(m_text);
    if (!printing && (cell->state & kSelected)) {
        back = palette().color(QPalette::Highlight);
        fore = palette().color(QPalette::HighlightedText);
    }
    p.fillRect(rect, back);
    if (!printing && (cell->state & kFocused)) {
        p.setPen(Qt::black);
        p.drawRect(rect.adjusted(0, 0, -1, -1));
    }
    p.setFont(cell->font);
    p.setPen(fore);
    const QRect text = rect.adjusted(m_margin, 0, -m_margin, 0);
    p.drawText(text, Qt::AlignVCenter | (cell->format & 1 ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::TextSingleLine,
               cell->text);
}

void CGridCtrl::DrawGrid(QPainter& p, const QRect& area)
{
    const int fixedWidth = FixedWidth();
    const int fixedHeight = FixedHeight();
    p.fillRect(area, m_back);
    p.fillRect(QRect(0, 0, fixedWidth, area.height()), m_fixedBack);
    p.fillRect(QRect(0, 0, area.width(), fixedHeight), m_fixedBack);

    // The visible columns and rows with their left and top edges.
    std::vector<std::pair<int, int>> columns; // (column, x)
    int x = 0;
    for (int c = 0; c < m_fixedColumns; ++c) {
        columns.push_back({c, x});
        x += m_columnWidths[std::size_t(c)];
    }
    for (int c = LeftColumn(); c < GetColumnCount() && x < area.width(); ++c) {
        columns.push_back({c, x});
        x += m_columnWidths[std::size_t(c)];
    }
    const int right = x;
    std::vector<std::pair<int, int>> rows;
    int y = 0;
    for (int r = 0; r < m_fixedRows; ++r) {
        rows.push_back({r, y});
        y += m_rowHeights[std::size_t(r)];
    }
    for (int r = TopRow(); r < GetRowCount() && y < area.height(); ++r) {
        rows.push_back({r, y});
        y += m_rowHeights[std::size_t(r)];
    }
    const int bottom = y;
    for (const auto& [r, ry] : rows) {
        for (const auto& [c, cx] : columns) {
            const QRect rect(cx, ry, m_columnWidths[std::size_t(c)], m_rowHeights[std::size_t(r)]);
            if (r < m_fixedRows || c < m_fixedColumns)
                DrawHeadingCell(p, r, c, rect);
            else
                DrawBodyCell(p, r, c, rect, false);
        }
    }
    p.setPen(QPen(m_lineColour, 1));
    if (m_gridLines & kVertical)
        for (const auto& [c, cx] : columns)
            if (c >= m_fixedColumns)
                p.drawLine(cx + m_columnWidths[std::size_t(c)] - 1, fixedHeight, cx + m_columnWidths[std::size_t(c)] - 1,
                           bottom - 1);
    if (m_gridLines & kHorizontal)
        for (const auto& [r, ry] : rows)
            if (r >= m_fixedRows)
                p.drawLine(fixedWidth, ry + m_rowHeights[std::size_t(r)] - 1, right - 1,
                           ry + m_rowHeights[std::size_t(r)] - 1);
}

void CGridCtrl::paintEvent(QPaintEvent*)
{
    // Drawn off screen first and shown in one step (no flicker while the
    // body scrolls).
    QImage buffer(viewport()->size(), QImage::Format_RGB32);
    {
        QPainter p(&buffer);
        DrawGrid(p, buffer.rect());
    }
    QPainter screen(viewport());
    screen.drawImage(0, 0, buffer);
}

// ---- printing ---------------------------------------------------------------

void CGridCtrl::DrawLines(QPainter& p, const std::vector<int>& rows, int columnsRight, int top, bool)
{
    p.setPen(QPen(Qt::black, 0));
    int y = top;
    if (m_gridLines & kHorizontal)
        p.drawLine(0, y, columnsRight, y);
    for (const int r : rows) {
        y += m_rowHeights[std::size_t(r)];
        if (m_gridLines & kHorizontal)
            p.drawLine(0, y, columnsRight, y);
    }
    if (m_gridLines & kVertical) {
        int x = 0;
        p.drawLine(0, top, 0, y);
        for (const int w : m_columnWidths) {
            x += w;
            p.drawLine(x, top, x, y);
        }
    }
}

void CGridCtrl::PrintTable(charts::CReportPrinter& printer)
{
    if (!printer.IsPrinting())
        return;
    QPainter& p = printer.Painter();
    QFont printFont(QStringLiteral("Times New Roman"));
    printFont.setPixelSize(9);
    const QFontMetrics fm(printFont);
    const int charWidth =
        std::max(fm.horizontalAdvance(QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSATUVWXYZ")) / 52, 1);
    const int tableWidth = std::accumulate(m_columnWidths.begin(), m_columnWidths.end(), 0);
    const int pageWidth = std::max(kPrintPageMinWidth, tableWidth) + 8 * charWidth;
    const QRect body = printer.BodyRect();
    const double scale = double(body.width()) / pageWidth;
    const int left = 4 * charWidth;

    std::vector<int> headingRows;
    for (int r = 0; r < m_fixedRows; ++r)
        headingRows.push_back(r);
    int r = m_fixedRows;
    bool first = true;
    while (first || r < GetRowCount()) {
        if (!first)
            printer.BreakPage();
        if (!printer.IsPrinting())
            return;
        const int top = first ? printer.CurrentY() - printer.LineHeight() : body.top();
        first = false;
        const int available = int((body.bottom() - top) / scale);
        std::vector<int> pageRows = headingRows;
        int used = std::accumulate(headingRows.begin(), headingRows.end(), 0,
                                   [this](int sum, int row) { return sum + m_rowHeights[std::size_t(row)]; });
        // At least one row a page, so that a row higher than the page still
        // prints (cut at the page end) and the job ends.
        do {
            if (r >= GetRowCount())
                break;
            pageRows.push_back(r);
            used += m_rowHeights[std::size_t(r)];
            ++r;
        } while (r < GetRowCount() && used + m_rowHeights[std::size_t(r)] <= available);

        p.save();
        p.setClipRect(QRect(body.left(), top, body.width(), body.bottom() - top));
        p.translate(body.left(), top);
        p.scale(scale, scale);
        int y = 0;
        for (const int row : pageRows) {
            int x = left;
            for (int c = 0; c < GetColumnCount(); ++c) {
                const QRect rect(x, y, m_columnWidths[std::size_t(c)], m_rowHeights[std::size_t(row)]);
                Cell* cell = CellAt(row, c);
                const QFont screenFont = cell->font;
                cell->font = printFont;
                // On paper every cell, headings too, is a plain cell with
                // its fill: a highlighted title's white text needs its red
                // under it.
                DrawBodyCell(p, row, c, rect, true);
                cell->font = screenFont;
                x += m_columnWidths[std::size_t(c)];
            }
            y += m_rowHeights[std::size_t(row)];
        }
        p.translate(left, 0);
        DrawLines(p, pageRows, tableWidth, 0, true);
        p.restore();
        printer.SetCurrentY(top + int(y * scale) + printer.LineHeight());
    }
}

bool CGridCtrl::Print(const QStringList& texts, const QString& name, QPrinter* target)
{
    charts::CReportPrinter printer(target, 2, 3, false);
    printer.SetParent(this);
    const QString job = charts::FillPlaceholders(platform::LoadString(platform::IDS_JOB_STATISTICS), {name});
    if (!printer.BeginPrint(job, ui::FrameTitleOf(this), QString()))
        return false;
    QString heading = texts.value(1);
    heading.chop(1);
    printer.PrintBox(heading);
    printer.PrintText(QString());
    printer.PrintText(texts.value(2));
    printer.PrintText(texts.value(3));
    if (!texts.value(4).isEmpty())
        printer.PrintText(texts.value(4));
    PrintTable(printer);
    printer.EndPrint();
    return !printer.Failed();
}
