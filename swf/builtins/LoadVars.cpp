// LoadVars: variables read from a file (load, sendAndLoad) or from text
// (decode) onto the object, and written back as text (toString). Nothing
// is sent anywhere: send opens nothing.
#include "BuiltinClass.h"
#include "Builtins.h"
#include "TextLoad.h"

#include "swf/MoviePlayer.h"
#include "swf/script/ScriptEngine.h"
#include "swf/script/UrlVariables.h"

namespace swf {

namespace {

const QString ContentType = QStringLiteral("application/x-www-form-urlencoded");

void setHidden(NativeCall &call, ScriptObject &object, const QString &name, const Value &value)
{
    object.set(call.key(name), name, value, BuiltinFlags);
}

Value decode(NativeCall &call)
{
    const Value self = call.self;
    if (!call.object() || call.args.empty())
        return Undefined{};
    for (const auto &[name, value] : DecodeUrlVariables(call.string(0)))
        call.cx.setMember(self, name, value);
    return Undefined{};
}

// The enumerable members, newest first as for..in lists them, as name=value pairs.
Value toString(NativeCall &call)
{
    const ScriptObject *self = call.object();
    if (!self)
        return Undefined{};
    UrlVariables variables;
    const std::vector<ScriptObject::Member> &members = self->members();
    for (auto it = members.rbegin(); it != members.rend(); ++it)
        if (!(it->flags & DontEnum))
            variables.emplace_back(it->name, call.cx.toString(call.cx.getMember(call.self, it->name)));
    return EncodeUrlVariables(variables);
}

// A load under way leaves the object not loaded until it completes.
bool readyForLoad(NativeCall &call, ScriptObject &target)
{
    setHidden(call, target, QStringLiteral("loaded"), false);
    return true;
}

// The text a load read: decoded onto the object, which is then loaded;
// onLoad hears whether anything came.
Value onData(NativeCall &call)
{
    ScriptObject *self = call.object();
    if (!self)
        return Undefined{};
    const bool came = !call.args.empty() && !std::holds_alternative<Undefined>(call.args[0]);
    if (came) {
        call.cx.callMethod(self, QStringLiteral("decode"), {call.args[0]});
        setHidden(call, *self, QStringLiteral("loaded"), true);
    }
    call.cx.callMethod(self, QStringLiteral("onLoad"), {came});
    return Undefined{};
}

// Does nothing until a script gives the object its own.
Value onLoad(NativeCall &) { return Undefined{}; }

} // namespace

Value AddRequestHeader(NativeCall &call)
{
    ScriptObject *self = call.object();
    if (!self)
        return Undefined{};
    const QString name = QStringLiteral("_customHeaders");
    const Value *held = self->own(call.key(name));
    ScriptObject *headers = held ? objectOf(*held) : nullptr;
    if (!headers) {
        headers = call.engine().newArray();
        if (!headers)
            return Undefined{};
        setHidden(call, *self, name, headers);
    }
    if (call.args.size() == 1 && objectOf(call.args[0]))
        call.cx.callMethod(headers, QStringLiteral("push"), {call.args[0]});
    else
        call.cx.callMethod(headers, QStringLiteral("push"), {call.arg(0), call.arg(1)});
    return Undefined{};
}

namespace {

Value construct(NativeCall &call) { return call.construct ? call.self : Value(Undefined{}); }

void setup(ScriptEngine &engine, ScriptObject &constructor)
{
    if (ScriptObject *prototype = PrototypeOf(engine, constructor))
        AddBuiltinMember(engine, *prototype, "contentType", ContentType, BuiltinFlags);
}

} // namespace

const ClassDecl LoadVarsClass{
    "LoadVars",
    construct,
    {
        ScriptMethod("addRequestHeader", AddRequestHeader),
        {"decode", decode},
        ScriptMethod("getBytesLoaded", LoadedBytes),
        ScriptMethod("getBytesTotal", TotalBytes),
        {"load", LoadMethod<readyForLoad>},
        ScriptMethod("onData", onData),
        ScriptMethod("onLoad", onLoad),
        {"send", SendNothing},
        {"sendAndLoad", SendAndLoadMethod<readyForLoad>},
        ScriptMethod("toString", toString),
    },
    {},
    {},
    5,
    BuiltinFlags,
    BuiltinFlags,
    {},
    {},
    setup,
};

} // namespace swf
