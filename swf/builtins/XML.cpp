// XML: a document node, parsed from text or loaded from a file beside the
// movie (load, sendAndLoad, onData, onLoad), with its declarations, its
// parse status and the nodes it names by id.
#include "BuiltinClass.h"
#include "Builtins.h"
#include "TextLoad.h"
#include "XMLNode.h"
#include "XmlParser.h"

#include "swf/MoviePlayer.h"
#include "swf/script/Conversions.h"
#include "swf/script/ScriptEngine.h"

namespace swf {

namespace {

// Movies from this version find the nodes named by id in idMap; older
// ones as members of the document itself.
constexpr int FirstVersionWithIdMap = 8;
// A text costs a unit of script work per this many characters.
constexpr qsizetype CharactersPerUnit = 256;

// The document's own fields, read and written as members no listing shows.
enum Field { ContentType, DocTypeDecl, IgnoreWhite, Loaded, Status, XmlDecl, FieldCount };
const char *const FieldNames[FieldCount] = {"contentType", "docTypeDecl", "ignoreWhite", "loaded", "status", "xmlDecl"};

struct XmlDocumentPayload : XmlNodePayload {
    Value fields[FieldCount] = {QStringLiteral("application/x-www-form-urlencoded"),
                                Undefined{},
                                false,
                                Undefined{},
                                0.0,
                                Undefined{}};

    // The XML declaration, then the document type declaration.
    QString prologue() const override
    {
        QString text;
        for (const Field field : {XmlDecl, DocTypeDecl})
            if (const auto *declaration = std::get_if<QString>(&fields[field]))
                text += *declaration;
        return text;
    }

    static int fieldOf(ScriptContext &cx, const QString &key)
    {
        for (int i = 0; i < FieldCount; ++i)
            if (key == cx.engine().key(QLatin1String(FieldNames[i])))
                return i;
        return -1;
    }

    bool readMember(ScriptContext &cx, const QString &key, Value &value) override
    {
        const int field = fieldOf(cx, key);
        if (field < 0)
            return false;
        value = fields[field];
        return true;
    }

    // Undefined changes nothing; anything else is taken as text first (as
    // the reference player does, calling toString), then as the field's kind.
    bool writeMember(ScriptContext &cx, const QString &key, const Value &value) override
    {
        const int field = fieldOf(cx, key);
        if (field < 0)
            return false;
        if (std::holds_alternative<Undefined>(value))
            return true;
        const QString text = XmlText(cx, value);
        switch (field) {
        case IgnoreWhite:
        case Loaded: fields[field] = cx.toBool(value); break;
        case Status: fields[field] = double(ToInt32(cx.toNumber(value))); break;
        default: fields[field] = text;
        }
        return true;
    }
};

XmlDocumentPayload *documentOf(const ScriptObject *object)
{
    return object ? object->payloadAs<XmlDocumentPayload>() : nullptr;
}

// Builds the tree under a document as the parser reads it: each node goes
// into place as soon as it is read, so a script run on the way (a setter
// of idMap) sees the document so far.
class TreeBuilder : public XmlSink {
public:
    TreeBuilder(NativeCall &call, ScriptObject &document) : m_call(call), m_document(document), m_open{&document} {}

    bool declaration(const QString &text) override { return setField(XmlDecl, text); }
    bool docType(const QString &text) override { return setField(DocTypeDecl, text); }

    bool text(const QString &text) override
    {
        if (!m_call.player().spend(1 + int(text.size() / CharactersPerUnit)))
            return false;
        ScriptObject *node = NewXmlNode(m_call.engine(), XmlTextNode, text);
        if (!node)
            return false;
        AppendXmlNode(*m_open.back(), *node, true);
        return true;
    }

    bool startElement(const QString &name, const XmlAttributes &attributes, bool empty) override
    {
        if (!m_call.player().spend(1 + int(attributes.size())))
            return false;
        ScriptObject *node = NewXmlNode(m_call.engine(), XmlElementNode, name);
        XmlNodePayload *payload = XmlNodeOf(node);
        if (!payload)
            return false;
        const QString idKey = m_call.key(QStringLiteral("id"));
        const QString *id = nullptr;
        for (const auto &[attribute, value] : attributes) {
            const QString key = m_call.key(attribute);
            payload->attributes->set(key, attribute, value);
            if (key == idKey)
                id = &value;
        }
        AppendXmlNode(*m_open.back(), *node, true);
        if (!empty)
            m_open.push_back(node);
        if (id)
            registerId(*id, node);
        return true;
    }

    bool endElement() override
    {
        if (m_open.size() > 1)
            m_open.pop_back();
        return true;
    }

private:
    bool setField(Field field, const QString &text)
    {
        if (XmlDocumentPayload *document = documentOf(&m_document))
            document->fields[field] = text;
        return true;
    }

    // Names the node by its id, as an assignment would (through a setter
    // a script gave the name): in idMap from version 8, on the document
    // itself before.
    void registerId(const QString &id, ScriptObject *node)
    {
        const QString key = m_call.key(id);
        const Value *idMap = m_document.find(m_call.key(QStringLiteral("idMap")));
        ScriptObject *map = m_call.engine().version() < FirstVersionWithIdMap ? &m_document
                            : idMap                                            ? objectOf(*idMap)
                                                                               : nullptr;
        if (!map)
            return;
        const ScriptObject::Member *member = map->ownMember(key);
        if (!member)
            member = map->inheritedProperty(key);
        if (member && member->isProperty()) {
            if (ScriptObject *setter = member->setter; setter && !(member->flags & ReadOnly))
                m_call.cx.call(setter, map, {node});
            return;
        }
        map->set(key, id, node);
    }

    NativeCall &m_call;
    ScriptObject &m_document;
    std::vector<ScriptObject *> m_open; // the document and the elements not yet ended
};

// Replaces what the document holds with what source parses to.
void parse(NativeCall &call, ScriptObject &document, const QString &source)
{
    XmlDocumentPayload *payload = documentOf(&document);
    if (!payload)
        return;
    ClearXmlNode(document);
    payload->fields[XmlDecl] = payload->fields[DocTypeDecl] = Undefined{};
    const bool ignoreWhite = call.cx.toBool(payload->fields[IgnoreWhite]);
    TreeBuilder builder(call, document);
    const XmlStatus status = ParseXml(source, ignoreWhite, builder);
    if ((payload = documentOf(&document)))
        payload->fields[Status] = double(status);
}

// Makes object a document, empty or parsed from the first argument.
bool initDocument(NativeCall &call, ScriptObject &object, const std::vector<Value> &args)
{
    if (!InitXmlNode(call.engine(), object, std::make_unique<XmlDocumentPayload>()))
        return false;
    if (call.engine().version() >= FirstVersionWithIdMap) {
        const QString idMap = QStringLiteral("idMap");
        // An object that inherits nothing, not even Object.prototype.
        object.set(call.key(idMap), idMap, ObjectValue(call.engine().heap().make(ScriptObject::Kind::Object, nullptr)));
    }
    if (!args.empty() && !std::holds_alternative<Undefined>(args[0]))
        parse(call, object, XmlText(call.cx, args[0]));
    return true;
}

Value construct(NativeCall &call)
{
    ScriptObject *object = call.construct ? call.object() : nullptr;
    if (!object)
        return Undefined{};
    initDocument(call, *object, call.args);
    return object;
}

Value createNode(NativeCall &call, int type)
{
    if (call.args.empty() || std::holds_alternative<Undefined>(call.args[0]))
        return Undefined{};
    return ObjectValue(NewXmlNode(call.engine(), type, XmlText(call.cx, call.args[0])));
}
Value createElement(NativeCall &call) { return createNode(call, XmlElementNode); }
Value createTextNode(NativeCall &call) { return createNode(call, XmlTextNode); }

Value parseXML(NativeCall &call)
{
    ScriptObject *self = call.object();
    if (documentOf(self) && !call.args.empty() && !std::holds_alternative<Undefined>(call.args[0]))
        parse(call, *self, XmlText(call.cx, call.args[0]));
    return Undefined{};
}

// onLoad does nothing until a script gives a document its own.
Value onLoad(NativeCall &) { return Undefined{}; }

void setLoaded(ScriptObject &document, bool loaded)
{
    if (XmlDocumentPayload *payload = documentOf(&document))
        payload->fields[Loaded] = loaded;
}

// Only a document loads; until the load completes it is not loaded.
bool readyForLoad(NativeCall &, ScriptObject &target)
{
    if (!documentOf(&target))
        return false;
    setLoaded(target, false);
    return true;
}

// The text a load read: parsed into the document, which is then loaded;
// onLoad hears whether anything came.
Value onData(NativeCall &call)
{
    ScriptObject *self = call.object();
    if (!documentOf(self))
        return Undefined{};
    const bool came = !call.args.empty() && !std::holds_alternative<Undefined>(call.args[0]);
    if (came) {
        call.cx.callMethod(self, QStringLiteral("parseXML"), {call.args[0]});
        setLoaded(*self, true);
    }
    call.cx.callMethod(self, QStringLiteral("onLoad"), {came});
    return Undefined{};
}



// XML.prototype is made as a node is: it inherits XMLNode.prototype and
// names XMLNode as what made it, and has no constructor of its own. Its
// onLoad is made as a script's function is, with a prototype.
void setup(ScriptEngine &engine, ScriptObject &constructor)
{
    const Value *found = constructor.own(engine.key(QStringLiteral("prototype")));
    ScriptObject *prototype = found ? objectOf(*found) : nullptr;
    const Value *nodeClass = engine.global()->find(engine.key(QStringLiteral("XMLNode")));
    const Value *nodePrototype =
        nodeClass && objectOf(*nodeClass) ? objectOf(*nodeClass)->find(engine.key(QStringLiteral("prototype"))) : nullptr;
    if (!prototype || !nodePrototype)
        return;
    prototype->remove(engine.key(QStringLiteral("constructor")));
    prototype->setPrototype(objectOf(*nodePrototype));
    prototype->setFlags(engine.key(QStringLiteral("__proto__")), BuiltinFlags, 0);
    const QString madeBy = QStringLiteral("__constructor__");
    prototype->set(engine.key(madeBy), madeBy, *nodeClass, DontEnum | HiddenBefore6);
    ScriptObject *handler = NewScriptLikeFunction(engine, onLoad);
    if (!handler)
        return;
    const QString onLoadName = QStringLiteral("onLoad");
    prototype->set(engine.key(onLoadName), onLoadName, handler);
}

} // namespace

ScriptObject *NewXmlDocument(NativeCall &call, const QString &source)
{
    const Value *xmlClass = call.engine().global()->find(call.key(QStringLiteral("XML")));
    const Value *prototype =
        xmlClass && objectOf(*xmlClass) ? objectOf(*xmlClass)->find(call.key(QStringLiteral("prototype"))) : nullptr;
    ScriptObject *document = call.engine().newObject(prototype ? objectOf(*prototype) : nullptr);
    return document && initDocument(call, *document, {source}) ? document : nullptr;
}

const ClassDecl XMLClass{
    "XML",
    construct,
    {
        ScriptMethod("addRequestHeader", AddRequestHeader),
        {"createElement", createElement},
        {"createTextNode", createTextNode},
        ScriptMethod("getBytesLoaded", LoadedBytes),
        ScriptMethod("getBytesTotal", TotalBytes),
        {"load", LoadMethod<readyForLoad>},
        ScriptMethod("onData", onData),
        {"parseXML", parseXML},
        {"send", SendNothing},
        {"sendAndLoad", SendAndLoadMethod<readyForLoad>},
    },
    {},
    {},
    5,
    BuiltinFlags,
    0,
    {},
    {},
    setup,
};

} // namespace swf
