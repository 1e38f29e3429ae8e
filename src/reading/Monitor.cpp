#include "Monitor.h"

#include "AppendNewLines.h"
#include "Readers.h"
#include "settings/modMain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocale>

namespace
{
// A file whose size and time stay the same this long is not read again: reading a window every
// second costs gigabytes a day on a network share. The wait covers a write inside a NUL-padded
// file that the file system's coarse clock does not show.
constexpr qint64 QuietMs = 2000;
// The longest stretch of reading a backlog before the event loop gets its turn.
constexpr qint64 SliceMs = 30;

// The folder part of a full path, its separator included.
QString FolderOf(const QString& path)
{
    return path.left(path.lastIndexOf(QDir::separator()) + 1);
}
} // namespace

qint64 SystemClock::MonotonicMs() const
{
    static QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.elapsed();
}

QString StampText(const QDateTime& when)
{
    const QLocale locale = QLocale::system();
    QString time = locale.timeFormat(QLocale::LongFormat);
    time.remove(QLatin1Char('t'));
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(when.time(), time.simplified());
}

Monitor::Monitor(OutputList& lstRows, FollowWindow& window, FollowClock& clock, QObject* parent)
    : QObject(parent), m_lstRows(lstRows), m_window(window), m_clock(clock)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Monitor::Poll);
    m_slice.setSingleShot(true);
    m_slice.setInterval(0);
    connect(&m_slice, &QTimer::timeout, this, &Monitor::ReadOn);
}

void Monitor::SetBound(qsizetype limit, qsizetype drop)
{
    m_limit = limit;
    m_drop = drop;
}

void Monitor::Start(const QString& path, const QString& filter)
{
    m_buffer = QByteArray(modMain::TailBytes + 1, '\0');
    // Another file than the last run's shows its last window first, unless the list ends with
    // its Tail: then following goes on from the Tail's end.
    if (path != m_path && !m_lstRows.EndsWithTailOf(path))
        modMain::ForgetReading(path);
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
    m_timer.start(qMax(modMain::PollSeconds, 1) * 1000);
    Poll();
}

void Monitor::Stop()
{
    m_timer.stop();
    m_slice.stop();
}

void Monitor::Poll()
{
    if (m_window.IsStopRequested()) {
        Stop();
        return;
    }
    if (m_slice.isActive()) // a backlog is being read
        return;
    if (m_day && !m_grew) {
        if (const std::optional<QString> next =
                m_day->Next(m_clock.Now().date(), m_clock.MonotonicMs())) {
            MoveTo(*next);
            return;
        }
    }
    const LogFileAccess::Status now = LogFileAccess::Stat(m_path);
    if (Unchanged(now)) {
        m_window.ShowFileSize(modMain::FileSizeCaption(now.size));
        m_grew = false;
        return;
    }
    Observe(now);
    m_grew = false;
    ReadOn();
}

bool Monitor::Unchanged(const LogFileAccess::Status& now) const
{
    // A read that failed is tried again at every poll: a chmod changes neither size nor time.
    return m_seenValid && now.exists && now == m_seen && !modMain::ReadingOf(m_path).failed &&
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
    if (m_window.IsStopRequested()) {
        Stop();
        return;
    }
    modMain::FileReading& reading = modMain::ReadingOf(m_path);
    const auto size = [this](const QString& caption) { m_window.ShowFileSize(caption); };
    QElapsedTimer slice;
    slice.start();
    OutputBatch lines;
    bool more = false;
    do {
        modMain::Delivery at;
        const qint64 count =
            modMain::ReadAppended(m_path, m_buffer, modMain::TailBytes, size, &at, reading);
        if (count < 0) {
            m_window.ShowFileSize(QStringLiteral("Cannot open: ") + reading.failure);
            break;
        }
        Take(reading, count, at, lines);
        more = !at.caughtUp;
    } while (more && slice.elapsed() < SliceMs);
    Show(lines);
    if (more)
        m_slice.start();
}

void Monitor::Take(modMain::FileReading& reading, qint64 count, const modMain::Delivery& at,
                   OutputBatch& lines)
{
    if (count <= 0)
        return;
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
        if (i == 0 && m_lstRows.UnfinishedRow(m_path) >= 0)
            m_lstRows.FinishRow(made.Line(0));
        else
            lines.Add(made.Line(i));
    }
    reading.unfinishedShown = made.size() == 0;
}

QString Monitor::Heading() const
{
    // Lines of another file than the ones before them say where they come from.
    if (m_lstRows.Count() == 0 || m_lstRows.Source() == m_path)
        return {};
    const QString name = m_path.mid(FolderOf(m_path).size());
    return QStringLiteral("Current Time ") + StampText(m_clock.Now()) +
           (m_announced ? QStringLiteral(" continued in ") : QStringLiteral(" following ")) + name;
}

void Monitor::Show(const OutputBatch& lines)
{
    // A busy log gets a divider block a poll interval, not one per read.
    const qint64 now = m_clock.MonotonicMs();
    const bool divider = modMain::UseDividers &&
                         (m_lastDivider < 0 || now - m_lastDivider >= modMain::PollSeconds * 1000);
    if (modMain::AppendNewLines(lines, m_window.FilterText(), divider, StampText(m_clock.Now()),
                                m_lstRows, Heading())) {
        m_lstRows.SetSource(m_path);
        m_announced = true;
    }
    if (divider && lines.size() > 0 && m_window.FilterText() == QStringLiteral("*"))
        m_lastDivider = now;
    m_lstRows.Bound(m_limit, m_drop);
}

void Monitor::MoveTo(const QString& name)
{
    // What arrived in the old file last shows first, its unterminated last line included.
    modMain::FileReading& old = modMain::ReadingOf(m_path);
    OutputBatch lines;
    modMain::Delivery at;
    const auto size = [this](const QString& caption) { m_window.ShowFileSize(caption); };
    const qint64 count =
        modMain::ReadAppended(m_path, m_buffer, modMain::TailBytes, size, &at, old);
    Take(old, count, at, lines);
    old.maker.Flush(lines);
    Show(lines);

    const QString from = m_path;
    m_path = FolderOf(m_path) + name;
    m_day->MovedTo(name);
    modMain::ReadFromStart(m_path);
    m_seenValid = false;
    m_window.FollowingMoved(from, m_path);
    ReadOn();
}
