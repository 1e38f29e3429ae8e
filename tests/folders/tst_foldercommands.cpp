#include "FakeLauncher.h"
#include "FakeMessageBox.h"
#include "TestFiles.h"
#include "folders/FileListBox.h"
#include "folders/FolderCommands.h"
#include "folders/frmAddLogfile.h"
#include "settings/modMain.h"
#include "shell/ConfigFile.h"
#include "shell/frmMain.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
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

    void Start(const QList<LogFolder>& folders, const QString& viewer = "vi -R")
    {
        QVERIFY(WriteFile(m_dir->filePath("tarvisk.ini"),
                          config::FormatConfigFile(viewer, true, folders)));
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
    template <typename F> static QStringList Collect(int count, F text)
    {
        QStringList texts;
        for (int i = 0; i < count; ++i)
            texts << text(i);
        return texts;
    }
    QStringList Rows() const
    {
        return Collect(List()->topLevelItemCount(), [this](int i) {
            const QTreeWidgetItem* row = List()->topLevelItem(i);
            return row->text(0) + u'|' + row->text(1) + u'|' + row->text(2);
        });
    }
    static QStringList Texts(const QListWidget& list)
    {
        return Collect(list.count(), [&list](int i) { return list.item(i)->text(); });
    }
    QStringList Listed() const { return Texts(*Get<FileListBox>("File1")); }
    QStringList Shown() const
    {
        return Collect(int(m_messages.shown.size()),
                       [this](int i) { return m_messages.shown[i].text; });
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

    // Every value the editor accepts must read back from the configuration file as the same row.
    void checks_data()
    {
        QTest::addColumn<QStringList>("values"); // Name, Path, Filter
        QTest::addColumn<QString>("add");        // the refusal's start in add mode; empty: accepted
        QTest::addColumn<QString>("edit");       // the same in edit mode
        const auto row = [](const QStringList& v, const char* add, const char* edit) {
            QTest::addRow("%s", qPrintable(v.join(u'|'))) << v << QString(add) << QString(edit);
        };
        const char* empty = "Please specify Logfolder description, Path and Filter";
        const char* comma = "Commasigns are not allowed in the Logfolder desciption or path";
        const char* filterComma = "Commasigns are not allowed in the Filter";
        const char* equals = "Equalsigns are not allowed";
        const char* semicolon = "The Logfolder description may not begin with a semicolon";
        const char* lineBreak = "Line breaks are not allowed";
        row({"", "/l", "x"}, empty, "");
        row({"W", "", "x"}, empty, "");
        row({"W", "/l", ""}, empty, "");
        row({" ", " ", " "}, "", "");
        row({"Web, main", "/l", "x"}, comma, comma);
        row({"W", "D:\\logs,old", "x"}, comma, comma);
        row({"W", "/l", "a,b"}, filterComma, filterComma);
        row({"a=b", "/l", "x"}, equals, equals);
        row({"a", "/l=1", "x"}, equals, equals);
        row({"a", "/l", "x=y"}, equals, equals);
        row({";W", "/l", "x"}, semicolon, semicolon);
        row({"W;1", ";/l", ";x"}, "", "");
        row({"a", "/l\n", "x"}, lineBreak, lineBreak);
        row({"a", "/l", "x\r"}, lineBreak, lineBreak);
    }

    void checks()
    {
        QFETCH(QStringList, values);
        QFETCH(QString, add);
        QFETCH(QString, edit);
        for (const qint16 mode : {AddMode, EditMode}) {
            const QString& refusal = mode == AddMode ? add : edit;
            const std::optional<Message> m =
                CheckLogFolder(mode, {values[0], values[1], values[2]});
            QVERIFY2(bool(m) == !refusal.isEmpty() && (!m || m->text.startsWith(refusal)),
                     qPrintable(QString::number(mode) + u' ' + (m ? m->text : "accepted")));
            if (m)
                QCOMPARE(m->icon, refusal.startsWith("Please") ? Message::Icon::Information
                                                               : Message::Icon::Exclamation);
        }
    }

    // Add refuses keeping what was typed and appends without selecting the new row. A double
    // click edits a row whose filter is none of the styles; OK unchanged and Cancel leave it.
    // Edit while the editor is open only switches the mode: OK writes the row selected then,
    // or asks for one when it was removed meanwhile.
    void editor()
    {
        Start({{"Logs", Logs(), "*.log"}, {"Web", "/", "access.log"}});
        ClickFolder(0);
        Click("cmdAdd");
        QCOMPARE(Fields(), (QStringList{"", "", ""}));
        Type({"W", "D:\\logs,old", "access.log"});
        Click("cmdOK", Editor());
        QCOMPARE(Fields(), (QStringList{"W", "D:\\logs,old", "access.log"}));
        Type({"W", "/", "access.log"});
        Click("cmdOK", Editor());
        QVERIFY(!Editor());
        Click("cmdAdd");
        Type({"V", "/v", ""});
        Styles()->setCurrentIndex(int(frmAddLogfile::Styles.indexOf("*.*")));
        Click("cmdOK", Editor());
        const QString logs = "Logs|" + Logs() + "|*.log";
        QCOMPARE(Rows(), (QStringList{logs, "Web|/|access.log", "W|/|access.log", "V|/v|*.*"}));
        QCOMPARE(List()->selectedItems(), QList{List()->topLevelItem(0)});
        QCOMPARE(Listed(), QStringList{"ex030123.log"});
        ClickFolder(1);
        QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {},
                           List()->visualItemRect(List()->topLevelItem(1)).center());
        QCOMPARE(Fields(), (QStringList{"Web", "/", "access.log"}));
        Click("cmdOK", Editor());
        Click("cmdEdit");
        Type({"", "/new", "x"});
        Click("cmdCancel", Editor());
        Click("cmdAdd");
        Type({"", "/t", "z"}); // refused in add mode
        Click("cmdEdit");
        QCOMPARE(Fields(), (QStringList{"", "/t", "z"}));
        ClickFolder(2);
        Click("cmdOK", Editor());
        QCOMPARE(Rows(), (QStringList{logs, "Web|/|access.log", "|/t|z", "V|/v|*.*"}));
        Click("cmdEdit");
        m_messages.answer = MessageAnswer::Yes;
        Click("cmdRemove");
        Click("cmdOK", Editor());
        QVERIFY(Editor());
        QCOMPARE(Rows(), (QStringList{logs, "Web|/|access.log", "V|/v|*.*"}));
        QCOMPARE(Shown(),
                 (QStringList{"Commasigns are not allowed in the Logfolder desciption or path",
                              "Do you want to remove logfolder ",
                              "Please select the Logfolder to edit"}));
    }

    // No keeps the row; Yes removes it, the others keep their order and the file list stays.
    void remove()
    {
        Start({{"a", "/a", "x"}, {"Web server", Logs(), "*.log"}, {"c", "/c", "z"}});
        QStringList rows{"a|/a|x", "Web server|" + Logs() + "|*.log", "c|/c|z"};
        m_messages.answer = MessageAnswer::No;
        Click("cmdRemove"); // none selected: nothing asked
        ClickFolder(1);
        Click("cmdRemove");
        QCOMPARE(Rows(), rows);
        m_messages.answer = MessageAnswer::Yes;
        Click("cmdRemove");
        rows.removeAt(1);
        QCOMPARE(Rows(), rows);
        QCOMPARE(Shown(), QStringList(2, "Do you want to remove logfolder Web server"));
        QCOMPARE(m_messages.shown[1].buttons, Message::Buttons::YesNo);
        QCOMPARE(Listed(), QStringList{"ex030123.log"});
        QCOMPARE(modMain::CurrentPath, Logs() + u'/');
    }

    void openAndView_data()
    {
        QTest::addColumn<QString>("viewer");
        QTest::addColumn<bool>("starts");
        QTest::addColumn<QString>("file");     // as listed
        QTest::addColumn<QStringList>("view"); // the viewer's program and arguments; empty: none
        const QString odd = "-a \"b\"; c.log";
        QTest::newRow("started") << "vi -R" << true << odd << QStringList{"vi", "-R"};
        QTest::newRow("cannot start") << "vi -R" << false << odd << QStringList{"vi", "-R"};
        QTest::newRow("quoted program and argument")
            << "\"/opt/my viewer\" -c \"set nowrap\"" << true << odd
            << QStringList{"/opt/my viewer", "-c", "set nowrap"};
        QTest::newRow("blank viewer") << "   " << true << odd << QStringList{};
        QTest::newRow("undecodable name") << "vi -R" << true << "caf\uFFFD.log" << QStringList{};
    }

    // Folder and file each arrive as one argument, whatever blanks, quotes and signs they hold;
    // a name that is not valid UTF-8 is listed readably but cannot be opened.
    void openAndView()
    {
        QFETCH(QString, viewer);
        QFETCH(bool, starts);
        QFETCH(QString, file);
        QFETCH(QStringList, view);
        const QString folder = m_dir->filePath("-my logs;\"x\"");
        const QByteArray undecodable = QFile::encodeName(folder) + "/caf\xE9.log";
        QVERIFY(QDir().mkpath(folder) && WriteFile(folder + "/-a \"b\"; c.log", "x"));
        FILE* f = fopen(undecodable.constData(), "w"); // Qt cannot name it
        QVERIFY(f && fclose(f) == 0);
        Start({{"Odd", folder, "*.log"}}, viewer);
        m_launcher.succeeds = starts;
        ClickFolder(0);
        Click("cmdOpen");
        QCOMPARE(Listed(), (QStringList{"-a \"b\"; c.log", "caf\uFFFD.log"}));
        Get<FileListBox>("File1")->setCurrentRow(int(Listed().indexOf(file)));
        Click("cmdView");
        QList<QStringList> started{{"xdg-open", folder}};
        if (!view.isEmpty())
            started << view + QStringList{folder + u'/' + file};
        QCOMPARE(m_launcher.started, started);
        QStringList failures;
        if (!starts)
            failures << "Failed to open \\\\" + folder + u'/';
        if (!starts || view.isEmpty())
            failures << "Failed to start " + viewer + u' ' + folder + u'/' + file;
        QCOMPARE(Shown(), failures);
        QCOMPARE(::remove(undecodable.constData()), 0); // nor removed nor renamed it
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

    // The file list alone: a folder it cannot list keeps the list and its selection; a new
    // pattern lists again, selecting nothing.
    void fileListBox()
    {
        QVERIFY(WriteFile(Logs() + "/notes.txt", "x") && WriteFile(Logs() + "/ex021231.log", "x"));
        FileListBox box;
        box.SetPattern("ex*.log");
        QVERIFY(box.SetPath(Logs()));
        box.setCurrentRow(1);
        QVERIFY(!box.SetPath(Logs() + "/missing"));
        QVERIFY(!box.SetPath(Logs() + "/notes.txt"));
        QCOMPARE(box.Path(), Logs());
        QCOMPARE(Texts(box), (QStringList{"ex021231.log", "ex030123.log"}));
        QCOMPARE(box.FileName(), QStringLiteral("ex030123.log"));
        QSignalSpy selection(&box, &QListWidget::itemSelectionChanged);
        box.SetPattern("*.TXT");
        QCOMPARE(Texts(box), QStringList{"notes.txt"});
        QCOMPARE(box.FileName(), QString());
        QCOMPARE(selection.count(), 0); // only a user's click tells of a selection
    }
};

QTEST_MAIN(TestFolderCommands)
#include "tst_foldercommands.moc"
