#include "ReadingFiles.h"
#include "TestFiles.h"
#include "reading/Readers.h"
#include "settings/modMain.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace
{
constexpr qint64 T = 131072;
constexpr qint64 Sparse = qint64(5) << 30;

// One call of ReadAppended after the file was written, appended to or removed.
struct Step {
    enum Action { Write, Append, Remove } action;
    QByteArray bytes;
    qint64 count, from, last;
};

// What a reader should deliver: count - 1 file bytes from `from` (NUL beyond the end), then
// NUL. The file holds `tail` at `offset` and NUL before it.
QByteArray Delivery(const QByteArray& tail, qint64 offset, qint64 from, qint64 count)
{
    if (count <= 0)
        return {};
    QByteArray bytes(count, '\0');
    for (qint64 i = 0; i < count - 1; ++i) {
        const qint64 at = from + i - offset;
        bytes[i] = at >= 0 && at < tail.size() ? tail[at] : '\0';
    }
    return bytes;
}
} // namespace
Q_DECLARE_METATYPE(Step)

class TestReaders : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;
    QStringList m_captions;

    // Calls a reader and checks what reaches the buffer and the size label.
    void Check(bool appended, qint64 wanted, qint64 size, qint64 count, const QByteArray& bytes)
    {
        QByteArray buffer(T + 1, '\x7f');
        m_captions.clear();
        auto caption = [this](const QString& text) { m_captions << text; };
        const qint64 got = appended ? modMain::ReadAppended(m_path, buffer, wanted, caption)
                                    : modMain::ReadTail(m_path, buffer, wanted, caption);
        QCOMPARE(got, count);
        QCOMPARE(buffer.left(qMax<qint64>(got, 0)), bytes);
        QCOMPARE(m_captions,
                 got < 0 ? QStringList() : QStringList{QStringLiteral("Filesize: %1").arg(size)});
    }

private Q_SLOTS:
    void init()
    {
        modMain::SetStartValues();
        m_path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
    }

    void oneCall_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("content");
        for (const char* name :
             {"wanted", "lastBefore", "tailCount", "tailFrom", "nextCount", "nextFrom", "nextLast"})
            QTest::addColumn<qint64>(name);
        const QString file = QStringLiteral("file"), sparse = QStringLiteral("sparse");
        auto row = [](const char* name, const QString& kind,
                      const QByteArray& content) -> QTestData& {
            return QTest::newRow(name) << kind << content;
        };
        const qint64 end = Sparse - 1;
        // kind, content, wanted, lastBefore | tail: count, from | next: count, from, last
        row("empty", file, {}) << T << 0LL << T + 1 << 0LL << 1LL << 0LL << 0LL;
        row("T bytes", file, LogText(T - 1) + 'x') << T << 0LL << T + 1 << 0LL << T << 0LL << T - 1;
        row("T+1 ending LF", file, LogText(T) + '\n') << T << 0LL << T + 1 << 0LL << T << 1LL << T;
        row("ten trailing NULs", file, LogText(300) + QByteArray(10, '\0'))
            << T << 0LL << T + 1 << 0LL << 300LL << 0LL << 299LL;
        row("trailing NULs seen", file, LogText(300) + QByteArray(10, '\0'))
            << T << 299LL << T + 1 << 0LL << 0LL << 0LL << 299LL;
        row("last T NUL", file, LogText(T + 100) + QByteArray(T, '\0'))
            << T << 50LL << T + 1 << 100LL << 1LL << 0LL << 50LL;
        row("wanted 10", file, LogText(3 * T))
            << 10LL << 0LL << 11LL << 3 * T - 11 << T << 2 * T << 3 * T - 1;
        row("missing", QStringLiteral("missing"), {})
            << T << 42LL << -1LL << 0LL << -1LL << 0LL << 42LL;
        row("folder", QStringLiteral("folder"), {})
            << T << 42LL << -1LL << 0LL << -1LL << 0LL << 42LL;
        row("fifo", QStringLiteral("fifo"), {}) << T << 42LL << -1LL << 0LL << -1LL << 0LL << 42LL;
        row("sparse 5 GiB", sparse, LogText(1002, 'z'))
            << T << 0LL << T + 1 << end - T << T << Sparse - T << end;
        row("sparse beyond 4 GiB", sparse, LogText(1002, 'z'))
            << T << end - 99 << T + 1 << end - T << 100LL << end - 99 << end;
    }

    void oneCall()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, content);
        QFETCH(qint64, wanted);
        QFETCH(qint64, lastBefore);
        QFETCH(qint64, tailCount);
        QFETCH(qint64, tailFrom);
        QFETCH(qint64, nextCount);
        QFETCH(qint64, nextFrom);
        QFETCH(qint64, nextLast);
        const qint64 size = kind == QLatin1String("sparse") ? Sparse : content.size();
        const qint64 offset = size - content.size();
        if (kind == QLatin1String("file"))
            QVERIFY(WriteFile(m_path, content));
        else if (kind == QLatin1String("sparse"))
            QVERIFY(WriteSparse(m_path, Sparse, content));
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(m_path));
#ifdef Q_OS_UNIX
        else if (kind == QLatin1String("fifo")) // opening it must not wait for a writer
            QCOMPARE(::mkfifo(QFile::encodeName(m_path).constData(), 0600), 0);
#endif
        Check(false, wanted, size, tailCount, Delivery(content, offset, tailFrom, tailCount));
        modMain::LastReadPos = lastBefore;
        Check(true, wanted, size, nextCount, Delivery(content, offset, nextFrom, nextCount));
        QCOMPARE(modMain::LastReadPos, nextLast);
        QFile::remove(m_path);
    }

    void following_data()
    {
        QTest::addColumn<QList<Step>>("steps");
        const QByteArray line198 = QByteArray(198, 'n') + "\r\n";
        const qint64 grownEnd = 1000 + 2 * T - 1;
        const Step first{Step::Write, LogText(1000), 1000, 0, 999};
        QTest::newRow("500 then 201") << QList<Step>{{Step::Write, LogText(500), 500, 0, 499},
                                                     {Step::Append, line198, 201, 499, 699},
                                                     {Step::Append, {}, 0, 0, 699},
                                                     {Step::Append, {}, 0, 0, 699}};
        QTest::newRow("growth beyond T") << QList<Step>{
            first, {Step::Append, LogText(2 * T, 'g'), T, grownEnd - T + 1, grownEnd}};
        QTest::newRow("truncated") << QList<Step>{first,
                                                  {Step::Write, LogText(300, 'b'), 300, 0, 299},
                                                  {Step::Write, {}, 1, 0, 0},
                                                  {Step::Write, LogText(200, 'c'), 200, 0, 199}};
        QTest::newRow("removed and recreated")
            << QList<Step>{first,
                           {Step::Remove, {}, -1, 0, 999},
                           {Step::Write, LogText(1500, 'd'), 501, 999, 1499}};
        QTest::newRow("NUL padding appended")
            << QList<Step>{first, {Step::Append, QByteArray(500, '\0'), 0, 0, 999}};
    }

    void following()
    {
        QFETCH(QList<Step>, steps);
        QByteArray file;
        for (const Step& step : steps) {
            if (step.action == Step::Remove) {
                QVERIFY(QFile::remove(m_path));
            } else {
                file = step.action == Step::Write ? step.bytes : file + step.bytes;
                QVERIFY(WriteFile(m_path, file));
            }
            Check(true, T, file.size(), step.count, Delivery(file, 0, step.from, step.count));
            QCOMPARE(modMain::LastReadPos, step.last);
        }
    }
};

QTEST_GUILESS_MAIN(TestReaders)
#include "tst_readers.moc"
