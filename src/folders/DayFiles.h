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
// style the date in the name counts, for any other style the local date of the last change. Of a
// day found both plain and compressed only the plain file is taken.
DayFiles ChooseDayFiles(const QString& folder, const QString& filter, const QDate& from,
                        const QDate& to);
