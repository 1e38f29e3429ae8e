#include "TestFiles.h"
#include "folders/FileListing.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestFileListing : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Path(const QString& name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    // A log folder as a server leaves it, with entries of log-file names that are no files.
    void initTestCase()
    {
        for (const char* name : {"ex030123.log", "EX021231.LOG", "ex021231.log", "ex030123.log.bak",
                                 "in030123.log", "readme.txt", "README", "ex999999.log/ex0401.log"})
            QVERIFY(QDir().mkpath(QFileInfo(Path(name)).path()) && WriteFile(Path(name), "x"));
        QCOMPARE(mkfifo(QFile::encodeName(Path("ex000000.log")).constData(), 0600), 0);
        QVERIFY(QFile::link(Path("ex030123.log"), Path("ex111111.log")));
        QVERIFY(QFile::link(Path("ex999999.log"), Path("ex222222.log")));
        QVERIFY(QFile::link(Path("gone.log"), Path("ex333333.log")));
    }

    // Every folder of a row lists the same names.
    void list_data()
    {
        QTest::addColumn<QStringList>("folders"); // in the test folder; empty: none given
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QStringList>("names");
        const QStringList root{"."};
        QTest::newRow("regular files and links to them, sorted ignoring case")
            << root << "ex*.log" << true
            << QStringList{"EX021231.LOG", "ex021231.log", "ex030123.log", "ex111111.log"};
        QTest::newRow("all") << root << "*.*" << true
                             << QStringList{"EX021231.LOG",     "ex021231.log", "ex030123.log",
                                            "ex030123.log.bak", "ex111111.log", "in030123.log",
                                            "README",           "readme.txt"};
        QTest::newRow("no match") << root << "*.z19" << true << QStringList{};
        QTest::newRow("separator at the end, link") << QStringList{"ex999999.log/", "ex222222.log"}
                                                    << "*.*" << true << QStringList{"ex0401.log"};
        QTest::newRow("no folder, FIFO without waiting")
            << QStringList{"missing", "missing/ex", "readme.txt", "ex000000.log", ""} << "*.*"
            << false << QStringList{};
    }

    void list()
    {
        QFETCH(QStringList, folders);
        QFETCH(QString, pattern);
        QFETCH(bool, exists);
        QFETCH(QStringList, names);
        for (const QString& folder : folders) {
            bool existed = !exists;
            QCOMPARE(ListMatchingFiles(folder.isEmpty() ? folder : Path(folder), pattern, &existed),
                     names);
            QCOMPARE(existed, exists);
        }
    }

    void undecodableFileNames_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("undecodable");
        QTest::newRow("utf-8") << QByteArray("caf\xC3\xA9") << "café" << false;
        QTest::newRow("a real U+FFFD") << QByteArray("a\xEF\xBF\xBD") << "a\uFFFD" << false;
        QTest::newRow("latin-1 byte") << QByteArray("caf\xE9") << "caf\uFFFD" << true;
        QTest::newRow("overlong") << QByteArray("\xC0\xAF") << "\uFFFD\uFFFD" << true;
        QTest::newRow("bad, valid")
            << QByteArray("\xFF\xF0\x9F\x98\x80") << "\uFFFD\U0001F600" << true;
    }

    // Names that differ only in undecodable bytes stay apart; only those count as undecodable.
    void undecodableFileNames()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QFETCH(bool, undecodable);
        QCOMPARE(ReadableName(DecodeFileName(bytes)), shown);
        QCOMPARE(IsUndecodable(DecodeFileName(bytes)), undecodable);
        QVERIFY(DecodeFileName(bytes + "\xFE") != DecodeFileName(bytes + "\xFD"));
    }
};

QTEST_GUILESS_MAIN(TestFileListing)
#include "tst_filelisting.moc"
