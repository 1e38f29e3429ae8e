#pragma once

#include "DaySearch.h"
#include "Search.h"
#include "base/LogFolder.h"

#include <QDate>
#include <QList>
#include <QObject>
#include <QString>

namespace reading
{
class OutputList;
}

namespace search
{

// A folder whose days are searched, its name style and its description.
struct DayFolder {
    QString path;
    QString filter;
    QString name = {};
};

// The folders a search of days covers: each selected one when several are selected (as a run
// that follows them), otherwise the one whose files are listed.
QList<DayFolder> DaySearchFolders(const QList<LogFolder>& selected, const DayFolder& listed);

// A search of the folder's days as the output window shows it: it replaces the list's lines,
// as Tail does, adds what the worker finds as it arrives, and when the search ends or is
// cancelled marks exactly the matching lines and makes the first of them current, as a count
// of the search dialog does.
class DayResults : public QObject
{
    Q_OBJECT

public:
    explicit DayResults(reading::OutputList& lstRows, QObject* parent = nullptr);

    // Searches the files of each folder's name style dated from `from` to `to`, folder by
    // folder; with several folders each line is tagged with its folder's description. Started
    // comes first, before the list changes, naming the folder's path or the folders'
    // descriptions. An empty text does nothing. As a regular expression (`regex`), an invalid
    // one searches nothing: the returned status says why. Empty when the search started.
    QString Start(const QList<DayFolder>& folders, const QDate& from, const QDate& to,
                  const QString& text, bool regex = false);
    // Stops soon, keeping what was found; Finished follows.
    void Cancel() { m_search.Cancel(); }
    // Stops now, keeping what was found: Finished has come when this returns.
    void Finish() { m_search.Finish(); }
    bool Running() const { return m_search.Running(); }

    // For tests.
    DaySearch& Worker() { return m_search; }

Q_SIGNALS:
    void Started(const QString& folder, const QDate& from, const QDate& to);
    void Progress(qsizetype filesDone, qsizetype files, qint64 bytesDone, qint64 bytes,
                  qint64 contentDone);
    void Finished(const search::PressResult& result, bool cancelled);

private:
    void Add(const DayBatch& batch);
    void End(bool cancelled);

    reading::OutputList& m_lstRows;
    DaySearch m_search;
    QString m_text;
    QList<std::pair<qsizetype, qsizetype>> m_matches; // list lines [first, end)
    qsizetype m_files = 0;
    qint64 m_bytes = 0;
};

} // namespace search
