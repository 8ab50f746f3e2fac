#include "charts/ExportDlg.h"

#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/MessageBox.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace charts {

CExportDlg::CExportDlg(QWidget* parent)
    : QDialog(parent), m_format(new QComboBox(this)), m_decimal(new QComboBox(this)), m_path(new QLineEdit(this)),
      m_browse(new QPushButton(QStringLiteral("..."), this))
{
    setWindowTitle(QStringLiteral("Export do souboru"));
    m_format->addItem(QStringLiteral("csv"));
    m_decimal->addItems({QStringLiteral("čárka"), QStringLiteral("tečka")});
    m_decimal->setCurrentIndex(kCsvDecimalPoint);
    m_format->setObjectName(QStringLiteral("1291"));
    m_decimal->setObjectName(QStringLiteral("1292"));
    m_path->setObjectName(QStringLiteral("1132"));
    m_browse->setObjectName(QStringLiteral("1133"));
    m_path->setMinimumWidth(ui::DluToPixelsX(180, font()));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Formát souboru:"), m_format);
    form->addRow(QStringLiteral("Desetinný oddělovač:"), m_decimal);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(m_browse);
    form->addRow(QStringLiteral("Soubor pro export:"), pathRow);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Storno"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_browse, &QPushButton::clicked, this, &CExportDlg::OnBrowse);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void CExportDlg::SetDefaultName(const QString& nearPath)
{
    m_path->setText(DefaultCsvPath(nearPath));
}

int CExportDlg::DecimalIndex() const
{
    return m_decimal->currentIndex();
}

void CExportDlg::SetDecimalIndex(int index)
{
    m_decimal->setCurrentIndex(index);
}

QString CExportDlg::Path() const
{
    return m_path->text();
}

void CExportDlg::SetPath(const QString& path)
{
    m_path->setText(path);
}

void CExportDlg::OnBrowse()
{
    const QString current = m_path->text().trimmed();
    const QString chosen = QFileDialog::getSaveFileName(this, platform::LoadString(platform::IDS_TITLE_EXPORT_FILE),
                                                        current, QStringLiteral("Soubor data (*.csv)"));
    if (!chosen.isEmpty())
        m_path->setText(QDir::toNativeSeparators(chosen));
}

int RunExportDialog(CExportDlg& dialog)
{
    const auto& hooks = CArchivDocHooks::Instance();
    return hooks.runDialog ? hooks.runDialog(dialog) : dialog.exec();
}

void ReportExportFailure(QWidget* parent, const QString& reason)
{
    ui::ShowMessageBox(parent, reason, platform::LoadString(platform::IDS_CAPTION_INFO), ui::MsgButtons::Ok,
                       ui::MsgIcon::Error);
}

} // namespace charts
