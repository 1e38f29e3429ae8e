#include "TestFiles.h"
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
                                 "in030123.log", "readme.txt", "README", "ex999999.log/ex0401.log"})
            QVERIFY(QDir().mkpath(QFileInfo(Path(name)).path()) && WriteFile(Path(name), "x"));
        QCOMPARE(mkfifo(QFile::encodeName(Path("ex000000.log")).constData(), 0600), 0);
        QVERIFY(QFile::link(Path("ex030123.log"), Path("ex111111.log")));
        QVERIFY(QFile::link(Path("ex999999.log"), Path("ex222222.log")));
        QVERIFY(QFile::link(Path("gone.log"), Path("ex333333.log")));
        // Each row: pattern, folders ("": none given), names all of them list ("-": no folder).
        const QList<QStringList> rows = {
            {"**.*.*", ".",
             "EX021231.LOG|ex021231.log|ex030123.log|ex030123.log.bak|ex111111.log|"
             "in030123.log|README|readme.txt"},
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

    // Many stars against a long name stay quick; fuzz_patterns compares every style and name
    // with the matching rules written out.
    void manyStars()
    {
        const QString as(20000, u'a');
        QVERIFY(MatchesPattern(as + u'b', "*a*a*a*a*a*a*a*a*a*a*a*a*b"));
        QVERIFY(!MatchesPattern(as, "*a*a*a*a*a*a*a*a*a*a*a*a*b"));
        QVERIFY(MatchesPattern(as, "*a*a*a*a*a*a*a*a*.*.*.*"));
    }
};

QTEST_GUILESS_MAIN(TestFileListing)
#include "tst_filelisting.moc"
