// Any bytes as tarvisk.ini. Reading never crashes. A file that reads is formatted as a save
// writes it and reads back to the same settings and folders; formatted again, every byte stays;
// with one folder changed, every other line keeps its bytes and its line end, and that change
// applied to the file as another window may have left it (these bytes) reads.
#include "Check.h"
#include "folders/FolderCommands.h"
#include "settings/modMain.h"
#include "shell/ConfigFormat.h"

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

std::optional<Settings> Read(const QByteArray& bytes)
{
    modMain::Settings settings;
    config::ParsedConfig read = config::ParseConfig(bytes, settings);
    if (read.invalidNumber > 0)
        return std::nullopt;
    Settings s{settings.ExtViewer, settings.UseDividers, {}, std::move(read.text)};
    for (qsizetype i = 0; i < read.folders.size(); ++i)
        s.rows.append({read.folders[i], i});
    return s;
}

QByteArray Save(const Settings& s, const QList<config::FolderRow>& rows)
{
    return config::FormatConfigFile(s.text, s.viewer, s.dividers, rows);
}

bool SameFolders(const QList<config::FolderRow>& a, const QList<config::FolderRow>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const auto& x, const auto& y) { return x.folder == y.folder; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::optional<Settings> first =
        Read(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!first)
        return 0;

    const QByteArray saved = Save(*first, first->rows);
    const std::optional<Settings> second = Read(saved);
    Check(second && second->viewer == first->viewer && second->dividers == first->dividers &&
              SameFolders(second->rows, first->rows),
          "a file saved without a change reads back differently");
    Check(Save(*second, second->rows) == saved, "a second save without a change differs");
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
    const config::AppliedChanges applied =
        config::ApplyChanges(second->text, first->text, second->dividers, rows);
    Check(Read(applied.bytes).has_value(), "a change applied to the file as it is does not read");
    const std::optional<Settings> third = Read(Save(*second, rows));
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
