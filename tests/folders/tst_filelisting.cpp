#include "TestFiles.h"
#include "folders/DatedStyle.h"
#include "folders/DayFiles.h"
#include "folders/FileListing.h"
#include "folders/FilterPattern.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestFileListing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A log folder as a server leaves it, with entries of log-file names that are no files, and
    // names that are not valid UTF-8. A FIFO is never opened, so never waited for.
    void listing()
    {
        QTemporaryDir dir;
        const auto Path = [&dir](const QString& n) { return n.isEmpty() ? n : dir.filePath(n); };
        for (const char* name : {"ex030123.log", "EX021231.LOG", "ex021231.log", "ex030123.log.bak",
                                 "in030123.log", "readme.txt", "README", "ex999999.log/ex0401.log",
                                 "ex030124.log.gz", "ex030125.LOG.XZ", "ex030126.log.gz.bz2"})
            QVERIFY(QDir().mkpath(QFileInfo(Path(name)).path()) && WriteFile(Path(name), "x"));
        QCOMPARE(mkfifo(QFile::encodeName(Path("ex000000.log")).constData(), 0600), 0);
        QVERIFY(QFile::link(Path("ex030123.log"), Path("ex111111.log")));
        QVERIFY(QFile::link(Path("ex999999.log"), Path("ex222222.log")));
        QVERIFY(QFile::link(Path("gone.log"), Path("ex333333.log")));
        // Each row: pattern, folders ("": none given), names all of them list ("-": no folder).
        const QList<QStringList> rows = {
            {"**.*.*", ".",
             "EX021231.LOG|ex021231.log|ex030123.log|ex030123.log.bak|ex030124.log.gz|"
             "ex030125.LOG.XZ|ex030126.log.gz.bz2|ex111111.log|in030123.log|README|readme.txt"},
            // A compressed day lists by its name without one final compression suffix.
            {"ex*.log", ".",
             "EX021231.LOG|ex021231.log|ex030123.log|ex030124.log.gz|ex030125.LOG.XZ|ex111111.log"},
            {"*.z19", ".", ""},
            {"*.*", "ex999999.log/|ex222222.log", "ex0401.log"},
            {"*.*", "missing|missing/ex|readme.txt|ex000000.log|", "-"}};
        for (const QStringList& row : rows)
            for (const QString& folder : row[1].split(u'|')) {
                const bool exists = row[2] != u'-';
                bool existed = !exists;
                QCOMPARE(ListMatchingFiles(Path(folder), row[0], &existed).join(u'|'),
                         exists ? row[2] : "");
                QCOMPARE(existed, exists);
            }
        // Names that differ only in undecodable bytes stay apart; only those are undecodable.
        const QList<std::tuple<QByteArray, QString, bool>> names = {
            {"a\xEF\xBF\xBD", "a\uFFFD", false},
            {"caf\xE9\xC0\xAF\xF0\x9F\x98\x80", "caf\uFFFD\uFFFD\uFFFD\U0001F600", true}};
        for (const auto& [bytes, shown, undecodable] : names) {
            QCOMPARE(ReadableName(DecodeFileName(bytes)), shown);
            QCOMPARE(IsUndecodable(DecodeFileName(bytes)), undecodable);
            QVERIFY(DecodeFileName(bytes + "\xFE") != DecodeFileName(bytes + "\xFD"));
        }
    }

    // Which files a date range takes, by the date in their names or of their last change.
    void choose_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<qsizetype>("skipped");
        const QDate d1(2026, 12, 1), d3(2026, 12, 3);
        QTest::newRow("name dates, both ends included")
            << "exyymmdd.log" << d1 << d3
            << QStringList{"ex261201.log", "EX261202.LOG", "ex261203.log"} << qsizetype(2);
        QTest::newRow("a long style, over a month end")
            << "WEBEXTDyyyymmdd.log" << QDate(2026, 11, 30) << d1
            << QStringList{"WEBEXTD20261130.log", "WEBEXTD20261201.log"} << qsizetype(0);
        QTest::newRow("a range that ends before it starts")
            << "exyymmdd.log" << d3 << d1 << QStringList{} << qsizetype(2);
        QTest::newRow("modification dates, oldest first")
            << "access.log" << QDate(2026, 11, 20) << d3
            << QStringList{"access-b.log", "access.log", "access-a.log"} << qsizetype(0);
        QTest::newRow("compressed days; of a day both plain and compressed the plain file")
            << "exyymmdd.log" << QDate(2026, 11, 19) << QDate(2026, 11, 20)
            << QStringList{"ex261119.log.bz2", "ex261120.log"} << qsizetype(2);
    }

    void choose()
    {
        QFETCH(QString, filter);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QTemporaryDir dir;
        for (int day = 20; day <= 30; ++day)
            WriteFile(dir.filePath(QStringLiteral("ex2611%1.log").arg(day)), "x\n");
        for (const char* name :
             {"ex261119.log.bz2", "ex261120.log.gz", "ex261201.log", "EX261202.LOG", "ex261203.log",
              "ex261204.log", "ex261399.log", "ex-undated.log", "WEBEXTD20261130.log",
              "WEBEXTD20261201.log", "WEBEXTD20261202.log"})
            WriteFile(dir.filePath(QLatin1String(name)), "x\n");
        // An undated style: the day of the last change counts.
        const QList<std::pair<const char*, QDate>> changed = {{"access.log", QDate(2026, 12, 2)},
                                                              {"access-a.log", QDate(2026, 12, 3)},
                                                              {"access-b.log", QDate(2026, 11, 20)},
                                                              {"access-c.log", QDate(2026, 12, 4)}};
        for (const auto& [name, day] : changed) {
            QFile file(dir.filePath(QLatin1String(name)));
            QVERIFY(WriteFile(file.fileName(), "x\n") && file.open(QIODevice::ReadWrite));
            QVERIFY(
                file.setFileTime(QDateTime(day, QTime(12, 0)), QFileDevice::FileModificationTime));
        }
        const DayFiles files = ChooseDayFiles(dir.path(), filter, from, to);
        QTEST(files.names, "names");
        QTEST(files.skipped, "skipped");
    }

    // Which names carry a date for their style; only 06.12.2026 is written (the latest that fits).
    void datesOfNames()
    {
        using Row = std::tuple<const char*, const char*, bool>; // style, name, dated
        for (const auto& [filter, name, dated] :
             {Row{"*.log", "ex261206.log", false}, Row{"logdd.txt", "log06.txt", false},
              Row{"*_yyyy-mm-dd.*", "web_2026-12-06", true}, Row{"ddmmyy.log", "061226.log", true},
              Row{"exyymmdd.log", "ex261399.log", false},
              Row{"exyymmdd.log", "ex26120x.log", false},
              Row{"exyymmdd.yyyy", "ex261206.yyyy", true}, Row{"*yymmdd*", "261205261206", true}}) {
            const std::optional<DatedStyle> style = DatedStyle::From(filter);
            QCOMPARE(style ? style->DateOf(name).value_or(QDate()) : QDate(),
                     dated ? QDate(2026, 12, 6) : QDate());
        }
    }

    // Many stars against a long name stay quick; fuzz_patterns compares every style and name
    // with the matching rules written out.
    void manyStars()
    {
        const QString as(20000, u'a');
        QVERIFY(MatchesPattern(as + u'b', "*a*a*a*a*a*a*a*a*a*a*a*a*b"));
        QVERIFY(!MatchesPattern(as, "*a*a*a*a*a*a*a*a*a*a*a*a*b"));
        QVERIFY(MatchesPattern(as, "*a*a*a*a*a*a*a*a*.*.*.*"));
        QVERIFY(!DatedStyle::From("*yyyy*mm*dd*.log")->DateOf(QString(250, u'1')));
    }
};

QTEST_GUILESS_MAIN(TestFileListing)
#include "tst_filelisting.moc"
