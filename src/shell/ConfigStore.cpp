#include "ConfigStore.h"

#include "base/LogFileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace config
{

namespace
{

QString Failure(const QFile& file)
{
    return QString::number(int(file.error())) + u' ' + file.errorString();
}

QString Failure(QFileDevice::FileError number, const QString& description)
{
    return QString::number(int(number)) + u' ' + description;
}

// The whole file, opened without waiting and only when it is a regular file; nullopt and
// `failure` set when it cannot be read.
std::optional<QByteArray> ReadWhole(const QString& path, QString* failure)
{
    LogFileAccess file;
    if (!file.Open(path)) {
        if (!QFileInfo(path).isFile()) {
            *failure = Failure(QFileDevice::OpenError, QStringLiteral("Not a regular file"));
            return std::nullopt;
        }
        QFile probe(path); // a regular file: opening it cannot wait; it tells why it fails
        probe.open(QIODevice::ReadOnly);
        *failure = Failure(probe);
        return std::nullopt;
    }
    QByteArray bytes(file.Size(), Qt::Uninitialized);
    if (file.ReadAt(0, bytes.data(), bytes.size()) != bytes.size()) {
        *failure = Failure(QFileDevice::ReadError, QStringLiteral("The file could not be read"));
        return std::nullopt;
    }
    return bytes;
}

bool Fail(QFileDevice& file, QString* error)
{
    *error = file.errorString();
    return false;
}

// For a file in a folder that takes no new file. QSaveFile's own fallback would truncate
// first, so a failure part-way would leave a damaged file: keep the old bytes, write and read
// back every byte, and put the old bytes back when anything fails.
bool WriteInPlace(const QString& path, const QByteArray& content, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return Fail(file, error);
    const QByteArray old = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Fail(file, error);
    const auto replace = [&file](const QByteArray& bytes) {
        return file.seek(0) && file.write(bytes) == bytes.size() && file.resize(bytes.size()) &&
               file.seek(0) && file.readAll() == bytes;
    };
    if (replace(content))
        return true;
    *error = file.errorString();
    if (!replace(old))
        *error += QStringLiteral("; the old content could not be restored");
    return false;
}

} // namespace

ReadResult ReadConfigFile(modMain::Settings& settings)
{
    using Status = ReadResult::Status;
    // exists() is false for a dangling link too: that one is created like a missing file.
    if (!QFileInfo::exists(settings.IniPath)) {
        QFile created(settings.IniPath);
        return {
            created.open(QIODevice::WriteOnly) ? Status::Created : Status::CreateFailed, {}, {}};
    }
    QString failure;
    const std::optional<QByteArray> bytes = ReadWhole(settings.IniPath, &failure);
    if (!bytes)
        return {Status::Failed, failure, {}};
    ParsedConfig parsed = ParseConfig(*bytes, settings);
    const Status status = parsed.invalidNumber > 0 ? Status::Invalid : Status::Read;
    return {status, {}, std::move(parsed)};
}

bool WriteConfigFile(const QString& path, const QByteArray& content, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (QFileInfo(path).isFile())
            return WriteInPlace(path, content, error);
        return Fail(file, error);
    }
    // The bytes wait in a buffer until flushed, and commit() would replace the old file even when
    // that flush failed for a full disk: flush and check first.
    if (file.write(content) != content.size() || !file.flush()) {
        Fail(file, error);
        file.cancelWriting();
        return false;
    }
    return file.commit() || Fail(file, error);
}

std::optional<AppliedChanges> ApplyToFile(const QString& path, const IniText& read,
                                          bool useDividers, const QList<FolderRow>& rows,
                                          QString* error)
{
    if (!QFileInfo::exists(path))
        return ApplyChanges(read, read, useDividers, rows);
    const std::optional<QByteArray> bytes = ReadWhole(path, error);
    if (!bytes)
        return std::nullopt;
    AppliedChanges applied = ApplyChanges(read, SplitLines(*bytes), useDividers, rows);
    applied.same = applied.bytes == *bytes;
    return applied;
}

QString ChooseIniPath(const QString& programDir, const QString& userConfigDir)
{
#ifdef TARVISK_USER_CONFIG
    constexpr bool installed = true; // an installed copy: per user, even when run as root
#else
    constexpr bool installed = false;
#endif
    const QString beside = QDir(programDir).filePath(QString::fromLatin1(FileName));
    if (!installed && (QFileInfo::exists(beside) || QFileInfo(programDir).isWritable()))
        return QDir::toNativeSeparators(beside);
    QDir().mkpath(userConfigDir);
    return QDir::toNativeSeparators(QDir(userConfigDir).filePath(QString::fromLatin1(FileName)));
}

} // namespace config
