#pragma once

#include "swf/avm2/Value.h"

namespace swf::avm2 {

class Runtime;

// E4X's escapes for values placed into literal XML: element text (an XML
// value keeps its markup) and attribute values.
QString EscapeXmlElementValue(Runtime &rt, const Value &v);
QString EscapeXmlAttributeValue(const QString &text);
QString EscapeXmlText(const QString &text);

} // namespace swf::avm2
