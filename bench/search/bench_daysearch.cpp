// Figures of searching a folder's days: 30 daily files of 40 MB (written once into a cache
// folder), searched from the press to the closing line painted in a shown output window,
// against `grep -c -i -F` over the same files with the page cache warm for both (median of
// interleaved runs), for a text in every sixth line and one in a single line; the first
// matches painted, the longest the event loop stalls, how soon Cancel ends it, and the peak
// memory above what the results keep; and the peak memory of searching a 10 GiB sparse day
// and a day of one 256 MiB line. The same 30 days compressed by gzip, as log rotation leaves
// them, searched against `zcat FILES | grep -c -i -F`. And an expression with a literal part,
// which finds the same lines as the text in every sixth line, against that text.
#include "Figures.h"
#include "reading/OutputList.h"
#include "reading/OutputView.h"
#include "search/DayResults.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace
{

constexpr int Days = 30;
constexpr qint64 DayBytes = 40'000'000;
const QDate First(2025, 11, 1);
const QString Common = QStringLiteral("googlebot");
const QString Rare = QStringLiteral("needle-only-once");
const QString CommonExpression = QStringLiteral(R"(googlebot/\d+\.\d)");

QString CacheFolder()
{
    return QDir::homePath() + QStringLiteral("/.cache/tarvisk-bench/days-40mb");
}

QStringList WriteDays(const QString& folder)
{
    QDir().mkpath(folder);
    QStringList paths;
    qint64 n = 0;
    for (int d = 0; d < Days; ++d) {
        const QString path =
            folder + QStringLiteral("/ex%1.log").arg(First.addDays(d).toString(u"yyMMdd"));
        paths << path;
        if (QFileInfo(path).size() >= DayBytes) {
            n += DayBytes / 122;
            continue;
        }
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        QByteArray block;
        bool rare = d == 17; // one line of all the days holds the rare text
        for (qint64 written = 0; written < DayBytes;) {
            if (rare && written > DayBytes / 2) {
                block += "GET /" + Rare.toLatin1() + "\r\n";
                rare = false;
            }
            block += WebLogLine(n++) + "\r\n";
            written = file.pos() + block.size();
            if (block.size() > (1 << 20) || written >= DayBytes) {
                file.write(block);
                block.clear();
            }
        }
    }
    return paths;
}

// The days compressed by gzip, in a cache folder of their own.
QStringList GzipDays(const QStringList& paths)
{
    const QString folder = CacheFolder() + QStringLiteral("-gz");
    QDir().mkpath(folder);
    QStringList compressed;
    for (const QString& path : paths) {
        compressed << folder + u'/' + QFileInfo(path).fileName() + QStringLiteral(".gz");
        if (!QFileInfo::exists(compressed.last()))
            QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"),
                                                     QStringLiteral("gzip -c \"$0\" >\"$1.part\" "
                                                                    "&& mv \"$1.part\" \"$1\""),
                                                     path, compressed.last()});
    }
    return compressed;
}

double ZcatGrepMs(const QStringList& paths, const QString& text)
{
    QElapsedTimer timer;
    timer.start();
    QProcess sh;
    sh.setStandardOutputFile(QProcess::nullDevice());
    sh.start(QStringLiteral("sh"),
             QStringList{"-c", "zcat \"$@\" | grep -c -i -F \"$0\"", text} + paths);
    sh.waitForFinished(-1);
    return double(timer.nsecsElapsed()) / 1e6;
}

double GrepMs(const QStringList& paths, const QString& text)
{
    QElapsedTimer timer;
    timer.start();
    QProcess grep;
    grep.start(QStringLiteral("grep"), QStringList{"-c", "-i", "-F", text} + paths);
    grep.waitForFinished(-1);
    return double(timer.nsecsElapsed()) / 1e6;
}

qint64 ProcValue(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return 0;
}

// From here on the peak resident size counts again from the present one.
void ResetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

// One search as the user sees it, with what happens on the window's thread meanwhile.
struct Run {
    double totalMs = 0;
    double firstBatchMs = -1;
    double longestStallMs = 0;
    double cancelMs = -1;
    double peakExtraMiB = 0;
};

class Bench
{
public:
    Bench()
    {
        view.SetList(&list);
        view.resize(900, 500);
        view.show();
    }

    // cancelAfterMs < 0: to the end.
    Run Search(const QString& text, int cancelAfterMs = -1, const QString& folder = CacheFolder(),
               bool regex = false)
    {
        list.Clear();
        QCoreApplication::processEvents();
        Run run;
        QEventLoop done;
        QElapsedTimer clock;
        bool painted = false;
        double cancelledAt = 0;
        // The window's thread: a tick every 5 ms shows how long it was kept from its events.
        QTimer tick;
        tick.setInterval(5);
        qint64 lastTick = 0;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            run.longestStallMs = qMax(run.longestStallMs, double(clock.elapsed() - lastTick - 5));
            lastTick = clock.elapsed();
        });
        auto found = QObject::connect(&results.Worker(), &search::DaySearch::Found, [&] {
            if (!painted) {
                view.viewport()->repaint();
                painted = true;
                run.firstBatchMs = double(clock.nsecsElapsed()) / 1e6;
            }
        });
        auto finished = QObject::connect(&results, &search::DayResults::Finished, [&] {
            view.scrollToBottom();
            view.viewport()->repaint();
            done.quit();
        });
        ResetPeak();
        clock.start();
        tick.start();
        results.Start({{folder, QStringLiteral("exyymmdd.log")}}, First, First.addDays(Days - 1),
                      text, regex);
        if (cancelAfterMs >= 0)
            QTimer::singleShot(cancelAfterMs, [&] {
                cancelledAt = double(clock.nsecsElapsed()) / 1e6;
                results.Cancel();
            });
        done.exec();
        run.totalMs = double(clock.nsecsElapsed()) / 1e6;
        if (cancelAfterMs >= 0)
            run.cancelMs = run.totalMs - cancelledAt;
        run.peakExtraMiB = double(ProcValue("VmHWM:") - ProcValue("VmRSS:")) / (1 << 20);
        QObject::disconnect(found);
        QObject::disconnect(finished);
        return run;
    }

private:
    reading::OutputList list;
    reading::OutputView view;
    search::DayResults results{list};
};

// The worker alone, its lines dropped: what the search costs without the window's share.
double WorkerMs(const QString& text, const QString& folder = CacheFolder(), int days = Days)
{
    search::DaySearch worker;
    QEventLoop done;
    QObject::connect(&worker, &search::DaySearch::Finished, &done, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    worker.Start(
        folder,
        ChooseDayFiles(folder, QStringLiteral("exyymmdd.log"), First, First.addDays(days - 1)),
        text);
    done.exec();
    return double(clock.nsecsElapsed()) / 1e6;
}

// One day searched by the worker, its file made by `make` when missing: the peak memory over
// what the program held before the search, in MiB.
double DayPeakMiB(const char* name, const std::function<bool(QFile&)>& make)
{
    const QString folder = QDir::homePath() + QStringLiteral("/.cache/tarvisk-bench/") + name;
    QDir().mkpath(folder);
    QFile day(folder + QStringLiteral("/ex%1.log").arg(First.toString(u"yyMMdd")));
    if (!day.exists() && (!day.open(QIODevice::WriteOnly) || !make(day)))
        return -1;
    day.close();
    ResetPeak();
    const qint64 before = ProcValue("VmRSS:");
    Figure((name + QByteArray("_ms")).constData(), WorkerMs(Rare, folder, 1), "ms");
    return double(ProcValue("VmHWM:") - before) / (1 << 20);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Peaks()
{
    // A day that is one hole of 10 GiB (NUL bytes, no line break), and one line of 256 MiB
    // that holds the text near its end.
    Figure("search_days_sparse_10g_peak_mib",
           DayPeakMiB("search_days_sparse_10g", [](QFile& day) { return day.resize(10LL << 30); }),
           "MiB");
    Figure("search_days_one_line_256m_peak_mib",
           DayPeakMiB("search_days_one_line_256m",
                      [](QFile& day) {
                          const QByteArray block(1 << 20, 'x');
                          for (int i = 0; i < 255; ++i)
                              day.write(block);
                          return day.write(block.left(1000) + Rare.toLatin1() + block.mid(2000)) >
                                 0;
                      }),
           "MiB");
}

void Compressed(Bench& bench, const QStringList& paths)
{
    const QStringList compressed = GzipDays(paths);
    bench.Search(Common, -1, CacheFolder() + QStringLiteral("-gz"));
    std::vector<double> gz, zcat;
    for (int i = 0; i < 5; ++i) { // interleaved
        gz.push_back(bench.Search(Common, -1, CacheFolder() + QStringLiteral("-gz")).totalMs);
        zcat.push_back(ZcatGrepMs(compressed, Common));
    }
    Figure("search_days_gz_ms", Median(gz), "ms");
    Figure("zcat_grep_days_gz_ms", Median(zcat), "ms");
    Ratio("search_days_gz_vs_zcat_grep", Median(gz) / Median(zcat));
}

void AgainstWords(Bench& bench)
{
    bench.Search(CommonExpression, -1, CacheFolder(), true);
    std::vector<double> expression, words;
    for (int i = 0; i < 5; ++i) { // interleaved
        expression.push_back(bench.Search(CommonExpression, -1, CacheFolder(), true).totalMs);
        words.push_back(bench.Search(Common).totalMs);
    }
    Figure("search_days_regex_ms", Median(expression), "ms");
    Ratio("search_days_regex_vs_words", Median(expression) / Median(words));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (app.arguments().contains(QStringLiteral("worker"))) { // the worker alone, to profile it
        WriteDays(CacheFolder());
        for (const QString& text : {Common, Rare}) {
            std::vector<double> worker;
            for (int i = 0; i < 3; ++i)
                worker.push_back(WorkerMs(text));
            Figure(text == Common ? "search_days_worker_alone_ms"
                                  : "search_days_rare_worker_alone_ms",
                   Median(worker), "ms");
        }
        return 0;
    }
    // "plain": the plain days alone; "peaks", "gz", "regex": those figures alone.
    const bool plain = app.arguments().contains(QStringLiteral("plain"));
    const bool regex = app.arguments().contains(QStringLiteral("regex"));
    if (!plain && !regex)
        Peaks();
    if (app.arguments().contains(QStringLiteral("peaks")))
        return 0;
    const QStringList paths = WriteDays(CacheFolder());
    Bench bench;
    if (!plain)
        AgainstWords(bench);
    if (regex)
        return 0;
    if (!plain)
        Compressed(bench, paths);
    if (app.arguments().contains(QStringLiteral("gz")))
        return 0;
    for (const auto& [text, name] :
         {std::pair{Common, "search_days_vs_grep"}, std::pair{Rare, "search_days_rare_vs_grep"}}) {
        bench.Search(text); // warms the page cache, as grep's first run below does
        GrepMs(paths, text);
        std::vector<double> ours, grep, first, stall, peak, worker;
        for (int i = 0; i < 5; ++i) {
            worker.push_back(WorkerMs(text));
            const Run run = bench.Search(text);
            ours.push_back(run.totalMs);
            first.push_back(run.firstBatchMs);
            stall.push_back(run.longestStallMs);
            peak.push_back(run.peakExtraMiB);
            grep.push_back(GrepMs(paths, text));
        }
        Ratio(name, Median(ours) / Median(grep));
        if (text == Common) {
            Figure("search_days_ms", Median(ours), "ms");
            Figure("search_days_worker_alone_ms", Median(worker), "ms");
            Figure("grep_days_ms", Median(grep), "ms");
            Figure("search_days_first_batch_ms", Median(first), "ms");
            Figure("search_days_longest_event_loop_stall_ms",
                   *std::max_element(stall.begin(), stall.end()), "ms");
            Figure("search_days_longest_event_loop_stall_median_ms", Median(stall), "ms");
            Figure("search_days_peak_extra_mib", *std::max_element(peak.begin(), peak.end()),
                   "MiB");
        } else {
            Figure("search_days_rare_ms", Median(ours), "ms");
            Figure("search_days_rare_worker_alone_ms", Median(worker), "ms");
            Figure("grep_days_rare_ms", Median(grep), "ms");
        }
    }
    std::vector<double> cancel;
    for (int i = 0; i < 5; ++i)
        cancel.push_back(bench.Search(Common, 200).cancelMs);
    Figure("search_days_cancel_ms", Median(cancel), "ms");
    return 0;
}
