#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

// Starts another program: the file manager for a folder, the external viewer for a file. The
// window code starts programs only through this, so tests record what would be started.
class ProgramLauncher
{
public:
    // Told when a started program ends with a failure soon after its start: a text that gives
    // its status and the last line it wrote to its standard error.
    using FailureReport = std::function<void(const QString& report)>;

    virtual ~ProgramLauncher() = default;
    // Starts `program` with `arguments`, each passed as it is (no shell, no splitting), and
    // does not wait for it. False when it could not be started. With `failed`, the program is
    // watched for its first seconds; a non-zero exit in that time is reported.
    virtual bool Start(const QString& program, const QStringList& arguments,
                       const FailureReport& failed = {}) = 0;
};

// Starts the program as a child of its own session that Tarvisk never kills and that outlives
// it. Its standard error goes to a temporary file. A watched child is asked about with
// waitpid(WNOHANG) for 3 seconds; every child is reaped once it ends, so none stays a zombie.
class ChildLauncher final : public QObject, public ProgramLauncher
{

public:
    explicit ChildLauncher(QObject* parent = nullptr);
    bool Start(const QString& program, const QStringList& arguments,
               const FailureReport& failed = {}) override;

    // How long a failure still counts as one of starting.
    static constexpr int WatchMs = 3000;
};
