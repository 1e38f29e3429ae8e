// Name styles and file names: ASCII as it comes, other bytes stand for characters whose letter
// case is special (one of them outside the 16-bit range). FilterToPattern and the file list's match
// must agree with the plain rules written out below: only "*" and "?" are wildcards, everything
// else stands for itself with letter case ignored, and ".*" at the end of a pattern may also match
// nothing.
#include "Check.h"
#include "folders/FilterPattern.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <optional>
#include <string>
#include <vector>

namespace
{

using Text = std::u32string;

const char32_t Special[] = {U'é', U'É', U'ß', U'ẞ', U'\u212A', U'İ', U'ı', U'ſ', U'😀', U'Ω'};

Text Take(FuzzedDataProvider& in)
{
    Text text;
    for (const char c : in.ConsumeRandomLengthString(40)) {
        const auto byte = static_cast<unsigned char>(c);
        text += byte < 0x80 ? char32_t(byte) : Special[byte % std::size(Special)];
    }
    return text;
}

QString ToQString(const Text& text)
{
    return QString::fromUcs4(text.data(), qsizetype(text.size()));
}

Text Folded(const Text& text)
{
    Text folded;
    for (const char32_t c : text)
        folded += char32_t(QChar::toCaseFolded(c));
    return folded;
}

// Every match of `token`, left to right, without overlaps, taken out.
Text RemoveAll(const Text& text, const Text& token)
{
    Text out;
    for (std::size_t i = 0; i < text.size();)
        if (text.compare(i, token.size(), token) == 0)
            i += token.size();
        else
            out += text[i++];
    return out;
}

std::optional<Text> ReferencePattern(const Text& filter)
{
    if (filter.empty())
        return std::nullopt;
    Text base = filter.substr(0, filter.find(U'.'));
    for (const Text token : {U"yyyy", U"yy", U"mm", U"dd"})
        base = RemoveAll(base, token);
    return base + U"*." + filter.substr(filter.size() < 3 ? 0 : filter.size() - 3);
}

// Which prefixes of the name each prefix of the pattern matches, one pattern character at a
// time.
bool Wildcards(const Text& pattern, const Text& name)
{
    std::vector<bool> matched(name.size() + 1, false);
    matched[0] = true;
    for (const char32_t p : pattern) {
        std::vector<bool> next(name.size() + 1, false);
        bool any = false;
        for (std::size_t j = 0; j <= name.size(); ++j) {
            any = any || matched[j];
            next[j] = p == U'*' ? any : j > 0 && matched[j - 1] && (p == U'?' || p == name[j - 1]);
        }
        matched.swap(next);
    }
    return matched[name.size()];
}

bool ReferenceMatches(const Text& pattern, const Text& name)
{
    const Text p = Folded(pattern);
    const Text n = Folded(name);
    if (Wildcards(p, n))
        return true;
    const bool dotStar = p.size() >= 2 && p.compare(p.size() - 2, 2, U".*") == 0;
    return dotStar && ReferenceMatches(pattern.substr(0, pattern.size() - 2), name);
}

QString Quoted(const Text& a, const Text& b)
{
    return u'"' + ToQString(a) + QStringLiteral("\" \"") + ToQString(b) + u'"';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const Text style = Take(in);
    const Text name = Take(in);
    const std::optional<QString> pattern = FilterToPattern(ToQString(style));
    const std::optional<Text> expected = ReferencePattern(style);
    Check(pattern.has_value() == expected.has_value() &&
              (!pattern || *pattern == ToQString(*expected)),
          "FilterToPattern", Quoted(style, expected.value_or(U"-")));
    Check(MatchesPattern(ToQString(name), ToQString(style)) == ReferenceMatches(style, name),
          "match", Quoted(style, name));
    if (expected)
        Check(WildcardPattern(*pattern).Matches(ToQString(name)) ==
                  ReferenceMatches(*expected, name),
              "match of the style's pattern", Quoted(*expected, name));
    return 0;
}
