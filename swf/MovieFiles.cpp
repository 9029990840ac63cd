#include "MovieFiles.h"

#include "platform/BoundedFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace swf {

namespace {

// A scheme is letters (then letters, digits, + - .) before a colon; one
// letter alone is not taken as one, so that nothing is read as a drive.
bool hasScheme(const QString &url, QString *scheme)
{
    const qsizetype colon = url.indexOf(u':');
    if (colon < 1)
        return false;
    for (qsizetype i = 0; i < colon; ++i) {
        const QChar c = url[i];
        const bool allowed = c.isLetter() || (i > 0 && (c.isDigit() || c == u'+' || c == u'-' || c == u'.'));
        if (!allowed || c.unicode() > 0x7F)
            return false;
    }
    *scheme = url.left(colon).toLower();
    return true;
}

// The local path url names, or nothing for addresses that are not files.
std::optional<QString> localPath(const QString &url)
{
    QString scheme;
    if (!hasScheme(url, &scheme))
        return url;
    if (scheme != QLatin1String("file"))
        return std::nullopt;
    const QUrl parsed(url);
    if (!parsed.isValid() || !parsed.isLocalFile())
        return std::nullopt;
    return parsed.toLocalFile();
}

// What a URL asks for beyond the file: a query and a fragment are no part of its name.
QString withoutQuery(const QString &url)
{
    const qsizetype end = url.indexOf(QRegularExpression(QStringLiteral("[?#]")));
    return end < 0 ? url : url.left(end);
}

} // namespace

std::optional<QString> MovieFilePath(const QString &folder, const QString &url)
{
    const QString root = QFileInfo(folder).canonicalFilePath();
    if (root.isEmpty() || url.isEmpty() || url.contains(QChar(0)))
        return std::nullopt;
    const std::optional<QString> path = localPath(withoutQuery(url));
    if (!path || path->isEmpty())
        return std::nullopt;
    const QString joined = QDir::isAbsolutePath(*path) ? *path : root + u'/' + *path;
    const QString canonical = QFileInfo(joined).canonicalFilePath();
    if (canonical.isEmpty() || !canonical.startsWith(root + u'/'))
        return std::nullopt;
    return canonical;
}

MovieFile ReadMovieFile(const QString &folder, const QString &url)
{
    QString scheme;
    const bool local = !hasScheme(url, &scheme) || scheme == QLatin1String("file");
    const std::optional<QString> path = MovieFilePath(folder, url);
    if (!path)
        return {local ? MovieFile::Unreadable : MovieFile::Refused, {}};
    BoundedRead file = ReadBoundedFile(*path, MaxMovieFileSize);
    if (!file.ok())
        return {MovieFile::Unreadable, {}};
    return {MovieFile::Read, std::move(file.bytes)};
}

} // namespace swf
