#pragma once

#include <vector>

namespace swf {
struct DisplayObject;
}

namespace swf::avm2 {

class DisplayObjectNative;
class Runtime;

// The display list as DisplayObjectContainer works on it: children by
// index, which are the engine's children in depth order (those waiting to
// unload left out). Adding keeps the depths the timeline gave, moving later
// children up only as far as a new one needs.
// The stage's own children sit in the engine's root above every depth the
// timeline and the root's scripts use, so that they are drawn over it.
constexpr int StageDepths = 1 << 30;
// The children in one layer of an engine object: its own, or (in the
// root) the stage's.
std::vector<swf::DisplayObject *> ChildNodes(swf::DisplayObject &parent, bool stageLayer = false);
// A container's children as scripts count them: the stage's start with the root.
std::vector<swf::DisplayObject *> ContainerChildren(Runtime &rt, DisplayObjectNative &container);
// Puts child into parent at index (0..count): taken from where it was, then
// told it was added (and to the stage, with what it holds, when on it).
void InsertChild(Runtime &rt, DisplayObjectNative &parent, DisplayObjectNative &child, int index);
// Takes child out of its parent after telling it, and what it holds, so.
void RemoveChild(Runtime &rt, DisplayObjectNative &child);
// Moves a child to another index of its parent (as ContainerChildren counts), untold.
void MoveChild(Runtime &rt, DisplayObjectNative &child, int index);
void SwapChildren(swf::DisplayObject &a, swf::DisplayObject &b);
bool IsAncestorOf(const swf::DisplayObject &ancestor, const swf::DisplayObject &node);
// Sends an event of type to the object and everything under it, parents first.
void BroadcastToTree(Runtime &rt, DisplayObjectNative &object, const char *type);

} // namespace swf::avm2
