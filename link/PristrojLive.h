#pragma once

class CPristroj;

// The user closed the instrument's live window: it is no longer shown at the
// next start (unless the instrument has stopped measuring), and the thread
// stops feeding its graphs.
void LiveWindowClosed(CPristroj& entry);
