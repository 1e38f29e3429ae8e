#include "ReadingFiles.h"
#include "TestFiles.h"
#include "reading/LogText.h"
#include "reading/Readers.h"
#include "reading/ShowTail.h"
#include "settings/modMain.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace
{
QStringList Lines(const OutputList& list)
{
    QStringList lines;
    for (qsizetype i = 0; i < list.Count(); ++i)
        lines << list.Text(i);
    return lines;
}

// Numbered lines of the same length, each ending with `end`.
QByteArray Numbered(int count, const QByteArray& end)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += "line " + QByteArray::number(i).rightJustified(6, '0') + end;
    return text;
}

QStringList NumberedLines(int first, int last)
{
    QStringList lines;
    for (int i = first; i <= last; ++i)
        lines << QStringLiteral("line %1").arg(i, 6, 10, QLatin1Char('0'));
    return lines;
}
} // namespace

class TestLineAssembly : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // The Tail command's reading and showing, over a list that held other lines before.
    void Tail(const QString& path, OutputList& list)
    {
        OutputBatch old;
        old.Add("old one");
        old.Add("old two");
        list.Replace(old);
        list.SelectAll();
        QByteArray buffer(modMain::TailBytes + 1, '\0');
        modMain::Delivery at;
        const qint64 count = modMain::ReadTail(path, buffer, modMain::TailBytes, {}, &at);
        modMain::ShowTail(buffer, count, list, at);
    }

    // Applies each step to the file ("+bytes" appends, "=bytes" replaces the content), reads
    // what was appended and makes lines of it, as following does once a poll.
    QStringList Follow(const QString& path, const QList<QByteArray>& steps)
    {
        modMain::LineMaker maker(modMain::NulByte::Character);
        QByteArray buffer(modMain::TailBytes + 1, '\0');
        OutputBatch lines;
        for (const QByteArray& step : steps) {
            QFile file(path);
            const auto mode = step.startsWith('+') ? QIODevice::Append : QIODevice::WriteOnly;
            if (!file.open(mode) || file.write(step.mid(1)) != step.size() - 1)
                qFatal("cannot write %s", qPrintable(path));
            file.close();
            modMain::Delivery at;
            const qint64 count = modMain::ReadAppended(path, buffer, modMain::TailBytes, {}, &at);
            if (count > 0)
                maker.Feed(QByteArrayView(buffer).first(count - 1), at, lines);
        }
        QStringList shown;
        for (qsizetype i = 0; i < lines.size(); ++i)
            shown << QString::fromLatin1(lines.Line(i));
        return shown;
    }

private Q_SLOTS:
    void init() { modMain::SetStartValues(); }

    void breaks_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<QStringList>("shown");
        auto row = [](const char* name, const QByteArray& bytes, const QStringList& shown) {
            QTest::newRow(name) << bytes << qint64(bytes.size()) << shown;
        };
        const QStringList l{"L"}, lb{"L", "B"}, leb{"L", "", "B"};
        row("CR LF", "head\r\nL\r\n", l);
        row("LF", "head\nL\n", l);
        row("CR", "head\rL\r", l);
        row("LF CR", "head\nL\n\r", l);
        row("CR LF CR LF B CR LF", "head\nL\r\n\r\nB\r\n", leb);
        row("LF LF B LF", "head\nL\n\nB\n", lb);
        row("CR CR B CR", "head\nL\r\rB\r", lb);
        row("CR LF LF B CR LF", "head\nL\r\n\nB\r\n", leb);
        row("first and rest hidden", "first\nL\nrest", l);
        row("NUL inside a line", QByteArray("h\nab\0cd\n", 8), {"abcd"});
        row("NUL between CR and LF", QByteArray("h\nL\r\0\nB\n", 8), leb);
        row("NUL padding", "h\nL\r\n" + QByteArray(100, '\0'), l);
        row("lone E9", "h\ncaf\xE9\n", {QStringLiteral("caf\u00E9")});
        row("UTF-8 e acute", "h\ncaf\xC3\xA9\n", {QStringLiteral("caf\u00E9")});
        row("no break", "abc", {});
        row("one break", "abc\r\n", {});
        row("empty", "", {});
        QTest::newRow("count stops early") << QByteArray("h\nL\nB\n") << 4LL << l;
        QTest::newRow("count beyond bytes") << QByteArray("h\nL\n") << 99LL << l;
        QTest::newRow("count 0") << QByteArray("h\nL\n") << 0LL << QStringList();
        QTest::newRow("count -1") << QByteArray("h\nL\n") << -1LL << QStringList();
    }

    void breaks()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, count);
        QFETCH(QStringList, shown);
        OutputList list;
        OutputBatch old;
        old.Add("old");
        list.Replace(old);
        list.SelectAll();
        QSignalSpy resets(list.Model(), &QAbstractItemModel::modelReset);
        QSignalSpy inserts(list.Model(), &QAbstractItemModel::rowsInserted);
        modMain::ShowTail(bytes, count, list);
        QCOMPARE(Lines(list), shown);
        QCOMPARE(list.Current(), shown.size() - 1);
        QVERIFY(!list.Selection()->hasSelection());
        QCOMPARE(resets.size() + inserts.size(), 1);
    }

    void manyBreaks()
    {
        OutputList list;
        modMain::ShowTail(QByteArray("x\n").repeated(200000), 400000, list);
        QCOMPARE(list.Count(), 199999);
        QCOMPARE(list.Current(), 199998);
    }

    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("ASCII with tab") << QByteArray("a\tb") << QStringLiteral("a\tb");
        QTest::newRow("euro 0x80") << QByteArray("\x80") << QStringLiteral("\u20AC");
        QTest::newRow("undefined 0x81") << QByteArray("\x81") << QStringLiteral("\u0081");
        QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << QStringLiteral("\u00C0\u00AF");
        QTest::newRow("surrogate")
            << QByteArray("\xED\xA0\x80") << QStringLiteral("\u00ED\u00A0\u20AC");
        QTest::newRow("UTF-8 then E9")
            << QByteArray("\xC3\xA9\xE9") << QStringLiteral("\u00C3\u00A9\u00E9");
        QTest::newRow("four bytes")
            << QByteArray("\xF0\x9F\x98\x80x") << QString::fromUtf8("\xF0\x9F\x98\x80x");
        QTest::newRow("beyond U+10FFFF")
            << QByteArray("\xF4\x90\x80\x80") << QStringLiteral("\u00F4\u0090\u20AC\u20AC");
    }

    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(DecodeLogLine(bytes), text);
        QCOMPARE(DecodedLength(bytes), text.size());
    }

    void tail_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("shown");
        // 13-byte lines; the window of the last T bytes before the final LF starts inside the
        // line that it cuts, and the line after it is the first one shown.
        const int first = int((20000 * 13 - 1 - modMain::TailBytes) / 13 + 1);
        // A file that starts in the window shows its first line too.
        QTest::newRow("three CR LF lines")
            << QByteArray("one\r\ntwo\r\nthree\r\n") << QStringList{"one", "two", "three"};
        QTest::newRow("one line") << QByteArray("only\r\n") << QStringList{"only"};
        QTest::newRow("missing") << QByteArray() << QStringList();
        QTest::newRow("LF with blank line")
            << QByteArray("a\nb\n\nc\nd\n") << QStringList{"a", "b", "c", "d"};
        QTest::newRow("NUL padding") << QByteArray("a\nb\n\0\0\0\0", 8) << QStringList{"a", "b"};
        QTest::newRow("beyond T, CR LF") << Numbered(20000, "\r\n") << NumberedLines(first, 19999);
        // The final LF is held back by the reader and still ends the newest line.
        QTest::newRow("beyond T, LF")
            << Numbered(20000, "\n") << NumberedLines(int((240000 - 1 - 131072) / 12 + 1), 19999);
        QTest::newRow("beyond T, no final break")
            << Numbered(20000, "\n") + "partial"
            << NumberedLines(int((240000 + 6 - 131072) / 12 + 1), 19999);
    }

    void tail()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, shown);
        const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(file.isNull() || WriteFile(path, file));
        OutputList list;
        Tail(path, list);
        QCOMPARE(Lines(list), shown);
        QCOMPARE(list.Current(), shown.size() - 1);
    }

    void smallWindow_data()
    {
        QTest::addColumn<QList<QByteArray>>("steps");
        QTest::addColumn<QStringList>("tail");
        QTest::addColumn<QStringList>("followed");
        auto row = [](const char* name, QList<QByteArray> steps, QStringList tail,
                      QStringList followed) { QTest::newRow(name) << steps << tail << followed; };
        // The window is 16 bytes here.
        row("LF only", {"=a\nb\n", "+c\nd\n"}, {"a", "b", "c", "d"}, {"a", "b", "c", "d"});
        row("CR only", {"=a\rb\r", "+c\r"}, {"a", "b", "c"}, {"a", "b", "c"});
        row("CR LF", {"=a\r\nb\r\n", "+c\r\n"}, {"a", "b", "c"}, {"a", "b", "c"});
        row("mixed", {"=a\r\nb\nc\rd\n\re\r\n"}, {"a", "b", "c", "d", "e"},
            {"a", "b", "c", "d", "e"});
        row("blank lines", {"=a\r\n\r\nb\n\nc\n"}, {"a", "", "b", "c"}, {"a", "", "b", "c"});
        row("CR LF cut by a poll", {"=a\r", "+\nb\r", "+\n\r\nc\n"}, {"a", "b", "", "c"},
            {"a", "b", "", "c"});
        row("line cut by polls", {"=ab", "+c\nd", "+e\n"}, {"abc", "de"}, {"abc", "de"});
        row("no final break", {"=a\nb"}, {"a"}, {"a"});
        row("at the window", {"=abcdefg\n1234567\n"}, {"abcdefg", "1234567"},
            {"abcdefg", "1234567"});
        row("beyond the window", {"=0123456789\nabcdefgh\n"}, {"abcdefgh"}, {"abcdefgh"});
        row("beyond, CR LF", {"=012345678\r\nabcdef\r\n"}, {"abcdef"}, {"abcdef"});
        row("gap of more than a window", {"=a\n", "+" + QByteArray("x\n").repeated(20) + "z\n"},
            {"x", "x", "x", "x", "x", "x", "x", "z"}, {"a", "x", "x", "x", "x", "x", "x", "z"});
        row("NUL padding", {"=" + QByteArray("a\nb\n\0\0\0\0", 8), "=a\nb\nc\n\0\0"},
            {"a", "b", "c"}, {"a", "b", "c"});
        row("truncated", {"=a\nb\nc\n", "=d\n"}, {"d"}, {"a", "b", "c", "d"});
        row("NUL inside a line", {"=" + QByteArray("a\0b\n", 4)}, {"ab"},
            {QString::fromLatin1("a\0b", 3)});
    }

    void smallWindow()
    {
        QFETCH(QList<QByteArray>, steps);
        QFETCH(QStringList, tail);
        QFETCH(QStringList, followed);
        modMain::TailBytes = 16;
        const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        QCOMPARE(Follow(path, steps), followed);
        OutputList list;
        Tail(path, list);
        QCOMPARE(Lines(list), tail);
    }

    void hundredMegabytesWithoutBreak()
    {
        const QString path = m_dir.filePath(QStringLiteral("long.log"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray chunk(1 << 20, 'x');
        for (int i = 0; i < 100; ++i)
            QCOMPARE(file.write(chunk), chunk.size());
        file.close();
        OutputList list;
        Tail(path, list);
        QCOMPARE(list.Count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestLineAssembly)
#include "tst_lineassembly.moc"
