// Vector.<T>: the generic the applytype instruction specialises, and the
// four classes behind every vector (int, uint, Number, and any object type).
#include "swf/avm2/builtins/ArrayObject.h"
#include "swf/avm2/builtins/NativeHelpers.h"
#include "swf/avm2/builtins/VectorMethods.h"

#include <algorithm>
#include <cmath>

namespace swf::avm2 {

namespace {

constexpr double MaxIndexArgument = 4294967295.0;
constexpr int LastFirstConcatVersion = 10;

} // namespace

VectorObject *ThisVector(Runtime &rt, const Value &self) { return ThisAs<VectorObject>(rt, self, "Vector"); }

VectorObject *NewVectorLike(Runtime &rt, const VectorObject *like)
{
    auto *made = dynamic_cast<VectorObject *>(rt.allocate(like->objectClass()));
    if (!made)
        throw ScriptAbort{QStringLiteral("a vector class makes no vectors")};
    return made;
}

namespace {

// A start or end argument of slice and splice: negative counts from the end.
uint32_t clampIndex(Runtime &rt, const Value &v, uint32_t length, uint32_t fallback)
{
    if (v.isUndefined())
        return fallback;
    double d = rt.toNumber(v);
    if (std::isnan(d))
        return 0;
    d = std::trunc(d);
    if (d < 0)
        d = std::max(0.0, d + length);
    return uint32_t(std::min(d, double(length)));
}

Value construct(Runtime &rt, const Value &self, Args args)
{
    VectorObject *vector = ThisVector(rt, self);
    vector->setLength(rt, args.has(0) ? double(rt.toUint(args[0])) : 0.0);
    vector->fixed = rt.toBoolean(args[1]);
    return Value();
}

// Vector.<T>(list): a new vector of T holding an array's or a vector's elements.
Value convert(Runtime &rt, const Value &self, Args args)
{
    auto *cls = dynamic_cast<Class *>(self.asObject());
    if (args.count != 1)
        rt.throwError(ErrorType::ArgumentError, 1112, QStringList{QString(), QString::number(args.count)});
    Object *source = args[0].asObject();
    if (cls && source && source->objectClass() == cls)
        return args[0];
    std::vector<Value> items;
    if (auto *array = dynamic_cast<ArrayObject *>(source))
        items = array->toVector();
    else if (auto *vector = dynamic_cast<VectorObject *>(source))
        items = vector->elements;
    else
        rt.throwError(ErrorType::TypeError, 1034,
                      QStringList{rt.describe(args[0]), cls ? cls->qualifiedName() : QStringLiteral("Vector")});
    auto *made = dynamic_cast<VectorObject *>(rt.allocate(cls));
    if (!made)
        throw ScriptAbort{QStringLiteral("a vector class makes no vectors")};
    for (const Value &v : items)
        made->append(rt, v);
    return Value(static_cast<Object *>(made));
}

Value getLength(Runtime &rt, const Value &self, Args) { return Value::fromUint(ThisVector(rt, self)->length()); }

Value setLength(Runtime &rt, const Value &self, Args args)
{
    ThisVector(rt, self)->setLength(rt, double(rt.toUint(args[0])));
    return Value();
}

Value getFixed(Runtime &rt, const Value &self, Args) { return Value(ThisVector(rt, self)->fixed); }

Value setFixed(Runtime &rt, const Value &self, Args args)
{
    ThisVector(rt, self)->fixed = rt.toBoolean(args[0]);
    return Value();
}

Value push(Runtime &rt, const Value &self, Args args)
{
    VectorObject *vector = ThisVector(rt, self);
    vector->checkResizable(rt);
    for (int i = 0; i < args.count; ++i)
        vector->append(rt, args[i]);
    return Value::fromUint(vector->length());
}

Value pop(Runtime &rt, const Value &self, Args)
{
    VectorObject *vector = ThisVector(rt, self);
    vector->checkResizable(rt);
    // Popping an empty Vector.<Object> (or of any class) gives undefined, not its null.
    if (vector->elements.empty()) {
        const Value empty = vector->defaultElement(rt);
        return empty.isNull() ? Value() : empty;
    }
    Value last = vector->elements.back();
    vector->elements.pop_back();
    return last;
}

Value shift(Runtime &rt, const Value &self, Args)
{
    VectorObject *vector = ThisVector(rt, self);
    vector->checkResizable(rt);
    if (vector->elements.empty())
        return vector->defaultElement(rt);
    Value first = vector->elements.front();
    vector->elements.erase(vector->elements.begin());
    return first;
}

Value unshift(Runtime &rt, const Value &self, Args args)
{
    VectorObject *vector = ThisVector(rt, self);
    vector->checkResizable(rt);
    if (vector->length() + uint64_t(args.count) > VectorObject::MaxLength)
        throw ScriptAbort{QStringLiteral("a vector grew too long")};
    std::vector<Value> front;
    for (int i = 0; i < args.count; ++i)
        front.push_back(vector->coerceElement(rt, args[i]));
    vector->elements.insert(vector->elements.begin(), front.begin(), front.end());
    return Value::fromUint(vector->length());
}

Value insertAt(Runtime &rt, const Value &self, Args args)
{
    VectorObject *vector = ThisVector(rt, self);
    vector->checkResizable(rt);
    const uint32_t at = clampIndex(rt, Value::number(double(rt.toInt(args[0]))), vector->length(), 0);
    const Value element = vector->coerceElement(rt, args[1]);
    if (vector->length() >= VectorObject::MaxLength)
        throw ScriptAbort{QStringLiteral("a vector grew too long")};
    vector->elements.insert(vector->elements.begin() + at, element);
    return Value();
}

Value removeAt(Runtime &rt, const Value &self, Args args)
{
    VectorObject *vector = ThisVector(rt, self);
    vector->checkResizable(rt);
    double index = double(rt.toInt(args[0]));
    // Counting from the end goes no further back than the first element.
    if (index < 0)
        index = std::max(0.0, index + vector->length());
    if (index >= vector->length())
        rt.throwError(ErrorType::RangeError, 1125,
                      QStringList{QString::number(rt.toInt(args[0])), QString::number(vector->length())});
    Value removed = vector->elements[size_t(index)];
    vector->elements.erase(vector->elements.begin() + ptrdiff_t(index));
    return removed;
}

Value splice(Runtime &rt, const Value &self, Args args)
{
    VectorObject *vector = ThisVector(rt, self);
    const uint32_t length = vector->length();
    const uint32_t start = clampIndex(rt, args[0], length, 0);
    double count = args.has(1) ? std::trunc(rt.toNumber(args[1])) : double(length);
    count = std::isnan(count) || count < 0 ? 0 : std::min(count, double(length - start));
    const Args items = args.from(2);
    if (count != items.count)
        vector->checkResizable(rt);
    if (length - count + items.count > VectorObject::MaxLength)
        throw ScriptAbort{QStringLiteral("a vector grew too long")};
    std::vector<Value> inserted;
    for (int i = 0; i < items.count; ++i)
        inserted.push_back(vector->coerceElement(rt, items[i]));
    VectorObject *removed = NewVectorLike(rt, vector);
    const auto first = vector->elements.begin() + start;
    removed->elements.assign(first, first + ptrdiff_t(count));
    vector->elements.erase(first, first + ptrdiff_t(count));
    vector->elements.insert(vector->elements.begin() + start, inserted.begin(), inserted.end());
    return Value(static_cast<Object *>(removed));
}

Value slice(Runtime &rt, const Value &self, Args args)
{
    VectorObject *vector = ThisVector(rt, self);
    const uint32_t length = vector->length();
    const uint32_t start = clampIndex(rt, args[0], length, 0);
    const uint32_t end = clampIndex(rt, args[1], length, length);
    VectorObject *made = NewVectorLike(rt, vector);
    if (end > start)
        made->elements.assign(vector->elements.begin() + start, vector->elements.begin() + end);
    return Value(static_cast<Object *>(made));
}

// Vector.<A> takes a Vector.<B> when B is an A; the numeric vectors take
// only their own kind.
bool concatenates(Runtime &rt, const VectorObject *to, const VectorObject *from)
{
    if (from->objectClass() == to->objectClass())
        return true;
    auto numeric = [&](const Class *type) {
        return type == rt.intClass || type == rt.uintClass || type == rt.numberClass;
    };
    Class *target = to->elementType();
    Class *source = from->elementType();
    if (numeric(target) || numeric(source))
        return false;
    return !target || (source && source->isSubclassOf(target));
}

Value concat(Runtime &rt, const Value &self, Args args)
{
    VectorObject *vector = ThisVector(rt, self);
    VectorObject *made = NewVectorLike(rt, vector);
    made->elements = vector->elements;
    // Files up to version 10 had the vectors added last to first.
    const bool lastFirst = rt.swfVersion <= LastFirstConcatVersion;
    for (int n = 0; n < args.count; ++n) {
        const int i = lastFirst ? args.count - 1 - n : n;
        auto *other = dynamic_cast<VectorObject *>(args[i].asObject());
        if (!other || !concatenates(rt, vector, other))
            rt.throwError(ErrorType::TypeError, 1034,
                          QStringList{rt.describe(args[i]), vector->objectClass()->qualifiedName()});
        if (made->length() + uint64_t(other->length()) > VectorObject::MaxLength)
            throw ScriptAbort{QStringLiteral("a vector grew too long")};
        const std::vector<Value> items = other->elements;
        for (const Value &v : items)
            made->append(rt, v);
    }
    return Value(static_cast<Object *>(made));
}

Value reverse(Runtime &rt, const Value &self, Args)
{
    VectorObject *vector = ThisVector(rt, self);
    std::reverse(vector->elements.begin(), vector->elements.end());
    return self;
}

QString joined(Runtime &rt, VectorObject *vector, const QString &separator, bool locale)
{
    QString out;
    const std::vector<Value> items = vector->elements;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i)
            out += separator;
        const Value &v = items[i];
        if (locale && !v.isNullish())
            out += rt.toString(rt.callProperty(v, rt.publicName(QStringLiteral("toLocaleString")), Args{}));
        else
            out += rt.toString(v);
        if (uint32_t(out.size()) > (1u << 28))
            throw ScriptAbort{QStringLiteral("the text grew too long")};
    }
    return out;
}

Value join(Runtime &rt, const Value &self, Args args)
{
    const QString separator = args[0].isUndefined() ? QStringLiteral(",") : rt.toString(args[0]);
    return Value(joined(rt, ThisVector(rt, self), separator, false));
}

Value toStringMethod(Runtime &rt, const Value &self, Args)
{
    return Value(joined(rt, ThisVector(rt, self), QStringLiteral(","), false));
}

Value toLocaleStringMethod(Runtime &rt, const Value &self, Args)
{
    return Value(joined(rt, ThisVector(rt, self), QStringLiteral(","), true));
}

// The start of a search: negative counts from the end.
double searchStart(Runtime &rt, const Value &v, uint32_t length, double fallback)
{
    double from = v.isUndefined() ? fallback : std::trunc(rt.toNumber(v));
    if (std::isnan(from))
        from = 0;
    if (from < 0)
        from += length;
    return from;
}

Value indexOf(Runtime &rt, const Value &self, Args args)
{
    VectorObject *vector = ThisVector(rt, self);
    const double from = std::max(0.0, searchStart(rt, args[1], vector->length(), 0));
    for (double i = from; i < vector->length(); ++i)
        if (rt.strictEquals(vector->elements[size_t(i)], args[0]))
            return Value::number(i);
    return Value(-1);
}

Value lastIndexOf(Runtime &rt, const Value &self, Args args)
{
    VectorObject *vector = ThisVector(rt, self);
    const double from = std::min(searchStart(rt, args[1], vector->length(), MaxIndexArgument),
                                 double(vector->length()) - 1);
    for (double i = from; i >= 0; --i)
        if (rt.strictEquals(vector->elements[size_t(i)], args[0]))
            return Value::number(i);
    return Value(-1);
}

// The generic itself is no class of vectors: only Vector.<T> makes them.
Value makeUnspecialised(Runtime &rt, const Value &, Args)
{
    rt.throwError(ErrorType::TypeError, 1007, QStringList{});
}

void nameSpecialisation(Runtime &rt, Class *cls, Class *element, const char *elementName)
{
    cls->name = QStringLiteral("Vector.<%1>").arg(QLatin1String(elementName));
    cls->elementType = element;
    cls->isVectorClass = true;
    (void)rt;
}

void setupInt(Runtime &rt, Class *cls) { nameSpecialisation(rt, cls, rt.intClass, "int"); }
void setupUint(Runtime &rt, Class *cls) { nameSpecialisation(rt, cls, rt.uintClass, "uint"); }
void setupDouble(Runtime &rt, Class *cls) { nameSpecialisation(rt, cls, rt.numberClass, "Number"); }
void setupObject(Runtime &rt, Class *cls) { nameSpecialisation(rt, cls, nullptr, "*"); }

const std::vector<NativeMember> VectorMembers = {
    {"length", MemberKind::Getter, getLength},
    {"length", MemberKind::Setter, setLength},
    {"fixed", MemberKind::Getter, getFixed},
    {"fixed", MemberKind::Setter, setFixed},
    {"concat", MemberKind::Method, concat, 0, MemberAs3},
    {"every", MemberKind::Method, VectorEvery, 1, MemberAs3},
    {"filter", MemberKind::Method, VectorFilter, 1, MemberAs3},
    {"forEach", MemberKind::Method, VectorForEach, 1, MemberAs3},
    {"indexOf", MemberKind::Method, indexOf, 1, MemberAs3},
    {"insertAt", MemberKind::Method, insertAt, 2, MemberAs3},
    {"join", MemberKind::Method, join, 0, MemberAs3},
    {"lastIndexOf", MemberKind::Method, lastIndexOf, 1, MemberAs3},
    {"map", MemberKind::Method, VectorMap, 1, MemberAs3},
    {"pop", MemberKind::Method, pop, 0, MemberAs3},
    {"push", MemberKind::Method, push, 0, MemberAs3},
    {"removeAt", MemberKind::Method, removeAt, 1, MemberAs3},
    {"reverse", MemberKind::Method, reverse, 0, MemberAs3},
    {"shift", MemberKind::Method, shift, 0, MemberAs3},
    {"slice", MemberKind::Method, slice, 0, MemberAs3},
    {"some", MemberKind::Method, VectorSome, 1, MemberAs3},
    {"sort", MemberKind::Method, VectorSort, 1, MemberAs3},
    {"splice", MemberKind::Method, splice, 2, MemberAs3},
    {"toString", MemberKind::Method, toStringMethod, 0, MemberAs3},
    {"toLocaleString", MemberKind::Method, toLocaleStringMethod, 0, MemberAs3},
    {"unshift", MemberKind::Method, unshift, 0, MemberAs3},
};

} // namespace

extern const NativeClass VectorClass = {
    "__AS3__.vec", "Vector", "Object", ClassFinal, nullptr, nullptr, nullptr, {}, {}, nullptr, {}, makeUnspecialised,
};

extern const NativeClass VectorIntClass = {
    "__AS3__.vec", "Vector$int", "Object", ClassFinal, CreateNative<VectorObject>, construct, convert,
    VectorMembers, {}, setupInt, {}, nullptr,
};

extern const NativeClass VectorUintClass = {
    "__AS3__.vec", "Vector$uint", "Object", ClassFinal, CreateNative<VectorObject>, construct, convert,
    VectorMembers, {}, setupUint, {}, nullptr,
};

extern const NativeClass VectorDoubleClass = {
    "__AS3__.vec", "Vector$double", "Object", ClassFinal, CreateNative<VectorObject>, construct, convert,
    VectorMembers, {}, setupDouble, {}, nullptr,
};

extern const NativeClass VectorObjectClass = {
    "__AS3__.vec", "Vector$object", "Object", ClassFinal, CreateNative<VectorObject>, construct, convert,
    VectorMembers, {}, setupObject, {}, nullptr,
};

} // namespace swf::avm2
