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

private Q_SLOTS:
    // Marks from SelectLines (runs kept as ranges, lines beyond the end ignored) and by hand
    // (backwards, overlapping, toggled out) come back once each, in list order; the current
    // line leaves them alone. An append is one insertion, an empty one none; a replacement
    // drops marks and current line.
    void marksAndChanges()
    {
        OutputList list;
        list.Replace(Batch({"l0", "l1", "l2", "l3", "l4", "l5", "l6", "l7", "l8", "l9"}));
        list.SelectLines({0, 1, 2, 5, 8, 9, 10, 12});
        QCOMPARE(list.Selection()->selection().size(), 3);
        QCOMPARE(list.SelectedText(), QStringLiteral("l0\r\nl1\r\nl2\r\nl5\r\nl8\r\nl9\r\n"));
        list.SelectLines({});
        const auto select = QItemSelectionModel::Select, toggle = QItemSelectionModel::Toggle;
        for (const auto& [top, bottom, flag] : {std::tuple(5, 6, select), std::tuple(1, 1, select),
                                                std::tuple(2, 5, select), std::tuple(3, 3, toggle)})
            list.Selection()->select(
                QItemSelection(list.Model()->index(top, 0), list.Model()->index(bottom, 0)), flag);
        list.SetCurrent(10);
        QCOMPARE(list.Current(), -1);
        list.SetCurrent(3);
        QCOMPARE((Rows{list.Current(), list.NextSelected(-1), list.NextSelected(2)}),
                 (Rows{3, 1, 4}));
        QCOMPARE(list.SelectedText(), QStringLiteral("l1\r\nl2\r\nl4\r\nl5\r\nl6\r\n"));
        QSignalSpy inserted(list.Model(), &QAbstractItemModel::rowsInserted);
        list.Append(Batch({"a", "b", "c"}));
        list.Append(OutputBatch());
        QCOMPARE(inserted, (QList<QList<QVariant>>{{QModelIndex(), 10, 12}}));
        list.Replace(Batch({"a", "b"}));
        QCOMPARE((Rows{list.Count(), list.Current(), list.NextSelected(-1)}), (Rows{2, -1, -1}));
    }

    // Lines around and beyond the size of a storage block come back byte for byte, also after
    // a Tail's unterminated row, moved by the bound, was completed in place.
    void storage()
    {
        OutputList list;
        const qsizetype block = qsizetype(1) << 20;
        QList<QByteArray> lines;
        for (const qsizetype size : {0LL, block - 1, block, block + 1, 0LL, 3 * block})
            lines << QByteArray(size, char('a' + lines.size()));
        list.Replace(Batch(lines.mid(0, 4)));
        list.ShowsTailOf(QStringLiteral("f"), true);
        list.Append(Batch(lines.mid(4)));
        list.Bound(5, 1);
        lines.removeFirst();
        QCOMPARE((Rows{list.UnfinishedRow("f"), list.UnfinishedRow("g")}), (Rows{2, -1}));
        lines[2] = QByteArray(2 * block, 'z');
        list.FinishRow(lines[2]);
        QCOMPARE(list.UnfinishedRow("f"), -1);
        QList<QByteArray> back;
        for (qsizetype i = 0; i < list.Count(); ++i)
            back << list.Bytes(i).toByteArray();
        QVERIFY(back == lines);
    }
};

QTEST_GUILESS_MAIN(TestOutputList)
#include "tst_outputlist.moc"
