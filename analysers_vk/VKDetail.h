#pragma once

#include "analysers_vk/VKSettingsGroups.h"
#include "controllers/settings/SettingsReport.h"
#include "platform/ui/PropertySheet.h"

#include <QDateTime>
#include <QPointer>

#include <cstdint>
#include <functional>

class QPushButton;

namespace analysers_vk {

class CVKDetailInstalace;
class CVKDetailVystupy;
class CVKDetailZaznam;

// The settings of a live VK analyser: installation, outputs and recording,
// each page receiving and sending its own group; "Přijmi vše" receives all
// three; ".vks" files are loaded and saved; the whole set prints.
class CVKDetail : public ui::CPropertySheet {
    Q_OBJECT
public:
    static constexpr int IdLoad = 128;
    static constexpr int IdSave = 129;
    static constexpr int IdPrint = 130;

    CVKDetail(const QString& title, QWidget* parent = nullptr, int firstPage = 0);
    ~CVKDetail() override;

    // "Nastavení přístroje (name)".
    static QString TitleFor(const QString& instrumentName);

    // Reads all three groups; false when the sheet is not to be shown (the
    // instrument did not answer and no file was loaded in its place).
    BOOL ReadFromDevice(IVKSettingsIo& io, int pass);

    // The group requests of the pages, each behind the wait dialog.
    BOOL ReadInstalace(CVKConfig* config, QString* modem, CIden* iden);
    BOOL WriteInstalace(CVKConfig config, QString modem);
    BOOL ReadVystupy(CVKOutputConfig* outputs, CIden* iden, BOOL idenKnown);
    BOOL WriteVystupy(CVKOutputConfig outputs);
    BOOL ReadArchSettings(CVKStatus* status, CVKNoteBook* notebook, CIden* iden);
    BOOL WriteArchSettings(CVKStatus status, CVKNoteBook notebook);

    // Loads into temporaries and takes the file only when all of it was
    // read; `error` says why not.
    BOOL ReadSettingsFile(const QString& path, QString* error = nullptr);
    BOOL WriteSettingsFile(const QString& path, const QString& folder, QString* error = nullptr);

    void OnReceiveAll();
    // True when the user chose a file (read or not).
    bool OnLoad();
    void OnSave();
    void OnPrint();

    // Every page's values into the records.
    void StorePages();
    // The pages from the records, with their rules applied again.
    void RefreshPages();
    controllers::CSettingsReport BuildReport();
    static void SetPrintClock(std::function<QDateTime()> clock);

    CVKSettings& Settings() { return m_s; }
    std::int64_t MemorySize() const { return m_memory; }
    BOOL LoadedFromFile() const { return m_loadedFromFile; }
    const QString& Folder() const { return m_folder; }
    CVKDetailInstalace& Instalace() { return *m_instalace; }
    CVKDetailVystupy& Vystupy() { return *m_vystupy; }
    CVKDetailZaznam& Zaznam() { return *m_zaznam; }

protected:
    void OnApplyNow() override { OnReceiveAll(); }
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void PlaceIconButtons();
    void CreateAllPages();
    bool RunTask(const std::function<bool()>& task);

    CVKDetailInstalace* m_instalace;
    CVKDetailVystupy* m_vystupy;
    CVKDetailZaznam* m_zaznam;
    QPushButton* m_load;
    QPushButton* m_save;
    QPushButton* m_print;
    IVKSettingsIo* m_io = nullptr;
    CVKSettings m_s;
    std::int64_t m_memory = -1;
    QString m_folder;
    BOOL m_loadedFromFile = FALSE;
};

// Opens the settings sheet of a VK analyser and repeats it while it ends
// with OK, as the instrument-settings command of the live window does;
// `sheet` points at the sheet while it is up.
void OpenVKSettings(QWidget* parent, CPristroj& entry);
void OpenVKSettings(QWidget* parent, CPristroj& entry, QPointer<QDialog>& sheet);
// The same over any entry adapter (tests, the simulated instrument).
void RunVKSettings(QWidget* parent, IVKSettingsIo& io, QPointer<QDialog>* sheet = nullptr);

} // namespace analysers_vk
