#include "ShowTail.h"

namespace modMain
{

void ShowTail(const QByteArray& Bytes, qint64 Count, OutputList& lstRows, const Delivery& at)
{
    qsizetype used = Count < 1 ? 0 : qsizetype(qMin<qint64>(Count, Bytes.size()));
    if (used > 0 && at.heldBack >= 0)
        --used; // the closing NUL stands where the held-back byte belongs
    OutputBatch lines;
    LineMaker maker(NulByte::Skipped);
    maker.Feed(QByteArrayView(Bytes).first(used), used > 0 ? at : Delivery{}, lines);
    lstRows.Replace(lines);
    lstRows.SetCurrent(lstRows.Count() - 1);
}

} // namespace modMain
