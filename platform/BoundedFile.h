#pragma once

#include <QByteArray>
#include <QString>

// Reading the user's files without trusting them. Only regular files are
// opened (a FIFO, device, socket or folder is refused before anything could
// block), the open itself never waits for a writer, and a read takes at most
// the limit plus one byte, so a file that grows or lies about its size is
// refused instead of read without end.

// Whether path names a regular file, following symbolic links.
bool IsRegularFile(const QString &path);

struct BoundedRead {
    enum Status { Done, Missing, NotAFile, TooLarge, Failed };
    Status status = Failed;
    QByteArray bytes; // the whole file when Done
    QString error;    // why not, in words for the error box
    bool ok() const { return status == Done; }
};

// Reads the whole file when it is a regular file of at most limit bytes.
BoundedRead ReadBoundedFile(const QString &path, qint64 limit);
