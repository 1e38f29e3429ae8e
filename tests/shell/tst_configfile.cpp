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
    static QList<LogFolder> ReadRows()
    {
        QList<LogFolder> rows;
        for (qsizetype i = 1; i < modMain::FolderNames.size(); ++i)
            rows.append(
                {modMain::FolderNames[i], modMain::FolderPaths[i], modMain::FolderFilters[i]});
        return rows;
    }
    // A small file system of our own, so that a save can meet a full disk or a read-only one.
    bool Mount(const QString& options)
    {
        m_mountPoint = m_dir.filePath(QStringLiteral("mnt"));
        QDir().mkpath(m_mountPoint);
        return QProcess::execute("mount", {"-t", "tmpfs", "-o", options, "tmpfs", m_mountPoint}) ==
               0;
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
            QProcess::execute("umount", {"-R", m_mountPoint});
        m_mountPoint.clear();
    }

    void reads_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("viewer"); // xdg-open: the start value
        QTest::addColumn<bool>("dividers");
        QTest::addColumn<QStringList>("rows"); // Name|Path|Filter; Invalid: the offending line
        const auto row = [](const char* name, const char* file, const char* viewer, bool dividers,
                            const QStringList& rows) {
            QTest::newRow(name) << QByteArray(file) << QString::fromLatin1(viewer) << dividers
                                << rows;
        };
        const char* np = "xdg-open";
        row("comments only", ";\r\n; x=1,2,3\r\n;\r\n", np, true, {});
        // Keys without case or blanks around; the last SPLITLINES counts, other keys do not.
        row("settings",
            "SPLITLINES=false\r\n  splitlines  =  True  \r\nCOLOR=red\r\n"
            " extViewer = My View\r\n",
            " My View", true, {});
        row("tab is not a blank", "SPLITLINES=\tTRUE\r\n", np, false, {});
        row("empty viewer: the start value", "EXTVIEWER=\r\n", np, true, {});
        row("folders in order, as written", "a,b,c\r\n,,\r\n a , b ,c \r\na=b,c=d,e\r\n", np, true,
            {"a|b|c", "||", " a | b |c ", "a=b|c=d|e"});
        row("byte-order mark, lone LF and CR", "\xEF\xBB\xBF;\nEXTVIEWER=vi\rx,y,z", "vi", true,
            {"x|y|z"});
        row("four fields", "a,b,c,d\r\n", "", true, {"a,b,c,d"});
        row("blank line", ";\r\n\r\n;\r\n", "", true, {""});
        row("letters only", "hello\r\n", "", true, {"hello"});
        row("two equals, one comma", "a=b=c,d\r\n", "", true, {"a=b=c,d"});
    }

    void reads()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, viewer);
        QFETCH(bool, dividers);
        QFETCH(QStringList, rows);
        QVERIFY(WriteFile(Ini(), file));
        const config::ReadResult result = config::ReadConfigFile();
        QCOMPARE(result.status, viewer.isEmpty() ? Status::Invalid : Status::Read);
        if (result.status == Status::Invalid) {
            QCOMPARE(result.invalidLine, rows.value(0));
            return;
        }
        QCOMPARE(modMain::ExtViewer, viewer);
        QCOMPARE(modMain::UseDividers, dividers);
        QStringList got;
        for (const LogFolder& f : ReadRows())
            got << f.Name + u'|' + f.Path + u'|' + f.Filter;
        QCOMPARE(got, rows);
        QCOMPARE(modMain::FolderNames.value(0), QString());
    }

    void writtenLayout()
    {
        QCOMPARE(
            config::FormatConfigFile("notepad.exe", true, {{"Web", "D:\\Web", "ex.log"}}),
            QByteArray(";\r\n; Tarvisk Application ini-file \r\n; Quorvel, 2003\r\n;\r\n"
                       "EXTVIEWER=notepad.exe\r\nSPLITLINES=TRUE\r\n;\r\nWeb,D:\\Web,ex.log\r\n"));
    }

    // What the editor accepts reads back the same; a row read from a line that is not valid
    // UTF-8 is written again with its bytes; 40 000 rows read quickly.
    void roundTrip()
    {
        QList<LogFolder> rows = {{" Wéb; server ", "/var/log/my \"web\"", "accessyyyymmdd.log"},
                                 {"", "", ""},
                                 {"Proxy", "/srv/logs dir", "*.*"}};
        const QByteArray foreign = "Old,/srv/caf\xE9 logs,ex\xFFyymmdd.log\r\n";
        const QByteArray first = config::FormatConfigFile(" vi -R", false, rows) + foreign;
        QString error;
        QVERIFY(config::WriteConfigFile(Ini(), first, &error));
        QCOMPARE(config::ReadConfigFile().status, Status::Read);
        QCOMPARE(modMain::ExtViewer, QStringLiteral(" vi -R"));
        QVERIFY(!modMain::UseDividers);
        const QList<LogFolder> got = ReadRows();
        QCOMPARE(got.mid(0, 3), rows);
        QCOMPARE(config::FormatConfigFile(" vi -R", false, got, modMain::FolderLines.mid(1)),
                 first);
        rows = QList<LogFolder>(40000, {"Folder", "/var/log/f", "exyymmdd.log"});
        QVERIFY(WriteFile(Ini(), config::FormatConfigFile("vi", true, rows)));
        QCOMPARE(config::ReadConfigFile().status, Status::Read);
        QCOMPARE(ReadRows(), rows);
    }

    // A missing file is created empty; a FIFO or a folder in its place is not read (nor waited
    // for) and stays as it was.
    void notARegularFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "";
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("folder") << "folder";
    }

    void notARegularFile()
    {
        QFETCH(QString, kind);
        if (kind == "fifo")
            QCOMPARE(mkfifo(QFile::encodeName(Ini()).constData(), 0600), 0);
        else if (kind == "folder")
            QVERIFY(QDir().mkpath(Ini()));
        const config::ReadResult result = config::ReadConfigFile();
        const QFileInfo after(Ini());
        QCOMPARE(result.status, kind.isEmpty() ? Status::Created : Status::Failed);
        QCOMPARE(after.isFile() && after.size() == 0, kind.isEmpty());
        QCOMPARE(after.isDir(), kind == "folder");
        QCOMPARE(result.failure.isEmpty(), kind.isEmpty());
        QVERIFY(kind.isEmpty() || result.failure.front().isDigit());
        QDir().rmdir(Ini());
        QFile::remove(Ini());
    }

    // A save that fails leaves the old bytes. "in place": the folder takes no new file but the
    // file itself can be written.
    void save_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("saved");
        QTest::newRow("full file system") << "full" << 2000 << false;
        QTest::newRow("read-only file system") << "read-only" << 1 << false;
        QTest::newRow("in place, shorter") << "in place" << 0 << true;
        QTest::newRow("in place, longer") << "in place" << 60 << true;
        QTest::newRow("in place, full part-way") << "in place" << 8000 << false;
    }

    void save()
    {
        QFETCH(QString, where);
        QFETCH(int, rows);
        QFETCH(bool, saved);
        if (!Mount(QStringLiteral("size=128k")))
            QSKIP("cannot mount a file system here (needs root)");
        const QString ini = m_mountPoint + QStringLiteral("/tarvisk.ini");
        const LogFolder row{"Folder", "/var/log/somewhere", "exyymmdd.log"};
        const QByteArray old = config::FormatConfigFile("vi", true, QList<LogFolder>(40, row));
        QVERIFY(WriteFile(ini, old));
        QFile filler(m_mountPoint + QStringLiteral("/filler"));
        if (where == "read-only") {
            QCOMPARE(QProcess::execute("mount", {"-o", "remount,ro", m_mountPoint}), 0);
        } else if (where == "full") {
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            while (filler.write(QByteArray(4096, 'x')) > 0) {
            }
        } else {
            QVERIFY(filler.open(QIODevice::WriteOnly) && filler.write(QByteArray(100000, 'x')));
            filler.close();
            QCOMPARE(QProcess::execute("mount", {"--bind", ini, ini}), 0);
            QCOMPARE(QProcess::execute("mount", {"-o", "remount,bind,ro", m_mountPoint}), 0);
        }
        const QByteArray content =
            config::FormatConfigFile("vim", false, QList<LogFolder>(rows, row));
        QString error;
        QCOMPARE(config::WriteConfigFile(ini, content, &error), saved);
        QCOMPARE(error.isEmpty(), saved);
        QCOMPARE(ReadFile(ini), saved ? content : old);
    }

    void iniBesideProgramOrInUserFolder()
    {
        const QString program = m_dir.filePath(QStringLiteral("program"));
        const QString user = m_dir.filePath(QStringLiteral("user/config"));
        QVERIFY(QDir().mkpath(program));
        QCOMPARE(config::ChooseIniPath(program, user), program + QStringLiteral("/tarvisk.ini"));
        if (!Mount(QStringLiteral("size=64k,ro")))
            QSKIP("cannot mount a file system here (needs root)");
        QCOMPARE(config::ChooseIniPath(m_mountPoint, user), user + QStringLiteral("/tarvisk.ini"));
        QVERIFY(QFileInfo(user).isDir());
    }
};

QTEST_GUILESS_MAIN(TestConfigFile)
#include "tst_configfile.moc"
