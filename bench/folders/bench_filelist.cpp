// Lists a folder of 100 000 files, 50 000 of them "ex*.log" logs, and fills the file list with
// the matches; compares with find and sort doing the same listing.
#include "Figures.h"
#include "folders/FileListBox.h"
#include "folders/FileListing.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace
{

constexpr int Files = 100000;
constexpr int Runs = 7;
const QString Pattern = QStringLiteral("ex*.log");

// Half the files match, in both letter cases; the other half differ in prefix or extension.
bool MakeFiles(const QString& folder)
{
    for (int i = 0; i < Files; ++i) {
        static const char* const forms[] = {"ex%06d.log", "EX%06d.LOG", "in%06d.log", "ex%06d.txt"};
        QFile file(folder + QLatin1Char('/') + QString::asprintf(forms[i % 4], i));
        if (!file.open(QIODevice::WriteOnly))
            return false;
    }
    return true;
}

qsizetype FindAndSort(const QString& folder)
{
    QProcess sh;
    sh.start(QStringLiteral("sh"),
             {QStringLiteral("-c"),
              QStringLiteral("find \"$0\" -maxdepth 1 -iname '%1' | sort").arg(Pattern), folder});
    sh.waitForFinished(-1);
    return sh.readAllStandardOutput().count('\n');
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir(QStringLiteral("/tmp/tarvisk-bench-XXXXXX"));
    if (!dir.isValid() || !MakeFiles(dir.path())) {
        std::fprintf(stderr, "cannot make the files in /tmp\n");
        return 1;
    }
    qsizetype listed = 0;
    const double listMs =
        MedianMs(Runs, [&] { listed = ListMatchingFiles(dir.path(), Pattern).size(); });
    FileListBox box;
    // The calls the main window makes when a folder is selected: empty the list first, then
    // point it at the folder and its pattern.
    const double fillMs = MedianMs(Runs, [&] {
        box.SetPattern(QStringLiteral("*.z19"));
        box.SetPath(QDir::rootPath());
        box.SetPath(dir.path());
        box.SetPattern(Pattern);
    });
    qsizetype found = 0;
    const double findMs = MedianMs(Runs, [&] { found = FindAndSort(dir.path()); });
    if (listed != Files / 2 || box.count() != Files / 2 || found != Files / 2) {
        std::fprintf(stderr, "listed %lld, shown %d, found %lld; expected %d\n",
                     static_cast<long long>(listed), box.count(), static_cast<long long>(found),
                     Files / 2);
        return 1;
    }
    Figure("list_matching_files_100k", listMs, "ms");
    Figure("fill_file_list_100k", fillMs, "ms");
    Figure("find_iname_sort_100k", findMs, "ms");
    Ratio("fill_file_list_vs_find", fillMs / findMs);
    return 0;
}
