#include "Monitor.h"

#include "AppendNewLines.h"
#include "Readers.h"
#include "settings/modMain.h"

#include <QElapsedTimer>
#include <QLocale>

namespace
{
// A file whose size and time stay the same this long is not read again: reading a window every
// second costs gigabytes a day on a network share. The wait covers a write inside a NUL-padded
// file that the file system's coarse clock does not show.
constexpr qint64 QuietMs = 2000;
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

void Monitor::Start(const QString& path)
{
    m_buffer = QByteArray(modMain::TailBytes + 1, '\0');
    if (path != m_path) {
        modMain::LastReadPos = 0;
        m_maker.Reset();
        m_seenValid = false;
        m_path = path;
    }
    m_timer.start(qMax(modMain::PollSeconds, 1) * 1000);
    Poll();
}

void Monitor::Poll()
{
    if (m_window.IsStopRequested()) {
        m_timer.stop();
        return;
    }
    const LogFileAccess::Status now = LogFileAccess::Stat(m_path);
    if (Unchanged(now)) {
        m_window.ShowFileSize(modMain::FileSizeCaption(now.size));
        return;
    }
    Observe(now);
    ReadUpdate();
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

void Monitor::ReadUpdate()
{
    modMain::Delivery at;
    const qint64 count = modMain::ReadAppended(
        m_path, m_buffer, modMain::TailBytes,
        [this](const QString& caption) { m_window.ShowFileSize(caption); }, &at);
    if (count <= 0)
        return;
    OutputBatch lines;
    m_maker.Feed(QByteArrayView(m_buffer).first(count - 1), at, lines);
    modMain::AppendNewLines(lines, m_window.FilterText(), modMain::UseDividers,
                            StampText(m_clock.Now()), m_lstRows);
    const qsizetype gone = m_lstRows.Bound(m_limit, m_drop);
    modMain::SearchPosition = qMax<qsizetype>(0, modMain::SearchPosition - gone);
}
