#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <vector>

class QComboBox;
class QLineEdit;
class QTreeWidget;
class CArchivDocBase;

// What the dialog knows of a configured instrument.
struct COpenArchiveInstrument {
    QString name;
    int type = 0;        // 1 Qorin, 2 VK, 3 VKR, 4 VKT, 5 Duskar
    QString archivePath; // data folder + separator + base name
};

// What the dialog needs of the program.
struct COpenArchiveHost {
    // Opens `path` with the template whose file-type identifier is
    // `fileTypeId`; null when there is no such template or the file fails.
    std::function<CArchivDocBase*(const QString& fileTypeId, const QString& path)> openDocument;
    // Shows the archive tool bars and attaches the document to them.
    std::function<void(CArchivDocBase& document)> attachToolBar;
    // The folder browser; an empty result means cancelled.
    std::function<QString(QWidget* parent, const QString& title, const QString& current)> browseFolder;
};

// "Otevřít archiv": lists the archive files of an instrument's base name in a
// folder and opens the chosen ones in the documents of their families.
class COpenArchiveDlg : public QDialog {
public:
    enum Column { kFileColumn, kInstrumentColumn, kLastColumn, kFirstColumn };

    explicit COpenArchiveDlg(QWidget* parent = nullptr);

    void SetHost(COpenArchiveHost host) { m_host = std::move(host); }
    // Stores the list and the preselected index (0 when out of range) and
    // takes that instrument's folder, base name and type.
    void SetInstruments(const std::vector<COpenArchiveInstrument>* instruments, int selected);

    // Builds the controls from the members; run before the dialog is shown.
    void InitDialog();

    QString Folder() const { return m_folder; }
    QString BaseName() const { return m_baseName; }
    int TypeIndex() const { return m_typeIndex; }
    QTreeWidget* FileList() const { return m_list; }
    QComboBox* NameCombo() const { return m_name; }
    QComboBox* TypeCombo() const { return m_type; }
    QString StatusText() const;

    void FillList(const QString& baseName);
    void OnNameSelected(int index);
    void OnNameEdited(const QString& text);
    void OnTypeSelected(int index);
    void OnBrowse();
    void OnOpen();

    // The archive extension (without dot) of type index 1..5.
    static QString ExtensionOf(int typeIndex);
    // The document template identifier for a path by its extension.
    static QString FileTypeIdOf(const QString& path);

private:
    void TakeInstrument(bool updateControls);
    void UpdateControls();

    COpenArchiveHost m_host;
    QComboBox* m_name = nullptr;
    QLineEdit* m_folderEdit = nullptr;
    QComboBox* m_type = nullptr;
    QTreeWidget* m_list = nullptr;
    QLineEdit* m_status = nullptr;

    QString m_folder;
    int m_typeIndex = -1;
    int m_selected = 0;
    const std::vector<COpenArchiveInstrument>* m_instruments = nullptr;
    QString m_baseName;
};
