#include "archive_docs/OpenArchiveDlg.h"

#include "archive_docs/ArchivDocBase.h"
#include "archive/store/ArchivData.h"
#include "platform/Settings.h"
#include "platform/Time32.h"
#include "platform/ui/HtmlHelp.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {

const QString kTimeFormat = QStringLiteral("%d.%m.%y %H:%M:%S");

// The position of the last separator of either kind, -1 without one.
qsizetype LastSeparator(const QString& path)
{
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
}

} // namespace

COpenArchiveDlg::COpenArchiveDlg(QWidget* parent) : QDialog(parent)
{
    ui::SetHelpId(this, 212);
    setWindowTitle(QStringLiteral("Otevřít archiv"));
    m_name = new QComboBox(this);
    m_name->setEditable(true);
    m_name->setInsertPolicy(QComboBox::NoInsert);
    m_folderEdit = new QLineEdit(this);
    m_folderEdit->setReadOnly(true);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    m_type = new QComboBox(this);
    m_type->addItems({QStringLiteral("Vše"), QStringLiteral("Qorin"), QStringLiteral("PJW,PJX"),
                      QStringLiteral("VKR,VKN"), QStringLiteral("VKT"), QStringLiteral("Qorin 1xxx")});
    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_status = new QLineEdit(this);
    m_status->setReadOnly(true);
    m_status->setFrame(false);
    auto* open = new QPushButton(QStringLiteral("Otevřít"), this);
    auto* close = new QPushButton(QStringLiteral("Konec"), this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Zadej název přístroje:"), this), 0, 0);
    grid->addWidget(m_name, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Výchozí adresář:"), this), 1, 0);
    grid->addWidget(m_folderEdit, 1, 1);
    grid->addWidget(browse, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Typ přístroje:"), this), 2, 0);
    grid->addWidget(m_type, 2, 1, 1, 2);
    grid->addWidget(m_list, 3, 0, 1, 3);
    grid->addWidget(m_status, 4, 0, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(open);
    buttons->addWidget(close);
    grid->addLayout(buttons, 5, 0, 1, 3);

    m_host.browseFolder = [](QWidget* owner, const QString& title, const QString& current) {
        return QFileDialog::getExistingDirectory(owner, title, current);
    };

    connect(m_name, &QComboBox::activated, this, &COpenArchiveDlg::OnNameSelected);
    connect(m_name, &QComboBox::editTextChanged, this, [this](const QString& text) {
        // A selection also changes the edit text; only typing is an edit.
        if (m_name->currentIndex() < 0 || m_name->itemText(m_name->currentIndex()) != text)
            OnNameEdited(text);
    });
    connect(m_type, &QComboBox::activated, this, &COpenArchiveDlg::OnTypeSelected);
    connect(browse, &QPushButton::clicked, this, &COpenArchiveDlg::OnBrowse);
    connect(open, &QPushButton::clicked, this, &COpenArchiveDlg::OnOpen);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem*, int) { OnOpen(); });
}

void COpenArchiveDlg::SetInstruments(const std::vector<COpenArchiveInstrument>* instruments, int selected)
{
    m_instruments = instruments;
    const int count = instruments ? int(instruments->size()) : 0;
    m_selected = selected >= count || selected < 0 ? 0 : selected;
    TakeInstrument(false);
}

void COpenArchiveDlg::TakeInstrument(bool updateControls)
{
    if (!m_instruments || m_selected >= int(m_instruments->size())) {
        m_typeIndex = 0;
    } else {
        const COpenArchiveInstrument& instrument = (*m_instruments)[std::size_t(m_selected)];
        m_typeIndex = instrument.type >= 1 && instrument.type <= 5 ? instrument.type : 0;
        const qsizetype cut = LastSeparator(instrument.archivePath);
        m_folder = cut < 0 ? QString() : instrument.archivePath.left(cut);
        m_baseName = instrument.archivePath.mid(cut + 1);
    }
    if (updateControls)
        UpdateControls();
}

void COpenArchiveDlg::UpdateControls()
{
    m_folderEdit->setText(m_folder);
    m_type->setCurrentIndex(m_typeIndex);
}

void COpenArchiveDlg::InitDialog()
{
    UpdateControls();
    const QSignalBlocker block(m_name);
    m_name->clear();
    if (m_instruments)
        for (const COpenArchiveInstrument& instrument : *m_instruments)
            m_name->addItem(instrument.name);
    if (m_selected < m_name->count())
        m_name->setCurrentIndex(m_selected);
    else
        m_name->setEditText(QString());

    m_list->setColumnCount(4);
    m_list->setHeaderLabels({QStringLiteral("Název souboru"), QStringLiteral("Název přístroje"),
                             QStringLiteral("záznam do"), QStringLiteral("záznam od")});
    const int widths[] = {255, 130, 130, 130};
    for (int column = 0; column < 4; ++column)
        m_list->setColumnWidth(column, widths[column]);
    // shown from left to right as first time, last time, instrument, file
    QHeaderView* header = m_list->header();
    header->setStretchLastSection(false);
    for (int column = 3, visual = 0; column >= 0; --column, ++visual)
        header->moveSection(header->visualIndex(column), visual);
    FillList(m_baseName);
}

QString COpenArchiveDlg::StatusText() const { return m_status->text(); }

QString COpenArchiveDlg::ExtensionOf(int typeIndex)
{
    static const char* const kExtensions[] = {"qor", "vk", "vkr", "vkt", "dsk"};
    return typeIndex >= 1 && typeIndex <= 5 ? QString::fromLatin1(kExtensions[typeIndex - 1]) : QString();
}

QString COpenArchiveDlg::FileTypeIdOf(const QString& path)
{
    static const char* const kIds[][2] = {{".qor", "Archiv.Document"},
                                          {".vkr", "VKRArchiv.Document"},
                                          {".vkt", "VKTArchiv.Document"},
                                          {".vk", "VKArchiv.Document"},
                                          {".dsk", "DuskarArchiv.Document"}};
    for (const auto& entry : kIds)
        if (path.endsWith(QLatin1String(entry[0]), Qt::CaseInsensitive))
            return QString::fromLatin1(entry[1]);
    return QString();
}

void COpenArchiveDlg::FillList(const QString& baseName)
{
    m_list->clear();
    QString status;
    const QDir dir(m_folder);
    for (int type = 1; type <= 5; ++type) {
        if (m_typeIndex != type && m_typeIndex != 0)
            continue;
        if (m_folder.isEmpty() || !dir.exists())
            continue;
        const QStringList names =
            dir.entryList({baseName + QStringLiteral("*.") + ExtensionOf(type)}, QDir::Files);
        for (const QString& fileName : names) {
            CArchivData archive;
            platform::CTime first;
            platform::CTime last;
            if (!archive.Open(dir.filePath(fileName)) || !archive.GetFileTimeRange(first, last)) {
                status = QStringLiteral("Při výběru byl vynechán jeden, nebo více prázdných (poškozených) "
                                        "souborů splňující kriteria.");
                continue;
            }
            auto* item = new QTreeWidgetItem(m_list);
            item->setText(kFileColumn, fileName);
            item->setText(kInstrumentColumn, archive.GetInstrumentName());
            item->setText(kLastColumn, last.Format(kTimeFormat));
            item->setText(kFirstColumn, first.Format(kTimeFormat));
        }
    }
    m_status->setText(status);
}

void COpenArchiveDlg::OnNameSelected(int index)
{
    if (index < 0)
        return;
    const QString text = m_name->itemText(index);
    int found = 0;
    for (int i = 0; i < m_name->count(); ++i)
        if (m_name->itemText(i).startsWith(text, Qt::CaseInsensitive)) {
            found = i;
            break;
        }
    m_selected = found;
    TakeInstrument(true);
    FillList(m_baseName);
}

void COpenArchiveDlg::OnNameEdited(const QString& text)
{
    m_baseName = text;
    FillList(m_baseName);
}

void COpenArchiveDlg::OnTypeSelected(int index)
{
    if (index == m_typeIndex)
        return;
    m_typeIndex = index;
    FillList(m_baseName);
}

void COpenArchiveDlg::OnBrowse()
{
    const QString previous = m_folder;
    const QString chosen =
        m_host.browseFolder ? m_host.browseFolder(this, QStringLiteral("Vyber výchozí adresář pro ukládání souborů."),
                                                  m_folder)
                            : QString();
    if (!chosen.isEmpty()) {
        m_folder = QDir::toNativeSeparators(chosen);
        UpdateControls();
    }
    if (m_folder.compare(previous, Qt::CaseInsensitive) != 0) {
        m_typeIndex = 0;
        m_baseName.clear();
        {
            const QSignalBlocker block(m_name);
            m_name->setCurrentIndex(-1);
            m_name->setEditText(QString());
        }
        UpdateControls();
        FillList(m_baseName);
    }
}

void COpenArchiveDlg::OnOpen()
{
    CArchivDocBase* last = nullptr;
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = m_list->topLevelItem(row);
        if (!item->isSelected())
            continue;
        const QString path = QDir(m_folder).filePath(item->text(kFileColumn));
        last = m_host.openDocument ? m_host.openDocument(FileTypeIdOf(path), path) : nullptr;
    }
    if (!last)
        return;
    if (m_host.attachToolBar)
        m_host.attachToolBar(*last);
    platform::Settings().WriteProfileString(platform::SettingsSection("Obecne nastaveni"),
                                            QStringLiteral("pristrojProTQRS"), m_name->currentText());
}
