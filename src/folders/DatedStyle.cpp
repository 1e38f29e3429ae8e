#include "DatedStyle.h"

#include <functional>

namespace
{
enum class Part { Text, Year4, Year2, Month, Day };

// Walks the filter: the date tokens count only before its first dot; anything else is text.
void Scan(const QString& filter, const std::function<void(Part, QChar)>& take)
{
    const qsizetype dot = filter.indexOf(u'.');
    const qsizetype baseEnd = dot < 0 ? filter.size() : dot;
    for (qsizetype i = 0; i < filter.size();) {
        const QStringView rest = QStringView(filter).sliced(i);
        Part part = Part::Text;
        if (i < baseEnd && rest.startsWith(u"yyyy"))
            part = Part::Year4;
        else if (i < baseEnd && rest.startsWith(u"yy"))
            part = Part::Year2;
        else if (i < baseEnd && rest.startsWith(u"mm"))
            part = Part::Month;
        else if (i < baseEnd && rest.startsWith(u"dd"))
            part = Part::Day;
        take(part, rest[0]);
        i += part == Part::Text ? 1 : part == Part::Year4 ? 4 : 2;
    }
}

QString TwoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}
} // namespace

std::optional<DatedStyle> DatedStyle::From(const QString& filter)
{
    DatedStyle style;
    style.m_filter = filter;
    QString pattern;
    int years = 0, months = 0, days = 0, tokens = 0;
    Scan(filter, [&](Part part, QChar c) {
        if (part == Part::Text) {
            style.m_wildcards = style.m_wildcards || c == u'*' || c == u'?';
            pattern += c == u'*'   ? QStringLiteral(".*")
                       : c == u'?' ? QStringLiteral(".")
                                   : QRegularExpression::escape(QString(c));
            return;
        }
        pattern += part == Part::Year4 ? QStringLiteral("(\\d{4})") : QStringLiteral("(\\d{2})");
        style.m_order[qMin(tokens++, 2)] = part == Part::Year4   ? Token::Year4
                                           : part == Part::Year2 ? Token::Year2
                                           : part == Part::Month ? Token::Month
                                                                 : Token::Day;
        (part == Part::Month ? months : part == Part::Day ? days : years)++;
    });
    if (years != 1 || months != 1 || days != 1)
        return std::nullopt;
    // As in the file list, a trailing ".*" also takes a name without an extension.
    if (pattern.endsWith(QStringLiteral("\\..*")))
        pattern.replace(pattern.size() - 4, 4, QStringLiteral("(?:\\..*)?"));
    style.m_fits = QRegularExpression(QStringLiteral("^") + pattern + QStringLiteral("$"),
                                      QRegularExpression::CaseInsensitiveOption |
                                          QRegularExpression::DotMatchesEverythingOption);
    return style;
}

std::optional<QDate> DatedStyle::DateOf(const QString& name) const
{
    const QRegularExpressionMatch match = m_fits.match(name);
    if (!match.hasMatch())
        return std::nullopt;
    int year = 0, month = 0, day = 0;
    for (int t = 0; t < 3; ++t) {
        const int value = match.capturedView(t + 1).toInt();
        switch (m_order[t]) {
        case Token::Year4:
            year = value;
            break;
        case Token::Year2:
            year = 2000 + value;
            break;
        case Token::Month:
            month = value;
            break;
        case Token::Day:
            day = value;
            break;
        }
    }
    const QDate date(year, month, day);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

QString DatedStyle::NameFor(const QDate& date) const
{
    if (m_wildcards)
        return {};
    QString name;
    Scan(m_filter, [&](Part part, QChar c) {
        switch (part) {
        case Part::Text:
            name += c;
            break;
        case Part::Year4:
            name += QString::number(date.year());
            break;
        case Part::Year2:
            name += TwoDigits(date.year() % 100);
            break;
        case Part::Month:
            name += TwoDigits(date.month());
            break;
        case Part::Day:
            name += TwoDigits(date.day());
            break;
        }
    });
    return name;
}
