#include "AppendNewLines.h"

#include "base/LineMatcher.h"

namespace reading
{

QString DividerLine(const QString& stamp)
{
    return QStringLiteral("Current Time ") + stamp + QLatin1Char(' ') +
           QString(69, QLatin1Char('-'));
}

bool AppendNewLines(const OutputBatch& lines, const QString& filter, bool useDividers,
                    const QString& stamp, OutputList& lstRows, const QString& heading, quint16 tag,
                    const QString& note)
{
    if (lines.size() == 0)
        return false;
    const bool everything = filter == QStringLiteral("*");
    OutputBatch shown;
    if (everything && useDividers) {
        shown.Add("");
        shown.Add(DividerLine(stamp));
        if (!note.isEmpty())
            shown.Add(note);
        shown.Add("");
    }
    const qsizetype dividers = shown.size();
    // An empty filter lets every line with text through.
    const LineMatcher matcher(filter);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArrayView line = lines.Line(i);
        if (everything || (filter.isEmpty() ? !line.isEmpty() : matcher.Matches(line)))
            shown.Add(line);
    }
    const bool added = shown.size() > dividers;
    if (added && !heading.isEmpty()) {
        OutputBatch first;
        first.Add(heading);
        lstRows.Append(first, tag);
    }
    if (tag == 0) {
        lstRows.Append(shown);
    } else if (added) {
        OutputBatch block, own;
        for (qsizetype i = 0; i < shown.size(); ++i)
            (i < dividers ? block : own).Add(shown.Line(i));
        lstRows.Append(block);
        lstRows.Append(own, tag);
    }
    lstRows.SetCurrent(lstRows.Count() - 1);
    return added;
}

} // namespace reading
