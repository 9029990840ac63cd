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
#include "AbcBytes.h"
#include "SwfWriter.h"
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

using swf::avm2::Op;
using swf::avm2::OperandKind;

// The block version the Flash player 9 compilers write.
constexpr uint16_t MinorVersion = 16, MajorVersion = 46;

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
