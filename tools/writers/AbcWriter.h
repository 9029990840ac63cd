#pragma once

// Writes ActionScript 3 blocks (ABC) from C++ calls, for the movies of tests,
// the demo and benchmarks, as no ActionScript 3 compiler is at hand:
//
//   AbcWriter::Abc abc;
//   AbcWriter::Code code;
//   code.op(Op::GetLocal0).op(Op::PushScope);        (not "emit": Qt takes that name)
//   code.op(Op::FindPropStrict, {abc.qname("", "trace")});
//   code.op(Op::PushString, {abc.string("hello")});
//   code.op(Op::CallPropVoid, {abc.qname("", "trace"), 1}).op(Op::ReturnVoid);
//   abc.script(abc.method(0, code, {2, 1, 0, 1}));
//   QByteArray tags = AbcWriter::fileAttributes() + AbcWriter::doAbc("main", abc.bytes());
//
// The pools intern their entries; the block is written as the reader in
// swf/avm2/AbcFile.h reads it, from the same structures.
#include "SwfWriter.h"
#include "swf/avm2/AbcFile.h"
#include "swf/avm2/Opcodes.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstring>
#include <initializer_list>
#include <limits>
#include <map>
#include <utility>
#include <vector>

namespace AbcWriter {

using swf::avm2::AbcBody;
using swf::avm2::AbcClass;
using swf::avm2::AbcConstant;
using swf::avm2::AbcException;
using swf::avm2::AbcFile;
using swf::avm2::AbcInstance;
using swf::avm2::AbcMethod;
using swf::avm2::AbcMultiname;
using swf::avm2::AbcNamespace;
using swf::avm2::AbcTrait;
using swf::avm2::ConstantKind;
using swf::avm2::MultinameKind;
using swf::avm2::NamespaceKind;
using swf::avm2::Op;
using swf::avm2::OperandKind;
using swf::avm2::TraitKind;

// The block version the Flash player 9 compilers write.
constexpr uint16_t MinorVersion = 16, MajorVersion = 46;

// The encodings of the format: little-endian fixed sizes, variable-length
// u30/s32 (seven bits a byte), s24 branch offsets.
struct Bytes {
    QByteArray out;

    void u8(int v) { out.append(char(v & 0xFF)); }
    void u16(int v)
    {
        u8(v);
        u8(v >> 8);
    }
    void u30(uint32_t v)
    {
        do {
            const uint8_t low = v & 0x7F;
            v >>= 7;
            u8(v ? low | 0x80 : low);
        } while (v);
    }
    void s32(int32_t v)
    {
        constexpr int MaxBytes = 5;
        for (int i = 0; i < MaxBytes; ++i) {
            const uint8_t low = v & 0x7F;
            v >>= 7; // arithmetic: the sign stays
            const bool done = (v == 0 && !(low & 0x40)) || (v == -1 && (low & 0x40));
            u8(done ? low : low | 0x80);
            if (done)
                break;
        }
    }
    void s24(int32_t v)
    {
        u8(v);
        u8(v >> 8);
        u8(v >> 16);
    }
    void d64(double d)
    {
        uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        for (int i = 0; i < 8; ++i)
            u8(int(bits >> (8 * i)));
    }
    void string(const QString &s)
    {
        const QByteArray utf8 = s.toUtf8();
        u30(uint32_t(utf8.size()));
        out += utf8;
    }
};

// One method's instructions, with labels for branches.
class Code {
public:
    struct Label {
        int id = -1;
    };

    Code &op(Op instruction)
    {
        m_bytes.u8(int(instruction));
        return *this;
    }
    // An instruction with its operands, each stored as the opcode table says
    // (a byte for pushbyte's value, u30 otherwise); not for branches.
    Code &op(Op instruction, std::initializer_list<uint32_t> operands)
    {
        const swf::avm2::OpInfo *info = swf::avm2::OpcodeInfo(instruction);
        op(instruction);
        int i = 0;
        for (uint32_t operand : operands) {
            const bool byte = info && i < info->operandCount && info->operands[size_t(i)] == OperandKind::Byte;
            byte ? emitByte(int(operand)) : emitU30(operand);
            ++i;
        }
        return *this;
    }
    Code &emitU30(uint32_t v)
    {
        m_bytes.u30(v);
        return *this;
    }
    Code &emitByte(int v)
    {
        m_bytes.u8(v);
        return *this;
    }
    // pushbyte or pushshort for a small integer (-32768..32767).
    Code &pushSmall(int v)
    {
        constexpr int ByteMin = -128, ByteMax = 127;
        if (v >= ByteMin && v <= ByteMax)
            return op(Op::PushByte, {uint32_t(v & 0xFF)});
        constexpr uint32_t ShortBits = 0xFFFF; // the player sign-extends them
        return op(Op::PushShort, {uint32_t(v) & ShortBits});
    }

    // A label to place later (a forward branch's target).
    Label newLabel()
    {
        m_labels.push_back(-1);
        return Label{int(m_labels.size()) - 1};
    }
    void place(Label l) { m_labels[size_t(l.id)] = int(m_bytes.out.size()); }
    // A backward branch's target here, marked with the label instruction
    // the player's verifier wants there.
    Label label()
    {
        const Label l = newLabel();
        place(l);
        op(Op::Label);
        return l;
    }
    // A branch (jump, iftrue, iflt...) to a label placed before or after.
    Code &jumpTo(Op branch, Label target)
    {
        op(branch);
        offsetTo(target, int(m_bytes.out.size()) + OffsetBytes);
        return *this;
    }
    Code &jumpTo(Label target) { return jumpTo(Op::Jump, target); }
    // lookupswitch: its offsets count from the instruction's own byte. It
    // stores at least one case: without any, case 0 goes where others go.
    Code &lookupSwitch(Label otherwise, const std::vector<Label> &cases)
    {
        const std::vector<Label> stored = cases.empty() ? std::vector<Label>{otherwise} : cases;
        const int base = int(m_bytes.out.size());
        op(Op::LookupSwitch);
        offsetTo(otherwise, base);
        emitU30(uint32_t(stored.size() - 1));
        for (const Label &l : stored)
            offsetTo(l, base);
        return *this;
    }

    int size() const { return int(m_bytes.out.size()); }
    // The code, branches resolved; an unplaced label leaves its branch at 0.
    QByteArray bytes() const
    {
        QByteArray code = m_bytes.out;
        for (const Fixup &f : m_fixups) {
            const int target = m_labels[size_t(f.label)];
            const int offset = target < 0 ? 0 : target - f.base;
            for (int i = 0; i < OffsetBytes; ++i)
                code[f.at + i] = char((offset >> (8 * i)) & 0xFF);
        }
        return code;
    }

private:
    static constexpr int OffsetBytes = 3;
    struct Fixup {
        int at, base, label;
    };

    void offsetTo(Label target, int base)
    {
        m_fixups.push_back({int(m_bytes.out.size()), base, target.id});
        m_bytes.s24(0);
    }

    Bytes m_bytes;
    std::vector<int> m_labels;
    std::vector<Fixup> m_fixups;
};

// The sizes a method body declares.
struct Frame {
    uint32_t maxStack = 1;
    uint32_t localCount = 1;
    uint32_t initScopeDepth = 0;
    uint32_t maxScopeDepth = 1;
};

namespace detail {

inline void writeConstant(Bytes &b, const AbcConstant &c)
{
    // Kinds without a pool entry still need a non-zero index to be stored.
    const bool poolless = c.kind == ConstantKind::Null || c.kind == ConstantKind::True ||
                          c.kind == ConstantKind::False || c.kind == ConstantKind::Undefined;
    b.u30(poolless && c.index == 0 ? uint32_t(c.kind) : c.index);
    b.u8(int(c.kind));
}

inline void writeMultiname(Bytes &b, const AbcMultiname &m)
{
    b.u8(int(m.kind));
    switch (m.kind) {
    case MultinameKind::QName:
    case MultinameKind::QNameA:
        b.u30(m.ns);
        b.u30(m.name);
        break;
    case MultinameKind::RTQName:
    case MultinameKind::RTQNameA:
        b.u30(m.name);
        break;
    case MultinameKind::RTQNameL:
    case MultinameKind::RTQNameLA:
        break;
    case MultinameKind::Multiname:
    case MultinameKind::MultinameA:
        b.u30(m.name);
        b.u30(m.nsSet);
        break;
    case MultinameKind::MultinameL:
    case MultinameKind::MultinameLA:
        b.u30(m.nsSet);
        break;
    case MultinameKind::TypeName:
        b.u30(m.typeName);
        b.u30(uint32_t(m.typeParams.size()));
        for (uint32_t p : m.typeParams)
            b.u30(p);
        break;
    }
}

inline void writeMethod(Bytes &b, const AbcMethod &m)
{
    b.u30(uint32_t(m.paramTypes.size()));
    b.u30(m.returnType);
    for (uint32_t t : m.paramTypes)
        b.u30(t);
    b.u30(m.name);
    b.u8(m.flags);
    if (m.flags & swf::avm2::MethodHasOptional) {
        b.u30(uint32_t(m.optionals.size()));
        for (const AbcConstant &c : m.optionals)
            writeConstant(b, c);
    }
    if (m.flags & swf::avm2::MethodHasParamNames)
        for (uint32_t n : m.paramNames)
            b.u30(n);
}

inline void writeTrait(Bytes &b, const AbcTrait &t)
{
    constexpr int AttributeShift = 4;
    b.u30(t.name);
    const uint8_t attributes = uint8_t(t.attributes | (t.metadata.empty() ? 0 : swf::avm2::TraitMetadata));
    b.u8(int(t.kind) | (attributes << AttributeShift));
    switch (t.kind) {
    case TraitKind::Slot:
    case TraitKind::Const:
        b.u30(t.slotId);
        b.u30(t.typeName);
        if (t.value.kind == ConstantKind::Undefined && t.value.index == 0)
            b.u30(0);
        else
            writeConstant(b, t.value);
        break;
    case TraitKind::Method:
    case TraitKind::Getter:
    case TraitKind::Setter:
        b.u30(t.dispId);
        b.u30(t.method);
        break;
    case TraitKind::Class:
        b.u30(t.slotId);
        b.u30(t.classIndex);
        break;
    case TraitKind::Function:
        b.u30(t.slotId);
        b.u30(t.method);
        break;
    }
    if (attributes & swf::avm2::TraitMetadata) {
        b.u30(uint32_t(t.metadata.size()));
        for (uint32_t m : t.metadata)
            b.u30(m);
    }
}

inline void writeTraits(Bytes &b, const std::vector<AbcTrait> &traits)
{
    b.u30(uint32_t(traits.size()));
    for (const AbcTrait &t : traits)
        writeTrait(b, t);
}

inline void writeInstance(Bytes &b, const AbcInstance &in)
{
    b.u30(in.name);
    b.u30(in.superName);
    b.u8(in.flags);
    if (in.flags & swf::avm2::InstanceProtectedNs)
        b.u30(in.protectedNs);
    b.u30(uint32_t(in.interfaces.size()));
    for (uint32_t i : in.interfaces)
        b.u30(i);
    b.u30(in.iinit);
    writeTraits(b, in.traits);
}

inline void writeBody(Bytes &b, const AbcBody &body)
{
    b.u30(body.method);
    b.u30(body.maxStack);
    b.u30(body.localCount);
    b.u30(body.initScopeDepth);
    b.u30(body.maxScopeDepth);
    b.u30(uint32_t(body.code.size()));
    b.out += body.code;
    b.u30(uint32_t(body.exceptions.size()));
    for (const AbcException &e : body.exceptions) {
        b.u30(e.from);
        b.u30(e.to);
        b.u30(e.target);
        b.u30(e.type);
        b.u30(e.varName);
    }
    writeTraits(b, body.traits);
}

// A pool's count: its size with entry 0, or 0 when it holds only that.
template <typename T> void poolCount(Bytes &b, const std::vector<T> &pool)
{
    b.u30(pool.size() > 1 ? uint32_t(pool.size()) : 0);
}

inline void writePools(Bytes &b, const AbcFile &f)
{
    poolCount(b, f.ints);
    for (size_t i = 1; i < f.ints.size(); ++i)
        b.s32(f.ints[i]);
    poolCount(b, f.uints);
    for (size_t i = 1; i < f.uints.size(); ++i)
        b.u30(f.uints[i]);
    poolCount(b, f.doubles);
    for (size_t i = 1; i < f.doubles.size(); ++i)
        b.d64(f.doubles[i]);
    poolCount(b, f.strings);
    for (size_t i = 1; i < f.strings.size(); ++i)
        b.string(f.strings[i]);
    poolCount(b, f.namespaces);
    for (size_t i = 1; i < f.namespaces.size(); ++i) {
        b.u8(int(f.namespaces[i].kind));
        b.u30(f.namespaces[i].name);
    }
    poolCount(b, f.nsSets);
    for (size_t i = 1; i < f.nsSets.size(); ++i) {
        b.u30(uint32_t(f.nsSets[i].size()));
        for (uint32_t ns : f.nsSets[i])
            b.u30(ns);
    }
    poolCount(b, f.multinames);
    for (size_t i = 1; i < f.multinames.size(); ++i)
        writeMultiname(b, f.multinames[i]);
}

} // namespace detail

// The bytes of a block, in the order the format lays it out.
inline QByteArray write(const AbcFile &f)
{
    Bytes b;
    b.u16(f.minorVersion);
    b.u16(f.majorVersion);
    detail::writePools(b, f);
    b.u30(uint32_t(f.methods.size()));
    for (const AbcMethod &m : f.methods)
        detail::writeMethod(b, m);
    b.u30(uint32_t(f.metadata.size()));
    for (const swf::avm2::AbcMetadata &m : f.metadata) {
        b.u30(m.name);
        b.u30(uint32_t(m.items.size()));
        for (const auto &item : m.items)
            b.u30(item.first);
        for (const auto &item : m.items)
            b.u30(item.second);
    }
    b.u30(uint32_t(f.instances.size()));
    for (const AbcInstance &in : f.instances)
        detail::writeInstance(b, in);
    for (const AbcClass &c : f.classes) {
        b.u30(c.cinit);
        detail::writeTraits(b, c.traits);
    }
    b.u30(uint32_t(f.scripts.size()));
    for (const swf::avm2::AbcScript &s : f.scripts) {
        b.u30(s.init);
        detail::writeTraits(b, s.traits);
    }
    b.u30(uint32_t(f.bodies.size()));
    for (const AbcBody &body : f.bodies)
        detail::writeBody(b, body);
    return b.out;
}

// A block being built: interning pools, methods, classes and scripts.
class Abc {
public:
    AbcFile file;

    Abc()
    {
        file.minorVersion = MinorVersion;
        file.majorVersion = MajorVersion;
        file.ints = {0};
        file.uints = {0};
        file.doubles = {std::numeric_limits<double>::quiet_NaN()};
        file.strings = {QString()};
        file.namespaces = {AbcNamespace{}};
        file.nsSets = {{}};
        file.multinames = {AbcMultiname{}};
    }

    // Constant pools.
    uint32_t string(const QString &s) { return intern(m_strings, s, file.strings); }
    uint32_t integer(int32_t v) { return intern(m_ints, v, file.ints); }
    uint32_t uinteger(uint32_t v) { return intern(m_uints, v, file.uints); }
    uint32_t number(double v)
    {
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        const auto found = m_doubles.find(bits);
        if (found != m_doubles.end())
            return found->second;
        file.doubles.push_back(v);
        return m_doubles[bits] = uint32_t(file.doubles.size() - 1);
    }
    uint32_t ns(NamespaceKind kind, const QString &name)
    {
        const uint32_t nameIndex = string(name);
        for (size_t i = 1; i < file.namespaces.size(); ++i)
            if (file.namespaces[i].kind == kind && file.namespaces[i].name == nameIndex)
                return uint32_t(i);
        file.namespaces.push_back(AbcNamespace{kind, nameIndex});
        return uint32_t(file.namespaces.size() - 1);
    }
    uint32_t packageNs(const QString &package = QString()) { return ns(NamespaceKind::Package, package); }
    uint32_t nsSet(const std::vector<uint32_t> &namespaces)
    {
        for (size_t i = 1; i < file.nsSets.size(); ++i)
            if (file.nsSets[i] == namespaces)
                return uint32_t(i);
        file.nsSets.push_back(namespaces);
        return uint32_t(file.nsSets.size() - 1);
    }
    uint32_t multiname(const AbcMultiname &m)
    {
        for (size_t i = 1; i < file.multinames.size(); ++i) {
            const AbcMultiname &o = file.multinames[i];
            if (o.kind == m.kind && o.ns == m.ns && o.name == m.name && o.nsSet == m.nsSet &&
                o.typeName == m.typeName && o.typeParams == m.typeParams)
                return uint32_t(i);
        }
        file.multinames.push_back(m);
        return uint32_t(file.multinames.size() - 1);
    }
    uint32_t qname(uint32_t nsIndex, const QString &name)
    {
        AbcMultiname m;
        m.kind = MultinameKind::QName;
        m.ns = nsIndex;
        m.name = string(name);
        return multiname(m);
    }
    // A public name in a package: qname("flash.display", "Sprite"), qname("", "trace").
    uint32_t qname(const QString &package, const QString &name) { return qname(packageNs(package), name); }
    uint32_t multinameIn(uint32_t set, const QString &name)
    {
        AbcMultiname m;
        m.kind = MultinameKind::Multiname;
        m.name = string(name);
        m.nsSet = set;
        return multiname(m);
    }
    // A name found at run time (a[i]), searched in the set's namespaces.
    uint32_t multinameL(uint32_t set)
    {
        AbcMultiname m;
        m.kind = MultinameKind::MultinameL;
        m.nsSet = set;
        return multiname(m);
    }

    // Methods: the signature, then the body with its code.
    uint32_t method(const AbcMethod &signature)
    {
        file.methods.push_back(signature);
        return uint32_t(file.methods.size() - 1);
    }
    // A method of untyped parameters with its body.
    uint32_t method(int paramCount, const Code &code, const Frame &frame, const QString &name = QString(),
                    uint8_t flags = 0)
    {
        AbcMethod m;
        m.paramTypes.assign(size_t(paramCount), 0);
        m.name = name.isEmpty() ? 0 : string(name);
        m.flags = flags;
        const uint32_t index = method(m);
        body(index, code, frame);
        return index;
    }
    uint32_t body(uint32_t methodIndex, const Code &code, const Frame &frame,
                  const std::vector<AbcException> &exceptions = {})
    {
        AbcBody b;
        b.method = methodIndex;
        b.maxStack = frame.maxStack;
        b.localCount = frame.localCount;
        b.initScopeDepth = frame.initScopeDepth;
        b.maxScopeDepth = frame.maxScopeDepth;
        b.code = code.bytes();
        b.exceptions = exceptions;
        file.methods[methodIndex].body = int(file.bodies.size());
        file.bodies.push_back(b);
        return uint32_t(file.bodies.size() - 1);
    }

    // Classes: the instance side and the class side, at one index.
    uint32_t addClass(const AbcInstance &instance, const AbcClass &statics)
    {
        file.instances.push_back(instance);
        file.classes.push_back(statics);
        return uint32_t(file.classes.size() - 1);
    }
    // A class of the given name, sealed, with its constructor and static
    // initialiser and no traits yet (add them to file.instances/classes).
    uint32_t addClass(uint32_t name, uint32_t superName, uint32_t iinit, uint32_t cinit, uint8_t flags = swf::avm2::InstanceSealed)
    {
        AbcInstance in;
        in.name = name;
        in.superName = superName;
        in.flags = flags;
        in.iinit = iinit;
        AbcClass statics;
        statics.cinit = cinit;
        return addClass(in, statics);
    }
    // Script code that makes a class and stores it in the global's trait
    // `name`: the scopes of its base classes (outermost first, ending with
    // the superclass), then newclass. Takes 3 stack places and one scope
    // level a base, past the global's.
    static void defineClass(Code &init, uint32_t name, uint32_t classIndex, const std::vector<uint32_t> &bases)
    {
        init.op(Op::GetScopeObject, {0});
        for (uint32_t base : bases)
            init.op(Op::GetLex, {base}).op(Op::PushScope);
        if (bases.empty())
            init.op(Op::PushNull);
        else
            init.op(Op::GetLex, {bases.back()});
        init.op(Op::NewClass, {classIndex});
        for (size_t i = 0; i < bases.size(); ++i)
            init.op(Op::PopScope);
        init.op(Op::InitProperty, {name});
    }
    uint32_t script(uint32_t init, const std::vector<AbcTrait> &traits = {})
    {
        file.scripts.push_back(swf::avm2::AbcScript{init, traits});
        return uint32_t(file.scripts.size() - 1);
    }

    QByteArray bytes() const { return write(file); }

private:
    template <typename K, typename V> static uint32_t intern(QHash<K, uint32_t> &seen, const K &key, std::vector<V> &pool)
    {
        const auto found = seen.constFind(key);
        if (found != seen.constEnd())
            return *found;
        pool.push_back(key);
        return seen[key] = uint32_t(pool.size() - 1);
    }

    QHash<QString, uint32_t> m_strings;
    QHash<int32_t, uint32_t> m_ints;
    QHash<uint32_t, uint32_t> m_uints;
    std::map<uint64_t, uint32_t> m_doubles;
};

// Traits.
inline AbcTrait slot(uint32_t name, uint32_t slotId = 0, uint32_t type = 0, AbcConstant value = {})
{
    AbcTrait t;
    t.name = name;
    t.kind = TraitKind::Slot;
    t.slotId = slotId;
    t.typeName = type;
    t.value = value;
    return t;
}
// A method, getter or setter trait.
inline AbcTrait methodTrait(uint32_t name, uint32_t method, TraitKind kind = TraitKind::Method, uint8_t attributes = 0)
{
    AbcTrait t;
    t.name = name;
    t.kind = kind;
    t.method = method;
    t.attributes = attributes;
    return t;
}
inline AbcTrait classTrait(uint32_t name, uint32_t classIndex, uint32_t slotId = 0)
{
    AbcTrait t;
    t.name = name;
    t.kind = TraitKind::Class;
    t.classIndex = classIndex;
    t.slotId = slotId;
    return t;
}

// Movie tags for ActionScript 3.
constexpr int DoAbcTag = 82, FileAttributesTag = 69, SymbolClassTag = 76;
constexpr quint32 DoAbcLazy = 1;
constexpr quint32 UsesActionScript3 = 0x08;
// The first movie version that runs ActionScript 3.
constexpr int FirstAs3Version = 9;

inline QByteArray doAbc(const QByteArray &name, const QByteArray &block, bool lazy = true)
{
    SwfWriter::Bits b;
    b.u32(lazy ? DoAbcLazy : 0);
    b.string(name);
    b.raw(block);
    return SwfWriter::tag(DoAbcTag, b.bytes);
}
// The first tag of an ActionScript 3 movie.
inline QByteArray fileAttributes(quint32 flags = UsesActionScript3)
{
    SwfWriter::Bits b;
    b.u32(flags);
    return SwfWriter::tag(FileAttributesTag, b.bytes);
}
// Links characters to classes by name; character 0 is the document class.
inline QByteArray symbolClass(const std::vector<std::pair<int, QByteArray>> &links)
{
    SwfWriter::Bits b;
    b.u16(int(links.size()));
    for (const auto &[id, name] : links) {
        b.u16(id);
        b.string(name);
    }
    return SwfWriter::tag(SymbolClassTag, b.bytes);
}

} // namespace AbcWriter
