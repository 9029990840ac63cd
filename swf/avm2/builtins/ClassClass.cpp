// Class: the class of class objects.
#include "swf/avm2/builtins/NativeHelpers.h"

namespace swf::avm2 {

namespace {

Value prototype(Runtime &, const Value &self, Args)
{
    auto *cls = dynamic_cast<Class *>(self.asObject());
    return cls && cls->prototypeObject ? Value(cls->prototypeObject) : Value::null();
}

} // namespace

extern const NativeClass ClassClass = {
    "", "Class", "Object", ClassDynamic | ClassFinal, nullptr, nullptr, nullptr,
    {
        {"prototype", MemberKind::Getter, prototype},
    },
    {{"length", 1}},
};

} // namespace swf::avm2
