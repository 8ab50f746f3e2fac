#pragma once

#include "analysers_vk/AnalyserDetail.h"
#include "analysers_vk/VKSettingsGroups.h"

#include <QPointer>

#include <cstdint>
#include <functional>

namespace analysers_vk {

class CVKDetailInstalace;
class CVKDetailVystupy;
class CVKDetailZaznam;

// The settings of a live VK analyser: installation, outputs and recording,
// each page receiving and sending its own group; "Přijmi vše" receives all
// three; ".vks" files are loaded and saved; the whole set prints.
class CVKDetail : public CAnalyserDetail {
    Q_OBJECT
public:
    CVKDetail(const QString& title, QWidget* parent = nullptr, int firstPage = 0);
    ~CVKDetail() override;

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

    // The ".vks" file.
    BOOL ReadSettingsFile(const QString& path, QString* error = nullptr);
    BOOL WriteSettingsFile(const QString& path, const QString& folder, QString* error = nullptr);
    BOOL LoadFile(const QString& path, QString* error = nullptr) override { return ReadSettingsFile(path, error); }
    BOOL SaveFile(const QString& path, const QString& folder, QString* error = nullptr) override
    {
        return WriteSettingsFile(path, folder, error);
    }

    void StorePages() override;
    void RefreshPages() override;

    CVKSettings& Settings() { return m_s; }
    std::int64_t MemorySize() const { return m_memory; }
    CVKDetailInstalace& Instalace() { return *m_instalace; }
    CVKDetailVystupy& Vystupy() { return *m_vystupy; }
    CVKDetailZaznam& Zaznam() { return *m_zaznam; }

protected:
    bool ReadAll() override;
    void AddReportPages(controllers::CSettingsReport& report) override;

private:
    bool RunTask(const std::function<bool()>& task);

    CVKDetailInstalace* m_instalace;
    CVKDetailVystupy* m_vystupy;
    CVKDetailZaznam* m_zaznam;
    IVKSettingsIo* m_io = nullptr;
    CVKSettings m_s;
    std::int64_t m_memory = -1;
};

// Opens the settings sheet of a VK analyser and repeats it while it ends
// with OK, as the instrument-settings command of the live window does;
// `sheet` points at the sheet while it is up.
void OpenVKSettings(QWidget* parent, CPristroj& entry);
void OpenVKSettings(QWidget* parent, CPristroj& entry, QPointer<QDialog>& sheet);
// The same over any entry adapter (tests, the simulated instrument).
void RunVKSettings(QWidget* parent, IVKSettingsIo& io, QPointer<QDialog>* sheet = nullptr);

} // namespace analysers_vk
