#include "DatedStyle.h"

#include "folders/FileListing.h"

#include <algorithm>
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
    QStringList texts(1);
    int years = 0, months = 0, days = 0;
    Scan(filter, [&](Part part, QChar c) {
        if (part == Part::Text) {
            style.m_wildcards = style.m_wildcards || c == u'*' || c == u'?';
            texts.last() += c;
            return;
        }
        style.m_order[qMin(texts.size() - 1, 2)] = part == Part::Year4   ? Token::Year4
                                                   : part == Part::Year2 ? Token::Year2
                                                   : part == Part::Month ? Token::Month
                                                                         : Token::Day;
        texts.append(QString());
        (part == Part::Month ? months : part == Part::Day ? days : years)++;
    });
    if (years != 1 || months != 1 || days != 1)
        return std::nullopt;
    for (const QString& text : texts)
        style.m_texts.emplace_back(text);
    return style;
}

struct DatedStyle::Places {
    explicit Places(qsizetype length) : failed(4 * size_t(length + 1)) {}
    qsizetype start[3] = {};
    std::vector<bool> failed; // (part, place) known not to fit
};

namespace
{
bool DigitsAt(QStringView name, qsizetype at, int width)
{
    for (qsizetype i = at; i < at + width; ++i) {
        if (name[i] < u'0' || name[i] > u'9')
            return false;
    }
    return true;
}
} // namespace

// Whether the name from `at` on fits the text `part` and everything after it; the latest place
// for the next token is tried first. A place found not to fit is not tried again, so even a
// long name of digits under a style of many stars costs a bounded number of matches.
bool DatedStyle::Fits(QStringView name, int part, qsizetype at, Places& places) const
{
    const size_t known = size_t(part) * size_t(name.size() + 1) + size_t(at);
    if (places.failed[known])
        return false;
    if (part == 3 && m_texts[3].Matches(name.sliced(at)))
        return true;
    const int width = part < 3 ? Width(m_order[part]) : 0;
    for (qsizetype start = name.size() - width; part < 3 && start >= at; --start) {
        if (DigitsAt(name, start, width) && m_texts[part].Matches(name.sliced(at, start - at)) &&
            Fits(name, part + 1, start + width, places)) {
            places.start[part] = start;
            return true;
        }
    }
    places.failed[known] = true;
    return false;
}

std::optional<QDate> DatedStyle::DateOf(const QString& name) const
{
    Places places(name.size());
    if (!Fits(name, 0, 0, places))
        return std::nullopt;
    int year = 0, month = 0, day = 0;
    for (int t = 0; t < 3; ++t) {
        const int value = QStringView(name).sliced(places.start[t], Width(m_order[t])).toInt();
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

QList<DatedFile> ListDatedFiles(const QString& folder, const DatedStyle& style,
                                const QString& pattern, qsizetype* undated)
{
    return DatedFiles(ListMatchingFiles(folder, pattern), style, undated);
}

QList<DatedFile> DatedFiles(const QStringList& names, const DatedStyle& style, qsizetype* undated)
{
    QList<DatedFile> files;
    for (const QString& name : names) {
        std::optional<QDate> date = style.DateOf(name);
        if (!date && IsCompressedName(name))
            date = style.DateOf(WithoutCompression(name).toString());
        if (date)
            files.append({*date, name});
        else if (undated != nullptr)
            ++*undated;
    }
    SortByDate(files);
    return files;
}

void SortByDate(QList<DatedFile>& files)
{
    std::stable_sort(files.begin(), files.end(),
                     [](const DatedFile& a, const DatedFile& b) { return a.date < b.date; });
}
