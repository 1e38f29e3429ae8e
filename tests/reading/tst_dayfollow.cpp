#include "TestFiles.h"
#include "folders/DatedStyle.h"
#include "reading/Monitor.h"
#include "settings/modMain.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace
{
struct FakeWindow final : FollowWindow {
    QString moved;
    bool IsStopRequested() const override { return false; }
    QString FilterText() const override { return QStringLiteral("*"); }
    void ShowFileSize(const QString&) override {}
    void FollowingMoved(const QString&, const QString& to) override { moved = to; }
};

// Local time 06.12.2026 10:00, a minute further on every read of the monotonic clock.
struct FakeClock final : FollowClock {
    mutable qint64 ms = 0;
    qint64 MonotonicMs() const override { return ms += 60000; }
    QDateTime Now() const override { return QDateTime(QDate(2026, 12, 6), QTime(10, 0)); }
};

} // namespace

class TestDayFollow : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeWindow m_window;
    FakeClock m_clock;
    OutputList m_list;

    QString Path(const QString& name) const { return m_dir->path() + u'/' + name; }
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
        m_list.Clear();
    }

    void datesOfNames_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QDate>("date");
        const QDate d(2026, 12, 6);
        QTest::newRow("ex") << "exyymmdd.log"
                            << "ex261206.log" << d;
        QTest::newRow("in, upper case") << "inyymmdd.log"
                                        << "IN261206.LOG" << d;
        QTest::newRow("nc") << "ncyymmdd.log"
                            << "nc261206.log" << d;
        QTest::newRow("FWSEXTD") << "FWSEXTDyyyymmdd.log"
                                 << "fwsextd20261206.log" << d;
        QTest::newRow("IPPEXTD") << "IPPEXTDyyyymmdd.log"
                                 << "IPPEXTD20261206.log" << d;
        QTest::newRow("WEBEXTD") << "WEBEXTDyyyymmdd.log"
                                 << "WEBEXTD20261206.log" << d;
        QTest::newRow("*.log is not dated") << "*.log"
                                            << "ex261206.log" << QDate();
        QTest::newRow("*.* is not dated") << "*.*"
                                          << "ex261206.log" << QDate();
        QTest::newRow("day only") << "logdd.txt"
                                  << "log06.txt" << QDate();
        QTest::newRow("wildcards") << "*_yyyy-mm-dd.*"
                                   << "web_2026-12-06" << d;
        QTest::newRow("day first") << "ddmmyy.log"
                                   << "061226.log" << d;
        QTest::newRow("invalid date") << "exyymmdd.log"
                                      << "ex261399.log" << QDate();
        QTest::newRow("letters for digits") << "exyymmdd.log"
                                            << "ex26120x.log" << QDate();
        QTest::newRow("other text") << "exyymmdd.log"
                                    << "in261206.log" << QDate();
        QTest::newRow("tokens only before the dot") << "exyymmdd.yyyy"
                                                    << "ex261206.yyyy" << d;
    }

    void datesOfNames()
    {
        QFETCH(QString, filter);
        QFETCH(QString, name);
        QFETCH(QDate, date);
        const std::optional<DatedStyle> style = DatedStyle::From(filter);
        QCOMPARE(style && style->DateOf(name) ? *style->DateOf(name) : QDate(), date);
    }

    void moves_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("files"); // name=content; the first is followed
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("next day") << "exyymmdd.log"
                                  << QStringList{"ex261205.log=a1\na2", "ex261206.log=b1\nb2\n"}
                                  << QStringList{"a1", "a2", "-> ex261206.log", "b1", "b2"};
        QTest::newRow("a day without a file is skipped")
            << "WEBEXTDyyyymmdd.log"
            << QStringList{"WEBEXTD20261203.log=a\n", "WEBEXTD20261205.log=c\n"}
            << QStringList{"a", "-> WEBEXTD20261205.log", "c"};
        QTest::newRow("tomorrow by another time zone, not later")
            << "exyymmdd.log"
            << QStringList{"ex261206.log=a\n", "ex261208.log=x\n", "ex261207.log=b\n"}
            << QStringList{"a", "-> ex261207.log", "b"};
        QTest::newRow("other letter case")
            << "exyymmdd.log" << QStringList{"ex261205.log=a\n", "EX261206.LOG=b\n"}
            << QStringList{"a", "-> EX261206.LOG", "b"};
        QTest::newRow("empty next file: no move")
            << "exyymmdd.log" << QStringList{"ex261205.log=a\n", "ex261206.log="}
            << QStringList{"a"};
        QTest::newRow("not dated: no move")
            << "*.log" << QStringList{"ex261205.log=a\n", "ex261206.log=b\n"} << QStringList{"a"};
    }

    void moves()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, files);
        QFETCH(QStringList, shown);
        const QString followed = files.first().section(u'=', 0, 0);
        QVERIFY(WriteFile(Path(followed), files.first().section(u'=', 1).toLatin1()));
        Monitor monitor(m_list, m_window, m_clock);
        monitor.Start(Path(followed), filter);
        for (const QString& file : files.mid(1))
            QVERIFY(WriteFile(Path(file.section(u'=', 0, 0)), file.section(u'=', 1).toLatin1()));
        for (int i = 0; i < 3; ++i)
            monitor.Poll();
        QCOMPARE(Shown(), shown);
        const QStringList moves = shown.filter(QRegularExpression(QStringLiteral("^-> ")));
        QCOMPARE(m_window.moved, moves.isEmpty() ? QString() : Path(moves.first().mid(3)));
    }

    void noMoveWhileTheOldFileGrowsOrIsNotTheNewest()
    {
        QVERIFY(WriteFile(Path("ex261205.log"), "a\n"));
        QVERIFY(WriteFile(Path("ex261206.log"), "b\n"));
        Monitor older(m_list, m_window, m_clock);
        older.Start(Path("ex261205.log"), QStringLiteral("exyymmdd.log"));
        for (int i = 0; i < 3; ++i)
            older.Poll();
        QCOMPARE(Shown(), QStringList{"a"});

        m_list.Clear();
        Monitor newest(m_list, m_window, m_clock);
        newest.Start(Path("ex261206.log"), QStringLiteral("exyymmdd.log"));
        QVERIFY(WriteFile(Path("ex261207.log"), "c\n"));
        QVERIFY(Append(Path("ex261206.log"), "b2\n"));
        newest.Poll(); // grew: stays
        QVERIFY(Append(Path("ex261206.log"), "b3"));
        newest.Poll(); // grew again
        newest.Poll(); // quiet
        newest.Poll(); // moves, the old file's unterminated last line shown
        QCOMPARE(Shown(), (QStringList{"b", "b2", "b3", "-> ex261207.log", "c"}));
    }

    void lateMoveShowsTheWholeNewFile()
    {
        modMain::TailBytes = 64;
        QVERIFY(WriteFile(Path("ex261205.log"), "old\n"));
        Monitor monitor(m_list, m_window, m_clock);
        monitor.Start(Path("ex261205.log"), QStringLiteral("exyymmdd.log"));
        QByteArray text;
        QStringList expected{"old", "-> ex261206.log"};
        for (int i = 0; i < 40; ++i) {
            text += "new line " + QByteArray::number(i) + "\r\n";
            expected << QStringLiteral("new line %1").arg(i);
        }
        QVERIFY(WriteFile(Path("ex261206.log"), text));
        monitor.Poll();
        monitor.Poll();
        QVERIFY(Append(Path("ex261206.log"), "new line 40\r\n"));
        monitor.Poll();
        QCOMPARE(Shown(), expected << QStringLiteral("new line 40"));
    }
};

QTEST_GUILESS_MAIN(TestDayFollow)
#include "tst_dayfollow.moc"
