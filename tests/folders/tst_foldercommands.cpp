#include "MainWindowTest.h"
#include "base/FolderPicker.h"
#include "folders/FolderCommands.h"

#include <csignal>
#include <sys/wait.h>

// Answers the editor's Browse with a preset folder, and records where it started.
class FakeFolderPicker final : public FolderPicker
{
public:
    QString PickFolder(const QString& start) override
    {
        starts << start;
        return folder;
    }
    QStringList starts;
    QString folder;
};

class TestFolderCommands : public QObject, MainWindowTest
{
    Q_OBJECT

    FakeFolderPicker m_picker;

    QTreeWidget* List() const { return Get<QTreeWidget>("ListView1"); }
    void Press(const char* button)
    {
        QTest::mouseClick(Get(button), Qt::LeftButton);
        QTest::qWait(0); // a closed editor goes
    }
    // Folder rows as Name|Path|Filter ("*": selected), files listed, "!" and each message shown.
    QStringList Seen() const
    {
        QStringList seen;
        for (const QTreeWidgetItem* r : List()->findItems("", Qt::MatchContains))
            seen << (r->isSelected() ? "*" : "") + r->text(0) + u'|' + r->text(1) + u'|' +
                        r->text(2);
        for (const QListWidgetItem* f : Get<QListWidget>("File1")->findItems("", Qt::MatchContains))
            seen << f->text();
        for (const Message& m : m_messages.shown)
            seen << u'!' + m.text;
        return seen;
    }

private Q_SLOTS:
    // The window keeps its state in a test folder, not in the user's.
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    // Each row: Name, Path, Filter and the refusal's icon ("i:" information, "!:" exclamation)
    // and start ("": accepted). All but the one of an empty field hold in edit mode too.
    void checks()
    {
        const QList<QStringList> rows = {
            {"W", "", "x", "i:Please specify Logfolder description, Path and Filter"},
            {"W", "D:\\logs,old", "x", "!:Commasigns are not allowed in the Logfolder desciption"},
            {"a=b", "/l", "x", "!:Equalsigns are not allowed"},
            {";W", "/l", "x", "!:The Logfolder description may not begin with a semicolon"},
            {"a", "/l", "x\r", "!:Line breaks are not allowed"},
            {" ", ";/l", ";x", ""}};
        for (const QStringList& row : rows)
            for (const qint16 mode : {AddMode, EditMode}) {
                const QString want = mode == EditMode && row[3].startsWith("i:") ? "" : row[3];
                const std::optional<Message> m = CheckLogFolder(mode, {row[0], row[1], row[2]});
                QCOMPARE(m ? (m->icon == Message::Icon::Information ? "i:" : "!:") +
                                 m->text.left(want.size() - 2)
                           : "",
                         want);
            }
    }

    // Open and View pass folder and file as one argument each and report a failed start. A
    // click below the rows, a keyboard move and a Ctrl+click that clears the selection count as
    // clicks. Add keeps what it refused and appends unselected; Edit shows a filter that is no
    // style; Add and Edit while open only switch the mode; Remove keeps the others' order.
    void folders()
    {
        const QString logs = Path("logs"), odd = Path("-my logs;\"x\"");
        const QString file = odd + "/-a \"b\"; c.log",
                      viewer = "\"/opt/my viewer\" -c \"set nowrap\"";
        QVERIFY(QDir().mkpath(logs) && WriteFile(logs + "/ex030123.log", "x"));
        QVERIFY(QDir().mkpath(odd) && WriteFile(file, "x"));
        QVERIFY(WriteFile(Path("tarvisk.ini"),
                          config::FormatConfigFile(
                              viewer, true, {{"Logs", logs, "*.log"}, {"Odd", odd, "-a.log"}})));
        Load();
        m_window->SetFolderPicker(m_picker);
        m_launcher.succeeds = false;
        Click("ListView1", 1);
        Press("cmdOpen");
        Get<QListWidget>("File1")->setCurrentRow(0);
        Press("cmdView");
        const QStringList open{"xdg-open", odd}, view{"/opt/my viewer", "-c", "set nowrap", file};
        QCOMPARE(m_launcher.started, (QList{open, view}));
        QCOMPARE(Seen().mid(3),
                 (QStringList{"!Failed to open " + odd, "!Failed to start " + viewer + u' ' + file +
                                                            "\n\n/opt/my viewer: not found."}));
        QTest::keyClick(List(), Qt::Key_Up);
        QCOMPARE(m_window->CurrentSettings().CurrentPath, logs + u'/');
        QVERIFY(WriteFile(logs + "/new.log", "x"));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {},
                          QPoint(20, List()->viewport()->height() - 5));
        QCOMPARE(Seen().mid(2, 2), (QStringList{"ex030123.log", "new.log"}));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          List()->visualItemRect(List()->topLevelItem(0)).center());
        QCOMPARE(m_window->CurrentSettings().CurrentPath, QString());
        QVERIFY(Seen()[2].startsWith(u'!')); // no file listed
        m_messages.shown.clear();
        Press("cmdRemove"); // none selected: nothing asked
        Click("ListView1", 0);
        Press("cmdAdd");
        Get<QLineEdit>("txtLogname")->setText("W");
        Get<QLineEdit>("txtLogPath")->setText("D:\\logs,old");
        Get<QComboBox>("cmbLogFileStyle")->setEditText("x");
        Press("cmdOK");
        m_picker.folder = "/"; // Browse puts the chosen folder in; a cancelled one changes nothing
        Press("cmdBrowse");
        m_picker.folder.clear();
        Press("cmdBrowse");
        QCOMPARE(m_picker.starts, (QStringList{"D:\\logs,old", "/"}));
        Press("cmdOK");
        const QString logsRow = "Logs|" + logs + "|*.log", oddRow = "Odd|" + odd + "|-a.log";
        QCOMPARE(Seen().mid(0, 5),
                 (QStringList{'*' + logsRow, oddRow, "W|/|x", "ex030123.log", "new.log"}));
        Click("ListView1", 1);
        QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {},
                           List()->visualRect(List()->model()->index(1, 0)).center());
        QCOMPARE(Get<QComboBox>("cmbLogFileStyle")->currentText(), QStringLiteral("-a.log"));
        Get<QLineEdit>("txtLogname")->setText("X");
        Press("cmdCancel");
        Press("cmdAdd");
        Get<QLineEdit>("txtLogPath")->setText("/t"); // no name: refused in add mode
        Get<QComboBox>("cmbLogFileStyle")->setEditText("z");
        Press("cmdEdit");
        QCOMPARE(Get<QWidget>("frmAddLogfile")->windowTitle(), "Edit Logfolder");
        Click("ListView1", 2);
        Press("cmdOK"); // a path that is no folder is asked about: No keeps the editor open
        m_messages.answer = MessageAnswer::Yes;
        Press("cmdOK");
        Press("cmdEdit");
        Click("ListView1", 0);
        for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
            m_messages.answer = answer;
            Press("cmdRemove");
        }
        Press("cmdOK");
        QCOMPARE(Seen(), (QStringList{oddRow, "|/t|z", "ex030123.log", "new.log",
                                      "!Commasigns are not allowed in the Logfolder desciption "
                                      "or path",
                                      "!The path /t does not exist.\n\nKeep it anyway?",
                                      "!The path /t does not exist.\n\nKeep it anyway?",
                                      "!Do you want to remove logfolder Logs",
                                      "!Do you want to remove logfolder Logs",
                                      "!Please select the Logfolder to edit"}));
        QCOMPARE(m_messages.shown[2].buttons, Message::Buttons::YesNo);
        QCOMPARE(PathQuestion(Path("tarvisk.ini"))->text.section(u'\n', 0, 0),
                 "The path " + Path("tarvisk.ini") + " is a file, not a folder.");
    }

    // View and Open start their program as a child that is watched for its first seconds: a
    // failure then is reported with its status and its last words; a program that is not there
    // is named; a viewer still running is left running when the window goes. "open:" rows use
    // a search path that holds only this xdg-open ("-": none at all).
    void viewer_data()
    {
        QTest::addColumn<QString>("viewer");
        QTest::addColumn<QString>("report"); // %1: the folder
        const char* rows[][3] = {{"fails", R"(sh -c "echo first >&2; echo no method >&2; exit 3")",
                                  "sh ended with exit status 3:\nno method"},
                                 {"fails silently", "false", "false ended with exit status 1"},
                                 {"killed", R"(sh -c "kill -9 $$")", "sh was ended by signal 9"},
                                 {"runs on", R"(sh -c "echo $$ >$0.pid; exec sleep 30")", ""},
                                 {"open: no file manager",
                                  "open:echo no method available >&2; exit 3",
                                  "xdg-open ended with exit status 3:\nno method available"},
                                 {"open: no xdg-open", "open:-",
                                  "Failed to open %1\n\nxdg-open: not found. Install xdg-utils."}};
        for (const auto& [name, viewer, report] : rows)
            QTest::newRow(name) << QString(viewer) << QString(report);
    }

    void viewer()
    {
        QFETCH(QString, viewer);
        const QString file = Path("ex261206.log");
        QVERIFY(WriteFile(file, "x"));
        QVERIFY(WriteFile(Path("tarvisk.ini"),
                          config::FormatConfigFile(viewer, true, {{"L", m_dir->path(), "*.log"}})));
        Load();
        m_window->SetLauncher(*new ChildLauncher(m_window.get())); // real children, watched
        Click("ListView1", 0);
        Get<QListWidget>("File1")->setCurrentRow(0);
        const QByteArray path = qgetenv("PATH");
        const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
        if (viewer.startsWith("open:")) {
            qputenv("PATH", QFile::encodeName(m_dir->path()));
            if (viewer != "open:-")
                QVERIFY(WriteFile(Path("xdg-open"), "#!/bin/sh\n" + viewer.mid(5).toUtf8()) &&
                        QFile::setPermissions(Path("xdg-open"), QFileDevice::Permissions(0x7555)));
        }
        Press(viewer.startsWith("open:") ? "cmdOpen" : "cmdView");
        QTest::qWait(3500);
        QFETCH(QString, report);
        QCOMPARE(m_messages.shown.isEmpty() ? QString() : m_messages.shown.first().text,
                 report.replace("%1", m_dir->path()));
        if (!QFile::exists(file + ".pid"))
            return;
        m_window.reset(); // as Quit leaves it
        const pid_t pid = ReadFile(file + ".pid").trimmed().toInt();
        QVERIFY(pid > 0 && kill(pid, 0) == 0);
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
};

QTEST_MAIN(TestFolderCommands)
#include "tst_foldercommands.moc"
