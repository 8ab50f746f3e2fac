#pragma once

#include <QString>

#include <vector>

class QMenu;

namespace ui {

// The framework's printing commands, offered in the File menu for the
// active view.
inline constexpr int kCmdFilePrint = 57607;
inline constexpr int kCmdFilePrintDirect = 57608;
inline constexpr int kCmdFilePrintPreview = 57609;

// Resource ids of the main frame's tool bars that a window fills.
inline constexpr int kMeasurementBarId = 129;
inline constexpr int kGraphBarId = 168;

// A command a document or view offers the main frame while its window is
// the active one: shown in the menu `menu` of the menu bar and, when `bar`
// names one, as a button of that tool bar.
struct CommandItem {
    int id = 0;
    QString text;   // "text\tCtrl+X": the part after the tab is the key
    QString menu;   // title of the menu bar's menu
    int bar = 0;    // kMeasurementBarId, kGraphBarId or 0
    bool checkable = false;
};

// What the documents and views share with the main frame's command routing,
// as the MDI frame's active document and view take commands: the frame asks
// the view first and then its document.
class CCommandTarget {
public:
    virtual ~CCommandTarget() = default;

    // The commands of the window, in menu order.
    virtual void AppendCommands(std::vector<CommandItem>& items) { (void)items; }
    // False for an id the target does not handle.
    virtual bool OnCommand(int id) { (void)id; return false; }
    virtual bool IsCommandEnabled(int id) { (void)id; return true; }
    virtual bool IsCommandChecked(int id) { (void)id; return false; }
};

} // namespace ui
