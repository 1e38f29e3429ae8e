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
}

void Monitor::SetBound(qsizetype limit, qsizetype drop)
{
    m_limit = limit;
    m_drop = drop;
}

void Monitor::Start(const QString& path, const QString& filter)
{
    m_buffer = QByteArray(modMain::TailBytes + 1, '\0');
    if (path != m_path) {
        modMain::LastReadPos = 0;
        m_maker.Reset();
        m_seenValid = false;
        m_catchUp = false;
        m_path = path;
    }
    const QString folder = FolderOf(path);
    m_day = DayFollow::At(folder, path.mid(folder.size()), filter, m_clock.Now().date(),
                          m_clock.MonotonicMs());
    m_grew = true;
    m_timer.start(qMax(modMain::PollSeconds, 1) * 1000);
    Poll();
}

void Monitor::Poll()
{
    if (m_window.IsStopRequested()) {
        m_timer.stop();
        return;
    }
    if (m_day && !m_grew && !m_catchUp) {
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
    Show(ReadLines());
}

bool Monitor::Unchanged(const LogFileAccess::Status& now) const
{
    return m_seenValid && now.exists && now == m_seen &&
           m_clock.MonotonicMs() - m_seenSince >= QuietMs;
}

void Monitor::Observe(const LogFileAccess::Status& now)
{
    // The path names another file than at the last poll (rotated by rename, deleted and made
    // again): read it like a first read instead of waiting for the old size to come back.
    if (m_seenValid && now.exists && (!m_seen.exists || !now.SameFile(m_seen)))
        modMain::LastReadPos = 0;
    if (!m_seenValid || now != m_seen) {
        m_seen = now;
        m_seenSince = m_clock.MonotonicMs();
        m_seenValid = true;
    }
}

OutputBatch Monitor::ReadLines()
{
    const auto size = [this](const QString& caption) { m_window.ShowFileSize(caption); };
    OutputBatch lines;
    m_grew = false;
    // A new day's file is read a window at a time, so none of its lines is skipped however
    // much it held when following moved to it.
    for (int windows = 0; m_catchUp && windows < 256; ++windows) {
        modMain::Delivery at;
        bool caughtUp = false;
        const qint64 count = modMain::ReadForward(m_path, m_buffer, size, &at, &caughtUp);
        if (count > 1)
            m_maker.Feed(QByteArrayView(m_buffer).first(count - 1), at, lines);
        m_catchUp = !caughtUp;
        if (count <= 0)
            return lines;
        m_grew = true;
    }
    if (m_catchUp)
        return lines;
    modMain::Delivery at;
    const qint64 count = modMain::ReadAppended(m_path, m_buffer, modMain::TailBytes, size, &at);
    if (count > 0)
        m_maker.Feed(QByteArrayView(m_buffer).first(count - 1), at, lines);
    m_grew = m_grew || count > 1;
    return lines;
}

void Monitor::Show(const OutputBatch& lines)
{
    modMain::AppendNewLines(lines, m_window.FilterText(), modMain::UseDividers,
                            StampText(m_clock.Now()), m_lstRows);
    m_lstRows.Bound(m_limit, m_drop);
}

void Monitor::MoveTo(const QString& name)
{
    // What arrived in the old file last shows first, its unterminated last line included.
    OutputBatch lines = ReadLines();
    m_maker.Flush(lines);
    Show(lines);
    OutputBatch moved;
    moved.Add(QStringLiteral("Current Time ") + StampText(m_clock.Now()) +
              QStringLiteral(" continued in ") + name);
    m_lstRows.Append(moved);
    m_lstRows.SetCurrent(m_lstRows.Count() - 1);

    const QString from = m_path;
    m_path = FolderOf(m_path) + name;
    m_day->MovedTo(name);
    modMain::LastReadPos = 0;
    m_maker.Reset();
    m_seenValid = false;
    m_catchUp = true;
    m_window.FollowingMoved(from, m_path);
    Show(ReadLines());
}
