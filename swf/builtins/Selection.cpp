// Selection: which clip has the keyboard focus, and the selection within
// the focused text field. Scripts move the focus with setFocus; a clip
// takes it only while its focusEnabled says so.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/MoviePlayer.h"
#include "swf/script/Conversions.h"
#include "swf/script/ScriptEngine.h"

namespace swf {

namespace {

// Where the engine keeps the focused clip, for as long as the movie runs.
const QString FocusKey = QStringLiteral("Selection.focus");
// What the indices answer while no text field has the focus.
constexpr double NoIndex = -1;

DisplayObject *focused(NativeCall &call)
{
    const Value focus = call.engine().kept(FocusKey);
    const auto *clip = std::get_if<ClipRef>(&focus);
    return clip ? clip->get() : nullptr;
}

// The focused clip's target path, or null.
Value getFocus(NativeCall &call)
{
    const DisplayObject *clip = focused(call);
    return clip ? Value(Conversions::clipText(*clip, call.engine().version())) : Value(Null{});
}

// Null or undefined take the focus away, which succeeds; no argument at
// all fails. A clip, or a
// target path to one, takes it when its focusEnabled is true (the root
// never does); the reference player answers false for clips either way.
Value setFocus(NativeCall &call)
{
    if (call.args.empty())
        return false;
    const Value &target = call.arg(0);
    if (isNullish(target)) {
        call.engine().keep(FocusKey, Undefined{});
        return true;
    }
    DisplayObject *clip = nullptr;
    if (const auto *ref = std::get_if<ClipRef>(&target))
        clip = ref->get();
    else if (!objectOf(target))
        clip = call.player().resolveTarget(call.player().root(), call.string(0));
    if (!clip || clip == &call.player().root())
        return false;
    const Value self = refTo(clip);
    if (call.cx.toBool(call.cx.getMember(self, QStringLiteral("focusEnabled"))))
        call.engine().keep(FocusKey, self);
    return false;
}

// No text field takes the focus here, so there is no caret or selection.
Value getBeginIndex(NativeCall &) { return NoIndex; }
Value getEndIndex(NativeCall &) { return NoIndex; }
Value getCaretIndex(NativeCall &) { return NoIndex; }
Value setSelection(NativeCall &) { return Undefined{}; }

void addListeners(ScriptEngine &engine, ScriptObject &selection)
{
    InitializeBroadcaster(engine, selection, ConstantFlags | HiddenBefore6);
}

} // namespace

const ClassDecl SelectionObject{
    "Selection",
    nullptr,
    {},
    {{"getBeginIndex", getBeginIndex},
     {"getEndIndex", getEndIndex},
     {"getCaretIndex", getCaretIndex},
     {"getFocus", getFocus},
     {"setFocus", setFocus},
     {"setSelection", setSelection}},
    {},
    5,
    ConstantFlags,
    BuiltinFlags,
    {},
    {},
    addListeners,
};

} // namespace swf
