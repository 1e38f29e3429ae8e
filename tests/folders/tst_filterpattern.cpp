#include "folders/FilterPattern.h"

#include <QTest>

class TestFilterPattern : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Rows of a filter, a blank and its pattern ("-": none), separated by ";". The fuzz target
    // fuzz_patterns holds the rule against a plain rewrite of it on any style.
    void filterToPattern()
    {
        const QString rows = QStringLiteral(
            "exyymmdd.log ex*.log;WEBEXTDyyyymmdd.log WEBEXTD*.log;*.* **.*.*;ymmy.log yy*.log; -");
        for (const QString& row : rows.split(u';'))
            QCOMPARE(FilterToPattern(row.section(u' ', 0, 0)).value_or("-"), row.section(u' ', 1));
    }

    // Each row: a pattern, then names it matches ("+") and names it does not ("-"); many stars
    // against a long name must stay quick. fuzz_patterns compares every other case with the
    // wildcard rules written out.
    void matches()
    {
        const QString as(20000, u'a');
        const QList<QStringList> rows = {{"ex*.log", "+EX021231.LOG", "-ex030123.log.bak"},
                                         {"**.*.*", "+README", "+a.b"},
                                         {"*a*a*a*a*a*a*a*a*a*a*a*a*b", '+' + as + u'b', '-' + as},
                                         {"*a*a*a*a*a*a*a*a*.*.*.*", '+' + as}};
        for (const QStringList& row : rows)
            for (const QString& name : row.mid(1))
                QVERIFY2(MatchesPattern(name.mid(1), row[0]) == name.startsWith(u'+'),
                         qPrintable(row[0].left(30) + u' ' + name.left(30)));
    }
};

QTEST_GUILESS_MAIN(TestFilterPattern)
#include "tst_filterpattern.moc"
