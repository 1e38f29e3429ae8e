#include "TestFiles.h"
#include "reading/Readers.h"
#include "reading/ShowTail.h"
#include "settings/modMain.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// Shows bytes as the Tail command does, over a list that held another line, selected. The
// newest line must become current, no mark stay, the view hear of it once and each line's
// length agree with its text; a marker line says when one of these fails.
static QStringList Shown(const QByteArray& bytes, qint64 count, const modMain::Delivery& at = {})
{
    OutputList list;
    OutputBatch old;
    old.Add("old");
    list.Replace(old);
    list.SelectAll();
    QSignalSpy resets(list.Model(), &QAbstractItemModel::modelReset);
    QSignalSpy inserts(list.Model(), &QAbstractItemModel::rowsInserted);
    modMain::ShowTail(bytes, count, list, at);
    QStringList lines;
    for (qsizetype i = 0; i < list.Count(); ++i) {
        lines << list.Text(i);
        if (list.TextLength(i) != lines.last().size())
            lines << QStringLiteral("(length differs)");
    }
    if (list.Current() != list.Count() - 1 || list.Selection()->hasSelection() ||
        resets.size() + inserts.size() != 1)
        lines << QStringLiteral("(current line, marks or signals wrong)");
    return lines;
}

class TestLineAssembly : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

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
        // The text before the first break is hidden: the window may have cut that line.
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
        row("no break", "abc", {});
        row("many breaks", QByteArray("x\n").repeated(200000), QStringList(199999, "x"));
        QTest::newRow("count stops early") << QByteArray("h\nL\nB\n") << 4LL << l;
        QTest::newRow("count beyond bytes") << QByteArray("h\nL\n") << 99LL << l;
        QTest::newRow("count -1") << QByteArray("h\nL\n") << -1LL << QStringList();
        // Valid UTF-8 as such, anything else byte by byte as Windows-1252.
        auto text = [&row](const char* name, const QByteArray& bytes, const QString& text) {
            row(name, "h\n" + bytes + "\n", {text});
        };
        text("UTF-8", "caf\xC3\xA9", QStringLiteral("caf\u00E9"));
        text("lone E9", "caf\xE9", QStringLiteral("caf\u00E9"));
        text("UTF-8 then E9", "\xC3\xA9\xE9", QStringLiteral("\u00C3\u00A9\u00E9"));
        text("euro 0x80, undefined 0x81", "\x80\x81", QStringLiteral("\u20AC\u0081"));
        text("overlong slash", "\xC0\xAF", QStringLiteral("\u00C0\u00AF"));
        text("surrogate", "\xED\xA0\x80", QStringLiteral("\u00ED\u00A0\u20AC"));
        text("four bytes", "\xF0\x9F\x98\x80x", QString::fromUtf8("\xF0\x9F\x98\x80x"));
        text("beyond U+10FFFF", "\xF4\x90\x80\x80", QStringLiteral("\u00F4\u0090\u20AC\u20AC"));
    }

    void breaks()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, count);
        QTEST(Shown(bytes, count), "shown");
    }

    void smallWindow_data()
    {
        QTest::addColumn<QList<QByteArray>>("steps"); // "+" appends, "=" writes afresh
        QTest::addColumn<QStringList>("tail");
        QTest::addColumn<QStringList>("followed");
        auto row = [](const char* name, QList<QByteArray> steps, QStringList tail,
                      QStringList followed) { QTest::newRow(name) << steps << tail << followed; };
        auto same = [&row](const char* name, QList<QByteArray> steps, QStringList lines) {
            row(name, steps, lines, lines);
        };
        // The window is 16 bytes here.
        same("LF only", {"=a\nb\n", "+c\nd\n"}, {"a", "b", "c", "d"});
        same("CR only", {"=a\rb\r", "+c\r"}, {"a", "b", "c"});
        same("CR LF", {"=a\r\nb\r\n", "+c\r\n"}, {"a", "b", "c"});
        same("mixed", {"=a\r\nb\nc\rd\n\re\r\n"}, {"a", "b", "c", "d", "e"});
        same("blank lines", {"=a\r\n\r\nb\n\nc\n"}, {"a", "", "b", "c"});
        same("CR LF cut by a poll", {"=a\r", "+\nb\r", "+\n\r\nc\n"}, {"a", "b", "", "c"});
        same("line cut by polls", {"=ab", "+c\nd", "+e\n"}, {"abc", "de"});
        same("no final break", {"=a\nb"}, {"a"});
        same("at the window", {"=abcdefg\n1234567\n"}, {"abcdefg", "1234567"});
        // Beyond the window the line it cuts is hidden; the final break, held back by the
        // reader, still ends the newest line.
        same("beyond the window, LF", {"=0123456789\nabcdefgh\n"}, {"abcdefgh"});
        same("beyond the window, CR LF", {"=012345678\r\nabcdef\r\n"}, {"abcdef"});
        same("beyond the window, no final break", {"=012345\nabcdef\npart"}, {"abcdef"});
        same("one line beyond the window", {"=" + QByteArray(40, 'x')}, {});
        row("gap of more than a window", {"=a\n", "+" + QByteArray("x\n").repeated(20) + "z\n"},
            {"x", "x", "x", "x", "x", "x", "x", "z"}, {"a", "x", "x", "x", "x", "x", "x", "z"});
        same("NUL padding", {"=" + QByteArray("a\nb\n\0\0\0\0", 8), "=a\nb\nc\n\0\0"},
             {"a", "b", "c"});
        row("truncated", {"=a\nb\nc\n", "=d\n"}, {"d"}, {"a", "b", "c", "d"});
        row("NUL inside a line", {"=" + QByteArray("a\0b\n", 4)}, {"ab"},
            {QString::fromLatin1("a\0b", 3)});
    }

    // Follows the file through the steps, one poll each, then shows its tail.
    void smallWindow()
    {
        QFETCH(QList<QByteArray>, steps);
        modMain::TailBytes = 16;
        const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        modMain::LineMaker maker(modMain::NulByte::Character);
        QByteArray buffer(modMain::TailBytes + 1, '\0');
        OutputBatch batch;
        modMain::Delivery at;
        for (const QByteArray& step : steps) {
            QVERIFY(step[0] == '+' ? Append(path, step.mid(1)) : WriteFile(path, step.mid(1)));
            const qint64 count = modMain::ReadAppended(path, buffer, modMain::TailBytes, {}, &at);
            if (count > 0)
                maker.Feed(QByteArrayView(buffer).first(count - 1), at, batch);
        }
        QStringList followed;
        for (qsizetype i = 0; i < batch.size(); ++i)
            followed << QString::fromLatin1(batch.Line(i));
        QTEST(followed, "followed");
        const qint64 count = modMain::ReadTail(path, buffer, modMain::TailBytes, {}, &at);
        QTEST(Shown(buffer, count, at), "tail");
    }
};

QTEST_GUILESS_MAIN(TestLineAssembly)
#include "tst_lineassembly.moc"
