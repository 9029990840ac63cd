// JSON.parse's reader: a recursive descent over the text, nesting bounded.
#include "swf/avm2/builtins/JsonParser.h"

#include "swf/avm2/NumberConversion.h"
#include "swf/avm2/Runtime.h"
#include "swf/avm2/builtins/ArrayObject.h"

namespace swf::avm2 {

namespace {

constexpr int InvalidJsonError = 1132;
// Arrays and objects nested deeper than this are refused, so that hostile
// text cannot exhaust the native stack.
constexpr int MaxNesting = 5000;
constexpr int UnicodeEscapeDigits = 4;
constexpr int HexRadix = 16;

class JsonReader {
public:
    JsonReader(Runtime &rt, const QString &text) : m_rt(rt), m_text(text) {}

    Value document()
    {
        Value value = readValue(0);
        skipSpace();
        if (m_pos != m_text.size())
            fail();
        return value;
    }

private:
    [[noreturn]] void fail() { m_rt.throwError(ErrorType::SyntaxError, InvalidJsonError); }

    bool atEnd() const { return m_pos >= m_text.size(); }
    // 0 at the end, which no token starts with.
    char16_t peek() const { return atEnd() ? 0 : m_text[m_pos].unicode(); }

    void skipSpace()
    {
        while (!atEnd()) {
            const char16_t c = peek();
            if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r')
                return;
            ++m_pos;
        }
    }

    void expect(char16_t c)
    {
        if (peek() != c)
            fail();
        ++m_pos;
    }

    void expectWord(const char *word)
    {
        for (const char *p = word; *p; ++p)
            expect(char16_t(*p));
    }

    Value readValue(int depth)
    {
        skipSpace();
        if (atEnd())
            fail();
        switch (peek()) {
        case u'{': return readObject(depth + 1);
        case u'[': return readArray(depth + 1);
        case u'"': return Value(readString());
        case u't': expectWord("true"); return Value(true);
        case u'f': expectWord("false"); return Value(false);
        case u'n': expectWord("null"); return Value::null();
        default: return readNumber();
        }
    }

    Value readObject(int depth)
    {
        if (depth > MaxNesting)
            fail();
        expect(u'{');
        Object *object = m_rt.newObject();
        skipSpace();
        if (peek() == u'}') {
            ++m_pos;
            return Value(object);
        }
        for (;;) {
            skipSpace();
            if (peek() != u'"')
                fail();
            const QString key = readString();
            skipSpace();
            expect(u':');
            const Value value = readValue(depth);
            m_rt.setProperty(Value(object), m_rt.publicName(key), value);
            skipSpace();
            if (peek() == u'}') {
                ++m_pos;
                return Value(object);
            }
            expect(u',');
        }
    }

    Value readArray(int depth)
    {
        if (depth > MaxNesting)
            fail();
        expect(u'[');
        ArrayObject *array = m_rt.newArray();
        skipSpace();
        if (peek() == u']') {
            ++m_pos;
            return Value(static_cast<Object *>(array));
        }
        for (;;) {
            array->push(readValue(depth));
            skipSpace();
            if (peek() == u']') {
                ++m_pos;
                return Value(static_cast<Object *>(array));
            }
            expect(u',');
        }
    }

    QString readString()
    {
        expect(u'"');
        QString out;
        for (;;) {
            if (atEnd())
                fail();
            const char16_t c = m_text[m_pos++].unicode();
            if (c == u'"')
                return out;
            if (c < u' ')
                fail();
            if (c != u'\\') {
                out += QChar(c);
                continue;
            }
            out += readEscape();
        }
    }

    QChar readEscape()
    {
        if (atEnd())
            fail();
        const char16_t c = m_text[m_pos++].unicode();
        switch (c) {
        case u'"': case u'\\': case u'/': return QChar(c);
        case u'b': return QChar(u'\b');
        case u'f': return QChar(u'\f');
        case u'n': return QChar(u'\n');
        case u'r': return QChar(u'\r');
        case u't': return QChar(u'\t');
        case u'u': return readUnicodeEscape();
        default: fail();
        }
    }

    QChar readUnicodeEscape()
    {
        if (m_pos + UnicodeEscapeDigits > m_text.size())
            fail();
        bool ok = false;
        const uint code = m_text.mid(m_pos, UnicodeEscapeDigits).toUInt(&ok, HexRadix);
        for (int i = 0; i < UnicodeEscapeDigits; ++i)
            if (!isHexDigit(m_text[m_pos + i].unicode()))
                ok = false;
        if (!ok)
            fail();
        m_pos += UnicodeEscapeDigits;
        return QChar(char16_t(code));
    }

    static bool isHexDigit(char16_t c)
    {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    }
    static bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

    int skipDigits()
    {
        const int start = m_pos;
        while (!atEnd() && isDigit(peek()))
            ++m_pos;
        return m_pos - start;
    }

    Value readNumber()
    {
        const int start = m_pos;
        if (peek() == u'-')
            ++m_pos;
        if (peek() == u'0')
            ++m_pos;
        else if (skipDigits() == 0)
            fail();
        if (peek() == u'.') {
            ++m_pos;
            if (skipDigits() == 0)
                fail();
        }
        if ((peek() == u'e' || peek() == u'E')) {
            ++m_pos;
            if (peek() == u'+' || peek() == u'-')
                ++m_pos;
            if (skipDigits() == 0)
                fail();
        }
        return Value::number(ParseFloat(m_text.mid(start, m_pos - start)));
    }

    Runtime &m_rt;
    const QString &m_text;
    int m_pos = 0;
};

} // namespace

Value ParseJson(Runtime &rt, const QString &text) { return JsonReader(rt, text).document(); }

} // namespace swf::avm2
