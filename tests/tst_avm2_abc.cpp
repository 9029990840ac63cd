// The ABC block reader, the opcode table and the disassembler, on blocks
// written here by hand and on the ActionScript 3 corpus (when present).
#include "../tools/MovieAbcBlocks.h"
#include "swf/avm2/AbcDisassembler.h"
#include "swf/avm2/AbcFile.h"
#include "swf/avm2/CodeReader.h"
#include "swf/avm2/Instruction.h"

#include <QDir>
#include <QDirIterator>
#include <QtTest>

#include <cmath>
#include <cstring>
#include <set>

using namespace swf::avm2;

namespace {

// Writes ABC's encodings.
struct Writer {
    QByteArray bytes;

    Writer &u8(int v)
    {
        bytes.append(char(v));
        return *this;
    }
    Writer &u16(int v) { return u8(v & 0xFF).u8(v >> 8); }
    Writer &u30(uint32_t v)
    {
        do {
            const uint8_t low = v & 0x7F;
            v >>= 7;
            u8(v ? low | 0x80 : low);
        } while (v);
        return *this;
    }
    // Negative values take all five bytes, as compilers write them: the
    // reader keeps the bits of shorter encodings as they are.
    Writer &s32(int32_t v) { return u30(uint32_t(v)); }
    Writer &d64(double d)
    {
        uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        for (int i = 0; i < 8; ++i)
            u8(int(bits >> (8 * i)) & 0xFF);
        return *this;
    }
    Writer &str(const QByteArray &s)
    {
        u30(uint32_t(s.size()));
        bytes += s;
        return *this;
    }
    Writer &raw(const QByteArray &b)
    {
        bytes += b;
        return *this;
    }
};

// A block's sections, each with its count; the defaults make the smallest block.
struct Block {
    QByteArray ints = QByteArray(1, '\0'), uints = ints, doubles = ints, strings = ints, namespaces = ints,
               nsSets = ints, multinames = ints, methods = ints, metadata = ints, classes = ints,
               scripts = ints, bodies = ints;

    QByteArray build() const
    {
        return Writer().u16(16).u16(46).bytes + ints + uints + doubles + strings + namespaces + nsSets +
               multinames + methods + metadata + classes + scripts + bodies;
    }
};

// Strings 1 "x", 2 "pkg", 3 "Vector", 4 "int"; namespaces 1 package "pkg",
// 2 private; set 1 = {1, 2}; multinames 1 pkg::x, 2 pkg::Vector, 3 pkg::int,
// 4 Vector.<int>; one method without a body.
Block standard()
{
    Block b;
    Writer s;
    s.u30(5).str("x").str("pkg").str("Vector").str("int");
    b.strings = s.bytes;
    b.namespaces = Writer().u30(3).u8(0x16).u30(2).u8(0x05).u30(0).bytes;
    b.nsSets = Writer().u30(2).u30(2).u30(1).u30(2).bytes;
    b.multinames = Writer()
                       .u30(5)
                       .u8(0x07).u30(1).u30(1)
                       .u8(0x07).u30(1).u30(3)
                       .u8(0x07).u30(1).u30(4)
                       .u8(0x1D).u30(2).u30(1).u30(3)
                       .bytes;
    b.methods = Writer().u30(1).u30(0).u30(0).u30(0).u8(0).bytes;
    return b;
}

// A block using everything: constants, a class with traits of each kind and
// metadata, a script, a method with defaults and names, a body with a handler.
Block full()
{
    Block b = standard();
    b.ints = Writer().u30(3).s32(-5).s32(70000).bytes;
    b.uints = Writer().u30(2).u30(4000000000u).bytes;
    b.doubles = Writer().u30(2).d64(2.5).bytes;
    b.methods = Writer()
                    .u30(2)
                    .u30(0).u30(0).u30(0).u8(0)
                    // (x:int = -5, Vector = "pkg") : int, named
                    .u30(2).u30(3).u30(3).u30(2).u30(1).u8(0x08 | 0x80)
                    .u30(2).u30(1).u8(0x03).u30(2).u8(0x01)
                    .u30(1).u30(3)
                    .bytes;
    b.metadata = Writer().u30(1).u30(1).u30(1).u30(2).u30(3).bytes; // [x(pkg="Vector")]
    b.classes = Writer()
                    .u30(1)
                    .u30(1).u30(0).u8(0x01 | 0x08).u30(2).u30(1).u30(2).u30(0)
                    .u30(3)
                    .u30(1).u8(0x00).u30(1).u30(3).u30(1).u8(0x03)       // slot 1 : int = -5
                    .u30(2).u8(0x51).u30(0).u30(1).u30(1).u30(0)         // final method, [metadata 0]
                    .u30(3).u8(0x22).u30(1).u30(1)                       // override getter
                    .u30(1)                                              // cinit
                    .u30(1).u30(3).u8(0x06).u30(0).u30(4).u30(1).u8(0x06) // const : Vector.<int> = 2.5
                    .bytes;
    b.scripts = Writer()
                    .u30(1).u30(0)
                    .u30(2)
                    .u30(1).u8(0x04).u30(1).u30(0)     // class 0
                    .u30(3).u8(0x05).u30(2).u30(1)     // function
                    .bytes;
    const QByteArray code = Writer().u8(0xD0).u8(0x30).u8(0x2C).u30(1).u8(0x10).u8(1).u8(0).u8(0).u8(0x47).u8(0x47).bytes;
    b.bodies = Writer()
                   .u30(1)
                   .u30(1).u30(2).u30(3).u30(1).u30(2)
                   .str(code)
                   .u30(1).u30(0).u30(9).u30(9).u30(3).u30(1)
                   .u30(1).u30(1).u8(0x00).u30(1).u30(0).u30(0)
                   .bytes;
    return b;
}

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QString corpusFolder()
{
    for (const char *parent : {"/../shared/avm2-corpus", "/../../shared/avm2-corpus"}) {
        const QString candidate = QStringLiteral(TESSARO_SOURCE_DIR) + parent;
        if (QDir(candidate).exists())
            return candidate;
    }
    return QString();
}

// Every branch of a body must land on an instruction of it, which holds only
// when each operand layout in the table is exact.
QString checkCode(const AbcBody &body)
{
    std::set<int64_t> starts;
    std::vector<int64_t> targets;
    int position = 0;
    while (position < body.code.size()) {
        const auto in = DecodeInstruction(body.code, position);
        if (!in)
            return QStringLiteral("undecodable at %1").arg(position);
        starts.insert(position);
        for (int i = 0; i < in->info->operandCount; ++i) {
            if (in->info->operands[i] == OperandKind::Offset)
                targets.push_back(in->target(int32_t(in->operands[i])));
        }
        for (int32_t offset : in->caseOffsets)
            targets.push_back(in->target(offset));
        position = in->next();
    }
    for (int64_t target : targets) {
        // Compilers leave unreachable jumps past the code after a return.
        const bool inside = target >= 0 && target < body.code.size();
        if (inside && !starts.count(target))
            return QStringLiteral("a branch to %1 misses the instructions").arg(target);
    }
    return QString();
}

} // namespace

class Avm2AbcTest : public QObject {
    Q_OBJECT
private slots:
    void variableIntegers_data();
    void variableIntegers();
    void constantPools();
    void multinames_data();
    void multinames();
    void fullBlock();
    void refusals_data();
    void refusals();
    void everyPrefixIsRefused();
    void damagedBlocks_data();
    void damagedBlocks();
    void instructions_data();
    void instructions();
    void disassembly_data();
    void disassembly();
    void corpus();
};

void Avm2AbcTest::variableIntegers_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<uint>("u32");
    QTest::addColumn<int>("s32");
    QTest::addColumn<bool>("overrun");
    QTest::newRow("one byte") << hex("7f") << 127u << 127 << false;
    QTest::newRow("two bytes") << hex("8001") << 128u << 128 << false;
    QTest::newRow("no sign from a short encoding") << hex("ffffff7f") << 0x0FFFFFFFu << 268435455 << false;
    QTest::newRow("five bytes") << hex("ffffffff0f") << 0xFFFFFFFFu << -1 << false;
    QTest::newRow("fifth byte's continuation ignored") << hex("ffffffff8f") << 0xFFFFFFFFu << -1 << false;
    QTest::newRow("cut short") << hex("80") << 0u << 0 << true;
    QTest::newRow("empty") << QByteArray() << 0u << 0 << true;
}

void Avm2AbcTest::variableIntegers()
{
    QFETCH(QByteArray, bytes);
    QFETCH(uint, u32);
    QFETCH(int, s32);
    QFETCH(bool, overrun);
    CodeReader unsignedReader(bytes);
    QCOMPARE(unsignedReader.u32(), u32);
    QCOMPARE(unsignedReader.overrun(), overrun);
    CodeReader signedReader(bytes);
    QCOMPARE(signedReader.s32(), s32);
    QCOMPARE(signedReader.overrun(), overrun);
}

void Avm2AbcTest::constantPools()
{
    // Counts of 0 and 1 both mean the pool holds only its implied entry.
    Block b;
    b.ints = Writer().u30(1).bytes;
    const auto empty = ReadAbc(b.build());
    QVERIFY(empty);
    QCOMPARE(empty->ints.size(), size_t(1));
    QCOMPARE(empty->strings.size(), size_t(1));
    QVERIFY(std::isnan(empty->doubles[0]));
    QCOMPARE(empty->multinames.size(), size_t(1));

    const auto abc = ReadAbc(full().build());
    QVERIFY(abc);
    QCOMPARE(abc->majorVersion, uint16_t(46));
    QCOMPARE(abc->ints, (std::vector<int32_t>{0, -5, 70000}));
    QCOMPARE(abc->uints, (std::vector<uint32_t>{0, 4000000000u}));
    QCOMPARE(abc->doubles[1], 2.5);
    QCOMPARE(abc->strings[3], QStringLiteral("Vector"));
    QCOMPARE(abc->namespaces[1].kind, NamespaceKind::Package);
    QCOMPARE(abc->nsSets[1], (std::vector<uint32_t>{1, 2}));

    // Bytes that are not UTF-8 still make a string.
    b = Block();
    b.strings = Writer().u30(2).str("\xff\xfe" "a").bytes;
    const auto lenient = ReadAbc(b.build());
    QVERIFY(lenient);
    QVERIFY(lenient->strings[1].endsWith('a'));
}

void Avm2AbcTest::multinames_data()
{
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<int>("kind");
    QTest::addColumn<uint>("ns");
    QTest::addColumn<uint>("name");
    QTest::addColumn<uint>("nsSet");
    QTest::addColumn<bool>("attribute");
    QTest::addColumn<bool>("runtimeNs");
    QTest::addColumn<bool>("runtimeName");
    QTest::newRow("QName") << hex("070201") << 0x07 << 2u << 1u << 0u << false << false << false;
    QTest::newRow("QNameA") << hex("0d0103") << 0x0D << 1u << 3u << 0u << true << false << false;
    QTest::newRow("RTQName") << hex("0f04") << 0x0F << 0u << 4u << 0u << false << true << false;
    QTest::newRow("RTQNameA") << hex("1001") << 0x10 << 0u << 1u << 0u << true << true << false;
    QTest::newRow("RTQNameL") << hex("11") << 0x11 << 0u << 0u << 0u << false << true << true;
    QTest::newRow("RTQNameLA") << hex("12") << 0x12 << 0u << 0u << 0u << true << true << true;
    QTest::newRow("Multiname") << hex("090101") << 0x09 << 0u << 1u << 1u << false << false << false;
    QTest::newRow("MultinameA") << hex("0e0201") << 0x0E << 0u << 2u << 1u << true << false << false;
    QTest::newRow("MultinameL") << hex("1b01") << 0x1B << 0u << 0u << 1u << false << false << true;
    QTest::newRow("MultinameLA") << hex("1c01") << 0x1C << 0u << 0u << 1u << true << false << true;
}

void Avm2AbcTest::multinames()
{
    QFETCH(QByteArray, entry);
    QFETCH(int, kind);
    Block b = standard();
    b.multinames = Writer().u30(2).raw(entry).bytes;
    QString error;
    const auto abc = ReadAbc(b.build(), &error);
    QVERIFY2(abc, qPrintable(error));
    const AbcMultiname &m = abc->multinames[1];
    QCOMPARE(int(m.kind), kind);
    QTEST(m.ns, "ns");
    QTEST(m.name, "name");
    QTEST(m.nsSet, "nsSet");
    QTEST(m.isAttribute(), "attribute");
    QTEST(m.hasRuntimeNamespace(), "runtimeNs");
    QTEST(m.hasRuntimeName(), "runtimeName");
}

void Avm2AbcTest::fullBlock()
{
    QString error;
    const auto abc = ReadAbc(full().build(), &error);
    QVERIFY2(abc, qPrintable(error));
    QCOMPARE(abc->multinames[4].kind, MultinameKind::TypeName);
    QCOMPARE(abc->multinames[4].typeName, 2u);
    QCOMPARE(abc->multinames[4].typeParams, std::vector<uint32_t>{3});

    const AbcMethod &m = abc->methods[1];
    QCOMPARE(m.paramTypes, (std::vector<uint32_t>{3, 2}));
    QCOMPARE(m.returnType, 3u);
    QCOMPARE(m.optionals.size(), size_t(2));
    QCOMPARE(m.optionals[0].kind, ConstantKind::Int);
    QCOMPARE(abc->ints[m.optionals[0].index], -5);
    QCOMPARE(m.optionals[1].kind, ConstantKind::Utf8);
    QCOMPARE(m.paramNames, (std::vector<uint32_t>{1, 3}));
    QCOMPARE(m.body, 0);
    QCOMPARE(abc->methods[0].body, -1);

    QCOMPARE(abc->metadata[0].items, (std::vector<std::pair<uint32_t, uint32_t>>{{2, 3}}));

    const AbcInstance &in = abc->instances[0];
    QCOMPARE(in.protectedNs, 2u);
    QCOMPARE(in.interfaces, std::vector<uint32_t>{2});
    QCOMPARE(in.traits.size(), size_t(3));
    QCOMPARE(in.traits[0].kind, TraitKind::Slot);
    QCOMPARE(in.traits[0].value.kind, ConstantKind::Int);
    QCOMPARE(in.traits[1].kind, TraitKind::Method);
    QCOMPARE(in.traits[1].attributes, uint8_t(TraitFinal | TraitMetadata));
    QCOMPARE(in.traits[1].metadata, std::vector<uint32_t>{0});
    QCOMPARE(in.traits[2].kind, TraitKind::Getter);
    QCOMPARE(in.traits[2].attributes, uint8_t(TraitOverride));
    QCOMPARE(abc->classes[0].traits[0].kind, TraitKind::Const);
    QCOMPARE(abc->classes[0].traits[0].typeName, 4u);
    QCOMPARE(abc->scripts[0].traits[0].kind, TraitKind::Class);
    QCOMPARE(abc->scripts[0].traits[1].kind, TraitKind::Function);

    const AbcBody &body = abc->bodies[0];
    QCOMPARE(body.localCount, 3u);
    QCOMPARE(body.code.size(), 10);
    QCOMPARE(body.exceptions.size(), size_t(1));
    QCOMPARE(body.exceptions[0].target, 9u);
    QCOMPARE(body.exceptions[0].type, 3u);
    QCOMPARE(body.traits.size(), size_t(1));
}

void Avm2AbcTest::refusals_data()
{
    QTest::addColumn<QString>("reason"); // words the error holds
    QTest::addColumn<QByteArray>("block");
    const auto with = [](auto change) {
        Block b = full();
        change(b);
        return b.build();
    };
    QTest::newRow("huge int count") << "exceeds" << with([](Block &b) { b.ints = Writer().u30(1000000).bytes; });
    QTest::newRow("count past the limit") << "limit" << with([](Block &b) { b.strings = Writer().u30(0xFFFFFFF).bytes; });
    QTest::newRow("string past the end") << "string runs past" << with([](Block &b) { b.strings = Writer().u30(2).u30(100000).bytes; });
    QTest::newRow("namespace's string") << "string index" << with([](Block &b) { b.namespaces = Writer().u30(2).u8(0x16).u30(9).bytes; });
    QTest::newRow("namespace kind") << "namespace has an unknown kind" << with([](Block &b) { b.namespaces = Writer().u30(2).u8(0x42).u30(1).bytes; });
    QTest::newRow("set's namespace") << "namespace index" << with([](Block &b) { b.nsSets = Writer().u30(2).u30(1).u30(7).bytes; });
    QTest::newRow("multiname kind") << "multiname has an unknown kind" << with([](Block &b) { b.multinames = Writer().u30(2).u8(0x01).bytes; });
    QTest::newRow("QName's namespace") << "namespace index" << with([](Block &b) { b.multinames = Writer().u30(2).u8(0x07).u30(5).u30(1).bytes; });
    QTest::newRow("multiname's empty set") << "no namespace set" << with([](Block &b) { b.multinames = Writer().u30(2).u8(0x1B).u30(0).bytes; });
    QTest::newRow("type name's parameter") << "parameter is out of range" << with([](Block &b) {
        b.multinames = Writer().u30(2).u8(0x1D).u30(1).u30(1).u30(2).bytes;
    });
    QTest::newRow("huge method count") << "exceeds" << with([](Block &b) { b.methods = Writer().u30(0xFFFFF).bytes; });
    QTest::newRow("more defaults than parameters") << "more defaults" << with([](Block &b) {
        b.methods = Writer().u30(1).u30(0).u30(0).u30(0).u8(0x08).u30(1).u30(1).u8(0x03).bytes;
    });
    QTest::newRow("default's int") << "int constant" << with([](Block &b) {
        b.methods = Writer().u30(1).u30(1).u30(0).u30(0).u30(0).u8(0x08).u30(1).u30(7).u8(0x03).bytes;
    });
    QTest::newRow("default's kind") << "constant has an unknown kind" << with([](Block &b) {
        b.methods = Writer().u30(1).u30(1).u30(0).u30(0).u30(0).u8(0x08).u30(1).u30(0).u8(0x02).bytes;
    });
    QTest::newRow("instance init method") << "method index" << with([](Block &b) { b.classes[7] = 9; });
    QTest::newRow("trait kind") << "trait has an unknown kind" << with([](Block &b) { b.scripts[4] = 0x07; });
    QTest::newRow("trait name not a QName") << "qualified" << with([](Block &b) { b.scripts[3] = 4; });
    QTest::newRow("class trait's class") << "class index" << with([](Block &b) { b.scripts[6] = 1; });
    QTest::newRow("script init method") << "method index" << with([](Block &b) { b.scripts[1] = 2; });
    QTest::newRow("body's method") << "method index" << with([](Block &b) { b.bodies[1] = 2; });
    QTest::newRow("two bodies") << "two bodies" << with([](Block &b) {
        const QByteArray body = b.bodies.mid(1);
        b.bodies = Writer().u30(2).raw(body).raw(body).bytes;
    });
    QTest::newRow("registers past the limit") << "too many registers" << with([](Block &b) {
        b.bodies = b.bodies.left(3) + Writer().u30(0x10000000).bytes + b.bodies.mid(4);
    });
    QTest::newRow("code past the end") << "body runs past" << with([](Block &b) { b.bodies[6] = 0x7F; });
    QTest::newRow("handler past the code") << "outside its code" << with([](Block &b) { b.bodies[20] = 10; });
    QTest::newRow("handler range reversed") << "outside its code" << with([](Block &b) { b.bodies[18] = 5; b.bodies[19] = 4; });
    QTest::newRow("handler's type") << "multiname index" << with([](Block &b) { b.bodies[21] = 9; });
    QTest::newRow("trailing list count") << "exceeds" << with([](Block &b) { b.bodies = Writer().u30(3).bytes; });
}

void Avm2AbcTest::refusals()
{
    QFETCH(QString, reason);
    QFETCH(QByteArray, block);
    QString error;
    QVERIFY(!ReadAbc(block, &error));
    QVERIFY2(error.contains(reason), qPrintable(error));
}

void Avm2AbcTest::everyPrefixIsRefused()
{
    // Every field is read in turn and none is optional at the end, so any
    // cut-short block lacks something the reader needs.
    const QByteArray block = full().build();
    QVERIFY(ReadAbc(block));
    for (int size = 0; size < block.size(); ++size)
        QVERIFY2(!ReadAbc(block.left(size)), qPrintable(QString::number(size)));
}

void Avm2AbcTest::damagedBlocks_data()
{
    QTest::addColumn<int>("value");
    QTest::newRow("zero") << 0x00;
    QTest::newRow("largest one-byte u30") << 0x7F;
    QTest::newRow("continuation") << 0x80;
    QTest::newRow("all bits") << 0xFF;
}

void Avm2AbcTest::damagedBlocks()
{
    // Each byte of a valid block overwritten in turn: the reader refuses or
    // reads it, and what it reads can be listed, without a crash or a hang.
    QFETCH(int, value);
    const QByteArray block = full().build();
    int read = 0;
    for (int at = 0; at < block.size(); ++at) {
        QByteArray damaged = block;
        damaged[at] = char(value);
        QString error;
        const auto abc = ReadAbc(damaged, &error);
        if (abc) {
            ++read;
            QVERIFY(!DisassembleAbc(*abc).isEmpty());
        } else {
            QVERIFY(!error.isEmpty());
        }
    }
    QVERIFY(read > 0);
}

void Avm2AbcTest::instructions_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QString>("name"); // empty: not decodable
    QTest::addColumn<int>("length");
    QTest::addColumn<QList<qint64>>("operands");
    using L = QList<qint64>;
    QTest::newRow("bkpt") << hex("01") << "bkpt" << 1 << L{};
    QTest::newRow("getsuper") << hex("0481") << "" << 0 << L{};
    QTest::newRow("dxns") << hex("0605") << "dxns" << 2 << L{5};
    QTest::newRow("ifnlt back") << hex("0cfcffff") << "ifnlt" << 4 << L{-4};
    QTest::newRow("pushbyte") << hex("24ff") << "pushbyte" << 2 << L{255};
    QTest::newRow("hasnext2") << hex("320102") << "hasnext2" << 3 << L{1, 2};
    QTest::newRow("li8") << hex("35") << "li8" << 1 << L{};
    QTest::newRow("sf64") << hex("3e") << "sf64" << 1 << L{};
    QTest::newRow("call") << hex("4103") << "call" << 2 << L{3};
    QTest::newRow("callproperty") << hex("468001" "02") << "callproperty" << 4 << L{128, 2};
    QTest::newRow("sxi16") << hex("52") << "sxi16" << 1 << L{};
    QTest::newRow("getlex") << hex("6007") << "getlex" << 2 << L{7};
    QTest::newRow("getscopeobject") << hex("6501") << "getscopeobject" << 2 << L{1};
    QTest::newRow("getouterscope") << hex("6702") << "getouterscope" << 2 << L{2};
    QTest::newRow("convert_s") << hex("70") << "convert_s" << 1 << L{};
    QTest::newRow("debug") << hex("ef0103000a") << "debug" << 5 << L{1, 3, 0, 10};
    QTest::newRow("debugline") << hex("f00c") << "debugline" << 2 << L{12};
    QTest::newRow("debugfile") << hex("f102") << "debugfile" << 2 << L{2};
    QTest::newRow("bkptline") << hex("f201") << "bkptline" << 2 << L{1};
    QTest::newRow("timestamp") << hex("f3") << "timestamp" << 1 << L{};
    QTest::newRow("lookupswitch") << hex("1b0a0000" "01" "050000" "f6ffff") << "lookupswitch" << 11 << L{10, 1};
    QTest::newRow("lookupswitch huge count") << hex("1b000000" "ffffffff0f") << "" << 0 << L{};
    QTest::newRow("jump cut short") << hex("1001") << "" << 0 << L{};
    QTest::newRow("0x00") << hex("00") << "" << 0 << L{};
    QTest::newRow("0x0a") << hex("0a") << "" << 0 << L{};
    QTest::newRow("0x22") << hex("22") << "" << 0 << L{};
    QTest::newRow("0xff") << hex("ff") << "" << 0 << L{};
}

void Avm2AbcTest::instructions()
{
    QFETCH(QByteArray, code);
    QFETCH(QString, name);
    QFETCH(QList<qint64>, operands);
    const auto in = DecodeInstruction(code, 0);
    QCOMPARE(bool(in), !name.isEmpty());
    if (!in)
        return;
    QCOMPARE(QString::fromLatin1(in->info->name), name);
    QCOMPARE(OpcodeInfo(in->opcode), in->info);
    QTEST(in->length, "length");
    QCOMPARE(in->info->operandCount, int(operands.size()));
    for (int i = 0; i < operands.size(); ++i)
        QCOMPARE(qint64(in->operands[i]), operands[i]);
    if (in->op() == Op::LookupSwitch) {
        // Its offsets count from the lookupswitch byte, not the next instruction.
        QCOMPARE(in->target(in->caseOffsets[0]), int64_t(5));
        QCOMPARE(in->target(in->caseOffsets[1]), int64_t(-10));
    }
}

void Avm2AbcTest::disassembly_data()
{
    QTest::addColumn<QString>("expected");
    QTest::newRow("class") << "class 0 pkg::x extends *";
    QTest::newRow("interfaces") << "implements pkg::Vector";
    QTest::newRow("slot") << "slot 1 pkg::x : pkg::int = -5";
    QTest::newRow("type name") << "pkg::Vector.<pkg::int> = 2.5";
    QTest::newRow("metadata") << "final [x]";
    QTest::newRow("signature") << "(x:pkg::int = -5, Vector:pkg::Vector = \"pkg\") : pkg::int";
    QTest::newRow("quoted string") << "pushstring \"x\"";
    QTest::newRow("jump target") << "jump -> 9";
    QTest::newRow("handler") << "catch 0..9 -> 9 type pkg::int as pkg::x";
}

void Avm2AbcTest::disassembly()
{
    QFETCH(QString, expected);
    const auto abc = ReadAbc(full().build());
    QVERIFY(abc);
    const QString text = DisassembleAbc(*abc);
    QVERIFY2(text.contains(expected), qPrintable(text));
}

void Avm2AbcTest::corpus()
{
    const QString folder = corpusFolder();
    if (folder.isEmpty())
        QSKIP("no ActionScript 3 corpus beside the project");
    int blocks = 0;
    QStringList failures;
    QDirIterator it(folder, {QStringLiteral("test.swf")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const auto found = MovieAbcBlocks::read(file.readAll());
        if (found.empty())
            failures << path + ": no ABC block";
        for (const auto &block : found) {
            QString error;
            const auto abc = ReadAbc(block.bytes, &error);
            ++blocks;
            if (!abc) {
                failures << path + ": " + error;
                continue;
            }
            // The compiler's operands all lie in their pools.
            const QString listing = DisassembleAbc(*abc);
            if (listing.contains(QLatin1String("<bad")) || listing.contains(QLatin1String("<undecodable")))
                failures << path + ": an operand the listing cannot resolve";
            for (const AbcBody &body : abc->bodies) {
                const QString problem = checkCode(body);
                if (!problem.isEmpty()) {
                    failures << path + ": " + problem;
                    break;
                }
            }
        }
    }
    qInfo("%d ABC blocks read, %d failures", blocks, int(failures.size()));
    QVERIFY2(failures.isEmpty(), qPrintable(failures.mid(0, 10).join('\n')));
}

QTEST_GUILESS_MAIN(Avm2AbcTest)
#include "tst_avm2_abc.moc"
