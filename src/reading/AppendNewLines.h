#pragma once

#include "OutputList.h"

#include <QByteArray>
#include <QString>

namespace modMain
{

// Appends the lines an update completed to lstRows: after a divider block when the filter is
// exactly "*" and dividers are on; otherwise only the lines holding the filter text. Then the
// last line becomes current. An update that completed no line adds and moves nothing.
// `stamp` is the current short date and time with seconds.
void AppendNewLines(const OutputBatch& lines, const QString& filter, bool useDividers,
                    const QString& stamp, OutputList& lstRows);

// The divider line written before each update.
QString DividerLine(const QString& stamp);

} // namespace modMain
