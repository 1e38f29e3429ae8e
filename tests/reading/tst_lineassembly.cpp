#include "TestFiles.h"
#include "reading/Readers.h"
#include "reading/ShowTail.h"

#include <QTemporaryDir>
#include <QTest>

// Shows bytes as the Tail command does over a list that held another line, marked. The newest
// line must become current, no mark stay and each line's length agree with its text.
static QStringList Shown(const QByteArray& bytes, qint64 count, const reading::Delivery& at = {})
{
    reading::OutputList list;
    reading::OutputBatch old;
    old.Add("old");
    list.Replace(old);
    list.SelectAll();
    reading::ShowTail(bytes, count, list, at);
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
        const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(WriteFile(path, bytes));
        QByteArray buffer(17, '\0'); // the window and the closing NUL
        reading::Delivery at;
        const qint64 count = reading::ReadTail(path, buffer, 16, {}, &at);
        QTEST(Shown(buffer, count, at), "shown");
    }
};

QTEST_GUILESS_MAIN(TestLineAssembly)
#include "tst_lineassembly.moc"
