#include "TestFiles.h"
#include "folders/DatedStyle.h"
#include "reading/AppendNewLines.h"
#include "reading/Monitor.h"
#include "settings/modMain.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace
{
const QString Stamp = QStringLiteral("06.12.2026 10:00:00");

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
    void Polls(int n)
    {
        while (n-- > 0)
            m_monitor->Poll();
    }
    // The lines without divider blocks; a move shows as "-> name".
    QStringList Shown() const
    {
        QStringList lines;
        for (qsizetype i = 0; i < m_list.Count(); ++i) {
            const QString line = m_list.Text(i);
            if (line.contains(QStringLiteral(" continued in ")))
                lines << QStringLiteral("-> ") + line.section(u' ', -1);
            else if (!line.isEmpty() && !line.startsWith(QStringLiteral("Current Time")))
                lines << line;
        }
        return lines;
    }

private Q_SLOTS:
    void init()
    {
        modMain::SetStartValues();
        m_dir = std::make_unique<QTemporaryDir>();
        m_window = {};
        m_clock.ms = 0;
        m_clock.step = 0;
        m_list.Clear();
    }

    void appendNewLines_data()
    {
        QTest::addColumn<QStringList>("pieces");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("dividers");
        QTest::addColumn<QStringList>("added");
        const QString nul = QString::fromLatin1("n\0ul", 4);
        const QStringList some{"GET /index", "", "post /FORM", nul};
        const QString divider = QStringLiteral("Current Time ") + Stamp + u' ' + QString(69, u'-');
        QTest::newRow("everything, dividers")
            << some << "*" << true << (QStringList{"", divider, ""} + some);
        QTest::newRow("everything, no dividers") << some << "*" << false << some;
        QTest::newRow("word in another case")
            << some << "form" << true << QStringList{"post /FORM"};
        QTest::newRow("blank and star is a word") << some << " *" << true << QStringList{};
        QTest::newRow("empty filter")
            << some << "" << true << QStringList{"GET /index", "post /FORM", nul};
        QTest::newRow("NUL is a character")
            << some << QString(QChar(0)) << true << QStringList{nul};
        QTest::newRow("no line completed") << QStringList{} << "*" << true << QStringList{};
    }

    void appendNewLines()
    {
        QFETCH(QStringList, pieces);
        QFETCH(QString, filter);
        QFETCH(bool, dividers);
        QFETCH(QStringList, added);
        OutputBatch before, lines;
        before.Add("old");
        m_list.Replace(before);
        m_list.SetCurrent(0);
        for (const QString& piece : pieces)
            lines.Add(piece);
        modMain::AppendNewLines(lines, filter, dividers, Stamp, m_list);
        QStringList all;
        for (qsizetype i = 0; i < m_list.Count(); ++i)
            all << m_list.Text(i);
        QCOMPARE(all, QStringList{"old"} + added);
        // Any completed line brings the newest line into view, even when none passed.
        QCOMPARE(m_list.Current(), pieces.isEmpty() ? 0 : m_list.Count() - 1);
    }

    void runsStopsAndRestarts()
    {
        QVERIFY(WriteFile(Path("a.log"), "a1\na2\n"));
        QVERIFY(WriteFile(Path("b.log"), "b1\nb2\n"));
        Start("a.log");
        QCOMPARE(m_window.size, QStringLiteral("Filesize: 6"));
        QVERIFY(Append(Path("a.log"), "a3\n"));
        Polls(1);
        // A second start takes the run over: the other file from its last window.
        m_monitor->Start(Path("b.log"));
        QVERIFY(Append(Path("a.log"), "a4\n"));
        Polls(1);
        QCOMPARE(Shown(), (QStringList{"a1", "a2", "a3", "b1", "b2"}));
        // Back on the first file: another file again, so its last window once more.
        m_list.Clear();
        m_monitor->Start(Path("a.log"));
        QVERIFY(Append(Path("a.log"), "a5\na"));
        Polls(1);
        // Stop: no further read, and the run ends.
        m_window.stop = true;
        const qint64 read = LogFileAccess::BytesRead();
        Polls(1);
        QVERIFY(!m_monitor->Running());
        QCOMPARE(LogFileAccess::BytesRead(), read);
        // The same file once more goes on where it stopped, a line cut by the stop included.
        QVERIFY(Append(Path("a.log"), "6\n"));
        m_window.stop = false;
        m_monitor->Start(Path("a.log"));
        QCOMPARE(Shown(), (QStringList{"a1", "a2", "a3", "a4", "a5", "a6"}));
    }

    void unchangedFileIsNotRead()
    {
        QVERIFY(WriteFile(Path("quiet.log"), "one\n"));
        Start("quiet.log");
        m_clock.ms = 1000;
        const qint64 read = LogFileAccess::BytesRead();
        Polls(1); // not yet quiet long enough: read once more
        QVERIFY(LogFileAccess::BytesRead() > read);
        const qint64 quiet = LogFileAccess::BytesRead();
        m_window.size.clear();
        m_clock.ms = 3000;
        Polls(3);
        QCOMPARE(LogFileAccess::BytesRead(), quiet);
        QCOMPARE(m_window.size, QStringLiteral("Filesize: 4"));
        QVERIFY(Append(Path("quiet.log"), "two\n"));
        Polls(1);
        QCOMPARE(Shown(), (QStringList{"one", "two"}));
    }

    // The list's bound moves the search position with the lines that remain.
    void boundMovesTheSearchPosition()
    {
        QVERIFY(WriteFile(Path("busy.log"), "l0\nl1\nl2\nl3\nl4\nl5\n"));
        m_window.filter = QStringLiteral("l"); // no divider lines
        Start("busy.log");
        m_monitor->SetBound(6, 4);
        modMain::SearchPosition = 5;
        QVERIFY(Append(Path("busy.log"), "l6\n"));
        Polls(1);
        QCOMPARE(Shown(), (QStringList{"l4", "l5", "l6"}));
        QCOMPARE(modMain::SearchPosition, 1);
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
        row("ex", "exyymmdd.log", "ex261206.log", d);
        row("in, upper case", "inyymmdd.log", "IN261206.LOG", d);
        row("FWSEXTD, lower case", "FWSEXTDyyyymmdd.log", "fwsextd20261206.log", d);
        row("*.log is not dated", "*.log", "ex261206.log", none);
        row("day only is not dated", "logdd.txt", "log06.txt", none);
        row("wildcards", "*_yyyy-mm-dd.*", "web_2026-12-06", d);
        row("day first", "ddmmyy.log", "061226.log", d);
        row("invalid date", "exyymmdd.log", "ex261399.log", none);
        row("letters for digits", "exyymmdd.log", "ex26120x.log", none);
        row("other text", "exyymmdd.log", "in261206.log", none);
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

    void moves_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("files"); // name=content; the first is followed
        QTest::addColumn<QStringList>("shown");
        auto row = [](const char* name, const char* filter, QStringList files, QStringList shown) {
            QTest::newRow(name) << filter << files << shown;
        };
        row("next day", "exyymmdd.log", {"ex261205.log=a1\na2", "ex261206.log=b1\nb2\n"},
            {"a1", "a2", "-> ex261206.log", "b1", "b2"});
        row("a day without a file is skipped", "WEBEXTDyyyymmdd.log",
            {"WEBEXTD20261203.log=a\n", "WEBEXTD20261205.log=c\n"},
            {"a", "-> WEBEXTD20261205.log", "c"});
        row("tomorrow by another time zone, not later", "exyymmdd.log",
            {"ex261206.log=a\n", "ex261208.log=x\n", "ex261207.log=b\n"},
            {"a", "-> ex261207.log", "b"});
        row("other letter case", "exyymmdd.log", {"ex261205.log=a\n", "EX261206.LOG=b\n"},
            {"a", "-> EX261206.LOG", "b"});
        row("empty next file: no move", "exyymmdd.log", {"ex261205.log=a\n", "ex261206.log="},
            {"a"});
        row("not the newest: no move", "exyymmdd.log",
            {"ex261204.log=a\n", "ex261205.log=b\n", "="}, {"a"});
    }

    void moves()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, files);
        QFETCH(QStringList, shown);
        m_clock.step = 60000; // a minute at every look at the clock: the folder is listed again
        auto write = [this](const QString& file) {
            const QString name = file.section(u'=', 0, 0);
            return name.isEmpty() || WriteFile(Path(name), file.section(u'=', 1).toLatin1());
        };
        // Files before an "=" entry exist already when the run starts.
        const qsizetype early = files.indexOf(QStringLiteral("="));
        for (qsizetype i = 0; i <= qMax<qsizetype>(early, 0); ++i)
            QVERIFY(write(files[i]));
        Start(files.first().section(u'=', 0, 0), filter);
        for (const QString& file : files.mid(early + 1))
            QVERIFY(write(file));
        Polls(3);
        QCOMPARE(Shown(), shown);
        const QStringList moved = shown.filter(QRegularExpression(QStringLiteral("^-> ")));
        QCOMPARE(m_window.moved, moved.isEmpty() ? QString() : Path(moved.first().mid(3)));
    }

    void noMoveWhileTheOldFileGrows()
    {
        QVERIFY(WriteFile(Path("ex261206.log"), "b\n"));
        Start("ex261206.log", QStringLiteral("exyymmdd.log"));
        QVERIFY(WriteFile(Path("ex261207.log"), "c\n"));
        QVERIFY(Append(Path("ex261206.log"), "b2\n"));
        Polls(1);
        QVERIFY(Append(Path("ex261206.log"), "b3"));
        Polls(2); // grew, then quiet
        QCOMPARE(Shown(), (QStringList{"b", "b2"}));
        Polls(1); // moves; the old file's unterminated last line shows
        QCOMPARE(Shown(), (QStringList{"b", "b2", "b3", "-> ex261207.log", "c"}));
    }

    void lateMoveShowsTheWholeNewFile()
    {
        modMain::TailBytes = 64;
        QVERIFY(WriteFile(Path("ex261205.log"), "old\n"));
        Start("ex261205.log", QStringLiteral("exyymmdd.log"));
        QByteArray text;
        QStringList expected{"old", "-> ex261206.log"};
        for (int i = 0; i < 40; ++i) {
            text += "new line " + QByteArray::number(i) + "\r\n";
            expected << QStringLiteral("new line %1").arg(i);
        }
        QVERIFY(WriteFile(Path("ex261206.log"), text));
        Polls(2);
        QVERIFY(Append(Path("ex261206.log"), "new line 40\r\n"));
        Polls(1);
        QCOMPARE(Shown(), expected << QStringLiteral("new line 40"));
    }
};

QTEST_GUILESS_MAIN(TestMonitor)
#include "tst_monitor.moc"
