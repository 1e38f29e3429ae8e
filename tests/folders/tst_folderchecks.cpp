#include "folders/FileListing.h"
#include "folders/FolderCommands.h"

#include <QTest>

// What the log-folder editor accepts, the command lines of Open and View, undecodable names.
class TestFolderChecks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void checks_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("values"); // Name, Path, Filter
        QTest::addColumn<QString>("refusal");    // the message's start; empty: accepted
        auto row = [](const char* name, int mode, QStringList v, const char* refusal) {
            QTest::newRow(name) << mode << v << QString::fromUtf8(refusal);
        };
        const char* empty = "Please specify Logfolder description, Path and Filter";
        const char* comma = "Commasigns are not allowed in the Logfolder desciption or path";
        row("all empty", 1, {"", "", ""}, empty);
        row("name empty", 1, {"", "/l", "*.log"}, empty);
        row("path empty", 1, {"W", "", "*.log"}, empty);
        row("filter empty", 1, {"W", "/l", ""}, empty);
        row("blanks are not empty", 1, {" ", " ", " "}, "");
        row("comma in name", 1, {"Web, main", "/l", "*.log"}, comma);
        row("comma in path", 1, {"W", "D:\\logs,old", "*.log"}, comma);
        row("comma in filter", 1, {"W", "/l", "a,b.log"},
            "Commasigns are not allowed in the Filter");
        row("edit: empty fields", 2, {"", "", ""}, "");
        row("edit: comma in name", 2, {"a,b", "/l", "x"}, comma);
        row("edit: comma in filter", 2, {"a", "/l", "x,y"}, "Commasigns are not allowed in the");
        row("equals in name", 1, {"a=b", "/l", "x"}, "Equalsigns are not allowed");
        row("edit: equals in path", 2, {"a", "/l=1", "x"}, "Equalsigns are not allowed");
        row("edit: equals in filter", 2, {"a", "/l", "x=y"}, "Equalsigns are not allowed");
        row("leading semicolon", 2, {";W", "/l", "x"}, "The Logfolder description may not begin");
        row("inner semicolons", 1, {"W;1", ";/l", ";x"}, "");
        row("line break", 2, {"a", "/l\n", "x"}, "Line breaks are not allowed");
        row("free filter", 1, {"Web", "/var/log/web", "access.log"}, "");
    }

    void checks()
    {
        QFETCH(int, mode);
        QFETCH(QStringList, values);
        QFETCH(QString, refusal);
        const std::optional<Message> m = CheckLogFolder(mode, {values[0], values[1], values[2]});
        QCOMPARE(bool(m), !refusal.isEmpty());
        if (m) {
            QVERIFY2(m->text.startsWith(refusal), qPrintable(m->text));
            QCOMPARE(m->icon, refusal.startsWith("Please") ? Message::Icon::Information
                                                           : Message::Icon::Exclamation);
        }
    }

    void viewCommand_data()
    {
        QTest::addColumn<QString>("viewer");
        QTest::addColumn<QStringList>("command"); // empty: nothing to start
        const QString f = "/var/my logs/-x \"it's\"; a.log";
        QTest::newRow("own arguments")
            << "gvim -R -c \"set nowrap\"" << QStringList{"gvim", "-R", "-c", "set nowrap", f};
        QTest::newRow("quoted program") << "\"/opt/my viewer\"" << QStringList{"/opt/my viewer", f};
        QTest::newRow("blank viewer") << "   " << QStringList{};
    }

    void viewCommand()
    {
        QFETCH(QString, viewer);
        QFETCH(QStringList, command);
        const std::optional<Command> c = ViewCommand(viewer, "/var/my logs/-x \"it's\"; a.log");
        QCOMPARE(c ? QStringList{c->program} + c->arguments : QStringList{}, command);
    }

    void undecodableFileNames_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("undecodable");
        QTest::newRow("utf-8") << QByteArray("caf\xC3\xA9") << "café" << false;
        QTest::newRow("a real U+FFFD") << QByteArray("a\xEF\xBF\xBD") << "a\uFFFD" << false;
        QTest::newRow("latin-1 byte") << QByteArray("caf\xE9") << "caf\uFFFD" << true;
        QTest::newRow("overlong") << QByteArray("\xC0\xAF") << "\uFFFD\uFFFD" << true;
        QTest::newRow("bad, valid")
            << QByteArray("\xFF\xF0\x9F\x98\x80") << "\uFFFD\U0001F600" << true;
    }

    // Names that differ only in undecodable bytes stay apart; only those count as undecodable.
    void undecodableFileNames()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QCOMPARE(ReadableName(DecodeFileName(bytes)), shown);
        QFETCH(bool, undecodable);
        QCOMPARE(IsUndecodable(DecodeFileName(bytes)), undecodable);
        QVERIFY(DecodeFileName(bytes + "\xFE") != DecodeFileName(bytes + "\xFD"));
    }
};

QTEST_GUILESS_MAIN(TestFolderChecks)
#include "tst_folderchecks.moc"
