// Figures of following a log as the user sees it: a writer in its own process, the lines
// painted by a shown output view. The CPU an idle follow costs against `tail -f`, the bytes
// read from an unchanged file, the delay from a line written to the line painted (with change
// notifications and with the timer alone), the CPU of following a busy log, a burst caught up
// without a lost line or a long stall, the memory a followed line takes, and the delay from a
// line written to its alert's Notify call on a private session bus, where a stand-in for the
// desktop's notification service answers.
#include "BenchRules.h"
#include "Figures.h"
#include "base/LogFileAccess.h"
#include "folders/DatedStyle.h"
#include "reading/Alerts.h"
#include "reading/DayFollow.h"
#include "reading/Monitor.h"
#include "reading/OutputView.h"
#include "settings/modMain.h"
#include "shell/DBusNotifier.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <ctime>
#include <functional>
#include <optional>

namespace
{

// Tells when the output view has painted.
class App : public QApplication
{
public:
    using QApplication::QApplication;
    QObject* viewport = nullptr;
    std::function<void()> painted;

    bool notify(QObject* receiver, QEvent* event) override
    {
        const bool paint = event->type() == QEvent::Paint && receiver == viewport;
        const bool done = QApplication::notify(receiver, event);
        if (paint && painted)
            painted();
        return done;
    }
};

struct Window final : reading::FollowWindow {
    QString FilterText() const override { return QStringLiteral("*"); }
    void ShowFileSize(const QString&) override {}
    const RuleSet* Rules() const override { return rules.get(); }
    std::shared_ptr<const RuleSet> rules;
    reading::Alerts* Alerting() override { return alerts; }
    reading::Alerts* alerts = nullptr;
};

// A session bus of the benchmark's own (stopped by its pid), made the program's session bus,
// with a stand-in for the notification service that hands each Notify's body to `notified`.
class Bus final : public QDBusVirtualObject
{
public:
    Bus()
    {
        QProcess daemon;
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--print-address"),
                      QStringLiteral("--fork"), QStringLiteral("--print-pid")});
        daemon.waitForFinished();
        const QList<QByteArray> out = daemon.readAllStandardOutput().split('\n');
        m_pid = out.value(1).toLongLong();
        qputenv("DBUS_SESSION_BUS_ADDRESS", out.value(0));
        QDBusConnection service =
            QDBusConnection::connectToBus(QString::fromUtf8(out.value(0)), QStringLiteral("sink"));
        service.registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"), this);
        service.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }
    ~Bus() override
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("sink"));
        if (m_pid > 0)
            ::kill(pid_t(m_pid), SIGTERM);
    }
    std::function<void(const QString&)> notified;
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.member() != QLatin1String("Notify"))
            return false;
        if (notified)
            notified(message.arguments().value(4).toString());
        connection.send(message.createReply(QVariant::fromValue(uint(1))));
        return true;
    }

private:
    qint64 m_pid = 0;
};

double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

qint64 MonotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
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

// Runs the event loop until `done` or the time is up.
void RunUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    // processEvents with a time limit drops WaitForMoreEvents and would spin: a timer wakes
    // the wait instead, so the figures are not those of a busy core.
    QTimer wake;
    wake.start(50);
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

bool Append(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::Append) && file.write(bytes) == bytes.size();
}

// A follow with its output view shown, as in the main window.
struct Follow {
    Window window;
    reading::SystemClock clock;
    reading::OutputList list;
    reading::OutputView view;
    modMain::Settings settings;
    reading::ReadingStore readings;
    reading::Monitor monitor{list, window, clock, settings, readings};
    explicit Follow(bool notifications = true)
    {
        view.SetList(&list);
        view.resize(800, 500);
        view.show();
        static_cast<App*>(qApp)->viewport = view.viewport();
        monitor.SetNotifications(notifications);
    }
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
    const qint64 read = follow.monitor.Access().bytesRead;
    const double tailCpu = ProcessCpuSeconds(tail.processId());
    Run(20000);
    Figure("monitor_idle_cpu", (CpuSeconds() - cpu) / 20 * 100, "%");
    Figure("tail_f_idle_cpu", (ProcessCpuSeconds(tail.processId()) - tailCpu) / 20 * 100, "%");
    Figure("unchanged_bytes_read_per_poll", double(follow.monitor.Access().bytesRead - read) / 20,
           "bytes");
    tail.kill();
    tail.waitForFinished();
}

// The writer stamps each line with CLOCK_MONOTONIC just before writing it, to one of `paths`
// drawn at random; the delay ends when the view has painted the row.
std::vector<double> Latencies(const std::function<void(reading::Monitor&)>& start,
                              const QStringList& paths, int lines, bool notifications)
{
    Follow follow(notifications);
    start(follow.monitor);
    std::vector<double> delays;
    qsizetype next = follow.list.Count();
    static_cast<App*>(qApp)->painted = [&] {
        const qint64 now = MonotonicNs();
        for (; next < follow.list.Count(); ++next) {
            const QList<QByteArray> words = follow.list.Bytes(next).toByteArray().split(' ');
            if (words.value(0) == "stamp")
                delays.push_back(double(now - words.value(1).toLongLong()) / 1e6);
        }
    };
    QProcess writer;
    writer.start(QStringLiteral(PACED_WRITER),
                 QStringList{paths[0], QString::number(lines)} + paths.mid(1));
    writer.waitForStarted();
    RunUntil([&] { return int(delays.size()) >= lines; }, lines * 2000 + 5000);
    writer.waitForFinished();
    static_cast<App*>(qApp)->painted = nullptr;
    std::sort(delays.begin(), delays.end());
    return delays;
}

void Latency(const QString& path)
{
    const auto start = [&](reading::Monitor& monitor) { monitor.Start(path); };
    const std::vector<double> delays = Latencies(start, {path}, 60, true);
    if (delays.empty())
        return;
    Figure("follow_latency_lines", double(delays.size()), "lines");
    Figure("follow_latency_median", delays[delays.size() / 2], "ms");
    Figure("follow_latency_max", delays.back(), "ms");
    const std::vector<double> polled = Latencies(start, {path}, 20, false);
    if (!polled.empty())
        Figure("follow_latency_poll_only_max", polled.back() / 1000, "s");
}

// A writer in its own process appends `chunk` random bytes as base64 lines of 76 characters ten
// times a second: 7 500 bytes make 100 KB/s (about 1 300 lines a second), 580 bytes about 100
// lines a second.
// With `alerts`, one line in a hundred is one that an alert rule takes.
void Busy(const QString& path, int chunk, const char* figure, bool rules = false,
          bool alerts = false)
{
    QProcess writer;
    writer.start(
        QStringLiteral("sh"),
        {QStringLiteral("-c"),
         QStringLiteral("while :; do head -c %2 /dev/urandom | base64 >>'%1'; %3"
                        "sleep 0.1; done")
             .arg(path)
             .arg(chunk)
             .arg(alerts ? QStringLiteral("echo 'ERROR alert' >>'%1'; ").arg(path) : QString())});
    writer.waitForStarted();
    Follow follow;
    DBusNotifier notifier;
    reading::Alerts raised(notifier, follow.clock);
    if (alerts) {
        follow.window.rules =
            std::make_shared<const RuleSet>(ParseRules("alert\twords\tcase\tERROR\n").rules);
        follow.window.alerts = &raised;
    }
    if (rules) {
        follow.window.rules = TwentyRules();
        follow.view.SetRules(follow.window.rules);
    }
    follow.monitor.Start(path);
    // The window's first paint, with its fonts, is no part of following (and quitting the
    // event loop would close the window).
    RunUntil([] { return false; }, 1000);
    const double cpu = CpuSeconds();
    Run(10000);
    Figure(figure, (CpuSeconds() - cpu) / 10 * 100, "%");
    writer.kill();
    writer.waitForFinished();
}

// The longest time the event loop was kept busy: the longest gap between the ticks of a 5 ms
// timer.
class StallMeter
{
public:
    StallMeter()
    {
        m_clock.start();
        m_ticks.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_ticks, &QTimer::timeout, [this] {
            m_longest = qMax(m_longest, m_clock.elapsed() - m_last);
            m_last = m_clock.elapsed();
        });
        m_ticks.start(5);
    }
    double LongestMs() const { return double(m_longest); }

private:
    QElapsedTimer m_clock;
    QTimer m_ticks;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

// Counts the rows that start with `prefix` as they arrive, without holding up the event loop.
class RowCounter
{
public:
    RowCounter(reading::OutputList& list, const QByteArray& prefix)
    {
        m_connection =
            QObject::connect(list.Model(), &QAbstractItemModel::rowsInserted,
                             [&list, prefix, this](const QModelIndex&, int first, int last) {
                                 for (int i = first; i <= last; ++i)
                                     m_rows += list.Bytes(i).startsWith(prefix);
                             });
    }
    ~RowCounter() { QObject::disconnect(m_connection); }
    qint64 Rows() const { return m_rows; }

private:
    QMetaObject::Connection m_connection;
    qint64 m_rows = 0;
};

// A burst written at once by another process.
void Burst(const QString& path, const QString& burst, qint64 lines)
{
    Follow follow;
    follow.monitor.Start(path);
    Run(300);
    RowCounter shown(follow.list, "burst ");
    StallMeter stalls;
    QProcess writer; // started, not waited for: the event loop goes on meanwhile
    writer.start(QStringLiteral("sh"),
                 {QStringLiteral("-c"), QStringLiteral("cat '%1' >>'%2'").arg(burst, path)});
    RunUntil([&] { return shown.Rows() >= lines; }, 60000);
    writer.waitForFinished();
    Run(200);
    Figure("follow_burst_1mib_lines_lost", double(lines - shown.Rows()), "lines");
    Figure("follow_burst_longest_stall_ms", stalls.LongestMs(), "ms");
}

// Following yesterday's file of a dated style when today's appears, 100 MiB already and quiet.
void DayMove(const QString& folder)
{
    const QDate today = QDate::currentDate();
    const QString yesterday = folder + today.addDays(-1).toString(u"'/ex'yyMMdd'.log'");
    Append(yesterday, "yesterday\r\n");
    QByteArray day;
    qint64 lines = 0;
    for (; day.size() < (qint64(100) << 20); ++lines)
        day += "day " + QByteArray::number(lines) + ' ' + QByteArray(110, 'd') + "\r\n";
    Append(folder + QStringLiteral("/new.tmp"), day);
    day.clear();
    Follow follow;
    follow.monitor.Start(yesterday, QStringLiteral("exyymmdd.log"));
    Run(1500);
    RowCounter shown(follow.list, "day ");
    StallMeter stalls;
    QFile::rename(folder + QStringLiteral("/new.tmp"),
                  folder + today.toString(u"'/ex'yyMMdd'.log'"));
    RunUntil([&] { return shown.Rows() >= lines; }, 120000);
    Figure("follow_daymove_100mib_lines_lost", double(lines - shown.Rows()), "lines");
    Figure("follow_daymove_100mib_longest_stall_ms", stalls.LongestMs(), "ms");
}

// Quit while following, 100 MiB written while closed, the run resumed in a shown window: the
// time to the last line painted, and the longest the event loop was held meanwhile.
void Resume(const QString& path)
{
    QByteArray saved;
    {
        Window window;
        reading::SystemClock clock;
        reading::OutputList list;
        modMain::Settings settings;
        reading::ReadingStore readings;
        reading::Monitor monitor(list, window, clock, settings, readings);
        monitor.Start(path);
        saved = reading::RunStateText(*monitor.Snapshot());
    }
    QByteArray closed;
    qint64 lines = 0;
    for (; closed.size() < (qint64(100) << 20); ++lines)
        closed += "closed " + QByteArray::number(lines) + ' ' + QByteArray(110, 'c') + "\r\n";
    Append(path, closed);
    closed.clear();
    Follow follow;
    RunUntil([] { return false; }, 300); // the window is shown (Run's quit would close it)
    RowCounter shown(follow.list, "closed ");
    bool painted = false;
    static_cast<App*>(qApp)->painted = [&] { painted = painted || shown.Rows() >= lines; };
    StallMeter stalls;
    QElapsedTimer clock;
    clock.start();
    follow.monitor.Resume(saved, {{{}, QFileInfo(path).path(), {}}});
    RunUntil([&] { return painted; }, 120000);
    static_cast<App*>(qApp)->painted = nullptr;
    Figure("resume_catch_up_ms", double(clock.elapsed()), "ms");
    Figure("resume_longest_stall_ms", stalls.LongestMs(), "ms");
    Figure("resume_lines_lost", double(lines - shown.Rows()), "lines");
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

// The day move's look for the next day's file in a folder of 50 000 files (1 000 days of the
// style, the others of other names): with the folder unchanged, and with a file added, which
// lists the folder again over several looks.
void DayListing(const QString& folder)
{
    const QDate today = QDate::currentDate();
    for (int i = 0; i < 50000; ++i)
        Append(folder +
                   (i < 1000
                        ? QStringLiteral("/ex%1.log").arg(today.addDays(-i - 1).toString(u"yyMMdd"))
                        : QStringLiteral("/host%1.log").arg(i)),
               "line\r\n");
    const QString name = QStringLiteral("ex%1.log").arg(today.addDays(-1).toString(u"yyMMdd"));
    std::optional<reading::DayFollow> day =
        reading::DayFollow::At(folder + u'/', name, QStringLiteral("exyymmdd.log"), today, 0);
    if (!day)
        return;
    qint64 now = 0;
    // The longest of the looks a minute apart, each followed by the looks a second apart that
    // a listing under way takes to end.
    auto look = [&](bool changed) {
        double longest = 0;
        for (int run = 0; run < 3; ++run) {
            if (changed)
                Append(folder + QStringLiteral("/other%1.txt").arg(run), "x");
            now += 60000;
            for (int second = 0; second < 20; ++second, now += 1000) {
                QElapsedTimer timer;
                timer.start();
                day->Next(today, now);
                longest = std::max(longest, double(timer.nsecsElapsed()) / 1e6);
            }
        }
        return longest;
    };
    Figure("daymove_look_50k_files_longest_ms", look(false), "ms");
    Figure("daymove_look_50k_files_changed_longest_ms", look(true), "ms");
}

// The system calls a process makes in `ms`, counted by strace attached to it.
double SyscallsDuring(qint64 pid, int ms)
{
    QProcess strace;
    strace.start(QStringLiteral("strace"), {QStringLiteral("-c"), QStringLiteral("-f"),
                                            QStringLiteral("-p"), QString::number(pid)});
    if (!strace.waitForStarted())
        return -1;
    Run(ms);
    strace.terminate();
    strace.waitForFinished();
    // The summary's last line: "100.00 SECONDS USECS/CALL CALLS [ERRORS] total".
    const QByteArray summary = strace.readAllStandardError();
    std::fputs(summary.constData(), stderr); // which calls they were
    const QList<QByteArray> total = summary.trimmed().split('\n').last().simplified().split(' ');
    return total.value(0) == "100.00" ? total.value(3).toDouble() : -1;
}

// Fifty folders on a local disk, each with 365 daily files of its style, today's of 1 MB, all
// followed in one run: idle, then a line written to one drawn at random.
void Many(const QString& root)
{
    const QDate today = QDate::currentDate();
    const QStringList styles{"exyymmdd.log", "WEBEXTDyyyymmdd.log", "u_exyymmdd.log"};
    const QByteArray day = QByteArray("old day line\r\n").repeated(10);
    const QByteArray big = QByteArray(98, 'm').append("\r\n").repeated(10486);
    QList<LogFolder> folders;
    QStringList todays;
    for (int f = 0; f < 50; ++f) {
        const QString folder = root + QStringLiteral("/host%1/").arg(f), style = styles[f % 3];
        QDir().mkpath(folder);
        for (int d = 0; d < 365; ++d) {
            const QString name = DatedStyle::From(style)->NameFor(today.addDays(-d));
            Append(folder + name, d == 0 ? big : day);
            if (d == 0)
                todays << folder + name;
        }
        folders.append({QStringLiteral("host%1").arg(f), folder, style});
    }
    {
        Follow follow;
        follow.monitor.Start(folders);
        Run(3000); // past the quiet time
        const double cpu = CpuSeconds();
        const qint64 read = follow.monitor.Access().bytesRead;
        Run(30000);
        Figure("follow_many_idle_cpu", (CpuSeconds() - cpu) / 30 * 100, "%");
        Figure("follow_many_unchanged_bytes_read", double(follow.monitor.Access().bytesRead - read),
               "bytes");
        // A minute holds six safety polls and the once-a-minute looks at each folder.
        Figure("follow_many_idle_syscalls_per_s",
               SyscallsDuring(QCoreApplication::applicationPid(), 60000) / 60, "calls");
    }
    const auto start = [&](reading::Monitor& monitor) { monitor.Start(folders); };
    std::vector<double> delays = Latencies(start, todays, 40, true);
    if (delays.empty())
        return;
    Figure("follow_many_latency_lines", double(delays.size()), "lines");
    Figure("follow_many_latency_median", delays[delays.size() / 2], "ms");
    Figure("follow_many_latency_max", delays.back(), "ms");
}

// From the write of a line to its alert's Notify call on the bus, each line an alert of its own
// (the rule's limit off).
void AlertLatency(const QString& path, Bus& bus)
{
    Follow follow;
    DBusNotifier notifier;
    reading::Alerts alerts(notifier, follow.clock);
    alerts.SetLimitMs(0);
    follow.window.rules =
        std::make_shared<const RuleSet>(ParseRules("alert\twords\tcase\tstamp\n").rules);
    follow.window.alerts = &alerts;
    std::vector<double> delays;
    bus.notified = [&](const QString& body) {
        delays.push_back(double(MonotonicNs() - body.split(u' ').value(1).toLongLong()) / 1e6);
    };
    follow.monitor.Start(path);
    const int lines = 30;
    QProcess writer;
    writer.start(QStringLiteral(PACED_WRITER), {path, QString::number(lines)});
    writer.waitForStarted();
    RunUntil([&] { return int(delays.size()) >= lines; }, lines * 2000 + 5000);
    writer.waitForFinished();
    bus.notified = nullptr;
    if (delays.empty())
        return;
    std::sort(delays.begin(), delays.end());
    Figure("alert_latency_lines", double(delays.size()), "lines");
    Figure("alert_latency_median", delays[delays.size() / 2], "ms");
    Figure("alert_latency_max", delays.back(), "ms");
}

} // namespace

// Runs every part, or only those named on the command line (idle, latency, busy, burst,
// daymove, memory, days, listing, many, resume, alerts).
int main(int argc, char** argv)
{
    App app(argc, argv);
    const QStringList only = app.arguments().mid(1);
    auto wanted = [&](const char* part) {
        return only.isEmpty() || only.contains(QLatin1StringView(part));
    };
    std::optional<Bus> bus; // before anything asks for the session bus
    if (wanted("alerts") || wanted("busy"))
        bus.emplace();
    QTemporaryDir dir;
    auto file = [&](const char* name, const QByteArray& content) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        Append(path, content);
        return path;
    };
    if (wanted("idle"))
        Idle(file("idle.log", QByteArray("quiet line\r\n").repeated(20000)));
    if (wanted("latency"))
        Latency(file("latency.log", "start\r\n"));
    if (wanted("busy")) {
        Busy(file("busy.log", "start\n"), 7500, "follow_100kb_per_s_cpu");
        Busy(file("busy100.log", "start\n"), 580, "follow_100_lines_per_s_cpu");
        Busy(file("busy-rules.log", "start\n"), 7500, "follow_100kb_per_s_cpu_20_rules", true);
        Busy(file("busy-alerts.log", "start\n"), 7500, "follow_100kb_per_s_cpu_with_alerts", false,
             true);
    }
    if (wanted("burst")) {
        QByteArray burst;
        qint64 lines = 0;
        for (; burst.size() < (1 << 20); ++lines)
            burst += "burst " + QByteArray::number(lines) + ' ' + QByteArray(90, 'b') + "\r\n";
        Burst(file("burst.log", "start\n"), file("burst.bytes", burst), lines);
    }
    if (wanted("daymove")) {
        QTemporaryDir days;
        DayMove(days.path());
    }
    if (wanted("memory"))
        Memory(file("memory.log", "start\r\n"));
    if (wanted("resume"))
        Resume(file("resume.log", "start\r\n"));
    if (wanted("days")) {
        QTemporaryDir days;
        DayPolls(days.path());
    }
    if (wanted("many")) {
        QTemporaryDir many;
        Many(many.path());
    }
    if (wanted("alerts"))
        AlertLatency(file("alerts.log", "start\n"), *bus);
    if (wanted("listing")) {
        QTemporaryDir days;
        DayListing(days.path());
    }
    return 0;
}
