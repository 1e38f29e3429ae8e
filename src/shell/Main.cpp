#include "Main.h"

#include "QtMessageBox.h"
#include "frmMain.h"

#include <QApplication>
#include <QTimer>

int Main()
{
    // The menu entry this program belongs to: its icon and name on desktops that ask.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.quorvel.Tarvisk"));
    QtMessageBox messages;
    frmMain window(messages, QCoreApplication::applicationDirPath());
    if (!window.Form_Load())
        return 1;
    window.show();
    QTimer::singleShot(0, &window, &frmMain::ResumeRun);
    return QApplication::exec();
}
