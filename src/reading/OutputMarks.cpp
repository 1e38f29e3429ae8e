#include "OutputMarks.h"

#include "OutputModel.h"

#include <algorithm>
#include <cstring>

namespace reading
{

OutputMarks::OutputMarks(OutputModel* model) : QItemSelectionModel(model), m_model(model)
{
    connect(model, &QAbstractItemModel::rowsInserted, this, &OutputMarks::LinesInserted);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &OutputMarks::LinesRemoved);
    connect(model, &QAbstractItemModel::modelReset, this, &OutputMarks::LinesReset);
}

qsizetype OutputMarks::NextMarked(qsizetype after) const
{
    const qsizetype from = qMax<qsizetype>(after + 1, 0);
    if (from >= qsizetype(m_marks.size()))
        return -1;
    const void* found = std::memchr(m_marks.data() + from, 1, m_marks.size() - size_t(from));
    return found ? static_cast<const quint8*>(found) - m_marks.data() : -1;
}

qsizetype OutputMarks::MarkedCount() const
{
    return std::count(m_marks.begin(), m_marks.end(), quint8(1));
}

void OutputMarks::Allocate()
{
    m_marks.resize(size_t(m_model->Count()));
}

void OutputMarks::MarkAll(bool marked)
{
    Forget();
    if (marked) {
        Allocate();
        std::fill(m_marks.begin(), m_marks.end(), quint8(1));
    } else {
        m_marks = {};
    }
    Changed();
}

void OutputMarks::SetMark(qsizetype row, bool marked)
{
    if (row < 0 || row >= m_model->Count() || IsMarked(row) == marked)
        return;
    Forget();
    Allocate();
    m_marks[size_t(row)] = marked;
    Changed();
}

void OutputMarks::Forget()
{
    m_current.clear();
    m_under = {};
}

void OutputMarks::UndoCurrent()
{
    auto under = m_under.begin();
    for (const Span& span : m_current) {
        std::copy_n(under, span.last - span.first + 1, m_marks.begin() + span.first);
        under += span.last - span.first + 1;
    }
    Forget();
}

QList<OutputMarks::Span> OutputMarks::Spans(const QItemSelection& selection) const
{
    QList<Span> spans;
    const qsizetype last = m_model->Count() - 1;
    for (const QItemSelectionRange& range : selection) {
        if (range.isValid() && range.top() <= last)
            spans.append({qMax(range.top(), 0), qMin<qsizetype>(range.bottom(), last)});
    }
    std::sort(spans.begin(), spans.end(),
              [](const Span& a, const Span& b) { return a.first < b.first; });
    QList<Span> merged;
    for (const Span& span : spans) {
        if (!merged.isEmpty() && span.first <= merged.last().last + 1)
            merged.last().last = qMax(merged.last().last, span.last);
        else
            merged.append(span);
    }
    return merged;
}

void OutputMarks::select(const QModelIndex& index, QItemSelectionModel::SelectionFlags command)
{
    select(QItemSelection(index, index), command);
}

void OutputMarks::select(const QItemSelection& selection,
                         QItemSelectionModel::SelectionFlags command)
{
    if (command == NoUpdate)
        return;
    // As Qt does it: Clear empties everything, a command without Current makes the current
    // selection permanent, and Select, Deselect or Toggle lay a new current selection over the
    // marks that stay.
    if (command & Clear) {
        Forget();
        m_marks = {};
    }
    if (!(command & Current))
        Forget();
    if (command & (Select | Deselect | Toggle)) {
        UndoCurrent();
        m_current = Spans(selection);
        if (!m_current.isEmpty())
            Allocate();
        for (const Span& span : m_current) {
            for (qsizetype row = span.first; row <= span.last; ++row) {
                quint8& mark = m_marks[size_t(row)];
                m_under.push_back(mark);
                mark = command & Toggle ? !mark : (command & Select) != 0;
            }
        }
    }
    Changed();
}

void OutputMarks::clear()
{
    Forget();
    m_marks = {};
    m_pressed = QPersistentModelIndex();
    QItemSelectionModel::clear();
    Q_EMIT MarksChanged();
}

void OutputMarks::reset()
{
    clear();
}

void OutputMarks::Changed()
{
    Mirror();
    Q_EMIT MarksChanged();
}

void OutputMarks::Pressed(const QModelIndex& index)
{
    m_pressed = index;
    Mirror();
}

void OutputMarks::Released()
{
    m_pressed = QPersistentModelIndex();
    if (hasSelection())
        QItemSelectionModel::select(QItemSelection(), Clear);
}

void OutputMarks::Mirror()
{
    if (!m_pressed.isValid())
        return;
    const bool marked = IsMarked(m_pressed.row());
    if (marked != QItemSelectionModel::isSelected(m_pressed))
        QItemSelectionModel::select(QItemSelection(m_pressed, m_pressed),
                                    marked ? ClearAndSelect : Clear);
}

void OutputMarks::LinesInserted(const QModelIndex& parent, int first, int last)
{
    if (!parent.isValid() && !m_marks.empty())
        m_marks.insert(m_marks.begin() + first, size_t(last - first + 1), quint8(0));
}

void OutputMarks::LinesRemoved(const QModelIndex& parent, int first, int last)
{
    if (parent.isValid())
        return;
    // Lines go only from the front, a million at a time; a selection still being extended
    // there simply keeps what it has marked.
    Forget();
    if (size_t(first) < m_marks.size())
        m_marks.erase(m_marks.begin() + first,
                      m_marks.begin() + qMin<qsizetype>(last + 1, qsizetype(m_marks.size())));
    Q_EMIT MarksChanged();
}

void OutputMarks::LinesReset()
{
    Forget();
    m_marks = {};
    m_pressed = QPersistentModelIndex();
    Q_EMIT MarksChanged();
}

} // namespace reading
