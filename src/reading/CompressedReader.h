#pragma once

#include "base/LogFileAccess.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

struct archive;

namespace reading
{

// The content of a compressed day (gzip, xz, zstd, bzip2 and every other compression libarchive
// reads), a block at a time from its first byte, so that no more than a block of it is ever
// held. Members written one after another (`cat a.gz b.gz`) read as one content. A file that is
// not compressed at all reads as it is; an archive of files (tar, zip, ...) is not read.
class CompressedReader
{
public:
    CompressedReader();
    ~CompressedReader();
    CompressedReader(const CompressedReader&) = delete;
    CompressedReader& operator=(const CompressedReader&) = delete;

    // False when the file cannot be opened or holds no single compressed content; Error() says
    // why.
    bool Open(const QString& path);
    const QString& Error() const { return m_error; }
    // The next piece of the content, valid until the next call; empty at its end, and where the
    // content breaks off (Fault() then says why).
    QByteArrayView Next();
    // Why the content broke off; empty when it was read to its end.
    const QString& Fault() const { return m_fault; }
    // The line that names the fault, after the content shown: "NAME: REASON after N bytes".
    QString FaultLine(const QString& shownName) const;
    // Content bytes delivered so far, and the compressed bytes that they came from.
    qint64 ContentRead() const { return m_content; }
    qint64 CompressedRead() const;
    qint64 CompressedSize() const { return m_file.Size(); }
    // Whether the file is compressed, rather than read as it is.
    bool Compressed() const { return m_compressed; }

private:
    struct Free {
        void operator()(archive* a) const;
    };
    friend struct CompressedInput; // hands the file's blocks to the library
    bool Fail(const QString& reason);
    void Broken();

    LogFileAccess m_file;
    std::unique_ptr<archive, Free> m_archive;
    QByteArray m_block; // compressed bytes handed to the library
    qint64 m_offset = 0;
    qint64 m_content = 0;
    QString m_error;
    QString m_fault;
    bool m_compressed = false;
    bool m_ended = false;
};

// "Filesize: " with the compressed size and, once known, the content's size.
QString CompressedSizeCaption(qint64 compressed, qint64 content = -1);

} // namespace reading
