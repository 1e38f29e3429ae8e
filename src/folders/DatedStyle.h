#pragma once

#include <QDate>
#include <QRegularExpression>
#include <QString>

#include <optional>

// A name style with one year ("yyyy" or "yy"), one "mm" and one "dd" before its first dot:
// the style of a log that starts a new file every day, so that following it can move on to
// the next day's file.
class DatedStyle
{
public:
    // None for a filter without exactly those three tokens.
    static std::optional<DatedStyle> From(const QString& filter);

    // The date a file name stands for under this style: the text around the tokens matches with
    // letter case ignored, wildcards match as in the file list, and the tokens are digits of a
    // valid date ("yy" is 2000 + yy). None for a name that does not fit.
    std::optional<QDate> DateOf(const QString& name) const;
    // The name of the day's file, when the style has no wildcard; empty otherwise.
    QString NameFor(const QDate& date) const;

private:
    enum class Token { Year4, Year2, Month, Day };
    DatedStyle() = default;

    QRegularExpression m_fits;
    Token m_order[3] = {};
    QString m_filter;
    bool m_wildcards = false;
};
