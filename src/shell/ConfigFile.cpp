#include "ConfigFile.h"

#include "settings/modMain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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
}

QString Failure(const QFile& file)
{
    return QString::number(int(file.error())) + u' ' + file.errorString();
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

QStringList SplitLines(const QByteArray& bytes)
{
    QByteArrayView rest(bytes);
    if (rest.startsWith("\xEF\xBB\xBF"))
        rest = rest.sliced(3);
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const char c = rest[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append(QString::fromLocal8Bit(rest.sliced(start, i - start)));
        if (c == '\r' && i + 1 < rest.size() && rest[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < rest.size())
        lines.append(QString::fromLocal8Bit(rest.sliced(start)));
    return lines;
}

ReadResult ReadConfigFile()
{
    using Status = ReadResult::Status;
    QFile file(modMain::IniPath);
    ResetStaging();
    if (!QFileInfo::exists(modMain::IniPath)) {
        QFile created(modMain::IniPath);
        if (!created.open(QIODevice::WriteOnly))
            return {Status::CreateFailed, {}, {}};
        return {Status::Created, {}, {}};
    }
    if (!file.open(QIODevice::ReadOnly))
        return {Status::Failed, {}, Failure(file)};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {Status::Failed, {}, Failure(file)};

    for (const QString& line : SplitLines(bytes)) {
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
                            const QList<LogFolder>& rows)
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
    for (const LogFolder& row : rows)
        lines.append(row.Name + u',' + row.Path + u',' + row.Filter);
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toLocal8Bit() + "\r\n";
    return bytes;
}

bool WriteConfigFile(const QString& path, const QByteArray& content, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
        *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

QString ChooseIniPath(const QString& programDir, const QString& userConfigDir)
{
    const QString beside = QDir(programDir).filePath(QString::fromLatin1(FileName));
    if (QFileInfo::exists(beside) || QFileInfo(programDir).isWritable())
        return QDir::toNativeSeparators(beside);
    QDir().mkpath(userConfigDir);
    return QDir::toNativeSeparators(QDir(userConfigDir).filePath(QString::fromLatin1(FileName)));
}

} // namespace config
