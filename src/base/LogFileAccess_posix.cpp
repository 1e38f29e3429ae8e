// LogFileAccess on POSIX. A port to another platform adds its own file in place of this one.
#include "LogFileAccess.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <utility>

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
    m_path = path;
    return true;
}

LogFileAccess::LogFileAccess(LogFileAccess&& other) noexcept
    : m_watch(other.m_watch), m_error(std::move(other.m_error)), m_path(std::move(other.m_path)),
      m_handle(std::exchange(other.m_handle, -1))
{
}

LogFileAccess& LogFileAccess::operator=(LogFileAccess&& other) noexcept
{
    if (this != &other) {
        Close();
        m_watch = other.m_watch;
        m_error = std::move(other.m_error);
        m_path = std::move(other.m_path);
        m_handle = std::exchange(other.m_handle, -1);
    }
    return *this;
}

QString LogFileAccess::CurrentPath() const
{
    // Linux names an open file's present place, " (deleted)" appended once it has none.
    const QString link =
        m_handle == -1 ? QString()
                       : QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(m_handle));
    return link.isEmpty() ? m_path : link;
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

namespace
{
LogFileAccess::Status StatusOf(const struct stat& info)
{
    LogFileAccess::Status status;
    status.exists = true;
    status.regular = S_ISREG(info.st_mode);
    status.size = info.st_size;
    status.modified = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    status.device = info.st_dev;
    status.inode = info.st_ino;
    return status;
}
} // namespace

LogFileAccess::Status LogFileAccess::Stat(const QString& path)
{
    struct stat info;
    if (path.contains(QChar(0)) || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return StatusOf(info);
}

LogFileAccess::Status LogFileAccess::OpenStatus() const
{
    struct stat info;
    if (m_handle == -1 || ::fstat(int(m_handle), &info) != 0)
        return {};
    return StatusOf(info);
}

bool LogFileAccess::OnLocalDisk(const QString& path)
{
    // The kernel's magic numbers of these file systems (linux/magic.h).
    constexpr unsigned long Local[] = {0xEF53, 0x58465342, 0x9123683E, 0x01021994, 0xF2F52010};
    struct statfs info;
    if (path.contains(QChar(0)) || ::statfs(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return std::find(std::begin(Local), std::end(Local), (unsigned long)(info.f_type)) !=
           std::end(Local);
}
