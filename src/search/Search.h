#pragma once

#include "base/Rules.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace reading
{
class OutputList;
}

namespace search
{

// What the next press of the search button does: count the matches, or step to the next one.
enum class Mode { Count, Step };

// The search button's caption in that mode.
QString Caption(Mode mode);

// What the dialog shows after a press of its search button: its next mode and the status.
struct PressResult {
    Mode mode = Mode::Count;
    QString status;
};

// One press of the search button. A step goes to the next selected line after the list's
// SearchPosition; a count selects exactly the lines whose text, upper-cased, contains `text`
// upper-cased, and makes the first of them current. As a regular expression (`regex`), `text`
// selects the lines it matches, case ignored; an invalid one says why and selects nothing. An
// empty text or an empty list does nothing at all.
std::optional<PressResult> Press(reading::OutputList& list, const QString& text, Mode mode,
                                 bool regex = false);

// What a count of `text` ends with once its `matches` are the selected lines, the first of them
// `first` (-1 when none): that line current and the position of the next step, and the count
// in the dialog's words.
PressResult Counted(reading::OutputList& list, const QString& text, qsizetype matches,
                    qsizetype first);

// An expression searching many lines, case ignored. Each line it gives up on costs it its match
// limit, so after a thousand such lines it matches no more: a bad expression cannot hold a
// search for hours.
class ExpressionSearch
{
public:
    explicit ExpressionSearch(const QString& pattern) : m_expression(pattern, false) {}
    const Expression& Of() const { return m_expression; }
    bool Matches(QByteArrayView line);
    // Whether it has stopped matching: the lines after are not searched.
    bool GaveUp() const { return m_gaveUp >= GiveUp; }
    // What the search's status adds about the lines given up on; empty when none.
    QString Note() const;

private:
    static constexpr int GiveUp = 1000;
    Expression m_expression;
    int m_gaveUp = 0;
};

} // namespace search
