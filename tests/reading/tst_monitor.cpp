#include "TestFiles.h"
#include "folders/DatedStyle.h"
#include "reading/AppendNewLines.h"
#include "reading/Monitor.h"
#include "reading/ShowTail.h"
#include "settings/modMain.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace
{
struct FakeWindow final : FollowWindow {
    bool stop = false;
    QString filter = QStringLiteral("*"), size, moved;
    bool IsStopRequested() const override { return stop; }
    QString FilterText() const override { return filter; }
    void ShowFileSize(const QString& caption) override { size = caption; }
    void FollowingMoved(const QString&, const QString& to) override { moved = to; }
};

// Local time 06.12.2026 10:00; the monotonic clock moves `step` ms at every reading.
struct FakeClock final : FollowClock {
    mutable qint64 ms = 0;
    qint64 step = 0;
    qint64 MonotonicMs() const override { return ms += step; }
    QDateTime Now() const override { return QDateTime(QDate(2026, 12, 6), QTime(10, 0)); }
};
} // namespace

// Following driven poll by poll, with fake clocks and real files.
class TestMonitor : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeWindow m_window;
    FakeClock m_clock;
    OutputList m_list;
    std::unique_ptr<Monitor> m_monitor;

    QString Path(const QString& name) const { return m_dir->path() + u'/' + name; }
    void Start(const QString& name, const QString& filter = QString())
    {
        m_monitor = std::make_unique<Monitor>(m_list, m_window, m_clock);
        m_monitor->Start(Path(name), filter);
    }
    QStringList Texts() const
    {
        QStringList lines;
        for (qsizetype i = 0; i < m_list.Count(); ++i)
            lines << m_list.Text(i);
        return lines;
    }
    // The lines without divider blocks; "continued in name" shows as "-> name", "following
    // name" as "=> name".
    QStringList Shown() const
    {
        QStringList lines;
        for (const QString& line : Texts()) {
            if (line.contains(QStringLiteral(" continued in ")))
                lines << QStringLiteral("-> ") + line.section(u' ', -1);
            else if (line.contains(QStringLiteral(" following ")))
                lines << QStringLiteral("=> ") + line.section(u' ', -1);
            else if (!line.isEmpty() && !line.startsWith(QStringLiteral("Current Time")))
                lines << line;
        }
        return lines;
    }

    // One step of a table: "name=bytes" writes the file afresh, "name+bytes" appends; "start"
    // follows the first file named (or the one given), "poll" polls; "tail name", "clear",
    // "filter text", "rm name", "mv from to", "chmod mode name", "fifo name"; "size text"
    // checks the size label; "at-open name=bytes" rotates the file by rename and writes it anew
    // between the poll's look at the path and its opening.
    void Step(const QString& step, const QString& first, const QString& filter)
    {
        static const QRegularExpression content(QStringLiteral("^([\\w.]+)([=+])"));
        if (const QRegularExpressionMatch file = content.match(step); file.hasMatch()) {
            const QByteArray bytes = step.mid(file.capturedLength()).toLatin1();
            const QString path = Path(file.captured(1));
            QVERIFY(file.captured(2) == u'=' ? WriteFile(path, bytes) : Append(path, bytes));
            return;
        }
        const QString verb = step.section(u' ', 0, 0), rest = step.section(u' ', 1);
        const QStringList words = rest.split(u' ');
        if (verb == QStringLiteral("start"))
            Start(rest.isEmpty() ? first : rest, filter);
        else if (verb == QStringLiteral("poll"))
            m_monitor->Poll();
        else if (verb == QStringLiteral("tail"))
            modMain::TailFile(Path(rest), m_list, {});
        else if (verb == QStringLiteral("clear"))
            m_list.Clear();
        else if (verb == QStringLiteral("filter"))
            m_window.filter = rest;
        else if (verb == QStringLiteral("rm"))
            QVERIFY(QFile::remove(Path(rest)));
        else if (verb == QStringLiteral("mv"))
            QVERIFY(::rename(QFile::encodeName(Path(words[0])),
                             QFile::encodeName(Path(words[1]))) == 0);
        else if (verb == QStringLiteral("chmod"))
            QVERIFY(::chmod(QFile::encodeName(Path(words[1])), words[0].toUInt(nullptr, 8)) == 0);
        else if (verb == QStringLiteral("fifo"))
            QVERIFY(::mkfifo(QFile::encodeName(Path(rest)), 0600) == 0);
        else if (verb == QStringLiteral("size"))
            QCOMPARE(m_window.size, rest);
        else if (verb == QStringLiteral("at-open"))
            LogFileAccess::BeforeOpen = [this, rest](const QString&) {
                const QString name = rest.section(u'=', 0, 0);
                const QByteArray bytes = rest.section(u'=', 1).toLatin1();
                TestMonitor* self = this;
                LogFileAccess::BeforeOpen = nullptr; // ends this closure
                QFile::rename(self->Path(name), self->Path(name + ".1"));
                WriteFile(self->Path(name), bytes);
            };
        else
            QFAIL(qPrintable(step));
    }

private Q_SLOTS:
    void init()
    {
        modMain::SetStartValues();
        m_dir = std::make_unique<QTemporaryDir>();
        m_window = {};
        m_clock = {};
        m_list.Clear();
        modMain::ForgetReading();
        LogFileAccess::BeforeOpen = nullptr;
    }

    void appendNewLines_data()
    {
        QTest::addColumn<QStringList>("pieces");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("dividers");
        QTest::addColumn<QStringList>("added");
        const QString nul = QString::fromLatin1("n\0ul", 4);
        const QStringList some{"GET /index", "", "post /FORM", nul};
        const QString divider = QStringLiteral("Current Time 1:00 ") + QString(69, u'-');
        QTest::newRow("everything") << some << "*" << true << (QStringList{"", divider, ""} + some);
        QTest::newRow("no dividers") << some << "*" << false << some;
        QTest::newRow("a word") << some << "form" << true << QStringList{"post /FORM"};
        QTest::newRow("blank and star") << some << " *" << true << QStringList{};
        QTest::newRow("empty filter") << some << "" << true << QStringList{some[0], some[2], nul};
        QTest::newRow("NUL") << some << QString(QChar(0)) << true << QStringList{nul};
        QTest::newRow("no line completed") << QStringList{} << "*" << true << QStringList{};
    }

    void appendNewLines()
    {
        QFETCH(QStringList, pieces);
        QFETCH(QString, filter);
        QFETCH(bool, dividers);
        QFETCH(QStringList, added);
        OutputBatch lines;
        lines.Add("old");
        m_list.Replace(lines);
        m_list.SetCurrent(0);
        lines.clear();
        for (const QString& piece : pieces)
            lines.Add(piece);
        modMain::AppendNewLines(lines, filter, dividers, QStringLiteral("1:00"), m_list);
        QCOMPARE(Texts(), QStringList{"old"} + added);
        // Any completed line brings the newest line into view, even when none passed.
        QCOMPARE(m_list.Current(), pieces.isEmpty() ? 0 : m_list.Count() - 1);
    }

    void runsStopsAndRestarts()
    {
        QVERIFY(WriteFile(Path("a.log"), "a1\na2\n") && WriteFile(Path("b.log"), "b1\n"));
        Start("a.log");
        // A second start takes the run over: the other file from its last window.
        m_monitor->Start(Path("b.log"));
        QVERIFY(Append(Path("a.log"), "a3\n"));
        m_monitor->Poll();
        // Back on the first file, then stopped: no further read, and the run ends.
        m_monitor->Start(Path("a.log"));
        QVERIFY(Append(Path("a.log"), "a4\na"));
        m_monitor->Poll();
        m_window.stop = true;
        const qint64 read = LogFileAccess::BytesRead();
        m_monitor->Poll();
        QVERIFY(!m_monitor->Running() && LogFileAccess::BytesRead() == read);
        // The same file once more goes on where it stopped, a line cut by the stop included.
        QVERIFY(Append(Path("a.log"), "5\n"));
        m_window.stop = false;
        m_monitor->Start(Path("a.log"));
        QCOMPARE(Shown(), (QStringList{"a1", "a2", "=> b.log", "b1", "=> a.log", "a1", "a2", "a3",
                                       "a4", "a5"}));
    }

    // An unchanged file is not read once it has been quiet for two seconds; the bound moves
    // the search position with the lines that remain.
    void quietFileAndBound()
    {
        QVERIFY(WriteFile(Path("q.log"), "l0\nl1\nl2\n"));
        m_window.filter = QStringLiteral("l"); // no divider lines
        Start("q.log");
        m_monitor->SetBound(4, 2);
        m_clock.ms = 1000;
        const qint64 before = LogFileAccess::BytesRead();
        m_monitor->Poll(); // not yet quiet long enough: read once more
        const qint64 read = LogFileAccess::BytesRead();
        m_clock.ms = 3000;
        m_window.size.clear();
        m_monitor->Poll();
        QVERIFY(read > before && LogFileAccess::BytesRead() == read);
        QCOMPARE(m_window.size, QStringLiteral("Filesize: 9"));
        modMain::SearchPosition = 2;
        QVERIFY(Append(Path("q.log"), "l3\nl4\n"));
        m_monitor->Poll();
        QCOMPARE(Shown(), (QStringList{"l2", "l3", "l4"}));
        QCOMPARE(modMain::SearchPosition, 0);
    }

    void datesOfNames_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QDate>("date");
        auto row = [](const char* tag, const char* filter, const char* name, QDate date) {
            QTest::newRow(tag) << filter << name << date;
        };
        const QDate d(2026, 12, 6), none;
        row("upper case", "inyymmdd.log", "IN261206.LOG", d);
        row("yyyy", "FWSEXTDyyyymmdd.log", "fwsextd20261206.log", d);
        row("not dated", "*.log", "ex261206.log", none);
        row("day only", "logdd.txt", "log06.txt", none);
        row("wildcards", "*_yyyy-mm-dd.*", "web_2026-12-06", d);
        row("day first", "ddmmyy.log", "061226.log", d);
        row("invalid date", "exyymmdd.log", "ex261399.log", none);
        row("letters for digits", "exyymmdd.log", "ex26120x.log", none);
        row("tokens only before the dot", "exyymmdd.yyyy", "ex261206.yyyy", d);
    }

    void datesOfNames()
    {
        QFETCH(QString, filter);
        QFETCH(QString, name);
        QFETCH(QDate, date);
        const std::optional<DatedStyle> style = DatedStyle::From(filter);
        QCOMPARE(style ? style->DateOf(name).value_or(QDate()) : QDate(), date);
    }

    void follows_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("steps"); // as Step() reads them
        QTest::addColumn<QStringList>("shown");
        auto row = [](const char* tag, const char* filter, QStringList steps, QStringList shown) {
            QTest::newRow(tag) << filter << steps << shown;
        };
        const QStringList polls{"poll", "poll", "poll"};
        // Moving on to the next day's file.
        row("next day", "exyymmdd.log",
            QStringList{"ex261205.log=a1\na2", "start", "ex261206.log=b1\nb2\n"} + polls,
            {"a1", "a2", "-> ex261206.log", "b1", "b2"});
        row("a day without a file", "WEBEXTDyyyymmdd.log",
            QStringList{"WEBEXTD20261203.log=a\n", "start", "WEBEXTD20261205.log=c\n"} + polls,
            {"a", "-> WEBEXTD20261205.log", "c"});
        row("tomorrow, not later", "exyymmdd.log",
            QStringList{"ex261206.log=a\n", "start", "ex261208.log=x\n", "ex261207.log=b\n"} +
                polls,
            {"a", "-> ex261207.log", "b"});
        row("other letter case", "exyymmdd.log",
            QStringList{"ex261205.log=a\n", "start", "EX261206.LOG=b\n"} + polls,
            {"a", "-> EX261206.LOG", "b"});
        row("empty next file", "exyymmdd.log",
            QStringList{"ex261205.log=a\n", "start", "ex261206.log="} + polls, {"a"});
        row("not the newest", "exyymmdd.log",
            QStringList{"ex261204.log=a\n", "ex261205.log=b\n", "start"} + polls, {"a"});
        // Reading b3 before the move shows that nothing moved while the old file grew.
        row("not while the old file grows", "exyymmdd.log",
            {"ex261206.log=b\n", "start", "ex261207.log=c\n", "ex261206.log+b2\n", "poll",
             "ex261206.log+b3", "poll", "poll", "poll"},
            {"b", "b2", "b3", "-> ex261207.log", "c"});
        QString late = QStringLiteral("ex261206.log=");
        QStringList lines;
        for (int i = 0; i < 30; ++i)
            late += (lines << QStringLiteral("new %1").arg(i)).last() + QStringLiteral("\r\n");
        row("a late move reads every window", "exyymmdd.log",
            QStringList{"ex261205.log=old\n", "start", late} + polls,
            QStringList{"old", "-> ex261206.log"} + lines);

        // Rotations and failures between two polls: content decides what is new.
        row("copytruncate regrown", "",
            {"a.log=one\ntwo\n", "start", "a.log=three\nfour xx\n", "poll"},
            {"one", "two", "three", "four xx"});
        row("made again, same inode", "",
            {"a.log=one\n", "start", "rm a.log", "a.log=two\nthree\n", "poll"},
            {"one", "two", "three"});
        row("rotated between look and open", "",
            {"a.log=a\n", "start", "a.log+b\n", "at-open a.log=c1\nc2\nc3\n", "poll", "poll"},
            {"a", "c1", "c2", "c3"});
        row("replaced by a grown copy", "",
            {"a.log=a\nb\n", "start", "a.new=a\nb\nc\n", "mv a.new a.log", "poll", "poll"},
            {"a", "b", "c"});
        row("rotated in, over a window", "",
            QStringList{"a.log=old\n", "start", "mv a.log a.log.1", "a.log" + late.mid(12), "poll"},
            QStringList{"old"} + lines);
        row("unreadable for a while", "",
            {"a.log=a\n", "start", "chmod 200 a.log", "a.log+b\nc\n", "poll",
             "size Cannot open: Permission denied", "chmod 644 a.log", "poll", "size Filesize: 6"},
            {"a", "b", "c"});
        row("a FIFO for a while", "",
            {"a.log=a\n", "start", "rm a.log", "fifo a.log", "poll",
             "size Cannot open: Not a regular file", "rm a.log", "a.log=b\n", "poll"},
            {"a", "b"});
        row("NUL padding past the window, trimmed", "",
            {"a.log=a\npartial", "start", "a.log+" + QString(100, QChar(0)), "poll",
             "a.log=a\npartial-done\n", "poll"},
            {"a", "partial-done"});

        // Tail, then following.
        row("tail then continous", "",
            {"a.log=a1\nLAST", "tail a.log", "start", "a.log+ LINE\nnext\n", "poll"},
            {"a1", "LAST LINE", "next"});
        row("unterminated row under a filter", "",
            {"a.log=a1\nLAST", "tail a.log", "filter 2", "start", "a.log+ LINE\nLINE 2\nx\n",
             "poll"},
            {"a1", "LAST LINE", "LINE 2"});
        row("unterminated row cleared", "",
            {"a.log=a1\nLAST", "tail a.log", "start", "clear", "a.log+ LINE\n", "poll"},
            {"LAST LINE"});
        row("tail of another file during a run", "",
            {"a.log=a1\n", "b.log=b1\n", "start", "tail b.log", "a.log+a2\n", "poll"},
            {"b1", "-> a.log", "a2"});
        row("following another file than the list's", "",
            {"a.log=a1\n", "b.log=b1\n", "tail b.log", "start a.log", "poll"},
            {"b1", "=> a.log", "a1"});
    }

    void follows()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, shown);
        modMain::TailBytes = 64;
        m_clock.step = 60000; // a minute at every look at the clock: the folder is listed again
        std::optional<WithoutReadOverride> asAnyone;
        if (QByteArray(QTest::currentDataTag()).contains("unreadable"))
            asAnyone.emplace();
        const QString first =
            steps.first().section(QRegularExpression(QStringLiteral("[=+]")), 0, 0);
        for (const QString& step : steps) {
            Step(step, first, filter);
            if (QTest::currentTestFailed())
                return;
        }
        QCOMPARE(Shown(), shown);
        const QStringList moved = shown.filter(QStringLiteral("-> "));
        if (!filter.isEmpty())
            QCOMPARE(m_window.moved, moved.isEmpty() ? QString() : Path(moved.first().mid(3)));
    }
};

QTEST_GUILESS_MAIN(TestMonitor)
#include "tst_monitor.moc"
