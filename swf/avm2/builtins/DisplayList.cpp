#include "swf/avm2/builtins/DisplayList.h"

#include "swf/DisplayObject.h"
#include "swf/avm2/As3Movie.h"
#include "swf/avm2/builtins/DisplayObjectNative.h"
#include "swf/avm2/builtins/EventObject.h"

namespace swf::avm2 {

namespace {

constexpr int ChildOfItselfError = 2024;
constexpr int ChildOfDescendantError = 2150;
// Deepest nesting scripts may build: the renderer walks it recursively.
constexpr int MaxNesting = 256;
constexpr int MaxAncestors = 1000;

int nestingOf(const swf::DisplayObject &node)
{
    int n = 0;
    for (const swf::DisplayObject *p = node.parent; p && n < MaxAncestors; p = p->parent)
        ++n;
    return n;
}

int treeHeight(const swf::DisplayObject &node, int limit)
{
    if (limit <= 0)
        return 0;
    int height = 0;
    for (const auto &[depth, child] : node.children)
        height = std::max(height, 1 + treeHeight(*child, limit - 1));
    return height;
}

std::unique_ptr<swf::DisplayObject> takeFromParent(swf::DisplayObject &node)
{
    swf::DisplayObject *parent = node.parent;
    const auto it = parent->children.find(node.depth);
    if (it == parent->children.end() || it->second.get() != &node)
        return nullptr;
    std::unique_ptr<swf::DisplayObject> taken = std::move(it->second);
    parent->children.erase(it);
    taken->parent = nullptr;
    return taken;
}

// Puts the engine object at index among the parent's children.
void place(swf::DisplayObject &parent, std::unique_ptr<swf::DisplayObject> node, int index, bool stageLayer)
{
    std::vector<swf::DisplayObject *> order = ChildNodes(parent, stageLayer);
    index = std::clamp(index, 0, int(order.size()));
    int depth = order.empty() ? (stageLayer ? StageDepths : 0) : order.back()->depth + 1;
    if (index < int(order.size())) {
        depth = order[size_t(index)]->depth;
        // Later children move up only while they collide.
        std::vector<std::unique_ptr<swf::DisplayObject>> moved;
        int next = depth + 1;
        for (size_t i = size_t(index); i < order.size() && order[i]->depth < next; ++i) {
            auto it = parent.children.find(order[i]->depth);
            moved.push_back(std::move(it->second));
            parent.children.erase(it);
            moved.back()->depth = next++;
        }
        for (auto &m : moved)
            parent.children[m->depth] = std::move(m);
    }
    node->depth = depth;
    node->parent = &parent;
    node->scripted = true;
    parent.children[depth] = std::move(node);
}

void dispatchNew(Runtime &rt, DisplayObjectNative &object, const char *type, bool bubbles)
{
    EventObject *event = NewEvent(rt, "flash.events::Event", QString::fromLatin1(type), bubbles);
    DispatchEvent(rt, object, event);
}

// Where the stage's children go: the root's engine object, once the document class has one.
swf::DisplayObject *stageHolder(Runtime &rt, DisplayObjectNative &container)
{
    DisplayObjectNative *root = container.isStage() && rt.movie ? rt.movie->rootObject() : nullptr;
    return root ? root->peek() : nullptr;
}

// Where a container keeps its children, in which layer, and how many of
// the indices scripts use come before them (the stage's root).
struct Holder {
    swf::DisplayObject *node;
    bool stageLayer;
    int firstIndex;
};

Holder holderOf(Runtime &rt, DisplayObjectNative &container)
{
    if (swf::DisplayObject *root = stageHolder(rt, container))
        return {root, true, 1};
    return {&container.node(), false, 0};
}

} // namespace

std::vector<swf::DisplayObject *> ChildNodes(swf::DisplayObject &parent, bool stageLayer)
{
    std::vector<swf::DisplayObject *> nodes;
    for (const auto &[depth, child] : parent.children)
        if (depth >= 0 && (depth >= StageDepths) == stageLayer && !child->removed)
            nodes.push_back(child.get());
    return nodes;
}

std::vector<swf::DisplayObject *> ContainerChildren(Runtime &rt, DisplayObjectNative &container)
{
    if (swf::DisplayObject *root = stageHolder(rt, container)) {
        std::vector<swf::DisplayObject *> nodes{root};
        for (swf::DisplayObject *child : ChildNodes(*root, true))
            nodes.push_back(child);
        return nodes;
    }
    return ChildNodes(container.node());
}

bool IsAncestorOf(const swf::DisplayObject &ancestor, const swf::DisplayObject &node)
{
    int steps = 0;
    for (const swf::DisplayObject *p = &node; p && steps < MaxAncestors; p = p->parent, ++steps)
        if (p == &ancestor)
            return true;
    return false;
}

void InsertChild(Runtime &rt, DisplayObjectNative &parent, DisplayObjectNative &child, int index)
{
    const Holder holder = holderOf(rt, parent);
    swf::DisplayObject &parentNode = *holder.node;
    swf::DisplayObject &childNode = child.node();
    if (&parent == &child)
        rt.throwError(ErrorType::ArgumentError, ChildOfItselfError);
    if (child.isStage() || (!holder.stageLayer && IsAncestorOf(childNode, parentNode)))
        rt.throwError(ErrorType::ArgumentError, ChildOfDescendantError);
    // The root is the stage's already, and stays at the bottom.
    if (holder.stageLayer && &childNode == &parentNode)
        return;
    if (nestingOf(parentNode) + 1 + treeHeight(childNode, MaxNesting) > MaxNesting)
        throw ScriptAbort{QStringLiteral("display list nested too deep")};
    if (childNode.parent == &parentNode && (childNode.depth >= StageDepths) == holder.stageLayer) {
        MoveChild(rt, child, index);
        return;
    }
    if (childNode.parent)
        RemoveChild(rt, child);
    std::unique_ptr<swf::DisplayObject> taken = child.ownsNode() ? child.release() : nullptr;
    if (!taken)
        return;
    place(parentNode, std::move(taken), index - holder.firstIndex, holder.stageLayer);
    dispatchNew(rt, child, "added", true);
    if (StageOf(rt, child))
        BroadcastToTree(rt, child, "addedToStage");
}

void RemoveChild(Runtime &rt, DisplayObjectNative &child)
{
    if (!child.peek() || !child.peek()->parent)
        return;
    dispatchNew(rt, child, "removed", true);
    if (StageOf(rt, child))
        BroadcastToTree(rt, child, "removedFromStage");
    // A listener may have moved it already.
    swf::DisplayObject *node = child.peek();
    if (!node || !node->parent)
        return;
    if (std::unique_ptr<swf::DisplayObject> taken = takeFromParent(*node))
        child.adopt(std::move(taken));
}

void MoveChild(Runtime &rt, DisplayObjectNative &child, int index)
{
    swf::DisplayObject *node = child.peek();
    if (!node || !node->parent)
        return;
    swf::DisplayObject &parent = *node->parent;
    const bool stageLayer = node->depth >= StageDepths;
    const int first = stageLayer && ParentOf(rt, child) && ParentOf(rt, child)->isStage() ? 1 : 0;
    if (std::unique_ptr<swf::DisplayObject> taken = takeFromParent(*node))
        place(parent, std::move(taken), index - first, stageLayer);
}

void SwapChildren(swf::DisplayObject &a, swf::DisplayObject &b)
{
    if (!a.parent || a.parent != b.parent || &a == &b)
        return;
    auto &children = a.parent->children;
    std::swap(children[a.depth], children[b.depth]);
    std::swap(a.depth, b.depth);
}

void BroadcastToTree(Runtime &rt, DisplayObjectNative &object, const char *type)
{
    dispatchNew(rt, object, type, false);
    swf::DisplayObject *node = object.peek();
    if (!node)
        return;
    // Listeners may take children away on the way.
    std::vector<std::pair<swf::DisplayObject *, std::weak_ptr<char>>> children;
    for (swf::DisplayObject *child : ChildNodes(*node))
        children.emplace_back(child, child->alive);
    for (const auto &[child, alive] : children)
        if (!alive.expired())
            if (DisplayObjectNative *script = ScriptObjectOf(rt, *child))
                BroadcastToTree(rt, *script, type);
}

} // namespace swf::avm2
