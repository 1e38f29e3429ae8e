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
    day.List(nowMs);
    if (day.Next(today, nowMs)) // a later file has content already: this one is not the newest
        return std::nullopt;
    return day;
}

void DayFollow::List(qint64 nowMs)
{
    m_listedAt = nowMs;
    // A folder of many thousand files takes a while to list: the same folder holds the same names.
    const LogFileAccess::Status folder = LogFileAccess::Stat(m_folder);
    if (folder.exists && folder == m_folderListed)
        return;
    m_folderListed = folder;
    m_listed.clear();
    for (const DatedFile& file : ListDatedFiles(m_folder, m_style)) {
        if (file.date > m_date)
            m_listed.insert(file.date, file.name);
    }
}

bool DayFollow::HoldsContent(const QString& name) const
{
    if (name.isEmpty())
        return false;
    const LogFileAccess::Status file = LogFileAccess::Stat(m_folder + name);
    return file.regular && file.size > 0;
}

QDate DayFollow::LastCandidate(const QDate& today) const
{
    // A stray file dated tomorrow must not take the place of today's.
    return m_date >= today ? today.addDays(1) : today;
}

std::optional<QString> DayFollow::Next(const QDate& today, qint64 nowMs)
{
    if (nowMs - m_listedAt >= ListEveryMs)
        List(nowMs);
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

bool DayFollow::MovedTo(const QString& name, const QDate& today, qint64 nowMs)
{
    m_date = m_style.DateOf(name).value_or(m_date);
    m_listed.removeIf([this](auto it) { return it.key() <= m_date; });
    const std::optional<QString> stray = Next(today, nowMs);
    return !stray || m_style.DateOf(*stray).value_or(today) <= today;
}

} // namespace reading
