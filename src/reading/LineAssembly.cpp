#include "LineAssembly.h"

#include <QByteArray>

namespace modMain
{

namespace
{

QByteArrayView WithoutNul(QByteArrayView piece, QByteArray& scratch)
{
    scratch.clear();
    for (const char c : piece) {
        if (c != '\0')
            scratch.append(c);
    }
    return scratch;
}

} // namespace

qsizetype SplitLines(QByteArrayView bytes, NulByte nul, const PieceSink& sink)
{
    const char* at = bytes.data();
    const qsizetype count = bytes.size();
    const bool skipNul = nul == NulByte::Skipped;
    QByteArray scratch;
    qsizetype pieces = 0;
    qsizetype begin = 0;
    bool hasNul = false;
    for (qsizetype i = 0; i < count; ++i) {
        const char c = at[i];
        if (c == '\0' && skipNul) {
            hasNul = true;
            continue;
        }
        if (c != '\r' && c != '\n')
            continue;
        const QByteArrayView piece = bytes.sliced(begin, i - begin);
        sink(++pieces, hasNul ? WithoutNul(piece, scratch) : piece);
        hasNul = false;
        if (i + 1 < count && at[i + 1] == '\n')
            ++i;
        if (i + 1 < count && at[i + 1] == '\r')
            ++i;
        begin = i + 1;
    }
    return pieces;
}

} // namespace modMain
