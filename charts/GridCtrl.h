#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <set>
#include <utility>
#include <vector>

class QPainter;
class QPrinter;

namespace charts {
class CReportPrinter;
}

// A table of text cells with heading rows and columns, scrolled over its
// body: the result tables of the statistics. A display only: clicks and keys
// do not select or edit; it answers copy, cut, paste and select all, and
// prints.
class CGridCtrl : public QAbstractScrollArea {
    Q_OBJECT
public:
    // Cell state bits.
    enum : unsigned { kFocused = 1, kSelected = 2, kDropTarget = 4, kReadOnly = 8, kModified = 32 };
    // Grid line modes.
    enum Lines : int { kNoLines = 0, kHorizontal = 1, kVertical = 2, kBoth = 3 };
    static constexpr int kHighlightBack = 0xC8; // COLORREF 0x000000C8: red
    static constexpr int kPrintPageMinWidth = 600;

    struct Cell {
        unsigned state = 0;
        unsigned format = 0; // 1: centred
        QString text;
        int image = -1;
        std::optional<QColor> back; // none: the grid's default
        std::optional<QColor> fore;
        QFont font;
        std::uint32_t value = 0;
    };

    explicit CGridCtrl(QWidget* parent = nullptr);
    ~CGridCtrl() override;

    // Over the parent's client area below its top 50 pixels.
    bool Create(QWidget* parent, int id);
    // Over the parent's client area below its top 25 pixels, on top.
    void FitToParent();

    void FillTable(const QStringList& columnTitles, const QStringList& rowTitles, const std::vector<int>& highlightedRows);
    int SetItemText(int row, int col, const QString& text);
    QString GetCellText(int row, int col) const;
    int SetCellFormat(int row, int col, unsigned format);
    int SetCellBackColour(int row, int col, const QColor& colour);
    int SetCellTextColour(int row, int col, const QColor& colour);
    int SetRowHeight(int row, int height);
    int SetColumnWidth(int col, int width);
    int SetRowCount(int rows);
    int SetColumnCount(int columns);
    int SetHeadingRowCount(int rows);
    int SetHeadingColumnCount(int columns);
    void DeleteAllCells();

    int GetRowCount() const { return int(m_rows.size()); }
    int GetColumnCount() const { return int(m_columnWidths.size()); }
    int GetHeadingRowCount() const { return m_fixedRows; }
    int GetHeadingColumnCount() const { return m_fixedColumns; }
    int GetRowHeight(int row) const;
    int GetColumnWidth(int col) const;
    const Cell* GetCell(int row, int col) const;
    int DefaultRowHeight() const { return m_defaultRowHeight; }
    int DefaultColumnWidth() const { return m_defaultColumnWidth; }
    void SetGridLines(int lines) { m_gridLines = lines; viewport()->update(); }
    void SetEditable(bool editable) { m_editable = editable; }
    bool IsModified() const { return m_modified; }
    // The first body row and column shown (scroll position in cells).
    int TopRow() const;
    int LeftColumn() const;

    // Edit commands.
    virtual QString BuildClipboardText() const;
    virtual void CopyToClipboard();
    virtual void CutToClipboard();
    virtual void PasteFromClipboard();
    virtual void SelectAllCells();
    virtual void ClearSelectedCells();
    bool IsSelected(int row, int col) const;

    // Prints the table with the heading texts[1] (its last character
    // dropped), the lines texts[2], texts[3] and texts[4] (when not empty);
    // `name` is the archive's name for the job; `target` a printer already
    // chosen (preview, direct print), else the user is asked. False when
    // nothing was printed (cancelled or refused).
    bool Print(const QStringList& texts, const QString& name, QPrinter* target = nullptr);
    // The table drawn onto a report already begun (also for previews).
    void PrintTable(charts::CReportPrinter& printer);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

    virtual void DrawHeadingCell(QPainter& p, int row, int col, const QRect& rect);
    virtual void DrawBodyCell(QPainter& p, int row, int col, const QRect& rect, bool printing);
    virtual Cell NewCell(int row, int col) const;
    virtual bool StoreCellText(int row, int col, const QString& text);

private:
    Cell* CellAt(int row, int col);
    void ApplyFont(const QFont& font);
    void UpdateScrollBars();
    int FixedWidth() const;
    int FixedHeight() const;
    void DrawGrid(QPainter& p, const QRect& area);
    void DrawLines(QPainter& p, const std::vector<int>& rows, int columnsRight, int top, bool printing);
    void Select(int row, int col, bool on);

    std::vector<std::vector<Cell>> m_rows;
    std::vector<int> m_rowHeights;
    std::vector<int> m_columnWidths;
    int m_fixedRows = 0;
    int m_fixedColumns = 0;
    int m_defaultRowHeight = 10;
    int m_defaultColumnWidth = 30;
    int m_margin = 2;
    int m_gridLines = kBoth;
    bool m_editable = true;
    bool m_modified = false;
    bool m_inResize = false;
    QFont m_font;
    QColor m_text;
    QColor m_back;
    QColor m_fixedText;
    QColor m_fixedBack;
    QColor m_lineColour = QColor(0xC0, 0xC0, 0xC0);
    std::set<std::pair<int, int>> m_selected; // (row, column)
    std::pair<int, int> m_focus{-1, -1};
    QWidget* m_parentWindow = nullptr;
};
