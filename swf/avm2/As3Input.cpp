// The pointer and the keyboard as an ActionScript 3 movie hears them.
#include "swf/avm2/As3Movie.h"

#include "swf/MoviePlayer.h"
#include "swf/avm2/Runtime.h"
#include "swf/avm2/builtins/DisplayList.h"
#include "swf/avm2/builtins/DisplayObjectNative.h"
#include "swf/avm2/builtins/EventObject.h"
#include "swf/script/ClipProperties.h"

namespace swf::avm2 {

namespace {

constexpr double Twips = 20;
constexpr int MaxHitNesting = 64;
// MouseEvent's and KeyboardEvent's fields, in their constructors' order.
enum MouseField { LocalX, LocalY, RelatedObject, CtrlKey, AltKey, ShiftKey, ButtonDown };
enum KeyField { CharCode, KeyCode };

// Whether the object's own content (not its children's) covers the point, in its space.
bool contentHits(const DisplayObject &node, const QPointF &local)
{
    if (node.drawing && !node.drawing->isEmpty() && node.drawing->outline().contains(local))
        return true;
    return node.character && ClipBounds(node).contains(local);
}

// The deepest visible object under the point, topmost first.
DisplayObject *hitNode(DisplayObject &node, const QPointF &stage, const QTransform &toStage, int nesting)
{
    if (!node.visible || nesting > MaxHitNesting)
        return nullptr;
    std::vector<DisplayObject *> children = ChildNodes(node);
    for (DisplayObject *child : ChildNodes(node, true))
        children.push_back(child);
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (DisplayObject *hit = hitNode(**it, stage, (*it)->matrix * toStage, nesting + 1))
            return hit;
    bool invertible = false;
    const QPointF local = toStage.inverted(&invertible).map(stage);
    return invertible && contentHits(node, local) ? &node : nullptr;
}

} // namespace

DisplayObjectNative *As3Movie::objectAt(const QPointF &point)
{
    DisplayObject *hit = hitNode(m_player.root(), point, QTransform(), 0);
    Class *interactive = m_rt->builtin("flash.display::InteractiveObject");
    // Shapes and other plain objects pass the pointer to their container;
    // a container that keeps its children from the pointer takes it itself.
    DisplayObjectNative *target = nullptr;
    for (DisplayObject *n = hit; n; n = n->parent) {
        DisplayObjectNative *object = ScriptObjectOf(*m_rt, *n);
        if (!object)
            continue;
        if (target && !object->mouseChildren)
            target = nullptr;
        if (!target && object->mouseEnabled && object->objectClass()->isSubclassOf(interactive))
            target = object;
    }
    return target ? target : stage();
}

void As3Movie::dispatchMouse(DisplayObjectNative &target, const char *type, const QPointF &point)
{
    m_rt->runEntry([&] {
        EventObject *event = NewEvent(*m_rt, "flash.events::MouseEvent", QString::fromLatin1(type), true);
        bool invertible = false;
        const DisplayObject *node = target.peek();
        const QPointF local = node ? StageTransformOf(*node).inverted(&invertible).map(point) : point;
        event->fields[LocalX] = Value::number(local.x() / Twips);
        event->fields[LocalY] = Value::number(local.y() / Twips);
        event->fields[ButtonDown] = Value(m_buttonDown);
        DispatchEvent(*m_rt, target, event);
    });
    m_player.markChanged();
}

QPointF As3Movie::pointerIn(const DisplayObject &node) const
{
    bool invertible = false;
    const QPointF local = StageTransformOf(node).inverted(&invertible).map(m_player.pointer());
    return invertible ? local / Twips : QPointF();
}

void As3Movie::startDrag(DisplayObjectNative &object, bool lockCenter)
{
    m_dragged = &object;
    const DisplayObject &node = object.node();
    const QTransform parentToStage = node.parent ? StageTransformOf(*node.parent) : QTransform();
    bool invertible = false;
    const QPointF pointer = parentToStage.inverted(&invertible).map(m_player.pointer());
    m_dragOffset = lockCenter || !invertible ? QPointF() : QPointF(node.matrix.dx(), node.matrix.dy()) - pointer;
}

void As3Movie::stopDrag() { m_dragged = nullptr; }

void As3Movie::followPointer()
{
    DisplayObject *node = m_dragged ? m_dragged->peek() : nullptr;
    if (!node)
        return;
    const QTransform parentToStage = node->parent ? StageTransformOf(*node->parent) : QTransform();
    bool invertible = false;
    const QPointF at = parentToStage.inverted(&invertible).map(m_player.pointer()) + m_dragOffset;
    if (!invertible)
        return;
    const QTransform &m = node->matrix;
    node->matrix = QTransform(m.m11(), m.m12(), m.m21(), m.m22(), at.x(), at.y());
    m_player.markChanged();
}

void As3Movie::pointerMoved(const QPointF &point)
{
    followPointer();
    if (DisplayObjectNative *target = objectAt(point))
        dispatchMouse(*target, "mouseMove", point);
}

void As3Movie::pointerPressed(const QPointF &point)
{
    m_buttonDown = true;
    m_pressed = objectAt(point);
    if (m_pressed)
        dispatchMouse(*m_pressed, "mouseDown", point);
}

void As3Movie::pointerReleased(const QPointF &point)
{
    m_buttonDown = false;
    DisplayObjectNative *target = objectAt(point);
    if (!target)
        return;
    dispatchMouse(*target, "mouseUp", point);
    if (std::exchange(m_pressed, nullptr) == target)
        dispatchMouse(*target, "click", point);
}

void As3Movie::keyChanged(bool down, int code, int ascii)
{
    DisplayObjectNative *target = stage();
    m_rt->runEntry([&] {
        EventObject *event =
            NewEvent(*m_rt, "flash.events::KeyboardEvent", QString::fromLatin1(down ? "keyDown" : "keyUp"), true);
        event->fields[CharCode] = Value::fromUint(uint32_t(std::max(ascii, 0)));
        event->fields[KeyCode] = Value::fromUint(uint32_t(std::max(code, 0)));
        DispatchEvent(*m_rt, *target, event);
    });
    m_player.markChanged();
}

} // namespace swf::avm2
