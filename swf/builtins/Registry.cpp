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
        &LocalConnectionClass,
        &MovieClipLoaderClass,
        &LoadVarsClass,
        &PointClass,
        &MatrixClass,
        &ColorTransformClass,
        &TransformClass,
        // BitmapFilter before the filters, whose prototypes inherit its.
        &BitmapFilterClass,
        &BlurFilterClass, &DropShadowFilterClass, &GlowFilterClass, &BevelFilterClass,
        &GradientGlowFilterClass, &GradientBevelFilterClass, &ColorMatrixFilterClass, &ConvolutionFilterClass,
        &DisplacementMapFilterClass,
        &BitmapDataClass,
        &TextFieldClass,
        &TextFormatClass,
        // After TextField, which holds it.
        &StyleSheetClass,
        &SelectionObject,
        &PrintJobClass,
        &MicrophoneClass,
        &CameraClass,
        &ContextMenuClass,
        &ContextMenuItemClass,
        &ButtonClass,
        &NetConnectionClass,
        &NetStreamClass,
        &VideoClass,
        &SystemObject,
        &RectangleClass,
        &TextSnapshotClass,
        &AccessibilityObject,
        &ExternalInterfaceClass,
        &FileReferenceClass,
        &FileReferenceListClass,
        &NativeFunctions,
    };
    return all;
}

} // namespace swf
