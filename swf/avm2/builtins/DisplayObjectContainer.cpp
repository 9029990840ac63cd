// flash.display.DisplayObjectContainer: children by index.
#include "swf/avm2/builtins/DisplayList.h"
#include "swf/avm2/builtins/DisplayObjectNative.h"

#include "swf/DisplayObject.h"

namespace swf::avm2 {

namespace {

constexpr int RangeErrorId = 2006;
constexpr int NotAChildError = 2025;
constexpr int NullParameterError = 2007;

DisplayObjectNative *childArgument(Runtime &rt, const Value &v)
{
    if (v.isNullish())
        rt.throwError(ErrorType::TypeError, NullParameterError, QStringList{QStringLiteral("child")});
    return DisplayThis(rt, v);
}

std::vector<swf::DisplayObject *> childrenOf(Runtime &rt, const Value &self)
{
    return ContainerChildren(rt, *DisplayThis(rt, self));
}

// The index of a child of self, or Error #2025.
int indexOf(Runtime &rt, const Value &self, DisplayObjectNative &child)
{
    const std::vector<swf::DisplayObject *> children = childrenOf(rt, self);
    for (size_t i = 0; i < children.size(); ++i)
        if (children[i] == child.peek())
            return int(i);
    rt.throwError(ErrorType::ArgumentError, NotAChildError);
}

int indexArgument(Runtime &rt, const Value &v, int count)
{
    const double index = rt.toNumber(v);
    if (!(index >= 0 && index <= count))
        rt.throwError(ErrorType::RangeError, RangeErrorId);
    return int(index);
}

Value numChildren(Runtime &rt, const Value &self, Args) { return Value(int32_t(childrenOf(rt, self).size())); }

Value addChild(Runtime &rt, const Value &self, Args args)
{
    DisplayObjectNative *child = childArgument(rt, args[0]);
    InsertChild(rt, *DisplayThis(rt, self), *child, int(childrenOf(rt, self).size()));
    return args[0];
}

Value addChildAt(Runtime &rt, const Value &self, Args args)
{
    DisplayObjectNative *child = childArgument(rt, args[0]);
    InsertChild(rt, *DisplayThis(rt, self), *child, indexArgument(rt, args[1], int(childrenOf(rt, self).size())));
    return args[0];
}

Value removeChild(Runtime &rt, const Value &self, Args args)
{
    DisplayObjectNative *child = childArgument(rt, args[0]);
    indexOf(rt, self, *child);
    RemoveChild(rt, *child);
    return args[0];
}

Value childAt(Runtime &rt, const Value &self, const Value &index)
{
    const std::vector<swf::DisplayObject *> children = childrenOf(rt, self);
    const int at = indexArgument(rt, index, int(children.size()) - 1);
    return Value(static_cast<Object *>(ScriptObjectOf(rt, *children[size_t(at)])));
}

Value getChildAt(Runtime &rt, const Value &self, Args args) { return childAt(rt, self, args[0]); }

Value removeChildAt(Runtime &rt, const Value &self, Args args)
{
    const Value child = childAt(rt, self, args[0]);
    RemoveChild(rt, *DisplayThis(rt, child));
    return child;
}

Value getChildByName(Runtime &rt, const Value &self, Args args)
{
    const QString name = rt.toString(args[0]);
    for (swf::DisplayObject *child : childrenOf(rt, self))
        if (child->name == name)
            return Value(static_cast<Object *>(ScriptObjectOf(rt, *child)));
    return Value::null();
}

Value getChildIndex(Runtime &rt, const Value &self, Args args)
{
    return Value(indexOf(rt, self, *childArgument(rt, args[0])));
}

Value setChildIndex(Runtime &rt, const Value &self, Args args)
{
    DisplayObjectNative *child = childArgument(rt, args[0]);
    const int count = int(childrenOf(rt, self).size());
    indexOf(rt, self, *child);
    MoveChild(rt, *child, indexArgument(rt, args[1], count - 1));
    return Value();
}

Value contains(Runtime &rt, const Value &self, Args args)
{
    if (args[0].isNullish())
        return Value(false);
    DisplayObjectNative *container = DisplayThis(rt, self);
    DisplayObjectNative *object = DisplayThis(rt, args[0]);
    if (container->isStage())
        return Value(StageOf(rt, *object) == container);
    swf::DisplayObject *child = object->peek();
    return Value(child && IsAncestorOf(container->node(), *child));
}

Value swapChildren(Runtime &rt, const Value &self, Args args)
{
    DisplayObjectNative *a = childArgument(rt, args[0]);
    DisplayObjectNative *b = childArgument(rt, args[1]);
    indexOf(rt, self, *a);
    indexOf(rt, self, *b);
    SwapChildren(*a->peek(), *b->peek());
    return Value();
}

Value swapChildrenAt(Runtime &rt, const Value &self, Args args)
{
    const Value a = childAt(rt, self, args[0]);
    const Value b = childAt(rt, self, args[1]);
    SwapChildren(*DisplayThis(rt, a)->peek(), *DisplayThis(rt, b)->peek());
    return Value();
}

Value getMouseChildren(Runtime &rt, const Value &self, Args) { return Value(DisplayThis(rt, self)->mouseChildren); }
Value setMouseChildren(Runtime &rt, const Value &self, Args args)
{
    DisplayThis(rt, self)->mouseChildren = rt.toBoolean(args[0]);
    return Value();
}

} // namespace

extern const NativeClass DisplayObjectContainerClass = {
    "flash.display", "DisplayObjectContainer", "flash.display::InteractiveObject", 0, nullptr, nullptr, nullptr,
    {
        {"numChildren", MemberKind::Getter, numChildren},
        {"addChild", MemberKind::Method, addChild, 1},
        {"addChildAt", MemberKind::Method, addChildAt, 2},
        {"removeChild", MemberKind::Method, removeChild, 1},
        {"removeChildAt", MemberKind::Method, removeChildAt, 1},
        {"getChildAt", MemberKind::Method, getChildAt, 1},
        {"getChildByName", MemberKind::Method, getChildByName, 1},
        {"getChildIndex", MemberKind::Method, getChildIndex, 1},
        {"setChildIndex", MemberKind::Method, setChildIndex, 2},
        {"contains", MemberKind::Method, contains, 1},
        {"swapChildren", MemberKind::Method, swapChildren, 2},
        {"swapChildrenAt", MemberKind::Method, swapChildrenAt, 2},
        {"mouseChildren", MemberKind::Getter, getMouseChildren},
        {"mouseChildren", MemberKind::Setter, setMouseChildren},
    },
    {},
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
