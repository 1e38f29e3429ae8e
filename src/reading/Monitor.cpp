#include "Monitor.h"

#include "AppendNewLines.h"
#include "Readers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocale>

namespace
{
// A file whose size and time stay the same this long is not read again: reading a window every
// second costs gigabytes a day on a network share. The wait covers a write inside a NUL-padded
// file that the file system's coarse clock does not show.
constexpr qint64 QuietMs = 2000;
// The longest stretch of reading a backlog before the event loop gets its turn: half of it
// reading, about as much again for showing what was read.
constexpr qint64 SliceMs = 30;
// The shortest time between two looks that notifications bring, and while every look of the
// last second found new lines: a busy writer costs a few looks a second, not one per write.
constexpr qint64 LookGapMs = 100;
constexpr qint64 BusyLookGapMs = 250;
// How long the previous day's file is still watched for late lines after a move.
constexpr qint64 OldDayMs = 10 * 60 * 1000;

// The folder part of a full path, its separator included.
QString FolderOf(const QString& path)
{
    return path.left(path.lastIndexOf(QDir::separator()) + 1);
}
} // namespace

QString StampText(const QDateTime& when)
{
    const QLocale locale = QLocale::system();
    QString time = locale.timeFormat(QLocale::LongFormat);
    time.remove(QLatin1Char('t'));
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(when.time(), time.simplified());
}

Monitor::Monitor(OutputList& lstRows, FollowWindow& window, FollowClock& clock,
                 const modMain::Settings& settings, modMain::ReadingStore& readings,
                 QObject* parent)
    : QObject(parent), m_lstRows(lstRows), m_window(window), m_clock(clock), m_settings(settings),
      m_readings(readings)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Monitor::Poll);
    m_slice.setSingleShot(true);
    m_slice.setInterval(0);
    connect(&m_slice, &QTimer::timeout, this, &Monitor::ReadOn);
    m_soon.setSingleShot(true);
    m_soon.setTimerType(Qt::PreciseTimer);
    connect(&m_soon, &QTimer::timeout, this, &Monitor::Look);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &Monitor::Notified);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &Monitor::Notified);
}

void Monitor::SetBound(qsizetype limit, qsizetype drop)
{
    m_limit = limit;
    m_drop = drop;
}

void Monitor::Start(const QString& path, const QString& filter)
{
    m_buffer = QByteArray(m_settings.TailBytes + 1, '\0');
    EndOldDay();
    // Another file than the last run's shows its last window first, unless the list ends with
    // its Tail: then following goes on from the Tail's end.
    if (path != m_path && !m_lstRows.EndsWithTailOf(path))
        m_readings.ForgetReading(path);
    if (path != m_path)
        m_seenValid = false;
    m_path = path;
    const QString folder = FolderOf(path);
    m_day = DayFollow::At(folder, path.mid(folder.size()), filter, m_clock.Now().date(),
                          m_clock.MonotonicMs());
    m_grew = true;
    m_announced = false;
    m_lastDivider = -1;
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
    EndOldDay();
}

void Monitor::Unwatch()
{
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    if (!watched.isEmpty())
        m_watcher.removePaths(watched);
    m_watched = {};
}

void Monitor::Notified()
{
    if (!m_timer.isActive() || m_soon.isActive())
        return;
    const qint64 now = m_clock.MonotonicMs();
    const bool busy = now - m_lastQuiet >= 1000 && now - m_lastLook < 1000;
    m_soon.start(int(
        qBound<qint64>(0, m_lastLook + (busy ? BusyLookGapMs : LookGapMs) - now, BusyLookGapMs)));
}

void Monitor::Watch(const LogFileAccess::Status& now)
{
    // Qt drops the watch of a file renamed away and keeps watching a deleted one that a writer
    // still holds open, so the watch follows whatever file the path names.
    const bool watching = !m_watcher.files().isEmpty();
    if (!m_notify || (watching && now.exists && now.SameFile(m_watched)))
        return;
    if (watching)
        m_watcher.removePaths(m_watcher.files());
    if (now.exists)
        m_watcher.addPath(m_path);
    m_watched = now;
}

void Monitor::Poll()
{
    if (!Running() || m_slice.isActive()) // a backlog is being read
        return;
    LookAtOldDay();
    if (m_day && !m_grew) {
        if (const std::optional<QString> next =
                m_day->Next(m_clock.Now().date(), m_clock.MonotonicMs())) {
            MoveTo(*next);
            return;
        }
    }
    Look();
}

void Monitor::Look()
{
    if (m_slice.isActive())
        return;
    m_soon.stop();
    const LogFileAccess::Status now = LogFileAccess::Stat(m_path);
    Watch(now);
    m_lastLook = m_clock.MonotonicMs();
    m_grew = false;
    if (Unchanged(now)) {
        m_window.ShowFileSize(modMain::FileSizeCaption(now.size));
    } else {
        Observe(now);
        ReadOn();
    }
    if (!m_grew)
        m_lastQuiet = m_lastLook;
}

bool Monitor::Unchanged(const LogFileAccess::Status& now) const
{
    // A read that failed is tried again at every poll: a chmod changes neither size nor time.
    return m_seenValid && now.exists && now == m_seen &&
           m_readings.ReadingOf(m_path).failure.isEmpty() &&
           m_clock.MonotonicMs() - m_seenSince >= QuietMs;
}

void Monitor::Observe(const LogFileAccess::Status& now)
{
    if (!m_seenValid || now != m_seen) {
        m_seen = now;
        m_seenSince = m_clock.MonotonicMs();
        m_seenValid = true;
    }
}

void Monitor::ReadOn()
{
    OutputBatch lines;
    const bool more = ReadSlice(
        m_path, [this](const QString& caption) { m_window.ShowFileSize(caption); }, lines);
    Show(lines, m_path);
    if (const modMain::FileReading& reading = m_readings.ReadingOf(m_path);
        !reading.failure.isEmpty())
        m_window.ShowFileSize(QStringLiteral("Cannot open: ") + reading.failure);
    if (more)
        m_slice.start();
}

bool Monitor::ReadSlice(const QString& path, const modMain::SizeCaption& size, OutputBatch& lines)
{
    modMain::FileReading& reading = m_readings.ReadingOf(path);
    QElapsedTimer slice;
    slice.start();
    modMain::Delivery at;
    do {
        const qint64 count = modMain::ReadAppended(path, m_buffer, m_settings.TailBytes, size, &at,
                                                   reading, &m_access);
        if (count < 0)
            return false;
        if (at.skipped > 0) {
            Show(lines, path);
            lines.clear();
            Say(QString::number(at.skipped) + QStringLiteral(" bytes skipped"));
        }
        Take(path, count, at, lines);
    } while (!at.caughtUp && slice.elapsed() < SliceMs / 2);
    return !at.caughtUp;
}

void Monitor::Take(const QString& path, qint64 count, const modMain::Delivery& at,
                   OutputBatch& lines)
{
    if (count <= 0)
        return;
    modMain::FileReading& reading = m_readings.ReadingOf(path);
    m_grew = m_grew || count > 1 || !at.continues;
    const QByteArrayView bytes = QByteArrayView(m_buffer).first(count - 1);
    if (!reading.unfinishedShown || !at.continues) {
        reading.unfinishedShown = false;
        reading.maker.Feed(bytes, at, lines);
        return;
    }
    // The first line completes the row that the Tail showed unterminated: it takes that row's
    // place, before this update's divider and whatever the filter; where the row is gone it
    // comes as a new line.
    OutputBatch made;
    reading.maker.Feed(bytes, at, made);
    for (qsizetype i = 0; i < made.size(); ++i) {
        if (i == 0 && m_lstRows.UnfinishedRow(path) >= 0)
            m_lstRows.FinishRow(made.Line(0));
        else
            lines.Add(made.Line(i));
    }
    reading.unfinishedShown = made.size() == 0;
}

void Monitor::Say(const QString& what)
{
    OutputBatch line;
    line.Add(QStringLiteral("Current Time ") + StampText(m_clock.Now()) + u' ' + what);
    m_lstRows.Append(line);
    m_lstRows.SetCurrent(m_lstRows.Count() - 1);
}

QString Monitor::Heading(const QString& path) const
{
    // Lines of another file than the ones before them say where they come from.
    if (m_lstRows.Count() == 0 || m_lstRows.Source() == path)
        return {};
    const QString name = path.mid(FolderOf(path).size());
    return QStringLiteral("Current Time ") + StampText(m_clock.Now()) +
           (m_announced ? QStringLiteral(" continued in ") : QStringLiteral(" following ")) + name;
}

void Monitor::Show(const OutputBatch& lines, const QString& path)
{
    // A busy log gets a divider block a poll interval, not one per read.
    const qint64 now = m_clock.MonotonicMs();
    const bool divider =
        m_settings.UseDividers &&
        (m_lastDivider < 0 || now - m_lastDivider >= m_settings.PollSeconds * 1000);
    if (modMain::AppendNewLines(lines, m_window.FilterText(), divider, StampText(m_clock.Now()),
                                m_lstRows, Heading(path))) {
        m_lstRows.SetSource(path);
        m_announced = true;
    }
    if (divider && lines.size() > 0 && m_window.FilterText() == QStringLiteral("*"))
        m_lastDivider = now;
    m_lstRows.Bound(m_limit, m_drop);
}

void Monitor::MoveTo(const QString& name)
{
    // What arrived in the old file last shows first; its unterminated last line waits for a
    // late write, as long as the old file is watched.
    EndOldDay();
    OutputBatch lines;
    const bool more = ReadSlice(m_path, {}, lines);
    Show(lines, m_path);
    // What a slice left unread shows at the next poll.
    m_old = OldDay{m_path, more ? LogFileAccess::Status{} : LogFileAccess::Stat(m_path),
                   m_clock.MonotonicMs() + OldDayMs};

    const QString from = m_path;
    m_path = FolderOf(m_path) + name;
    m_day->MovedTo(name);
    m_readings.ReadFromStart(m_path);
    m_seenValid = false;
    m_window.FollowingMoved(from, m_path);
    ReadOn();
}

void Monitor::LookAtOldDay()
{
    if (!m_old)
        return;
    if (m_clock.MonotonicMs() >= m_old->until) {
        EndOldDay();
        return;
    }
    const LogFileAccess::Status now = LogFileAccess::Stat(m_old->path);
    if (now == m_old->seen)
        return;
    m_old->seen = now;
    OutputBatch lines;
    if (ReadSlice(m_old->path, {}, lines))
        m_old->seen = {}; // the rest at the next poll
    Show(lines, m_old->path);
}

void Monitor::EndOldDay()
{
    if (!m_old)
        return;
    const OldDay old = *m_old;
    m_old.reset();
    OutputBatch rest;
    const QByteArray unfinished = m_readings.ReadingOf(old.path).maker.Unfinished();
    if (!unfinished.isEmpty())
        rest.Add(unfinished);
    Show(rest, old.path);
    m_readings.ForgetReading(old.path);
    Say(QStringLiteral("no longer watching ") + old.path.mid(FolderOf(old.path).size()));
}
