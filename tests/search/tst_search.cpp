#include "reading/OutputList.h"
#include "search/Search.h"

#include <QTest>

using Rows = QList<qsizetype>;

// Which lines a search text finds: the line upper-cased contains the text upper-cased.
class TestSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void matchingLines_data()
    {
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Rows>("rows");
        using L = QList<QByteArray>;
        QTest::newRow("case ignored") << L{"Alpha", "beta", "ALPHABET"} << "alpha" << Rows{0, 2};
        QTest::newRow("at both ends")
            << L{"xab", "abx", "ab", "a", "", "b a"} << "AB" << Rows{0, 1, 2};
        QTest::newRow("not across lines") << L{"ab", "cd", "abcd"} << "bc" << Rows{2};
        QTest::newRow("repeats in the text")
            << L{"aab", "aaab", "abab", "aa"} << "aab" << Rows{0, 1};
        QTest::newRow("punctuation as is") << L{"a.b", "a-b", "A.B"} << "a.b" << Rows{0, 2};
        QTest::newRow("UTF-8 and single bytes") << L{"\xC3\xA9t\xC3\xA9", "x", "\xC9T\xC9", "et"}
                                                << QStringLiteral("\u00C9T\u00C9") << Rows{0, 2};
        QTest::newRow("sharp s is SS") << L{"stra\xC3\x9F"
                                            "e",
                                            "MASS", "mast",
                                            "stra\xDF"
                                            "e"}
                                       << "ss" << Rows{0, 1, 3};
        QTest::newRow("dotless i is I") << L{"\xC4\xB1"
                                             "d",
                                             "id", "d"}
                                        << "ID" << Rows{0, 1};
        QTest::newRow("ASCII next to other bytes") << L{"\xC3\xA9"
                                                        "abc",
                                                        "\xFF"
                                                        "ABC"}
                                                   << "bc" << Rows{0, 1};
    }

    void matchingLines()
    {
        QFETCH(QList<QByteArray>, lines);
        QFETCH(QString, text);
        QFETCH(Rows, rows);
        OutputBatch batch;
        for (const QByteArray& line : lines)
            batch.Add(line);
        OutputList list;
        list.Replace(batch);
        QCOMPARE(search::MatchingLines(list, text), rows);
    }
};

QTEST_GUILESS_MAIN(TestSearch)
#include "tst_search.moc"
