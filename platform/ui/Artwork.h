#pragma once

#include <QIcon>

namespace ui {

// A printer, drawn here so every print button looks the same on any desktop
// theme and never borrows another command's picture.
QIcon PrintIcon();

} // namespace ui
