#include "reading/HorizontalExtent.h"
#include "reading/OutputList.h"
#include "reading/OutputView.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>

class TestOutputView : public QObject
{
    Q_OBJECT

    OutputList m_list;
    OutputView m_view;

    int RowY(int row) const { return m_view.rowViewportPosition(row) + 2; }

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

    void longestLineFits()
    {
        const QByteArray wide = QByteArray(150, 'W') + QByteArray(150, 'i');
        OutputBatch lines;
        lines.Add(wide);
        lines.Add("short");
        m_list.Replace(lines);
        QVERIFY(m_view.LongestLinePixels() >=
                m_view.fontMetrics().horizontalAdvance(QString::fromLatin1(wide)));
    }
};

QTEST_MAIN(TestOutputView)
#include "tst_outputview.moc"
