#include "GeomMembers.h"

#include "swf/script/Conversions.h"
#include "swf/script/ScriptEngine.h"

namespace swf {

QString AppendedText(NativeCall &call, const Value &value)
{
    Conversions convert(call.engine(), call.cx);
    const Value plain = convert.toPrimitive(value, Conversions::Hint::Addition);
    return call.cx.toString(objectOf(plain) ? value : plain);
}

namespace {

QString listOf(NativeCall &call, const Value &object, const LabelledMember *begin, const LabelledMember *end)
{
    QString text = QStringLiteral("(");
    for (const LabelledMember *member = begin; member != end; ++member) {
        if (member != begin)
            text += QStringLiteral(", ");
        text += QLatin1String(member->label) + u'=' +
                AppendedText(call, call.cx.getMember(object, QString::fromLatin1(member->name)));
    }
    return text + u')';
}

} // namespace

QString MemberList(NativeCall &call, const Value &object, std::initializer_list<LabelledMember> members)
{
    return listOf(call, object, members.begin(), members.end());
}

QString MemberList(NativeCall &call, const Value &object, std::initializer_list<const char *> names)
{
    std::vector<LabelledMember> members;
    for (const char *name : names)
        members.push_back({name, name});
    return listOf(call, object, members.data(), members.data() + members.size());
}

double NumberMember(NativeCall &call, const Value &object, const char *name)
{
    return call.cx.toNumber(call.cx.getMember(object, QString::fromLatin1(name)));
}

void SetMembers(NativeCall &call, const Value &object, std::initializer_list<const char *> names,
                std::initializer_list<Value> values)
{
    auto value = values.begin();
    for (const char *name : names) {
        if (value == values.end())
            return;
        call.cx.setMember(object, QString::fromLatin1(name), *value++);
    }
}

Value GeomClass(NativeCall &call, const char *name)
{
    Value holder = call.engine().global();
    for (const char *part : {"flash", "geom", name})
        holder = call.cx.getMember(holder, QString::fromLatin1(part));
    return holder;
}

Value NewGeom(NativeCall &call, const char *name, const std::vector<Value> &args)
{
    return call.cx.construct(GeomClass(call, name), args);
}

} // namespace swf
