#pragma once

#include "OutputMarks.h"
#include "OutputModel.h"

#include <QList>
#include <QObject>

#include <utility>

namespace reading
{

// The output window lstRows as the logic sees it: its lines, each with a selected mark, and
// one current line. The marks are the selection model that the view shares.
class OutputList : public QObject
{
    Q_OBJECT

public:
    explicit OutputList(QObject* parent = nullptr);

    OutputModel* Model() { return &m_model; }
    OutputMarks* Selection() { return &m_marks; }

    qsizetype Count() const { return m_model.Count(); }
    QString Text(qsizetype i) const { return m_model.Text(i); }
    // The stored bytes of line i, valid while the handle lives (see LineBytes).
    LineBytes Bytes(qsizetype i) const { return m_model.Bytes(i); }
    // Length in characters of line i, -1 when there is no such line.
    qsizetype TextLength(qsizetype i) const;
    bool IsSelected(qsizetype i) const { return m_marks.IsMarked(i); }
    // The first selected line after `after`, -1 when there is none.
    qsizetype NextSelected(qsizetype after) const { return m_marks.NextMarked(after); }

    // Makes line i current and brings it into view; the selected marks stay as they are.
    // Any i outside the list leaves no current line.
    void SetCurrent(qsizetype i);
    qsizetype Current() const; // -1 when none

    // Every line gets `tag`: which followed folder it came from (OutputModel::Tag).
    void Append(const OutputBatch& lines, quint16 tag = 0);
    void Replace(const OutputBatch& lines);
    void Clear();
    // Keeps at most `limit` lines: past it the oldest `drop` lines go at once. The selected
    // marks and SearchPosition move with the lines that remain; a SearchPosition on a line that
    // went becomes -1, before the first line. Returns how many lines went.
    qsizetype Bound(qsizetype limit, qsizetype drop);

    // Which file's lines end the list (set by Tail and following), empty when unknown. Replace
    // and Clear forget it.
    const QString& Source() const { return m_source; }
    void SetSource(const QString& path);
    // The list now shows the Tail of `path`; its last row is the file's unterminated last line
    // when `unfinishedLastRow`, kept open for following to complete.
    void ShowsTailOf(const QString& path, bool unfinishedLastRow);
    bool EndsWithTailOf(const QString& path) const;
    // Puts the completed line in the place of the row where the Tail of `path` shows its
    // unterminated last line; the row is no longer open. False, and nothing changes, when that
    // row is gone.
    bool CompleteUnfinishedRow(const QString& path, QByteArrayView line);

    void SelectAll() { m_marks.MarkAll(true); }
    // Exactly these lines become selected.
    void SelectLines(const QList<qsizetype>& ascendingRows);
    // Exactly the lines whose bytes `matches` accepts become selected, in one pass over the
    // list. Returns how many there are and the first of them (-1 when none).
    template <typename Matches> std::pair<qsizetype, qsizetype> SelectWhere(Matches&& matches);
    // The selected lines in list order as UTF-8, each followed by the platform's line end; a
    // tagged line starts with its folder's description and a tab.
    QByteArray SelectedText() const;

    // The search's state over these lines: the line where its next step starts.
    qsizetype SearchPosition = 0;

private:
    void Forget();

    OutputModel m_model;
    OutputMarks m_marks{&m_model};
    QString m_source;
    QString m_tailOf;       // while the list ends with that file's Tail
    QString m_unfinishedOf; // whose Tail shows an unterminated row
    qsizetype m_unfinished = -1;
};

template <typename Matches>
std::pair<qsizetype, qsizetype> OutputList::SelectWhere(Matches&& matches)
{
    OutputModel::LineReader lines(m_model);
    const qsizetype count =
        m_marks.MarkWhere(Count(), [&](qsizetype row) { return matches(lines.At(row)); });
    return {count, count > 0 ? m_marks.NextMarked(-1) : -1};
}

} // namespace reading
