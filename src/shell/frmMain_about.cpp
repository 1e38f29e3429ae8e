#include "frmMain.h"

#include "about/DesktopUrlOpener.h"
#include "about/NetworkHttpGet.h"
#include "about/UpdateCheck.h"
#include "about/frmAbout.h"
#include "ui_frmMain.h"

// The update check at start and the About window.

QString frmMain::ConfiguredUpdateBase()
{
    return about::ConfiguredUpdateBase();
}

// Runs before the window is shown and waits for the reply, at most five seconds; every failure
// is silent and the window then opens as usual.
void frmMain::CheckForUpdate()
{
    NetworkHttpGet http;
    about::CheckForUpdate(m_updateBase, about::ConfiguredWebAddress(), http, m_messages);
}

void frmMain::cmdAbout_Click()
{
    DesktopUrlOpener opener;
    frmAbout dialog(opener, about::ConfiguredWebAddress(), this);
    dialog.Form_Load();
    dialog.exec();
}
