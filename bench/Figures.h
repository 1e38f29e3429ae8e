#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <vector>

// How the benchmarks time work and print it: figures as `name value unit`, comparisons as
// `name ratio value`, one a line, so that scripts can read them.

inline void Figure(const char* name, double value, const char* unit)
{
    std::printf("%s %.3f %s\n", name, value, unit);
    std::fflush(stdout);
}

inline void Ratio(const char* name, double value)
{
    std::printf("%s ratio %.3f\n", name, value);
    std::fflush(stdout);
}

// The median of `runs` timed runs, in milliseconds.
template <typename Work> double MedianMs(int runs, Work&& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Bytes the allocator has handed out and not taken back.
inline qint64 HeapBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

inline qint64 ResidentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return 0;
}

// A web-server log line of 120 characters, without its line end; every sixth comes from a
// crawler, so a search for "googlebot" matches one line in six.
inline QByteArray WebLogLine(qint64 i)
{
    QByteArray line =
        "2024-05-01 12:00:00 10.0.0.1 GET /shop/item.aspx?id=" + QByteArray::number(i) +
        " 200 0 0 " +
        (i % 6 == 0 ? "Googlebot/2.1+(+http://www.google.com/bot.html)"
                    : "Mozilla/5.0+(Windows+NT+10.0;+Win64;+x64)");
    return line.leftJustified(120, '.', true);
}
