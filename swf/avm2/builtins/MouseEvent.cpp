// flash.events.MouseEvent: a pointer's press, release, move or wheel over an
// object, with where it was in the object's space.
#include "swf/avm2/builtins/DisplayObjectNative.h"
#include "swf/avm2/builtins/EventObject.h"

#include "swf/DisplayObject.h"

#include <limits>

namespace swf::avm2 {

namespace {

const EventFields &fields()
{
    static const EventFields list = {
        {"localX", EventField::Kind::Number, std::numeric_limits<double>::quiet_NaN()},
        {"localY", EventField::Kind::Number, std::numeric_limits<double>::quiet_NaN()},
        {"relatedObject", EventField::Kind::Object, 0},
        {"ctrlKey", EventField::Kind::Boolean, 0},
        {"altKey", EventField::Kind::Boolean, 0},
        {"shiftKey", EventField::Kind::Boolean, 0},
        {"buttonDown", EventField::Kind::Boolean, 0},
        {"delta", EventField::Kind::Int, 0},
    };
    return list;
}

Value construct(Runtime &rt, const Value &self, Args args)
{
    ConstructEvent(rt, self, args, true, fields());
    return Value();
}

Value toStringMethod(Runtime &rt, const Value &self, Args)
{
    return Value(EventText(rt, self, QStringLiteral("MouseEvent"),
                           EventFieldNames({"localX", "localY", "stageX", "stageY", "relatedObject", "ctrlKey",
                                            "altKey", "shiftKey", "buttonDown", "delta"})));
}

constexpr double Twips = 20;

// Where the event happened on the stage: the local point through the
// target's transforms (none before it has a target).
QPointF stagePoint(Runtime &rt, const Value &self)
{
    const QPointF local(rt.toNumber(rt.get(self, QStringLiteral("localX"))),
                        rt.toNumber(rt.get(self, QStringLiteral("localY"))));
    const EventObject *event = ThisAs<EventObject>(rt, self, "flash.events.Event");
    const auto *target = dynamic_cast<DisplayObjectNative *>(event->target.asObject());
    const swf::DisplayObject *node = target ? target->peek() : nullptr;
    return node ? StageTransformOf(*node).map(local * Twips) / Twips : local;
}
Value stageX(Runtime &rt, const Value &self, Args) { return Value::number(stagePoint(rt, self).x()); }
Value stageY(Runtime &rt, const Value &self, Args) { return Value::number(stagePoint(rt, self).y()); }
// The stage is drawn again after every event the player sends anyway.
Value updateAfterEvent(Runtime &, const Value &, Args) { return Value(); }

} // namespace

extern const NativeClass MouseEventClass = {
    "flash.events", "MouseEvent", "flash.events::Event", 0, nullptr, construct, nullptr,
    EventMembers(fields(), {
        {"stageX", MemberKind::Getter, stageX},
        {"stageY", MemberKind::Getter, stageY},
        {"updateAfterEvent", MemberKind::Method, updateAfterEvent},
        {"toString", MemberKind::Method, toStringMethod},
    }),
    {
        {"CLICK", 0, "click"},
        {"DOUBLE_CLICK", 0, "doubleClick"},
        {"MOUSE_DOWN", 0, "mouseDown"},
        {"MOUSE_MOVE", 0, "mouseMove"},
        {"MOUSE_OUT", 0, "mouseOut"},
        {"MOUSE_OVER", 0, "mouseOver"},
        {"MOUSE_UP", 0, "mouseUp"},
        {"MOUSE_WHEEL", 0, "mouseWheel"},
        {"ROLL_OUT", 0, "rollOut"},
        {"ROLL_OVER", 0, "rollOver"},
        {"MIDDLE_CLICK", 0, "middleClick"},
        {"MIDDLE_MOUSE_DOWN", 0, "middleMouseDown"},
        {"MIDDLE_MOUSE_UP", 0, "middleMouseUp"},
        {"RIGHT_CLICK", 0, "rightClick"},
        {"RIGHT_MOUSE_DOWN", 0, "rightMouseDown"},
        {"RIGHT_MOUSE_UP", 0, "rightMouseUp"},
        {"CONTEXT_MENU", 0, "contextMenu"},
        {"RELEASE_OUTSIDE", 0, "releaseOutside"},
    },
    nullptr,
    {},
    nullptr,
};

} // namespace swf::avm2
