#include "ShowTail.h"

namespace reading
{

namespace
{
// Makes the lines of a tail and shows them; returns the maker with the unterminated rest.
LineMaker ShowLines(const QByteArray& Bytes, qint64 Count, OutputList& lstRows, const Delivery& at)
{
    qsizetype used = Count < 1 ? 0 : qsizetype(qMin<qint64>(Count, Bytes.size()));
    if (used > 0 && at.heldBack >= 0)
        --used; // the closing NUL stands where the held-back byte belongs
    OutputBatch lines;
    LineMaker maker(NulByte::Skipped);
    maker.Feed(QByteArrayView(Bytes).first(used), used > 0 ? at : Delivery{}, lines);
    const QByteArray rest = maker.Unfinished();
    if (!rest.isEmpty())
        lines.Add(rest);
    lstRows.Replace(lines);
    lstRows.SetCurrent(lstRows.Count() - 1);
    return maker;
}
} // namespace

void ShowTail(const QByteArray& Bytes, qint64 Count, OutputList& lstRows, const Delivery& at)
{
    ShowLines(Bytes, Count, lstRows, at);
}

std::optional<QString> TailFile(const QString& Path, const modMain::Settings& settings,
                                ReadingStore& readings, OutputList& lstRows,
                                const SizeCaption& setSize)
{
    QByteArray buffer(settings.TailBytes + 1, '\0');
    Delivery at;
    FileReading& reading = readings.ReadingOf(Path);
    const qint64 count = ReadTail(Path, buffer, settings.TailBytes, setSize, &at, &reading);
    // Lines are made up to the content end, whose byte is held back as following holds it, so
    // that following goes on with the next byte. A file longer than the window comes with that
    // byte held back already, and the closing NUL in its place.
    const qint64 content = reading.LastReadPos - at.start;
    const bool known = count > 0 && reading.started && content >= 0 && content < count;
    if (known && at.heldBack < 0)
        at.heldBack = uchar(buffer[content]);
    LineMaker maker = ShowLines(buffer, known ? content + 1 : count, lstRows, at);
    if (count < 0)
        return reading.failure;
    if (!known)
        return std::nullopt;
    // Following this file continues the tail's lines, its unterminated rest included.
    maker.SetNul(NulByte::Character);
    reading.maker = maker;
    reading.unfinishedShown = !maker.Unfinished().isEmpty();
    lstRows.ShowsTailOf(Path, reading.unfinishedShown);
    return std::nullopt;
}

} // namespace reading
