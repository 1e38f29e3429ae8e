#include "folders/FileListBox.h"
#include "folders/FileListing.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QSignalBlocker>

// No folder yet: never the working folder's files, which no log folder names.
FileListBox::FileListBox(QWidget* parent) : QListWidget(parent), m_pattern(QStringLiteral("*.*"))
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true); // no per-row layout: folders of many thousand files fill fast
    connect(&m_watch, &FolderWatch::NamesMayHaveChanged, this, [this] {
        QStringList files = ListRegularFiles(m_path);
        if (files != m_files) {
            m_files = std::move(files);
            ShowMatches();
        }
    });
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
    m_watch.Watch(folder);
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

bool FileListBox::ChooseCurrent()
{
    if (selectedItems().isEmpty() && currentItem())
        currentItem()->setSelected(true);
    return !selectedItems().isEmpty();
}

// The first arrow with no file chosen chooses the row with the focus frame: with one file
// the arrows would move nowhere.
void FileListBox::keyPressEvent(QKeyEvent* event)
{
    const bool arrow = event->key() == Qt::Key_Up || event->key() == Qt::Key_Down;
    if (arrow && event->modifiers() == Qt::NoModifier && selectedItems().isEmpty() &&
        ChooseCurrent())
        return;
    QListWidget::keyPressEvent(event);
}

void FileListBox::Clear()
{
    m_watch.Watch(QString());
    m_pattern.clear();
    m_files.clear();
    ShowMatches();
}

// Listing again is not the user's choice of a file: the selection signals stay for clicks, and
// the chosen file and the scroll position stay where the file still is.
void FileListBox::ShowMatches()
{
    const QList<QListWidgetItem*> selected = selectedItems();
    const QString chosen = selected.isEmpty() ? QString() : m_shown.value(row(selected.first()));
    const int scrolled = verticalScrollBar()->value();
    m_shown = m_pattern.isEmpty() ? QStringList() : FilterNames(m_files, m_pattern);
    const qsizetype row = chosen.isEmpty() ? -1 : m_shown.indexOf(chosen);
    {
        const QSignalBlocker quiet(this);
        setUpdatesEnabled(false);
        clear();
        addItems(m_shown);
        for (int i = 0; i < count(); ++i) {
            if (IsUndecodable(m_shown[i])) {
                item(i)->setText(ReadableName(m_shown[i]));
                item(i)->setData(UndecodableRole, true);
            }
        }
        if (row >= 0)
            setCurrentRow(int(row), QItemSelectionModel::ClearAndSelect);
        verticalScrollBar()->setValue(scrolled);
        setUpdatesEnabled(true);
    }
    if (!chosen.isEmpty() && row < 0)
        Q_EMIT ChosenFileGone();
}
