#include "FolderListing.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// Closes the folder however the listing ends.
class FolderHandle {
public:
    explicit FolderHandle(const QByteArray &path) : m_dir(::opendir(path.constData())) {}
    ~FolderHandle()
    {
        if (m_dir)
            ::closedir(m_dir);
    }
    FolderHandle(const FolderHandle &) = delete;
    FolderHandle &operator=(const FolderHandle &) = delete;
    DIR *get() const { return m_dir; }

private:
    DIR *m_dir;
};

bool isFolder(DIR *dir, const dirent *entry)
{
    if (entry->d_type == DT_DIR)
        return true;
    if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
        return false;
    struct stat info {};
    return ::fstatat(::dirfd(dir), entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

FolderListing ListFolderFiles(const QString &folder)
{
    FolderListing listing;
    const FolderHandle dir(QFile::encodeName(folder));
    if (!dir.get())
        return listing;
    while (const dirent *entry = ::readdir(dir.get())) {
        if (isFolder(dir.get(), entry))
            continue;
        const QByteArray raw(entry->d_name);
        const QString name = QFile::decodeName(raw);
        if (QFile::encodeName(name) == raw)
            listing.names.append(name);
        else
            listing.undecodable.append(name);
    }
    return listing;
}
