// Date: a time value with calendar getters and setters in local time and
// UTC, the player's texts, and Date.parse and Date.UTC.
#include "swf/avm2/DateMath.h"
#include "swf/avm2/builtins/DateObject.h"
#include "swf/avm2/builtins/NativeHelpers.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace swf::avm2 {

namespace {

using DateMath::Fields;

// The calendar and clock fields in the order the constructor, Date.UTC and
// the setters take them.
enum Field : int { Year, Month, DateOfMonth, Hours, Minutes, Seconds, Milliseconds, FieldCount };
constexpr std::array<double Fields::*, FieldCount> FieldMembers = {
    &Fields::year, &Fields::month, &Fields::date, &Fields::hours, &Fields::minutes, &Fields::seconds, &Fields::ms};

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr int DateLength = 7;

// Date.prototype is itself a Date, of no valid time. Its methods, borrowed
// by objects that are no Date, work on the prototype's time value, as they
// do in the player.
DateObject *thisDate(Runtime &rt, const Value &self)
{
    if (auto *date = dynamic_cast<DateObject *>(self.asObject()))
        return date;
    Class *cls = rt.builtin("Date");
    return ThisAs<DateObject>(rt, Value(cls ? cls->prototypeObject : nullptr), "Date");
}

double thisTime(Runtime &rt, const Value &self) { return thisDate(rt, self)->time; }

double store(Runtime &rt, const Value &self, double time)
{
    thisDate(rt, self)->time = time;
    return time;
}

void makePrototypeADate(Runtime &rt, Class *cls)
{
    Object *plain = cls->prototypeObject;
    auto *proto = rt.heap.make<DateObject>(cls);
    proto->setPrototype(plain->prototype());
    proto->dynamics = plain->dynamics;
    cls->prototypeObject = proto;
}

// Fields given as arguments; the ones left out are the first day of the
// month at midnight (a missing month is no date).
Fields fieldsFromArguments(Runtime &rt, Args args)
{
    Fields fields{NaN, NaN, 1, 0, 0, 0, 0};
    const int given = std::min(args.count, int(FieldCount));
    for (int i = 0; i < given; ++i)
        fields.*FieldMembers[size_t(i)] = rt.toNumber(args[i]);
    return fields;
}

double timeFromArguments(Runtime &rt, Args args)
{
    if (args.count == 0)
        return DateMath::TimeClip(DateMath::Now());
    if (args.count > 1)
        return DateMath::LocalFromFields(fieldsFromArguments(rt, args));
    if (auto *other = dynamic_cast<DateObject *>(args[0].asObject()))
        return other->time;
    const Value primitive = rt.toPrimitive(args[0]);
    if (primitive.isString())
        return DateMath::TimeClip(DateMath::Parse(primitive.asString()));
    return DateMath::TimeClip(rt.toNumber(primitive));
}

Value construct(Runtime &rt, const Value &self, Args args)
{
    ThisAs<DateObject>(rt, self, "Date")->time = timeFromArguments(rt, args);
    return Value();
}

// Date(...) called as a function ignores its arguments and tells the time.
Value callAsFunction(Runtime &, const Value &, Args) { return Value(DateMath::ToString(DateMath::Now())); }

template <int F, bool Utc> Value getField(Runtime &rt, const Value &self, Args)
{
    const double t = thisTime(rt, self);
    const Fields fields = DateMath::Split(Utc ? t : DateMath::LocalTime(t));
    return Value::number(fields.*FieldMembers[size_t(F)]);
}

template <bool Utc> Value getDay(Runtime &rt, const Value &self, Args)
{
    const double t = thisTime(rt, self);
    if (std::isnan(t))
        return Value(NaN);
    return Value(int32_t(DateMath::WeekDay(Utc ? t : DateMath::LocalTime(t))));
}

Value getTime(Runtime &rt, const Value &self, Args) { return Value::number(thisTime(rt, self)); }

Value getTimezoneOffset(Runtime &rt, const Value &self, Args)
{
    const double t = thisTime(rt, self);
    return Value::number((t - DateMath::LocalTime(t)) / DateMath::MsPerMinute);
}

Value setTime(Runtime &rt, const Value &self, Args args)
{
    return Value::number(store(rt, self, DateMath::TimeClip(rt.toNumber(args[0]))));
}

// set<Field>(first [, next ...]): the first field is always replaced (a
// missing one is NaN), the optional ones only when given. Setting the year
// of an invalid date starts from 1970.
template <int First, int Count, bool Utc> Value setFields(Runtime &rt, const Value &self, Args args)
{
    double t = thisTime(rt, self);
    if (First == Year && std::isnan(t))
        t = 0;
    else if (!Utc)
        t = DateMath::LocalTime(t);
    Fields fields = DateMath::Split(t);
    const int given = std::clamp(args.count, 1, Count);
    for (int i = 0; i < given; ++i)
        fields.*FieldMembers[size_t(First + i)] = rt.toNumber(args[i]);
    const double joined = DateMath::Join(fields);
    return Value::number(store(rt, self, DateMath::TimeClip(Utc ? joined : DateMath::Utc(joined))));
}

template <QString (*Text)(double)> Value text(Runtime &rt, const Value &self, Args)
{
    return Value(Text(thisTime(rt, self)));
}

Value parse(Runtime &rt, const Value &, Args args)
{
    return Value::number(DateMath::TimeClip(DateMath::Parse(rt.toString(args[0]))));
}

Value utc(Runtime &rt, const Value &, Args args)
{
    return Value::number(DateMath::UtcFromFields(fieldsFromArguments(rt, args)));
}

// The accessors (date, fullYearUTC, ...) over the same getters and setters.
void addAccessors(std::vector<NativeMember> &members)
{
    const std::vector<NativeMember> accessors = {
        {"fullYear", MemberKind::Getter, getField<Year, false>},
        {"fullYear", MemberKind::Setter, setFields<Year, 1, false>},
        {"month", MemberKind::Getter, getField<Month, false>},
        {"month", MemberKind::Setter, setFields<Month, 1, false>},
        {"date", MemberKind::Getter, getField<DateOfMonth, false>},
        {"date", MemberKind::Setter, setFields<DateOfMonth, 1, false>},
        {"hours", MemberKind::Getter, getField<Hours, false>},
        {"hours", MemberKind::Setter, setFields<Hours, 1, false>},
        {"minutes", MemberKind::Getter, getField<Minutes, false>},
        {"minutes", MemberKind::Setter, setFields<Minutes, 1, false>},
        {"seconds", MemberKind::Getter, getField<Seconds, false>},
        {"seconds", MemberKind::Setter, setFields<Seconds, 1, false>},
        {"milliseconds", MemberKind::Getter, getField<Milliseconds, false>},
        {"milliseconds", MemberKind::Setter, setFields<Milliseconds, 1, false>},
        {"fullYearUTC", MemberKind::Getter, getField<Year, true>},
        {"fullYearUTC", MemberKind::Setter, setFields<Year, 1, true>},
        {"monthUTC", MemberKind::Getter, getField<Month, true>},
        {"monthUTC", MemberKind::Setter, setFields<Month, 1, true>},
        {"dateUTC", MemberKind::Getter, getField<DateOfMonth, true>},
        {"dateUTC", MemberKind::Setter, setFields<DateOfMonth, 1, true>},
        {"hoursUTC", MemberKind::Getter, getField<Hours, true>},
        {"hoursUTC", MemberKind::Setter, setFields<Hours, 1, true>},
        {"minutesUTC", MemberKind::Getter, getField<Minutes, true>},
        {"minutesUTC", MemberKind::Setter, setFields<Minutes, 1, true>},
        {"secondsUTC", MemberKind::Getter, getField<Seconds, true>},
        {"secondsUTC", MemberKind::Setter, setFields<Seconds, 1, true>},
        {"millisecondsUTC", MemberKind::Getter, getField<Milliseconds, true>},
        {"millisecondsUTC", MemberKind::Setter, setFields<Milliseconds, 1, true>},
        {"day", MemberKind::Getter, getDay<false>},
        {"dayUTC", MemberKind::Getter, getDay<true>},
        {"time", MemberKind::Getter, getTime},
        {"time", MemberKind::Setter, setTime},
        {"timezoneOffset", MemberKind::Getter, getTimezoneOffset},
    };
    members.insert(members.end(), accessors.begin(), accessors.end());
}

std::vector<NativeMember> dateMembers()
{
    std::vector<NativeMember> members = {
        {"getFullYear", MemberKind::Method, getField<Year, false>, 0, MemberAs3},
        {"getMonth", MemberKind::Method, getField<Month, false>, 0, MemberAs3},
        {"getDate", MemberKind::Method, getField<DateOfMonth, false>, 0, MemberAs3},
        {"getDay", MemberKind::Method, getDay<false>, 0, MemberAs3},
        {"getHours", MemberKind::Method, getField<Hours, false>, 0, MemberAs3},
        {"getMinutes", MemberKind::Method, getField<Minutes, false>, 0, MemberAs3},
        {"getSeconds", MemberKind::Method, getField<Seconds, false>, 0, MemberAs3},
        {"getMilliseconds", MemberKind::Method, getField<Milliseconds, false>, 0, MemberAs3},
        {"getUTCFullYear", MemberKind::Method, getField<Year, true>, 0, MemberAs3},
        {"getUTCMonth", MemberKind::Method, getField<Month, true>, 0, MemberAs3},
        {"getUTCDate", MemberKind::Method, getField<DateOfMonth, true>, 0, MemberAs3},
        {"getUTCDay", MemberKind::Method, getDay<true>, 0, MemberAs3},
        {"getUTCHours", MemberKind::Method, getField<Hours, true>, 0, MemberAs3},
        {"getUTCMinutes", MemberKind::Method, getField<Minutes, true>, 0, MemberAs3},
        {"getUTCSeconds", MemberKind::Method, getField<Seconds, true>, 0, MemberAs3},
        {"getUTCMilliseconds", MemberKind::Method, getField<Milliseconds, true>, 0, MemberAs3},
        {"getTime", MemberKind::Method, getTime, 0, MemberAs3},
        {"getTimezoneOffset", MemberKind::Method, getTimezoneOffset, 0, MemberAs3},
        {"valueOf", MemberKind::Method, getTime, 0, MemberAs3},
        {"setTime", MemberKind::Method, setTime, 1, MemberAs3},
        {"setFullYear", MemberKind::Method, setFields<Year, 3, false>, 3, MemberAs3},
        {"setMonth", MemberKind::Method, setFields<Month, 2, false>, 2, MemberAs3},
        {"setDate", MemberKind::Method, setFields<DateOfMonth, 1, false>, 1, MemberAs3},
        {"setHours", MemberKind::Method, setFields<Hours, 4, false>, 4, MemberAs3},
        {"setMinutes", MemberKind::Method, setFields<Minutes, 3, false>, 3, MemberAs3},
        {"setSeconds", MemberKind::Method, setFields<Seconds, 2, false>, 2, MemberAs3},
        {"setMilliseconds", MemberKind::Method, setFields<Milliseconds, 1, false>, 1, MemberAs3},
        {"setUTCFullYear", MemberKind::Method, setFields<Year, 3, true>, 3, MemberAs3},
        {"setUTCMonth", MemberKind::Method, setFields<Month, 2, true>, 2, MemberAs3},
        {"setUTCDate", MemberKind::Method, setFields<DateOfMonth, 1, true>, 1, MemberAs3},
        {"setUTCHours", MemberKind::Method, setFields<Hours, 4, true>, 4, MemberAs3},
        {"setUTCMinutes", MemberKind::Method, setFields<Minutes, 3, true>, 3, MemberAs3},
        {"setUTCSeconds", MemberKind::Method, setFields<Seconds, 2, true>, 2, MemberAs3},
        {"setUTCMilliseconds", MemberKind::Method, setFields<Milliseconds, 1, true>, 1, MemberAs3},
        {"toString", MemberKind::Method, text<DateMath::ToString>, 0, MemberAs3},
        {"toDateString", MemberKind::Method, text<DateMath::ToDateString>, 0, MemberAs3},
        {"toTimeString", MemberKind::Method, text<DateMath::ToTimeString>, 0, MemberAs3},
        {"toLocaleString", MemberKind::Method, text<DateMath::ToLocaleString>, 0, MemberAs3},
        {"toLocaleDateString", MemberKind::Method, text<DateMath::ToLocaleDateString>, 0, MemberAs3},
        {"toLocaleTimeString", MemberKind::Method, text<DateMath::ToLocaleTimeString>, 0, MemberAs3},
        {"toUTCString", MemberKind::Method, text<DateMath::ToUTCString>, 0, MemberAs3},
        {"parse", MemberKind::Method, parse, 1, MemberStatic},
        {"UTC", MemberKind::Method, utc, DateLength, MemberStatic},
    };
    addAccessors(members);
    return members;
}

} // namespace

extern const NativeClass DateClass = {
    "", "Date", "Object", ClassDynamic | ClassFinal, CreateNative<DateObject>, construct, callAsFunction,
    dateMembers(), {{"length", DateLength}}, makePrototypeADate, {}, nullptr,
};

} // namespace swf::avm2
