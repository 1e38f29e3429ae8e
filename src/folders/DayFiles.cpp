#include "folders/DayFiles.h"

#include "folders/DatedStyle.h"
#include "folders/FileListing.h"
#include "folders/FilterPattern.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

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
    // A day both plain and compressed is being compressed: its plain file is the whole day.
    QSet<QString> plain;
    for (const DatedFile& file : files)
        plain.insert(file.name);
    for (const DatedFile& file : files) {
        if (file.date >= from && file.date <= to &&
            !(IsCompressedName(file.name) &&
              plain.contains(WithoutCompression(file.name).toString())))
            chosen.names.append(file.name);
    }
    return chosen;
}
