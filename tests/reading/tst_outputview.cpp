#include "reading/HorizontalExtent.h"
#include "reading/OutputList.h"
#include "reading/OutputView.h"

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

class TestOutputView : public QObject
{
    Q_OBJECT

    OutputList m_list;
    OutputView m_view;

    void Click(int row, Qt::KeyboardModifiers keys = {})
    {
        QTest::mouseClick(m_view.viewport(), Qt::LeftButton, keys,
                          QPoint(5, m_view.rowViewportPosition(row) + 2));
    }

    // Where the row's painted text ends, found in the pixels its delegate paints.
    int PaintedEnd(int row)
    {
        QImage image(40000, m_view.rowHeight(row), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QStyleOptionViewItem option;
        option.initFrom(&m_view);
        option.font = m_view.font();
        option.rect = image.rect();
        m_view.itemDelegate()->paint(&painter, option, m_list.Model()->index(row, 0));
        for (int x = image.width() - 1; x >= 0; --x)
            for (int y = 0; y < image.height(); ++y)
                if (image.pixel(x, y) != qRgb(255, 255, 255))
                    return x + 1;
        return 0;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_view.SetList(&m_list);
        m_view.resize(600, 300);
        m_view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_view));
    }

    void twoMillionLines()
    {
        OutputBatch lines;
        for (int i = 0; i < 2000000; ++i)
            lines.Add(QByteArray("line ") + QByteArray::number(i));
        m_list.Append(lines);
        const int last = 2000000 - 1;
        m_list.SetCurrent(last);
        QCoreApplication::processEvents();
        QCOMPARE(m_view.indexAt(QPoint(5, m_view.viewport()->height() - 3)).row(), last);
        Click(last - 2); // the view's selection is the list's
        Click(last, Qt::ControlModifier);
        QCOMPARE(m_list.SelectedText(), QStringLiteral("line 1999997\r\nline 1999999\r\n"));
        m_view.selectAll();
        QVERIFY(m_list.IsSelected(0) && m_list.IsSelected(last));
        m_list.Clear();
        QVERIFY(m_view.model()->rowCount() == 0 && !m_view.selectionModel()->hasSelection());
    }

    void extent()
    {
        for (const int extent : {HorizontalExtent(-1, 0), 5000000}) { // beyond what a header holds
            m_view.SetHorizontalExtent(extent);
            QTRY_COMPARE(m_view.horizontalScrollBar()->maximum() + m_view.viewport()->width(),
                         qMin(extent, m_view.MaximumExtent()));
        }
        // Tabs are painted at wide stops; a wider line appended later widens the column.
        OutputBatch lines;
        lines.Add("short");
        m_list.Replace(lines);
        m_view.SetHorizontalExtent(HorizontalExtent(5, m_view.LongestLinePixels()));
        lines.Add(QByteArray(200, '\t') + "WWW");
        m_list.Append(lines);
        const int end = PaintedEnd(2);
        QVERIFY(end > HorizontalExtent(5, 0) && m_view.LongestLinePixels() >= end);
        QCOMPARE(m_view.columnWidth(0), m_view.LongestLinePixels());
        // Bringing a line into view keeps the sideways position; new lines start at the left.
        QCoreApplication::processEvents();
        m_view.horizontalScrollBar()->setValue(end);
        m_list.SetCurrent(0);
        QVERIFY(m_view.horizontalScrollBar()->value() > 0);
        m_list.Replace(lines);
        QCOMPARE(m_view.horizontalScrollBar()->value(), 0);
        // A larger font makes taller rows that still hold the text.
        QFont font = m_view.font();
        font.setPointSize(30);
        m_view.setFont(font);
        QVERIFY(m_view.rowHeight(0) >= QFontMetrics(font).height());
    }
};

QTEST_MAIN(TestOutputView)
#include "tst_outputview.moc"
