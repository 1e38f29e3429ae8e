// Any bytes as tarvisk.ini. Reading never crashes. A file that reads is saved through the real
// save path and reads back to the same settings and folders; saved again, every byte stays; with
// one folder changed, every other line keeps its bytes and its line end.
#include "Check.h"
#include "folders/FolderCommands.h"
#include "settings/modMain.h"
#include "shell/ConfigFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <optional>

namespace
{

struct Settings {
    QString viewer;
    bool dividers = true;
    QList<config::FolderRow> rows; // each from its own folder line
    config::IniText text;
};

std::optional<Settings> Read(const QString& path)
{
    modMain::Settings settings;
    settings.IniPath = path;
    config::ReadResult read = config::ReadConfigFile(settings);
    if (read.status != config::ReadResult::Status::Read)
        return std::nullopt;
    Settings s{settings.ExtViewer, settings.UseDividers, {}, std::move(read.text)};
    for (qsizetype i = 0; i < read.folders.size(); ++i)
        s.rows.append({read.folders[i], i});
    return s;
}

QByteArray Save(const QString& path, const Settings& s, const QList<config::FolderRow>& rows)
{
    const QByteArray content = config::FormatConfigFile(s.text, s.viewer, s.dividers, rows);
    QString error;
    Check(config::WriteConfigFile(path, content, &error), "the save failed");
    return content;
}

bool SameFolders(const QList<config::FolderRow>& a, const QList<config::FolderRow>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const auto& x, const auto& y) { return x.folder == y.folder; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // In memory where there is such a file system: the save syncs to disk.
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/tarvisk-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/tarvisk-fuzz-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("tarvisk.ini"));
    QFile file(path);
    Check(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
              file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size),
          "the input could not be written");
    file.close();
    const std::optional<Settings> first = Read(path);
    if (!first)
        return 0;

    const QByteArray saved = Save(path, *first, first->rows);
    const std::optional<Settings> second = Read(path);
    Check(second && second->viewer == first->viewer && second->dividers == first->dividers &&
              SameFolders(second->rows, first->rows),
          "a file saved without a change reads back differently");
    Check(Save(path, *second, second->rows) == saved, "a second save without a change differs");
    if (second->rows.isEmpty())
        return 0;

    // The editor changes one folder's description, or the whole row where the folder holds what
    // the editor refuses.
    const qsizetype changed = qsizetype(size % std::size_t(second->rows.size()));
    QList<config::FolderRow> rows = second->rows;
    rows[changed].folder.Name = QStringLiteral("Changed");
    if (CheckLogFolder(EditMode, rows[changed].folder))
        rows[changed].folder = {QStringLiteral("Changed"), QStringLiteral("/var/log/changed"),
                                QStringLiteral("exyymmdd.log")};
    Save(path, *second, rows);
    const std::optional<Settings> third = Read(path);
    Check(third && SameFolders(third->rows, rows), "the changed folder does not read back");
    const QList<config::IniLine>& before = second->text.lines;
    const QList<config::IniLine>& after = third->text.lines;
    Check(before.size() == after.size(), "a change of one folder added or removed lines");
    for (qsizetype i = 0, folder = 0; i < before.size(); ++i) {
        const bool isFolder = before[i].parsed.kind == config::LineKind::Folder;
        if (isFolder && folder++ == changed)
            continue;
        Check(before[i].text == after[i].text && before[i].end == after[i].end,
              "a line other than the changed folder's changed");
    }
    return 0;
}
