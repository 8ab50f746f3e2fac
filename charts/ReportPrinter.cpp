#include "charts/ReportPrinter.h"

#include "platform/ui/MessageBox.h"

#include <QFontMetrics>
#include <QPen>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <algorithm>
#include <numeric>

namespace charts {

namespace {

// What the footer says after the logo.
const char* const kMakerLine = "Vytištěno programem qorin01\tměření a archivace dat z přístrojů";
// Marks a table row cut at the bottom of the page.
const char* const kClippedMark = "(zkráceno)";

QRect Box(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}
int RightOf(const QRect& r)
{
    return r.x() + r.width();
}
int BottomOf(const QRect& r)
{
    return r.y() + r.height();
}

int Trunc(double v)
{
    return int(v);
}

int AlignmentOf(unsigned format)
{
    int flags = 0;
    if (format & dt::kCenter)
        flags |= Qt::AlignHCenter;
    else if (format & dt::kRight)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    if (format & dt::kVCenter)
        flags |= Qt::AlignVCenter;
    else if (format & dt::kBottom)
        flags |= Qt::AlignBottom;
    else
        flags |= Qt::AlignTop;
    if (format & dt::kSingleLine)
        flags |= Qt::TextSingleLine;
    return flags | Qt::TextExpandTabs;
}

PrinterChooser& Chooser()
{
    static PrinterChooser chooser;
    return chooser;
}

} // namespace

PrinterChooser SetPrinterChooser(PrinterChooser chooser)
{
    PrinterChooser previous = std::move(Chooser());
    Chooser() = std::move(chooser);
    return previous;
}

QString FillPlaceholders(QString format, const QStringList& args)
{
    for (const QString& a : args) {
        const int at = format.indexOf(QLatin1String("%s"));
        if (at < 0)
            break;
        format.replace(at, 2, a);
    }
    return format;
}

QString PrintFailedText()
{
    return QStringLiteral("Tiskárna tisk odmítla, tisková úloha byla zastavena.");
}

// ---- table items ------------------------------------------------------------

// One table kind: draws its header and its records into rectangles of the
// printer's body, answering false (without drawing) when they do not fit.
class CPrintItem {
public:
    CPrintItem(QStringList texts, int widthPercent) : m_texts(std::move(texts)), m_widthPercent(widthPercent) {}
    virtual ~CPrintItem() = default;
    CPrintItem(const CPrintItem&) = delete;
    CPrintItem& operator=(const CPrintItem&) = delete;

    void SetUp(const CReportPrinter& printer)
    {
        m_headerFont = printer.m_bold;
        m_bodyFont = printer.m_normal;
        m_fallbackFont = printer.m_small;
        m_rowHeight = printer.m_lineHeight + printer.m_lineGap;
        m_thin = QPen(printer.m_textColour, 1, Qt::SolidLine);
        m_thick = QPen(printer.m_textColour, std::max(m_rowHeight / 15, 1), Qt::SolidLine);
    }
    virtual void EndOfTable(QPainter&, const QRect&) {}
    virtual bool DrawRow(QPainter& p, QRect& rect, const QStringList& values) = 0;
    virtual bool DrawHeader(QPainter& p, QRect& rect) = 0;
    int Rows() const { return m_rows; }
    int RowHeight() const { return m_rowHeight; }

protected:
    // The rectangle narrowed to the table width and cut to its rows; false
    // when the rows pass the rectangle's bottom.
    bool Place(QRect& rect, int rows) const
    {
        const int width = rect.width() * m_widthPercent / 100;
        if (rect.y() + rows * m_rowHeight > BottomOf(rect))
            return false;
        rect = QRect(rect.x(), rect.y(), width, rows * m_rowHeight);
        return true;
    }
    static void Cell(QPainter& p, const QRect& r, const QString& text)
    {
        p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, text);
    }
    // In the fallback font when the text is wider than its cell; the font
    // of the row stays for the next cell.
    void FittedCell(QPainter& p, const QRect& r, const QString& text)
    {
        const QRect needed = p.boundingRect(r, Qt::AlignCenter | Qt::TextSingleLine, text);
        if (needed.width() > r.width()) {
            const QFont rowFont = p.font();
            p.setFont(m_fallbackFont);
            Cell(p, r, text);
            p.setFont(rowFont);
        } else {
            Cell(p, r, text);
        }
    }

    QStringList m_texts;
    QFont m_headerFont;
    QFont m_bodyFont;
    QFont m_fallbackFont;
    int m_rowHeight = 0;
    int m_rows = 1;
    QPen m_thin;
    QPen m_thick;
    int m_widthPercent = 100;
};

// Kind 1: one row of columns per record.
class CPrintColumnsItem final : public CPrintItem {
public:
    CPrintColumnsItem(QStringList captions, std::vector<int> units, int widthPercent)
        : CPrintItem(std::move(captions), widthPercent), m_units(std::move(units))
    {
        m_units.resize(std::size_t(m_texts.size()), 1);
    }
    bool DrawHeader(QPainter& p, QRect& rect) override
    {
        // A caption wider than its column (a long unit on a narrow table)
        // is written smaller rather than cut.
        p.setFont(m_headerFont);
        return Draw(p, rect, m_texts);
    }
    bool DrawRow(QPainter& p, QRect& rect, const QStringList& values) override
    {
        p.setFont(m_bodyFont);
        return Draw(p, rect, values);
    }

private:
    bool Draw(QPainter& p, QRect& rect, const QStringList& texts)
    {
        if (!Place(rect, 1))
            return false;
        const int sum = std::accumulate(m_units.begin(), m_units.end(), 0);
        const int unit = sum > 0 ? rect.width() / sum : 0;
        p.setPen(m_thick);
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect);
        p.setPen(m_thin);
        int cx = rect.x();
        for (std::size_t i = 0; i < m_units.size(); ++i) {
            const QRect cell(cx, rect.y(), m_units[i] * unit, rect.height());
            const QString text = int(i) < texts.size() ? texts[int(i)] : QString();
            FittedCell(p, cell, text);
            cx += cell.width();
            if (i + 1 < m_units.size())
                p.drawLine(cx, rect.y(), cx, BottomOf(rect));
        }
        return true;
    }

    std::vector<int> m_units;
};

// Kind 2: a record spread over rows of cells after a label column.
class CPrintRowItem final : public CPrintItem {
public:
    CPrintRowItem(QStringList texts, int cellsPerRow, int labelUnits, int widthPercent)
        : CPrintItem(std::move(texts), widthPercent), m_labelUnits(std::max(labelUnits, 0))
    {
        // A row of one cell (the label alone) would place no value at all:
        // every record needs at least one value cell per row.
        m_cellsPerRow = std::max(cellsPerRow, 2);
    }
    bool DrawHeader(QPainter& p, QRect& rect) override
    {
        const int count = int(m_texts.size());
        m_rows = 1;
        for (int placed = m_cellsPerRow; placed < count; placed += m_cellsPerRow - 1)
            ++m_rows;
        p.setFont(m_headerFont);
        return Draw(p, rect, m_texts, 0, false);
    }
    bool DrawRow(QPainter& p, QRect& rect, const QStringList& values) override
    {
        p.setFont(m_bodyFont);
        return Draw(p, rect, values, 1, true);
    }

private:
    bool Draw(QPainter& p, QRect& rect, const QStringList& texts, int firstLine, bool fitted)
    {
        if (!Place(rect, m_rows))
            return false;
        const int columns = std::min(m_cellsPerRow, int(m_texts.size()));
        const int divisor = std::max(columns + m_labelUnits - 1, 1);
        const int u = rect.width() / divisor;
        const int left = rect.x();
        const int top = rect.y();
        const int right = RightOf(rect);
        const int bottom = top + m_rows * m_rowHeight;
        const int labelRight = left + m_labelUnits * u;
        const QRect label = Box(left, top, labelRight, bottom);
        if (fitted)
            FittedCell(p, label, texts.value(0));
        else
            Cell(p, label, texts.value(0));
        p.setFont(fitted ? m_bodyFont : m_headerFont);
        for (int r = 0; r < m_rows; ++r) {
            for (int c = 1; c < columns; ++c) {
                const int index = (columns - 1) * r + c;
                if (index >= int(m_texts.size()))
                    break;
                Cell(p, QRect(left + (m_labelUnits + c - 1) * u, top + r * m_rowHeight, u, m_rowHeight),
                     texts.value(index));
            }
        }
        for (int i = firstLine; i <= m_rows; ++i) {
            const bool edge = i == 0 || i == m_rows;
            p.setPen(edge ? m_thick : m_thin);
            const int y = top + i * m_rowHeight;
            p.drawLine(edge ? left : labelRight, y, right, y);
        }
        p.setPen(m_thick);
        p.drawLine(left, top, left, bottom);
        p.setPen(m_thin);
        for (int c = 1; c < columns; ++c) {
            const int x = left + (m_labelUnits + c - 1) * u;
            p.drawLine(x, top, x, bottom);
        }
        p.setPen(m_thick);
        p.drawLine(right, top, right, bottom);
        return true;
    }

    int m_cellsPerRow = 2;
    int m_labelUnits = 0;
};

// ---- the printer ------------------------------------------------------------

CReportPrinter::CReportPrinter(QPrinter* printer, int headerMode, int footerMode, bool pageFrame)
    : m_printer(printer), m_headerMode(headerMode), m_footerMode(footerMode), m_pageFrame(pageFrame),
      m_logo(ReportLogo())
{
}

CReportPrinter::~CReportPrinter()
{
    m_table.reset();
    if (m_painter.isActive())
        m_painter.end();
}

bool CReportPrinter::Choose()
{
    if (m_printer)
        return true;
    m_ownPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    bool chosen = false;
    if (Chooser()) {
        chosen = Chooser()(*m_ownPrinter, m_parent);
    } else {
        QPrintDialog dialog(m_ownPrinter.get(), m_parent);
        chosen = dialog.exec() == QDialog::Accepted;
    }
    if (!chosen) {
        m_ownPrinter.reset();
        return false;
    }
    m_printer = m_ownPrinter.get();
    return true;
}

bool CReportPrinter::BeginPrint(const QString& jobName, const QString& title, const QString& pagePrefix)
{
    if (m_failed || m_painter.isActive() || !Choose())
        return false;
    m_printer->setDocName(jobName);
    m_prefix = pagePrefix;
    if (!m_painter.begin(m_printer)) {
        Fail();
        return false;
    }
    m_pageOpen = true; // the device opens the first page with the job
    SetUp();
    m_title = title;
    StartSection();
    return !m_failed;
}

void CReportPrinter::SetUp()
{
    const int dpiY = m_printer->logicalDpiY();
    m_h = dpiY * 9 / 72;
    m_normal = QFont();
    m_normal.setPixelSize(std::max(m_h, 1));
    m_normal.setWeight(QFont::Normal);
    m_bold = m_normal;
    m_bold.setWeight(QFont::Bold);
    m_small = m_normal;
    m_small.setPixelSize(std::max(Trunc(0.7 * m_h), 1));
    m_painter.setFont(m_normal);
    // Widths and lines come from the faces printed: a face with wider
    // letters or more room above and below them than the layout's text
    // height gets fields and lines of its own size, so that nothing printed
    // runs into its neighbour.
    const QFontMetrics normal(m_normal, m_printer);
    m_charWidth = std::max(normal.averageCharWidth(), 1);
    const int textLine = std::max(normal.height(), QFontMetrics(m_bold, m_printer).height());

    const int h = m_h;
    m_page = QRect(0, 0, m_printer->width(), m_printer->height());
    m_margin = Box(2 * h, 2 * h, RightOf(m_page) - 2 * h, BottomOf(m_page) - 2 * h);
    const int inner = Trunc(1.3 * h);
    const int left = m_margin.x() + inner;
    const int right = RightOf(m_margin) - inner;
    const int footerBottom = BottomOf(m_margin) - Trunc(0.5 * h);
    m_footer = Box(left, footerBottom - Trunc(2.6 * h), right, footerBottom);
    // The header's small text stands on the body's top edge.
    const int headerLine = std::max(h, QFontMetrics(m_small, m_printer).height());
    m_header = Box(left, m_margin.y() + 2 * h - headerLine, right, m_margin.y() + 2 * h);
    m_body = Box(left, m_margin.y() + 2 * h, right, m_footer.y());
    m_lineHeight = std::max(Trunc(1.1 * h), textLine);
    m_lineGap = Trunc(0.2 * h);
    m_indentUnit = Trunc(1.3 * h);
    m_y = m_body.y() + m_lineHeight + m_lineGap;
    m_x = m_body.x();
}

bool CReportPrinter::StartPage()
{
    if (m_failed)
        return false;
    if (m_pageOpen)
        return true;
    if (!m_printer->newPage()) {
        Fail();
        return false;
    }
    m_pageOpen = true;
    return true;
}

void CReportPrinter::Fail()
{
    if (m_failed)
        return;
    m_failed = true;
    m_table.reset();
    if (m_printer)
        m_printer->abort();
    if (m_painter.isActive())
        m_painter.end();
    ui::ErrorBox(m_parent, PrintFailedText());
}

void CReportPrinter::DrawFurniture(bool first)
{
    if (m_pageFrame) {
        m_painter.setBrush(m_paperColour);
        m_painter.setPen(QPen(Qt::black, 1));
        m_painter.drawRect(m_margin);
    }
    if (m_headerMode == 2 || (first && m_headerMode == 1))
        DrawHeader();
    if (m_footerMode == 2 || (first && m_footerMode == 1))
        DrawFooter();
}

void CReportPrinter::StartSection()
{
    m_pageNumber = 1;
    if (!StartPage())
        return;
    DrawFurniture(true);
    m_y = m_body.y();
    AdvanceLine();
    m_x = m_body.x();
}

void CReportPrinter::NextPage()
{
    if (m_failed)
        return;
    m_pageOpen = false;
    ++m_pageNumber;
    if (!StartPage())
        return;
    DrawFurniture(false);
    m_y = m_body.y();
    AdvanceLine();
    m_x = m_body.x();
}

void CReportPrinter::NewPage(const QString& pagePrefix)
{
    if (!m_painter.isActive() || m_failed)
        return;
    m_y = m_body.y() + m_lineHeight + m_lineGap;
    m_x = m_body.x();
    m_prefix = pagePrefix;
    if (m_footerMode == 3)
        DrawFooter();
    m_pageOpen = false;
    StartSection();
}

void CReportPrinter::EndPrint()
{
    if (!m_painter.isActive() || m_failed)
        return;
    if (m_footerMode == 3)
        DrawFooter();
    m_table.reset();
    m_painter.end();
    m_pageOpen = false;
    if (m_printer->printerState() == QPrinter::Error)
        Fail();
}

QString CReportPrinter::PageNumberText() const
{
    return QStringLiteral("strana %1%2").arg(m_prefix).arg(m_pageNumber);
}

void CReportPrinter::DrawHeader()
{
    m_painter.setBrush(m_paperColour);
    m_painter.setPen(m_textColour);
    m_painter.setBackground(m_paperColour);
    m_painter.setFont(m_small);
    const QString pageNumber = PageNumberText();
    if (!m_title.isEmpty()) {
        // The title ends left of the page number, whatever the printer's
        // resolution: by the number's own width and a space of a text line.
        const int numberWidth = QFontMetrics(m_small, m_printer).horizontalAdvance(pageNumber);
        QRect titleRect = m_header;
        titleRect.setRight(titleRect.right() - numberWidth - m_h);
        m_painter.drawText(titleRect, AlignmentOf(dt::kRight | dt::kSingleLine), m_title);
    }
    m_painter.drawText(m_header, AlignmentOf(dt::kRight | dt::kSingleLine), pageNumber);
    m_painter.setFont(m_normal);
}

void CReportPrinter::DrawFooter()
{
    const int h = m_h;
    const QRect logo(m_footer.x(), BottomOf(m_footer) - Trunc(1.3 * h), Trunc(3.93 * h), Trunc(1.3 * h));
    m_painter.drawImage(logo, m_logo);
    m_painter.setFont(m_small);
    m_painter.setPen(m_textColour);
    // The tab goes to the next stop of eight average characters, measured in
    // the printer's own pixels: the painter's stops count screen pixels,
    // which at a printer's resolution push the second part past the band's
    // right edge, where it was cut.
    const QFontMetrics metrics(m_small, m_printer);
    const int stop = std::max(8 * metrics.averageCharWidth(), 1);
    const QStringList parts = QString::fromUtf8(kMakerLine).split(QLatin1Char('\t'));
    const int flags = AlignmentOf(dt::kBottom | dt::kSingleLine) & ~Qt::TextExpandTabs;
    int x = m_footer.x() + Trunc(4.66 * h);
    for (const QString& part : parts) {
        m_painter.drawText(Box(x, m_footer.y(), RightOf(m_footer), BottomOf(m_footer)), flags, part);
        x += metrics.horizontalAdvance(part);
        x += stop - (x - m_footer.x() - Trunc(4.66 * h)) % stop;
    }
    m_painter.setFont(m_normal);
}

void CReportPrinter::CheckPageBreak()
{
    if (m_y > BottomOf(m_body))
        NextPage();
}

bool CReportPrinter::ReadyForLine()
{
    if (!m_painter.isActive())
        return false;
    CheckPageBreak();
    return m_painter.isActive();
}

int CReportPrinter::SetFontAndMeasure(const QString& text, int fontKind)
{
    m_painter.setFont(FontOf(fontKind));
    return QFontMetrics(m_painter.font(), m_printer).horizontalAdvance(text);
}

const QFont& CReportPrinter::FontOf(int kind) const
{
    switch (kind) {
    case 2:
        return m_bold;
    case 3:
        return m_small;
    default:
        return m_normal;
    }
}

QRect CReportPrinter::LineRect(int indent) const
{
    return Box(m_x + indent * m_indentUnit, m_y - m_lineHeight, RightOf(m_body), m_y);
}

void CReportPrinter::DrawText(const QRect& rect, const QString& text, unsigned format)
{
    m_painter.setPen(m_textColour);
    m_painter.setBackground(m_paperColour);
    m_painter.drawText(rect, AlignmentOf(format), text);
}

void CReportPrinter::PrintText(const QString& text, int indent, int fontKind, unsigned format)
{
    if (!ReadyForLine())
        return;
    if (!text.isEmpty()) {
        m_painter.setFont(FontOf(fontKind));
        DrawText(LineRect(indent), text, format);
    }
    AdvanceLine();
}

QRect CReportPrinter::PrintTextFitted(const QString& text, int indent, int fontKind, unsigned format)
{
    if (!ReadyForLine())
        return QRect();
    const int width = SetFontAndMeasure(text, fontKind);
    const int left = m_x + indent * m_indentUnit;
    const QRect rect = Box(left, m_y - m_lineHeight, left + width, m_y);
    DrawText(rect, text, format);
    return rect;
}

QRect CReportPrinter::PrintTextPair(const QString& text, int indent, int fontKind, unsigned format)
{
    if (!ReadyForLine())
        return QRect();
    const int width = SetFontAndMeasure(text, fontKind);
    int left = m_x + indent * m_indentUnit;
    if (left + width > RightOf(m_body)) {
        AdvanceLine();
        m_x = m_body.x();
        left = m_x;
        // The wrapped line may lie below the body: it goes on the next page.
        if (!ReadyForLine())
            return QRect();
        m_painter.setFont(FontOf(fontKind));
    }
    const QRect rect = Box(left, m_y - m_lineHeight, left + width, m_y);
    DrawText(rect, text, format);
    m_x = RightOf(rect);
    return rect;
}

void CReportPrinter::PrintBox(const QString& text)
{
    if (!ReadyForLine())
        return;
    QRect rect = Box(m_body.x(), m_y - m_lineHeight, RightOf(m_body), m_y);
    m_painter.setBrush(m_headingColour);
    m_painter.setPen(QPen(Qt::black, 1));
    m_painter.drawRect(rect);
    m_painter.setFont(m_bold);
    m_painter.setPen(m_paperColour);
    rect.setLeft(rect.left() + m_h);
    m_painter.drawText(rect, AlignmentOf(dt::kVCenter | dt::kSingleLine), text);
    m_painter.setBrush(Qt::NoBrush);
    AdvanceLine();
}

unsigned CReportPrinter::GetFieldsPerLine(unsigned chars) const
{
    const unsigned field = unsigned(std::max(m_charWidth, 0)) * chars;
    return field == 0 ? 0 : unsigned(m_body.width()) / field;
}

QRect CReportPrinter::RowRect() const
{
    const int rowHeight = m_lineHeight + m_lineGap;
    return Box(m_body.x(), m_y - rowHeight, RightOf(m_body), BottomOf(m_body));
}

// Draws rows with `draw`; what does not fit goes to the next page, and what
// does not fit a whole page either is drawn cut at the body's bottom with a
// mark, so nothing vanishes from the report unseen.
bool CReportPrinter::DrawTableRows(const std::function<bool(QRect&)>& draw)
{
    QRect rect = RowRect();
    if (draw(rect)) {
        m_x = m_body.x();
        m_y = BottomOf(rect);
        AdvanceLine();
        return true;
    }
    return false;
}

void CReportPrinter::BeginTable(int kind, const QStringList& captions, const std::vector<int>& widthUnits,
                                int widthPercent)
{
    if (kind != 1 || !m_painter.isActive())
        return;
    m_table = std::make_unique<CPrintColumnsItem>(captions, widthUnits, widthPercent);
    m_table->SetUp(*this);
    PrintTableRow(QStringList(), true);
}

void CReportPrinter::BeginTable(int kind, const QStringList& texts, int cellsPerRow, int labelUnits,
                                int widthPercent)
{
    if (kind != 2 || !m_painter.isActive())
        return;
    m_table = std::make_unique<CPrintRowItem>(texts, cellsPerRow, labelUnits, widthPercent);
    m_table->SetUp(*this);
    PrintTableRow(QStringList(), true);
}

void CReportPrinter::PrintTableRow(const QStringList& values)
{
    PrintTableRow(values, false);
}

void CReportPrinter::PrintTableRow(const QStringList& values, bool header)
{
    if (!m_table || !m_painter.isActive())
        return;
    CPrintItem& item = *m_table;
    const auto drawOne = [&](QRect& r) {
        return header ? item.DrawHeader(m_painter, r) : item.DrawRow(m_painter, r, values);
    };
    if (DrawTableRows(drawOne))
        return;
    NextPage();
    if (!m_painter.isActive())
        return;
    QRect top = Box(m_body.x(), m_y, RightOf(m_body), BottomOf(m_body));
    if (!header) {
        if (item.DrawHeader(m_painter, top)) {
            m_y = BottomOf(top);
        } else {
            DrawClipped([&](QRect& r) { return item.DrawHeader(m_painter, r); });
            return;
        }
        top = Box(m_body.x(), m_y, RightOf(m_body), BottomOf(m_body));
    }
    if (drawOne(top)) {
        m_x = m_body.x();
        m_y = BottomOf(top);
        AdvanceLine();
        return;
    }
    DrawClipped(drawOne);
}

void CReportPrinter::DrawClipped(const std::function<bool(QRect&)>& draw)
{
    // Higher than a whole page: drawn cut at the body's bottom and marked.
    m_painter.save();
    m_painter.setClipRect(m_body);
    QRect unbounded = Box(m_body.x(), m_y, RightOf(m_body), m_y + 1000 * std::max(m_page.height(), 1));
    draw(unbounded);
    m_painter.restore();
    m_painter.setFont(m_small);
    m_painter.setPen(m_headingColour);
    m_painter.drawText(Box(m_body.x(), BottomOf(m_body) - m_lineHeight, RightOf(m_body), BottomOf(m_body)),
                       Qt::AlignRight | Qt::AlignBottom | Qt::TextSingleLine, QString::fromUtf8(kClippedMark));
    m_painter.setFont(m_normal);
    m_x = m_body.x();
    m_y = BottomOf(m_body) + 1; // the next line starts a page
}

void CReportPrinter::EndTable()
{
    if (!m_table)
        return;
    if (m_painter.isActive())
        m_table->EndOfTable(m_painter, Box(m_body.x(), m_y, RightOf(m_body), m_y));
    m_painter.setPen(QPen(Qt::black));
    m_table.reset();
}

// ---- logo and preview ---------------------------------------------------------

QImage ReportLogo()
{
    QImage art(227, 77, QImage::Format_RGB32);
    art.fill(Qt::white);
    {
        QPainter p(&art);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(Qt::black, 5));
        p.setBrush(Qt::NoBrush);
        // A ring with a tail: the letter of the program, and a measured curve
        // running out of it.
        p.drawEllipse(QRect(10, 10, 56, 56));
        p.drawLine(52, 52, 70, 70);
        p.setPen(QPen(Qt::black, 3));
        const QPoint wave[] = {{80, 50}, {95, 30}, {110, 55}, {125, 25}, {140, 45}};
        p.drawPolyline(wave, 5);
        // The name right of the curve, smaller where the face is too wide
        // for the room left.
        const QString name = QStringLiteral("qorin");
        const QRect room(146, 8, 79, 64);
        QFont font;
        font.setPixelSize(34);
        font.setBold(true);
        const int width = QFontMetrics(font, &art).horizontalAdvance(name);
        if (width > room.width())
            font.setPixelSize(std::max(1, 34 * room.width() / width));
        p.setFont(font);
        p.drawText(room, Qt::AlignRight | Qt::AlignVCenter, name);
    }
    return art.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
}

void PreviewReport(QWidget* parent, const std::function<void(QPrinter* printer)>& print)
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Náhled"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&print](QPrinter* target) { print(target); });
    dialog.exec();
}

} // namespace charts
