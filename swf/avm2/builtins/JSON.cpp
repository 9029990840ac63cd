// JSON: parse with an optional reviver, stringify with a replacer and an
// indentation. Reading and writing live in JsonParser and JsonWriter.
#include "swf/avm2/builtins/ArrayObject.h"
#include "swf/avm2/builtins/JsonParser.h"
#include "swf/avm2/builtins/JsonWriter.h"
#include "swf/avm2/builtins/NativeHelpers.h"

#include <algorithm>
#include <cmath>

namespace swf::avm2 {

namespace {

constexpr int CoercionError = 1034;
constexpr int StackOverflowError = 1023;
constexpr int NotInstantiableError = 2012;
constexpr int ReplacerError = 1131;
constexpr int MaxGap = 10;
constexpr int MaxReviverNesting = 5000;
// Parsed arrays are no longer than their text; a reviver that lengthens
// one past this is stopped rather than walked.
constexpr uint32_t MaxRevivedLength = 1u << 24;

bool isFunction(const Value &v) { return dynamic_cast<FunctionObject *>(v.asObject()) != nullptr; }

QStringList ownKeys(Runtime &rt, Object *object)
{
    QStringList keys;
    if (auto *array = dynamic_cast<ArrayObject *>(object)) {
        if (array->length() > MaxRevivedLength)
            throw ScriptAbort{QStringLiteral("JSON.parse: the reviver made an array too long")};
        for (uint32_t i = 0; i < array->length(); ++i)
            keys.push_back(QString::number(i));
        return keys;
    }
    for (int i = object->nextIndex(rt, 0); i > 0; i = object->nextIndex(rt, i))
        keys.push_back(rt.toString(object->nameAt(rt, i)));
    return keys;
}

// The reviver sees every value bottom up, and what it gives replaces it;
// undefined removes it.
Value revive(Runtime &rt, const Value &reviver, const Value &holder, const QString &key, int depth)
{
    if (depth > MaxReviverNesting)
        rt.throwError(ErrorType::Error, StackOverflowError);
    const Value value = rt.get(holder, key);
    if (Object *object = value.asObject()) {
        for (const QString &childKey : ownKeys(rt, object)) {
            const Value revived = revive(rt, reviver, value, childKey, depth + 1);
            if (revived.isUndefined())
                rt.deleteProperty(value, rt.publicName(childKey));
            else
                rt.set(value, childKey, revived);
        }
    }
    const Value args[] = {Value(key), value};
    return CallJsonFunction(rt, reviver, holder, Args{args, 2});
}

Value parse(Runtime &rt, const Value &, Args args)
{
    const Value &reviver = args[1];
    if (!reviver.isNullish() && !isFunction(reviver))
        rt.throwError(ErrorType::TypeError, CoercionError, QStringList{rt.describe(reviver), QStringLiteral("Function")});
    const Value result = ParseJson(rt, args[0].isNullish() ? QString() : rt.toString(args[0]));
    if (reviver.isNullish())
        return result;
    Object *root = rt.newObject();
    rt.set(Value(root), QString(), result);
    return revive(rt, reviver, Value(root), QString(), 0);
}

// A replacer array lists the names to keep: its strings and numbers, once each.
QStringList keptNames(Runtime &rt, ArrayObject *list)
{
    QStringList names;
    for (uint32_t i = 0; i < list->length(); ++i) {
        const Value item = list->at(i);
        if (!item.isString() && !item.isNumber())
            continue;
        const QString name = rt.toString(item);
        if (!names.contains(name))
            names.push_back(name);
    }
    return names;
}

QString gapOf(Runtime &rt, const Value &space)
{
    if (space.isNumber()) {
        const double count = std::min(double(MaxGap), std::trunc(rt.toNumber(space)));
        return count >= 1 ? QString(int(count), u' ') : QString();
    }
    if (space.isString())
        return space.asString().left(MaxGap);
    return QString();
}

Value stringify(Runtime &rt, const Value &, Args args)
{
    JsonStyle style;
    if (isFunction(args[1])) {
        style.replacer = args[1];
    } else if (auto *list = dynamic_cast<ArrayObject *>(args[1].asObject())) {
        style.keep = keptNames(rt, list);
        style.keepOnly = true;
    } else if (!args[1].isNullish()) {
        rt.throwError(ErrorType::TypeError, ReplacerError);
    }
    style.gap = gapOf(rt, args[2]);
    // Nothing to write (undefined, a function) gives "null", as a null would.
    const Value text = StringifyJson(rt, args[0], style);
    return text.isUndefined() ? Value(QStringLiteral("null")) : text;
}

// JSON only holds its two functions; the player refuses to make one.
Value construct(Runtime &rt, const Value &, Args)
{
    rt.throwError(ErrorType::ArgumentError, NotInstantiableError, QStringList{QStringLiteral("JSON")});
}

} // namespace

extern const NativeClass JSONClass = {
    "",
    "JSON",
    nullptr,
    ClassFinal,
    nullptr,
    construct,
    nullptr,
    {
        {"parse", MemberKind::Method, parse, 2, MemberStatic},
        {"stringify", MemberKind::Method, stringify, 3, MemberStatic},
    },
    {},
    nullptr,
    {},
};

} // namespace swf::avm2
