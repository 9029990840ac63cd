#pragma once

#include "swf/script/ScriptObject.h"

#include <vector>

namespace swf {

class ScriptContext;
class ScriptEngine;
struct NativeCall;

// The node types the XMLNode constructor makes.
constexpr int XmlElementNode = 1;
constexpr int XmlTextNode = 3;

// What an XMLNode object is: its type, its name or text, and its place in
// a tree. The tree is kept here; childNodes is an array made again from it
// after every change the methods make, so scripts writing into the array
// change nothing else.
struct XmlNodePayload : NativePayload {
    int type = XmlElementNode;
    Value name = Null{};  // an element's name
    Value value = Null{}; // a text node's text
    ScriptObject *parent = nullptr;
    std::vector<ScriptObject *> children;
    ScriptObject *attributes = nullptr; // a plain object, name to value
    ScriptObject *childNodes = nullptr; // an array

    void markReferences(const std::function<void(const Value &)> &mark) const override;
    // What the node's text starts with before its children (a document's
    // declarations).
    virtual QString prologue() const { return QString(); }
};

// The node an object is, or nullptr.
XmlNodePayload *XmlNodeOf(const ScriptObject *object);
inline XmlNodePayload *XmlNodeOf(const Value &v) { return XmlNodeOf(objectOf(v)); }

// Makes object a node: gives it the payload, an attributes object and a
// childNodes array. False when the heap is full.
bool InitXmlNode(ScriptEngine &engine, ScriptObject &object, std::unique_ptr<XmlNodePayload> node);
// A new node, as XML.createElement and the parser make them: it inherits
// XMLNode.prototype and names XMLNode as its constructor. nullptr when the
// heap is full.
ScriptObject *NewXmlNode(ScriptEngine &engine, int type, const QString &text);

// Takes child out of the tree it is in (its parent's children).
void DetachXmlNode(ScriptObject &child);
// Adds child as parent's last child, out of the tree it was in. With
// fresh, parent's childNodes is known to mirror its children and only grows
// (the parser's way, linear); otherwise the array is made again.
void AppendXmlNode(ScriptObject &parent, ScriptObject &child, bool fresh = false);
// Takes every child out of node.
void ClearXmlNode(ScriptObject &node);

// A value as a node's name or text: an object's toString must answer a
// string, or the object is taken as "[type Object]" (the reference player
// does not convert the answer further).
QString XmlText(ScriptContext &cx, const Value &value);

// The node as text: an element with its attributes and descendants, a text
// node escaped; one without a name (a document) as its children alone.
QString XmlNodeText(NativeCall &call, ScriptObject &node);

// A built-in function made as a script's function is, with a prototype
// naming it as its constructor (XML.prototype.onLoad); nullptr when the
// heap is full.
ScriptObject *NewScriptLikeFunction(ScriptEngine &engine, NativeFunction function);

// A new XML document holding what source parses to, as `new XML(source)`
// makes it (XMLSocket's onData); nullptr when the heap is full.
ScriptObject *NewXmlDocument(NativeCall &call, const QString &source);

} // namespace swf
