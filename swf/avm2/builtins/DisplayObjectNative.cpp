#include "swf/avm2/builtins/DisplayObjectNative.h"

#include "swf/DisplayObject.h"
#include "swf/avm2/As3Movie.h"
#include "swf/avm2/builtins/DisplayList.h"
#include "swf/avm2/builtins/NativeHelpers.h"

namespace swf::avm2 {

namespace {

// How far up a parent chain is followed; deeper trees are refused when built.
constexpr int MaxAncestors = 1000;

const char *wrapperClassOf(const swf::DisplayObject &node)
{
    if (dynamic_cast<const EditTextDef *>(node.character))
        return "flash.text::TextField";
    if (dynamic_cast<const ShapeDef *>(node.character) || dynamic_cast<const MorphShapeDef *>(node.character))
        return "flash.display::Shape";
    if (node.isSprite())
        return "flash.display::MovieClip";
    return "flash.display::Sprite";
}

} // namespace

DisplayObjectNative::DisplayObjectNative(Class *cls, Runtime &rt) : EventDispatcherObject(cls), runtime(rt) {}

DisplayObjectNative::~DisplayObjectNative()
{
    swf::DisplayObject *n = peek();
    if (!n)
        return;
    if (n->as3Object == this)
        n->as3Object = nullptr;
    if (!m_owned)
        return;
    // Children whose script objects live on take their engine objects back.
    for (auto &[depth, child] : m_owned->children)
        if (child && child->as3Object)
            child->as3Object->adopt(std::move(child));
}

swf::DisplayObject &DisplayObjectNative::node()
{
    if (swf::DisplayObject *n = peek())
        return *n;
    m_owned = std::make_unique<swf::DisplayObject>();
    m_node = m_owned.get();
    m_alive = m_node->alive;
    m_node->as3Object = this;
    initNode(*m_node);
    return *m_node;
}

swf::DisplayObject *DisplayObjectNative::peek() const { return m_alive.expired() ? nullptr : m_node; }

void DisplayObjectNative::bind(swf::DisplayObject &existing)
{
    if (m_owned.get() != &existing)
        m_owned.reset();
    m_node = &existing;
    m_alive = existing.alive;
    existing.as3Object = this;
}

void DisplayObjectNative::adopt(std::unique_ptr<swf::DisplayObject> object)
{
    object->parent = nullptr;
    m_owned = std::move(object);
    bind(*m_owned);
}

std::unique_ptr<swf::DisplayObject> DisplayObjectNative::release() { return std::move(m_owned); }

bool DisplayObjectNative::ownsNode() const { return bool(m_owned); }

void DisplayObjectNative::initNode(swf::DisplayObject &) {}

EventDispatcherObject *DisplayObjectNative::eventParent() const
{
    return ParentOf(runtime, const_cast<DisplayObjectNative &>(*this));
}

void DisplayObjectNative::listenerAdded(Runtime &rt, const QString &type)
{
    // Every display object hears these, on the display list or not.
    static const QStringList Broadcast{QStringLiteral("enterFrame"), QStringLiteral("exitFrame"),
                                       QStringLiteral("frameConstructed"), QStringLiteral("render"),
                                       QStringLiteral("activate"), QStringLiteral("deactivate")};
    if (rt.movie && Broadcast.contains(type))
        rt.movie->addBroadcastTarget(*this);
}

void DisplayObjectNative::mark(const Marker &marker) const
{
    EventDispatcherObject::mark(marker);
    marker(graphics);
    if (stageAbove)
        marker(Value(static_cast<Object *>(stageAbove)));
    if (const swf::DisplayObject *n = peek())
        for (const auto &[depth, child] : n->children)
            if (child->as3Object)
                marker(Value(static_cast<Object *>(child->as3Object)));
}

QTransform StageTransformOf(const swf::DisplayObject &node)
{
    QTransform m;
    int steps = 0;
    for (const swf::DisplayObject *p = &node; p && p->parent && steps < MaxAncestors; p = p->parent, ++steps)
        m *= p->matrix;
    return m;
}

DisplayObjectNative *ScriptObjectOf(Runtime &rt, swf::DisplayObject &node)
{
    if (node.as3Object)
        return node.as3Object;
    Class *cls = rt.builtin(wrapperClassOf(node));
    if (!cls)
        cls = rt.builtin("flash.display::DisplayObject");
    auto *object = dynamic_cast<DisplayObjectNative *>(rt.allocate(cls));
    if (object)
        object->bind(node);
    return object;
}

DisplayObjectNative *DisplayThis(Runtime &rt, const Value &self)
{
    return ThisAs<DisplayObjectNative>(rt, self, "flash.display.DisplayObject");
}

DisplayObjectNative *ParentOf(Runtime &rt, DisplayObjectNative &object)
{
    swf::DisplayObject *n = object.peek();
    if (!n)
        return nullptr;
    if (!n->parent)
        return object.stageAbove;
    DisplayObjectNative *parent = ScriptObjectOf(rt, *n->parent);
    // The stage's children sit in the root's engine object.
    if (parent && parent->stageAbove && n->depth >= StageDepths)
        return parent->stageAbove;
    return parent;
}

DisplayObjectNative *StageOf(Runtime &rt, DisplayObjectNative &object)
{
    DisplayObjectNative *top = &object;
    for (int steps = 0; steps < MaxAncestors; ++steps) {
        if (top->isStage())
            return top;
        DisplayObjectNative *up = ParentOf(rt, *top);
        if (!up)
            return nullptr;
        top = up;
    }
    return nullptr;
}

} // namespace swf::avm2
