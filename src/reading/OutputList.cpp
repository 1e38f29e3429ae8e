#include "OutputList.h"

#include "base/LogText.h"
#include "base/MemoryHint.h"
#include "settings/modMain.h"

namespace reading
{

OutputList::OutputList(QObject* parent) : QObject(parent) {}

qsizetype OutputList::TextLength(qsizetype i) const
{
    const LineBytes bytes = m_model.Bytes(i);
    return i >= 0 && i < Count() ? DecodedLength(bytes) : -1;
}

void OutputList::SetCurrent(qsizetype i)
{
    const QModelIndex index = i >= 0 && i < Count() ? m_model.index(int(i), 0) : QModelIndex();
    m_marks.setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

qsizetype OutputList::Current() const
{
    const QModelIndex current = m_marks.currentIndex();
    return current.isValid() ? current.row() : -1;
}

void OutputList::Append(const OutputBatch& lines, quint16 tag)
{
    m_model.Append(lines, tag);
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

bool OutputList::CompleteUnfinishedRow(const QString& path, QByteArrayView line)
{
    if (path.isEmpty() || path != m_unfinishedOf || m_unfinished < 0)
        return false;
    m_model.ReplaceLine(m_unfinished, line);
    m_unfinishedOf.clear();
    m_unfinished = -1;
    return true;
}

void OutputList::SelectLines(const QList<qsizetype>& ascendingRows)
{
    qsizetype next = 0;
    m_marks.MarkWhere(Count(), [&](qsizetype row) {
        while (next < ascendingRows.size() && ascendingRows[next] < row)
            ++next;
        return next < ascendingRows.size() && ascendingRows[next] == row;
    });
}

QByteArray OutputList::SelectedText() const
{
    const QByteArrayView end(modMain::LineEnd);
    // A line of a followed folder goes as DESCRIPTION<TAB>line.
    QList<QByteArray> tags(1);
    for (const QString& name : m_model.TagNames())
        tags << name.toUtf8() + '\t';
    const auto tag = [&](qsizetype i) -> const QByteArray& {
        const quint16 t = m_model.Tag(i);
        return tags[t < tags.size() ? t : 0];
    };
    qint64 size = 0;
    for (qsizetype i = m_marks.NextMarked(-1); i >= 0; i = m_marks.NextMarked(i))
        size += tag(i).size() + m_model.Size(i) + end.size();
    QByteArray text;
    text.reserve(size); // a line decoded as Windows-1252 may grow; the rest is exact
    PreferLargePages(text.data(), size);
    OutputModel::LineReader lines(m_model);
    for (qsizetype i = m_marks.NextMarked(-1); i >= 0; i = m_marks.NextMarked(i)) {
        text.append(tag(i));
        const QByteArrayView bytes = lines.At(i);
        // Valid UTF-8 is already what the clipboard takes.
        if (IsUtf8(bytes))
            text.append(bytes);
        else
            text.append(DecodeLogLine(bytes).toUtf8());
        text.append(end);
    }
    return text;
}

qsizetype OutputList::Bound(qsizetype limit, qsizetype drop)
{
    if (Count() <= limit)
        return 0;
    const qsizetype gone = qMin(Count(), qMax(drop, Count() - limit));
    m_model.RemoveFirst(gone);
    SearchPosition = SearchPosition < gone ? -1 : SearchPosition - gone;
    m_unfinished = m_unfinished >= gone ? m_unfinished - gone : -1;
    return gone;
}

} // namespace reading
