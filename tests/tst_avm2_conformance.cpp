// Behaviours the conformance movies showed us getting wrong, checked on a
// runtime of their own: each row runs one operation and compares the value
// it gives (as text) or the error it throws.
#include "swf/avm2/Runtime.h"
#include "swf/avm2/builtins/ArrayObject.h"
#include "swf/avm2/builtins/MathFunctions.h"

#include <QtTest>

#include <cmath>
#include <functional>
#include <limits>

using namespace swf::avm2;

namespace {

constexpr int MathStaticsVersion = 16;
constexpr double Infinity = std::numeric_limits<double>::infinity();

// A name as code compiled with the AS3 namespace open looks it up.
Multiname openAs3(Runtime &rt, const char *name)
{
    Multiname m = rt.publicName(QString::fromLatin1(name));
    m.namespaces.push_back(rt.namespaces.as3());
    return m;
}

Value callAs3(Runtime &rt, const char *cls, const char *method, std::vector<Value> args)
{
    return rt.callProperty(Value(static_cast<Object *>(rt.builtin(cls))), openAs3(rt, method),
                           Args{args.data(), int(args.size())});
}

Value assignAs3(Runtime &rt, const Value &target, const char *name)
{
    rt.setProperty(target, openAs3(rt, name), Value(QStringLiteral("replacement")));
    return Value(QStringLiteral("assigned"));
}

Value callGlobal(Runtime &rt, const char *name, std::vector<Value> args)
{
    const Multiname fn = rt.publicName(QString::fromLatin1(name));
    Object *global = nullptr;
    if (!rt.lookupGlobal(fn, global))
        return Value();
    return rt.callProperty(Value(global), fn, Args{args.data(), int(args.size())});
}

Value giveThis(Runtime &, const Value &self, Args) { return self; }

// apply(null) on a closure over a scope whose outermost object is a marked one.
Value applyWithNullThis(Runtime &rt)
{
    Object *outer = rt.newObject();
    outer->dynamics.set(QStringLiteral("mark"), Value(QStringLiteral("outer")), true);
    auto scope = std::make_shared<ScopeChain>(ScopeChain{ScopeEntry{Value(outer)}});
    auto *fn = rt.heap.make<FunctionObject>(rt.functionClass, rt.makeNativeMethod(giveThis, QString(), 0), scope);
    fn->setPrototype(rt.functionClass->prototypeObject);
    const Value none[] = {Value::null()};
    const Value self = rt.callProperty(Value(static_cast<Object *>(fn)), openAs3(rt, "apply"), Args{none, 1});
    return rt.get(self, QStringLiteral("mark"));
}

// A Vector.<int> (or of the element class given) holding the numbers.
Value vectorOf(Runtime &rt, std::vector<Value> items, Class *element = nullptr)
{
    const Value vector = rt.construct(Value(rt.vectorOf(element ? element : rt.intClass)), Args{});
    rt.callProperty(vector, openAs3(rt, "push"), Args{items.data(), int(items.size())});
    return vector;
}

Value concatThree(Runtime &rt)
{
    const Value lists[] = {vectorOf(rt, {Value(2)}), vectorOf(rt, {Value(3)})};
    return rt.callProperty(vectorOf(rt, {Value(1)}), openAs3(rt, "concat"), Args{lists, 2});
}

struct Case {
    const char *name;
    int swfVersion;
    std::function<Value(Runtime &)> run;
    const char *expected;
};

const std::vector<Case> &cases()
{
    static const std::vector<Case> all = {
        {"Number.abs from SWF 16", MathStaticsVersion,
         [](Runtime &rt) { return callAs3(rt, "Number", "abs", {Value(-2.5)}); }, "2.5"},
        {"no Number.abs before SWF 16", MathStaticsVersion - 1,
         [](Runtime &rt) { return callAs3(rt, "Number", "abs", {Value(-2.5)}); },
         "TypeError: Error #1006: abs is not a function."},
        {"Number.E", MathStaticsVersion,
         [](Runtime &rt) { return rt.getProperty(Value(rt.builtin("Number")), openAs3(rt, "E")); },
         "2.718281828459045"},
        {"Number.sqrt checks its argument count", MathStaticsVersion,
         [](Runtime &rt) { return callAs3(rt, "Number", "sqrt", {}); },
         "ArgumentError: Error #1063: Argument count mismatch on Number$/sqrt(). Expected 1, got 0."},
        {"Number.max takes any count", MathStaticsVersion,
         [](Runtime &rt) { return callAs3(rt, "Number", "max", {Value(1), Value(7), Value(3)}); }, "7"},
        {"Number.round of a small negative is +0", MathStaticsVersion,
         [](Runtime &rt) { return Value(1 / rt.toNumber(callAs3(rt, "Number", "round", {Value(-0.25)}))); },
         "Infinity"},
        {"Number.pow of -Infinity to a negative power is -0", MathStaticsVersion,
         [](Runtime &rt) {
             return Value(1 / rt.toNumber(callAs3(rt, "Number", "pow", {Value(-Infinity), Value(-2)})));
         },
         "-Infinity"},
        {"assigning Boolean's toString", Runtime::LatestSwfVersion,
         [](Runtime &rt) { return assignAs3(rt, Value(true), "toString"); },
         "ReferenceError: Error #1037: Cannot assign to a method toString on Boolean."},
        {"assigning String's valueOf", Runtime::LatestSwfVersion,
         [](Runtime &rt) { return assignAs3(rt, Value(QStringLiteral("a")), "valueOf"); },
         "ReferenceError: Error #1037: Cannot assign to a method valueOf on String."},
        {"new Function() is a function", Runtime::LatestSwfVersion,
         [](Runtime &rt) { return Value(rt.typeOf(rt.construct(Value(rt.builtin("Function")), Args{}))); },
         "function"},
        {"Object.prototype.toString on a function", Runtime::LatestSwfVersion,
         [](Runtime &rt) {
             const Value fn = rt.construct(Value(rt.builtin("Function")), Args{});
             const Value toString = rt.get(Value(rt.objectClass->prototypeObject), QStringLiteral("toString"));
             return Value(rt.toString(rt.call(toString, fn, Args{})).startsWith(QStringLiteral("[object Function-")));
         },
         "true"},
        {"super call of a prototype function", Runtime::LatestSwfVersion,
         [](Runtime &rt) {
             return rt.callSuper(Value(true), rt.booleanClass, rt.publicName(QStringLiteral("toString")), Args{});
         },
         "ReferenceError: Error #1070: Method toString not found on Object"},
        {"apply with a null this", Runtime::LatestSwfVersion, applyWithNullThis, "outer"},
        {"escape(undefined)", Runtime::LatestSwfVersion,
         [](Runtime &rt) { return callGlobal(rt, "escape", {Value()}); }, "null"},
        {"JSON.stringify(undefined)", Runtime::LatestSwfVersion,
         [](Runtime &rt) {
             const Value nothing[] = {Value()};
             return rt.callProperty(Value(static_cast<Object *>(rt.builtin("JSON"))),
                                    rt.publicName(QStringLiteral("stringify")), Args{nothing, 1});
         },
         "null"},
        {"deleting a string's length", Runtime::LatestSwfVersion,
         [](Runtime &rt) {
             return Value(rt.deleteProperty(Value(QStringLiteral("abc")), rt.publicName(QStringLiteral("length"))));
         },
         "ReferenceError: Error #1120: Cannot delete property length on String."},
        {"popping an empty Vector.<Object>", Runtime::LatestSwfVersion,
         [](Runtime &rt) { return rt.callProperty(vectorOf(rt, {}, rt.objectClass), openAs3(rt, "pop"), Args{}); },
         "undefined"},
        {"removeAt before the first element", Runtime::LatestSwfVersion,
         [](Runtime &rt) {
             const Value at[] = {Value(-5)};
             return rt.callProperty(vectorOf(rt, {Value(7), Value(8)}), openAs3(rt, "removeAt"), Args{at, 1});
         },
         "7"},
        {"Vector concat in order", 11, concatThree, "1,2,3"},
        {"Vector concat last first up to SWF 10", 10, concatThree, "1,3,2"},
        {"a wildcard read on an array", Runtime::LatestSwfVersion,
         [](Runtime &rt) {
             Multiname any;
             any.anyName = true;
             any.namespaces.push_back(rt.namespaces.publicNs());
             return rt.getProperty(Value(static_cast<Object *>(rt.newArray({Value(1)}))), any);
         },
         "ReferenceError: Error #1081: Property * not found on Array and there is no default value."},
        {"Array.prototype.unshift.length", Runtime::LatestSwfVersion,
         [](Runtime &rt) {
             const Value unshift = rt.get(Value(rt.arrayClass->prototypeObject), QStringLiteral("unshift"));
             return rt.get(unshift, QStringLiteral("length"));
         },
         "0"},
    };
    return all;
}

} // namespace

class TestAvm2Conformance : public QObject {
    Q_OBJECT

private slots:
    void behaviour_data()
    {
        QTest::addColumn<int>("index");
        for (size_t i = 0; i < cases().size(); ++i)
            QTest::newRow(cases()[i].name) << int(i);
    }

    void behaviour()
    {
        QFETCH(int, index);
        const Case &c = cases()[size_t(index)];
        Runtime rt(c.swfVersion);
        QString got;
        try {
            got = rt.toString(c.run(rt));
        } catch (const Exception &e) {
            got = rt.toString(e.value);
        }
        QCOMPARE(got, QString::fromLatin1(c.expected));
    }

    // Math keeps ECMAScript's signed zeros where Number's versions do not.
    void zeroSigns()
    {
        QVERIFY(std::signbit(MathRound(-0.25)));
        QVERIFY(!std::signbit(NumberRound(-0.25)));
        QVERIFY(!std::signbit(MathPow(-Infinity, -2)));
        QVERIFY(std::signbit(NumberPow(-Infinity, -2)));
        QCOMPARE(NumberRound(2.5), 3.0);
    }
};

QTEST_GUILESS_MAIN(TestAvm2Conformance)
#include "tst_avm2_conformance.moc"
