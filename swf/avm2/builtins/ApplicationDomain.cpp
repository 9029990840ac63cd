// flash.system.ApplicationDomain: the definitions a movie's code sees, and
// the domain memory Alchemy's load and store instructions work on. A movie
// here has one domain, the current one; domains a script makes share its
// definitions and have memory of their own that no instruction reaches.
#include "swf/avm2/builtins/ByteArrayObject.h"
#include "swf/avm2/builtins/Definitions.h"
#include "swf/avm2/builtins/NativeHelpers.h"
#include "swf/avm2/builtins/StaticState.h"

namespace swf::avm2 {

namespace {

// The least memory a domain may be given; without a ByteArray of its own
// the instructions work on scratch memory of this size.
constexpr uint32_t MinDomainMemoryLength = 1024;
constexpr int CoercionError = 1034;
constexpr int RangeInvalidError = 1506;
const QString StateNamespace = QStringLiteral("flash.system.ApplicationDomain");
const QString CurrentSlotName = QStringLiteral("current");

class ApplicationDomainObject : public Object {
public:
    using Object::Object;

    Value parent = Value::null();
    Value memory = Value::null();
    QByteArray scratch = QByteArray(MinDomainMemoryLength, '\0');
    bool current = false;

    void mark(const Marker &marker) const override
    {
        Object::mark(marker);
        marker(parent);
        marker(memory);
    }
};

ApplicationDomainObject *thisDomain(Runtime &rt, const Value &self)
{
    return ThisAs<ApplicationDomainObject>(rt, self, "flash.system.ApplicationDomain");
}

Value &currentSlot(Runtime &rt, const Value &cls) { return StaticSlot(rt, cls, StateNamespace, CurrentSlotName); }

Value construct(Runtime &rt, const Value &self, Args args)
{
    ApplicationDomainObject *domain = thisDomain(rt, self);
    if (!args[0].isNullish() && !dynamic_cast<ApplicationDomainObject *>(args[0].asObject()))
        rt.throwError(ErrorType::TypeError, CoercionError,
                      QStringList{rt.describe(args[0]), QStringLiteral("flash.system.ApplicationDomain")});
    domain->parent = args[0].isNullish() ? Value::null() : args[0];
    return Value();
}

Value getCurrentDomain(Runtime &rt, const Value &self, Args)
{
    Value &slot = currentSlot(rt, self);
    if (slot.isNullish()) {
        auto *domain = static_cast<ApplicationDomainObject *>(rt.allocate(static_cast<Class *>(self.asObject())));
        domain->current = true;
        // Memory a movie set keeps its place; otherwise the scratch memory.
        if (!rt.domainMemory)
            rt.domainMemory = &domain->scratch;
        slot = Value(static_cast<Object *>(domain));
    }
    return slot;
}

Value getParentDomain(Runtime &rt, const Value &self, Args) { return thisDomain(rt, self)->parent; }

Value getDefinition(Runtime &rt, const Value &self, Args args)
{
    thisDomain(rt, self);
    return DefinitionNamed(rt, args[0]);
}

Value hasDefinition(Runtime &rt, const Value &self, Args args)
{
    thisDomain(rt, self);
    Value found;
    return Value(!args[0].isNullish() && FindDefinition(rt, rt.toString(args[0]), found));
}

Value getDomainMemory(Runtime &rt, const Value &self, Args) { return thisDomain(rt, self)->memory; }

// A ByteArray of at least the least length, or null for the scratch memory.
Value setDomainMemory(Runtime &rt, const Value &self, Args args)
{
    ApplicationDomainObject *domain = thisDomain(rt, self);
    ByteArrayObject *bytes = nullptr;
    if (!args[0].isNullish()) {
        bytes = dynamic_cast<ByteArrayObject *>(args[0].asObject());
        if (!bytes)
            rt.throwError(ErrorType::TypeError, CoercionError,
                          QStringList{rt.describe(args[0]), QStringLiteral("flash.utils.ByteArray")});
        if (bytes->length() < MinDomainMemoryLength)
            rt.throwError(ErrorType::RangeError, RangeInvalidError);
    }
    domain->memory = bytes ? args[0] : Value::null();
    if (domain->current)
        rt.domainMemory = bytes ? &bytes->bytes : &domain->scratch;
    return Value();
}

void setup(Runtime &rt, Class *cls) { AddStaticSlot(rt, cls, StateNamespace, CurrentSlotName, Value::null()); }

} // namespace

extern const NativeClass ApplicationDomainClass = {
    "flash.system",
    "ApplicationDomain",
    "Object",
    ClassFinal,
    CreateNative<ApplicationDomainObject>,
    construct,
    nullptr,
    {
        {"currentDomain", MemberKind::Getter, getCurrentDomain, 0, MemberStatic},
        {"MIN_DOMAIN_MEMORY_LENGTH", MemberKind::Getter,
         [](Runtime &, const Value &, Args) { return Value::fromUint(MinDomainMemoryLength); }, 0, MemberStatic},
        {"parentDomain", MemberKind::Getter, getParentDomain},
        {"getDefinition", MemberKind::Method, getDefinition, 1},
        {"hasDefinition", MemberKind::Method, hasDefinition, 1},
        {"domainMemory", MemberKind::Getter, getDomainMemory},
        {"domainMemory", MemberKind::Setter, setDomainMemory},
    },
    {},
    setup,
    {},
};

} // namespace swf::avm2
