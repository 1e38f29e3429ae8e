#include "FakeLauncher.h"
#include "FakeMessageBox.h"
#include "TestFiles.h"
#include "folders/FileListBox.h"
#include "folders/frmAddLogfile.h"
#include "settings/modMain.h"
#include "shell/ConfigFile.h"
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
    std::unique_ptr<frmMain> m_window;

    template <typename T> T* Get(const char* name, QWidget* in = nullptr) const
    {
        T* w = (in ? in : m_window.get())->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QTreeWidget* List() const { return Get<QTreeWidget>("ListView1"); }
    frmAddLogfile* Editor() const { return m_window->findChild<frmAddLogfile*>(); }
    QString Logs() const { return m_dir->filePath(QStringLiteral("logs")); }

    void Start(const QList<LogFolder>& folders)
    {
        QVERIFY(WriteFile(m_dir->filePath("tarvisk.ini"),
                          config::FormatConfigFile("vi -R", true, folders)));
        m_window = std::make_unique<frmMain>(m_messages, m_dir->path());
        m_window->SetLauncher(m_launcher);
        QVERIFY(m_window->Form_Load());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void Click(const char* button) { QTest::mouseClick(Get<QPushButton>(button), Qt::LeftButton); }
    void ClickFolder(int row, Qt::KeyboardModifiers keys = {})
    {
        const QRect rect = List()->visualItemRect(List()->topLevelItem(row));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, keys, rect.center());
    }
    void Type(const QStringList& values, int style = -1)
    {
        Get<QLineEdit>("txtLogname", Editor())->setText(values[0]);
        Get<QLineEdit>("txtLogPath", Editor())->setText(values[1]);
        auto* combo = Get<QComboBox>("cmbLogFileStyle", Editor());
        if (style >= 0)
            combo->setCurrentIndex(style);
        else
            combo->setEditText(values[2]);
    }
    QStringList Fields() const
    {
        return {Get<QLineEdit>("txtLogname", Editor())->text(),
                Get<QLineEdit>("txtLogPath", Editor())->text(),
                Get<QComboBox>("cmbLogFileStyle", Editor())->currentText()};
    }
    QStringList Rows() const
    {
        QStringList rows;
        for (int i = 0; i < List()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* r = List()->topLevelItem(i);
            rows << r->text(0) + u'|' + r->text(1) + u'|' + r->text(2);
        }
        return rows;
    }
    QStringList Listed() const
    {
        QStringList names;
        for (int i = 0; i < Get<FileListBox>("File1")->count(); ++i)
            names << Get<FileListBox>("File1")->item(i)->text();
        return names;
    }
    void Close() { QTest::qWait(0); } // lets a closed editor go

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QDir().mkpath(Logs());
        QVERIFY(WriteFile(Logs() + "/ex030123.log", "x\r\n"));
        m_messages = {};
        m_launcher = {};
        modMain::SetStartValues();
    }
    void cleanup() { m_window.reset(); }

    void editorWindow()
    {
        Start({});
        Click("cmdAdd");
        QVERIFY(Editor() && Editor()->isVisible() && !Editor()->isModal());
        QCOMPARE(Editor()->windowTitle(), QStringLiteral("Add Logfolder"));
        QCOMPARE(Editor()->parentWidget(), m_window.get());
        QCOMPARE(Editor()->minimumSize(), Editor()->maximumSize());
        auto* combo = Get<QComboBox>("cmbLogFileStyle", Editor());
        QStringList styles;
        for (int i = 0; i < combo->count(); ++i)
            styles << combo->itemText(i);
        QCOMPARE(styles,
                 (QStringList{"exyymmdd.log", "inyymmdd.log", "ncyymmdd.log", "FWSEXTDyyyymmdd.log",
                              "IPPEXTDyyyymmdd.log", "WEBEXTDyyyymmdd.log", "*.log", "*.*"}));
        QVERIFY(combo->isEditable());
        QCOMPARE(Fields(), (QStringList{"", "", ""}));
        QVERIFY(Get<QPushButton>("cmdOK", Editor())->isDefault());
        QStringList order{"txtLogname"};
        for (QWidget* w = Get<QWidget>("txtLogname", Editor())->nextInFocusChain();
             w->objectName() != order.first(); w = w->nextInFocusChain())
            if (!w->objectName().isEmpty() && w->focusPolicy() & Qt::TabFocus)
                order << w->objectName();
        QCOMPARE(order, (QStringList{"txtLogname", "txtLogPath", "cmbLogFileStyle", "cmdOK",
                                     "cmdCancel"}));
    }

    void addMode_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("added"); // empty: refused, the editor stays open
        QTest::newRow("free filter")
            << QStringList{"Web", "/l", "access.log"} << -1 << "Web|/l|access.log";
        QTest::newRow("*.* from the list") << QStringList{"Web", "/l", ""} << 7 << "Web|/l|*.*";
        QTest::newRow("name empty") << QStringList{"", "/l", "x"} << -1 << "";
        QTest::newRow("comma in path") << QStringList{"W", "D:\\logs,old", "x"} << -1 << "";
        QTest::newRow("comma in filter") << QStringList{"W", "/l", "a,b"} << -1 << "";
    }

    void addMode()
    {
        QFETCH(QStringList, values);
        QFETCH(int, style);
        QFETCH(QString, added);
        Start({{"Logs", Logs(), "*.log"}});
        ClickFolder(0);
        Click("cmdAdd");
        Type(values, style);
        Click("cmdOK");
        Close();
        QCOMPARE(Rows().mid(1), added.isEmpty() ? QStringList() : QStringList{added});
        QCOMPARE(m_messages.shown.size(), added.isEmpty() ? 1 : 0);
        QCOMPARE(bool(Editor()), added.isEmpty());
        if (Editor())
            QCOMPARE(Fields().mid(0, 2), values.mid(0, 2));
        QCOMPARE(List()->selectedItems(), QList<QTreeWidgetItem*>{List()->topLevelItem(0)});
        QCOMPARE(Listed(), QStringList{"ex030123.log"});
    }

    void editMode()
    {
        Start({{"a", "/", "*.log"}, {"Web", "/", "access.log"}});
        ClickFolder(1);
        QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {},
                           List()->visualItemRect(List()->topLevelItem(1)).center());
        QVERIFY(Editor());
        QCOMPARE(Editor()->windowTitle(), QStringLiteral("Edit Logfolder"));
        QCOMPARE(Fields(), (QStringList{"Web", "/", "access.log"}));
        Click("cmdOK");
        Close();
        QVERIFY(!Editor());
        Click("cmdEdit");
        Type({"", "/new", "x"});
        Click("cmdCancel");
        Close();
        Click("cmdEdit");
        Type({"", "/new", "x"});
        Editor()->close(); // the close box
        Close();
        QCOMPARE(Rows(), (QStringList{"a|/|*.log", "Web|/|access.log"}));
        Click("cmdEdit");
        Type({"", "/new", "x,y"});
        Click("cmdOK");
        QCOMPARE(m_messages.shown.size(), 1);
        Type({"", "/new", "x"});
        Click("cmdOK");
        QCOMPARE(Rows(), (QStringList{"a|/|*.log", "|/new|x"}));
    }

    void openEditorOnlyLearnsTheNewMode()
    {
        Start({{"a", "/", "x"}, {"b", "/", "y"}});
        ClickFolder(0);
        Click("cmdAdd");
        Type({"typed", "/t", "z"});
        frmAddLogfile* first = Editor();
        Click("cmdEdit");
        QCOMPARE(Editor(), first);
        QCOMPARE(Editor()->windowTitle(), QStringLiteral("Add Logfolder"));
        QCOMPARE(Fields(), (QStringList{"typed", "/t", "z"}));
        ClickFolder(1); // OK writes into the row selected at that moment
        Click("cmdOK");
        QCOMPARE(Rows(), (QStringList{"a|/|x", "typed|/t|z"}));
    }

    void editWithNoRowSelected()
    {
        Start({{"a", "/", "x"}, {"b", "/", "y"}});
        ClickFolder(0);
        Click("cmdEdit");
        m_messages.answer = MessageAnswer::Yes;
        Click("cmdRemove"); // while the editor is open
        Click("cmdOK");
        QCOMPARE(m_messages.shown.last().text,
                 QStringLiteral("Please select the Logfolder to edit"));
        QVERIFY(Editor());
        QCOMPARE(Rows(), QStringList{"b|/|y"});
        Editor()->close();
        Close();
        ClickFolder(0);
        ClickFolder(0, Qt::ControlModifier);
        Click("cmdEdit");
        QCOMPARE(Fields(), (QStringList{"", "", ""}));
    }

    void remove_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("No") << int(MessageAnswer::No)
                            << QStringList{"a|/a|x", "Web server|/|y", "c|/c|z"};
        QTest::newRow("Yes") << int(MessageAnswer::Yes) << QStringList{"a|/a|x", "c|/c|z"};
    }

    void remove()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, rows);
        Start({{"a", "/a", "x"}, {"Web server", "/", "y"}, {"c", "/c", "z"}});
        m_messages.answer = MessageAnswer(answer);
        Click("cmdRemove"); // none selected: nothing asked
        QVERIFY(m_messages.shown.isEmpty());
        ClickFolder(1);
        Click("cmdRemove");
        QCOMPARE(Rows(), rows);
        const Message& m = m_messages.shown.value(0);
        QCOMPARE(m.text, QStringLiteral("Do you want to remove logfolder Web server"));
        QCOMPARE(m.icon, Message::Icon::Question);
        QCOMPARE(m.buttons, Message::Buttons::YesNo);
    }

    void openAndView_data()
    {
        QTest::addColumn<bool>("starts");
        QTest::newRow("started") << true;
        QTest::newRow("cannot start") << false;
    }

    void openAndView()
    {
        QFETCH(bool, starts);
        const QString folder = m_dir->filePath("-my logs;\"x\"");
        const QString file = "-a \"b\"; c.log";
        QVERIFY(QDir().mkpath(folder) && WriteFile(folder + u'/' + file, "x"));
        Start({{"Odd", folder, "*.log"}});
        m_launcher.succeeds = starts;
        ClickFolder(0);
        Click("cmdOpen");
        auto* files = Get<FileListBox>("File1");
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                          files->visualItemRect(files->item(0)).center());
        Click("cmdView");
        const QString path = folder + u'/' + file;
        QCOMPARE(m_launcher.started,
                 (QList<QStringList>{{"xdg-open", folder}, {"vi", "-R", path}}));
        QStringList texts;
        for (const Message& m : m_messages.shown)
            texts << m.text;
        QCOMPARE(texts, (starts ? QStringList{}
                                : QStringList{"Failed to open \\\\" + folder + u'/',
                                              "Failed to start vi -R " + path}));
    }

    // A click below the rows reads the selected folder again and stops a run; a keyboard move
    // reads the new folder; a Ctrl+click that clears the selection lists nothing.
    void folderListClicks()
    {
        QDir().mkpath(Logs() + "/b");
        Start({{"Logs", Logs(), "*.log"}, {"B", Logs() + "/b", "*.log"}});
        ClickFolder(0);
        QVERIFY(WriteFile(Logs() + "/new.log", "x"));
        m_window->StopRequested = false;
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {},
                          QPoint(20, List()->viewport()->height() - 5));
        QVERIFY(m_window->StopRequested);
        QCOMPARE(Listed(), (QStringList{"ex030123.log", "new.log"}));
        QTest::keyClick(List(), Qt::Key_Down);
        QCOMPARE(modMain::CurrentPath, Logs() + "/b/");
        QCOMPARE(Listed(), QStringList());
        QTest::keyClick(List(), Qt::Key_Up);
        ClickFolder(0, Qt::ControlModifier);
        QCOMPARE(modMain::CurrentPath, QString());
        QCOMPARE(Listed(), QStringList());
    }

    void removingKeepsTheFileList()
    {
        Start({{"Logs", Logs(), "*.log"}, {"b", "/b", "x"}});
        ClickFolder(0);
        m_messages.answer = MessageAnswer::Yes;
        Click("cmdRemove");
        QCOMPARE(Listed(), QStringList{"ex030123.log"});
        QCOMPARE(modMain::CurrentPath, Logs() + u'/');
        QVERIFY(m_messages.shown.size() == 1);
    }

    void undecodableNameIsListedButNotOpened()
    {
        const QByteArray name = QFile::encodeName(Logs()) + "/caf\xE9.log";
        FILE* f = fopen(name.constData(), "w"); // Qt cannot name it, so by hand
        QVERIFY(f && fclose(f) == 0);
        Start({{"Logs", Logs(), "*.log"}});
        ClickFolder(0);
        QCOMPARE(Listed(), (QStringList{"caf\uFFFD.log", "ex030123.log"}));
        auto* files = Get<FileListBox>("File1");
        files->setCurrentRow(0);
        QCOMPARE(files->FileName(), QString());
        Click("cmdView");
        QVERIFY(m_launcher.started.isEmpty());
        QCOMPARE(m_messages.shown.value(0).text,
                 "Failed to start vi -R " + Logs() + "/caf\uFFFD.log");
        QCOMPARE(::remove(name.constData()), 0); // Qt could not clean it up
    }
};

QTEST_MAIN(TestFolderCommands)
#include "tst_foldercommands.moc"
