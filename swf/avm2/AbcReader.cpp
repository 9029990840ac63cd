// Reads an ABC block into its pools and lists, checking every index on the way.

#include "swf/avm2/AbcFile.h"

#include "swf/avm2/CodeReader.h"

#include <limits>

namespace swf::avm2 {
namespace {

constexpr uint8_t TraitKindMask = 0x0F;
constexpr int TraitAttributeShift = 4;
constexpr int DoubleBytes = 8;
// The fewest bytes each entry can take, to refuse a count the block cannot hold.
constexpr int MinMethodBytes = 4;   // parameter count, return type, name, flags
constexpr int MinInstanceBytes = 6; // name, super, flags, interfaces, iinit, traits
constexpr int MinBodyBytes = 9;     // method, four sizes, code length, exceptions, traits
constexpr int MinExceptionBytes = 5;
// Registers a body may ask for: far past what compilers write, and each
// call allocates them.
constexpr uint32_t MaxLocalCount = 1u << 16;
constexpr int MinTraitBytes = 3; // name, kind and at least one field

class Reader {
public:
    explicit Reader(const QByteArray &bytes) : r(bytes) {}

    std::optional<AbcFile> read(QString *error)
    {
        if (!readAll()) {
            if (error)
                *error = QString::fromLatin1(m_reason ? m_reason : "the block is cut short");
            return std::nullopt;
        }
        return std::move(f);
    }

private:
    CodeReader r;
    AbcFile f;
    const char *m_reason = nullptr;
    size_t m_classCount = 0;

    bool fail(const char *reason)
    {
        if (!m_reason)
            m_reason = reason;
        return false;
    }
    bool ok() { return !r.overrun() || fail("the block is cut short"); }

    // A count no larger than the limit nor than the bytes left could hold.
    bool count(uint32_t &n, int minBytes)
    {
        n = r.u30();
        if (!ok())
            return false;
        if (n > MaxAbcPoolEntries)
            return fail("a pool or list is longer than the limit");
        if (int64_t(n) * minBytes > r.remaining())
            return fail("a count exceeds what the block can hold");
        return true;
    }
    // Constant pools store their size plus one; 0 and 1 both mean "only entry 0".
    bool poolCount(uint32_t &n, int minBytes)
    {
        if (!count(n, 0))
            return false;
        n = n > 0 ? n - 1 : 0;
        return int64_t(n) * minBytes <= r.remaining() || fail("a count exceeds what the block can hold");
    }
    bool index(uint32_t &out, size_t poolSize, const char *reason)
    {
        out = r.u30();
        return ok() && (out < poolSize || fail(reason));
    }
    bool string(uint32_t &out) { return index(out, f.strings.size(), "a string index is out of range"); }
    bool multiname(uint32_t &out)
    {
        return index(out, f.multinames.size(), "a multiname index is out of range");
    }
    bool method(uint32_t &out) { return index(out, f.methods.size(), "a method index is out of range"); }
    bool namespaceIndex(uint32_t &out)
    {
        return index(out, f.namespaces.size(), "a namespace index is out of range");
    }

    bool readAll()
    {
        f.minorVersion = r.u16();
        f.majorVersion = r.u16();
        return ok() && readNumbers() && readStrings() && readNamespaces() && readNsSets() &&
               readMultinames() && readMethods() && readMetadata() && readClasses() && readScripts() &&
               readBodies();
    }

    bool readNumbers()
    {
        uint32_t n = 0;
        if (!poolCount(n, 1))
            return false;
        f.ints.assign(1, 0);
        for (uint32_t i = 0; i < n; ++i)
            f.ints.push_back(r.s32());
        if (!ok() || !poolCount(n, 1))
            return false;
        f.uints.assign(1, 0);
        for (uint32_t i = 0; i < n; ++i)
            f.uints.push_back(r.u32());
        if (!ok() || !poolCount(n, DoubleBytes))
            return false;
        f.doubles.assign(1, std::numeric_limits<double>::quiet_NaN());
        for (uint32_t i = 0; i < n; ++i)
            f.doubles.push_back(r.d64());
        return ok();
    }

    bool readStrings()
    {
        uint32_t n = 0;
        if (!poolCount(n, 1))
            return false;
        f.strings.assign(1, QString());
        f.strings.reserve(n + 1);
        for (uint32_t i = 0; i < n; ++i) {
            const uint32_t size = r.u30();
            if (!ok() || size > uint32_t(r.remaining()))
                return fail("a string runs past the end of the block");
            // Invalid UTF-8 decodes to replacement characters.
            f.strings.push_back(QString::fromUtf8(r.bytes(int(size))));
        }
        return ok();
    }

    static bool namespaceKind(uint8_t kind)
    {
        switch (NamespaceKind(kind)) {
        case NamespaceKind::Namespace:
        case NamespaceKind::Package:
        case NamespaceKind::PackageInternal:
        case NamespaceKind::Protected:
        case NamespaceKind::Explicit:
        case NamespaceKind::StaticProtected:
        case NamespaceKind::Private:
            return true;
        }
        return false;
    }

    bool readNamespaces()
    {
        uint32_t n = 0;
        if (!poolCount(n, 2))
            return false;
        f.namespaces.assign(1, AbcNamespace());
        for (uint32_t i = 0; i < n; ++i) {
            AbcNamespace ns;
            const uint8_t kind = r.u8();
            if (ok() && !namespaceKind(kind))
                return fail("a namespace has an unknown kind");
            ns.kind = NamespaceKind(kind);
            if (!string(ns.name))
                return false;
            f.namespaces.push_back(ns);
        }
        return true;
    }

    bool readNsSets()
    {
        uint32_t n = 0;
        if (!poolCount(n, 1))
            return false;
        f.nsSets.assign(1, {});
        for (uint32_t i = 0; i < n; ++i) {
            uint32_t size = 0;
            if (!count(size, 1))
                return false;
            std::vector<uint32_t> set(size);
            for (uint32_t &ns : set) {
                if (!namespaceIndex(ns))
                    return false;
            }
            f.nsSets.push_back(std::move(set));
        }
        return true;
    }

    bool nsSet(uint32_t &out)
    {
        // Entry 0 is no set at all, which a multiname may not name.
        return index(out, f.nsSets.size(), "a namespace set index is out of range") &&
               (out != 0 || fail("a multiname names no namespace set"));
    }

    bool readMultinameFields(AbcMultiname &m)
    {
        switch (m.kind) {
        case MultinameKind::QName:
        case MultinameKind::QNameA:
            return namespaceIndex(m.ns) && string(m.name);
        case MultinameKind::RTQName:
        case MultinameKind::RTQNameA:
            return string(m.name);
        case MultinameKind::RTQNameL:
        case MultinameKind::RTQNameLA:
            return true;
        case MultinameKind::Multiname:
        case MultinameKind::MultinameA:
            return string(m.name) && nsSet(m.nsSet);
        case MultinameKind::MultinameL:
        case MultinameKind::MultinameLA:
            return nsSet(m.nsSet);
        case MultinameKind::TypeName: {
            // Checked once the whole pool is known: they may point forward.
            m.typeName = r.u30();
            uint32_t size = 0;
            if (!ok() || !count(size, 1))
                return false;
            m.typeParams.resize(size);
            for (uint32_t &param : m.typeParams)
                param = r.u30();
            return ok();
        }
        }
        return fail("a multiname has an unknown kind");
    }

    bool readMultinames()
    {
        uint32_t n = 0;
        if (!poolCount(n, 1))
            return false;
        f.multinames.assign(1, AbcMultiname());
        for (uint32_t i = 0; i < n; ++i) {
            AbcMultiname m;
            m.kind = MultinameKind(r.u8());
            if (!ok() || !readMultinameFields(m))
                return false;
            f.multinames.push_back(std::move(m));
        }
        return checkTypeNames();
    }

    bool checkTypeNames()
    {
        const size_t size = f.multinames.size();
        for (const AbcMultiname &m : f.multinames) {
            if (m.kind != MultinameKind::TypeName)
                continue;
            if (m.typeName >= size)
                return fail("a type name's generic is out of range");
            for (uint32_t param : m.typeParams) {
                if (param >= size)
                    return fail("a type name's parameter is out of range");
            }
        }
        return true;
    }

    bool constant(AbcConstant &c, uint32_t valueIndex, uint8_t kind)
    {
        c.kind = ConstantKind(kind);
        c.index = valueIndex;
        switch (c.kind) {
        case ConstantKind::Undefined:
        case ConstantKind::False:
        case ConstantKind::True:
        case ConstantKind::Null:
            return true; // the index means nothing for these
        case ConstantKind::Utf8:
            return valueIndex < f.strings.size() || fail("a string constant is out of range");
        case ConstantKind::Int:
            return valueIndex < f.ints.size() || fail("an int constant is out of range");
        case ConstantKind::UInt:
            return valueIndex < f.uints.size() || fail("a uint constant is out of range");
        case ConstantKind::Double:
            return valueIndex < f.doubles.size() || fail("a double constant is out of range");
        case ConstantKind::PrivateNs:
        case ConstantKind::Namespace:
        case ConstantKind::PackageNamespace:
        case ConstantKind::PackageInternalNs:
        case ConstantKind::ProtectedNamespace:
        case ConstantKind::ExplicitNamespace:
        case ConstantKind::StaticProtectedNs:
            return valueIndex < f.namespaces.size() || fail("a namespace constant is out of range");
        }
        return fail("a constant has an unknown kind");
    }

    bool readMethod(AbcMethod &m)
    {
        uint32_t params = 0;
        if (!count(params, 1) || !multiname(m.returnType))
            return false;
        m.paramTypes.resize(params);
        for (uint32_t &type : m.paramTypes) {
            if (!multiname(type))
                return false;
        }
        if (!string(m.name))
            return false;
        m.flags = r.u8();
        if (!ok())
            return false;
        if ((m.flags & MethodHasOptional) && !readOptionals(m))
            return false;
        if (m.flags & MethodHasParamNames) {
            m.paramNames.resize(params);
            for (uint32_t &name : m.paramNames) {
                if (!string(name))
                    return false;
            }
        }
        return true;
    }

    bool readOptionals(AbcMethod &m)
    {
        uint32_t n = 0;
        if (!count(n, 2))
            return false;
        if (n > m.paramTypes.size())
            return fail("a method has more defaults than parameters");
        m.optionals.resize(n);
        for (AbcConstant &c : m.optionals) {
            const uint32_t value = r.u30();
            const uint8_t kind = r.u8();
            if (!ok() || !constant(c, value, kind))
                return false;
        }
        return true;
    }

    bool readMethods()
    {
        uint32_t n = 0;
        if (!count(n, MinMethodBytes))
            return false;
        f.methods.resize(n);
        for (AbcMethod &m : f.methods) {
            if (!readMethod(m))
                return false;
        }
        return true;
    }

    bool readMetadata()
    {
        uint32_t n = 0;
        if (!count(n, 2))
            return false;
        f.metadata.resize(n);
        for (AbcMetadata &m : f.metadata) {
            uint32_t items = 0;
            if (!string(m.name) || !count(items, 2))
                return false;
            m.items.resize(items);
            // All the keys are stored first, then all the values.
            for (auto &item : m.items) {
                if (!string(item.first))
                    return false;
            }
            for (auto &item : m.items) {
                if (!string(item.second))
                    return false;
            }
        }
        return true;
    }

    bool readTraitFields(AbcTrait &t)
    {
        switch (t.kind) {
        case TraitKind::Slot:
        case TraitKind::Const: {
            t.slotId = r.u30();
            if (!ok() || !multiname(t.typeName))
                return false;
            const uint32_t value = r.u30();
            if (!ok())
                return false;
            if (value == 0)
                return true; // no initial value: the type's default
            const uint8_t kind = r.u8();
            return ok() && constant(t.value, value, kind);
        }
        case TraitKind::Method:
        case TraitKind::Getter:
        case TraitKind::Setter:
            t.dispId = r.u30();
            return ok() && method(t.method);
        case TraitKind::Class:
            t.slotId = r.u30();
            return ok() && index(t.classIndex, m_classCount, "a class index is out of range");
        case TraitKind::Function:
            t.slotId = r.u30();
            return ok() && method(t.method);
        }
        return fail("a trait has an unknown kind");
    }

    bool readTrait(AbcTrait &t)
    {
        if (!multiname(t.name))
            return false;
        if (f.multinames[t.name].kind != MultinameKind::QName)
            return fail("a trait's name is not a qualified name");
        const uint8_t kind = r.u8();
        if (!ok())
            return false;
        t.kind = TraitKind(kind & TraitKindMask);
        t.attributes = uint8_t(kind >> TraitAttributeShift);
        if (!readTraitFields(t))
            return false;
        if (!(t.attributes & TraitMetadata))
            return true;
        uint32_t n = 0;
        if (!count(n, 1))
            return false;
        t.metadata.resize(n);
        for (uint32_t &m : t.metadata) {
            if (!index(m, f.metadata.size(), "a metadata index is out of range"))
                return false;
        }
        return true;
    }

    bool readTraits(std::vector<AbcTrait> &traits)
    {
        uint32_t n = 0;
        if (!count(n, MinTraitBytes))
            return false;
        traits.resize(n);
        for (AbcTrait &t : traits) {
            if (!readTrait(t))
                return false;
        }
        return true;
    }

    bool readInstance(AbcInstance &in)
    {
        if (!multiname(in.name) || !multiname(in.superName))
            return false;
        in.flags = r.u8();
        if (!ok())
            return false;
        if ((in.flags & InstanceProtectedNs) && !namespaceIndex(in.protectedNs))
            return false;
        uint32_t n = 0;
        if (!count(n, 1))
            return false;
        in.interfaces.resize(n);
        for (uint32_t &type : in.interfaces) {
            if (!multiname(type))
                return false;
        }
        return method(in.iinit) && readTraits(in.traits);
    }

    bool readClasses()
    {
        uint32_t n = 0;
        if (!count(n, MinInstanceBytes))
            return false;
        m_classCount = n;
        f.instances.resize(n);
        for (AbcInstance &in : f.instances) {
            if (!readInstance(in))
                return false;
        }
        f.classes.resize(n);
        for (AbcClass &c : f.classes) {
            if (!method(c.cinit) || !readTraits(c.traits))
                return false;
        }
        return true;
    }

    bool readScripts()
    {
        uint32_t n = 0;
        if (!count(n, 2))
            return false;
        f.scripts.resize(n);
        for (AbcScript &s : f.scripts) {
            if (!method(s.init) || !readTraits(s.traits))
                return false;
        }
        return true;
    }

    bool readException(AbcException &e, uint32_t codeLength)
    {
        e.from = r.u30();
        e.to = r.u30();
        e.target = r.u30();
        if (!ok())
            return false;
        if (e.from > e.to || e.to > codeLength || e.target >= codeLength)
            return fail("an exception handler lies outside its code");
        return multiname(e.type) && multiname(e.varName);
    }

    bool readBody(AbcBody &b, int bodyIndex)
    {
        if (!method(b.method))
            return false;
        int &owner = f.methods[b.method].body;
        if (owner != -1)
            return fail("a method has two bodies");
        owner = bodyIndex;
        b.maxStack = r.u30();
        b.localCount = r.u30();
        b.initScopeDepth = r.u30();
        b.maxScopeDepth = r.u30();
        if (b.localCount > MaxLocalCount)
            return fail("a method body asks for too many registers");
        const uint32_t codeLength = r.u30();
        if (!ok() || codeLength > uint32_t(r.remaining()))
            return fail("a method body runs past the end of the block");
        b.code = r.bytes(int(codeLength));
        uint32_t n = 0;
        if (!count(n, MinExceptionBytes))
            return false;
        b.exceptions.resize(n);
        for (AbcException &e : b.exceptions) {
            if (!readException(e, codeLength))
                return false;
        }
        return readTraits(b.traits);
    }

    bool readBodies()
    {
        uint32_t n = 0;
        if (!count(n, MinBodyBytes))
            return false;
        f.bodies.resize(n);
        for (uint32_t i = 0; i < n; ++i) {
            if (!readBody(f.bodies[i], int(i)))
                return false;
        }
        return true;
    }
};

} // namespace

std::optional<AbcFile> ReadAbc(const QByteArray &bytes, QString *error)
{
    if (bytes.size() > MaxAbcBytes) {
        if (error)
            *error = QStringLiteral("the block is larger than the limit");
        return std::nullopt;
    }
    return Reader(bytes).read(error);
}

} // namespace swf::avm2
