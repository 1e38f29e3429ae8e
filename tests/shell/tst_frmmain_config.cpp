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
