#pragma once

// For the start-up benchmark: with QORIN_STARTUP_PROBE set in the
// environment, the first time a top-level window is shown on screen the
// program writes "shown" to its standard output and leaves through its
// normal exit. Without the variable nothing is installed.
void InstallStartupProbe();
