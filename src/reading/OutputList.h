#pragma once

#include "OutputModel.h"

#include <QItemSelectionModel>
#include <QList>
#include <QObject>

// The output window lstRows as the logic sees it: its lines, each with a selected mark, and
// one current line. The marks are the selection model that the view shares.
class OutputList : public QObject
{
    Q_OBJECT

public:
    explicit OutputList(QObject* parent = nullptr);

    OutputModel* Model() { return &m_model; }
    QItemSelectionModel* Selection() { return &m_selection; }

    qsizetype Count() const { return m_model.Count(); }
    QString Text(qsizetype i) const { return m_model.Text(i); }
    // The stored bytes of line i; valid until the list changes.
    QByteArrayView Bytes(qsizetype i) const { return m_model.Bytes(i); }
    // Length in characters of line i, -1 when there is no such line.
    qsizetype TextLength(qsizetype i) const;
    bool IsSelected(qsizetype i) const;
    // The first selected line after `after`, -1 when there is none.
    qsizetype NextSelected(qsizetype after) const;

    // Makes line i current and brings it into view; the selected marks stay as they are.
    // Any i outside the list leaves no current line.
    void SetCurrent(qsizetype i);
    qsizetype Current() const; // -1 when none

    void Append(const OutputBatch& lines);
    void Replace(const OutputBatch& lines);
    void Clear();
    // Keeps at most `limit` lines: past it the oldest `drop` lines go at once, and the selected
    // marks move with the lines that remain. Returns how many lines went.
    qsizetype Bound(qsizetype limit, qsizetype drop);

    // Which file's lines end the list (set by Tail and following), empty when unknown. Replace
    // and Clear forget it.
    const QString& Source() const { return m_source; }
    void SetSource(const QString& path);
    // The list now shows the Tail of `path`; its last row is the file's unterminated last line
    // when `unfinishedLastRow`, kept open for following to complete.
    void ShowsTailOf(const QString& path, bool unfinishedLastRow);
    bool EndsWithTailOf(const QString& path) const;
    // Where the Tail of `path` shows its unterminated last line, -1 when it is gone.
    qsizetype UnfinishedRow(const QString& path) const;
    // Puts the completed line in that row's place; the row is no longer open.
    void FinishRow(QByteArrayView line);

    void SelectAll();
    // Exactly these lines become selected, as one selection of merged ranges.
    void SelectLines(const QList<qsizetype>& ascendingRows);
    // The selected lines in list order, each followed by CR LF.
    QString SelectedText() const;

private:
    struct Span {
        qsizetype first;
        qsizetype last;
    };
    QList<Span> SelectedSpans() const;
    void SelectOnly(const QItemSelection& selection);

    void Forget();

    OutputModel m_model;
    QItemSelectionModel m_selection;
    QString m_source;
    QString m_tailOf;       // while the list ends with that file's Tail
    QString m_unfinishedOf; // whose Tail shows an unterminated row
    qsizetype m_unfinished = -1;
};
