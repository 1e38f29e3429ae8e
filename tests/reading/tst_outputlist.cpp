#include "reading/OutputList.h"
#include "search/Search.h"

#include <QSignalSpy>
#include <QTest>

using Rows = QList<qsizetype>;

static reading::OutputBatch Batch(const QList<QByteArray>& lines)
{
    reading::OutputBatch batch;
    for (const QByteArray& line : lines)
        batch.Add(line);
    return batch;
}

class TestOutputList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Marks from SelectLines (lines beyond the end ignored) and from the view's commands
    // (overlapping, toggled out, a current selection replaced and then kept) come back once
    // each, in list order, each line ending in LF; the current line leaves them alone. An
    // append is one insertion, an empty one none; a replacement drops marks and current line.
    void marksChangesAndCopy()
    {
        reading::OutputList list;
        list.Replace(Batch({"l0", "l1", "l2", "l3", "l4", "l5", "l6", "l7", "l8", "l9"}));
        list.SelectLines({0, 1, 2, 5, 8, 9, 10, 12});
        QCOMPARE(list.SelectedText(), QByteArray("l0\nl1\nl2\nl5\nl8\nl9\n"));
        list.SelectLines({});
        using F = QItemSelectionModel;
        using Command = std::tuple<int, int, F::SelectionFlags>;
        for (const auto& [top, bottom, flag] :
             {Command(5, 6, F::Select), Command(1, 1, F::Select), Command(2, 5, F::Select),
              Command(3, 3, F::Toggle), Command(8, 9, F::SelectCurrent),
              Command(7, 7, F::SelectCurrent), Command(6, 6, F::Deselect | F::Current),
              Command(0, 0, F::NoUpdate)}) {
            const QItemSelection lines(list.Model()->index(top, 0), list.Model()->index(bottom, 0));
            list.Selection()->select(lines, flag);
        }
        list.SetCurrent(10);
        QCOMPARE(list.Current(), -1);
        list.SetCurrent(3);
        QCOMPARE((Rows{list.Current(), list.NextSelected(-1), list.NextSelected(3)}),
                 (Rows{3, 1, 4}));
        QCOMPARE(list.SelectedText(), QByteArray("l1\nl2\nl3\nl4\nl5\n"));
        QSignalSpy inserted(list.Model(), &QAbstractItemModel::rowsInserted);
        list.Append(Batch({"a", "b", "c"}));
        list.Append(reading::OutputBatch());
        QCOMPARE(inserted, (QList<QList<QVariant>>{{QModelIndex(), 10, 12}}));
        QCOMPARE((Rows{list.NextSelected(5), list.Selection()->MarkedCount()}), (Rows{-1, 5}));
        list.Replace(Batch({"a", "b"}));
        QCOMPARE((Rows{list.Count(), list.Current(), list.NextSelected(-1)}), (Rows{2, -1, -1}));
        // Copy takes UTF-8 as it is and decodes anything else as Windows-1252; empty lines stay.
        list.Replace(Batch({"caf\xC3\xA9", "", "x", "caf\xE9 \x80", "\xE2\x82", "tab\tend"}));
        list.SelectLines({0, 1, 3, 4, 5});
        QCOMPARE(QString::fromUtf8(list.SelectedText()),
                 QStringLiteral("caf\u00E9\n\ncaf\u00E9 \u20AC\n\u00E2\u201A\ntab\tend\n"));
    }

    // A drop of the oldest lines takes their marks along; a search position on a dropped line
    // is before the first line, so the next step finds the first remaining match.
    void boundDrop_data()
    {
        QTest::addColumn<qsizetype>("position");
        QTest::addColumn<QString>("status");
        QTest::newRow("on a dropped line") << qsizetype(1) << "Match on line: 0";
        QTest::newRow("before the list") << qsizetype(-1) << "Match on line: 0";
        QTest::newRow("on a kept line") << qsizetype(4) << "Match on line: 2";
        QTest::newRow("on the last match") << qsizetype(6) << "This is the last match";
    }
    void boundDrop()
    {
        QFETCH(qsizetype, position);
        reading::OutputList list;
        list.Replace(Batch({"m0", "x", "m2", "x", "m4", "x", "m6", "x"}));
        QCOMPARE(search::Press(list, QStringLiteral("m"), search::Mode::Count)->status,
                 QStringLiteral("4 occurances of 'm' found"));
        list.SearchPosition = position;
        list.Append(Batch({"x", "m9"}));
        QCOMPARE(list.Bound(8, 4), 4);
        QCOMPARE(QString::fromLatin1(list.SelectedText()), QStringLiteral("m4\nm6\n"));
        QTEST(search::Press(list, QStringLiteral("m"), search::Mode::Step)->status, "status");
    }

    // Lines around and beyond the size of a storage block come back byte for byte, also after
    // a Tail's unterminated row, moved by the bound, was completed in place.
    void storage()
    {
        reading::OutputList list;
        const qsizetype block = qsizetype(1) << 20;
        QList<QByteArray> lines;
        for (const qsizetype size : {0LL, block - 1, block, block + 1, 0LL, 3 * block})
            lines << QByteArray(size, char('a' + lines.size()));
        list.Replace(Batch(lines.mid(0, 4)));
        list.ShowsTailOf(QStringLiteral("f"), true);
        list.Append(Batch(lines.mid(4)));
        list.Bound(5, 1);
        lines.removeFirst();
        lines[2] = QByteArray(2 * block, 'z');
        QVERIFY(!list.CompleteUnfinishedRow("g", lines[2]));
        QVERIFY(list.CompleteUnfinishedRow("f", lines[2]) && !list.CompleteUnfinishedRow("f", ""));
        QList<QByteArray> back;
        for (qsizetype i = 0; i < list.Count(); ++i)
            back << list.Bytes(i).toByteArray();
        QVERIFY(back == lines);
    }
};

QTEST_GUILESS_MAIN(TestOutputList)
#include "tst_outputlist.moc"
