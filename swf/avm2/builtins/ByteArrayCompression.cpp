// ByteArray's compress and uncompress: zlib, raw deflate and LZMA in the
// player's layout (the coder's five property bytes, the length in eight
// bytes, then the stream).
#include "swf/Decompress.h"
#include "swf/avm2/builtins/ByteArrayMethods.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>

namespace swf::avm2 {

namespace {

constexpr int DecompressError = 2058;
constexpr int ZlibWindow = 15; // negative for raw deflate
constexpr int Chunk = 64 * 1024;
constexpr int LzmaPropertyBytes = 5;
constexpr int LzmaLengthBytes = 8;
constexpr int BitsPerByte = 8;

enum class Algorithm { Zlib, Deflate, Lzma };

Algorithm algorithmOf(Runtime &rt, const Value &v)
{
    const QString name = v.isNullish() ? QStringLiteral("zlib") : rt.toString(v);
    if (name == QLatin1String("deflate"))
        return Algorithm::Deflate;
    if (name == QLatin1String("lzma"))
        return Algorithm::Lzma;
    if (name != QLatin1String("zlib"))
        rt.throwError(ErrorType::ArgumentError, 2008, QStringList{QStringLiteral("algorithm")});
    return Algorithm::Zlib;
}

QByteArray deflateBytes(const QByteArray &data, bool raw)
{
    z_stream stream = {};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, raw ? -ZlibWindow : ZlibWindow, BitsPerByte,
                     Z_DEFAULT_STRATEGY) != Z_OK)
        return QByteArray();
    QByteArray out(int(deflateBound(&stream, uLong(data.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.truncate(int(stream.total_out));
    deflateEnd(&stream);
    return out;
}

// Inflates, or false when the stream is damaged or ends early.
bool inflateBytes(const QByteArray &data, bool raw, QByteArray &out)
{
    z_stream stream = {};
    if (inflateInit2(&stream, raw ? -ZlibWindow : ZlibWindow) != Z_OK)
        return false;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    int result = Z_OK;
    while (result == Z_OK && out.size() < qsizetype(ByteArrayObject::MaxLength)) {
        const qsizetype before = out.size();
        out.resize(before + Chunk);
        stream.next_out = reinterpret_cast<Bytef *>(out.data() + before);
        stream.avail_out = uInt(Chunk);
        result = inflate(&stream, Z_NO_FLUSH);
        out.resize(before + (Chunk - qsizetype(stream.avail_out)));
        if (result == Z_BUF_ERROR && stream.avail_in == 0)
            break;
    }
    inflateEnd(&stream);
    return result == Z_STREAM_END;
}

QByteArray lzmaBytes(const QByteArray &data)
{
    lzma_options_lzma options;
    if (lzma_lzma_preset(&options, LZMA_PRESET_DEFAULT))
        return QByteArray();
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    QByteArray out(LzmaPropertyBytes + LzmaLengthBytes, '\0');
    if (lzma_properties_encode(&filters[0], reinterpret_cast<uint8_t *>(out.data())) != LZMA_OK)
        return QByteArray();
    for (int i = 0; i < LzmaLengthBytes; ++i)
        out[LzmaPropertyBytes + i] = char((uint64_t(data.size()) >> (BitsPerByte * i)) & 0xFF);
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_raw_encoder(&stream, filters) != LZMA_OK)
        return QByteArray();
    stream.next_in = reinterpret_cast<const uint8_t *>(data.constData());
    stream.avail_in = size_t(data.size());
    lzma_ret result = LZMA_OK;
    while (result == LZMA_OK) {
        const qsizetype before = out.size();
        out.resize(before + Chunk);
        stream.next_out = reinterpret_cast<uint8_t *>(out.data() + before);
        stream.avail_out = size_t(Chunk);
        result = lzma_code(&stream, LZMA_FINISH);
        out.resize(before + (Chunk - qsizetype(stream.avail_out)));
    }
    lzma_end(&stream);
    return out;
}

bool unlzmaBytes(const QByteArray &data, QByteArray &out)
{
    if (data.size() < LzmaPropertyBytes + LzmaLengthBytes)
        return false;
    uint64_t length = 0;
    for (int i = LzmaLengthBytes - 1; i >= 0; --i)
        length = (length << BitsPerByte) | uint8_t(data[LzmaPropertyBytes + i]);
    if (length > ByteArrayObject::MaxLength)
        return false;
    out = DecodeLzma(data.left(LzmaPropertyBytes), data.mid(LzmaPropertyBytes + LzmaLengthBytes), int(length));
    return uint64_t(out.size()) == length;
}

Value compressWith(Runtime &rt, const Value &self, Algorithm algorithm)
{
    ByteArrayObject *array = ThisByteArray(rt, self);
    if (array->bytes.isEmpty())
        return Value();
    array->bytes = algorithm == Algorithm::Lzma ? lzmaBytes(array->bytes)
                                                : deflateBytes(array->bytes, algorithm == Algorithm::Deflate);
    array->position = array->length();
    return Value();
}

Value uncompressWith(Runtime &rt, const Value &self, Algorithm algorithm)
{
    ByteArrayObject *array = ThisByteArray(rt, self);
    if (array->bytes.isEmpty())
        return Value();
    QByteArray out;
    const bool ok = algorithm == Algorithm::Lzma ? unlzmaBytes(array->bytes, out)
                                                 : inflateBytes(array->bytes, algorithm == Algorithm::Deflate, out);
    if (!ok)
        rt.throwError(ErrorType::IOError, DecompressError, QStringList{});
    array->bytes = out;
    array->position = 0;
    return Value();
}

} // namespace

Value ByteArrayCompress(Runtime &rt, const Value &self, Args args) { return compressWith(rt, self, algorithmOf(rt, args[0])); }
Value ByteArrayUncompress(Runtime &rt, const Value &self, Args args)
{
    return uncompressWith(rt, self, algorithmOf(rt, args[0]));
}
Value ByteArrayDeflate(Runtime &rt, const Value &self, Args) { return compressWith(rt, self, Algorithm::Deflate); }
Value ByteArrayInflate(Runtime &rt, const Value &self, Args) { return uncompressWith(rt, self, Algorithm::Deflate); }

} // namespace swf::avm2
