#include "Builtins.h"

#include "BuiltinClass.h"

namespace swf {

const std::vector<const ClassDecl *> &AllBuiltins()
{
    // Object and Function come first: every other prototype inherits from them.
    static const std::vector<const ClassDecl *> all{
        &ObjectClass, &FunctionClass, &GlobalFunctions, &ArrayClass, &StringClass, &NumberClass,
        &BooleanClass, &DateClass, &ErrorClass, &AsBroadcasterClass, &MathObject, &KeyObject, &SoundClass, &ColorClass, &MovieClipClass,
        &StageObject, &MouseObject, &TimerFunctions, &SharedObjectClass,
        // XMLNode before XML, whose prototype inherits XMLNode's.
        &XMLNodeClass, &XMLClass, &XMLSocketClass,
        &PrintJobClass,
        &MicrophoneClass,
        &CameraClass,
        &ContextMenuClass,
        &ContextMenuItemClass,
        &ButtonClass,
        &NetConnectionClass,
        &NetStreamClass,
        &SystemObject,
        &AccessibilityObject,
    };
    return all;
}

} // namespace swf
