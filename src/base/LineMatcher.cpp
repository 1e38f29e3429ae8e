#include "LineMatcher.h"

#include "LogText.h"

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

bool LineMatcher::TextContains(QByteArrayView line) const
{
    return DecodeLogLine(line).toUpper().contains(m_upper);
}
