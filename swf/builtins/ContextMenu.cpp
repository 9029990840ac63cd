// ContextMenu: what a movie puts in the menu its right click opens. The
// reference player writes the class in ActionScript: the menu holds the
// callback, which built-in entries show, and the movie's own items.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/script/ScriptEngine.h"

namespace swf {

namespace {

constexpr int MethodVersion = 7;
constexpr size_t MaxCopiedItems = 1 << 16;

const char *const BuiltInItems[] = {"forward_back", "loop", "play", "print", "quality", "rewind", "save", "zoom"};

const QString &builtInName()
{
    static const QString name = QStringLiteral("builtInItems");
    return name;
}

const QString &customName()
{
    static const QString name = QStringLiteral("customItems");
    return name;
}

const QString &onSelectName()
{
    static const QString name = QStringLiteral("onSelect");
    return name;
}

Value construct(NativeCall &call)
{
    call.cx.setMember(call.self, onSelectName(), call.arg(0));
    // The entries' object names its constructor as the built-in objects do.
    ScriptObject *builtIn = call.engine().newObject();
    if (builtIn) {
        AddBuiltinMember(call.engine(), *builtIn, "constructor",
                         call.cx.getMember(call.engine().global(), QStringLiteral("Object")), BuiltinFlags);
        for (const char *item : BuiltInItems)
            call.cx.setMember(builtIn, QString::fromLatin1(item), true);
    }
    call.cx.setMember(call.self, builtInName(), ObjectValue(builtIn));
    const Value array = call.cx.getMember(call.engine().global(), QStringLiteral("Array"));
    call.cx.setMember(call.self, customName(), call.cx.construct(array, {}));
    return call.construct ? call.self : Value(Undefined{});
}

// copy(): a menu of the same callback and built-in entries, with a copy of
// each of the movie's items.
Value copy(NativeCall &call)
{
    const Value constructor = call.cx.getMember(call.engine().global(), QStringLiteral("ContextMenu"));
    const Value menu = call.cx.construct(constructor, {call.cx.getMember(call.self, onSelectName())});
    call.cx.setMember(menu, builtInName(), call.cx.getMember(call.self, builtInName()));
    const Value items = call.cx.getMember(call.self, customName());
    const Value copies = call.cx.getMember(menu, customName());
    const double count = call.cx.toNumber(call.cx.getMember(items, QStringLiteral("length")));
    for (size_t i = 0; i < MaxCopiedItems && double(i) < count; ++i) {
        const Value item = call.cx.getMember(items, QString::number(i));
        call.cx.callMethod(copies, QStringLiteral("push"), {call.cx.callMethod(item, QStringLiteral("copy"), {})});
    }
    return menu;
}

// hideBuiltInItems(): every built-in entry but Settings goes.
Value hideBuiltInItems(NativeCall &call)
{
    const Value builtIn = call.cx.getMember(call.self, builtInName());
    for (const char *item : BuiltInItems)
        call.cx.setMember(builtIn, QString::fromLatin1(item), false);
    return Undefined{};
}

} // namespace

const ClassDecl ContextMenuClass{
    "ContextMenu",
    construct,
    {ScriptMethod("copy", copy, MethodVersion), ScriptMethod("hideBuiltInItems", hideBuiltInItems, MethodVersion)},
    {},
    {},
};

} // namespace swf
