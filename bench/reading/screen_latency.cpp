// The delay a user sees from a line being sent to its row painted in a shown output window.
// Usage: screen_latency FIGURE FILE PROGRAM ARGS...: follows FILE and, some twenty times at
// random moments, starts PROGRAM ARGS with one more argument, a new line's text, which the
// program must get into FILE (directly or through a log collector). Prints the median.
#include "Figures.h"
#include "reading/Monitor.h"
#include "reading/OutputView.h"
#include "settings/modMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QRandomGenerator>
#include <QTimer>

#include <cstdio>

namespace
{

struct Window final : reading::FollowWindow {
    QString FilterText() const override { return QStringLiteral("*"); }
    void ShowFileSize(const QString&) override {}
};

// Ends `loop` at the first paint of the view that shows a row ending in `text`.
class PaintWatch : public QObject
{
public:
    PaintWatch(reading::OutputView& view, QEventLoop& loop) : m_view(view), m_loop(loop)
    {
        view.viewport()->installEventFilter(this);
    }
    QString text;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !text.isEmpty() && Shown())
            m_loop.quit();
        return false;
    }

private:
    bool Shown() const
    {
        reading::OutputList* list = m_view.List();
        for (qsizetype i = list->Count() - 1; i >= 0 && i >= list->Count() - 3; --i) {
            const QModelIndex row = list->Model()->index(int(i), 0);
            if (list->Text(i).endsWith(text) &&
                m_view.visualRect(row).intersects(m_view.viewport()->rect()))
                return true;
        }
        return false;
    }
    reading::OutputView& m_view;
    QEventLoop& m_loop;
};

void Wait(int ms)
{
    QEventLoop pause;
    QTimer::singleShot(ms, &pause, &QEventLoop::quit);
    pause.exec();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: screen_latency FIGURE FILE PROGRAM ARGS...\n");
        return 2;
    }
    const QStringList args = app.arguments();
    reading::OutputList list;
    reading::OutputView view;
    view.SetList(&list);
    view.resize(800, 400);
    view.show();
    Window window;
    reading::SystemClock clock;
    const modMain::Settings settings;
    reading::ReadingStore readings;
    reading::Monitor monitor(list, window, clock, settings, readings);
    monitor.Start(args[2]);

    QEventLoop painted;
    PaintWatch watch(view, painted);
    std::vector<double> delays;
    for (int i = 0; i < 21; ++i) {
        Wait(200 + QRandomGenerator::global()->bounded(1300));
        watch.text = QStringLiteral("latency line %1").arg(i);
        QTimer late;
        late.setSingleShot(true);
        QObject::connect(&late, &QTimer::timeout, &painted, &QEventLoop::quit);
        late.start(10000);
        QElapsedTimer sent;
        sent.start();
        QProcess sender;
        sender.start(args[3], args.mid(4) << watch.text);
        painted.exec();
        if (!late.isActive()) {
            std::fprintf(stderr, "'%s' was not shown within 10 s\n", qPrintable(watch.text));
            return 1;
        }
        delays.push_back(double(sent.nsecsElapsed()) / 1e6);
        watch.text.clear();
        sender.waitForFinished();
    }
    std::sort(delays.begin(), delays.end());
    Figure(argv[1], delays[delays.size() / 2], "ms");
    return 0;
}
