#include "Main.h"

#include "QtMessageBox.h"
#include "frmMain.h"

#include <QApplication>
#include <QScreen>

int Main()
{
    // The menu entry this program belongs to: its icon and name on desktops that ask.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.quorvel.Tarvisk"));
    QtMessageBox messages;
    frmMain window(messages, QCoreApplication::applicationDirPath());
    if (!window.Form_Load())
        return 1;
    if (const QScreen* screen = window.screen())
        window.move(screen->availableGeometry().center() - window.rect().center());
    window.show();
    return QApplication::exec();
}
