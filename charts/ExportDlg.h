#pragma once

#include "archive_docs/ArchivDocHooks.h"
#include "charts/ArchivValuePrint.h"
#include "charts_data/ArchiveCsvExport.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace charts {

// "Export do souboru": the format (only "csv"), the decimal separator and
// the file the value list's window goes to.
class CExportDlg : public QDialog {
    Q_OBJECT
public:
    explicit CExportDlg(QWidget* parent = nullptr);

    // "data.csv" in the folder of `nearPath`.
    void SetDefaultName(const QString& nearPath);
    // CsvDecimal: 0 comma, 1 point.
    int DecimalIndex() const;
    void SetDecimalIndex(int index);
    QString Path() const;
    void SetPath(const QString& path);

    QComboBox* FormatBox() const { return m_format; }
    QComboBox* DecimalBox() const { return m_decimal; }
    QLineEdit* PathEdit() const { return m_path; }
    QPushButton* BrowseButton() const { return m_browse; }

private:
    void OnBrowse();

    QComboBox* m_format;
    QComboBox* m_decimal;
    QLineEdit* m_path;
    QPushButton* m_browse;
};

// Runs the dialog through the documents' dialog hook (tests answer it).
int RunExportDialog(CExportDlg& dialog);
// A file that could not be written: the reason in a box over `parent`.
void ReportExportFailure(QWidget* parent, const QString& reason);

// The value list's export: the window of `bound` with the checked
// `columns`, read from a private copy that goes whichever way the export
// ends. False when nothing was written (cancelled or failed).
template <class Family, class Columns>
bool ExportArchiveValues(QWidget* parent, Family& bound, const Columns& columns)
{
    TArchiveCsvExport<Family, Columns> source;
    source.Prepare(bound, CsvWindow::Of(bound.Window()));
    CExportDlg dialog(parent);
    dialog.SetPath(source.DefaultPath());
    if (RunExportDialog(dialog) != QDialog::Accepted)
        return false;
    QString error;
    if (!source.Write(dialog.Path(), dialog.DecimalIndex(), columns, error)) {
        ReportExportFailure(parent, error);
        return false;
    }
    return true;
}

} // namespace charts
