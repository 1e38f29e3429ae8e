#include "OutputList.h"

#include "base/LogText.h"

#include <algorithm>

OutputList::OutputList(QObject* parent) : QObject(parent), m_selection(&m_model) {}

qsizetype OutputList::TextLength(qsizetype i) const
{
    return i >= 0 && i < Count() ? DecodedLength(m_model.Bytes(i)) : -1;
}

bool OutputList::IsSelected(qsizetype i) const
{
    return i >= 0 && i < Count() && m_selection.isSelected(m_model.index(int(i), 0));
}

qsizetype OutputList::NextSelected(qsizetype after) const
{
    // One pass over the ranges in whatever order they are kept: a step after a count over a
    // million lines meets a hundred thousand ranges and should not sort them.
    qsizetype next = -1;
    for (const QItemSelectionRange& range : m_selection.selection()) {
        if (range.bottom() > after) {
            const qsizetype candidate = qMax<qsizetype>(range.top(), after + 1);
            if (next < 0 || candidate < next)
                next = candidate;
        }
    }
    return next;
}

void OutputList::SetCurrent(qsizetype i)
{
    const QModelIndex index = i >= 0 && i < Count() ? m_model.index(int(i), 0) : QModelIndex();
    m_selection.setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

qsizetype OutputList::Current() const
{
    const QModelIndex current = m_selection.currentIndex();
    return current.isValid() ? current.row() : -1;
}

void OutputList::Append(const OutputBatch& lines)
{
    m_model.Append(lines);
}

void OutputList::Replace(const OutputBatch& lines)
{
    Forget();
    m_model.Replace(lines);
}

void OutputList::Clear()
{
    Forget();
    m_model.Clear();
}

void OutputList::Forget()
{
    m_source.clear();
    m_tailOf.clear();
    m_unfinishedOf.clear();
    m_unfinished = -1;
}

void OutputList::SetSource(const QString& path)
{
    if (path != m_tailOf)
        m_tailOf.clear();
    m_source = path;
}

void OutputList::ShowsTailOf(const QString& path, bool unfinishedLastRow)
{
    m_source = m_tailOf = path;
    m_unfinishedOf = unfinishedLastRow ? path : QString();
    m_unfinished = unfinishedLastRow ? Count() - 1 : -1;
}

bool OutputList::EndsWithTailOf(const QString& path) const
{
    return !path.isEmpty() && m_tailOf == path && m_source == path;
}

qsizetype OutputList::UnfinishedRow(const QString& path) const
{
    return !path.isEmpty() && path == m_unfinishedOf ? m_unfinished : -1;
}

void OutputList::FinishRow(QByteArrayView line)
{
    if (m_unfinished >= 0)
        m_model.ReplaceLine(m_unfinished, line);
    m_unfinishedOf.clear();
    m_unfinished = -1;
}

void OutputList::SelectAll()
{
    QItemSelection all;
    if (Count() > 0)
        all.select(m_model.index(0, 0), m_model.index(int(Count() - 1), 0));
    SelectOnly(all);
}

void OutputList::SelectLines(const QList<qsizetype>& ascendingRows)
{
    QItemSelection selection;
    for (qsizetype i = 0; i < ascendingRows.size();) {
        qsizetype last = i;
        while (last + 1 < ascendingRows.size() &&
               ascendingRows[last + 1] == ascendingRows[last] + 1)
            ++last;
        const qsizetype top = qMax<qsizetype>(ascendingRows[i], 0);
        const qsizetype bottom = qMin(ascendingRows[last], Count() - 1);
        if (top <= bottom)
            selection.append(
                QItemSelectionRange(m_model.index(int(top), 0), m_model.index(int(bottom), 0)));
        i = last + 1;
    }
    SelectOnly(selection);
}

void OutputList::SelectOnly(const QItemSelection& selection)
{
    // Clearing first keeps the model's comparison of old and new selection cheap: compared
    // range against range, two large selections would cost their product.
    m_selection.clearSelection();
    if (!selection.isEmpty())
        m_selection.select(selection, QItemSelectionModel::Select);
}

QList<OutputList::Span> OutputList::SelectedSpans() const
{
    QList<Span> spans;
    for (const QItemSelectionRange& range : m_selection.selection())
        spans.append({range.top(), range.bottom()});
    std::sort(spans.begin(), spans.end(),
              [](const Span& a, const Span& b) { return a.first < b.first; });
    // Ranges of a selection made by hand may touch or overlap; each line counts once.
    QList<Span> merged;
    for (const Span& span : spans) {
        if (!merged.isEmpty() && span.first <= merged.last().last + 1)
            merged.last().last = qMax(merged.last().last, span.last);
        else
            merged.append(span);
    }
    return merged;
}

QString OutputList::SelectedText() const
{
    const QList<Span> spans = SelectedSpans();
    qint64 size = 0;
    for (const Span& span : spans)
        size += m_model.ByteCount(span.first, span.last) + 2 * (span.last - span.first + 1);
    QString text;
    text.reserve(size); // characters never outnumber bytes
    for (const Span& span : spans) {
        for (qsizetype i = span.first; i <= span.last; ++i) {
            // ASCII goes straight in, without a text of its own for every line.
            const QByteArrayView bytes = m_model.Bytes(i);
            if (IsAscii(bytes))
                text += QLatin1StringView(bytes);
            else
                text += DecodeLogLine(bytes);
            text += QLatin1StringView("\r\n");
        }
    }
    return text;
}

qsizetype OutputList::Bound(qsizetype limit, qsizetype drop)
{
    if (Count() <= limit)
        return 0;
    const qsizetype gone = qMin(Count(), qMax(drop, Count() - limit));
    m_model.RemoveFirst(gone);
    m_unfinished = m_unfinished >= gone ? m_unfinished - gone : -1;
    return gone;
}
