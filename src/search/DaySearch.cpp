#include "DaySearch.h"

#include "base/LogFileAccess.h"
#include "folders/FileListing.h"
#include "reading/CompressedReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include <utility>

namespace search
{

namespace
{

// Handed over and not yet delivered; past this the worker waits for the window. The window
// takes everything that waits in one go, so this bounds how long it is kept from other events.
constexpr qint64 MaxInFlight = 1 << 20;

} // namespace

// Reads the files on the worker thread and hands over what the scanner makes of them.
class DaySearch::Worker
{
public:
    Worker(DaySearch& owner, const QString& text, bool regex)
        : m_owner(owner), m_scanner(text, owner.m_lineLimit, owner.m_lineBound, regex),
          m_buffer(qsizetype(owner.m_blockSize), Qt::Uninitialized)
    {
    }

    void Run(const QList<FolderFiles>& folders)
    {
        m_progress.start();
        qsizetype skipped = 0;
        for (const FolderFiles& folder : folders) {
            m_folder = folder.folder;
            for (qsizetype i = 0; i < folder.files.names.size() && !Stopped(); ++i) {
                ReadFile(folder.files.names[i]);
                SendReady(folder.tag);
                m_owner.SendProgress(++m_done, m_read, m_scanner.BytesFed());
            }
            skipped += folder.files.skipped;
        }
        m_scanner.Close(m_owner.Cancelled(), skipped);
        SendReady(0);
        m_owner.SendFinished(m_owner.Cancelled() && !m_scanner.Full());
    }

private:
    bool Stopped() const { return m_scanner.Full() || m_owner.Cancelled(); }

    void ReadFile(const QString& name)
    {
        LogFileAccess file;
        const QString shown = ReadableName(name);
        if (IsCompressedName(name))
            return ReadCompressed(QDir(m_folder).filePath(name), shown);
        if (!file.Open(QDir(m_folder).filePath(name))) {
            m_scanner.Unreadable(shown, file.Error());
            return;
        }
        m_scanner.BeginFile(shown);
        // Lines written after the file was opened belong to a later search.
        qint64 end = file.Size();
        qint64 at = 0;
        while (at < end && !Stopped()) {
            const qint64 got =
                file.ReadAt(at, m_buffer.data(), qMin<qint64>(m_buffer.size(), end - at));
            if (got <= 0) {
                end = at; // shrunk or failed: what was read so far counts
                break;
            }
            at += got;
            for (reading::OutputBatch& lines : m_owner.TakeSpare())
                m_scanner.Recycle(std::move(lines));
            m_scanner.Feed(QByteArrayView(m_buffer.constData(), qsizetype(got)));
            Progress(at);
        }
        m_read += at;
        m_scanner.EndFile(at < end);
    }

    // A compressed day's content, as a stream: a content that breaks off ends its file's lines
    // and is followed by the line that names the fault.
    void ReadCompressed(const QString& path, const QString& shown)
    {
        reading::CompressedReader reader;
        if (!reader.Open(path)) {
            m_scanner.Unreadable(shown, reader.Error());
            return;
        }
        m_scanner.BeginFile(shown);
        for (QByteArrayView piece = reader.Next(); !piece.isEmpty() && !Stopped();
             piece = reader.Next()) {
            m_scanner.Feed(piece);
            Progress(reader.CompressedRead());
        }
        m_read += reader.CompressedRead();
        m_scanner.EndFile(Stopped() || !reader.Fault().isEmpty());
        if (!reader.Fault().isEmpty())
            m_scanner.Broken(reader.FaultLine(shown));
    }

    // The bar moves by the bytes read from the files: a compressed day's content size is known
    // only once it has been read.
    void Progress(qint64 inFile)
    {
        if (m_progress.elapsed() >= 50) {
            m_owner.SendProgress(m_done, m_read + inFile, m_scanner.BytesFed());
            m_progress.restart();
        }
    }

    void SendReady(quint16 tag)
    {
        for (DayBatch& batch : m_scanner.Take()) {
            batch.tag = tag;
            m_owner.Send(std::move(batch));
        }
    }

    DaySearch& m_owner;
    QString m_folder;
    DayScanner m_scanner;
    QByteArray m_buffer;
    QElapsedTimer m_progress;
    qsizetype m_done = 0; // files searched or found unreadable
    qint64 m_read = 0;    // bytes read from the files done
};

DaySearch::DaySearch(QObject* parent) : QObject(parent) {}
DaySearch::~DaySearch()
{
    Abandon();
}

void DaySearch::Start(const QList<FolderFiles>& folders, const QString& text, bool regex)
{
    Abandon();
    m_cancel = false;
    m_inFlight = 0;
    m_running = true;
    m_thread.reset(
        QThread::create([this, folders, text, regex] { Worker(*this, text, regex).Run(folders); }));
    m_thread->start();
}

void DaySearch::Cancel()
{
    QMutexLocker lock(&m_mutex);
    m_cancel = true;
    m_delivered.wakeAll();
}

void DaySearch::Finish()
{
    if (!m_thread)
        return;
    Cancel();
    m_thread->wait();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void DaySearch::Abandon()
{
    if (!m_thread)
        return;
    Cancel();
    m_thread->wait();
    m_thread.reset();
    m_spare = {};
    ++m_run;
    m_running = false;
}

void DaySearch::Send(DayBatch&& batch)
{
    const qint64 bytes = batch.lines.Bytes();
    {
        QMutexLocker lock(&m_mutex);
        while (m_inFlight > MaxInFlight && !Cancelled())
            m_delivered.wait(&m_mutex);
        m_inFlight += bytes;
    }
    QMetaObject::invokeMethod(
        this,
        [this, run = m_run, bytes, batch = std::move(batch)]() mutable {
            if (run == m_run)
                Q_EMIT Found(batch);
            QMutexLocker lock(&m_mutex);
            m_inFlight -= bytes;
            if (batch.matches && run == m_run && m_spare.size() < 16)
                m_spare.push_back(std::move(batch.lines));
            m_delivered.wakeAll();
        },
        Qt::QueuedConnection);
}

std::vector<reading::OutputBatch> DaySearch::TakeSpare()
{
    QMutexLocker lock(&m_mutex);
    return std::exchange(m_spare, {});
}

void DaySearch::SendProgress(qsizetype filesDone, qint64 bytesDone, qint64 contentDone)
{
    QMetaObject::invokeMethod(
        this,
        [this, run = m_run, filesDone, bytesDone, contentDone] {
            if (run == m_run)
                Q_EMIT Progress(filesDone, bytesDone, contentDone);
        },
        Qt::QueuedConnection);
}

void DaySearch::SendFinished(bool cancelled)
{
    QMetaObject::invokeMethod(
        this,
        [this, run = m_run, cancelled] {
            if (run != m_run)
                return;
            m_thread->wait();
            m_thread.reset();
            m_spare = {};
            m_running = false;
            Q_EMIT Finished(cancelled);
        },
        Qt::QueuedConnection);
}

} // namespace search
