#pragma once

// The encodings of ActionScript 3 blocks (ABC) and the writing of a whole
// block from the structures the engine's reader fills (swf/avm2/AbcFile.h),
// for AbcWriter.h.
#include "swf/avm2/AbcFile.h"

#include <QByteArray>
#include <QString>

#include <cstring>
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
using swf::avm2::TraitKind;

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
    // Readers take an s32 as the u32 of its bits, so negative values
    // take all five bytes.
    void s32(int32_t v) { u30(uint32_t(v)); }
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

} // namespace AbcWriter
