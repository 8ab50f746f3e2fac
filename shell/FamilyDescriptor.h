#pragma once

#include "link/DownloadImport.h"
#include "link/LinkEnvironment.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class CGeneralSettingsFamilyPage;
class CPristroj;
class QDialog;
class QObject;
class QWidget;

namespace ui {
class CDocManager;
class CDocument;
class CView;
} // namespace ui

// Everything the shell knows of one instrument family. A family library
// provides its descriptor through a function of its own; the program
// collects the descriptors and hands them to the application at start-up,
// and the shell only ever loops over them. Openers left empty do nothing.
struct CFamilyDescriptor {
    // The instrument type code (CPristroj::Type).
    int type = 0;
    // The family's entry in the type list of the add-instrument dialog.
    QString typeText;
    // The registry file-type name of the family's live document template.
    QString liveTypeName;
    // The ending of its archive files, with the dot (".vk"), and the file-type
    // name and id of the template that opens them.
    QString archiveEnding;
    QString archiveFileTypeName;
    QString archiveFileTypeId;
    // The instrument keeps data that can be downloaded: receive button,
    // download tasks, clock synchronisation.
    bool canDownload = false;
    // The analyser's USB bus ports are offered for the family's instruments.
    bool usesBusPorts = true;
    // True for an identification (family, model) read from an instrument of
    // this family.
    std::function<bool(unsigned family, unsigned model)> identifies;

    // Adds the family's document templates to the program's list.
    std::function<void(ui::CDocManager&)> addTemplates;
    // The family's page of the general settings sheet; the pages stand in
    // the order of `settingsTabOrder` and load and save in the order of
    // `settingsSaveOrder` (lowest first).
    std::function<std::unique_ptr<CGeneralSettingsFamilyPage>()> generalSettingsPage;
    int settingsTabOrder = 0;
    int settingsSaveOrder = 0;
    // Opens the instrument's live window and returns its view (null when
    // none opened); the shell keeps it as the instrument's live window.
    std::function<ui::CView*(ui::CDocManager&, CPristroj&)> openLive;
    // Opens an archive file of the family; null when it does not open.
    std::function<ui::CDocument*(ui::CDocManager&, const QString& path)> openArchive;
    // Shows the instrument's floating front panel.
    std::function<void(CPristroj&)> openPanel;
    // The floating panel after each measurement (the relay of new data),
    // closing it (before its entry goes), and whether it is up.
    std::function<void(CPristroj&)> updatePanel;
    std::function<void(CPristroj&)> closePanel;
    std::function<bool(CPristroj&)> isPanelOpen;
    // Where the family's panels post their requests (close, return,
    // settings as WM_APP_OPEN_DEVICE_DETAIL); set once at start-up.
    std::function<void(QObject* receiver)> setPanelRequestReceiver;
    // Runs the instrument's settings sheet; `sheet` points at it while it is up.
    std::function<void(QWidget* parent, CPristroj&, QPointer<QDialog>& sheet)> openSettings;
    // The settings a floating panel asks for while the instrument's live
    // window is up: the live document runs them over its window, with the
    // instrument's link held across the sheet's repeats. False when the
    // family leaves it to `openSettings`.
    std::function<bool(ui::CView* live, CPristroj&)> openLiveSettings;
    // Opens the download window of the instrument.
    std::function<void(QWidget* parent, CPristroj&)> receiveData;
    // Makes the instrument's measurement thread.
    PristrojThreadFactory threadFactory;
    // Reads a finished download back into the target archive (families that
    // can download); a DownloadImportResult, a failure told to the host.
    std::function<int(const CDownloadJob&, const CDownloadTarget&, IDownloadImportHost&)> importDownload;
};

// The families the program was started with, in the order of their type
// lists and templates.
class CFamilyList {
public:
    CFamilyList() = default;
    explicit CFamilyList(std::vector<CFamilyDescriptor> families) : m_families(std::move(families)) {}

    const std::vector<CFamilyDescriptor>& All() const { return m_families; }
    bool Empty() const { return m_families.empty(); }
    const CFamilyDescriptor* Find(int type) const;
    // The family whose archive ending the path has; with several matches the
    // last of the list wins (".vk" is also the end of a longer ending).
    const CFamilyDescriptor* ForArchive(const QString& path) const;
    bool CanDownload(int type) const;
    bool UsesBusPorts(int type) const;
    // The type of the family that identifies (family, model); 0 for none.
    int TypeOfIdentification(unsigned family, unsigned model) const;
    // Position of the type in the list; -1 when it has no family.
    int IndexOf(int type) const;

    // The floating panel of an entry through its family; a family without
    // panels has none open and nothing to feed or close.
    bool IsPanelOpen(CPristroj& entry) const;
    void ClosePanel(CPristroj& entry) const;
    void UpdatePanel(CPristroj& entry) const;
    // Every family's panels post their requests to `receiver`.
    void SetPanelRequestReceiver(QObject* receiver) const;

private:
    std::vector<CFamilyDescriptor> m_families;
};
