#include "ProgramLauncher.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryFile>
#include <QTimer>

#ifdef Q_OS_WIN
#include <QProcess>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

ChildLauncher::ChildLauncher(QObject* parent) : QObject(parent) {}

#ifdef Q_OS_WIN

// Windows gives no exit status of a detached start here; the viewer is started and left alone.
bool ChildLauncher::Start(const QString& program, const QStringList& arguments,
                          const FailureReport&)
{
    qint64 pid = 0;
    return QProcess::startDetached(program, arguments, QString(), &pid) && pid != 0;
}

#else

namespace
{

QString ExitText(int status)
{
    if (WIFSIGNALED(status))
        return QStringLiteral("was ended by signal ") + QString::number(WTERMSIG(status));
    return QStringLiteral("ended with exit status ") + QString::number(WEXITSTATUS(status));
}

// The last line that is not empty, of at most the last 4 KiB written.
QString LastLine(QFile& file)
{
    file.seek(qMax<qint64>(0, file.size() - 4096));
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        if (!line->trimmed().isEmpty())
            return QString::fromLocal8Bit(line->trimmed());
    }
    return {};
}

// Follows one child: every 100 ms while a failure would still be reported, then every second
// until it has ended and is reaped.
class ChildWatch : public QObject
{
public:
    ChildWatch(pid_t pid, std::unique_ptr<QTemporaryFile> errors,
               const ProgramLauncher::FailureReport& failed, const QString& program,
               QObject* parent)
        : QObject(parent), m_pid(pid), m_errors(std::move(errors)), m_failed(failed),
          m_program(program)
    {
        m_age.start();
        connect(&m_timer, &QTimer::timeout, this, &ChildWatch::Poll);
        m_timer.start(100);
    }

private:
    void Poll()
    {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == 0) {
            if (m_age.elapsed() >= ChildLauncher::WatchMs)
                m_timer.setInterval(1000);
            return;
        }
        m_timer.stop();
        const bool failed = !WIFEXITED(status) || WEXITSTATUS(status) != 0;
        if (failed && m_failed && m_age.elapsed() < ChildLauncher::WatchMs) {
            const QString last = LastLine(*m_errors);
            m_failed(m_program + u' ' + ExitText(status) +
                     (last.isEmpty() ? QString() : QStringLiteral(":\n") + last));
        }
        deleteLater();
    }

    pid_t m_pid;
    std::unique_ptr<QTemporaryFile> m_errors;
    ProgramLauncher::FailureReport m_failed;
    QString m_program;
    QElapsedTimer m_age;
    QTimer m_timer;
};

} // namespace

bool ChildLauncher::Start(const QString& program, const QStringList& arguments,
                          const FailureReport& failed)
{
    auto errors = std::make_unique<QTemporaryFile>();
    if (!errors->open())
        return false;
    QList<QByteArray> args{QFile::encodeName(program)};
    for (const QString& argument : arguments)
        args.append(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, errors->handle(), STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A session of its own: a signal to Tarvisk's terminal or process group does not reach it.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    const int error =
        posix_spawnp(&pid, argv.front(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0 || pid <= 0)
        return false;
    new ChildWatch(pid, std::move(errors), failed, program, this);
    return true;
}

#endif
