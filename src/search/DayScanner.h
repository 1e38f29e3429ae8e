#pragma once

#include "Search.h"
#include "base/LineMatcher.h"
#include "base/Rules.h"
#include "reading/LineAssembly.h"
#include "reading/OutputModel.h"

#include <QByteArrayView>
#include <QString>

#include <memory>
#include <utility>
#include <vector>

namespace search
{

// Lines for the output list, in order: either lines that hold the search text, or headings
// and notes around them.
struct DayBatch {
    reading::OutputBatch lines;
    bool matches = false;
    quint16 tag = 0; // the folder's, when several folders are searched
};

// What a search of days shows, made from the files' bytes: per file with matches a heading and
// the matching lines, per file that cannot be opened a heading with the reason, then a closing
// line. The lines are made as Tail makes them, and a line holds the text when the search
// dialog would count it. It reads nothing itself: each file's bytes come in through Feed, and
// what is ready to show waits for Take. It stops at a bound of lines, keeping room for the
// lines that close the search.
//
// Its memory does not grow with what a file holds: a line keeps at most `lineBound` bytes.
// Past them the line is still searched to its end, piece by piece with an overlap as long as
// the text can be, so a match anywhere counts; a matching line that long is shown cut after
// `lineBound` bytes, with a mark that gives its length.
//
// As a regular expression (`regex`), case ignored as the window's search ignores it, the text
// is matched on each line decoded as the list shows it; the byte scan first finds the lines
// holding the literal part every match needs, when the expression has one. A line longer than
// the bound is matched on the bytes it keeps. A line the expression gives up on at its match
// limit counts as not matching; after a thousand of them no more lines are matched, and the
// closing lines say so.
class DayScanner
{
public:
    static constexpr qsizetype MaxLineBytes = 1 << 20;

    DayScanner(const QString& text, qsizetype lineLimit, qsizetype lineBound = MaxLineBytes,
               bool regex = false);

    // A file from byte 0 on: its name as shown, its bytes in pieces of any size, its end. `cut`:
    // the bytes stop before the file's end, so the text after the last break is no line.
    void BeginFile(const QString& shownName);
    void Feed(QByteArrayView bytes);
    void EndFile(bool cut);
    void Unreadable(const QString& shownName, const QString& reason);
    // After a file whose content broke off: the line that names the fault.
    void Broken(const QString& faultLine) { Note(faultLine); }
    // The closing lines; `undated`: files left out for a name without a valid date.
    void Close(bool cancelled, qsizetype undated);

    // The batches ready to be shown, in order, with the notes so far: a fault line goes with the
    // folder of the file it names.
    std::vector<DayBatch> Take();
    // A part taken and shown, whose room the next lines may use: filling memory that is
    // already there costs far less than new memory.
    void Recycle(reading::OutputBatch&& lines);
    // The bound is reached: no more lines are taken.
    bool Full() const { return m_full; }
    qint64 BytesFed() const { return m_bytes; }

private:
    bool Matches(QByteArrayView line);
    void Note(const QString& line);
    void FeedRuns(QByteArrayView bytes);
    void FeedRun(QByteArrayView bytes);
    void Extend(QByteArrayView text);
    void Make(QByteArrayView bytes);
    void FindAround(QByteArrayView lines);
    void Hold(QByteArrayView line, qint64 length);

    const std::unique_ptr<ExpressionSearch> m_expression;
    const LineMatcher m_matcher; // the text, or the expression's literal part
    const bool m_byteScan;
    const qsizetype m_lineLimit;
    const qsizetype m_lineBound;
    const qsizetype m_overlap; // bytes that can hold the text, decoded and upper-cased
    reading::LineMaker m_lines{reading::NulByte::Skipped};
    reading::OutputBatch m_made;
    // The line being made, once past the bound: its length, whether it matched past the bound,
    // and its last bytes, which a match across the next piece may begin in.
    qint64 m_longBytes = 0;
    bool m_longMatched = false;
    QByteArray m_seam;
    // The current file's matching lines, until its heading is known.
    std::vector<reading::OutputBatch> m_held;
    std::vector<reading::OutputBatch> m_spare;
    qsizetype m_heldLines = 0;
    QString m_shown;
    DayBatch m_notes;
    std::vector<DayBatch> m_ready;
    qsizetype m_sent = 0; // lines ready or noted
    qsizetype m_searched = 0;
    qint64 m_bytes = 0;
    bool m_full = false;
};

} // namespace search
