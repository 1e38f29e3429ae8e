// Appends numbered lines to a log file the way a server does: each line, ended by CR LF, LF, CR
// or LF CR, in two writes that may cut it anywhere, with short pauses. In "paced" mode each line
// goes in one write after a pause of 200 to 1500 ms and reads "stamp NS N", NS being
// CLOCK_MONOTONIC in nanoseconds taken just before the write.
// Usage: log_writer PATH LINES [mixed|paced] [FIRST]
#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <QThread>

#include <ctime>

namespace
{
int Paced(QFile& log, int lines)
{
    for (int i = 0; i < lines; ++i) {
        QThread::msleep(200 + QRandomGenerator::global()->bounded(1300));
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const QByteArray line = "stamp " +
                                QByteArray::number(qint64(now.tv_sec) * 1000000000 + now.tv_nsec) +
                                ' ' + QByteArray::number(i) + '\n';
        if (log.write(line) != line.size())
            return 1;
    }
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    QFile log(QFile::decodeName(argv[1]));
    if (!log.open(QIODevice::Append | QIODevice::Unbuffered))
        return 1;
    const int lines = QByteArray(argv[2]).toInt();
    if (argc > 3 && QByteArray(argv[3]) == "paced")
        return Paced(log, lines);
    const int first = argc > 4 ? QByteArray(argv[4]).toInt() : 0;
    const QByteArray ends[] = {"\r\n", "\n", "\r", "\n\r"};
    QRandomGenerator random(7 + first);
    for (int i = first; i < first + lines; ++i) {
        const int end = random.bounded(4);
        const QByteArray line = "line " + QByteArray::number(i) + ' ' +
                                QByteArray(random.bounded(150), char('a' + i % 26)) + ends[end];
        const qsizetype cut = random.bounded(int(line.size()) + 1);
        if (log.write(line.left(cut)) != cut)
            return 1;
        QThread::usleep(random.bounded(600));
        if (log.write(line.mid(cut)) != line.size() - cut)
            return 1;
        QThread::usleep(1000);
    }
    return 0;
}
