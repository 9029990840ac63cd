// The E4X tree behind ActionScript 3's XML and XMLList: what the Flash
// player's parser makes of a text, what toXMLString() and toString() give
// back, and the errors it raises on bad markup.
#include "swf/avm2/XmlTree.h"

#include <QtTest>

using namespace swf::avm2;

Q_DECLARE_METATYPE(swf::avm2::XmlSettings)

namespace {

XmlSettings Settings(bool prettyPrinting, int indent = 2)
{
    XmlSettings settings;
    settings.prettyPrinting = prettyPrinting;
    settings.prettyIndent = indent;
    return settings;
}

XmlSettings Keeping()
{
    XmlSettings settings;
    settings.ignoreComments = false;
    settings.ignoreProcessingInstructions = false;
    settings.prettyPrinting = false;
    return settings;
}

XmlNodePtr Parse(const QString &text, const XmlSettings &settings = {})
{
    QString error;
    XmlNodePtr node = ParseXml(text, settings, QString(), &error);
    if (!node)
        qWarning() << "parse failed:" << error;
    return node;
}

XmlNameTest Named(const QString &local)
{
    return {QString(), local, true};
}

} // namespace

class TestAvm2Xml : public QObject {
    Q_OBJECT

private slots:
    void toXmlString_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<XmlSettings>("settings");
        QTest::addColumn<QString>("expected");

        const QString employees = QStringLiteral(
            "<employees><employee id=\"1\"><firstname>John</firstname><lastname>Walton</lastname><age>25</age>"
            "</employee></employees>");
        QTest::newRow("flat") << employees << Settings(false) << employees;
        QTest::newRow("pretty, nested") << QStringLiteral("<alpha><bravo>one</bravo><charlie><bravo>two</bravo></charlie></alpha>")
                                        << Settings(true, 4)
                                        << QStringLiteral("<alpha>\n    <bravo>one</bravo>\n    <charlie>\n        <bravo>two</bravo>\n    </charlie>\n</alpha>");
        QTest::newRow("pretty, mixed content")
            << QStringLiteral("<alpha><bravo>one</bravo><charlie>two<bravo/></charlie></alpha>") << Settings(true, 4)
            << QStringLiteral("<alpha>\n    <bravo>one</bravo>\n    <charlie>\n        two\n        <bravo/>\n    </charlie>\n</alpha>");
        QTest::newRow("pretty, default indent") << QStringLiteral("<a><b>x</b></a>") << Settings(true)
                                                << QStringLiteral("<a>\n  <b>x</b>\n</a>");
        QTest::newRow("empty element") << QStringLiteral("<alpha></alpha>") << Settings(true)
                                       << QStringLiteral("<alpha/>");
        QTest::newRow("namespaces after attributes")
            << QStringLiteral("<ns2:table2 foo=\"5\" xmlns=\"http://www.w3schools.com/furniture\" ns2:bar=\"last\" "
                              "xmlns:ns2=\"http://www.macromedia.com/home\"><ns2:name>African Coffee Table</ns2:name>"
                              "<width>80</width></ns2:table2>")
            << Settings(false)
            << QStringLiteral("<ns2:table2 foo=\"5\" ns2:bar=\"last\" xmlns=\"http://www.w3schools.com/furniture\" "
                              "xmlns:ns2=\"http://www.macromedia.com/home\"><ns2:name>African Coffee Table</ns2:name>"
                              "<width>80</width></ns2:table2>");
        QTest::newRow("written prefix kept")
            << QStringLiteral("<abc:a xmlns:abc=\"http://www.zzz.com\"><abc:b xmlns:def=\"http://www.zzz.com\">c</abc:b></abc:a>")
            << Settings(false)
            << QStringLiteral("<abc:a xmlns:abc=\"http://www.zzz.com\"><abc:b xmlns:def=\"http://www.zzz.com\">c</abc:b></abc:a>");
        QTest::newRow("single quotes become double") << QStringLiteral("<x attr='Tom &amp; Jerry'>b</x>") << Settings(false)
                                                     << QStringLiteral("<x attr=\"Tom &amp; Jerry\">b</x>");
        QTest::newRow("attribute escapes") << QStringLiteral("<x a='&#x9;&#xA;&#xD;&quot;&lt;>'>b</x>") << Settings(false)
                                           << QStringLiteral("<x a=\"&#x9;&#xA;&#xD;&quot;&lt;>\">b</x>");
        QTest::newRow("text escapes") << QStringLiteral("<b>&lt;&gt;&amp;&quot;&apos;&#65;&#x42;</b>") << Settings(false)
                                      << QStringLiteral("<b>&lt;&gt;&amp;\"'AB</b>");
        QTest::newRow("cdata kept") << QStringLiteral(" <![CDATA[ < some & > arbirary text ]]>") << Settings(true)
                                    << QStringLiteral("<![CDATA[ < some & > arbirary text ]]>");
        QTest::newRow("cdata in any case") << QStringLiteral("<text><![Cdata[ This <> is some cdata!]]></text>") << Settings(true)
                                           << QStringLiteral("<text><![CDATA[ This <> is some cdata!]]></text>");
        QTest::newRow("declaration dropped") << QStringLiteral("<?xml version=\"1.0\" ?><alpha><bravo>one</bravo></alpha>")
                                             << Settings(false) << QStringLiteral("<alpha><bravo>one</bravo></alpha>");
        QTest::newRow("comments kept") << QStringLiteral("<company><!-- This is Comment --><e/></company>") << Keeping()
                                       << QStringLiteral("<company><!-- This is Comment --><e/></company>");
        QTest::newRow("comments dropped") << QStringLiteral("<company><!-- This is Comment --><e/></company>")
                                          << Settings(false) << QStringLiteral("<company><e/></company>");
        QTest::newRow("instruction value trimmed") << QStringLiteral("<a><?foo              bar?></a>") << Keeping()
                                                   << QStringLiteral("<a><?foo bar?></a>");
        QTest::newRow("whitespace text dropped") << QStringLiteral("<a>\n  <b> x </b>\n</a>") << Settings(false)
                                                 << QStringLiteral("<a><b>x</b></a>");
        QTest::newRow("undeclared default namespace") << QStringLiteral("<a xmlns=\"http://foo\"><b xmlns=\"\">x</b></a>")
                                                      << Settings(false)
                                                      << QStringLiteral("<a xmlns=\"http://foo\"><b xmlns=\"\">x</b></a>");
        QTest::newRow("< and > in an attribute") << QStringLiteral("<x a=\"5 < 3 is false\">5 &lt; 3 is false</x>")
                                                 << Settings(false)
                                                 << QStringLiteral("<x a=\"5 &lt; 3 is false\">5 &lt; 3 is false</x>");
        QTest::newRow("> in text") << QStringLiteral("<x a=\"5 > 3 is true\">5 > 3 is true</x>") << Settings(false)
                                   << QStringLiteral("<x a=\"5 > 3 is true\">5 &gt; 3 is true</x>");
        XmlSettings keepWhitespace = Settings(false);
        keepWhitespace.ignoreWhitespace = false;
        const QString mixed = QStringLiteral("<alpha>one<bravo>two</bravo><charlie/><delta>three<echo>four</echo></delta></alpha>");
        QTest::newRow("mixed, indent 3") << mixed << Settings(true, 3)
                                         << QStringLiteral("<alpha>\n   one\n   <bravo>two</bravo>\n   <charlie/>\n   <delta>\n"
                                                           "      three\n      <echo>four</echo>\n   </delta>\n</alpha>");
        QTest::newRow("mixed, indent 0") << mixed << Settings(true, 0)
                                         << QStringLiteral("<alpha>\none\n<bravo>two</bravo>\n<charlie/>\n<delta>\nthree\n"
                                                           "<echo>four</echo>\n</delta>\n</alpha>");
        QTest::newRow("mixed, flat") << mixed << Settings(false) << mixed;
        QTest::newRow("white space of every kind")
            << QStringLiteral("<alpha> \t\r\n\r\n<bravo> \t\r\n\r\none</bravo> \t\r\n\r\n</alpha>") << Settings(true)
            << QStringLiteral("<alpha>\n  <bravo>one</bravo>\n</alpha>");
        QTest::newRow("white space kept") << QStringLiteral("<alpha> \n\n<bravo> \n\none</bravo> \n\n</alpha>") << keepWhitespace
                                          << QStringLiteral("<alpha> \n\n<bravo> \n\none</bravo> \n\n</alpha>");
        QTest::newRow("bare ampersand") << QStringLiteral("abc & 123") << Settings(true)
                                        << QStringLiteral("abc &amp; 123");
        QTest::newRow("xml prefix never declared")
            << QStringLiteral("<root><text xml:lang=\"en\">ECMAScript for XML</text></root>") << Settings(false)
            << QStringLiteral("<root><text xml:lang=\"en\">ECMAScript for XML</text></root>");
        QTest::newRow("negative indent is flat")
            << QStringLiteral("<XML><TEAM>Giants</TEAM><CITY>San Francisco</CITY></XML>") << Settings(true, -5)
            << QStringLiteral("<XML><TEAM>Giants</TEAM><CITY>San Francisco</CITY></XML>");
        QTest::newRow("indent of one")
            << QStringLiteral("<XML><TEAM>Giants</TEAM><CITY>San Francisco</CITY></XML>") << Settings(true, 1)
            << QStringLiteral("<XML>\n <TEAM>Giants</TEAM>\n <CITY>San Francisco</CITY>\n</XML>");
        QTest::newRow("attributes in pretty output")
            << QStringLiteral("<XML><TEAM attr1=\"attr\" attr2=\"hi\">Giants</TEAM><CITY>SF</CITY></XML>") << Settings(true, 5)
            << QStringLiteral("<XML>\n     <TEAM attr1=\"attr\" attr2=\"hi\">Giants</TEAM>\n     <CITY>SF</CITY>\n</XML>");
        QTest::newRow("white space kept, line ends untouched")
            << QStringLiteral("<a>\r\n<b>tab</b>\r\n</a>") << keepWhitespace << QStringLiteral("<a>\r\n<b>tab</b>\r\n</a>");
        QTest::newRow("text trimmed") << QStringLiteral("<a>\n<b>\n\ntab</b>\n</a>") << Settings(false)
                                      << QStringLiteral("<a><b>tab</b></a>");
        QTest::newRow("attribute spacing") << QStringLiteral("<a><b      attr='1      2'>tab</b></a>") << Settings(false)
                                           << QStringLiteral("<a><b attr=\"1      2\">tab</b></a>");
    }

    void toXmlString()
    {
        QFETCH(QString, text);
        QFETCH(XmlSettings, settings);
        QFETCH(QString, expected);
        const XmlNodePtr node = Parse(text, settings);
        QVERIFY(node);
        QCOMPARE(ToXmlString(*node, settings), expected);
    }

    void toString_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("simple content") << QStringLiteral("<a>A</a>") << QStringLiteral("A");
        QTest::newRow("text only") << QStringLiteral("hello") << QStringLiteral("hello");
        QTest::newRow("cdata text") << QStringLiteral("<t><![CDATA[ This <> is some cdata!]]></t>")
                                    << QStringLiteral(" This <> is some cdata!");
        QTest::newRow("complex content") << QStringLiteral("<a><b>A</b></a>") << QStringLiteral("<a>\n  <b>A</b>\n</a>");
        QTest::newRow("nothing") << QString() << QString();
    }

    void toString()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const XmlNodePtr node = Parse(text);
        QVERIFY(node);
        QCOMPARE(ToString(*node, XmlSettings()), expected);
    }

    void list_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("expected");
        QTest::newRow("three nodes") << QStringLiteral("a<b/>c") << 3 << QStringLiteral("a\n<b/>\nc");
        QTest::newRow("one line each") << QStringLiteral("<a><b>A</b><c>B</c></a><a><b>C</b><c>D</c></a>") << 2
                                       << QStringLiteral("<a><b>A</b><c>B</c></a>\n<a><b>C</b><c>D</c></a>");
        QTest::newRow("target-less instruction passed over")
            << QStringLiteral("<? xm-xsl-param name='Name' value='Value' ?>") << 0 << QString();
    }

    void list()
    {
        QFETCH(QString, text);
        QFETCH(int, length);
        QFETCH(QString, expected);
        QString error;
        const std::optional<XmlNodeList> nodes = ParseXmlList(text, Settings(false), QString(), &error);
        QVERIFY2(nodes, qPrintable(error));
        QCOMPARE(int(nodes->size()), length);
        QCOMPARE(ToXmlString(*nodes, Settings(false)), expected);
    }

    void errors_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QString song = QStringLiteral("<song which='third'><cd>Blue Train</cd>");
        QTest::newRow("unterminated attribute")
            << QStringLiteral("<song which=\"third><cd>Blue Train</cd></song>")
            << QStringLiteral("Error #1095: XML parser failure: Unterminated attribute");
        QTest::newRow("unquoted attribute") << QStringLiteral("<song which=third><cd>Blue Train</cd></song>")
                                            << QStringLiteral("Error #1090: XML parser failure: element is malformed");
        QTest::newRow("unterminated cdata") << QStringLiteral("<s> <![CDATA[ x ]></s>")
                                            << QStringLiteral("Error #1091: XML parser failure: Unterminated CDATA section");
        QTest::newRow("unterminated comment") << QStringLiteral("<!-- Alex Homer's Book List with Linked Schema")
                                              << QStringLiteral("Error #1094: XML parser failure: Unterminated comment");
        QTest::newRow("unterminated doctype") << QStringLiteral("<!DOCTYPE PUBLIST [")
                                              << QStringLiteral("Error #1093: XML parser failure: Unterminated DOCTYPE declaration");
        QTest::newRow("unterminated lower-case declaration")
            << QStringLiteral("<?xml version='1.0'?")
            << QStringLiteral("Error #1092: XML parser failure: Unterminated XML declaration");
        QTest::newRow("unterminated instruction") << QStringLiteral("<a><?pi x</a>")
                                                  << QStringLiteral("Error #1097: XML parser failure: Unterminated processing instruction");
        QTest::newRow("unterminated declaration") << QStringLiteral("<?XML version='1.0'?")
                                                  << QStringLiteral("Error #1092: XML parser failure: Unterminated XML declaration");
        QTest::newRow("unterminated tag")
            << QStringLiteral("<song which='third'><cd>Blue Train<title>Locomotion</title></song>")
            << QStringLiteral("Error #1085: The element type \"cd\" must be terminated by the matching end-tag \"</cd>\".");
        QTest::newRow("mismatched end tag")
            << song + QStringLiteral("</title></song>")
            << QStringLiteral("Error #1085: The element type \"song\" must be terminated by the matching end-tag \"</song>\".");
        QTest::newRow("open at the end")
            << QStringLiteral("<unterminated><terminated>text</terminated>")
            << QStringLiteral("Error #1085: The element type \"unterminated\" must be terminated by the matching end-tag \"</unterminated>\".");
        QTest::newRow("end tag after root") << QStringLiteral("<root><a><b>c</b></a></root></root>")
                                            << QStringLiteral("Error #1088: The markup in the document following the root element must be well-formed.");
        QTest::newRow("two roots") << QStringLiteral("<a>foo</a><b>bar</b>")
                                   << QStringLiteral("Error #1088: The markup in the document following the root element must be well-formed.");
        QTest::newRow("unbound prefix") << QStringLiteral("<ns:x><a>1</a></ns:x>")
                                        << QStringLiteral("Error #1083: The prefix \"ns\" for element \"ns:x\" is not bound.");
        QTest::newRow("unbound inner prefix") << QStringLiteral("<ns:b xmlns:ns=\"http://foo.bar\"><as:a>1</as:a></ns:b>")
                                              << QStringLiteral("Error #1083: The prefix \"as\" for element \"as:a\" is not bound.");
        QTest::newRow("empty prefix") << QStringLiteral("<:x>hi</x>")
                                      << QStringLiteral("Error #1084: Element or attribute (\":x\") do not match QName production: QName::=(NCName':')?NCName");
        QTest::newRow("empty attribute prefix") << QStringLiteral("<x :ns='attr'>hi</x>")
                                                << QStringLiteral("Error #1084: Element or attribute (\":ns\") do not match QName production: QName::=(NCName':')?NCName");
        QTest::newRow("attribute without value") << QStringLiteral("<song><cd name>Blue Train</cd></song>")
                                                 << QStringLiteral("Error #1090: XML parser failure: element is malformed");
        QTest::newRow("too deep") << QStringLiteral("<a>").repeated(kXmlMaxDepth + 1)
                                  << QStringLiteral("Error #1090: XML parser failure: element is malformed");
        QTest::newRow("attribute twice") << QStringLiteral("<god firstname=\"Kibo\" firstname=\"Xibo\"/>")
                                         << QStringLiteral("Error #1104: Attribute \"firstname\" was already specified for element \"god\".");
        QString crowded = QStringLiteral("<a");
        for (int i = 0; i <= kXmlMaxAttributes; ++i)
            crowded += QStringLiteral(" a%1='1'").arg(i);
        QTest::newRow("too many attributes") << crowded + QStringLiteral("/>")
                                             << QStringLiteral("Error #1090: XML parser failure: element is malformed");
        QString bound;
        // Two declarations a level, so the count runs out well before the depth does.
        for (int i = 0; i <= kXmlMaxBindings / 2; ++i)
            bound += QStringLiteral("<a xmlns:p%1='u' xmlns:q%1='u'>").arg(i);
        QTest::newRow("too many bindings") << bound
                                           << QStringLiteral("Error #1090: XML parser failure: element is malformed");
        QTest::newRow("cut tag") << QStringLiteral("<a b='1'")
                                 << QStringLiteral("Error #1096: XML parser failure: Unterminated element");
    }

    void errors()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QString error;
        QVERIFY(!ParseXml(text, XmlSettings(), QString(), &error));
        QCOMPARE(error, expected);
    }

    void oversizeText()
    {
        QString error;
        const QString text = QString(kXmlMaxTextLength + 1, u'a');
        QVERIFY(!ParseXmlList(text, XmlSettings(), QString(), &error));
        QVERIFY(error.startsWith(QStringLiteral("Error #1090")));
        QVERIFY(ParseXmlList(text.left(kXmlMaxTextLength), XmlSettings(), QString(), &error));
    }

    void defaultNamespace()
    {
        QString error;
        const XmlNodePtr node = ParseXml(QStringLiteral("<a><p:b xmlns:p='urn:p'/></a>"), XmlSettings(),
                                         QStringLiteral("urn:d"), &error);
        QVERIFY(node);
        QCOMPARE(node->name.uri, QStringLiteral("urn:d"));
        QCOMPARE(node->children.front()->name.uri, QStringLiteral("urn:p"));
        QCOMPARE(ToXmlString(*node, Settings(false)), QStringLiteral("<a xmlns=\"urn:d\"><p:b xmlns:p=\"urn:p\"/></a>"));
    }

    void subtree_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("defaultNamespace");
        QTest::addColumn<QStringList>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ancestor's prefix declared")
            << QStringLiteral("<Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
                              "soap:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">\n    <Body>\n"
                              "        <stock:GetLastTradePrice xmlns:stock=\"http://mycompany.com/stocks\">\n"
                              "            <stock:symbol>DIS</stock:symbol>\n        </stock:GetLastTradePrice>\n"
                              "    </Body>\n</Envelope>")
            << QStringLiteral("http://schemas.xmlsoap.org/soap/envelope/") << QStringList{QStringLiteral("Body")}
            << QStringLiteral("<soap:Body xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">\n"
                              "    <stock:GetLastTradePrice xmlns:stock=\"http://mycompany.com/stocks\">\n"
                              "        <stock:symbol>DIS</stock:symbol>\n    </stock:GetLastTradePrice>\n</soap:Body>");
        QTest::newRow("every binding in scope, nearest first")
            << QStringLiteral("<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
                              "<m:getLastTradePrice xmlns:m=\"http://mycompany.com/stocks\"><symbol>MYCO</symbol>"
                              "</m:getLastTradePrice></soap:Body></soap:Envelope>")
            << QString()
            << QStringList{QStringLiteral("Body"), QStringLiteral("getLastTradePrice"), QStringLiteral("symbol")}
            << QStringLiteral("<symbol xmlns:m=\"http://mycompany.com/stocks\" "
                              "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">MYCO</symbol>");
    }

    void subtree()
    {
        QFETCH(QString, text);
        QFETCH(QString, defaultNamespace);
        QFETCH(QStringList, path);
        QFETCH(QString, expected);
        QString error;
        const XmlNodePtr root = ParseXml(text, XmlSettings(), defaultNamespace, &error);
        QVERIFY2(root, qPrintable(error));
        XmlNodePtr node = root;
        for (const QString &step : path) {
            const XmlNodeList found = Children(*node, Named(step));
            QCOMPARE(int(found.size()), 1);
            node = found.front();
        }
        QCOMPARE(ToXmlString(*node, Settings(true, 4)), expected);
    }

    // An attribute moved into another namespace, as attribute.setNamespace() does.
    void attributeNamespace_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("uri");
        QTest::addColumn<QString>("bravo");
        QTest::newRow("new prefix") << QStringLiteral("zoo") << QStringLiteral("http://zoo/")
                                    << QStringLiteral("<moo:bravo zoo:attr=\"1\" xmlns:zoo=\"http://zoo/\">one</moo:bravo>");
        QTest::newRow("prefix bound above to another URI")
            << QStringLiteral("moo") << QStringLiteral("http://bar/")
            << QStringLiteral("<moo:bravo moo:attr=\"1\" xmlns:moo=\"http://bar/\">one</moo:bravo>");
        QTest::newRow("URI bound above to another prefix")
            << QStringLiteral("poo") << QStringLiteral("http://moo/")
            << QStringLiteral("<moo:bravo poo:attr=\"1\" xmlns:poo=\"http://moo/\">one</moo:bravo>");
        QTest::newRow("prefix bound above") << QStringLiteral("moo") << QStringLiteral("http://moo/")
                                            << QStringLiteral("<moo:bravo moo:attr=\"1\">one</moo:bravo>");
    }

    void attributeNamespace()
    {
        QFETCH(QString, prefix);
        QFETCH(QString, uri);
        QFETCH(QString, bravo);
        const XmlNodePtr alpha = Parse(QStringLiteral("<moo:alpha xmlns:moo=\"http://moo/\" xmlns:tar=\"http://tar/\">"
                                                      "<moo:bravo attr=\"1\">one</moo:bravo></moo:alpha>"));
        QVERIFY(alpha);
        alpha->children.front()->attributes.front()->name = {uri, QStringLiteral("attr"), prefix, true};
        QCOMPARE(ToXmlString(*alpha, Settings(true, 4)),
                 QStringLiteral("<moo:alpha xmlns:moo=\"http://moo/\" xmlns:tar=\"http://tar/\">\n    ") + bravo +
                     QStringLiteral("\n</moo:alpha>"));
    }

    void renamedIntoNamespace()
    {
        const XmlNodePtr x = Parse(QStringLiteral("<xsl:stylesheet xmlns:xsl=\"http://www.w3.org/TR/xsl\"><xsl:template match=\"/\">"
                                                  "<html>body</html></xsl:template></xsl:stylesheet>"));
        QVERIFY(x);
        SetName(*x, {QStringLiteral("http://xyx.org/xml"), QStringLiteral("stylesheet"), QString(), false});
        QCOMPARE(ToXmlString(*x, Settings(false)),
                 QStringLiteral("<stylesheet xmlns:xsl=\"http://www.w3.org/TR/xsl\" xmlns=\"http://xyx.org/xml\"><xsl:template match=\"/\">"
                                "<html>body</html></xsl:template></stylesheet>"));
    }

    void lookups()
    {
        const XmlNodePtr x = Parse(QStringLiteral("<a x='1'><b>one</b>t<c><b y='2'>two</b></c><!--k--></a>"), Keeping());
        QVERIFY(x);
        QCOMPARE(int(Children(*x, Named(QStringLiteral("b"))).size()), 1);
        QCOMPARE(int(Children(*x, Named(QStringLiteral("*"))).size()), 4);
        QCOMPARE(int(Elements(*x, Named(QStringLiteral("*"))).size()), 2);
        QCOMPARE(int(Descendants(*x, Named(QStringLiteral("b")), false).size()), 2);
        QCOMPARE(int(Descendants(*x, Named(QStringLiteral("*")), true).size()), 2);
        QCOMPARE(int(Descendants(*x, Named(QStringLiteral("y")), true).size()), 1);
        // <b>, "one", "t", <c>, <b>, "two", the comment
        QCOMPARE(int(Descendants(*x, Named(QStringLiteral("*")), false).size()), 7);
        QCOMPARE(int(Texts(*x).size()), 1);
        QCOMPARE(int(Comments(*x).size()), 1);
        QCOMPARE(ChildIndex(*x->children[2]), 2);
        QCOMPARE(ChildIndex(*x), -1);
        QVERIFY(HasComplexContent(*x));
        QVERIFY(HasSimpleContent(*x->children[0]));
    }

    void changes()
    {
        const XmlNodePtr x = Parse(QStringLiteral("<a><b/><c/></a>"));
        QVERIFY(x);
        const XmlNodePtr b = x->children[0];
        QVERIFY(InsertChildAfter(x, b, {MakeElement({QString(), QStringLiteral("d"), QString(), false})}));
        QVERIFY(PrependChild(x, {MakeText(QStringLiteral("t"))}));
        QVERIFY(AppendChild(x, {b}));
        QCOMPARE(ToXmlString(*x, Settings(false)), QStringLiteral("<a>t<d/><c/><b/></a>"));
        QVERIFY(!AppendChild(b, {x}));
        QVERIFY(ReplaceChild(x, 1, {MakeText(QStringLiteral("u"))}));
        Normalize(*x);
        QCOMPARE(ToXmlString(*x, Settings(false)), QStringLiteral("<a>tu<c/><b/></a>"));
        QVERIFY(SetChildren(x, {}));
        QCOMPARE(ToXmlString(*x, Settings(false)), QStringLiteral("<a/>"));
    }

    void normalize()
    {
        XmlSettings settings = Settings(false);
        settings.ignoreWhitespace = false;
        const XmlNodePtr x = Parse(QStringLiteral("<alpha> <bravo> one </bravo> </alpha>"), settings);
        QVERIFY(x);
        QCOMPARE(ToXmlString(*x, settings), QStringLiteral("<alpha> <bravo> one </bravo> </alpha>"));
        Normalize(*x);
        QCOMPARE(ToXmlString(*x, settings), QStringLiteral("<alpha><bravo> one </bravo></alpha>"));

        const XmlNodePtr y = Parse(QStringLiteral("<XML/>"));
        QVERIFY(AppendChild(y, {MakeText(QStringLiteral("zero")), MakeText(QStringLiteral("one")),
                                MakeText(QStringLiteral("two")), Parse(QStringLiteral("<foo>two</foo>"))}));
        Normalize(*y);
        QCOMPARE(ToString(*y, XmlSettings()), QStringLiteral("<XML>\n  zeroonetwo\n  <foo>two</foo>\n</XML>"));
    }

    void equality_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("equal");
        QTest::newRow("same") << QStringLiteral("<alpha>one</alpha>") << QStringLiteral("<alpha>one</alpha>") << true;
        QTest::newRow("attribute value") << QStringLiteral("<alpha attr1=\"value1\">one</alpha>")
                                         << QStringLiteral("<alpha attr1=\"new value\">one</alpha>") << false;
        QTest::newRow("attribute order")
            << QStringLiteral("<alpha attr1=\"value1\" attr2=\"value2\">one<bravo attr3=\"value3\" attr4=\"value4\">two</bravo></alpha>")
            << QStringLiteral("<alpha attr2=\"value2\" attr1=\"value1\">one<bravo attr4=\"value4\" attr3=\"value3\">two</bravo></alpha>")
            << true;
        QTest::newRow("white space") << QStringLiteral("<alpha> <bravo>one</bravo> </alpha>")
                                     << QStringLiteral("<alpha><bravo>one</bravo></alpha>") << true;
        QTest::newRow("prefixes") << QStringLiteral("<ns1:alpha xmlns:ns1=\"http://foo/\"><ns1:bravo>one</ns1:bravo></ns1:alpha>")
                                  << QStringLiteral("<ns2:alpha xmlns:ns2=\"http://foo/\"><ns2:bravo>one</ns2:bravo></ns2:alpha>")
                                  << true;
        QTest::newRow("uris") << QStringLiteral("<ns1:alpha xmlns:ns1=\"http://foo/\"><ns1:bravo>one</ns1:bravo></ns1:alpha>")
                              << QStringLiteral("<ns2:alpha xmlns:ns2=\"http://foo\"><ns2:bravo>one</ns2:bravo></ns2:alpha>")
                              << false;
    }

    void equality()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, equal);
        const XmlNodePtr x = Parse(a);
        const XmlNodePtr y = Parse(b);
        QVERIFY(x && y);
        QCOMPARE(XmlEquals(*x, *y), equal);
    }

    void deepTrees()
    {
        // Built from the bottom up, as a script wrapping a node again and again would.
        constexpr int kChain = 200000;
        XmlNodePtr top = MakeElement({QString(), QStringLiteral("a"), QString(), false});
        const XmlNodePtr bottom = top;
        for (int i = 0; i < kChain; ++i) {
            XmlNodePtr wrapper = MakeElement({QString(), QStringLiteral("a"), QString(), false});
            QVERIFY(AppendChild(wrapper, {top}));
            top = wrapper;
        }
        QVERIFY(!AppendChild(bottom, {top}));
        QVERIFY(!ToXmlString(*top, Settings(false)).isEmpty());
        QVERIFY(!XmlEquals(*top, *DeepCopy(*bottom)));
        top.reset();
    }

    void copiesAndEquality()
    {
        const XmlNodePtr x = Parse(QStringLiteral("<a q='1' r='2'><b>one</b></a>"));
        QVERIFY(x);
        const XmlNodePtr copy = DeepCopy(*x);
        QVERIFY(XmlEquals(*x, *copy));
        QVERIFY(XmlEquals(*x, *Parse(QStringLiteral("<a r='2' q='1'><b>one</b></a>"))));
        copy->children[0]->children[0]->value = QStringLiteral("two");
        QVERIFY(!XmlEquals(*x, *copy));
        QCOMPARE(x->children[0]->children[0]->value, QStringLiteral("one"));
    }

    void namespaces()
    {
        const XmlNodePtr x = Parse(QStringLiteral("<a xmlns:p='urn:p'><b xmlns:q='urn:q'/></a>"));
        QVERIFY(x);
        const XmlNodePtr b = x->children[0];
        QCOMPARE(int(InScopeNamespaces(*b).size()), 2);
        QCOMPARE(int(NamespaceDeclarations(*b).size()), 1);
        AddInScopeNamespace(*b, {QStringLiteral("p"), QStringLiteral("urn:p"), true});
        QCOMPARE(int(NamespaceDeclarations(*b).size()), 1);
        RemoveNamespace(*x, {QString(), QStringLiteral("urn:q"), false});
        QCOMPARE(ToXmlString(*x, Settings(false)), QStringLiteral("<a xmlns:p=\"urn:p\"><b/></a>"));
        SetName(*b, {QStringLiteral("urn:r"), QStringLiteral("c"), QStringLiteral("r"), true});
        QCOMPARE(ToXmlString(*b, Settings(false)), QStringLiteral("<r:c xmlns:p=\"urn:p\" xmlns:r=\"urn:r\"/>"));
    }
};

QTEST_GUILESS_MAIN(TestAvm2Xml)
#include "tst_avm2_xml.moc"
