// The search dialog searching the folder's days, driven by the keyboard alone.
#include "TestFiles.h"
#include "reading/OutputList.h"
#include "search/frmSearch.h"

#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestDaysDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keys_data()
    {
        // The first is typed, the others are pressed as key sequences ("wait": until it ends).
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("lines"); // the output list joined by " | "; "> " marks a line
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("open");  // the dialog still open at the end
        QTest::addColumn<bool>("large"); // days long enough to cancel
        auto found = [](int back) {      // the lines of a day with one match
            const QString day = QDate::currentDate().addDays(-back).toString(u"yyMMdd");
            return "ex" + day + ".log: 1 match | > alpha " + day + " | ";
        };
        QTest::newRow("the last seven days")
            << QStringList{"alpha", "Alt+D", "Return"}
            << found(6) + found(1) + found(0) + "3 files searched, 54 bytes"
            << "3 occurances of 'alpha' found" << true << false;
        QTest::newRow("a step, then the last day moved back by one")
            << QStringList{"ALPHA", "Alt+D", "Return", "Return", "Alt+T", "Down", "Alt+S"}
            << found(6) + found(1) + "2 files searched, 36 bytes"
            << "2 occurances of 'ALPHA' found" << true << false;
        QTest::newRow("no match") << QStringList{"gamma", "Alt+D", "Return"}
                                  << "3 files searched, 54 bytes"
                                  << "No occurances of 'gamma' found" << true << false;
        QTest::newRow("Esc cancels and keeps the dialog, a second Esc closes it")
            << QStringList{"beta", "Alt+D", "Return", "Esc", "wait", "Esc"} << QString() << ""
            << false << true;
    }

    void keys()
    {
        QFETCH(QStringList, keys);
        QFETCH(bool, large);
        QTemporaryDir dir;
        for (int back : {0, 1, 6, 7}) {
            const QString day = QDate::currentDate().addDays(-back).toString(u"yyMMdd");
            WriteFile(dir.filePath("ex" + day + ".log"),
                      ("alpha " + day + "\nbeta\n").toUtf8() +
                          (large ? QByteArray("beta\n").repeated(400000) : QByteArray()));
        }
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); // the day comes first
        reading::OutputList list;
        search::DayResults days(list);
        frmSearch dialog(list, nullptr);
        dialog.setAttribute(Qt::WA_DeleteOnClose, false);
        dialog.SetDays(days, [&] { return search::DayFolder{dir.path(), "exyymmdd.log"}; });
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClicks(QApplication::focusWidget(), keys.takeFirst());
        for (const QString& key : keys) {
            if (key == u"wait")
                QTRY_VERIFY(!days.Running());
            else
                QTest::keySequence(QApplication::focusWidget(), QKeySequence(key));
            if (key.startsWith(u"Alt+"))
                QTest::qWait(150); // a button's accelerator clicks it after a short show
        }
        QTRY_VERIFY(!days.Running());
        QTEST(dialog.isVisible(), "open");
        QStringList shown;
        for (qsizetype i = 0; i < list.Count(); ++i)
            shown << (list.IsSelected(i) ? "> " : "") + list.Text(i);
        if (large) { // cancelled: found lines kept, then two lines
            QCOMPARE(shown.value(shown.size() - 2), QStringLiteral("Search cancelled"));
            QVERIFY(shown.size() < 3 * 400000);
            return;
        }
        QTEST(shown.join(u" | "), "lines");
        QTEST(dialog.findChild<QLabel*>("lblStatus")->text(), "status");
        QCOMPARE(dialog.findChild<QPushButton*>("cmdSearch")->text(),
                 shown.size() > 1 ? "Next match" : "&Search");
        QCOMPARE(list.Current(), shown.size() > 1 ? 1 : 0);
    }
};

QTEST_MAIN(TestDaysDialog)
#include "tst_daysdialog.moc"
