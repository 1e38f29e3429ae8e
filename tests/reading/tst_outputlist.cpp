#include "reading/OutputList.h"

#include <QSignalSpy>
#include <QTest>

using Rows = QList<qsizetype>;

class TestOutputList : public QObject
{
    Q_OBJECT

    OutputList m_list;

    static OutputBatch Batch(const QList<QByteArray>& lines)
    {
        OutputBatch batch;
        for (const QByteArray& line : lines)
            batch.Add(line);
        return batch;
    }

    Rows Selected() const
    {
        Rows rows;
        for (qsizetype i = 0; i < m_list.Count(); ++i) {
            if (m_list.IsSelected(i))
                rows << i;
        }
        return rows;
    }

private Q_SLOTS:
    void init() // ten lines "l0" to "l9"
    {
        QList<QByteArray> lines;
        for (int i = 0; i < 10; ++i)
            lines << "l" + QByteArray::number(i);
        m_list.Replace(Batch(lines));
    }

    void selectLines_data()
    {
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<Rows>("selected");
        QTest::addColumn<int>("ranges");
        QTest::newRow("none") << Rows{} << Rows{} << 0;
        QTest::newRow("three runs") << Rows{0, 1, 2, 5, 7, 8} << Rows{0, 1, 2, 5, 7, 8} << 3;
        QTest::newRow("all") << Rows{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}
                             << Rows{0, 1, 2, 3, 4, 5, 6, 7, 8, 9} << 1;
        QTest::newRow("beyond the end") << Rows{8, 9, 10, 12} << Rows{8, 9} << 1;
    }

    void selectLines()
    {
        QFETCH(Rows, rows);
        QFETCH(Rows, selected);
        QFETCH(int, ranges);
        m_list.SelectLines({4, 6});
        m_list.SelectLines(rows);
        QCOMPARE(Selected(), selected);
        QCOMPARE(m_list.Selection()->selection().size(), ranges);
        QCOMPARE(m_list.NextSelected(-1), selected.value(0, -1));
        QCOMPARE(m_list.NextSelected(8), selected.contains(9) ? 9 : -1);
    }

    void setCurrentKeepsMarks()
    {
        m_list.SelectLines({1, 3});
        for (const qsizetype current : {2, 3, -1, 10}) {
            m_list.SetCurrent(current);
            QCOMPARE(m_list.Current(), current < 10 ? current : -1);
            QCOMPARE(Selected(), (Rows{1, 3}));
        }
    }

    void selectedText_data()
    {
        QTest::addColumn<QList<Rows>>("picks"); // {top, bottom, flags} in the order made
        QTest::addColumn<QString>("text");
        const int select = QItemSelectionModel::Select, toggle = QItemSelectionModel::Toggle;
        QTest::newRow("none") << QList<Rows>{} << QString();
        QTest::newRow("picked backwards")
            << QList<Rows>{{5, 5, select}, {1, 1, select}} << QStringLiteral("l1\r\nl5\r\n");
        QTest::newRow("overlapping") << QList<Rows>{{3, 5, select}, {2, 4, select}}
                                     << QStringLiteral("l2\r\nl3\r\nl4\r\nl5\r\n");
        QTest::newRow("toggled out")
            << QList<Rows>{{0, 3, select}, {1, 2, toggle}} << QStringLiteral("l0\r\nl3\r\n");
    }

    void selectedText()
    {
        QFETCH(QList<Rows>, picks);
        QFETCH(QString, text);
        for (const Rows& pick : picks) {
            const QItemSelection range(m_list.Model()->index(int(pick[0]), 0),
                                       m_list.Model()->index(int(pick[1]), 0));
            m_list.Selection()->select(range, QItemSelectionModel::SelectionFlags(int(pick[2])));
        }
        QCOMPARE(m_list.SelectedText(), text);
    }

    void changes()
    {
        QSignalSpy inserted(m_list.Model(), &QAbstractItemModel::rowsInserted);
        QSignalSpy resets(m_list.Model(), &QAbstractItemModel::modelReset);
        m_list.Append(Batch({"a", "b", "c"}));
        m_list.Append(OutputBatch());
        QCOMPARE(m_list.Count(), 13);
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted[0][1].toInt(), 10);
        QCOMPARE(inserted[0][2].toInt(), 12);
        m_list.SelectAll();
        m_list.SetCurrent(5);
        m_list.Replace(Batch({"a", "b"}));
        QCOMPARE(m_list.Count(), 2);
        QCOMPARE(m_list.Current(), -1);
        QVERIFY(!m_list.Selection()->hasSelection());
        m_list.Clear();
        QCOMPARE(m_list.Count(), 0);
        QCOMPARE(resets.size(), 2);
        m_list.SelectAll();
        QCOMPARE(m_list.SelectedText(), QString());
    }

    // Lines around and beyond the size of a storage block come back byte for byte.
    void storage()
    {
        const qsizetype block = qsizetype(1) << 20;
        QList<QByteArray> lines;
        for (const qsizetype size : {0LL, 1LL, block - 1, block, block + 1, 0LL, 3 * block, 0LL})
            lines << QByteArray(size, char('a' + lines.size()));
        lines << QByteArray("\xC3\xA9").repeated(2 * block) << "\xE9";
        m_list.Replace(Batch(lines.mid(0, 5)));
        m_list.Append(Batch(lines.mid(5)));
        QCOMPARE(m_list.Count(), lines.size());
        for (qsizetype i = 0; i < lines.size(); ++i)
            QVERIFY2(m_list.Model()->Bytes(i) == lines[i], qPrintable(QString::number(i)));
        QCOMPARE(m_list.Text(lines.size() - 1), QStringLiteral("\u00E9"));
        QCOMPARE(m_list.TextLength(lines.size() - 2), 2 * block);
    }
};

QTEST_GUILESS_MAIN(TestOutputList)
#include "tst_outputlist.moc"
