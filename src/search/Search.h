#pragma once

#include <QString>

#include <optional>

class OutputList;

namespace search
{

// What the dialog shows after a press of its search button.
struct PressResult {
    QString caption;
    QString status;
};

// One press of the search button. The caption is the dialog's mode: "Next match" steps to the
// next selected line after SearchPosition, any other caption counts, selects exactly the lines
// whose text, upper-cased, contains `text` upper-cased, and makes the first of them current.
// An empty text or an empty list does nothing at all.
std::optional<PressResult> Press(OutputList& list, const QString& text, const QString& caption);

// What a count of `text` ends with once its `matches` are the selected lines, the first of them
// `first` (-1 when none): that line current and the position of the next step, and the count
// in the dialog's words.
PressResult Counted(OutputList& list, const QString& text, qsizetype matches, qsizetype first);

} // namespace search
