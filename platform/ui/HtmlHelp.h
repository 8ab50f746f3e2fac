#pragma once

#include <QString>
#include <QUrl>

#include <cstdint>
#include <functional>

class QWidget;

namespace ui {

// Commands of CallHtmlHelp.
inline constexpr int HH_DISPLAY_TOPIC = 0;
inline constexpr int HH_HELP_CONTEXT = 15;

// Opens the help file through the desktop: the whole file, or for an HTML
// file with HH_HELP_CONTEXT the anchor named by the topic number. Returns
// nonzero when the desktop opened it. A missing file is told in a message
// box and gives 0; when the desktop fails to open help, that is told once
// and every later call gives 0 at once, silently.
std::intptr_t CallHtmlHelp(QWidget* window, const QString& file, int command, std::uintptr_t data);

// A help request as it was made, whatever came of it.
struct HelpRequest {
    QString file;
    int command = 0;
    std::uintptr_t data = 0;
};

// Tests see every request here; returns the recorder it replaced.
using HelpRecorder = std::function<void(const HelpRequest&)>;
HelpRecorder SetHelpRecorder(HelpRecorder recorder);

// A dialog's or a page's resource id, which names its help: F1 inside it
// asks for the topic of its context.
void SetHelpId(QWidget* widget, int resourceId);
// The help context (0x20000 + resource id) of the nearest window from
// `widget` outwards that has a help id, else of the page its window shows;
// 0 when none has.
int HelpContextOf(const QWidget* widget);

// Tests replace what opens the address; returns the opener it replaced (an
// empty one restores QDesktopServices) and forgets a recorded failure.
using HelpOpener = std::function<bool(const QUrl&)>;
HelpOpener SetHelpOpener(HelpOpener opener);

} // namespace ui
