#pragma once

#include "DayFollow.h"
#include "LineAssembly.h"
#include "OutputList.h"
#include "Readers.h"
#include "base/LogFileAccess.h"
#include "settings/modMain.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

// What following a file needs of the main window.
class FollowWindow
{
public:
    virtual ~FollowWindow() = default;
    virtual QString FilterText() const = 0;
    virtual void ShowFileSize(const QString& caption) = 0;
    // Following has moved on to the next day's file.
    virtual void FollowingMoved(const QString& from, const QString& to)
    {
        Q_UNUSED(from)
        Q_UNUSED(to)
    }
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

// Follows one log file: a poll every PollSeconds on the event loop, and one soon after the file
// or its folder reports a change; the completed lines are appended to the output list. The
// settings and the files' reading states are the window's; a run reads them as it goes.
// Nothing spins between polls; a backlog is read on in slices, one per turn of the event
// loop, so the window stays responsive.
class Monitor : public QObject
{
    Q_OBJECT

public:
    Monitor(OutputList& lstRows, FollowWindow& window, FollowClock& clock,
            const modMain::Settings& settings, modMain::ReadingStore& readings,
            QObject* parent = nullptr);

    // Reads at once, then every PollSeconds until Stop. A run already going on is taken over
    // by the new file. Another file than the last run's starts from its last window, unless the
    // list ends with that file's Tail; the same file goes on where it stopped. Given the
    // folder's name style, a run on the newest file of a dated style moves on to each next
    // day's file.
    void Start(const QString& path, const QString& filter = QString());
    // One poll, with the look for the next day's file; the timer calls it. Nothing after Stop.
    void Poll();
    // Whether change notifications bring polls (on by default); off, only the timer polls.
    void SetNotifications(bool on) { m_notify = on; }
    bool Running() const { return m_timer.isActive(); }
    // A backlog is being read, a slice a turn of the event loop.
    bool CatchingUp() const { return m_slice.isActive(); }
    // Ends the run at once, without another read: the one way to stop it. The previous day's
    // file, watched since a move, shows its unterminated last line and is no longer watched.
    void Stop();
    // What this monitor's reads cost; benchmarks and tests watch it.
    AccessWatch& Access() { return m_access; }

    // The output list's bound: past `limit` lines the oldest `drop` go at once.
    void SetBound(qsizetype limit, qsizetype drop);

private:
    void Look();
    void Notified();
    void Watch(const LogFileAccess::Status& now);
    void Unwatch();
    bool Unchanged(const LogFileAccess::Status& now) const;
    void Observe(const LogFileAccess::Status& now);
    void ReadOn();
    // Reads what the path's file has appended, for half a slice at most; true when more waits.
    bool ReadSlice(const QString& path, const modMain::SizeCaption& size, OutputBatch& lines);
    void Take(const QString& path, qint64 count, const modMain::Delivery& at, OutputBatch& lines);
    void Show(const OutputBatch& lines, const QString& path);
    void Say(const QString& what);
    QString Heading(const QString& path) const;
    void MoveTo(const QString& name);
    void LookAtOldDay();
    void EndOldDay();

    OutputList& m_lstRows;
    FollowWindow& m_window;
    FollowClock& m_clock;
    const modMain::Settings& m_settings;
    modMain::ReadingStore& m_readings;
    AccessWatch m_access;
    QTimer m_timer;
    QTimer m_slice; // the next slice of a backlog, on the next turn of the event loop
    QTimer m_soon;  // the look a notification asked for
    QFileSystemWatcher m_watcher;
    LogFileAccess::Status m_watched; // the file the watch was set on
    bool m_notify = true;
    qint64 m_lastLook = 0;  // monotonic ms of the latest look at the file
    qint64 m_lastQuiet = 0; // and of the latest that found nothing new
    QByteArray m_buffer;
    QString m_path;
    LogFileAccess::Status m_seen;
    qint64 m_seenSince = 0;
    bool m_seenValid = false;
    std::optional<DayFollow> m_day;
    // The previous day's file after a move: late lines still show, for a while.
    struct OldDay {
        QString path;
        LogFileAccess::Status seen;
        qint64 until = 0;
    };
    std::optional<OldDay> m_old;
    bool m_grew = true;        // the last poll found new bytes
    bool m_announced = false;  // the run's first lines have been shown
    qint64 m_lastDivider = -1; // monotonic ms of the run's last divider block
    qsizetype m_limit = 20'000'000;
    qsizetype m_drop = 1'000'000;
};
