#include "Monitor.h"

#include "Alerts.h"
#include "folders/DayFiles.h"

#include <algorithm>

#include <QDir>
#include <QElapsedTimer>
#include <QSet>

namespace reading
{

namespace
{
// A file whose size and time stay the same this long is not read again: reading a window every
// second costs gigabytes a day on a network share. The wait covers a write inside a NUL-padded
// file that the file system's coarse clock does not show.
constexpr qint64 QuietMs = 2000;
// The shortest time between two reads that notifications bring: a busy writer costs at most 20
// reads a second, not one per write, and a rotation finds little unread.
constexpr qint64 LookGapMs = 50;
// How long the previous day's file is still watched for late lines after a move.
constexpr qint64 OldDayMs = 10 * 60 * 1000;
// How long a rotated file is still read after its last new bytes: a writer that reopens its log
// only at a signal, or a moment after the rotation, writes there meanwhile.
constexpr qint64 RotatedQuietMs = 5000;
// The poll where the kernel reports every change is only a safety net.
constexpr int SafetyPollMs = 10000;
} // namespace

Monitor::Monitor(OutputList& lstRows, FollowWindow& window, FollowClock& clock,
                 const modMain::Settings& settings, ReadingStore& readings, QObject* parent)
    : QObject(parent), m_window(window), m_clock(clock), m_settings(settings), m_readings(readings),
      m_display(lstRows, window, clock, settings)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Monitor::Poll);
    m_slice.setSingleShot(true);
    m_slice.setInterval(0);
    connect(&m_slice, &QTimer::timeout, this, &Monitor::ReadSlices);
    m_soon.setSingleShot(true);
    m_soon.setTimerType(Qt::PreciseTimer);
    connect(&m_soon, &QTimer::timeout, this, &Monitor::ReadSoon);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this,
            [this](const QString& path) { Notified(path, 1); });
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this,
            [this](const QString& path) { Notified(path, 2); });
}

Monitor::~Monitor() = default;

QString Monitor::Path() const
{
    return m_followed.empty() || !m_followed[0]->file ? QString() : m_followed[0]->file->Path();
}

Monitor::Followed& Monitor::Add(const QString& folder, const QString& filter, quint16 tag)
{
    auto f = std::make_unique<Followed>();
    f->tag = tag;
    f->folder = folder.endsWith(QDir::separator()) ? folder : folder + QDir::separator();
    f->filter = filter;
    f->local = LogFileAccess::OnLocalDisk(folder);
    m_followed.push_back(std::move(f));
    return *m_followed.back();
}

// What every run does first: the old run's files end, the new one's folders are watched.
void Monitor::Begin(const QStringList& folders)
{
    EndEarlier();
    m_slice.stop();
    m_soon.stop();
    Unwatch();
    m_display.StartRun(folders);
    m_timer.start(qMax(m_settings.PollSeconds, 1) * 1000);
}

void Monitor::Start(const QString& path, const QString& filter)
{
    // Another file than the last run's shows its last window first, unless the list ends with
    // its Tail: then following goes on from the Tail's end.
    EndEarlier();
    const bool same = path == Path() && !m_many;
    if (!same && !m_display.EndsWithTailOf(path))
        m_readings.ForgetReading(path);
    LogFileAccess::Status seen; // the same file keeps what it saw
    qint64 seenSince = 0;
    if (same) {
        seen = m_followed[0]->seen;
        seenSince = m_followed[0]->seenSince;
    }
    Begin({});
    m_many = false;
    m_followed.clear();
    m_folders.clear();
    const QString folder = FolderOf(path);
    Followed& f = Add(folder, filter, 0);
    FollowFile(f, path);
    std::tie(f.seen, f.seenSince, f.seenValid) = std::tuple(seen, seenSince, same);
    f.day = DayFollow::At(folder, path.mid(folder.size()), filter, m_clock.Now().date(),
                          m_clock.MonotonicMs());
    if (m_notify)
        f.folderWatch = m_watcher.addPath(folder);
    Poll();
}

void Monitor::Start(const QList<LogFolder>& folders)
{
    QSet<QString> before; // files the last run followed go on where they stopped
    for (const auto& f : m_followed) {
        if (f->file)
            before.insert(f->file->Path());
    }
    QStringList names;
    for (const LogFolder& folder : folders)
        names << folder.Name;
    Begin(names);
    m_many = true;
    m_followed.clear();
    m_folders = folders;
    for (const LogFolder& folder : folders) {
        Followed& f = Add(folder.Path, folder.Filter, quint16(m_followed.size() + 1));
        LookForFile(f);
        if (f.file && !before.contains(f.file->Path()))
            m_readings.ForgetReading(f.file->Path());
        if (f.file)
            f.file->Reading().unfinishedShown = false;
    }
    Poll();
}

void Monitor::LookForFile(Followed& f)
{
    // A folder that stays missing, or that holds no file while it stays the same, is not listed
    // again; one that could not be read is tried at every poll, as a chmod changes no time.
    const LogFileAccess::Status folder = LogFileAccess::Stat(f.folder);
    if (!f.fault.isEmpty() && folder == f.folderSeen && (f.listed || !folder.exists))
        return;
    f.folderSeen = folder;
    const FollowChoice choice = ChooseFollowedFile(f.folder, f.filter, m_clock.Now().date());
    f.listed = choice.listed;
    if (m_notify && !f.folderWatch && choice.listed)
        f.folderWatch = m_watcher.addPath(f.folder);
    if (choice.name.isEmpty()) {
        if (choice.fault != f.fault)
            Show(f).ShowMarker(choice.fault + u' ' + f.folder);
        f.fault = choice.fault;
        return;
    }
    FollowFile(f, f.folder + choice.name);
    f.day =
        DayFollow::At(f.folder, choice.name, f.filter, m_clock.Now().date(), m_clock.MonotonicMs());
    if (!f.fault.isEmpty()) // a folder that had none says that it has one now
        Show(f).ShowMarker(QStringLiteral("following ") + choice.name);
    f.fault.clear();
}

void Monitor::Stop()
{
    if (Alerts* alerts = m_window.Alerting())
        alerts->StopRun();
    m_timer.stop();
    m_slice.stop();
    m_soon.stop();
    Unwatch();
    EndEarlier();
    for (const auto& f : m_followed) {
        f->rest.reset();
        f->rests.clear();
        if (f->file)
            f->file->Close();
    }
}

void Monitor::Unwatch()
{
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    if (!watched.isEmpty())
        m_watcher.removePaths(watched);
    for (const auto& f : m_followed) {
        f->watched = {};
        f->watching = f->folderWatch = false;
    }
}

void Monitor::FollowFile(Followed& f, const QString& path)
{
    f.file = std::make_unique<FollowedFile>(path, m_readings, m_settings, &m_access);
    f.seenValid = false;
}

FollowDisplay& Monitor::Show(const Followed& f)
{
    m_display.ForFolder(f.tag);
    return m_display;
}

void Monitor::Notified(const QString& path, int due)
{
    const QString clean = QDir::cleanPath(path);
    bool found = false;
    for (const auto& f : m_followed) {
        const bool it =
            due == 2 ? QDir::cleanPath(f->folder) == clean : f->file && f->file->Path() == path;
        if (it)
            f->due = qMax(f->due, due);
        found = found || it;
    }
    if (!found) { // another file of a followed folder: every file is looked at
        for (const auto& f : m_followed)
            f->due = qMax(f->due, 1);
    }
    ScheduleSoon();
}

// The read a notification asked for: at once when no look happened in the last LookGapMs,
// otherwise that long after the last one.
void Monitor::ScheduleSoon()
{
    if (!m_timer.isActive() || m_soon.isActive())
        return;
    m_soon.start(int(qBound<qint64>(0, m_lastLook + LookGapMs - m_clock.MonotonicMs(), LookGapMs)));
}

void Monitor::ReadSoon()
{
    if (m_slice.isActive()) // a backlog is being read: the notifications wait for its end
        return;
    for (const auto& f : m_followed) {
        const int due = std::exchange(f->due, 0);
        if (due == 2 || (due == 1 && !f->file))
            PollOne(*f, true); // a folder's change may bring the next day's file
        else if (due == 1) {
            ReadEarlier(*f);
            ReadIfChanged(*f);
        }
    }
}

void Monitor::WatchFile(Followed& f, const LogFileAccess::Status& now)
{
    // Qt drops the watch of a file renamed away and keeps watching a deleted one that a writer
    // still holds open, so the watch follows whatever file the path names.
    if (!m_notify || (f.watching && now.exists && now.SameFile(f.watched)))
        return;
    if (f.watching)
        m_watcher.removePath(f.watchedPath);
    f.watchedPath = f.file->Path();
    f.watching = now.exists && m_watcher.addPath(f.watchedPath);
    f.watched = now;
    SetPace();
}

// The safety poll slows down only where every followed file and folder has its watch on a file
// system that reports every change.
void Monitor::SetPace()
{
    bool slow = m_notify;
    for (const auto& f : m_followed)
        slow = slow && f->local && f->watching && f->folderWatch;
    const int poll = qMax(m_settings.PollSeconds, 1) * 1000;
    const int ms = slow ? qMax(poll, SafetyPollMs) : poll;
    if (m_timer.isActive() && m_timer.interval() != ms)
        m_timer.start(ms);
}

void Monitor::Poll()
{
    if (!Running() || m_slice.isActive()) // a backlog is being read
        return;
    m_today = m_clock.Now().date(); // the local time costs a look at the time zone's file
    for (const auto& f : m_followed)
        PollOne(*f);
}

void Monitor::PollOne(Followed& f, bool notified)
{
    if (notified)
        m_today = m_clock.Now().date();
    if (!f.file)
        LookForFile(f);
    if (!f.file)
        return;
    ReadEarlier(f);
    if (notified && f.grew) // a folder's news need not wait for a poll that finds the file quiet
        ReadIfChanged(f);
    if (f.day && !f.grew && LookForDay(f, notified)) {
        if (const std::optional<QString> next = f.day->Next(m_today, m_clock.MonotonicMs())) {
            MoveToDay(f, *next);
            return;
        }
    }
    ReadIfChanged(f);
}

// Where the kernel reports every change, a folder's notification brings the look for the next
// day's file; the safety poll looks for a file dated after today (a server whose clock runs
// ahead) once a minute only, so that fifty quiet folders cost a few calls a second.
bool Monitor::LookForDay(Followed& f, bool notified)
{
    const qint64 now = m_clock.MonotonicMs();
    if (!notified && m_timer.interval() >= SafetyPollMs && !f.day->Behind(m_today) &&
        now - f.dayLook < AheadLookMs)
        return false;
    f.dayLook = now;
    return true;
}

void Monitor::ReadIfChanged(Followed& f)
{
    if (m_slice.isActive() || !f.file)
        return;
    const LogFileAccess::Status now = LogFileAccess::Stat(f.file->Path());
    WatchFile(f, now);
    m_lastLook = m_clock.MonotonicMs();
    f.grew = false;
    if (Unchanged(f, now)) {
        if (!m_many)
            m_window.ShowFileSize(FileSizeCaption(now.size));
    } else {
        NoteStatus(f, now);
        ReadSlice(f);
    }
}

bool Monitor::Unchanged(const Followed& f, const LogFileAccess::Status& now) const
{
    // A read that failed is tried again at every poll: a chmod changes neither size nor time.
    return f.seenValid && now.exists && now == f.seen && f.file->Reading().failure.isEmpty() &&
           m_clock.MonotonicMs() - f.seenSince >= QuietMs;
}

void Monitor::NoteStatus(Followed& f, const LogFileAccess::Status& now)
{
    if (!f.seenValid || now != f.seen) {
        f.seen = now;
        f.seenSince = m_clock.MonotonicMs();
        f.seenValid = true;
    }
}

void Monitor::ReadSlice(Followed& f)
{
    OutputBatch lines;
    SizeCaption size;
    if (!m_many && !f.rest)
        size = [this](const QString& caption) { m_window.ShowFileSize(caption); };
    FollowedFile& file = f.rest ? *f.rest : *f.file;
    SliceRead read = file.ReadSlice(lines, m_budget, size);
    f.grew = f.grew || read.grew;
    if (!f.rest)
        NoteFailure(f);
    QElapsedTimer showing;
    showing.start();
    Show(f).ShowSlice(file.Path(), lines, read);
    m_budget.Shown(showing.nsecsElapsed(), lines.size());
    if (!f.rest)
        TakeReplaced(f);
    f.more = read.more;
    if (f.rest && !read.more) {
        // The rotated file's rest read to its end, the file goes on; the rest is watched a
        // while for a writer that has not reopened its log yet.
        const qint64 until = m_clock.MonotonicMs() + RotatedQuietMs;
        f.earlier.push_back({std::move(f.rest), {}, until, RotatedQuietMs, false, false});
        NextRest(f);
        ReadSlice(f);
        return;
    }
    if (read.more)
        m_slice.start();
    else if (f.catchUp)
        CatchUpDays(f);
}

void Monitor::ReadSlices()
{
    for (const auto& f : m_followed) {
        if (f->more)
            ReadSlice(*f);
    }
    const bool notified =
        std::any_of(m_followed.begin(), m_followed.end(), [](const auto& f) { return f->due > 0; });
    if (!m_slice.isActive() && notified)
        ScheduleSoon();
}

// A file that cannot be opened says so in the size label, or, in a run over several folders,
// in a line when it starts failing and another when it reads again.
void Monitor::NoteFailure(Followed& f)
{
    const QString& failure = f.file->Reading().failure;
    if (!m_many) {
        if (!failure.isEmpty())
            m_window.ShowFileSize(QStringLiteral("Cannot open: ") + failure);
        return;
    }
    if (failure.isEmpty() != f.failing)
        return;
    f.failing = !failure.isEmpty();
    const QString name = NameOf(f.file->Path());
    Show(f).ShowMarker(f.failing ? QStringLiteral("cannot open %1: %2").arg(name, failure)
                                 : QStringLiteral("reading %1 again").arg(name));
}

void Monitor::MoveToDay(Followed& f, const QString& name)
{
    // What arrived in the old file last shows first; its unterminated last line waits for a
    // late write, as long as the old file is watched.
    for (auto it = f.earlier.begin(); it != f.earlier.end();)
        EndEarlier(f, it++);
    OutputBatch lines;
    const SliceRead read = f.file->ReadSlice(lines, m_budget);
    Show(f).ShowSlice(f.file->Path(), lines, read);
    TakeReplaced(f);
    const QString from = f.file->Path();
    f.file->Detach();
    // The next poll reads it again: what a slice left unread, or what came during this read.
    const bool watched = std::exchange(f.watching, false);
    f.watchedPath.clear();
    f.earlier.push_back(
        {std::move(f.file), {}, m_clock.MonotonicMs() + OldDayMs, 0, false, watched});

    FollowFile(f, FolderOf(from) + name);
    if (!f.day->MovedTo(name, m_clock.Now().date(), m_clock.MonotonicMs()))
        f.day.reset();
    m_readings.ReadFromStart(f.file->Path());
    if (const auto skip = f.skipTo.find(f.file->Path()); skip != f.skipTo.end())
        SkipTo(f, skip->first, skip->second, 0);
    if (!m_many) // the header names the run's folders, not their files
        m_window.FollowingMoved(from, f.file->Path());
    m_window.DayMoved();
    ReadSlice(f);
}

void Monitor::TakeReplaced(Followed& f)
{
    // Read again at the next poll: its writer may have written since it was read to its end.
    if (std::unique_ptr<FollowedFile> replaced = f.file->Replaced()) {
        const qint64 until = m_clock.MonotonicMs() + RotatedQuietMs;
        f.earlier.push_back({std::move(replaced), {}, until, RotatedQuietMs});
    }
}

void Monitor::ReadEarlier(Followed& f)
{
    for (auto it = f.earlier.begin(); it != f.earlier.end();) {
        if (const LogFileAccess::Status status = it->file->OpenStatus(); status != it->seen) {
            it->seen = status;
            OutputBatch lines;
            const SliceRead read = it->file->ReadSlice(lines, m_budget);
            if (read.more)
                it->seen = {}; // the rest at the next poll
            f.grew = f.grew || read.grew;
            it->late = it->late || read.grew;
            if (read.grew && it->quiet > 0)
                it->until = m_clock.MonotonicMs() + it->quiet;
            Show(f).ShowSlice(it->file->Path(), lines, read);
        }
        if (m_clock.MonotonicMs() >= it->until)
            EndEarlier(f, it++);
        else
            ++it;
    }
}

void Monitor::EndEarlier(Followed& f, std::list<Earlier>::iterator it)
{
    const QString path = it->file->Path();
    const QByteArray unfinished = it->file->Reading().maker.Unfinished();
    // A rotated file that got nothing after the rotation ends without a word.
    const bool say = it->quiet == 0 || it->late || !unfinished.isEmpty();
    if (it->quiet == 0)
        m_readings.ForgetReading(path);
    if (it->watched)
        m_watcher.removePath(path);
    f.earlier.erase(it);
    if (say)
        Show(f).ShowEndOf(path, unfinished);
}

void Monitor::EndEarlier()
{
    for (const auto& f : m_followed) {
        while (!f->earlier.empty())
            EndEarlier(*f, f->earlier.begin());
    }
}

} // namespace reading
