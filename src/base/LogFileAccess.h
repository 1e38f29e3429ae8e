#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

// What an owner of readers may watch of their file access: the bytes read, and a call before
// each open with the path (tests change the file in between).
struct AccessWatch {
    qint64 bytesRead = 0;
    std::function<void(const QString&)> beforeOpen;
};

// Read-only access to a log file that its writer keeps appending to. Every platform difference
// of the readers lives in one file, LogFileAccess_posix.cpp (a port adds its own). Only regular
// files open: a FIFO, a device or a folder fails at once, without blocking. Sizes and positions
// are 64-bit.
class LogFileAccess
{
public:
    // What a poll needs to know of a file without reading it.
    struct Status {
        bool exists = false;
        qint64 size = 0;
        qint64 modified = 0; // nanoseconds, in the file system's own clock
        quint64 device = 0;  // device and inode (volume and file index): which file the path names
        quint64 inode = 0;
        bool regular = false; // not a folder, FIFO or device
        bool SameFile(const Status& other) const
        {
            return device == other.device && inode == other.inode;
        }
        bool operator==(const Status&) const = default;
    };
    static Status Stat(const QString& path);
    // Whether the path lies on a local file system whose kernel reports every change (ext2/3/4,
    // xfs, btrfs, tmpfs, f2fs); not on a share or a FUSE mount, nor where it cannot be asked.
    static bool OnLocalDisk(const QString& path);

    // `watch`, when given, counts what this access reads and is told of each open.
    explicit LogFileAccess(AccessWatch* watch = nullptr) : m_watch(watch) {}
    ~LogFileAccess() { Close(); }
    LogFileAccess(const LogFileAccess&) = delete;
    LogFileAccess& operator=(const LogFileAccess&) = delete;
    // The open file goes with the move.
    LogFileAccess(LogFileAccess&& other) noexcept;
    LogFileAccess& operator=(LogFileAccess&& other) noexcept;

    // False when the file cannot be opened; Error() then says why.
    bool Open(const QString& path);
    void Close();
    bool IsOpen() const { return m_handle != -1; }
    // The open file as it is now, wherever it went; not `exists` when none is open.
    Status OpenStatus() const;
    // Where the open file is found now (renamed or deleted since it was opened); the path it
    // was opened by when the platform cannot tell.
    QString CurrentPath() const;
    const QString& Error() const { return m_error; }
    // Size of the open file; 0 when none is open.
    qint64 Size() const;
    // Reads up to n bytes from the absolute position pos; returns how many were read (fewer at
    // the end of the file), -1 when nothing could be read because of a failure.
    qint64 ReadAt(qint64 pos, char* into, qint64 n);

private:
    AccessWatch* m_watch = nullptr;
    QString m_error;
    QString m_path;
    qintptr m_handle = -1; // file descriptor or HANDLE; -1 is also INVALID_HANDLE_VALUE
};
