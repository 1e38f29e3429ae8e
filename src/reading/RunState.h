#pragma once

#include "base/LogFolder.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace reading
{

// How far a followed file had been shown: every line up to `end`.
struct FileResume {
    QString path;      // empty: the folder held no file to follow
    qint64 end = -1;   // just after the last complete line read; -1: nothing read yet
    QByteArray before; // the bytes before `end`, up to 64, which tell the same file
    QDate date;        // the day it was followed for
};

// A follow run as it stood, kept so that the next start goes on where it ended.
struct RunState {
    QString path;             // the file of a run on one file
    QString filter;           // its folder's name style
    QList<LogFolder> folders; // a run over several folders
    bool dividers = true;
    QDateTime taken;
    QList<FileResume> files; // one for each followed folder, in the run's order
};

// The run as text for the state file, and back; nothing when the text is not one.
QByteArray RunStateText(const RunState& run);
std::optional<RunState> RunStateFrom(const QByteArray& text);

} // namespace reading
