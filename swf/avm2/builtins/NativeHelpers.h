#pragma once

#include "swf/avm2/Runtime.h"

namespace swf::avm2 {

// The native object a built-in method runs on, or a TypeError as the
// player throws for a method called on the wrong kind of object.
template <class T> T *ThisAs(Runtime &rt, const Value &self, const char *className)
{
    auto *object = dynamic_cast<T *>(self.asObject());
    if (!object)
        rt.throwError(ErrorType::TypeError, 1034,
                      QStringList{rt.describe(self), QString::fromLatin1(className)});
    return object;
}

// Makes an instance of the native type T for a class (and its subclasses).
template <class T> Object *CreateNative(Runtime &rt, Class *cls) { return rt.heap.make<T>(cls); }

inline Value ObjectValue(Object *object) { return Value(object); }

} // namespace swf::avm2
