#include "TestFiles.h"
#include "reading/Readers.h"
#include "reading/ShowTail.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

constexpr qint64 T = 131072, Sparse = qint64(5) << 30;

// n bytes that tell their place, so that a read from the wrong place shows.
static QByteArray Text(qint64 n, char letter)
{
    QByteArray text;
    while (text.size() < n)
        text += letter + QByteArray::number(text.size());
    return text.left(n);
}

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

class TestReaders : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;
    modMain::FileReading m_state;

private Q_SLOTS:
    void init()
    {
        m_state = {};
        m_path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".log");
    }

    void reads_data()
    {
        // Each step makes the file ("=" afresh, "+" appended, "s" sparse, 5 GiB, ending so, "p"
        // a pipe), then reads its tail and what was appended; n holds for each step their counts
        // (NUL after the bytes included) and starts, then LastReadPos. Past the first delivery,
        // following reads on a window at a time from where it stopped, and from byte 0 once the
        // bytes before that place have changed.
        QTest::addColumn<QList<QByteArray>>("steps");
        QTest::addColumn<QList<qint64>>("n");
        auto row = [](const char* name, QList<QByteArray> steps, QList<qint64> n) {
            QTest::newRow(name) << steps << n;
        };
        const QByteArray first = Text(1000, 'a');
        const qint64 e = Sparse - 1, g = 999 + T - 1;
        row("NULs", {"=" + Text(300, 'a') + QByteArray(10, '\0'), "+" + QByteArray(5, '\0')},
            {T + 1, 0, 300, 0, 299, T + 1, 0, 0, 0, 299});
        row("last T NUL", {"=" + Text(T + 100, 'a') + QByteArray(T, '\0')}, {T + 1, 100, 0, 0, 0});
        row("pipe", {"p"}, {-1, 0, -1, 0, 0});
        row("sparse beyond 4 GiB", {"s" + Text(1002, 'z'), "+ab\r\n"},
            {T + 1, e - T, T, Sparse - T, e, T + 1, e + 4 - T, 5, e, e + 4});
        row("growth beyond T", {"=" + first, "+" + Text(2 * T, 'g')},
            {T + 1, 0, 1000, 0, 999, T + 1, 1000 + T - 1, T, 999, g});
        row("truncated", {"=" + first, "=", "=" + Text(200, 'c')},
            {T + 1, 0, 1000, 0, 999, T + 1, 0, 0, 0, 999, T + 1, 0, 200, 0, 199});
    }

    void reads()
    {
        QFETCH(QList<QByteArray>, steps);
        QFETCH(QList<qint64>, n);
        for (qsizetype i = 0; i < steps.size(); ++i) {
            const QByteArray bytes = steps[i].mid(1);
            const char op = steps[i][0];
            QFile file(m_path);
            if (op == 'p') // opening a pipe must not wait for a writer
                QCOMPARE(::mkfifo(QFile::encodeName(m_path), 0700), 0);
            else
                QVERIFY(file.open(op == '+' ? QIODevice::Append : QIODevice::WriteOnly) &&
                        (op != 's' || (file.resize(Sparse) && file.seek(Sparse - bytes.size()))) &&
                        file.write(bytes) == bytes.size());
            file.close();
            for (const int appended : {0, 1}) {
                // count - 1 bytes of the file from `from` (NUL beyond its end), then a NUL.
                const qint64 count = n[5 * i + 2 * appended], from = n[5 * i + 2 * appended + 1];
                QByteArray buffer(T + 1, '\x7f'), want;
                if (count > 0 && file.open(QIODevice::ReadOnly) && file.seek(from))
                    want = file.read(count - 1).leftJustified(count, '\0');
                file.close();
                QString size;
                auto caption = [&size](const QString& text) { size += text; };
                const qint64 got =
                    appended ? modMain::ReadAppended(m_path, buffer, T, caption, nullptr, m_state)
                             : modMain::ReadTail(m_path, buffer, T, caption);
                QCOMPARE(got, count);
                QCOMPARE(buffer.left(qMax<qint64>(got, 0)), want);
                QCOMPARE(size,
                         got < 0 ? QString() : QStringLiteral("Filesize: %1").arg(file.size()));
            }
            QCOMPARE(m_state.LastReadPos, n[5 * i + 4]);
            QCOMPARE(m_state.failure, op == 'p' ? QStringLiteral("Not a regular file") : QString());
        }
    }
    // The text before the first break is hidden: the window may have cut that line; the text
    // after the last shows as the last line. Valid UTF-8 is read as such, anything else byte by
    // byte as Windows-1252. fuzz_lines holds the break rules against a plain splitter.
    void tail()
    {
        const QByteArray bytes =
            QByteArrayLiteral("head\nab\0cd\n") +
            "caf\xC3\xA9\ncaf\xE9\n\xC3\xA9\xE9\n\x80\x81\n\xED\xA0\x80\n\xF0\x9F\x98\x80\n" +
            QByteArray("x\n").repeated(100000) + "rest" + QByteArray(100, '\0');
        QCOMPARE(Shown(bytes, bytes.size()),
                 QString::fromUtf8("abcd|caf\u00E9|caf\u00E9|\u00C3\u00A9\u00E9|"
                                   "\u20AC\u0081|\u00ED\u00A0\u20AC|\U0001F600")
                         .split(u'|') +
                     QStringList(100000, "x") + QStringList{"rest"});
    }

    // Through the reader, window 16: the line the window cuts is hidden, the final break it
    // holds back still ends the newest line, and an unterminated last line shows.
    void tailOfWindow_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("cut, CR LF")
            << QByteArray("012345678\r\nabcdef\r\n") << QStringList{"abcdef"};
        QTest::newRow("unterminated") << QByteArray("a\nlast") << QStringList{"a", "last"};
        QTest::newRow("NUL padding")
            << QByteArray("a\nb\nc\n\0\0", 9) << QStringList{"a", "b", "c"};
    }

    void tailOfWindow()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(WriteFile(m_path, bytes));
        QByteArray buffer(17, '\0'); // the window and the closing NUL
        modMain::Delivery at;
        const qint64 count = modMain::ReadTail(m_path, buffer, 16, {}, &at);
        QTEST(Shown(buffer, count, at), "shown");
    }
};

QTEST_GUILESS_MAIN(TestReaders)
#include "tst_readers.moc"
