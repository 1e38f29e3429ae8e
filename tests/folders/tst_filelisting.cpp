#include "TestFiles.h"
#include "folders/FileListing.h"
#include "folders/FilterPattern.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// A log folder as a server leaves it: dated files of several styles, other files, and entries
// with log-file names that are no files to read.
class TestFileListing : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Path(const QString& name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QStringList files{"ex030123.log",        "ex021231.log",
                                "EX021231.LOG",        "ex030123.log.bak",
                                "WEBEXTD20030123.log", "WEBEXTD20021231.log",
                                "FWSEXTD20030123.log", "IPPEXTD20030123.log",
                                "in030123.log",        "in021231.log",
                                "nc030123.log",        "nc021231.log",
                                "readme.txt",          "README",
                                "my log [1].log"};
        for (const QString& name : files)
            QVERIFY(WriteFile(Path(name), "line\r\n"));
        QVERIFY(QDir(m_dir.path()).mkdir("ex999999.log"));
        QVERIFY(QDir(m_dir.path()).mkdir("readme.d"));
        QCOMPARE(mkfifo(QFile::encodeName(Path("ex000000.log")).constData(), 0600), 0);
        QVERIFY(QFile::link(Path("ex030123.log"), Path("ex111111.log")));
        QVERIFY(QFile::link(Path("ex999999.log"), Path("ex222222.log")));
        QVERIFY(QFile::link(Path("gone.log"), Path("ex333333.log")));
    }

    void eachStyleListsItsFilesOfEveryDate_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("names");

        QTest::newRow("exyymmdd.log")
            << "exyymmdd.log"
            << QStringList{"EX021231.LOG", "ex021231.log", "ex030123.log", "ex111111.log"};
        QTest::newRow("inyymmdd.log")
            << "inyymmdd.log" << QStringList{"in021231.log", "in030123.log"};
        QTest::newRow("*.*") << "*.*" << QStringList{"EX021231.LOG",
                                                     "ex021231.log",
                                                     "ex030123.log",
                                                     "ex030123.log.bak",
                                                     "ex111111.log",
                                                     "FWSEXTD20030123.log",
                                                     "in021231.log",
                                                     "in030123.log",
                                                     "IPPEXTD20030123.log",
                                                     "my log [1].log",
                                                     "nc021231.log",
                                                     "nc030123.log",
                                                     "README",
                                                     "readme.txt",
                                                     "WEBEXTD20021231.log",
                                                     "WEBEXTD20030123.log"};
    }

    void eachStyleListsItsFilesOfEveryDate()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, names);
        bool exists = false;
        QCOMPARE(ListMatchingFiles(m_dir.path(), *FilterToPattern(filter), &exists), names);
        QVERIFY(exists);
    }

    void patternForNoLogListsNothing()
    {
        QCOMPARE(ListMatchingFiles(m_dir.path(), "*.z19"), QStringList());
    }

    void noFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("missing") << Path("missing");
        QTest::newRow("missing parent") << Path("missing/ex");
        QTest::newRow("regular file") << Path("readme.txt");
        QTest::newRow("FIFO, without waiting for a writer") << Path("ex000000.log");
        QTest::newRow("empty") << QString();
    }

    void noFolder()
    {
        QFETCH(QString, folder);
        bool exists = true;
        QCOMPARE(ListMatchingFiles(folder, "*.*", &exists), QStringList());
        QVERIFY(!exists);
    }

    void folderGivenWithSeparatorOrThroughLink()
    {
        QVERIFY(QFile::link(Path("ex999999.log"), Path("linked-folder")));
        QVERIFY(WriteFile(Path("ex999999.log/ex040101.log"), "x"));
        bool exists = false;
        const QStringList inside{"ex040101.log"};
        QCOMPARE(ListMatchingFiles(Path("ex999999.log") + '/', "ex*.log", &exists), inside);
        QVERIFY(exists);
        QCOMPARE(ListMatchingFiles(Path("linked-folder"), "ex*.log", &exists), inside);
        QVERIFY(exists);
    }

    void thousandsOfFilesSortedIgnoringCase()
    {
        QTemporaryDir big;
        QStringList expected;
        for (int i = 0; i < 3000; ++i) {
            const QString name = QString::asprintf(i % 2 ? "EX%06d.LOG" : "ex%06d.log", 3000 - i);
            QVERIFY(WriteFile(big.filePath(name), {}));
            QVERIFY(WriteFile(big.filePath(QString::asprintf("in%06d.log", i)), {}));
            expected.append(name);
        }
        std::reverse(expected.begin(), expected.end());
        QCOMPARE(ListMatchingFiles(big.path(), "ex*.log"), expected);
    }
};

QTEST_GUILESS_MAIN(TestFileListing)
#include "tst_filelisting.moc"
