// flash.external.ExternalInterface: the movie's line to the page that
// embeds it. No page embeds this player's movies, so the line is never
// available: calls answer null and no callback can be offered. The text
// helpers the class uses for its messages still work.
#include "BuiltinClass.h"
#include "Builtins.h"

#include <utility>

namespace swf {

namespace {

constexpr int ExternalVersion = 8;

using Replacements = std::initializer_list<std::pair<const char *, const char *>>;

// The argument with each text replaced in turn; null for an empty or
// missing one, as the player's helpers answer.
Value replaced(NativeCall &call, Replacements replacements)
{
    QString text = call.string(0);
    if (text.isEmpty())
        return Null{};
    for (const auto &[from, to] : replacements)
        text.replace(QLatin1String(from), QLatin1String(to));
    return text;
}

// Ampersands go first on the way in and last on the way out, so that no
// escape is escaped or unescaped twice.
Value escapeXML(NativeCall &call)
{
    return replaced(call, {{"&", "&amp;"}, {"\"", "&quot;"}, {"'", "&apos;"}, {"<", "&lt;"}, {">", "&gt;"}});
}

Value unescapeXML(NativeCall &call)
{
    return replaced(call, {{"&quot;", "\""}, {"&apos;", "'"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}});
}

// Quotes and line breaks escaped for a JavaScript string; backslashes stay.
Value jsQuoteString(NativeCall &call) { return replaced(call, {{"\"", "\\\""}, {"\n", "\\n"}, {"\r", "\\r"}}); }

Value unavailable(NativeCall &) { return false; }
Value noAnswer(NativeCall &) { return Null{}; }
Value construct(NativeCall &call) { return call.construct ? call.self : Value(Undefined{}); }

} // namespace

const ClassDecl ExternalInterfaceClass{
    "flash.external.ExternalInterface",
    construct,
    {},
    {{"call", noAnswer},
     {"addCallback", unavailable},
     {"_escapeXML", escapeXML},
     {"_unescapeXML", unescapeXML},
     {"_jsQuoteString", jsQuoteString}},
    {},
    ExternalVersion,
    BuiltinFlags,
    BuiltinFlags,
    {{"available", unavailable}},
};

} // namespace swf
