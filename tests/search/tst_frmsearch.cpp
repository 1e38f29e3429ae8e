#include "MainWindowTest.h"
#include "reading/OutputView.h"
#include "search/frmSearch.h"

// The search dialog, over the main window's output list and over a folder's days.
class TestFrmSearch : public QObject, MainWindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void steps_data()
    {
        QTest::addColumn<QList<QByteArray>>("lines"); // repeated `times`
        QTest::addColumn<int>("times");
        // Typed into the dialog ("\r" is Return), but "Esc" is what that key does (reject), "#"
        // marks all lines, "^" is Cancel, "~" ticks "Regular expression", "0" clears the
        // list, "+" appends its lines again, "-" drops its first line, "*" rewrites the first
        // line as "Alpho" (as a completed last line is) and "=" waits for the count to end. Counts
        // over 250000 repetitions run in slices.
        QTest::addColumn<QStringList>("steps");
        // Then text | status | caption | current line | marks in the first and last repetition.
        QTest::addColumn<QString>("state");
        const QList<QByteArray> abc{"Alpha", "beta", "ALPHABET", "gamma"};
        auto row = [](const char* name, const QList<QByteArray>& lines, const QStringList& steps,
                      const char* state, int times = 1) {
            QTest::newRow(name) << lines << times << steps << QString::fromUtf8(state);
        };
        row("count", abc, {"BET\r"}, "BET | 2 occurances of 'BET' found | Next match | 1 | 1 2");
        row("last", abc, {"alpha\r\r\r"}, "alpha | This is the last match | Next match | 2 | 0 2");
        row("none", abc, {"delta\r"}, "delta | No occurances of 'delta' found | &Search | 0 | ");
        row("empty text", abc, {"\r"}, " |  | &Search | -1 | 0 1 2 3");
        row("empty list", {}, {"a\r"}, "a |  | &Search | -1 | ");
        // A step follows marks the user changed; editing starts a new count, status kept.
        row("own marks, edited", abc, {"alpha\r", "#", "\rx"},
            "alphax | Match on line: 1 | &Search | 1 | 0 1 2 3");
        row("expression", abc, {"~", "^[ab].*a$\r"},
            "^[ab].*a$ | 2 occurances of '^[ab].*a$' found | Next match | 0 | 0 1");
        row("invalid expression", abc, {"~", "a(\r"},
            "a( | Invalid regular expression: missing closing parenthesis at offset 2 | &Search | "
            "-1 "
            "| 0 1 2 3");
        row("expression that backtracks without end", {QByteArray(30, 'a') + '!'},
            {"~", "(a+)+$\r"},
            "(a+)+$ | No occurances of '(a+)+$' found; the expression backtracked too long on 1000 "
            "lines, and the lines after them were not searched | &Search | 0 | ",
            2000);
        row("Cancel forgets", abc, {"alpha\r", "^", "\r"}, " |  | &Search | 0 | 0 2");
        // Other letter case, either end of a line, after a partial match, never across lines;
        // "\u00DF" upper-cases to "SS", and a Windows-1252 line is decoded.
        row("placings",
            {"\u00C9SS", "x\u00E9ss", "\u00E9ssx", "\u00E9\u00E9ss", "\u00E9\u00DF", "caf\xE9ss",
             "x\u00E9", "ss", "ess"},
            {"\u00C9ss\r"},
            "\u00C9ss | 6 occurances of '\u00C9ss' found | Next match | 0 | 0 1 2 3 4 5");
        // "(.*)(.*)" makes each line cost enough that these counts take many slices.
        row("expression over many slices", abc, {"~", "^(.*)(.*)a$\r"},
            "^(.*)(.*)a$ | 750000 occurances of '^(.*)(.*)a$' found | Next match | 0 | 0 1 3",
            250000);
        row("Esc cancels a count, marks kept", abc, {"~", "^(.*)(.*)a$\r", "Esc"},
            "^(.*)(.*)a$ | Search cancelled | &Search | -1 | 0 1 2 3", 250000);
        row("a new list cancels a count", abc, {"~", "^(.*)(.*)a$\r", "0"},
            "^(.*)(.*)a$ | Search cancelled | &Search | -1 | ", 250000);
        row("a line dropped while counting", abc, {"~", "^(.*)(.*)a$\r", "-"},
            "^(.*)(.*)a$ | 749999 occurances of '^(.*)(.*)a$' found | Next match | 0 | 0 2 3",
            250000);
        row("a line rewritten while counting", abc, {"~", "^(.*)(.*)a$\r", "*"},
            "^(.*)(.*)a$ | 749999 occurances of '^(.*)(.*)a$' found | Next match | 1 | 1 3",
            250000);
        // Lines appended while it counts are not searched: they are the last repetition here.
        row("lines appended while counting", abc, {"~", "^(.*)(.*)a$\r", "+"},
            "^(.*)(.*)a$ | 750000 occurances of '^(.*)(.*)a$' found | Next match | 0 | ", 250000);
        // Comparing the old marks with the new ones range by range would take hours.
        row("second count over a million lines", {"a", "y", "ab", "y"}, {"a\r", "=", "b\r"},
            "ab | 250000 occurances of 'ab' found | Next match | 2 | 2", 250000);
    }

    void steps()
    {
        QFETCH(QList<QByteArray>, lines);
        QFETCH(int, times);
        QFETCH(QStringList, steps);
        Load();
        frmMain& main = *m_window;
        reading::OutputList* list = main.findChild<reading::OutputView*>()->List();
        reading::OutputBatch batch;
        for (int i = 0; i < times; ++i)
            for (const QByteArray& line : lines)
                batch.Add(line);
        list->Replace(batch);
        list->SelectAll(); // a count leaves exactly its matches selected
        list->SearchPosition = -1;
        frmSearch* dialog = nullptr;
        for (const QString& step : steps) {
            if (!main.findChild<frmSearch*>())
                QTest::mouseClick(main.findChild<QWidget*>("cmdSearch"), Qt::LeftButton);
            dialog = main.findChild<frmSearch*>();
            if (step == u"^")
                QTest::mouseClick(dialog->findChild<QWidget*>("cmdCancel"), Qt::LeftButton);
            else if (step == u"#")
                list->SelectAll();
            else if (step == u"~")
                dialog->findChild<QCheckBox*>("chkRegex")->click();
            else if (step == u"Esc")
                QMetaObject::invokeMethod(dialog, "reject");
            else if (step == u"0")
                list->Clear();
            else if (step == u"+")
                list->Append(batch);
            else if (step == u"*")
                list->Model()->ReplaceLine(0, "Alpho");
            else if (step == u"-")
                list->Bound(list->Count() - 1, 1);
            else if (step == u"=")
                QTRY_VERIFY(
                    !dialog->findChild<QLabel*>("lblStatus")->text().startsWith("Searching"));
            else
                QTest::keyClicks(dialog->findChild<QWidget*>("txtSearch"), step);
            QTRY_VERIFY(main.findChild<frmSearch*>() == (step == u"^" ? nullptr : dialog));
        }
        QTRY_VERIFY_WITH_TIMEOUT(
            !dialog->findChild<QLabel*>("lblStatus")->text().startsWith("Searching"), 60000);
        QCOMPARE(list->SearchPosition, list->Current());
        QStringList shown, marks; // marks alike in the first and the last repetition
        for (const char* name : {"txtSearch", "lblStatus", "cmdSearch"})
            shown << dialog->findChild<QWidget*>(name)->property("text").toString();
        const qsizetype repetitions = lines.isEmpty() ? 0 : list->Count() / lines.size();
        for (qsizetype i = 0, last = (repetitions - 1) * lines.size(); i < lines.size(); ++i)
            if (list->IsSelected(i) && list->IsSelected(last + i))
                marks << QString::number(i);
        shown << QString::number(list->Current()) << marks.join(u' ');
        QTEST(shown.join(u" | "), "state");
    }

    // Each step brings its match to rows of the list that the dialog leaves free, and the
    // current match is painted unlike the other marked lines while the dialog has the focus.
    void stepsClearOfDialog()
    {
        Load();
        frmMain& main = *m_window;
        auto* view = main.findChild<reading::OutputView*>();
        reading::OutputBatch batch;
        for (int i = 0; i < 400; ++i)
            batch.Add(QByteArray(i > 50 && i % 7 == 3 ? "match " : "line ") +
                      QByteArray::number(i));
        view->List()->Replace(batch);
        view->scrollTo(view->model()->index(48, 0), QAbstractItemView::PositionAtTop);
        QTest::mouseClick(main.findChild<QWidget*>("cmdSearch"), Qt::LeftButton);
        auto* dialog = main.findChild<frmSearch*>();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        const QRect cover = dialog->frameGeometry();
        const QRect list(view->viewport()->mapToGlobal(QPoint(0, 0)), view->viewport()->size());
        QVERIFY(cover.intersects(list));
        QTest::keyClicks(dialog->findChild<QWidget*>("txtSearch"), QStringLiteral("match"));
        for (int step = 0; step < 30; ++step) {
            QTest::keyClick(dialog->findChild<QWidget*>("txtSearch"), Qt::Key_Return);
            const QRect row = view->visualRect(view->currentIndex());
            const QRect shown(view->viewport()->mapToGlobal(QPoint(0, row.top())),
                              QSize(list.width(), row.height()));
            QVERIFY2(shown.intersected(list).isValid() &&
                         !shown.intersected(list).intersects(cover),
                     qPrintable(QString::number(view->currentIndex().row())));
        }
        const QImage image = view->viewport()->grab().toImage();
        const int current = view->visualRect(view->currentIndex()).center().y();
        const int seven = 7 * view->rowHeight(0); // matches lie seven rows apart
        const int other = current + seven < image.height() ? current + seven : current - seven;
        QVERIFY(view->List()->IsSelected(view->indexAt(QPoint(1, other)).row()));
        QVERIFY(image.pixel(1, current) != image.pixel(1, other));
    }

    // The dialog searching the folder's days, driven by the keyboard alone.
    void days_data()
    {
        // The first is typed, the others are pressed as key sequences ("wait": until it ends).
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("lines"); // the output list joined by " | "; "> " marks a line
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("folders"); // the same folder, selected this many times as "web"
        auto found = [](int back, const QString& tag = {}) { // the lines of a day with one match
            const QString day = QDate::currentDate().addDays(-back).toString(u"yyMMdd");
            return tag + "ex" + day + ".log: 1 match | > " + tag + "alpha " + day + " | ";
        };
        QTest::newRow("the last seven days")
            << QStringList{"alpha", "Alt+D", "Return"}
            << found(6) + found(1) + found(0) + "3 files searched, 54 bytes"
            << "3 occurances of 'alpha' found" << 1;
        QTest::newRow("two folders, each line tagged with its folder")
            << QStringList{"alpha", "Alt+D", "Return"}
            << (found(6, "web\t") + found(1, "web\t") + found(0, "web\t")).repeated(2) +
                   "6 files searched, 108 bytes"
            << "6 occurances of 'alpha' found" << 2;
        QTest::newRow("back to the text") // "a" is typed only where the text box has the keys
            << QStringList{"alph", "Alt+D", "Alt+R", "End", "A", "Return"}
            << found(6) + found(1) + found(0) + "3 files searched, 54 bytes"
            << "3 occurances of 'alpha' found" << 1;
        QTest::newRow("a step, then the last day moved back by one")
            << QStringList{"ALPHA", "Alt+D", "Return", "Return", "Alt+T", "Down", "Alt+S"}
            << found(6) + found(1) + "2 files searched, 36 bytes"
            << "2 occurances of 'ALPHA' found" << 1;
        QTest::newRow("an expression, its box chosen after the days")
            << QStringList{"^ALPHA \\d{6}$", "Alt+D", "Alt+X", "Return"}
            << found(6) + found(1) + found(0) + "3 files searched, 54 bytes"
            << "3 occurances of '^ALPHA \\d{6}$' found" << 1;
        QTest::newRow("an invalid expression searches nothing")
            << QStringList{"alpha(", "Alt+D", "Alt+X", "Return"} << ""
            << "Invalid regular expression: missing closing parenthesis at offset 6" << 1;
        QTest::newRow("Esc cancels and keeps the dialog, a second Esc closes it")
            << QStringList{"beta", "Alt+D", "Return", "Esc", "wait", "Esc"} << QString() << "" << 1;
    }

    void days()
    {
        QFETCH(QStringList, keys);
        const bool large = keys.contains(u"Esc"); // days long enough to cancel
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
        QFETCH(int, folders);
        const QList<LogFolder> selected(folders, {"web", dir.path(), "exyymmdd.log"});
        dialog.SetDays(days, [&] {
            return search::DaySearchFolders(selected, {dir.path(), "exyymmdd.log"});
        });
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
        QCOMPARE(dialog.isVisible(), !large);
        QStringList shown;
        for (qsizetype i = 0; i < list.Count(); ++i)
            shown << (list.IsSelected(i) ? "> " : "") + list.Model()->TagName(i) +
                         (list.Model()->Tag(i) ? "\t" : "") + list.Text(i);
        if (large) { // cancelled: found lines kept, then two lines
            QCOMPARE(shown.value(shown.size() - 2), QStringLiteral("Search cancelled"));
            QVERIFY(shown.size() < 3 * 400000);
            return;
        }
        QTEST(shown.join(u" | "), "lines");
        QTEST(dialog.findChild<QLabel*>("lblStatus")->text(), "status");
        QCOMPARE(dialog.findChild<QPushButton*>("cmdSearch")->text(),
                 shown.size() > 1 ? "Next match" : "&Search");
        QCOMPARE(list.Current(), shown.size() > 1 ? 1 : shown.size() - 1);
    }
};

QTEST_MAIN(TestFrmSearch)
#include "tst_frmsearch.moc"
