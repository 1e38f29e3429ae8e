#include "shell/Main.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quorvel"));
    QApplication::setApplicationName(QStringLiteral("Tarvisk"));
    QApplication::setApplicationVersion(QStringLiteral(TARVISK_VERSION));
    return Main();
}
