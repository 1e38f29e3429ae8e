#include "LineAssembly.h"

#include <algorithm>
#include <cstring>

namespace reading
{

qsizetype LineStartBefore(QByteArrayView bytes, qsizetype from, qsizetype at)
{
    const char* p = bytes.data();
    const void* lf = memrchr(p + from, '\n', size_t(at - from));
    const void* cr = memrchr(p + from, '\r', size_t(at - from));
    const char* last = std::max(static_cast<const char*>(lf), static_cast<const char*>(cr));
    return last ? last - p + 1 : from;
}

qsizetype NextLineBreak::Next(qsizetype& cached, char c, qsizetype at)
{
    if (cached < at) {
        const void* found = std::memchr(m_bytes.data() + at, c, size_t(m_bytes.size() - at));
        cached = found ? static_cast<const char*>(found) - m_bytes.data() : m_bytes.size();
    }
    return cached;
}

void LineMaker::Restart(qint64 start)
{
    m_pending.clear();
    m_pairing = Pairing::None;
    m_hideFirst = start != 0;
}

void LineMaker::Feed(QByteArrayView bytes, const Delivery& at, OutputBatch& lines)
{
    // The first byte of a continuing delivery was held back last time and has been taken.
    const qsizetype total = bytes.size() + (at.heldBack >= 0 ? 1 : 0);
    const int first = bytes.isEmpty() ? at.heldBack : uchar(bytes.front());
    const bool continuing =
        at.continues && m_next >= 1 && at.start == m_next - 1 && first == m_held;
    if (!continuing)
        Restart(at.start);
    if (total == 0)
        return;
    Take(continuing ? bytes.sliced(qMin<qsizetype>(1, bytes.size())) : bytes, lines);
    if (at.heldBack >= 0 && (!continuing || !bytes.isEmpty())) {
        const char held = char(at.heldBack);
        Take(QByteArrayView(&held, 1), lines);
    }
    m_next = at.start < 0 ? -1 : at.start + total;
    m_held = at.heldBack;
}

void LineMaker::Take(QByteArrayView bytes, OutputBatch& lines)
{
    const char* at = bytes.data();
    const qsizetype count = bytes.size();
    qsizetype i = 0;
    while (i < count) {
        const char c = at[i];
        if (m_pairing == Pairing::AfterBreak && (c == '\n' || c == '\r')) {
            m_pairing = c == '\n' ? Pairing::AfterLf : Pairing::None;
            ++i;
            continue;
        }
        if (m_pairing == Pairing::AfterLf && c == '\r') {
            m_pairing = Pairing::None;
            ++i;
            continue;
        }
        m_pairing = Pairing::None;
        if (IsLineBreak(c)) {
            EndLine(lines);
            m_pairing = Pairing::AfterBreak;
            ++i;
            continue;
        }
        // A run of ordinary bytes goes in at once.
        qsizetype end = i;
        while (end < count && !IsLineBreak(at[end]) && !(m_skipNul && at[end] == '\0'))
            ++end;
        m_pending.append(at + i, end - i);
        i = end > i ? end : i + 1; // a skipped NUL only ends the pairing
    }
}

void LineMaker::EndLine(OutputBatch& lines)
{
    if (m_hideFirst)
        m_hideFirst = false;
    else
        lines.Add(m_pending);
    m_pending.clear();
}

} // namespace reading
