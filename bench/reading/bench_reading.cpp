// Figures of the log reading and the output window: one Tail on a small and on a huge file
// against `tail -c`, the Tail of a 100 MB gzip-compressed day against `zcat | tail -c`, the
// output window at 5 million lines and what a folder's tag adds to a line. Names on the command
// line (tail, gz, model, tags, view) run only those parts.
#include "BenchRules.h"
#include "Figures.h"
#include "RealisticLog.h"
#include "reading/CompressedTail.h"
#include "reading/OutputList.h"
#include "reading/OutputView.h"
#include "reading/Readers.h"
#include "reading/ShowTail.h"
#include "settings/modMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <utility>
#include <vector>

namespace
{

constexpr qsizetype Lines = 5000000;
constexpr qsizetype LinesPerBatch = 10000;

double Seconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

// A web-server log line of 120 characters.
QByteArray LogLine(qsizetype i)
{
    QByteArray line =
        "2024-05-01 12:00:00 10.0.0.1 GET /shop/item.aspx?id=" + QByteArray::number(i) +
        " 200 0 0 Mozilla/5.0+(Windows+NT+10.0)";
    return line.leftJustified(120, '.', true);
}

QByteArray LogBytes(qint64 size)
{
    QByteArray bytes;
    for (qsizetype i = 0; bytes.size() < size; ++i)
        bytes += LogLine(i) + "\r\n";
    return bytes.left(size);
}

void BenchTail(const char* name, const QString& path)
{
    reading::OutputList list;
    const double ours = MedianMs(50, [&] {
        const qint64 tail = modMain::Settings().TailBytes;
        QByteArray buffer(tail + 1, '\0');
        reading::ShowTail(buffer, reading::ReadTail(path, buffer, tail, {}), list);
    });
    const double tool = MedianMs(30, [&] {
        QProcess tail;
        tail.setStandardOutputFile(QProcess::nullDevice());
        tail.start(QStringLiteral("tail"), {QStringLiteral("-c"), QStringLiteral("131072"), path});
        tail.waitForFinished();
    });
    Figure(qPrintable(QStringLiteral("tail_%1").arg(QLatin1String(name))), ours, "ms");
    Figure(qPrintable(QStringLiteral("tail_c_%1").arg(QLatin1String(name))), tool, "ms");
    Ratio(qPrintable(QStringLiteral("tail_%1_vs_tail_c").arg(QLatin1String(name))), ours / tool);
}

void BenchTails()
{
    QTemporaryDir dir(QStringLiteral("/tmp/tarvisk-bench-XXXXXX"));
    const QByteArray text = LogBytes(1 << 20);
    const QString small = dir.filePath(QStringLiteral("small.log"));
    const QString huge = dir.filePath(QStringLiteral("huge.log"));
    QFile smallFile(small), hugeFile(huge);
    const qint64 hugeSize = qint64(5) << 30;
    if (!smallFile.open(QIODevice::WriteOnly) || smallFile.write(text) != text.size() ||
        !hugeFile.open(QIODevice::WriteOnly) || !hugeFile.resize(hugeSize) ||
        !hugeFile.seek(hugeSize - text.size()) || hugeFile.write(text) != text.size()) {
        std::fprintf(stderr, "cannot write the test files in %s\n", qPrintable(dir.path()));
        return;
    }
    smallFile.close();
    hugeFile.close();
    BenchTail("1mib", small);
    BenchTail("5gib_sparse", huge);
}

// From the press to the list shown, on the Tail's own thread, as the window runs it.
void BenchCompressedTail()
{
    QTemporaryDir dir(QStringLiteral("/tmp/tarvisk-bench-XXXXXX"));
    const QString plain = dir.filePath(QStringLiteral("day.log"));
    const QString gz = plain + QStringLiteral(".gz");
    QFile file(plain);
    const QByteArray text = LogBytes(10'000'000);
    if (!file.open(QIODevice::WriteOnly))
        return;
    for (int i = 0; i < 10; ++i)
        file.write(text);
    file.close();
    if (QProcess::execute(QStringLiteral("gzip"), {plain}) != 0)
        return;
    reading::OutputList list;
    reading::CompressedTail tail(list);
    const qint64 bytes = modMain::Settings().TailBytes;
    std::vector<double> ours, tool;
    QString caption;
    for (int i = 0; i < 7; ++i) { // interleaved
        ours.push_back(MedianMs(1, [&] {
            tail.Start(gz, bytes, [&](const QString& c) { caption = c; });
            while (tail.Running())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }));
        tool.push_back(MedianMs(1, [&] {
            QProcess::execute(QStringLiteral("sh"),
                              {QStringLiteral("-c"), QStringLiteral("zcat '%1' | tail -c %2 "
                                                                    ">/dev/null")
                                                         .arg(gz)
                                                         .arg(bytes)});
        }));
    }
    std::printf("# %s, %lld lines shown\n", qPrintable(caption), qint64(list.Count()));
    std::sort(ours.begin(), ours.end());
    std::sort(tool.begin(), tool.end());
    Figure("tail_gz_100mb_ms", ours[ours.size() / 2], "ms");
    Figure("zcat_tail_c_gz_100mb_ms", tool[tool.size() / 2], "ms");
    Ratio("tail_gz_100mb_vs_zcat_tail_c", ours[ours.size() / 2] / tool[tool.size() / 2]);
}

reading::OutputBatch Batch(qsizetype first)
{
    reading::OutputBatch batch;
    for (qsizetype i = first; i < first + LinesPerBatch; ++i)
        batch.Add(LogLine(i));
    return batch;
}

void BenchModel()
{
    std::vector<reading::OutputBatch> batches;
    for (qsizetype first = 0; first < 10 * LinesPerBatch; first += LinesPerBatch)
        batches.push_back(Batch(first));
    malloc_trim(0);
    const qint64 heap = HeapBytes(), resident = ResidentBytes();
    QElapsedTimer timer;
    timer.start();
    {
        reading::OutputList list;
        for (qsizetype i = 0; i < Lines / LinesPerBatch; ++i)
            list.Append(batches[size_t(i) % batches.size()]);
        Figure("append_5m_lines_model", Seconds(timer), "s");
        Figure("bytes_per_line_heap", double(HeapBytes() - heap) / Lines, "bytes");
        Figure("bytes_per_line_rss", double(ResidentBytes() - resident) / Lines, "bytes");
    }
}

// What a followed folder's tag adds to a line: the same 5 million lines untagged and tagged by
// 50 folders in turn, as memory the process holds and as the allocator counts it.
void BenchTags()
{
    constexpr qsizetype TagLines = 5000000;
    reading::OutputBatch batch; // short lines: the tags are what is measured
    for (qsizetype i = 0; i < LinesPerBatch; ++i)
        batch.Add(QByteArray::number(i));
    const auto added = [&](bool tagged) {
        malloc_trim(0);
        const qint64 heap = HeapBytes(), resident = ResidentBytes();
        reading::OutputList list;
        for (qsizetype i = 0; i < TagLines / LinesPerBatch; ++i)
            list.Append(batch, tagged ? quint16(1 + i % 50) : 0);
        malloc_trim(0); // what the growing list left behind is no line's
        return std::pair(ResidentBytes() - resident, HeapBytes() - heap);
    };
    const auto [plainResident, plainHeap] = added(false);
    const auto [taggedResident, taggedHeap] = added(true);
    Figure("follow_many_tag_bytes_per_line", double(taggedResident - plainResident) / TagLines,
           "bytes");
    Figure("follow_many_tag_bytes_per_line_heap", double(taggedHeap - plainHeap) / TagLines,
           "bytes");
}

double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

struct Appended {
    double window = 0; // seconds the appends took the window's thread
    double cpu = 0;    // of every thread, making the lines and sealing the last blocks too
};

// 5 million realistic lines as following appends them, in batches, until every block is sealed.
// With `sealing` off the blocks stay plain.
Appended AppendRealistic(reading::OutputList& list, bool sealing)
{
    list.Model()->SetSealing(sealing);
    RealisticLog log;
    reading::OutputBatch batch;
    qint64 nanoseconds = 0;
    const double cpu = CpuSeconds();
    for (qsizetype i = 0; i < Lines / LinesPerBatch; ++i) {
        batch.clear();
        for (qsizetype j = 0; j < LinesPerBatch; ++j)
            batch.Add(log.Line());
        QElapsedTimer timer;
        timer.start();
        list.Append(batch);
        nanoseconds += timer.nsecsElapsed();
    }
    list.Model()->SettleSeals();
    return {double(nanoseconds) / 1e9, CpuSeconds() - cpu};
}

// The memory of realistic lines, and what sealing the blocks costs the appends against the
// same appends into plain blocks (interleaved runs, medians): on the window's thread, and in
// CPU time of all threads.
void BenchRealistic()
{
    malloc_trim(0);
    const qint64 heap = HeapBytes();
    {
        reading::OutputList list;
        AppendRealistic(list, true);
        Figure("bytes_per_line_realistic", double(HeapBytes() - heap) / Lines, "bytes");
    }
    {
        reading::OutputList list;
        AppendRealistic(list, false);
        Figure("bytes_per_line_realistic_plain", double(HeapBytes() - heap) / Lines, "bytes");
    }
    std::vector<double> sealed, plain, sealedCpu, plainCpu;
    for (int run = 0; run < 3; ++run) {
        reading::OutputList a, b;
        const Appended s = AppendRealistic(a, true);
        b.Clear();
        const Appended p = AppendRealistic(b, false);
        sealed.push_back(s.window), sealedCpu.push_back(s.cpu);
        plain.push_back(p.window), plainCpu.push_back(p.cpu);
    }
    for (std::vector<double>* figures : {&sealed, &plain, &sealedCpu, &plainCpu})
        std::sort(figures->begin(), figures->end());
    Figure("append_5m_lines_model_sealed", sealed[1], "s");
    Figure("append_5m_lines_model_plain", plain[1], "s");
    Ratio("append_5m_lines_model_vs_plain", sealed[1] / plain[1]);
    Figure("append_5m_lines_cpu_sealed", sealedCpu[1], "s");
    Figure("append_5m_lines_cpu_plain", plainCpu[1], "s");
}

// A shown view at the middle of 5 million realistic lines: Page Down until the page is painted.
void BenchPageDown()
{
    reading::OutputList list;
    AppendRealistic(list, !QCoreApplication::arguments().contains(QLatin1String("plain")));
    reading::OutputView view;
    view.SetList(&list);
    view.resize(800, 600);
    view.show();
    list.SetCurrent(list.Count() / 2);
    QCoreApplication::processEvents();
    view.viewport()->repaint();
    std::vector<double> times;
    for (int i = 0; i < 101; ++i) {
        QElapsedTimer timer;
        timer.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &press);
        view.viewport()->repaint();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    Figure("page_down_ms", times[times.size() / 2], "ms");
    Figure("page_down_slowest_ms", times.back(), "ms");
    std::printf("# at line %lld of %lld\n", qint64(list.Current()), qint64(list.Count()));
}

void BenchView()
{
    std::vector<reading::OutputBatch> batches;
    for (qsizetype first = 0; first < 10 * LinesPerBatch; first += LinesPerBatch)
        batches.push_back(Batch(first));
    reading::OutputList list;
    reading::OutputView view;
    view.SetList(&list);
    view.resize(800, 600);
    view.show();
    QCoreApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    for (qsizetype i = 0; i < Lines / LinesPerBatch; ++i) {
        list.Append(batches[size_t(i) % batches.size()]);
        list.SetCurrent(list.Count() - 1);
        QCoreApplication::processEvents();
    }
    Figure("append_5m_lines_view", Seconds(timer), "s");
    timer.restart();
    view.selectAll();
    QCoreApplication::processEvents();
    Figure("select_all_5m_lines", double(timer.nsecsElapsed()) / 1e6, "ms");
    timer.restart();
    list.Clear();
    QCoreApplication::processEvents();
    Figure("clear_5m_lines", double(timer.nsecsElapsed()) / 1e6, "ms");
}

// A full screen of web-log rows painted afresh with twenty rules and with none, interleaved:
// what the rules add to a repaint. Each repaint meets the rules anew, as after a scroll.
void BenchRepaint()
{
    reading::OutputList list;
    reading::OutputBatch lines;
    for (qint64 i = 0; i < 10000; ++i)
        lines.Add(WebLogLine(i));
    list.Append(lines);
    reading::OutputView view;
    view.SetList(&list);
    view.resize(1200, 900);
    view.show();
    QCoreApplication::processEvents();
    const std::shared_ptr<const RuleSet> rules = TwentyRules();
    std::vector<double> with, without;
    for (int i = 0; i < 41; ++i)
        for (const bool ruled : {true, false}) {
            view.SetRules(ruled ? rules : nullptr);
            QElapsedTimer timer;
            timer.start();
            view.viewport()->repaint();
            (ruled ? with : without).push_back(double(timer.nsecsElapsed()) / 1e6);
        }
    std::sort(with.begin(), with.end());
    std::sort(without.begin(), without.end());
    Figure("repaint_rows", double(view.viewport()->height() / view.rowHeight(0)), "rows");
    Figure("repaint_no_rules_ms", without[without.size() / 2], "ms");
    Figure("repaint_20_rules_extra_ms", with[with.size() / 2] - without[without.size() / 2], "ms");

    // A rule that backtracks without end, on a screen of thirty a's and "!" and a 100 KB line.
    lines.clear();
    for (int i = 0; i < 60; ++i)
        lines.Add(i == 30 ? QByteArray(100'000, 'a') + '!' : QByteArray(30, 'a') + '!');
    list.Replace(lines);
    QCoreApplication::processEvents();
    const auto backtracking =
        std::make_shared<const RuleSet>(ParseRules("colour:red\tregex\tnocase\t(a+)+$\n").rules);
    Figure("repaint_backtracking_rule_ms",
           MedianMs(5,
                    [&] {
                        view.SetRules(backtracking);
                        view.viewport()->repaint();
                    }),
           "ms");
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Names given on the command line run only those parts.
    const QStringList only = app.arguments().mid(1);
    const auto run = [&](const char* name, void (*part)()) {
        if (only.isEmpty() || only.contains(QLatin1String(name)))
            part();
    };
    run("tail", BenchTails);
    run("gz", BenchCompressedTail);
    run("model", BenchModel);
    run("tags", BenchTags);
    run("view", BenchView);
    run("realistic", BenchRealistic);
    run("page", BenchPageDown);
    run("repaint", BenchRepaint);
    return 0;
}
