// Date: a moment as milliseconds since 1970 in universal time, read and
// changed field by field in the local zone or in universal time, and Date.UTC.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/script/NumberText.h"

#include <QDateTime>

#include <algorithm>
#include <array>

namespace swf {

namespace {

constexpr double MsPerSecond = 1000;
constexpr double SecondsPerMinute = 60;
constexpr double MinutesPerHour = 60;
constexpr double HoursPerDay = 24;
constexpr double MsPerMinute = SecondsPerMinute * MsPerSecond;
constexpr double MsPerHour = MinutesPerHour * MsPerMinute;
constexpr double MsPerDay = HoursPerDay * MsPerHour;
constexpr double DaysPerWeek = 7;
constexpr int MonthsPerYear = 12;
// 1 January 1970 was a Thursday.
constexpr double EpochWeekday = 4;

// The Gregorian calendar repeats every 400 years; counted from 1 March, a
// year's leap day falls at its end.
constexpr double YearsPerEra = 400;
constexpr double DaysPerEra = 146097;
constexpr double DaysPerYear = 365;
constexpr double LeapCycle = 4;
constexpr double CenturyYears = 100;
// Days from 1 March of year 0 to 1 January 1970.
constexpr double EraStartToEpoch = 719468;
// Months counted from March: their first days follow (153 m + 2) / 5.
constexpr double DaysPerFiveMonths = 153;
constexpr double FiveMonths = 5;
constexpr double MonthDayRounding = 2;
constexpr int MarchFirstMonthShift = 2;
// The day of an era's year up to 1460 (4 years), 36524 (100) and 146096
// (400) days in, for counting the leap days before it.
constexpr double DaysPerLeapCycle = 1460;
constexpr double DaysPerCentury = 36524;
constexpr double LastDayOfEra = 146096;

// Years 0..99 that a date is made of mean 1900..1999.
constexpr double TwoDigitYearBase = 1900;
constexpr double TwoDigitYearEnd = 100;
// Setters answer NaN for moments further from 1970 than 100 million days.
constexpr double MaxTime = 8.64e15;
// Date.UTC answers undefined for fewer arguments (a year and a month).
constexpr size_t MinUtcArguments = 2;
constexpr int TwoDigits = 2;
constexpr int DecimalRadix = 10;

const char *const DayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char *const MonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

const double NaN = std::nan("");

// The moment a Date object holds.
struct DatePayload : NativePayload {
    explicit DatePayload(double t) : time(t) {}
    bool addsAsText() const override { return true; }
    double time;
};

// A moment's fields, from the year down to the millisecond, in the order
// the constructor, Date.UTC and the setters take them.
enum Field { Year, Month, Day, Hours, Minutes, Seconds, Milliseconds, FieldCount };
using Fields = std::array<double, FieldCount>;

enum class Zone { Local, Universal };

// a modulo b, from 0 up to b; NaN when a is not finite.
double modulo(double a, double b)
{
    const double r = std::fmod(a, b);
    return (r < 0 ? r + b : r) + 0.0;
}

// Non-finite calendar fields read as 0, as the reference player has them.
double finiteOrZero(double d) { return std::isfinite(d) ? d : 0; }

double now() { return double(QDateTime::currentMSecsSinceEpoch()); }

// The local zone's offset from universal time at a moment, in milliseconds.
double zoneOffset(double utc)
{
    if (!std::isfinite(utc))
        return 0;
    const auto ms = qint64(std::clamp(utc, -MaxTime, MaxTime));
    return MsPerSecond * QDateTime::fromMSecsSinceEpoch(ms).offsetFromUtc();
}

double toZone(double utc, Zone zone) { return zone == Zone::Local ? utc + zoneOffset(utc) : utc; }

double fromZone(double t, Zone zone)
{
    return zone == Zone::Local ? t - zoneOffset(t - zoneOffset(t)) : t;
}

// NaN for moments the setters do not reach.
double clipped(double t) { return std::isfinite(t) && std::abs(t) <= MaxTime ? std::trunc(t) + 0.0 : NaN; }

// The day number (0: 1 January 1970) of the first day of a month (0..11).
double daysFromCivil(double year, int month)
{
    const int fromMarch = (month + MonthsPerYear - MarchFirstMonthShift) % MonthsPerYear;
    const double y = month < MarchFirstMonthShift ? year - 1 : year;
    const double era = std::floor(y / YearsPerEra);
    const double yearOfEra = y - era * YearsPerEra;
    const double dayOfYear = std::floor((DaysPerFiveMonths * fromMarch + MonthDayRounding) / FiveMonths);
    const double dayOfEra = yearOfEra * DaysPerYear + std::floor(yearOfEra / LeapCycle) -
                            std::floor(yearOfEra / CenturyYears) + dayOfYear;
    return era * DaysPerEra + dayOfEra - EraStartToEpoch;
}

struct CivilDate {
    double year;
    int month; // 0..11
    double day; // 1..31
};

CivilDate civilFromDays(double days)
{
    const double z = days + EraStartToEpoch;
    const double era = std::floor(z / DaysPerEra);
    // Far from 1970 the subtraction loses its precision: keep within the era.
    const double dayOfEra = std::clamp(z - era * DaysPerEra, 0.0, LastDayOfEra);
    const double yearOfEra = std::floor((dayOfEra - std::floor(dayOfEra / DaysPerLeapCycle) +
                                         std::floor(dayOfEra / DaysPerCentury) - std::floor(dayOfEra / LastDayOfEra)) /
                                        DaysPerYear);
    const double dayOfYear = dayOfEra - (DaysPerYear * yearOfEra + std::floor(yearOfEra / LeapCycle) -
                                         std::floor(yearOfEra / CenturyYears));
    const int fromMarch = std::clamp(int((FiveMonths * dayOfYear + MonthDayRounding) / DaysPerFiveMonths), 0,
                                     MonthsPerYear - 1);
    const double day = dayOfYear - std::floor((DaysPerFiveMonths * fromMarch + MonthDayRounding) / FiveMonths) + 1;
    const int month = (fromMarch + MarchFirstMonthShift) % MonthsPerYear;
    const double year = yearOfEra + era * YearsPerEra + (month < MarchFirstMonthShift ? 1 : 0);
    return {year, month, day};
}

struct Breakdown {
    CivilDate date;
    double weekday, hours, minutes, seconds, ms;
};

// A moment as a calendar date, weekday and time of day (t not NaN). Days,
// minutes and seconds count from the moment itself; the reference player
// takes hours and milliseconds from it cut to a whole millisecond, so that
// -0.5 reads 00:59:59.000 on 31 December 1969.
Breakdown breakdown(double t)
{
    const double day = std::floor(t / MsPerDay);
    const double whole = std::trunc(t);
    return {civilFromDays(finiteOrZero(day)),
            finiteOrZero(modulo(day + EpochWeekday, DaysPerWeek)),
            finiteOrZero(modulo(std::floor(whole / MsPerHour), HoursPerDay)),
            finiteOrZero(modulo(std::floor(t / MsPerMinute), MinutesPerHour)),
            finiteOrZero(modulo(std::floor(t / MsPerSecond), SecondsPerMinute)),
            finiteOrZero(modulo(whole, MsPerSecond))};
}

Fields fieldsOf(double t)
{
    const Breakdown f = breakdown(t);
    return {f.date.year, double(f.date.month), f.date.day, f.hours, f.minutes, f.seconds, f.ms};
}

// The moment of the fields: months beyond the year carry into it, and so on
// down; a year or month that is not finite counts as 0.
double timeOf(const Fields &f)
{
    const double year = finiteOrZero(f[Year] + std::floor(f[Month] / MonthsPerYear));
    const int month = int(finiteOrZero(modulo(f[Month], MonthsPerYear)));
    const double day = daysFromCivil(year, std::clamp(month, 0, MonthsPerYear - 1)) + f[Day] - 1;
    const double time = f[Hours] * MsPerHour + f[Minutes] * MsPerMinute + f[Seconds] * MsPerSecond + f[Milliseconds];
    return day * MsPerDay + time;
}

// The arguments a Date function reads: those before the first undefined.
size_t givenCount(const NativeCall &call)
{
    const auto end = std::find_if(call.args.begin(), call.args.end(),
                                  [](const Value &v) { return std::holds_alternative<Undefined>(v); });
    return size_t(end - call.args.begin());
}

// A value as Date takes it for a number: an object by its valueOf alone,
// NaN when that answers an object too.
Value plainValue(NativeCall &call, const Value &v)
{
    const ScriptObject *object = objectOf(v);
    if (!object)
        return v;
    const Value *valueOf = object->find(call.key(QStringLiteral("valueOf")));
    const Value plain = valueOf ? call.cx.call(*valueOf, v, {}) : Value(Undefined{});
    return objectOf(plain) ? Value(NaN) : plain;
}

// Argument i as a number; empty text is NaN here, in every version.
double dateNumber(NativeCall &call, size_t i)
{
    if (i >= givenCount(call))
        return NaN;
    const Value plain = plainValue(call, call.args[i]);
    const auto *text = std::get_if<QString>(&plain);
    return text && text->isEmpty() ? NaN : call.cx.toNumber(plain);
}

double twoDigitYear(double year) { return year < TwoDigitYearEnd ? year + TwoDigitYearBase : year; }

// The fields the constructor and Date.UTC are given, the rest at their start.
Fields fieldsFromArguments(NativeCall &call, size_t count)
{
    Fields fields{0, 0, 1, 0, 0, 0, 0};
    for (size_t i = 0; i < std::min(count, size_t(FieldCount)); ++i) {
        const double n = dateNumber(call, i);
        fields[i] = std::trunc(i == Year ? twoDigitYear(n) : n);
    }
    return fields;
}

DatePayload *dateOf(const NativeCall &call)
{
    const ScriptObject *object = call.object();
    return object ? object->payloadAs<DatePayload>() : nullptr;
}

QString paddedNumber(double n) { return QStringLiteral("%1").arg(int(n), TwoDigits, DecimalRadix, QLatin1Char('0')); }

QString zoneText(double offset)
{
    const int minutes = int(std::lround(std::abs(offset) / MsPerMinute));
    return QLatin1String(offset < 0 ? "-" : "+") + paddedNumber(minutes / int(MinutesPerHour)) +
           paddedNumber(minutes % int(MinutesPerHour));
}

// The reference player's text: "Fri Apr 13 21:20:24 GMT+0000 1973", in local time.
QString dateText(double t)
{
    if (std::isnan(t))
        return QStringLiteral("Invalid Date");
    const double offset = zoneOffset(t);
    const Breakdown f = breakdown(t + offset);
    return QStringLiteral("%1 %2 %3 %4:%5:%6 GMT%7 %8")
        .arg(QLatin1String(DayNames[int(f.weekday)]), QLatin1String(MonthNames[f.date.month]),
             NumberToString(f.date.day), paddedNumber(f.hours), paddedNumber(f.minutes), paddedNumber(f.seconds),
             zoneText(offset), NumberToString(f.date.year));
}

// new Date(): now; new Date(ms): that moment as given, fractions and all;
// new Date(year, month...): local fields. Called without new, Date answers
// the current time as text.
Value construct(NativeCall &call)
{
    if (!call.construct || !call.object())
        return dateText(now());
    const size_t count = givenCount(call);
    const double time = count == 0   ? now()
                        : count == 1 ? dateNumber(call, 0)
                                     : fromZone(timeOf(fieldsFromArguments(call, count)), Zone::Local);
    call.object()->payload = std::make_unique<DatePayload>(time);
    return call.self;
}

Value utc(NativeCall &call)
{
    // The arguments are read even when too few.
    const size_t count = givenCount(call);
    const Fields fields = fieldsFromArguments(call, count);
    if (count < MinUtcArguments)
        return Undefined{};
    return timeOf(fields);
}

Value getTime(NativeCall &call)
{
    const DatePayload *date = dateOf(call);
    return date ? Value(date->time) : Value(Undefined{});
}

template <Field field, Zone zone> Value getField(NativeCall &call)
{
    const DatePayload *date = dateOf(call);
    if (!date)
        return Undefined{};
    return std::isnan(date->time) ? NaN : fieldsOf(toZone(date->time, zone))[field];
}

template <Zone zone> Value getYear(NativeCall &call)
{
    const Value year = getField<Year, zone>(call);
    const auto *n = std::get_if<double>(&year);
    return n ? Value(*n - TwoDigitYearBase) : year;
}

template <Zone zone> Value getDay(NativeCall &call)
{
    const DatePayload *date = dateOf(call);
    if (!date)
        return Undefined{};
    return std::isnan(date->time) ? NaN : breakdown(toZone(date->time, zone)).weekday;
}

Value getTimezoneOffset(NativeCall &call)
{
    const DatePayload *date = dateOf(call);
    if (!date)
        return Undefined{};
    return (date->time - toZone(date->time, Zone::Local)) / MsPerMinute;
}

Value toString(NativeCall &call)
{
    const DatePayload *date = dateOf(call);
    return date ? Value(dateText(date->time)) : Value(Undefined{});
}

Value setTime(NativeCall &call)
{
    DatePayload *date = dateOf(call);
    if (!date)
        return Undefined{};
    date->time = clipped(dateNumber(call, 0));
    return date->time;
}

// A setter's argument for a field: months treat NaN as 0, the rest keep it.
double fieldArgument(NativeCall &call, size_t i, Field field)
{
    const double n = std::trunc(dateNumber(call, i));
    return field == Month && std::isnan(n) ? 0 : n;
}

// Replaces the date's fields from first on and answers the new moment; a
// date holding NaN keeps it.
Value replaceFields(DatePayload &date, Zone zone, Field first, const std::vector<double> &values)
{
    if (std::isnan(date.time))
        return NaN;
    Fields fields = fieldsOf(toZone(date.time, zone));
    std::copy(values.begin(), values.end(), fields.begin() + first);
    date.time = clipped(fromZone(timeOf(fields), zone));
    return date.time;
}

// Sets the date's fields first..last from the arguments given (the first
// always, NaN when missing). The arguments are read even when the date
// holds NaN.
template <Field first, Field last, Zone zone> Value setFields(NativeCall &call)
{
    DatePayload *date = dateOf(call);
    if (!date)
        return Undefined{};
    std::vector<double> values(std::clamp(givenCount(call), size_t(1), size_t(last - first + 1)));
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = fieldArgument(call, i, Field(first + i));
    return replaceFields(*date, zone, first, values);
}

// setYear: years 0..99 mean 1900..1999; fractions and NaN go to whole years.
Value setYear(NativeCall &call)
{
    DatePayload *date = dateOf(call);
    if (!date)
        return Undefined{};
    const double n = dateNumber(call, 0);
    const double year = n >= 0 && n < TwoDigitYearEnd ? n + TwoDigitYearBase : n;
    return replaceFields(*date, Zone::Local, Year, {std::isnan(year) ? 0 : std::trunc(year)});
}

} // namespace

const ClassDecl DateClass{
    "Date",
    construct,
    {
        {"getFullYear", getField<Year, Zone::Local>},
        {"getYear", getYear<Zone::Local>},
        {"getMonth", getField<Month, Zone::Local>},
        {"getDate", getField<Day, Zone::Local>},
        {"getDay", getDay<Zone::Local>},
        {"getHours", getField<Hours, Zone::Local>},
        {"getMinutes", getField<Minutes, Zone::Local>},
        {"getSeconds", getField<Seconds, Zone::Local>},
        {"getMilliseconds", getField<Milliseconds, Zone::Local>},
        {"getUTCFullYear", getField<Year, Zone::Universal>},
        {"getUTCYear", getYear<Zone::Universal>},
        {"getUTCMonth", getField<Month, Zone::Universal>},
        {"getUTCDate", getField<Day, Zone::Universal>},
        {"getUTCDay", getDay<Zone::Universal>},
        {"getUTCHours", getField<Hours, Zone::Universal>},
        {"getUTCMinutes", getField<Minutes, Zone::Universal>},
        {"getUTCSeconds", getField<Seconds, Zone::Universal>},
        {"getUTCMilliseconds", getField<Milliseconds, Zone::Universal>},
        {"getTime", getTime},
        {"getTimezoneOffset", getTimezoneOffset},
        {"setTime", setTime},
        {"setFullYear", setFields<Year, Day, Zone::Local>},
        {"setYear", setYear},
        {"setMonth", setFields<Month, Day, Zone::Local>},
        {"setDate", setFields<Day, Day, Zone::Local>},
        {"setHours", setFields<Hours, Milliseconds, Zone::Local>},
        {"setMinutes", setFields<Minutes, Milliseconds, Zone::Local>},
        {"setSeconds", setFields<Seconds, Milliseconds, Zone::Local>},
        {"setMilliseconds", setFields<Milliseconds, Milliseconds, Zone::Local>},
        {"setUTCFullYear", setFields<Year, Day, Zone::Universal>},
        {"setUTCMonth", setFields<Month, Day, Zone::Universal>},
        {"setUTCDate", setFields<Day, Day, Zone::Universal>},
        {"setUTCHours", setFields<Hours, Milliseconds, Zone::Universal>},
        {"setUTCMinutes", setFields<Minutes, Milliseconds, Zone::Universal>},
        {"setUTCSeconds", setFields<Seconds, Milliseconds, Zone::Universal>},
        {"setUTCMilliseconds", setFields<Milliseconds, Milliseconds, Zone::Universal>},
        {"toString", toString},
        SameAs("valueOf", "getTime"),
    },
    {{"UTC", utc}},
    {},
    5,
    ConstantFlags,
};

} // namespace swf
