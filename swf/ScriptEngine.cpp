#include "ScriptEngine.h"

#include "swf/DisplayObject.h"
#include "swf/MoviePlayer.h"

#include <QRandomGenerator>
#include <QUrl>

#include <algorithm>
#include <climits>
#include <cmath>

namespace swf {

namespace {

enum Native {
    // Global functions and constructors.
    NParseInt, NParseFloat, NIsNaN, NIsFinite, NEscape, NUnescape, NObject, NArray, NString, NNumber, NBoolean,
    NFunction, NSetPropFlags,
    // Math.
    NAbs, NAcos, NAsin, NAtan, NAtan2, NCeil, NCos, NExp, NFloor, NLog, NMax, NMin, NPow, NRandom, NRound, NSin,
    NSqrt, NTan,
    // Object.prototype.
    NObjectToString, NValueOf, NHasOwnProperty,
    // Array.prototype.
    NPush, NPop, NShift, NUnshift, NJoin, NReverse, NConcat, NSlice, NSplice, NSort, NArrayToString,
    // String.
    NCharAt, NCharCodeAt, NIndexOf, NLastIndexOf, NSubstr, NSubstring, NStringSlice, NToUpperCase,
    NToLowerCase, NSplit, NStringConcat, NStringToString, NFromCharCode,
    // Number, Boolean, Function.
    NNumberToString, NBooleanToString, NCall, NApply,
    // Sound, and timers.
    NSound, NAttachSound, NSoundStart, NSoundStop, NSetVolume, NGetVolume, NSetInterval, NClearInterval,
    // Key.
    NKeyIsDown, NKeyGetCode, NKeyGetAscii,
    // Color.
    NColor, NSetRGB, NGetRGB, NSetTransform, NGetTransform,
};

double argNumber(ScriptContext &cx, const std::vector<Value> &args, size_t i, double fallback = std::nan(""))
{
    return i < args.size() ? cx.toNumber(args[i]) : fallback;
}

QString numberText(double d, int radix)
{
    if (radix == 10 || !std::isfinite(d) || radix < 2 || radix > 36)
        return QString();
    return QString::number(qint64(d), radix);
}

// A number as an int within low..high; NaN counts as fallback.
int clampedInt(double d, int low, int high, int fallback = 0)
{
    if (std::isnan(d))
        return std::clamp(fallback, low, high);
    return int(std::clamp(std::trunc(d), double(low), double(high)));
}

// Clamps a relative index (negative counts from the end) into 0..length.
int relativeIndex(double index, int length)
{
    if (std::isnan(index))
        return 0;
    const double i = index < 0 ? std::max(0.0, length + std::trunc(index)) : std::min(double(length), std::trunc(index));
    return int(i);
}

} // namespace

ScriptObject *ScriptEngine::newObject()
{
    return m_heap.make(ScriptObject::Kind::Object, m_objectPrototype);
}

ScriptObject *ScriptEngine::newArray(std::vector<Value> elements)
{
    if (int(elements.size()) > MaxArrayLength)
        elements.resize(MaxArrayLength);
    if (!m_heap.take(qint64(elements.size())))
        return nullptr;
    ScriptObject *array = m_heap.make(ScriptObject::Kind::Array, m_arrayPrototype);
    if (array)
        array->elements = std::move(elements);
    return array;
}

ScriptObject *ScriptEngine::newFunction()
{
    ScriptObject *function = m_heap.make(ScriptObject::Kind::Function, m_functionPrototype);
    if (!function)
        return nullptr;
    if (ScriptObject *prototype = newObject()) {
        prototype->set(key(QStringLiteral("constructor")), QStringLiteral("constructor"), function);
        function->set(key(QStringLiteral("prototype")), QStringLiteral("prototype"), prototype);
    }
    return function;
}

ScriptObject *ScriptEngine::addNative(ScriptObject *owner, const char *name, int id)
{
    ScriptObject *function = m_heap.make(ScriptObject::Kind::Native, m_functionPrototype);
    function->native = id;
    const QString text = QString::fromLatin1(name);
    owner->set(key(text), text, function);
    return function;
}

ScriptObject *ScriptEngine::addClass(const char *name, int constructorId, ScriptObject *prototype)
{
    ScriptObject *constructor = addNative(m_global, name, constructorId);
    constructor->set(key(QStringLiteral("prototype")), QStringLiteral("prototype"), prototype);
    prototype->set(key(QStringLiteral("constructor")), QStringLiteral("constructor"), constructor);
    return constructor;
}

void ScriptEngine::reset(int version)
{
    m_heap.clear();
    callDepth = 0;
    m_version = version;
    m_caseSensitive = version >= 7;
    using Kind = ScriptObject::Kind;
    m_objectPrototype = m_heap.make(Kind::Object, nullptr);
    m_functionPrototype = m_heap.make(Kind::Object, m_objectPrototype);
    m_arrayPrototype = m_heap.make(Kind::Object, m_objectPrototype);
    m_stringPrototype = m_heap.make(Kind::Object, m_objectPrototype);
    m_numberPrototype = m_heap.make(Kind::Object, m_objectPrototype);
    m_booleanPrototype = m_heap.make(Kind::Object, m_objectPrototype);
    m_global = m_heap.make(Kind::Object, m_objectPrototype);

    for (auto [name, id] : {std::pair{"parseInt", NParseInt}, {"parseFloat", NParseFloat}, {"isNaN", NIsNaN},
                            {"isFinite", NIsFinite}, {"escape", NEscape}, {"unescape", NUnescape},
                            {"ASSetPropFlags", NSetPropFlags}})
        addNative(m_global, name, id);
    m_global->set(key(QStringLiteral("NaN")), QStringLiteral("NaN"), std::nan(""));
    m_global->set(key(QStringLiteral("Infinity")), QStringLiteral("Infinity"), double(INFINITY));
    addClass("Object", NObject, m_objectPrototype);
    addClass("Array", NArray, m_arrayPrototype);
    addNative(addClass("String", NString, m_stringPrototype), "fromCharCode", NFromCharCode);
    addClass("Number", NNumber, m_numberPrototype);
    addClass("Boolean", NBoolean, m_booleanPrototype);
    addClass("Function", NFunction, m_functionPrototype);

    ScriptObject *math = newObject();
    m_global->set(key(QStringLiteral("Math")), QStringLiteral("Math"), math);
    for (auto [name, id] :
         {std::pair{"abs", NAbs}, {"acos", NAcos}, {"asin", NAsin}, {"atan", NAtan}, {"atan2", NAtan2},
          {"ceil", NCeil}, {"cos", NCos}, {"exp", NExp}, {"floor", NFloor}, {"log", NLog}, {"max", NMax},
          {"min", NMin}, {"pow", NPow}, {"random", NRandom}, {"round", NRound}, {"sin", NSin}, {"sqrt", NSqrt},
          {"tan", NTan}})
        addNative(math, name, id);
    for (auto [name, value] : {std::pair{"PI", M_PI}, {"E", M_E}, {"LN2", M_LN2}, {"LN10", M_LN10},
                               {"LOG2E", M_LOG2E}, {"LOG10E", M_LOG10E}, {"SQRT1_2", M_SQRT1_2},
                               {"SQRT2", M_SQRT2}})
        math->set(key(QString::fromLatin1(name)), QString::fromLatin1(name), value);

    for (auto [name, id] : {std::pair{"toString", NObjectToString}, {"valueOf", NValueOf},
                            {"hasOwnProperty", NHasOwnProperty}})
        addNative(m_objectPrototype, name, id);
    for (auto [name, id] : {std::pair{"push", NPush}, {"pop", NPop}, {"shift", NShift}, {"unshift", NUnshift},
                            {"join", NJoin}, {"reverse", NReverse}, {"concat", NConcat}, {"slice", NSlice},
                            {"splice", NSplice}, {"sort", NSort}, {"toString", NArrayToString}})
        addNative(m_arrayPrototype, name, id);
    for (auto [name, id] :
         {std::pair{"charAt", NCharAt}, {"charCodeAt", NCharCodeAt}, {"indexOf", NIndexOf},
          {"lastIndexOf", NLastIndexOf}, {"substr", NSubstr}, {"substring", NSubstring}, {"slice", NStringSlice},
          {"toUpperCase", NToUpperCase}, {"toLowerCase", NToLowerCase}, {"split", NSplit},
          {"concat", NStringConcat}, {"toString", NStringToString}, {"valueOf", NStringToString}})
        addNative(m_stringPrototype, name, id);
    addNative(m_numberPrototype, "toString", NNumberToString);
    addNative(m_booleanPrototype, "toString", NBooleanToString);
    addNative(m_functionPrototype, "call", NCall);
    addNative(m_functionPrototype, "apply", NApply);
    m_soundPrototype = m_heap.make(Kind::Object, m_objectPrototype);
    addClass("Sound", NSound, m_soundPrototype);
    for (auto [name, id] : {std::pair{"attachSound", NAttachSound}, {"start", NSoundStart}, {"stop", NSoundStop},
                            {"setVolume", NSetVolume}, {"getVolume", NGetVolume}})
        addNative(m_soundPrototype, name, id);
    m_colorPrototype = m_heap.make(Kind::Object, m_objectPrototype);
    addClass("Color", NColor, m_colorPrototype);
    for (auto [name, id] : {std::pair{"setRGB", NSetRGB}, {"getRGB", NGetRGB}, {"setTransform", NSetTransform},
                            {"getTransform", NGetTransform}})
        addNative(m_colorPrototype, name, id);
    ScriptObject *keys = newObject();
    m_global->set(key(QStringLiteral("Key")), QStringLiteral("Key"), keys);
    addNative(keys, "isDown", NKeyIsDown);
    addNative(keys, "getCode", NKeyGetCode);
    addNative(keys, "getAscii", NKeyGetAscii);
    for (auto [name, code] : {std::pair{"BACKSPACE", 8}, {"TAB", 9}, {"ENTER", 13}, {"SHIFT", 16}, {"CONTROL", 17},
                              {"CAPSLOCK", 20}, {"ESCAPE", 27}, {"SPACE", 32}, {"PGUP", 33}, {"PGDN", 34},
                              {"END", 35}, {"HOME", 36}, {"LEFT", 37}, {"UP", 38}, {"RIGHT", 39}, {"DOWN", 40},
                              {"INSERT", 45}, {"DELETEKEY", 46}})
        keys->set(key(QString::fromLatin1(name)), QString::fromLatin1(name), double(code));
    addNative(m_global, "setInterval", NSetInterval);
    addNative(m_global, "clearInterval", NClearInterval);
    m_intervals.clear();
    m_nextInterval = 1;
    m_liveAfterCollection = m_heap.size();
}

Value ScriptEngine::callNative(int id, ScriptContext &cx, const Value &self, const std::vector<Value> &args,
                               bool construct)
{
    ScriptObject *object = nullptr;
    if (const auto *o = std::get_if<ScriptObject *>(&self))
        object = *o;
    ScriptObject *array = object && object->kind == ScriptObject::Kind::Array ? object : nullptr;
    const auto number = [&](size_t i, double fallback = std::nan("")) { return argNumber(cx, args, i, fallback); };
    const auto math1 = [&](double (*f)(double)) -> Value { return f(number(0)); };
    const auto text = [&]() { return cx.toString(self); };

    switch (id) {
    case NParseInt: {
        QString s = args.empty() ? QString() : cx.toString(args[0]).trimmed();
        int radix = args.size() > 1 ? clampedInt(cx.toNumber(args[1]), -1, 37) : 0;
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
        while (length < s.size()) {
            const QChar c = s.at(length).toLower();
            const int digit = c.isDigit() ? c.digitValue() : (c >= u'a' && c <= u'z') ? c.unicode() - 'a' + 10 : 99;
            if (digit >= radix)
                break;
            ++length;
        }
        if (length == 0)
            return std::nan("");
        double value = 0;
        for (int i = 0; i < length; ++i) {
            const QChar c = s.at(i).toLower();
            value = value * radix + (c.isDigit() ? c.digitValue() : c.unicode() - 'a' + 10);
        }
        return negative ? -value : value;
    }
    case NParseFloat: {
        const QString s = args.empty() ? QString() : cx.toString(args[0]).trimmed();
        int end = 0;
        bool ok = false;
        double best = std::nan("");
        // The longest prefix that reads as a number.
        for (end = int(s.size()); end > 0; --end) {
            const double d = s.left(end).toDouble(&ok);
            if (ok) {
                best = d;
                break;
            }
        }
        return best;
    }
    case NIsNaN: return std::isnan(number(0));
    case NIsFinite: return std::isfinite(number(0));
    case NEscape:
        return QString::fromLatin1(QUrl::toPercentEncoding(args.empty() ? QString() : cx.toString(args[0])));
    case NUnescape:
        return QUrl::fromPercentEncoding(args.empty() ? QByteArray() : cx.toString(args[0]).toUtf8());
    case NSetPropFlags: return Undefined{};
    case NObject:
        if (!args.empty() && std::holds_alternative<ScriptObject *>(args[0]))
            return args[0];
        if (ScriptObject *created = newObject())
            return created;
        return Undefined{};
    case NArray: {
        std::vector<Value> elements;
        if (args.size() == 1 && std::holds_alternative<double>(args[0])) {
            const double n = std::get<double>(args[0]);
            if (n >= 0 && n <= MaxArrayLength && m_heap.canTake(qint64(n)))
                elements.resize(size_t(n));
        } else {
            elements = args;
        }
        if (ScriptObject *created = newArray(std::move(elements)))
            return created;
        return Undefined{};
    }
    case NString: {
        const QString s = args.empty() ? QString() : cx.toString(args[0]);
        if (!construct)
            return s;
        ScriptObject *boxed = m_heap.make(ScriptObject::Kind::Object, m_stringPrototype);
        if (!boxed)
            return s;
        boxed->elements = {s};
        return boxed;
    }
    case NNumber: return args.empty() ? 0.0 : cx.toNumber(args[0]);
    case NBoolean: return args.empty() ? false : cx.toBool(args[0]);
    case NFunction: return Undefined{};

    case NAbs: return math1(std::fabs);
    case NAcos: return math1(std::acos);
    case NAsin: return math1(std::asin);
    case NAtan: return math1(std::atan);
    case NAtan2: return std::atan2(number(0), number(1));
    case NCeil: return math1(std::ceil);
    case NCos: return math1(std::cos);
    case NExp: return math1(std::exp);
    case NFloor: return math1(std::floor);
    case NLog: return math1(std::log);
    case NMax:
    case NMin: {
        if (args.empty())
            return id == NMax ? -INFINITY : INFINITY;
        double result = number(0);
        for (size_t i = 1; i < args.size(); ++i) {
            const double d = number(i);
            if (std::isnan(d) || std::isnan(result))
                return std::nan("");
            result = id == NMax ? std::max(result, d) : std::min(result, d);
        }
        return result;
    }
    case NPow: return std::pow(number(0), number(1));
    case NRandom: return QRandomGenerator::global()->generateDouble();
    case NRound: return std::floor(number(0) + 0.5);
    case NSin: return math1(std::sin);
    case NSqrt: return math1(std::sqrt);
    case NTan: return math1(std::tan);

    case NObjectToString:
        return object && object->isCallable() ? QStringLiteral("[type Function]") : QStringLiteral("[object Object]");
    case NValueOf: return self;
    case NHasOwnProperty:
        return object && !args.empty() && (object->own(key(cx.toString(args[0]))) != nullptr);

    case NPush:
    case NUnshift:
        if (!array)
            return Undefined{};
        for (size_t i = 0; i < args.size() && int(array->elements.size()) < MaxArrayLength; ++i)
            if (!array->insertElements(id == NPush ? array->elements.size() : i, &args[i], 1))
                break;
        return double(array->elements.size());
    case NPop:
    case NShift: {
        if (!array || array->elements.empty())
            return Undefined{};
        Value taken = id == NPop ? array->elements.back() : array->elements.front();
        if (id == NPop)
            array->elements.pop_back();
        else
            array->elements.erase(array->elements.begin());
        return taken;
    }
    case NJoin:
    case NArrayToString: {
        if (!array)
            return QString();
        const QString separator = id == NJoin && !args.empty() && !std::holds_alternative<Undefined>(args[0])
                                      ? cx.toString(args[0])
                                      : QStringLiteral(",");
        QString joined;
        for (size_t i = 0; i < array->elements.size(); ++i) {
            if (i > 0)
                joined += separator;
            const Value &element = array->elements[i];
            if (!std::holds_alternative<Undefined>(element) && !std::holds_alternative<Null>(element))
                joined += std::get_if<ScriptObject *>(&element) && std::get<ScriptObject *>(element) == array
                              ? QString()
                              : cx.toString(element);
            if (joined.size() > (1 << 20))
                break;
        }
        return joined;
    }
    case NReverse:
        if (array)
            std::reverse(array->elements.begin(), array->elements.end());
        return self;
    case NConcat: {
        std::vector<Value> elements = array ? array->elements : std::vector<Value>{};
        for (const Value &arg : args) {
            const auto *other = std::get_if<ScriptObject *>(&arg);
            if (other && *other && (*other)->kind == ScriptObject::Kind::Array)
                elements.insert(elements.end(), (*other)->elements.begin(), (*other)->elements.end());
            else
                elements.push_back(arg);
        }
        if (ScriptObject *created = newArray(std::move(elements)))
            return created;
        return Undefined{};
    }
    case NSlice: {
        if (!array)
            return Undefined{};
        const int length = int(array->elements.size());
        const int from = relativeIndex(number(0, 0), length);
        const int to = relativeIndex(number(1, length), length);
        std::vector<Value> elements;
        if (to > from)
            elements.assign(array->elements.begin() + from, array->elements.begin() + to);
        if (ScriptObject *created = newArray(std::move(elements)))
            return created;
        return Undefined{};
    }
    case NSplice: {
        if (!array || args.empty())
            return Undefined{};
        const int length = int(array->elements.size());
        const int from = relativeIndex(number(0, 0), length);
        const int count = clampedInt(number(1, length - from), 0, length - from);
        std::vector<Value> removed(array->elements.begin() + from, array->elements.begin() + from + count);
        array->elements.erase(array->elements.begin() + from, array->elements.begin() + from + count);
        if (args.size() > 2 && int(array->elements.size() + args.size()) < MaxArrayLength)
            array->insertElements(size_t(from), args.data() + 2, args.size() - 2);
        if (ScriptObject *created = newArray(std::move(removed)))
            return created;
        return Undefined{};
    }
    case NSort: {
        if (!array)
            return Undefined{};
        const bool byFunction = !args.empty() && std::holds_alternative<ScriptObject *>(args[0]) &&
                                std::get<ScriptObject *>(args[0]) && std::get<ScriptObject *>(args[0])->isCallable();
        std::vector<Value> &e = array->elements;
        if (byFunction) {
            const Value compare = args[0];
            // Insertion sort: a script comparison may be inconsistent, which
            // std::sort does not allow.
            for (size_t i = 1; i < e.size(); ++i)
                for (size_t j = i; j > 0 && cx.toNumber(cx.call(compare, Undefined{}, {e[j - 1], e[j]})) > 0; --j)
                    std::swap(e[j - 1], e[j]);
        } else {
            std::vector<std::pair<QString, Value>> keyed;
            for (const Value &v : e)
                keyed.emplace_back(cx.toString(v), v);
            std::stable_sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
            for (size_t i = 0; i < e.size(); ++i)
                e[i] = keyed[i].second;
        }
        return self;
    }

    case NCharAt: {
        const QString s = text();
        const double i = number(0, 0);
        return i >= 0 && i < s.size() ? QString(s.at(int(i))) : QString();
    }
    case NCharCodeAt: {
        const QString s = text();
        const double i = number(0, 0);
        return i >= 0 && i < s.size() ? double(s.at(int(i)).unicode()) : std::nan("");
    }
    case NIndexOf:
    case NLastIndexOf: {
        const QString s = text();
        const QString needle = args.empty() ? QStringLiteral("undefined") : cx.toString(args[0]);
        if (id == NIndexOf)
            return double(s.indexOf(needle, clampedInt(number(1, 0), 0, int(s.size()))));
        return double(s.lastIndexOf(needle, clampedInt(number(1, s.size()), 0, int(s.size()), int(s.size()))));
    }
    case NSubstr: {
        const QString s = text();
        const int from = relativeIndex(number(0, 0), int(s.size()));
        const double count = number(1, s.size() - from);
        return s.mid(from, std::isnan(count) || count < 0 ? 0 : int(std::min(count, double(s.size()))));
    }
    case NSubstring: {
        const QString s = text();
        int a = clampedInt(number(0, 0), 0, int(s.size()));
        int b = clampedInt(number(1, s.size()), 0, int(s.size()));
        if (a > b)
            std::swap(a, b);
        return s.mid(a, b - a);
    }
    case NStringSlice: {
        const QString s = text();
        const int from = relativeIndex(number(0, 0), int(s.size()));
        const int to = relativeIndex(number(1, s.size()), int(s.size()));
        return to > from ? s.mid(from, to - from) : QString();
    }
    case NToUpperCase: return text().toUpper();
    case NToLowerCase: return text().toLower();
    case NSplit: {
        const QString s = text();
        std::vector<Value> parts;
        if (args.empty() || std::holds_alternative<Undefined>(args[0])) {
            parts.push_back(s);
        } else if (const QString separator = cx.toString(args[0]); separator.isEmpty()) {
            for (QChar c : s)
                parts.push_back(QString(c));
        } else {
            for (const QString &piece : s.split(separator))
                parts.push_back(piece);
        }
        if (ScriptObject *created = newArray(std::move(parts)))
            return created;
        return Undefined{};
    }
    case NStringConcat: {
        QString s = text();
        for (const Value &arg : args)
            s += cx.toString(arg);
        return s;
    }
    case NStringToString: return text();
    case NFromCharCode: {
        QString s;
        for (size_t i = 0; i < args.size(); ++i)
            s += QChar(char16_t(clampedInt(std::fmod(number(i, 0), 65536.0), -65536, 65536) & 0xFFFF));
        return s;
    }

    case NNumberToString: {
        const int radix = clampedInt(number(0, 10), 0, 37, 10);
        const QString text = numberText(cx.toNumber(self), radix);
        return text.isEmpty() ? cx.toString(cx.toNumber(self)) : text;
    }
    case NBooleanToString: return cx.toString(cx.toBool(self));
    case NCall: {
        const Value thisValue = args.empty() ? Value(Undefined{}) : args[0];
        return cx.call(self, thisValue, args.size() > 1 ? std::vector<Value>(args.begin() + 1, args.end())
                                                        : std::vector<Value>{});
    }
    case NApply: {
        const Value thisValue = args.empty() ? Value(Undefined{}) : args[0];
        std::vector<Value> callArgs;
        if (args.size() > 1)
            if (const auto *list = std::get_if<ScriptObject *>(&args[1]); list && *list)
                callArgs = (*list)->elements;
        return cx.call(self, thisValue, callArgs);
    }
    case NSound: {
        ScriptObject *sound = m_heap.make(ScriptObject::Kind::Object, m_soundPrototype);
        if (sound)
            return sound;
        return Undefined{};
    }
    case NAttachSound:
        if (object && !args.empty())
            object->builtinData = cx.toString(args[0]);
        return Undefined{};
    case NSoundStart: {
        if (!object || object->builtinData.isEmpty())
            return Undefined{};
        SoundInfo info;
        const double offset = number(0, 0);
        if (offset > 0 && offset < 3600)
            info.inPoint = qint64(offset * 44100);
        info.loops = clampedInt(number(1, 1), 1, 65535, 1);
        cx.player().startExportedSound(object->builtinData, info);
        return Undefined{};
    }
    case NSoundStop:
        if (!args.empty())
            cx.player().stopExportedSound(cx.toString(args[0]));
        else if (object && !object->builtinData.isEmpty())
            cx.player().stopExportedSound(object->builtinData);
        else
            cx.player().stopSounds();
        return Undefined{};
    case NSetVolume: cx.player().setSoundVolume(clampedInt(number(0, 100), 0, 200, 100)); return Undefined{};
    case NGetVolume: return double(cx.player().soundVolume());
    case NSetInterval: {
        if (args.size() < 2 || int(m_intervals.size()) >= MaxIntervals)
            return Undefined{};
        Interval interval;
        const auto *f = std::get_if<ScriptObject *>(&args[0]);
        size_t next = 1;
        if (f && (*f)->isCallable()) {
            interval.function = args[0];
        } else {
            interval.self = args[0];
            interval.method = cx.toString(args[1]);
            next = 2;
        }
        interval.periodMs = std::max<qint64>(clampedInt(number(next, 0), 0, 24 * 3600 * 1000), MinIntervalMs);
        interval.args.assign(args.begin() + std::ptrdiff_t(std::min(next + 1, args.size())), args.end());
        interval.id = m_nextInterval++;
        interval.dueMs = cx.player().elapsedMs() + interval.periodMs;
        m_intervals.push_back(std::move(interval));
        return double(m_intervals.back().id);
    }
    case NClearInterval: {
        const double id = number(0, -1);
        m_intervals.erase(std::remove_if(m_intervals.begin(), m_intervals.end(),
                                         [id](const Interval &i) { return i.id == id; }),
                          m_intervals.end());
        return Undefined{};
    }
    case NColor: {
        ScriptObject *color = m_heap.make(ScriptObject::Kind::Object, m_colorPrototype);
        if (!color)
            return Undefined{};
        if (!args.empty()) {
            if (const auto *clip = std::get_if<ClipRef>(&args[0]))
                color->builtinClip = *clip;
            else
                color->builtinClip = refTo(cx.player().resolveTarget(cx.player().root(), cx.toString(args[0])));
        }
        return color;
    }
    case NSetRGB:
    case NSetTransform: {
        DisplayObject *clip = object ? object->builtinClip.get() : nullptr;
        if (!clip || args.empty())
            return Undefined{};
        ColorTransform &t = clip->cxform;
        if (id == NSetRGB) {
            const auto rgb = uint32_t(clampedInt(number(0, 0), INT_MIN, INT_MAX));
            t.redMult = t.greenMult = t.blueMult = 0;
            t.redAdd = int((rgb >> 16) & 0xFF);
            t.greenAdd = int((rgb >> 8) & 0xFF);
            t.blueAdd = int(rgb & 0xFF);
        } else if (const auto *fields = std::get_if<ScriptObject *>(&args[0])) {
            // Percentages (ra, ga, ba, aa) and offsets (rb, gb, bb, ab); what is not given stays.
            const auto field = [&](const char *name, int &slot, bool percent) {
                if (const Value *v = (*fields)->find(key(QLatin1String(name))))
                    slot = percent ? clampedInt(cx.toNumber(*v) * 256 / 100, -32768, 32767, slot)
                                   : clampedInt(cx.toNumber(*v), -32768, 32767, slot);
            };
            field("ra", t.redMult, true);
            field("ga", t.greenMult, true);
            field("ba", t.blueMult, true);
            field("aa", t.alphaMult, true);
            field("rb", t.redAdd, false);
            field("gb", t.greenAdd, false);
            field("bb", t.blueAdd, false);
            field("ab", t.alphaAdd, false);
        }
        cx.player().markChanged();
        return Undefined{};
    }
    case NGetRGB: {
        const DisplayObject *clip = object ? object->builtinClip.get() : nullptr;
        if (!clip)
            return Undefined{};
        const ColorTransform &t = clip->cxform;
        return double(((t.redAdd & 0xFF) << 16) | ((t.greenAdd & 0xFF) << 8) | (t.blueAdd & 0xFF));
    }
    case NGetTransform: {
        const DisplayObject *clip = object ? object->builtinClip.get() : nullptr;
        ScriptObject *fields = clip ? newObject() : nullptr;
        if (!fields)
            return Undefined{};
        const ColorTransform &t = clip->cxform;
        for (auto [name, value] : {std::pair{"ra", t.redMult * 100.0 / 256}, {"rb", double(t.redAdd)},
                                   {"ga", t.greenMult * 100.0 / 256}, {"gb", double(t.greenAdd)},
                                   {"ba", t.blueMult * 100.0 / 256}, {"bb", double(t.blueAdd)},
                                   {"aa", t.alphaMult * 100.0 / 256}, {"ab", double(t.alphaAdd)}})
            fields->set(key(QLatin1String(name)), QLatin1String(name), value);
        return fields;
    }
    case NKeyIsDown: return cx.player().keyIsDown(clampedInt(number(0, 0), 0, 255));
    case NKeyGetCode: return double(cx.player().lastKeyCode());
    case NKeyGetAscii: return double(cx.player().lastKeyAscii());
    default: return Undefined{};
    }
}

std::vector<ScriptEngine::Interval> ScriptEngine::takeDueIntervals(qint64 nowMs)
{
    std::vector<Interval> due;
    for (Interval &interval : m_intervals) {
        if (interval.dueMs > nowMs)
            continue;
        due.push_back(interval);
        // One call per tick at most: a slow movie does not pile calls up.
        interval.dueMs = std::max(interval.dueMs + interval.periodMs, nowMs + 1);
    }
    return due;
}

void ScriptEngine::collectGarbage(const DisplayObject &root)
{
    m_heap.collect([&](const std::function<void(const Value &)> &mark) {
        for (ScriptObject *builtin : {m_global, m_objectPrototype, m_arrayPrototype, m_functionPrototype,
                                      m_stringPrototype, m_numberPrototype, m_booleanPrototype, m_soundPrototype,
                                      m_colorPrototype})
            mark(builtin);
        for (const Interval &interval : m_intervals) {
            mark(interval.function);
            mark(interval.self);
            for (const Value &arg : interval.args)
                mark(arg);
        }
        std::vector<const DisplayObject *> clips{&root};
        while (!clips.empty()) {
            const DisplayObject *clip = clips.back();
            clips.pop_back();
            for (const Value &value : clip->variables)
                mark(value);
            for (const auto &[depth, child] : clip->children)
                clips.push_back(child.get());
        }
    });
    m_liveAfterCollection = m_heap.size();
}

} // namespace swf
