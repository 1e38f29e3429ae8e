#include "FakeMessageBox.h"
#include "TestFiles.h"
#include "folders/FileListBox.h"
#include "reading/OutputView.h"
#include "settings/modMain.h"
#include "shell/ConfigFile.h"
#include "shell/frmMain.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <sys/stat.h>
#include <unistd.h>

// The main window driven by clicks: the configuration file read at start and written by Quit,
// the file list of a folder, the file commands' enabled states, Tail, and following a log that
// a separate process writes.
class TestFrmMain : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeMessageBox m_messages;
    std::unique_ptr<frmMain> m_window;

    template <typename T> T* Get(const char* name) const
    {
        return m_window->findChild<T*>(QString::fromLatin1(name));
    }
    QString Logs() const { return m_dir->filePath(QStringLiteral("logs")); }
    FileListBox* Files() const { return Get<FileListBox>("File1"); }

    QString Ini() const { return m_dir->filePath(QStringLiteral("tarvisk.ini")); }

    // The load sequence on `ini` as the configuration file (null: none); false when the
    // program must end.
    bool Load(const QByteArray& ini)
    {
        if (!ini.isNull() && !WriteFile(Ini(), ini))
            return false;
        m_window = std::make_unique<frmMain>(m_messages, m_dir->path());
        return m_window->Form_Load();
    }

    void Start(const QList<LogFolder>& folders)
    {
        QVERIFY(Load(config::FormatConfigFile("vi", true, folders)));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    static void Click(QAbstractItemView* view, int row, bool twice = false)
    {
        const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        if (twice)
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    }
    void Press(const char* button) { QTest::mouseClick(Get<QPushButton>(button), Qt::LeftButton); }
    void ClickFolder(int row) { Click(Get<QTreeWidget>("ListView1"), row); }

    static QStringList Texts(const QAbstractItemModel* model)
    {
        QStringList texts;
        for (int i = 0; i < model->rowCount(); ++i)
            texts << model->index(i, 0).data().toString();
        return texts;
    }
    // The lines shown; without the dividers between polls, whose layout is the monitor's.
    QStringList Shown(bool dividers = true) const
    {
        QStringList lines = Texts(Get<OutputView>("lstRows")->model());
        if (!dividers)
            lines.removeIf([](const QString& line) {
                return line.isEmpty() || (line.startsWith(QStringLiteral("Current Time ")) &&
                                          !line.contains(QStringLiteral(" continued in ")));
            });
        return lines;
    }

    // Writes lines first..first+count-1 and waits until a poll after the last write.
    static void Write(const QString& path, const char* ends, int first, int count)
    {
        QProcess writer;
        writer.start(
            QStringLiteral(LOG_WRITER),
            {path, QString::number(count), QString::fromLatin1(ends), QString::number(first)});
        QVERIFY(writer.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(writer.state() == QProcess::NotRunning, 60000);
        QCOMPARE(writer.exitCode(), 0);
        QTest::qWait(2300);
    }

    // View, Tail, Continous and Stop: 1 enabled, 0 not.
    QString Commands() const
    {
        QString states;
        for (const char* name : {"cmdView", "cmdTail", "cmdContinous", "cmdStop"})
            states += Get<QPushButton>(name)->isEnabled() ? u'1' : u'0';
        return states;
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QDir().mkpath(Logs() + QStringLiteral("/ex999999.log")); // a folder is not a file
        for (const char* name : {"ex030123.log", "EX040101.LOG", "ex 030124 (copy).log",
                                 "WEBEXTD20030123.log", "notes"})
            QVERIFY(WriteFile(Logs() + u'/' + QString::fromLatin1(name), "x\r\n"));
        m_messages.shown.clear();
        modMain::SetStartValues();
    }

    void cleanup() { m_window.reset(); }

    void missingConfigurationIsCreated()
    {
        QVERIFY(Load({}));
        QVERIFY(QFileInfo(Ini()).isFile() && QFileInfo(Ini()).size() == 0);
        QVERIFY(m_messages.shown.isEmpty());
        QCOMPARE(Get<QTreeWidget>("ListView1")->topLevelItemCount(), 0);
        QVERIFY(Get<QCheckBox>("chkDivider")->isChecked());
        QCOMPARE(Get<QLineEdit>("txtFilter")->text(), QStringLiteral("*"));
    }

    void invalidLineEndsTheProgram()
    {
        QVERIFY(!Load(";\r\nok,fine,here\r\nnot a folder\r\nlater,line,x\r\n"));
        QCOMPARE(m_messages.shown.size(), 1);
        QVERIFY(m_messages.shown[0].text.endsWith("Unable to interpret: not a folder"));
        QCOMPARE(m_messages.shown[0].icon, Message::Icon::Exclamation);
    }

    // Rows and settings are read at start; only Quit writes them back, and a row that was not
    // edited keeps its bytes, even those that are not valid UTF-8.
    void savedByQuitOnly_data()
    {
        QTest::addColumn<bool>("quit");
        QTest::newRow("Quit") << true;
        QTest::newRow("closed by the frame") << false;
    }

    void savedByQuitOnly()
    {
        QFETCH(bool, quit);
        const QByteArray foreign = "Old,/srv/caf\xE9 logs,ex\xFFyymmdd.log";
        const QByteArray before =
            ";\r\nEXTVIEWER=vi\r\nSPLITLINES=TRUE\r\n" + foreign + "\r\nB,/b,x\r\n";
        QVERIFY(Load(before));
        m_window->show();
        const QTreeWidgetItem* row = Get<QTreeWidget>("ListView1")->topLevelItem(1);
        QVERIFY(row && row->text(0) == "B" && row->text(1) == "/b" && row->text(2) == "x");
        QVERIFY(Get<QCheckBox>("chkDivider")->isChecked());
        Get<QCheckBox>("chkDivider")->click();
        if (quit)
            Press("cmdQuit");
        else
            QVERIFY(m_window->close());
        QVERIFY(m_window->StopRequested && !m_window->isVisible());
        const QByteArray after = ReadFile(Ini());
        if (quit)
            QVERIFY(after.contains("EXTVIEWER=vi\r\nSPLITLINES=FALSE\r\n") &&
                    after.endsWith(";\r\n" + foreign + "\r\nB,/b,x\r\n"));
        else
            QCOMPARE(after, before);
        QVERIFY(m_messages.shown.isEmpty());
    }

    // A file that could not be read at start, or a save that fails, leaves the file as it was;
    // the message names it and the window closes all the same.
    void quitThatCannotSave_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("no read permission") << "unreadable";
        QTest::newRow("folder gone before Quit") << "gone";
    }

    void quitThatCannotSave()
    {
        QFETCH(QString, kind);
        if (kind == "unreadable" && geteuid() == 0)
            QSKIP("root reads every file");
        const QByteArray bytes = ";\r\na,/a,x\r\n";
        QVERIFY(kind == "fifo" ? mkfifo(QFile::encodeName(Ini()).constData(), 0600) == 0
                               : WriteFile(Ini(), bytes) &&
                                     (kind == "gone" || QFile::setPermissions(Ini(), {})));
        QVERIFY(Load({}));
        const bool read = kind == "gone";
        QCOMPARE(m_messages.shown.size(), read ? 0 : 1);
        QCOMPARE(Get<QCheckBox>("chkDivider")->isChecked(), read);
        QCOMPARE(Get<QLineEdit>("txtFilter")->text(), QStringLiteral("*"));
        if (read)
            modMain::IniPath = m_dir->filePath(QStringLiteral("gone/tarvisk.ini"));
        Press("cmdQuit");
        QVERIFY(!m_window->isVisible());
        QVERIFY(m_messages.shown.last().text.contains(modMain::IniPath));
        QFile::setPermissions(Ini(), QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(QFileInfo(Ini()).isFile(), kind != "fifo"); // not replaced by a new file
        if (kind == "unreadable")
            QCOMPARE(ReadFile(Ini()), bytes);
    }

    // The second folder is chosen after the first, whose files must not stay listed.
    void fileListOfTheChosenFolder_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("folder"); // below the log folder
        auto row = [](const char* name, const char* filter, const QStringList& files,
                      const char* folder = "") {
            QTest::newRow(name) << QString::fromLatin1(filter) << files
                                << QString::fromLatin1(folder);
        };
        const QStringList ex = {"ex 030124 (copy).log", "ex030123.log", "EX040101.LOG"};
        row("exyymmdd.log", "exyymmdd.log", ex);
        row("WEBEXTDyyyymmdd.log", "WEBEXTDyyyymmdd.log", {"WEBEXTD20030123.log"});
        row("*.*", "*.*", ex + QStringList{"notes", "WEBEXTD20030123.log"});
        row("empty filter lists nothing", "", {});
        row("missing folder", "*.log", {}, "/gone");
    }

    void fileListOfTheChosenFolder()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, files);
        QFETCH(QString, folder);
        Start({{"Other", m_dir->path(), "*.*"}, {"Logs", Logs() + folder, filter}});
        ClickFolder(0);
        ClickFolder(1);
        QCOMPARE(Texts(Files()->model()), files);
        QCOMPARE(modMain::CurrentPath, Logs() + folder + u'/');
        QCOMPARE(m_messages.shown.size(), folder.isEmpty() ? 0 : 1);
        if (!folder.isEmpty())
            QCOMPARE(m_messages.shown[0].text, "Path not found: " + Logs() + folder + u'/');
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // Only a chosen file enables View, Tail and Continous; choosing a folder takes them away
    // again and stops following. A double click, Enter and the Tail button show the end of the
    // file, the newest line current and in view; a file gone since it was listed shows nothing.
    void fileCommandsAndTail()
    {
        QByteArray lines;
        for (int i = 0; i < 500; ++i)
            lines += "line " + QByteArray::number(i) + "\r\n";
        const QString path = Logs() + QStringLiteral("/ex030123.log");
        QVERIFY(WriteFile(path, lines));
        Start({{"Logs", Logs(), "exyymmdd.log"}});
        QCOMPARE(Commands(), QStringLiteral("0000"));
        ClickFolder(0);
        // Tabbing into the list makes a row current without choosing it.
        Files()->setFocus(Qt::TabFocusReason);
        QCOMPARE(Commands(), QStringLiteral("0000"));
        // A desktop set to open on one click sends "activated" for a click: not a double click.
        Q_EMIT Files()->itemActivated(Files()->item(0));
        QCOMPARE(Shown(), QStringList());
        QTest::keyClick(Files(), Qt::Key_Down); // to ex030123.log
        QCOMPARE(Commands(), QStringLiteral("1110"));
        QTest::keyClick(Files(), Qt::Key_Return);
        const QStringList shown = Shown();
        QVERIFY(shown.size() == 500 && shown[0] == "line 0" && shown[499] == "line 499");
        auto* view = Get<OutputView>("lstRows");
        QCOMPARE(view->currentIndex().row(), 499);
        const QRect row = view->visualRect(view->currentIndex());
        QVERIFY(row.top() >= 0 && row.bottom() <= view->viewport()->height());
        QCOMPARE(Get<QLabel>("lblFullPath")->text(), path);
        QCOMPARE(Get<QLabel>("lblFileSize")->text(), "Filesize: " + QString::number(lines.size()));
        QVERIFY(view->columnWidth(0) >= 6 * 7 + 8000); // by the first line's length

        Get<QPushButton>("cmdStop")->setEnabled(true); // as while following a file
        Click(Files(), 0, true);
        QCOMPARE(Commands(), QStringLiteral("1110"));
        QCOMPARE(Shown(), QStringList{"x"});
        const QString gone = Logs() + QStringLiteral("/ex 030124 (copy).log");
        QVERIFY(QFile::remove(gone));
        Press("cmdTail");
        QCOMPARE(Shown(), QStringList());
        QCOMPARE(Get<QLabel>("lblFullPath")->text(), gone);

        ClickFolder(0);
        QCOMPARE(Commands(), QStringLiteral("0000"));
        QVERIFY(m_window->StopRequested);
    }

    // One log followed through deletion, truncation and replacement by a rename, then into
    // the next day's file; Clear and Quit while following.
    void follow()
    {
        const QString folder = m_dir->filePath(QStringLiteral("follow"));
        const QDate today = QDate::currentDate();
        const QString old = folder + today.addDays(-1).toString(u"'/ex'yyMMdd'.log'");
        const QString next = folder + today.toString(u"'/ex'yyMMdd'.log'");
        QVERIFY(QDir().mkpath(folder) && WriteFile(old, "seed 1\r\nseed 2\r\n"));
        Start({{"Web", folder, "exyymmdd.log"}});
        ClickFolder(0);
        Click(Files(), 0);
        Press("cmdContinous");
        QCOMPARE(Commands(), QStringLiteral("1101"));

        // Every kind of line end; a poll sees each change to the file before the next write.
        Write(old, "mixed", 0, 600);
        QVERIFY(QFile::remove(old));
        QTest::qWait(1200);
        Write(old, "mixed", 600, 600);
        QVERIFY(QFile::resize(old, 0));
        QTest::qWait(1200);
        Write(old, "mixed", 1200, 600);
        QVERIFY(QFile::rename(old, old + QStringLiteral(".1")));
        QTest::qWait(1200);
        Write(old, "mixed", 1800, 600);
        Write(next, "lf", 2400, 300);
        QVERIFY(!QTest::currentTestFailed());

        // Every line once and in order; line n reads "line n " and then only the letter n picks.
        const QStringList shown = Shown(false);
        QCOMPARE(shown.size(), 2 + 2400 + 1 + 300);
        QCOMPARE(shown.first(2), (QStringList{"seed 1", "seed 2"}));
        QVERIFY(shown[2402].endsWith(" continued in " + QFileInfo(next).fileName()));
        for (int n = 0; n < 2700; ++n) {
            const QString& line = shown[n < 2400 ? n + 2 : n + 3];
            const QRegularExpression expected(
                QStringLiteral("^line %1 [%2]*$").arg(n).arg(QChar(u'a' + n % 26)));
            QVERIFY2(expected.match(line).hasMatch(), qPrintable(line));
        }
        QCOMPARE(Get<QLabel>("lblFullPath")->text(), next);
        QCOMPARE(Files()->FileName(), QFileInfo(next).fileName());
        QCOMPARE(Commands(), QStringLiteral("1101")); // still following
        m_window->grab().save(QStringLiteral(ARTEFACTS "/day-move.png"));

        // Clear keeps following and shows only what comes after it.
        Press("cmdClear");
        QVERIFY(Get<QLabel>("lblFileSize")->text().isEmpty());
        QVERIFY(Append(next, "after\r\n"));
        QTest::qWait(1200);
        QCOMPARE(Shown(false), QStringList{"after"});
        const QString size = "Filesize: " + QString::number(QFileInfo(next).size());
        QCOMPARE(Get<QLabel>("lblFileSize")->text(), size);

        // Quit saves, closes and ends the polls.
        Press("cmdQuit");
        QVERIFY(!m_window->isVisible());
        QVERIFY(ReadFile(Ini()).contains("Web,"));
        QVERIFY(Append(next, "after quit\r\n"));
        QTest::qWait(1500);
        QCOMPARE(Get<QLabel>("lblFileSize")->text(), size);
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
