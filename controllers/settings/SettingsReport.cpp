#include "controllers/settings/SettingsReport.h"

#include "charts/ReportPrinter.h"

#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>

namespace controllers {

namespace {

PrinterChooser& Chooser()
{
    static PrinterChooser chooser;
    return chooser;
}

SettingsFileChooser& FileChooser()
{
    static SettingsFileChooser chooser;
    return chooser;
}

} // namespace

QStringList CSettingsReport::PlainLines() const
{
    QStringList out;
    for (const Line& line : m_lines) {
        QString text = QString(line.indent * 2, QLatin1Char(' ')) + line.text;
        for (const auto& [indent, value] : line.columns) {
            const int at = indent * 2;
            text = text.leftJustified(at, QLatin1Char(' ')) + (text.size() >= at ? QStringLiteral(" ") : QString())
                 + value;
        }
        out << (line.kind == Line::Box ? QStringLiteral("[%1]").arg(text) : text);
    }
    return out;
}

bool CSettingsReport::Print(QPrinter& printer, const QString& title) const
{
    // The program's report printer: the header with the title and the page
    // number, the footer with the logo on every page.
    charts::CReportPrinter report(&printer, 2, 2, false);
    if (!report.BeginPrint(printer.docName(), title, QString()))
        return false;
    const int gap = report.IndentUnit();
    for (const Line& line : m_lines) {
        if (line.kind == Line::Box) {
            report.PrintBox(line.text);
            continue;
        }
        const int font = line.bold ? 2 : 1;
        if (line.columns.empty()) {
            report.PrintText(line.text, line.indent, font);
            continue;
        }
        // Every text is printed whole; one that reaches into the next
        // column pushes that column's text to the right.
        int end = report.PrintTextFitted(line.text, line.indent, font).right();
        for (std::size_t i = 0; i < line.columns.size(); ++i) {
            int indent = line.columns[i].first;
            const int left = report.BodyRect().x();
            if (!line.text.isEmpty() || i > 0)
                indent = std::max(indent, (end + gap - left + report.IndentUnit() - 1) / report.IndentUnit());
            if (i + 1 == line.columns.size()) {
                report.PrintText(line.columns[i].second, indent, 1);
                break;
            }
            end = report.PrintTextFitted(line.columns[i].second, indent, 1).right();
        }
    }
    report.EndPrint();
    return !report.Failed();
}

PrinterChooser SetPrinterChooser(PrinterChooser chooser)
{
    PrinterChooser previous = std::move(Chooser());
    Chooser() = std::move(chooser);
    return previous;
}

bool ChoosePrinter(QPrinter& printer, QWidget* parent)
{
    if (Chooser())
        return Chooser()(printer, parent);
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

SettingsFileChooser SetSettingsFileChooser(SettingsFileChooser chooser)
{
    SettingsFileChooser previous = std::move(FileChooser());
    FileChooser() = std::move(chooser);
    return previous;
}

FileKind SettingsFileKind(const QString& ending)
{
    const QString pattern = QLatin1Char('*') + ending;
    return {QStringLiteral("Soubor nastavení(%1) (%1)").arg(pattern), ending.mid(1)};
}

QString ChooseSettingsFile(QWidget* parent, bool save, const QString& title, const QString& folder,
                           const QString& name, const FileKind& kind)
{
    if (FileChooser())
        return FileChooser()(parent, save, title, folder, name, kind);
    // The offered name is the settings file's: the instrument's data folder
    // of the same name beside it must not take the Enter.
    const QString dotted = QLatin1Char('.') + kind.ending;
    const QString file =
        save || name.isEmpty() || name.endsWith(dotted, Qt::CaseInsensitive) ? name : name + dotted;
    const QString start = folder.isEmpty() ? file : folder + QLatin1Char('/') + file;
    QFileDialog dialog(parent, title, start, kind.filter);
    if (save)
        dialog.setAcceptMode(QFileDialog::AcceptSave);
    else
        dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(kind.ending);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().front()
                                                                                   : QString();
}

} // namespace controllers
