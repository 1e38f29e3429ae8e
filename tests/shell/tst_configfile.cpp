#include "TestFiles.h"
#include "settings/modMain.h"
#include "shell/ConfigStore.h"

#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

class TestConfigFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    modMain::Settings m_settings;
    QList<LogFolder> m_folders;

    // Reads `bytes` as the configuration file: the viewer ("+": divider lines on) and then
    // Name|Path|Filter of each folder; or "Invalid", the line's number and the line.
    QStringList Read(const QByteArray& bytes)
    {
        m_settings = {};
        const config::ParsedConfig r = config::ParseConfig(bytes, m_settings);
        if (r.invalidNumber > 0)
            return {QStringLiteral("Invalid %1: ").arg(r.invalidNumber) + r.invalidLine};
        m_folders = r.folders;
        QStringList read{m_settings.ExtViewer + (m_settings.UseDividers ? "+" : "")};
        for (const LogFolder& f : m_folders)
            read << f.Name + u'|' + f.Path + u'|' + f.Filter;
        return read;
    }

private Q_SLOTS:
    // Each row: the file, then what it reads as.
    void reads()
    {
        const QList<QStringList> rows = {
            // Keys without case or blanks around; the last SPLITLINES counts, other keys do not.
            {";\r\n; x=1,2,3\r\nSPLITLINES=false\r\n  splitlines  =  True  \r\nCOLOR=red\r\n"
             " extViewer = My View\r\n",
             " My View+"},
            {"SPLITLINES=\tTRUE\r\nEXTVIEWER=\r\n", "xdg-open"}, // a tab is no blank
            {"\xEF\xBB\xBF;\na,b,c\r\n,,\r\n a , b ,c \na=b,c=d,e\rEXTVIEWER=vi\rx,y,z", "vi+",
             "a|b|c", "||", " a | b |c ", "a=b|c=d|e", "x|y|z"},
            {"a,b,c,d\r\n", "Invalid 1: a,b,c,d"},
            // Blank lines are skipped; numbers count every line, blank ones too.
            {"EXTVIEWER=vi\r\n\r\n \t \n\n\rSPLITLINES=TRUE\r\n\r\nx,y,z\r\n", "vi+", "x|y|z"},
            {";\r\n\r\n;\n\rhello\r\n", "Invalid 5: hello"},
            {"a=b=c,d\r\n", "Invalid 1: a=b=c,d"}};
        for (const QStringList& row : rows)
            QCOMPARE(Read(row[0].toUtf8()), row.mid(1));
    }

    // Each row: the file as read; the rows after this run's edits ("k": folder line k as read,
    // "k=" or "+" and a line: folder line k changed, a new row); the divider setting; the bytes
    // Quit writes; whether the close box asks; the file at Quit if another window saved it, and the
    // lines this run changed that it lacks. fuzz_config reads every saved file back.
    void save_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("dividers");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QByteArray>("meanwhile");
        QTest::addColumn<QStringList>("missing");
        const QByteArray header = ";\r\n; Tarvisk Application ini-file \r\n; Quorvel, 2003\r\n;\r\n"
                                  "EXTVIEWER=xdg-open\r\nSPLITLINES=TRUE\r\n;\r\n";
        QTest::newRow("comments, LF, remove and add")
            << QByteArray("; my note\n\n;\nEXTVIEWER=vi\nSPLITLINES=TRUE\nA,/a,a\n; mid\n"
                          "B,/b,b\n\n; tail\n")
            << QStringList{"0", "+C,/c,c"} << false
            << QByteArray("; my note\n\n;\nEXTVIEWER=vi\nSPLITLINES=FALSE\nA,/a,a\n; mid\n"
                          "C,/c,c\n\n; tail\n")
            << true << QByteArray() << QStringList();
        QTest::newRow("BOM, CR LF, changed in place, last line without end")
            << QByteArray("\xEF\xBB\xBF;\r\nEXTVIEWER=vi\r\nSPLITLINES=FALSE\r\nA,/a,a\r\nB,/b,b")
            << QStringList{"0= Wéb; server ,/var/log/my \"web\",a", "1", "+,,", "+\uFEFFbom,/p,f"}
            << false
            << QByteArray("\xEF\xBB\xBF;\r\nEXTVIEWER=vi\r\nSPLITLINES=FALSE\r\n"
                          " Wéb; server ,/var/log/my \"web\",a\r\nB,/b,b\r\n,,\r\n"
                          "\xEF\xBB\xBF"
                          "bom,/p,f\r\n")
            << true << QByteArray() << QStringList();
        QTest::newRow("keys missing: after the header comments, ends of the first line")
            << QByteArray("; hand\n\nA,/a,a\r\n") << QStringList{"0"} << true
            << QByteArray("; hand\nEXTVIEWER=xdg-open\nSPLITLINES=TRUE\n\nA,/a,a\r\n") << false
            << QByteArray() << QStringList();
        QTest::newRow("SPLITLINES missing: after the viewer, CR")
            << QByteArray(";\rEXTVIEWER=vi\r;\rA,/a,a\r") << QStringList{"0"} << false
            << QByteArray(";\rEXTVIEWER=vi\rSPLITLINES=FALSE\r;\rA,/a,a\r") << true << QByteArray()
            << QStringList();
        QTest::newRow("keys after the folders, repeated: the last rewritten, empty viewer")
            << QByteArray("A,/a,a\r\nEXTVIEWER=a\r\nsplitlines=true\r\n extviewer=\r\n"
                          " SPLITLINES = TRUE \r\n")
            << QStringList{} << false
            << QByteArray("EXTVIEWER=a\r\nsplitlines=true\r\nEXTVIEWER=xdg-open\r\n"
                          "SPLITLINES=FALSE\r\n")
            << true << QByteArray() << QStringList();
        QTest::newRow("unchanged: every byte, also a line not in this system's encoding")
            << QByteArray(";x\r\nEXTVIEWER= vi -R\r\nSPLITLINES=no\r\n \r\n"
                          "Old,/srv/caf\xE9 logs,ex\xFFyymmdd.log\r\n;")
            << QStringList{"0"} << false
            << QByteArray(";x\r\nEXTVIEWER= vi -R\r\nSPLITLINES=no\r\n \r\n"
                          "Old,/srv/caf\xE9 logs,ex\xFFyymmdd.log\r\n;")
            << false << QByteArray() << QStringList();
        QTest::newRow("a lone CR must not join a blank line's LF")
            << QByteArray("\r,,\n\n") << QStringList{"0=Changed,,"} << true
            << QByteArray("EXTVIEWER=xdg-open\rSPLITLINES=TRUE\r\rChanged,,\r\n\n") << true
            << QByteArray() << QStringList();
        QTest::newRow("empty: the header")
            << QByteArray() << QStringList{"+A,/a,a"} << true << header + "A,/a,a\r\n"
            << true << QByteArray() << QStringList();
        QTest::newRow("no folder line: new ones at the end")
            << QByteArray("\xEF\xBB\xBF") << QStringList{} << false
            << "\xEF\xBB\xBF" + QByteArray(header).replace("TRUE", "FALSE") << true << QByteArray()
            << QStringList();
        const QByteArray three =
            "EXTVIEWER=vi\r\nSPLITLINES=TRUE\r\n1,/1,a\r\n2,/2,b\r\n3,/3,c\r\n";
        QTest::newRow("two windows: B removes folder 1 and adds one while A edited 3 and added one")
            << three << QStringList{"1", "2", "+B only,/b,b"} << true
            << QByteArray("EXTVIEWER=vi\r\nSPLITLINES=TRUE\r\n2,/2,b\r\n3 A,/3,c\r\nA only,/a,a\r\n"
                          "B only,/b,b\r\n")
            << true << QByteArray(three).replace("3,/3", "3 A,/3") + "A only,/a,a\r\n"
            << QStringList();
        QTest::newRow("two windows: lines moved, found by their text; A's divider setting stays")
            << three << QStringList{"0", "1=2 B,/2,b", "2"} << true
            << QByteArray("EXTVIEWER=vi\r\nSPLITLINES=FALSE\r\n0,,\n2 B,/2,b\r\n3,/3,c\r\n") << true
            << QByteArray("EXTVIEWER=vi\r\nSPLITLINES=FALSE\r\n0,,\n2,/2,b\r\n3,/3,c\r\n")
            << QStringList();
        QTest::newRow("two windows: an edited and a removed line gone are named, not guessed")
            << three << QStringList{"0=1 B,/1,a", "2"} << false
            << QByteArray("EXTVIEWER=vi\r\nSPLITLINES=FALSE\r\n3,/3,c\r\n") << true
            << QByteArray("EXTVIEWER=vi\r\nSPLITLINES=TRUE\r\n3,/3,c\r\n")
            << QStringList{"1,/1,a", "2,/2,b"};
    }

    void save()
    {
        QFETCH(QByteArray, before);
        QFETCH(QStringList, rows);
        QFETCH(bool, dividers);
        QFETCH(QByteArray, after);
        QFETCH(bool, changed);
        QFETCH(QByteArray, meanwhile);
        QFETCH(QStringList, missing);
        QVERIFY(!Read(before).value(0).startsWith("Invalid"));
        QList<config::FolderRow> edited;
        for (const QString& row : rows) {
            const qsizetype origin = row.startsWith(u'+') ? -1 : row.section(u'=', 0, 0).toInt();
            const QStringList f =
                row.contains(u',')
                    ? row.mid(row.indexOf(row.startsWith(u'+') ? u'+' : u'=') + 1).split(u',')
                    : QStringList{m_folders[origin].Name, m_folders[origin].Path,
                                  m_folders[origin].Filter};
            edited.append({{f[0], f[1], f[2]}, origin});
        }
        const config::IniText read = config::SplitLines(before);
        const config::AppliedChanges saved = config::ApplyChanges(
            read, config::SplitLines(meanwhile.isNull() ? before : meanwhile), dividers, edited);
        QCOMPARE(saved.bytes, after);
        QCOMPARE(saved.missing, missing);
        QCOMPARE(config::FoldersChanged(read, dividers, edited), changed);
    }

    // Where the folder takes no new file but the file itself can be written, the file is
    // rewritten in place: shorter, longer, and when the disk fills part-way, not at all.
    void saveInPlace()
    {
        const QString mnt = m_dir.filePath(QStringLiteral("mnt"));
        const QString ini = mnt + QStringLiteral("/tarvisk.ini");
        if (!QDir().mkpath(mnt) ||
            QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=128k", "tmpfs", mnt}) != 0)
            QSKIP("cannot mount a file system here (needs root)");
        const auto unmount = qScopeGuard([&mnt] { QProcess::execute("umount", {"-R", mnt}); });
        const LogFolder row{"Folder", "/var/log/somewhere", "exyymmdd.log"};
        QByteArray old = config::FormatConfigFile("vi", true, QList<LogFolder>(40, row));
        QVERIFY(WriteFile(ini, old));
        QCOMPARE(QProcess::execute("mount", {"--bind", ini, ini}), 0);
        QCOMPARE(QProcess::execute("mount", {"-o", "remount,bind,ro", mnt}), 0);
        for (const int rows : {0, 60, 8000}) {
            const QByteArray content =
                config::FormatConfigFile("vim", false, QList<LogFolder>(rows, row));
            QString error;
            QCOMPARE(config::WriteConfigFile(ini, content, &error), rows < 8000);
            QCOMPARE(error.isEmpty(), rows < 8000);
            QCOMPARE(ReadFile(ini), rows < 8000 ? content : old);
            old = content;
        }
    }
};

QTEST_GUILESS_MAIN(TestConfigFile)
#include "tst_configfile.moc"
