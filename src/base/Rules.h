#pragma once

#include "LineMatcher.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

// One colour of the rules' palette: text on a background of its own, so it reads on a light
// list as on a dark one. Colours are 0xRRGGBB.
struct RuleColour {
    const char* name;
    quint32 foreground;
    quint32 background;
};
// The palette, about eight colours, in the order the dialog offers them.
QList<RuleColour> RuleColours();
// The palette's index of `name`, -1 when it has none of that name.
int RuleColourIndex(QStringView name);

enum class RuleAction { Colour, Hide, Alert };

// A rule as the user wrote it: what it does, and which lines it takes.
struct Rule {
    RuleAction action = RuleAction::Colour;
    QString colour; // a palette name, for a colour rule
    bool regex = false;
    bool matchCase = false;
    QString text;
    bool operator==(const Rule&) const = default;
};

// Why `pattern` is no valid regular expression; empty when it is one.
QString ExpressionError(const QString& pattern);

// A regular expression matched through PCRE2 with JIT and a match limit: an expression that
// backtracks without end on a line gives up there, and that line counts as not matching.
class Expression
{
public:
    Expression(const QString& pattern, bool matchCase);
    ~Expression();
    Expression(const Expression&) = delete;
    Expression& operator=(const Expression&) = delete;

    bool IsValid() const { return m_code != nullptr; }
    const QString& Error() const { return m_error; }
    // A line that is not valid UTF-8 is matched as the list shows it.
    bool Matches(QByteArrayView line) const;
    // Whether a line has given up at the match limit since the last call.
    bool TakeLimitHit() const { return std::exchange(m_limitHit, false); }

private:
    void* m_code = nullptr;
    void* m_data = nullptr;
    void* m_context = nullptr;
    void* m_jitStack = nullptr;
    QString m_error;
    mutable bool m_limitHit = false;
};

// Tests lines the way a rule takes them: words as typed (case ignored as search ignores it,
// or matched exactly) or a regular expression.
class RuleMatcher
{
public:
    explicit RuleMatcher(const Rule& rule);
    bool Matches(QByteArrayView line) const;
    const Rule& Of() const { return m_rule; }
    bool TakeLimitHit() const { return m_expression && m_expression->TakeLimitHit(); }

private:
    Rule m_rule;
    std::optional<LineMatcher> m_words;
    QByteArray m_exact; // UTF-8, for words whose case matters
    std::unique_ptr<Expression> m_expression;
};

// The user's rules, ready to test lines: the first colour rule that takes a line colours it.
class RuleSet
{
public:
    RuleSet() = default;
    explicit RuleSet(const QList<Rule>& rules);

    // The palette index of the first colour rule that takes the line; -1 when none does.
    int ColourOf(QByteArrayView line) const;
    bool Hides(QByteArrayView line) const;
    bool HasColours() const { return m_colours; }
    bool HasHides() const { return m_hides; }
    bool HasAlerts() const { return m_alerts; }
    // The alert rules that take the line, in the file's order.
    QList<const Rule*> AlertsOf(QByteArrayView line) const;
    // Once, after an expression first gave up on a line: a sentence that says so.
    QString TakeLimitNotice() const;

private:
    bool Any(RuleAction action, QByteArrayView line) const;

    std::vector<std::unique_ptr<RuleMatcher>> m_matchers;
    bool m_colours = false;
    bool m_hides = false;
    bool m_alerts = false;
    mutable bool m_limitSaid = false;
};

// The rules file as written: its lines, the rules read from them and the lines that could not
// be read, by number. Saving keeps comments, blank lines and unread lines where they stand.
struct RulesText {
    QStringList lines;     // as the rules see them, without their line ends
    QList<QByteArray> raw; // each line's bytes as written, a CR kept, for saving
    QList<Rule> rules;
    QList<qsizetype> ruleLines; // the line of each rule
    QList<qsizetype> noteLines; // the first of the comment lines right above each rule
    QStringList problems;       // "Line N: why", for the lines kept but not read
};

// A rule's line: action, kind, case and text, separated by tabs.
QString RuleLine(const Rule& rule);
RulesText ParseRules(QByteArrayView bytes);
// The file's bytes with `rules` in the places of the rules read, in their new order. origins[k]
// is the rule as read that rules[k] was (-1 for a new one): it keeps its line when unchanged
// and the comments right above it wherever it goes; a removed rule's comments go with it;
// more rules go at the end. Comments on the file's first lines stay on top.
QByteArray FormatRules(const RulesText& read, const QList<Rule>& rules,
                       const QList<qsizetype>& origins);

// The per-user rules file and what reading it found.
struct RulesFile {
    QString path;
    RulesText text;
    QString error; // the file could not be read: it is left as it is
};
QString RulesPath();
// Reads only a regular file of at most 1 MiB, without blocking on a FIFO.
RulesFile ReadRulesFile(const QString& path);
// Saves `rules` into the file as read; an error message, empty when saved. A file that could
// not be read is not replaced.
QString SaveRulesFile(RulesFile& file, const QList<Rule>& rules,
                      const QList<qsizetype>& origins = {});
// The rules offered on first use.
QList<Rule> StarterRules();
