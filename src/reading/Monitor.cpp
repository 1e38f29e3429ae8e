#include "Monitor.h"

#include <QDir>

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

// The folder part of a full path, its separator included.
QString FolderOf(const QString& path)
{
    return path.left(path.lastIndexOf(QDir::separator()) + 1);
}
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
    connect(&m_slice, &QTimer::timeout, this, &Monitor::ReadSlice);
    m_soon.setSingleShot(true);
    m_soon.setTimerType(Qt::PreciseTimer);
    connect(&m_soon, &QTimer::timeout, this, &Monitor::ReadSoon);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &Monitor::ScheduleRead);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &Monitor::ScheduleRead);
}

void Monitor::Start(const QString& path, const QString& filter)
{
    EndEarlier();
    // Another file than the last run's shows its last window first, unless the list ends with
    // its Tail: then following goes on from the Tail's end.
    if (path != Path() && !m_display.EndsWithTailOf(path))
        m_readings.ForgetReading(path);
    if (path != Path())
        m_seenValid = false;
    FollowFile(path);
    const QString folder = FolderOf(path);
    m_day = DayFollow::At(folder, path.mid(folder.size()), filter, m_clock.Now().date(),
                          m_clock.MonotonicMs());
    m_grew = true;
    m_display.StartRun();
    m_slice.stop();
    m_soon.stop();
    m_timer.start(qMax(m_settings.PollSeconds, 1) * 1000);
    Unwatch();
    if (m_notify)
        m_watcher.addPath(folder);
    Poll();
}

void Monitor::Stop()
{
    m_timer.stop();
    m_slice.stop();
    m_soon.stop();
    Unwatch();
    EndEarlier();
    if (m_file)
        m_file->Close();
}

void Monitor::Unwatch()
{
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    if (!watched.isEmpty())
        m_watcher.removePaths(watched);
    m_watched = {};
}

void Monitor::FollowFile(const QString& path)
{
    m_file = std::make_unique<FollowedFile>(path, m_readings, m_settings, &m_access);
}

void Monitor::ScheduleRead()
{
    if (!m_timer.isActive() || m_soon.isActive())
        return;
    m_soon.start(int(qBound<qint64>(0, m_lastLook + LookGapMs - m_clock.MonotonicMs(), LookGapMs)));
}

void Monitor::WatchFile(const LogFileAccess::Status& now)
{
    // Qt drops the watch of a file renamed away and keeps watching a deleted one that a writer
    // still holds open, so the watch follows whatever file the path names.
    const bool watching = !m_watcher.files().isEmpty();
    if (!m_notify || (watching && now.exists && now.SameFile(m_watched)))
        return;
    if (watching)
        m_watcher.removePaths(m_watcher.files());
    if (now.exists)
        m_watcher.addPath(m_file->Path());
    m_watched = now;
}

void Monitor::Poll()
{
    if (!Running() || m_slice.isActive()) // a backlog is being read
        return;
    ReadEarlier();
    if (m_day && !m_grew) {
        if (const std::optional<QString> next =
                m_day->Next(m_clock.Now().date(), m_clock.MonotonicMs())) {
            MoveToDay(*next);
            return;
        }
    }
    ReadIfChanged();
}

void Monitor::ReadSoon()
{
    ReadEarlier();
    ReadIfChanged();
}

void Monitor::ReadIfChanged()
{
    if (m_slice.isActive())
        return;
    m_soon.stop();
    const LogFileAccess::Status now = LogFileAccess::Stat(m_file->Path());
    WatchFile(now);
    m_lastLook = m_clock.MonotonicMs();
    m_grew = false;
    if (Unchanged(now)) {
        m_window.ShowFileSize(FileSizeCaption(now.size));
    } else {
        NoteStatus(now);
        ReadSlice();
    }
}

bool Monitor::Unchanged(const LogFileAccess::Status& now) const
{
    // A read that failed is tried again at every poll: a chmod changes neither size nor time.
    return m_seenValid && now.exists && now == m_seen && m_file->Reading().failure.isEmpty() &&
           m_clock.MonotonicMs() - m_seenSince >= QuietMs;
}

void Monitor::NoteStatus(const LogFileAccess::Status& now)
{
    if (!m_seenValid || now != m_seen) {
        m_seen = now;
        m_seenSince = m_clock.MonotonicMs();
        m_seenValid = true;
    }
}

void Monitor::ReadSlice()
{
    OutputBatch lines;
    const SliceRead read = m_file->ReadSlice(
        lines, [this](const QString& caption) { m_window.ShowFileSize(caption); });
    m_grew = m_grew || read.grew;
    m_display.ShowSlice(m_file->Path(), lines, read);
    TakeReplaced();
    if (const QString& failure = m_file->Reading().failure; !failure.isEmpty())
        m_window.ShowFileSize(QStringLiteral("Cannot open: ") + failure);
    if (read.more)
        m_slice.start();
}

void Monitor::MoveToDay(const QString& name)
{
    // What arrived in the old file last shows first; its unterminated last line waits for a
    // late write, as long as the old file is watched.
    EndEarlier();
    OutputBatch lines;
    const SliceRead read = m_file->ReadSlice(lines);
    m_display.ShowSlice(m_file->Path(), lines, read);
    TakeReplaced();
    const QString from = m_file->Path();
    m_file->Detach();
    // The next poll reads it again: what a slice left unread, or what came during this read.
    m_earlier.push_back({std::move(m_file), {}, m_clock.MonotonicMs() + OldDayMs});

    FollowFile(FolderOf(from) + name);
    if (!m_day->MovedTo(name, m_clock.Now().date(), m_clock.MonotonicMs()))
        m_day.reset();
    m_readings.ReadFromStart(m_file->Path());
    m_seenValid = false;
    m_window.FollowingMoved(from, m_file->Path());
    ReadSlice();
}

void Monitor::TakeReplaced()
{
    // Read again at the next poll: its writer may have written since it was read to its end.
    if (std::unique_ptr<FollowedFile> replaced = m_file->Replaced()) {
        const qint64 until = m_clock.MonotonicMs() + RotatedQuietMs;
        m_earlier.push_back({std::move(replaced), {}, until, RotatedQuietMs});
    }
}

void Monitor::ReadEarlier()
{
    for (auto it = m_earlier.begin(); it != m_earlier.end();) {
        if (const LogFileAccess::Status status = it->file->OpenStatus(); status != it->seen) {
            it->seen = status;
            OutputBatch lines;
            const SliceRead read = it->file->ReadSlice(lines);
            if (read.more)
                it->seen = {}; // the rest at the next poll
            m_grew = m_grew || read.grew;
            it->late = it->late || read.grew;
            if (read.grew && it->quiet > 0)
                it->until = m_clock.MonotonicMs() + it->quiet;
            m_display.ShowSlice(it->file->Path(), lines, read);
        }
        if (m_clock.MonotonicMs() >= it->until)
            EndEarlier(it++);
        else
            ++it;
    }
}

void Monitor::EndEarlier(std::list<Earlier>::iterator it)
{
    const QString path = it->file->Path();
    const QByteArray unfinished = it->file->Reading().maker.Unfinished();
    // A rotated file that got nothing after the rotation ends without a word.
    const bool say = it->quiet == 0 || it->late || !unfinished.isEmpty();
    if (it->quiet == 0)
        m_readings.ForgetReading(path);
    m_earlier.erase(it);
    if (say)
        m_display.ShowEndOf(path, unfinished);
}

void Monitor::EndEarlier()
{
    while (!m_earlier.empty())
        EndEarlier(m_earlier.begin());
}

} // namespace reading
