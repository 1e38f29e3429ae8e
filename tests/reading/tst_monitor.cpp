#include "TestFiles.h"
#include "base/LogFolder.h"
#include "base/Notifier.h"
#include "base/Rules.h"
#include "reading/Alerts.h"
#include "reading/AppendNewLines.h"
#include "reading/Monitor.h"
#include "reading/ShowTail.h"
#include "settings/modMain.h"

#include <QFileSystemWatcher>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace
{
struct FakeWindow final : reading::FollowWindow {
    QString filter = QStringLiteral("*"), size, moved;
    QString FilterText() const override { return filter; }
    void ShowFileSize(const QString& caption) override { size = caption; }
    void FollowingMoved(const QString&, const QString& to) override { moved = to; }
    std::shared_ptr<RuleSet> rules;
    const RuleSet* Rules() const override { return rules.get(); }
};

// Local time 06.12.2026 10:00 `days` later; the monotonic clock moves `step` ms at every reading.
struct FakeClock final : reading::FollowClock {
    mutable qint64 ms = 0;
    qint64 step = 0;
    int days = 0;
    qint64 MonotonicMs() const override { return ms += step; }
    QDateTime Now() const override
    {
        return QDateTime(QDate(2026, 12, 6).addDays(days), QTime(10, 0));
    }
};
struct FakeNotifier final : Notifier {
    QStringList shown; // "summary|body"
    bool service = true;
    quint64 last = 0;
    void Notify(const QString& summary, const QString& body, quint64 key) override
    {
        shown << summary + u'|' + body;
        last = key;
        if (!service)
            Unshown(key);
    }
};
} // namespace

// Following driven poll by poll, with fake clocks and real files.
class TestMonitor : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeWindow m_window;
    FakeClock m_clock;
    reading::OutputList m_list;
    modMain::Settings m_settings;
    reading::ReadingStore m_readings;
    std::unique_ptr<reading::Monitor> m_monitor;
    qint64 m_written = 0;           // by "big" and "more"
    QByteArray m_saved;             // the run "quit" kept
    qint64 m_cap = qint64(1) << 30; // what "resume" reads at most ("cap bytes")

    QString Path(const QString& name) const { return m_dir->path() + u'/' + name; }
    reading::Monitor& Made()
    {
        if (!m_monitor)
            m_monitor = std::make_unique<reading::Monitor>(m_list, m_window, m_clock, m_settings,
                                                           m_readings);
        return *m_monitor;
    }
    void Start(const QString& name, const QString& filter = QString())
    {
        Made().Start(Path(name), filter);
    }
    // Follows the folders named, each named as itself, in one run.
    void Watch(const QStringList& names, const QString& filter)
    {
        QList<LogFolder> folders;
        for (const QString& name : names)
            folders.append({name, Path(name), filter});
        Made().Start(folders);
    }
    QStringList Texts() const
    {
        QStringList lines;
        for (qsizetype i = 0; i < m_list.Count(); ++i)
            lines << m_list.Text(i);
        return lines;
    }
    // The lines without divider blocks; "continued in name" shows as "-> name", "following
    // name" as "=> name", "no longer watching name" as "<- name", a line longer than 1000 bytes
    // as its first 12. A folder's line or marker begins with its tag, a marker then says what
    // follows its folder's name, paths in the test's folder relative.
    QStringList Shown()
    {
        QStringList lines;
        for (qsizetype i = 0; i < m_list.Count(); ++i) {
            const QByteArray bytes = m_list.Bytes(i).toByteArray();
            const QString line =
                bytes.size() > 1000 ? QString::fromLatin1(bytes.first(12)) : m_list.Text(i);
            const QString name = QStringLiteral(" ") + line.section(u' ', -1);
            const quint16 tag = m_list.Model()->Tag(i);
            QString shown;
            if (line.contains(QStringLiteral(" continued in ")))
                shown = QStringLiteral("->") + name;
            else if (line.contains(QStringLiteral(" resumed, closed since ")))
                shown = QStringLiteral("resumed");
            else if (const auto m = QRegularExpression(" (\\S+) (is gone|was replaced|is no "
                                                       "longer|cannot be read)")
                                        .match(line);
                     m.hasMatch())
                shown = m.captured(2).section(u' ', -1) + u' ' + m.captured(1);
            else if (line.contains(QStringLiteral(" following ")))
                shown = QStringLiteral("=>") + name;
            else if (line.contains(QStringLiteral(" no longer watching ")))
                shown = QStringLiteral("<-") + name;
            else if (line.endsWith(QStringLiteral(" hidden by rules")))
                shown = QStringLiteral("hidden ") + line.section(u' ', -5, -5);
            else if (line.contains(QStringLiteral(" gave up on a line")))
                shown = QStringLiteral("gave up");
            else if (line.endsWith(QStringLiteral(" bytes skipped")))
                shown = QStringLiteral("skipped ") + line.section(u' ', -3, -3);
            else if (tag > 0 && line.startsWith(QStringLiteral("Current Time")) &&
                     !line.endsWith(u'-'))
                shown = line.section(QStringLiteral(": "), 1).remove(m_dir->path() + u'/');
            else if (!line.isEmpty() && !line.startsWith(QStringLiteral("Current Time")))
                shown = line;
            else if (line.isEmpty() && i > 0 && m_list.Bytes(i - 1).isEmpty())
                shown = QStringLiteral("(empty)"); // a divider block has no two in a row
            if (!shown.isEmpty())
                lines << (tag > 0 ? QString::number(tag) + u' ' + shown : shown);
        }
        return lines;
    }

    // Lines of 64 KiB that tell their number: what Shown() makes of them, or their bytes.
    static QStringList BigLines(qint64 mib, QByteArray* bytes = nullptr)
    {
        QStringList shown;
        for (qint64 n = 0; n < mib * 16; ++n) {
            const QByteArray line = ("big " + QByteArray::number(n)).leftJustified(65535, '.');
            shown << QString::fromLatin1(line.first(12));
            if (bytes)
                *bytes += line + '\n';
        }
        return shown;
    }

    // One step of a table: "name=bytes" writes the file afresh, "name+bytes" appends; "start"
    // follows the first file named (or the one given), "watch a b" the folders a and b (a name
    // with a folder makes it), "poll" polls; "tail name", "clear",
    // "filter text", "hide words|regex text" a hide rule, "rm name", "mv from to", "chmod mode
    // name", "fifo name", "mkdir name", "gzip name"; "size text" checks the size label, "dividers
    // n" counts the divider blocks; "at ms" stops the monotonic clock there; "at-open step;step"
    // takes these steps when a file is opened next, between the poll's look at the path and its
    // opening; "stop" stops following, "halt" stops
    // ("halt catching up" during a backlog) and checks that nothing more is
    // read, "window n" sets TailBytes, "big name mib" writes BigLines ("more name mib" appends
    // them), "catch up" runs the event loop until a backlog is read, and it must take more than one
    // turn.
    void Step(const QString& step, const QString& first, const QString& filter)
    {
        static const QRegularExpression content(QStringLiteral("^([\\w./]+)([=+])"));
        if (const QRegularExpressionMatch file = content.match(step); file.hasMatch()) {
            const QByteArray bytes = step.mid(file.capturedLength()).toLatin1();
            const QString path = Path(file.captured(1));
            QDir().mkpath(QFileInfo(path).path());
            QVERIFY(file.captured(2) == u'=' ? WriteFile(path, bytes) : Append(path, bytes));
            return;
        }
        const QString verb = step.section(u' ', 0, 0), rest = step.section(u' ', 1);
        const QStringList words = rest.split(u' ');
        if (verb == QStringLiteral("start"))
            Start(rest.isEmpty() ? first : rest, filter);
        else if (verb == QStringLiteral("watch"))
            Watch(words, filter);
        else if (verb == QStringLiteral("poll"))
            m_monitor->Poll();
        else if (verb == QStringLiteral("tail"))
            reading::TailFile(Path(rest), m_settings, m_readings, m_list, {});
        else if (verb == QStringLiteral("clear"))
            m_list.Clear();
        else if (verb == QStringLiteral("filter"))
            m_window.filter = rest;
        else if (verb == QStringLiteral("hide"))
            m_window.rules = std::make_shared<RuleSet>(
                ParseRules(QStringLiteral("hide\t%1\tnocase\t%2").arg(words[0], words[1]).toUtf8())
                    .rules);
        else if (verb == QStringLiteral("rm"))
            QVERIFY(QFile::remove(Path(rest)));
        else if (verb == QStringLiteral("mv"))
            QVERIFY(::rename(QFile::encodeName(Path(words[0])),
                             QFile::encodeName(Path(words[1]))) == 0);
        else if (verb == QStringLiteral("chmod"))
            QVERIFY(::chmod(QFile::encodeName(Path(words[1])), words[0].toUInt(nullptr, 8)) == 0);
        else if (verb == QStringLiteral("mkdir"))
            QVERIFY(QDir().mkdir(Path(rest)));
        else if (verb == QStringLiteral("gzip"))
            QVERIFY(QProcess::execute(QStringLiteral("gzip"), {Path(rest)}) == 0);
        else if (verb == QStringLiteral("fifo"))
            QVERIFY(::mkfifo(QFile::encodeName(Path(rest)), 0600) == 0);
        else if (verb == QStringLiteral("stop"))
            m_monitor->Stop();
        else if (verb == QStringLiteral("quit"))
            Quit();
        else if (verb == QStringLiteral("resume"))
            Resume(words);
        else if (verb == QStringLiteral("cap"))
            m_cap = rest.toLongLong();
        else if (verb == QStringLiteral("garble"))
            m_saved.chop(m_saved.size() / 2);
        else if (verb == QStringLiteral("day"))
            m_clock.days = rest.toInt();
        else if (verb == QStringLiteral("halt"))
            Halt(rest == QStringLiteral("catching up"));
        else if (verb == QStringLiteral("window"))
            m_settings.TailBytes = rest.toInt();
        else if (verb == QStringLiteral("big") || verb == QStringLiteral("more")) {
            QByteArray bytes;
            BigLines(words[1].toInt(), &bytes);
            QVERIFY(verb == QStringLiteral("more") ? Append(Path(words[0]), bytes)
                                                   : WriteFile(Path(words[0]), bytes));
            m_written += bytes.size();
        } else if (verb == QStringLiteral("catch")) {
            int turns = 0;
            const qint64 read = m_monitor->Access().bytesRead;
            for (; m_monitor->CatchingUp(); ++turns)
                QCoreApplication::processEvents();
            // Each byte once: a backlog's content end is not looked for again at every slice.
            QVERIFY(turns > 1 && m_monitor->Access().bytesRead - read < m_written * 21 / 20);
        } else if (verb == QStringLiteral("size"))
            QCOMPARE(m_window.size, rest);
        else if (verb == QStringLiteral("dividers"))
            QCOMPARE(Texts().filter(QRegularExpression("^Current Time .* -+$")).size(),
                     rest.toInt());
        else if (verb == QStringLiteral("at")) {
            m_clock.ms = rest.toLongLong();
            m_clock.step = 0;
        } else if (verb == QStringLiteral("at-open"))
            m_monitor->Access().beforeOpen = [this, rest](const QString&) {
                const QStringList steps = rest.split(u';');
                TestMonitor* self = this;
                self->m_monitor->Access().beforeOpen = nullptr; // ends this closure
                for (const QString& step : steps)
                    self->Step(step, {}, {});
            };
        else
            QFAIL(qPrintable(step));
    }

    // The program ends as Quit ends it: the run is taken while it goes on, then a new program
    // with its own list and reading states resumes it.
    void Quit()
    {
        const std::optional<reading::RunState> run = m_monitor->Snapshot();
        m_saved = run ? reading::RunStateText(*run) : QByteArray();
        m_monitor.reset();
        m_readings = {};
        m_list.Clear();
    }
    void Resume(const QStringList& configured)
    {
        QList<LogFolder> folders{{{}, m_dir->path(), {}}};
        for (const char* name : {"a", "b", "c"})
            if (configured.join(QString()).isEmpty() || configured.contains(name))
                folders.append({name, Path(name), {}});
        Made().SetCatchUpCap(m_cap);
        if (!m_saved.isEmpty())
            Made().Resume(m_saved, folders);
    }

    // Stop: neither the backlog's next slice nor a poll reads another byte, and the run ends.
    void Halt(bool catchingUp)
    {
        QVERIFY(m_monitor->CatchingUp() == catchingUp);
        m_monitor->Stop();
        const qint64 read = m_monitor->Access().bytesRead;
        QCoreApplication::processEvents();
        m_monitor->Poll();
        QVERIFY(!m_monitor->Running() && m_monitor->Access().bytesRead == read);
    }

private Q_SLOTS:
    void init()
    {
        m_monitor.reset();
        m_written = 0;
        m_cap = qint64(1) << 30;
        m_settings = {};
        m_readings = {};
        m_dir = std::make_unique<QTemporaryDir>();
        m_window = {};
        m_clock = {};
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
        reading::OutputBatch lines;
        lines.Add("old");
        m_list.Replace(lines);
        m_list.SetCurrent(0);
        lines.clear();
        for (const QString& piece : pieces)
            lines.Add(piece);
        reading::AppendNewLines(lines, filter, dividers, QStringLiteral("1:00"), m_list);
        QCOMPARE(Texts(), QStringList{"old"} + added);
        // Any completed line brings the newest line into view, even when none passed.
        QCOMPARE(m_list.Current(), pieces.isEmpty() ? 0 : m_list.Count() - 1);
    }

    // An unchanged file is not read once it has been quiet for two seconds; the bound moves
    // the search position with the lines that remain.
    // Steps: "+MS" the clock moves, "T" a tick, "I" the window is left, "N" no service shows
    // notifications, "L TAG N TEXT" N lines
    // of the folder with TAG (TEXT ending "c*K": the character c K times).
    void alerts_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("row"); // of the last notification's line in the list
        const QString big = QStringLiteral("ERROR ") + QString(294, u'x') + QChar(0x2026);
        QTest::newRow("one") << QStringList{"L 1 1 a ERROR b", "L 1 1 ok"}
                             << QStringList{"web1: ERROR|a ERROR b"} << "T" << 0;
        QTest::newRow("no service")
            << QStringList{"N", "L 1 1 ERROR"} << QStringList{"web1: ERROR|ERROR"} << "(1) T" << 0;
        QTest::newRow("burst") << QStringList{"I", "L 2 10000 ERROR", "+9999", "T", "+1", "T"}
                               << QStringList{"web2: ERROR|ERROR",
                                              "web2: ERROR|ERROR\nand 9998 more"}
                               << "(2) T" << 9999;
        QTest::newRow("rules apart")
            << QStringList{"L 1 1 ERROR", "+10", "L 1 1 disk full"}
            << QStringList{"web1: ERROR|ERROR", "web1: disk|disk full"} << "T" << 1;
        QTest::newRow("silence") << QStringList{"L 1 1 ok", "+599999", "T", "+1",
                                                "T",        "+780000", "T", "L 2 1 ok"}
                                 << QStringList{"web1: silent for 10 minutes|",
                                                "web2: silent for 10 minutes|",
                                                "web2: lines again after 23 minutes|"}
                                 << "T" << -1;
        QTest::newRow("markup") << QStringList{"L 1 1 <b>ERROR</b> & co"}
                                << QStringList{"web1: ERROR|&lt;b&gt;ERROR&lt;/b&gt; &amp; co"}
                                << "T" << 0;
        QTest::newRow("1 MB") << QStringList{"L 1 1 ERROR x*1048576"}
                              << QStringList{"web1: ERROR|" + big} << "T" << 0;
    }
    void alerts()
    {
        QFETCH(QStringList, steps);
        const RuleSet rules({{RuleAction::Alert, {}, false, false, QStringLiteral("ERROR")},
                             {RuleAction::Hide, {}, false, false, QStringLiteral("disk")},
                             {RuleAction::Alert, {}, false, false, QStringLiteral("disk")},
                             {RuleAction::Alert, {}, false, false, QStringLiteral("ERROR")}});
        FakeNotifier notifier;
        reading::Alerts alerts(notifier, m_clock);
        reading::OutputList list;
        alerts.SetSilenceMinutes(10);
        alerts.StartRun({QStringLiteral("web1"), QStringLiteral("web2")});
        bool left = false;
        for (const QString& step : steps) {
            const QStringList word = step.split(u' ');
            left = left || step == u'I';
            notifier.service = notifier.service && step != u'N';
            alerts.SetActive(!left);
            m_clock.ms += word[0].startsWith(u'+') ? word[0].toLongLong() : 0;
            if (step == u'T')
                alerts.Tick();
            if (word[0] != u'L')
                continue;
            QByteArray text = word.mid(3).join(u' ').toUtf8();
            if (const qsizetype star = text.indexOf('*'); star > 0)
                text = text.left(star - 1) + QByteArray(text.mid(star + 1).toInt(), text[star - 1]);
            reading::OutputBatch lines;
            for (int i = 0; i < word[2].toInt(); ++i)
                lines.Add(text);
            alerts.Check(&rules, quint16(word[1].toInt()), lines);
            list.Append(lines);
        }
        QTEST(notifier.shown, "shown");
        QTEST(alerts.Title(QStringLiteral("T")), "title");
        const auto source = alerts.SourceOf(notifier.last);
        QTEST(int(source ? reading::Alerts::RowOf(list, *source) : -1), "row");
    }

    void quietFileAndBound()
    {
        QVERIFY(WriteFile(Path("q.log"), "l0\nl1\nl2\n"));
        m_window.filter = QStringLiteral("l"); // no divider lines
        Start("q.log");
        m_monitor->SetBound(4, 2);
        m_clock.ms = 1000;
        const qint64 before = m_monitor->Access().bytesRead;
        m_monitor->Poll(); // not yet quiet long enough: read once more
        const qint64 read = m_monitor->Access().bytesRead;
        m_clock.ms = 3000;
        m_window.size.clear();
        m_monitor->Poll();
        QVERIFY(read > before && m_monitor->Access().bytesRead == read);
        QCOMPARE(m_window.size, QStringLiteral("Filesize: 9"));
        // Where the kernel reports every change, the poll is a safety net every 10 s.
        QCOMPARE(m_monitor->PollMs(), LogFileAccess::OnLocalDisk(m_dir->path()) ? 10000 : 1000);
        m_list.SearchPosition = 2;
        QVERIFY(Append(Path("q.log"), "l3\nl4\n"));
        m_monitor->Poll();
        QCOMPARE(Shown(), (QStringList{"l2", "l3", "l4"}));
        QCOMPARE(m_list.SearchPosition, 0);
    }

    void follows_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("steps"); // as Step() reads them
        QTest::addColumn<QStringList>("shown");
        // Steps and shown lines each as one text, "|" between them.
        auto row = [](const char* tag, const char* filter, const QString& steps,
                      const QString& shown) {
            QTest::newRow(tag) << filter << steps.split(u'|')
                               << shown.split(u'|', Qt::SkipEmptyParts);
        };
        const QString polls = QStringLiteral("|poll|poll|poll");
        // Moving on to the next day's file.
        row("a day without a file", "WEBEXTDyyyymmdd.log",
            "WEBEXTD20261203.log=a\n|start|WEBEXTD20261205.log=c\n" + polls,
            "a|-> WEBEXTD20261205.log|c");
        row("tomorrow, not later", "exyymmdd.log",
            "ex261206.log=a\n|start|ex261208.log=x\n|ex261207.log=b\n" + polls,
            "a|-> ex261207.log|b");
        row("other letter case", "exyymmdd.log", "ex261205.log=a\n|start|EX261206.LOG=b\n" + polls,
            "a|-> EX261206.LOG|b");
        row("empty next file", "exyymmdd.log", "ex261205.log=a\n|start|ex261206.log=" + polls, "a");
        row("empty next file at the start", "exyymmdd.log",
            "ex261205.log=a\n|ex261206.log=|start|poll|ex261206.log=b\n" + polls,
            "a|-> ex261206.log|b");
        row("stray file of tomorrow", "exyymmdd.log",
            "ex261205.log=a\n|start|ex261207.log=x\n|poll|poll|ex261206.log=b\n" + polls,
            "a|-> ex261206.log|b");
        row("never into a compressed day", "exyymmdd.*",
            "ex261205.log=a\n|start|ex261206.log.gz=x\n" + polls, "a");
        row("folder named as the next day's file", "exyymmdd.log",
            "ex261205.log=a\n|start|mkdir ex261206.log" + polls, "a");
        row("quiet 100 MiB new day", "exyymmdd.log",
            "window 131072|ex261205.log=old\n|start|big ex261206.log 100" + polls + "|catch up",
            "old|-> ex261206.log|" + BigLines(100).join(u'|'));
        // The old day's file is watched on: a late line completes its unterminated last line.
        const QString moved = "ex261205.log=a1\na2|start|ex261206.log=b1\n|poll|poll";
        const QString watched = "a1|-> ex261206.log|b1|-> ex261205.log|a2";
        row("late line of the old day", "exyymmdd.log",
            moved + "|ex261205.log+ late\n|poll|ex261206.log+b2\n|poll",
            watched + " late|-> ex261206.log|b2");
        row("stop while the old day is watched", "exyymmdd.log", moved + "|stop",
            watched + "|<- ex261205.log");
        row("old day watched ten minutes", "exyymmdd.log", moved + polls.repeated(4),
            watched + "|<- ex261205.log");
        row("not the newest", "exyymmdd.log", "ex261204.log=a\n|ex261205.log=b\n|start" + polls,
            "a");
        // Reading b3 before the move shows that nothing moved while the old file grew.
        row("not while the old file grows", "exyymmdd.log",
            "ex261206.log=b\n|start|ex261207.log=c\n|ex261206.log+b2\n|poll|ex261206.log+b3\n" +
                polls,
            "b|b2|b3|-> ex261207.log|c");

        // Rotations and failures between two polls: content decides what is new.
        row("copytruncate regrown", "", "a.log=one\ntwo\n|start|a.log=three\nfour xx\n|poll",
            "one|two|three|four xx");
        row("made again, same inode", "", "a.log=one\n|start|rm a.log|a.log=two\nthree\n|poll",
            "one|two|three");
        row("rotated between look and open", "",
            "a.log=a\n|start|a.log+b\n|mv a.log a.log.1|a.log=x\n|at-open mv a.log "
            "a.log.2;a.log=c1\nc2\nc3\n|poll|poll",
            "a|b|c1|c2|c3");
        // The rotated file is read to its end, and on while its writer still writes there.
        row("rotated by rename", "", "a.log=1\n|start|a.log+2\n|mv a.log a.log.1|a.log=3\n|poll",
            "1|2|3");
        row("deleted and made again", "", "a.log=1\n|start|a.log+2\n|rm a.log|poll|a.log=3\n|poll",
            "1|2|3");
        row("late lines of a rotated file", "",
            "a.log=1\n|start|mv a.log a.log.1|a.log=2\n|poll|a.log.1+late\n|poll|a.log+3\n|poll",
            "1|2|-> a.log.1|late|<- a.log.1|-> a.log|3");
        row("late line as the rotation is read", "",
            "a.log=1\n|start|mv a.log a.log.1|a.log=2\n|at-open a.log.1+late\n|poll|poll",
            "1|2|-> a.log.1|late|<- a.log.1");
        row("replaced by a grown copy", "",
            "a.log=a\nb\n|start|a.new=a\nb\nc\n|mv a.new a.log|poll|poll", "a|b|c");
        QString late, lines; // 30 lines, more than a window
        for (int i = 0; i < 30; ++i) {
            late += QStringLiteral("new %1\r\n").arg(i);
            lines += QStringLiteral("|new %1").arg(i);
        }
        row("rotated in, over a window", "",
            "a.log=old\n|start|mv a.log a.log.1|a.log=" + late + "|poll", "old" + lines);
        row("unreadable for a while", "",
            "a.log=a\n|start|rm a.log|a.log=b\nc\n|chmod 200 a.log|poll|size Cannot open: "
            "Permission denied|chmod 644 a.log|poll|size Filesize: 4",
            "a|b|c");
        row("a FIFO for a while", "",
            "a.log=a\n|start|rm a.log|fifo a.log|poll|size Cannot open: Not a regular file|rm "
            "a.log|a.log=b\n|poll",
            "a|b");
        row("NUL padding past the window, trimmed", "",
            "a.log=a\npartial|start|a.log+" + QString(100, QChar(0)) +
                "|poll|a.log=a\npartial-done\n|poll",
            "a|partial-done");

        // Runs taken over, stopped and started again; backlogs read on a slice a turn of the
        // event loop, every line, but only the last 256 MiB of a larger one.
        row("runs stop and restart", "",
            "a.log=a1\na2\n|b.log=b1\n|start a.log|start b.log|a.log+a3\n|poll|start "
            "a.log|a.log+a4\n"
            "a|poll|halt|a.log+5\n|start a.log",
            "a1|a2|=> b.log|b1|=> a.log|a1|a2|a3|a4|a5");
        const QString backlog = "window 131072|a.log=start\n|start|poll";
        // Reading resumes 256 MiB before the content end, inside a line that is then hidden.
        const qint64 cut = 5 + (qint64(300) << 20) - (qint64(256) << 20);
        row("300 MiB backlog", "", backlog + "|more a.log 300|poll|catch up",
            QStringLiteral("start|skipped %1|").arg(cut - 5) +
                BigLines(300).mid((cut - 6) / 65536 + 1).join(u'|'));
        // A file without content at the start: its first byte begins the stream.
        const QString first = "|start|big a.log 64|poll|catch up", all = BigLines(64).join(u'|');
        row("first write to an empty file, after its Tail", "",
            "window 131072|a.log=|tail a.log" + first, all);
        row("to a missing file", "", "window 131072|a.log=|rm a.log" + first, all);
        row("to a file of NUL", "", "window 131072|a.log=" + QString(9, QChar(0)) + first, all);
        row("stopped during the catch-up", "",
            backlog + "|more a.log 64|poll|clear|halt catching up", "");

        // Tail, then following.
        row("unterminated row under a filter", "",
            "a.log=a1\nLAST|tail a.log|filter 2|start|a.log+ LINE\nLINE 2\nx\n|poll",
            "a1|LAST LINE|LINE 2");
        row("unterminated row cleared", "",
            "a.log=a1\nLAST|tail a.log|start|clear|a.log+ LINE\n|poll", "LAST LINE");
        // The Tail's window starts inside a line longer than itself: its last row is finished
        // or completed, never taken by the next line.
        const QString longLine = "window 64|a.log=" + QString(100, u'x') + "\nnext line after long";
        const QString append = "|tail a.log|start|a.log+NEW MARK\nshort after|poll";
        row("window inside a long line, last line ended", "", longLine + "\n" + append,
            "next line after long|NEW MARK");
        row("window inside a long line, last line open", "", longLine + append,
            "next line after longNEW MARK");
        row("tail of another file during a run", "",
            "a.log=a1\n|b.log=b1\n|start|tail b.log|a.log+a2\n|poll", "b1|-> a.log|a2");
        row("following another file than the list's", "",
            "a.log=a1\n|b.log=b1\n|tail b.log|start a.log|poll", "b1|=> a.log|a1");

        // Several folders in one run, each line tagged with its folder; the header stays.
        row("folders: one moves to its next day, one stays before a compressed today",
            "exyymmdd.log",
            "a/ex261205.log=a1\n|a/ex261206.log.gz=z\n|b/ex261206.log=b1\n|watch a "
            "b|b/ex261207.log=b2\n|"
            "a/ex261205.log+a2\n" +
                polls,
            "1 a1|2 b1|1 a2|2 -> ex261207.log|2 b2");
        row("folders: one rotated while the other writes", "*.log",
            "a/x.log=a1\n|b/x.log=b1\n|watch a b|mv b/x.log b/x.log.1|b/x.log=b2\n|a/x.log+a2\n|"
            "poll|b/x.log.1+late\n|a/x.log+a3\n|poll",
            "1 a1|2 b1|1 a2|2 b2|1 a3|2 -> x.log.1|2 late|2 <- x.log.1");
        row("folders: one unreadable for a while", "*.log",
            "a/x.log=a1\n|b/x.log=b1\n|chmod 0 b|watch a b|poll|chmod 755 b|b/x.log+b2\n|poll",
            "2 cannot read the folder b/|1 a1|2 => x.log|2 b1|2 b2");
        row("folders: a file unreadable for a while", "*.log",
            "a/x.log=a1\n|b/x.log=b1\n|chmod 0 b/x.log|watch a b|poll|chmod 644 b/x.log|b/"
            "x.log+b2\n|poll",
            "1 a1|2 cannot open x.log: Permission denied|2 reading x.log again|2 b1|2 b2");
        row("folders: a second run keeps the first run's rows named", "*.log",
            "a/x.log=a1\n|b/x.log=b1\n|c/x.log=c1\n|watch a b|watch c a|a/x.log+a2\n|poll",
            "1 a1|2 b1|3 c1|1 a2");
        row("folders: one made after the start, one with a FIFO", "*.log",
            "a/x.log=a1\n|mkdir c|fifo c/x.log|watch a b c|poll|b/x.log=b1\n|poll",
            "2 folder not found b/|3 no log file in the folder c/|1 a1|2 => x.log|2 b1");

        // Quit while following, the files changed while closed, the run resumed: each line
        // written meanwhile once.
        row("resumed: lines written while closed", "",
            "a.log=a1\n|start|a.log+a2\n|quit|a.log+a3\r\na4\n|resume",
            "resumed|=> a.log|a2|a3|a4");
        row("resumed: an unfinished line completed", "",
            "a.log=a1\npart|start|quit|a.log+ done\r\nnext\n|resume",
            "resumed|=> a.log|part done|next");
        row("resumed: a break cut before its LF", "", "a.log=a1\r|start|quit|a.log+\na2\n|resume",
            "resumed|=> a.log|a2");
        row("resumed: an empty line after CR LF", "", "a.log=a1\r\n|start|quit|a.log+\na2\n|resume",
            "resumed|=> a.log|(empty)|a2");
        row("resumed: copy and truncate", "",
            "a.log=one\n|start|a.log+two\n|quit|a.log.1=one\ntwo\n|a.log=three\n|resume",
            "resumed|=> a.log.1|two|-> a.log|three");
        row("resumed: a rotated rest of many slices before the new file", "",
            "window 131072|a.log=one\n|start|quit|more a.log 64|mv a.log a.log.1|a.log=three\n|"
            "resume|catch up",
            "resumed|=> a.log.1|" + all + "|-> a.log|three");
        row("resumed: rotated twice, each file read", "",
            "a.log=one\n|start|quit|a.log+two\n|mv a.log a.log.2|a.log=three\n|mv a.log a.log.1|"
            "a.log=four\n|resume",
            "resumed|=> a.log.2|two|-> a.log.1|three|-> a.log|four");
        row("resumed: rotated, then really compressed", "",
            "a.log=one\n|start|quit|a.log+two\n|mv a.log a.log.1|gzip a.log.1|a.log=three\n|resume",
            "resumed|=> a.log.1.gz|two|-> a.log|three");
        row("resumed: rotated by rename, then compressed", "",
            "a.log=one\n|start|quit|a.log+two\n|mv a.log a.log.1.gz|a.log=three\n|resume",
            "resumed|replaced a.log|=> a.log|three");
        row("resumed: the file gone", "", "a.log=a1\n|start|quit|rm a.log|resume",
            "resumed|gone a.log");
        row("resumed: two days passed", "exyymmdd.log",
            "ex261206.log=a1\n|start|quit|ex261206.log+a2\n|ex261207.log=b1\n|ex261208.log=c1\n|"
            "day 2|resume",
            "resumed|=> ex261206.log|a2|-> ex261207.log|b1|<- ex261206.log|-> ex261208.log|c1");
        row("resumed: the old day compressed while closed", "exyymmdd.log",
            "ex261206.log=a1\n|start|quit|ex261206.log+a2\n|gzip ex261206.log|ex261207.log=b1\n|"
            "day 1|resume",
            "resumed|=> ex261206.log.gz|a2|-> ex261207.log|b1");
        row("resumed: the old day compressed, its oldest bytes over the cap skipped",
            "exyymmdd.log",
            "ex261206.log=a1\n|start|quit|ex261206.log+a2\na3\na4\n|gzip ex261206.log|cap 6|resume",
            "resumed|skipped 3|=> ex261206.log.gz|a3|a4");
        row("resumed: two days passed, the oldest bytes over the cap skipped", "exyymmdd.log",
            "ex261206.log=a1\n|start|quit|ex261206.log+a2\n|ex261207.log=b1\nb2\n|ex261208.log="
            "c1\nc2\n|day 2|cap 9|resume",
            "resumed|skipped 3|skipped 3|=> ex261207.log|b2|<- ex261206.log|-> ex261208.log|c1|c2");
        row("resumed: folders, one no longer configured", "*.log",
            "a/x.log=a1\n|b/x.log=b1\n|c/x.log=c1\n|watch a b c|quit|a/x.log+a2\n|c/x.log+c2\n|"
            "resume a c",
            "resumed|longer b|1 a2|3 c2"); // the list keeps its folders' tags
        row("resumed: stop, then quit", "", "a.log=a1\n|start|stop|quit|a.log+a2\n|resume", "");
        row("resumed: a garbled state", "", "a.log=a1\n|start|quit|garble|resume", "read run");

        // A busy log gets a divider block a second, not one for each read.
        row("a divider block a second", "",
            "at 0|a.log=a\n|start|a.log+b\n|at 400|poll|a.log+c\n|at 999|poll|a.log+d\n|at 1000|"
            "poll|a.log+e\n|at 1900|poll|dividers 2",
            "a|b|c|d|e");
        // Lines a hide rule takes are counted in the next divider block, or without one in a
        // marker line at most once a second; an expression that gives up is said once.
        row("hidden, said by the divider block", "",
            "at 0|a.log=a\n|start|hide words debug|a.log+DEBUG x\nb\n|at 400|poll|a.log+c\n"
            "debug\n|at 1000|poll|a.log+d\n|at 2000|poll",
            "a|b|hidden 2|c|d");
        row("hidden, said once a second", "",
            "at 0|a.log=l1\n|filter l|start|hide words debug|a.log+debug l\nl2\n|at 400|poll|"
            "a.log+debug l\n|at 900|poll|a.log+debug l\n|at 1500|poll|a.log+l3\n|at 1600|poll",
            "l1|hidden 1|l2|hidden 2|l3");
        row("hiding expression that gives up", "",
            "a.log=a\n|start|hide regex (a+)+$|a.log+" + QString(30, u'a') + "!\n|poll|a.log+" +
                QString(30, u'a') + "!\n|poll",
            "a|gave up|" + QString(30, u'a') + "!|" + QString(30, u'a') + "!");
    }

    void follows()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, shown);
        m_settings.TailBytes = 64;
        m_clock.step = 20000; // the folder is listed again at every poll
        // "start" follows the first file written.
        const QString first = steps.filter(QRegularExpression(QStringLiteral("^[\\w./]+[=+]")))
                                  .first()
                                  .section(QRegularExpression(QStringLiteral("[=+]")), 0, 0);
        for (const QString& step : steps) {
            Step(step, first, filter);
            if (QTest::currentTestFailed())
                return;
        }
        QCOMPARE(Shown(), shown);
        const QStringList moved = shown.filter(QRegularExpression(QStringLiteral("^-> ")));
        if (!filter.isEmpty())
            QVERIFY(moved.isEmpty() ? m_window.moved.isEmpty()
                                    : moved.contains("-> " + QFileInfo(m_window.moved).fileName()));
    }

    // With an hour between polls only a change notification can bring a line: one written,
    // one written after a rename rotation, one written after the file was deleted while a
    // writer held it open and made again.
    void notifications()
    {
        m_settings.PollSeconds = 3600;
        reading::SystemClock clock;
        reading::Monitor monitor(m_list, m_window, clock, m_settings, m_readings);
        const QString path = Path("a.log");
        QVERIFY(WriteFile(path, "a0\n"));
        monitor.Start(path);
        QFile held(path); // a writer that keeps the file open
        QVERIFY(held.open(QIODevice::Append));
        QStringList expected{"a0"};
        for (const char* change : {"", "rename", "delete"}) {
            if (change == QByteArrayView("rename"))
                QVERIFY(QFile::rename(path, path + ".1") && WriteFile(path, ""));
            if (change == QByteArrayView("delete"))
                QVERIFY(QFile::remove(path) && WriteFile(path, ""));
            QTest::qWait(300); // the new file is seen; only its own notification tells the rest
            expected << QStringLiteral("line after %1").arg(change);
            QVERIFY(Append(path, expected.last().toLatin1() + '\n'));
            QTRY_COMPARE_WITH_TIMEOUT(Shown(), expected, 2000);
            held.close();
            QVERIFY(held.open(QIODevice::Append));
        }
        // The next day's file, of a dated style, is found by its folder's notification.
        const QDate today = QDate::currentDate();
        QVERIFY(WriteFile(Path(today.toString(u"'ex'yyMMdd'.log'")), "d0\n"));
        monitor.Start(Path(today.toString(u"'ex'yyMMdd'.log'")), "exyymmdd.log");
        QVERIFY(WriteFile(Path(today.addDays(1).toString(u"'ex'yyMMdd'.log'")), "d1\n"));
        QTRY_COMPARE_WITH_TIMEOUT(
            Shown().mid(expected.size()),
            (QStringList{"=> " + today.toString(u"'ex'yyMMdd'.log'"), "d0",
                         "-> " + today.addDays(1).toString(u"'ex'yyMMdd'.log'"), "d1"}),
            2000);
    }

    // Fifty folders: ten missing, ten unreadable, ten behind a FUSE mount, one with a FIFO by a
    // log's name. The run starts, each fault is said once, and every readable folder's lines show.
    void manyFaultyFolders()
    {
        const QString mount = Path("mnt"), origin = Path("origin");
        QVERIFY(QDir().mkpath(origin) && QDir().mkpath(mount) && QDir().mkpath(Path("fifo")));
        QVERIFY(::mkfifo(QFile::encodeName(Path("fifo/x.log")), 0600) == 0);
        const bool fuse = !QStandardPaths::findExecutable("bindfs").isEmpty() &&
                          QProcess::execute("bindfs", {origin, mount}) == 0;
        if (!fuse)
            qInfo("FUSE is not available here: its ten folders are plain ones");
        QStringList logs, shut;
        const auto restore = qScopeGuard([&] {
            for (const QString& log : shut)
                ::chmod(QFile::encodeName(QFileInfo(log).path()), 0755);
            if (fuse)
                QProcess::execute("fusermount", {"-u", mount});
        });
        QList<LogFolder> folders{{"fifo", Path("fifo"), "*.log"}};
        for (int i = 0; i < 49; ++i) {
            const QString name = QString::number(i);
            const QString folder = i < 10   ? Path("gone" + name)
                                   : i < 30 ? Path(name)
                                            : (fuse ? mount : origin) + u'/' + name;
            folders.append({name, folder, "*.log"});
            if (i < 10)
                continue;
            const QString log = (i < 30 ? folder : origin + u'/' + name) + "/x.log";
            QVERIFY(QDir().mkpath(QFileInfo(log).path()) && WriteFile(log, "first\n"));
            (i < 20 ? shut : logs) << log;
        }
        for (const QString& log : shut)
            QVERIFY(::chmod(QFile::encodeName(QFileInfo(log).path()), 0) == 0);
        reading::SystemClock clock;
        reading::Monitor monitor(m_list, m_window, clock, m_settings, m_readings);
        monitor.Start(folders);
        for (const QString& log : logs)
            QVERIFY(Append(log, "second\n"));
        QTRY_COMPARE_WITH_TIMEOUT(Texts().filter(QRegularExpression("^(first|second)$")).size(),
                                  2 * logs.size(), 5000);
        for (const char* fault : {"folder not found", "cannot read the folder", "no log file"})
            QCOMPARE(Texts().filter(fault).size(), *fault == 'n' ? 1 : 10);
    }

    // A FUSE mount, like a network share, sends no change notifications: the poll every
    // second still shows every line that a writer writes to the folder behind it.
    void throughFuse()
    {
        const QString folder = Path("src"), mount = Path("mnt");
        QVERIFY(QDir().mkpath(folder) && QDir().mkpath(mount) &&
                WriteFile(folder + "/a.log", "start\n"));
        if (QStandardPaths::findExecutable("bindfs").isEmpty() ||
            QProcess::execute("bindfs", {folder, mount}) != 0)
            QSKIP("FUSE is not available here (bindfs, /dev/fuse or fusermount missing or not "
                  "permitted): following through a mount that sends no notifications is not "
                  "tried");
        const auto unmount = qScopeGuard([&] { QProcess::execute("fusermount", {"-u", mount}); });
        QFileSystemWatcher watcher({mount, mount + "/a.log"});
        QSignalSpy files(&watcher, &QFileSystemWatcher::fileChanged);
        QSignalSpy folders(&watcher, &QFileSystemWatcher::directoryChanged);
        reading::SystemClock clock;
        reading::Monitor monitor(m_list, m_window, clock, m_settings, m_readings);
        monitor.Start(mount + "/a.log");
        QProcess writer;
        writer.start(QStringLiteral(LOG_WRITER), {folder + "/a.log", "300"});
        QTRY_COMPARE_WITH_TIMEOUT(Shown().size(), 301, 20000);
        QCOMPARE(files.count() + folders.count(), 0);
        QCOMPARE(monitor.PollMs(), 1000);
        for (int n = 0; n < 300; ++n)
            QVERIFY(Shown()[n + 1].startsWith(QStringLiteral("line %1 ").arg(n)));
    }
};

QTEST_GUILESS_MAIN(TestMonitor)
#include "tst_monitor.moc"
