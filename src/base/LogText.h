#pragma once

#include <QByteArrayView>
#include <QString>

// True when every byte is below 0x80: such a line reads the same in every encoding we meet.
bool IsAscii(QByteArrayView bytes);

// A log line as text: valid UTF-8 is read as UTF-8, anything else byte by byte as
// Windows-1252, so a lone 0xE9 shows as "é". Bytes that Windows-1252 leaves undefined become
// the control characters of the same value, as Windows itself maps them.
QString DecodeLogLine(QByteArrayView line);

// True when the line is valid UTF-8 (ASCII included): its bytes are already its text in UTF-8.
bool IsUtf8(QByteArrayView line);

// The length in characters (UTF-16 units) of DecodeLogLine(line), without decoding.
qsizetype DecodedLength(QByteArrayView line);
