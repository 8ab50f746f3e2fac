#pragma once

#include "analysers_vkt/VKTSettingsGroups.h"
#include "controllers/settings/SettingsReport.h"
#include "platform/ui/PropertySheet.h"

#include <QDateTime>
#include <QPointer>

#include <functional>

class CPristroj;
class CVKTArchivData;
class CVKTProfileData;
class QPushButton;

namespace analysers_vkt {

class CVKTDetailInstalace;
class CVKTDetailVystupy;
class CVKTDetailZaznam;

// The settings of a live VKT analyser: installation, outputs and recording,
// each page receiving and sending its own group; "Přijmi vše" receives all
// three; ".vts" files are loaded and saved; the whole set prints.
class CVKTDetail : public ui::CPropertySheet {
    Q_OBJECT
public:
    static constexpr int IdLoad = 128;
    static constexpr int IdSave = 129;
    static constexpr int IdPrint = 130;

    CVKTDetail(const QString& title, QWidget* parent = nullptr, int firstPage = 0);
    ~CVKTDetail() override;

    static QString TitleFor(const QString& instrumentName);

    // Reads all three groups; false when the sheet is not to be shown (the
    // instrument did not answer and no file was loaded in its place).
    BOOL ReadFromDevice(IVKTSettingsIo& io);

    // The group requests of the pages, each behind the wait dialog.
    BOOL ReadInstalace(CVKTConfig* config, QString* modem, CIden* iden);
    BOOL WriteInstalace(CVKTConfig config, QString modem, QString* error = nullptr);
    BOOL ReadOutputs(CVKTOutputConfig* outputs, CIden* iden, BOOL idenKnown);
    BOOL WriteOutputs(CVKTOutputConfig outputs);
    BOOL ReadRecordSettings(CVKTStatus* status, CVKTNoteBook* notebook);
    BOOL WriteRecordSettings(CVKTStatus status, CVKTNoteBook notebook);

    // Loads into temporaries and takes the file only when all of it was
    // read; `error` says why not.
    BOOL LoadFile(const QString& path, QString* error = nullptr);
    BOOL SaveFile(const QString& path, const QString& folder, QString* error = nullptr);

    void OnReceiveAll();
    bool OnLoad();
    void OnSave();
    void OnPrint();

    void StorePages();
    void RefreshPages();
    controllers::CSettingsReport BuildReport();
    static void SetPrintClock(std::function<QDateTime()> clock);

    CVKTSettings& Settings() { return m_s; }
    BOOL LoadedFromFile() const { return m_loadedFromFile; }
    const QString& Folder() const { return m_folder; }
    CVKTDetailInstalace& Instalace() { return *m_instalace; }
    CVKTDetailVystupy& Vystupy() { return *m_vystupy; }
    CVKTDetailZaznam& Zaznam() { return *m_zaznam; }

protected:
    void OnApplyNow() override { OnReceiveAll(); }
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void PlaceIconButtons();
    void CreateAllPages();
    bool ReadAll();

    CVKTDetailInstalace* m_instalace;
    CVKTDetailVystupy* m_vystupy;
    CVKTDetailZaznam* m_zaznam;
    QPushButton* m_load;
    QPushButton* m_save;
    QPushButton* m_print;
    IVKTSettingsIo* m_io = nullptr;
    CVKTSettings m_s;
    QString m_folder;
    BOOL m_loadedFromFile = FALSE;
};

// The read-only twin: installation and (when the archive has them) the
// record settings stored with an archive.
class CVKTDetailStatic : public ui::CPropertySheet {
    Q_OBJECT
public:
    explicit CVKTDetailStatic(const QString& title, QWidget* parent = nullptr);

    // False when there is no configuration or identification to show.
    bool LoadFromArchive(const CVKTArchivData& archive);
    // The configuration and identification stored in a profile file;
    // false when the file cannot be read. A profile has no recording page.
    bool LoadFromProfile(CVKTProfileData& profile);
    // `status` null: no recording page.
    bool SetSettings(const CVKTConfig& config, const CIden& iden, const CVKTStatus* status);

    CVKTDetailInstalace& Instalace() { return *m_instalace; }
    CVKTDetailZaznam* Zaznam() { return m_zaznam; }

private:
    CVKTDetailInstalace* m_instalace;
    CVKTDetailZaznam* m_zaznam;
    CVKTConfig m_config;
    CVKTStatus m_status;
    CIden m_iden;
};

// Opens the settings sheet of a VKT analyser; `sheet` points at the sheet while it is up.
void OpenVKTSettings(QWidget* parent, CPristroj& entry, QPointer<QDialog>& sheet);
// The same over any entry adapter (tests, the simulated instrument).
void RunVKTSettings(QWidget* parent, IVKTSettingsIo& io, QPointer<QDialog>* sheet = nullptr);

} // namespace analysers_vkt
