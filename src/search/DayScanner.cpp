#include "DayScanner.h"

#include "base/LogText.h"

#include <utility>

namespace search
{

namespace
{
QString NumberOf(qint64 n, const char* one, const char* many)
{
    return QString::number(n) + u' ' + QLatin1String(n == 1 ? one : many);
}
} // namespace

DayScanner::DayScanner(const QString& text, qsizetype lineLimit)
    : m_matcher(text),
      // A hit across a line break is no match, so a text holding one needs the lines.
      m_byteScan(m_matcher.ByteScan() && !text.contains(u'\r') && !text.contains(u'\n')),
      m_lineLimit(lineLimit)
{
}

void DayScanner::BeginFile(const QString& shownName)
{
    ++m_searched;
    m_shown = shownName;
}

void DayScanner::Feed(QByteArrayView bytes)
{
    m_bytes += bytes.size();
    qsizetype from = 0;
    if (!m_lines.AtLineStart()) { // first the end of a line the last bytes began
        while (from < bytes.size() && !reading::IsLineBreak(bytes[from]))
            ++from;
        from = qMin(from + 1, bytes.size());
        Make(bytes.first(from));
    }
    qsizetype end = bytes.size();
    while (end > from && !reading::IsLineBreak(bytes[end - 1]))
        --end;
    const QByteArrayView whole = bytes.sliced(from, end - from);
    if (m_byteScan && IsAsciiWithoutNul(whole))
        FindAround(whole);
    else
        Make(whole);
    Make(bytes.sliced(end)); // the start of a line that later bytes end
}

void DayScanner::EndFile(bool cut)
{
    if (!cut && !m_full) {
        const QByteArray last = m_lines.Unfinished();
        if (m_matcher.Matches(last))
            Hold(last);
    }
    if (m_heldLines > 0) {
        Note(m_shown + QStringLiteral(": ") + NumberOf(m_heldLines, "match", "matches"));
        m_ready.push_back(std::exchange(m_notes, {}));
        for (reading::OutputBatch& lines : m_held)
            m_ready.push_back({std::move(lines), true});
        m_sent += m_heldLines;
    }
    m_held.clear();
    m_heldLines = 0;
    m_lines = reading::LineMaker(reading::NulByte::Skipped); // a long last line's memory goes
}

void DayScanner::Unreadable(const QString& shownName, const QString& reason)
{
    Note(shownName + QStringLiteral(": cannot be opened: ") + reason);
}

void DayScanner::Close(bool cancelled, qsizetype undated)
{
    if (m_full)
        m_notes.lines.Add(QStringLiteral("Search stopped: the output window holds at most ") +
                          NumberOf(m_lineLimit, "line", "lines"));
    else if (cancelled)
        m_notes.lines.Add(QStringLiteral("Search cancelled"));
    QString closing = NumberOf(m_searched, "file", "files") + QStringLiteral(" searched, ") +
                      NumberOf(m_bytes, "byte", "bytes");
    if (undated > 0)
        closing += QStringLiteral("; ") + NumberOf(undated, "file", "files") +
                   QStringLiteral(" without a valid date in the name skipped");
    m_notes.lines.Add(closing);
    m_ready.push_back(std::exchange(m_notes, {}));
}

// A heading, or a file that cannot be opened; a heading always has room.
void DayScanner::Note(const QString& line)
{
    if (m_sent + m_heldLines + 3 > m_lineLimit) {
        m_full = true;
        return;
    }
    m_notes.lines.Add(line);
    ++m_sent;
}

// Every line of `bytes` is made and tested.
void DayScanner::Make(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    m_made.clear();
    m_lines.Continue(bytes, m_made);
    for (qsizetype i = 0; i < m_made.size() && !m_full; ++i) {
        if (m_matcher.Matches(m_made.Line(i)))
            Hold(m_made.Line(i));
    }
}

// Only the lines around a hit need a look: `lines` are whole lines of ASCII without NUL, and
// the text is ASCII.
void DayScanner::FindAround(QByteArrayView lines)
{
    reading::NextLineBreak breaks(lines);
    for (qsizetype hit = m_matcher.FindBytes(lines), from = 0; hit >= 0 && !m_full;) {
        const qsizetype start = reading::LineStartBefore(lines, from, hit);
        const qsizetype end = breaks.After(hit);
        Hold(lines.sliced(start, end - start));
        from = end;
        hit = m_matcher.FindBytes(lines, end);
    }
}

void DayScanner::Hold(QByteArrayView line)
{
    // Room is kept for this file's heading, the line saying the search stopped, and the
    // closing line.
    if (m_sent + m_heldLines + 4 > m_lineLimit) {
        m_full = true;
        return;
    }
    // In parts small enough for the window to take one between two of its events.
    if (m_held.empty() || m_held.back().size() >= 4096)
        m_held.emplace_back();
    m_held.back().Add(line);
    ++m_heldLines;
}

} // namespace search
