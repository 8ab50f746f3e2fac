#pragma once

#include "shell/DeviceRegistry.h"

namespace ui {
class CDocManager;
}

// Closes every document window at once, before the call returns, for the
// program's end: the windows keep their state while the main frame shows
// them and their instruments are whole. A window closed this way is not one
// the user closed: each instrument keeps showing its live window at the
// next start.
void CloseWindowsForExit(ui::CDocManager& manager, const CDeviceRegistry::InstrumentList& devices);
