#pragma once

#include "OutputList.h"

#include <QByteArray>
#include <QString>

namespace reading
{

// Appends the lines an update completed to lstRows: after a divider block when the filter is
// exactly "*" and dividers are on; otherwise only the lines holding the filter text. Then the
// last line becomes current. An update that completed no line adds and moves nothing.
// `stamp` is the current short date and time with seconds. A `heading`, when given, goes before
// the divider block if any line is added. The heading and the lines carry `tag`, the divider
// block, which a run over several folders shares, none. Returns whether a line of the update was
// added. A `note` goes into the divider block after the divider line.
bool AppendNewLines(const OutputBatch& lines, const QString& filter, bool useDividers,
                    const QString& stamp, OutputList& lstRows, const QString& heading = {},
                    quint16 tag = 0, const QString& note = {});

// The divider line written before each update.
QString DividerLine(const QString& stamp);

} // namespace reading
