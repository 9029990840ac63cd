// ByteArray's texts: UTF-8 with and without a length, other character sets,
// and the array read as a text.
#include "swf/avm2/builtins/ByteArrayMethods.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace swf::avm2 {

namespace {

constexpr int BadIndex = 2006;
constexpr int LengthBytes = 2;
constexpr uint32_t MaxUtfLength = 0xFFFF;
const QByteArray Utf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");
const QByteArray Utf16BigBom = QByteArrayLiteral("\xFE\xFF");
const QByteArray Utf16LittleBom = QByteArrayLiteral("\xFF\xFE");

// UTF-8 as the player reads it: a leading byte-order mark is skipped, the
// text ends at the first NUL, and a byte that starts no valid sequence
// stands for itself.
QString decodeUtf8(QByteArray data)
{
    if (data.startsWith(Utf8Bom))
        data.remove(0, Utf8Bom.size());
    const qsizetype nul = data.indexOf('\0');
    if (nul >= 0)
        data.truncate(nul);
    QString out;
    out.reserve(data.size());
    const auto *p = reinterpret_cast<const uint8_t *>(data.constData());
    const qsizetype n = data.size();
    for (qsizetype i = 0; i < n;) {
        const uint8_t lead = p[i];
        const int extra = lead >= 0xF0 && lead < 0xF8 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        char32_t code = extra == 3 ? lead & 0x07 : extra == 2 ? lead & 0x0F : lead & 0x1F;
        bool valid = extra > 0 && lead < 0xF8;
        for (int k = 1; valid && k <= extra; ++k) {
            if (i + k >= n || (p[i + k] & 0xC0) != 0x80)
                valid = false;
            else
                code = (code << 6) | (p[i + k] & 0x3F);
        }
        if (!valid || code > 0x10FFFF) {
            out += QChar(lead);
            ++i;
            continue;
        }
        out += QString::fromUcs4(&code, 1);
        i += extra + 1;
    }
    return out;
}

QString readUtf8(Runtime &rt, ByteArrayObject *array, uint32_t length)
{
    return decodeUtf8(array->read(rt, length));
}

QStringConverter::Encoding encodingOf(const QString &charset)
{
    const QString name = charset.toLower();
    if (name == QLatin1String("utf-8") || name == QLatin1String("utf8"))
        return QStringConverter::Utf8;
    if (name == QLatin1String("unicode") || name == QLatin1String("utf-16"))
        return QStringConverter::Utf16LE;
    if (name == QLatin1String("unicodefffe") || name == QLatin1String("utf-16be"))
        return QStringConverter::Utf16BE;
    return QStringConverter::Latin1;
}

} // namespace

Value ByteArrayReadUTF(Runtime &rt, const Value &self, Args)
{
    ByteArrayObject *array = ThisByteArray(rt, self);
    const uint32_t kept = array->position;
    const auto length = uint32_t(array->readOrdered(rt, LengthBytes));
    if (length > array->available()) {
        array->position = kept;
        array->read(rt, length + LengthBytes); // throws EOFError
    }
    return Value(readUtf8(rt, array, length));
}

Value ByteArrayReadUTFBytes(Runtime &rt, const Value &self, Args args)
{
    ByteArrayObject *array = ThisByteArray(rt, self);
    return Value(readUtf8(rt, array, rt.toUint(args[0])));
}

Value ByteArrayWriteUTF(Runtime &rt, const Value &self, Args args)
{
    ByteArrayObject *array = ThisByteArray(rt, self);
    const QByteArray text = rt.toString(args[0]).toUtf8();
    if (uint32_t(text.size()) > MaxUtfLength)
        rt.throwError(ErrorType::RangeError, BadIndex, QStringList{});
    array->writeOrdered(rt, uint64_t(text.size()), LengthBytes);
    array->write(rt, text);
    return Value();
}

Value ByteArrayWriteUTFBytes(Runtime &rt, const Value &self, Args args)
{
    ThisByteArray(rt, self)->write(rt, rt.toString(args[0]).toUtf8());
    return Value();
}

Value ByteArrayReadMultiByte(Runtime &rt, const Value &self, Args args)
{
    ByteArrayObject *array = ThisByteArray(rt, self);
    const uint32_t length = rt.toUint(args[0]);
    const QStringConverter::Encoding encoding = encodingOf(rt.toString(args[1]));
    if (encoding == QStringConverter::Utf8)
        return Value(readUtf8(rt, array, length));
    QByteArray data = array->read(rt, length);
    QStringDecoder decoder(encoding);
    QString text = decoder.decode(data);
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    return Value(text);
}

Value ByteArrayWriteMultiByte(Runtime &rt, const Value &self, Args args)
{
    QStringEncoder encoder(encodingOf(rt.toString(args[1])));
    const QByteArray data = encoder.encode(rt.toString(args[0]));
    ThisByteArray(rt, self)->write(rt, data);
    return Value();
}

Value ByteArrayToString(Runtime &rt, const Value &self, Args)
{
    const QByteArray &bytes = ThisByteArray(rt, self)->bytes;
    if (bytes.startsWith(Utf16BigBom) || bytes.startsWith(Utf16LittleBom)) {
        QStringDecoder decoder(bytes.startsWith(Utf16BigBom) ? QStringConverter::Utf16BE : QStringConverter::Utf16LE);
        return Value(QString(decoder.decode(bytes.mid(Utf16BigBom.size()))));
    }
    return Value(decodeUtf8(bytes));
}

} // namespace swf::avm2
