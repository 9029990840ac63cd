// ActionScript 3's XML and XMLList values as scripts use them: names as
// children and attributes, assignments, equality, + and the methods that
// need a list of one.
#include "swf/avm2/Runtime.h"

#include <QtTest>

using namespace swf::avm2;

namespace {

Value Xml(Runtime &rt, const QString &text)
{
    const Value arg(text);
    return rt.construct(Value(static_cast<Object *>(rt.builtin("XML"))), Args{&arg, 1});
}

Multiname Name(Runtime &rt, const QString &name, bool attribute)
{
    Multiname m = rt.publicName(name);
    m.attribute = attribute;
    return m;
}

Value CallAs3(Runtime &rt, const Value &object, const char *method, Args args = {})
{
    Multiname m;
    m.name = QString::fromLatin1(method);
    m.namespaces.push_back(rt.namespaces.as3());
    return rt.callProperty(object, m, args);
}

} // namespace

class TestAvm2E4x : public QObject {
    Q_OBJECT

private slots:
    void read_data()
    {
        QTest::addColumn<QString>("xml");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("attribute");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one child") << "<a><b>1</b></a>" << "b" << false << "1";
        QTest::newRow("two children") << "<a><b>1</b><b>2</b></a>" << "b" << false << "<b>1</b>\n<b>2</b>";
        QTest::newRow("no child") << "<a><b>1</b></a>" << "c" << false << "";
        QTest::newRow("attribute") << "<a id='3'/>" << "id" << true << "3";
        QTest::newRow("namespaced child is not unqualified") << "<a xmlns:p='u'><p:b>1</p:b></a>" << "b" << false << "";
        QTest::newRow("a method's name is a child") << "<a><name>n</name></a>" << "name" << false << "n";
    }
    void read()
    {
        QFETCH(QString, xml);
        QFETCH(QString, name);
        QFETCH(bool, attribute);
        QFETCH(QString, expected);
        Runtime rt;
        const Value x = Xml(rt, xml);
        QCOMPARE(rt.toString(rt.getProperty(x, Name(rt, name, attribute))), expected);
    }

    void assign_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("attribute");
        QTest::addColumn<QString>("expected");
        const QString b = QStringLiteral("<a><b>1</b></a>");
        QTest::newRow("new child") << b << "c" << false << "<a><b>1</b><c>v</c></a>";
        QTest::newRow("replaced child") << b << "b" << false << "<a><b>v</b></a>";
        QTest::newRow("new attribute") << b << "id" << true << "<a id=\"v\"><b>1</b></a>";
        // Every attribute matches @*: the first takes the value, the rest go.
        QTest::newRow("attributes matching a wildcard") << "<a x='1' y='2' z='3'/>" << "*" << true << "<a x=\"v\"/>";
    }
    void assign()
    {
        QFETCH(QString, source);
        QFETCH(QString, name);
        QFETCH(bool, attribute);
        QFETCH(QString, expected);
        Runtime rt;
        rt.xmlSettings.prettyPrinting = false;
        const Value x = Xml(rt, source);
        Multiname target = Name(rt, name, attribute);
        target.anyName = name == QLatin1String("*");
        rt.setProperty(x, target, Value(QStringLiteral("v")));
        QCOMPARE(rt.toString(CallAs3(rt, x, "toXMLString")), expected);
    }

    void equality()
    {
        Runtime rt;
        QVERIFY(rt.looseEquals(Xml(rt, "<a><b c='1'/></a>"), Xml(rt, "<a><b c='1'/></a>")));
        QVERIFY(!rt.looseEquals(Xml(rt, "<a><b/></a>"), Xml(rt, "<a><c/></a>")));
        QVERIFY(rt.looseEquals(Xml(rt, "<a>5</a>"), Value(5)));
        // contains() takes XML only, unlike ==.
        const Value five(QStringLiteral("5"));
        QVERIFY(!rt.toBoolean(CallAs3(rt, Xml(rt, "<a>5</a>"), "contains", Args{&five, 1})));
        const Value same = Xml(rt, "<a>5</a>");
        QVERIFY(rt.toBoolean(CallAs3(rt, Xml(rt, "<a>5</a>"), "contains", Args{&same, 1})));
    }

    void settings()
    {
        Runtime rt;
        const Value xmlClass(static_cast<Object *>(rt.builtin("XML")));
        rt.set(xmlClass, QStringLiteral("ignoreComments"), Value(false));
        QVERIFY(!rt.xmlSettings.ignoreComments);
        const Value settings = rt.callProperty(xmlClass, rt.publicName(QStringLiteral("settings")), Args{});
        QCOMPARE(rt.toBoolean(rt.get(settings, QStringLiteral("ignoreComments"))), false);
        QCOMPARE(rt.toInt(rt.get(settings, QStringLiteral("prettyIndent"))), 2);
        rt.set(settings, QStringLiteral("prettyPrinting"), Value(false));
        rt.set(settings, QStringLiteral("prettyIndent"), Value(4));
        rt.callProperty(xmlClass, rt.publicName(QStringLiteral("setSettings")), Args{&settings, 1});
        QVERIFY(!rt.xmlSettings.prettyPrinting);
        QCOMPARE(rt.xmlSettings.prettyIndent, 4);
        rt.callProperty(xmlClass, rt.publicName(QStringLiteral("setSettings")), Args{});
        QVERIFY(rt.xmlSettings.prettyPrinting);
    }

    void concatenation()
    {
        Runtime rt;
        const Value list = rt.add(Xml(rt, "<a/>"), Xml(rt, "<b/>"));
        QCOMPARE(rt.typeOf(list), QStringLiteral("xml"));
        QCOMPARE(rt.toInt(CallAs3(rt, list, "length")), 2);
    }

    void singleItemMethods()
    {
        Runtime rt;
        const Value x = Xml(rt, "<a><b/><b/></a>");
        const Value both = rt.getProperty(x, Name(rt, "b", false));
        QVERIFY_EXCEPTION_THROWN(CallAs3(rt, both, "nodeKind"), Exception);
        const Value first = rt.getProperty(both, rt.publicName(QStringLiteral("0")));
        QCOMPARE(rt.toString(CallAs3(rt, first, "nodeKind")), QStringLiteral("element"));
        QCOMPARE(rt.toInt(CallAs3(rt, first, "childIndex")), 0);
    }
};

QTEST_GUILESS_MAIN(TestAvm2E4x)
#include "tst_avm2_e4x.moc"
