#pragma once

// Start-up: settings to their start values, the main window loaded and shown, then the event
// loop until the last window closes. Returns the process's exit code.
int Main();
