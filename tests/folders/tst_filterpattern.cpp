#include "folders/FilterPattern.h"

#include <QTest>

class TestFilterPattern : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void filterToPattern_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("pattern");

        QTest::newRow("exyymmdd.log") << "exyymmdd.log"
                                      << "ex*.log";
        QTest::newRow("inyymmdd.log") << "inyymmdd.log"
                                      << "in*.log";
        QTest::newRow("ncyymmdd.log") << "ncyymmdd.log"
                                      << "nc*.log";
        QTest::newRow("FWSEXTDyyyymmdd.log") << "FWSEXTDyyyymmdd.log"
                                             << "FWSEXTD*.log";
        QTest::newRow("IPPEXTDyyyymmdd.log") << "IPPEXTDyyyymmdd.log"
                                             << "IPPEXTD*.log";
        QTest::newRow("WEBEXTDyyyymmdd.log") << "WEBEXTDyyyymmdd.log"
                                             << "WEBEXTD*.log";
        QTest::newRow("*.log") << "*.log"
                               << "**.log";
        QTest::newRow("*.*") << "*.*"
                             << "**.*.*";
        QTest::newRow("upper-case tokens are text") << "EXYYMMDD.LOG"
                                                    << "EXYYMMDD*.LOG";
        QTest::newRow("tokens inside words") << "daddy.log"
                                             << "day*.log";
        QTest::newRow("yyyy before yy") << "yyyyy.log"
                                        << "y*.log";
        QTest::newRow("no second look at joined text") << "ymmy.log"
                                                       << "yy*.log";
        QTest::newRow("mm before dd") << "mddm.log"
                                      << "mm*.log";
        QTest::newRow("six y") << "yyyyyy.log"
                               << "*.log";
        QTest::newRow("no dot") << "logfile"
                                << "logfile*.ile";
        QTest::newRow("long extension cut") << "exyymmdd.html"
                                            << "ex*.tml";
        QTest::newRow("tokens after first dot stay") << "ex.yymmdd.log"
                                                     << "ex*.log";
        QTest::newRow("extension keeps tokens") << "exyymmdd.ydd"
                                                << "ex*.ydd";
        QTest::newRow("question marks pass") << "ex??yymmdd.log"
                                             << "ex??*.log";
        QTest::newRow("two characters") << "ab"
                                        << "ab*.ab";
        QTest::newRow("one token only") << "yy"
                                        << "*.yy";
        QTest::newRow("one character") << "x"
                                       << "x*.x";
        QTest::newRow("dot first") << ".log"
                                   << "*.log";
        QTest::newRow("surrogate pair stays whole") << "x.\U0001F600og"
                                                    << "x*.\U0001F600og";
    }

    void filterToPattern()
    {
        QFETCH(QString, filter);
        QFETCH(QString, pattern);
        QCOMPARE(FilterToPattern(filter), std::optional<QString>(pattern));
    }

    void emptyFilterHasNoPattern() { QCOMPARE(FilterToPattern(QString()), std::nullopt); }

    void matches_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");

        QTest::newRow("plain") << "ex*.log"
                               << "ex030123.log" << true;
        QTest::newRow("upper-case name") << "ex*.log"
                                         << "EX021231.LOG" << true;
        QTest::newRow("upper-case pattern") << "WEBEXTD*.log"
                                            << "webextd20030123.LOG" << true;
        QTest::newRow("non-ASCII case") << "ÉTÉ*.log"
                                        << "été1.log" << true;
        QTest::newRow("star matches nothing") << "ex*.log"
                                              << "ex.log" << true;
        QTest::newRow("other prefix") << "ex*.log"
                                      << "in030123.log" << false;
        QTest::newRow("other extension") << "ex*.log"
                                         << "ex030123.txt" << false;
        QTest::newRow("extension must end") << "ex*.log"
                                            << "ex030123.log.bak" << false;
        QTest::newRow("later .log counts") << "ex*.log"
                                           << "ex.log.log" << true;
        QTest::newRow("*.* with extension") << "*.*"
                                            << "readme.txt" << true;
        QTest::newRow("*.* without extension") << "*.*"
                                               << "README" << true;
        QTest::newRow("**.*.* without extension") << "**.*.*"
                                                  << "README" << true;
        QTest::newRow("**.*.* one dot") << "**.*.*"
                                        << "a.b" << true;
        QTest::newRow("**.*.* two dots") << "**.*.*"
                                         << "a.b.c" << true;
        QTest::newRow("**.*.* trailing dot") << "**.*.*"
                                             << "a." << true;
        QTest::newRow("name.* without extension") << "ex.*"
                                                  << "ex" << true;
        QTest::newRow("name.* with extension") << "ex.*"
                                               << "ex.log" << true;
        QTest::newRow("name.* longer name") << "ex.*"
                                            << "exa" << false;
        QTest::newRow("ex*.* without extension") << "ex*.*"
                                                 << "ex030123" << true;
        QTest::newRow(".* only at the end") << "*.*x"
                                            << "abc" << false;
        QTest::newRow("question mark one") << "ex??????.log"
                                           << "ex030123.log" << true;
        QTest::newRow("question mark too few") << "ex??????.log"
                                               << "ex03012.log" << false;
        QTest::newRow("question mark not empty") << "a?"
                                                 << "a" << false;
        QTest::newRow("question mark takes a dot") << "a?b"
                                                   << "a.b" << true;
        QTest::newRow("question mark one emoji") << "?.log"
                                                 << "\U0001F600.log" << true;
        QTest::newRow("question mark not half emoji") << "??.log"
                                                      << "\U0001F600.log" << false;
        QTest::newRow("blanks") << "my log*.log"
                                << "My Log 2003.log" << true;
        QTest::newRow("blank is no star") << "my log*.log"
                                          << "mylog2003.log" << false;
        QTest::newRow("brackets are text") << "ex[1]*.log"
                                           << "EX[1]030123.log" << true;
        QTest::newRow("brackets no class") << "ex[1]*.log"
                                           << "ex1030123.log" << false;
        QTest::newRow("empty pattern") << ""
                                       << "a" << false;
        QTest::newRow("z19 matches no log") << "*.z19"
                                            << "ex030123.log" << false;
        QTest::newRow("many stars no match")
            << "*a*a*a*a*a*a*a*a*a*a*a*a*b" << QString(20000, u'a') << false;
        QTest::newRow("many stars match")
            << "*a*a*a*a*a*a*a*a*a*a*a*a*b" << QString(20000, u'a') + u'b' << true;
        QTest::newRow("many stars dot-star")
            << "*a*a*a*a*a*a*a*a*.*.*.*" << QString(20000, u'a') << true;
    }

    void matches()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, name);
        QFETCH(bool, matches);
        QCOMPARE(MatchesPattern(name, pattern), matches);
    }
};

QTEST_GUILESS_MAIN(TestFilterPattern)
#include "tst_filterpattern.moc"
