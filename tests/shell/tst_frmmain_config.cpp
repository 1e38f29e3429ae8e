#include "FakeMessageBox.h"
#include "TestFiles.h"
#include "settings/modMain.h"
#include "shell/ConfigFile.h"
#include "shell/frmMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <sys/stat.h>
#include <unistd.h>

class TestFrmMainConfig : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeMessageBox m_messages;

    QString Ini() const { return m_dir->filePath(QStringLiteral("tarvisk.ini")); }
    std::unique_ptr<frmMain> Window()
    {
        return std::make_unique<frmMain>(m_messages, m_dir->path());
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_messages.shown.clear();
        modMain::SetStartValues();
    }

    void noFileAtStart()
    {
        auto w = Window();
        QVERIFY(w->Form_Load());
        QCOMPARE(QFileInfo(Ini()).size(), 0);
        QVERIFY(QFileInfo::exists(Ini()));
        QVERIFY(m_messages.shown.isEmpty());
        QCOMPARE(w->findChild<QTreeWidget*>("ListView1")->topLevelItemCount(), 0);
        QVERIFY(w->findChild<QCheckBox*>("chkDivider")->isChecked());
        QCOMPARE(w->findChild<QLineEdit*>("txtFilter")->text(), QStringLiteral("*"));
        QCOMPARE(modMain::ExtViewer, QStringLiteral("xdg-open"));
        QVERIFY(modMain::UseDividers);
    }

    void badLineEndsBeforeTheWindowShows()
    {
        QVERIFY(WriteFile(Ini(), ";\r\nok,fine,here\r\nnot a folder\r\nlater,line,x\r\n"));
        auto w = Window();
        QVERIFY(!w->Form_Load());
        QVERIFY(!w->isVisible());
        QCOMPARE(m_messages.shown.size(), 1);
        const Message& m = m_messages.shown.first();
        QCOMPARE(m.title, QStringLiteral("Invalid data in Tarvisk.ini"));
        QCOMPARE(m.icon, Message::Icon::Exclamation);
        QCOMPARE(m.buttons, Message::Buttons::Ok);
        QVERIFY(m.text.endsWith(QStringLiteral("Unable to interpret: not a folder")));
    }

    void unreadableFileIsReportedAndTheWindowStillLoads()
    {
        QVERIFY(QDir().mkpath(Ini()));
        auto w = Window();
        QVERIFY(w->Form_Load());
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(m_messages.shown.first().title, QStringLiteral("Tarvisk"));
        QCOMPARE(m_messages.shown.first().icon, Message::Icon::None);
        QVERIFY(!w->findChild<QCheckBox*>("chkDivider")->isChecked());
        QCOMPARE(w->findChild<QLineEdit*>("txtFilter")->text(), QStringLiteral("*"));
    }

    void quitWritesTheFile()
    {
        const QByteArray before = config::FormatConfigFile(
            "vi", true,
            {{"Web", "/var/log/web", "exyymmdd.log"}, {"Proxy", "/var/log/proxy", "*.log"}});
        QVERIFY(WriteFile(Ini(), before));
        auto w = Window();
        QVERIFY(w->Form_Load());
        w->show();
        QCOMPARE(w->findChild<QTreeWidget*>("ListView1")->topLevelItemCount(), 2);
        QCOMPARE(ReadFile(Ini()), before);

        w->findChild<QCheckBox*>("chkDivider")->click();
        QVERIFY(!modMain::UseDividers);
        QTest::mouseClick(w->findChild<QPushButton*>("cmdQuit"), Qt::LeftButton);
        QVERIFY(w->StopRequested);
        QVERIFY(!w->isVisible());
        QCOMPARE(ReadFile(Ini()), config::FormatConfigFile("vi", false,
                                                           {{"Web", "/var/log/web", "exyymmdd.log"},
                                                            {"Proxy", "/var/log/proxy", "*.log"}}));
        QVERIFY(m_messages.shown.isEmpty());
    }

    void closingByTheFrameWritesNothing()
    {
        const QByteArray before = config::FormatConfigFile("vi", true, {{"a", "b", "c"}});
        QVERIFY(WriteFile(Ini(), before));
        auto w = Window();
        QVERIFY(w->Form_Load());
        w->show();
        w->findChild<QCheckBox*>("chkDivider")->click();
        QVERIFY(w->close());
        QVERIFY(w->StopRequested);
        QCOMPARE(ReadFile(Ini()), before);
    }

    // Whatever the editor accepted is there after Quit and a new start; a row that was not
    // edited keeps its bytes, even those that are not valid UTF-8.
    void editorRoundTrip()
    {
        const QByteArray foreign = "Old,/srv/caf\xE9 logs,ex\xFFyymmdd.log";
        QVERIFY(WriteFile(Ini(), ";\r\nEXTVIEWER=vi\r\n" + foreign + "\r\nB,/b,x\r\n"));
        auto w = Window();
        QVERIFY(w->Form_Load());
        w->show();
        auto* list = w->findChild<QTreeWidget*>("ListView1");
        QTest::mouseClick(w->findChild<QPushButton*>("cmdAdd"), Qt::LeftButton);
        auto* editor = w->findChild<QDialog*>();
        editor->findChild<QLineEdit*>("txtLogname")->setText(" Wéb; server ");
        editor->findChild<QLineEdit*>("txtLogPath")->setText("/var/log/my \"web\"");
        editor->findChild<QComboBox*>("cmbLogFileStyle")->setCurrentIndex(7);
        QTest::mouseClick(editor->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        list->topLevelItem(1)->setSelected(true);
        QTest::mouseClick(w->findChild<QPushButton*>("cmdEdit"), Qt::LeftButton);
        QTest::qWait(0);
        editor = w->findChild<QDialog*>();
        editor->findChild<QLineEdit*>("txtLogname")->setText("");
        QTest::mouseClick(editor->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        QTest::mouseClick(w->findChild<QPushButton*>("cmdQuit"), Qt::LeftButton);
        QVERIFY(ReadFile(Ini()).endsWith("\r\n;\r\n" + foreign +
                                         "\r\n,/b,x\r\n Wéb; server ,/var/log/my \"web\",*.*\r\n"));
        modMain::SetStartValues();
        auto again = Window();
        QVERIFY(again->Form_Load());
        QStringList rows;
        auto* read = again->findChild<QTreeWidget*>("ListView1");
        for (int i = 0; i < read->topLevelItemCount(); ++i)
            rows << read->topLevelItem(i)->text(1);
        QCOMPARE(rows, (QStringList{"/srv/caf\uFFFD logs", "/b", "/var/log/my \"web\""}));
    }

    void unreadableFileSurvivesQuit_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("folder") << "folder";
        QTest::newRow("no read permission") << "file";
    }

    void unreadableFileSurvivesQuit()
    {
        QFETCH(QString, kind);
        if (kind == "file" && geteuid() == 0)
            QSKIP("root reads every file");
        const QByteArray bytes = config::FormatConfigFile("vi", false, {{"a", "/a", "x"}});
        if (kind == "fifo")
            QCOMPARE(mkfifo(QFile::encodeName(Ini()).constData(), 0600), 0);
        else if (kind == "folder")
            QVERIFY(QDir().mkpath(Ini()));
        else
            QVERIFY(WriteFile(Ini(), bytes) && QFile::setPermissions(Ini(), {}));
        auto w = Window();
        QVERIFY(w->Form_Load());
        QTest::mouseClick(w->findChild<QPushButton*>("cmdQuit"), Qt::LeftButton);
        QCOMPARE(m_messages.shown.size(), 2);
        QVERIFY(m_messages.shown[1].text.startsWith("The settings were not saved: " + Ini()));
        const QFileInfo after(Ini());
        QCOMPARE(after.isDir(), kind == "folder");
        QCOMPARE(after.isFile(), kind == "file");
        QFile::setPermissions(Ini(), QFile::ReadOwner | QFile::WriteOwner);
        if (kind == "file")
            QCOMPARE(ReadFile(Ini()), bytes);
    }

    void failedSaveIsReportedWithTheFileName()
    {
        auto w = Window();
        QVERIFY(w->Form_Load());
        modMain::IniPath = m_dir->filePath(QStringLiteral("gone/tarvisk.ini"));
        QTest::mouseClick(w->findChild<QPushButton*>("cmdQuit"), Qt::LeftButton);
        QCOMPARE(m_messages.shown.size(), 1);
        QVERIFY(m_messages.shown.first().text.contains(modMain::IniPath));
        QVERIFY(!w->isVisible());
    }
};

QTEST_MAIN(TestFrmMainConfig)
#include "tst_frmmain_config.moc"
