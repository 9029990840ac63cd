#include "swf/avm2/XmlEscape.h"

#include "swf/avm2/Runtime.h"

namespace swf::avm2 {

QString EscapeXmlText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '&': out += QLatin1String("&amp;"); break;
        default: out += c;
        }
    }
    return out;
}

QString EscapeXmlAttributeValue(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case '"': out += QLatin1String("&quot;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '&': out += QLatin1String("&amp;"); break;
        case '\n': out += QLatin1String("&#xA;"); break;
        case '\r': out += QLatin1String("&#xD;"); break;
        case '\t': out += QLatin1String("&#x9;"); break;
        default: out += c;
        }
    }
    return out;
}

QString EscapeXmlElementValue(Runtime &rt, const Value &v)
{
    if (rt.typeOf(v) == QLatin1String("xml"))
        return rt.toString(rt.callProperty(v, rt.publicName(QStringLiteral("toXMLString")), Args{}));
    return EscapeXmlText(rt.toString(v));
}

} // namespace swf::avm2
