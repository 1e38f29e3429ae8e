// Figures of the search dialog and Copy over 1 million realistic web-log lines: counting a
// search to the end of the first repaint of a shown view, for a text on one line in 100 000
// and one on every sixth, against `grep -c -i -F` over the same text (interleaved runs,
// medians); then, with the common text's matches
// marked, a repaint, an appended batch of 800 lines, a step to the next match, the marks'
// memory, and Copy of every line until the clipboard gives the whole text back. Run under an X
// server (QT_QPA_PLATFORM=xcb), it also times `xclip -o` reading the copied text. Last, over
// 20 million such lines ("lines=N" on the command line: another number), the longest the
// window's thread is held while a count of an expression and one of words run in slices,
// against the same counts made at once.
#include "Figures.h"
#include "RealisticLog.h"
#include "reading/OutputList.h"
#include "reading/OutputView.h"
#include "search/ListCount.h"
#include "search/Search.h"

#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QFile>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

#include <cstdio>

namespace
{

constexpr qsizetype Lines = 1000000;
const QString Text = QStringLiteral("googlebot");
const QString Rare = QStringLiteral("/SETUP/restore.php");

double Elapsed(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void BenchCount(reading::OutputList& list, reading::OutputView& view, const QString& file,
                const QString& text, const char* name)
{
    QString status;
    QByteArray counted;
    std::vector<double> ours, grep;
    for (int run = 0; run < 9; ++run) {
        ours.push_back(Elapsed([&] {
            status = search::Press(list, text, search::Mode::Count)->status;
            view.viewport()->repaint();
        }));
        grep.push_back(Elapsed([&] {
            QProcess tool;
            tool.start(QStringLiteral("grep"), {QStringLiteral("-c"), QStringLiteral("-i"),
                                                QStringLiteral("-F"), text, file});
            tool.waitForFinished();
            counted = tool.readAllStandardOutput().trimmed();
        }));
    }
    if (!status.startsWith(QString::fromLatin1(counted) + u' '))
        std::fprintf(stderr, "counts differ: '%s' against grep's %s\n", qPrintable(status),
                     counted.constData());
    Figure(qPrintable(QStringLiteral("search_count_%1_ms").arg(QLatin1String(name))), Median(ours),
           "ms");
    Figure(qPrintable(QStringLiteral("grep_count_%1_ms").arg(QLatin1String(name))), Median(grep),
           "ms");
    Ratio(qPrintable(QStringLiteral("search_count_%1_vs_grep").arg(QLatin1String(name))),
          Median(ours) / Median(grep));
}

void BenchMarked(reading::OutputList& list, reading::OutputView& view)
{
    Figure("repaint_167k_marks_ms", MedianMs(9, [&] { view.viewport()->repaint(); }), "ms");
    // One second of a 100 KB/s log, shown as following shows it.
    reading::OutputBatch batch;
    RealisticLog log(2);
    for (qsizetype i = 0; i < 800; ++i)
        batch.Add(log.Line());
    Figure("append_batch_with_167k_marks_ms",
           MedianMs(9,
                    [&] {
                        list.Append(batch);
                        list.SetCurrent(list.Count() - 1);
                        view.viewport()->repaint();
                    }),
           "ms");
    list.SearchPosition = -1;
    Figure("step_next_match_ms",
           MedianMs(101, [&] { search::Press(list, Text, search::Mode::Step); }), "ms");
}

void BenchCopy(reading::OutputList& list, reading::OutputView& view)
{
    list.SelectAll();
    const qsizetype expected = list.SelectedText().size();
    // The clipboard's text as another program receives it: the UTF-8 bytes.
    const auto copied = [] {
        return QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("text/plain")).size();
    };
    qsizetype length = 0;
    Figure("copy_1m_selected_ms",
           MedianMs(5,
                    [&] {
                        view.CopySelected();
                        length = copied();
                    }),
           "ms");
    if (length != expected)
        std::fprintf(stderr, "clipboard holds %lld bytes, not %lld\n", qint64(length),
                     qint64(expected));
    // The same text as a QString in this process: a conversion the reader makes.
    Figure("clipboard_text_readback_ms",
           MedianMs(3, [&] { length = QGuiApplication::clipboard()->text().size(); }), "ms");
    if (QGuiApplication::platformName() != u"xcb")
        return;
    // Another program reads the clipboard while this one serves it from its event loop.
    QProcess paste;
    QEventLoop loop;
    QObject::connect(&paste, &QProcess::finished, &loop, &QEventLoop::quit);
    const double ms = Elapsed([&] {
        paste.start(
            QStringLiteral("sh"),
            {QStringLiteral("-c"), QStringLiteral("xclip -o -selection clipboard | wc -c")});
        loop.exec();
    });
    Figure("xclip_paste_1m_ms", ms, "ms");
    Figure("xclip_paste_bytes", paste.readAllStandardOutput().trimmed().toDouble(), "bytes");
}

// The longest turn of the event loop while `text` is counted in slices: the first slice, made
// when the count starts, or any turn after it, up to and with its end.
void BenchSliced(reading::OutputList& list, const QString& text, bool regex, const char* name)
{
    QString atOnce, sliced;
    const double before =
        Elapsed([&] { atOnce = search::Press(list, text, search::Mode::Count, regex)->status; });
    search::ListCount count(list);
    QEventLoop loop;
    QObject::connect(&count, &search::ListCount::Finished, [&](const search::PressResult& r) {
        sliced = r.status;
        loop.quit();
    });
    double longest = 0;
    QElapsedTimer turn;
    QTimer probe; // a turn of the loop that does nothing else
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longest = qMax(longest, double(turn.nsecsElapsed()) / 1e6);
        turn.start();
    });
    const double total = Elapsed([&] {
        longest = Elapsed(
            [&] { sliced = count.Start(text, regex).value_or(search::PressResult()).status; });
        turn.start();
        probe.start(0);
        if (count.Running())
            loop.exec();
    });
    if (sliced != atOnce)
        std::fprintf(stderr, "sliced: '%s', at once: '%s'\n", qPrintable(sliced),
                     qPrintable(atOnce));
    const auto figure = [&](const char* what) {
        return QStringLiteral("search_window_%1_%2").arg(QLatin1String(name), QLatin1String(what));
    };
    Figure(qPrintable(figure("longest_stall_ms")), longest, "ms");
    Figure(qPrintable(figure("sliced_ms")), total, "ms");
    Figure(qPrintable(figure("at_once_ms")), before, "ms");
    Ratio(qPrintable(figure("sliced_vs_at_once")), total / before);
}

void BenchSlicedCounts(qsizetype lines)
{
    reading::OutputList list;
    RealisticLog log;
    for (qsizetype done = 0; done < lines;) {
        reading::OutputBatch batch;
        for (; batch.size() < 100000 && done < lines; ++done)
            batch.Add(log.Line());
        list.Append(batch);
    }
    list.Model()->SettleSeals();
    Figure("search_window_lines", double(list.Count()), "lines");
    BenchSliced(list, QStringLiteral("\"(GET|POST) /\\w+/[^ ]*\\.(aspx|php)\\?[^ \"]*\" 5\\d\\d "),
                true, "regex");
    BenchSliced(list, Text, false, "words");
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir(QStringLiteral("/tmp/tarvisk-bench-XXXXXX"));
    const QString file = dir.filePath(QStringLiteral("search.log"));
    reading::OutputBatch batch;
    QByteArray text;
    RealisticLog log;
    for (qsizetype i = 0; i < Lines; ++i) {
        const QByteArray line = log.Line();
        batch.Add(line);
        text += line + "\n";
    }
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
    }
    out.close();
    reading::OutputList list;
    // "plain" on the command line: the lines in plain blocks, to compare.
    list.Model()->SetSealing(!app.arguments().contains(QLatin1String("plain")));
    list.Replace(batch);
    reading::OutputView view;
    view.SetList(&list);
    view.resize(800, 600);
    view.show();
    QCoreApplication::processEvents();
    const qint64 heap = HeapBytes();
    search::Press(list, Text, search::Mode::Count);
    Figure("selection_bytes_per_line", double(HeapBytes() - heap) / double(Lines), "bytes");
    BenchCount(list, view, file, Rare, "rare");
    BenchCount(list, view, file, Text, "common");
    BenchMarked(list, view);
    BenchCopy(list, view);
    qsizetype lines = 20000000;
    for (const QString& argument : app.arguments())
        if (argument.startsWith(QLatin1String("lines=")))
            lines = argument.mid(6).toLongLong();
    BenchSlicedCounts(lines);
    return 0;
}
