#include "controllers/settings/SettingsReport.h"

#include <QFileDialog>
#include <QFontMetrics>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

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
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const int dpiY = printer.resolution();
    QFont normal(QStringLiteral("Arial"));
    normal.setPixelSize(qMax(1, 9 * dpiY / 72));
    QFont bold(normal);
    bold.setBold(true);
    painter.setFont(normal);
    const QFontMetrics metrics(normal, &printer);
    const int lineHeight = metrics.height() * 5 / 4;
    const int unit = metrics.averageCharWidth() * 2;
    const QRect page = painter.viewport();
    const int left = page.width() / 12;
    const int right = page.width() - page.width() / 15;
    const int top = page.height() / 15;
    const int bottom = page.height() - page.height() / 12;
    int y = top;
    int pageNumber = 1;

    auto footer = [&] {
        painter.setFont(normal);
        painter.drawLine(left, bottom + lineHeight / 2, right, bottom + lineHeight / 2);
        painter.drawText(QRect(left, bottom + lineHeight / 2, right - left, lineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, title);
        painter.drawText(QRect(left, bottom + lineHeight / 2, right - left, lineHeight),
                         Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("strana %1").arg(pageNumber));
    };

    for (const Line& line : m_lines) {
        const int height = line.kind == Line::Box ? lineHeight * 3 / 2 : lineHeight;
        if (y + height > bottom) {
            footer();
            if (!printer.newPage()) {
                painter.end();
                return false;
            }
            ++pageNumber;
            y = top;
        }
        if (line.kind == Line::Box) {
            const QRect box(left, y, right - left, height);
            painter.fillRect(box, QColor(0xE0, 0xE0, 0xE0));
            painter.drawRect(box);
            painter.setFont(bold);
            painter.drawText(box.adjusted(unit, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, line.text);
            y += height;
            continue;
        }
        painter.setFont(line.bold ? bold : normal);
        const int x = left + line.indent * unit;
        const int labelEnd = line.columns.empty() ? right : left + line.columns.front().first * unit - unit / 2;
        const QString label = QFontMetrics(painter.font(), &printer).elidedText(line.text, Qt::ElideRight,
                                                                               qMax(0, labelEnd - x));
        painter.drawText(QRect(x, y, qMax(0, labelEnd - x), height), Qt::AlignLeft | Qt::AlignVCenter, label);
        for (std::size_t i = 0; i < line.columns.size(); ++i) {
            const int cx = left + line.columns[i].first * unit;
            const int cEnd = i + 1 < line.columns.size() ? left + line.columns[i + 1].first * unit : right;
            painter.drawText(QRect(cx, y, qMax(0, cEnd - cx), height), Qt::AlignLeft | Qt::AlignVCenter,
                             line.columns[i].second);
        }
        y += height;
    }
    footer();
    return painter.end();
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

QString ChooseSettingsFile(QWidget* parent, bool save, const QString& title, const QString& folder,
                           const QString& name)
{
    if (FileChooser())
        return FileChooser()(parent, save, title, folder, name);
    const QString filter = QStringLiteral("Soubor nastavení(*.set) (*.set)");
    const QString start = folder.isEmpty() ? name : folder + QLatin1Char('/') + name;
    if (save) {
        QFileDialog dialog(parent, title, start, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("set"));
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().front()
                                                                                       : QString();
    }
    // The offered name is the settings file's: the instrument's data folder
    // of the same name beside it must not take the Enter.
    const QString file = name.isEmpty() || name.endsWith(QStringLiteral(".set"), Qt::CaseInsensitive)
                             ? name
                             : name + QStringLiteral(".set");
    QFileDialog dialog(parent, title, folder.isEmpty() ? file : folder + QLatin1Char('/') + file, filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("set"));
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().front()
                                                                                   : QString();
}

} // namespace controllers
