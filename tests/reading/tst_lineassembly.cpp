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
        modMain::ShowTail(buffer, modMain::ReadTail(path, buffer, modMain::TailBytes, {}), list);
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
        QTest::newRow("three CR LF lines")
            << QByteArray("one\r\ntwo\r\nthree\r\n") << QStringList{"two", "three"};
        QTest::newRow("one line") << QByteArray("only\r\n") << QStringList();
        QTest::newRow("missing") << QByteArray() << QStringList();
        QTest::newRow("LF with blank line")
            << QByteArray("a\nb\n\nc\nd\n") << QStringList{"b", "c", "d"};
        QTest::newRow("beyond T, CR LF") << Numbered(20000, "\r\n") << NumberedLines(first, 19999);
        QTest::newRow("beyond T, LF")
            << Numbered(20000, "\n") << NumberedLines(int((240000 - 1 - 131072) / 12 + 1), 19998);
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
