#pragma once

#include "DayFollow.h"
#include "FollowDisplay.h"
#include "FollowedFile.h"
#include "OutputList.h"
#include "base/LogFileAccess.h"
#include "settings/modMain.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <list>
#include <memory>

namespace reading
{

// Follows one log file: the timing and the watching. A poll every PollSeconds on the event loop,
// and one soon after the file or its folder reports a change; the completed lines are appended to
// the output list. The settings and the files' reading states are the window's; a run reads them as
// it goes. Nothing spins between polls; a backlog is read on in slices, one per turn of the event
// loop, so the window stays responsive. A FollowedFile reads, a FollowDisplay shows.
class Monitor : public QObject
{
    Q_OBJECT

public:
    Monitor(OutputList& lstRows, FollowWindow& window, FollowClock& clock,
            const modMain::Settings& settings, ReadingStore& readings, QObject* parent = nullptr);

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
    // file, watched since a move, and a rotated file still watched show their unterminated last
    // line and are no longer watched.
    void Stop();
    // The file being followed; empty before the first run.
    QString Path() const { return m_file ? m_file->Path() : QString(); }
    // What this monitor's reads cost; benchmarks and tests watch it.
    AccessWatch& Access() { return m_access; }

    // The output list's bound: past `limit` lines the oldest `drop` go at once.
    void SetBound(qsizetype limit, qsizetype drop) { m_display.SetBound(limit, drop); }

private:
    void ReadIfChanged();
    void ReadSoon();
    void ScheduleRead();
    void WatchFile(const LogFileAccess::Status& now);
    void Unwatch();
    bool Unchanged(const LogFileAccess::Status& now) const;
    void NoteStatus(const LogFileAccess::Status& now);
    void ReadSlice();
    void FollowFile(const QString& path);
    void MoveToDay(const QString& name);
    void TakeReplaced();
    void ReadEarlier();
    void EndEarlier();

    FollowWindow& m_window;
    FollowClock& m_clock;
    const modMain::Settings& m_settings;
    ReadingStore& m_readings;
    FollowDisplay m_display;
    AccessWatch m_access;
    QTimer m_timer;
    QTimer m_slice; // the next slice of a backlog, on the next turn of the event loop
    QTimer m_soon;  // the read a notification asked for
    QFileSystemWatcher m_watcher;
    LogFileAccess::Status m_watched; // the file the watch was set on
    bool m_notify = true;
    qint64 m_lastLook = 0; // monotonic ms of the latest look at the file
    std::unique_ptr<FollowedFile> m_file;
    LogFileAccess::Status m_seen;
    qint64 m_seenSince = 0;
    bool m_seenValid = false;
    std::optional<DayFollow> m_day;
    // Files the run read before: the previous day's after a move, a rotated one after a
    // rotation. Late lines written to them still show, for a while.
    struct Earlier {
        std::unique_ptr<FollowedFile> file;
        LogFileAccess::Status seen;
        qint64 until = 0;  // monotonic ms when it is no longer watched
        qint64 quiet = 0;  // a rotated file's watch ends this long after its last new bytes
        bool late = false; // lines written after the run moved on have shown
    };
    std::list<Earlier> m_earlier;
    void EndEarlier(std::list<Earlier>::iterator it);
    bool m_grew = true; // the last poll found new bytes
};

} // namespace reading
