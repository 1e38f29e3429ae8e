#include "folders/FileListBox.h"
#include "folders/FileListing.h"

#include <QDir>
#include <QSignalBlocker>

FileListBox::FileListBox(QWidget* parent)
    : QListWidget(parent), m_path(QDir::currentPath()), m_pattern(QStringLiteral("*.*"))
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true); // no per-row layout: folders of many thousand files fill fast
    Refresh();
}

// The folder is read once here; a new pattern only filters the names read, so pointing the
// list at a folder and then at its pattern costs one reading of a large folder, not two.
FileListBox::Listing FileListBox::SetPath(const QString& folder)
{
    bool exists = false, read = false;
    QStringList files = ListRegularFiles(folder, &exists, &read);
    if (!exists)
        return Listing::Missing;
    m_path = folder;
    m_files = std::move(files);
    ShowMatches();
    return read ? Listing::Read : Listing::Unreadable;
}

void FileListBox::SetPattern(const QString& pattern)
{
    m_pattern = pattern;
    ShowMatches();
}

namespace
{
constexpr int UndecodableRole = Qt::UserRole;
}

QString FileListBox::FileName() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    if (selected.isEmpty() || selected.first()->data(UndecodableRole).toBool())
        return QString();
    return selected.first()->text();
}

QString FileListBox::ShownName() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

// A folder that has gone away lists no file.
void FileListBox::Refresh()
{
    m_files = ListRegularFiles(m_path);
    ShowMatches();
}

void FileListBox::Clear()
{
    m_pattern.clear();
    m_files.clear();
    ShowMatches();
}

void FileListBox::ShowMatches()
{
    const QStringList names = m_pattern.isEmpty() ? QStringList() : FilterNames(m_files, m_pattern);
    // Listing again is not the user's choice of a file: the selection signals stay for clicks.
    const QSignalBlocker quiet(this);
    setUpdatesEnabled(false);
    clear();
    addItems(names);
    for (int i = 0; i < count(); ++i) {
        if (IsUndecodable(names[i])) {
            item(i)->setText(ReadableName(names[i]));
            item(i)->setData(UndecodableRole, true);
        }
    }
    setUpdatesEnabled(true);
}
