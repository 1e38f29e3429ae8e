#include "folders/FilterPattern.h"

#include <QTest>

class TestFilterPattern : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void filterToPattern_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("pattern"); // empty: no pattern
        // Rows of a filter, a blank and its pattern, separated by ";".
        // The editor's styles; tokens (lower case only) inside words, each removed in one pass
        // in the order yyyy, yy, mm, dd, from the base name only; extensions of other lengths,
        // never half a surrogate pair.
        const QString rows = QStringLiteral(
            "exyymmdd.log ex*.log;inyymmdd.log in*.log;ncyymmdd.log nc*.log;"
            "FWSEXTDyyyymmdd.log FWSEXTD*.log;IPPEXTDyyyymmdd.log IPPEXTD*.log;"
            "WEBEXTDyyyymmdd.log WEBEXTD*.log;*.log **.log;*.* **.*.*;"
            "EXYYMMDD.LOG EXYYMMDD*.LOG;daddy.log day*.log;yyyyy.log y*.log;ymmy.log yy*.log;"
            "mddm.log mm*.log;logfile logfile*.ile;ab ab*.ab;.log *.log;"
            "exyymmdd.html ex*.tml;ex.yymmdd.log ex*.log;exyymmdd.ydd ex*.ydd;"
            "x.\U0001F600og x*.\U0001F600og; ");
        for (const QString& row : rows.split(u';'))
            QTest::addRow("[%s]", qPrintable(row.section(u' ', 0, 0)))
                << row.section(u' ', 0, 0) << row.section(u' ', 1);
    }

    void filterToPattern()
    {
        QFETCH(QString, filter);
        QFETCH(QString, pattern);
        QCOMPARE(FilterToPattern(filter),
                 pattern.isEmpty() ? std::nullopt : std::optional(pattern));
    }

    void matches_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("matching");
        QTest::addColumn<QStringList>("others");
        const auto row = [](const QString& pattern, const QString& matching,
                            const QString& others) {
            QTest::addRow("[%s]", qPrintable(pattern.left(30)))
                << pattern << matching.split(u'|', Qt::SkipEmptyParts)
                << others.split(u'|', Qt::SkipEmptyParts);
        };
        row("ex*.log", "ex030123.log|EX021231.LOG|ex.log|ex.log.log",
            "in030123.log|ex030123.txt|ex030123.log.bak");
        row("WEBEXTD*.log", "webextd1.LOG", "");
        row("ÉTÉ*.log", "été1.log", "");
        row("*.*", "README|a.b", "");
        row("**.*.*", "README", "");
        row("ex.*", "ex|ex.log", "exa");
        row("*.*x", "", "abc");
        row("ex??????.log", "ex030123.log", "ex03012.log");
        row("a?b", "a.b", "ab|a");
        row("?.log", "\U0001F600.log", "\U0001F600\U0001F600.log|.log");
        row("my log*.log", "My Log 2003.log", "mylog2003.log");
        row("ex[1]*.log", "EX[1]030123.log", "ex1030123.log");
        row("", "", "a");
        // Many stars against a long name: time grows with the product of the lengths only.
        const QString as(20000, u'a');
        row("*a*a*a*a*a*a*a*a*a*a*a*a*b", as + u'b', as);
        row("*a*a*a*a*a*a*a*a*.*.*.*", as, "");
    }

    void matches()
    {
        QFETCH(QString, pattern);
        QFETCH(QStringList, matching);
        QFETCH(QStringList, others);
        for (const QString& name : matching)
            QVERIFY2(MatchesPattern(name, pattern), qPrintable(name.left(30)));
        for (const QString& name : others)
            QVERIFY2(!MatchesPattern(name, pattern), qPrintable(name.left(30)));
    }
};

QTEST_GUILESS_MAIN(TestFilterPattern)
#include "tst_filterpattern.moc"
