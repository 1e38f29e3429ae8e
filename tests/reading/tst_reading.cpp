// The reading floor's logic: the readers, the lines Tail makes of their bytes, the output list.
#include "TestFiles.h"
#include "base/LogFileAccess.h"
#include "reading/CompressedTail.h"
#include "reading/Readers.h"
#include "reading/ShowTail.h"
#include "search/Search.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

constexpr qint64 T = 131072, Sparse = qint64(5) << 30;
using namespace reading;
using Rows = QList<qsizetype>;

// n bytes that tell their place, so that a read from the wrong place shows.
static QByteArray Text(qint64 n, char letter)
{
    QByteArray text;
    while (text.size() < n)
        text += letter + QByteArray::number(text.size());
    return text.left(n);
}

static OutputBatch Batch(const QList<QByteArray>& lines)
{
    OutputBatch batch;
    for (const QByteArray& line : lines)
        batch.Add(line);
    return batch;
}

// Shows bytes as the Tail command does over a list that held another line, marked. The newest
// line must become current, no mark stay and each line's length agree with its text.
static QStringList Shown(const QByteArray& bytes, qint64 count, const reading::Delivery& at = {})
{
    OutputList list;
    list.Replace(Batch({"old"}));
    list.SelectAll();
    reading::ShowTail(bytes, count, list, at);
    QStringList lines;
    for (qsizetype i = 0; i < list.Count(); ++i)
        lines << list.Text(i) + (list.TextLength(i) == list.Text(i).size() ? "" : "(length)");
    if (list.Current() != list.Count() - 1 || list.NextSelected(-1) >= 0)
        lines << QStringLiteral("(current line or marks wrong)");
    return lines;
}

class TestReading : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;
    reading::FileReading m_state;

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
                LogFileAccess open;
                const qint64 got =
                    !appended ? reading::ReadTail(m_path, buffer, T, caption)
                    : reading::OpenForReading(open, m_path, m_state)
                        ? reading::ReadAppended(open, buffer, T, caption, nullptr, m_state)
                        : -1;
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
        reading::Delivery at;
        const qint64 count = reading::ReadTail(m_path, buffer, 16, {}, &at);
        QTEST(Shown(buffer, count, at), "shown");
    }

    // A compressed day made by the real tools (`sh -c`: p.log is the content, c.gz the file)
    // shows, window 16, what the same content uncompressed shows; a broken one what could be
    // read and then the fault; an archive of files is not read.
    void compressedTail_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("fault"); // a failure, or how the fault line begins
        const QByteArray lines = "first\n012345678\r\nabcdef\r\nlast", none;
        for (const char* tool : {"gzip", "xz", "zstd -q", "bzip2"})
            QTest::newRow(tool) << QString(tool) + " -c p.log >c.gz" << lines << QString();
        QTest::newRow("gzip members one after another")
            << "head -c 9 p.log | gzip >c.gz; tail -c +10 p.log | gzip >>c.gz" << lines
            << QString();
        QTest::newRow("short content") << "gzip -c p.log >c.gz" << QByteArray("a\nb") << QString();
        QTest::newRow("empty content") << "gzip -c p.log >c.gz" << none << QString();
        QTest::newRow("empty file") << ":>c.gz" << none << QString();
        QTest::newRow("plain text named .gz") << "cp p.log c.gz" << lines << QString();
        const QByteArray big = Text(3 << 20, 'b').replace('9', '\n');
        QTest::newRow("truncated") << "gzip -c p.log | head -c 200000 >c.gz" << big
                                   << "c.gz: unexpected end of data after ";
        QTest::newRow("tar.gz")
            << "tar -czf c.gz p.log" << lines
            << "unsupported: an archive (GNU tar format), not one compressed file";
    }

    void compressedTail()
    {
        QFETCH(QString, make);
        QFETCH(QByteArray, content);
        QFETCH(QString, fault);
        QTemporaryDir dir;
        QVERIFY(WriteFile(dir.filePath("p.log"), content));
        QProcess sh;
        sh.setWorkingDirectory(dir.path());
        sh.start("sh", {"-c", make});
        QVERIFY(sh.waitForFinished() && sh.exitCode() == 0);
        const QString path = dir.filePath("c.gz");
        const CompressedWindow window = ReadCompressedTail(path, 16);
        const QString said = window.failure + window.faultLine;
        QCOMPARE(said.left(qMax(fault.size(), 1)), fault);
        // The same on the Tail's own thread.
        OutputList list;
        CompressedTail tail(list);
        QSignalSpy failed(&tail, &CompressedTail::Failed);
        QString caption;
        QVERIFY(tail.StartIfCompressed(
            path, 16, [&](const QString& c) { caption = c; }, "note"));
        QVERIFY(QTest::qWaitFor([&] { return !tail.Running(); }));
        QCOMPARE(failed.size(), window.failure.isEmpty() ? 0 : 1);
        if (!window.failure.isEmpty())
            return;
        // Asked at each piece of content whether to go on; no content, no question.
        const CompressedWindow cancelled =
            ReadCompressedTail(path, 16, [](qint64) { return false; });
        QCOMPARE(cancelled.cancelled, window.content > 0);
        const bool compressed = !make.startsWith("cp") && !make.startsWith(":");
        QCOMPARE(window.content, fault.isEmpty() ? content.size() : window.content);
        QCOMPARE(caption, QStringLiteral("Filesize: %1, %2; note")
                              .arg(QFileInfo(path).size())
                              .arg(compressed ? "uncompressed " + QString::number(window.content)
                                              : "not compressed"));
        QStringList shown;
        for (qsizetype i = 0; i < list.Count(); ++i)
            shown << list.Text(i);
        // The plain file cut where the content broke off: the lines before the fault's line.
        QVERIFY(WriteFile(m_path, content.left(window.content)));
        QByteArray buffer(17, '\0');
        Delivery at;
        const qint64 count = ReadTail(m_path, buffer, 16, {}, &at);
        QCOMPARE(shown.mid(0, shown.size() - (fault.isEmpty() ? 0 : 1)), Shown(buffer, count, at));
    }

    // Marks from SelectLines (lines beyond the end ignored) and from the view's commands
    // (overlapping, toggled out, a current selection replaced and then kept) come back once
    // each, in list order, each line ending in LF; the current line leaves them alone. An
    // append is one insertion, an empty one none; a replacement drops marks and current line.
    void marksChangesAndCopy()
    {
        OutputList list;
        list.Replace(Batch({"l0", "l1", "l2", "l3", "l4", "l5", "l6", "l7", "l8", "l9"}));
        list.SelectLines({0, 1, 2, 5, 8, 9, 10, 12});
        QCOMPARE(list.SelectedText(), QByteArray("l0\nl1\nl2\nl5\nl8\nl9\n"));
        list.SelectLines({});
        using F = QItemSelectionModel;
        using Command = std::tuple<int, int, F::SelectionFlags>;
        for (const auto& [top, bottom, flag] :
             {Command(5, 6, F::Select), Command(1, 1, F::Select), Command(2, 5, F::Select),
              Command(3, 3, F::Toggle), Command(8, 9, F::SelectCurrent),
              Command(7, 7, F::SelectCurrent), Command(6, 6, F::Deselect | F::Current),
              Command(0, 0, F::NoUpdate)}) {
            const QItemSelection lines(list.Model()->index(top, 0), list.Model()->index(bottom, 0));
            list.Selection()->select(lines, flag);
        }
        list.SetCurrent(10);
        QCOMPARE(list.Current(), -1);
        list.SetCurrent(3);
        QCOMPARE((Rows{list.Current(), list.NextSelected(-1), list.NextSelected(3)}),
                 (Rows{3, 1, 4}));
        QCOMPARE(list.SelectedText(), QByteArray("l1\nl2\nl3\nl4\nl5\n"));
        QSignalSpy inserted(list.Model(), &QAbstractItemModel::rowsInserted);
        list.Append(Batch({"a", "b", "c"}));
        list.Append(OutputBatch());
        QCOMPARE(inserted, (QList<QList<QVariant>>{{QModelIndex(), 10, 12}}));
        QCOMPARE((Rows{list.NextSelected(5), list.Selection()->MarkedCount()}), (Rows{-1, 5}));
        list.Replace(Batch({"a", "b"}));
        QCOMPARE((Rows{list.Count(), list.Current(), list.NextSelected(-1)}), (Rows{2, -1, -1}));
        // Copy takes UTF-8 as it is and decodes anything else as Windows-1252; empty lines stay.
        // A followed folder's line starts with its description and a tab.
        list.Replace(Batch({"caf\xC3\xA9", "", "x", "caf\xE9 \x80", "\xE2\x82", "tab\tend"}));
        list.Model()->SetTagNames({"w\u00E9b"});
        list.Append(Batch({"x"}), 1);
        list.SelectLines({0, 1, 3, 4, 5, 6});
        QCOMPARE(
            QString::fromUtf8(list.SelectedText()),
            QStringLiteral("caf\u00E9\n\ncaf\u00E9 \u20AC\n\u00E2\u201A\ntab\tend\nw\u00E9b\tx\n"));
    }

    // A drop of the oldest lines takes their marks along; a search position on a dropped line
    // is before the first line, so the next step finds the first remaining match.
    void boundDrop_data()
    {
        QTest::addColumn<qsizetype>("position");
        QTest::addColumn<QString>("status");
        QTest::newRow("on a dropped line") << qsizetype(1) << "Match on line: 0";
        QTest::newRow("before the list") << qsizetype(-1) << "Match on line: 0";
        QTest::newRow("on a kept line") << qsizetype(4) << "Match on line: 2";
        QTest::newRow("on the last match") << qsizetype(6) << "This is the last match";
    }
    void boundDrop()
    {
        QFETCH(qsizetype, position);
        OutputList list;
        list.Replace(Batch({"m0", "x", "m2", "x", "m4", "x", "m6", "x"}));
        QCOMPARE(search::Press(list, QStringLiteral("m"), search::Mode::Count)->status,
                 QStringLiteral("4 occurances of 'm' found"));
        list.SearchPosition = position;
        list.Append(Batch({"x", "m9"}));
        QCOMPARE(list.Bound(8, 4), 4);
        QCOMPARE(QString::fromLatin1(list.SelectedText()), QStringLiteral("m4\nm6\n"));
        QTEST(search::Press(list, QStringLiteral("m"), search::Mode::Step)->status, "status");
    }

    // Lines in plain and in sealed (compressed) blocks, and in blocks that do not compress, come
    // back byte for byte with their folder tags, are found and copied across block seams, also
    // after the oldest lines went, freeing a sealed block, and after a Tail's unterminated row,
    // moved by the bound, was completed in place; seals still on their way when the lines they
    // were made of went are dropped, and a line's bytes held while its block seals stay.
    void storage_data()
    {
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::addColumn<qsizetype>("tail"); // the Tail's lines, its last one unterminated
        QTest::addColumn<qsizetype>("drop");
        QTest::addColumn<bool>("settle"); // the event loop places the seals before the reads
        const qsizetype block = qsizetype(1) << 18;
        QList<QByteArray> sized, many, noise;
        for (const qsizetype size : {0LL, block - 1, block, block + 1, 0LL, 3 * block})
            sized << QByteArray(size, char('a' + sized.size()));
        QTest::newRow("around a block's size") << sized << qsizetype(4) << qsizetype(1) << false;
        for (int i = 0; i < 120000; ++i)
            many << "2024-05-01 line " + QByteArray::number(i) + (i % 7 ? " GET" : " hit");
        QTest::newRow("sealed blocks") << many << qsizetype(22000) << qsizetype(12000) << false;
        QTest::newRow("sealed, then read") << many << qsizetype(22000) << qsizetype(12000) << true;
        QRandomGenerator random(7);
        for (int i = 0; i < 600; ++i) {
            QByteArray line(1000, Qt::Uninitialized);
            random.fillRange(reinterpret_cast<quint32*>(line.data()), line.size() / 4);
            noise << (i % 50 ? line.replace("hit", "HIT") : QByteArray("hit"));
        }
        QTest::newRow("random bytes") << noise << qsizetype(500) << qsizetype(300) << true;
        QTest::newRow("a 1 MB line")
            << QList<QByteArray>{"a", QByteArray(4 * block, 'x') + "hit", "b", "hit"}
            << qsizetype(3) << qsizetype(1) << false;
    }
    void storage()
    {
        QFETCH(QList<QByteArray>, lines);
        QFETCH(qsizetype, tail);
        QFETCH(qsizetype, drop);
        QFETCH(bool, settle);
        OutputList list;
        list.Append(Batch(lines)); // sealed for blocks that the Replace drops
        list.Replace(Batch(lines.mid(0, tail)));
        list.ShowsTailOf(QStringLiteral("f"), true);
        list.Append(Batch(lines.mid(tail)), 2);
        list.Model()->SetTagNames({"web1", "web2"});
        QCOMPARE(list.Bound(lines.size() - 1, drop), drop);
        lines.remove(0, drop);
        lines[tail - 1 - drop] = QByteArray(2 << 18, 'z') + "hit";
        QVERIFY(!list.CompleteUnfinishedRow("g", lines[0]));
        QVERIFY(list.CompleteUnfinishedRow("f", lines[tail - 1 - drop]) &&
                !list.CompleteUnfinishedRow("f", ""));
        const LineBytes held = list.Bytes(list.Count() / 2);
        if (settle)
            QTRY_COMPARE(list.Model()->SealsPending(), qsizetype(0));
        QVERIFY(held.View() == lines[list.Count() / 2]);
        QList<QByteArray> back;
        QByteArray hits;
        for (qsizetype i = 0; i < list.Count(); ++i) {
            back << list.Bytes(i).toByteArray();
            if (lines[i].contains("hit"))
                hits += (i + drop < tail ? "" : "web2\t") + lines[i] + '\n';
        }
        QVERIFY(back == lines);
        list.SelectWhere([](QByteArrayView line) { return line.contains("hit"); });
        QVERIFY(list.SelectedText() == hits);
    }
};

QTEST_GUILESS_MAIN(TestReading)
#include "tst_reading.moc"
