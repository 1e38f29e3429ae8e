#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <deque>
#include <utility>
#include <vector>

namespace reading
{

// Lines on their way into the output window, kept as bytes until the model takes them.
class OutputBatch
{
public:
    void Add(QByteArrayView line);
    void Add(const QByteArray& line) { Add(QByteArrayView(line)); }
    void Add(const char* line) { Add(QByteArrayView(line)); }
    void Add(const QString& line); // stored as UTF-8
    qsizetype size() const { return m_ends.size(); }
    qsizetype Bytes() const { return m_bytes.size(); }
    QByteArrayView Line(qsizetype i) const;
    void clear();
    // Room for this many bytes and lines, so adding them moves nothing.
    void Reserve(qsizetype bytes, qsizetype lines);

private:
    QByteArray m_bytes;
    QList<qsizetype> m_ends;
};

// The bytes of one stored line, holding the block they lie in: they stay valid for as long as
// this handle lives, whatever the list decodes meanwhile, and even when the list changes. A
// temporary handle gives no view, so a view cannot outlive its handle unnoticed.
class LineBytes
{
public:
    LineBytes() = default;
    LineBytes(QByteArray block, QByteArrayView line) : m_block(std::move(block)), m_line(line) {}

    operator QByteArrayView() const& { return m_line; }
    operator QByteArrayView() const&& = delete;
    QByteArrayView View() const& { return m_line; }
    QByteArrayView View() const&& = delete;
    qsizetype size() const { return m_line.size(); }
    bool isEmpty() const { return m_line.isEmpty(); }
    bool startsWith(QByteArrayView prefix) const { return m_line.startsWith(prefix); }
    QByteArray toByteArray() const { return m_line.toByteArray(); }

private:
    QByteArray m_block;
    QByteArrayView m_line;
};

// The lines of the output window: one column, append-only between resets. Lines are kept as
// bytes in large blocks plus one offset each and become text only when a view asks. Full
// blocks are sealed and LZ4-compressed on a thread of the model's own, so appending runs at
// the speed of copying; the block being filled stays plain, and a few blocks decoded last are
// kept for the next questions, which mostly ask about the same lines.
class OutputModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // Walks lines, cheapest in ascending order, without taking a hold on the block for each
    // line. A view it gives is valid until its next At() or a change of the model.
    class LineReader
    {
    public:
        explicit LineReader(const OutputModel& model) : m_model(model) {}
        QByteArrayView At(qsizetype i);

    private:
        const OutputModel& m_model;
        QByteArray m_block;
        qint64 m_from = 0, m_to = -1; // the positions m_block holds
    };

    explicit OutputModel(QObject* parent = nullptr);
    ~OutputModel() override;

    qsizetype Count() const { return qsizetype(m_starts.size()); }
    QString Text(qsizetype i) const;
    LineBytes Bytes(qsizetype i) const;
    // The length in bytes of line i, without decoding it.
    qint64 Size(qsizetype i) const { return i >= 0 && i < Count() ? End(i) - Start(i) : 0; }

    // Which followed folder line i came from: 0 for none, otherwise 1 + the folder's index in
    // TagNames(). It costs a line nothing: it is kept in the top bits of the line's start.
    quint16 Tag(qsizetype i) const;
    // The descriptions of the folders whose lines the list shows, by tag.
    void SetTagNames(const QStringList& names) { m_tagNames = names; }
    // The tag of the folder described `name`, which is added to the names when it is new, so a
    // later run tags its lines without renaming the rows of an earlier one (a run goes on
    // through Clear, so the names stay).
    quint16 TagFor(const QString& name);
    const QStringList& TagNames() const { return m_tagNames; }
    // The description line i's tag names, empty for an untagged line.
    QString TagName(qsizetype i) const;

    // Whether blocks are compressed once full: on, unless a measurement compares; on the
    // sealing thread, or where a run must repeat exactly, on the caller's.
    void SetSealing(bool seal, bool onThread = true)
    {
        m_sealing = seal;
        m_sealOnThread = onThread;
    }
    // Full blocks still plain while the sealing thread compresses them.
    qsizetype SealsPending() const { return m_pendingSeals; }
    // Waits for the sealing thread and puts what it made in place.
    void SettleSeals();

    // One row insertion per batch; every line gets `tag`.
    void Append(const OutputBatch& lines, quint16 tag = 0);
    // One reset that leaves exactly `lines`.
    void Replace(const OutputBatch& lines);
    void Clear();
    // Removes the first n lines, releasing the blocks that held only them.
    void RemoveFirst(qsizetype n);
    // Line i becomes `line`; the lines after it are stored again behind it.
    void ReplaceLine(qsizetype i, QByteArrayView line);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    // A run of whole lines. Blocks follow one another without gaps in one virtual byte space,
    // so a line ends where the next one starts.
    struct Block {
        QByteArray bytes; // plain, or LZ4-compressed once sealed
        qint64 start = 0;
        qint64 size = 0; // plain bytes, once sealed
        quint64 id = 0;  // names its decoded bytes in the cache
        bool packed = false;
    };
    struct Decoded {
        quint64 id = 0;
        QByteArray bytes;
    };
    // A block's bytes as the sealing thread compressed them: empty when they do not compress.
    struct Sealed {
        quint64 id = 0;
        QByteArray packed;
    };

    void Store(const OutputBatch& lines, quint16 tag = 0);
    void Store(QByteArrayView line, quint16 tag = 0);
    qint64 Start(qsizetype i) const { return qint64(m_starts[size_t(i)] & PositionBits); }
    qint64 End(qsizetype i) const { return i + 1 < Count() ? Start(i + 1) : m_end; }
    void TruncateBefore(qsizetype i);
    void OpenBlock(qsizetype atLeast);
    void Release();
    const Block& BlockAt(qint64 position) const;
    // The plain bytes of a block, decoded when sealed.
    QByteArray Plain(const Block& block) const;
    void Seal(Block& block);
    void Place(Block& block, QByteArray packed);
    void PlaceSeals();
    void Unseal(Block& block);

    // Positions count from the first kept block, so they stay below what the list holds.
    static constexpr int TagShift = 48;
    static constexpr quint64 PositionBits = (quint64(1) << TagShift) - 1;

    std::vector<Block> m_blocks;
    // The virtual position of each line, its tag in the top bits. In small chunks rather than
    // one array, which would hold up to twice what the lines need while it grows.
    std::deque<quint64> m_starts;
    QStringList m_tagNames;
    qint64 m_end = 0;
    mutable size_t m_lastBlock = 0;
    mutable std::vector<Decoded> m_decoded; // most recently used last
    quint64 m_nextId = 1;
    bool m_sealing = true;
    bool m_sealOnThread = true;
    // Seals sent to the sealing thread and not yet placed. Its results wait in m_sealed, under
    // m_sealLock, until this thread takes them: when it opens a block, when it settles, or when
    // the thread's nudge arrives.
    qsizetype m_pendingSeals = 0;
    QMutex m_sealLock;
    std::vector<Sealed> m_sealed;
    QThreadPool m_sealer; // one thread
    QByteArray m_spare;   // a sealed block's plain bytes, kept for the next block
};

} // namespace reading
