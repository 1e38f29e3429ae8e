#include "TestFiles.h"
#include "settings/modMain.h"
#include "shell/ConfigFile.h"

#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using Status = config::ReadResult::Status;

class TestConfigFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Ini() const { return m_dir.filePath(QStringLiteral("tarvisk.ini")); }
    // Reads `bytes` as the configuration file: the viewer ("+": divider lines on) and then
    // Name|Path|Filter of each folder; or "Invalid: " and the offending line.
    QStringList Read(const QByteArray& bytes) const
    {
        modMain::SetStartValues();
        modMain::IniPath = Ini();
        if (!WriteFile(Ini(), bytes))
            return {"not written"};
        const config::ReadResult r = config::ReadConfigFile();
        if (r.status != Status::Read)
            return {r.status == Status::Invalid ? "Invalid: " + r.invalidLine : "not read"};
        QStringList read{modMain::ExtViewer + (modMain::UseDividers ? "+" : "")};
        for (qsizetype i = 1; i < modMain::FolderNames.size(); ++i)
            read << modMain::FolderNames[i] + u'|' + modMain::FolderPaths[i] + u'|' +
                        modMain::FolderFilters[i];
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
            {"a,b,c,d\r\n", "Invalid: a,b,c,d"},
            {";\r\n\r\n;\r\n", "Invalid: "},
            {"hello\r\n", "Invalid: hello"},
            {"a=b=c,d\r\n", "Invalid: a=b=c,d"}};
        for (const QStringList& row : rows)
            QCOMPARE(Read(row[0].toUtf8()), row.mid(1));
    }

    // The written layout; what the editor accepts reads back the same; a row read from a line
    // that is not valid UTF-8 is written again with its bytes.
    void roundTrip()
    {
        const QList<LogFolder> rows = {{" Wéb; server ", "/var/log/my \"web\"", "ex.log"},
                                       {"", "", ""},
                                       {QChar(0xFEFF) + QString("bom"), "/p", "f"}};
        const QByteArray first = ";\r\n; Tarvisk Application ini-file \r\n; Quorvel, 2003\r\n;\r\n"
                                 "EXTVIEWER= vi -R\r\nSPLITLINES=FALSE\r\n;\r\n"
                                 " Wéb; server ,/var/log/my \"web\",ex.log\r\n,,\r\n"
                                 "\xEF\xBB\xBF"
                                 "bom,/p,f\r\n";
        const QByteArray foreign = "Old,/srv/caf\xE9 logs,ex\xFFyymmdd.log\r\n";
        QCOMPARE(config::FormatConfigFile(" vi -R", false, rows), first);
        QCOMPARE(Read(first + foreign).mid(0, 4),
                 (QStringList{" vi -R", " Wéb; server |/var/log/my \"web\"|ex.log", "||",
                              QChar(0xFEFF) + QString("bom|/p|f")}));
        const LogFolder old{modMain::FolderNames[4], modMain::FolderPaths[4],
                            modMain::FolderFilters[4]};
        QCOMPARE(config::FormatConfigFile(" vi -R", false, rows + QList{old},
                                          modMain::FolderLines.mid(1)),
                 first + foreign);
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
