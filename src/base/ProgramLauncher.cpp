#include "ProgramLauncher.h"

#include <QProcess>

bool DetachedLauncher::Start(const QString& program, const QStringList& arguments)
{
    qint64 pid = 0;
    return QProcess::startDetached(program, arguments, QString(), &pid) && pid != 0;
}
