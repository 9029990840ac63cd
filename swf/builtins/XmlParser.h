#pragma once

#include <QString>

#include <utility>
#include <vector>

namespace swf {

// What parsing an XML text came to, as the reference player's XML.status
// numbers it: 0, or the first fault met, where parsing stopped.
enum XmlStatus {
    XmlOk = 0,
    XmlCdataOpen = -2,       // <![CDATA[ without ]]>
    XmlDeclarationOpen = -3, // <? without ?>
    XmlDocTypeOpen = -4,     // <! without >
    XmlCommentOpen = -5,     // <!-- without -->
    XmlMalformed = -6,       // a tag that is not one
    XmlOutOfMemory = -7,     // the sink could take no more
    XmlAttributeOpen = -8,   // a quoted value without its closing quote
    XmlElementOpen = -9,     // a start tag whose end tag never came
    XmlEndWithoutStart = -10 // an end tag no open element matches
};

using XmlAttributes = std::vector<std::pair<QString, QString>>;

// Receives what the parser reads, in document order, entities decoded.
// Each call answers false when the sink can take no more.
class XmlSink {
public:
    virtual ~XmlSink() = default;
    virtual bool declaration(const QString &text) = 0; // <?...?>, whole
    virtual bool docType(const QString &text) = 0;     // <!DOCTYPE ...>, whole
    virtual bool text(const QString &text) = 0;
    // An element's start; `empty` when it closed itself (<a/>), and no end follows.
    virtual bool startElement(const QString &name, const XmlAttributes &attributes, bool empty) = 0;
    virtual bool endElement() = 0;
};

// Reads source once from start to end, handing what it finds to the sink;
// with ignoreWhite, text of white space alone is dropped. Comments are
// passed over. Answers the status.
XmlStatus ParseXml(const QString &source, bool ignoreWhite, XmlSink &sink);

// Text as element content or attribute value: & < > " ' as entities.
QString EscapeXml(const QString &text);

} // namespace swf
