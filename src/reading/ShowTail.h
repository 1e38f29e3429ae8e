#pragma once

#include "HorizontalExtent.h"
#include "LineAssembly.h"
#include "OutputList.h"

#include <QByteArray>

namespace modMain
{

// Replaces the lines of lstRows, in one step, with the lines of the first Count bytes: NUL
// bytes are dropped, the unterminated rest is not shown, and neither is the text before the
// first line break unless `at` says the bytes start at the beginning of the file. A byte held
// back at the content end takes the place of the closing NUL, so the newest line shows even
// when the lines end with LF alone. The last line becomes current. A Count below 1 means no
// bytes: the list is still emptied.
void ShowTail(const QByteArray& Bytes, qint64 Count, OutputList& lstRows, const Delivery& at = {});

} // namespace modMain
