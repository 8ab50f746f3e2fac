#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QPrinter;
class QWidget;

namespace controllers {

// The printed settings of a controller: lines of a label at an indent and a
// value at a second indent, heading bars and empty lines, laid out from one
// text height of 9 points at the printer's resolution.
class CSettingsReport {
public:
    static constexpr int kValueIndent = 16;

    struct Line {
        enum Kind { Text, Box } kind = Text;
        int indent = 0;
        QString text;
        // Further texts at their indents on the same line.
        std::vector<std::pair<int, QString>> columns;
        bool bold = false;
    };

    void Head(const QString& text) { m_lines.push_back({Line::Text, 0, text, {}, true}); }
    void Box(const QString& caption) { m_lines.push_back({Line::Box, 0, caption, {}, false}); }
    void Empty() { m_lines.push_back({}); }
    void Text(int indent, const QString& text) { m_lines.push_back({Line::Text, indent, text, {}, false}); }
    void Pair(int indent, const QString& label, const QString& value)
    {
        m_lines.push_back({Line::Text, indent, label, {{kValueIndent, value}}, false});
    }
    void Columns(int indent, const QString& text, std::vector<std::pair<int, QString>> columns)
    {
        m_lines.push_back({Line::Text, indent, text, std::move(columns), false});
    }

    const std::vector<Line>& Lines() const { return m_lines; }
    // The report as plain text, one line per line (tests, previews).
    QStringList PlainLines() const;

    // Prints on `printer` page by page; `title` heads every page's footer.
    bool Print(QPrinter& printer, const QString& title) const;

private:
    std::vector<Line> m_lines;
};

// Chooses the printer: the print dialog, or what a test puts in its place
// (a PDF file). False: the user cancelled.
using PrinterChooser = std::function<bool(QPrinter& printer, QWidget* parent)>;
PrinterChooser SetPrinterChooser(PrinterChooser chooser);
bool ChoosePrinter(QPrinter& printer, QWidget* parent);

// What a file dialog offers: its filter, and the ending (without the dot)
// that a name typed without one gets.
struct FileKind {
    QString filter;
    QString ending;
};
// The settings files of one family, by their ending with its dot (".set").
FileKind SettingsFileKind(const QString& ending);

// Asks for a settings file (or another file of `kind`): open (save false)
// or save; empty when cancelled. Tests put a script in place of the file
// dialog.
using SettingsFileChooser = std::function<QString(QWidget* parent, bool save, const QString& title,
                                                  const QString& folder, const QString& name, const FileKind& kind)>;
SettingsFileChooser SetSettingsFileChooser(SettingsFileChooser chooser);
QString ChooseSettingsFile(QWidget* parent, bool save, const QString& title, const QString& folder,
                           const QString& name, const FileKind& kind = SettingsFileKind(QStringLiteral(".set")));

} // namespace controllers
