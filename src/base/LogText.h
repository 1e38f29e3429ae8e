#pragma once

#include <QByteArrayView>
#include <QString>

// True when every byte is below 0x80: such a line reads the same in every encoding we meet.
bool IsAscii(QByteArrayView bytes);
// True when the bytes are ASCII and none of them is NUL, in the same one pass.
bool IsAsciiWithoutNul(QByteArrayView bytes);

// The length of the well-formed UTF-8 sequence that `bytes` begin with (shortest form, no
// surrogates, at most U+10FFFF); 0 when they begin with none.
qsizetype Utf8SequenceLength(QByteArrayView bytes);

// A log line as text: valid UTF-8 is read as UTF-8, anything else byte by byte as
// Windows-1252, so a lone 0xE9 shows as "é". Bytes that Windows-1252 leaves undefined become
// the control characters of the same value, as Windows itself maps them.
QString DecodeLogLine(QByteArrayView line);

// True when the line is valid UTF-8 (ASCII included): its bytes are already its text in UTF-8.
bool IsUtf8(QByteArrayView line);

// The length in characters (UTF-16 units) of DecodeLogLine(line), without decoding.
qsizetype DecodedLength(QByteArrayView line);
