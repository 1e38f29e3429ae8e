#include "reading/OutputList.h"

#include <QSignalSpy>
#include <QTest>

using Rows = QList<qsizetype>;

static OutputBatch Batch(const QList<QByteArray>& lines)
{
    OutputBatch batch;
    for (const QByteArray& line : lines)
        batch.Add(line);
    return batch;
}

class TestOutputList : public QObject
{
    Q_OBJECT

    OutputList m_list;

private Q_SLOTS:
    void init() // ten lines "l0" to "l9", 4 and 6 selected
    {
        m_list.Replace(Batch({"l0", "l1", "l2", "l3", "l4", "l5", "l6", "l7", "l8", "l9"}));
        m_list.SelectLines({4, 6});
    }

    void selection_data()
    {
        QTest::addColumn<Rows>("lines");        // given to SelectLines
        QTest::addColumn<QList<Rows>>("picks"); // then by hand: {top, bottom, flags}
        QTest::addColumn<Rows>("selected");
        QTest::addColumn<int>("ranges"); // in the selection model; -1: any
        const int select = QItemSelectionModel::Select, toggle = QItemSelectionModel::Toggle;
        const Rows all{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
        auto row = [](const char* name, Rows lines, QList<Rows> picks, Rows selected, int ranges) {
            QTest::newRow(name) << lines << picks << selected << ranges;
        };
        row("none", {}, {}, {}, 0);
        row("three runs", {0, 1, 2, 5, 7, 8}, {}, {0, 1, 2, 5, 7, 8}, 3);
        row("all", all, {}, all, 1);
        row("beyond the end", {8, 9, 10, 12}, {}, {8, 9}, 1);
        row("picked backwards", {}, {{5, 5, select}, {1, 1, select}}, {1, 5}, -1);
        row("overlapping", {}, {{3, 5, select}, {2, 4, select}}, {2, 3, 4, 5}, -1);
        row("toggled out", {}, {{0, 3, select}, {1, 2, toggle}}, {0, 3}, -1);
    }

    void selection()
    {
        QFETCH(Rows, lines);
        QFETCH(QList<Rows>, picks);
        QFETCH(Rows, selected);
        QFETCH(int, ranges);
        m_list.SelectLines(lines);
        for (const Rows& pick : picks) {
            const QItemSelection range(m_list.Model()->index(int(pick[0]), 0),
                                       m_list.Model()->index(int(pick[1]), 0));
            m_list.Selection()->select(range, QItemSelectionModel::SelectionFlags(int(pick[2])));
        }
        QCOMPARE(ranges < 0 ? -1 : int(m_list.Selection()->selection().size()), ranges);
        QString text; // each selected line once, in list order
        for (const qsizetype i : selected)
            text += QStringLiteral("l%1\r\n").arg(i);
        QCOMPARE(m_list.NextSelected(-1), selected.value(0, -1));
        QCOMPARE(m_list.NextSelected(selected.value(0, 9)), selected.value(1, -1));
        for (const qsizetype current : {2, 9, -1, 10}) { // the current line leaves marks alone
            m_list.SetCurrent(current);
            QCOMPARE(m_list.Current(), current < 10 ? current : -1);
            QCOMPARE(m_list.SelectedText(), text);
        }
    }

    void changes()
    {
        QSignalSpy inserted(m_list.Model(), &QAbstractItemModel::rowsInserted);
        QSignalSpy resets(m_list.Model(), &QAbstractItemModel::modelReset);
        m_list.Append(Batch({"a", "b", "c"}));
        m_list.Append(OutputBatch());
        QCOMPARE(m_list.Count(), 13);
        QCOMPARE(inserted.size(), 1);
        QCOMPARE((Rows{inserted[0][1].toInt(), inserted[0][2].toInt()}), (Rows{10, 12}));
        // Past 12 lines the oldest 4 go, and the marks move with the lines that stay.
        QCOMPARE(m_list.Bound(12, 4) + m_list.Bound(12, 4), 4);
        QCOMPARE(m_list.Text(0), QStringLiteral("l4"));
        QCOMPARE(m_list.SelectedText(), QStringLiteral("l4\r\nl6\r\n"));
        m_list.SelectAll();
        m_list.SetCurrent(5);
        m_list.Replace(Batch({"a", "b"}));
        QCOMPARE((Rows{m_list.Count(), m_list.Current()}), (Rows{2, -1}));
        QVERIFY(!m_list.Selection()->hasSelection());
        m_list.Clear();
        QCOMPARE((Rows{m_list.Count(), resets.size()}), (Rows{0, 2}));
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
        m_list.Replace(Batch(lines.mid(0, 5)));
        m_list.Append(Batch(lines.mid(5)));
        QCOMPARE(m_list.Count(), lines.size());
        for (qsizetype i = 0; i < lines.size(); ++i)
            QVERIFY2(m_list.Bytes(i) == lines[i], qPrintable(QString::number(i)));
    }
};

QTEST_GUILESS_MAIN(TestOutputList)
#include "tst_outputlist.moc"
