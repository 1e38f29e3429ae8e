#include "MainWindowTest.h"
#include "shell/WindowState.h"

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>

// The main window driven as a user does.
class TestFrmMain : public QObject, MainWindowTest
{
    Q_OBJECT

    QListWidget* Files() { return Get<QListWidget>("File1"); }

    QStringList Texts(const char* list)
    {
        const QAbstractItemModel* model = Get<QAbstractItemView>(list)->model();
        QStringList texts;
        for (int i = 0; i < model->rowCount(); ++i)
            texts << model->index(i, 0).data().toString();
        return texts;
    }

    QString Commands() // View, Tail, Continous and Stop: 1 enabled, 0 not
    {
        QString states;
        for (const char* name : {"cmdView", "cmdTail", "cmdContinous", "cmdStop"})
            states += Get(name)->isEnabled() ? u'1' : u'0';
        return states;
    }

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QFile::remove(WindowState::Path());
    }

    // The window grows: the output list takes the room, the lower buttons keep to the bottom
    // right; Filter fits its longest style. Size, position and hand-set column widths come back.
    void window()
    {
        Load({{"Web", "/srv/web", "exyymmdd.log"}, {"Proxy", "/srv/proxy", "WEBEXTDyyyymmdd.log"}});
        const QByteArray ini = ReadFile(Path("tarvisk.ini"));
        auto* folders = Get<QTreeWidget>("ListView1");
        QVERIFY(folders->columnWidth(2) >=
                folders->fontMetrics().horizontalAdvance(QStringLiteral("WEBEXTDyyyymmdd.log")));
        QVERIFY(folders->columnWidth(0) + folders->columnWidth(1) + folders->columnWidth(2) <=
                folders->viewport()->width());
        auto* output = Get<QWidget>("lstRows");
        const QSize list = output->size(), before = m_window->size();
        const auto corner = [this] {
            return m_window->rect().bottomRight() - Get("cmdQuit")->geometry().bottomRight();
        };
        const QPoint quit = corner();
        m_window->resize(before + QSize(300, 200));
        QTRY_COMPARE(output->size(), list + QSize(300, 200));
        QCOMPARE(corner(), quit);
        folders->setColumnWidth(0, 171);
        folders->topLevelItem(0)->setText(0, "Web servers"); // as the editor changes a row
        m_window->move(37, 45);
        Get("cmdQuit")->click();
        QCOMPARE(ReadFile(Path("tarvisk.ini")), QByteArray(ini).replace("Web,", "Web servers,"));
        Load();
        QCOMPARE(QRect(m_window->pos(), m_window->size()),
                 QRect({37, 45}, before + QSize(300, 200)));
        QCOMPARE(Get<QTreeWidget>("ListView1")->columnWidth(0), 171);
        m_window->resize(100, 100);
        QCOMPARE(m_window->size(), before); // never below its designed size
    }

    // A folder or a file that cannot be read says so instead of looking empty (this test runs
    // without root's power to read anything).
    void permissionDenied()
    {
        QVERIFY(QDir().mkpath(Path("locked")) && QDir().mkpath(Path("logs")));
        QVERIFY(WriteFile(Path("logs/ex261206.log"), "secret\n"));
        QVERIFY(QFile::setPermissions(Path("locked"), {}));
        QVERIFY(QFile::setPermissions(Path("logs/ex261206.log"), {}));
        Load({{"Locked", Path("locked"), "*.log"}, {"Logs", Path("logs"), "*.log"}});
        Click("ListView1", 0);
        Click("ListView1", 1);
        Click("File1", 0);
        Get("cmdTail")->click();
        QFile::setPermissions(Path("locked"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(Texts("lstRows"), QStringList());
        QStringList shown;
        for (const Message& m : m_messages.shown)
            shown << m.text;
        QCOMPARE(shown, (QStringList{"Permission denied: " + Path("locked/"),
                                     "Cannot open " + Path("logs/ex261206.log") +
                                         "\n\nPermission denied"}));
    }

    void cleanup() { m_window.reset(); }

    // Quit saves the state file, then this window's changes, keeping comments, the bytes of lines
    // not changed and another window's folder; the close box asks only when there are changes, and
    // before anything stops. A failed save (a full disk) keeps the old file and the window open
    // unless the user quits without saving; a file unreadable at start is left as it is.
    void quit_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("change");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("saved");
        const auto row = [](const char* how, const char* answer, bool change, bool closed,
                            bool saved) {
            QTest::addRow("%s, %s", how, answer) << how << answer << change << closed << saved;
        };
        row("Quit", "", true, true, true);
        row("close", "", false, true, false);
        row("close", "Save", true, true, true);
        row("close", "Discard", true, true, false);
        row("close", "Cancel", true, false, false);
        row("read-only", "Retry", true, true, true);
        row("read-only", "Discard", true, true, false); // Quit without saving
        row("read-only", "Cancel", true, false, false);
        row("FIFO", "", true, true, false); // unreadable at start
        row("full disk", "Cancel", true, false, false);
        row("full disk", "Retry", true, true, true); // the filler is gone before the user retries
        row("state save fails", "Cancel", true, false, false); // the first save, as a full disk
    }

    void quit()
    {
        QFETCH(QString, how);
        QFETCH(QString, answer);
        QFETCH(bool, change);
        QFETCH(bool, closed);
        QFETCH(bool, saved);
        const QString ini = Path("tarvisk.ini"), state = WindowState::Path();
        const QByteArray dir = QFile::encodeName(m_dir->path());
        // A 64 KiB disk over the program's folder in a mount namespace of this thread's own.
        if (how == "full disk" &&
            (unshare(CLONE_NEWNS) || mount(0, "/", 0, MS_REC | MS_PRIVATE, 0) ||
             mount("tmpfs", dir, "tmpfs", 0, "size=64k")))
            QSKIP("cannot mount a file system in a mount namespace of its own here");
        const auto unmount = qScopeGuard([&] { umount2(dir.constData(), MNT_DETACH); });
        const QByteArray oldState = "[General]\nfolderColumns=90, 300, 80\n";
        QVERIFY(QDir().mkpath(QFileInfo(state).path()) && WriteFile(state, oldState));
        QVERIFY(QDir().mkpath(Path("logs")) && WriteFile(Path("logs/a.log"), "x\n"));
        const QByteArray before = "; my note\r\n\r\nEXTVIEWER=vi\r\nSPLITLINES=TRUE\r\nLogs," +
                                  QFile::encodeName(Path("logs")) +
                                  ",*.log\r\nOld,/srv/caf\xE9 logs,ex\xFFyymmdd.log\r\n";
        QVERIFY(how == "FIFO" ? mkfifo(QFile::encodeName(ini).constData(), 0600) == 0
                              : WriteFile(ini, before));
        Load();
        if (how != "FIFO") {
            Click("ListView1", 0);
            Click("File1", 0);
            Get("cmdContinous")->click();
        }
        if (change)
            Get<QCheckBox>("chkDivider")->click();
        QFile filler(Path("filler"));
        if (how == "full disk" && filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            QVERIFY(filler.write(QByteArray(64 * 1024, 'x')) > 0); // as much as fits
        m_window->SetFileSaver([&](const QString& path, const QByteArray& bytes, QString* error) {
            if (how == "state save fails" && path == state)
                return *error = "No space left on device", false;
            return config::WriteConfigFile(path, bytes, error);
        });
        const auto writable = [&](bool yes) {
            QFile::setPermissions(m_dir->path(), QFileDevice::Permissions(yes ? 0x7755 : 0x5555));
            QFile::setPermissions(ini, QFileDevice::Permissions(yes ? 0x6644 : 0x4444));
            if (yes) // and the disk has room again
                filler.remove();
        };
        const auto restore = qScopeGuard([&] { writable(true); });
        if (how == "read-only")
            writable(false);
        m_messages.answers = {answer == "Save"      ? MessageAnswer::Save
                              : answer == "Retry"   ? MessageAnswer::Retry
                              : answer == "Discard" ? MessageAnswer::Discard
                                                    : MessageAnswer::Cancel};
        m_messages.onShow = [&](const Message&) {
            if (answer == "Retry")
                writable(true); // the cause is gone before the user retries
        };
        const QByteArray other = how == "Quit" ? "Other,/o,o\r\n" : ""; // another window saved
        QVERIFY(other.isEmpty() || Append(ini, other));
        how == "close" ? void(m_window->close()) : Get("cmdQuit")->click();
        m_messages.onShow = nullptr;

        QCOMPARE(!m_window->isVisible(), closed);
        QCOMPARE(m_messages.shown.size(), how == "FIFO" ? 2 : answer.isEmpty() ? 0 : 1);
        const Message last = m_messages.shown.value(m_messages.shown.size() - 1);
        if (!answer.isEmpty()) // the question, or the failure naming the file and the reason
            QVERIFY(how == "close"
                        ? last.text == "Save changes to the log folders?"
                        : last.text.contains(how.contains("state") ? state : ini) &&
                              last.text.endsWith(how == "read-only" ? "denied" : "device") &&
                              last.buttons == Message::Buttons::RetryQuitCancel);
        QCOMPARE(ReadFile(state) == oldState, how.contains("state") || (how == "close" && !closed));
        if (!closed) // following untouched by the question; ended by Quit
            QCOMPARE(Commands(), QString(how == "close" ? "1101" : "1110"));
        if (how == "FIFO") // named by the start-up message, not replaced by a file
            QVERIFY(m_messages.shown.first().text.endsWith(": " + ini) && !QFileInfo(ini).isFile());
        else
            QCOMPARE(ReadFile(ini),
                     (saved ? QByteArray(before).replace("=TRUE", "=FALSE") : before) + other);
    }

    // Quit while following keeps the run and the next start resumes it: the line written while
    // closed, once. Stop before Quit keeps none; a second program on the same configuration does
    // not resume the run again, nor does a start after a crash that came after Stop; a state
    // file that cannot be read is said.
    void resume_data()
    {
        QTest::addColumn<QString>("how");
        for (const char* how :
             {"resumed", "stop first", "stop, then a crash", "second program", "unreadable"})
            QTest::newRow(how) << how;
    }

    void resume()
    {
        QFETCH(QString, how);
        QVERIFY(QDir().mkpath(Path("logs")) && WriteFile(Path("logs/a.log"), "a1\n"));
        Load({{"Logs", Path("logs"), "*.log"}});
        m_window->ResumeRun(); // none yet
        Click("ListView1", 0);
        Click("File1", 0);
        Get("cmdContinous")->click();
        if (how == "stop first")
            Get("cmdStop")->click();
        Get("cmdQuit")->click();
        m_window.reset();
        if (how == "stop, then a crash") { // the resumed run stopped, the program ends unsaved
            Load();
            m_window->ResumeRun();
            Get("cmdStop")->click();
            m_window.reset();
        }
        QVERIFY(Append(Path("logs/a.log"), "a2\n"));
        std::unique_ptr<frmMain> first;
        if (how == "second program") {
            Load();
            m_window->ResumeRun();
            first = std::move(m_window);
        }
        if (how == "unreadable")
            QVERIFY(QFile::setPermissions(WindowState::Path(), {}));
        Load();
        m_window->ResumeRun();
        const QStringList lines = Texts("lstRows").filter(QRegularExpression("^(?!Current Time)."));
        QCOMPARE(lines, how == "resumed" ? QStringList{"a2"} : QStringList{});
        QCOMPARE(m_window->Following(), how == "resumed");
        QCOMPARE(m_messages.shown.size(), how == "unreadable" ? 1 : 0);
        if (first)
            QCOMPARE(first->Following(), true);
    }

    // A folder lists the files of its style (no folder: none, not the working folder's), a
    // missing one none and a message; the list follows the folder, the chosen file stays chosen,
    // also when the folder is removed and made again.
    // Only a chosen file enables View, Tail and Continous; Enter shows its end. A run's size
    // label goes with it.
    void foldersFilesAndTail()
    {
        QVERIFY(QDir().mkpath(Path("logs")) && QDir::setCurrent(Path("logs")));
        QVERIFY(WriteFile(Path("logs/ex030123.log"), "x\r\n"));
        QVERIFY(WriteFile(Path("logs/EX040101.LOG"), QByteArray("x\n").repeated(499) + "end\n"));
        Load({{"Logs", Path("logs"), "exyymmdd.log"}, {"Gone", Path("gone"), "*.log"}});
        QCOMPARE(Texts("File1"), QStringList());
        Click("ListView1", 0);
        Click("File1", 1);
        QVERIFY(WriteFile(Path("logs/ex050101.log"), "x\n"));
        QTRY_COMPARE(Texts("File1"), (QStringList{"ex030123.log", "EX040101.LOG", "ex050101.log"}));
        QCOMPARE(Files()->selectedItems().value(0), Files()->item(1));
        QVERIFY(QDir(Path("logs")).removeRecursively());
        QTRY_COMPARE(Texts("File1"), QStringList());
        QVERIFY(QDir().mkpath(Path("logs")) && WriteFile(Path("logs/ex030123.log"), "x\r\n"));
        QTRY_COMPARE(Texts("File1"), QStringList{"ex030123.log"});
        QVERIFY(WriteFile(Path("logs/EX040101.LOG"), QByteArray("x\n").repeated(499) + "end\n"));
        QVERIFY(WriteFile(Path("logs/ex050101.log"), "x\n") && QDir::setCurrent(Path("logs")));
        Click("ListView1", 1);
        QCOMPARE(Texts("File1"), QStringList());
        QCOMPARE(m_messages.shown.value(0).text, "Path not found: " + Path("gone/"));

        Click("ListView1", 0);
        Files()->setFocus(Qt::TabFocusReason); // makes a row current without choosing it
        QCOMPARE(Commands(), QStringLiteral("0000"));
        // A desktop set to open on one click sends "activated" for a click: not a double click.
        Q_EMIT Files()->itemActivated(Files()->item(0));
        QCOMPARE(Texts("lstRows"), QStringList());
        Click("File1", 0);
        QTest::mouseDClick(Files()->viewport(), Qt::LeftButton, {},
                           Files()->visualItemRect(Files()->item(0)).center());
        QCOMPARE(Texts("lstRows"), QStringList{"x"});
        QTest::keyClick(Files(), Qt::Key_Down); // to EX040101.LOG
        QCOMPARE(Commands(), QStringLiteral("1110"));
        QTest::keyClick(Files(), Qt::Key_Return);
        QVERIFY(Texts("lstRows").size() == 500 && Texts("lstRows").last() == "end");
        QCOMPARE(Get<QAbstractItemView>("lstRows")->currentIndex().row(), 499);
        Get("cmdContinous")->click();
        QVERIFY(QFile::remove(Path("logs/EX040101.LOG")));
        QTRY_VERIFY(Get<QLabel>("lblFileSize")->text().startsWith("Cannot open: "));
        QTRY_COMPARE(Commands(), QStringLiteral("0001")); // the chosen file went with it
        Click("ListView1", 0);
        QCOMPARE(Commands() + Get<QLabel>("lblFileSize")->text(), QStringLiteral("0000"));
        Get("cmdSearch")->click(); // the folder's days with no file chosen
        m_window->findChild<QRadioButton*>("optDays")->click();
        m_window->findChild<QLineEdit*>("txtSearch")->setText("x");
        m_window->findChild<QDialog*>()->findChild<QPushButton*>("cmdSearch")->click();
        QCOMPARE(Commands(), QStringLiteral("0000"));
        // A second folder Ctrl+clicked: Continous follows both without a file; a click ends it.
        auto* folders = Get<QAbstractItemView>("ListView1");
        QTest::mouseClick(folders->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          folders->visualRect(folders->model()->index(1, 0)).center());
        QCOMPARE(Commands(), QStringLiteral("0010"));
        Get("cmdContinous")->click();
        QCOMPARE(Get<QLabel>("lblFullPath")->toolTip(), "Following 2 folders: Logs, Gone");
        QCOMPARE(Commands() + Get<QLabel>("lblFileSize")->text(), "00012 folders");
        QCOMPARE(Texts("lstRows").filter(QRegularExpression(" Gone: folder not found|^x$")).size(),
                 2);
        Click("ListView1", 0);
        QVERIFY(!m_window->Following() && Commands() == QStringLiteral("0000"));
        QTest::keyClick(folders, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(Commands(), QStringLiteral("0010"));
        // A compressed day: Continous shows it as Tail, says why it is not followed, runs none.
        QCOMPARE(QProcess::execute("sh", {"-c", "printf 'c1\\nc2' | gzip >ex060101.log.gz"}), 0);
        Click("ListView1", 0);
        Click("File1", 2);
        Get("cmdContinous")->click();
        QTRY_COMPARE(Texts("lstRows"), (QStringList{"c1", "c2"}));
        QCOMPARE(
            Commands() + Get<QLabel>("lblFileSize")->text(),
            "1110Filesize: 25, uncompressed 5; a compressed day is finished and is not followed");
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
