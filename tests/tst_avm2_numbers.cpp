#include "swf/avm2/NumberConversion.h"
#include "swf/avm2/UriCoding.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace swf::avm2;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInfinity = std::numeric_limits<double>::infinity();

// Compares doubles by identity: NaN equals NaN, and -0 differs from 0.
bool sameNumber(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return a == b && std::signbit(a) == std::signbit(b);
}

QString zeros(int count)
{
    return QString(count, QLatin1Char('0'));
}

} // namespace

class TestAvm2Numbers : public QObject {
    Q_OBJECT

private slots:
    void toStringShortest_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("1e21 switches to exponent") << 1e21 << "1e+21";
        QTest::newRow("below 1e21 stays plain") << 123456789012345680000.0 << "123456789012345680000";
        QTest::newRow("1e20") << 1e20 << "100000000000000000000";
        QTest::newRow("-1e21") << -1e21 << "-1e+21";
        QTest::newRow("0.000001 plain") << 0.000001 << "0.000001";
        QTest::newRow("1e-7 exponent") << 1e-7 << "1e-7";
        QTest::newRow("1.5e-7") << 1.5e-7 << "1.5e-7";
        QTest::newRow("smallest denormal") << 5e-324 << "5e-324";
        QTest::newRow("largest double") << 1.7976931348623157e308 << "1.7976931348623157e+308";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("0.1 shortest") << 0.1 << "0.1";
        QTest::newRow("0.1 + 0.2") << 0.1 + 0.2 << "0.30000000000000004";
        QTest::newRow("pi") << M_PI << "3.141592653589793";
        QTest::newRow("3000000000.25") << 3000000000.25 << "3000000000.25";
        QTest::newRow("1e23") << 1e23 << "1e+23";
        QTest::newRow("1.6e24") << 1.6e24 << "1.6e+24";
        QTest::newRow("1.2345e-6 plain") << 1.2345e-6 << "0.0000012345";
        QTest::newRow("1.2345e-7 exponent") << 1.2345e-7 << "1.2345e-7";
        QTest::newRow("1.0000001") << 1.0000001 << "1.0000001";
        QTest::newRow("NaN") << kNaN << "NaN";
        QTest::newRow("Infinity") << kInfinity << "Infinity";
        QTest::newRow("-Infinity") << -kInfinity << "-Infinity";
    }
    void toStringShortest()
    {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(NumberToString(value), expected);
    }

    void toStringRadix_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("radix");
        QTest::addColumn<QString>("expected");
        QTest::newRow("255 hex") << 255.0 << 16 << "ff";
        QTest::newRow("-255 binary") << -255.0 << 2 << "-11111111";
        QTest::newRow("65535 hex") << 65535.0 << 16 << "ffff";
        QTest::newRow("-65535 hex") << -65535.0 << 16 << "-ffff";
        QTest::newRow("pi drops its fraction") << M_PI << 16 << "3";
        QTest::newRow("0.5 binary") << 0.5 << 2 << "0";
        QTest::newRow("MIN_VALUE hex") << 5e-324 << 16 << "0";
        QTest::newRow("1e100 hex exact") << 1e100 << 16 << "1249ad2594c37d" + zeros(70);
        QTest::newRow("MAX_VALUE hex exact") << 1.7976931348623157e308 << 16 << "fffffffffffff8" + zeros(242);
        QTest::newRow("-1e307 binary") << -1e307 << 2
                                       << "-11100011110110001111100111100101011000111010000110011" + zeros(967);
        QTest::newRow("yz in 36") << 1259.0 << 36 << "yz";
        QTest::newRow("Infinity radix 5") << kInfinity << 5 << "Infinity";
        QTest::newRow("radix 10 keeps fraction") << 1.5 << 10 << "1.5";
    }
    void toStringRadix()
    {
        QFETCH(double, value);
        QFETCH(int, radix);
        QFETCH(QString, expected);
        QCOMPARE(NumberToStringRadix(value, radix), expected);
    }

    void toFixed_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("digits");
        QTest::addColumn<QString>("expected");
        QTest::newRow("rounding up") << 2489.8237 << 3 << "2489.824";
        QTest::newRow("rounding down") << 2489.8237 << 2 << "2489.82";
        QTest::newRow("padding") << 2489.8237 << 7 << "2489.8237000";
        QTest::newRow("no digits") << 2489.8237 << 0 << "2490";
        QTest::newRow("17 significant digits at most") << 1000000000000000128.0 << 0 << "1000000000000000100";
        QTest::newRow("4.00") << 4.0 << 2 << "4.00";
        QTest::newRow("1.005 is below half") << 1.005 << 2 << "1.00";
        QTest::newRow("1e21 prints as a number") << 1e21 << 2 << "1e+21";
        QTest::newRow("negative rounds to -0") << -0.1 << 0 << "-0";
        QTest::newRow("0.05 to 0") << 0.05 << 0 << "0";
        QTest::newRow("5e-5") << 5e-5 << 2 << "0.00";
        QTest::newRow("5e-7") << 5e-7 << 3 << "0.000";
        QTest::newRow("0.5 rounds up") << 0.5 << 0 << "1";
        QTest::newRow("zero") << 0.0 << 2 << "0.00";
        QTest::newRow("NaN") << kNaN << 2 << "NaN";
    }
    void toFixed()
    {
        QFETCH(double, value);
        QFETCH(int, digits);
        QFETCH(QString, expected);
        QCOMPARE(NumberToFixed(value, digits), expected);
    }

    void toExponential_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("digits");
        QTest::addColumn<QString>("expected");
        QTest::newRow("77.1234 (4)") << 77.1234 << 4 << "7.7123e+1";
        QTest::newRow("77.1234 (5)") << 77.1234 << 5 << "7.71234e+1";
        QTest::newRow("77.1234 exact digits") << 77.1234 << 20 << "7.71234000000000037289e+1";
        QTest::newRow("zero's odd exponent") << 0.0 << 5 << "0.00000e-16";
        QTest::newRow("315003 (2)") << 315003.0 << 2 << "3.15e+5";
        QTest::newRow("as many digits as needed") << 123.0 << -1 << "1.23e+2";
        QTest::newRow("small") << 0.00015 << 1 << "1.5e-4";
        QTest::newRow("Infinity") << kInfinity << 2 << "Infinity";
    }
    void toExponential()
    {
        QFETCH(double, value);
        QFETCH(int, digits);
        QFETCH(QString, expected);
        QCOMPARE(NumberToExponential(value, digits), expected);
    }

    void toPrecision_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("precision");
        QTest::addColumn<QString>("expected");
        QTest::newRow("5.123456 (4)") << 5.123456 << 4 << "5.123";
        QTest::newRow("exact digits past 17") << 5.123456 << 21 << "5.12345600000000001017";
        QTest::newRow("zero's extra digit") << 0.0 << 4 << "0.0000";
        QTest::newRow("4000 (3) goes exponential") << 4000.0 << 3 << "4.00e+3";
        QTest::newRow("4000 (4) stays plain") << 4000.0 << 4 << "4000";
        QTest::newRow("small plain") << 0.000123 << 2 << "0.00012";
        QTest::newRow("below 1e-6 exponential") << 0.000000123 << 2 << "1.2e-7";
        QTest::newRow("carry adds a digit") << 9.99 << 2 << "10";
        QTest::newRow("negative") << -1.25 << 2 << "-1.3";
    }
    void toPrecision()
    {
        QFETCH(double, value);
        QFETCH(int, precision);
        QFETCH(QString, expected);
        QCOMPARE(NumberToPrecision(value, precision), expected);
    }

    void stringToNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("padded") << "  12  " << 12.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("blank") << " \t\n" << 0.0;
        QTest::newRow("unicode space") << QString(QChar(0x2000)) + "7" << 7.0;
        QTest::newRow("overflow") << "1e1000" << kInfinity;
        QTest::newRow("underflow") << "1e-2000" << 0.0;
        QTest::newRow("bare 0x") << "0x" << kNaN;
        QTest::newRow("hex") << "0x1F" << 31.0;
        QTest::newRow("signed hex") << "-0x123456789abcde8" << -81985529216486888.0;
        QTest::newRow("Infinity") << "-Infinity" << -kInfinity;
        QTest::newRow("lowercase infinity") << "-infinity" << kNaN;
        QTest::newRow("013 is decimal") << "013  " << 13.0;
        QTest::newRow("fraction") << "3000000000.25" << 3000000000.25;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("trailing point") << "5." << 5.0;
        QTest::newRow("sign alone") << "-" << kNaN;
        QTest::newRow("trailing junk") << "12px" << kNaN;
        QTest::newRow("negative zero") << "-0" << -0.0;
    }
    void stringToNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QVERIFY2(sameNumber(StringToNumber(text), expected), qPrintable(QString::number(StringToNumber(text))));
    }

    void parseInt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("radix");
        QTest::addColumn<double>("expected");
        QTest::newRow("0x1f") << "0x1f" << 0 << 31.0;
        QTest::newRow("08 is not octal") << "08" << 0 << 8.0;
        QTest::newRow("0022 is decimal") << "0022" << 0 << 22.0;
        QTest::newRow("signed with junk") << "  -12abc" << 0 << -12.0;
        QTest::newRow("0x with radix 10") << "0x10" << 10 << 0.0;
        QTest::newRow("0x with radix 16") << "0x10" << 16 << 16.0;
        QTest::newRow("bare 0x") << "0x" << 0 << kNaN;
        QTest::newRow("9 in octal") << "9" << 8 << kNaN;
        QTest::newRow("yz in 36") << "yz" << 36 << 1259.0;
        QTest::newRow("radix 37") << "yz" << 37 << kNaN;
        QTest::newRow("decimal accumulates") << "123456789012345678" << 0 << 123456789012345700.0;
        QTest::newRow("decimal accumulates, as traced by players") << "64336512942563914" << 0 << 64336512942563920.0;
        QTest::newRow("hex rounds to nearest") << "0x1000000000000081" << 0 << 1152921504606847232.0;
        QTest::newRow("binary rounds to nearest")
            << "0000001000000001001000110100010101100111100010011010101111011" << 2 << 18054430506169724.0;
        QTest::newRow("1e2") << "1e2" << 0 << 1.0;
        QTest::newRow("empty") << "" << 0 << kNaN;
    }
    void parseInt()
    {
        QFETCH(QString, text);
        QFETCH(int, radix);
        QFETCH(double, expected);
        QVERIFY(sameNumber(ParseInt(text, radix), expected));
    }

    void parseFloat_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow(".5e1") << ".5e1" << 5.0;
        QTest::newRow("padded sign") << "          +.01e-2" << 0.0001;
        QTest::newRow("3.") << "+3." << 3.0;
        QTest::newRow("exponent without digits") << "1e" << 1.0;
        QTest::newRow("trailing junk") << "3.14abc" << 3.14;
        QTest::newRow("Infinity prefix") << "Infinityx" << kInfinity;
        QTest::newRow("hex is zero") << "0x10" << 0.0;
        QTest::newRow("overflow") << "1e2000" << kInfinity;
        QTest::newRow("no digits") << "abc" << kNaN;
    }
    void parseFloat()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QVERIFY(sameNumber(ParseFloat(text), expected));
    }

    void integerConversions_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("int32");
        QTest::addColumn<uint>("uint32");
        QTest::newRow("2^32 + 5") << 4294967296.0 + 5 << 5 << 5u;
        QTest::newRow("-2^31 - 1") << -2147483649.0 << 2147483647 << 2147483647u;
        QTest::newRow("-1") << -1.0 << -1 << 4294967295u;
        QTest::newRow("2^31") << 2147483648.0 << std::numeric_limits<int>::min() << 2147483648u;
        QTest::newRow("fraction truncates") << -3.9 << -3 << 4294967293u;
        QTest::newRow("huge wraps exactly") << 1e20 << 1661992960 << 1661992960u;
        QTest::newRow("NaN") << kNaN << 0 << 0u;
        QTest::newRow("Infinity") << kInfinity << 0 << 0u;
    }
    void integerConversions()
    {
        QFETCH(double, value);
        QFETCH(int, int32);
        QFETCH(uint, uint32);
        QCOMPARE(ToInt32(value), int32);
        QCOMPARE(ToUint32(value), uint32);
    }

    void toInteger()
    {
        QCOMPARE(ToInteger(-3.7), -3.0);
        QCOMPARE(ToInteger(kNaN), 0.0);
        QCOMPARE(ToInteger(kInfinity), kInfinity);
        QCOMPARE(IntToString(-2147483647 - 1), QStringLiteral("-2147483648"));
    }

    void escapeRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("escaped");
        QTest::newRow("kept set") << "aZ09@-_.*+/" << "aZ09@-_.*+/";
        QTest::newRow("space and marks") << "a b!~" << "a%20b%21%7E";
        QTest::newRow("latin-1") << QString(QChar(0xE9)) << "%E9";
        QTest::newRow("wide") << QString(QChar(0x20AC)) << "%u20AC";
    }
    void escapeRoundTrip()
    {
        QFETCH(QString, text);
        QFETCH(QString, escaped);
        QCOMPARE(Escape(text), escaped);
        QCOMPARE(Unescape(escaped), text);
    }

    void unescapeMalformed()
    {
        QCOMPARE(Unescape(QStringLiteral("%0+%u12%")), QStringLiteral("%0+%u12%"));
        QCOMPARE(Unescape(QStringLiteral("%41%u0042")), QStringLiteral("AB"));
    }

    void encodeUri_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("component");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("valid");
        const QString pair = QString(QChar(0xD83D)) + QChar(0xDE00);
        QTest::newRow("reserved kept") << "http://a.b/c d?e=f#g" << false << "http://a.b/c%20d?e=f#g" << true;
        QTest::newRow("component escapes reserved") << "a/b?c#d" << true << "a%2Fb%3Fc%23d" << true;
        QTest::newRow("braces") << "Hello{[World]}" << true << "Hello%7B%5BWorld%5D%7D" << true;
        QTest::newRow("two-byte utf-8") << QString(QChar(0xE9)) << true << "%C3%A9" << true;
        QTest::newRow("surrogate pair") << pair << true << "%F0%9F%98%80" << true;
        QTest::newRow("lone high surrogate") << QString(QChar(0xD83D)) << true << "" << false;
        QTest::newRow("lone low surrogate") << QString(QChar(0xDE00)) + "a" << false << "" << false;
    }
    void encodeUri()
    {
        QFETCH(QString, text);
        QFETCH(bool, component);
        QFETCH(QString, expected);
        QFETCH(bool, valid);
        bool ok = !valid;
        QCOMPARE(component ? EncodeUriComponent(text, &ok) : EncodeUri(text, &ok), expected);
        QCOMPARE(ok, valid);
    }

    void decodeUri_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("component");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("valid");
        QTest::newRow("space") << "flash%20player" << false << "flash player" << true;
        QTest::newRow("reserved stays escaped") << "a%2Fb%23c%20" << false << "a%2Fb%23c " << true;
        QTest::newRow("component decodes reserved") << "BugID%20%2317485" << true << "BugID #17485" << true;
        QTest::newRow("utf-8") << "%F0%9F%98%80" << true << QString(QChar(0xD83D)) + QChar(0xDE00) << true;
        QTest::newRow("non-hex digits") << "%G0" << true << "" << false;
        QTest::newRow("trailing percent") << "abc%" << true << "" << false;
        QTest::newRow("truncated sequence") << "%C3" << true << "" << false;
        QTest::newRow("overlong") << "%C0%80" << true << "" << false;
        QTest::newRow("encoded surrogate") << "%ED%A0%80" << true << "" << false;
    }
    void decodeUri()
    {
        QFETCH(QString, text);
        QFETCH(bool, component);
        QFETCH(QString, expected);
        QFETCH(bool, valid);
        bool ok = !valid;
        QCOMPARE(component ? DecodeUriComponent(text, &ok) : DecodeUri(text, &ok), expected);
        QCOMPARE(ok, valid);
    }
};

QTEST_GUILESS_MAIN(TestAvm2Numbers)
#include "tst_avm2_numbers.moc"
