#include "frmMain.h"

#include "ui_frmMain.h"

// The update check at start and the About window.

void frmMain::CheckForUpdate() {}

void frmMain::cmdAbout_Click() {}
