#pragma once

#include "base/ProgramLauncher.h"

// Records every program start instead of starting it; answers with a preset result.
class FakeLauncher final : public ProgramLauncher
{
public:
    bool Start(const QString& program, const QStringList& arguments, const FailureReport&) override
    {
        started.append(QStringList{program} + arguments);
        return succeeds;
    }

    QList<QStringList> started; // program, then its arguments
    bool succeeds = true;
};
