#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>

// Tests stored log lines for a search text the way the search dialog counts: the line's text
// upper-cased contains the search text upper-cased. When the upper-cased search text is ASCII
// the stored bytes are scanned directly, with ASCII case folding; only a line that holds
// non-ASCII bytes and misses that scan is decoded, since a character such as "ß" can
// upper-case to ASCII letters.
class LineMatcher
{
public:
    explicit LineMatcher(const QString& text);
    bool Matches(QByteArrayView line) const;
    // Whether the upper-cased search text is ASCII and not empty, so FindBytes can find it.
    bool ByteScan() const { return m_ascii && !m_needle.isEmpty(); }
    // Where the search text first occurs in `bytes` at or after `from`, with ASCII case
    // folding; -1 when it does not, or when there is no byte scan. Says nothing about bytes
    // that would match only once decoded.
    qsizetype FindBytes(QByteArrayView bytes, qsizetype from = 0) const;
    // Where, at or after `from`, the search text stands (as FindBytes finds it) or a byte that
    // is NUL or not ASCII, whichever comes first; -1 when neither does. One pass, sixteen bytes
    // at a time, so a block of plain ASCII lines is looked at once and the caller gives a closer
    // look only to the lines around the places found. Needs ByteScan().
    qsizetype FindBytesOrOdd(QByteArrayView bytes, qsizetype from = 0) const;

private:
    bool TextContains(QByteArrayView line) const;
    bool TextAt(const uchar* at) const;

    QString m_upper;
    bool m_ascii = false;
    QByteArray m_needle;                 // upper-case ASCII
    std::array<qsizetype, 256> m_skip{}; // Horspool's shifts by the stored byte
    qsizetype m_shiftAfterLast = 1;      // after a miss where the last byte fit
    // The two bytes of the text least common in log lines, which FindBytesOrOdd looks for
    // first: their offsets in the text, and each as compared, with 0x20 set in a letter so
    // that both cases fit.
    std::array<qsizetype, 2> m_rareAt{};
    std::array<uchar, 2> m_rareFolded{};
    std::array<uchar, 2> m_rareCase{};
};
