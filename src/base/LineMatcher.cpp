#include "LineMatcher.h"

#include "LogText.h"

#include <cstring>

namespace
{

constexpr std::array<uchar, 256> MakeFolding()
{
    std::array<uchar, 256> fold{};
    for (int c = 0; c < 256; ++c)
        fold[size_t(c)] = uchar(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return fold;
}

constexpr std::array<uchar, 256> Fold = MakeFolding();

// Bytes of log lines from the most common on, upper-cased; any other byte is rarer still.
constexpr char CommonInLogs[] = " 0E1.2A/T:O3I5-4N6S9R78L=&C?DHPMU_GWF,Y;+B\"()KV";

qsizetype Rarity(uchar c)
{
    const char* at = std::strchr(CommonInLogs, Fold[c]);
    return c != 0 && at ? at - CommonInLogs : qsizetype(sizeof CommonInLogs);
}

bool IsLetter(uchar c)
{
    return Fold[c | 0x20] != (c | 0x20);
}

// Sixteen bytes at a time, as plain vector operations that every target the compiler knows
// carries out with its own instructions (SSE2, NEON) or else byte by byte.
using Bytes16 = uchar __attribute__((vector_size(16)));
using Signed16 = signed char __attribute__((vector_size(16)));

Bytes16 Load16(const uchar* at)
{
    Bytes16 v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

bool Any(Signed16 lanes)
{
    quint64 halves[2];
    std::memcpy(halves, &lanes, sizeof halves);
    return (halves[0] | halves[1]) != 0;
}

} // namespace

LineMatcher::LineMatcher(const QString& text) : m_upper(text.toUpper())
{
    m_needle = m_upper.toUtf8();
    m_ascii = IsAscii(m_needle);
    if (!m_ascii || m_upper.isEmpty()) {
        m_needle.clear();
        return;
    }
    // Horspool's table over folded bytes: how far the window may move when its last byte is c.
    const qsizetype last = m_needle.size() - 1;
    std::array<qsizetype, 256> folded;
    folded.fill(m_needle.size());
    for (qsizetype i = 0; i < last; ++i)
        folded[uchar(m_needle[i])] = last - i;
    // Indexed by the byte as stored, so the scan folds nothing; 0 where the needle's last byte
    // may stand.
    for (int c = 0; c < 256; ++c)
        m_skip[size_t(c)] = Fold[size_t(c)] == uchar(m_needle[last]) ? 0 : folded[Fold[size_t(c)]];
    m_shiftAfterLast = folded[uchar(m_needle[last])];
    // The rarest byte first and the next rarest elsewhere in the text: both must fit before the
    // text is compared.
    for (qsizetype i = 0; i < m_needle.size(); ++i) {
        if (Rarity(uchar(m_needle[i])) > Rarity(uchar(m_needle[m_rareAt[0]])))
            m_rareAt[0] = i;
    }
    m_rareAt[1] = m_rareAt[0] == 0 ? last : 0;
    for (qsizetype i = 0; i < m_needle.size(); ++i) {
        if (i != m_rareAt[0] && Rarity(uchar(m_needle[i])) > Rarity(uchar(m_needle[m_rareAt[1]])))
            m_rareAt[1] = i;
    }
    for (int k = 0; k < 2; ++k) {
        const uchar c = uchar(m_needle[m_rareAt[k]]);
        m_rareCase[k] = IsLetter(c) ? 0x20 : 0;
        m_rareFolded[k] = c | m_rareCase[k];
    }
}

bool LineMatcher::Matches(QByteArrayView line) const
{
    if (m_upper.isEmpty() || line.isEmpty())
        return false;
    if (!m_ascii) // an ASCII line upper-cases to ASCII and cannot hold this text
        return !IsAscii(line) && TextContains(line);
    return FindBytes(line) >= 0 || (!IsAscii(line) && TextContains(line));
}

qsizetype LineMatcher::FindBytes(QByteArrayView bytes, qsizetype from) const
{
    if (!ByteScan())
        return -1;
    const qsizetype n = m_needle.size();
    const qsizetype last = n - 1;
    const auto* hay = reinterpret_cast<const uchar*>(bytes.data());
    const auto* needle = reinterpret_cast<const uchar*>(m_needle.constData());
    const qsizetype end = bytes.size() - n; // the last place the needle can start
    for (qsizetype pos = qMax<qsizetype>(from, 0); pos <= end;) {
        qsizetype skip;
        while ((skip = m_skip[hay[pos + last]]) != 0) {
            pos += skip;
            if (pos > end)
                return -1;
        }
        qsizetype i = 0;
        while (i < last && Fold[hay[pos + i]] == needle[i])
            ++i;
        if (i == last)
            return pos;
        pos += m_shiftAfterLast;
    }
    return -1;
}

qsizetype LineMatcher::FindBytesOrOdd(QByteArrayView bytes, qsizetype from) const
{
    const qsizetype n = m_needle.size();
    const auto* hay = reinterpret_cast<const uchar*>(bytes.data());
    qsizetype pos = qMax<qsizetype>(from, 0);
    // Each lane: the text may start here, or the byte here is NUL or above 0x7F (which as a
    // signed byte is not above 0).
    for (; pos + n - 1 + 16 <= bytes.size(); pos += 16) {
        const Bytes16 first = Load16(hay + pos + m_rareAt[0]) | m_rareCase[0];
        const Bytes16 second = Load16(hay + pos + m_rareAt[1]) | m_rareCase[1];
        const Signed16 found = ((first == m_rareFolded[0]) & (second == m_rareFolded[1])) |
                               (Signed16(Load16(hay + pos)) <= 0);
        if (!Any(found))
            continue;
        for (int lane = 0; lane < 16; ++lane) {
            if (found[lane] && (signed char)(hay[pos + lane]) <= 0)
                return pos + lane;
            if (found[lane] && TextAt(hay + pos + lane))
                return pos + lane;
        }
    }
    for (; pos < bytes.size(); ++pos) {
        if ((signed char)(hay[pos]) <= 0 || (pos + n <= bytes.size() && TextAt(hay + pos)))
            return pos;
    }
    return -1;
}

bool LineMatcher::TextAt(const uchar* at) const
{
    const auto* needle = reinterpret_cast<const uchar*>(m_needle.constData());
    for (qsizetype i = 0; i < m_needle.size(); ++i) {
        if (Fold[at[i]] != needle[i])
            return false;
    }
    return true;
}

bool LineMatcher::TextContains(QByteArrayView line) const
{
    return DecodeLogLine(line).toUpper().contains(m_upper);
}
