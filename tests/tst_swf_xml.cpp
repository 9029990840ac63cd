// XML, XMLNode and XMLSocket as movies see them: each case is a frame
// script in assembly, the movie's version, and what its traces print.
#include "ScriptCases.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace ScriptCases;

namespace {

// Pushes what OBJECT.METHOD(ARGS) answers, OBJECT a dotted path.
QString call(const QString &object, const QString &method, const QStringList &args = {})
{
    return pushArguments(args) + QStringLiteral("\n") + path(object) +
           QStringLiteral("push \"%1\"\ncallmethod\n").arg(method);
}

// The same with arguments that ASSEMBLY pushes, the last first.
QString callPushed(const QString &object, const QString &method, const QString &assembly, int count)
{
    return assembly + QStringLiteral("push %1\n").arg(count) + path(object) +
           QStringLiteral("push \"%1\"\ncallmethod\n").arg(method);
}

QString traceMethod(const QString &object, const QString &method, const QStringList &args = {})
{
    return call(object, method, args) + QStringLiteral("trace\n");
}

// o = {}; o.toString = function () { return ANSWER; }.
QString objectAnswering(const QString &answer)
{
    return newObject(QStringLiteral("o"), QStringLiteral("Object")) +
           setMember(QStringLiteral("o"), QStringLiteral("toString"),
                     QStringLiteral("function ()\npush %1\nreturn\nend").arg(answer));
}

} // namespace

class SwfXmlTest : public QObject {
    Q_OBJECT
private slots:
    void parsing_data();
    void parsing() { runCase(); }
    void nodes_data();
    void nodes() { runCase(); }
    void documents_data();
    void documents() { runCase(); }

private:
    void runCase() { run(m_dir.path()); }
    QTemporaryDir m_dir;
};

void SwfXmlTest::parsing_data()
{
    addColumns();
    // Each text and the status the reference player gives it.
    const std::pair<const char *, const char *> statuses[] = {
        {"<a><b/></a>", "0"},        {"<a><![CDATA[x</a>", "-2"}, {"<?xml version", "-3"},
        {"<!DOCTYPE a", "-4"},       {"<a><!-- x</a>", "-5"},     {"<a b>", "-6"},
        {"<a b='c>", "-8"},          {"<a><b></a>", "-9"},        {"<a></b>", "-10"},
        {"<a></a></a>", "-10"},      {"<a", "-6"},
    };
    QString source;
    QStringList printed;
    for (const auto &[text, status] : statuses) {
        source += newObject(QStringLiteral("x"), QStringLiteral("XML"), {QStringLiteral("\"%1\"").arg(text)}) +
                  tracePath(QStringLiteral("x.status"));
        printed << QLatin1String(status);
    }
    QTest::newRow("the status of each fault") << 6 << source << printed;

    QTest::newRow("a fault keeps what was read before it")
        << 6
        << newObject(QStringLiteral("x"), QStringLiteral("XML"), {QStringLiteral("\"<a>t<b/><c>\"")}) +
               tracePath(QStringLiteral("x")) + tracePath(QStringLiteral("x.status"))
        << QStringList{"<a>t<b /><c /></a>", "-9"};

    QTest::newRow("ignoreWhite drops text of white space alone")
        << 6
        << newObject(QStringLiteral("x"), QStringLiteral("XML")) +
               call(QStringLiteral("x"), QStringLiteral("parseXML"), {QStringLiteral("\"<a> <b/> c </a>\"")}) +
               "pop\n" + tracePath(QStringLiteral("x.firstChild.childNodes.length")) +
               setMember(QStringLiteral("x"), QStringLiteral("ignoreWhite"), QStringLiteral("push true")) +
               call(QStringLiteral("x"), QStringLiteral("parseXML"), {QStringLiteral("\"<a> <b/> c </a>\"")}) +
               "pop\n" + tracePath(QStringLiteral("x.firstChild.childNodes.length")) + tracePath(QStringLiteral("x"))
        << QStringList{"3", "2", "<a><b /> c </a>"};

    QTest::newRow("entities: the five are read, others stay, all are written back")
        << 6
        << newObject(QStringLiteral("x"), QStringLiteral("XML"),
                     {QStringLiteral("\"<a t='&lt;&quot;'>&amp;&gt; &foo; &apos;<![CDATA[<&>]]></a>\"")}) +
               tracePath(QStringLiteral("x.firstChild.attributes.t")) +
               tracePath(QStringLiteral("x.firstChild.firstChild.nodeValue")) + tracePath(QStringLiteral("x"))
        << QStringList{"<\"", "&> &foo; '", "<a t=\"&lt;&quot;\">&amp;&gt; &amp;foo; &apos;&lt;&amp;&gt;</a>"};

    QTest::newRow("declarations are kept apart and written first")
        << 6
        << newObject(QStringLiteral("x"), QStringLiteral("XML"),
                     {QStringLiteral("\"<?xml version='1.0'?><!DOCTYPE a><!-- c --><a/>\"")}) +
               tracePath(QStringLiteral("x.xmlDecl")) + tracePath(QStringLiteral("x.docTypeDecl")) +
               tracePath(QStringLiteral("x.childNodes.length")) + tracePath(QStringLiteral("x"))
        << QStringList{"<?xml version='1.0'?>", "<!DOCTYPE a>", "1", "<?xml version='1.0'?><!DOCTYPE a><a />"};
}

void SwfXmlTest::nodes_data()
{
    addColumns();
    const QString root = newObject(QStringLiteral("r"), QStringLiteral("XMLNode"), {"1", "\"r\""});
    const QString selfAppended = root +
                                 callPushed(QStringLiteral("r"), QStringLiteral("appendChild"), path(QStringLiteral("r")), 1) +
                                 "pop\n" + traceMethod(QStringLiteral("r"), QStringLiteral("hasChildNodes"));
    QTest::newRow("a node appended to itself, before version 8") << 7 << selfAppended << QStringList{"true"};
    QTest::newRow("a node appended to itself, from version 8") << 8 << selfAppended << QStringList{"false"};

    QTest::newRow("a name whose toString answers no string")
        << 6
        << objectAnswering(QStringLiteral("5")) +
               newObject(QStringLiteral("n"), QStringLiteral("XMLNode"), {"1", "\"a\""}) +
               setMember(QStringLiteral("n"), QStringLiteral("nodeName"), QStringLiteral("push \"o\"\ngetvariable")) +
               tracePath(QStringLiteral("n.nodeName")) + objectAnswering(QStringLiteral("\"b\"")) +
               setMember(QStringLiteral("n"), QStringLiteral("nodeName"), QStringLiteral("push \"o\"\ngetvariable")) +
               tracePath(QStringLiteral("n.nodeName")) +
               setMember(QStringLiteral("n"), QStringLiteral("nodeName"), QStringLiteral("push undefined")) +
               tracePath(QStringLiteral("n.nodeName"))
        << QStringList{"[type Object]", "b", "b"};

    QTest::newRow("links, removal and insertion")
        << 6
        << newObject(QStringLiteral("x"), QStringLiteral("XML"), {"\"<a><b/><c/><d/></a>\""}) +
               tracePath(QStringLiteral("x.firstChild.firstChild.nextSibling.nodeName")) +
               tracePath(QStringLiteral("x.firstChild.lastChild.previousSibling.nodeName")) +
               tracePath(QStringLiteral("x.firstChild.firstChild.previousSibling")) +
               call(QStringLiteral("x.firstChild.childNodes.1"), QStringLiteral("removeNode")) + "pop\n" +
               tracePath(QStringLiteral("x")) +
               callPushed(QStringLiteral("x.firstChild"), QStringLiteral("insertBefore"),
                          path(QStringLiteral("x.firstChild.firstChild")) + path(QStringLiteral("x.firstChild.lastChild")),
                          2) +
               "pop\n" +
               tracePath(QStringLiteral("x")) + tracePath(QStringLiteral("x.firstChild.firstChild.parentNode.nodeName"))
        << QStringList{"c", "c", "null", "<a><b /><d /></a>", "<a><d /><b /></a>", "a"};

    QTest::newRow("cloneNode, deep and shallow")
        << 6
        << newObject(QStringLiteral("x"), QStringLiteral("XML"), {"\"<a k='v'><b>t</b></a>\""}) +
               traceMethod(QStringLiteral("x.firstChild"), QStringLiteral("cloneNode"), {"true"}) +
               traceMethod(QStringLiteral("x.firstChild"), QStringLiteral("cloneNode"), {"false"}) +
               call(QStringLiteral("x.firstChild"), QStringLiteral("cloneNode"), {"true"}) +
               "push \"parentNode\"\ngetmember\ntrace\n"
        << QStringList{"<a k=\"v\"><b>t</b></a>", "<a k=\"v\" />", "null"};

    QTest::newRow("namespaces are found up the tree")
        << 6
        << newObject(QStringLiteral("x"), QStringLiteral("XML"), {"\"<a xmlns='d' xmlns:p='u'><p:b/><c/></a>\""}) +
               tracePath(QStringLiteral("x.firstChild.firstChild.prefix")) +
               tracePath(QStringLiteral("x.firstChild.firstChild.localName")) +
               tracePath(QStringLiteral("x.firstChild.firstChild.namespaceURI")) +
               tracePath(QStringLiteral("x.firstChild.lastChild.namespaceURI")) +
               traceMethod(QStringLiteral("x.firstChild.lastChild"), QStringLiteral("getPrefixForNamespace"), {"\"u\""}) +
               traceMethod(QStringLiteral("x.firstChild.lastChild"), QStringLiteral("getNamespaceForPrefix"), {"\"p\""}) +
               traceMethod(QStringLiteral("x.firstChild.lastChild"), QStringLiteral("getNamespaceForPrefix"), {"\"q\""})
        << QStringList{"p", "b", "u", "d", "p", "u", "null"};
}

void SwfXmlTest::documents_data()
{
    addColumns();
    const QString withId = newObject(QStringLiteral("x"), QStringLiteral("XML"), {"\"<a id='k'><b id='m'/></a>\""});
    QTest::newRow("ids name nodes on the document before version 8")
        << 7 << withId + tracePath(QStringLiteral("x.m.nodeName")) + tracePath(QStringLiteral("x.idMap"))
        << QStringList{"b", "undefined"};
    QTest::newRow("ids name nodes in idMap from version 8")
        << 8 << withId + tracePath(QStringLiteral("x.idMap.k.nodeName")) + tracePath(QStringLiteral("x.m"))
        << QStringList{"a", "undefined"};

    QTest::newRow("fields take text, a flag or a whole number")
        << 6
        << newObject(QStringLiteral("x"), QStringLiteral("XML")) + tracePath(QStringLiteral("x.contentType")) +
               setMember(QStringLiteral("x"), QStringLiteral("status"), QStringLiteral("push \"-7.9\"")) +
               tracePath(QStringLiteral("x.status")) +
               setMember(QStringLiteral("x"), QStringLiteral("ignoreWhite"), QStringLiteral("push \"0\"")) +
               tracePath(QStringLiteral("x.ignoreWhite")) +
               setMember(QStringLiteral("x"), QStringLiteral("ignoreWhite"), QStringLiteral("push undefined")) +
               tracePath(QStringLiteral("x.ignoreWhite")) +
               setMember(QStringLiteral("x"), QStringLiteral("xmlDecl"), QStringLiteral("push 3")) +
               tracePath(QStringLiteral("x"))
        << QStringList{"application/x-www-form-urlencoded", "-7", "false", "false", "3"};

    QTest::newRow("a socket never connects")
        << 6
        << newObject(QStringLiteral("s"), QStringLiteral("XMLSocket")) +
               setMember(QStringLiteral("s"), QStringLiteral("onConnect"),
                         QStringLiteral("function ()\npush \"connected\"\ntrace\nend")) +
               traceMethod(QStringLiteral("s"), QStringLiteral("connect"), {"\"localhost\"", "2000"})
        << QStringList{"false"};
}

QTEST_MAIN(SwfXmlTest)
#include "tst_swf_xml.moc"
