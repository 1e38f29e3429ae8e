#include "CompressedReader.h"

#include <QLocale>

#include <archive.h>

#include <cerrno>

namespace reading
{

namespace
{
// Compressed bytes read at a time; large blocks keep the library's calls few.
constexpr qsizetype InputBlock = 1 << 20;

// The library's words for a content that stops before its compressed end, which a day still
// being compressed, or cut by a full disk, shows.
bool MeansTruncated(const QString& reason)
{
    for (const char* words : {"truncated", "premature end", "no progress is possible"}) {
        if (reason.contains(QLatin1String(words), Qt::CaseInsensitive))
            return true;
    }
    return false;
}
// Whether the file begins as a gzip, xz, zstd or bzip2 file does, which the library's filters
// do not take for one until its header is whole.
bool StartsCompressed(LogFileAccess& file)
{
    char head[6] = {};
    const QByteArrayView start(head, qsizetype(qMax<qint64>(0, file.ReadAt(0, head, 6))));
    for (const QByteArrayView magic : {QByteArrayView("\x1f\x8b"),
                                       QByteArrayView("\xfd"
                                                      "7zXZ"),
                                       QByteArrayView("\x28\xb5\x2f\xfd"), QByteArrayView("BZh")}) {
        if (start.startsWith(magic))
            return true;
    }
    return false;
}
} // namespace

void CompressedReader::Free::operator()(archive* a) const
{
    archive_read_free(a);
}

CompressedReader::CompressedReader() = default;
CompressedReader::~CompressedReader() = default;

struct CompressedInput {
    static la_ssize_t Read(archive* a, void* self, const void** block)
    {
        auto* reader = static_cast<CompressedReader*>(self);
        const qint64 got =
            reader->m_file.ReadAt(reader->m_offset, reader->m_block.data(), InputBlock);
        if (got < 0) {
            archive_set_error(a, EIO, "%s", qPrintable(reader->m_file.Error()));
            return ARCHIVE_FATAL;
        }
        reader->m_offset += got;
        *block = reader->m_block.constData();
        return la_ssize_t(got);
    }
};

bool CompressedReader::Fail(const QString& reason)
{
    m_error = reason;
    m_archive.reset();
    m_file.Close();
    return false;
}

bool CompressedReader::Open(const QString& path)
{
    if (!m_file.Open(path))
        return Fail(m_file.Error());
    m_block = QByteArray(InputBlock, Qt::Uninitialized);
    m_archive.reset(archive_read_new());
    archive* a = m_archive.get();
    archive_read_support_filter_all(a);
    // The content is read raw; the formats of archives of several files are known only to say
    // that such a file is not read.
    archive_read_support_format_raw(a);
    archive_read_support_format_empty(a);
    for (auto format : {archive_read_support_format_tar, archive_read_support_format_cpio,
                        archive_read_support_format_zip, archive_read_support_format_7zip,
                        archive_read_support_format_ar, archive_read_support_format_rar,
                        archive_read_support_format_rar5, archive_read_support_format_xar,
                        archive_read_support_format_cab, archive_read_support_format_iso9660})
        format(a);
    // The library decompresses ahead while it looks at the content: a fault there breaks off the
    // content before its first byte.
    archive_entry* entry = nullptr;
    int header = archive_read_open(a, this, nullptr, CompressedInput::Read, nullptr);
    if (header == ARCHIVE_OK)
        header = archive_read_next_header(a, &entry);
    m_compressed = archive_filter_count(a) > 1 || StartsCompressed(m_file);
    if (header == ARCHIVE_EOF) {
        m_ended = true; // no content at all
    } else if (header < ARCHIVE_WARN) {
        Broken();
    } else if (m_compressed && archive_filter_count(a) == 1) {
        m_ended = true; // cut before the compression's header is whole: nothing to read yet
        m_fault = QStringLiteral("unexpected end of data");
    } else if (archive_format(a) != ARCHIVE_FORMAT_RAW) {
        return Fail(QStringLiteral("unsupported: an archive (%1), not one compressed file")
                        .arg(QString::fromLatin1(archive_format_name(a))));
    }
    return true;
}

QByteArrayView CompressedReader::Next()
{
    if (m_ended || !m_archive)
        return {};
    const void* block = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    const int result = archive_read_data_block(m_archive.get(), &block, &size, &offset);
    if (result == ARCHIVE_OK || (result == ARCHIVE_WARN && size > 0)) {
        m_content += qint64(size);
        return {static_cast<const char*>(block), qsizetype(size)};
    }
    if (result == ARCHIVE_EOF)
        m_ended = true;
    else
        Broken();
    return {};
}

void CompressedReader::Broken()
{
    m_ended = true;
    const QString reason = QString::fromLocal8Bit(archive_error_string(m_archive.get()));
    // The library gives no words when the data ends inside a header.
    m_fault = reason.isEmpty() || MeansTruncated(reason) ? QStringLiteral("unexpected end of data")
                                                         : reason;
}

QString CompressedReader::FaultLine(const QString& shownName) const
{
    return shownName + QStringLiteral(": ") + m_fault + QStringLiteral(" after ") +
           QLocale::system().toString(m_content) + QStringLiteral(" bytes");
}

qint64 CompressedReader::CompressedRead() const
{
    return m_archive ? archive_filter_bytes(m_archive.get(), -1) : 0;
}

QString CompressedSizeCaption(qint64 compressed, qint64 content)
{
    QString caption = QStringLiteral("Filesize: ") + QString::number(compressed);
    if (content >= 0)
        caption += QStringLiteral(", uncompressed ") + QString::number(content);
    return caption;
}

} // namespace reading
