#include "folders/DayFiles.h"

#include "base/LogFileAccess.h"
#include "folders/DatedStyle.h"
#include "folders/FileListing.h"
#include "folders/FilterPattern.h"

#include <QDir>
#include <QFileInfo>

DayFiles ChooseDayFiles(const QString& folder, const QString& filter, const QDate& from,
                        const QDate& to)
{
    DayFiles chosen;
    const std::optional<QString> pattern = FilterToPattern(filter);
    if (!pattern)
        return chosen;
    QList<DatedFile> files;
    if (const std::optional<DatedStyle> dated = DatedStyle::From(filter)) {
        files = ListDatedFiles(folder, *dated, *pattern, &chosen.skipped);
    } else {
        for (const QString& name : ListMatchingFiles(folder, *pattern))
            files.append({QFileInfo(QDir(folder).filePath(name)).lastModified().date(), name});
        SortByDate(files);
    }
    for (const DatedFile& file : files) {
        if (file.date >= from && file.date <= to)
            chosen.names.append(file.name);
    }
    return chosen;
}

FollowChoice ChooseFollowedFile(const QString& folder, const QString& filter, const QDate& today)
{
    FollowChoice choice;
    bool exists = false, read = false;
    QStringList names = ListRegularFiles(folder, &exists, &read);
    choice.listed = read;
    const std::optional<QString> pattern = FilterToPattern(filter);
    names = pattern ? FilterNames(names, *pattern) : QStringList();
    if (const std::optional<DatedStyle> dated = DatedStyle::From(filter)) {
        for (const DatedFile& file : DatedFiles(names, *dated)) {
            if (file.date <= today)
                choice.name = file.name;
        }
    } else {
        qint64 latest = -1;
        for (const QString& name : names) {
            const qint64 changed = LogFileAccess::Stat(QDir(folder).filePath(name)).modified;
            if (changed > latest)
                std::tie(latest, choice.name) = std::pair(changed, name);
        }
    }
    if (choice.name.isEmpty())
        choice.fault = !exists ? QStringLiteral("folder not found")
                       : !read ? QStringLiteral("cannot read the folder")
                               : QStringLiteral("no log file in the folder");
    return choice;
}
