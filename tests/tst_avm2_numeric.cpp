// The Date, Math and Number classes driven through the runtime as scripts
// call them: static calls on the classes, new, and methods on instances.
#include "swf/avm2/Runtime.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace swf::avm2;

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Infinity = std::numeric_limits<double>::infinity();

Value callStatic(Runtime &rt, const char *cls, const char *name, std::vector<Value> args)
{
    return rt.callProperty(Value(static_cast<Object *>(rt.builtin(cls))), rt.publicName(QString::fromLatin1(name)),
                           Args{args.data(), int(args.size())});
}

Value callMethod(Runtime &rt, const Value &self, const char *name, std::vector<Value> args = {})
{
    return rt.call(rt.get(self, QString::fromLatin1(name)), self, Args{args.data(), int(args.size())});
}

bool sameNumber(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return a == b && std::signbit(a) == std::signbit(b);
}

// The error a call throws, as "RangeError: Error #1002: ...", or "" when none.
template <class F> QString thrown(Runtime &rt, F f)
{
    try {
        f();
    } catch (const Exception &e) {
        return rt.toString(e.value);
    }
    return QString();
}

} // namespace

class TestAvm2Numeric : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("TZ", "America/Los_Angeles");
        tzset();
    }

    void math_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("expected");
        QTest::newRow("round half up") << "round" << -2.5 << 0.0 << -2.0;
        QTest::newRow("round to -0") << "round" << -0.5 << 0.0 << -0.0;
        QTest::newRow("round just below a half") << "round" << 0.49999999999999994 << 0.0 << 0.0;
        QTest::newRow("round huge") << "round" << 9007199254740991.0 << 0.0 << 9007199254740991.0;
        QTest::newRow("pow NaN to 0") << "pow" << NaN << 0.0 << 1.0;
        QTest::newRow("pow 1 to infinity") << "pow" << 1.0 << Infinity << NaN;
        QTest::newRow("pow -1 to -infinity") << "pow" << -1.0 << -Infinity << NaN;
        QTest::newRow("max zeros") << "max" << -0.0 << 0.0 << 0.0;
        QTest::newRow("min zeros") << "min" << 0.0 << -0.0 << -0.0;
        QTest::newRow("max NaN") << "max" << NaN << 1.0 << NaN;
        QTest::newRow("ceil to -0") << "ceil" << -0.5 << 0.0 << -0.0;
    }

    void math()
    {
        QFETCH(QString, name);
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(double, expected);
        Runtime rt;
        const Value result = callStatic(rt, "Math", name.toLatin1().constData(), {Value(x), Value(y)});
        QVERIFY2(sameNumber(rt.toNumber(result), expected), qPrintable(rt.toString(result)));
    }

    void mathExtremesWithoutArguments()
    {
        Runtime rt;
        QCOMPARE(rt.toNumber(callStatic(rt, "Math", "max", {})), -Infinity);
        QCOMPARE(rt.toNumber(callStatic(rt, "Math", "min", {})), Infinity);
        const double r = rt.toNumber(callStatic(rt, "Math", "random", {}));
        QVERIFY(r >= 0 && r < 1);
    }

    void mathIsNoConstructor()
    {
        Runtime rt;
        const Value math(static_cast<Object *>(rt.builtin("Math")));
        QCOMPARE(thrown(rt, [&] { rt.construct(math, Args{}); }),
                 QStringLiteral("TypeError: Error #1076: Math is not a constructor."));
        QCOMPARE(thrown(rt, [&] { rt.call(math, Value(), Args{}); }),
                 QStringLiteral("TypeError: Error #1075: Math is not a function."));
    }

    void numberFormats_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("method");
        QTest::addColumn<double>("digits");
        QTest::addColumn<QString>("expected");
        QTest::newRow("toFixed") << 1.005 << "toFixed" << 2.0 << "1.00";
        QTest::newRow("toFixed pads") << 3.0 << "toFixed" << 3.0 << "3.000";
        QTest::newRow("toFixed too many") << 1.0 << "toFixed" << 21.0
                                          << "RangeError: Error #1002: The precision argument must be between 0 "
                                             "and 20; 21 is invalid.";
        QTest::newRow("toExponential") << 77.1234 << "toExponential" << 2.0 << "7.71e+1";
        QTest::newRow("toPrecision") << 123.456 << "toPrecision" << 4.0 << "123.5";
        QTest::newRow("toPrecision zero") << 1.0 << "toPrecision" << 0.0
                                          << "RangeError: Error #1002: The precision argument must be between 1 "
                                             "and 21; 0 is invalid.";
        QTest::newRow("toString radix") << 255.0 << "toString" << 16.0 << "ff";
    }

    void numberFormats()
    {
        QFETCH(double, value);
        QFETCH(QString, method);
        QFETCH(double, digits);
        QFETCH(QString, expected);
        Runtime rt;
        QString text;
        const QString error = thrown(rt, [&] {
            text = rt.toString(callMethod(rt, Value(value), method.toLatin1().constData(), {Value(digits)}));
        });
        QCOMPARE(error.isEmpty() ? text : error, expected);
    }

    void numbersFindNumberPrototype()
    {
        Runtime rt;
        const Value constructor = rt.get(Value(int32_t(5)), QStringLiteral("constructor"));
        QCOMPARE(constructor.asObject(), static_cast<Object *>(rt.numberClass));
    }

    void topLevelConstants()
    {
        Runtime rt;
        Object *global = nullptr;
        QVERIFY(rt.lookupGlobal(rt.publicName(QStringLiteral("NaN")), global));
        QVERIFY(std::isnan(rt.toNumber(rt.get(Value(global), QStringLiteral("NaN")))));
        QVERIFY(rt.lookupGlobal(rt.publicName(QStringLiteral("Infinity")), global));
        QCOMPARE(rt.toNumber(rt.get(Value(global), QStringLiteral("Infinity"))), Infinity);
        QVERIFY(rt.lookupGlobal(rt.publicName(QStringLiteral("undefined")), global));
        QVERIFY(rt.get(Value(global), QStringLiteral("undefined")).isUndefined());
    }

    void dateFields()
    {
        Runtime rt;
        const Value date(static_cast<Object *>(rt.builtin("Date")));
        const Value args[] = {Value(2000), Value(1), Value(29), Value(13), Value(45)};
        const Value d = rt.construct(date, Args{args, 5});
        QCOMPARE(rt.toString(d), QStringLiteral("Tue Feb 29 13:45:00 GMT-0800 2000"));
        QCOMPARE(rt.toNumber(rt.get(d, QStringLiteral("hoursUTC"))), 21.0);
        QCOMPARE(rt.toNumber(rt.get(d, QStringLiteral("timezoneOffset"))), 480.0);
        // setMonth(2) keeps the 29th; setDate(31) in March stays in March.
        callMethod(rt, d, "setMonth", {Value(2)});
        callMethod(rt, d, "setDate", {Value(31)});
        QCOMPARE(rt.toString(callMethod(rt, d, "toDateString")), QStringLiteral("Fri Mar 31 2000"));
        rt.set(d, QStringLiteral("fullYear"), Value(2001));
        QCOMPARE(rt.toNumber(rt.get(d, QStringLiteral("day"))), 6.0);
    }

    void dateInvalidAndParse()
    {
        Runtime rt;
        const Value date(static_cast<Object *>(rt.builtin("Date")));
        const Value nan[] = {Value(NaN)};
        const Value d = rt.construct(date, Args{nan, 1});
        QCOMPARE(rt.toString(d), QStringLiteral("Invalid Date"));
        QVERIFY(std::isnan(rt.toNumber(callMethod(rt, d, "getHours"))));
        // Setting the year of an invalid date starts from 1970 local time.
        callMethod(rt, d, "setFullYear", {Value(1999)});
        QCOMPARE(rt.toString(callMethod(rt, d, "toDateString")), QStringLiteral("Fri Jan 1 1999"));
        const Value parsed = callStatic(rt, "Date", "parse", {Value(QStringLiteral("Thu Jan 1 00:00:00 GMT+0000 1970"))});
        QCOMPARE(rt.toNumber(parsed), 0.0);
        QCOMPARE(rt.toNumber(callStatic(rt, "Date", "UTC", {Value(99), Value(11), Value(31)})), 946598400000.0);
    }
};

QTEST_GUILESS_MAIN(TestAvm2Numeric)
#include "tst_avm2_numeric.moc"
