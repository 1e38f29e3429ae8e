#include "frmMain.h"

#include "ui_frmMain.h"

// The output window's commands: Clear, Copy and the search dialog.

void frmMain::cmdClear_Click() {}

void frmMain::cmdCopy_Click() {}

void frmMain::cmdSearch_Click() {}
