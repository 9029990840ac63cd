// String: text values and their methods.
#include "swf/avm2/builtins/NativeHelpers.h"

#include <algorithm>
#include <cmath>

namespace swf::avm2 {

namespace {

// The string a String method works on: this converted to text.
QString text(Runtime &rt, const Value &self)
{
    if (self.isString())
        return self.asString();
    return rt.toString(self);
}

Value length(Runtime &rt, const Value &self, Args) { return Value(int32_t(text(rt, self).size())); }

Value toStringMethod(Runtime &rt, const Value &self, Args)
{
    if (!self.isString() && !(self.isObject() && self.asObject() == rt.stringClass->prototypeObject))
        rt.throwError(ErrorType::TypeError, 1004, QStringList{QStringLiteral("String.prototype.toString")});
    return self.isString() ? self : Value(QString());
}

Value valueOf(Runtime &rt, const Value &self, Args)
{
    if (!self.isString() && !(self.isObject() && self.asObject() == rt.stringClass->prototypeObject))
        rt.throwError(ErrorType::TypeError, 1004, QStringList{QStringLiteral("String.prototype.valueOf")});
    return self.isString() ? self : Value(QString());
}

Value charAt(Runtime &rt, const Value &self, Args args)
{
    const QString s = text(rt, self);
    const double i = args.has(0) ? rt.toNumber(args[0]) : 0;
    if (!(i >= 0 && i < s.size()))
        return Value(QString());
    return Value(QString(s[int(i)]));
}

Value charCodeAt(Runtime &rt, const Value &self, Args args)
{
    const QString s = text(rt, self);
    const double i = args.has(0) ? rt.toNumber(args[0]) : 0;
    if (!(i >= 0 && i < s.size()))
        return Value(std::nan(""));
    return Value(int32_t(s[int(i)].unicode()));
}

Value indexOf(Runtime &rt, const Value &self, Args args)
{
    const QString s = text(rt, self);
    const QString needle = rt.toString(args[0]);
    double from = args.has(1) ? rt.toNumber(args[1]) : 0;
    from = std::isnan(from) ? 0 : std::clamp(from, 0.0, double(s.size()));
    return Value(int32_t(s.indexOf(needle, int(from))));
}

Value fromCharCode(Runtime &rt, const Value &, Args args)
{
    QString out;
    for (int i = 0; i < args.count; ++i)
        out += QChar(char16_t(rt.toUint(args[i]) & 0xFFFF));
    return Value(out);
}

Value call(Runtime &rt, const Value &, Args args) { return args.has(0) ? Value(rt.toString(args[0])) : Value(QString()); }

} // namespace

extern const NativeClass StringClass = {
    "", "String", "Object", ClassFinal, nullptr, nullptr, call,
    {
        {"length", MemberKind::Getter, length},
        {"toString", MemberKind::Method, toStringMethod, 0, MemberPrototype},
        {"valueOf", MemberKind::Method, valueOf, 0, MemberPrototype},
        {"charAt", MemberKind::Method, charAt, 1, MemberAs3},
        {"charCodeAt", MemberKind::Method, charCodeAt, 1, MemberAs3},
        {"indexOf", MemberKind::Method, indexOf, 1, MemberAs3},
        {"fromCharCode", MemberKind::Method, fromCharCode, 1, MemberStatic},
    },
    {{"length", 1}},
    nullptr, {}, call,
};

} // namespace swf::avm2
