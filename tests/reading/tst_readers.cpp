#include "TestFiles.h"
#include "reading/Readers.h"
#include "settings/modMain.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace
{
constexpr qint64 T = 131072, Sparse = qint64(5) << 30;

// n printable bytes in lines of 50 that end with CR LF.
QByteArray LogText(qint64 n, char letter = 'a')
{
    QByteArray text(n, letter);
    for (qint64 i = 48; i + 1 < n; i += 50)
        text.replace(i, 2, "\r\n");
    return text;
}

} // namespace

class TestReaders : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

    // Calls a reader on a file that holds `content` at `offset` and NUL before it: count - 1
    // bytes from `from` (NUL beyond the end) and a NUL must arrive, and the size label.
    void Check(bool appended, qint64 wanted, const QByteArray& content, qint64 offset, qint64 count,
               qint64 from)
    {
        QByteArray buffer(T + 1, '\x7f'), bytes(qMax<qint64>(count, 0), '\0');
        for (qint64 i = 0, at = from - offset; i + 1 < count; ++i, ++at)
            bytes[i] = at >= 0 && at < content.size() ? content[at] : '\0';
        QStringList captions;
        auto caption = [&captions](const QString& text) { captions << text; };
        const qint64 got = appended ? modMain::ReadAppended(m_path, buffer, wanted, caption)
                                    : modMain::ReadTail(m_path, buffer, wanted, caption);
        QCOMPARE(got, count);
        QCOMPARE(buffer.left(qMax<qint64>(got, 0)), bytes);
        const QString size = QStringLiteral("Filesize: %1").arg(offset + content.size());
        QCOMPARE(captions, got < 0 ? QStringList() : QStringList{size});
    }

private Q_SLOTS:
    void init()
    {
        modMain::SetStartValues();
        m_path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".log");
    }

    void reads_data()
    {
        // Each step changes the file ("=" writes it afresh, "+" appends, "-" removes it, "s"
        // makes it a sparse file of 5 GiB ending so, "d" a folder, "p" a pipe), then calls
        // ReadTail and ReadAppended; n holds for each step the tail's count and start, then
        // the appended count, start and LastReadPos.
        QTest::addColumn<QList<QByteArray>>("steps");
        QTest::addColumn<QList<qint64>>("n");
        QTest::addColumn<qint64>("wanted");
        auto row = [](const char* name, QList<QByteArray> steps, QList<qint64> n,
                      qint64 wanted = T) { QTest::newRow(name) << steps << n << wanted; };
        const QByteArray first = "=" + LogText(1000);
        const qint64 e = Sparse - 1, g = 1000 + 2 * T - 1;
        row("empty", {"="}, {T + 1, 0, 1, 0, 0});
        row("T bytes", {"=" + LogText(T - 1) + 'x'}, {T + 1, 0, T, 0, T - 1});
        row("T+1 ending LF", {"=" + LogText(T) + '\n'}, {T + 1, 0, T, 1, T});
        row("trailing NULs, unchanged", {"=" + LogText(300) + QByteArray(10, '\0'), "+"},
            {T + 1, 0, 300, 0, 299, T + 1, 0, 0, 0, 299});
        row("last T NUL", {"=" + LogText(T + 100) + QByteArray(T, '\0')}, {T + 1, 100, 1, 0, 0});
        row("wanted 10", {"=" + LogText(3 * T)}, {11, 3 * T - 11, T, 2 * T, 3 * T - 1}, 10);
        row("folder", {"d"}, {-1, 0, -1, 0, 0});
        row("pipe", {"p"}, {-1, 0, -1, 0, 0});
        row("sparse beyond 4 GiB", {"s" + LogText(1002, 'z'), "+ab\r\n"},
            {T + 1, e - T, T, Sparse - T, e, T + 1, e + 4 - T, 5, e, e + 4});
        row("500 then 201", {"=" + LogText(500), "+" + QByteArray(198, 'n') + "\r\n", "+"},
            {T + 1, 0, 500, 0, 499, T + 1, 0, 201, 499, 699, T + 1, 0, 0, 0, 699});
        row("growth beyond T", {first, "+" + LogText(2 * T, 'g')},
            {T + 1, 0, 1000, 0, 999, T + 1, g - T, T, g - T + 1, g});
        row("truncated", {first, "=" + LogText(300, 'b'), "=", "=" + LogText(200, 'c')},
            {T + 1, 0, 1000, 0, 999, T + 1, 0, 300, 0, 299,
             T + 1, 0, 1,    0, 0,   T + 1, 0, 200, 0, 199});
        row("removed and recreated", {first, "-", "=" + LogText(1500, 'd')},
            {T + 1, 0, 1000, 0, 999, -1, 0, -1, 0, 999, T + 1, 0, 501, 999, 1499});
        row("NUL padding appended", {first, "+" + QByteArray(500, '\0')},
            {T + 1, 0, 1000, 0, 999, T + 1, 0, 0, 0, 999});
    }

    void reads()
    {
        QFETCH(QList<QByteArray>, steps);
        QFETCH(QList<qint64>, n);
        QFETCH(qint64, wanted);
        QByteArray content; // at `offset`, NUL before it
        qint64 offset = 0;
        for (qsizetype i = 0; i < steps.size(); ++i) {
            const QByteArray bytes = steps[i].mid(1);
            const char op = steps[i][0];
            QFile file(m_path);
            if (op == '-')
                QVERIFY(file.remove());
            else if (op == 'd')
                QVERIFY(QDir().mkpath(m_path));
            else if (op == 'p') // opening it must not wait for a writer
                QCOMPARE(::mkfifo(QFile::encodeName(m_path).constData(), 0600), 0);
            else if (op == '+')
                QVERIFY(Append(m_path, bytes));
            else // afresh, or sparse
                QVERIFY(file.open(QIODevice::WriteOnly) &&
                        (op == '=' || (file.resize(Sparse) && file.seek(Sparse - bytes.size()))) &&
                        file.write(bytes) == bytes.size());
            file.close();
            content = op == '+' ? content + bytes : bytes;
            offset = op == 's' ? Sparse - bytes.size() : op == '+' ? offset : 0;
            const qint64* x = n.constData() + 5 * i;
            Check(false, wanted, content, offset, x[0], x[1]);
            Check(true, wanted, content, offset, x[2], x[3]);
            QCOMPARE(modMain::LastReadPos, x[4]);
        }
    }

    // A separate process writes the log while it is followed: every byte after the first
    // window's start arrives exactly once, in order, whatever the moment of each read.
    void separateWriter()
    {
        QVERIFY(WriteFile(m_path, LogText(2 * T)));
        QByteArray buffer(T + 1, '\0');
        modMain::ReadAppended(m_path, buffer, T, {}); // the first window, before the writer starts
        QByteArray delivered = buffer.left(T - 1);
        QProcess writer;
        writer.start(QStringLiteral(LOG_WRITER), {m_path, QStringLiteral("2000")});
        QVERIFY(writer.waitForStarted());
        for (bool finished = false; !finished;) {
            // Waiting on the writer paces the reads without spinning.
            finished = writer.waitForFinished(5) || writer.state() == QProcess::NotRunning;
            const qint64 count = modMain::ReadAppended(m_path, buffer, T, {});
            delivered += buffer.left(qMax<qint64>(count - 1, 0));
        }
        QCOMPARE(writer.exitCode(), 0);
        const QByteArray file = ReadFile(m_path);
        QCOMPARE(modMain::LastReadPos, file.size() - 1);
        QVERIFY(delivered == file.mid(T, file.size() - 1 - T));
    }
};

QTEST_GUILESS_MAIN(TestReaders)
#include "tst_readers.moc"
