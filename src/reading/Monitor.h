#pragma once

#include "DayFollow.h"
#include "FollowDisplay.h"
#include "FollowedFile.h"
#include "OutputList.h"
#include "RunState.h"
#include "base/LogFileAccess.h"
#include "base/LogFolder.h"
#include "settings/modMain.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <list>
#include <map>
#include <memory>
#include <vector>

namespace reading
{

// Follows one log file, or one in each of several folders: the timing and the watching. A poll
// every PollSeconds on the event loop (every 10 s where the file system reports every change and
// both watches are set), and one soon after a file or its folder reports a change; the completed
// lines are appended to the output list. One watcher and one timer serve every followed file. The
// settings and the files' reading states are the window's; a run reads them as it goes. Nothing
// spins between polls; a backlog is read on in slices, one per turn of the event loop, so the
// window stays responsive. A FollowedFile reads, a FollowDisplay shows.
// How often a quiet run looks for a file dated after today, where notifications are reliable.
constexpr qint64 AheadLookMs = 60000;

class Monitor : public QObject
{
    Q_OBJECT

public:
    Monitor(OutputList& lstRows, FollowWindow& window, FollowClock& clock,
            const modMain::Settings& settings, ReadingStore& readings, QObject* parent = nullptr);
    ~Monitor() override;

    // Reads at once, then every PollSeconds until Stop. A run already going on is taken over
    // by the new file. Another file than the last run's starts from its last window, unless the
    // list ends with that file's Tail; the same file goes on where it stopped. Given the
    // folder's name style, a run on the newest file of a dated style moves on to each next
    // day's file.
    void Start(const QString& path, const QString& filter = QString());
    // One run over several folders: in each the file a run there would follow (of a dated style
    // the newest up to today, otherwise the one changed last), each with its own reading, watch
    // and day move. Each line carries its folder's tag (1 for the first), the markers name the
    // folder, and the size label is left alone. A folder without such a file (missing, not
    // readable) says so and is looked at again at every poll until it has one.
    void Start(const QList<LogFolder>& folders);
    // The run as it stands, kept so that the next start resumes it; nothing while none goes on.
    std::optional<RunState> Snapshot() const;
    // Goes on with a saved run, after a line saying since when it was closed: every file that
    // still holds what was read goes on after its last line shown; another file there is new;
    // the days that passed are read in date order. A folder no longer among `configured` and a
    // file that is gone are said and skipped. False when nothing of it could be followed.
    bool Resume(const RunState& run, const QList<LogFolder>& configured);
    // The same from the run's saved text; one that cannot be read is said and not resumed.
    bool Resume(const QByteArray& saved, const QList<LogFolder>& configured);
    // What a resumed run reads of all its files at most (1 GiB unless set).
    void SetCatchUpCap(qint64 bytes) { m_catchUpCap = bytes; }
    // A line of the run's own, as its other markers.
    void ShowMarker(const QString& what)
    {
        m_display.ForFolder(0);
        m_display.ShowMarker(what);
    }
    // One poll of every followed file, with the look for the next day's file; nothing after Stop.
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
    // The file being followed (the first folder's); empty before the first run.
    QString Path() const;
    // The timer's interval in ms.
    int PollMs() const { return m_timer.interval(); }
    // What this monitor's reads cost; benchmarks and tests watch it.
    AccessWatch& Access() { return m_access; }

    // The output list's bound: past `limit` lines the oldest `drop` go at once.
    void SetBound(qsizetype limit, qsizetype drop) { m_display.SetBound(limit, drop); }

private:
    // Files the run read before: the previous day's after a move, a rotated one after a
    // rotation. Late lines written to them still show, for a while.
    struct Earlier {
        std::unique_ptr<FollowedFile> file;
        LogFileAccess::Status seen;
        qint64 until = 0;     // monotonic ms when it is no longer watched
        qint64 quiet = 0;     // a rotated file's watch ends this long after its last new bytes
        bool late = false;    // lines written after the run moved on have shown
        bool watched = false; // the previous day's file keeps its watch while it is read
    };
    // One followed file with what goes with it.
    struct Followed {
        quint16 tag = 0;
        QString folder; // with its separator
        QString filter;
        std::unique_ptr<FollowedFile> file; // none while the folder holds no file to follow
        QString fault;                      // why it holds none, as said
        bool listed = false;                // the folder could be read when last looked at
        LogFileAccess::Status folderSeen;   // the folder when it was last looked for a file
        LogFileAccess::Status seen;
        qint64 seenSince = 0;
        qint64 dayLook = -AheadLookMs; // monotonic ms of the latest look for the next day's file
        bool seenValid = false;
        bool grew = true;              // the last poll found new bytes
        bool more = false;             // a backlog waits for the next slice
        bool failing = false;          // the latest read could not open the file
        bool watching = false;         // the file's watch is set
        QString watchedPath;           // the path it was set on (a day move changes the file's)
        bool folderWatch = false;      // the folder's watch is set
        bool local = false;            // on a file system that reports every change
        int due = 0;                   // a notification asks: 1 a read, 2 also the day's look
        LogFileAccess::Status watched; // the file the watch was set on
        std::optional<DayFollow> day;
        bool catchUp = false; // a resumed run goes on through the days that passed, at once
        // The rest of the file rotated away while closed: read to its end before the file.
        std::unique_ptr<FollowedFile> rest;
        QStringList rests; // the files rotated after it, oldest first, each read whole next
        std::map<QString, qint64> skipTo; // a capped catch-up's later days: where each begins
        std::list<Earlier> earlier;
    };

    Followed& Add(const QString& folder, const QString& filter, quint16 tag);
    void Begin(const QStringList& folders);
    void PollOne(Followed& f, bool notified = false);
    bool LookForDay(Followed& f, bool notified);
    void LookForFile(Followed& f);
    void ReadIfChanged(Followed& f);
    void ReadSoon();
    void ScheduleSoon();
    void Notified(const QString& path, int due);
    void WatchFile(Followed& f, const LogFileAccess::Status& now);
    void SetPace();
    void Unwatch();
    bool Unchanged(const Followed& f, const LogFileAccess::Status& now) const;
    void NoteStatus(Followed& f, const LogFileAccess::Status& now);
    void NoteFailure(Followed& f);
    void ReadSlice(Followed& f);
    void ReadSlices();
    void FollowFile(Followed& f, const QString& path);
    void MoveToDay(Followed& f, const QString& name);
    void TakeReplaced(Followed& f);
    void ReadEarlier(Followed& f);
    void EndEarlier(Followed& f, std::list<Earlier>::iterator it);
    void EndEarlier();
    FollowDisplay& Show(const Followed& f);
    FileResume Saved(const Followed& f) const;
    void ResumeOne(Followed& f, const FileResume& saved);
    bool ResumeFile(Followed& f, const FileResume& saved);
    void NextRest(Followed& f);
    bool ShowCompressedRest(Followed& f, const FileResume& saved, bool gone);
    void CatchUpDays(Followed& f);
    void CapCatchUp();
    void SkipTo(Followed& f, const QString& path, qint64 at, qint64 from);

    FollowWindow& m_window;
    FollowClock& m_clock;
    const modMain::Settings& m_settings;
    ReadingStore& m_readings;
    FollowDisplay m_display;
    AccessWatch m_access;
    SliceBudget m_budget;
    QTimer m_timer;
    QTimer m_slice; // the next slice of a backlog, on the next turn of the event loop
    QTimer m_soon;  // the read a notification asked for
    QFileSystemWatcher m_watcher;
    bool m_notify = true;
    bool m_many = false;   // a run over several folders
    qint64 m_lastLook = 0; // monotonic ms of the latest look at a file
    QDate m_today;         // the local date at the poll
    std::vector<std::unique_ptr<Followed>> m_followed;
    QList<LogFolder> m_folders;            // of a run over several folders
    qint64 m_catchUpCap = qint64(1) << 30; // what a resumed run reads at most
};

} // namespace reading
