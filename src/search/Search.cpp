#include "Search.h"

#include "base/LineMatcher.h"
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

std::optional<PressResult> Press(reading::OutputList& list, const QString& text, Mode mode)
{
    if (text.isEmpty() || list.Count() == 0)
        return std::nullopt;
    return mode == Mode::Step ? Step(list) : Count(list, text);
}

} // namespace search
