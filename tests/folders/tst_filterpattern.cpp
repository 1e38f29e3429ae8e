#include "folders/FilterPattern.h"

#include <QTest>

class TestFilterPattern : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Rows of a filter, a blank and its pattern ("-": none), separated by ";". Tokens are lower
    // case, found inside words, removed in one pass as yyyy, yy, mm, dd, from the base name
    // only; the extension is the last three characters, never half a surrogate pair.
    void filterToPattern()
    {
        const QString rows = QStringLiteral(
            "exyymmdd.log ex*.log;WEBEXTDyyyymmdd.log WEBEXTD*.log;*.log **.log;*.* **.*.*;"
            "EXYYMMDD.LOG EXYYMMDD*.LOG;daddy.log day*.log;yyyyy.log y*.log;ymmy.log yy*.log;"
            "mddm.log mm*.log;logfile logfile*.ile;ab ab*.ab;.log *.log;"
            "exyymmdd.html ex*.tml;ex.yymmdd.log ex*.log;exyymmdd.ydd ex*.ydd;"
            "x.\U0001F600og x*.\U0001F600og; -");
        for (const QString& row : rows.split(u';'))
            QCOMPARE(FilterToPattern(row.section(u' ', 0, 0)).value_or("-"), row.section(u' ', 1));
    }

    // Each row: a pattern, then names it matches ("+") and names it does not ("-").
    void matches()
    {
        const QString as(20000, u'a'); // many stars against a long name must stay quick
        const QList<QStringList> rows = {
            {"ex*.log", "+ex030123.log", "+EX021231.LOG", "+ex.log", "+ex.log.log", "-in030123.log",
             "-ex030123.txt", "-ex030123.log.bak"},
            {"ÉTÉ*.LOG", "+été1.log"},
            {"**.*.*", "+README", "+a.b"},
            {"ex.*", "+ex", "+ex.log", "-exa"},
            {"*.*x", "-abc"},
            {"a?b", "+a.b", "+a\U0001F600b", "-a\U0001F600\U0001F600b", "-ab"},
            {"my [1]*.log", "+My [1] 2003.log", "-my 1 2003.log", "-my[1]2003.log"},
            {"", "-a"},
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
