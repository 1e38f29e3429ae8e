#include "Readers.h"

#include "base/LogFileAccess.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

namespace reading
{

namespace
{

// The readers' window; it needs room for at least one byte.
qint64 WindowBytes(qint64 Wanted)
{
    return qMax<qint64>(Wanted, 1);
}

void ShowSize(const SizeCaption& setSize, qint64 size)
{
    if (setSize)
        setSize(FileSizeCaption(size));
}

// Reads n bytes from pos. What cannot be read (end of file, a failure) becomes NUL, so a file
// that shrinks during a call leaves no stale bytes behind.
void ReadOrNul(LogFileAccess& file, qint64 pos, char* into, qint64 n)
{
    const qint64 got = n > 0 ? qBound<qint64>(0, file.ReadAt(pos, into, n), n) : 0;
    if (got < n)
        std::memset(into + got, 0, size_t(n - got));
}

// The read window of a file: its last Wanted bytes (or all of a shorter file), followed by
// one NUL, and the content found in it.
struct Window {
    QByteArray bytes;
    qint64 start = 0;
    qint64 last = 0;    // index of the last byte that is not NUL, 0 when there is none
    bool allNul = true; // no byte of the window is content
    qint64 ContentEnd() const { return start + last; }
};

Window ReadWindow(LogFileAccess& file, qint64 size, qint64 tail)
{
    Window window;
    window.bytes = QByteArray(tail + 1, '\0');
    window.start = size >= tail ? size - tail : 0;
    ReadOrNul(file, window.start, window.bytes.data(), qMin(size, tail));
    const char* bytes = window.bytes.constData();
    for (qint64 i = tail; i >= 0; --i) {
        if (bytes[i] != '\0') {
            window.last = i;
            window.allNul = false;
            break;
        }
    }
    return window;
}

// The content end in the file's last `tail` bytes, as ReadWindow finds it, read from the end a
// piece at a time: a log rarely ends in NUL padding, and reading the whole window at every read
// costs more than the few new lines.
BacklogEnd FindEnd(LogFileAccess& file, qint64 size, qint64 tail, qint64& windowStart)
{
    windowStart = size >= tail ? size - tail : 0;
    std::array<char, 4096> piece{};
    for (qint64 to = size; to > windowStart;) {
        const qint64 from = qMax(windowStart, to - qint64(piece.size()));
        ReadOrNul(file, from, piece.data(), to - from);
        for (qint64 i = to - from - 1; i >= 0; --i) {
            if (piece[size_t(i)] != '\0')
                return {from + i, piece[size_t(i)], size};
        }
        to = from;
    }
    return {};
}

// Opens the file, shows its size and reads its window; nothing when the file cannot be opened,
// and then the label stays as it was.
std::optional<Window> OpenWindow(LogFileAccess& file, const QString& Path, qint64 tail,
                                 const SizeCaption& setSize)
{
    if (!file.Open(Path))
        return std::nullopt;
    const qint64 size = file.Size();
    ShowSize(setSize, size);
    return ReadWindow(file, size, tail);
}

// The caller's buffer normally has Wanted + 1 bytes already; a smaller one grows.
char* Room(QByteArray& Buffer, qint64 n)
{
    if (Buffer.size() < n)
        Buffer.resize(n);
    return Buffer.data();
}

// The k bytes before the content end, then NUL.
qint64 DeliverBefore(LogFileAccess& file, qint64 contentEnd, qint64 k, QByteArray& Buffer)
{
    char* into = Room(Buffer, k + 1);
    ReadOrNul(file, contentEnd - k, into, k);
    into[k] = '\0';
    return k + 1;
}

// Remembers that everything up to pos, the byte at pos included, has been read.
void Remember(LogFileAccess& file, qint64 pos, FileReading& state)
{
    const qint64 from = qMax<qint64>(0, pos - SeenBytes);
    state.seen = QByteArray(pos - from + 1, '\0');
    ReadOrNul(file, from, state.seen.data(), state.seen.size());
    state.LastReadPos = pos;
    state.started = true;
}

// Whether the file still holds, before LastReadPos, the bytes last read there, and at least
// as much content.
bool SameContent(LogFileAccess& file, qint64 contentEnd, const FileReading& state)
{
    if (contentEnd < state.LastReadPos)
        return false;
    if (state.seen.isEmpty())
        return true;
    QByteArray now(state.seen.size(), '\0');
    ReadOrNul(file, state.LastReadPos + 1 - now.size(), now.data(), now.size());
    return now == state.seen;
}

// A backlog's next slice goes on up to the content end found when it began, as long as the
// file keeps the bytes read and has not shrunk.
bool InBacklog(LogFileAccess& file, qint64 size, const FileReading& state)
{
    const BacklogEnd& backlog = state.backlog;
    return state.started && backlog.end > state.LastReadPos && size >= backlog.size &&
           SameContent(file, backlog.end, state);
}

// Reads the file's last window for its content end and decides where the delivery starts
// (`at.start`, `at.continues`, a cut backlog's `at.skipped`); false when nothing is to be
// delivered.
bool FindContentEnd(LogFileAccess& file, qint64 size, qint64 tail, Delivery& at, FileReading& state,
                    BacklogEnd& end)
{
    qint64 windowStart = 0;
    end = FindEnd(file, size, tail, windowStart);
    // Nothing but NUL padding in view: nothing to deliver, and nothing read so far is dropped.
    // A file without any content yet begins the stream with its first byte, whenever it comes.
    if (end.end < 0) {
        if (!state.started && windowStart == 0)
            state.started = true;
        return false;
    }
    at.start = state.LastReadPos;
    if (!state.started) { // the first delivery: the last window
        at.start = windowStart;
        at.continues = false;
    } else if (!SameContent(file, end.end, state)) {
        // Truncated, rotated or written anew: the new content is read from its first byte.
        at.start = 0;
        at.continues = false;
    } else if (end.end == at.start) {
        return false;
    }
    if (end.end - at.start > BacklogCut) {
        at.skipped = end.end - BacklogCut - at.start;
        at.start = end.end - BacklogCut;
        at.continues = false;
    }
    return true;
}

} // namespace

QString FileSizeCaption(qint64 size)
{
    return QStringLiteral("Filesize: ") + QString::number(size);
}

qint64 ReadTail(const QString& Path, QByteArray& Buffer, qint64 Wanted, const SizeCaption& setSize,
                Delivery* where, FileReading* state)
{
    const qint64 tail = WindowBytes(Wanted);
    LogFileAccess file;
    std::optional<Window> window = OpenWindow(file, Path, tail, setSize);
    if (!window) {
        if (state)
            state->failure = file.Error();
        return -1;
    }
    if (state) {
        // Content that ends in an all-NUL window is not found: following starts afresh.
        if (window->allNul)
            *state = {};
        else
            Remember(file, window->ContentEnd(), *state);
        state->backlog = {};
    }
    Delivery at{window->start, -1, false};
    // The second read takes the window's worth of bytes that end just before the content end;
    // when the content ends early in the file the first read already holds everything.
    const qint64 second = window->ContentEnd() - tail;
    if (second >= 0) {
        if (!window->allNul)
            at.heldBack = uchar(window->bytes[window->last]);
        at.start = second;
        ReadOrNul(file, second, window->bytes.data(), tail);
    }
    file.Close();

    const qint64 from = tail - qMax<qint64>(Wanted, 0); // 1 with no window: NUL alone
    const qint64 count = tail - from + 1;
    std::copy_n(window->bytes.constData() + from, count, Room(Buffer, count));
    at.start += from;
    if (where)
        *where = at;
    return count;
}

void ReadingStore::ReadFromStart(const QString& Path)
{
    FileReading& state = m_readings[Path];
    state = {};
    state.started = true; // at 0, with nothing seen yet
}

void ReadingStore::ResumeAt(const QString& Path, qint64 end, const QByteArray& before)
{
    ReadFromStart(Path);
    if (end <= 0)
        return;
    // The break that ended the last line shown is read again, as the hidden end of a line, so
    // the stream goes on from it as it would have.
    // A CR LF is read again whole: after a lone LF the next LF would be taken as its pair.
    const qint64 back = before.endsWith("\r\n") ? 2 : 1;
    FileReading& state = m_readings[Path];
    state.LastReadPos = end - back;
    state.seen = before.chopped(back - 1);
}

bool OpenForReading(LogFileAccess& file, const QString& Path, FileReading& state)
{
    if (file.Open(Path)) {
        state.backlog = {}; // another descriptor finds its content end again
        return true;
    }
    state.failure = file.Error();
    // A file that is not there yet has no content: whatever it gets later is the stream's start.
    if (!state.started && !LogFileAccess::Stat(Path).exists)
        state.started = true;
    return false;
}

qint64 ReadAppended(LogFileAccess& file, QByteArray& Buffer, qint64 Wanted,
                    const SizeCaption& setSize, Delivery* where, FileReading& state)
{
    const qint64 tail = WindowBytes(Wanted);
    const qint64 size = file.Size();
    ShowSize(setSize, size);
    state.failure.clear();
    Delivery ignored;
    Delivery& at = where ? *where : ignored;
    at = {-1, -1, true};
    BacklogEnd end = state.backlog;
    if (InBacklog(file, size, state))
        at.start = state.LastReadPos;
    else if (!FindContentEnd(file, size, tail, at, state, end))
        return 0;
    const qint64 from = at.start;
    const qint64 to = qMin(from + tail - 1, end.end);
    char held = end.held;
    if (to < end.end)
        ReadOrNul(file, to, &held, 1);
    at.heldBack = uchar(held);
    at.caughtUp = to == end.end;
    const qint64 count = DeliverBefore(file, to, to - from, Buffer);
    Remember(file, to, state);
    state.backlog = at.caughtUp ? BacklogEnd{} : end;
    return count;
}

} // namespace reading
