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

bool FileListBox::SetPath(const QString& folder)
{
    bool exists = false;
    const QStringList names = ListMatchingFiles(folder, m_pattern, &exists);
    if (!exists)
        return false;
    m_path = folder;
    ShowNames(names);
    return true;
}

void FileListBox::SetPattern(const QString& pattern)
{
    m_pattern = pattern;
    Refresh();
}

QString FileListBox::FileName() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

// A folder that has gone away lists no file.
void FileListBox::Refresh()
{
    ShowNames(ListMatchingFiles(m_path, m_pattern));
}

void FileListBox::ShowNames(const QStringList& names)
{
    // Listing again is not the user's choice of a file: the selection signals stay for clicks.
    const QSignalBlocker quiet(this);
    setUpdatesEnabled(false);
    clear();
    addItems(names);
    setUpdatesEnabled(true);
}
