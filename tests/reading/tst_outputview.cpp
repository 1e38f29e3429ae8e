#include "base/Rules.h"
#include "reading/OutputList.h"
#include "reading/OutputView.h"

#include <QAccessible>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

// A press, a move or a release of the left button over `row` of a view.
static void Mouse(QAbstractItemView& view, QEvent::Type type, int row, Qt::KeyboardModifiers keys)
{
    const QPoint at = view.visualRect(view.model()->index(row, 0)).topLeft() + QPoint(20, 3);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, view.viewport()->mapToGlobal(at), button, held, keys);
    QApplication::sendEvent(view.viewport(), &event);
}

// The list in a view of 600 by 300 pixels on the screen.
static bool Show(reading::OutputView& view, reading::OutputList& list)
{
    view.SetList(&list);
    view.resize(600, 300);
    view.show();
    return QTest::qWaitForWindowExposed(&view);
}

// Plays gestures on a view: "c5" click row 5, "C5" Ctrl+click, "S5" Shift+click, "B5"
// Ctrl+Shift+click, "d2-6" drag from row 2 to 6, "D2-6" the same with Ctrl, "k:Shift+Down" a key.
static void Play(QAbstractItemView& view, const QString& gestures)
{
    for (const QString& gesture : gestures.split(u' ')) {
        if (gesture.startsWith(u"k:")) {
            const QKeyCombination key = QKeySequence::fromString(gesture.mid(2))[0];
            QTest::keyClick(&view, key.key(), key.keyboardModifiers());
            continue;
        }
        const QChar kind = gesture[0];
        const QStringList rows = gesture.mid(1).split(u'-');
        Qt::KeyboardModifiers keys;
        keys.setFlag(Qt::ControlModifier, kind == u'C' || kind == u'B' || kind == u'D');
        keys.setFlag(Qt::ShiftModifier, kind == u'S' || kind == u'B');
        const int first = rows.first().toInt(), last = rows.last().toInt();
        Mouse(view, QEvent::MouseButtonPress, first, keys);
        for (int row = first + 1; row <= last; ++row)
            Mouse(view, QEvent::MouseMove, row, keys);
        Mouse(view, QEvent::MouseButtonRelease, last, keys);
    }
}

class TestOutputView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every gesture marks what plain Qt selection selects, row by row, with the same current
    // line; the view's accessible table reports the marks as its selected rows.
    void gestures_data()
    {
        QTest::addColumn<QString>("gestures");
        QTest::addColumn<int>("marked"); // how many lines, so that no row passes by doing nothing
        auto row = [](const char* gestures, int marked) {
            QTest::newRow(gestures) << gestures << marked;
        };
        row("c3 C5 C3", 1);
        row("c3 S7", 5);
        row("c2 C5 B8", 5);
        row("c2 S6 c4", 1);
        row("c2 C6 S9", 5);
        row("c5 k:Shift+Down k:Shift+Down k:Shift+Up", 2);
        row("c1 k:Shift+PgDown", -1); // a page: more than one line
        row("d2-6", 5);
        row("c1 S8 D3-5", 5);
        row("k:Ctrl+A C4", 39);
        row("c2 k:Ctrl+Down k:Ctrl+Down k:Ctrl+Space", 2);
        row("c3 k:Shift+End", 1); // End stays on the line of a one-column table
        row("c3 k:Shift+Down k:Down", 1);
    }

    void gestures()
    {
        QFETCH(QString, gestures);
        reading::OutputList list;
        reading::OutputBatch lines;
        for (int i = 0; i < 40; ++i)
            lines.Add(QByteArray("line ") + QByteArray::number(i));
        list.Replace(lines);
        reading::OutputView marks, plain;
        marks.SetList(&list);
        plain.setModel(list.Model());
        for (reading::OutputView* view : {&marks, &plain}) {
            view->resize(300, 200);
            view->show();
            QVERIFY(QTest::qWaitForWindowExposed(view));
            view->selectionModel()->setCurrentIndex(list.Model()->index(0, 0),
                                                    QItemSelectionModel::NoUpdate);
            Play(*view, gestures);
        }
        QStringList differ;
        QList<int> rows;
        for (int i = 0; i < list.Count(); ++i) {
            if (list.IsSelected(i))
                rows << i;
            if (list.IsSelected(i) != plain.selectionModel()->isSelected(list.Model()->index(i, 0)))
                differ << QString::number(i);
        }
        QCOMPARE(differ.join(u' '), QString());
        QCOMPARE(marks.currentIndex().row(), plain.currentIndex().row());
        QFETCH(int, marked);
        QVERIFY2(marked < 0 ? rows.size() > 1 : rows.size() == marked,
                 qPrintable(QString::number(rows.size())));
        QAccessibleTableInterface* table =
            QAccessible::queryAccessibleInterface(&marks)->tableInterface();
        QCOMPARE(table->selectedRows(), rows);
        QCOMPARE(table->cellAt(rows.first(), 0)->tableCellInterface()->isSelected(), true);
    }

    // The list scrolls sideways to the end of its longest line as painted (tabs at their
    // stops, wide characters as wide as they paint, a followed folder's tag before it) and no
    // further; an empty list not at all. Assistive tools read the tag with the line.
    void extent_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("tag");
        QTest::newRow("tabs") << QByteArray(200, '\t') + "WWW"
                              << "";
        QTest::newRow("CJK") << QByteArray("\xE4\xB8\xAD").repeated(3000) + "W"
                             << "";
        QTest::newRow("ASCII") << QByteArray(2000, 'x') << "";
        QTest::newRow("tagged") << QByteArray(2000, 'x') << "web1 long";
        QTest::newRow("empty list") << QByteArray() << "";
    }

    void extent()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, tag);
        reading::OutputList list;
        reading::OutputView view;
        QVERIFY(Show(view, list));
        reading::OutputBatch lines;
        lines.Add("short");
        lines.Add(line);
        list.Model()->SetTagNames({"w", tag});
        list.Append(lines, tag.isEmpty() ? 0 : 2);
        QCOMPARE(QAccessible::queryAccessibleInterface(&view)->child(0)->text(QAccessible::Name),
                 tag.isEmpty() ? "short" : tag + ": short");
        if (line.isEmpty())
            list.Clear();
        QCoreApplication::processEvents();
        int end = 0; // where the line's painting ends
        if (!line.isEmpty()) {
            QImage image(60000, view.rowHeight(1), QImage::Format_RGB32);
            image.fill(Qt::white);
            QStyleOptionViewItem option;
            option.font = view.font();
            option.rect = image.rect();
            QPainter painter(&image);
            view.itemDelegate()->paint(&painter, option, list.Model()->index(1, 0));
            for (int x = 0; x < image.width(); ++x)
                for (int y = 0; y < image.height(); ++y)
                    end = image.pixel(x, y) == qRgb(255, 255, 255) ? end : x + 1;
        }
        const int range = view.horizontalScrollBar()->maximum() + view.viewport()->width();
        QVERIFY2(line.isEmpty() ? view.horizontalScrollBar()->maximum() == 0
                                : range >= end && range <= end + 12,
                 qPrintable(QStringLiteral("%1 %2").arg(range).arg(end)));
    }

    // The newest of two million lines is brought to the bottom row; a line past what a header
    // holds scrolls to its end and is painted there. Bringing a line into view keeps the
    // sideways position, new lines start at the left, and a larger font makes taller rows.
    void view()
    {
        reading::OutputList list;
        reading::OutputView view;
        QVERIFY(Show(view, list));
        reading::OutputBatch lines;
        for (int i = 0; i < 2000000; ++i)
            lines.Add(QByteArray("line ") + QByteArray::number(i));
        list.Append(lines);
        list.SetCurrent(2000000 - 1);
        QCoreApplication::processEvents();
        QCOMPARE(view.indexAt(QPoint(5, view.viewport()->height() - 3)).row(), 2000000 - 1);

        // A line longer than a column can be scrolls to its end, and is painted there.
        lines.clear();
        lines.Add(QByteArray(199997, '-') + "WWW");
        list.Replace(lines);
        const int longest = view.LongestLinePixels();
        QVERIFY(longest > view.MaximumExtent());
        QCOMPARE(view.horizontalScrollBar()->maximum() + view.viewport()->width(), longest);
        view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
        const QImage shown = view.viewport()->grab().toImage();
        int ink = 0;
        for (int x = shown.width() - 60; x < shown.width(); ++x)
            for (int y = 0; y < view.rowHeight(0); ++y)
                ink += shown.pixel(x, y) != shown.pixel(shown.width() - 1, shown.height() - 1);
        QVERIFY(ink > 0);
        lines.clear();
        lines.Add("short");
        lines.Add(QByteArray(200, '\t') + "WWW");
        list.Replace(lines);
        const int end = view.LongestLinePixels();
        QCoreApplication::processEvents();
        view.horizontalScrollBar()->setValue(end);
        list.SetCurrent(0);
        QVERIFY(view.horizontalScrollBar()->value() > 0);
        list.Replace(lines);
        QCOMPARE(view.horizontalScrollBar()->value(), 0);

        // Lines soon after painted ones wait for the rest of a quarter second to be brought into
        // view; lines after a quiet spell, and a key, at once.
        const auto newestShown = [&](bool move = true) {
            if (move)
                list.SetCurrent(list.Count() - 1);
            const QRect row = view.visualRect(list.Model()->index(int(list.Count() - 1), 0));
            return row.top() >= 0 && row.bottom() < view.viewport()->height();
        };
        lines.clear();
        for (int i = 0; i < 40; ++i)
            lines.Add("more");
        QTest::qWait(600);
        for (const bool held : {false, true}) {
            list.Append(lines);
            QCOMPARE(newestShown(), !held);
        }
        QTRY_VERIFY_WITH_TIMEOUT(newestShown(false), 400);
        // The rows scrolled on the screen are those that painting afresh shows.
        reading::OutputBatch two;
        two.Add("two"), two.Add("two");
        for (int i = 0; i < 6; ++i, QTest::qWait(60)) {
            list.Append(two);
            newestShown();
        }
        QTRY_VERIFY_WITH_TIMEOUT(newestShown(false), 400);
        const auto rgb = [](QImage image) { return image.convertToFormat(QImage::Format_RGB32); };
        QCOMPARE(rgb(view.screen()->grabWindow(view.winId()).toImage()),
                 rgb(view.grab().toImage()));
        list.Append(lines);
        QVERIFY(!newestShown());
        QTest::keyClick(&view, Qt::Key_Down);
        QVERIFY(newestShown(false));
        QFont font = view.font();
        font.setPointSize(30);
        view.setFont(font);
        QVERIFY(view.rowHeight(0) >= QFontMetrics(font).height());
    }

    // The first colour rule that takes a row paints it; a marked row shows its mark, the
    // current row its frame.
    void ruleColours()
    {
        reading::OutputList list;
        reading::OutputView view;
        QVERIFY(Show(view, list));
        reading::OutputBatch lines;
        for (const char* line : {"ok", "error: disk failed", "failed", "error", "ok"})
            lines.Add(line);
        list.Append(lines);
        view.SetRules(std::make_shared<RuleSet>(ParseRules("colour:green\twords\tnocase\tfail\n"
                                                           "colour:red\twords\tnocase\terror\n")
                                                    .rules));
        list.Selection()->select(list.Model()->index(3, 0), QItemSelectionModel::Select);
        list.SetCurrent(2);
        QTest::qWait(300);
        const QImage shown = view.viewport()->grab().toImage();
        QStringList colours; // the colour most of each row shows
        for (int row = 0; row < 5; ++row) {
            QMap<QRgb, int> seen;
            const QRect box = view.visualRect(list.Model()->index(row, 0));
            for (int x = 0; x < box.width(); ++x)
                ++seen[shown.pixel(x, box.center().y())];
            colours << QColor(std::max_element(seen.keyValueBegin(), seen.keyValueEnd(),
                                               [](auto a, auto b) { return a.second < b.second; })
                                  ->first)
                           .name();
        }
        const QColor white = view.palette().color(QPalette::Base);
        const QColor frame =
            shown.pixel(1, view.visualRect(list.Model()->index(2, 0)).center().y());
        QCOMPARE(colours,
                 QStringList({white.name(), "#81c784", "#81c784",
                              view.palette().color(QPalette::Highlight).name(), white.name()}));
        QCOMPARE(frame.name(), "#000000");
    }
};

QTEST_MAIN(TestOutputView)
#include "tst_outputview.moc"
