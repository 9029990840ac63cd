// The global functions: parseInt, parseFloat, isNaN, isFinite, escape,
// unescape, ASSetPropFlags, ASnative, stopAllSounds, and the numbers NaN and
// Infinity.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/MoviePlayer.h"
#include "swf/script/ScriptEngine.h"

#include <QStringList>
#include <QUrl>

#include <algorithm>
#include <climits>

namespace swf {

namespace {

int digitValue(QChar c)
{
    c = c.toLower();
    return c.isDigit() ? c.digitValue() : (c >= u'a' && c <= u'z') ? c.unicode() - 'a' + 10 : 99;
}

Value parseInt(NativeCall &call)
{
    QString s = call.string(0).trimmed();
    int radix = call.args.size() > 1 ? ClampedInt(call.number(1), -1, 37) : 0;
    bool negative = false;
    if (s.startsWith(u'-') || s.startsWith(u'+')) {
        negative = s.startsWith(u'-');
        s = s.mid(1);
    }
    if ((radix == 0 || radix == 16) && s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        s = s.mid(2);
        radix = 16;
    }
    if (radix == 0)
        radix = 10;
    if (radix < 2 || radix > 36)
        return std::nan("");
    int length = 0;
    while (length < s.size() && digitValue(s.at(length)) < radix)
        ++length;
    if (length == 0)
        return std::nan("");
    double value = 0;
    for (int i = 0; i < length; ++i)
        value = value * radix + digitValue(s.at(i));
    return negative ? -value : value;
}

Value parseFloat(NativeCall &call)
{
    const QString s = call.string(0).trimmed();
    // The longest prefix that reads as a number.
    for (int end = int(s.size()); end > 0; --end) {
        bool ok = false;
        const double d = s.left(end).toDouble(&ok);
        if (ok)
            return d;
    }
    return std::nan("");
}

Value isNaN(NativeCall &call) { return std::isnan(call.number(0)); }
Value isFinite(NativeCall &call) { return std::isfinite(call.number(0)); }
Value escape(NativeCall &call) { return QString::fromLatin1(QUrl::toPercentEncoding(call.string(0))); }
Value unescape(NativeCall &call) { return QUrl::fromPercentEncoding(call.string(0).toUtf8()); }
// The names ASSetPropFlags is given: an array of them, or a list in one
// string separated by commas.
QStringList flagNames(NativeCall &call, const Value &names)
{
    const ScriptObject *list = objectOf(names);
    if (!list || list->kind != ScriptObject::Kind::Array)
        return call.cx.toString(names).split(u',');
    QStringList result;
    for (const Value &name : list->elements) {
        if (!call.player().spend(1))
            break;
        result.push_back(call.cx.toString(name));
    }
    return result;
}

// ASSetPropFlags(object, names, set, clear): sets and clears flags of the
// object's own members; names null means every member. Names the object has
// no member of are passed over.
Value setPropFlags(NativeCall &call)
{
    ScriptObject *object = objectOf(call.arg(0));
    if (!object)
        return Undefined{};
    const int set = ClampedInt(call.number(2, 0), INT_MIN, INT_MAX);
    const int clear = ClampedInt(call.number(3, 0), INT_MIN, INT_MAX);
    if (std::holds_alternative<Null>(call.arg(1))) {
        if (call.player().spend(int(std::min<size_t>(object->members().size(), INT_MAX))))
            object->setAllFlags(set, clear);
        return Undefined{};
    }
    for (const QString &name : flagNames(call, call.arg(1))) {
        if (!call.player().spend(1))
            break;
        object->setFlags(call.key(name), set, clear);
    }
    return Undefined{};
}

// ASnative(group, index): a built-in function by the reference player's
// numbering, for the few movies use.
struct NativeEntry {
    int group;
    int index;
    const ClassDecl *owner;
    const char *method;
    NativeFunction function = nullptr; // one no class holds
};
constexpr int ObjectGroup = 101;
constexpr int HasOwnPropertyIndex = 5;
constexpr int FunctionGroup = 2;
constexpr int AsNewIndex = 0;
const NativeEntry NativeTable[] = {
    {ObjectGroup, HasOwnPropertyIndex, &ObjectClass, "hasOwnProperty"},
    {FunctionGroup, AsNewIndex, nullptr, nullptr, AsNew},
};

Value asNative(NativeCall &call)
{
    const double group = call.number(0), index = call.number(1);
    for (const NativeEntry &entry : NativeTable) {
        if (entry.group != group || entry.index != index)
            continue;
        if (entry.function)
            return ObjectValue(call.engine().newNative(entry.function));
        for (const MethodDecl &method : entry.owner->prototype)
            if (qstrcmp(method.name, entry.method) == 0)
                return ObjectValue(call.engine().newNative(method.function));
    }
    return Undefined{};
}

Value stopAllSounds(NativeCall &call)
{
    call.player().stopSounds();
    return Undefined{};
}

} // namespace

const ClassDecl GlobalFunctions{
    nullptr,
    nullptr,
    {},
    {{"parseInt", parseInt},
     {"parseFloat", parseFloat},
     {"isNaN", isNaN},
     {"isFinite", isFinite},
     {"escape", escape},
     {"unescape", unescape},
     {"ASSetPropFlags", setPropFlags},
     {"ASnative", asNative},
     {"stopAllSounds", stopAllSounds}},
    {{"NaN", std::nan("")}, {"Infinity", double(INFINITY)}},
};

} // namespace swf
