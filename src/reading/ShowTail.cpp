#include "ShowTail.h"

#include "LineAssembly.h"

namespace modMain
{

void ShowTail(const QByteArray& Bytes, qint64 Count, OutputList& lstRows)
{
    const qsizetype used = Count < 1 ? 0 : qsizetype(qMin<qint64>(Count, Bytes.size()));
    OutputBatch lines;
    SplitLines(QByteArrayView(Bytes).first(used), NulByte::Skipped,
               [&lines](qsizetype number, QByteArrayView piece) {
                   // The first piece is usually a line cut by the read window.
                   if (number >= 2)
                       lines.Add(piece);
               });
    lstRows.Replace(lines);
    lstRows.SetCurrent(lstRows.Count() - 1);
}

} // namespace modMain
