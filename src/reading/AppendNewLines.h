#pragma once

#include "OutputList.h"

#include <QByteArray>
#include <QString>

namespace modMain
{

// A case-insensitive substring test over stored log lines. An ASCII text is compared byte by
// byte with ASCII case folding; any other text against the decoded line in upper case.
class LineFinder
{
public:
    explicit LineFinder(const QString& text);
    bool In(QByteArrayView line) const;

private:
    QString m_upper;
    QByteArray m_folded; // lower-case ASCII bytes; empty when the text is not ASCII
    bool m_ascii;
};

// Appends the lines an update completed to lstRows: after a divider block when the filter is
// exactly "*" and dividers are on; otherwise only the lines holding the filter text. Then the
// last line becomes current. An update that completed no line adds and moves nothing.
// `stamp` is the current short date and time with seconds.
void AppendNewLines(const OutputBatch& lines, const QString& filter, bool useDividers,
                    const QString& stamp, OutputList& lstRows);

// The divider line written before each update.
QString DividerLine(const QString& stamp);

} // namespace modMain
