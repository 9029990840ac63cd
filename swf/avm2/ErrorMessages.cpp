// The texts of the player's error numbers, with %1.. for the details.
#include "swf/avm2/Runtime.h"

namespace swf::avm2 {

QString Runtime::errorText(int id)
{
    static const QHash<int, const char *> texts = {
        {1002, "The precision argument must be between %2 and %3; %1 is invalid."},
        {1003, "The radix argument must be between 2 and 36; got %1."},
        {1004, "Method %1 was invoked on an incompatible object."},
        {1005, "Array index is not a positive integer (%1)."},
        {1006, "%1 is not a function."},
        {1007, "Instantiation attempted on a non-constructor."},
        {1009, "Cannot access a property or method of a null object reference."},
        {1010, "A term is undefined and has no properties."},
        {1011, "Method %1 contained illegal opcode %2 at offset %3."},
        {1014, "Class %1 could not be found."},
        {1016, "Descendants operator (..) not supported on type %1."},
        {1020, "Code cannot fall off the end of a method."},
        {1021, "At least one branch target was not on a valid instruction in the method."},
        {1023, "Stack overflow occurred."},
        {1034, "Type Coercion failed: cannot convert %1 to %2."},
        {1037, "Cannot assign to a method %1 on %2."},
        {1040, "The right-hand side of instanceof must be a class or function."},
        {1041, "The right-hand side of operator must be a class."},
        {1050, "Cannot convert %1 to primitive."},
        {1052, "Invalid URI passed to %1 function."},
        {1056, "Cannot create property %1 on %2."},
        {1063, "Argument count mismatch on %1. Expected %2, got %3."},
        {1065, "Variable %1 is not defined."},
        {1066, "The form function('function body') is not supported."},
        {1069, "Property %1 not found on %2 and there is no default value."},
        {1074, "Illegal write to read-only property %1 on %2."},
        {1077, "Illegal read of write-only property %1 on %2."},
        {1103, "Class %1 cannot extend final base class."},
        {1112, "Argument count mismatch on class coercion.  Expected 1, got %2."},
        {1116, "second argument to Function.prototype.apply must be an array."},
        {1123, "Filter operator not supported on type %1."},
        {1125, "The index %1 is out of range %2."},
        {1126, "Cannot change the length of a fixed Vector."},
        {1128, "Incorrect number of type parameters for %1. Expected %2, got %3."},
        {1502, "A script has executed for longer than the default timeout period of 15 seconds."},
        {1506, "The specified range is invalid."},
        {2006, "The supplied index is out of bounds."},
        {2007, "Parameter %1 must be non-null."},
        {2008, "Parameter %1 must be one of the accepted values."},
        {2012, "%1 class cannot be instantiated."},
        {2023, "Class %1 must inherit from Sprite to link to the root."},
        {2024, "An object cannot be added as a child of itself."},
        {2025, "The supplied DisplayObject must be a child of the caller."},
        {2109, "Frame label %1 not found in scene %2."},
        {2150, "An object cannot be added as a child of one of it's children (or children's children, etc.)."},
    };
    return QString::fromLatin1(texts.value(id, ""));
}

} // namespace swf::avm2
