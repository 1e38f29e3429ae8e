#pragma once

#include "folders/FilterPattern.h"

#include <QDate>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

// A name style with one year ("yyyy" or "yy"), one "mm" and one "dd" before its first dot:
// the style of a log that starts a new file every day, so that following it can move on to
// the next day's file.
class DatedStyle
{
public:
    // None for a filter without exactly those three tokens.
    static std::optional<DatedStyle> From(const QString& filter);

    // The date a file name stands for under this style: the text around the tokens matches as a
    // file-list pattern (WildcardPattern), and the tokens are digits of a valid date ("yy" is
    // 2000 + yy). Where a wildcard leaves the tokens' places open, the leftmost token takes the
    // latest place that fits, then the next one. None for a name that does not fit.
    std::optional<QDate> DateOf(const QString& name) const;
    // The name of the day's file, when the style has no wildcard; empty otherwise.
    QString NameFor(const QDate& date) const;

private:
    enum class Token { Year4, Year2, Month, Day };
    struct Places; // where a name's tokens stand
    DatedStyle() = default;
    static int Width(Token token) { return token == Token::Year4 ? 4 : 2; }
    bool Fits(QStringView name, int part, qsizetype at, Places& places) const;

    std::vector<WildcardPattern> m_texts; // before the first token, between them, after the last
    Token m_order[3] = {};
    QString m_filter;
    bool m_wildcards = false;
};

// A file whose name carries a date under a style.
struct DatedFile {
    QDate date;
    QString name;
};

// Oldest first; files of one day keep their order.
void SortByDate(QList<DatedFile>& files);

// Of `names` (in listing order), those that carry a date under `style`, a compressed day's by
// its name without the compression's suffix, oldest first, names of one day in their order;
// `undated` counts the others.
QList<DatedFile> DatedFiles(const QStringList& names, const DatedStyle& style,
                            qsizetype* undated = nullptr);

// The folder's regular files whose names carry a date under `style`, oldest first, names of one
// day in name order. Only names that the file-list `pattern` takes are looked at; `undated`
// counts those that carry no valid date.
QList<DatedFile> ListDatedFiles(const QString& folder, const DatedStyle& style,
                                const QString& pattern = QStringLiteral("*"),
                                qsizetype* undated = nullptr);
