#pragma once

#include "base/LogFolder.h"
#include "base/MessageBox.h"
#include "settings/modMain.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The configuration file "tarvisk.ini": its kinds of line, reading it into the settings and a
// list of folders, and writing it back so that only what changed is rewritten.
namespace config
{

inline constexpr auto FileName = "tarvisk.ini";

enum class LineKind { Comment, Blank, Setting, Folder, Invalid };

struct ParsedLine {
    LineKind kind = LineKind::Invalid;
    QString key;   // Setting: upper-cased, blanks around removed
    QString value; // Setting: as written after the "="
    LogFolder folder;
};

ParsedLine ClassifyLine(const QString& line);

// One line of the file as read: its bytes, its own line end ("\r\n", "\r", "\n", or nothing
// on a last line without one) and what it says.
struct IniLine {
    QByteArray text;
    QByteArray end;
    ParsedLine parsed;
};

// The file as read, so that a save keeps every line it does not change byte for byte.
struct IniText {
    bool bom = false; // a UTF-8 byte-order mark before the first line
    QList<IniLine> lines;
};

// Lines of the file's bytes: CR LF, a lone CR and a lone LF each end one; a UTF-8 byte-order
// mark at the start is set apart.
IniText SplitLines(const QByteArray& bytes);

struct ReadResult {
    enum class Status {
        Read,         // the file was read; settings and folders are set
        Created,      // there was no file; an empty one was made, start values kept
        CreateFailed, // there was no file and none could be made
        Invalid,      // a line could not be interpreted: the program must end
        Failed,       // the file exists but could not be read (or is no regular file)
    };
    Status status = Status::Read;
    QString invalidLine;         // Invalid: the offending line
    qsizetype invalidNumber = 0; // Invalid: its line number, from 1
    QString failure;             // Failed: error number, a blank and the description
    IniText text;                // Read: the file's lines
    QList<LogFolder> folders;    // Read: the folder lines, in their order
};

// Reads the file at settings.IniPath into its ExtViewer and UseDividers and the result's
// folders. Only a regular file is opened, and never in a way that waits (a FIFO, a folder:
// Failed). Blank lines are skipped like comments.
ReadResult ReadConfigFile(modMain::Settings& settings);

// The texts of the start-up messages about the file at `path`.
QString InvalidDataTitle();
QString InvalidDataText(const QString& line, qsizetype number, const QString& path);
QString ReadFailedText(const QString& failure, const QString& path);

// A row of the folder list and where it came from: its place among the folder lines of the
// file as read (0 for the first), or -1 for a row added in this run.
struct FolderRow {
    LogFolder folder;
    qsizetype origin = -1;
    friend bool operator==(const FolderRow&, const FolderRow&) = default;
};

// The file's bytes after this run: `read` with its comments, blank lines, line ends and
// byte-order mark kept. A row whose line still reads the same keeps that line's bytes; a changed
// row or setting is rewritten in place, the line of a removed row goes, new rows follow the last
// folder line, a missing key is added before the folders. A new or empty file gets the full
// header. New and rewritten lines end like the file's first line (CR LF in a new file).
QByteArray FormatConfigFile(const IniText& read, const QString& extViewer, bool useDividers,
                            const QList<FolderRow>& rows);
// The same for a new file.
QByteArray FormatConfigFile(const QString& extViewer, bool useDividers,
                            const QList<LogFolder>& rows);

// Whether the rows or the divider setting differ from what `read` holds.
bool FoldersChanged(const IniText& read, bool useDividers, const QList<FolderRow>& rows);

// Replaces the file at `path`: on any failure the old file stays byte for byte as it was and
// `error` says why. Atomic through a new file; where the folder takes no new file but the file
// itself is writable, rewritten in place with the old bytes put back when anything fails.
bool WriteConfigFile(const QString& path, const QByteArray& content, QString* error);

// Quit's save: writes, and after a failure asks whether to try again, quit without saving or
// stay, until one of them is chosen.
enum class QuitSave { Saved, QuitWithoutSaving, Cancelled };
QuitSave SaveOnQuit(const QString& path, const QByteArray& content, MessageBox& messages);

// The question of a window closed by its frame with changes not saved.
Message SaveChangesQuestion();

// The message of a Quit that leaves a file alone because it could not be read at start.
QString NotSavedUnreadableText(const QString& path);

// "tarvisk.ini" beside the program when that folder holds it or can take it; otherwise in the
// user's configuration folder, which is created when needed.
QString ChooseIniPath(const QString& programDir, const QString& userConfigDir);

} // namespace config
