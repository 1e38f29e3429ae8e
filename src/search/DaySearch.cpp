#include "DaySearch.h"

#include "base/LineMatcher.h"
#include "base/LogFileAccess.h"
#include "folders/DatedStyle.h"
#include "folders/FileListing.h"
#include "folders/FilterPattern.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace search
{

namespace
{

// Handed over and not yet delivered; past this the worker waits for the window. The window
// takes everything that waits in one go, so this bounds how long it is kept from other events.
constexpr qint64 MaxInFlight = 2 << 20;

bool IsBreak(char c)
{
    return c == '\r' || c == '\n';
}

// Where the line that holds `at` starts, given that one starts at or before `from`; the ranges
// of successive calls do not overlap.
qsizetype LineStart(QByteArrayView bytes, qsizetype from, qsizetype at)
{
    const auto* p = static_cast<const char*>(bytes.data());
    const void* lf = memrchr(p + from, '\n', size_t(at - from));
    const void* cr = memrchr(p + from, '\r', size_t(at - from));
    const char* last = std::max(static_cast<const char*>(lf), static_cast<const char*>(cr));
    return last ? last - p + 1 : from;
}

// The next line break at or after a place, for places that only grow: each break kind is looked
// up again only once passed, so a block is scanned about once whatever the number of hits.
class NextBreak
{
public:
    explicit NextBreak(QByteArrayView bytes) : m_bytes(bytes) {}
    qsizetype After(qsizetype at) { return std::min(Next(m_lf, '\n', at), Next(m_cr, '\r', at)); }

private:
    qsizetype Next(qsizetype& cached, char c, qsizetype at)
    {
        if (cached < at) {
            const void* found = std::memchr(m_bytes.data() + at, c, size_t(m_bytes.size() - at));
            cached = found ? static_cast<const char*>(found) - m_bytes.data() : m_bytes.size();
        }
        return cached;
    }
    QByteArrayView m_bytes;
    qsizetype m_lf = -1, m_cr = -1;
};

// Whether the bytes are all ASCII, and whether one of them is NUL, in one pass.
std::pair<bool, bool> Kinds(QByteArrayView bytes)
{
    constexpr quint64 Ones = 0x0101010101010101ULL, Highs = 0x8080808080808080ULL;
    const char* p = bytes.data();
    qsizetype left = bytes.size();
    quint64 any = 0, zero = 0;
    for (; left >= 8; p += 8, left -= 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        any |= word;
        zero |= (word - Ones) & ~word & Highs; // non-zero when a byte of the word is 0
    }
    for (; left > 0; ++p, --left) {
        any |= uchar(*p);
        zero |= *p == 0 ? Highs : 0;
    }
    return {(any & Highs) == 0, zero != 0};
}

qint64 BatchBytes(const OutputBatch& lines)
{
    qint64 bytes = 0;
    for (qsizetype i = 0; i < lines.size(); ++i)
        bytes += lines.Line(i).size();
    return bytes;
}

QString Counted(qint64 n, const char* one, const char* many)
{
    return QString::number(n) + u' ' + QLatin1String(n == 1 ? one : many);
}

} // namespace

DayFiles ChooseDayFiles(const QString& folder, const QString& filter, const QDate& from,
                        const QDate& to)
{
    DayFiles chosen;
    const std::optional<QString> pattern = FilterToPattern(filter);
    if (!pattern)
        return chosen;
    const std::optional<DatedStyle> dated = DatedStyle::From(filter);
    QList<std::pair<QDate, QString>> dayOf;
    for (const QString& name : ListMatchingFiles(folder, *pattern)) {
        std::optional<QDate> date;
        if (dated) {
            date = dated->DateOf(name);
            if (!date) {
                ++chosen.skipped;
                continue;
            }
        } else {
            date = QFileInfo(QDir(folder).filePath(name)).lastModified().date();
        }
        if (*date >= from && *date <= to)
            dayOf.append({*date, name});
    }
    // The listing is sorted by name, so names of one day keep that order.
    std::stable_sort(dayOf.begin(), dayOf.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [date, name] : dayOf)
        chosen.names.append(name);
    return chosen;
}

// The search itself, on the worker thread.
class DaySearch::Worker
{
public:
    Worker(DaySearch& owner, const QString& folder, const QString& text)
        : m_owner(owner), m_folder(folder), m_matcher(text),
          // A hit across a line break is no match, so a text holding one needs the lines.
          m_byteScan(m_matcher.ByteScan() && !text.contains(u'\r') && !text.contains(u'\n'))
    {
    }

    void Run(const DayFiles& files)
    {
        m_progress.start();
        for (qsizetype i = 0; i < files.names.size() && !Stopped(); ++i) {
            SearchFile(files.names[i]);
            m_owner.SendProgress(++m_done, m_bytes);
        }
        if (m_full)
            m_pending.lines.Add(QStringLiteral("Search stopped: the output window holds at most ") +
                                Counted(m_owner.m_lineLimit, "line", "lines"));
        else if (m_owner.Cancelled())
            m_pending.lines.Add(QStringLiteral("Search cancelled"));
        QString closing = Counted(m_searched, "file", "files") + QStringLiteral(" searched, ") +
                          Counted(m_bytes, "byte", "bytes");
        if (files.skipped > 0)
            closing += QStringLiteral("; ") + Counted(files.skipped, "file", "files") +
                       QStringLiteral(" without a valid date in the name skipped");
        m_pending.lines.Add(closing);
        m_owner.Send(std::exchange(m_pending, {}));
        m_owner.SendFinished(m_owner.Cancelled() && !m_full);
    }

private:
    bool Stopped() const { return m_full || m_owner.Cancelled(); }

    void SearchFile(const QString& name)
    {
        LogFileAccess file;
        const QString shown = ReadableName(name);
        if (!file.Open(QDir(m_folder).filePath(name))) {
            Note(shown + QStringLiteral(": cannot be opened: ") + file.Error());
            return;
        }
        ++m_searched;
        // Lines written after the file was opened belong to a later search.
        const qint64 size = file.Size();
        qsizetype carried = 0; // the start of a line the last block did not end
        for (qint64 at = 0; at < size && !Stopped();) {
            const qint64 want = qMin(m_owner.m_blockSize, size - at);
            if (m_buffer.size() < carried + want)
                m_buffer.resize(carried + want);
            const qint64 got = file.ReadAt(at, m_buffer.data() + carried, want);
            if (got <= 0)
                break; // shrunk or failed: what was read so far counts
            at += got;
            m_bytes += got;
            const qsizetype filled = carried + qsizetype(got);
            // The carried bytes hold no break, so only the new ones need a look.
            qsizetype end = filled;
            while (at < size && end > carried && !IsBreak(m_buffer[end - 1]))
                --end;
            if (end == carried && at < size)
                end = 0;
            if (end > 0) {
                Scan(QByteArrayView(m_buffer.constData(), end));
                carried = filled - end;
                std::memmove(m_buffer.data(), m_buffer.constData() + end, size_t(carried));
            } else {
                carried = filled;
            }
            if (m_progress.elapsed() >= 50) {
                m_owner.SendProgress(m_done, m_bytes);
                m_progress.restart();
            }
        }
        if (carried > 0 && !Stopped()) // the file shrank while it was read
            Scan(QByteArrayView(m_buffer.constData(), carried));
        if (m_heldLines > 0) {
            Note(shown + QStringLiteral(": ") + Counted(m_heldLines, "match", "matches"));
            m_owner.Send(std::exchange(m_pending, {}));
            for (OutputBatch& lines : m_held)
                m_owner.Send({std::move(lines), true});
            m_sent += m_heldLines;
        }
        m_held.clear();
        m_heldLines = 0;
        if (m_buffer.size() > 4 * m_owner.m_blockSize)
            m_buffer = QByteArray(); // a very long line is no reason to keep its memory
    }

    // A heading, or a file that cannot be opened; a heading always has room.
    void Note(const QString& line)
    {
        if (m_sent + m_heldLines + 3 > m_owner.m_lineLimit) {
            m_full = true;
            return;
        }
        m_pending.lines.Add(line);
        ++m_sent;
    }

    // Whole lines only: every line of `bytes` ends at a break or at the end of the file.
    void Scan(QByteArrayView bytes)
    {
        const auto [ascii, nul] = Kinds(bytes);
        if (m_byteScan && ascii && !nul) {
            // Only the lines around a hit need a look.
            NextBreak breaks(bytes);
            for (qsizetype hit = m_matcher.FindBytes(bytes), from = 0; hit >= 0 && !m_full;) {
                const qsizetype start = LineStart(bytes, from, hit);
                const qsizetype end = breaks.After(hit);
                Take(bytes.sliced(start, end - start));
                from = end;
                hit = m_matcher.FindBytes(bytes, end);
            }
            return;
        }
        for (qsizetype start = 0; start < bytes.size() && !m_full;) {
            qsizetype end = start;
            while (end < bytes.size() && !IsBreak(bytes[end]))
                ++end;
            QByteArrayView line = bytes.sliced(start, end - start);
            QByteArray joined;
            if (nul && line.contains('\0')) {
                // NUL bytes belong to no line; the text on both sides is joined.
                joined = line.toByteArray();
                joined.removeIf([](char c) { return c == '\0'; });
                line = joined;
            }
            if (m_matcher.Matches(line))
                Take(line);
            start = end + 1;
        }
    }

    void Take(QByteArrayView line)
    {
        // Room is kept for this file's heading, the line saying the search stopped, and the
        // closing line.
        if (m_sent + m_heldLines + 4 > m_owner.m_lineLimit) {
            m_full = true;
            return;
        }
        // In parts small enough for the window to take one between two of its events.
        if (m_held.empty() || m_held.back().size() >= 4096)
            m_held.emplace_back();
        m_held.back().Add(line);
        ++m_heldLines;
    }

    DaySearch& m_owner;
    const QString m_folder;
    const LineMatcher m_matcher;
    const bool m_byteScan;
    QByteArray m_buffer;
    // The current file's matching lines, until its heading is known.
    std::vector<OutputBatch> m_held;
    qsizetype m_heldLines = 0;
    DayBatch m_pending;
    QElapsedTimer m_progress;
    qsizetype m_sent = 0; // lines handed over or pending
    qsizetype m_searched = 0;
    qsizetype m_done = 0; // files searched or found unreadable
    qint64 m_bytes = 0;
    bool m_full = false;
};

DaySearch::DaySearch(QObject* parent) : QObject(parent) {}

DaySearch::~DaySearch()
{
    Abandon();
}

void DaySearch::Start(const QString& folder, const DayFiles& files, const QString& text)
{
    Abandon();
    m_cancel = false;
    m_inFlight = 0;
    m_running = true;
    m_thread.reset(
        QThread::create([this, folder, files, text] { Worker(*this, folder, text).Run(files); }));
    m_thread->start();
}

void DaySearch::Cancel()
{
    QMutexLocker lock(&m_mutex);
    m_cancel = true;
    m_delivered.wakeAll();
}

void DaySearch::Finish()
{
    if (!m_thread)
        return;
    Cancel();
    m_thread->wait();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void DaySearch::Abandon()
{
    if (!m_thread)
        return;
    Cancel();
    m_thread->wait();
    m_thread.reset();
    ++m_run;
    m_running = false;
}

void DaySearch::Send(DayBatch&& batch)
{
    const qint64 bytes = BatchBytes(batch.lines);
    {
        QMutexLocker lock(&m_mutex);
        while (m_inFlight > MaxInFlight && !Cancelled())
            m_delivered.wait(&m_mutex);
        m_inFlight += bytes;
    }
    QMetaObject::invokeMethod(
        this,
        [this, run = m_run, bytes, batch = std::move(batch)] {
            {
                QMutexLocker lock(&m_mutex);
                m_inFlight -= bytes;
                m_delivered.wakeAll();
            }
            if (run == m_run)
                Q_EMIT Found(batch);
        },
        Qt::QueuedConnection);
}

void DaySearch::SendProgress(qsizetype filesDone, qint64 bytesDone)
{
    QMetaObject::invokeMethod(
        this,
        [this, run = m_run, filesDone, bytesDone] {
            if (run == m_run)
                Q_EMIT Progress(filesDone, bytesDone);
        },
        Qt::QueuedConnection);
}

void DaySearch::SendFinished(bool cancelled)
{
    QMetaObject::invokeMethod(
        this,
        [this, run = m_run, cancelled] {
            if (run != m_run)
                return;
            m_thread->wait();
            m_thread.reset();
            m_running = false;
            Q_EMIT Finished(cancelled);
        },
        Qt::QueuedConnection);
}

} // namespace search
