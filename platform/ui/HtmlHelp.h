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

// Tests replace what opens the address; returns the opener it replaced (an
// empty one restores QDesktopServices) and forgets a recorded failure.
using HelpOpener = std::function<bool(const QUrl&)>;
HelpOpener SetHelpOpener(HelpOpener opener);

} // namespace ui
