#include "ConfigFile.h"

#include "base/LogFileAccess.h"
#include "settings/modMain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <optional>

namespace config
{

namespace
{

// Keys and the SPLITLINES value are compared without surrounding blanks; tabs count as text.
QString TrimBlanks(const QString& s)
{
    qsizetype first = 0;
    qsizetype last = s.size();
    while (first < last && s.at(first) == u' ')
        ++first;
    while (last > first && s.at(last - 1) == u' ')
        --last;
    return s.mid(first, last - first);
}

void ResetStaging()
{
    modMain::FolderNames = QStringList{QString()};
    modMain::FolderPaths = QStringList{QString()};
    modMain::FolderFilters = QStringList{QString()};
    modMain::FolderLines = QList<QByteArray>{QByteArray()};
}

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

// A line in the system's encoding. A U+FEFF at its start is text the user typed (the file's
// own byte-order mark is gone before lines are split), so it is kept.
QString DecodeLine(QByteArrayView raw)
{
    QStringDecoder decode(QStringConverter::System, QStringConverter::Flag::ConvertInitialBom);
    return decode(raw);
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

ParsedLine ClassifyLine(const QString& line)
{
    ParsedLine parsed;
    if (line.startsWith(u';')) {
        parsed.kind = LineKind::Comment;
        return parsed;
    }
    if (line.count(u'=') == 1) {
        const qsizetype eq = line.indexOf(u'=');
        parsed.kind = LineKind::Setting;
        parsed.key = TrimBlanks(line.left(eq)).toUpper();
        parsed.value = line.mid(eq + 1);
        return parsed;
    }
    const QStringList fields = line.split(u',');
    if (fields.size() == 3) {
        parsed.kind = LineKind::Folder;
        parsed.folder = {fields[0], fields[1], fields[2]};
    }
    return parsed;
}

QList<QByteArray> SplitLines(const QByteArray& bytes)
{
    QByteArrayView rest(bytes);
    if (rest.startsWith("\xEF\xBB\xBF"))
        rest = rest.sliced(3);
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const char c = rest[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append(rest.sliced(start, i - start).toByteArray());
        if (c == '\r' && i + 1 < rest.size() && rest[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < rest.size())
        lines.append(rest.sliced(start).toByteArray());
    return lines;
}

ReadResult ReadConfigFile()
{
    using Status = ReadResult::Status;
    ResetStaging();
    // exists() is false for a dangling link too: that one is created like a missing file.
    if (!QFileInfo::exists(modMain::IniPath)) {
        QFile created(modMain::IniPath);
        if (!created.open(QIODevice::WriteOnly))
            return {Status::CreateFailed, {}, {}};
        return {Status::Created, {}, {}};
    }
    QString failure;
    const std::optional<QByteArray> bytes = ReadWhole(modMain::IniPath, &failure);
    if (!bytes)
        return {Status::Failed, {}, failure};

    for (const QByteArray& raw : SplitLines(*bytes)) {
        const QString line = DecodeLine(raw);
        const ParsedLine parsed = ClassifyLine(line);
        switch (parsed.kind) {
        case LineKind::Comment:
            break;
        case LineKind::Setting:
            // Only the SPLITLINES line decides the dividers; other keys leave them alone.
            if (parsed.key == u"EXTVIEWER")
                modMain::ExtViewer = parsed.value;
            else if (parsed.key == u"SPLITLINES")
                modMain::UseDividers = TrimBlanks(parsed.value).toUpper() == u"TRUE";
            break;
        case LineKind::Folder:
            modMain::FolderNames.append(parsed.folder.Name);
            modMain::FolderPaths.append(parsed.folder.Path);
            modMain::FolderFilters.append(parsed.folder.Filter);
            modMain::FolderLines.append(raw);
            break;
        case LineKind::Invalid:
            return {Status::Invalid, line, {}};
        }
    }
    if (modMain::ExtViewer.isEmpty())
        modMain::ExtViewer = QString::fromLatin1(modMain::DefaultViewer);
    return {Status::Read, {}, {}};
}

QString InvalidDataTitle()
{
    return QStringLiteral("Invalid data in Tarvisk.ini");
}

QString InvalidDataText(const QString& line)
{
    return QStringLiteral("Invalid data in Tarvisk.ini, please verify that syntax rules are "
                          "followed\n\nUnable to interpret: ") +
           line;
}

QByteArray FormatConfigFile(const QString& extViewer, bool useDividers,
                            const QList<LogFolder>& rows, const QList<QByteArray>& readLines)
{
    QStringList lines = {
        QStringLiteral(";"),
        QStringLiteral("; Tarvisk Application ini-file "),
        QStringLiteral("; Quorvel, 2003"),
        QStringLiteral(";"),
        QStringLiteral("EXTVIEWER=") + extViewer,
        useDividers ? QStringLiteral("SPLITLINES=TRUE") : QStringLiteral("SPLITLINES=FALSE"),
        QStringLiteral(";"),
    };
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toLocal8Bit() + "\r\n";
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const LogFolder& row = rows[i];
        const QByteArray read = readLines.value(i);
        const ParsedLine before = ClassifyLine(DecodeLine(read));
        const bool unchanged = before.kind == LineKind::Folder && before.folder == row;
        bytes += unchanged ? read : (row.Name + u',' + row.Path + u',' + row.Filter).toLocal8Bit();
        bytes += "\r\n";
    }
    return bytes;
}

bool WriteConfigFile(const QString& path, const QByteArray& content, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (QFileInfo(path).isFile())
            return WriteInPlace(path, content, error);
        return Fail(file, error);
    }
    if (file.write(content) != content.size()) {
        Fail(file, error);
        file.cancelWriting();
        return false;
    }
    return file.commit() || Fail(file, error);
}

QString NotSavedUnreadableText(const QString& path)
{
    return QStringLiteral("The settings were not saved: ") + path +
           QStringLiteral(" could not be read when Tarvisk started, so it was left as it is.");
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
