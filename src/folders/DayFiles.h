#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// The files of a folder that a search of days covers, oldest first.
struct DayFiles {
    QStringList names;
    qsizetype skipped = 0; // names of a dated style that carry no valid date
};

// The folder's files of its name style dated from `from` to `to`, both included: for a dated
// style the date in the name counts, for any other style the local date of the last change.
DayFiles ChooseDayFiles(const QString& folder, const QString& filter, const QDate& from,
                        const QDate& to);

// The file that following takes up in a folder: of a dated style the newest file dated up to
// `today`, of any other style the matching file changed last. Without one, `fault` says why.
struct FollowChoice {
    QString name;
    QString fault; // "folder not found", "cannot read the folder", "no log file in the folder"
    bool listed = false; // the folder could be read
};
FollowChoice ChooseFollowedFile(const QString& folder, const QString& filter, const QDate& today);
