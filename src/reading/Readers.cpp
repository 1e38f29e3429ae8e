#include "Readers.h"

#include "base/LogFileAccess.h"
#include "settings/modMain.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace modMain
{

namespace
{

// The readers' window; it needs room for at least one byte.
qint64 WindowBytes()
{
    return qMax<qint64>(TailBytes, 1);
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

// The read window of a file: its last TailBytes bytes (or all of a shorter file), followed by
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

// Opens the file, shows its size and reads its window; nothing when the file cannot be opened,
// and then the label stays as it was.
std::optional<Window> OpenWindow(LogFileAccess& file, const QString& Path,
                                 const SizeCaption& setSize)
{
    if (!file.Open(Path))
        return std::nullopt;
    const qint64 size = file.Size();
    ShowSize(setSize, size);
    return ReadWindow(file, size, WindowBytes());
}

// The caller's buffer normally has TailBytes + 1 bytes already; a smaller one grows.
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

} // namespace

QString FileSizeCaption(qint64 size)
{
    return QStringLiteral("Filesize: ") + QString::number(size);
}

qint64 ReadTail(const QString& Path, QByteArray& Buffer, qint64 Wanted, const SizeCaption& setSize,
                Delivery* where)
{
    const qint64 tail = WindowBytes();
    LogFileAccess file;
    std::optional<Window> window = OpenWindow(file, Path, setSize);
    if (!window)
        return -1;
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

    qint64 from = tail - qMax<qint64>(Wanted, 0);
    if (from < 0)
        from = 1;
    const qint64 count = tail - from + 1;
    std::copy_n(window->bytes.constData() + from, count, Room(Buffer, count));
    at.start += from;
    if (where)
        *where = at;
    return count;
}

qint64 ReadAppended(const QString& Path, QByteArray& Buffer, qint64 /*Wanted*/,
                    const SizeCaption& setSize, Delivery* where)
{
    const qint64 tail = WindowBytes();
    LogFileAccess file;
    const std::optional<Window> window = OpenWindow(file, Path, setSize);
    if (!window)
        return -1;
    const qint64 end = window->ContentEnd();
    // Content ending before what was delivered means the file was truncated or replaced by a
    // shorter one: read it as if for the first time rather than wait for the old size.
    if (end < LastReadPos)
        LastReadPos = 0;
    Delivery at{end, -1, false};
    if (window->allNul) {
        if (where)
            *where = at;
        return DeliverBefore(file, end, 0, Buffer);
    }
    if (end <= LastReadPos)
        return 0;
    const qint64 fresh = LastReadPos == 0 ? window->last : end - LastReadPos;
    // More than a window's worth since the last call: only the newest part is delivered.
    const qint64 k = fresh <= tail ? fresh : tail - 1;
    at = {end - k, uchar(window->bytes[window->last]), LastReadPos > 0 && k == fresh};
    LastReadPos = end;
    if (where)
        *where = at;
    return DeliverBefore(file, end, k, Buffer);
}

qint64 ReadForward(const QString& Path, QByteArray& Buffer, const SizeCaption& setSize,
                   Delivery* where, bool* caughtUp)
{
    *caughtUp = false;
    LogFileAccess file;
    const std::optional<Window> window = OpenWindow(file, Path, setSize);
    if (!window)
        return -1;
    const qint64 contentEnd = window->ContentEnd();
    const qint64 from = LastReadPos;
    if (window->allNul || contentEnd < from || (contentEnd == from && from > 0)) {
        *caughtUp = !window->allNul;
        return 0;
    }
    const qint64 end = qMin(from + WindowBytes() - 1, contentEnd);
    char held = window->bytes[window->last];
    if (end < contentEnd)
        ReadOrNul(file, end, &held, 1);
    *where = {from, uchar(held), from > 0};
    *caughtUp = end == contentEnd;
    LastReadPos = end;
    return DeliverBefore(file, end, end - from, Buffer);
}

} // namespace modMain
