// Figures of following a log: the CPU an idle follow costs against `tail -f`, the bytes read
// from an unchanged file, the delay from a line written to the line shown, the CPU of
// following a busy log, and the memory a followed line takes.
#include "Figures.h"
#include "base/LogFileAccess.h"
#include "reading/Monitor.h"
#include "settings/modMain.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <ctime>

namespace
{

struct Window final : FollowWindow {
    bool IsStopRequested() const override { return false; }
    QString FilterText() const override { return QStringLiteral("*"); }
    void ShowFileSize(const QString&) override {}
};

double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// User and system time of another process, from /proc.
double ProcessCpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = stat.readAll().split(')').value(1).split(' ');
    return double(fields.value(12).toLongLong() + fields.value(13).toLongLong()) /
           double(sysconf(_SC_CLK_TCK));
}

void Run(int ms)
{
    QTimer::singleShot(ms, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
}

bool Append(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::Append) && file.write(bytes) == bytes.size();
}

struct Follow {
    Window window;
    SystemClock clock;
    OutputList list;
    Monitor monitor{list, window, clock};
};

void Idle(const QString& path)
{
    QProcess tail;
    tail.start(QStringLiteral("tail"), {QStringLiteral("-f"), path});
    tail.waitForStarted();
    Follow follow;
    follow.monitor.Start(path);
    Run(3000); // past the quiet time
    const double cpu = CpuSeconds();
    const qint64 read = LogFileAccess::BytesRead();
    const double tailCpu = ProcessCpuSeconds(tail.processId());
    Run(20000);
    Figure("monitor_idle_cpu", (CpuSeconds() - cpu) / 20 * 100, "%");
    Figure("tail_f_idle_cpu", (ProcessCpuSeconds(tail.processId()) - tailCpu) / 20 * 100, "%");
    Figure("unchanged_bytes_read_per_poll", double(LogFileAccess::BytesRead() - read) / 20,
           "bytes");
    tail.kill();
    tail.waitForFinished();
}

void Latency(const QString& path)
{
    Follow follow;
    follow.monitor.Start(path);
    QElapsedTimer clock;
    clock.start();
    QList<qint64> written;
    double worst = 0;
    QObject::connect(follow.list.Model(), &QAbstractItemModel::rowsInserted, [&] {
        for (qint64 at : written)
            worst = qMax(worst, double(clock.elapsed() - at) / 1000);
        written.clear();
    });
    QTimer writer;
    int lines = 0;
    QObject::connect(&writer, &QTimer::timeout, [&] {
        written.append(clock.elapsed());
        Append(path, "latency " + QByteArray::number(lines) + "\r\n");
        writer.start(200 + QRandomGenerator::global()->bounded(1300));
        if (++lines == 20)
            writer.stop();
    });
    writer.start(500);
    while (lines < 20 || !written.isEmpty())
        Run(500);
    Figure("follow_latency_max", worst, "s");
}

void Busy(const QString& path)
{
    QProcess writer;
    writer.start(QStringLiteral("sh"),
                 {QStringLiteral("-c"),
                  QStringLiteral("while :; do head -c 7500 /dev/urandom | base64 >>'%1'; "
                                 "sleep 0.1; done")
                      .arg(path)});
    writer.waitForStarted();
    Follow follow;
    follow.monitor.Start(path);
    const double cpu = CpuSeconds();
    Run(10000);
    Figure("follow_100kb_per_s_cpu", (CpuSeconds() - cpu) / 10 * 100, "%");
    writer.kill();
    writer.waitForFinished();
}

void Memory(const QString& path)
{
    Follow follow;
    follow.monitor.Start(path);
    const QByteArray line = QByteArray(118, 'x') + "\r\n";
    const qint64 before = HeapBytes();
    const int polls = 1000, perPoll = 1000;
    for (int i = 0; i < polls; ++i) {
        Append(path, line.repeated(perPoll));
        follow.monitor.Poll();
    }
    const double perLine = double(HeapBytes() - before) / follow.list.Count();
    Figure("followed_lines", double(follow.list.Count()), "lines");
    Figure("bytes_per_followed_line", perLine, "bytes");
}

// One poll of a followed file in a folder of 10 000 daily files: quiet with the next day
// looked up, with a move to the next day's file, and a single file without a name style.
void DayPolls(const QString& folder)
{
    const QDate today = QDate::currentDate();
    for (int i = 0; i < 10000; ++i)
        Append(folder + QStringLiteral("/ex%1.log").arg(today.addDays(-i).toString(u"yyMMdd")),
               "line\r\n");
    const QString followed = folder + QStringLiteral("/ex%1.log").arg(today.toString(u"yyMMdd"));
    const QString next =
        folder + QStringLiteral("/ex%1.log").arg(today.addDays(1).toString(u"yyMMdd"));
    auto poll = [&](const QString& filter, bool pendingMove) {
        std::vector<double> times;
        for (int run = 0; run < 9; ++run) {
            QFile::remove(next);
            Follow follow;
            follow.monitor.Start(followed, filter);
            follow.monitor.Poll(); // nothing new: the file is quiet from here on
            if (pendingMove)
                Append(next, "tomorrow\r\n");
            QElapsedTimer timer;
            timer.start();
            follow.monitor.Poll();
            times.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    };
    const double single = poll(QString(), false);
    Figure("poll_single_file_ms", single, "ms");
    Figure("poll_day_10k_files_ms", poll(QStringLiteral("exyymmdd.log"), false), "ms");
    Figure("poll_day_10k_files_move_ms", poll(QStringLiteral("exyymmdd.log"), true), "ms");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    modMain::SetStartValues();
    QTemporaryDir dir;
    auto file = [&](const char* name, const QByteArray& content) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        Append(path, content);
        return path;
    };
    Idle(file("idle.log", QByteArray("quiet line\r\n").repeated(20000)));
    Latency(file("latency.log", "start\r\n"));
    Busy(file("busy.log", "start\n"));
    Memory(file("memory.log", "start\r\n"));
    QTemporaryDir days;
    DayPolls(days.path());
    return 0;
}
