// The ABC writer the tools make ActionScript 3 movies with: the engine's
// reader reads back what it writes, and the programs it assembles run.
#include "../tools/MovieAbcBlocks.h"
#include "../tools/demo/As3Cartoon.h"
#include "AbcWriter.h"
#include "swf/avm2/AbcDisassembler.h"
#include "swf/avm2/Runtime.h"

#include <QtTest>

#include <cmath>
#include <functional>

using namespace AbcWriter;

namespace {

// Builds a script's code and gives the script's traits; the script traces
// through the "trace" it is given.
using ScriptBuilder = std::function<std::vector<AbcTrait>(Abc &, Code &, uint32_t trace)>;

QByteArray scriptBlock(const ScriptBuilder &build)
{
    Abc abc;
    Code code;
    const uint32_t trace = abc.qname("", "trace");
    code.op(Op::GetLocal0).op(Op::PushScope);
    const std::vector<AbcTrait> traits = build(abc, code, trace);
    code.op(Op::ReturnVoid);
    abc.script(abc.method(0, code, {3, 3, 0, 2}), traits);
    return abc.bytes();
}

// With TESSARO_SEED_DIR set, every block run here is kept there too, as
// fuzzing seeds (tools/fuzz-abc.sh).
void keepSeed(const QByteArray &block)
{
    static int count = 0;
    const QString folder = qEnvironmentVariable("TESSARO_SEED_DIR");
    if (folder.isEmpty())
        return;
    QFile seed(QStringLiteral("%1/writer-%2.abc").arg(folder).arg(++count));
    if (seed.open(QIODevice::WriteOnly))
        seed.write(block);
}

QStringList run(const QByteArray &block)
{
    keepSeed(block);
    QStringList lines;
    swf::avm2::Runtime rt;
    rt.onTrace = [&lines](const QString &line) { lines << line; };
    QString error;
    if (!rt.loadAbc(block, false, &error))
        lines << "refused: " + error;
    return lines;
}

void traceString(Abc &abc, Code &code, uint32_t trace, const QString &text)
{
    code.op(Op::FindPropStrict, {trace}).op(Op::PushString, {abc.string(text)});
    code.op(Op::CallPropVoid, {trace, 1});
}

// A block with an entry of each kind: every pool, a method with defaults
// and names, metadata, a class with traits of each kind, a handler.
Abc everything()
{
    Abc abc;
    abc.integer(-70000);
    abc.uinteger(4000000000u);
    abc.number(2.5);
    const uint32_t pkg = abc.packageNs("pkg");
    const uint32_t priv = abc.ns(NamespaceKind::Private, "");
    const uint32_t set = abc.nsSet({pkg, priv});
    const uint32_t x = abc.qname(pkg, QStringLiteral("x\u00e9"));
    abc.multinameIn(set, "y");
    abc.multinameL(set);
    AbcMultiname vectorOfInt;
    vectorOfInt.kind = MultinameKind::TypeName;
    vectorOfInt.typeName = abc.qname("__AS3__.vec", "Vector");
    vectorOfInt.typeParams = {abc.qname("", "int")};
    const uint32_t vector = abc.multiname(vectorOfInt);

    AbcMethod signature;
    signature.paramTypes = {abc.qname("", "int"), 0};
    signature.returnType = vector;
    signature.flags = swf::avm2::MethodHasOptional | swf::avm2::MethodHasParamNames;
    signature.optionals = {AbcConstant{ConstantKind::Int, abc.integer(-70000)}, AbcConstant{ConstantKind::Null, 0}};
    signature.paramNames = {abc.string("a"), abc.string("b")};
    const uint32_t withDefaults = abc.method(signature);
    Code code;
    code.op(Op::PushByte, {uint32_t(-3) & 0xFF}).op(Op::Throw);
    const int end = code.size();
    code.op(Op::ReturnValue);
    abc.body(withDefaults, code, {2, 3, 1, 2}, {AbcException{0, uint32_t(end), uint32_t(end), 0, x}});

    abc.file.metadata.push_back({abc.string("Meta"), {{abc.string("k"), abc.string("v")}}});
    const uint32_t cls = abc.addClass(x, abc.qname("", "Object"), withDefaults, withDefaults,
                                      swf::avm2::InstanceSealed | swf::avm2::InstanceProtectedNs);
    abc.file.instances[cls].protectedNs = abc.ns(NamespaceKind::Protected, "pkg:x");
    AbcTrait typed = slot(abc.qname(pkg, "s"), 1, abc.qname("", "int"), {ConstantKind::Int, abc.integer(7)});
    typed.metadata = {0};
    abc.file.instances[cls].traits = {typed, methodTrait(abc.qname(pkg, "m"), withDefaults, TraitKind::Method, swf::avm2::TraitFinal),
                                      methodTrait(abc.qname(pkg, "g"), withDefaults, TraitKind::Getter, swf::avm2::TraitOverride),
                                      methodTrait(abc.qname(pkg, "g"), withDefaults, TraitKind::Setter)};
    AbcTrait constant = slot(abc.qname(pkg, "c"), 2, 0, {ConstantKind::Double, abc.number(2.5)});
    constant.kind = TraitKind::Const;
    abc.file.classes[cls].traits = {constant, slot(abc.qname(pkg, "t"), 0, 0, {ConstantKind::True, 0})};
    abc.script(withDefaults, {classTrait(x, cls, 1)});
    return abc;
}

} // namespace

Q_DECLARE_METATYPE(ScriptBuilder)

class Avm2WriterTest : public QObject {
    Q_OBJECT
private slots:
    void readsBackWhatItWrites()
    {
        const Abc abc = everything();
        const QByteArray bytes = abc.bytes();
        QString error;
        const auto read = swf::avm2::ReadAbc(bytes, &error);
        QVERIFY2(read, qPrintable(error));
        QCOMPARE(read->ints, abc.file.ints);
        QCOMPARE(read->uints, abc.file.uints);
        QCOMPARE(read->doubles.size(), abc.file.doubles.size());
        QCOMPARE(read->doubles.back(), 2.5);
        QCOMPARE(read->strings, abc.file.strings);
        QCOMPARE(read->nsSets, abc.file.nsSets);
        QCOMPARE(read->multinames.size(), abc.file.multinames.size());
        for (size_t i = 0; i < read->multinames.size(); ++i) {
            QCOMPARE(read->multinames[i].kind, abc.file.multinames[i].kind);
            QCOMPARE(read->multinames[i].typeParams, abc.file.multinames[i].typeParams);
        }
        QCOMPARE(read->methods[0].optionals.size(), size_t(2));
        QCOMPARE(read->methods[0].optionals[1].kind, ConstantKind::Null);
        QCOMPARE(read->methods[0].paramNames, abc.file.methods[0].paramNames);
        QCOMPARE(read->metadata[0].items, abc.file.metadata[0].items);
        QCOMPARE(read->instances[0].traits.size(), size_t(4));
        QCOMPARE(read->instances[0].traits[0].metadata, std::vector<uint32_t>{0});
        QCOMPARE(read->instances[0].traits[3].kind, TraitKind::Setter);
        QCOMPARE(read->instances[0].protectedNs, abc.file.instances[0].protectedNs);
        QCOMPARE(read->classes[0].traits[0].kind, TraitKind::Const);
        QCOMPARE(read->classes[0].traits[1].value.kind, ConstantKind::True);
        QCOMPARE(read->bodies[0].code, abc.file.bodies[0].code);
        QCOMPARE(read->bodies[0].exceptions[0].varName, abc.file.bodies[0].exceptions[0].varName);
        // What the reader made writes out as the same bytes.
        QCOMPARE(write(*read), bytes);
        QVERIFY(swf::avm2::DisassembleAbc(*read).contains("throw"));
    }

    void programsRun_data()
    {
        QTest::addColumn<ScriptBuilder>("build");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("backward branch") << ScriptBuilder([](Abc &, Code &code, uint32_t trace) {
            code.pushSmall(0).op(Op::SetLocal1).pushSmall(1).op(Op::SetLocal2);
            const Code::Label loop = code.label();
            code.op(Op::GetLocal1).op(Op::GetLocal2).op(Op::Add).op(Op::SetLocal1);
            code.op(Op::IncLocalI, {2});
            code.op(Op::GetLocal2).pushSmall(1000).jumpTo(Op::IfLt, loop);
            code.op(Op::FindPropStrict, {trace}).op(Op::GetLocal1).op(Op::CallPropVoid, {trace, 1});
            return std::vector<AbcTrait>{};
        }) << QStringList{"499500"};
        QTest::newRow("forward branch") << ScriptBuilder([](Abc &abc, Code &code, uint32_t trace) {
            const Code::Label skip = code.newLabel();
            code.op(Op::PushFalse).jumpTo(Op::IfFalse, skip);
            traceString(abc, code, trace, "not skipped");
            code.place(skip);
            traceString(abc, code, trace, "after");
            return std::vector<AbcTrait>{};
        }) << QStringList{"after"};
        QTest::newRow("lookupswitch") << ScriptBuilder([](Abc &abc, Code &code, uint32_t trace) {
            const Code::Label otherwise = code.newLabel(), done = code.newLabel();
            const std::vector<Code::Label> cases{code.newLabel(), code.newLabel(), code.newLabel()};
            code.pushSmall(2).lookupSwitch(otherwise, cases);
            for (int i = 0; i < 3; ++i) {
                code.place(cases[size_t(i)]);
                traceString(abc, code, trace, QString::number(i));
                code.jumpTo(done);
            }
            code.place(otherwise);
            traceString(abc, code, trace, "other");
            code.place(done);
            return std::vector<AbcTrait>{};
        }) << QStringList{"2"};
        QTest::newRow("class with a method and a getter") << ScriptBuilder([](Abc &abc, Code &code, uint32_t trace) {
            const uint32_t name = abc.qname("", "Greeter"), object = abc.qname("", "Object");
            Code ctor;
            ctor.op(Op::GetLocal0).op(Op::PushScope).op(Op::GetLocal0).op(Op::ConstructSuper, {0});
            ctor.op(Op::ReturnVoid);
            Code statics;
            statics.op(Op::ReturnVoid);
            const uint32_t cls = abc.addClass(name, object, abc.method(0, ctor, {1, 1, 2, 3}),
                                              abc.method(0, statics, {1, 1, 2, 2}));
            Code greet;
            greet.op(Op::PushString, {abc.string("hi")}).op(Op::ReturnValue);
            Code answer;
            answer.pushSmall(42).op(Op::ReturnValue);
            abc.file.instances[cls].traits = {
                methodTrait(abc.qname("", "greet"), abc.method(0, greet, {1, 1, 2, 3})),
                methodTrait(abc.qname("", "answer"), abc.method(0, answer, {1, 1, 2, 3}), TraitKind::Getter)};
            Abc::defineClass(code, name, cls, {object});
            code.op(Op::FindPropStrict, {trace});
            code.op(Op::FindPropStrict, {name}).op(Op::ConstructProp, {name, 0}).op(Op::SetLocal1);
            code.op(Op::GetLocal1).op(Op::CallProperty, {abc.qname("", "greet"), 0});
            code.op(Op::GetLocal1).op(Op::GetProperty, {abc.qname("", "answer")}).op(Op::Add);
            code.op(Op::CallPropVoid, {trace, 1});
            return std::vector<AbcTrait>{classTrait(name, cls)};
        }) << QStringList{"hi42"};
        // Slots belong to objects: malformed code reaching for one on a
        // primitive fails to verify instead of reading through nothing.
        QTest::newRow("getslot on a number") << ScriptBuilder([](Abc &, Code &code, uint32_t) {
            code.pushSmall(5).op(Op::GetSlot, {1}).op(Op::Pop);
            return std::vector<AbcTrait>{};
        }) << QStringList{"VerifyError: Error #1011: Method  contained illegal opcode 108 at offset 4."};
        QTest::newRow("setslot on a string") << ScriptBuilder([](Abc &abc, Code &code, uint32_t) {
            code.op(Op::PushString, {abc.string("s")}).pushSmall(1).op(Op::SetSlot, {1});
            return std::vector<AbcTrait>{};
        }) << QStringList{"VerifyError: Error #1011: Method  contained illegal opcode 109 at offset 6."};
        // A slot's default is coerced to its type as the block loads; one that
        // cannot be is reported and the block refused, the script never run.
        QTest::newRow("slot default its type cannot hold") << ScriptBuilder([](Abc &abc, Code &code, uint32_t trace) {
            traceString(abc, code, trace, "ran");
            return std::vector<AbcTrait>{slot(abc.qname("", "e"), 1, abc.qname("", "Error"),
                                              {ConstantKind::Utf8, abc.string("text")})};
        }) << QStringList{"TypeError: Error #1034: Type Coercion failed: cannot convert String to Error.",
                          "refused: a script's slot has a default value its type cannot hold"};
    }

    void programsRun()
    {
        QFETCH(ScriptBuilder, build);
        QTEST(run(scriptBlock(build)), "expected");
    }

    void handlerCatchesAThrow()
    {
        Abc abc;
        Code code;
        const uint32_t trace = abc.qname("", "trace");
        code.op(Op::GetLocal0).op(Op::PushScope);
        const int from = code.size();
        code.op(Op::PushString, {abc.string("boom")}).op(Op::Throw);
        const int to = code.size();
        // The handler starts with the thrown value and an empty scope stack.
        code.op(Op::SetLocal1).op(Op::GetLocal0).op(Op::PushScope);
        code.op(Op::FindPropStrict, {trace}).op(Op::PushString, {abc.string("caught ")}).op(Op::GetLocal1);
        code.op(Op::Add).op(Op::CallPropVoid, {trace, 1}).op(Op::ReturnVoid);
        const uint32_t init = abc.method(AbcMethod{});
        abc.body(init, code, {3, 2, 0, 1}, {AbcException{uint32_t(from), uint32_t(to), uint32_t(to), 0, 0}});
        abc.script(init);
        QCOMPARE(run(abc.bytes()), QStringList{"caught boom"});
    }

    void movieTags()
    {
        QCOMPARE(fileAttributes(), QByteArray::fromHex("4411" "08000000"));
        QCOMPARE(symbolClass({{0, "Cartoon"}}), QByteArray::fromHex("0c13" "0100" "0000") + "Cartoon" + QByteArray(1, '\0'));
        const QByteArray block = scriptBlock([](Abc &, Code &, uint32_t) { return std::vector<AbcTrait>{}; });
        const QByteArray movie = SwfWriter::movie(fileAttributes() + doAbc("main", block), FirstAs3Version);
        const auto blocks = MovieAbcBlocks::read(movie);
        QCOMPARE(blocks.size(), size_t(1));
        QCOMPARE(blocks[0].name, QString("main"));
        QCOMPARE(blocks[0].bytes, block);
    }

    // The demo's cartoon: one block whose scripts define the document class
    // over Sprite and the chime's class over Sound, linked by SymbolClass.
    void demoCartoon()
    {
        const QByteArray movie = As3Cartoon::movie(std::vector<int16_t>(64, 0));
        const auto blocks = MovieAbcBlocks::read(movie);
        QCOMPARE(blocks.size(), size_t(1));
        const auto abc = swf::avm2::ReadAbc(blocks[0].bytes);
        QVERIFY(abc);
        QCOMPARE(abc->scripts.size(), size_t(2));
        const auto className = [&](const AbcInstance &in, uint32_t multiname) {
            return abc->strings[abc->multinames[multiname].name] + "<" + abc->strings[abc->multinames[in.superName].name];
        };
        QCOMPARE(className(abc->instances[0], abc->instances[0].name), QString("CartoonChime<Sound"));
        QCOMPARE(className(abc->instances[1], abc->instances[1].name), QString("Cartoon<Sprite"));
        QVERIFY(movie.contains(symbolClass({{As3Cartoon::ChimeId, "CartoonChime"}, {0, "Cartoon"}})));
        const QString code = swf::avm2::DisassembleAbc(*abc);
        for (const char *call : {"addEventListener 2", "drawCircle 3", "drawRect 4", "flash.utils::Timer 1", "::play 0"})
            QVERIFY2(code.contains(QLatin1String(call)), call);
    }
};

QTEST_GUILESS_MAIN(Avm2WriterTest)
#include "tst_avm2_writer.moc"
