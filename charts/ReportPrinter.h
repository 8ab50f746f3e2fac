#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QPrinter;
class QWidget;

namespace charts {

class CPrintItem;

// Draw-text flags of the callers (the classic DT_ values).
namespace dt {
inline constexpr unsigned kTop = 0x0;
inline constexpr unsigned kCenter = 0x1;
inline constexpr unsigned kRight = 0x2;
inline constexpr unsigned kVCenter = 0x4;
inline constexpr unsigned kBottom = 0x8;
inline constexpr unsigned kSingleLine = 0x20;
// Vertically centred single line, what most callers pass.
inline constexpr unsigned kLine = kVCenter | kSingleLine;
} // namespace dt

// Chooses the printer of a job: true when the user confirmed. The default
// shows the print dialog; tests and the screens tool put a PDF file there.
using PrinterChooser = std::function<bool(QPrinter& printer, QWidget* parent)>;
PrinterChooser SetPrinterChooser(PrinterChooser chooser);

// A string-table text with its "%s" places filled in order (the titles and
// headings of the printed reports).
QString FillPlaceholders(QString format, const QStringList& args);

// The error text of a printing job the device refused.
QString PrintFailedText();

// A report printed page by page in the printer's own pixels: lines of text
// at a running position, heading bars, ruled tables that flow over page
// breaks with their captions repeated, and the page furniture (frame,
// header with title and page number, footer with the logo and maker line).
//
// Use: construct, BeginPrint (false: nothing is printed), content, NewPage
// between sections, EndPrint. A device error reports once, stops the job and
// makes every further call do nothing.
class CReportPrinter {
public:
    // headerMode: 0 none, 1 first page of a section, 2 every page.
    // footerMode: 0 none, 1 first page of a section, 2 every page, 3 last
    // page of a section. `printer`: a printer already chosen (preview,
    // PDF); without one BeginPrint asks the chooser for one.
    CReportPrinter(QPrinter* printer, int headerMode, int footerMode, bool pageFrame);
    ~CReportPrinter();
    CReportPrinter(const CReportPrinter&) = delete;
    CReportPrinter& operator=(const CReportPrinter&) = delete;

    void SetParent(QWidget* parent) { m_parent = parent; }

    bool BeginPrint(const QString& jobName, const QString& title, const QString& pagePrefix);
    void NewPage(const QString& pagePrefix);
    void EndPrint();
    // The next page of the same section (what content that draws itself
    // does when it reaches the body's bottom).
    void BreakPage() { NextPage(); }
    // Where the next line ends, after content drawn directly.
    void SetCurrentY(int y) { m_y = y; }
    bool IsPrinting() const { return m_painter.isActive(); }
    // The device refused a page or the job; reported once already.
    bool Failed() const { return m_failed; }

    // Font kinds: 1 normal, 2 bold, 3 small; anything else normal.
    void PrintText(const QString& text, int indent = 0, int fontKind = 1, unsigned format = dt::kLine);
    QRect PrintTextFitted(const QString& text, int indent = 0, int fontKind = 1, unsigned format = dt::kLine);
    QRect PrintTextPair(const QString& text, int indent = 0, int fontKind = 1, unsigned format = dt::kLine);
    void PrintBox(const QString& text);
    unsigned GetFieldsPerLine(unsigned chars) const;

    // Kind 1: a table of columns `widthUnits` wide each.
    void BeginTable(int kind, const QStringList& captions, const std::vector<int>& widthUnits, int widthPercent);
    // Kind 2: a grid table, one record over rows of `cellsPerRow` cells (the
    // label cell included) after a label column `labelUnits` wide.
    void BeginTable(int kind, const QStringList& texts, int cellsPerRow, int labelUnits, int widthPercent);
    void PrintTableRow(const QStringList& values);
    void EndTable();

    // Geometry, in printer pixels.
    int TextHeight() const { return m_h; }
    int AverageCharWidth() const { return m_charWidth; }
    int LineHeight() const { return m_lineHeight; }
    int LineGap() const { return m_lineGap; }
    int IndentUnit() const { return m_indentUnit; }
    QRect PageRect() const { return m_page; }
    QRect MarginRect() const { return m_margin; }
    QRect BodyRect() const { return m_body; }
    QRect HeaderRect() const { return m_header; }
    QRect FooterRect() const { return m_footer; }
    int CurrentY() const { return m_y; }
    int PageNumber() const { return m_pageNumber; }
    QString PageNumberText() const;
    // The painter on the printer, for callers that draw a graph into
    // (body left, current y, body right, body bottom).
    QPainter& Painter() { return m_painter; }

private:
    friend class CPrintItem;

    bool Choose();
    void SetUp();
    void StartSection();
    void NextPage();
    void DrawFurniture(bool first);
    void DrawHeader();
    void DrawFooter();
    void CheckPageBreak();
    // The page-break check before a line; false once the job has stopped.
    bool ReadyForLine();
    int SetFontAndMeasure(const QString& text, int fontKind);
    void AdvanceLine() { m_y += m_lineHeight + m_lineGap; }
    const QFont& FontOf(int kind) const;
    QRect LineRect(int indent) const;
    void DrawText(const QRect& rect, const QString& text, unsigned format);
    bool StartPage();
    void Fail();
    QRect RowRect() const;
    bool DrawTableRows(const std::function<bool(QRect&)>& draw);
    void PrintTableRow(const QStringList& values, bool header);
    void DrawClipped(const std::function<bool(QRect&)>& draw);

    QPrinter* m_printer = nullptr;
    std::unique_ptr<QPrinter> m_ownPrinter;
    QPainter m_painter;
    QWidget* m_parent = nullptr;
    int m_headerMode = 0;
    int m_footerMode = 0;
    bool m_pageFrame = false;
    bool m_failed = false;
    bool m_pageOpen = false;

    QFont m_normal;
    QFont m_bold;
    QFont m_small;
    int m_h = 0;
    int m_charWidth = 0;
    int m_x = 0;
    int m_y = 0;
    QRect m_page;
    QRect m_margin;
    QRect m_body;
    QRect m_header;
    QRect m_footer;
    int m_lineHeight = 0;
    int m_lineGap = 0;
    int m_indentUnit = 0;
    int m_pageNumber = 0;
    QColor m_textColour = Qt::black;
    QColor m_headingColour = QColor(220, 0, 0);
    QColor m_paperColour = Qt::white;
    QImage m_logo;
    QString m_title;
    QString m_prefix;
    std::unique_ptr<CPrintItem> m_table;
};

// The footer logo: 227 × 77 pixels, one bit per pixel.
QImage ReportLogo();

// Shows a print preview of what `print` puts on the printer it is given.
void PreviewReport(QWidget* parent, const std::function<void(QPrinter* printer)>& print);

} // namespace charts
