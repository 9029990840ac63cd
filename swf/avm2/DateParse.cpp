// Date.parse: the texts the reference player prints and the forms its
// reference lists, read as words, numbers and a few separators.
#include "DateMath.h"

#include <cmath>
#include <limits>
#include <vector>

namespace swf::avm2::DateMath {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
// Names are known by their first three letters.
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

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Fields are checked once the whole text has been read.
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
        if (isDigit(c))
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
        while (m_pos < m_text.size() && isDigit(m_text[m_pos]) && m_pos - start <= MaxDigits)
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
        const bool west = accept('-');
        if (!west)
            accept('+');
        const double sign = west ? -1.0 : 1.0;
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

double Parse(const QString &text)
{
    if (text.size() > MaxParseLength)
        return NaN;
    return DateParser(text).parse();
}

} // namespace swf::avm2::DateMath
