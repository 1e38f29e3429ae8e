#include "DayScanner.h"

#include "base/LogText.h"

#include <cstring>
#include <utility>

namespace search
{

namespace
{
// A part of the held lines: what the window takes between two of its events.
constexpr qsizetype HeldBytes = 256 << 10;
constexpr qsizetype HeldLines = 2048;

QString NumberOf(qint64 n, const char* one, const char* many)
{
    return QString::number(n) + u' ' + QLatin1String(n == 1 ? one : many);
}

// Where the run of NUL bytes at `from` ends: eight bytes at a time, since a sparse file is
// mostly such runs.
qsizetype PastNuls(QByteArrayView bytes, qsizetype from)
{
    const char* p = bytes.data();
    for (quint64 word = 0; from + 8 <= bytes.size(); from += 8) {
        std::memcpy(&word, p + from, 8);
        if (word != 0)
            break;
    }
    while (from < bytes.size() && p[from] == '\0')
        ++from;
    return from;
}

// Without a UTF-8 sequence that a cut split at the end, so the piece decodes as its line would.
QByteArrayView WithoutCutEnd(QByteArrayView bytes)
{
    for (qsizetype i = bytes.size() - 1; i >= qMax<qsizetype>(0, bytes.size() - 3); --i) {
        if (uchar(bytes[i]) >= 0xC2)
            return Utf8SequenceLength(bytes.sliced(i)) == 0 ? bytes.first(i) : bytes;
    }
    return bytes;
}

// A piece from inside a line: also without a sequence's rest at its start.
QByteArrayView WholeSequences(QByteArrayView bytes)
{
    qsizetype from = 0;
    while (from < qMin<qsizetype>(3, bytes.size()) && (uchar(bytes[from]) & 0xC0) == 0x80)
        ++from;
    return WithoutCutEnd(bytes.sliced(from));
}

// Whether `c` stands for itself in an expression, and is ASCII: a character beyond ASCII may
// match other characters once case is ignored, which the byte scan would not find.
bool PlainCharacter(QChar c)
{
    return c.unicode() >= 0x20 && c.unicode() < 0x7F &&
           !QStringLiteral("\\^$.[]|()?*+{}").contains(c);
}

// The longest run of plain characters that every match of `pattern` holds: those at the top
// level of an expression without alternatives, escaped punctuation included. Empty whenever in
// doubt, so that the expression is then tried on every line: alternatives, quoting, options
// that could change what a character means.
QString RequiredLiteral(const QString& pattern)
{
    for (const char* doubt : {"|", "\\Q", "\\c", "(*", "[:", "[=", "[."})
        if (pattern.contains(QLatin1String(doubt)))
            return {};
    QString best, run;
    int depth = 0;
    const auto end = [&] {
        if (run.size() > best.size())
            best = run;
        run.clear();
    };
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        const QChar next = i + 1 < pattern.size() ? pattern[i + 1] : QChar();
        if (c == u'(' && next == u'?' && i + 2 < pattern.size() &&
            !QStringLiteral(":=!<>").contains(pattern[i + 2]))
            return {}; // an option, say (?x), may change what follows
        if (c == u'\\' && next.unicode() < 0x7F && !next.isLetterOrNumber() && next >= u' ') {
            if (depth == 0)
                run += next;
            ++i;
        } else if (c == u'\\') {
            // A class, an assertion or a character by its code: past its letters, digits and
            // braced or quoted argument.
            end();
            const QChar letter = next;
            for (++i; i + 1 < pattern.size() && pattern[i + 1].unicode() < 0x7F &&
                      pattern[i + 1].isLetterOrNumber();)
                ++i;
            // Only these escapes take an argument; after any other, a brace or quote is itself.
            const qsizetype open = QStringLiteral("{<'").indexOf(pattern.mid(i + 1, 1));
            const QString takes = open == 0 ? QStringLiteral("xoNpPgk") : QStringLiteral("gk");
            if (i + 1 < pattern.size() && open >= 0 && takes.contains(letter))
                i = pattern.indexOf(QStringLiteral("}>'")[open], i + 2);
            if (i < 0)
                return {};
        } else if (c == u'[') { // a class: past its closing bracket
            end();
            i += pattern.mid(i + 1, 1) == u"^" ? 2 : 1;
            const qsizetype first = i; // where "]" is a member
            while (i < pattern.size() && (pattern[i] != u']' || i == first))
                i += pattern[i] == u'\\' ? 2 : 1;
        } else if (c == u'?' || c == u'*' || c == u'{') { // the character before may be absent
            run.chop(1);
            end();
            if (c == u'{')
                while (i < pattern.size() && pattern[i] != u'}')
                    ++i;
        } else if (c == u'+') { // present at least once, but not followed by what follows
            end();
        } else if (c == u'(' || c == u')') {
            end();
            depth += c == u'(' ? 1 : -1;
            if (depth < 0)
                return {}; // read wrongly somewhere before: better no literal than a wrong one
        } else if (depth == 0 && PlainCharacter(c)) {
            run += c;
        } else {
            end();
        }
    }
    end();
    return depth == 0 ? best : QString();
}

bool WithoutBreak(const QString& text)
{
    return !text.contains(u'\r') && !text.contains(u'\n');
}

} // namespace

DayScanner::DayScanner(const QString& text, qsizetype lineLimit, qsizetype lineBound, bool regex)
    : m_expression(regex ? std::make_unique<ExpressionSearch>(text) : nullptr),
      m_matcher(regex ? RequiredLiteral(text) : text),
      // A hit across a line break is no match, so a text holding one needs the lines.
      m_byteScan(m_matcher.ByteScan() && (regex || WithoutBreak(text))), m_lineLimit(lineLimit),
      m_lineBound(qMax<qsizetype>(lineBound, 1)), m_overlap(4 * text.toUpper().size())
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
    if (!m_byteScan)
        return FeedRuns(bytes);
    qsizetype from = 0;
    if (!m_lines.AtLineStart()) { // first the end of a line the last bytes began
        from = reading::NextLineBreak(bytes).After(0);
        if (from == bytes.size())
            return FeedRuns(bytes);
        FeedRuns(bytes.first(++from));
    }
    const qsizetype end = reading::LineStartBefore(bytes, from, bytes.size());
    FindAround(bytes.sliced(from, end - from));
    FeedRuns(bytes.sliced(end)); // the start of a line that later bytes end
}

// Every line is made and tested. NUL bytes belong to no line: the runs between them are one
// stream.
void DayScanner::FeedRuns(QByteArrayView bytes)
{
    for (qsizetype at = 0; at < bytes.size();) {
        const void* nul = std::memchr(bytes.data() + at, 0, size_t(bytes.size() - at));
        const qsizetype end = nul ? static_cast<const char*>(nul) - bytes.data() : bytes.size();
        if (end > at)
            FeedRun(bytes.sliced(at, end - at));
        at = PastNuls(bytes, end);
    }
}

// Bytes without NUL.
void DayScanner::FeedRun(QByteArrayView bytes)
{
    qsizetype from = 0;
    if (!m_lines.AtLineStart()) { // first the end of a line the last bytes began
        from = reading::NextLineBreak(bytes).After(0);
        Extend(bytes.first(from));
        if (from == bytes.size())
            return;
        Make(bytes.sliced(from++, 1));
    }
    const qsizetype end = reading::LineStartBefore(bytes, from, bytes.size());
    Make(bytes.sliced(from, end - from));
    Extend(bytes.sliced(end)); // the start of a line that later bytes end
}

// Text of the line being made, without a break: past the bound it is searched, not kept.
void DayScanner::Extend(QByteArrayView text)
{
    if (m_longBytes == 0) {
        const qsizetype room = m_lineBound - m_lines.Unfinished().size();
        Make(text.first(qMin(room, text.size())));
        if (text.size() <= room)
            return;
        text = text.sliced(room);
        m_longBytes = m_lineBound;
        m_longMatched = false;
        m_seam = m_lines.Unfinished().right(m_overlap);
    }
    m_longBytes += text.size();
    const QByteArray seam = m_seam + text.first(qMin(m_overlap, text.size())).toByteArray();
    m_longMatched = m_longMatched || (!m_expression && (m_matcher.Matches(WholeSequences(seam)) ||
                                                        m_matcher.Matches(WholeSequences(text))));
    m_seam = text.size() >= m_overlap ? text.last(m_overlap).toByteArray() : seam.right(m_overlap);
}

void DayScanner::EndFile(bool cut)
{
    if (!cut && !m_full) {
        const QByteArray last = m_lines.Unfinished();
        if (m_longMatched || Matches(last))
            Hold(last, qMax<qint64>(m_longBytes, last.size()));
    }
    m_longBytes = 0;
    m_longMatched = false;
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

void DayScanner::Recycle(reading::OutputBatch&& lines)
{
    if (lines.Bytes() > HeldBytes * 2 || m_spare.size() >= 16)
        return;
    lines.clear();
    m_spare.push_back(std::move(lines));
}

std::vector<DayBatch> DayScanner::Take()
{
    if (m_notes.lines.size() > 0)
        m_ready.push_back(std::exchange(m_notes, {}));
    return std::exchange(m_ready, {});
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
    if (m_expression)
        closing += m_expression->Note();
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

bool DayScanner::Matches(QByteArrayView line)
{
    return m_expression ? m_expression->Matches(line) : m_matcher.Matches(line);
}

// Every line of `bytes` is made and tested.
void DayScanner::Make(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    m_made.clear();
    m_lines.Continue(bytes, m_made);
    for (qsizetype i = 0; i < m_made.size() && !m_full; ++i) {
        const QByteArrayView line = m_made.Line(i);
        const qint64 length = std::exchange(m_longBytes, 0); // the first line may be long
        if (std::exchange(m_longMatched, false) || Matches(line))
            Hold(line, qMax<qint64>(length, line.size()));
    }
}

// Only the lines around a hit, or around a byte that is NUL or not ASCII, need a look: `lines`
// are whole lines, and the text is ASCII without a line break. A line of ASCII that holds the
// text is kept as it stands; any other line the scan stopped in is made and tested in full,
// so it is decoded or its NUL bytes dropped first.
void DayScanner::FindAround(QByteArrayView lines)
{
    reading::NextLineBreak breaks(lines);
    qsizetype from = 0;
    for (qsizetype at = m_matcher.FindBytesOrOdd(lines); at >= 0 && !m_full;
         at = m_matcher.FindBytesOrOdd(lines, from)) {
        const qsizetype start = reading::LineStartBefore(lines, from, at);
        const qsizetype end = breaks.After(at);
        const QByteArrayView line = lines.sliced(start, end - start);
        if (!IsAsciiWithoutNul(line))
            Make(lines.sliced(start, end + 1 - start));
        else if (!m_expression || Matches(line))
            Hold(line, line.size());
        from = end + 1;
    }
}

// A line longer than the bound is held cut, with a mark that gives its length.
void DayScanner::Hold(QByteArrayView line, qint64 length)
{
    // Room is kept for this file's heading, the line saying the search stopped, and the
    // closing line.
    if (m_sent + m_heldLines + 4 > m_lineLimit) {
        m_full = true;
        return;
    }
    // In parts small enough for the window to take one between two of its events, each made
    // at its full size at once, since growing it would copy it again.
    if (m_held.empty() || m_held.back().size() >= HeldLines ||
        (m_held.back().size() > 0 && m_held.back().Bytes() + line.size() > HeldBytes)) {
        if (m_spare.empty()) {
            m_held.emplace_back();
            m_held.back().Reserve(HeldBytes, HeldLines);
        } else {
            m_held.push_back(std::move(m_spare.back()));
            m_spare.pop_back();
        }
    }
    if (length > m_lineBound)
        m_held.back().Add(WithoutCutEnd(line.first(qMin(line.size(), m_lineBound))).toByteArray() +
                          " [... cut: the line holds " + QByteArray::number(length) + " bytes]");
    else
        m_held.back().Add(line);
    ++m_heldLines;
}

} // namespace search
