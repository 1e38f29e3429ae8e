#include "CompressedTail.h"

#include "CompressedReader.h"
#include "ShowTail.h"

#include "folders/FileListing.h"

#include <QFileInfo>
#include <QThread>

namespace reading
{

namespace
{
// A Tail that takes longer than this says how far it got, and that Esc cancels it.
constexpr qint64 QuietMs = 1000;
constexpr qint64 ProgressEveryMs = 200;
} // namespace

CompressedWindow ReadCompressedTail(const QString& Path, qint64 Wanted,
                                    const std::function<bool(qint64)>& goOn)
{
    CompressedWindow window;
    CompressedReader reader;
    if (!reader.Open(Path)) {
        window.failure = reader.Error();
        return window;
    }
    window.compressed = reader.CompressedSize();
    window.isCompressed = reader.Compressed();
    // As the plain Tail shows its window and the byte held back at the content end.
    const qsizetype wanted = qsizetype(qMax<qint64>(Wanted, 1)) + 1;
    QByteArray& kept = window.bytes;
    for (QByteArrayView piece = reader.Next(); !piece.isEmpty(); piece = reader.Next()) {
        if (piece.size() >= wanted) {
            kept = piece.last(wanted).toByteArray();
        } else {
            kept.append(piece);
            if (kept.size() > 2 * wanted)
                kept.remove(0, kept.size() - wanted);
        }
        if (goOn && !goOn(reader.ContentRead())) {
            window.cancelled = true;
            return window;
        }
    }
    if (kept.size() > wanted)
        kept.remove(0, kept.size() - wanted);
    window.content = reader.ContentRead();
    window.start = window.content - kept.size();
    if (!reader.Fault().isEmpty())
        window.faultLine = reader.FaultLine(QFileInfo(Path).fileName());
    return window;
}

void ShowCompressedTail(const CompressedWindow& window, OutputList& lstRows)
{
    ShowTail(window.bytes, window.bytes.size(), lstRows, Delivery{window.start, -1, false});
    if (window.faultLine.isEmpty())
        return;
    OutputBatch fault;
    fault.Add(window.faultLine.toUtf8());
    lstRows.Append(fault);
    lstRows.SetCurrent(lstRows.Count() - 1);
}

QString CompressedTailCaption(const CompressedWindow& window, const QString& note)
{
    QString caption = window.isCompressed
                          ? CompressedSizeCaption(window.compressed, window.content)
                          : FileSizeCaption(window.compressed) + QStringLiteral(", not compressed");
    return note.isEmpty() ? caption : caption + QStringLiteral("; ") + note;
}

CompressedTail::CompressedTail(OutputList& lstRows, QObject* parent)
    : QObject(parent), m_lstRows(lstRows)
{
}

CompressedTail::~CompressedTail()
{
    Abandon();
}

void CompressedTail::Start(const QString& Path, qint64 TailBytes, const SizeCaption& setSize,
                           const QString& note)
{
    Abandon();
    m_cancel = false;
    m_path = Path;
    m_note = note;
    m_setSize = setSize;
    m_size = QFileInfo(Path).size();
    if (m_setSize)
        m_setSize(CompressedSizeCaption(m_size)); // the uncompressed size once it is known
    m_started.start();
    m_thread.reset(QThread::create([this, Path, TailBytes, run = m_run] {
        QElapsedTimer shown;
        shown.start();
        // What the thread has to show goes to the window's thread, and only while this Tail is
        // the current one.
        const auto post = [this, run](auto show) {
            QMetaObject::invokeMethod(
                this,
                [this, run, show] {
                    if (run == m_run)
                        show();
                },
                Qt::QueuedConnection);
        };
        const CompressedWindow window = ReadCompressedTail(Path, TailBytes, [&](qint64 content) {
            if (m_started.elapsed() >= QuietMs && shown.elapsed() >= ProgressEveryMs) {
                shown.restart();
                post([this, content] { Progress(content); });
            }
            return !m_cancel.load(std::memory_order_relaxed);
        });
        post([this, window] { Done(window); });
    }));
    m_thread->start();
}

bool CompressedTail::StartIfCompressed(const QString& Path, qint64 TailBytes,
                                       const SizeCaption& setSize, const QString& note)
{
    if (!IsCompressedName(Path)) {
        Abandon();
        return false;
    }
    Start(Path, TailBytes, setSize, note);
    return true;
}

bool CompressedTail::Cancel()
{
    if (!m_thread)
        return false;
    m_cancel = true;
    return true;
}

void CompressedTail::Abandon()
{
    if (!m_thread)
        return;
    m_cancel = true;
    m_thread->wait();
    m_thread.reset();
    ++m_run;
}

void CompressedTail::Progress(qint64 content)
{
    if (m_setSize)
        m_setSize(CompressedSizeCaption(m_size) + QStringLiteral(", uncompressing: ") +
                  QString::number(content) + QStringLiteral(" bytes so far (Esc cancels)"));
}

void CompressedTail::Done(const CompressedWindow& window)
{
    m_thread->wait();
    m_thread.reset();
    ++m_run;
    if (window.cancelled) {
        if (m_setSize)
            m_setSize(CompressedSizeCaption(m_size) + QStringLiteral("; Tail cancelled"));
        return;
    }
    if (!window.failure.isEmpty()) {
        Q_EMIT Failed(m_path, window.failure);
        return;
    }
    ShowCompressedTail(window, m_lstRows);
    if (m_setSize)
        m_setSize(CompressedTailCaption(window, m_note));
    Q_EMIT Shown();
}

} // namespace reading
