#pragma once

// Start-up: the main window (with its settings at their start values) loaded and shown, then the
// event loop until the last window closes. Returns the process's exit code.
int Main();
