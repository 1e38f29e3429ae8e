#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

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

// The lines of the output window: one column, append-only between resets. Lines are kept as
// bytes in large blocks plus one offset each and become text only when a view asks, so
// millions of lines fit in little more than their own size.
class OutputModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit OutputModel(QObject* parent = nullptr);

    qsizetype Count() const { return qsizetype(m_starts.size()); }
    QString Text(qsizetype i) const;
    // Valid until the model changes.
    QByteArrayView Bytes(qsizetype i) const;

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
        QByteArray bytes;
        qint64 start = 0;
    };

    void Store(const OutputBatch& lines, quint16 tag = 0);
    void Store(QByteArrayView line, quint16 tag = 0);
    qint64 Start(qsizetype i) const { return qint64(m_starts[size_t(i)] & PositionBits); }
    void TruncateBefore(qsizetype i);
    void OpenBlock(qsizetype atLeast);
    void Release();
    const Block& BlockAt(qint64 position) const;

    // Positions count from the first kept block, so they stay below what the list holds.
    static constexpr int TagShift = 48;
    static constexpr quint64 PositionBits = (quint64(1) << TagShift) - 1;

    std::vector<Block> m_blocks;
    std::vector<quint64> m_starts; // virtual position of each line, its tag in the top bits
    QStringList m_tagNames;
    qint64 m_end = 0;
    mutable size_t m_lastBlock = 0;
};

} // namespace reading
