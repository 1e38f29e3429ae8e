#include "FakeMessageBox.h"
#include "TestFiles.h"
#include "settings/modMain.h"
#include "shell/ConfigFile.h"
#include "shell/frmMain.h"

#include <QCheckBox>
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

    void missingFileIsCreated()
    {
        auto w = Window();
        QVERIFY(w->Form_Load());
        QVERIFY(QFileInfo(Ini()).isFile() && QFileInfo(Ini()).size() == 0);
        QVERIFY(m_messages.shown.isEmpty());
        QCOMPARE(w->findChild<QTreeWidget*>("ListView1")->topLevelItemCount(), 0);
        QVERIFY(w->findChild<QCheckBox*>("chkDivider")->isChecked());
        QCOMPARE(w->findChild<QLineEdit*>("txtFilter")->text(), QStringLiteral("*"));
    }

    void invalidLineEndsTheProgram()
    {
        QVERIFY(WriteFile(Ini(), ";\r\nok,fine,here\r\nnot a folder\r\nlater,line,x\r\n"));
        QVERIFY(!Window()->Form_Load());
        QCOMPARE(m_messages.shown.size(), 1);
        QVERIFY(
            m_messages.shown[0].text.endsWith(QStringLiteral("Unable to interpret: not a folder")));
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
        QVERIFY(WriteFile(Ini(), before));
        auto w = Window();
        QVERIFY(w->Form_Load());
        w->show();
        auto* list = w->findChild<QTreeWidget*>("ListView1");
        QStringList rows;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            for (int column = 0; column < 3; ++column)
                rows << list->topLevelItem(i)->text(column);
        QCOMPARE(rows,
                 (QStringList{"Old", "/srv/caf\uFFFD logs", "ex\uFFFDyymmdd.log", "B", "/b", "x"}));
        auto* divider = w->findChild<QCheckBox*>("chkDivider");
        QVERIFY(divider->isChecked());
        QCOMPARE(ReadFile(Ini()), before);
        divider->click();
        QVERIFY(!modMain::UseDividers);
        if (quit)
            QTest::mouseClick(w->findChild<QPushButton*>("cmdQuit"), Qt::LeftButton);
        else
            QVERIFY(w->close());
        QVERIFY(w->StopRequested && !w->isVisible());
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
        QTest::newRow("no read permission") << "file";
        QTest::newRow("folder gone before Quit") << "gone";
    }

    void quitThatCannotSave()
    {
        QFETCH(QString, kind);
        if (kind == "file" && geteuid() == 0)
            QSKIP("root reads every file");
        const QByteArray bytes = ";\r\na,/a,x\r\n";
        if (kind == "fifo")
            QCOMPARE(mkfifo(QFile::encodeName(Ini()).constData(), 0600), 0);
        else
            QVERIFY(WriteFile(Ini(), bytes) &&
                    (kind == "gone" || QFile::setPermissions(Ini(), {})));
        auto w = Window();
        QVERIFY(w->Form_Load());
        QCOMPARE(m_messages.shown.size(), kind == "gone" ? 0 : 1);
        QCOMPARE(w->findChild<QCheckBox*>("chkDivider")->isChecked(), kind == "gone");
        QCOMPARE(w->findChild<QLineEdit*>("txtFilter")->text(), QStringLiteral("*"));
        if (kind == "gone")
            modMain::IniPath = m_dir->filePath(QStringLiteral("gone/tarvisk.ini"));
        QTest::mouseClick(w->findChild<QPushButton*>("cmdQuit"), Qt::LeftButton);
        QVERIFY(!w->isVisible());
        QVERIFY(m_messages.shown.last().text.contains(modMain::IniPath));
        QFile::setPermissions(Ini(), QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(QFileInfo(Ini()).isFile(), kind != "fifo");
        if (kind != "fifo")
            QCOMPARE(ReadFile(Ini()), bytes);
    }
};

QTEST_MAIN(TestFrmMainConfig)
#include "tst_frmmain_config.moc"
