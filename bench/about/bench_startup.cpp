// Time from process start to the main window on the screen: with the update check off, with the
// check answered "1.1" by a loopback server, and an empty Qt window shown the same way.
// Each start is a child process of this one (`bench_startup child KIND`); this process times it
// up to the child's "shown" line and serves the loopback answer meanwhile.
#include "Figures.h"
#include "shell/QtMessageBox.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QEventLoop>
#include <QProcess>
#include <QScreen>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWindow>

#include <memory>

namespace
{

constexpr int Runs = 15;

// Says "shown" and ends the child as soon as its window is exposed.
class ExposeWatch : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            std::puts("shown");
            std::fflush(stdout);
            QCoreApplication::exit(0);
        }
        return false;
    }
};

// kind: "empty" for a bare window, "off" for no check, otherwise the update base address.
int Child(const QString& kind)
{
    QApplication::setApplicationName(QStringLiteral("Tarvisk"));
    QTemporaryDir programDir;
    QtMessageBox messages;
    std::unique_ptr<QWidget> window;
    if (kind == QLatin1String("empty")) {
        window = std::make_unique<QWidget>();
    } else {
        auto main = std::make_unique<frmMain>(messages, programDir.path());
        main->SetUpdateBase(kind == QLatin1String("off") ? QString() : kind);
        main->Form_Load();
        if (const QScreen* screen = main->screen())
            main->move(screen->availableGeometry().center() - main->rect().center());
        window = std::move(main);
    }
    ExposeWatch watch;
    window->winId();
    window->windowHandle()->installEventFilter(&watch);
    window->show();
    return QApplication::exec();
}

// Answers every request with the current version.
void ServeCurrentVersion(QTcpServer& server)
{
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server] {
        QTcpSocket* socket = server.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
            if (!socket->readAll().contains("\r\n\r\n"))
                return;
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 3\r\nConnection: close\r\n\r\n1.1");
            socket->disconnectFromHost();
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    });
}

double StartMs(const QString& kind)
{
    QProcess child;
    QEventLoop loop;
    QObject::connect(&child, &QProcess::readyReadStandardOutput, &loop, &QEventLoop::quit);
    QObject::connect(&child, &QProcess::finished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("child"), kind});
    loop.exec();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    if (!child.readAllStandardOutput().startsWith("shown"))
        qFatal("the child window was not shown");
    child.waitForFinished();
    return ms;
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "child")
        return Child(QString::fromLocal8Bit(argv[2]));

    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost))
        qFatal("no loopback port");
    ServeCurrentVersion(server);
    const QString loopback = QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort());
    std::vector<double> empty, off, asked;
    for (int i = 0; i < Runs; ++i) { // interleaved, so that a busy moment hits all three alike
        empty.push_back(StartMs(QStringLiteral("empty")));
        off.push_back(StartMs(QStringLiteral("off")));
        asked.push_back(StartMs(loopback));
    }
    Figure("startup_empty_window_ms", Median(empty), "ms");
    Figure("startup_check_off_ms", Median(off), "ms");
    Figure("startup_check_loopback_ms", Median(asked), "ms");
    Figure("startup_check_loopback_extra_ms", Median(asked) - Median(empty), "ms");
    Ratio("startup_check_loopback_vs_empty_window", Median(asked) / Median(empty));
    return 0;
}
