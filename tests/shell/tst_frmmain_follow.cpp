#include "FakeMessageBox.h"
#include "TestFiles.h"
#include "folders/FileListBox.h"
#include "reading/OutputView.h"
#include "settings/modMain.h"
#include "shell/ConfigFile.h"
#include "shell/frmMain.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

// The real window follows a log that a separate process writes, while the file is deleted,
// truncated or replaced under it and the next day's file takes over.
class TestFrmMainFollow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    FakeMessageBox m_messages;
    std::unique_ptr<frmMain> m_window;

    QString Day(int days) const
    {
        const QDate date = QDate::currentDate().addDays(days);
        return m_dir.filePath(QStringLiteral("ex%1.log").arg(date.toString(u"yyMMdd")));
    }
    template <typename T> T* Get(const char* name) const
    {
        return m_window->findChild<T*>(QString::fromLatin1(name));
    }
    void Click(const char* name) { QTest::mouseClick(Get<QPushButton>(name), Qt::LeftButton); }

    // Writes lines first..first+count-1 and waits until a poll after the last write.
    static void Write(const QString& path, const char* ends, int first, int count)
    {
        QProcess writer;
        writer.start(
            QStringLiteral(LOG_WRITER),
            {path, QString::number(count), QString::fromLatin1(ends), QString::number(first)});
        QVERIFY(writer.waitForStarted());
        // The window polls while the writer cuts its lines anywhere.
        QTRY_VERIFY_WITH_TIMEOUT(writer.state() == QProcess::NotRunning, 60000);
        QCOMPARE(writer.exitCode(), 0);
        QTest::qWait(2300);
    }

    // The lines shown, without the dividers between polls (their layout is the monitor's).
    QStringList ShownWithoutDividers() const
    {
        auto* model = Get<OutputView>("lstRows")->model();
        QStringList lines;
        for (int i = 0; i < model->rowCount(); ++i)
            lines << model->index(i, 0).data().toString();
        lines.removeIf([](const QString& line) {
            return line.isEmpty() || (line.startsWith(QStringLiteral("Current Time ")) &&
                                      !line.contains(QStringLiteral(" continued in ")));
        });
        return lines;
    }

private Q_SLOTS:
    void followsThroughChangesIntoTheNextDay()
    {
        const QString old = Day(-1), next = Day(0), ini = m_dir.filePath("tarvisk.ini");
        QVERIFY(WriteFile(old, "seed 1\r\nseed 2\r\n"));
        QVERIFY(WriteFile(
            ini, config::FormatConfigFile("vi", true, {{"Web", m_dir.path(), "exyymmdd.log"}})));
        modMain::SetStartValues();
        m_window = std::make_unique<frmMain>(m_messages, m_dir.path());
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
        Click("cmdContinous");
        QVERIFY(Get<QPushButton>("cmdStop")->isEnabled() &&
                !Get<QPushButton>("cmdContinous")->isEnabled());

        // Every kind of line end; a poll sees each change to the file before the next write.
        Write(old, "mixed", 0, 600);
        QVERIFY(QFile::remove(old));
        QTest::qWait(1200);
        Write(old, "mixed", 600, 600);
        QVERIFY(QFile::resize(old, 0));
        QTest::qWait(1200);
        Write(old, "mixed", 1200, 600);
        QVERIFY(QFile::rename(old, old + QStringLiteral(".1")));
        QTest::qWait(1200);
        Write(old, "mixed", 1800, 600);
        Write(next, "lf", 2400, 300);
        QVERIFY(!QTest::currentTestFailed());

        // Every line once and in order; line n reads "line n " and then only the letter n picks.
        const QStringList shown = ShownWithoutDividers();
        QCOMPARE(shown.size(), 2 + 2400 + 1 + 300);
        QCOMPARE(shown.first(2), (QStringList{"seed 1", "seed 2"}));
        QVERIFY(shown[2402].endsWith(" continued in " + QFileInfo(next).fileName()));
        for (int n = 0; n < 2700; ++n) {
            const QString& line = shown[n < 2400 ? n + 2 : n + 3];
            const QRegularExpression expected(
                QStringLiteral("^line %1 [%2]*$").arg(n).arg(QChar(u'a' + n % 26)));
            QVERIFY2(expected.match(line).hasMatch(), qPrintable(line));
        }
        QCOMPARE(Get<QLabel>("lblFullPath")->text(), next);
        QCOMPARE(files->FileName(), QFileInfo(next).fileName());
        QVERIFY(Get<QPushButton>("cmdStop")->isEnabled());
        m_window->grab().save(QStringLiteral(ARTEFACTS "/day-move.png"));

        // Clear keeps following and shows only what comes after it.
        Click("cmdClear");
        QVERIFY(Get<QLabel>("lblFileSize")->text().isEmpty());
        QVERIFY(Append(next, "after\r\n"));
        QTest::qWait(1200);
        QCOMPARE(ShownWithoutDividers(), QStringList{"after"});
        const QString size = "Filesize: " + QString::number(QFileInfo(next).size());
        QCOMPARE(Get<QLabel>("lblFileSize")->text(), size);

        // Quit saves, closes and ends the polls.
        Click("cmdQuit");
        QVERIFY(!m_window->isVisible());
        QVERIFY(ReadFile(ini).contains("Web,"));
        QVERIFY(Append(next, "after quit\r\n"));
        QTest::qWait(1500);
        QCOMPARE(Get<QLabel>("lblFileSize")->text(), size);
    }
};

QTEST_MAIN(TestFrmMainFollow)
#include "tst_frmmain_follow.moc"
