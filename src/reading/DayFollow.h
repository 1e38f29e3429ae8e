#pragma once

#include "base/LogFileAccess.h"
#include "folders/DatedStyle.h"
#include "folders/FileListing.h"

#include <QDate>
#include <QMap>
#include <QString>

#include <optional>

namespace reading
{

// Finds where a log that starts a new file every day goes on: the earliest file of a later day
// than the followed one that holds content, up to today, or up to tomorrow while the followed
// file is today's (a server may name its files by another time zone's date).
class DayFollow
{
public:
    // Following moves on only for a dated style whose newest file with content is the followed
    // one.
    // A resumed run moves on from an older file too (`older`).
    static std::optional<DayFollow> At(const QString& folder, const QString& name,
                                       const QString& filter, const QDate& today, qint64 nowMs,
                                       bool older = false);

    // The name of the first later day's file that holds content, if any. Looks up the names
    // the style gives for those days, and the folder's listing (for names in another letter
    // case or with wildcards), read again at most once a minute and only when the folder
    // changed, a part at each look so that a folder of many thousand files never stalls the
    // window. Only regular files count.
    std::optional<QString> Next(const QDate& today, qint64 nowMs);
    // The later days' files with content that Next would move through up to today, in date
    // order, as the folder was last listed.
    QStringList Later(const QDate& today) const;
    // False when a file dated after today holds content already: as at the start, the run then
    // stays on this file.
    bool MovedTo(const QString& name, const QDate& today, qint64 nowMs);
    // The followed file is dated before today: today's file is a candidate.
    bool Behind(const QDate& today) const { return m_date < today; }
    // The day of the followed file.
    QDate Date() const { return m_date; }

private:
    explicit DayFollow(DatedStyle style) : m_style(std::move(style)) {}
    void List(qint64 nowMs);
    void ContinueListing(qsizetype entries);
    QDate LastCandidate(const QDate& today) const;
    QMap<QDate, QStringList> Candidates(const QDate& today) const;
    bool HoldsContent(const QString& name) const;

    DatedStyle m_style;
    QString m_folder;
    QDate m_date;
    QMap<QDate, QString> m_listed; // later days' files as the folder listed them
    qint64 m_listedAt = 0;
    LogFileAccess::Status m_folderListed; // the folder as it was when listed
    std::optional<FolderScan> m_scan;     // a listing under way
};

} // namespace reading
