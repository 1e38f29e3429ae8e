// Appends numbered lines to a log file the way a server does: each line, ended by CR LF, LF, CR
// or LF CR, in two writes that may cut it anywhere, with short pauses.
// Usage: log_writer PATH LINES
#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <QThread>

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    QFile log(QFile::decodeName(argv[1]));
    if (!log.open(QIODevice::Append | QIODevice::Unbuffered))
        return 1;
    const int lines = QByteArray(argv[2]).toInt();
    const QByteArray ends[] = {"\r\n", "\n", "\r", "\n\r"};
    QRandomGenerator random(7);
    for (int i = 0; i < lines; ++i) {
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
