// ContextMenuItem: an entry a movie adds to its context menu. The reference
// player writes the class in ActionScript: the constructor keeps what it is
// given, and copy makes a new item of the same values.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/script/ScriptEngine.h"

namespace swf {

namespace {

constexpr int CopyVersion = 7;

// The members the constructor sets, in argument order, and what an item
// not given one has.
struct Field {
    const char *name;
    Value missing;
};
const Field Fields[] = {
    {"caption", Undefined{}}, {"onSelect", Undefined{}}, {"separatorBefore", false}, {"enabled", true}, {"visible", true},
};

Value construct(NativeCall &call)
{
    size_t i = 0;
    for (const Field &field : Fields) {
        call.cx.setMember(call.self, QString::fromLatin1(field.name), i < call.args.size() ? call.args[i] : field.missing);
        ++i;
    }
    return call.construct ? call.self : Value(Undefined{});
}

Value copy(NativeCall &call)
{
    std::vector<Value> values;
    for (const Field &field : Fields)
        values.push_back(call.cx.getMember(call.self, QString::fromLatin1(field.name)));
    const Value constructor = call.cx.getMember(call.engine().global(), QStringLiteral("ContextMenuItem"));
    return call.cx.construct(constructor, values);
}

} // namespace

const ClassDecl ContextMenuItemClass{
    "ContextMenuItem",
    construct,
    {ScriptMethod("copy", copy, CopyVersion)},
    {},
    {},
};

} // namespace swf
