#include "folders/FilterPattern.h"

#include <QChar>

namespace
{

// The last `count` characters of `text`, never splitting a surrogate pair.
QString LastCharacters(const QString& text, int count)
{
    qsizetype start = text.size();
    for (int taken = 0; taken < count && start > 0; ++taken) {
        --start;
        if (start > 0 && text.at(start).isLowSurrogate() && text.at(start - 1).isHighSurrogate())
            --start;
    }
    return text.mid(start);
}

struct CodePoint {
    char32_t value;
    qsizetype next; // index of the code unit after it
};

CodePoint CodePointAt(QStringView text, qsizetype i)
{
    const QChar unit = text[i];
    if (unit.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        return {QChar::surrogateToUcs4(unit, text[i + 1]), i + 2};
    return {unit.unicode(), i + 1};
}

char32_t Fold(char32_t c)
{
    if (c < 0x80)
        return c >= U'A' && c <= U'Z' ? c + (U'a' - U'A') : c;
    return QChar::toCaseFolded(c);
}

} // namespace

std::optional<QString> FilterToPattern(const QString& Filter)
{
    if (Filter.isEmpty())
        return std::nullopt;
    QString base = Filter.left(Filter.indexOf(u'.')); // whole filter when it has no "."
    // One left-to-right pass per token, in this order: text joined by a later removal stays.
    for (const char* token : {"yyyy", "yy", "mm", "dd"})
        base.remove(QLatin1String(token), Qt::CaseSensitive);
    return base + QStringLiteral("*.") + LastCharacters(Filter, 3);
}

WildcardPattern::WildcardPattern(QStringView pattern)
{
    for (qsizetype i = 0; i < pattern.size();) {
        const CodePoint c = CodePointAt(pattern, i);
        m_folded.push_back(Fold(c.value));
        i = c.next;
    }
    m_coreSize = m_folded.size();
    while (m_coreSize >= 2 && m_folded[m_coreSize - 2] == U'.' && m_folded[m_coreSize - 1] == U'*')
        m_coreSize -= 2;
    m_endsWithDotStar = m_coreSize < m_folded.size();
}

bool WildcardPattern::Matches(QStringView name) const
{
    // Trailing ".*" groups that match nothing leave the core. When they match something, the
    // first of them can take all of it, so core plus one ".*" stands for every other case.
    const std::span<const char32_t> all(m_folded);
    return MatchesFolded(name, all.first(m_coreSize)) ||
           (m_endsWithDotStar && MatchesFolded(name, all.first(m_coreSize + 2)));
}

// Greedy matching that returns to the latest star only: a later star can reach every split an
// earlier one could, so nothing else needs trying.
bool WildcardPattern::MatchesFolded(QStringView name, std::span<const char32_t> pattern)
{
    std::size_t p = 0;
    qsizetype n = 0;
    std::size_t afterStar = 0;
    qsizetype starTakesUpTo = -1;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == U'*') {
            afterStar = ++p;
            starTakesUpTo = n;
            continue;
        }
        const CodePoint c = CodePointAt(name, n);
        if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == Fold(c.value))) {
            ++p;
            n = c.next;
        } else if (starTakesUpTo >= 0) {
            starTakesUpTo = CodePointAt(name, starTakesUpTo).next;
            n = starTakesUpTo;
            p = afterStar;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*')
        ++p;
    return p == pattern.size();
}

bool MatchesPattern(const QString& name, const QString& pattern)
{
    return WildcardPattern(pattern).Matches(name);
}
