// The Date class's text forms, on top of the calendar rules.
#include "DateMath.h"

#include <cmath>

namespace swf::avm2::DateMath {

namespace {

constexpr int HoursPerHalfDay = 12;
constexpr int MinutesPerHour = 60;

QString invalidDate()
{
    return QStringLiteral("Invalid Date");
}

// Only clipped time values have texts; anything else is no date.
bool isInvalid(double t)
{
    return !(std::fabs(t) <= MaxTimeValue);
}

QString twoDigits(double value)
{
    return QString::number(int(value)).rightJustified(2, QLatin1Char('0'));
}

QString yearText(double t)
{
    return QString::number(qint64(YearFromTime(t)));
}

// "Thu Jan 1": the weekday, month and day of the month.
QString dayText(double t)
{
    return QStringLiteral("%1 %2 %3")
        .arg(QLatin1String(DayNames[WeekDay(t)]), QLatin1String(MonthNames[MonthFromTime(t)]))
        .arg(DateFromTime(t));
}

QString clockText(double t)
{
    return twoDigits(HourFromTime(t)) + QLatin1Char(':') + twoDigits(MinFromTime(t)) + QLatin1Char(':') +
           twoDigits(SecFromTime(t));
}

// "04:05:09 PM": midnight and noon as 12.
QString clock12Text(double t)
{
    const int hour = int(HourFromTime(t));
    const int shown = hour % HoursPerHalfDay == 0 ? HoursPerHalfDay : hour % HoursPerHalfDay;
    return twoDigits(shown) + QLatin1Char(':') + twoDigits(MinFromTime(t)) + QLatin1Char(':') +
           twoDigits(SecFromTime(t)) + QLatin1String(hour < HoursPerHalfDay ? " AM" : " PM");
}

// "GMT-0800": the zone's offset at instant t, daylight saving included.
QString zoneText(double t)
{
    const int minutes = int(std::lround((LocalTime(t) - t) / MsPerMinute));
    const int magnitude = std::abs(minutes);
    return QLatin1String(minutes < 0 ? "GMT-" : "GMT+") + twoDigits(magnitude / MinutesPerHour) +
           twoDigits(magnitude % MinutesPerHour);
}

} // namespace

QString ToString(double t)
{
    if (isInvalid(t))
        return invalidDate();
    const double local = LocalTime(t);
    return dayText(local) + QLatin1Char(' ') + clockText(local) + QLatin1Char(' ') + zoneText(t) +
           QLatin1Char(' ') + yearText(local);
}

QString ToDateString(double t)
{
    if (isInvalid(t))
        return invalidDate();
    const double local = LocalTime(t);
    return dayText(local) + QLatin1Char(' ') + yearText(local);
}

QString ToTimeString(double t)
{
    if (isInvalid(t))
        return invalidDate();
    return clockText(LocalTime(t)) + QLatin1Char(' ') + zoneText(t);
}

QString ToLocaleString(double t)
{
    if (isInvalid(t))
        return invalidDate();
    const double local = LocalTime(t);
    return dayText(local) + QLatin1Char(' ') + yearText(local) + QLatin1Char(' ') + clock12Text(local);
}

QString ToLocaleDateString(double t)
{
    return ToDateString(t);
}

QString ToLocaleTimeString(double t)
{
    if (isInvalid(t))
        return invalidDate();
    return clock12Text(LocalTime(t));
}

QString ToUTCString(double t)
{
    if (isInvalid(t))
        return invalidDate();
    return dayText(t) + QLatin1Char(' ') + clockText(t) + QLatin1Char(' ') + yearText(t) +
           QLatin1String(" UTC");
}

} // namespace swf::avm2::DateMath
