// Selection: which clip has the keyboard focus, and the selection within
// the focused text field. Scripts move the focus with setFocus; a clip
// takes it only while its focusEnabled says so.
#include "BuiltinClass.h"
#include "Builtins.h"

#include "swf/MoviePlayer.h"
#include "swf/TextFieldState.h"
#include "swf/script/Conversions.h"
#include "swf/script/ScriptEngine.h"

namespace swf {

namespace {

// What the indices answer while no text field has the focus.
constexpr double NoIndex = -1;

DisplayObject *focused(NativeCall &call) { return call.player().focus(); }

TextFieldState *focusedField(NativeCall &call)
{
    DisplayObject *clip = focused(call);
    return clip ? clip->textField.get() : nullptr;
}

// The focused clip's target path, or null.
Value getFocus(NativeCall &call)
{
    const DisplayObject *clip = focused(call);
    return clip ? Value(Conversions::clipText(*clip, call.engine().version())) : Value(Null{});
}

// Null or undefined take the focus away, which succeeds; no argument at
// all fails. A text field, or a target path to one, takes it and succeeds;
// a clip takes it when its focusEnabled is true (the root never does), and
// the reference player answers false for clips either way.
Value setFocus(NativeCall &call)
{
    if (call.args.empty())
        return false;
    const Value &target = call.arg(0);
    if (isNullish(target)) {
        call.player().setFocus(nullptr);
        return true;
    }
    DisplayObject *clip = nullptr;
    if (const auto *ref = std::get_if<ClipRef>(&target))
        clip = ref->get();
    else if (!objectOf(target))
        clip = call.player().resolveTarget(call.player().root(), call.string(0));
    if (!clip || clip == &call.player().root())
        return false;
    if (clip->textField) {
        call.player().setFocus(clip);
        return true;
    }
    if (call.cx.toBool(call.cx.getMember(refTo(clip), QStringLiteral("focusEnabled"))))
        call.player().setFocus(clip);
    return false;
}

// The selection and caret of the focused text field.
Value getBeginIndex(NativeCall &call)
{
    const TextFieldState *field = focusedField(call);
    return field ? double(field->selectionBegin()) : NoIndex;
}

Value getEndIndex(NativeCall &call)
{
    const TextFieldState *field = focusedField(call);
    return field ? double(field->selectionEnd()) : NoIndex;
}

Value getCaretIndex(NativeCall &call)
{
    const TextFieldState *field = focusedField(call);
    return field ? double(field->caret()) : NoIndex;
}

// setSelection(begin, end): within the text; the caret goes to end.
Value setSelection(NativeCall &call)
{
    TextFieldState *field = focusedField(call);
    if (!field || call.args.size() < 2)
        return Undefined{};
    const int length = int(field->text().size());
    field->setSelection(ClampedInt(call.number(0), 0, length), ClampedInt(call.number(1), 0, length));
    call.player().markChanged();
    return Undefined{};
}

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
