#pragma once

#include <QString>
#include <QStringView>

#include <optional>
#include <span>
#include <vector>

// The wildcard pattern that lists a log folder's files of every date: the filter's base name
// (the text before its first ".") without the date tokens "yyyy", "yy", "mm" and "dd", then
// "*.", then the filter's last three characters. No pattern for an empty filter.
std::optional<QString> FilterToPattern(const QString& Filter);

// A file-list pattern, prepared once for matching many names. '*' stands for any run of
// characters (also none), '?' for exactly one character, any other character for itself with
// letter case ignored. A ".*" that ends the pattern may also match nothing, so "ex*.*", "*.*"
// and "**.*.*" take names without an extension too. Time is bounded by the product of the two
// lengths, whatever the stars.
class WildcardPattern
{
public:
    explicit WildcardPattern(QStringView pattern);

    bool Matches(QStringView name) const;

private:
    static bool MatchesFolded(QStringView name, std::span<const char32_t> pattern);

    std::vector<char32_t> m_folded; // the pattern's code points, case-folded
    std::size_t m_coreSize = 0;     // without the trailing ".*" groups
    bool m_endsWithDotStar = false;
};

bool MatchesPattern(const QString& name, const QString& pattern);
