#include "TestFiles.h"
#include "reading/AppendNewLines.h"
#include "reading/Monitor.h"
#include "settings/modMain.h"

#include <QTemporaryDir>
#include <QTest>

namespace
{
const QString Stamp = QStringLiteral("06.12.2026 10:00:00");
const QString Divider =
    QStringLiteral("Current Time ") + Stamp + QLatin1Char(' ') + QString(69, QLatin1Char('-'));

QStringList Lines(const OutputList& list)
{
    QStringList lines;
    for (qsizetype i = 0; i < list.Count(); ++i)
        lines << list.Text(i);
    return lines;
}

struct FakeWindow final : FollowWindow {
    bool stop = false;
    QString filter = QStringLiteral("*");
    QString size;
    bool IsStopRequested() const override { return stop; }
    QString FilterText() const override { return filter; }
    void ShowFileSize(const QString& caption) override { size = caption; }
};

struct FakeClock final : FollowClock {
    qint64 ms = 0;
    qint64 MonotonicMs() const override { return ms; }
    QDateTime Now() const override { return {}; }
};

} // namespace

class TestMonitor : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeWindow m_window;
    FakeClock m_clock;
    OutputList m_list;

    QString Path(const char* name) const { return m_dir->filePath(QString::fromLatin1(name)); }
    // The divider block holds the real clock's time; the lines are what matters here.
    QStringList Shown() const
    {
        QStringList lines = Lines(m_list);
        lines.removeIf([](const QString& l) { return l.isEmpty() || l.startsWith("Current"); });
        return lines;
    }

private Q_SLOTS:
    void init()
    {
        modMain::SetStartValues();
        m_dir = std::make_unique<QTemporaryDir>();
        m_window = {};
        m_clock.ms = 0;
        m_list.Clear();
    }

    void appendNewLines_data()
    {
        QTest::addColumn<QStringList>("pieces");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("dividers");
        QTest::addColumn<QStringList>("added");
        const QStringList some{"GET /index", "", "post /FORM", QString::fromLatin1("n\0ul", 4)};
        QTest::newRow("everything, dividers")
            << some << "*" << true << (QStringList{"", Divider, ""} + some);
        QTest::newRow("everything, no dividers") << some << "*" << false << some;
        QTest::newRow("word in another case")
            << some << "FORM" << true << QStringList{"post /FORM"};
        QTest::newRow("lower case word") << some << "get" << true << QStringList{"GET /index"};
        QTest::newRow("blank and star is a word") << some << " *" << true << QStringList{};
        QTest::newRow("two stars is a word") << some << "**" << true << QStringList{};
        QTest::newRow("empty filter: non-empty lines")
            << some << "" << true << QStringList{"GET /index", "post /FORM", some[3]};
        QTest::newRow("NUL is a character")
            << some << QString(QChar(0)) << true << QStringList{some[3]};
        QTest::newRow("non-ASCII filter")
            << QStringList{QStringLiteral("caf\u00E9"), QStringLiteral("CAF\u00C9"), "cafe"}
            << QStringLiteral("\u00C9") << false
            << QStringList{QStringLiteral("caf\u00E9"), QStringLiteral("CAF\u00C9")};
        QTest::newRow("no line completed") << QStringList{} << "*" << true << QStringList{};
    }

    void appendNewLines()
    {
        QFETCH(QStringList, pieces);
        QFETCH(QString, filter);
        QFETCH(bool, dividers);
        QFETCH(QStringList, added);
        OutputBatch before, lines;
        before.Add("old 1");
        before.Add("old 2");
        m_list.Replace(before);
        m_list.SetCurrent(0);
        for (const QString& piece : pieces)
            lines.Add(piece);
        modMain::AppendNewLines(lines, filter, dividers, Stamp, m_list);
        QCOMPARE(Lines(m_list), QStringList({"old 1", "old 2"}) + added);
        // Any completed line brings the newest line into view, even when none passed.
        QCOMPARE(m_list.Current(), pieces.isEmpty() ? 0 : m_list.Count() - 1);
    }

    void stopEndsWithoutAnotherRead()
    {
        const QString path = Path("a.log");
        QVERIFY(WriteFile(path, "one\ntwo\n"));
        Monitor monitor(m_list, m_window, m_clock);
        monitor.Start(path);
        QVERIFY(monitor.Running());
        QCOMPARE(Shown(), (QStringList{"one", "two"}));
        QCOMPARE(m_window.size, QStringLiteral("Filesize: 8"));
        QVERIFY(Append(path, "three\n"));
        m_window.stop = true;
        const qint64 read = LogFileAccess::BytesRead();
        monitor.Poll();
        QVERIFY(!monitor.Running());
        QCOMPARE(LogFileAccess::BytesRead(), read);
        QCOMPARE(Shown(), (QStringList{"one", "two"}));
    }

    void runsOnFiles()
    {
        const QString a = Path("a.log"), b = Path("b.log");
        QVERIFY(WriteFile(a, "a1\na2\n"));
        QVERIFY(WriteFile(b, "b1\nb2\n"));
        Monitor monitor(m_list, m_window, m_clock);
        monitor.Start(a);
        QVERIFY(Append(a, "a3\n"));
        monitor.Poll();
        // A second start takes the run over: the other file from its last window.
        monitor.Start(b);
        QCOMPARE(monitor.Path(), b);
        QVERIFY(Append(a, "a4\n"));
        monitor.Poll();
        QCOMPARE(Shown(), (QStringList{"a1", "a2", "a3", "b1", "b2"}));
        // Back on the first file: another file again, so its last window once more.
        m_list.Clear();
        monitor.Start(a);
        QCOMPARE(Shown(), (QStringList{"a1", "a2", "a3", "a4"}));
        // The same file once more goes on where it stopped, a line cut by the stop included.
        QVERIFY(Append(a, "a5\na"));
        monitor.Poll();
        m_window.stop = true;
        monitor.Poll();
        QVERIFY(Append(a, "6\n"));
        m_window.stop = false;
        monitor.Start(a);
        QCOMPARE(Shown(), (QStringList{"a1", "a2", "a3", "a4", "a5", "a6"}));
    }

    void replacedMissingAndTruncatedFiles()
    {
        const QString path = Path("w3svc.log");
        QVERIFY(WriteFile(path, "old 1\nold 2\nold 3\n"));
        Monitor monitor(m_list, m_window, m_clock);
        monitor.Start(path);
        // Rotated by rename: the new file is longer than the old one, and all of it shows.
        QVERIFY(QFile::rename(path, Path("w3svc.log.1")));
        QVERIFY(WriteFile(path, "new 1\nnew 2\nnew 3\nnew 4\n"));
        monitor.Poll();
        // Missing for a while, then back with other content.
        QVERIFY(QFile::remove(path));
        monitor.Poll();
        QVERIFY(WriteFile(path, "back 1 is longer than the rest\n"));
        monitor.Poll();
        // Truncated in place, then written again.
        QVERIFY(WriteFile(path, "cut\n"));
        monitor.Poll();
        QCOMPARE(Shown(), (QStringList{"old 1", "old 2", "old 3", "new 1", "new 2", "new 3",
                                       "new 4", "back 1 is longer than the rest", "cut"}));
    }

    void unchangedFileIsNotRead()
    {
        const QString path = Path("quiet.log");
        QVERIFY(WriteFile(path, "one\n"));
        Monitor monitor(m_list, m_window, m_clock);
        monitor.Start(path);
        const qint64 read = LogFileAccess::BytesRead();
        m_clock.ms = 1000;
        monitor.Poll(); // not yet quiet long enough: read once more
        QVERIFY(LogFileAccess::BytesRead() > read);
        const qint64 quiet = LogFileAccess::BytesRead();
        m_window.size.clear();
        for (m_clock.ms = 2000; m_clock.ms <= 5000; m_clock.ms += 1000)
            monitor.Poll();
        QCOMPARE(LogFileAccess::BytesRead(), quiet);
        QCOMPARE(m_window.size, QStringLiteral("Filesize: 4"));
        QVERIFY(Append(path, "two\n"));
        monitor.Poll();
        QCOMPARE(Shown(), (QStringList{"one", "two"}));
    }

    void listIsBounded()
    {
        const QString path = Path("busy.log");
        QVERIFY(WriteFile(path, ""));
        Monitor monitor(m_list, m_window, m_clock);
        monitor.SetBound(10, 4);
        m_window.filter = QStringLiteral("line");
        monitor.Start(path);
        QByteArray text;
        for (int i = 0; i < 8; ++i)
            text += "line " + QByteArray::number(i) + '\n';
        QVERIFY(Append(path, text));
        monitor.Poll();
        m_list.SelectLines({1, 6});
        modMain::SearchPosition = 6;
        QVERIFY(Append(path, "line 8\nline 9\nline 10\n"));
        monitor.Poll();
        QCOMPARE(Shown().first(), QStringLiteral("line 4"));
        QCOMPARE(m_list.Count(), 7);
        QVERIFY(m_list.IsSelected(2) && !m_list.IsSelected(0));
        QCOMPARE(m_list.NextSelected(2), -1);
        QCOMPARE(modMain::SearchPosition, 2);
    }
};

QTEST_GUILESS_MAIN(TestMonitor)
#include "tst_monitor.moc"
