#pragma once

#include "FollowedFile.h"
#include "OutputList.h"
#include "settings/modMain.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QString>

class RuleSet;

namespace reading
{

class Alerts;

// What following a file needs of the main window.
class FollowWindow
{
public:
    virtual ~FollowWindow() = default;
    virtual QString FilterText() const = 0;
    virtual void ShowFileSize(const QString& caption) = 0;
    // The user's rules: lines that a hide rule takes are not shown while following.
    virtual const RuleSet* Rules() const { return nullptr; }
    // What raises alerts from the lines read; none unless given.
    virtual Alerts* Alerting() { return nullptr; }
    // The description of the folder whose file a run of one file follows, for its alerts.
    virtual QString FollowedName() const { return {}; }
    // Following has moved on to the next day's file.
    virtual void FollowingMoved(const QString& from, const QString& to)
    {
        Q_UNUSED(from)
        Q_UNUSED(to)
    }
    // A followed file of the run has moved on to its next day's file.
    virtual void DayMoved() {}
};

// The clocks of following: a monotonic one for pacing, the local date and time for dividers.
class FollowClock
{
public:
    virtual ~FollowClock() = default;
    virtual qint64 MonotonicMs() const = 0;
    virtual QDateTime Now() const = 0;
};

// Its monotonic time counts from its making.
class SystemClock final : public FollowClock
{
public:
    SystemClock() { m_started.start(); }
    qint64 MonotonicMs() const override { return m_started.elapsed(); }
    QDateTime Now() const override { return QDateTime::currentDateTime(); }

private:
    QElapsedTimer m_started;
};

// The system locale's short date and its time with seconds, without a time zone.
QString StampText(const QDateTime& when);

// The file name of a full path.
QString NameOf(const QString& path);
// The folder part of a full path, its separator included.
QString FolderOf(const QString& path);

// What following shows in the output list: the lines read, after a divider block a poll
// interval and a "following"/"continued in" heading when they come from another file than the
// lines before them; the markers of a run; the Tail's unfinished row, completed in its place.
class FollowDisplay
{
public:
    FollowDisplay(OutputList& lstRows, FollowWindow& window, FollowClock& clock,
                  const modMain::Settings& settings);

    // A new run: its first lines say "following". A run over several folders says "Following N
    // folders" at once; its lines and markers carry their folder's tag, 1 for the first of
    // `folders` (their names), and each marker names its folder.
    void StartRun(const QStringList& folders = {});
    // The folder whose lines and markers come next; 0 in a run of one file.
    void ForFolder(quint16 tag) { m_tag = tag; }
    // Whether the list ends with the Tail of `path`.
    bool EndsWithTailOf(const QString& path) const { return m_lstRows.EndsWithTailOf(path); }
    // The lines a slice of `path` read, with the markers the slice calls for.
    void ShowSlice(const QString& path, const OutputBatch& lines, const SliceRead& read);
    void ShowLines(const QString& path, const OutputBatch& lines);
    // A line "Current Time … what".
    void ShowMarker(const QString& what);
    // A file no longer watched: its unterminated rest, then "no longer watching".
    void ShowEndOf(const QString& path, const QByteArray& unfinished);
    // The output list's bound: past `limit` lines the oldest `drop` go at once.
    void SetBound(qsizetype limit, qsizetype drop);

private:
    QString Heading(const QString& path) const;
    QString Marker(const QString& what) const;
    OutputBatch Unhidden(const OutputBatch& lines);
    QString HiddenNote(bool divider);

    OutputList& m_lstRows;
    FollowWindow& m_window;
    FollowClock& m_clock;
    const modMain::Settings& m_settings;
    bool m_announced = false;  // the run's first lines have been shown
    qint64 m_lastDivider = -1; // monotonic ms of the run's last divider block
    QStringList m_folders;     // of a run over several folders
    quint16 m_tag = 0;
    QList<quint16> m_rowTags; // by folder: the tag its rows carry in the list
    QStringList m_lastOf;     // by tag: the file whose lines the folder showed last
    qsizetype m_limit = 20'000'000;
    qsizetype m_drop = 1'000'000;
    qsizetype m_hidden = 0;       // lines a hide rule took since it was last said
    qint64 m_lastHiddenNote = -1; // monotonic ms, when said by a marker line
    bool m_windowRead = false;    // the lines shown are a file's last window: they raise no alert
};

} // namespace reading
