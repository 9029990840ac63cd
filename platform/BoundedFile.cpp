#include "BoundedFile.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes the descriptor when the read is over, whatever way it ends.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

QString tr(const char *text)
{
    return QCoreApplication::translate("BoundedFile", text);
}

BoundedRead failure(BoundedRead::Status status, const QString &error)
{
    BoundedRead result;
    result.status = status;
    result.error = error;
    return result;
}

BoundedRead fromErrno(int error)
{
    if (error == ENOENT || error == ENOTDIR)
        return failure(BoundedRead::Missing, tr("The file does not exist."));
    return failure(BoundedRead::Failed, qt_error_string(error));
}

BoundedRead notAFile(const struct stat &info)
{
    return failure(BoundedRead::NotAFile, S_ISDIR(info.st_mode) ? tr("It is a folder, not a file.")
                                                                 : tr("It is not a regular file."));
}

} // namespace

bool IsRegularFile(const QString &path)
{
    struct stat info {};
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

BoundedRead ReadBoundedFile(const QString &path, qint64 limit)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (path.isEmpty() || ::stat(name.constData(), &info) != 0)
        return fromErrno(path.isEmpty() ? ENOENT : errno);
    if (!S_ISREG(info.st_mode))
        return notAFile(info);

    // The name may have been swapped for a FIFO since: open without waiting
    // for a writer, and look again at what was opened.
    const Descriptor file(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0)
        return fromErrno(errno);
    if (::fstat(file.get(), &info) != 0)
        return fromErrno(errno);
    if (!S_ISREG(info.st_mode))
        return notAFile(info);

    const auto tooLarge = [] { return failure(BoundedRead::TooLarge, tr("The file is too large.")); };
    if (info.st_size > limit)
        return tooLarge();
    // The size is only a hint: the file may grow while it is read.
    BoundedRead result;
    result.bytes.resize(qsizetype(info.st_size) + 1);
    qint64 filled = 0;
    for (;;) {
        if (filled == result.bytes.size()) {
            if (filled > limit)
                return tooLarge();
            result.bytes.resize(qsizetype(std::min<qint64>(limit + 1, filled * 2 + 4096)));
        }
        const ssize_t got = ::read(file.get(), result.bytes.data() + filled, size_t(result.bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return fromErrno(errno);
        if (got == 0)
            break;
        filled += got;
    }
    if (filled > limit)
        return tooLarge();
    result.bytes.truncate(qsizetype(filled));
    result.status = BoundedRead::Done;
    return result;
}
