#pragma once

#include <QItemSelectionModel>
#include <QList>
#include <QPersistentModelIndex>

#include <vector>

namespace reading
{

class OutputModel;

// The selected marks of the output window, one byte a line, as the selection model its view
// talks to. The view's commands (click, Ctrl+click, Shift+click, Shift+arrows, drags, Ctrl+A)
// arrive through select() and change marks with Qt's own rules, including its "current
// selection" that a Shift+arrow or a drag keeps replacing until the next plain command. Qt's
// own ranges stay empty, so painting, appending and dropping lines never walk them; they hold
// only the current row and, while a mouse button is down, the pressed row when it is marked,
// because Qt's press handling asks the base class whether that row is selected.
class OutputMarks : public QItemSelectionModel
{
    Q_OBJECT

public:
    explicit OutputMarks(OutputModel* model);

    bool IsMarked(qsizetype row) const
    {
        return row >= 0 && size_t(row) < m_marks.size() && m_marks[size_t(row)] != 0;
    }
    // The first marked line after `after`, -1 when there is none.
    qsizetype NextMarked(qsizetype after) const;
    qsizetype MarkedCount() const;

    void MarkAll(bool marked);
    void SetMark(qsizetype row, bool marked);
    // Exactly the lines for which `matches(row)` holds become marked, in one pass. Returns how
    // many there are.
    template <typename Matches> qsizetype MarkWhere(qsizetype count, Matches&& matches);

    // The view tells of a mouse press and its release, so the pressed row can be mirrored.
    void Pressed(const QModelIndex& index);
    void Released();

    void select(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override;
    void select(const QItemSelection& selection,
                QItemSelectionModel::SelectionFlags command) override;
    void clear() override;
    void reset() override;

Q_SIGNALS:
    // Some marks changed; views repaint what they show.
    void MarksChanged();

private:
    struct Span {
        qsizetype first;
        qsizetype last;
    };
    QList<Span> Spans(const QItemSelection& selection) const;
    void Allocate();
    void Forget(); // the current selection becomes ordinary marks
    void UndoCurrent();
    void Changed();
    void Mirror();
    void LinesInserted(const QModelIndex& parent, int first, int last);
    void LinesRemoved(const QModelIndex& parent, int first, int last);
    void LinesReset();

    OutputModel* m_model;
    std::vector<quint8> m_marks; // empty while no line was ever marked
    // Qt's current selection: its lines and what they were before it was laid over them.
    QList<Span> m_current;
    std::vector<quint8> m_under;
    QPersistentModelIndex m_pressed;
};

template <typename Matches> qsizetype OutputMarks::MarkWhere(qsizetype count, Matches&& matches)
{
    Forget();
    Allocate();
    qsizetype marked = 0;
    for (qsizetype row = 0; row < count; ++row) {
        const bool hit = matches(row);
        m_marks[size_t(row)] = hit;
        marked += hit;
    }
    Changed();
    return marked;
}

} // namespace reading
