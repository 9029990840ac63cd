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

QString MemberList(NativeCall &call, const Value &object, std::initializer_list<const char *> names)
{
    QString text = QStringLiteral("(");
    for (const char *name : names) {
        if (text.size() > 1)
            text += QStringLiteral(", ");
        const QString member = QString::fromLatin1(name);
        text += member + u'=' + AppendedText(call, call.cx.getMember(object, member));
    }
    return text + u')';
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
