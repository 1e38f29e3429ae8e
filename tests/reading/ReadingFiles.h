#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Printable text of n bytes in lines of 50 that end with CR LF.
inline QByteArray LogText(qint64 n, char letter = 'a')
{
    QByteArray text(n, letter);
    for (qint64 i = 48; i + 1 < n; i += 50) {
        text[i] = '\r';
        text[i + 1] = '\n';
    }
    return text;
}

// A sparse file of `size` bytes whose last bytes are `tail`.
inline bool WriteSparse(const QString& path, qint64 size, const QByteArray& tail)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.resize(size) && file.seek(size - tail.size()) &&
           file.write(tail) == tail.size();
}
