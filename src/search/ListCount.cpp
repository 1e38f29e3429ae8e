#include "ListCount.h"

#include "reading/OutputList.h"

#include <QElapsedTimer>

namespace search
{

ListCount::ListCount(reading::OutputList& list, QObject* parent) : QObject(parent), m_list(list)
{
    m_slice.setSingleShot(true);
    connect(&m_slice, &QTimer::timeout, this, &ListCount::Next);
    connect(list.Model(), &QAbstractItemModel::modelReset, this, &ListCount::Cancel);
    connect(list.Model(), &QAbstractItemModel::rowsRemoved, this, &ListCount::LinesRemoved);
    connect(list.Model(), &QAbstractItemModel::dataChanged, this, &ListCount::LinesChanged);
}

ListCount::~ListCount() = default;

std::optional<PressResult> ListCount::Start(const QString& text, bool regex)
{
    Stop();
    if (text.isEmpty() || m_list.Count() == 0)
        return std::nullopt;
    if (regex) {
        auto expression = std::make_unique<ExpressionSearch>(text);
        if (!expression->Of().IsValid())
            return PressResult{Mode::Count, QStringLiteral("Invalid regular expression: ") +
                                                expression->Of().Error()};
        m_expression = std::move(expression);
    } else {
        m_words.emplace(text);
    }
    m_text = text;
    m_hits.assign(size_t(m_list.Count()), 0);
    m_running = true;
    if (Slice(false))
        return End();
    m_slice.start(0);
    return std::nullopt;
}

PressResult ListCount::Finish()
{
    Slice(true);
    return End();
}

void ListCount::Cancel()
{
    if (!m_running)
        return;
    Stop();
    Q_EMIT Cancelled();
}

void ListCount::Stop()
{
    m_slice.stop();
    m_running = false;
    m_words.reset();
    m_expression.reset();
    m_hits = {};
    m_next = 0;
}

void ListCount::Next()
{
    if (Slice(false)) {
        Q_EMIT Finished(End());
        return;
    }
    Q_EMIT Progress(m_next, qsizetype(m_hits.size()));
    m_slice.start(0);
}

// A fresh reader each slice: between slices the list may have dropped or completed lines.
bool ListCount::Slice(bool whole)
{
    QElapsedTimer clock;
    clock.start();
    reading::OutputModel::LineReader lines(*m_list.Model());
    const qsizetype end = qsizetype(m_hits.size());
    // The clock is read after every line an expression tests, which may take long; after
    // many lines of words, each of which costs about as much as a look at the clock.
    const qsizetype stride = m_expression ? 1 : 256;
    while (m_next < end && !GaveUp()) {
        for (const qsizetype stop = qMin(end, m_next + stride); m_next < stop; ++m_next)
            m_hits[size_t(m_next)] = Matches(lines.At(m_next));
        if (!whole && m_budget.Spent(clock.nsecsElapsed(), 0))
            break;
    }
    return m_next >= end || GaveUp();
}

bool ListCount::Matches(QByteArrayView line)
{
    return m_words ? m_words->Matches(line) : m_expression->Matches(line);
}

PressResult ListCount::End()
{
    const qsizetype covered = qsizetype(m_hits.size());
    const qsizetype matches = m_list.Selection()->MarkWhere(
        m_list.Count(), [&](qsizetype row) { return row < covered && m_hits[size_t(row)] != 0; });
    PressResult result = Counted(m_list, m_text, matches, m_list.NextSelected(-1));
    if (m_expression)
        result.status += m_expression->Note();
    Stop();
    return result;
}

// Lines go only from the front of the list, so the lines counted so far stay counted.
void ListCount::LinesRemoved(const QModelIndex& parent, int first, int last)
{
    if (!m_running || parent.isValid() || size_t(first) >= m_hits.size())
        return;
    const qsizetype gone = qMin<qsizetype>(last + 1, qsizetype(m_hits.size())) - first;
    m_hits.erase(m_hits.begin() + first, m_hits.begin() + first + gone);
    m_next = m_next > first ? qMax<qsizetype>(first, m_next - gone) : m_next;
}

// A line completed (the Tail's unfinished last line) is counted again, with the lines after it.
void ListCount::LinesChanged(const QModelIndex& first)
{
    if (m_running)
        m_next = qMin<qsizetype>(m_next, first.row());
}

} // namespace search
