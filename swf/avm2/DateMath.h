#pragma once

#include <QString>

#include <array>

namespace swf::avm2::DateMath {

// A time value is a double: milliseconds since 1970-01-01 00:00 UTC, NaN for
// an invalid date. These are the calendar rules the Date class is built on,
// free of any object model so the class can bind them as it likes.

constexpr double MsPerSecond = 1000.0;
constexpr double MsPerMinute = 60000.0;
constexpr double MsPerHour = 3600000.0;
constexpr double MsPerDay = 86400000.0;
// The largest distance from 1970 a time value may have, in either direction.
constexpr double MaxTimeValue = 8.64e15;

// The names the texts print and Date.parse reads (by their first three letters).
inline constexpr std::array<const char *, 7> DayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
inline constexpr std::array<const char *, 12> MonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Whole days since the epoch, and the milliseconds into that day (0 <= x < MsPerDay).
double Day(double t);
double TimeWithinDay(double t);

double DaysInYear(double year);
double DayFromYear(double year);
double TimeFromYear(double year);
double YearFromTime(double t);
bool InLeapYear(double t);

// Calendar fields of a valid time value (0-based month, 1-based date,
// 0 = Sunday); a NaN time value answers 0, so callers check validity first.
int MonthFromTime(double t);
int DateFromTime(double t);
int WeekDay(double t);

// The clock fields; NaN in, NaN out.
double HourFromTime(double t);
double MinFromTime(double t);
double SecFromTime(double t);
double MsFromTime(double t);

// The local zone comes from the C library (the TZ variable decides; call
// tzset() after changing it). Daylight saving follows the zone's present
// rules for every year, as the reference player does: a year is looked up
// as a recent year that has the same length and starts on the same weekday.
double LocalTZA();                 // standard offset from UTC, in ms
double DaylightSavingTA(double t); // extra offset at UTC instant t, in ms
double LocalTime(double t);        // UTC -> local
double Utc(double t);              // local -> UTC

// Field arithmetic: arguments are truncated to integers, any non-finite one
// gives NaN; months outside 0..11 carry into the year.
double MakeTime(double hour, double min, double sec, double ms);
double MakeDay(double year, double month, double date);
double MakeDate(double day, double time);
double TimeClip(double t);

// A time value's calendar and clock fields, for the getters and setters:
// split a (local or UTC) time, replace some fields, join it again. A NaN
// time value splits into NaN fields; any NaN field joins to NaN.
struct Fields {
    double year;
    double month;
    double date;
    double hours;
    double minutes;
    double seconds;
    double ms;
};
Fields Split(double t);
double Join(const Fields &fields); // MakeDate(MakeDay(...), MakeTime(...)), not clipped

// Date.UTC and new Date(year, month, ...), all fields given (the callers fill
// the missing ones: date 1, the rest 0): a year 0..99 means 1900 + year.
// The result is clipped.
double UtcFromFields(const Fields &fields);
double LocalFromFields(const Fields &fields);

double Now();

// The texts the reference player prints; every one is "Invalid Date" for NaN.
QString ToString(double t);           // "Thu Jan 1 00:00:00 GMT+0000 1970"
QString ToDateString(double t);       // "Thu Jan 1 1970"
QString ToTimeString(double t);       // "00:00:00 GMT+0000"
QString ToLocaleString(double t);     // "Thu Jan 1 1970 12:00:00 AM"
QString ToLocaleDateString(double t); // "Thu Jan 1 1970"
QString ToLocaleTimeString(double t); // "12:00:00 AM"
QString ToUTCString(double t);        // "Thu Jan 1 00:00:00 1970 UTC"

// Date.parse: the player's own texts above and the forms its reference lists
// ("MM/DD/YYYY HH:MM:SS TZD", "Mon DD YYYY HH:MM:SS TZD", "YYYY/MM/DD",
// "Day DD Mon HH:MM:SS TZD YYYY", 12-hour times with AM/PM), where TZD is
// GMT or UTC with an optional "+HHMM"/"-HHMM"; no zone means local time.
// Anything else, or text longer than MaxParseLength, is NaN.
constexpr int MaxParseLength = 256;
double Parse(const QString &text);

} // namespace swf::avm2::DateMath
