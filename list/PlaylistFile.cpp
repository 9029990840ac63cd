#include "PlaylistFile.h"

#include "platform/BoundedFile.h"
#include "platform/TextLines.h"

#include <QFileInfo>
#include <QSaveFile>

#include <utility>

QStringList SplitPlaylistText(const QString &text)
{
    return SplitLines(text);
}

const QString UndecodableNameReason =
    QStringLiteral("Its name is not valid UTF-8, so a playlist cannot keep it exactly.");

QString UnkeepableNameReason(const QString &path)
{
    if (path.contains(u'\n') || path.contains(u'\r'))
        return QStringLiteral("Its name holds a line break, which a playlist file cannot keep.");
    // Bytes that are not UTF-8 come out of decoding as U+FFFD; such a name no
    // longer leads to its file. A real U+FFFD in a name does.
    if (path.contains(QChar::ReplacementCharacter) && !QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return UndecodableNameReason;
    return QString();
}

std::optional<QByteArray> ReadPlaylistBytes(const QString &fileName, QString *error)
{
    BoundedRead file = ReadBoundedFile(fileName, MaxPlaylistFileSize);
    if (!file.ok()) {
        if (error)
            *error = file.status == BoundedRead::TooLarge ? QStringLiteral("The file is too large to be a playlist.")
                                                          : file.error;
        return std::nullopt;
    }
    return std::move(file.bytes);
}

std::optional<QStringList> ReadPlaylistFile(const QString &fileName, QString *error)
{
    const std::optional<QByteArray> bytes = ReadPlaylistBytes(fileName, error);
    if (!bytes)
        return std::nullopt;
    return ParsePlaylistBytes(*bytes);
}

QStringList ParsePlaylistBytes(QByteArray bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    return SplitPlaylistText(QString::fromUtf8(bytes));
}

bool WritePlaylistFile(const QString &fileName, const QStringList &entries, QString *error)
{
    // Never replace what is not a playlist: a link to a device or a FIFO
    // stays as it is.
    if (QFileInfo::exists(fileName) && !IsRegularFile(fileName)) {
        if (error)
            *error = QStringLiteral("It is not a regular file.");
        return false;
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QByteArray bytes;
    for (const QString &entry : entries) {
        bytes += entry.toUtf8();
        bytes += "\r\n";
    }
    file.write(bytes);
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
