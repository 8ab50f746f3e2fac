#pragma once

#include "archive/store/ArchivEvents.h"

class CArchivData;
struct CArchivWindow;

namespace archive {

// The alarms and events of a loaded window's blocks, oldest first, with the
// end marker of each block: what an archive view's event list shows in
// every mode.
void CollectWindowEvents(CArchivData& data, const CArchivWindow& window, CArchivEventList& out);

} // namespace archive
