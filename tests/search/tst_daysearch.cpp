// Searching a folder's days: what the worker hands over for the chosen files, file by file, as
// the output window will show it.
#include "TestFiles.h"
#include "base/LogText.h"
#include "search/DaySearch.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using search::DaySearch;

namespace
{

// What a search handed over: each line as shown, matching lines marked with "> ".
struct Result {
    QStringList lines;
    bool cancelled = false;
    qint64 content = -1; // the bytes searched, as the last progress gave them
};

// A text "re:..." is searched as a regular expression.
Result Run(DaySearch& search, const QString& folder, const DayFiles& files, const QString& text)
{
    Result result;
    QObject::connect(&search, &DaySearch::Found, [&](const search::DayBatch& batch) {
        for (qsizetype i = 0; i < batch.lines.size(); ++i)
            result.lines << (batch.matches ? QStringLiteral("> ") : QString()) +
                                DecodeLogLine(batch.lines.Line(i));
    });
    QObject::connect(&search, &DaySearch::Progress,
                     [&](qsizetype, qint64, qint64 content) { result.content = content; });
    QSignalSpy finished(&search, &DaySearch::Finished);
    const bool regex = text.startsWith(u"re:");
    search.Start(folder, files, regex ? text.mid(3) : text, regex);
    if (finished.wait(20000))
        result.cancelled = finished.at(0).at(0).toBool();
    QObject::disconnect(&search, &DaySearch::Found, nullptr, nullptr);
    QObject::disconnect(&search, &DaySearch::Progress, nullptr, nullptr);
    return result;
}

} // namespace

class tst_DaySearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void search_data();
    void search();
    void cancel();
};

void tst_DaySearch::search_data()
{
    // Files ex261201.log, ex261202.log, ... in this order; "-" for a file that cannot be read,
    // "gz:" and the like for a compressed day made by the tool, "gz!" for one cut after 20 bytes.
    QTest::addColumn<QByteArrayList>("contents");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("block");
    QTest::addColumn<qsizetype>("limit");
    QTest::addColumn<qsizetype>("bound"); // bytes a line keeps
    QTest::addColumn<QString>("shown");   // the lines joined by " | "
    auto row = [](const char* name, const QByteArrayList& contents, const char* text,
                  const QByteArray& shown, qint64 block = 1 << 20, qsizetype limit = 1000,
                  qsizetype bound = 1 << 20) {
        QTest::newRow(name) << contents << QString::fromUtf8(text) << block << limit << bound
                            << QString::fromUtf8(shown);
    };
    row("LF: the first line, and the last without a break", {"alpha 1\nbeta\nALPHA 2\nAlpha 3"},
        "alpha",
        "ex261201.log: 3 matches | > alpha 1 | > ALPHA 2 | > Alpha 3 | 1 file searched, 28 bytes");
    row("CR LF, CR, LF CR and blank lines", {"a x\r\n\r\nb\rc x\n\rd x\r\n"}, "X",
        "ex261201.log: 3 matches | > a x | > c x | > d x | 1 file searched, 19 bytes");
    // Seams fall inside the text, between CR and LF, and right after a line break.
    row("a line across every block seam", {"one needle here\r\nno\r\nneedle\r\n"}, "needle",
        "ex261201.log: 2 matches | > one needle here | > needle | 1 file searched, 29 bytes", 4);
    row("NUL bytes belong to no line", {QByteArray("al\0pha\n\0\0\nbeta\n", 15)}, "alpha",
        "ex261201.log: 1 match | > alpha | 1 file searched, 15 bytes");
    // Lines past the bound are searched whole and shown cut; NUL runs count for no length.
    row("a long line matching past the bound, and a match straddling the cut",
        {QByteArray("\0\0ab\0\0cdefghij needle\nabcdeneedle\nabcdefghijk\n\0\0\0", 49)}, "NEEDLE",
        "ex261201.log: 2 matches | > abcdefgh [... cut: the line holds 17 bytes] | "
        "> abcdenee [... cut: the line holds 11 bytes] | 1 file searched, 49 bytes",
        1 << 20, 1000, 8);
    row("a long last line without a break, cut inside a UTF-8 character",
        {"short\nabcdefg\xc3\xa9 needle"}, "needle",
        "ex261201.log: 1 match | > abcdefg [... cut: the line holds 16 bytes] | "
        "1 file searched, 22 bytes",
        1 << 20, 1000, 8);
    row("Windows-1252 and UTF-8, a non-ASCII text", {"caf\xe9 1\ncafe 2\nCAF\xc3\x89 3\n"},
        "caf\u00e9",
        "ex261201.log: 2 matches | > caf\u00e9 1 | > CAF\u00c9 3 | 1 file searched, 22 bytes");
    row("an ASCII text that only a decoded line holds", {"stra\u00dfe\nstrasse\nstrase\n"},
        "STRASSE",
        "ex261201.log: 2 matches | > stra\u00dfe | > strasse | 1 file searched, 23 bytes");
    row("files without matches get no heading", {"alpha\n", "beta\n", "", "alpha\nALPHA\n"},
        "alpha",
        "ex261201.log: 1 match | > alpha | ex261204.log: 2 matches | > alpha | > ALPHA | "
        "4 files searched, 23 bytes");
    row("an unreadable file is named with the reason", {"alpha\n", "-", "alpha\n"}, "alpha",
        "ex261201.log: 1 match | > alpha | ex261202.log: cannot be opened: Permission denied | "
        "ex261203.log: 1 match | > alpha | 2 files searched, 12 bytes");
    row("compressed days read as their content; one that breaks off says so",
        {"gz:alpha 1\nbeta\n", "gz!alpha\n", "xz:ALPHA 2", "zst:x\n", "bz2:alpha 3\n"}, "alpha",
        "ex261201.log.gz: 1 match | > alpha 1 | ex261202.log.gz: unexpected end of data after 0 "
        "bytes | ex261203.log.xz: 1 match | > ALPHA 2 | ex261205.log.bz2: 1 match | > alpha 3 | "
        "5 files searched, 30 bytes");
    // The scan takes sixteen bytes at a time: the text at every place of them and across their
    // seams, beside lines that are not ASCII.
    QByteArray lanes, lanesShown;
    for (int at = 0; at < 20; ++at) {
        lanes += QByteArray(at, '.') + "NeeDle\r\nneedl\xc3\xa9" + QByteArray(at, '-') + "\n";
        lanesShown += " | > " + QByteArray(at, '.') + "NeeDle";
    }
    row("the text at every place of the scan", {lanes}, "needle",
        "ex261201.log: 20 matches" + lanesShown + " | 1 file searched, " +
            QByteArray::number(lanes.size()) + " bytes");
    const auto bytes = []<size_t N>(const char(&text)[N]) { return QByteArray(text, N - 1); };
    row("bytes that are not ASCII and NUL bytes in and around hits, across block seams",
        {bytes("................ stra\xdf"
               "e 1\n................ Stra\xc3\x9f"
               "e 2\n................ STRASSE\xe9 3\n................ stras\0se 4\r\0\n"
               "................ strase 5\n")},
        "strasse",
        "ex261201.log: 4 matches | > ................ stra\u00dfe 1 | "
        "> ................ Stra\u00dfe 2 | > ................ STRASSE\u00e9 3 | "
        "> ................ strasse 4 | 1 file searched, 137 bytes",
        61);
    // An expression is tried on the lines holding its literal part, or on every line.
    row("expressions: a literal part, none, across seams, case, a line not ASCII",
        {"id=42 GET\nid=7 get\nid=x GET\n", "caf\xe9id=5 Get\n id=9\tget\n"},
        R"(re:^\w*\W?id=\d+ get$)",
        "ex261201.log: 2 matches | > id=42 GET | > id=7 get | ex261202.log: 1 match | "
        "> caf\u00e9id=5 Get | 2 files searched, 51 bytes",
        5);
    row("an expression without a literal part", {"ab1\nb2\nx\n"}, "re:[ab]\\d|^x",
        "ex261201.log: 3 matches | > ab1 | > b2 | > x | 1 file searched, 9 bytes");
    row("an escape's argument is no literal", {"Ab\n41b\n"}, R"(re:\x41b)",
        "ex261201.log: 1 match | > Ab | 1 file searched, 7 bytes");
    // A part that only looks required: after a brace-less escape, after \c, after (*ACCEPT).
    row("no literal after \\s<", {" <b>x\n"}, R"(re:\s<(b>)(error)?)",
        "ex261201.log: 1 match | >  <b>x | 1 file searched, 6 bytes");
    row("no literal after \\c", {"I\nx\n"}, R"(re:\c)(timeout)?)",
        "ex261201.log: 1 match | > I | 1 file searched, 4 bytes");
    row("no literal after (*ACCEPT)", {"error\n"}, R"(re:error(*ACCEPT)timeout)",
        "ex261201.log: 1 match | > error | 1 file searched, 6 bytes");
    row("an expression giving up on a line counts it as not found",
        {QByteArray(30, 'a') + "b\naa\n"}, "re:(a+)+$",
        "ex261201.log: 1 match | > aa | 1 file searched, 35 bytes; 1 line made the expression "
        "backtrack too long and count as not found");
    row("the bound stops the search", {"a1\na2\na3\na4\na5\n", "a6\n"}, "a",
        "ex261201.log: 3 matches | > a1 | > a2 | > a3 | "
        "Search stopped: the output window holds at most 6 lines | 1 file searched, 12 bytes",
        3, 6);
}

void tst_DaySearch::search()
{
    QFETCH(QByteArrayList, contents);
    QFETCH(QString, text);
    QTemporaryDir dir;
    DayFiles files;
    for (qsizetype i = 0; i < contents.size(); ++i) {
        QString name = QStringLiteral("ex2612%1.log").arg(i + 1, 2, 10, QLatin1Char('0'));
        const qsizetype tool = contents[i].indexOf(':') + contents[i].indexOf('!') + 2;
        WriteFile(dir.filePath(name), contents[i] == "-" ? "alpha\n" : contents[i].mid(tool));
        if (tool > 0) {
            const QByteArray suffix = contents[i].left(tool - 1);
            const char* make = suffix == "gz"    ? "gzip"
                               : suffix == "zst" ? "zstd -q"
                               : suffix == "bz2" ? "bzip2"
                                                 : "xz";
            QProcess sh; // the tool replaces the plain file with the compressed one
            sh.start("sh",
                     {"-c", QStringLiteral("%1 -c '%2' %3 >'%2.%4' && rm '%2'")
                                .arg(make, dir.filePath(name),
                                     contents[i][tool - 1] == '!' ? "| head -c 20" : "", suffix)});
            QVERIFY(sh.waitForFinished() && sh.exitCode() == 0);
            name += "." + suffix;
        }
        if (contents[i] == "-")
            QFile::setPermissions(dir.filePath(name), {});
        files.names << name;
    }
    QFETCH(qint64, block);
    QFETCH(qsizetype, limit);
    QFETCH(qsizetype, bound);
    for (const qint64 size : {block, qint64(1)}) { // also with a seam after every byte
        DaySearch search;
        search.SetBlockSize(size);
        search.SetLineLimit(limit);
        search.SetLineBound(bound);
        const Result result = Run(search, dir.path(), files, text);
        QTEST(result.lines.join(u" | "), "shown");
        QVERIFY(result.lines.last().contains(QStringLiteral(", %1 byte").arg(result.content)));
        QVERIFY(!result.cancelled);
        QVERIFY(!search.Running());
    }
}

void tst_DaySearch::cancel()
{
    QTemporaryDir dir;
    const QByteArray day = QByteArray("a line that holds the needle\n").repeated(50000);
    DayFiles files;
    for (int i = 1; i <= 9; ++i) {
        files.names << QStringLiteral("ex26120%1.log").arg(i);
        WriteFile(dir.filePath(files.names.last()), day);
    }
    DaySearch search;
    search.SetBlockSize(64 << 10);
    // Cancelled at its first sign of life: what it found stays, then two lines say so.
    QObject::connect(&search, &DaySearch::Progress, &search, &DaySearch::Cancel);
    const Result cancelled = Run(search, dir.path(), files, QStringLiteral("needle"));
    QVERIFY(cancelled.cancelled);
    QCOMPARE(cancelled.lines.value(cancelled.lines.size() - 2), QStringLiteral("Search cancelled"));
    QVERIFY(cancelled.lines.last().contains(QStringLiteral(" searched, ")));
    QVERIFY(cancelled.lines.size() < 9 * 50000);
    QVERIFY(!search.Running());

    // Abandoned: nothing of it arrives any more, and a new search runs as usual.
    QObject::disconnect(&search, &DaySearch::Progress, nullptr, nullptr);
    QSignalSpy found(&search, &DaySearch::Found);
    search.Start(dir.path(), files, QStringLiteral("needle"));
    search.Abandon();
    QVERIFY(!search.Running());
    QTest::qWait(100);
    QCOMPARE(found.size(), 0);
    const Result again =
        Run(search, dir.path(), {{files.names.first()}, 0}, QStringLiteral("needle"));
    QCOMPARE(again.lines.size(), 50000 + 2);

    // A day cut short while it is read, as copytruncate does: what was read counts, nothing
    // breaks.
    const QByteArray cut = "needle\n" + QByteArray("x\n").repeated(8 << 20);
    WriteFile(dir.filePath(files.names.first()), cut);
    search.SetBlockSize(1024);
    QTimer::singleShot(5, [&] { QFile::resize(dir.filePath(files.names.first()), 100); });
    const Result shrunk =
        Run(search, dir.path(), {{files.names.first()}, 0}, QStringLiteral("needle"));
    QCOMPARE(shrunk.lines.mid(0, 2), QStringList({"ex261201.log: 1 match", "> needle"}));
    QVERIFY(shrunk.content < cut.size());
}

QTEST_GUILESS_MAIN(tst_DaySearch)
#include "tst_daysearch.moc"
