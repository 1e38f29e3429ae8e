#pragma once

#include "LineAssembly.h"

#include <QByteArray>
#include <QString>

#include <functional>

// The two readers of a log file that is still being written. Both deliver raw bytes into the
// caller's buffer of TailBytes + 1 bytes and never interpret lines.
namespace modMain
{

// Sets the caption of lblFileSize.
using SizeCaption = std::function<void(const QString&)>;

// "Filesize: " and the size in decimal digits.
QString FileSizeCaption(qint64 size);

// The end of the file for the Tail command: normally the TailBytes bytes before the content end
// (the last byte that is not NUL), then NUL. Returns the number of bytes placed in Buffer, or
// -1 when the file cannot be opened (then nothing else happens). `where`, when given, receives
// where the bytes came from and the byte held back at the content end.
qint64 ReadTail(const QString& Path, QByteArray& Buffer, qint64 Wanted, const SizeCaption& setSize,
                Delivery* where = nullptr);

// What was appended since the previous delivery (LastReadPos), for following a file. Returns
// -1 when the file cannot be opened, 0 when nothing is new, otherwise the number of bytes
// placed in Buffer, the last of them NUL. The byte at the content end is held back and
// begins the next delivery. Wanted is accepted and not used. `where`, when given, receives
// where a delivery came from and whether it continues the previous one.
qint64 ReadAppended(const QString& Path, QByteArray& Buffer, qint64 Wanted,
                    const SizeCaption& setSize, Delivery* where = nullptr);

// The next window of a file from LastReadPos on, for following a file from its first byte
// however much it already holds: at most TailBytes - 1 bytes, then NUL, the byte after them
// held back as ReadAppended does. `caughtUp` says whether the delivery reached the content
// end, after which ReadAppended goes on. Returns like ReadAppended.
qint64 ReadForward(const QString& Path, QByteArray& Buffer, const SizeCaption& setSize,
                   Delivery* where, bool* caughtUp);

} // namespace modMain
