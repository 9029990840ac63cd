// Accessibility: the movie's link to screen readers. No screen reader
// listens to this player, so none is active and there is nothing to tell.
#include "BuiltinClass.h"
#include "Builtins.h"

namespace swf {

namespace {

Value isActive(NativeCall &) { return false; }
Value nothingListens(NativeCall &) { return Undefined{}; }

} // namespace

const ClassDecl AccessibilityObject{
    "Accessibility",
    nullptr,
    {},
    {{"isActive", isActive}, {"updateProperties", nothingListens}, {"sendEvent", nothingListens}},
    {},
};

} // namespace swf
