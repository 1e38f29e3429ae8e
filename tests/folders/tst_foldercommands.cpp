#include "FakeLauncher.h"
#include "FakeMessageBox.h"
#include "TestFiles.h"
#include "base/FolderPicker.h"
#include "folders/FileListBox.h"
#include "folders/FolderCommands.h"
#include "shell/frmMain.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

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

class TestFolderCommands : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    FakeMessageBox m_messages;
    FakeLauncher m_launcher;
    FakeFolderPicker m_picker;
    std::unique_ptr<frmMain> m_w;

    template <typename T> T* Get(const char* name) const { return m_w->findChild<T*>(name); }
    QTreeWidget* List() const { return Get<QTreeWidget>("ListView1"); }

    void Load(const QString& ini)
    {
        QVERIFY(WriteFile(m_dir.filePath("tarvisk.ini"), ini.toUtf8()));
        m_messages.shown.clear();
        m_w = std::make_unique<frmMain>(m_messages, m_dir.path());
        QVERIFY(m_w->Form_Load());
        m_w->show(); // laid out, so that a click below the rows misses them
    }

    void Click(const char* button)
    {
        QTest::mouseClick(Get<QPushButton>(button), Qt::LeftButton);
        QTest::qWait(0); // a closed editor goes
    }
    void ClickFolder(int row, Qt::KeyboardModifiers keys = {})
    {
        const QRect rect = List()->visualItemRect(List()->topLevelItem(row));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, keys, rect.center());
    }
    // Folder rows as Name|Path|Filter ("*": selected), files listed, "!" and each message shown.
    QStringList Seen() const
    {
        QStringList seen;
        for (const QTreeWidgetItem* r : List()->findItems("", Qt::MatchContains))
            seen << (r->isSelected() ? "*" : "") + r->text(0) + u'|' + r->text(1) + u'|' +
                        r->text(2);
        for (const QListWidgetItem* f : Get<FileListBox>("File1")->findItems("", Qt::MatchContains))
            seen << f->text();
        for (const Message& m : m_messages.shown)
            seen << u'!' + m.text;
        return seen;
    }

private Q_SLOTS:
    // The window keeps its state in a test folder, not in the user's.
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

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
        const QString logs = m_dir.filePath("logs"), odd = m_dir.filePath("-my logs;\"x\"");
        const QString file = odd + "/-a \"b\"; c.log",
                      viewer = "\"/opt/my viewer\" -c \"set nowrap\"";
        QVERIFY(QDir().mkpath(logs) && WriteFile(logs + "/ex030123.log", "x"));
        QVERIFY(QDir().mkpath(odd) && WriteFile(file, "x"));
        Load(QStringLiteral("EXTVIEWER=%1\r\nLogs,%2,*.log\r\nOdd,%3,-a.log\r\n")
                 .arg(viewer, logs, odd));
        m_w->SetLauncher(m_launcher);
        m_w->SetFolderPicker(m_picker);
        m_launcher.succeeds = false;
        ClickFolder(1);
        Click("cmdOpen");
        Get<FileListBox>("File1")->setCurrentRow(0);
        Click("cmdView");
        const QStringList open{"xdg-open", odd}, view{"/opt/my viewer", "-c", "set nowrap", file};
        QCOMPARE(m_launcher.started, (QList{open, view}));
        QCOMPARE(Seen().mid(3), (QStringList{"!Failed to open " + odd,
                                             "!Failed to start " + viewer + u' ' + file}));
        QTest::keyClick(List(), Qt::Key_Up);
        QCOMPARE(m_w->CurrentSettings().CurrentPath, logs + u'/');
        QVERIFY(WriteFile(logs + "/new.log", "x"));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {},
                          QPoint(20, List()->viewport()->height() - 5));
        QCOMPARE(Seen().mid(2, 2), (QStringList{"ex030123.log", "new.log"}));
        ClickFolder(0, Qt::ControlModifier);
        QCOMPARE(m_w->CurrentSettings().CurrentPath, QString());
        QVERIFY(Seen()[2].startsWith(u'!')); // no file listed
        m_messages.shown.clear();
        Click("cmdRemove"); // none selected: nothing asked
        ClickFolder(0);
        Click("cmdAdd");
        Get<QLineEdit>("txtLogname")->setText("W");
        Get<QLineEdit>("txtLogPath")->setText("D:\\logs,old");
        Get<QComboBox>("cmbLogFileStyle")->setEditText("x");
        Click("cmdOK");
        m_picker.folder = "/"; // Browse puts the chosen folder in; a cancelled one changes nothing
        Click("cmdBrowse");
        m_picker.folder.clear();
        Click("cmdBrowse");
        QCOMPARE(m_picker.starts, (QStringList{"D:\\logs,old", "/"}));
        Click("cmdOK");
        const QString logsRow = "Logs|" + logs + "|*.log", oddRow = "Odd|" + odd + "|-a.log";
        QCOMPARE(Seen().mid(0, 5),
                 (QStringList{'*' + logsRow, oddRow, "W|/|x", "ex030123.log", "new.log"}));
        ClickFolder(1);
        QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {},
                           List()->visualItemRect(List()->topLevelItem(1)).center());
        QCOMPARE(Get<QComboBox>("cmbLogFileStyle")->currentText(), QStringLiteral("-a.log"));
        Get<QLineEdit>("txtLogname")->setText("X");
        Click("cmdCancel");
        Click("cmdAdd");
        Get<QLineEdit>("txtLogPath")->setText("/t"); // no name: refused in add mode
        Get<QComboBox>("cmbLogFileStyle")->setEditText("z");
        Click("cmdEdit");
        QCOMPARE(Get<QWidget>("frmAddLogfile")->windowTitle(), "Edit Logfolder");
        ClickFolder(2);
        Click("cmdOK"); // a path that is no folder is asked about: No keeps the editor open
        m_messages.answer = MessageAnswer::Yes;
        Click("cmdOK");
        Click("cmdEdit");
        ClickFolder(0);
        for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
            m_messages.answer = answer;
            Click("cmdRemove");
        }
        Click("cmdOK");
        QCOMPARE(Seen(), (QStringList{oddRow, "|/t|z", "ex030123.log", "new.log",
                                      "!Commasigns are not allowed in the Logfolder desciption "
                                      "or path",
                                      "!The path /t does not exist.\n\nKeep it anyway?",
                                      "!The path /t does not exist.\n\nKeep it anyway?",
                                      "!Do you want to remove logfolder Logs",
                                      "!Do you want to remove logfolder Logs",
                                      "!Please select the Logfolder to edit"}));
        QCOMPARE(m_messages.shown[2].buttons, Message::Buttons::YesNo);
        QCOMPARE(PathQuestion(m_dir.filePath("tarvisk.ini"))->text.section(u'\n', 0, 0),
                 "The path " + m_dir.filePath("tarvisk.ini") + " is a file, not a folder.");
    }

    // View starts the viewer as a child that is watched for its first seconds: a failure then
    // is reported with its status and its last words; a viewer still running is left running
    // when the window goes.
    void viewer_data()
    {
        QTest::addColumn<QString>("viewer");
        QTest::addColumn<QString>("report");
        QTest::newRow("fails") << "sh -c \"echo first >&2; echo no method >&2; exit 3\""
                               << "sh ended with exit status 3:\nno method";
        QTest::newRow("fails silently") << "false"
                                        << "false ended with exit status 1";
        QTest::newRow("killed") << "sh -c \"kill -9 $$\""
                                << "sh was ended by signal 9";
        QTest::newRow("runs on") << "sh -c \"echo $$ >$0.pid; exec sleep 30\""
                                 << "";
    }

    void viewer()
    {
        QFETCH(QString, viewer);
        const QString file = m_dir.filePath("ex261206.log");
        QVERIFY(WriteFile(file, "x"));
        Load("EXTVIEWER=" + viewer + "\r\nL," + m_dir.path() + ",*.log\r\n");
        ClickFolder(0);
        Get<FileListBox>("File1")->setCurrentRow(0);
        Click("cmdView");
        QTest::qWait(3500);
        QTEST(m_messages.shown.isEmpty() ? QString() : m_messages.shown.first().text, "report");
        if (!QFile::exists(file + ".pid"))
            return;
        m_w.reset(); // as Quit leaves it
        const pid_t pid = ReadFile(file + ".pid").trimmed().toInt();
        QVERIFY(pid > 0 && kill(pid, 0) == 0);
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
};

QTEST_MAIN(TestFolderCommands)
#include "tst_foldercommands.moc"
