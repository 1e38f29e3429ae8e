// Appends numbered lines to a log file as a quiet server does: each line in one write after a
// pause of 200 to 1500 ms, reading "stamp NS N", NS being CLOCK_MONOTONIC in nanoseconds taken
// just before the write. Given more paths, each line goes to one of them drawn at random.
// Usage: paced_writer PATH LINES [PATH...]
#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <QThread>

#include <ctime>
#include <memory>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    std::vector<std::unique_ptr<QFile>> logs;
    for (int i = 1; i < argc; i += i == 1 ? 2 : 1) {
        logs.push_back(std::make_unique<QFile>(QFile::decodeName(argv[i])));
        if (!logs.back()->open(QIODevice::Append | QIODevice::Unbuffered))
            return 1;
    }
    const int lines = QByteArray(argv[2]).toInt();
    for (int i = 0; i < lines; ++i) {
        QThread::msleep(200 + QRandomGenerator::global()->bounded(1300));
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const QByteArray line = "stamp " +
                                QByteArray::number(qint64(now.tv_sec) * 1000000000 + now.tv_nsec) +
                                ' ' + QByteArray::number(i) + '\n';
        QFile& log = *logs[QRandomGenerator::global()->bounded(int(logs.size()))];
        if (log.write(line) != line.size())
            return 1;
    }
    return 0;
}
