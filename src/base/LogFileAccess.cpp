#include "LogFileAccess.h"

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN

namespace
{
HANDLE Native(qintptr handle)
{
    return reinterpret_cast<HANDLE>(handle);
}
} // namespace

bool LogFileAccess::Open(const QString& path)
{
    Close();
    if (BeforeOpen)
        BeforeOpen(path);
    m_error = QStringLiteral("Invalid file name");
    if (path.contains(QChar(0)))
        return false;
    // Delete sharing lets the server rotate its log while we read it.
    const HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        m_error = qt_error_string(int(GetLastError()));
        return false;
    }
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        m_error = QStringLiteral("Not a regular file");
        return false;
    }
    m_error.clear();
    m_handle = reinterpret_cast<qintptr>(file);
    return true;
}

void LogFileAccess::Close()
{
    if (m_handle != -1)
        CloseHandle(Native(m_handle));
    m_handle = -1;
}

qint64 LogFileAccess::Size() const
{
    LARGE_INTEGER size;
    if (m_handle == -1 || !GetFileSizeEx(Native(m_handle), &size))
        return 0;
    return size.QuadPart;
}

qint64 LogFileAccess::ReadAt(qint64 pos, char* into, qint64 n)
{
    if (m_handle == -1 || pos < 0)
        return -1;
    qint64 done = 0;
    while (done < n) {
        OVERLAPPED at{};
        at.Offset = DWORD(quint64(pos + done) & 0xFFFFFFFFu);
        at.OffsetHigh = DWORD(quint64(pos + done) >> 32);
        DWORD got = 0;
        const DWORD want = DWORD(qMin<qint64>(n - done, 1 << 30));
        if (!ReadFile(Native(m_handle), into + done, want, &got, &at) || got == 0)
            break;
        done += got;
    }
    s_bytesRead += done;
    return done;
}

LogFileAccess::Status LogFileAccess::Stat(const QString& path)
{
    Status status;
    const HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return status;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(file, &info)) {
        status.exists = true;
        status.size = qint64(quint64(info.nFileSizeHigh) << 32 | info.nFileSizeLow);
        status.modified = qint64(quint64(info.ftLastWriteTime.dwHighDateTime) << 32 |
                                 info.ftLastWriteTime.dwLowDateTime) *
                          100;
        status.device = info.dwVolumeSerialNumber;
        status.inode = quint64(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
    }
    CloseHandle(file);
    return status;
}

#else

bool LogFileAccess::Open(const QString& path)
{
    Close();
    if (m_watch && m_watch->beforeOpen)
        m_watch->beforeOpen(path);
    m_error = QStringLiteral("Invalid file name");
    if (path.contains(QChar(0)))
        return false;
    const QByteArray native = QFile::encodeName(path);
    // O_NONBLOCK: opening a FIFO without a writer must not wait for one.
    int fd;
    do {
        fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        m_error = qt_error_string(errno);
        return false;
    }
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        m_error = QStringLiteral("Not a regular file");
        return false;
    }
    m_error.clear();
    m_handle = fd;
    return true;
}

void LogFileAccess::Close()
{
    if (m_handle != -1)
        ::close(int(m_handle));
    m_handle = -1;
}

qint64 LogFileAccess::Size() const
{
    struct stat status;
    if (m_handle == -1 || ::fstat(int(m_handle), &status) != 0)
        return 0;
    return status.st_size;
}

qint64 LogFileAccess::ReadAt(qint64 pos, char* into, qint64 n)
{
    if (m_handle == -1 || pos < 0)
        return -1;
    qint64 done = 0;
    ssize_t got = 0;
    while (done < n) {
        got = ::pread(int(m_handle), into + done, size_t(n - done), off_t(pos + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += got;
    }
    if (m_watch)
        m_watch->bytesRead += done;
    return done > 0 || got == 0 ? done : -1;
}

LogFileAccess::Status LogFileAccess::Stat(const QString& path)
{
    Status status;
    struct stat info;
    if (path.contains(QChar(0)) || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return status;
    status.exists = true;
    status.size = info.st_size;
    status.modified = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    status.device = info.st_dev;
    status.inode = info.st_ino;
    return status;
}

#endif
