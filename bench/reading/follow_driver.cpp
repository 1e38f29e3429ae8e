// Follows a log with the program's own Monitor, as Continous does, for a number of seconds,
// then prints every line it showed.
// Usage: follow_driver PATH SECONDS
#include "reading/Monitor.h"
#include "settings/modMain.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>

namespace
{
struct Window final : reading::FollowWindow {
    QString FilterText() const override { return QStringLiteral("*"); }
    void ShowFileSize(const QString&) override {}
};
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    Window window;
    reading::SystemClock clock;
    reading::OutputList list;
    modMain::Settings settings;
    settings.UseDividers = false;
    reading::ReadingStore readings;
    reading::Monitor monitor(list, window, clock, settings, readings);
    monitor.Start(QFile::decodeName(argv[1]));
    QTimer::singleShot(QByteArray(argv[2]).toInt() * 1000, &app, [&] {
        monitor.Stop();
        for (qsizetype i = 0; i < list.Count(); ++i)
            std::printf("%s\n", list.Bytes(i).toByteArray().constData());
        app.quit();
    });
    return app.exec();
}
