// Vector.<T> and flash.utils.Dictionary on a runtime of their own, without
// a movie: coercion of elements, the range and fixed-length checks, the
// methods that rearrange, and dictionary keys by identity.
#include "swf/avm2/Runtime.h"
#include "swf/avm2/builtins/DictionaryObject.h"
#include "swf/avm2/builtins/VectorObject.h"

#include <QtTest>

using namespace swf::avm2;

namespace {

VectorObject *makeVector(Runtime &rt, Class *element, std::vector<Value> items = {})
{
    auto *vector = dynamic_cast<VectorObject *>(rt.allocate(rt.vectorOf(element)));
    for (const Value &v : items)
        vector->append(rt, v);
    return vector;
}

// The errorID of what f throws, or 0.
template <class F> int thrownId(Runtime &rt, F f)
{
    try {
        f();
    } catch (const Exception &e) {
        return rt.toInt(rt.get(e.value, QStringLiteral("errorID")));
    }
    return 0;
}

Value call(Runtime &rt, Object *object, const char *method, std::vector<Value> args = {})
{
    return rt.callProperty(Value(object), rt.publicName(QString::fromLatin1(method)),
                           Args{args.data(), int(args.size())});
}

} // namespace

class Avm2VectorTest : public QObject {
    Q_OBJECT

private slots:
    void coercion_data();
    void coercion();
    void ranges();
    void names();
    void methods();
    void dictionaryKeys();
};

void Avm2VectorTest::coercion_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<double>("input");
    QTest::addColumn<QString>("stored");
    QTest::newRow("int truncates") << "int" << 3.7 << "3";
    QTest::newRow("int wraps") << "int" << 4294967297.0 << "1";
    QTest::newRow("uint of negative") << "uint" << -1.0 << "4294967295";
    QTest::newRow("Number keeps") << "Number" << 2.5 << "2.5";
    QTest::newRow("any keeps") << "*" << 2.5 << "2.5";
}

void Avm2VectorTest::coercion()
{
    QFETCH(QString, element);
    QFETCH(double, input);
    QFETCH(QString, stored);
    Runtime rt;
    Class *type = element == QLatin1String("*") ? nullptr : rt.findClass(element);
    VectorObject *vector = makeVector(rt, type, {Value(input)});
    QCOMPARE(rt.toString(vector->elements[0]), stored);
}

void Avm2VectorTest::ranges()
{
    Runtime rt;
    VectorObject *vector = makeVector(rt, rt.intClass, {Value(1), Value(2)});
    QCOMPARE(thrownId(rt, [&] { vector->at(rt, 2); }), 1125);
    QCOMPARE(thrownId(rt, [&] { vector->at(rt, -1); }), 1125);
    QCOMPARE(thrownId(rt, [&] { vector->put(rt, 3, Value(9)); }), 1125);
    vector->put(rt, 2, Value(3)); // at length: appends
    QCOMPARE(vector->length(), 3u);
    vector->fixed = true;
    QCOMPARE(thrownId(rt, [&] { vector->put(rt, 3, Value(4)); }), 1125);
    QCOMPARE(thrownId(rt, [&] { call(rt, vector, "push", {Value(4)}); }), 1126);
    QCOMPARE(thrownId(rt, [&] { call(rt, vector, "pop"); }), 1126);
    vector->fixed = false;
    QVERIFY_THROWS_EXCEPTION(ScriptAbort, vector->setLength(rt, 4294967295.0));
    vector->setLength(rt, 5);
    QCOMPARE(rt.toString(call(rt, vector, "join")), QStringLiteral("1,2,3,0,0"));
    VectorObject *strings = makeVector(rt, rt.stringClass);
    strings->setLength(rt, 2);
    QCOMPARE(rt.toString(call(rt, strings, "toString")), QStringLiteral("null,null"));
}

void Avm2VectorTest::names()
{
    Runtime rt;
    VectorObject *vector = makeVector(rt, nullptr, {Value("a")});
    Value out;
    QVERIFY(vector->getByKey(rt, Value("0"), out));
    QCOMPARE(rt.toString(out), QStringLiteral("a"));
    QCOMPARE(thrownId(rt, [&] { vector->getByKey(rt, Value(1.5), out); }), 1125);
    // A name that is no number is an ordinary (missing) property.
    QVERIFY(!vector->getByKey(rt, Value("foo"), out));
    bool has = true;
    QVERIFY(vector->hasByKey(rt, Value(1), has));
    QVERIFY(!has);
}

void Avm2VectorTest::methods()
{
    Runtime rt;
    VectorObject *vector = makeVector(rt, rt.intClass, {Value(5), Value(1), Value(4), Value(1)});
    call(rt, vector, "sort", {Value(16)}); // NUMERIC
    QCOMPARE(rt.toString(call(rt, vector, "join", {Value("-")})), QStringLiteral("1-1-4-5"));
    Value spliced = call(rt, vector, "splice", {Value(1), Value(2), Value(7)});
    QCOMPARE(rt.toString(spliced), QStringLiteral("1,4"));
    QCOMPARE(rt.toString(Value(static_cast<Object *>(vector))), QStringLiteral("1,7,5"));
    QCOMPARE(rt.toString(call(rt, vector, "slice", {Value(-2)})), QStringLiteral("7,5"));
    QCOMPARE(rt.toNumber(call(rt, vector, "lastIndexOf", {Value(7)})), 1.0);
    QCOMPARE(rt.toNumber(call(rt, vector, "indexOf", {Value(9)})), -1.0);
    QCOMPARE(thrownId(rt, [&] { call(rt, vector, "map"); }), 1063);
    VectorObject *other = makeVector(rt, rt.uintClass, {Value(1)});
    QCOMPARE(thrownId(rt, [&] { call(rt, vector, "concat", {Value(static_cast<Object *>(other))}); }), 1034);
}

void Avm2VectorTest::dictionaryKeys()
{
    Runtime rt;
    auto *dictionary = dynamic_cast<DictionaryObject *>(rt.allocate(rt.findClass("flash.utils::Dictionary")));
    QVERIFY(dictionary);
    Object *a = rt.newObject();
    Object *b = rt.newObject();
    dictionary->setByKey(rt, Value(a), Value("A"));
    dictionary->setByKey(rt, Value(b), Value("B"));
    dictionary->setByKey(rt, Value(1), Value("one"));
    Value out;
    QVERIFY(dictionary->getByKey(rt, Value(a), out));
    QCOMPARE(rt.toString(out), QStringLiteral("A"));
    // Numbers and their text are one key; objects are not their text.
    QVERIFY(dictionary->getByKey(rt, Value("1"), out));
    QCOMPARE(rt.toString(out), QStringLiteral("one"));
    QVERIFY(!dictionary->getByKey(rt, Value("[object Object]"), out));
    bool deleted = false;
    QVERIFY(dictionary->deleteByKey(rt, Value(a), deleted));
    QStringList keys;
    for (int i = dictionary->nextIndex(rt, 0); i; i = dictionary->nextIndex(rt, i))
        keys << (dictionary->nameAt(rt, i).asObject() == b ? QStringLiteral("b") : rt.toString(dictionary->nameAt(rt, i)));
    QCOMPARE(keys, (QStringList{"b", "1"}));
}

QTEST_GUILESS_MAIN(Avm2VectorTest)
#include "tst_avm2_vector.moc"
