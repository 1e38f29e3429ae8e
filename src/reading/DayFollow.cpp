#include "DayFollow.h"

#include "base/LogFileAccess.h"

namespace reading
{

namespace
{
// Listing a folder of thousands of files every second would cost more than following it.
constexpr qint64 ListEveryMs = 60000;
// Days looked up one by one; older gaps are found by the listing.
constexpr int DaysLookedUp = 31;
} // namespace

std::optional<DayFollow> DayFollow::At(const QString& folder, const QString& name,
                                       const QString& filter, const QDate& today, qint64 nowMs)
{
    std::optional<DatedStyle> style = DatedStyle::From(filter);
    if (!style)
        return std::nullopt;
    const std::optional<QDate> date = style->DateOf(name);
    if (!date)
        return std::nullopt;
    DayFollow day(std::move(*style));
    day.m_folder = folder;
    day.m_date = *date;
    day.List(today, nowMs);
    if (day.Next(today, nowMs)) // a later file has content already: this one is not the newest
        return std::nullopt;
    return day;
}

void DayFollow::List(const QDate& today, qint64 nowMs)
{
    m_listed.clear();
    m_listedAt = nowMs;
    for (const DatedFile& file : ListDatedFiles(m_folder, m_style)) {
        if (file.date > m_date && file.date <= today.addDays(1))
            m_listed.insert(file.date, file.name);
    }
}

bool DayFollow::HoldsContent(const QString& name) const
{
    return !name.isEmpty() && LogFileAccess::Stat(m_folder + name).size > 0;
}

QDate DayFollow::LastCandidate(const QDate& today) const
{
    // A stray file dated tomorrow must not take the place of today's.
    return m_date >= today ? today.addDays(1) : today;
}

std::optional<QString> DayFollow::Next(const QDate& today, qint64 nowMs)
{
    if (nowMs - m_listedAt >= ListEveryMs)
        List(today, nowMs);
    const QDate last = LastCandidate(today);
    QMap<QDate, QStringList> names;
    for (QDate day = qMax(m_date.addDays(1), today.addDays(-DaysLookedUp)); day <= last;
         day = day.addDays(1))
        names[day] << m_style.NameFor(day);
    for (auto it = m_listed.cbegin(); it != m_listed.cend() && it.key() <= last; ++it)
        names[it.key()] << it.value();
    for (const QStringList& day : names) {
        for (const QString& name : day) {
            if (HoldsContent(name))
                return name;
        }
    }
    return std::nullopt;
}

void DayFollow::MovedTo(const QString& name)
{
    m_date = m_style.DateOf(name).value_or(m_date);
    m_listed.removeIf([this](auto it) { return it.key() <= m_date; });
}

} // namespace reading
