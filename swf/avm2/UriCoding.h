#pragma once

#include <QString>

namespace swf::avm2 {

// The global URI and escape functions of ActionScript 3. The URI functions
// report a malformed input (a lone surrogate to encode, a bad %-sequence or
// invalid UTF-8 to decode) by setting *ok to false and returning an empty
// string; the caller throws URIError then. ok may be null.

// escape: letters, digits and @-_.*+/ stay; other code units below 256
// become %XX, the rest %uXXXX.
QString Escape(const QString &s);

// unescape: %XX and %uXXXX decoded; any other '%' stays as it is.
QString Unescape(const QString &s);

// encodeURI keeps the URI reserved characters and '#'; encodeURIComponent
// escapes them too. Both write UTF-8 bytes as uppercase %XX.
QString EncodeUri(const QString &s, bool *ok);
QString EncodeUriComponent(const QString &s, bool *ok);

// decodeURI leaves escapes of reserved characters and '#' encoded;
// decodeURIComponent decodes every escape.
QString DecodeUri(const QString &s, bool *ok);
QString DecodeUriComponent(const QString &s, bool *ok);

} // namespace swf::avm2
