#include "Decompress.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>

namespace swf {

QByteArray InflateZlib(const QByteArray &data, int maxSize)
{
    QByteArray out;
    z_stream stream = {};
    if (inflateInit(&stream) != Z_OK)
        return out;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    constexpr int Chunk = 64 * 1024;
    while (out.size() < maxSize) {
        const int grow = std::min<int>(Chunk, maxSize - int(out.size()));
        const qsizetype before = out.size();
        out.resize(before + grow);
        stream.next_out = reinterpret_cast<Bytef *>(out.data() + before);
        stream.avail_out = uInt(grow);
        const int result = inflate(&stream, Z_NO_FLUSH);
        out.resize(before + (grow - int(stream.avail_out)));
        if (result != Z_OK)
            break; // the end, or damage: keep what came out
        if (stream.avail_in == 0 && stream.avail_out != 0)
            break;
    }
    inflateEnd(&stream);
    return out;
}

QByteArray DecodeLzma(const QByteArray &properties, const QByteArray &data, int maxSize)
{
    QByteArray out;
    lzma_filter filters[2];
    filters[0].id = LZMA_FILTER_LZMA1;
    filters[0].options = nullptr;
    filters[1].id = LZMA_VLI_UNKNOWN;
    if (properties.size() < 5 ||
        lzma_properties_decode(&filters[0], nullptr, reinterpret_cast<const uint8_t *>(properties.constData()), 5) !=
            LZMA_OK)
        return out;
    // A dictionary larger than the output is never needed; the header's own
    // size is not trusted, as it could ask for gigabytes.
    auto *options = static_cast<lzma_options_lzma *>(filters[0].options);
    options->dict_size = std::clamp<uint32_t>(options->dict_size, LZMA_DICT_SIZE_MIN, uint32_t(std::max(maxSize, 4096)));
    lzma_stream stream = LZMA_STREAM_INIT;
    const bool ready = lzma_raw_decoder(&stream, filters) == LZMA_OK;
    free(filters[0].options);
    if (!ready)
        return out;
    stream.next_in = reinterpret_cast<const uint8_t *>(data.constData());
    stream.avail_in = size_t(data.size());
    constexpr int Chunk = 64 * 1024;
    while (out.size() < maxSize) {
        const int grow = std::min<int>(Chunk, maxSize - int(out.size()));
        const qsizetype before = out.size();
        out.resize(before + grow);
        stream.next_out = reinterpret_cast<uint8_t *>(out.data() + before);
        stream.avail_out = size_t(grow);
        const lzma_ret result = lzma_code(&stream, LZMA_RUN);
        out.resize(before + (grow - qsizetype(stream.avail_out)));
        if (result != LZMA_OK)
            break;
        if (stream.avail_in == 0 && stream.avail_out != 0)
            break;
    }
    lzma_end(&stream);
    return out;
}

} // namespace swf
