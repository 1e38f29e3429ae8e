#pragma once

#include "OutputModel.h"

#include <QByteArray>
#include <QByteArrayView>

namespace reading
{

// Where a reader's bytes came from, so that lines can be made across deliveries.
struct Delivery {
    qint64 start = -1;      // file offset of the first byte delivered; -1 when unknown
    int heldBack = -1;      // the byte at the content end, which the next delivery begins with
    bool continues = false; // begins with the byte held back by the previous delivery
    bool caughtUp = true;   // reached the content end; otherwise more is waiting to be read
    qint64 skipped = 0;     // bytes left unread before `start` because the backlog was too large
};

// CR and LF end lines. LineMaker's lines that are not empty are exactly the runs of bytes
// between two breaks, which lets a scan find the line around a place without making the others.
constexpr bool IsLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

// Where the line that holds the byte at `at` starts, given that a line starts at `from`.
qsizetype LineStartBefore(QByteArrayView bytes, qsizetype from, qsizetype at);

// The next line break at or after a place, for places that only grow: each break byte is looked
// up again only once passed, so the bytes are scanned about once whatever the number of places.
class NextLineBreak
{
public:
    explicit NextLineBreak(QByteArrayView bytes) : m_bytes(bytes) {}
    // bytes.size() when no break follows.
    qsizetype After(qsizetype at) { return qMin(Next(m_lf, '\n', at), Next(m_cr, '\r', at)); }

private:
    qsizetype Next(qsizetype& cached, char c, qsizetype at);
    QByteArrayView m_bytes;
    qsizetype m_lf = -1, m_cr = -1;
};

// Whether a NUL byte belongs to the line (following a file) or is dropped (the Tail command).
enum class NulByte { Skipped, Character };

// Makes lines from a file's bytes as one stream. CR, LF, CR LF and LF CR each end one line, and
// after a break one LF and then one CR are absorbed, so CR LF CR LF leaves an empty line but
// LF LF and CR CR do not. The text after the last break waits for the next delivery, and so
// does the pairing of a break cut between two deliveries. A delivery that does not continue
// the stream starts it afresh; its first piece is hidden unless it starts at byte 0, since the
// read window may have cut that line. A delivery continues the stream only when it begins at
// the byte held back last time and with that very byte.
class LineMaker
{
public:
    explicit LineMaker(NulByte nul) : m_skipNul(nul == NulByte::Skipped) {}

    // Adds to `lines` every line that the delivered bytes (and the held-back byte) complete.
    void Feed(QByteArrayView bytes, const Delivery& at, OutputBatch& lines);
    // The unterminated rest, unless it is hidden as a line the window may have cut.
    QByteArray Unfinished() const { return m_hideFirst ? QByteArray() : m_pending; }
    // Adds the lines that `bytes` complete when they follow the bytes given last directly, as
    // when a file is read block by block from byte 0 to its end.
    void Continue(QByteArrayView bytes, OutputBatch& lines) { Take(bytes, lines); }
    // Whether no text waits for the next bytes: they begin a line.
    bool AtLineStart() const { return m_pending.isEmpty(); }
    // How many bytes of an unterminated line wait, hidden or not.
    qsizetype PendingSize() const { return m_pending.size(); }
    void SetNul(NulByte nul) { m_skipNul = nul == NulByte::Skipped; }

private:
    enum class Pairing { None, AfterBreak, AfterLf };
    void Restart(qint64 start);
    void Take(QByteArrayView bytes, OutputBatch& lines);
    void EndLine(OutputBatch& lines);

    bool m_skipNul;
    QByteArray m_pending;
    Pairing m_pairing = Pairing::None;
    bool m_hideFirst = false;
    qint64 m_next = -1; // file offset of the next byte the stream expects
    int m_held = -1;    // the byte held back at m_next - 1
};

} // namespace reading
