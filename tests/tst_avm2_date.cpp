// The AS3 Date class's calendar rules and texts: the ECMAScript field
// arithmetic, and the texts and parsing the reference player shows in the
// conformance corpus, which was recorded on the US Pacific coast.
#include "swf/avm2/DateMath.h"

#include <QtTest>

#include <cmath>
#include <ctime>
#include <limits>

using namespace swf::avm2;

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Infinity = std::numeric_limits<double>::infinity();

bool sameTime(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

// Switches the process's zone for one test and back again.
class ZoneScope {
public:
    explicit ZoneScope(const char *zone) : m_old(qgetenv("TZ")), m_had(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~ZoneScope()
    {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        tzset();
    }
    ZoneScope(const ZoneScope &) = delete;
    ZoneScope &operator=(const ZoneScope &) = delete;

private:
    QByteArray m_old;
    bool m_had;
};

constexpr char Pacific[] = "America/Los_Angeles";

} // namespace

class TestAvm2Date : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void fields_data();
    void fields();
    void hugeTimesStayInRange_data();
    void hugeTimesStayInRange();
    void makeDay_data();
    void makeDay();
    void timeClip_data();
    void timeClip();
    void utcFields_data();
    void utcFields();
    void textsInUtc_data();
    void textsInUtc();
    void textsOnPacificTime_data();
    void textsOnPacificTime();
    void fieldsOnPacificTime_data();
    void fieldsOnPacificTime();
    void replacingAField();
    void parse_data();
    void parse();
    void parseOnPacificTime_data();
    void parseOnPacificTime();
    void parseReadsOwnTexts_data();
    void parseReadsOwnTexts();
};

// The rows without a zone of their own are universal time, wherever the test runs.
void TestAvm2Date::initTestCase()
{
    qputenv("TZ", "UTC");
    tzset();
}

void TestAvm2Date::fields_data()
{
    QTest::addColumn<double>("t");
    QTest::addColumn<double>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("date");
    QTest::addColumn<int>("weekDay");
    QTest::addColumn<double>("hour");
    QTest::addColumn<double>("minute");
    QTest::addColumn<double>("second");
    QTest::addColumn<double>("ms");
    QTest::addColumn<bool>("leap");

    QTest::newRow("epoch") << 0.0 << 1970.0 << 0 << 1 << 4 << 0.0 << 0.0 << 0.0 << 0.0 << false;
    QTest::newRow("just before the epoch") << -1.0 << 1969.0 << 11 << 31 << 3 << 23.0 << 59.0 << 59.0 << 999.0 << false;
    QTest::newRow("leap day 2000") << 951782400000.0 << 2000.0 << 1 << 29 << 2 << 0.0 << 0.0 << 0.0 << 0.0 << true;
    QTest::newRow("leap day 1972") << 68169600000.0 << 1972.0 << 1 << 29 << 2 << 0.0 << 0.0 << 0.0 << 0.0 << true;
    QTest::newRow("1900 is no leap year") << -2203891200000.0 << 1900.0 << 2 << 1 << 4 << 0.0 << 0.0 << 0.0 << 0.0
                                          << false;
    QTest::newRow("last ms of 1999") << 946684799999.0 << 1999.0 << 11 << 31 << 5 << 23.0 << 59.0 << 59.0 << 999.0
                                     << false;
    QTest::newRow("year 1") << -62135596800000.0 << 1.0 << 0 << 1 << 1 << 0.0 << 0.0 << 0.0 << 0.0 << false;
    QTest::newRow("1776") << -6106015426889.0 << 1776.0 << 6 << 4 << 4 << 12.0 << 36.0 << 13.0 << 111.0 << true;
    QTest::newRow("latest time") << 8.64e15 << 275760.0 << 8 << 13 << 6 << 0.0 << 0.0 << 0.0 << 0.0 << true;
    QTest::newRow("earliest time") << -8.64e15 << -271821.0 << 3 << 20 << 2 << 0.0 << 0.0 << 0.0 << 0.0 << false;
}

void TestAvm2Date::fields()
{
    QFETCH(double, t);
    QFETCH(double, year);
    QFETCH(int, month);
    QFETCH(int, date);
    QFETCH(int, weekDay);
    QFETCH(double, hour);
    QFETCH(double, minute);
    QFETCH(double, second);
    QFETCH(double, ms);
    QFETCH(bool, leap);
    QCOMPARE(DateMath::YearFromTime(t), year);
    QCOMPARE(DateMath::MonthFromTime(t), month);
    QCOMPARE(DateMath::DateFromTime(t), date);
    QCOMPARE(DateMath::WeekDay(t), weekDay);
    QCOMPARE(DateMath::HourFromTime(t), hour);
    QCOMPARE(DateMath::MinFromTime(t), minute);
    QCOMPARE(DateMath::SecFromTime(t), second);
    QCOMPARE(DateMath::MsFromTime(t), ms);
    QCOMPARE(DateMath::InLeapYear(t), leap);
    QVERIFY(DateMath::TimeWithinDay(t) >= 0 && DateMath::TimeWithinDay(t) < DateMath::MsPerDay);
}

// Values no Date holds still answer fields in their ranges, without hanging.
void TestAvm2Date::hugeTimesStayInRange_data()
{
    QTest::addColumn<double>("t");
    QTest::newRow("1e300") << 1e300;
    QTest::newRow("-1e300") << -1e300;
    QTest::newRow("largest double") << std::numeric_limits<double>::max();
    QTest::newRow("infinity") << Infinity;
    QTest::newRow("NaN") << NaN;
}

void TestAvm2Date::hugeTimesStayInRange()
{
    QFETCH(double, t);
    QVERIFY(DateMath::MonthFromTime(t) >= 0 && DateMath::MonthFromTime(t) <= 11);
    QVERIFY(DateMath::DateFromTime(t) >= 0 && DateMath::DateFromTime(t) <= 31);
    QVERIFY(DateMath::WeekDay(t) >= 0 && DateMath::WeekDay(t) <= 6);
    QCOMPARE(DateMath::ToString(t), QStringLiteral("Invalid Date"));
    QVERIFY(std::isnan(DateMath::TimeClip(DateMath::LocalTime(t))));
}

void TestAvm2Date::makeDay_data()
{
    QTest::addColumn<double>("year");
    QTest::addColumn<double>("month");
    QTest::addColumn<double>("date");
    QTest::addColumn<double>("day");

    QTest::newRow("epoch") << 1970.0 << 0.0 << 1.0 << 0.0;
    QTest::newRow("month 12 carries into the year") << 1969.0 << 12.0 << 1.0 << 0.0;
    QTest::newRow("month -1 is December before") << 1970.0 << -1.0 << 1.0 << -31.0;
    QTest::newRow("month -13") << 1971.0 << -13.0 << 1.0 << -31.0;
    QTest::newRow("date 0 is the day before") << 1970.0 << 0.0 << 0.0 << -1.0;
    QTest::newRow("leap day") << 2000.0 << 1.0 << 29.0 << 11016.0;
    QTest::newRow("month 13 of 2000") << 2000.0 << 13.0 << 1.0 << 11354.0;
    QTest::newRow("fractions are cut") << 1970.9 << 0.5 << 1.7 << 0.0;
    QTest::newRow("NaN year") << NaN << 0.0 << 1.0 << NaN;
    QTest::newRow("infinite month") << 1970.0 << Infinity << 1.0 << NaN;
    QTest::newRow("year past every time") << 1e300 << 0.0 << 1.0 << NaN;
}

void TestAvm2Date::makeDay()
{
    QFETCH(double, year);
    QFETCH(double, month);
    QFETCH(double, date);
    QFETCH(double, day);
    QVERIFY2(sameTime(DateMath::MakeDay(year, month, date), day),
             qPrintable(QString::number(DateMath::MakeDay(year, month, date), 'f', 0)));
}

void TestAvm2Date::timeClip_data()
{
    QTest::addColumn<double>("t");
    QTest::addColumn<double>("clipped");

    QTest::newRow("latest") << 8.64e15 << 8.64e15;
    QTest::newRow("past the latest") << 8.64e15 + 1 << NaN;
    QTest::newRow("earliest") << -8.64e15 << -8.64e15;
    QTest::newRow("before the earliest") << -8.64e15 - 1 << NaN;
    QTest::newRow("fraction") << 1.5 << 1.0;
    QTest::newRow("negative fraction") << -1.5 << -1.0;
    QTest::newRow("infinity") << Infinity << NaN;
    QTest::newRow("NaN") << NaN << NaN;
}

void TestAvm2Date::timeClip()
{
    QFETCH(double, t);
    QFETCH(double, clipped);
    QVERIFY(sameTime(DateMath::TimeClip(t), clipped));
}

void TestAvm2Date::utcFields_data()
{
    QTest::addColumn<QList<double>>("fields");
    QTest::addColumn<double>("t");

    QTest::newRow("1970") << QList<double>{1970, 0, 1, 0, 0, 0, 0} << 0.0;
    QTest::newRow("last ms of 1969") << QList<double>{1969, 11, 31, 23, 59, 59, 999} << -1.0;
    QTest::newRow("1000 ms carry") << QList<double>{1969, 11, 31, 23, 59, 59, 1000} << 0.0;
    QTest::newRow("NaN month") << QList<double>{1969, NaN, 31, 23, 59, 59, 999} << NaN;
    QTest::newRow("1776") << QList<double>{1776, 6, 4, 12, 36, 13, 111} << -6106015426889.0;
    QTest::newRow("2525") << QList<double>{2525, 9, 18, 15, 30, 1, 123} << 17539255801123.0;
    QTest::newRow("two-digit year") << QList<double>{99, 0, 1, 0, 0, 0, 0} << 915148800000.0;
    QTest::newRow("year 100 as given") << QList<double>{100, 0, 1, 0, 0, 0, 0} << -59011459200000.0;
    QTest::newRow("past the latest") << QList<double>{275760, 8, 13, 0, 0, 0, 1} << NaN;
}

void TestAvm2Date::utcFields()
{
    QFETCH(QList<double>, fields);
    QFETCH(double, t);
    const DateMath::Fields f{fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6]};
    QVERIFY(sameTime(DateMath::UtcFromFields(f), t));
    // In UTC the local fields are the same instant.
    QVERIFY(sameTime(DateMath::LocalFromFields(f), t));
}

void TestAvm2Date::textsInUtc_data()
{
    QTest::addColumn<double>("t");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("utc");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("localeTime");

    QTest::newRow("epoch") << 0.0 << "Thu Jan 1 00:00:00 GMT+0000 1970" << "Thu Jan 1 1970" << "00:00:00 GMT+0000"
                           << "Thu Jan 1 00:00:00 1970 UTC" << "Thu Jan 1 1970 12:00:00 AM" << "12:00:00 AM";
    QTest::newRow("afternoon") << 951839999000.0 << "Tue Feb 29 15:59:59 GMT+0000 2000" << "Tue Feb 29 2000"
                               << "15:59:59 GMT+0000" << "Tue Feb 29 15:59:59 2000 UTC" << "Tue Feb 29 2000 03:59:59 PM"
                               << "03:59:59 PM";
    QTest::newRow("noon") << 43200000.0 << "Thu Jan 1 12:00:00 GMT+0000 1970" << "Thu Jan 1 1970"
                          << "12:00:00 GMT+0000" << "Thu Jan 1 12:00:00 1970 UTC" << "Thu Jan 1 1970 12:00:00 PM"
                          << "12:00:00 PM";
    QTest::newRow("year 100") << -59011459200000.0 << "Fri Jan 1 00:00:00 GMT+0000 100" << "Fri Jan 1 100"
                              << "00:00:00 GMT+0000" << "Fri Jan 1 00:00:00 100 UTC" << "Fri Jan 1 100 12:00:00 AM"
                              << "12:00:00 AM";
    const QString invalid = QStringLiteral("Invalid Date");
    QTest::newRow("invalid") << NaN << invalid << invalid << invalid << invalid << invalid << invalid;
    QTest::newRow("past the latest") << 1e300 << invalid << invalid << invalid << invalid << invalid << invalid;
}

void TestAvm2Date::textsInUtc()
{
    QFETCH(double, t);
    QFETCH(QString, text);
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(QString, utc);
    QFETCH(QString, locale);
    QFETCH(QString, localeTime);
    QCOMPARE(DateMath::ToString(t), text);
    QCOMPARE(DateMath::ToDateString(t), date);
    QCOMPARE(DateMath::ToLocaleDateString(t), date);
    QCOMPARE(DateMath::ToTimeString(t), time);
    QCOMPARE(DateMath::ToUTCString(t), utc);
    QCOMPARE(DateMath::ToLocaleString(t), locale);
    QCOMPARE(DateMath::ToLocaleTimeString(t), localeTime);
}

void TestAvm2Date::textsOnPacificTime_data()
{
    QTest::addColumn<double>("t");
    QTest::addColumn<QString>("text");

    // Each text is one the corpus shows the reference player printing.
    QTest::newRow("epoch") << 0.0 << "Wed Dec 31 16:00:00 GMT-0800 1969";
    QTest::newRow("1900 in standard time") << -2208988800000.0 << "Sun Dec 31 16:00:00 GMT-0800 1899";
    QTest::newRow("midnight 1900") << -2208960000000.0 << "Mon Jan 1 00:00:00 GMT-0800 1900";
    QTest::newRow("2000") << 946684800000.0 << "Fri Dec 31 16:00:00 GMT-0800 1999";
    QTest::newRow("summer 2025") << 1753333172000.0 << "Wed Jul 23 21:59:32 GMT-0700 2025";
    // Daylight time by the present rules, though 1998 and 1970 had others.
    QTest::newRow("March 1998") << 889383600000.0 << "Sun Mar 8 12:00:00 GMT-0700 1998";
    QTest::newRow("late October 1998") << 909342000000.0 << "Sun Oct 25 12:00:00 GMT-0700 1998";
    QTest::newRow("April 1970") << 8035200000.0 << "Fri Apr 3 17:00:00 GMT-0700 1970";
}

void TestAvm2Date::textsOnPacificTime()
{
    QFETCH(double, t);
    QFETCH(QString, text);
    const ZoneScope zone(Pacific);
    QCOMPARE(DateMath::ToString(t), text);
    QCOMPARE(DateMath::Utc(DateMath::LocalTime(t)), t);
    QCOMPARE(DateMath::LocalTZA(), -8.0 * DateMath::MsPerHour);
}

void TestAvm2Date::fieldsOnPacificTime_data()
{
    QTest::addColumn<QList<double>>("fields");
    QTest::addColumn<double>("t");

    QTest::newRow("epoch") << QList<double>{1969, 11, 31, 16, 0, 0, 0} << 0.0;
    QTest::newRow("local midnight 1970") << QList<double>{1970, 0, 1, 0, 0, 0, 0} << 28800000.0;
    QTest::newRow("leap day") << QList<double>{2000, 1, 29, 0, 0, 0, 0} << 951811200000.0;
    QTest::newRow("summer") << QList<double>{2025, 6, 23, 21, 59, 32, 0} << 1753333172000.0;
    QTest::newRow("1998 spring, present rules") << QList<double>{1998, 2, 8, 12, 0, 0, 0} << 889383600000.0;
}

// The getters split local time into these fields, and the constructor joins them.
void TestAvm2Date::fieldsOnPacificTime()
{
    QFETCH(QList<double>, fields);
    QFETCH(double, t);
    const ZoneScope zone(Pacific);
    const DateMath::Fields f{fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6]};
    QCOMPARE(DateMath::LocalFromFields(f), t);
    const DateMath::Fields split = DateMath::Split(DateMath::LocalTime(t));
    QCOMPARE(QList<double>({split.year, split.month, split.date, split.hours, split.minutes, split.seconds,
                            split.ms}),
             fields);
}

// setMonth(6) on new Date(0), seen from the Pacific: July 31 16:00, now in daylight time.
void TestAvm2Date::replacingAField()
{
    const ZoneScope zone(Pacific);
    DateMath::Fields f = DateMath::Split(DateMath::LocalTime(0));
    f.month = 6;
    QCOMPARE(DateMath::TimeClip(DateMath::Utc(DateMath::Join(f))), -13222800000.0);
    QVERIFY(std::isnan(DateMath::Join(DateMath::Split(NaN))));
}

void TestAvm2Date::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("t");

    QTest::newRow("own text") << "Thu Jan 1 00:00:00 GMT+0000 1970" << 0.0;
    QTest::newRow("own text, other zone") << "Mon Jan 1 00:00:00 GMT-0800 1900" << -2208960000000.0;
    QTest::newRow("UTC text") << "Mon Jan 1 00:00:00 1900 UTC" << -2208988800000.0;
    QTest::newRow("UTC text with seconds") << "Thu Jan 1 07:59:59 1970 UTC" << 28799000.0;
    QTest::newRow("UTC leap day") << "Tue Feb 29 08:00:00 2000 UTC" << 951811200000.0;
    QTest::newRow("slashes, AM") << "1/1/1999 12:30 AM" << 915150600000.0;
    QTest::newRow("slashes, PM") << "1/1/1999 12:30 PM" << 915193800000.0;
    QTest::newRow("13 AM") << "1/1/1999 13:30 AM" << NaN;
    QTest::newRow("13 PM") << "1/1/1999 13:30 PM" << NaN;
    QTest::newRow("year first") << "1999/01/01 00:30:00" << 915150600000.0;
    QTest::newRow("month name first") << "Jan 1 1999 00:30:00 GMT+0000" << 915150600000.0;
    QTest::newRow("month and slashes") << "Jan/1/1999" << 915148800000.0;
    QTest::newRow("day before month") << "Fri 1 Jan 00:30:00 GMT+0000 1999" << 915150600000.0;
    QTest::newRow("comma") << "Jan 1, 1999" << 915148800000.0;
    QTest::newRow("time first") << "00:30:00 GMT+0000 Fri Jan/1/1999" << 915150600000.0;
    QTest::newRow("offset with minutes") << "Jan 1 1999 06:00:00 UTC+0530" << 915150600000.0;
    QTest::newRow("full names") << "Friday January 1 1999" << 915148800000.0;
    QTest::newRow("locale text") << "Fri Jan 1 1999 12:30:00 AM" << 915150600000.0;
    QTest::newRow("AM without a time") << "Jan 1 1999 AM" << NaN;
    QTest::newRow("two zones") << "Jan 1 1999 GMT+0100 GMT+0200" << NaN;
    QTest::newRow("unclosed bracket") << "Jan 1 1999 (PST" << NaN;
    QTest::newRow("bracketed comment") << "Jan 1 1999 (any words)" << 915148800000.0;
    QTest::newRow("no year") << "Jan 1 00:00:00" << NaN;
    QTest::newRow("unknown word") << "Jan 1 1999 tomorrow" << NaN;
    QTest::newRow("empty") << "" << NaN;
    QTest::newRow("digits of another script") << QString::fromUtf8("Jan \u0661 1999") << NaN;
    QTest::newRow("minute 60") << "1/1/1999 10:60" << NaN;
    QTest::newRow("month 13") << "13/1/1999" << NaN;
    QTest::newRow("huge number") << "1/1/99999999999999" << NaN;
    QTest::newRow("oversize text") << QString(DateMath::MaxParseLength + 1, QLatin1Char(' ')) + "1/1/1999" << NaN;
}

void TestAvm2Date::parse()
{
    QFETCH(QString, text);
    QFETCH(double, t);
    const double parsed = DateMath::Parse(text);
    QVERIFY2(sameTime(parsed, t), qPrintable(QString::number(parsed, 'f', 0)));
}

void TestAvm2Date::parseOnPacificTime_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("t");

    QTest::newRow("local slashes") << "1/1/1999 12:30 AM" << 915179400000.0;
    QTest::newRow("local summer") << "7/23/2025 21:59:32" << 1753333172000.0;
    QTest::newRow("zone given") << "Thu Jan 1 00:00:00 GMT+0000 1970" << 0.0;
}

void TestAvm2Date::parseOnPacificTime()
{
    QFETCH(QString, text);
    QFETCH(double, t);
    const ZoneScope zone(Pacific);
    QCOMPARE(DateMath::Parse(text), t);
}

void TestAvm2Date::parseReadsOwnTexts_data()
{
    QTest::addColumn<double>("t");

    QTest::newRow("epoch") << 0.0;
    QTest::newRow("1900") << -2208988800000.0;
    QTest::newRow("leap day") << 951782400000.0;
    QTest::newRow("second before 2005") << 1104537599000.0;
    QTest::newRow("summer") << 1753333172000.0;
    QTest::newRow("1776") << -6106015426000.0;
}

void TestAvm2Date::parseReadsOwnTexts()
{
    QFETCH(double, t);
    const ZoneScope zone(Pacific);
    QCOMPARE(DateMath::Parse(DateMath::ToString(t)), t);
    QCOMPARE(DateMath::Parse(DateMath::ToUTCString(t)), t);
    QCOMPARE(DateMath::Parse(DateMath::ToLocaleString(t)), t);
    // The date alone reads as that day's local midnight.
    const double local = DateMath::LocalTime(t);
    const double midnight = DateMath::Utc(local - DateMath::TimeWithinDay(local));
    QCOMPARE(DateMath::Parse(DateMath::ToDateString(t)), midnight);
    QCOMPARE(DateMath::Parse(DateMath::ToLocaleDateString(t)), midnight);
}

QTEST_APPLESS_MAIN(TestAvm2Date)
#include "tst_avm2_date.moc"
