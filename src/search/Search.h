#pragma once

#include <QList>
#include <QString>

#include <optional>

class OutputList;

namespace search
{

// The lines whose text, upper-cased, contains `text` upper-cased, in list order. Empty lines
// and an empty text never match.
QList<qsizetype> MatchingLines(const OutputList& list, const QString& text);

// What the dialog shows after a press of its search button.
struct PressResult {
    QString caption;
    QString status;
};

// What the dialog shows after counting `matches` lines that hold `text`.
PressResult CountResult(qsizetype matches, const QString& text);

// One press of the search button. The caption is the dialog's mode: "Next match" steps to the
// next selected line after SearchPosition, any other caption counts, selects exactly the
// matching lines and makes the first of them current. An empty text or an empty list does
// nothing at all.
std::optional<PressResult> Press(OutputList& list, const QString& text, const QString& caption);

} // namespace search
