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

    int RowY(int row) const { return m_view.rowViewportPosition(row) + 2; }

    // Where the row's painted text ends, found in the pixels its delegate paints.
    int PaintedEnd(int row)
    {
        QImage image(40000, 24, QImage::Format_RGB32);
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
        for (int part = 0; part < 20; ++part) {
            OutputBatch lines;
            for (int i = 0; i < 100000; ++i)
                lines.Add(QByteArray("line ") + QByteArray::number(part * 100000 + i));
            m_list.Append(lines);
        }
        const int last = 2000000 - 1;
        m_list.SetCurrent(last);
        QCOMPARE(m_view.currentIndex().row(), last);
        m_view.scrollToBottom();
        QCoreApplication::processEvents();
        QCOMPARE(m_view.indexAt(QPoint(5, m_view.viewport()->height() - 3)).row(), last);

        QTest::mouseClick(m_view.viewport(), Qt::LeftButton, {}, QPoint(5, RowY(last - 2)));
        QTest::mouseClick(m_view.viewport(), Qt::LeftButton, Qt::ControlModifier,
                          QPoint(5, RowY(last)));
        QCOMPARE(m_list.SelectedText(), QStringLiteral("line 1999997\r\nline 1999999\r\n"));

        m_view.selectAll();
        QVERIFY(m_list.IsSelected(0) && m_list.IsSelected(last));
        m_list.Clear();
        QCOMPARE(m_view.model()->rowCount(), 0);
        QVERIFY(!m_view.selectionModel()->hasSelection());
    }

    void horizontalExtent_data()
    {
        QTest::addColumn<int>("extent");
        QTest::newRow("empty list") << HorizontalExtent(-1, 0);
        QTest::newRow("first line of 100") << HorizontalExtent(100, 0);
        QTest::newRow("longest line wider") << HorizontalExtent(100, 300000);
        QTest::newRow("wider than a header holds") << 5000000;
    }

    void horizontalExtent()
    {
        QFETCH(int, extent);
        m_view.SetHorizontalExtent(extent);
        const int reach = qMin(extent, m_view.MaximumExtent());
        QTRY_COMPARE(m_view.horizontalScrollBar()->maximum() + m_view.viewport()->width(), reach);
    }

    // Tabs are painted at wide stops; a wider line appended later widens the column; a new
    // list starts at the left edge.
    void paintedLinesFit()
    {
        OutputBatch lines;
        lines.Add("short");
        m_list.Replace(lines);
        m_view.SetHorizontalExtent(HorizontalExtent(5, m_view.LongestLinePixels()));
        lines.Add(QByteArray(200, '\t') + "WWW");
        m_list.Append(lines);
        const int end = PaintedEnd(2);
        QVERIFY(end > HorizontalExtent(5, 0) && m_view.LongestLinePixels() >= end);
        QCOMPARE(m_view.columnWidth(0), m_view.LongestLinePixels());
        QCoreApplication::processEvents();
        m_view.horizontalScrollBar()->setValue(end);
        QVERIFY(m_view.horizontalScrollBar()->value() > 0);
        m_list.Replace(lines);
        QCOMPARE(m_view.horizontalScrollBar()->value(), 0);
    }
};

QTEST_MAIN(TestOutputView)
#include "tst_outputview.moc"
