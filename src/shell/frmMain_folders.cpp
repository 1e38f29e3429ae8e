#include "frmMain.h"

#include "ui_frmMain.h"

// The log-folder commands: the editor, Remove, Open and View.

void frmMain::cmdAdd_Click() {}

void frmMain::cmdEdit_Click() {}

void frmMain::cmdRemove_Click() {}

void frmMain::cmdOpen_Click() {}

void frmMain::cmdView_Click() {}

void frmMain::ListView1_DblClick() {}
