#include "folders/FileListing.h"
#include "folders/FolderCommands.h"

#include <QTest>

// What the log-folder editor accepts, and the command lines of Open and View.
class TestFolderChecks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void checks_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("values"); // Name, Path, Filter
        QTest::addColumn<QString>("refusal");    // empty: accepted
        QTest::addColumn<int>("icon");
        const QString empty = "Please specify Logfolder description, Path and Filter";
        const QString comma = "Commasigns are not allowed in the Logfolder desciption or path";
        const QString filterComma = "Commasigns are not allowed in the Filter";
        const QString equals =
            "Equalsigns are not allowed in the Logfolder description, Path or Filter";
        const QString semicolon = "The Logfolder description may not begin with a semicolon";
        const QString lineBreak =
            "Line breaks are not allowed in the Logfolder description, Path or Filter";
        const int info = int(Message::Icon::Information);
        const int warn = int(Message::Icon::Exclamation);
        auto row = [](const char* name, int mode, QStringList v, const QString& r, int icon) {
            QTest::newRow(name) << mode << v << r << icon;
        };
        row("all empty", 1, {"", "", ""}, empty, info);
        row("name empty", 1, {"", "/l", "*.log"}, empty, info);
        row("path empty", 1, {"W", "", "*.log"}, empty, info);
        row("filter empty", 1, {"W", "/l", ""}, empty, info);
        row("empty wins over comma", 1, {"a,b", "/l", ""}, empty, info);
        row("blanks are not empty", 1, {" ", " ", " "}, "", 0);
        row("comma in name", 1, {"Web, main", "/l", "*.log"}, comma, warn);
        row("comma in path", 1, {"W", "D:\\logs,old", "*.log"}, comma, warn);
        row("comma in filter", 1, {"W", "/l", "a,b.log"}, filterComma, warn);
        row("edit: empty fields", 2, {"", "", ""}, "", 0);
        row("edit: comma in name", 2, {"a,b", "/l", "x"}, comma, warn);
        row("edit: comma in filter", 2, {"a", "/l", "x,y"}, filterComma, warn);
        row("equals in name", 1, {"a=b", "/l", "x"}, equals, warn);
        row("edit: equals in path", 2, {"a", "/l=1", "x"}, equals, warn);
        row("equals in filter", 1, {"a", "/l", "x=y"}, equals, warn);
        row("leading semicolon", 1, {";W", "/l", "x"}, semicolon, warn);
        row("edit: leading semicolon", 2, {";", "/l", "x"}, semicolon, warn);
        row("inner semicolon", 1, {"W;1", ";/l", ";x"}, "", 0);
        row("line break", 2, {"a", "/l\n", "x"}, lineBreak, warn);
        row("free filter", 1, {"Web", "/var/log/web", "access.log"}, "", 0);
        row("star dot star", 1, {"Web", "/var/log/web", "*.*"}, "", 0);
    }

    void checks()
    {
        QFETCH(int, mode);
        QFETCH(QStringList, values);
        QFETCH(QString, refusal);
        QFETCH(int, icon);
        const std::optional<Message> m =
            CheckLogFolder(qint16(mode), {values[0], values[1], values[2]});
        QCOMPARE(m ? m->text : QString(), refusal);
        if (m) {
            QCOMPARE(int(m->icon), icon);
            QCOMPARE(m->title, QStringLiteral("Tarvisk"));
            QCOMPARE(m->buttons, Message::Buttons::Ok);
        }
    }

    void viewCommand_data()
    {
        QTest::addColumn<QString>("viewer");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("command"); // empty: nothing to start
        const QString odd = "/var/log/my logs/-x \"it's\"; rm.log";
        QTest::newRow("plain") << "xdg-open"
                               << "/l/ex030123.log" << QStringList{"xdg-open", "/l/ex030123.log"};
        QTest::newRow("own arguments kept")
            << "gvim -R -c \"set nowrap\""
            << "/l/a.log" << QStringList{"gvim", "-R", "-c", "set nowrap", "/l/a.log"};
        QTest::newRow("quoted program")
            << "\"/opt/my viewer/v\"" << odd << QStringList{"/opt/my viewer/v", odd};
        QTest::newRow("blank viewer") << "   "
                                      << "/l/a.log" << QStringList{};
    }

    void viewCommand()
    {
        QFETCH(QString, viewer);
        QFETCH(QString, file);
        QFETCH(QStringList, command);
        const std::optional<Command> c = ViewCommand(viewer, file);
        QCOMPARE(c ? QStringList{c->program} + c->arguments : QStringList{}, command);
    }

    void texts()
    {
        QCOMPARE(RemoveQuestion("Web server"),
                 QStringLiteral("Do you want to remove logfolder Web server"));
        QCOMPARE(OpenFailedText("/var/log"), QStringLiteral("Failed to open \\\\/var/log/"));
        const Command open = OpenFolderCommand("/var/log/-a b;\"c\"");
        QCOMPARE(QStringList{open.program} + open.arguments,
                 (QStringList{"xdg-open", "/var/log/-a b;\"c\""}));
    }

    void undecodableFileNames_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("undecodable");
        QTest::newRow("ascii") << QByteArray("ex030123.log") << "ex030123.log" << false;
        QTest::newRow("utf-8") << QByteArray("caf\xC3\xA9.log") << "café.log" << false;
        QTest::newRow("real U+FFFD") << QByteArray("a\xEF\xBF\xBD.log") << "a\uFFFD.log" << false;
        QTest::newRow("latin-1 byte") << QByteArray("caf\xE9.log") << "caf\uFFFD.log" << true;
        QTest::newRow("cut sequence") << QByteArray("\xE2\x82.log") << "\uFFFD\uFFFD.log" << true;
        QTest::newRow("overlong") << QByteArray("\xC0\xAF") << "\uFFFD\uFFFD" << true;
        QTest::newRow("encoded surrogate")
            << QByteArray("\xED\xA0\x80") << "\uFFFD\uFFFD\uFFFD" << true;
        QTest::newRow("valid after bad")
            << QByteArray("\xFF\xF0\x9F\x98\x80") << "\uFFFD\U0001F600" << true;
    }

    // Two names that differ only in their undecodable bytes stay two names.
    void undecodableFileNames()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QFETCH(bool, undecodable);
        const QString name = DecodeFileName(bytes);
        QCOMPARE(ReadableName(name), shown);
        QCOMPARE(IsUndecodable(name), undecodable);
        QVERIFY(DecodeFileName(bytes + "\xFE") != DecodeFileName(bytes + "\xFD"));
    }
};

QTEST_GUILESS_MAIN(TestFolderChecks)
#include "tst_folderchecks.moc"
