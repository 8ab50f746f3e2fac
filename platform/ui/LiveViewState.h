#pragma once

#include "platform/Settings.h"
#include "platform/ui/EntryName.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/Document.h"

#include <QRect>
#include <QString>

#include <array>
#include <functional>
#include <initializer_list>

namespace ui {

class CChildFrame;

// What an instrument's live window keeps in the settings under
// "pristroje/<name>": the panes it shows, its dividers and its frame's
// placement. An instrument without a section of its own takes its panes from
// its family's common section and its frame where the program puts it.
class CLiveViewState {
public:
    // The view's pane flags and dividers.
    struct Panes {
        int& graph;
        int& values;
        int& alarms;
        int& panel;
        int& ratioX;
        int& ratioY;
    };

    static platform::SettingsSection EntrySection(const QString& name);
    // Every relayed measurement (WM_NEW_DATA) goes to `onNewData`.
    static void RelayNewData(CView& view, std::function<void()> onNewData);

    // Reads the pane flags from the entry's own section when a window of
    // the entry left them there (true), else from `common`; the entry is the
    // one Save writes for.
    bool RestorePanes(const QString& entryName, const platform::SettingsSection& common, const Panes& panes);
    // Puts the frame where the entry's section places it; a section without
    // a whole placement leaves the frame alone.
    void RestoreFrame(CChildFrame* frame, CDocument* document) const;
    // Takes the frame's placement while it still exists: when the view is
    // deleted its document and frame are already gone.
    void RememberFrame(const CChildFrame* frame);
    // Writes the panes, the dividers and the remembered placement, once, and
    // only for a window that has shown a measurement: a window closed before
    // its first one leaves the stored state as it was. True when written.
    bool Save(bool initialised, const Panes& panes);

    // The values pane's first tabs as the entry's section keeps them
    // ("tab1", ...), -1 where none is stored; and written back.
    std::array<int, 3> Tabs() const;
    void SaveTabs(std::initializer_list<int> tabs) const;

    platform::SettingsSection Section() const { return EntrySection(m_entryName.Get()); }

private:
    // Follows a rename of the instrument while the window is open.
    CEntryName m_entryName;
    bool m_saved = false;
    QRect m_frameNormal;
    int m_frameShow = 0;
    bool m_hasFrame = false;
};

// A live window offers most of its commands only once it knows its
// instrument, which comes after the window was shown and activated: the main
// frame takes its menu, keys and buttons again.
void OfferBoundCommands(CView* view);

// Opens the live document of `docString` and binds it to the entry; its
// view, or null when the template is missing.
template <class Doc, class Entry>
CView* OpenLiveDocument(CDocManager& manager, const QString& docString, Entry& entry)
{
    CDocTemplate* live = manager.FindTemplate(CDocTemplate::regFileTypeId, docString);
    if (!live)
        return nullptr;
    auto* doc = dynamic_cast<Doc*>(live->OpenDocumentFile(QString(), true));
    if (!doc)
        return nullptr;
    doc->SetPristroj(&entry);
    CView* view = doc->FirstView();
    OfferBoundCommands(view);
    return view;
}

} // namespace ui
