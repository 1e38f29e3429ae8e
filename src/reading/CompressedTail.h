#pragma once

#include "OutputList.h"
#include "Readers.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QThread;

namespace reading
{

// The end of a compressed day's content, read through from its first byte.
struct CompressedWindow {
    QByteArray bytes;      // the content's last bytes, at most the window
    qint64 start = 0;      // where in the content they begin
    qint64 content = 0;    // content bytes read
    qint64 compressed = 0; // the file's size
    bool isCompressed = true;
    QString failure;   // why the file could not be read at all; empty when it could
    QString faultLine; // the line that names where the content broke off; empty when it did not
    bool cancelled = false;
};

// Reads the content of the compressed file at Path to its end and keeps its last Wanted bytes
// and the one at its end, as the plain Tail's window and held-back byte; never more than twice
// that and one block are held. `goOn` is asked, with the content bytes
// read so far, before each block; false cancels.
CompressedWindow ReadCompressedTail(const QString& Path, qint64 Wanted,
                                    const std::function<bool(qint64)>& goOn = {});

// Replaces the list with the window's lines as Tail shows a file's, then the line naming the
// fault, if any. The last line becomes current.
void ShowCompressedTail(const CompressedWindow& window, OutputList& lstRows);

// The size label's caption for a read window, with `note` after it.
QString CompressedTailCaption(const CompressedWindow& window, const QString& note = {});

// Tail of a compressed day on a thread of its own, so that the window stays usable while a
// large day is decompressed. The list is replaced when the reading ends; a cancelled Tail
// leaves it as it was.
class CompressedTail : public QObject
{
    Q_OBJECT

public:
    explicit CompressedTail(OutputList& lstRows, QObject* parent = nullptr);
    ~CompressedTail() override; // abandons

    // Starts the Tail of Path; one still running is abandoned first. `note` follows the size
    // in the caption.
    void Start(const QString& Path, qint64 TailBytes, const SizeCaption& setSize,
               const QString& note = {});
    // For Tail and Continous on any file: starts the Tail of a compressed day and says so;
    // otherwise abandons one still running and returns false.
    bool StartIfCompressed(const QString& Path, qint64 TailBytes, const SizeCaption& setSize,
                           const QString& note = {});
    // Stops the running Tail soon, keeping the list as it was. False when none runs.
    bool Cancel();
    // Cancels, waits for the thread and forgets the Tail: nothing of it is shown.
    void Abandon();
    bool Running() const { return m_thread != nullptr; }

Q_SIGNALS:
    // The file could not be read at all (not found, no permission, an archive of files).
    void Failed(const QString& path, const QString& reason);
    void Shown();

private:
    void Progress(qint64 content);
    void Done(const CompressedWindow& window);

    OutputList& m_lstRows;
    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_cancel{false};
    int m_run = 0; // the current Tail; what older ones sent is dropped
    QString m_path;
    QString m_note;
    qint64 m_size = 0;
    SizeCaption m_setSize;
    QElapsedTimer m_started;
};

} // namespace reading
