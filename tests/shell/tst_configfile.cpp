#include "TestFiles.h"
#include "settings/modMain.h"
#include "shell/ConfigFile.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using Status = config::ReadResult::Status;

class TestConfigFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_mountPoint;

    QString Ini() const { return m_dir.filePath(QStringLiteral("tarvisk.ini")); }

    // A small file system of our own, so that a save can meet a full disk or a read-only one.
    bool MountTmpfs(const QString& options)
    {
        m_mountPoint = m_dir.filePath(QStringLiteral("mnt"));
        QDir().mkpath(m_mountPoint);
        return QProcess::execute(QStringLiteral("mount"),
                                 {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                  QStringLiteral("-o"), options, QStringLiteral("tmpfs"),
                                  m_mountPoint}) == 0;
    }

private Q_SLOTS:
    void init()
    {
        modMain::SetStartValues();
        modMain::IniPath = Ini();
        QFile::remove(Ini());
    }

    void cleanup()
    {
        if (!m_mountPoint.isEmpty())
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-R"), m_mountPoint});
        m_mountPoint.clear();
    }

    void reads_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("viewer");
        QTest::addColumn<bool>("dividers");
        QTest::addColumn<QStringList>("rows"); // Name|Path|Filter per row

        const QString np = QStringLiteral("xdg-open"); // the start value here
        const int read = int(Status::Read);
        const int invalid = int(Status::Invalid);
        QTest::newRow("comments only")
            << QByteArray(";\r\n; x=1,2,3\r\n;\r\n") << read << np << true << QStringList();
        QTest::newRow("splitlines false lower case")
            << QByteArray("SPLITLINES=false\r\n") << read << np << false << QStringList();
        QTest::newRow("splitlines TRUE with blanks")
            << QByteArray("SPLITLINES=FALSE\r\nSPLITLINES=  TRUE  \r\n") << read << np << true
            << QStringList();
        QTest::newRow("key lower case with blanks")
            << QByteArray("SPLITLINES=FALSE\r\n  splitlines  =True\r\n") << read << np << true
            << QStringList();
        QTest::newRow("tab is not a blank")
            << QByteArray("SPLITLINES=\tTRUE\r\n") << read << np << false << QStringList();
        QTest::newRow("viewer keeps blanks and case")
            << QByteArray(" extViewer = My View\r\n") << read << QStringLiteral(" My View") << true
            << QStringList();
        QTest::newRow("empty viewer means the default")
            << QByteArray("EXTVIEWER=\r\n") << read << np << true << QStringList();
        QTest::newRow("unknown key ignored") << QByteArray("SPLITLINES=FALSE\r\nCOLOR=red\r\n")
                                             << read << np << false << QStringList();
        QTest::newRow("three folders in order")
            << QByteArray("a,b,c\r\n,,\r\nWeb server,D:\\Logs\\Web,exyymmdd.log\r\n") << read << np
            << true << QStringList{"a|b|c", "||", "Web server|D:\\Logs\\Web|exyymmdd.log"};
        QTest::newRow("two equals and two commas is a folder")
            << QByteArray("a=b,c=d,e\r\n") << read << np << true << QStringList{"a=b|c=d|e"};
        QTest::newRow("fields are not trimmed")
            << QByteArray(" a , b ,c \r\n") << read << np << true << QStringList{" a | b |c "};
        QTest::newRow("lone LF and byte-order mark")
            << QByteArray("\xEF\xBB\xBF;\nEXTVIEWER=vi\nx,y,z") << read << QStringLiteral("vi")
            << true << QStringList{"x|y|z"};
        QTest::newRow("lone CR ends a line")
            << QByteArray("EXTVIEWER=vi\rx,y,z\r") << read << QStringLiteral("vi") << true
            << QStringList{"x|y|z"};
        QTest::newRow("four fields")
            << QByteArray("a,b,c,d\r\n") << invalid << np << true << QStringList{"a,b,c,d"};
        QTest::newRow("blank line")
            << QByteArray(";\r\n\r\n;\r\n") << invalid << np << true << QStringList{""};
        QTest::newRow("line of blanks")
            << QByteArray("   \r\n") << invalid << np << true << QStringList{"   "};
        QTest::newRow("letters only")
            << QByteArray("hello\r\n") << invalid << np << true << QStringList{"hello"};
        QTest::newRow("two equals, one comma")
            << QByteArray("a=b=c,d\r\n") << invalid << np << true << QStringList{"a=b=c,d"};
    }

    // Invalid rows carry the offending line as their only "row".
    void reads()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, status);
        QFETCH(QString, viewer);
        QFETCH(bool, dividers);
        QFETCH(QStringList, rows);
        QVERIFY(WriteFile(Ini(), file));

        const config::ReadResult result = config::ReadConfigFile();
        QCOMPARE(int(result.status), status);
        if (result.status == Status::Invalid) {
            QCOMPARE(result.invalidLine, rows.value(0));
            return;
        }
        QCOMPARE(modMain::ExtViewer, viewer);
        QCOMPARE(modMain::UseDividers, dividers);
        QStringList got;
        for (qsizetype i = 1; i < modMain::FolderNames.size(); ++i)
            got << modMain::FolderNames[i] + u'|' + modMain::FolderPaths[i] + u'|' +
                       modMain::FolderFilters[i];
        QCOMPARE(got, rows);
        QCOMPARE(modMain::FolderNames.value(0), QString());
    }

    void invalidMessageNamesTheLine()
    {
        QCOMPARE(config::InvalidDataText(QStringLiteral("a,b")),
                 QStringLiteral("Invalid data in Tarvisk.ini, please verify that syntax rules are "
                                "followed\n\nUnable to interpret: a,b"));
    }

    void missingFileIsCreatedEmpty()
    {
        const config::ReadResult result = config::ReadConfigFile();
        QCOMPARE(result.status, Status::Created);
        QVERIFY(QFileInfo::exists(Ini()));
        QCOMPARE(QFileInfo(Ini()).size(), 0);
        QCOMPARE(modMain::ExtViewer, QStringLiteral("xdg-open"));
        QVERIFY(modMain::UseDividers);
    }

    void unreadableFileIsAFailure()
    {
        QVERIFY(QDir().mkpath(Ini())); // a folder where the file should be
        const config::ReadResult result = config::ReadConfigFile();
        QDir().rmdir(Ini());
        QCOMPARE(result.status, Status::Failed);
        QVERIFY(!result.failure.isEmpty());
        QVERIFY(result.failure.front().isDigit());
    }

    void writtenLayout()
    {
        const QByteArray bytes = config::FormatConfigFile(
            QStringLiteral("notepad.exe"), true,
            {{QStringLiteral("Web server"), QStringLiteral("D:\\Logs\\Web"),
              QStringLiteral("exyymmdd.log")}});
        QCOMPARE(bytes, QByteArray(";\r\n; Tarvisk Application ini-file \r\n; Quorvel, 2003\r\n"
                                   ";\r\nEXTVIEWER=notepad.exe\r\nSPLITLINES=TRUE\r\n;\r\n"
                                   "Web server,D:\\Logs\\Web,exyymmdd.log\r\n"));
        QVERIFY(config::FormatConfigFile({}, false, {}).contains("\r\nSPLITLINES=FALSE\r\n"));
    }

    void writeThenReadGivesTheSame()
    {
        const QList<LogFolder> rows = {{"Proxy", "/var/log/squid", "accessyyyymmdd.log"},
                                       {"", "", ""},
                                       {"Ünïcode é", "/srv/logs dir", "*.*"}};
        QString error;
        const QByteArray first = config::FormatConfigFile(" vi -R", false, rows);
        QVERIFY(config::WriteConfigFile(Ini(), first, &error));
        QCOMPARE(config::ReadConfigFile().status, Status::Read);
        QCOMPARE(modMain::ExtViewer, QStringLiteral(" vi -R"));
        QCOMPARE(modMain::UseDividers, false);
        QList<LogFolder> got;
        for (qsizetype i = 1; i < modMain::FolderNames.size(); ++i)
            got.append(
                {modMain::FolderNames[i], modMain::FolderPaths[i], modMain::FolderFilters[i]});
        QCOMPARE(got, rows);
        // A second save of what was read writes the same bytes.
        QCOMPARE(config::FormatConfigFile(modMain::ExtViewer, modMain::UseDividers, got), first);
    }

    void fortyThousandFolderLines()
    {
        QByteArray file = ";\r\n";
        for (int i = 0; i < 40000; ++i)
            file += "Folder " + QByteArray::number(i) + ",/var/log/f" + QByteArray::number(i) +
                    ",exyymmdd.log\r\n";
        QVERIFY(WriteFile(Ini(), file));
        QCOMPARE(config::ReadConfigFile().status, Status::Read);
        QCOMPARE(modMain::FolderNames.size(), 40001);
        QCOMPARE(modMain::FolderPaths.last(), QStringLiteral("/var/log/f39999"));
    }

    void failedSaveKeepsTheOldFile_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("full file system") << false;
        QTest::newRow("read-only folder") << true;
    }

    void failedSaveKeepsTheOldFile()
    {
        QFETCH(bool, readOnly);
        if (!MountTmpfs(QStringLiteral("size=64k")))
            QSKIP("cannot mount a file system here (needs root)");
        const QString ini = m_mountPoint + QStringLiteral("/tarvisk.ini");
        const QByteArray old = config::FormatConfigFile("vi", true, {{"a", "b", "c"}});
        QVERIFY(WriteFile(ini, old));
        if (readOnly) {
            QCOMPARE(QProcess::execute("mount", {"-o", "remount,ro", m_mountPoint}), 0);
        } else {
            QFile filler(m_mountPoint + QStringLiteral("/filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            const QByteArray block(4096, 'x');
            while (filler.write(block) > 0) {
            }
        }
        QList<LogFolder> many;
        for (int i = 0; i < 2000; ++i)
            many.append({"Folder", "/var/log/somewhere", "exyymmdd.log"});
        QString error;
        QVERIFY(!config::WriteConfigFile(ini, config::FormatConfigFile("vi", false, many), &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(ReadFile(ini), old);
    }

    void specialFileIsNotReadAndNotWaitedFor()
    {
        QCOMPARE(mkfifo(QFile::encodeName(Ini()).constData(), 0600), 0);
        const config::ReadResult result = config::ReadConfigFile();
        QFile::remove(Ini());
        QCOMPARE(result.status, Status::Failed);
        QVERIFY(result.failure.front().isDigit());
    }

    // A folder that takes no new file (read-only), holding a file that can still be written.
    void inPlaceSave_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("saved");
        QTest::newRow("shorter") << 0 << true;
        QTest::newRow("longer") << 20 << true;
        QTest::newRow("file system full part-way") << 4000 << false;
    }

    void inPlaceSave()
    {
        QFETCH(int, rows);
        QFETCH(bool, saved);
        if (!MountTmpfs(QStringLiteral("size=128k")))
            QSKIP("cannot mount a file system here (needs root)");
        const QString ini = m_mountPoint + QStringLiteral("/tarvisk.ini");
        QList<LogFolder> many(40, {"Folder", "/var/log/somewhere", "exyymmdd.log"});
        const QByteArray old = config::FormatConfigFile("vi", true, many);
        QVERIFY(WriteFile(ini, old));
        QFile filler(m_mountPoint + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly) && filler.write(QByteArray(100000, 'x')));
        filler.close();
        QCOMPARE(QProcess::execute("mount", {"--bind", ini, ini}), 0);
        QCOMPARE(QProcess::execute("mount", {"-o", "remount,bind,ro", m_mountPoint}), 0);
        const QByteArray content = config::FormatConfigFile(
            "vim", false, many.mid(0, rows) + QList<LogFolder>(rows, many[0]));
        QString error;
        QCOMPARE(config::WriteConfigFile(ini, content, &error), saved);
        QCOMPARE(ReadFile(ini), saved ? content : old);
    }

    void iniBesideProgramOrInUserFolder()
    {
        const QString program = m_dir.filePath(QStringLiteral("program"));
        const QString user = m_dir.filePath(QStringLiteral("user/config"));
        QVERIFY(QDir().mkpath(program));
        QCOMPARE(config::ChooseIniPath(program, user), program + QStringLiteral("/tarvisk.ini"));
        if (!MountTmpfs(QStringLiteral("size=64k,ro")))
            QSKIP("cannot mount a file system here (needs root)");
        QCOMPARE(config::ChooseIniPath(m_mountPoint, user), user + QStringLiteral("/tarvisk.ini"));
        QVERIFY(QFileInfo(user).isDir());
    }
};

QTEST_GUILESS_MAIN(TestConfigFile)
#include "tst_configfile.moc"
