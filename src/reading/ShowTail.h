#pragma once

#include "LineAssembly.h"
#include "OutputList.h"
#include "Readers.h"

#include "settings/modMain.h"

#include <QByteArray>

#include <optional>

namespace reading
{

// Replaces the lines of lstRows, in one step, with the lines of the first Count bytes: NUL
// bytes are dropped, and the text before the first line break is not shown unless `at` says
// the bytes start at the beginning of the file. A byte held back at the content end takes the
// place of the closing NUL, so the newest line shows even when the lines end with LF alone.
// The text after the last break shows as the last line, a finished file's last line need not
// end with a break. The last line becomes current. A Count below 1 means no bytes: the list is
// still emptied.
void ShowTail(const QByteArray& Bytes, qint64 Count, OutputList& lstRows, const Delivery& at = {});

// Tail of the file at Path: its last TailBytes replace the list, and following the file goes on
// from there (its state in `readings`); the last line, when unterminated, stays open for
// following to complete. Returns why the file could not be opened, and then leaves the list
// empty; nothing when it was read.
std::optional<QString> TailFile(const QString& Path, const modMain::Settings& settings,
                                ReadingStore& readings, OutputList& lstRows,
                                const SizeCaption& setSize);

} // namespace reading
