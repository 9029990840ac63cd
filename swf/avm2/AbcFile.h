#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace swf::avm2 {

// The contents of one ABC block (a DoABC tag), as stored. Every index into
// a constant pool has been checked against that pool's size by the reader,
// so users may index the pools directly. Entry 0 of each pool exists and
// stands for "none" or "any" as the format defines it.

enum class NamespaceKind : uint8_t {
    Namespace = 0x08,
    Package = 0x16,
    PackageInternal = 0x17,
    Protected = 0x18,
    Explicit = 0x19,
    StaticProtected = 0x1A,
    Private = 0x05,
};

struct AbcNamespace {
    NamespaceKind kind = NamespaceKind::Namespace;
    uint32_t name = 0; // string pool index; 0 is the "any" namespace in entry 0
};

enum class MultinameKind : uint8_t {
    QName = 0x07,
    QNameA = 0x0D,
    RTQName = 0x0F,
    RTQNameA = 0x10,
    RTQNameL = 0x11,
    RTQNameLA = 0x12,
    Multiname = 0x09,
    MultinameA = 0x0E,
    MultinameL = 0x1B,
    MultinameLA = 0x1C,
    TypeName = 0x1D,
};

struct AbcMultiname {
    MultinameKind kind = MultinameKind::QName;
    uint32_t ns = 0;       // QName(A): namespace pool index
    uint32_t name = 0;     // QName(A), RTQName(A), Multiname(A): string pool index (0: any name)
    uint32_t nsSet = 0;    // Multiname(A), MultinameL(A): namespace set pool index
    uint32_t typeName = 0; // TypeName: the generic's multiname index (e.g. Vector)
    std::vector<uint32_t> typeParams; // TypeName: parameter multiname indices

    bool isAttribute() const
    {
        return kind == MultinameKind::QNameA || kind == MultinameKind::RTQNameA ||
               kind == MultinameKind::RTQNameLA || kind == MultinameKind::MultinameA ||
               kind == MultinameKind::MultinameLA;
    }
    // The namespace comes from the operand stack.
    bool hasRuntimeNamespace() const
    {
        return kind == MultinameKind::RTQName || kind == MultinameKind::RTQNameA ||
               kind == MultinameKind::RTQNameL || kind == MultinameKind::RTQNameLA;
    }
    // The name comes from the operand stack.
    bool hasRuntimeName() const
    {
        return kind == MultinameKind::RTQNameL || kind == MultinameKind::RTQNameLA ||
               kind == MultinameKind::MultinameL || kind == MultinameKind::MultinameLA;
    }
};

// The kind byte of a constant: default parameter values and slot values.
enum class ConstantKind : uint8_t {
    Undefined = 0x00,
    Utf8 = 0x01,
    Int = 0x03,
    UInt = 0x04,
    PrivateNs = 0x05,
    Double = 0x06,
    Namespace = 0x08,
    False = 0x0A,
    True = 0x0B,
    Null = 0x0C,
    PackageNamespace = 0x16,
    PackageInternalNs = 0x17,
    ProtectedNamespace = 0x18,
    ExplicitNamespace = 0x19,
    StaticProtectedNs = 0x1A,
};

struct AbcConstant {
    ConstantKind kind = ConstantKind::Undefined;
    uint32_t index = 0; // into the pool the kind names (ints, uints, doubles, strings, namespaces)
};

enum MethodFlags : uint8_t {
    MethodNeedArguments = 0x01,
    MethodNeedActivation = 0x02,
    MethodNeedRest = 0x04,
    MethodHasOptional = 0x08,
    MethodIgnoreRest = 0x10,
    MethodNative = 0x20,
    MethodSetDxns = 0x40,
    MethodHasParamNames = 0x80,
};

struct AbcMethod {
    std::vector<uint32_t> paramTypes; // multiname indices, 0: any
    uint32_t returnType = 0;
    uint32_t name = 0; // string index
    uint8_t flags = 0;
    std::vector<AbcConstant> optionals; // defaults of the last parameters
    std::vector<uint32_t> paramNames;
    int body = -1; // index into bodies, -1 when the method has none
};

struct AbcMetadata {
    uint32_t name = 0;
    std::vector<std::pair<uint32_t, uint32_t>> items; // key, value string indices (key 0: none)
};

enum class TraitKind : uint8_t {
    Slot = 0,
    Method = 1,
    Getter = 2,
    Setter = 3,
    Class = 4,
    Function = 5,
    Const = 6,
};

enum TraitAttributes : uint8_t {
    TraitFinal = 0x1,
    TraitOverride = 0x2,
    TraitMetadata = 0x4,
};

struct AbcTrait {
    uint32_t name = 0; // multiname index, always a QName
    TraitKind kind = TraitKind::Slot;
    uint8_t attributes = 0;
    uint32_t slotId = 0;   // Slot, Const, Class, Function
    uint32_t typeName = 0; // Slot, Const: multiname index
    AbcConstant value;     // Slot, Const: the initial value
    uint32_t dispId = 0;   // Method, Getter, Setter
    uint32_t method = 0;   // Method, Getter, Setter, Function: method index
    uint32_t classIndex = 0; // Class
    std::vector<uint32_t> metadata;
};

enum InstanceFlags : uint8_t {
    InstanceSealed = 0x01,
    InstanceFinal = 0x02,
    InstanceInterface = 0x04,
    InstanceProtectedNs = 0x08,
};

struct AbcInstance {
    uint32_t name = 0;      // multiname index
    uint32_t superName = 0; // multiname index, 0: none
    uint8_t flags = 0;
    uint32_t protectedNs = 0; // namespace index, when InstanceProtectedNs
    std::vector<uint32_t> interfaces; // multiname indices
    uint32_t iinit = 0; // method index
    std::vector<AbcTrait> traits;
};

struct AbcClass {
    uint32_t cinit = 0; // method index
    std::vector<AbcTrait> traits;
};

struct AbcScript {
    uint32_t init = 0; // method index
    std::vector<AbcTrait> traits;
};

struct AbcException {
    uint32_t from = 0, to = 0, target = 0; // code offsets, checked against the code's length
    uint32_t type = 0;    // multiname index, 0: any
    uint32_t varName = 0; // multiname index, 0: none
};

struct AbcBody {
    uint32_t method = 0;
    uint32_t maxStack = 0;
    uint32_t localCount = 0;
    uint32_t initScopeDepth = 0;
    uint32_t maxScopeDepth = 0;
    QByteArray code;
    std::vector<AbcException> exceptions;
    std::vector<AbcTrait> traits; // the activation's
};

struct AbcFile {
    uint16_t minorVersion = 0, majorVersion = 0;
    std::vector<int32_t> ints;      // [0] = 0
    std::vector<uint32_t> uints;    // [0] = 0
    std::vector<double> doubles;    // [0] = NaN
    std::vector<QString> strings;   // [0] = "" (stands for "any" where a name is expected)
    std::vector<AbcNamespace> namespaces; // [0] = any
    std::vector<std::vector<uint32_t>> nsSets; // [0] = empty; namespace indices
    std::vector<AbcMultiname> multinames;      // [0] = any name
    std::vector<AbcMethod> methods;
    std::vector<AbcMetadata> metadata;
    std::vector<AbcInstance> instances;
    std::vector<AbcClass> classes; // as many as instances
    std::vector<AbcScript> scripts;
    std::vector<AbcBody> bodies;
};

// Limits that keep a hostile block from taking the machine's memory: each
// pool or list longer than this, or a block larger than MaxAbcBytes, is refused.
constexpr uint32_t MaxAbcPoolEntries = 1u << 20;
constexpr int MaxAbcBytes = 64 << 20;

// Reads one ABC block. A block that is truncated, refers outside its pools
// or breaks a limit gives nullopt and, when error is given, says why.
std::optional<AbcFile> ReadAbc(const QByteArray &bytes, QString *error = nullptr);

} // namespace swf::avm2
