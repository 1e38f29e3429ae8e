#pragma once

#include "reading/OutputModel.h"

#include <QDate>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QWaitCondition>

#include <atomic>
#include <memory>

class QThread;

namespace search
{

// The files of a folder that a search of days covers, oldest first.
struct DayFiles {
    QStringList names;
    qsizetype skipped = 0; // names of a dated style that carry no valid date
};

// The folder's files of its name style dated from `from` to `to`, both included: for a dated
// style the date in the name counts, for any other style the local date of the last change.
DayFiles ChooseDayFiles(const QString& folder, const QString& filter, const QDate& from,
                        const QDate& to);

// Lines for the output list, in order: either lines that hold the search text, or headings
// and notes around them.
struct DayBatch {
    OutputBatch lines;
    bool matches = false;
};

// Searches the chosen files for a text on a thread of its own, file by file from byte 0 up to
// the size each had when opened, and hands what it finds to this object's thread by queued
// signals: per file with matches a heading line and the matching lines, per file that cannot
// be opened a heading with the reason, then a closing line. The lines are made as Tail makes
// them, and a line holds the text when the search dialog would count it. It never touches the
// output list, and it stops at the list's bound with a line saying so.
class DaySearch : public QObject
{
    Q_OBJECT

public:
    explicit DaySearch(QObject* parent = nullptr);
    ~DaySearch() override; // cancels and waits

    // Starts a search; one still running is abandoned first.
    void Start(const QString& folder, const DayFiles& files, const QString& text);
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

    // For tests: bytes read at a time, and the most lines the search may hand over.
    void SetBlockSize(qint64 bytes) { m_blockSize = bytes; }
    void SetLineLimit(qsizetype lines) { m_lineLimit = lines; }

Q_SIGNALS:
    void Found(const search::DayBatch& batch);
    void Progress(qsizetype filesDone, qint64 bytesDone);
    void Finished(bool cancelled);

private:
    class Worker;
    // Called on the worker thread: hands the batch over, waiting while too much is unread.
    void Send(DayBatch&& batch);
    void SendProgress(qsizetype filesDone, qint64 bytesDone);
    void SendFinished(bool cancelled);
    bool Cancelled() const { return m_cancel.load(std::memory_order_relaxed); }

    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_cancel{false};
    int m_run = 0; // the current search; what older ones sent is dropped
    bool m_running = false;
    qint64 m_blockSize = 1 << 20;
    qsizetype m_lineLimit = 20'000'000;

    // Bytes handed over and not yet delivered: the worker waits while there are too many, so
    // a slow window never lets them pile up.
    QMutex m_mutex;
    QWaitCondition m_delivered;
    qint64 m_inFlight = 0;
};

} // namespace search
