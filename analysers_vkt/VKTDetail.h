#pragma once

#include "analysers_vk/AnalyserDetail.h"
#include "analysers_vkt/VKTSettingsGroups.h"

#include <QPointer>

#include <optional>

class CPristroj;
class CVKTArchivData;
class CVKTProfileData;

namespace analysers_vkt {

class CVKTDetailInstalace;
class CVKTDetailVystupy;
class CVKTDetailZaznam;

// The settings of a live VKT analyser: installation, outputs and recording,
// each page receiving and sending its own group; "Přijmi vše" receives all
// three; ".vts" files are loaded and saved; the whole set prints.
class CVKTDetail : public analysers_vk::CAnalyserDetail {
    Q_OBJECT
public:
    CVKTDetail(const QString& title, QWidget* parent = nullptr, int firstPage = 0);
    ~CVKTDetail() override;

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

    // The ".vts" file.
    BOOL LoadFile(const QString& path, QString* error = nullptr) override;
    BOOL SaveFile(const QString& path, const QString& folder, QString* error = nullptr) override;

    void StorePages() override;
    void RefreshPages() override;

    CVKTSettings& Settings() { return m_s; }
    CVKTDetailInstalace& Instalace() { return *m_instalace; }
    CVKTDetailVystupy& Vystupy() { return *m_vystupy; }
    CVKTDetailZaznam& Zaznam() { return *m_zaznam; }

protected:
    bool ReadAll() override;
    void AddReportPages(controllers::CSettingsReport& report) override;

private:
    CVKTDetailInstalace* m_instalace;
    CVKTDetailVystupy* m_vystupy;
    CVKTDetailZaznam* m_zaznam;
    IVKTSettingsIo* m_io = nullptr;
    CVKTSettings m_s;
    // The outputs as the analyser last gave them, in its own units.
    std::optional<CVKTOutputConfig> m_heldOutputs;
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
