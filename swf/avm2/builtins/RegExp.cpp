// RegExp: regular expressions, run by our own engine (RegExpEngine.h).
#include "swf/avm2/builtins/ArrayObject.h"
#include "swf/avm2/builtins/NativeHelpers.h"
#include "swf/avm2/builtins/RegExpObject.h"

namespace swf::avm2 {

namespace {

constexpr int FlagsWithRegExpError = 1100;

RegExpObject *regExpOf(Runtime &rt, const Value &self) { return ThisAs<RegExpObject>(rt, self, "RegExp"); }

QString flagText(RegExpFlags flags)
{
    QString out;
    if (flags.global)
        out += QLatin1Char('g');
    if (flags.ignoreCase)
        out += QLatin1Char('i');
    if (flags.multiline)
        out += QLatin1Char('m');
    if (flags.dotAll)
        out += QLatin1Char('s');
    if (flags.extended)
        out += QLatin1Char('x');
    return out;
}

// new RegExp(pattern, flags), or new RegExp(re) for a copy of re.
Value construct(Runtime &rt, const Value &self, Args args)
{
    RegExpObject *re = regExpOf(rt, self);
    if (const RegExpObject *from = AsRegExp(args[0])) {
        if (!args[1].isUndefined())
            rt.throwError(ErrorType::TypeError, FlagsWithRegExpError);
        re->source = from->source;
        re->flags = from->flags;
        re->program = from->program;
        return Value();
    }
    const QString pattern = args[0].isUndefined() ? QString() : rt.toString(args[0]);
    const QString flags = args[1].isUndefined() ? QString() : rt.toString(args[1]);
    re->compile(pattern, ParseRegExpFlags(flags));
    return Value();
}

// RegExp(re) gives re itself; anything else makes a new one.
Value call(Runtime &rt, const Value &, Args args)
{
    if (AsRegExp(args[0]) && args[1].isUndefined())
        return args[0];
    return Value(rt.constructClass(rt.builtin("RegExp"), args));
}

Value exec(Runtime &rt, const Value &self, Args args)
{
    RegExpObject *re = regExpOf(rt, self);
    const QString subject = args.has(0) ? rt.toString(args[0]) : QString();
    const int start = re->flags.global ? re->lastIndex : 0;
    std::vector<int> captures;
    if (start < 0 || start > subject.size() || !re->find(subject, start, captures)) {
        re->lastIndex = 0;
        return Value::null();
    }
    if (re->flags.global)
        re->lastIndex = captures[1];
    return Value(static_cast<Object *>(RegExpMatchArray(rt, *re, subject, captures)));
}

Value test(Runtime &rt, const Value &self, Args args) { return Value(!exec(rt, self, args).isNull()); }

Value toStringMethod(Runtime &rt, const Value &self, Args) { return Value(regExpOf(rt, self)->text()); }

Value source(Runtime &rt, const Value &self, Args) { return Value(regExpOf(rt, self)->source); }
Value global(Runtime &rt, const Value &self, Args) { return Value(regExpOf(rt, self)->flags.global); }
Value ignoreCase(Runtime &rt, const Value &self, Args) { return Value(regExpOf(rt, self)->flags.ignoreCase); }
Value multiline(Runtime &rt, const Value &self, Args) { return Value(regExpOf(rt, self)->flags.multiline); }
Value dotall(Runtime &rt, const Value &self, Args) { return Value(regExpOf(rt, self)->flags.dotAll); }
Value extended(Runtime &rt, const Value &self, Args) { return Value(regExpOf(rt, self)->flags.extended); }
Value getLastIndex(Runtime &rt, const Value &self, Args) { return Value(regExpOf(rt, self)->lastIndex); }

Value setLastIndex(Runtime &rt, const Value &self, Args args)
{
    regExpOf(rt, self)->lastIndex = rt.toInt(args[0]);
    return Value();
}

} // namespace

void RegExpObject::compile(const QString &pattern, RegExpFlags newFlags)
{
    source = pattern;
    flags = newFlags;
    program = RegExpProgram::compile(pattern, newFlags, nullptr);
}

bool RegExpObject::find(const QString &subject, int start, std::vector<int> &captures) const
{
    return program && program->exec(subject, start, captures);
}

bool RegExpObject::matchAt(const QString &subject, int start, std::vector<int> &captures) const
{
    return program && program->matchAt(subject, start, captures);
}

QString RegExpObject::text() const
{
    return QLatin1Char('/') + source + QLatin1Char('/') + flagText(flags);
}

RegExpFlags ParseRegExpFlags(const QString &text)
{
    RegExpFlags flags;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case 'g': flags.global = true; break;
        case 'i': flags.ignoreCase = true; break;
        case 'm': flags.multiline = true; break;
        case 's': flags.dotAll = true; break;
        case 'x': flags.extended = true; break;
        default: break;
        }
    }
    return flags;
}

RegExpObject *ToRegExp(Runtime &rt, const Value &pattern)
{
    if (RegExpObject *re = AsRegExp(pattern))
        return re;
    // Unlike new RegExp(undefined), a pattern argument of undefined reads "undefined".
    const Value text(rt.toString(pattern));
    return static_cast<RegExpObject *>(rt.constructClass(rt.builtin("RegExp"), Args{&text, 1}));
}

Value RegExpCapture(const QString &subject, const std::vector<int> &captures, int group)
{
    const int begin = captures[size_t(2 * group)];
    const int end = captures[size_t(2 * group + 1)];
    if (begin < 0)
        return Value();
    return Value(subject.mid(begin, end - begin));
}

ArrayObject *RegExpMatchArray(Runtime &rt, const RegExpObject &re, const QString &subject,
                              const std::vector<int> &captures)
{
    const int groups = re.captureCount();
    std::vector<Value> texts;
    texts.reserve(size_t(groups + 1));
    for (int i = 0; i <= groups; ++i)
        texts.push_back(RegExpCapture(subject, captures, i));
    ArrayObject *array = rt.newArray(texts);
    const Value arrayValue(static_cast<Object *>(array));
    rt.set(arrayValue, QStringLiteral("index"), Value(int32_t(captures[0])));
    rt.set(arrayValue, QStringLiteral("input"), Value(subject));
    const QStringList names = re.program ? re.program->groupNames() : QStringList();
    for (int i = 0; i < names.size(); ++i) {
        if (!names[i].isEmpty())
            rt.set(arrayValue, names[i], texts[size_t(i + 1)]);
    }
    return array;
}

extern const NativeClass RegExpClass = {
    "", "RegExp", "Object", ClassDynamic, CreateNative<RegExpObject>, construct, call,
    {
        {"exec", MemberKind::Method, exec, 1, MemberAs3},
        {"test", MemberKind::Method, test, 1, MemberAs3},
        {"toString", MemberKind::Method, toStringMethod, 0, MemberPrototype},
        {"source", MemberKind::Getter, source},
        {"global", MemberKind::Getter, global},
        {"ignoreCase", MemberKind::Getter, ignoreCase},
        {"multiline", MemberKind::Getter, multiline},
        {"dotall", MemberKind::Getter, dotall},
        {"extended", MemberKind::Getter, extended},
        {"lastIndex", MemberKind::Getter, getLastIndex},
        {"lastIndex", MemberKind::Setter, setLastIndex},
    },
    {{"length", 1}},
    nullptr, {}, nullptr,
};

} // namespace swf::avm2
