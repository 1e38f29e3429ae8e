#pragma once

#include "DayScanner.h"
#include "folders/DayFiles.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QWaitCondition>

#include <atomic>
#include <memory>

class QThread;

namespace search
{

// Searches the chosen files for a text on a thread of its own, file by file from byte 0 up to
// the size each had when opened, and hands what a DayScanner makes of them to this object's
// thread by queued signals. It never touches the output list.
class DaySearch : public QObject
{
    Q_OBJECT

public:
    explicit DaySearch(QObject* parent = nullptr);
    ~DaySearch() override; // cancels and waits

    // The files of one folder, and the tag its lines get in the output list.
    struct FolderFiles {
        QString folder;
        DayFiles files;
        quint16 tag = 0;
    };

    // Starts a search; one still running is abandoned first.
    void Start(const QString& folder, const DayFiles& files, const QString& text,
               bool regex = false)
    {
        Start({{folder, files}}, text, regex);
    }
    // Searches the folders one after the other, with one closing line for all. `regex`: the
    // text is a regular expression, which must be valid.
    void Start(const QList<FolderFiles>& folders, const QString& text, bool regex = false);
    // Asks the search to stop soon: what it found still arrives, then a line saying it was
    // cancelled, the closing line and Finished. Returns at once.
    void Cancel();
    // Cancels, waits for the thread to end and delivers at once what it sent: the lines found,
    // the closing lines and Finished. Nothing of the search follows later.
    void Finish();
    // Cancels, waits for the thread to end and forgets the search: no signal of it follows.
    void Abandon();
    // From Start until Finished or Abandon.
    bool Running() const { return m_running; }

    // For tests: bytes read at a time, the most lines the search may hand over, and the bytes
    // a line keeps.
    void SetBlockSize(qint64 bytes) { m_blockSize = bytes; }
    void SetLineLimit(qsizetype lines) { m_lineLimit = lines; }
    void SetLineBound(qsizetype bytes) { m_lineBound = bytes; }

Q_SIGNALS:
    void Found(const search::DayBatch& batch);
    // bytesDone: read from the files; contentDone: searched, a compressed day's content in full.
    void Progress(qsizetype filesDone, qint64 bytesDone, qint64 contentDone);
    void Finished(bool cancelled);

private:
    class Worker;
    // Called on the worker thread: hands the batch over, waiting while too much is unread.
    void Send(DayBatch&& batch);
    // Called on the worker thread: the parts the window has taken.
    std::vector<reading::OutputBatch> TakeSpare();
    void SendProgress(qsizetype filesDone, qint64 bytesDone, qint64 contentDone);
    void SendFinished(bool cancelled);
    bool Cancelled() const { return m_cancel.load(std::memory_order_relaxed); }

    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_cancel{false};
    int m_run = 0; // the current search; what older ones sent is dropped
    bool m_running = false;
    qint64 m_blockSize = 1 << 20;
    qsizetype m_lineLimit = 20'000'000;
    qsizetype m_lineBound = DayScanner::MaxLineBytes;

    // Bytes handed over and not yet delivered: the worker waits while there are too many, so
    // a slow window never lets them pile up.
    QMutex m_mutex;
    QWaitCondition m_delivered;
    qint64 m_inFlight = 0;
    std::vector<reading::OutputBatch> m_spare;
};

} // namespace search
