#include "DayFollow.h"

#include "base/LogFileAccess.h"

#include <algorithm>
#include <limits>

namespace reading
{

namespace
{
// Listing a folder of thousands of files every second would cost more than following it.
constexpr qint64 ListEveryMs = 60000;
// Folder entries read at one look: a few milliseconds even where reading a folder is slow.
constexpr qsizetype EntriesPerLook = 4096;
// Days looked up one by one; older gaps are found by the listing.
constexpr int DaysLookedUp = 31;
} // namespace

std::optional<DayFollow> DayFollow::At(const QString& folder, const QString& name,
                                       const QString& filter, const QDate& today, qint64 nowMs,
                                       bool older)
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
    day.ContinueListing(std::numeric_limits<qsizetype>::max());
    if (!older &&
        day.Next(today, nowMs)) // a later file has content already: this one is not the newest
        return std::nullopt;
    return day;
}

void DayFollow::List(qint64 nowMs)
{
    m_listedAt = nowMs;
    // A folder of many thousand files takes a while to list: the same folder holds the same
    // names, and a listing under way goes on.
    const LogFileAccess::Status folder = LogFileAccess::Stat(m_folder);
    if (m_scan || (folder.exists && folder == m_folderListed))
        return;
    m_folderListed = folder;
    m_scan.emplace(m_folder);
}

void DayFollow::ContinueListing(qsizetype entries)
{
    if (!m_scan || !m_scan->Continue(entries))
        return;
    QStringList names = std::move(m_scan->Names());
    m_scan.reset();
    // Sorting only the dated names keeps a folder of thousands of other files quick.
    // A compressed day is finished: following never moves into one.
    names.removeIf(
        [this](const QString& name) { return IsCompressedName(name) || !m_style.DateOf(name); });
    SortFileNames(names);
    m_listed.clear();
    for (const DatedFile& file : DatedFiles(names, m_style)) {
        if (file.date > m_date)
            m_listed.insert(file.date, file.name);
    }
}

bool DayFollow::HoldsContent(const QString& name) const
{
    if (name.isEmpty() || IsCompressedName(name))
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
    ContinueListing(EntriesPerLook);
    for (const QStringList& day : Candidates(today)) {
        for (const QString& name : day) {
            if (HoldsContent(name))
                return name;
        }
    }
    return std::nullopt;
}

QMap<QDate, QStringList> DayFollow::Candidates(const QDate& today) const
{
    const QDate last = LastCandidate(today);
    QMap<QDate, QStringList> names;
    for (QDate day = qMax(m_date.addDays(1), today.addDays(-DaysLookedUp)); day <= last;
         day = day.addDays(1))
        names[day] << m_style.NameFor(day);
    for (auto it = m_listed.cbegin(); it != m_listed.cend() && it.key() <= last; ++it)
        names[it.key()] << it.value();
    return names;
}

QStringList DayFollow::Later(const QDate& today) const
{
    QStringList later;
    if (!Behind(today))
        return later;
    for (const QStringList& day : Candidates(today)) {
        const auto it = std::find_if(day.begin(), day.end(),
                                     [this](const QString& name) { return HoldsContent(name); });
        if (it != day.end())
            later << *it;
    }
    return later;
}

bool DayFollow::MovedTo(const QString& name, const QDate& today, qint64 nowMs)
{
    m_date = m_style.DateOf(name).value_or(m_date);
    m_listed.removeIf([this](auto it) { return it.key() <= m_date; });
    const std::optional<QString> stray = Next(today, nowMs);
    return !stray || m_style.DateOf(*stray).value_or(today) <= today;
}

} // namespace reading
