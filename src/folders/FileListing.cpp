#include "folders/FileListing.h"
#include "folders/FilterPattern.h"

#include "base/LogText.h"

#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include <algorithm>
#include <limits>
#include <vector>

// Reading the folder is the one platform-dependent step (POSIX here; a port replaces
// FolderScan).
#include <dirent.h>
#include <sys/stat.h>

namespace
{

// readdir tells each entry's type without a stat on most file systems, which keeps folders of
// many thousand files quick; links and entries of unknown type are resolved with one stat.
bool IsRegularFile(DIR* dir, const dirent* entry)
{
    if (entry->d_type == DT_REG)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    struct stat target {
    };
    return fstatat(dirfd(dir), entry->d_name, &target, 0) == 0 && S_ISREG(target.st_mode);
}

} // namespace

namespace
{

bool IsEscapedByte(QStringView name, qsizetype i)
{
    const char16_t c = name[i].unicode();
    return c >= 0xDC80 && c <= 0xDCFF && (i == 0 || !name[i - 1].isHighSurrogate());
}

} // namespace

QString DecodeFileName(QByteArrayView bytes)
{
    QString name = QString::fromUtf8(bytes);
    if (!name.contains(QChar::ReplacementCharacter) || name.toUtf8() == bytes)
        return name;
    name.clear();
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype n = Utf8SequenceLength(bytes.sliced(i));
        if (n > 0)
            name += QString::fromUtf8(bytes.sliced(i, n));
        else
            name += QChar(char16_t(0xDC00 + uchar(bytes[i])));
        i += n > 0 ? n : 1;
    }
    return name;
}

bool IsUndecodable(QStringView name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (IsEscapedByte(name, i))
            return true;
    }
    return false;
}

QString ReadableName(QString name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (IsEscapedByte(name, i))
            name[i] = QChar::ReplacementCharacter;
    }
    return name;
}

FolderScan::FolderScan(const QString& folder)
{
    if (!folder.isEmpty())
        m_dir.reset(opendir(QFile::encodeName(folder).constData()));
    m_opened = m_dir != nullptr;
}

void FolderScan::Closer::operator()(void* dir) const
{
    closedir(static_cast<DIR*>(dir));
}

bool FolderScan::Continue(qsizetype entries)
{
    DIR* dir = static_cast<DIR*>(m_dir.get());
    for (; dir != nullptr && entries > 0; --entries) {
        const dirent* entry = readdir(dir);
        if (entry == nullptr) {
            m_dir.reset();
            break;
        }
        if (IsRegularFile(dir, entry))
            m_names.append(DecodeFileName(entry->d_name));
    }
    return m_dir == nullptr;
}

QStringList ListRegularFiles(const QString& folder, bool* folderExists, bool* folderRead)
{
    FolderScan scan(folder);
    scan.Continue(std::numeric_limits<qsizetype>::max());
    QStringList names = std::move(scan.Names());
    const bool opened = scan.Opened();
    if (folderExists != nullptr)
        *folderExists = opened || QFileInfo(folder).isDir();
    if (folderRead != nullptr)
        *folderRead = opened;
    SortFileNames(names);
    return names;
}

QStringView WithoutCompression(QStringView name)
{
    for (const QLatin1String suffix : {QLatin1String(".gz"), QLatin1String(".xz"),
                                       QLatin1String(".zst"), QLatin1String(".bz2")}) {
        if (name.size() > suffix.size() && name.endsWith(suffix, Qt::CaseInsensitive))
            return name.chopped(suffix.size());
    }
    return name;
}

QStringList FilterNames(const QStringList& names, const QString& pattern)
{
    const WildcardPattern matcher(pattern);
    QStringList matching;
    for (const QString& name : names) {
        if (matcher.Matches(name) ||
            (IsCompressedName(name) && matcher.Matches(WithoutCompression(name))))
            matching.append(name);
    }
    return matching;
}

QStringList ListMatchingFiles(const QString& folder, const QString& pattern, bool* folderExists)
{
    return FilterNames(ListRegularFiles(folder, folderExists), pattern);
}

void SortFileNames(QStringList& names)
{
    struct Keyed {
        QString folded;
        QString name;
    };
    // Fold each name once rather than in every comparison.
    std::vector<Keyed> keyed;
    keyed.reserve(names.size());
    for (QString& name : names)
        keyed.push_back({name.toCaseFolded(), std::move(name)});
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        const int byFolded = QStringView(a.folded).compare(QStringView(b.folded));
        return byFolded != 0 ? byFolded < 0 : a.name < b.name;
    });
    for (qsizetype i = 0; i < names.size(); ++i)
        names[i] = std::move(keyed[i].name);
}
