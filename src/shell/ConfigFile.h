#pragma once

#include "base/LogFolder.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The configuration file "tarvisk.ini": its kinds of line, reading it into the settings and the
// staging arrays of modMain, and writing it back from the settings and the folder rows.
namespace config
{

inline constexpr auto FileName = "tarvisk.ini";

enum class LineKind { Comment, Setting, Folder, Invalid };

struct ParsedLine {
    LineKind kind = LineKind::Invalid;
    QString key;   // Setting: upper-cased, blanks around removed
    QString value; // Setting: as written after the "="
    LogFolder folder;
};

ParsedLine ClassifyLine(const QString& line);

// Lines of the file's bytes: CR LF, a lone CR and a lone LF each end one; a UTF-8 byte-order
// mark at the start is dropped.
QList<QByteArray> SplitLines(const QByteArray& bytes);

struct ReadResult {
    enum class Status {
        Read,         // the file was read; settings and staging arrays are set
        Created,      // there was no file; an empty one was made, start values kept
        CreateFailed, // there was no file and none could be made
        Invalid,      // a line could not be interpreted: the program must end
        Failed,       // the file exists but could not be read (or is no regular file)
    };
    Status status = Status::Read;
    QString invalidLine; // Invalid: the offending line
    QString failure;     // Failed: error number, a blank and the description
};

// Reads modMain::IniPath into ExtViewer, UseDividers and the staging arrays of modMain. Only a
// regular file is opened, and never in a way that waits (a FIFO, a folder: Failed).
ReadResult ReadConfigFile();

// The text of the invalid-data message for one offending line.
QString InvalidDataTitle();
QString InvalidDataText(const QString& line);

// The file's bytes as the program writes them: seven header lines, then one line per folder,
// every line ending in CR LF. readLines[i], when given, holds row i's line as it was read: a row
// that still reads the same from it is written with exactly those bytes, so a path written on
// another system (not valid in this system's encoding) survives unchanged.
QByteArray FormatConfigFile(const QString& extViewer, bool useDividers,
                            const QList<LogFolder>& rows, const QList<QByteArray>& readLines = {});

// Replaces the file at `path`: on any failure the old file stays byte for byte as it was and
// `error` says why. Atomic through a new file; where the folder takes no new file but the file
// itself is writable, rewritten in place with the old bytes put back when anything fails.
bool WriteConfigFile(const QString& path, const QByteArray& content, QString* error);

// The message of a Quit that leaves a file alone because it could not be read at start.
QString NotSavedUnreadableText(const QString& path);

// "tarvisk.ini" beside the program when that folder holds it or can take it; otherwise in the
// user's configuration folder, which is created when needed.
QString ChooseIniPath(const QString& programDir, const QString& userConfigDir);

} // namespace config
