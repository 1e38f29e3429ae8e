#pragma once

#include <QString>
#include <QStringList>

// Starts another program: the file manager for a folder, the external viewer for a file. The
// window code starts programs only through this, so tests record what would be started.
class ProgramLauncher
{
public:
    virtual ~ProgramLauncher() = default;
    // Starts `program` with `arguments`, each passed as it is (no shell, no splitting), and
    // does not wait for it. False when it could not be started.
    virtual bool Start(const QString& program, const QStringList& arguments) = 0;
};

// Starts the program as a process of its own that outlives Tarvisk.
class DetachedLauncher final : public ProgramLauncher
{
public:
    bool Start(const QString& program, const QStringList& arguments) override;
};
