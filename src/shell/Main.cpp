#include "Main.h"

#include "QtMessageBox.h"
#include "frmMain.h"
#include "modMain.h"

#include <QApplication>

int Main()
{
    modMain::SetStartValues();
    QtMessageBox messages;
    frmMain window(messages, QCoreApplication::applicationDirPath());
    if (!window.Form_Load())
        return 1;
    window.show();
    return QApplication::exec();
}
