#pragma once

#include "archive_docs/ArchivDocHooks.h"
#include "archive_docs/ArchivNavigator.h"
#include "platform/ui/Document.h"
#include "platform/ui/MessageBox.h"

#include <cstdint>
#include <functional>

class CArchivData;

// Update hints of the archive documents; the views read them as bits.
namespace archive::hint {
inline constexpr std::intptr_t kRecordMoved = 3;
inline constexpr std::intptr_t kWindowChanged = 11;
inline constexpr std::intptr_t kOpening = 20;
inline constexpr std::intptr_t kReloadedInPlace = 32;
inline constexpr std::intptr_t kWindowPlaced = 43;
inline constexpr std::intptr_t kState = 128;
} // namespace archive::hint

// Commands of the archive documents.
namespace archive::cmd {
inline constexpr int kGoEnd = 32169;
inline constexpr int kRecordForward = 32165;
inline constexpr int kPageForward = 32167;
inline constexpr int kRecordBack = 32195;
inline constexpr int kGoStart = 32193;
inline constexpr int kPageBack = 32194;
inline constexpr int kSettings = 32136;
inline constexpr int kNextFile = 32237;
inline constexpr int kPreviousFile = 32236;
inline constexpr int kMeter = 32225;
inline constexpr int kPatch = 32223;
// Page count that stands for the end (and, negative, the start) of the file.
inline constexpr int kToEnd = 0xFFFFFF;
} // namespace archive::cmd

// What the archive documents of every family share: opening the file on its
// newest records, the window moves with their hints and the toolbar, the
// reload after a recorder changed the file, the title, and the previous and
// next file of the same instrument. A framework failure inside an operation
// is reported once and closes the document.
class CArchivDocBase : public ui::CDocument {
    Q_OBJECT
public:
    CArchivDocBase(QString extension, ui::MsgIcon openFailureIcon, int openByInstrumentCommand);
    ~CArchivDocBase() override;

    virtual CArchivData& GetArchiv() = 0;
    virtual CArchivNavigator& Navigator() = 0;
    const QString& Extension() const { return m_extension; }

    bool OnOpenDocument(const QString& path) override;
    // The title "Archivní soubor: " with the archive's display name; the
    // real path goes to the recent-file list.
    void SetPathName(const QString& path, bool addToRecent = true) override;
    void TakeDataControlBar(QWidget* bar) override;

    void AttachControlBar(IArchivToolBar* toolBar);
    void MoveRecords(int records, int pages);
    void SetZoom(int position, int zoom);
    void SetWindowStart(int first, int second);
    void SetWindow(platform::CTime start, platform::CTime end);
    // Non-zero when the file had changed and was read again.
    int ReloadIfChanged();
    int ReloadIfChangedSafe();

    // The views write their display mode here on hint 128.
    void SetState(int state) { m_state = state; }
    int RefreshAndGetState();

    // The document's commands; false for an id it does not have.
    bool OnCommand(int id) override;
    bool IsCommandEnabled(int id) override;
    // The menu "Archiv" and the measurement bar's buttons of the document.
    void AppendCommands(std::vector<ui::CommandItem>& items) override;

    // The file of the same instrument whose first record follows (or
    // precedes) the start `openStart` of the open file most closely; empty
    // when there is none.
    static QString FindNeighbourFile(const QString& openPath, const QString& extension, platform::CTime openStart,
                                     bool next, platform::CTime now);

protected:
    // Runs `operation`; a framework failure is reported, the document
    // closes and the answer is false.
    bool RunGuarded(const std::function<void()>& operation);
    void ReportSystemError();
    // Reloads a changed file, else applies `change` to the window (hint 11).
    void ChangeWindow(const std::function<void()>& change);
    void RefreshToolBar();
    void OpenNeighbourFile(bool next);
    // "Záplatovat archiv...": the gaps of the archive filled from the
    // instrument of its family (`kind` 2 VK, 4 VKT) over a chosen interval.
    void PatchArchive(int kind);

private:
    QString m_extension;
    ui::MsgIcon m_openFailureIcon;
    int m_openByInstrumentCommand;
    int m_state = 0;
    IArchivToolBar* m_toolBar = nullptr; // not owned
};
