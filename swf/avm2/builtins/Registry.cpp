// Every built-in class, by the declaration its file holds.
#include "swf/avm2/NativeClass.h"

namespace swf::avm2 {

extern const NativeClass ObjectClass;
extern const NativeClass ClassClass;
extern const NativeClass FunctionClass;
extern const NativeClass StringClass;
extern const NativeClass RegExpClass;
extern const NativeClass NumberClass;
extern const NativeClass IntClass;
extern const NativeClass UintClass;
extern const NativeClass BooleanClass;
extern const NativeClass ArrayClass;
extern const NativeClass NamespaceClass;
extern const NativeClass QNameClass;
extern const NativeClass ErrorClass;
extern const NativeClass TypeErrorClass;
extern const NativeClass ReferenceErrorClass;
extern const NativeClass RangeErrorClass;
extern const NativeClass ArgumentErrorClass;
extern const NativeClass SyntaxErrorClass;
extern const NativeClass EvalErrorClass;
extern const NativeClass URIErrorClass;
extern const NativeClass VerifyErrorClass;
extern const NativeClass SecurityErrorClass;
extern const NativeClass DefinitionErrorClass;
extern const NativeClass UninitializedErrorClass;
extern const NativeClass IOErrorClass;
extern const NativeClass EOFErrorClass;
extern const NativeClass IllegalOperationErrorClass;
extern const NativeClass MemoryErrorClass;
extern const NativeClass StackOverflowErrorClass;
extern const NativeClass ScriptTimeoutErrorClass;
extern const NativeClass InvalidSWFErrorClass;
extern const NativeClass EventDispatcherClass;
extern const NativeClass DisplayObjectClass;
extern const NativeClass InteractiveObjectClass;
extern const NativeClass DisplayObjectContainerClass;
extern const NativeClass SpriteClass;
extern const NativeClass MovieClipClass;
extern const NativeClass DateClass;
extern const NativeClass MathClass;
extern const NativeClass VectorClass;
extern const NativeClass VectorIntClass;
extern const NativeClass VectorUintClass;
extern const NativeClass VectorDoubleClass;
extern const NativeClass VectorObjectClass;
extern const NativeClass DictionaryClass;
extern const NativeClass ByteArrayClass;
extern const NativeClass CompressionAlgorithmClass;
extern const NativeClass JSONClass;
extern const NativeClass TimerClass;
extern const NativeClass TimerEventClass;
extern const NativeClass ProxyClass;
extern const NativeClass XMLClass;
extern const NativeClass XMLListClass;
extern const NativeClass EventClass;
extern const NativeClass IEventDispatcherClass;
extern const NativeClass MouseEventClass;
extern const NativeClass KeyboardEventClass;
extern const NativeClass FocusEventClass;
extern const NativeClass TextEventClass;
extern const NativeClass ErrorEventClass;
extern const NativeClass IOErrorEventClass;
extern const NativeClass SecurityErrorEventClass;
extern const NativeClass ProgressEventClass;
extern const NativeClass NetStatusEventClass;
extern const NativeClass GraphicsClass;
extern const NativeClass ShapeClass;
extern const NativeClass StageClass;
extern const NativeClass TextFormatClass;
extern const NativeClass PointClass;
extern const NativeClass RectangleClass;
extern const NativeClass MatrixClass;
extern const NativeClass ColorTransformClass;
extern const NativeClass TransformClass;
extern const NativeClass BitmapFilterClass;
extern const NativeClass BlurFilterClass;
extern const NativeClass GlowFilterClass;
extern const NativeClass DropShadowFilterClass;
extern const NativeClass BevelFilterClass;
extern const NativeClass ColorMatrixFilterClass;
extern const NativeClass ConvolutionFilterClass;
extern const NativeClass GradientGlowFilterClass;
extern const NativeClass GradientBevelFilterClass;
extern const NativeClass TextFieldClass;
extern const NativeClass CapabilitiesClass;
extern const NativeClass ApplicationDomainClass;
extern const NativeClass SecurityClass;
extern const NativeClass SystemClass;
extern const NativeClass KeyboardClass;
extern const NativeClass MouseClass;
extern const NativeClass MouseCursorClass;
extern const NativeClass EndianClass;
extern const NativeClass URLRequestClass;
extern const NativeClass URLRequestMethodClass;
extern const NativeClass URLVariablesClass;
extern const NativeClass URLLoaderClass;
extern const NativeClass URLLoaderDataFormatClass;
extern const NativeClass SharedObjectClass;
extern const NativeClass SoundTransformClass;
extern const NativeClass SoundChannelClass;
extern const NativeClass SoundClass;
extern const NativeClass SoundMixerClass;

const std::vector<const NativeClass *> &BuiltinClasses()
{
    static const std::vector<const NativeClass *> classes = {
        &ObjectClass,
        &ClassClass,
        &FunctionClass,
        &StringClass,
        &RegExpClass,
        &NumberClass,
        &IntClass,
        &UintClass,
        &BooleanClass,
        &ArrayClass,
        &NamespaceClass,
        &QNameClass,
        &ErrorClass,
        &TypeErrorClass,
        &ReferenceErrorClass,
        &RangeErrorClass,
        &ArgumentErrorClass,
        &SyntaxErrorClass,
        &EvalErrorClass,
        &URIErrorClass,
        &VerifyErrorClass,
        &SecurityErrorClass,
        &DefinitionErrorClass,
        &UninitializedErrorClass,
        &IOErrorClass,
        &EOFErrorClass,
        &IllegalOperationErrorClass,
        &MemoryErrorClass,
        &StackOverflowErrorClass,
        &ScriptTimeoutErrorClass,
        &InvalidSWFErrorClass,
        &EventDispatcherClass,
        &DisplayObjectClass,
        &InteractiveObjectClass,
        &DisplayObjectContainerClass,
        &SpriteClass,
        &MovieClipClass,
        &DateClass,
        &MathClass,
        &VectorClass,
        &VectorIntClass,
        &VectorUintClass,
        &VectorDoubleClass,
        &VectorObjectClass,
        &DictionaryClass,
        &ByteArrayClass,
        &CompressionAlgorithmClass,
        &JSONClass,
        &TimerClass,
        &TimerEventClass,
        &ProxyClass,
        &XMLClass,
        &XMLListClass,
        &EventClass,
        &IEventDispatcherClass,
        &MouseEventClass,
        &KeyboardEventClass,
        &FocusEventClass,
        &TextEventClass,
        &ErrorEventClass,
        &IOErrorEventClass,
        &SecurityErrorEventClass,
        &ProgressEventClass,
        &NetStatusEventClass,
        &GraphicsClass,
        &ShapeClass,
        &StageClass,
        &TextFormatClass,
        &PointClass,
        &RectangleClass,
        &MatrixClass,
        &ColorTransformClass,
        &TransformClass,
        &BitmapFilterClass,
        &BlurFilterClass,
        &GlowFilterClass,
        &DropShadowFilterClass,
        &BevelFilterClass,
        &ColorMatrixFilterClass,
        &ConvolutionFilterClass,
        &GradientGlowFilterClass,
        &GradientBevelFilterClass,
        &TextFieldClass,
        &CapabilitiesClass,
        &ApplicationDomainClass,
        &SecurityClass,
        &SystemClass,
        &KeyboardClass,
        &MouseClass,
        &MouseCursorClass,
        &EndianClass,
        &URLRequestClass,
        &URLRequestMethodClass,
        &URLVariablesClass,
        &URLLoaderClass,
        &URLLoaderDataFormatClass,
        &SharedObjectClass,
        &SoundTransformClass,
        &SoundChannelClass,
        &SoundClass,
        &SoundMixerClass,
    };
    return classes;
}

} // namespace swf::avm2
