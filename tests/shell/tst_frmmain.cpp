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
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

// The main window driven by clicks: its controls, the file list of a folder, the file commands'
// enabled states, and Tail.
class TestFrmMain : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeMessageBox m_messages;
    std::unique_ptr<frmMain> m_window;

    template <typename T> T* Get(const char* name) const
    {
        T* w = m_window->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QString Logs() const { return m_dir->filePath(QStringLiteral("logs")); }

    void Start(const QList<LogFolder>& folders)
    {
        QVERIFY(WriteFile(m_dir->filePath(QStringLiteral("tarvisk.ini")),
                          config::FormatConfigFile("vi", true, folders)));
        m_window = std::make_unique<frmMain>(m_messages, m_dir->path());
        QVERIFY(m_window->Form_Load());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void ClickFolder(int row)
    {
        auto* list = Get<QTreeWidget>("ListView1");
        const QRect rect = list->visualItemRect(list->topLevelItem(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    void ClickFile(const QString& name, bool twice = false)
    {
        auto* files = Get<FileListBox>("File1");
        const auto found = files->findItems(name, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        const QPoint at = files->visualItemRect(found.first()).center();
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, at);
        if (twice)
            QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, at);
    }

    QStringList Listed() const
    {
        QStringList names;
        auto* files = Get<FileListBox>("File1");
        for (int i = 0; i < files->count(); ++i)
            names << files->item(i)->text();
        return names;
    }

    QStringList Shown() const
    {
        auto* view = Get<OutputView>("lstRows");
        QStringList lines;
        for (int i = 0; i < view->model()->rowCount(); ++i)
            lines << view->model()->index(i, 0).data().toString();
        return lines;
    }

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
        QDir().mkpath(Logs());
        for (const char* name :
             {"ex030123.log", "ex021231.log", "EX040101.LOG", "in030123.log", "WEBEXTD20030123.log",
              "WEBEXTD20021231.log", "readme.txt", "notes", "ex 030124 (copy).log"})
            QVERIFY(WriteFile(Logs() + u'/' + QString::fromLatin1(name), "x\r\n"));
        QDir().mkpath(Logs() + QStringLiteral("/ex999999.log")); // a folder is not a file
        m_messages.shown.clear();
        modMain::SetStartValues();
    }

    void cleanup() { m_window.reset(); }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<bool>("enabled");
        auto row = [](const char* n, const char* c, const char* t, bool e = true) {
            QTest::newRow(n) << QString::fromLatin1(n) << QString::fromLatin1(c)
                             << QString::fromLatin1(t) << e;
        };
        row("cmdAdd", "&Add", "Add new logfolder");
        row("cmdRemove", "&Remove", "Remove selected logfolder from list");
        row("cmdEdit", "&Edit", "Edit properties for selected logfolder");
        row("cmdOpen", "&Open", "Open selected logfolder in explorer window");
        row("cmdView", "View", "View selected logfile in external viewer", false);
        row("cmdTail", "Tail", "View last part of selected logfile", false);
        row("cmdContinous", "Continous", "Online monitoring of changes in selected logfile", false);
        row("cmdStop", "Stop", "Stop monitoring selected logfile", false);
        row("cmdClear", "Clear window", "Clear the output window");
        row("cmdCopy", "Copy to clipboard", "Copy selected lines to clipboard");
        row("cmdSearch", "&Search", "Search the output window");
        row("chkDivider", "Use divider lines", "Insert lines between updates in continous mode");
        row("cmdAbout", "About", "");
        row("cmdQuit", "Quit", "");
        row("Label1", "Logfolders", "");
        row("Label4", "Matching logfiles", "");
        row("Label2", "Filter", "");
        row("lblFullPath", "", "");
        row("lblFileSize", "", "");
    }

    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, tip);
        QFETCH(bool, enabled);
        Start({});
        QWidget* w = m_window->findChild<QWidget*>(name);
        QVERIFY(w);
        const QVariant text = w->property("text");
        QCOMPARE(text.toString(), caption);
        QCOMPARE(w->toolTip(), tip);
        QCOMPARE(w->isEnabled(), enabled);
        QVERIFY(m_window->rect().contains(w->geometry())); // nothing placed outside the window
    }

    void windowAndTabOrder()
    {
        Start({});
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Quorvel Tarvisk"));
        QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
        QVERIFY(!(m_window->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!m_window->windowIcon().isNull());
        QVERIFY(Get<QLabel>("lblFullPath")->font().bold());
        QVERIFY(Get<QLineEdit>("txtFilter")->font().bold());
        QCOMPARE(Get<QLineEdit>("txtFilter")->toolTip(),
                 QStringLiteral("Filter to use when running in continous mode"));
        QCOMPARE(Get<QLineEdit>("txtFilter")->text(), QStringLiteral("*"));
        QCOMPARE(Get<OutputView>("lstRows")->selectionMode(), QAbstractItemView::ExtendedSelection);

        const QStringList expected = {
            "ListView1", "cmdAdd",       "cmdRemove", "cmdEdit",  "File1",    "cmdView",
            "cmdTail",   "cmdContinous", "cmdStop",   "lstRows",  "cmdClear", "cmdCopy",
            "cmdSearch", "chkDivider",   "txtFilter", "cmdAbout", "cmdQuit",  "cmdOpen"};
        QStringList order;
        QWidget* w = Get<QWidget>("ListView1");
        do {
            if (w->focusPolicy() & Qt::TabFocus)
                order << w->objectName();
            w = w->nextInFocusChain();
        } while (w != Get<QWidget>("ListView1"));
        order.removeAll(QString()); // the window itself and inner parts of composite controls
        QCOMPARE(order, expected);
    }

    void styleListsItsFilesOfEveryDate_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("exyymmdd.log")
            << "exyymmdd.log"
            << QStringList{"ex 030124 (copy).log", "ex021231.log", "ex030123.log", "EX040101.LOG"};
        QTest::newRow("inyymmdd.log") << "inyymmdd.log" << QStringList{"in030123.log"};
        QTest::newRow("WEBEXTDyyyymmdd.log")
            << "WEBEXTDyyyymmdd.log" << QStringList{"WEBEXTD20021231.log", "WEBEXTD20030123.log"};
        QTest::newRow("*.*") << "*.*" << QStringList{"ex 030124 (copy).log", "ex021231.log",
                                                     "ex030123.log",         "EX040101.LOG",
                                                     "in030123.log",         "notes",
                                                     "readme.txt",           "WEBEXTD20021231.log",
                                                     "WEBEXTD20030123.log"};
        QTest::newRow("empty filter lists nothing") << "" << QStringList{};
    }

    void styleListsItsFilesOfEveryDate()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, files);
        Start({{"Other", m_dir->path(), "*.*"}, {"Logs", Logs(), filter}});
        ClickFolder(0);
        ClickFolder(1);
        QCOMPARE(Listed(), files);
        QCOMPARE(modMain::CurrentPath, Logs() + u'/');
        QVERIFY(m_messages.shown.isEmpty());
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void missingFolderIsReported()
    {
        Start({{"Logs", Logs(), "*.*"}, {"Gone", Logs() + QStringLiteral("/gone"), "*.log"}});
        ClickFolder(0);
        ClickFolder(1);
        QCOMPARE(m_messages.shown.size(), 1);
        const Message& m = m_messages.shown.first();
        QCOMPARE(m.text, QStringLiteral("Path not found: ") + Logs() + QStringLiteral("/gone/"));
        QCOMPARE(m.title, QStringLiteral("Tarvisk"));
        QCOMPARE(m.icon, Message::Icon::None);
        QCOMPARE(Listed(), QStringList());
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void enabledStatesFollowTheClicks()
    {
        Start({{"Logs", Logs(), "exyymmdd.log"}});
        QCOMPARE(Commands(), QStringLiteral("0000"));
        ClickFolder(0);
        QCOMPARE(Commands(), QStringLiteral("0000"));
        ClickFile(QStringLiteral("ex030123.log"));
        QCOMPARE(Commands(), QStringLiteral("1110"));
        Get<QPushButton>("cmdStop")->setEnabled(true); // as while following a file
        ClickFile(QStringLiteral("ex021231.log"));
        QCOMPARE(Commands(), QStringLiteral("1110"));
        ClickFolder(0);
        QCOMPARE(Commands(), QStringLiteral("0000"));
        QVERIFY(m_window->StopRequested);
    }

    void fileCommandsNeedAChosenFile()
    {
        Start({{"Logs", Logs(), "exyymmdd.log"}});
        ClickFolder(0);
        auto* files = Get<FileListBox>("File1");
        // Tabbing into the list makes a row current without choosing it.
        files->setFocus(Qt::TabFocusReason);
        QCOMPARE(Commands(), QStringLiteral("0000"));
        // A desktop set to open on one click sends "activated" for a click: not a double click.
        Q_EMIT files->itemActivated(files->item(0));
        QCOMPARE(Shown(), QStringList());
        QTest::keyClick(files, Qt::Key_Down);
        QCOMPARE(Commands(), QStringLiteral("1110"));
        QTest::keyClick(files, Qt::Key_Return);
        QCOMPARE(Shown(), QStringList{"x"});
    }

    void clickInEmptyFolderListDoesNothing()
    {
        Start({});
        auto* list = Get<QTreeWidget>("ListView1");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(Commands(), QStringLiteral("0000"));
        QCOMPARE(modMain::CurrentPath, QString());
        QVERIFY(m_messages.shown.isEmpty());
    }

    void tailShowsTheEndOfTheFile()
    {
        QVERIFY(WriteFile(Logs() + QStringLiteral("/ex030123.log"),
                          "first line\r\nsecond line\r\nthird line\r\n"));
        Start({{"Logs", Logs(), "exyymmdd.log"}});
        ClickFolder(0);
        ClickFile(QStringLiteral("ex030123.log"));
        QTest::mouseClick(Get<QPushButton>("cmdTail"), Qt::LeftButton);
        QCOMPARE(Shown(), (QStringList{"first line", "second line", "third line"}));
        auto* view = Get<OutputView>("lstRows");
        QCOMPARE(view->currentIndex().row(), 2);
        QCOMPARE(Get<QLabel>("lblFullPath")->text(), Logs() + QStringLiteral("/ex030123.log"));
        QCOMPARE(Get<QLabel>("lblFileSize")->text(), QStringLiteral("Filesize: 37"));
        // The sideways extent reaches at least 7 pixels a character of the first line + 8000.
        QTRY_VERIFY(view->horizontalScrollBar()->maximum() + view->viewport()->width() >=
                    10 * 7 + 8000);
    }

    void tailBringsTheLastLineIntoView()
    {
        QByteArray lines;
        for (int i = 0; i < 500; ++i)
            lines += "line " + QByteArray::number(i) + "\r\n";
        QVERIFY(WriteFile(Logs() + QStringLiteral("/ex030123.log"), lines));
        Start({{"Logs", Logs(), "exyymmdd.log"}});
        ClickFolder(0);
        ClickFile(QStringLiteral("ex030123.log"));
        QTest::mouseClick(Get<QPushButton>("cmdTail"), Qt::LeftButton);
        auto* view = Get<OutputView>("lstRows");
        QCOMPARE(view->currentIndex().row(), 499);
        const QRect row = view->visualRect(view->currentIndex());
        QVERIFY(row.top() >= 0 && row.bottom() <= view->viewport()->height());
    }

    void doubleClickOnAFileShowsItsTail()
    {
        QVERIFY(WriteFile(Logs() + QStringLiteral("/in030123.log"), "a\nb\nc\nd\n"));
        Start({{"Logs", Logs(), "inyymmdd.log"}});
        ClickFolder(0);
        ClickFile(QStringLiteral("in030123.log"), true);
        QCOMPARE(Shown(), (QStringList{"a", "b", "c", "d"}));
    }

    void tailOfAMissingFileEmptiesTheList()
    {
        Start({{"Logs", Logs(), "exyymmdd.log"}});
        ClickFolder(0);
        ClickFile(QStringLiteral("ex030123.log"));
        QTest::mouseClick(Get<QPushButton>("cmdTail"), Qt::LeftButton);
        QCOMPARE(Get<QLabel>("lblFileSize")->text(), QStringLiteral("Filesize: 3"));
        QVERIFY(QFile::remove(Logs() + QStringLiteral("/ex030123.log")));
        QVERIFY(WriteFile(Logs() + QStringLiteral("/ex021231.log"), "a\nb\nc\n"));
        ClickFile(QStringLiteral("ex021231.log"));
        QTest::mouseClick(Get<QPushButton>("cmdTail"), Qt::LeftButton);
        QCOMPARE(Shown().size(), 3);
        ClickFile(QStringLiteral("ex030123.log"));
        QTest::mouseClick(Get<QPushButton>("cmdTail"), Qt::LeftButton);
        QCOMPARE(Shown(), QStringList());
        QCOMPARE(Get<QLabel>("lblFullPath")->text(), Logs() + QStringLiteral("/ex030123.log"));
        QCOMPARE(Get<QLabel>("lblFileSize")->text(), QStringLiteral("Filesize: 6"));
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
