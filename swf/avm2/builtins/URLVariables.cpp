// flash.net.URLVariables: variables as a form sends them (name=value pairs
// joined by &), decoded onto the object and written back, with the same
// escapes LoadVars uses for older movies.
#include "swf/avm2/builtins/ArrayObject.h"
#include "swf/avm2/builtins/NativeHelpers.h"
#include "swf/avm2/builtins/URLLoading.h"

#include "swf/script/UrlVariables.h"

namespace swf::avm2 {

namespace {

constexpr int NotVariablesError = 2101;

Value construct(Runtime &rt, const Value &self, Args args)
{
    if (!args[0].isNullish())
        DecodeUrlVariablesInto(rt, self, rt.toString(args[0]));
    return Value();
}

Value decode(Runtime &rt, const Value &self, Args args)
{
    DecodeUrlVariablesInto(rt, self, rt.toString(args[0]));
    return Value();
}

// Each enumerable property in the order it was added; an array gives one
// pair per element.
Value toStringMethod(Runtime &rt, const Value &self, Args)
{
    Object *object = rt.toObject(self);
    swf::UrlVariables variables;
    for (int i = object->nextIndex(rt, 0); i > 0; i = object->nextIndex(rt, i)) {
        const QString name = rt.toString(object->nameAt(rt, i));
        const Value value = object->valueAt(rt, i);
        if (dynamic_cast<ArrayObject *>(value.asObject())) {
            const uint32_t length = rt.toUint(rt.get(value, QStringLiteral("length")));
            for (uint32_t k = 0; k < length; ++k)
                variables.emplace_back(name, rt.toString(rt.get(value, QString::number(k))));
        } else {
            variables.emplace_back(name, rt.toString(value));
        }
    }
    return Value(swf::EncodeUrlVariables(variables));
}

} // namespace

void DecodeUrlVariablesInto(Runtime &rt, const Value &target, const QString &text)
{
    for (const QString &part : text.split(u'&')) {
        if (!part.isEmpty() && !part.contains(u'='))
            rt.throwError(ErrorType::Error, NotVariablesError);
    }
    for (const auto &[name, value] : swf::DecodeUrlVariables(text)) {
        const Multiname key = rt.publicName(name);
        if (!rt.hasProperty(target, key)) {
            rt.setProperty(target, key, Value(value));
            continue;
        }
        const Value existing = rt.getProperty(target, key);
        if (dynamic_cast<ArrayObject *>(existing.asObject())) {
            const Value item(value);
            rt.callProperty(existing, rt.publicName(QStringLiteral("push")), Args{&item, 1});
        } else {
            rt.setProperty(target, key, Value(static_cast<Object *>(rt.newArray({existing, Value(value)}))));
        }
    }
}

extern const NativeClass URLVariablesClass = {
    "flash.net",
    "URLVariables",
    "Object",
    ClassDynamic,
    nullptr,
    construct,
    nullptr,
    {
        {"decode", MemberKind::Method, decode, 1},
        {"toString", MemberKind::Method, toStringMethod},
    },
    {},
    nullptr,
    {},
};

} // namespace swf::avm2
