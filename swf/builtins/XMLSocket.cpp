// XMLSocket: a socket to an XML server, which this player never opens.
#include "BuiltinClass.h"
#include "Builtins.h"
#include "XMLNode.h"

#include "swf/MoviePlayer.h"
#include "swf/script/ScriptEngine.h"

namespace swf {

namespace {

Value construct(NativeCall &call)
{
    return call.construct && call.object() ? call.self : Value(Undefined{});
}

// No connection is ever made: the attempt is refused at once, and no
// onConnect follows.
Value connect(NativeCall &) { return false; }

// Nothing is connected, so nothing is sent and nothing closes.
Value send(NativeCall &) { return Undefined{}; }
Value close(NativeCall &) { return Undefined{}; }

// What arrives is handed to onXML as a parsed document.
Value onData(NativeCall &call)
{
    ScriptObject *document = NewXmlDocument(call, call.string(0));
    const ScriptObject *self = call.object();
    const Value *handler = self ? self->find(call.key(QStringLiteral("onXML"))) : nullptr;
    if (document && handler)
        call.cx.call(*handler, call.self, {document});
    return Undefined{};
}

// onData is made as a script's function is, with a prototype of its own.
void setup(ScriptEngine &engine, ScriptObject &constructor)
{
    const Value *found = constructor.own(engine.key(QStringLiteral("prototype")));
    ScriptObject *prototype = found ? objectOf(*found) : nullptr;
    ScriptObject *handler = NewScriptLikeFunction(engine, onData);
    if (!prototype || !handler)
        return;
    const QString onDataName = QStringLiteral("onData");
    prototype->set(engine.key(onDataName), onDataName, handler, BuiltinFlags);
}

} // namespace

const ClassDecl XMLSocketClass{
    "XMLSocket",
    construct,
    {{"connect", connect}, {"send", send}, {"close", close}},
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
