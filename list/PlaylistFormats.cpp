#include "PlaylistFormats.h"

#include "list/PlaylistFile.h"
#include "platform/FileNames.h"
#include "platform/TextLines.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QUrl>
#include <QXmlStreamReader>

#include <algorithm>
#include <map>

namespace {

const QString M3uExtensions[] = {QStringLiteral(".m3u"), QStringLiteral(".m3u8")};
const QString PlsExtension = QStringLiteral(".pls");
const QString XspfExtension = QStringLiteral(".xspf");
constexpr char Utf8Bom[] = "\xEF\xBB\xBF";
// How far into a file its kind is looked for.
constexpr qsizetype SniffBytes = 1024;
// Playlists inside playlists are followed this deep; deeper ones are left out.
constexpr int MaxPlaylistNesting = 16;

QByteArray withoutBom(const QByteArray &bytes)
{
    return bytes.startsWith(Utf8Bom) ? bytes.mid(qsizetype(sizeof(Utf8Bom)) - 1) : bytes;
}

QByteArray firstNonBlankLine(const QByteArray &bytes)
{
    const QByteArray head = withoutBom(bytes.left(SniffBytes));
    for (const QByteArray &line : head.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            return trimmed;
    }
    return QByteArray();
}

bool isM3uName(const QString &extension)
{
    return std::find(std::begin(M3uExtensions), std::end(M3uExtensions), extension) != std::end(M3uExtensions);
}

// Text of a file that may be UTF-8 or, as older M3U files are, Latin-1.
QString decodeText(const QByteArray &bytes)
{
    const QByteArray text = withoutBom(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8(text);
    return utf8.hasError() ? QString::fromLatin1(text) : decoded;
}

bool hasScheme(const QString &text)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    return scheme.match(text).hasMatch();
}

// One entry as a path: file:// URIs decoded, relative paths put under folder,
// other URIs kept as written.
QString resolveEntry(const QString &text, const QString &folder)
{
    if (text.isEmpty())
        return QString();
    if (hasScheme(text)) {
        const QUrl url(text);
        return url.isLocalFile() ? url.toLocalFile() : text;
    }
    if (QDir::isAbsolutePath(text))
        return text;
    return QDir::cleanPath(folder + u'/' + text);
}

QStringList parseM3u(const QByteArray &bytes, const QString &folder)
{
    QStringList entries;
    for (const QString &line : SplitLines(decodeText(bytes))) {
        const QString entry = line.trimmed();
        if (entry.isEmpty() || entry.startsWith(u'#'))
            continue;
        entries.append(resolveEntry(entry, folder));
    }
    return entries;
}

QStringList parsePlsIni(const QByteArray &bytes, const QString &folder)
{
    static const QRegularExpression fileKey(QStringLiteral("^file(\\d{1,9})$"),
                                            QRegularExpression::CaseInsensitiveOption);
    std::map<int, QString> byNumber;
    bool inPlaylist = false;
    for (const QString &line : SplitLines(decodeText(bytes))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u'[')) {
            inPlaylist = trimmed.compare(QLatin1String("[playlist]"), Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype equals = trimmed.indexOf(u'=');
        if (!inPlaylist || equals <= 0)
            continue;
        const QRegularExpressionMatch key = fileKey.match(trimmed.left(equals).trimmed());
        const QString value = trimmed.mid(equals + 1).trimmed();
        if (key.hasMatch() && !value.isEmpty())
            byNumber.emplace(key.captured(1).toInt(), value); // the first of a repeated number counts
    }
    QStringList entries;
    for (const auto &[number, value] : byNumber)
        entries.append(resolveEntry(value, folder));
    return entries;
}

QStringList parseXspf(const QByteArray &bytes, const QString &folder)
{
    const QUrl base = QUrl::fromLocalFile(folder + u'/');
    QStringList entries;
    QXmlStreamReader xml(bytes);
    int trackDepth = 0;
    while (!xml.atEnd() && !xml.hasError()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (xml.name() == QLatin1String("track")) {
                ++trackDepth;
            } else if (trackDepth > 0 && xml.name() == QLatin1String("location")) {
                const QString text = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
                if (text.isEmpty() || xml.hasError()) // a location cut short is no location
                    break;
                const QUrl url = base.resolved(QUrl(text));
                const QString entry = url.isLocalFile() ? url.toLocalFile() : text;
                // A decoded line break could not be kept by the playlist file.
                if (!entry.contains(u'\n') && !entry.contains(u'\r'))
                    entries.append(entry);
            }
            break;
        case QXmlStreamReader::EndElement:
            if (xml.name() == QLatin1String("track") && trackDepth > 0)
                --trackDepth;
            break;
        default: break;
        }
    }
    return entries;
}

struct PlaylistReader {
    QSet<QString> seen;

    // The entries of fileName, nested playlists of other players read in place.
    std::optional<QStringList> read(const QString &fileName, int depth, QString *error)
    {
        seen.insert(QFileInfo(fileName).absoluteFilePath());
        const std::optional<QByteArray> bytes = ReadPlaylistBytes(fileName, error);
        if (!bytes)
            return std::nullopt;
        const PlaylistFormat format = DetectPlaylistFormat(fileName, *bytes);
        const QStringList parsed = ParsePlaylist(format, *bytes, QFileInfo(fileName).absolutePath());
        if (format == PlaylistFormat::Own)
            return parsed;
        QStringList entries;
        for (const QString &entry : parsed) {
            if (!IsPlaylistFileName(entry) || hasScheme(entry)) {
                entries.append(entry);
                continue;
            }
            // A playlist that names itself, or a loop of them, is read once;
            // one that cannot be read is left out with no word.
            if (depth >= MaxPlaylistNesting || seen.contains(QFileInfo(entry).absoluteFilePath()))
                continue;
            if (const std::optional<QStringList> nested = read(entry, depth + 1, nullptr))
                entries.append(*nested);
        }
        return entries;
    }
};

} // namespace

PlaylistFormat DetectPlaylistFormat(const QString &fileName, const QByteArray &bytes)
{
    const QByteArray first = firstNonBlankLine(bytes);
    if (first.compare("[playlist]", Qt::CaseInsensitive) == 0)
        return PlaylistFormat::PlsIni;
    if (first.startsWith("#EXTM3U"))
        return PlaylistFormat::M3u;
    const QByteArray head = bytes.left(SniffBytes);
    if (first.startsWith('<') && head.contains("<playlist") && head.contains("xspf.org/ns/0"))
        return PlaylistFormat::Xspf;
    const QString extension = AsciiLower(FileExtension(fileName));
    if (isM3uName(extension))
        return PlaylistFormat::M3u;
    if (extension == XspfExtension)
        return PlaylistFormat::Xspf;
    return PlaylistFormat::Own;
}

QStringList ParsePlaylist(PlaylistFormat format, const QByteArray &bytes, const QString &folder)
{
    switch (format) {
    case PlaylistFormat::Own: return ParsePlaylistBytes(bytes);
    case PlaylistFormat::M3u: return parseM3u(bytes, folder);
    case PlaylistFormat::PlsIni: return parsePlsIni(bytes, folder);
    case PlaylistFormat::Xspf: return parseXspf(bytes, folder);
    }
    return QStringList();
}

bool IsPlaylistFileName(const QString &name)
{
    const QString extension = AsciiLower(FileExtension(name));
    return isM3uName(extension) || extension == PlsExtension || extension == XspfExtension;
}

std::optional<QStringList> ReadAnyPlaylist(const QString &fileName, QString *error)
{
    PlaylistReader reader;
    return reader.read(fileName, 0, error);
}
