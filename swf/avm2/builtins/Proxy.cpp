// flash.utils.Proxy: a class whose subclasses decide what their instances'
// properties are by overriding the flash_proxy methods. The methods a
// subclass leaves alone throw, as the player's do.
#include "swf/avm2/builtins/NativeHelpers.h"
#include "swf/avm2/builtins/ProxyObject.h"

namespace swf::avm2 {

namespace {

constexpr int NotOverriddenError = 2088;

template <const char *Name> Value notOverridden(Runtime &rt, const Value &, Args)
{
    Class *errorClass = rt.builtin("flash.errors::IllegalOperationError");
    const QString text = Runtime::errorText(NotOverriddenError).replace(QStringLiteral("%1"), QString::fromLatin1(Name));
    const Value args[] = {Value(QStringLiteral("Error #%1: %2").arg(NotOverriddenError).arg(text)), Value(NotOverriddenError)};
    throw Exception{rt.construct(Value(static_cast<Object *>(errorClass ? errorClass : rt.errorClass)), Args{args, 2})};
}

constexpr char GetProperty[] = "getProperty";
constexpr char SetProperty[] = "setProperty";
constexpr char CallProperty[] = "callProperty";
constexpr char HasProperty[] = "hasProperty";
constexpr char DeleteProperty[] = "deleteProperty";
constexpr char GetDescendants[] = "getDescendants";
constexpr char NextNameIndex[] = "nextNameIndex";
constexpr char NextName[] = "nextName";
constexpr char NextValue[] = "nextValue";

// An attribute name (@x) would come as a QName marked so; the names this
// runtime hands over never are.
Value isAttribute(Runtime &, const Value &, Args) { return Value(false); }

struct ProxyMethod {
    const char *name;
    NativeFn fn;
    int length;
};

void setup(Runtime &rt, Class *cls)
{
    const ProxyMethod methods[] = {
        {GetProperty, notOverridden<GetProperty>, 1},
        {SetProperty, notOverridden<SetProperty>, 2},
        {CallProperty, notOverridden<CallProperty>, 1},
        {HasProperty, notOverridden<HasProperty>, 1},
        {DeleteProperty, notOverridden<DeleteProperty>, 1},
        {GetDescendants, notOverridden<GetDescendants>, 1},
        {NextNameIndex, notOverridden<NextNameIndex>, 1},
        {NextName, notOverridden<NextName>, 1},
        {NextValue, notOverridden<NextValue>, 1},
        {"isAttribute", isAttribute, 1},
    };
    const Namespace *ns = rt.namespaces.intern(NamespaceKind::Namespace, FlashProxyUri);
    for (const ProxyMethod &method : methods) {
        TraitBinding &binding = cls->instanceTraits.bind(QString::fromLatin1(method.name), ns);
        binding.kind = TraitBinding::Kind::Method;
        binding.method = rt.makeNativeMethod(method.fn, QString::fromLatin1(method.name), method.length);
        binding.method->owner = cls;
    }
}

} // namespace

extern const NativeClass ProxyClass = {
    "flash.utils", "Proxy", nullptr, 0, CreateNative<ProxyObject>, nullptr, nullptr, {}, {}, setup, {},
};

} // namespace swf::avm2
