// The Date class's text forms and Date.parse, on top of the calendar rules.
#include "DateMath.h"

#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace swf::avm2::DateMath {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::array<const char *, 7> DayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char *, 12> MonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr int NameLength = 3;
constexpr int HoursPerHalfDay = 12;
constexpr int MinutesPerHour = 60;
constexpr int SecondsPerMinute = 60;
constexpr int HundredsBase = 100;
constexpr int LastDayOfMonth = 31;
// More digits than this in one number is no date; it also keeps the value exact.
constexpr int MaxDigits = 9;
// "YYYY/MM/DD" is told from "MM/DD/YYYY" by a first number of three digits or more.
constexpr int MinYearDigits = 3;

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

// Date.parse reads the text as words, numbers and the few separators the
// player's forms use; fields are checked once everything has been read.
class DateParser {
public:
    explicit DateParser(const QString &text) : m_text(text) {}

    double parse()
    {
        while (skipSpace()) {
            if (!readToken())
                return NaN;
        }
        if (!placeLooseNumbers())
            return NaN;
        return result();
    }

private:
    enum class Meridiem { None, Am, Pm };

    bool skipSpace()
    {
        while (m_pos < m_text.size() && (m_text[m_pos].isSpace() || m_text[m_pos] == QLatin1Char(',')))
            ++m_pos;
        return m_pos < m_text.size();
    }

    QChar peek() const { return m_pos < m_text.size() ? m_text[m_pos] : QChar(); }

    bool accept(char c)
    {
        if (peek() != QLatin1Char(c))
            return false;
        ++m_pos;
        return true;
    }

    bool readToken()
    {
        const QChar c = peek();
        if (c.isLetter())
            return readWord();
        if (c.isDigit())
            return readNumberToken();
        if (c == QLatin1Char('+') || c == QLatin1Char('-'))
            return readOffset();
        if (c == QLatin1Char('('))
            return skipComment();
        return false;
    }

    // Digits at the current position; false when there are none or too many.
    bool readNumber(double &value, int *digits = nullptr)
    {
        const int start = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos].isDigit() && m_pos - start <= MaxDigits)
            ++m_pos;
        const int count = m_pos - start;
        if (count == 0 || count > MaxDigits)
            return false;
        value = m_text.mid(start, count).toDouble();
        if (digits)
            *digits = count;
        return true;
    }

    bool readWord()
    {
        const int start = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos].isLetter())
            ++m_pos;
        const QString word = m_text.mid(start, m_pos - start).toLower();
        accept('.');
        if (word == QLatin1String("am") || word == QLatin1String("pm"))
            return setMeridiem(word == QLatin1String("am") ? Meridiem::Am : Meridiem::Pm);
        if (word == QLatin1String("gmt") || word == QLatin1String("utc") || word == QLatin1String("ut"))
            return setZone(0);
        if (nameIndex(DayNames, word) >= 0)
            return true;
        const int month = nameIndex(MonthNames, word);
        if (month < 0 || !std::isnan(m_month))
            return false;
        m_month = month;
        return peek() == QLatin1Char('/') ? readSlashedAfterMonth() : true;
    }

    template <size_t N> static int nameIndex(const std::array<const char *, N> &names, const QString &word)
    {
        if (word.size() < NameLength)
            return -1;
        for (size_t i = 0; i < N; ++i) {
            if (word.left(NameLength).compare(QLatin1String(names[i]), Qt::CaseInsensitive) == 0)
                return int(i);
        }
        return -1;
    }

    bool setMeridiem(Meridiem meridiem)
    {
        if (m_meridiem != Meridiem::None)
            return false;
        m_meridiem = meridiem;
        return true;
    }

    bool setZone(double minutes)
    {
        if (m_hasOffset)
            return false;
        m_zoneMinutes = minutes;
        m_hasZone = true;
        return true;
    }

    // "+0800", "-08" or "-8": an offset in hours and minutes.
    bool readOffset()
    {
        const double sign = accept('-') ? -1.0 : (accept('+'), 1.0);
        double value = 0;
        int digits = 0;
        if (m_hasOffset || !readNumber(value, &digits))
            return false;
        double minutes = value * MinutesPerHour;
        if (digits >= MinYearDigits) {
            const double part = std::fmod(value, HundredsBase);
            if (part >= MinutesPerHour)
                return false;
            minutes = std::floor(value / HundredsBase) * MinutesPerHour + part;
        }
        m_hasOffset = true;
        m_zoneMinutes = sign * minutes;
        m_hasZone = true;
        return true;
    }

    bool skipComment()
    {
        const int close = m_text.indexOf(QLatin1Char(')'), m_pos);
        if (close < 0)
            return false;
        m_pos = close + 1;
        return true;
    }

    bool readNumberToken()
    {
        double first = 0;
        int digits = 0;
        if (!readNumber(first, &digits))
            return false;
        if (accept(':'))
            return readClock(first);
        if (accept('/'))
            return readSlashed(first, digits);
        m_loose.push_back({first, digits});
        return true;
    }

    // "HH:MM" or "HH:MM:SS", the hour already read.
    bool readClock(double hour)
    {
        if (m_hasTime || !readNumber(m_minute))
            return false;
        if (accept(':') && !readNumber(m_second))
            return false;
        m_hour = hour;
        m_hasTime = true;
        return true;
    }

    // "MM/DD/YYYY" or "YYYY/MM/DD", the first number already read.
    bool readSlashed(double first, int firstDigits)
    {
        double second = 0;
        double third = 0;
        if (!std::isnan(m_month) || !readNumber(second) || !accept('/') || !readNumber(third))
            return false;
        const bool yearFirst = firstDigits >= MinYearDigits;
        m_year = yearFirst ? first : third;
        m_month = (yearFirst ? second : first) - 1;
        m_date = yearFirst ? third : second;
        return true;
    }

    // "Mon/DD/YYYY", the month already read.
    bool readSlashedAfterMonth()
    {
        return accept('/') && readNumber(m_date) && accept('/') && readNumber(m_year);
    }

    // Numbers standing alone: a day of the month (while none is known) and a year.
    bool placeLooseNumbers()
    {
        for (const Loose &n : m_loose) {
            if (std::isnan(m_date) && n.digits <= 2 && n.value >= 1 && n.value <= LastDayOfMonth)
                m_date = n.value;
            else if (std::isnan(m_year))
                m_year = n.value;
            else
                return false;
        }
        return true;
    }

    // The hour on the 24-hour clock, or -1 when it does not fit the AM/PM given.
    double hour24() const
    {
        if (m_meridiem == Meridiem::None)
            return m_hour;
        if (m_hour < 1 || m_hour > HoursPerHalfDay)
            return -1;
        const double base = m_meridiem == Meridiem::Pm ? HoursPerHalfDay : 0;
        return std::fmod(m_hour, HoursPerHalfDay) + base;
    }

    double result() const
    {
        constexpr double LastMonth = 11;
        constexpr double LastHour = 23;
        if (std::isnan(m_year) || std::isnan(m_month) || std::isnan(m_date))
            return NaN;
        if (m_month < 0 || m_month > LastMonth || m_date < 1 || m_date > LastDayOfMonth)
            return NaN;
        if (m_meridiem != Meridiem::None && !m_hasTime)
            return NaN;
        const double hour = hour24();
        if (hour < 0 || hour > LastHour || m_minute >= MinutesPerHour || m_second >= SecondsPerMinute)
            return NaN;
        const double local = MakeDate(MakeDay(m_year, m_month, m_date), MakeTime(hour, m_minute, m_second, 0));
        const double utc = m_hasZone ? local - m_zoneMinutes * MsPerMinute : Utc(local);
        return TimeClip(utc);
    }

    struct Loose {
        double value;
        int digits;
    };

    const QString &m_text;
    int m_pos = 0;
    double m_year = NaN;
    double m_month = NaN;
    double m_date = NaN;
    double m_hour = 0;
    double m_minute = 0;
    double m_second = 0;
    bool m_hasTime = false;
    bool m_hasZone = false;
    bool m_hasOffset = false;
    double m_zoneMinutes = 0;
    Meridiem m_meridiem = Meridiem::None;
    std::vector<Loose> m_loose;
};

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

double Parse(const QString &text)
{
    if (text.size() > MaxParseLength)
        return NaN;
    return DateParser(text).parse();
}

} // namespace swf::avm2::DateMath
