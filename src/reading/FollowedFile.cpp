#include "FollowedFile.h"

#include <QElapsedTimer>

namespace reading
{

void SliceBudget::Shown(qint64 ns, qsizetype lines)
{
    // Showing costs more at times (fresh memory for the list): the estimate rises at once with
    // a costly slice and comes down slowly.
    if (lines >= 1000) // fewer are too few to tell
        m_showNsPerLine = qMax(ns / lines, m_showNsPerLine - m_showNsPerLine / 4);
}

FollowedFile::FollowedFile(const QString& path, ReadingStore& readings,
                           const modMain::Settings& settings, AccessWatch* watch)
    : m_path(path), m_readings(readings), m_settings(settings), m_watch(watch),
      m_buffer(settings.TailBytes + 1, '\0'), m_file(watch)
{
}

bool FollowedFile::Hold()
{
    if (m_file.IsOpen() || m_detached)
        return m_file.IsOpen();
    return OpenForReading(m_file, m_path, Reading());
}

bool FollowedFile::PathMoved() const
{
    if (m_detached || !m_file.IsOpen())
        return false;
    const LogFileAccess::Status now = LogFileAccess::Stat(m_path);
    return !(now.exists && now.SameFile(OpenStatus()));
}

void FollowedFile::HandOver()
{
    m_replaced.reset(new FollowedFile(m_file.CurrentPath(), m_readings, m_settings, m_watch));
    m_replaced->m_own = Reading();
    m_replaced->m_file = std::move(m_file);
    m_replaced->m_detached = true;
}

SliceRead FollowedFile::ReadSlice(OutputBatch& lines, const SliceBudget& budget,
                                  const SizeCaption& size)
{
    FileReading& reading = Reading();
    QElapsedTimer slice;
    slice.start();
    SliceRead read;
    read.window = !reading.started;
    Delivery at;
    do {
        if (!Hold())
            return read;
        const qint64 count =
            ReadAppended(m_file, m_buffer, m_settings.TailBytes, size, &at, reading);
        if (at.skipped > 0) {
            read.skipped = at.skipped;
            read.skippedAt = lines.size();
        }
        MakeLines(count, at, lines, read);
        // Its last lines read, a file the path no longer names makes way for the one it does.
        if (at.caughtUp && PathMoved()) {
            HandOver();
            at.caughtUp = false;
        }
    } while (!at.caughtUp && read.skipped == 0 &&
             !budget.Spent(slice.nsecsElapsed(), lines.size()));
    read.more = !at.caughtUp;
    return read;
}

void FollowedFile::MakeLines(qint64 count, const Delivery& at, OutputBatch& lines, SliceRead& read)
{
    if (count <= 0)
        return;
    FileReading& reading = Reading();
    read.grew = read.grew || count > 1 || !at.continues;
    const QByteArrayView bytes = QByteArrayView(m_buffer).first(count - 1);
    if (!reading.unfinishedShown || !at.continues) {
        reading.unfinishedShown = false;
        reading.maker.Feed(bytes, at, lines);
        return;
    }
    // The first line completes the row that the Tail showed unterminated.
    OutputBatch made;
    reading.maker.Feed(bytes, at, made);
    for (qsizetype i = 0; i < made.size(); ++i) {
        if (i == 0)
            read.completion = made.Line(0).toByteArray();
        else
            lines.Add(made.Line(i));
    }
    reading.unfinishedShown = made.size() == 0;
}

} // namespace reading
