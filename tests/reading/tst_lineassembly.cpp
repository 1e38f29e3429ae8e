#include "TestFiles.h"
#include "reading/Readers.h"
#include "reading/ShowTail.h"
#include "settings/modMain.h"

#include <QTemporaryDir>
#include <QTest>

// Shows bytes as the Tail command does over a list that held another line, marked. The newest
// line must become current, no mark stay and each line's length agree with its text.
static QStringList Shown(const QByteArray& bytes, qint64 count, const modMain::Delivery& at = {})
{
    OutputList list;
    OutputBatch old;
    old.Add("old");
    list.Replace(old);
    list.SelectAll();
    modMain::ShowTail(bytes, count, list, at);
    QStringList lines;
    for (qsizetype i = 0; i < list.Count(); ++i)
        lines << list.Text(i) + (list.TextLength(i) == list.Text(i).size() ? "" : "(length)");
    if (list.Current() != list.Count() - 1 || list.NextSelected(-1) >= 0)
        lines << QStringLiteral("(current line or marks wrong)");
    return lines;
}

class TestLineAssembly : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void init() { modMain::SetStartValues(); }

    // The text before the first break is hidden: the window may have cut that line; the text
    // after the last shows as the last line. After a break one LF and then one CR are absorbed; NUL
    // is dropped. Valid UTF-8 is read as such, anything else byte by byte as Windows-1252.
    void tail()
    {
        const QByteArray bytes =
            QByteArrayLiteral("head\nL\r\n\r\nB\n\nC\r\rD\r\n\nE\n\rF\rG\nH\r\0\nab\0cd\n") +
            "caf\xC3\xA9\ncaf\xE9\n\xC3\xA9\xE9\n\x80\x81\n\xED\xA0\x80\n\xF0\x9F\x98\x80\n" +
            QByteArray("x\n").repeated(100000) + "rest" + QByteArray(100, '\0');
        QCOMPARE(Shown(bytes, bytes.size()),
                 QString::fromUtf8("L||B|C|D||E|F|G|H||abcd|caf\u00E9|caf\u00E9|\u00C3\u00A9\u00E9|"
                                   "\u20AC\u0081|\u00ED\u00A0\u20AC|\U0001F600")
                         .split(u'|') +
                     QStringList(100000, "x") + QStringList{"rest"});
    }

    void smallWindow_data()
    {
        QTest::addColumn<QList<QByteArray>>("steps"); // "+" appends, "=" writes afresh
        QTest::addColumn<QStringList>("tail");
        QTest::addColumn<QStringList>("followed");
        auto row = [](const char* name, QList<QByteArray> steps, QStringList tail,
                      QStringList followed) { QTest::newRow(name) << steps << tail << followed; };
        row("cut by polls", {"=a\r", "+\nb\r", "+\n\r\nc\nd", QByteArray("+e\0f\n", 5)},
            {"a", "b", "", "c", "def"}, {"a", "b", "", "c", QString::fromLatin1("de\0f", 4)});
        // Beyond the window the line it cuts is hidden; the final break, held back by the
        // reader, still ends the newest line.
        row("beyond the window", {"=012345678\r\nabcdef\r\n"}, {"abcdef"}, {"abcdef"});
        // Following reads on a window at a time; the tail is the last window.
        row("gap of more than a window", {"=a\n", "+" + QByteArray("x\n").repeated(20) + "z\n"},
            {"x", "x", "x", "x", "x", "x", "x", "z"},
            QStringList{"a"} + QStringList(20, "x") + QStringList{"z"});
        row("unterminated last line", {"=a\nlast"}, {"a", "last"}, {"a"});
        row("NUL padding", {"=" + QByteArray("a\nb\n\0\0\0\0", 8), QByteArray("=a\nb\nc\n\0\0", 9)},
            {"a", "b", "c"}, {"a", "b", "c"});
        row("truncated", {"=a\nb\nc\n", "=d\n"}, {"d"}, {"a", "b", "c", "d"});
    }

    // Follows the file through the steps, one poll each, then shows its tail; the window is 16.
    void smallWindow()
    {
        QFETCH(QList<QByteArray>, steps);
        modMain::TailBytes = 16;
        const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        modMain::LineMaker maker(modMain::NulByte::Character);
        modMain::FileReading reading;
        QByteArray buffer(modMain::TailBytes + 1, '\0');
        OutputBatch batch;
        modMain::Delivery at;
        for (const QByteArray& step : steps) {
            QVERIFY(step[0] == '+' ? Append(path, step.mid(1)) : WriteFile(path, step.mid(1)));
            do {
                const qint64 count =
                    modMain::ReadAppended(path, buffer, modMain::TailBytes, {}, &at, reading);
                if (count > 0)
                    maker.Feed(QByteArrayView(buffer).first(count - 1), at, batch);
            } while (!at.caughtUp);
        }
        QStringList followed;
        for (qsizetype i = 0; i < batch.size(); ++i)
            followed << QString::fromLatin1(batch.Line(i));
        QTEST(followed, "followed");
        const qint64 count = modMain::ReadTail(path, buffer, modMain::TailBytes, {}, &at);
        QTEST(Shown(buffer, count, at), "tail");
    }

    // A delivery that claims to continue but does not begin with the held-back byte starts
    // afresh instead of dropping a byte of another content.
    void heldByteChecked()
    {
        modMain::LineMaker maker(modMain::NulByte::Character);
        OutputBatch lines;
        maker.Feed("ab", {0, 'c', false}, lines);
        maker.Feed("xd\ne\n", {2, -1, true}, lines);
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.Line(0), "e");
    }
};

QTEST_GUILESS_MAIN(TestLineAssembly)
#include "tst_lineassembly.moc"
