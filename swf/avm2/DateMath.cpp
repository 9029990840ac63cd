#include "DateMath.h"

#include <QDateTime>

#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>
#include <limits>

namespace swf::avm2::DateMath {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double EpochYear = 1970.0;
constexpr double DaysPerCommonYear = 365.0;
constexpr double DaysPerLeapYear = 366.0;
constexpr double MeanDaysPerYear = 365.2425;
constexpr double HoursPerDay = 24.0;
constexpr double MinutesPerHour = 60.0;
constexpr double SecondsPerMinute = 60.0;
constexpr double MonthsPerYear = 12.0;
constexpr int DaysPerWeek = 7;
// 1 January 1970 was a Thursday.
constexpr int EpochWeekDay = 4;
// Years further than this from 1970 lie past every valid time value; MakeDay
// refuses them so the day count stays exact in a double.
constexpr double MaxYearDistance = 400000.0;

// Days before each month, in a common year and in a leap year.
constexpr std::array<int, 13> CommonMonthStarts = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};
constexpr std::array<int, 13> LeapMonthStarts = {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366};

// Zone rules are read for years in this window, which holds every pairing of
// year length and first weekday, and which the zone's present rules govern.
constexpr int RuleWindowFirst = 2008;
constexpr int RuleWindowYears = 28;

double positiveModulo(double a, double b)
{
    const double r = std::fmod(a, b);
    return r < 0 ? r + b : r;
}

double toInteger(double x)
{
    return std::trunc(x) + 0.0;
}

const std::array<int, 13> &monthStarts(double t)
{
    return InLeapYear(t) ? LeapMonthStarts : CommonMonthStarts;
}

// Clamped, as a time value far past the valid range loses the exact day.
int dayWithinYear(double t)
{
    const double day = Day(t) - DayFromYear(YearFromTime(t));
    if (!(day >= 0))
        return 0;
    return int(std::min(day, DaysPerCommonYear));
}

bool isLeap(double year)
{
    return DaysInYear(year) == DaysPerLeapYear;
}

// A year in the rule window that has the same length as `year` and starts
// on the same weekday, so its calendar matches day for day.
double equivalentYear(double year)
{
    if (year >= RuleWindowFirst && year < RuleWindowFirst + RuleWindowYears)
        return year;
    const int weekDay = WeekDay(TimeFromYear(year));
    const bool leap = isLeap(year);
    for (int candidate = RuleWindowFirst; candidate < RuleWindowFirst + RuleWindowYears; ++candidate) {
        if (isLeap(candidate) == leap && WeekDay(TimeFromYear(candidate)) == weekDay)
            return candidate;
    }
    return year;
}

struct ZoneReading {
    double offset = 0; // ms east of UTC
    bool daylight = false;
};

ZoneReading readZone(double utcMs)
{
    const std::time_t seconds = std::time_t(std::floor(utcMs / MsPerSecond));
    std::tm fields{};
    if (!localtime_r(&seconds, &fields))
        return {};
    return {double(fields.tm_gmtoff) * MsPerSecond, fields.tm_isdst > 0};
}

// The zone's full offset at UTC instant t, read in the equivalent rule year.
double zoneOffset(double t)
{
    if (!std::isfinite(t))
        return 0;
    const double year = YearFromTime(t);
    const double shifted = t - TimeFromYear(year) + TimeFromYear(equivalentYear(year));
    return readZone(shifted).offset;
}

// Years 0..99 given as fields stand for 1900..1999.
Fields withFullYear(Fields fields)
{
    constexpr double TwoDigitYearBase = 1900.0;
    constexpr double LastTwoDigitYear = 99.0;
    if (std::isfinite(fields.year)) {
        const double whole = toInteger(fields.year);
        if (whole >= 0 && whole <= LastTwoDigitYear)
            fields.year = TwoDigitYearBase + whole;
    }
    return fields;
}

} // namespace

double Day(double t)
{
    return std::floor(t / MsPerDay);
}

double TimeWithinDay(double t)
{
    return positiveModulo(t, MsPerDay);
}

double DaysInYear(double year)
{
    if (std::fmod(year, 4.0) != 0)
        return DaysPerCommonYear;
    if (std::fmod(year, 100.0) != 0)
        return DaysPerLeapYear;
    return std::fmod(year, 400.0) == 0 ? DaysPerLeapYear : DaysPerCommonYear;
}

double DayFromYear(double year)
{
    return DaysPerCommonYear * (year - EpochYear) + std::floor((year - 1969.0) / 4.0) -
           std::floor((year - 1901.0) / 100.0) + std::floor((year - 1601.0) / 400.0);
}

double TimeFromYear(double year)
{
    return MsPerDay * DayFromYear(year);
}

double YearFromTime(double t)
{
    if (!std::isfinite(t))
        return NaN;
    // The mean-year estimate is off by at most one, either way.
    constexpr int MaxCorrections = 2;
    double year = std::floor(Day(t) / MeanDaysPerYear) + EpochYear;
    for (int i = 0; i < MaxCorrections && TimeFromYear(year) > t; ++i)
        year -= 1;
    for (int i = 0; i < MaxCorrections && TimeFromYear(year + 1) <= t; ++i)
        year += 1;
    return year;
}

bool InLeapYear(double t)
{
    return std::isfinite(t) && isLeap(YearFromTime(t));
}

int MonthFromTime(double t)
{
    if (!std::isfinite(t))
        return 0;
    const auto &starts = monthStarts(t);
    const int day = dayWithinYear(t);
    int month = 0;
    while (month < 11 && day >= starts[month + 1])
        ++month;
    return month;
}

int DateFromTime(double t)
{
    if (!std::isfinite(t))
        return 0;
    return dayWithinYear(t) - monthStarts(t)[MonthFromTime(t)] + 1;
}

int WeekDay(double t)
{
    if (!std::isfinite(t))
        return 0;
    return int(positiveModulo(Day(t) + EpochWeekDay, DaysPerWeek));
}

double HourFromTime(double t)
{
    return positiveModulo(std::floor(t / MsPerHour), HoursPerDay);
}

double MinFromTime(double t)
{
    return positiveModulo(std::floor(t / MsPerMinute), MinutesPerHour);
}

double SecFromTime(double t)
{
    return positiveModulo(std::floor(t / MsPerSecond), SecondsPerMinute);
}

double MsFromTime(double t)
{
    return positiveModulo(t, MsPerSecond);
}

double LocalTZA()
{
    // The standard offset is the one of this year's two solstice months that
    // is not daylight time; a zone that never changes has the same in both.
    const double year = YearFromTime(Now());
    const double january = TimeFromYear(year);
    const double july = january + MsPerDay * LeapMonthStarts[6];
    const ZoneReading winter = readZone(january);
    const ZoneReading summer = readZone(july);
    if (winter.daylight && !summer.daylight)
        return summer.offset;
    return winter.offset;
}

double DaylightSavingTA(double t)
{
    if (!std::isfinite(t))
        return NaN;
    return zoneOffset(t) - LocalTZA();
}

double LocalTime(double t)
{
    return t + LocalTZA() + DaylightSavingTA(t);
}

double Utc(double t)
{
    const double standard = LocalTZA();
    return t - standard - DaylightSavingTA(t - standard);
}

double MakeTime(double hour, double min, double sec, double ms)
{
    if (!std::isfinite(hour) || !std::isfinite(min) || !std::isfinite(sec) || !std::isfinite(ms))
        return NaN;
    return toInteger(hour) * MsPerHour + toInteger(min) * MsPerMinute + toInteger(sec) * MsPerSecond +
           toInteger(ms);
}

double MakeDay(double year, double month, double date)
{
    if (!std::isfinite(year) || !std::isfinite(month) || !std::isfinite(date))
        return NaN;
    const double m = toInteger(month);
    const double y = toInteger(year) + std::floor(m / MonthsPerYear);
    if (std::fabs(y - EpochYear) > MaxYearDistance)
        return NaN;
    const int mn = int(positiveModulo(m, MonthsPerYear));
    const auto &starts = isLeap(y) ? LeapMonthStarts : CommonMonthStarts;
    return DayFromYear(y) + starts[mn] + toInteger(date) - 1;
}

double MakeDate(double day, double time)
{
    if (!std::isfinite(day) || !std::isfinite(time))
        return NaN;
    return day * MsPerDay + time;
}

double TimeClip(double t)
{
    if (!std::isfinite(t) || std::fabs(t) > MaxTimeValue)
        return NaN;
    return toInteger(t);
}

Fields Split(double t)
{
    if (!std::isfinite(t))
        return {NaN, NaN, NaN, NaN, NaN, NaN, NaN};
    return {YearFromTime(t),   double(MonthFromTime(t)), double(DateFromTime(t)), HourFromTime(t),
            MinFromTime(t),    SecFromTime(t),           MsFromTime(t)};
}

double Join(const Fields &f)
{
    return MakeDate(MakeDay(f.year, f.month, f.date), MakeTime(f.hours, f.minutes, f.seconds, f.ms));
}

double UtcFromFields(const Fields &fields)
{
    return TimeClip(Join(withFullYear(fields)));
}

double LocalFromFields(const Fields &fields)
{
    return TimeClip(Utc(Join(withFullYear(fields))));
}

double Now()
{
    return double(QDateTime::currentMSecsSinceEpoch());
}

} // namespace swf::avm2::DateMath
