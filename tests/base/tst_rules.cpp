#include "TestFiles.h"
#include "base/LogFileAccess.h"
#include "base/Rules.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

class RulesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void matching_data()
    {
        QTest::addColumn<QString>("rules"); // as the file holds them
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("colour");
        QTest::addColumn<bool>("hidden");
        QTest::addColumn<bool>("gaveUp");
        const QString error = QStringLiteral("colour:red\twords\tnocase\tERROR\n");
        QTest::newRow("words ignore case")
            << error << QByteArray("an Error here") << "red" << false << false;
        QTest::newRow("words as typed") << "colour:red\twords\tnocase\tdisk full\n"
                                        << QByteArray("disk  full") << "" << false << false;
        QTest::newRow("case matters") << "colour:red\twords\tcase\tERROR\n"
                                      << QByteArray("an error") << "" << false << false;
        QTest::newRow("case met") << "colour:red\twords\tcase\tERROR\n"
                                  << QByteArray("ERROR!") << "red" << false << false;
        QTest::newRow("expression")
            << "colour:blue\tregex\tnocase\t\" 5\\d\\d \\d+$\n"
            << QByteArray("1.2.3.4 - - \"GET / HTTP/1.1\" 503 120") << "blue" << false << false;
        const QString status = RuleLine(StarterRules().last()) + u'\n';
        QTest::newRow("5xx, combined log")
            << status << QByteArray("x \"GET /500 HTTP/1.1\" 502 0") << "purple" << false << false;
        QTest::newRow("5xx, IIS") << status << QByteArray("GET /a - 80 - ::1 curl/8 - 503 0 0 15")
                                  << "purple" << false << false;
        QTest::newRow("not 5xx") << status << QByteArray("GET /500 - 80 - ::1 curl/8 - 200 0 0 500")
                                 << "" << false << false;
        QTest::newRow("expression case") << "colour:blue\tregex\tcase\t^get\n"
                                         << QByteArray("GET /") << "" << false << false;
        QTest::newRow("first colour wins")
            << "hide\twords\tnocase\tfail\ncolour:green\twords\tnocase\tfail\n" + error
            << QByteArray("error: failed") << "green" << true << false;
        QTest::newRow("later rule") << "colour:green\twords\tnocase\tfail\n" + error
                                    << QByteArray("error") << "red" << false << false;
        QTest::newRow("matches the empty string") << "colour:grey\tregex\tnocase\tx*\n"
                                                  << QByteArray("abc") << "grey" << false << false;
        QTest::newRow("not UTF-8, words")
            << "colour:red\twords\tnocase\tCAFÉ\n"
            << QByteArray("caf\xe9 closed") << "red" << false << false;
        QTest::newRow("not UTF-8, expression") << "hide\tregex\tcase\t^caf\\x{e9} x\n"
                                               << QByteArray("caf\xe9 x") << "" << true << false;
        QTest::newRow("repeated group on a 5 KB line")
            << "colour:red\tregex\tnocase\tpayload=\"(?:[^\"\\\\]|\\\\.)*\" status=5\\d\\d\n"
            << "app payload=\"" + QByteArray(5000, 'x') + "\" status=503"
            << "red" << false << false;
        QTest::newRow("backtracks without end") << "colour:red\tregex\tnocase\t(a+)+$\n"
                                                << QByteArray(30, 'a') + '!' << "" << false << true;
        QTest::newRow("backtracks on a long line")
            << "hide\tregex\tnocase\t(a+)+$\n"
            << QByteArray(100'000, 'a') + '!' << "" << false << true;
    }

    void matching()
    {
        QFETCH(QString, rules);
        QFETCH(QByteArray, line);
        QFETCH(QString, colour);
        const RulesText read = ParseRules(rules.toUtf8());
        QCOMPARE(read.problems, QStringList());
        const RuleSet set(read.rules);
        QElapsedTimer took;
        took.start();
        const int index = set.ColourOf(line);
        QCOMPARE(index < 0 ? QString() : QString::fromLatin1(RuleColours()[index].name), colour);
        QTEST(set.Hides(line), "hidden");
        QTEST(!set.TakeLimitNotice().isEmpty(), "gaveUp");
        QVERIFY(set.TakeLimitNotice().isEmpty()); // said once
        QVERIFY2(took.elapsed() < 2000, "a line that backtracks gives up");
    }

    // Comments, blank lines, order and a line that cannot be read stay as written, byte for
    // byte, each line in its own encoding; a rule moves, edited or not, with the comments right
    // above it and they go when it is removed; the file's heading stays on top.
    void roundTrip()
    {
        const QByteArray written = "# caf\xe9\r\ncolour:red\twords\tnocase\tcaf\xc3\xa9\n\n"
                                   "colour:pink\twords\tnocase\tx\n"
                                   "hide\tregex\tcase\t(\n# spaces kept\n"
                                   "alert\twords\tcase\t  tab\there  \n";
        const RulesText read = ParseRules(written);
        QCOMPARE(read.problems, QStringList({"Line 4: unknown action \"colour:pink\"",
                                             "Line 5: missing closing parenthesis at offset 1"}));
        QCOMPARE(read.rules.size(), 2);
        QCOMPARE(read.rules[0].text, "caf\u00e9");
        QCOMPARE(read.rules[1].text, "  tab\there  ");
        QCOMPARE(FormatRules(read, read.rules, {0, 1}), written);
        const QByteArray unread = "\ncolour:pink\twords\tnocase\tx\nhide\tregex\tcase\t(\n";
        Rule added{RuleAction::Hide, {}, true, false, QStringLiteral("^DEBUG")};
        QCOMPARE(FormatRules(read, {read.rules[1], read.rules[0], added}, {1, 0, -1}),
                 "# caf\xe9\r\n# spaces kept\nalert\twords\tcase\t  tab\there  \n" + unread +
                     "colour:red\twords\tnocase\tcaf\xc3\xa9\nhide\tregex\tnocase\t^DEBUG\n");
        Rule edited = read.rules[1];
        edited.text = QStringLiteral("a\nb");
        QCOMPARE(FormatRules(read, {edited}, {1}),
                 "# caf\xe9\r\n# spaces kept\nalert\twords\tcase\ta b\n" + unread);
        QCOMPARE(FormatRules(read, {}, {}), "# caf\xe9\r\n" + unread);
    }

    // A rules file that cannot be read is said so, quickly, and is never replaced.
    void unreadable_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("why");
        QTest::newRow("FIFO") << "fifo"
                              << "Not a regular file";
        QTest::newRow("folder") << "folder"
                                << "Not a regular file";
        QTest::newRow("no permission") << "mode 000"
                                       << "Permission denied";
        QTest::newRow("10 MB of garbage") << "garbage"
                                          << "it is larger than 1 MB";
    }

    void unreadable()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath("rules.txt");
        const QByteArray garbage(10 << 20, '\x9c');
        if (kind == "fifo")
            QCOMPARE(mkfifo(path.toLocal8Bit(), 0600), 0);
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(path));
        else
            QVERIFY(WriteFile(path, kind == "garbage" ? garbage : "hide\twords\tnocase\tx\n"));
        if (kind == "mode 000")
            QVERIFY(QFile::setPermissions(path, {}));
        RulesFile file = ReadRulesFile(path);
        QFETCH(QString, why);
        QVERIFY2(file.error.contains(why) && file.error.contains(path), qPrintable(file.error));
        QVERIFY(!SaveRulesFile(file, StarterRules()).isEmpty());
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        if (kind == "garbage")
            QCOMPARE(ReadFile(path), garbage);
        QCOMPARE(LogFileAccess::Stat(path).regular, kind == "garbage" || kind == "mode 000");
    }

    // Saving a new file and reading it back: the first use's starter rules.
    void saved()
    {
        QTemporaryDir dir;
        RulesFile file = ReadRulesFile(dir.filePath("sub/rules.txt"));
        QCOMPARE(file.error, QString());
        QCOMPARE(SaveRulesFile(file, StarterRules()), QString());
        QCOMPARE(ReadRulesFile(file.path).text.rules, StarterRules());
    }
};

QTEST_GUILESS_MAIN(RulesTest)
#include "tst_rules.moc"
