#pragma once

#include <QString>
#include <QtGlobal>

// Read-only access to a log file that its writer keeps appending to. Every platform difference
// of the readers lives in LogFileAccess.cpp. Only regular files open: a FIFO, a device or a
// folder fails at once, without blocking. Sizes and positions are 64-bit.
class LogFileAccess
{
public:
    LogFileAccess() = default;
    ~LogFileAccess() { Close(); }
    LogFileAccess(const LogFileAccess&) = delete;
    LogFileAccess& operator=(const LogFileAccess&) = delete;

    bool Open(const QString& path);
    void Close();
    // Size of the open file; 0 when none is open.
    qint64 Size() const;
    // Reads up to n bytes from the absolute position pos; returns how many were read (fewer at
    // the end of the file), -1 when nothing could be read because of a failure.
    qint64 ReadAt(qint64 pos, char* into, qint64 n);

private:
    qintptr m_handle = -1; // file descriptor or HANDLE; -1 is also INVALID_HANDLE_VALUE
};
