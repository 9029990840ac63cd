// flash.ui.Mouse: hiding and showing the pointer over the movie, as
// Mouse.hide and Mouse.show do for older movies, and the shape a movie
// asks for (Mouse.cursor), one of MouseCursor's names.
#include "swf/avm2/As3Movie.h"
#include "swf/avm2/builtins/MouseCursor.h"
#include "swf/avm2/builtins/NativeHelpers.h"
#include "swf/avm2/builtins/StaticState.h"

#include "swf/MoviePlayer.h"

namespace swf::avm2 {

namespace {

constexpr int AcceptedValuesError = 2008;
const QString StateNamespace = QStringLiteral("flash.ui.Mouse");
const QString CursorSlotName = QStringLiteral("cursor");

// Without a movie (a runtime used alone) there is no pointer to show.
void showPointer(Runtime &rt, bool shown)
{
    if (rt.movie)
        rt.movie->player().showPointer(shown);
}

Value hide(Runtime &rt, const Value &, Args)
{
    showPointer(rt, false);
    return Value();
}

Value show(Runtime &rt, const Value &, Args)
{
    showPointer(rt, true);
    return Value();
}

Value getCursor(Runtime &rt, const Value &self, Args) { return StaticSlot(rt, self, StateNamespace, CursorSlotName); }

Value setCursor(Runtime &rt, const Value &self, Args args)
{
    const QString name = args[0].isNullish() ? QString() : rt.toString(args[0]);
    if (!IsMouseCursor(name))
        rt.throwError(ErrorType::ArgumentError, AcceptedValuesError, QStringList{QStringLiteral("cursor")});
    StaticSlot(rt, self, StateNamespace, CursorSlotName) = Value(name);
    return Value();
}

void setup(Runtime &rt, Class *cls)
{
    AddStaticSlot(rt, cls, StateNamespace, CursorSlotName, Value(MouseCursors[0].value));
}

} // namespace

extern const NativeClass MouseClass = {
    "flash.ui",
    "Mouse",
    "Object",
    ClassFinal,
    nullptr,
    nullptr,
    nullptr,
    {
        {"hide", MemberKind::Method, hide, 0, MemberStatic},
        {"show", MemberKind::Method, show, 0, MemberStatic},
        {"cursor", MemberKind::Getter, getCursor, 0, MemberStatic},
        {"cursor", MemberKind::Setter, setCursor, 0, MemberStatic},
    },
    {},
    setup,
    {},
};

} // namespace swf::avm2
