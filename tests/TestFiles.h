#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Writes `bytes` to `path`, replacing what was there.
inline bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Adds `bytes` at the end of `path`, as a log's writer does.
inline bool Append(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::Append) && file.write(bytes) == bytes.size();
}

inline QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

#ifdef Q_OS_LINUX
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// While it lives, root reads and searches only what the permission bits allow, as any other
// user does: the capabilities that override them leave the effective set.
class WithoutReadOverride
{
public:
    WithoutReadOverride() { Set(false); }
    ~WithoutReadOverride() { Set(true); }
    WithoutReadOverride(const WithoutReadOverride&) = delete;
    WithoutReadOverride& operator=(const WithoutReadOverride&) = delete;

private:
    static void Set(bool on)
    {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2]{};
        if (syscall(SYS_capget, &header, data) != 0)
            return;
        const quint32 bits = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
        data[0].effective =
            on ? data[0].effective | (data[0].permitted & bits) : data[0].effective & ~bits;
        syscall(SYS_capset, &header, data);
    }
};
#endif
