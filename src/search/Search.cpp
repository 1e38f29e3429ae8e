#include "Search.h"

#include "base/LineMatcher.h"
#include "base/Rules.h"
#include "reading/OutputList.h"

namespace search
{

namespace
{

PressResult Count(reading::OutputList& list, const QString& text)
{
    const LineMatcher matcher(text);
    const auto [matches, first] =
        list.SelectWhere([&](QByteArrayView line) { return matcher.Matches(line); });
    return Counted(list, text, matches, first);
}

// Each line an expression gives up on costs it its match limit: after a thousand such lines
// the rest of the list is not searched, so that a bad expression cannot hold the window.
PressResult CountExpression(reading::OutputList& list, const QString& text)
{
    const Expression expression(text, false);
    if (!expression.IsValid())
        return {Mode::Count, QStringLiteral("Invalid regular expression: ") + expression.Error()};
    constexpr int GiveUp = 1000;
    int gaveUp = 0;
    const auto [matches, first] = list.SelectWhere([&](QByteArrayView line) {
        if (gaveUp >= GiveUp)
            return false;
        const bool found = expression.Matches(line);
        gaveUp += expression.TakeLimitHit() ? 1 : 0;
        return found;
    });
    PressResult result = Counted(list, text, matches, first);
    if (gaveUp >= GiveUp)
        result.status += QStringLiteral("; the expression backtracked too long on %1 lines, and "
                                        "the lines after them were not searched")
                             .arg(GiveUp);
    else if (gaveUp > 0)
        result.status += QStringLiteral("; %1 lines made it backtrack too long and count as not "
                                        "found")
                             .arg(gaveUp);
    return result;
}

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
    return regex ? CountExpression(list, text) : Count(list, text);
}

} // namespace search
