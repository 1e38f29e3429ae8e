#include "OutputModel.h"

#include "base/LogText.h"

#include <lz4.h>

#include <algorithm>
#include <limits>
#include <utility>

namespace reading
{

namespace
{
// Large enough that a block's bookkeeping vanishes against its lines, small enough that the
// unused end of the newest block does not matter.
constexpr qsizetype BlockBytes = qsizetype(1) << 18;
// Blocks decoded last, kept for the next questions: a painted page, or a walk and a page.
constexpr size_t DecodedBlocks = 6;
// Full blocks that may wait plain for the sealing thread (2 MiB); beyond them a burst seals
// on its own thread, so it cannot hold gigabytes plain.
constexpr qsizetype PendingSealsAtMost = 8;

// The LZ4 form of a block, empty when it would not be smaller.
QByteArray Compress(const QByteArray& plain)
{
    const int size = int(plain.size());
    QByteArray packed(LZ4_compressBound(size), Qt::Uninitialized);
    const int made =
        LZ4_compress_default(plain.constData(), packed.data(), size, int(packed.size()));
    if (made <= 0 || made >= size)
        return {};
    packed.truncate(made);
    packed.squeeze();
    return packed;
}
} // namespace

void OutputBatch::Add(QByteArrayView line)
{
    m_bytes.append(line);
    m_ends.append(m_bytes.size());
}

void OutputBatch::Add(const QString& line)
{
    Add(QByteArrayView(line.toUtf8()));
}

QByteArrayView OutputBatch::Line(qsizetype i) const
{
    const qsizetype begin = i == 0 ? 0 : m_ends[i - 1];
    return QByteArrayView(m_bytes).sliced(begin, m_ends[i] - begin);
}

void OutputBatch::Reserve(qsizetype bytes, qsizetype lines)
{
    m_bytes.reserve(bytes);
    m_ends.reserve(lines);
}

void OutputBatch::clear()
{
    m_bytes.resize(0); // keeps the room
    m_ends.clear();
}

OutputModel::OutputModel(QObject* parent) : QAbstractTableModel(parent)
{
    m_sealer.setMaxThreadCount(1);
}

OutputModel::~OutputModel()
{
    // A seal still running reports to this model; one not begun is not needed.
    m_sealer.clear();
    m_sealer.waitForDone();
}

QString OutputModel::Text(qsizetype i) const
{
    const LineBytes bytes = Bytes(i);
    return DecodeLogLine(bytes);
}

quint16 OutputModel::Tag(qsizetype i) const
{
    return i >= 0 && i < Count() ? quint16(m_starts[size_t(i)] >> TagShift) : 0;
}

QString OutputModel::TagName(qsizetype i) const
{
    const quint16 tag = Tag(i);
    return tag > 0 && tag <= m_tagNames.size() ? m_tagNames[tag - 1] : QString();
}

LineBytes OutputModel::Bytes(qsizetype i) const
{
    if (i < 0 || i >= Count())
        return {};
    const qint64 start = Start(i);
    const qint64 end = End(i);
    const Block& block = BlockAt(start);
    QByteArray plain = Plain(block);
    const QByteArrayView line = QByteArrayView(plain).sliced(start - block.start, end - start);
    return LineBytes(std::move(plain), line);
}

QByteArrayView OutputModel::LineReader::At(qsizetype i)
{
    if (i < 0 || i >= m_model.Count())
        return {};
    const qint64 start = m_model.Start(i);
    const qint64 end = m_model.End(i);
    if (start < m_from || end > m_to) {
        const Block& block = m_model.BlockAt(start);
        m_block = m_model.Plain(block);
        m_from = block.start;
        m_to = block.start + m_block.size();
    }
    return QByteArrayView(m_block).sliced(start - m_from, end - start);
}

QByteArray OutputModel::Plain(const Block& block) const
{
    if (!block.packed)
        return block.bytes;
    const auto hit = std::find_if(m_decoded.begin(), m_decoded.end(),
                                  [&](const Decoded& d) { return d.id == block.id; });
    if (hit != m_decoded.end()) {
        std::rotate(hit, hit + 1, m_decoded.end());
        return m_decoded.back().bytes;
    }
    if (m_decoded.size() == DecodedBlocks)
        m_decoded.erase(m_decoded.begin()); // whoever holds its bytes keeps them
    QByteArray plain(block.size, Qt::Uninitialized);
    const int made = LZ4_decompress_safe(block.bytes.constData(), plain.data(),
                                         int(block.bytes.size()), int(plain.size()));
    if (made != plain.size()) // not what was sealed: never expected, but no reading past it
        plain.fill(' ');
    m_decoded.push_back({block.id, plain});
    return plain;
}

void OutputModel::Seal(Block& block)
{
    if (!m_sealing) {
        block.bytes.squeeze();
        return;
    }
    PlaceSeals();
    if (!m_sealOnThread || m_pendingSeals >= PendingSealsAtMost) {
        Place(block, Compress(block.bytes));
        return;
    }
    ++m_pendingSeals;
    m_sealer.start([this, id = block.id, plain = block.bytes]() mutable {
        QByteArray packed = Compress(plain);
        plain = QByteArray(); // the block's bytes are the model's alone again
        const QMutexLocker locker(&m_sealLock);
        m_sealed.push_back({id, std::move(packed)});
        if (m_sealed.size() == 1)
            QMetaObject::invokeMethod(
                this, [this] { PlaceSeals(); }, Qt::QueuedConnection);
    });
}

// Whoever holds the plain bytes (a LineBytes, a LineReader) keeps them.
void OutputModel::Place(Block& block, QByteArray packed)
{
    if (packed.isEmpty()) { // it does not compress: kept plain
        block.bytes.squeeze();
        return;
    }
    block.size = block.bytes.size();
    // The plain bytes of a block of the usual size that nobody else holds take the next
    // block's lines: a fresh block's pages would each fault on first touch.
    if (block.bytes.isDetached() && block.bytes.capacity() <= 2 * BlockBytes &&
        m_spare.capacity() == 0)
        m_spare = std::move(block.bytes);
    block.bytes = std::move(packed);
    block.packed = true;
}

void OutputModel::PlaceSeals()
{
    std::vector<Sealed> done;
    {
        const QMutexLocker locker(&m_sealLock);
        done.swap(m_sealed);
    }
    m_pendingSeals -= qsizetype(done.size());
    for (Sealed& seal : done) {
        // Ids grow along the blocks. A block dropped, cleared or refilled since has another id
        // or none, and its seal is of bytes it no longer holds.
        const auto at = std::lower_bound(m_blocks.begin(), m_blocks.end(), seal.id,
                                         [](const Block& b, quint64 id) { return b.id < id; });
        if (at != m_blocks.end() && at->id == seal.id && !at->packed)
            Place(*at, std::move(seal.packed));
    }
}

void OutputModel::SettleSeals()
{
    m_sealer.waitForDone();
    PlaceSeals();
}

// The block becomes the one being filled again.
void OutputModel::Unseal(Block& block)
{
    if (block.packed) {
        QByteArray plain = Plain(block);
        plain.reserve(qMax(BlockBytes, block.size));
        block.bytes = std::move(plain);
        block.packed = false;
    }
    block.id = m_nextId++; // a seal still on its way is of the bytes it had
}

const OutputModel::Block& OutputModel::BlockAt(qint64 position) const
{
    // The last block that starts at or before the position; an empty line at a block border
    // may resolve to either neighbour, which gives the same empty view. Search, Copy and
    // painting ask for lines in order, so the block of the last question comes first.
    const auto holds = [&](size_t b) {
        return b < m_blocks.size() && m_blocks[b].start <= position &&
               (b + 1 == m_blocks.size() || position < m_blocks[b + 1].start);
    };
    if (!holds(m_lastBlock) && !holds(++m_lastBlock)) {
        const auto after =
            std::upper_bound(m_blocks.begin(), m_blocks.end(), position,
                             [](qint64 pos, const Block& block) { return pos < block.start; });
        m_lastBlock = size_t(after - m_blocks.begin() - 1);
    }
    return m_blocks[m_lastBlock];
}

void OutputModel::Append(const OutputBatch& lines, quint16 tag)
{
    if (lines.size() == 0)
        return;
    const qsizetype first = Count();
    beginInsertRows(QModelIndex(), int(first), int(first + lines.size() - 1));
    Store(lines, tag);
    endInsertRows();
}

void OutputModel::Replace(const OutputBatch& lines)
{
    beginResetModel();
    Release();
    Store(lines);
    endResetModel();
}

void OutputModel::Clear()
{
    beginResetModel();
    Release();
    endResetModel();
}

void OutputModel::Release()
{
    m_blocks = {};
    m_starts = {};
    m_decoded = {};
    m_spare = {};
    m_end = 0;
}

quint16 OutputModel::TagFor(const QString& name)
{
    qsizetype at = m_tagNames.indexOf(name);
    if (at < 0) {
        at = m_tagNames.size();
        m_tagNames.append(name);
    }
    return quint16(at + 1);
}

void OutputModel::Store(const OutputBatch& lines, quint16 tag)
{
    for (qsizetype i = 0; i < lines.size(); ++i)
        Store(lines.Line(i), tag);
}

void OutputModel::Store(QByteArrayView line, quint16 tag)
{
    if (m_blocks.empty() ||
        m_blocks.back().bytes.capacity() - m_blocks.back().bytes.size() < line.size())
        OpenBlock(line.size());
    m_blocks.back().bytes.append(line);
    m_starts.push_back(quint64(m_end) | quint64(tag) << TagShift);
    m_end += line.size();
}

void OutputModel::OpenBlock(qsizetype atLeast)
{
    if (!m_blocks.empty())
        Seal(m_blocks.back());
    Block block;
    if (m_spare.capacity() >= qMax(BlockBytes, atLeast)) {
        block.bytes = std::exchange(m_spare, {});
        block.bytes.truncate(0); // keeps its room
    } else {
        block.bytes.reserve(qMax(BlockBytes, atLeast));
    }
    block.start = m_end;
    block.id = m_nextId++;
    m_blocks.push_back(std::move(block));
}

int OutputModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return int(qMin<qsizetype>(Count(), std::numeric_limits<int>::max()));
}

int OutputModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant OutputModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.column() != 0)
        return {};
    return Text(index.row());
}

void OutputModel::RemoveFirst(qsizetype n)
{
    n = qMin(n, Count());
    if (n <= 0)
        return;
    beginRemoveRows(QModelIndex(), 0, int(n - 1));
    m_starts.erase(m_starts.begin(), m_starts.begin() + n);
    const qint64 first = m_starts.empty() ? m_end : Start(0);
    const auto keep =
        std::upper_bound(m_blocks.begin(), m_blocks.end(), first,
                         [](qint64 pos, const Block& block) { return pos < block.start; });
    if (keep - m_blocks.begin() > 1)
        m_blocks.erase(m_blocks.begin(), keep - 1);
    // Positions start again at the first kept block, however much the list ever took.
    const qint64 base = m_blocks.front().start;
    for (quint64& start : m_starts)
        start -= quint64(base);
    for (Block& block : m_blocks)
        block.start -= base;
    m_end -= base;
    endRemoveRows();
}

void OutputModel::ReplaceLine(qsizetype i, QByteArrayView line)
{
    if (i < 0 || i >= Count())
        return;
    OutputBatch after;
    std::vector<quint16> tags;
    LineReader reader(*this);
    for (qsizetype j = i; j < Count(); ++j) {
        after.Add(j == i ? QByteArrayView() : reader.At(j));
        tags.push_back(Tag(j));
    }
    const QByteArray replacement = line.toByteArray(); // `line` may lie in a block
    TruncateBefore(i);
    for (qsizetype k = 0; k < after.size(); ++k)
        Store(k == 0 ? QByteArrayView(replacement) : after.Line(k), tags[size_t(k)]);
    Q_EMIT dataChanged(index(int(i), 0), index(int(Count() - 1), 0));
}

void OutputModel::TruncateBefore(qsizetype i)
{
    m_end = Start(i);
    m_starts.resize(size_t(i));
    while (m_blocks.size() > 1 && m_blocks.back().start > m_end)
        m_blocks.pop_back();
    Block& last = m_blocks.back();
    Unseal(last);
    last.bytes.truncate(m_end - last.start);
}

} // namespace reading
