#pragma once

#include "base/LogFolder.h"
#include "settings/modMain.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The format of the configuration file "tarvisk.ini", without file access: its kinds of line,
// its bytes read into the settings and a list of folders, and the bytes a save writes so that
// only what changed is rewritten.
namespace config
{

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

// The file's bytes as read: its lines, its folder lines in their order, and the first line that
// cannot be interpreted, if any (then the program must end).
struct ParsedConfig {
    IniText text;
    QList<LogFolder> folders;
    qsizetype invalidNumber = 0; // the offending line's number, from 1; 0: none
    QString invalidLine;
};

// Reads `bytes` into the settings' ExtViewer and UseDividers and the result's folders. Blank
// lines are skipped like comments; an empty EXTVIEWER reads as the default viewer.
ParsedConfig ParseConfig(const QByteArray& bytes, modMain::Settings& settings);

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

// What a save writes when another window may have saved since `read`: this window's own changes
// (rows added, edited, removed; the divider setting when it differs from `read`'s) applied to the
// file as it is now, so that the other window's folders stay. An edited or removed row finds its
// line in `now` by the text that line had in `read`, wherever it has moved; one whose line is gone
// is not applied but named in `missing`.
struct AppliedChanges {
    QByteArray bytes;
    QStringList missing; // the lines, as read, of rows edited or removed here that are gone
    bool same = false;   // the file holds these bytes already: nothing to write
};
AppliedChanges ApplyChanges(const IniText& read, const IniText& now, bool useDividers,
                            const QList<FolderRow>& rows);

} // namespace config
