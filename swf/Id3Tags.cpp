#include "Id3Tags.h"

#include <QStringDecoder>

#include <algorithm>

namespace swf {

namespace {

constexpr int V2HeaderSize = 10;
constexpr int V2FooterFlag = 0x10;
constexpr int V2FooterSize = 10;
constexpr int V2UnsyncFlag = 0x80;
constexpr int V2ExtendedFlag = 0x40;
constexpr int V1Size = 128;
// The most frames one tag gives, however many it declares.
constexpr int MaxFrames = 256;

// The ID3v1 fields: where each starts in the tag, and how long it is.
struct V1Field {
    const char *name;
    int offset;
    int length;
};
constexpr V1Field V1Fields[] = {
    {"songname", 3, 30}, {"artist", 33, 30}, {"album", 63, 30}, {"year", 93, 4}, {"comment", 97, 30}};
// ID3v1.1 keeps a track number in the comment's last byte, after a zero.
constexpr int V1TrackZero = 125;
constexpr int V1Track = 126;
constexpr int V1Genre = 127;

// Text encodings of ID3v2 frames.
enum TextEncoding { Latin1 = 0, Utf16WithBom = 1, Utf16BigEndian = 2, Utf8 = 3 };

// Sizes in the tag's header (and in version 2.4 frames) use seven bits a byte.
quint32 syncSafe(const uchar *p)
{
    quint32 value = 0;
    for (int i = 0; i < 4; ++i)
        value = value << 7 | (p[i] & 0x7f);
    return value;
}

quint32 bigEndian(const uchar *p, int bytes)
{
    quint32 value = 0;
    for (int i = 0; i < bytes; ++i)
        value = value << 8 | p[i];
    return value;
}

// Text up to its terminator (fields are padded with zeros).
QString trimmed(QString text)
{
    const qsizetype end = text.indexOf(QChar(0));
    if (end >= 0)
        text.truncate(end);
    return text;
}

QString decodeText(int encoding, const QByteArray &bytes)
{
    switch (encoding) {
    case Utf16WithBom:
        return trimmed(QStringDecoder(QStringDecoder::Utf16).decode(bytes));
    case Utf16BigEndian:
        return trimmed(QStringDecoder(QStringDecoder::Utf16BE).decode(bytes));
    case Utf8:
        return trimmed(QString::fromUtf8(bytes));
    default:
        return trimmed(QString::fromLatin1(bytes));
    }
}

// A comment frame: encoding, language, a description ended by a
// terminator, then the text.
QString commentText(const QByteArray &body)
{
    constexpr int LanguageLength = 3;
    if (body.size() <= 1 + LanguageLength)
        return {};
    const int encoding = uchar(body[0]);
    const QByteArray rest = body.mid(1 + LanguageLength);
    const bool wide = encoding == Utf16WithBom || encoding == Utf16BigEndian;
    qsizetype end = -1;
    for (qsizetype i = 0; i + (wide ? 1 : 0) < rest.size(); i += wide ? 2 : 1)
        if (rest[i] == 0 && (!wide || rest[i + 1] == 0)) {
            end = i;
            break;
        }
    if (end < 0)
        return {};
    return decodeText(encoding, rest.mid(end + (wide ? 2 : 1)));
}

QByteArray withoutUnsync(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        if (!(bytes[i] == 0 && i > 0 && uchar(bytes[i - 1]) == 0xff))
            out += bytes[i];
    return out;
}

void readV2(const QByteArray &file, Id3Tags &tags)
{
    const qsizetype length = Id3v2Length(file);
    if (length == 0)
        return;
    const auto *head = reinterpret_cast<const uchar *>(file.constData());
    const int major = head[3];
    QByteArray frames = file.mid(V2HeaderSize, length - V2HeaderSize);
    if (head[5] & V2UnsyncFlag)
        frames = withoutUnsync(frames);
    // An extended header comes first: its size counts itself from version 2.4 on.
    if (head[5] & V2ExtendedFlag && major >= 3 && frames.size() >= 4) {
        const auto *size = reinterpret_cast<const uchar *>(frames.constData());
        frames = frames.mid(major == 4 ? qsizetype(syncSafe(size)) : 4 + qsizetype(bigEndian(size, 4)));
    }
    const int idLength = major == 2 ? 3 : 4;
    const int frameHead = major == 2 ? 6 : 10;
    const auto *p = reinterpret_cast<const uchar *>(frames.constData());
    qsizetype at = 0;
    for (int count = 0; count < MaxFrames && at + frameHead <= frames.size() && p[at] != 0; ++count) {
        const QString id = QString::fromLatin1(frames.constData() + at, idLength);
        const quint32 size = major == 2 ? bigEndian(p + at + 3, 3)
                             : major == 4 ? syncSafe(p + at + 4)
                                          : bigEndian(p + at + 4, 4);
        if (size > quint64(frames.size() - at - frameHead))
            return;
        const QByteArray body = frames.mid(at + frameHead, qsizetype(size));
        at += frameHead + qsizetype(size);
        if (body.isEmpty())
            continue;
        if (id.startsWith(u'T'))
            tags.emplace_back(id, decodeText(uchar(body[0]), body.mid(1)));
        else if (id == QLatin1String("COMM") || id == QLatin1String("COM"))
            tags.emplace_back(id, commentText(body));
    }
}

void readV1(const QByteArray &file, Id3Tags &tags)
{
    if (file.size() < V1Size)
        return;
    const QByteArray tag = file.right(V1Size);
    if (!tag.startsWith("TAG"))
        return;
    for (const V1Field &field : V1Fields)
        tags.emplace_back(QString::fromLatin1(field.name),
                          trimmed(QString::fromLatin1(tag.mid(field.offset, field.length))).trimmed());
    if (tag[V1TrackZero] == 0 && tag[V1Track] != 0)
        tags.emplace_back(QStringLiteral("track"), QString::number(uchar(tag[V1Track])));
    tags.emplace_back(QStringLiteral("genre"), QString::number(uchar(tag[V1Genre])));
}

} // namespace

qsizetype Id3v2Length(const QByteArray &file)
{
    if (file.size() < V2HeaderSize || !file.startsWith("ID3"))
        return 0;
    const auto *head = reinterpret_cast<const uchar *>(file.constData());
    const qsizetype footer = head[5] & V2FooterFlag ? V2FooterSize : 0;
    const qsizetype length = V2HeaderSize + qsizetype(syncSafe(head + 6)) + footer;
    return std::min(length, file.size());
}

Id3Tags ReadId3Tags(const QByteArray &file)
{
    Id3Tags tags;
    readV2(file, tags);
    readV1(file, tags);
    return tags;
}

} // namespace swf
