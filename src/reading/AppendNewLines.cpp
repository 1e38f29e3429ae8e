#include "AppendNewLines.h"

#include "LogText.h"

#include <algorithm>

namespace modMain
{

namespace
{
char Fold(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}
} // namespace

LineFinder::LineFinder(const QString& text) : m_upper(text.toUpper())
{
    m_ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (m_ascii) {
        m_folded = text.toLatin1();
        for (char& c : m_folded)
            c = Fold(c);
    }
}

bool LineFinder::In(QByteArrayView line) const
{
    if (line.isEmpty())
        return false;
    if (!m_ascii)
        return DecodeLogLine(line).toUpper().contains(m_upper);
    const qsizetype n = m_folded.size();
    const char* needle = m_folded.constData();
    const char* hay = line.data();
    for (qsizetype i = 0; i + n <= line.size(); ++i) {
        qsizetype j = 0;
        while (j < n && Fold(hay[i + j]) == needle[j])
            ++j;
        if (j == n)
            return true;
    }
    return false;
}

QString DividerLine(const QString& stamp)
{
    return QStringLiteral("Current Time ") + stamp + QLatin1Char(' ') +
           QString(69, QLatin1Char('-'));
}

void AppendNewLines(const OutputBatch& lines, const QString& filter, bool useDividers,
                    const QString& stamp, OutputList& lstRows)
{
    if (lines.size() == 0)
        return;
    const bool everything = filter == QStringLiteral("*");
    OutputBatch shown;
    if (everything && useDividers) {
        shown.Add("");
        shown.Add(DividerLine(stamp));
        shown.Add("");
    }
    const LineFinder finder(filter);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (everything || finder.In(lines.Line(i)))
            shown.Add(lines.Line(i));
    }
    lstRows.Append(shown);
    lstRows.SetCurrent(lstRows.Count() - 1);
}

} // namespace modMain
