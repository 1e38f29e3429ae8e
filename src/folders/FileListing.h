#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <memory>

// The names of the folder's regular files (links to regular files count; folders, FIFOs,
// sockets and devices do not) that match the file-list pattern (see WildcardPattern), sorted
// by name with letter case ignored, names that differ only in case in code-unit order.
// folderExists: false when `folder` does not exist or is not a folder. A folder that exists
// but cannot be read lists no file.
QStringList ListMatchingFiles(const QString& folder, const QString& pattern,
                              bool* folderExists = nullptr);

// The names of all the folder's regular files, sorted as above; folderExists as above, and
// folderRead false when the folder could not be read (no permission).
QStringList ListRegularFiles(const QString& folder, bool* folderExists = nullptr,
                             bool* folderRead = nullptr);

// Reads a folder's regular files a part at a time, so that a folder of many thousand files is
// listed between other work instead of stalling it. Names come unsorted.
class FolderScan
{
public:
    explicit FolderScan(const QString& folder);
    // Reads up to `entries` more entries; true once the folder has been read to its end or
    // could not be opened.
    bool Continue(qsizetype entries);
    bool Opened() const { return m_opened; }
    QStringList& Names() { return m_names; }

private:
    struct Closer {
        void operator()(void* dir) const;
    };
    std::unique_ptr<void, Closer> m_dir;
    QStringList m_names;
    bool m_opened = false;
};

// The name without one final ".gz", ".xz", ".zst" or ".bz2" (letter case ignored), which log
// rotation adds when it compresses a finished day; the name itself when it has none.
QStringView WithoutCompression(QStringView name);
inline bool IsCompressedName(QStringView name)
{
    return WithoutCompression(name).size() != name.size();
}

// The names that match the pattern, in their order: a compressed day also matches by its name
// without the compression's suffix.
QStringList FilterNames(const QStringList& names, const QString& pattern);

// Sorts file names as ListMatchingFiles returns them.
void SortFileNames(QStringList& names);

// A file name's bytes as text. Bytes that are not valid UTF-8 (a name written under another
// encoding) become the lone surrogates U+DC80 to U+DCFF, one per byte, which no valid name
// gives; such a name lists without clashing with any other, but no file API can open it.
QString DecodeFileName(QByteArrayView bytes);
bool IsUndecodable(QStringView name);
// The name as shown: each undecodable byte as the replacement character U+FFFD.
QString ReadableName(QString name);
