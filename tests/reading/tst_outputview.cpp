#include "reading/HorizontalExtent.h"
#include "reading/OutputList.h"
#include "reading/OutputView.h"

#include <QPainter>
#include <QScrollBar>
#include <QTest>

class TestOutputView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The newest of two million lines is brought to the bottom row. The column reaches the
    // widest line as painted, tabs at wide stops, and grows as wider lines are appended, but
    // not beyond what a header holds. Bringing a line into view keeps the sideways position,
    // new lines start at the left, and a larger font makes taller rows.
    void view()
    {
        OutputList list;
        OutputView view;
        view.SetList(&list);
        view.resize(600, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        OutputBatch lines;
        for (int i = 0; i < 2000000; ++i)
            lines.Add(QByteArray("line ") + QByteArray::number(i));
        list.Append(lines);
        list.SetCurrent(2000000 - 1);
        QCoreApplication::processEvents();
        QCOMPARE(view.indexAt(QPoint(5, view.viewport()->height() - 3)).row(), 2000000 - 1);

        view.SetHorizontalExtent(5000000);
        QTRY_COMPARE(view.horizontalScrollBar()->maximum() + view.viewport()->width(),
                     view.MaximumExtent());
        lines.clear();
        lines.Add("short");
        list.Replace(lines);
        view.SetHorizontalExtent(HorizontalExtent(5, view.LongestLinePixels()));
        lines.Add(QByteArray(200, '\t') + "WWW");
        list.Append(lines);
        QImage image(40000, view.rowHeight(2), QImage::Format_RGB32); // where row 2's text ends
        image.fill(Qt::white);
        QStyleOptionViewItem option;
        option.font = view.font();
        option.rect = image.rect();
        QPainter painter(&image);
        view.itemDelegate()->paint(&painter, option, list.Model()->index(2, 0));
        int end = 0;
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                end = image.pixel(x, y) == qRgb(255, 255, 255) ? end : x + 1;
        QVERIFY(end > HorizontalExtent(5, 0) && view.LongestLinePixels() >= end);
        QCOMPARE(view.columnWidth(0), view.LongestLinePixels());

        QCoreApplication::processEvents();
        view.horizontalScrollBar()->setValue(end);
        list.SetCurrent(0);
        QVERIFY(view.horizontalScrollBar()->value() > 0);
        list.Replace(lines);
        QCOMPARE(view.horizontalScrollBar()->value(), 0);
        QFont font = view.font();
        font.setPointSize(30);
        view.setFont(font);
        QVERIFY(view.rowHeight(0) >= QFontMetrics(font).height());
    }
};

QTEST_MAIN(TestOutputView)
#include "tst_outputview.moc"
