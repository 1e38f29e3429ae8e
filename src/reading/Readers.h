#pragma once

#include "LineAssembly.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <map>

class LogFileAccess;

// The two readers of a log file that is still being written. Both deliver raw bytes into the
// caller's buffer of Wanted + 1 bytes and never interpret lines; Wanted is the readers' window,
// the TailBytes setting.
namespace reading
{

// More than this much content behind at one read is cut: reading resumes this far before the
// content end.
inline constexpr qint64 BacklogCut = qint64(256) << 20;
// How many bytes before LastReadPos tell whether the file still holds what was read.
inline constexpr qint64 SeenBytes = 64;

// Sets the caption of lblFileSize.
using SizeCaption = std::function<void(const QString&)>;

// "Filesize: " and the size in decimal digits.
QString FileSizeCaption(qint64 size);

// The content end a backlog found when it began, and the size the file had then: its slices
// read on up to there without reading the file's last window again. Only the descriptor that
// found it uses it.
struct BacklogEnd {
    qint64 end = -1; // none
    char held = 0;   // the byte at the content end
    qint64 size = 0;
};

// How far following has read one file. Kept per file path, so that a Tail of one file never
// disturbs following another.
struct FileReading {
    qint64 LastReadPos = 0; // offset of the byte held back at the end of the latest delivery
    bool started = false;   // before the first delivery, following starts with the last window
    QByteArray seen;        // the bytes read up to LastReadPos, the held-back byte included
    QString failure;        // why the latest read could not open the file; empty when it could
    LineMaker maker{NulByte::Character};
    bool unfinishedShown = false; // Tail shows the maker's unterminated rest as a row
    BacklogEnd backlog;
};

// The reading state of every file that Tail and following have read, by path. The main window
// owns it and hands it to Tail and to following.
class ReadingStore
{
public:
    // The reading state of a path, made on first use.
    FileReading& ReadingOf(const QString& Path) { return m_readings[Path]; }
    // Following the path starts afresh, with the file's last window.
    void ForgetReading(const QString& Path) { m_readings.erase(Path); }
    // Following the path starts afresh with the file's first byte.
    void ReadFromStart(const QString& Path);
    // Following the path goes on after `end`, where a line starts, as long as the file holds
    // `before` just before it; otherwise the file is new and read from its first byte.
    void ResumeAt(const QString& Path, qint64 end, const QByteArray& before);

private:
    std::map<QString, FileReading> m_readings;
};

// The end of the file for the Tail command: normally the Wanted bytes before the content end
// (the last byte that is not NUL), then NUL. Returns the number of bytes placed in Buffer, or
// -1 when the file cannot be opened (then nothing else happens). `where`, when given, receives
// where the bytes came from and the byte held back at the content end. `state`, when given, is
// left at the tail's end, so that following goes on from there.
qint64 ReadTail(const QString& Path, QByteArray& Buffer, qint64 Wanted, const SizeCaption& setSize,
                Delivery* where = nullptr, FileReading* state = nullptr);

// What was appended since the previous delivery (LastReadPos), for following a file. Returns
// -1 when the file cannot be opened (`state` then says why), 0 when nothing is new, otherwise
// the number of bytes placed in Buffer, the last of them NUL. The byte at the content end is
// held back and begins the next delivery. The first delivery is the file's last window; after
// it, a file whose bytes before LastReadPos are no longer those read holds new content and is
// read from byte 0. A file that has no content yet (missing, empty or NUL alone) is read from
// byte 0 once it has. A delivery holds at most Wanted - 1 bytes: `where` says whether more is
// waiting. A backlog over 256 MiB is cut to its last 256 MiB; the content end is looked for once
// a backlog, while the file keeps what was read and its size. The caller keeps the file open
// between reads (OpenForReading).
qint64 ReadAppended(LogFileAccess& file, QByteArray& Buffer, qint64 Wanted,
                    const SizeCaption& setSize, Delivery* where, FileReading& state);
// Opens a file for ReadAppended; false, with `state` saying why, when it cannot be opened.
bool OpenForReading(LogFileAccess& file, const QString& Path, FileReading& state);

} // namespace reading
