#include "Search.h"

#include "base/LineMatcher.h"
#include "reading/OutputList.h"
#include "settings/modMain.h"

namespace search
{

namespace
{

const QString NextMatch = QStringLiteral("Next match");

PressResult Count(OutputList& list, const QString& text)
{
    const LineMatcher matcher(text);
    const auto [matches, first] =
        list.SelectWhere([&](QByteArrayView line) { return matcher.Matches(line); });
    return Counted(list, text, matches, first);
}

PressResult Step(OutputList& list)
{
    // A step follows the selected marks as they are now, whoever set them.
    const qsizetype next = list.NextSelected(modMain::SearchPosition);
    if (next < 0)
        return {NextMatch, QStringLiteral("This is the last match")};
    list.SetCurrent(next);
    modMain::SearchPosition = next;
    return {NextMatch, QStringLiteral("Match on line: ") + QString::number(next)};
}

} // namespace

PressResult Counted(OutputList& list, const QString& text, qsizetype matches, qsizetype first)
{
    first = qMax<qsizetype>(first, 0);
    list.SetCurrent(first);
    modMain::SearchPosition = first;
    const QString quoted = QStringLiteral(" of '") + text + QStringLiteral("' found");
    if (matches == 0)
        return {QStringLiteral("&Search"), QStringLiteral("No occurances") + quoted};
    if (matches == 1)
        return {NextMatch, QStringLiteral("1 occurance") + quoted};
    return {NextMatch, QString::number(matches) + QStringLiteral(" occurances") + quoted};
}

std::optional<PressResult> Press(OutputList& list, const QString& text, const QString& caption)
{
    if (text.isEmpty() || list.Count() == 0)
        return std::nullopt;
    return caption == NextMatch ? Step(list) : Count(list, text);
}

} // namespace search
