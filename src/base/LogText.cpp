#include "LogText.h"

#include <cstring>

namespace
{

// Windows-1252 from 0x80 to 0x9F; the rest of the upper half is Latin-1.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsContinuation(unsigned char c, unsigned char low = 0x80, unsigned char high = 0xBF)
{
    return c >= low && c <= high;
}

// The UTF-16 length of valid UTF-8, or -1 when the bytes are not valid UTF-8.
qsizetype Utf16Length(QByteArrayView line)
{
    qsizetype units = 0;
    for (qsizetype i = 0; i < line.size();) {
        const qsizetype length = Utf8SequenceLength(line.sliced(i));
        if (length == 0)
            return -1;
        units += length == 4 ? 2 : 1;
        i += length;
    }
    return units;
}

QString FromCp1252(QByteArrayView line)
{
    QString text(line.size(), Qt::Uninitialized);
    QChar* into = text.data();
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        *into++ = byte >= 0x80 && byte < 0xA0 ? QChar(Cp1252High[byte - 0x80]) : QChar(byte);
    }
    return text;
}

// One pass, eight bytes at a time: log lines are mostly ASCII, and search and Copy ask for each
// one. With FindNul, a NUL byte counts as not ASCII.
template <bool FindNul> bool AllAscii(QByteArrayView bytes)
{
    constexpr quint64 Ones = 0x0101010101010101ULL, Highs = 0x8080808080808080ULL;
    const char* p = bytes.data();
    qsizetype left = bytes.size();
    quint64 any = 0, zero = 0;
    for (; left >= 8; p += 8, left -= 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        any |= word;
        if constexpr (FindNul)
            zero |= (word - Ones) & ~word & Highs; // non-zero when a byte of the word is 0
    }
    for (; left > 0; ++p, --left) {
        any |= uchar(*p);
        if constexpr (FindNul)
            zero |= *p == 0 ? Highs : 0;
    }
    return ((any | zero) & Highs) == 0;
}

} // namespace

bool IsAscii(QByteArrayView bytes)
{
    return AllAscii<false>(bytes);
}

bool IsAsciiWithoutNul(QByteArrayView bytes)
{
    return AllAscii<true>(bytes);
}

qsizetype Utf8SequenceLength(QByteArrayView bytes)
{
    const auto* at = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype left = bytes.size();
    if (left == 0)
        return 0;
    const unsigned char lead = at[0];
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (length == 0 || left < length)
        return 0;
    if (lead == 0xE0)
        low = 0xA0;
    else if (lead == 0xED)
        high = 0x9F;
    else if (lead == 0xF0)
        low = 0x90;
    else if (lead == 0xF4)
        high = 0x8F;
    if (!IsContinuation(at[1], low, high))
        return 0;
    for (qsizetype i = 2; i < length; ++i) {
        if (!IsContinuation(at[i]))
            return 0;
    }
    return length;
}

QString DecodeLogLine(QByteArrayView line)
{
    if (IsAscii(line))
        return QString::fromLatin1(line.data(), line.size());
    if (Utf16Length(line) >= 0)
        return QString::fromUtf8(line);
    return FromCp1252(line);
}

bool IsUtf8(QByteArrayView line)
{
    return IsAscii(line) || Utf16Length(line) >= 0;
}

qsizetype DecodedLength(QByteArrayView line)
{
    if (IsAscii(line))
        return line.size();
    const qsizetype units = Utf16Length(line);
    return units >= 0 ? units : line.size();
}
