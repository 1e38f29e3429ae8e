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
    std::unique_ptr<frmMain> m_w;

    template <typename T> T* Get(const char* name, QWidget* in = nullptr) const
    {
        return (in ? in : m_w.get())->findChild<T*>(QString::fromLatin1(name));
    }
    QTreeWidget* List() const { return Get<QTreeWidget>("ListView1"); }
    frmAddLogfile* Editor() const { return m_w->findChild<frmAddLogfile*>(); }
    QComboBox* Styles() const { return Get<QComboBox>("cmbLogFileStyle", Editor()); }
    QString Logs() const { return m_dir->filePath(QStringLiteral("logs")); }

    void Start(const QList<LogFolder>& folders)
    {
        QVERIFY(WriteFile(m_dir->filePath("tarvisk.ini"),
                          config::FormatConfigFile("vi -R", true, folders)));
        m_w = std::make_unique<frmMain>(m_messages, m_dir->path());
        m_w->SetLauncher(m_launcher);
        QVERIFY(m_w->Form_Load());
        m_w->show();
    }
    void Click(const char* button, QWidget* in = nullptr)
    {
        QTest::mouseClick(Get<QPushButton>(button, in), Qt::LeftButton);
        QTest::qWait(0); // a closed editor goes
    }
    void ClickFolder(int row, Qt::KeyboardModifiers keys = {})
    {
        const QRect rect = List()->visualItemRect(List()->topLevelItem(row));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, keys, rect.center());
    }
    void Type(const QStringList& v)
    {
        Get<QLineEdit>("txtLogname", Editor())->setText(v[0]);
        Get<QLineEdit>("txtLogPath", Editor())->setText(v[1]);
        Styles()->setEditText(v[2]);
    }
    QStringList Fields() const
    {
        return {Get<QLineEdit>("txtLogname", Editor())->text(),
                Get<QLineEdit>("txtLogPath", Editor())->text(), Styles()->currentText()};
    }
    QStringList Rows() const
    {
        QStringList rows;
        for (int i = 0; i < List()->topLevelItemCount(); ++i)
            rows << List()->topLevelItem(i)->text(0) + u'|' + List()->topLevelItem(i)->text(1);
        return rows;
    }
    QStringList Listed() const
    {
        QStringList names;
        for (int i = 0; i < Get<FileListBox>("File1")->count(); ++i)
            names << Get<FileListBox>("File1")->item(i)->text();
        return names;
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(Logs() + "/b") && WriteFile(Logs() + "/ex030123.log", "x"));
        m_messages = {};
        m_launcher = {};
        modMain::SetStartValues();
    }
    void cleanup() { m_w.reset(); }

    void addMode_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("added"); // empty: refused, the editor keeps the values
        QTest::newRow("free filter") << QStringList{"W", "/l", "access.log"} << -1 << "W|/l";
        QTest::newRow("*.* from the list") << QStringList{"W", "/l", ""} << 7 << "W|/l";
        QTest::newRow("name empty") << QStringList{"", "/l", "x"} << -1 << "";
        QTest::newRow("comma in path") << QStringList{"W", "D:\\logs,old", "x"} << -1 << "";
        QTest::newRow("comma in filter") << QStringList{"W", "/l", "a,b"} << -1 << "";
    }

    // The new row is not selected and the file list stays on the selected folder.
    void addMode()
    {
        QFETCH(QStringList, values);
        QFETCH(int, style);
        QFETCH(QString, added);
        Start({{"Logs", Logs(), "*.log"}});
        ClickFolder(0);
        Click("cmdAdd");
        QCOMPARE(Editor()->windowTitle(), QStringLiteral("Add Logfolder"));
        QCOMPARE(Fields(), (QStringList{"", "", ""}));
        QStringList styles;
        for (int i = 0; i < Styles()->count(); ++i)
            styles << Styles()->itemText(i);
        QCOMPARE(styles,
                 (QStringList{"exyymmdd.log", "inyymmdd.log", "ncyymmdd.log", "FWSEXTDyyyymmdd.log",
                              "IPPEXTDyyyymmdd.log", "WEBEXTDyyyymmdd.log", "*.log", "*.*"}));
        Type(values);
        if (style >= 0)
            Styles()->setCurrentIndex(style);
        const QStringList typed = Fields();
        Click("cmdOK", Editor());
        QCOMPARE(Rows().mid(1), added.isEmpty() ? QStringList() : QStringList{added});
        if (!added.isEmpty())
            QCOMPARE(List()->topLevelItem(1)->text(2), typed[2]);
        QCOMPARE(m_messages.shown.size(), added.isEmpty() ? 1 : 0);
        QCOMPARE(Editor() ? Fields() : QStringList(), added.isEmpty() ? typed : QStringList());
        QCOMPARE(List()->selectedItems().size(), 1);
        QCOMPARE(Listed(), QStringList{"ex030123.log"});
    }

    void editMode()
    {
        Start({{"a", "/", "*.log"}, {"Web", "/", "access.log"}});
        ClickFolder(1);
        QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {},
                           List()->visualItemRect(List()->topLevelItem(1)).center());
        QCOMPARE(Editor()->windowTitle(), QStringLiteral("Edit Logfolder"));
        QCOMPARE(Fields(), (QStringList{"Web", "/", "access.log"}));
        Click("cmdOK", Editor());
        Click("cmdEdit");
        Type({"", "/new", "x"});
        Click("cmdCancel", Editor());
        Click("cmdEdit");
        Type({"", "/new", "x"});
        Editor()->close(); // the close box
        QTest::qWait(0);
        QCOMPARE(Rows(), (QStringList{"a|/", "Web|/"}));
        QCOMPARE(List()->topLevelItem(1)->text(2), QStringLiteral("access.log"));
        Click("cmdEdit");
        Type({"", "/new", "x"});
        Click("cmdOK", Editor());
        QCOMPARE(Rows(), (QStringList{"a|/", "|/new"}));
    }

    void openEditorOnlyLearnsTheNewMode()
    {
        Start({{"a", "/", "x"}, {"b", "/", "y"}});
        ClickFolder(0);
        Click("cmdAdd");
        Type({"typed", "/t", "z"});
        Click("cmdEdit");
        QCOMPARE(Editor()->windowTitle(), QStringLiteral("Add Logfolder"));
        QCOMPARE(Fields(), (QStringList{"typed", "/t", "z"}));
        ClickFolder(1); // OK writes into the row selected at that moment
        Click("cmdOK", Editor());
        QCOMPARE(Rows(), (QStringList{"a|/", "typed|/t"}));
    }

    void editWithNoRowSelected()
    {
        Start({{"a", "/", "x"}, {"b", "/", "y"}});
        ClickFolder(0);
        Click("cmdEdit");
        m_messages.answer = MessageAnswer::Yes;
        Click("cmdRemove"); // while the editor is open
        Click("cmdOK", Editor());
        QCOMPARE(m_messages.shown.last().text,
                 QStringLiteral("Please select the Logfolder to edit"));
        QCOMPARE(Rows(), QStringList{"b|/"});
        QVERIFY(Editor());
    }

    void remove_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("No") << int(MessageAnswer::No)
                            << QStringList{"a|/a", "Web server|/l", "c|/c"};
        QTest::newRow("Yes") << int(MessageAnswer::Yes) << QStringList{"a|/a", "c|/c"};
    }

    void remove()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, rows);
        Start({{"a", "/a", "x"}, {"Web server", Logs(), "*.log"}, {"c", "/c", "z"}});
        rows.replaceInStrings("/l", Logs());
        m_messages.answer = MessageAnswer(answer);
        Click("cmdRemove"); // none selected: nothing asked
        ClickFolder(1);
        Click("cmdRemove");
        QCOMPARE(Rows(), rows);
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(m_messages.shown[0].text,
                 QStringLiteral("Do you want to remove logfolder Web server"));
        QCOMPARE(m_messages.shown[0].icon, Message::Icon::Question);
        QCOMPARE(m_messages.shown[0].buttons, Message::Buttons::YesNo);
        QCOMPARE(Listed(), QStringList{"ex030123.log"});
        QCOMPARE(modMain::CurrentPath, Logs() + u'/');
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
        const QString path = folder + "/-a \"b\"; c.log";
        QVERIFY(QDir().mkpath(folder) && WriteFile(path, "x"));
        Start({{"Odd", folder, "*.log"}});
        m_launcher.succeeds = starts;
        ClickFolder(0);
        Click("cmdOpen");
        Get<FileListBox>("File1")->setCurrentRow(0);
        Click("cmdView");
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
        Start({{"Logs", Logs(), "*.log"}, {"B", Logs() + "/b", "*.log"}});
        ClickFolder(0);
        QVERIFY(WriteFile(Logs() + "/new.log", "x"));
        m_w->StopRequested = false;
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {},
                          QPoint(20, List()->viewport()->height() - 5));
        QVERIFY(m_w->StopRequested);
        QCOMPARE(Listed(), (QStringList{"ex030123.log", "new.log"}));
        QTest::keyClick(List(), Qt::Key_Down);
        QCOMPARE(modMain::CurrentPath, Logs() + "/b/");
        QTest::keyClick(List(), Qt::Key_Up);
        QCOMPARE(Listed().size(), 2);
        ClickFolder(0, Qt::ControlModifier);
        QCOMPARE(modMain::CurrentPath, QString());
        QCOMPARE(Listed(), QStringList());
    }

    void undecodableNameIsListedButNotOpened()
    {
        const QByteArray name = QFile::encodeName(Logs()) + "/caf\xE9.log";
        FILE* f = fopen(name.constData(), "w"); // Qt cannot name it
        QVERIFY(f && fclose(f) == 0);
        Start({{"Logs", Logs(), "*.log"}});
        ClickFolder(0);
        QCOMPARE(Listed(), (QStringList{"caf\uFFFD.log", "ex030123.log"}));
        Get<FileListBox>("File1")->setCurrentRow(0);
        Click("cmdView");
        QVERIFY(m_launcher.started.isEmpty());
        QCOMPARE(m_messages.shown.value(0).text,
                 "Failed to start vi -R " + Logs() + "/caf\uFFFD.log");
        QCOMPARE(::remove(name.constData()), 0); // nor remove it
    }
};

QTEST_MAIN(TestFolderCommands)
#include "tst_foldercommands.moc"
