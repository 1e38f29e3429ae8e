#include "MainWindowTest.h"
#include "reading/OutputView.h"
#include "search/frmSearch.h"

// The search dialog over the main window's output list.
class TestFrmSearch : public QObject, MainWindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void steps_data()
    {
        QTest::addColumn<QList<QByteArray>>("lines"); // repeated `times`
        QTest::addColumn<int>("times");
        // Typed into the dialog ("\r" is Return), but "#" marks all lines and "^" is Cancel.
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
        row("Cancel forgets", abc, {"alpha\r", "^", "\r"}, " |  | &Search | 0 | 0 2");
        // Other letter case, either end of a line, after a partial match, never across lines;
        // "\u00DF" upper-cases to "SS", and a Windows-1252 line is decoded.
        row("placings",
            {"\u00C9SS", "x\u00E9ss", "\u00E9ssx", "\u00E9\u00E9ss", "\u00E9\u00DF", "caf\xE9ss",
             "x\u00E9", "ss", "ess"},
            {"\u00C9ss\r"},
            "\u00C9ss | 6 occurances of '\u00C9ss' found | Next match | 0 | 0 1 2 3 4 5");
        // Comparing the old marks with the new ones range by range would take hours.
        row("second count over a million lines", {"a", "y", "ab", "y"}, {"a\rb\r"},
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
            else
                QTest::keyClicks(dialog->findChild<QWidget*>("txtSearch"), step);
            QTRY_VERIFY(main.findChild<frmSearch*>() == (step == u"^" ? nullptr : dialog));
        }
        QCOMPARE(list->SearchPosition, list->Current());
        QStringList shown, marks; // marks alike in the first and the last repetition
        for (const char* name : {"txtSearch", "lblStatus", "cmdSearch"})
            shown << dialog->findChild<QWidget*>(name)->property("text").toString();
        for (qsizetype i = 0, last = (times - 1) * lines.size(); i < lines.size(); ++i)
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
        const int other = current + 7 * view->rowHeight(0) < image.height()
                              ? current + 7 * view->rowHeight(0)
                              : current - 7 * view->rowHeight(0);
        QVERIFY(view->List()->IsSelected(view->indexAt(QPoint(1, other)).row()));
        QVERIFY(image.pixel(1, current) != image.pixel(1, other));
    }
};

QTEST_MAIN(TestFrmSearch)
#include "tst_frmsearch.moc"
