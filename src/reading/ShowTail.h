#pragma once

#include "HorizontalExtent.h"
#include "OutputList.h"

#include <QByteArray>

namespace modMain
{

// Replaces the lines of lstRows, in one step, with the lines of the first Count bytes: the text
// before the first line break and the unterminated rest are not shown, NUL bytes are dropped.
// The last line becomes current. A Count below 1 means no bytes: the list is still emptied.
void ShowTail(const QByteArray& Bytes, qint64 Count, OutputList& lstRows);

} // namespace modMain
