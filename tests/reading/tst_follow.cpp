#include "ReadingFiles.h"
#include "TestFiles.h"
#include "reading/Readers.h"
#include "settings/modMain.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Follows a log that a separate process writes: every byte after the first window's start
// must arrive exactly once, in order, whatever the moment of each read.
class TestFollow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyByteOnceInOrder()
    {
        modMain::SetStartValues();
        const qint64 tail = modMain::TailBytes;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("server.log"));
        QVERIFY(WriteFile(path, LogText(2 * tail)));
        QByteArray buffer(tail + 1, '\0');

        qint64 count = modMain::ReadAppended(path, buffer, tail, {});
        const qint64 firstStart = modMain::LastReadPos - (count - 1);
        QCOMPARE(firstStart, tail);
        QByteArray delivered = buffer.left(count - 1);

        QProcess writer;
        writer.start(QStringLiteral(LOG_WRITER), {path, QStringLiteral("2000")});
        QVERIFY(writer.waitForStarted());
        bool finished = false;
        while (!finished) {
            // Waiting on the writer paces the reads without spinning.
            finished = writer.waitForFinished(5) || writer.state() == QProcess::NotRunning;
            const qint64 before = modMain::LastReadPos;
            count = modMain::ReadAppended(path, buffer, tail, {});
            QVERIFY(count >= 0);
            if (count == 0)
                continue;
            QVERIFY2(modMain::LastReadPos - before == count - 1,
                     "more than a window arrived between two reads");
            delivered += buffer.left(count - 1);
        }
        QCOMPARE(writer.exitCode(), 0);
        const QByteArray file = ReadFile(path);
        QCOMPARE(modMain::LastReadPos, file.size() - 1);
        QVERIFY(delivered == file.mid(firstStart, file.size() - 1 - firstStart));
    }
};

QTEST_GUILESS_MAIN(TestFollow)
#include "tst_follow.moc"
