// The AS3 Array methods, called as a script calls them through
// Array.prototype, on arrays and on plain objects with a length.
#include "swf/avm2/Runtime.h"
#include "swf/avm2/builtins/ArrayObject.h"

#include <QtTest>

using namespace swf::avm2;

namespace {

enum : uint32_t { CaseInsensitive = 1, Descending = 2, UniqueSort = 4, ReturnIndexedArray = 8, Numeric = 16 };

// Values written compactly: numbers, texts in quotes, u for undefined.
std::vector<Value> valuesOf(const QString &list)
{
    std::vector<Value> out;
    if (list.isEmpty())
        return out;
    for (const QString &item : list.split(QLatin1Char(','))) {
        if (item == QLatin1String("u"))
            out.push_back(Value());
        else if (item.startsWith(QLatin1Char('\'')))
            out.push_back(Value(item.mid(1, item.size() - 2)));
        else
            out.push_back(Value::number(item.toDouble()));
    }
    return out;
}

Value callMethod(Runtime &rt, const Value &self, const char *name, std::vector<Value> args)
{
    const Value fn = rt.get(Value(static_cast<Object *>(rt.arrayClass->prototypeObject)), QString::fromLatin1(name));
    return rt.call(fn, self, Args{args.data(), int(args.size())});
}

QString joined(Runtime &rt, const Value &array) { return rt.toString(callMethod(rt, array, "join", {Value("|")})); }

} // namespace

class TestAvm2Array : public QObject {
    Q_OBJECT

private slots:
    void methods_data();
    void methods();
    void sort_data();
    void sort();
    void genericObject();
    void hugeSparseArrays();
    void compareFunctionAnswersAnything();
    void enumerateSparse();
    void sortOn();
    void callbacks();
};

void TestAvm2Array::methods_data()
{
    QTest::addColumn<QString>("elements");
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QString>("args");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("after");

    QTest::newRow("pop") << "1,2,3" << QByteArray("pop") << "" << "3" << "1|2";
    QTest::newRow("pop empty") << "" << QByteArray("pop") << "" << "undefined" << "";
    QTest::newRow("shift") << "1,2,3" << QByteArray("shift") << "" << "1" << "2|3";
    QTest::newRow("unshift") << "3" << QByteArray("unshift") << "1,2" << "3" << "1|2|3";
    QTest::newRow("reverse") << "1,2,3" << QByteArray("reverse") << "" << "3,2,1" << "3|2|1";
    QTest::newRow("slice negative") << "1,2,3,4" << QByteArray("slice") << "-3,-1" << "2,3" << "1|2|3|4";
    QTest::newRow("slice past end") << "1,2" << QByteArray("slice") << "1,99" << "2" << "1|2";
    QTest::newRow("splice insert") << "1,4" << QByteArray("splice") << "1,0,2,3" << "" << "1|2|3|4";
    QTest::newRow("splice remove") << "1,2,3,4" << QByteArray("splice") << "1,2" << "2,3" << "1|4";
    QTest::newRow("splice to end") << "1,2,3" << QByteArray("splice") << "-2" << "2,3" << "1";
    QTest::newRow("concat") << "1" << QByteArray("concat") << "2,'x'" << "1,2,x" << "1";
    QTest::newRow("indexOf strict") << "1,'1',1" << QByteArray("indexOf") << "'1'" << "1" << "1|1|1";
    QTest::newRow("indexOf from") << "1,2,1" << QByteArray("indexOf") << "1,1" << "2" << "1|2|1";
    QTest::newRow("indexOf missing") << "1,2" << QByteArray("indexOf") << "3" << "-1" << "1|2";
    QTest::newRow("lastIndexOf") << "1,2,1" << QByteArray("lastIndexOf") << "1" << "2" << "1|2|1";
    QTest::newRow("lastIndexOf from") << "1,2,1" << QByteArray("lastIndexOf") << "1,-2" << "0" << "1|2|1";
    QTest::newRow("insertAt") << "1,3" << QByteArray("insertAt") << "1,2" << "undefined" << "1|2|3";
    QTest::newRow("removeAt") << "1,2,3" << QByteArray("removeAt") << "-1" << "3" << "1|2";
}

void TestAvm2Array::methods()
{
    QFETCH(QString, elements);
    QFETCH(QByteArray, method);
    QFETCH(QString, args);
    Runtime rt;
    const Value array(static_cast<Object *>(rt.newArray(valuesOf(elements))));
    const Value result = callMethod(rt, array, method.constData(), valuesOf(args));
    QTEST(rt.toString(result), "result");
    QTEST(joined(rt, array), "after");
}

void TestAvm2Array::sort_data()
{
    QTest::addColumn<QString>("elements");
    QTest::addColumn<uint>("options");
    QTest::addColumn<QString>("result");

    QTest::newRow("as texts") << "10,9,1" << 0u << "1|10|9";
    QTest::newRow("numeric") << "10,9,1" << uint(Numeric) << "1|9|10";
    QTest::newRow("descending") << "1,3,2" << uint(Numeric | Descending) << "3|2|1";
    QTest::newRow("undefined last") << "u,'b',u,'a'" << 0u << "a|b||";
    QTest::newRow("case") << "'b','B','a'" << 0u << "B|a|b";
    QTest::newRow("case insensitive stable") << "'b','B','a'" << uint(CaseInsensitive) << "a|b|B";
    QTest::newRow("indexed") << "'c','a','b'" << uint(ReturnIndexedArray) << "1|2|0";
    QTest::newRow("unique with ties") << "1,1" << uint(UniqueSort) << "0";
}

void TestAvm2Array::sort()
{
    QFETCH(QString, elements);
    QFETCH(uint, options);
    Runtime rt;
    const Value array(static_cast<Object *>(rt.newArray(valuesOf(elements))));
    const Value result = callMethod(rt, array, "sort", {Value::fromUint(options)});
    QTEST(result.isObject() ? joined(rt, result) : rt.toString(result), "result");
}

void TestAvm2Array::genericObject()
{
    Runtime rt;
    const Value object(rt.newObject());
    rt.set(object, QStringLiteral("length"), Value(3));
    rt.set(object, QStringLiteral("0"), Value("c"));
    rt.set(object, QStringLiteral("2"), Value("a"));
    QCOMPARE(rt.toString(callMethod(rt, object, "join", {Value("-")})), QStringLiteral("c--a"));
    callMethod(rt, object, "reverse", {});
    QCOMPARE(rt.toString(callMethod(rt, object, "join", {})), QStringLiteral("a,,c"));
    callMethod(rt, object, "push", {Value("z")});
    QCOMPARE(rt.toNumber(rt.get(object, QStringLiteral("length"))), 4.0);
    QCOMPARE(rt.toString(callMethod(rt, object, "pop", {})), QStringLiteral("z"));
    QCOMPARE(rt.toNumber(rt.get(object, QStringLiteral("length"))), 3.0);
}

void TestAvm2Array::hugeSparseArrays()
{
    Runtime rt;
    ArrayObject *array = rt.newArray();
    array->setLength(0xFFFFFFFFu);
    array->set(0xFFFFFFFEu, Value("last"));
    array->set(5, Value("b"));
    const Value self(static_cast<Object *>(array));
    callMethod(rt, self, "sort", {});
    QCOMPARE(rt.toString(array->at(0)), QStringLiteral("b"));
    QCOMPARE(rt.toString(array->at(1)), QStringLiteral("last"));
    QCOMPARE(array->length(), 0xFFFFFFFFu);
    callMethod(rt, self, "reverse", {});
    QCOMPARE(rt.toString(array->at(0xFFFFFFFEu)), QStringLiteral("b"));
    const Value part = callMethod(rt, self, "slice", {Value::number(-2)});
    QCOMPARE(rt.toString(part), QStringLiteral("last,b"));
    callMethod(rt, self, "splice", {Value(0), Value(1), Value("first")});
    QCOMPARE(rt.toString(array->at(0)), QStringLiteral("first"));
    QCOMPARE(rt.toString(array->at(0xFFFFFFFEu)), QStringLiteral("b"));
    // Walking every index of such a length spends the budget and stops.
    rt.instructionsLeft = 1000;
    QVERIFY_THROWS_EXCEPTION(ScriptAbort, callMethod(rt, self, "indexOf", {Value(7)}));
}

void TestAvm2Array::compareFunctionAnswersAnything()
{
    Runtime rt;
    std::vector<Value> elements;
    for (int i = 0; i < 100; ++i)
        elements.push_back(Value(i % 7));
    const Value array(static_cast<Object *>(rt.newArray(elements)));
    // Math.random's kind of compare: any answer, no order; the sort still ends in bounds.
    const NativeFn coinFlip = [](Runtime &, const Value &, Args args) {
        return Value::number(int(args[0].asNumber() * 31 + args[1].asNumber()) % 3 - 1.0);
    };
    const Value compare(static_cast<Object *>(rt.newNativeFunction(coinFlip, QStringLiteral("f"), 2)));
    callMethod(rt, array, "sort", {compare});
    QCOMPARE(static_cast<ArrayObject *>(array.asObject())->length(), 100u);
}

void TestAvm2Array::enumerateSparse()
{
    // for-in over many sparse elements takes one step each.
    constexpr uint32_t Count = 200000;
    Runtime rt;
    ArrayObject *array = rt.newArray();
    for (uint32_t i = 0; i < Count; ++i)
        array->set(i * 2 + 1, Value(int(i)));
    uint32_t seen = 0;
    double sum = 0;
    for (int index = array->nextIndex(rt, 0); index; index = array->nextIndex(rt, index)) {
        QCOMPARE(rt.toNumber(array->nameAt(rt, index)), double(seen * 2 + 1));
        sum += rt.toNumber(array->valueAt(rt, index));
        ++seen;
    }
    QCOMPARE(seen, Count);
    QCOMPARE(sum, double(Count) * (Count - 1) / 2);
}

void TestAvm2Array::sortOn()
{
    Runtime rt;
    const char *rows[][2] = {{"b", "2"}, {"a", "10"}, {"b", "1"}, {"a", "9"}};
    std::vector<Value> people;
    for (const auto &row : rows) {
        const Value person(rt.newObject());
        rt.set(person, QStringLiteral("name"), Value(QString::fromLatin1(row[0])));
        rt.set(person, QStringLiteral("age"), Value::number(QByteArray(row[1]).toDouble()));
        people.push_back(person);
    }
    const Value array(static_cast<Object *>(rt.newArray(people)));
    const auto ages = [&] {
        QStringList out;
        for (uint32_t i = 0; i < 4; ++i)
            out << rt.toString(rt.get(static_cast<ArrayObject *>(array.asObject())->at(i), QStringLiteral("age")));
        return out.join(QLatin1Char(' '));
    };
    callMethod(rt, array, "sortOn", {Value("age")});
    QCOMPARE(ages(), QStringLiteral("1 10 2 9"));
    const Value names(static_cast<Object *>(rt.newArray({Value("name"), Value("age")})));
    const Value options(static_cast<Object *>(rt.newArray({Value(int(Descending)), Value(int(Numeric))})));
    callMethod(rt, array, "sortOn", {names, options});
    QCOMPARE(ages(), QStringLiteral("1 2 9 10"));
    const Value indices = callMethod(rt, array, "sortOn", {Value("age"), Value(int(Numeric | ReturnIndexedArray))});
    QCOMPARE(rt.toString(indices), QStringLiteral("0,1,2,3"));
}

void TestAvm2Array::callbacks()
{
    Runtime rt;
    const Value array(static_cast<Object *>(rt.newArray(valuesOf("1,2,3,4"))));
    const NativeFn isEven = [](Runtime &rt, const Value &, Args args) {
        return Value(int(rt.toNumber(args[0])) % 2 == 0);
    };
    const Value even(static_cast<Object *>(rt.newNativeFunction(isEven, QStringLiteral("even"), 3)));
    QCOMPARE(rt.toString(callMethod(rt, array, "filter", {even})), QStringLiteral("2,4"));
    QCOMPARE(rt.toString(callMethod(rt, array, "map", {even})), QStringLiteral("false,true,false,true"));
    QVERIFY(rt.toBoolean(callMethod(rt, array, "some", {even})));
    QVERIFY(!rt.toBoolean(callMethod(rt, array, "every", {even})));
    QVERIFY(rt.toBoolean(callMethod(rt, array, "every", {Value::null()})));
    QVERIFY_THROWS_EXCEPTION(Exception, callMethod(rt, array, "forEach", {Value(3)}));
}

QTEST_GUILESS_MAIN(TestAvm2Array)
#include "tst_avm2_array.moc"
