#include "FakeLauncher.h"
#include "FakeMessageBox.h"
#include "TestFiles.h"
#include "folders/FileListBox.h"
#include "folders/FolderCommands.h"
#include "settings/modMain.h"
#include "shell/frmMain.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

// The log-folder editor, Remove, Open and View, and what a click in the folder list does.
class TestFolderCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeMessageBox m_messages;
    FakeLauncher m_launcher;
    std::unique_ptr<frmMain> m_w;
    static constexpr auto Viewer = "\"/opt/my viewer\" -c \"set nowrap\"";

    // A widget of the window or of its editor.
    template <typename T> T* Get(const char* name) const { return m_w->findChild<T*>(name); }
    QTreeWidget* List() const { return Get<QTreeWidget>("ListView1"); }
    QString Logs() const { return m_dir->filePath(QStringLiteral("logs")); }
    QString Odd() const { return m_dir->filePath(QStringLiteral("-my logs;\"x\"")); }

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
    // The folder rows as Name|Path|Filter ("*": selected), the files listed, then "!" and each
    // message shown so far.
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
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_messages = {};
        modMain::SetStartValues();
        QVERIFY(QDir().mkpath(Logs()) && WriteFile(Logs() + "/ex030123.log", "x"));
        QVERIFY(QDir().mkpath(Odd()) && WriteFile(Odd() + "/-a \"b\"; c.log", "x"));
        QVERIFY(WriteFile(m_dir->filePath("tarvisk.ini"),
                          QStringLiteral("EXTVIEWER=%1\r\nLogs,%2,*.log\r\nOdd,%3,-a.log\r\n")
                              .arg(Viewer, Logs(), Odd())
                              .toUtf8()));
        m_w = std::make_unique<frmMain>(m_messages, m_dir->path());
        m_w->SetLauncher(m_launcher);
        QVERIFY(m_w->Form_Load());
        m_w->show();
    }
    void cleanup() { m_w.reset(); }

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

    // Add keeps what it refused and appends without selecting. Edit shows a filter that is none
    // of the styles; Add and Edit while open switch the mode only, OK then writing the row
    // selected or asking for one. Remove asks; Yes keeps the others' order and the file list.
    void editor()
    {
        Click("cmdRemove"); // none selected: nothing asked
        ClickFolder(0);
        Click("cmdAdd");
        Get<QLineEdit>("txtLogname")->setText("W");
        Get<QLineEdit>("txtLogPath")->setText("D:\\logs,old");
        Get<QComboBox>("cmbLogFileStyle")->setEditText("x");
        Click("cmdOK");
        Get<QLineEdit>("txtLogPath")->setText("/");
        Click("cmdOK");
        const QString logs = "Logs|" + Logs() + "|*.log", odd = "Odd|" + Odd() + "|-a.log";
        QCOMPARE(Seen().mid(0, 4), (QStringList{'*' + logs, odd, "W|/|x", "ex030123.log"}));
        ClickFolder(1);
        QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {},
                           List()->visualItemRect(List()->topLevelItem(1)).center());
        Click("cmdOK"); // unchanged
        Click("cmdEdit");
        Get<QLineEdit>("txtLogname")->setText("X");
        Click("cmdCancel");
        Click("cmdAdd");
        Get<QLineEdit>("txtLogPath")->setText("/t"); // no name: refused in add mode
        Get<QComboBox>("cmbLogFileStyle")->setEditText("z");
        Click("cmdEdit");
        ClickFolder(2);
        Click("cmdOK");
        Click("cmdEdit");
        ClickFolder(0);
        for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
            m_messages.answer = answer;
            Click("cmdRemove");
        }
        Click("cmdOK");
        QVERIFY(Get<QPushButton>("cmdOK"));
        QCOMPARE(Seen(), (QStringList{odd, "|/t|z", "ex030123.log",
                                      "!Commasigns are not allowed in the Logfolder desciption "
                                      "or path",
                                      "!Do you want to remove logfolder Logs",
                                      "!Do you want to remove logfolder Logs",
                                      "!Please select the Logfolder to edit"}));
        QCOMPARE(m_messages.shown[2].buttons, Message::Buttons::YesNo);
        QCOMPARE(modMain::CurrentPath, Logs() + u'/');
    }

    // Folder and file each arrive as one argument, whatever blanks, quotes and signs they hold;
    // a launcher that fails is reported. A click below the rows reads the selected folder
    // again and stops a run; a keyboard move reads the new folder; a Ctrl+click that clears the
    // selection lists nothing.
    void commandsAndClicks()
    {
        for (const bool starts : {true, false}) {
            m_launcher.succeeds = starts;
            ClickFolder(1);
            Click("cmdOpen");
            Get<FileListBox>("File1")->setCurrentRow(0);
            Click("cmdView");
        }
        const QString file = Odd() + "/-a \"b\"; c.log";
        const QStringList open{"xdg-open", Odd()}, view{"/opt/my viewer", "-c", "set nowrap", file};
        QCOMPARE(m_launcher.started, (QList{open, view, open, view}));
        QCOMPARE(Seen().mid(3), (QStringList{"!Failed to open \\\\" + Odd() + u'/',
                                             "!Failed to start " + QString(Viewer) + u' ' + file}));
        QTest::keyClick(List(), Qt::Key_Up);
        QCOMPARE(modMain::CurrentPath, Logs() + u'/');
        QVERIFY(WriteFile(Logs() + "/new.log", "x"));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {},
                          QPoint(20, List()->viewport()->height() - 5));
        QVERIFY(m_w->StopRequested);
        QCOMPARE(Seen().mid(2, 2), (QStringList{"ex030123.log", "new.log"}));
        ClickFolder(0, Qt::ControlModifier);
        QCOMPARE(modMain::CurrentPath, QString());
        QVERIFY(Seen()[2].startsWith(u'!')); // no file listed
    }
};

QTEST_MAIN(TestFolderCommands)
#include "tst_foldercommands.moc"
