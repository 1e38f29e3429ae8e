#include "Search.h"

#include "ListCount.h"
#include "reading/OutputList.h"

namespace search
{

namespace
{

PressResult Step(reading::OutputList& list)
{
    // A step follows the selected marks as they are now, whoever set them.
    const qsizetype next = list.NextSelected(list.SearchPosition);
    if (next < 0)
        return {Mode::Step, QStringLiteral("This is the last match")};
    list.SetCurrent(next);
    list.SearchPosition = next;
    return {Mode::Step, QStringLiteral("Match on line: ") + QString::number(next)};
}

} // namespace

QString Caption(Mode mode)
{
    return mode == Mode::Step ? QStringLiteral("Next match") : QStringLiteral("&Search");
}

PressResult Counted(reading::OutputList& list, const QString& text, qsizetype matches,
                    qsizetype first)
{
    first = qMax<qsizetype>(first, 0);
    list.SetCurrent(first);
    list.SearchPosition = first;
    const QString quoted = QStringLiteral(" of '") + text + QStringLiteral("' found");
    if (matches == 0)
        return {Mode::Count, QStringLiteral("No occurances") + quoted};
    if (matches == 1)
        return {Mode::Step, QStringLiteral("1 occurance") + quoted};
    return {Mode::Step, QString::number(matches) + QStringLiteral(" occurances") + quoted};
}

std::optional<PressResult> Press(reading::OutputList& list, const QString& text, Mode mode,
                                 bool regex)
{
    if (text.isEmpty() || list.Count() == 0)
        return std::nullopt;
    if (mode == Mode::Step)
        return Step(list);
    ListCount count(list);
    const std::optional<PressResult> result = count.Start(text, regex);
    return count.Running() ? count.Finish() : *result;
}

bool ExpressionSearch::Matches(QByteArrayView line)
{
    if (GaveUp())
        return false;
    const bool found = m_expression.Matches(line);
    m_gaveUp += m_expression.TakeLimitHit() ? 1 : 0;
    return found;
}

QString ExpressionSearch::Note() const
{
    if (GaveUp())
        return QStringLiteral("; the expression backtracked too long on %1 lines, and the lines "
                              "after them were not searched")
            .arg(GiveUp);
    if (m_gaveUp > 0)
        return QStringLiteral("; %1 %2 made the expression backtrack too long and count as not "
                              "found")
            .arg(m_gaveUp)
            .arg(m_gaveUp == 1 ? QStringLiteral("line") : QStringLiteral("lines"));
    return {};
}

} // namespace search
