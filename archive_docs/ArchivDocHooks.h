#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <functional>

class CArchivDocBase;
class QDialog;
class QWidget;
struct CPatchArchivHost;

namespace ui {
class CDocManager;
}

// The filler of the archive toolbar (zoom list, time list, slider).
class IArchivToolBar {
public:
    virtual ~IArchivToolBar() = default;
    // Selects `current`, adding it when it is missing.
    virtual void FillZoomCombo(const QStringList& texts, const QString& current) = 0;
    virtual void FillTimeCombo(const QStringList& texts, const QString& current) = 0;
    // Quarter hours from the start of the file.
    virtual void SetSlider(int position, int page, int range) = 0;
};

// What the archive documents need of the program above them. The program
// sets these once at start-up; unset, a document works on its own (whole
// file shown, no recent list, no other windows).
struct CArchivDocHooks {
    // "archiv interval" in seconds; -1 shows the whole file.
    std::function<int()> archiveIntervalSeconds;
    std::function<void(const QString& path)> addToRecentFiles;
    // Opens an archive in a new document of its family.
    std::function<void(const QString& path)> openArchiveFile;
    // Number of instruments the program knows.
    std::function<int()> deviceCounter;
    // Shows the read-only settings stored in the archive; false when they
    // cannot be loaded.
    std::function<bool(CArchivDocBase& document)> showSettings;
    // Runs the open-archive dialog for the instrument recorded in the archive.
    std::function<void(CArchivDocBase& document, const QString& instrument)> openByInstrument;
    // The display choices of a meter document (11 words) from the section
    // "Bexor" or, for a VKT meter, "VKTBexor".
    std::function<void(bool vkt, std::array<int, 11>& settings)> loadMeterDisplay;
    // The program's document templates.
    std::function<ui::CDocManager*()> docManager;
    // What the patch-archive dialog needs of the program (its instruments,
    // the start of an interval download).
    std::function<CPatchArchivHost()> patchHost;
    // The window the wait dialogs of long loads stand over; unset: the
    // active window.
    std::function<QWidget*()> mainWindow;
    // Runs a dialog modally; tests answer it. Unset: QDialog::exec.
    std::function<int(QDialog& dialog)> runDialog;

    static CArchivDocHooks& Instance();
};
