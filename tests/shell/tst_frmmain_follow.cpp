#include "FakeMessageBox.h"
#include "TestFiles.h"
#include "folders/FileListBox.h"
#include "reading/OutputView.h"
#include "settings/modMain.h"
#include "shell/ConfigFile.h"
#include "shell/frmMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

// The real window follows a log that a separate process writes, while the file is deleted,
// truncated or replaced under it.
class TestFrmMainFollow : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeMessageBox m_messages;
    std::unique_ptr<frmMain> m_window;

    QString Log() const { return m_dir->filePath(QStringLiteral("ex261206.log")); }
    QString Day(int days) const
    {
        const QDate date = QDate::currentDate().addDays(days);
        return m_dir->filePath(QStringLiteral("ex%1.log").arg(date.toString(u"yyMMdd")));
    }
    template <typename T> T* Get(const char* name) const
    {
        return m_window->findChild<T*>(QString::fromLatin1(name));
    }
    void Click(const char* name) { QTest::mouseClick(Get<QPushButton>(name), Qt::LeftButton); }

    void StartFollowing()
    {
        QVERIFY(WriteFile(
            m_dir->filePath(QStringLiteral("tarvisk.ini")),
            config::FormatConfigFile("vi", true, {{"Web", m_dir->path(), "exyymmdd.log"}})));
        m_window = std::make_unique<frmMain>(m_messages, m_dir->path());
        QVERIFY(m_window->Form_Load());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        auto* folders = Get<QTreeWidget>("ListView1");
        QTest::mouseClick(folders->viewport(), Qt::LeftButton, {},
                          folders->visualItemRect(folders->topLevelItem(0)).center());
        auto* files = Get<FileListBox>("File1");
        QCOMPARE(files->count(), 1);
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                          files->visualItemRect(files->item(0)).center());
        QVERIFY(Get<QPushButton>("cmdContinous")->isEnabled());
        Click("cmdContinous");
        QVERIFY(Get<QPushButton>("cmdStop")->isEnabled());
        QVERIFY(!Get<QPushButton>("cmdContinous")->isEnabled());
    }

    // Writes lines first..first+count-1 and waits until a poll after the last write.
    static void Write(const QString& path, const QString& mode, int first, int count)
    {
        QProcess writer;
        writer.start(QStringLiteral(LOG_WRITER),
                     {path, QString::number(count), mode, QString::number(first)});
        QVERIFY(writer.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(writer.state() == QProcess::NotRunning, 60000);
        QCOMPARE(writer.exitCode(), 0);
        QTest::qWait(2300);
    }

    // The lines shown, with each divider block taken out whole.
    QStringList ShownWithoutDividers() const
    {
        auto* model = Get<OutputView>("lstRows")->model();
        QStringList lines;
        for (int i = 0; i < model->rowCount(); ++i)
            lines << model->index(i, 0).data().toString();
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (!lines[i].startsWith(QStringLiteral("Current Time ")) ||
                lines[i].contains(QStringLiteral(" continued in ")))
                continue;
            if (i == 0 || i + 1 == lines.size() || !lines[i - 1].isEmpty() ||
                !lines[i + 1].isEmpty())
                return {QStringLiteral("broken divider block at %1").arg(i)};
            lines.remove(i - 1, 3);
            i -= 2;
        }
        return lines;
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        modMain::SetStartValues();
    }

    void cleanup() { m_window.reset(); }

    void everyLineOnceInOrder_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("change");
        QTest::newRow("CR LF, deleted and made again") << "crlf"
                                                       << "delete";
        QTest::newRow("LF only, truncated") << "lf"
                                            << "truncate";
        QTest::newRow("mixed, replaced by rename") << "mixed"
                                                   << "rename";
    }

    void everyLineOnceInOrder()
    {
        QFETCH(QString, mode);
        QFETCH(QString, change);
        QVERIFY(WriteFile(Log(), "seed 1\r\nseed 2\r\n"));
        StartFollowing();
        QVERIFY(!QTest::currentTestFailed());
        Write(Log(), mode, 0, 1200);
        if (change == QStringLiteral("delete"))
            QVERIFY(QFile::remove(Log()));
        else if (change == QStringLiteral("truncate"))
            QVERIFY(QFile::resize(Log(), 0));
        else
            QVERIFY(QFile::rename(Log(), Log() + QStringLiteral(".1")));
        QTest::qWait(1200); // a poll that sees the change
        Write(Log(), mode, 1200, 1200);
        QVERIFY(!QTest::currentTestFailed());
        Click("cmdStop");

        // Line n reads "line n " and then only the letter n picks.
        const QStringList shown = ShownWithoutDividers();
        QCOMPARE(shown.size(), 2 + 2400);
        QCOMPARE(shown.first(2), (QStringList{"seed 1", "seed 2"}));
        for (int n = 0; n < 2400; ++n) {
            const QString letters = QStringLiteral("[%1]*").arg(QChar(u'a' + n % 26));
            const QRegularExpression line(QStringLiteral("^line %1 %2$").arg(n).arg(letters));
            QVERIFY2(line.match(shown[n + 2]).hasMatch(), qPrintable(shown[n + 2]));
        }
    }

    void followsTheLogIntoTheNextDay()
    {
        QVERIFY(WriteFile(Day(-1), "seed\r\n"));
        StartFollowing();
        QVERIFY(!QTest::currentTestFailed());
        Write(Day(-1), QStringLiteral("crlf"), 0, 300);
        Write(Day(0), QStringLiteral("lf"), 300, 300);
        QVERIFY(!QTest::currentTestFailed());
        const QStringList shown = ShownWithoutDividers();
        QCOMPARE(shown.size(), 1 + 300 + 1 + 300);
        QVERIFY(
            shown[301].endsWith(QStringLiteral(" continued in ") + QFileInfo(Day(0)).fileName()));
        for (int n = 0; n < 600; ++n)
            QVERIFY(shown[n < 300 ? n + 1 : n + 2].startsWith(QStringLiteral("line %1 ").arg(n)));
        QCOMPARE(Get<QLabel>("lblFullPath")->text(), Day(0));
        QCOMPARE(Get<FileListBox>("File1")->FileName(), QFileInfo(Day(0)).fileName());
        QVERIFY(Get<QPushButton>("cmdStop")->isEnabled());
        m_window->grab().save(QStringLiteral(ARTEFACTS "/day-move.png"));
    }

    void clearWhileFollowingShowsOnlyNewLines()
    {
        QVERIFY(WriteFile(Log(), "seed\r\n"));
        StartFollowing();
        QVERIFY(!QTest::currentTestFailed());
        QVERIFY(WriteFile(Log(), "seed\r\nbefore\r\n"));
        QTest::qWait(1200);
        Click("cmdClear");
        QVERIFY(Get<QLabel>("lblFileSize")->text().isEmpty());
        QVERIFY(WriteFile(Log(), "seed\r\nbefore\r\nafter\r\n"));
        QTest::qWait(1200);
        QCOMPARE(ShownWithoutDividers(), QStringList{"after"});
        QCOMPARE(Get<QLabel>("lblFileSize")->text(), QStringLiteral("Filesize: 21"));
    }

    void quitWhileFollowingSavesAndCloses()
    {
        QVERIFY(WriteFile(Log(), "seed\r\n"));
        StartFollowing();
        QVERIFY(!QTest::currentTestFailed());
        Get<QLineEdit>("txtFilter")->setText(QStringLiteral("nothing matches this"));
        Click("cmdQuit");
        QVERIFY(!m_window->isVisible());
        QVERIFY(ReadFile(m_dir->filePath(QStringLiteral("tarvisk.ini"))).contains("Web,"));
        QVERIFY(WriteFile(Log(), "seed\r\nafter quit\r\n"));
        QTest::qWait(1500); // no poll after Quit
        QCOMPARE(Get<QLabel>("lblFileSize")->text(), QStringLiteral("Filesize: 6"));
    }
};

QTEST_MAIN(TestFrmMainFollow)
#include "tst_frmmain_follow.moc"
