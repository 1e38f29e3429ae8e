// Figures of the search dialog and Copy over 1 million lines of 120 characters: counting a
// search that matches 1 line in 6, the selection of the matches included, against
// `grep -c -i -F` over the same text, and Copy with every line selected.
#include "Figures.h"
#include "reading/OutputList.h"
#include "reading/OutputView.h"
#include "search/Search.h"
#include "settings/modMain.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace
{

constexpr qsizetype Lines = 1000000;
const QString Text = QStringLiteral("googlebot");

// A web-server log line of 120 characters; every sixth comes from a crawler.
QByteArray LogLine(qsizetype i)
{
    QByteArray line =
        "2024-05-01 12:00:00 10.0.0.1 GET /shop/item.aspx?id=" + QByteArray::number(i) +
        " 200 0 0 " +
        (i % 6 == 0 ? "Googlebot/2.1+(+http://www.google.com/bot.html)"
                    : "Mozilla/5.0+(Windows+NT+10.0;+Win64;+x64)");
    return line.leftJustified(120, '.', true);
}

void BenchCount(OutputList& list, const QString& file)
{
    QString status;
    const double ours = MedianMs(9, [&] {
        status = search::Press(list, Text, QStringLiteral("&Search"))->status;
        QCoreApplication::processEvents();
    });
    QByteArray counted;
    const double grep = MedianMs(9, [&] {
        QProcess tool;
        tool.start(QStringLiteral("grep"),
                   {QStringLiteral("-c"), QStringLiteral("-i"), QStringLiteral("-F"), Text, file});
        tool.waitForFinished();
        counted = tool.readAllStandardOutput().trimmed();
    });
    if (!status.startsWith(QString::fromLatin1(counted) + u' '))
        std::fprintf(stderr, "counts differ: '%s' against grep's %s\n", qPrintable(status),
                     counted.constData());
    Figure("search_count_ms", ours, "ms");
    Figure("grep_count_ms", grep, "ms");
    Ratio("search_count_vs_grep", ours / grep);
}

void BenchCopy(OutputList& list)
{
    list.SelectAll();
    const double ms = MedianMs(5, [&] {
        QGuiApplication::clipboard()->clear();
        QGuiApplication::clipboard()->setText(list.SelectedText());
    });
    Figure("copy_1m_selected_ms", ms, "ms");
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    modMain::SetStartValues();
    QTemporaryDir dir(QStringLiteral("/tmp/tarvisk-bench-XXXXXX"));
    const QString file = dir.filePath(QStringLiteral("search.log"));
    OutputBatch batch;
    QByteArray text;
    for (qsizetype i = 0; i < Lines; ++i) {
        batch.Add(LogLine(i));
        text += LogLine(i) + "\r\n";
    }
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
    }
    out.close();
    OutputList list;
    list.Replace(batch);
    OutputView view; // the window's view follows every change of the selection
    view.SetList(&list);
    view.resize(800, 600);
    view.show();
    QCoreApplication::processEvents();
    BenchCount(list, file);
    // Each row painted asks the selection model, which walks all its ranges.
    Figure("repaint_167k_ranges_ms", MedianMs(5, [&] { view.viewport()->repaint(); }), "ms");
    BenchCopy(list);
    return 0;
}
