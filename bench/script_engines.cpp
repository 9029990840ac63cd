// The two script engines on the same work: ActionScript 3 (a block written
// with AbcWriter, run by the AVM2 runtime) against ActionScript 2 (actions
// assembled with ActionAssembler, run by the movie player's frames). Each
// case runs a loop in a function's registers: counting, calling a method of
// an object, reading and writing a property of an object, and building a
// string. Prints the processor time per loop round for each engine and
// their ratio.
//   script_engines
#include "AbcWriter.h"
#include "ActionAssembler.h"
#include "SwfWriter.h"
#include "swf/MoviePlayer.h"
#include "swf/avm2/Runtime.h"

#include <QCoreApplication>

#include <cstdio>
#include <ctime>
#include <functional>

using AbcWriter::Abc;
using AbcWriter::Code;
using AbcWriter::Op;

namespace {

// Rounds of one ActionScript 2 block: its engine stops a block after a
// million actions, and a round takes up to a dozen.
constexpr int Rounds = 50000;
// Runs of each block: frames of the ActionScript 2 movie, loads of the
// ActionScript 3 block (each load runs its script).
constexpr int Runs = 20;
// Strings grow by two characters a round: fewer rounds keep them short.
constexpr int StringRounds = 1000;

struct Case {
    const char *name;
    int rounds; // a run
    // The loop's body in ActionScript 2: the counter in r2, the object or
    // string in r3; the function's result in r3 is traced.
    const char *as2Setup;
    const char *as2Body;
    // The same in ActionScript 3: the counter in local 1, r3 in local 2.
    std::function<void(Abc &, Code &)> as3Setup;
    std::function<void(Abc &, Code &)> as3Body;
};

// function2 work(): loops `rounds` times over the body, returns r3; each
// frame calls it and traces the result.
QByteArray as2Movie(const Case &c)
{
    const QString source = QStringLiteral(R"(function2 work() 4 0x2A
push 0
storeregister 2
pop
%1
loop:
push r2, %2
less2
not
if done
%3
push r2
increment
storeregister 2
pop
jump loop
done:
push r3
return
end
push 0, "work"
callfunction
trace
)").arg(QString::fromLatin1(c.as2Setup)).arg(c.rounds).arg(QString::fromLatin1(c.as2Body));
    const QByteArray actions = ActionAssembler::assemble(source);
    QByteArray tags;
    for (int frame = 0; frame < Runs; ++frame)
        tags += SwfWriter::doAction(actions) + SwfWriter::showFrame();
    return SwfWriter::movie(tags, 8);
}

QByteArray as3Block(const Case &c)
{
    Abc abc;
    Code code;
    code.op(Op::GetLocal0).op(Op::PushScope);
    code.pushSmall(0).op(Op::SetLocal1);
    c.as3Setup(abc, code);
    const Code::Label test = code.newLabel();
    code.jumpTo(test);
    const Code::Label loop = code.label();
    c.as3Body(abc, code);
    code.op(Op::IncLocalI, {1});
    code.place(test);
    code.op(Op::GetLocal1).op(Op::PushInt, {abc.integer(c.rounds)}).jumpTo(Op::IfLt, loop);
    const uint32_t trace = abc.qname("", "trace");
    code.op(Op::FindPropStrict, {trace}).op(Op::GetLocal2).op(Op::CallPropVoid, {trace, 1}).op(Op::ReturnVoid);
    abc.script(abc.method(0, code, {6, 3, 0, 2}));
    return abc.bytes();
}

// Seconds of processor time this process has used: the figures hold on a
// busy machine too.
double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + now.tv_nsec / 1e9;
}

// Seconds per round, and what the last run traced.
struct Timing {
    double perRound = 0;
    QString traced;
};

Timing timeAs2(const Case &c)
{
    const QByteArray movie = as2Movie(c);
    const double start = cpuSeconds();
    swf::MoviePlayer player;
    int frames = 0;
    Timing t;
    player.onTrace = [&](const QString &line) {
        ++frames;
        t.traced = line;
    };
    QString error;
    if (!player.load(movie, &error))
        return t;
    while (frames < Runs && player.currentFrame() < Runs - 1)
        player.advance();
    t.perRound = (cpuSeconds() - start) / (double(frames) * c.rounds);
    return t;
}

Timing timeAs3(const Case &c)
{
    const QByteArray block = as3Block(c);
    swf::avm2::Runtime rt;
    Timing t;
    rt.onTrace = [&t](const QString &line) { t.traced = line; };
    const double start = cpuSeconds();
    for (int run = 0; run < Runs; ++run)
        rt.loadAbc(block, false);
    t.perRound = (cpuSeconds() - start) / (double(Runs) * c.rounds);
    return t;
}

// The AS3 side of "call a method": class Adder { function next(x) { return x + 1 } }.
uint32_t adderClass(Abc &abc, Code &init)
{
    const uint32_t name = abc.qname("", "Adder"), object = abc.qname("", "Object");
    Code ctor;
    ctor.op(Op::GetLocal0).op(Op::PushScope).op(Op::GetLocal0).op(Op::ConstructSuper, {0}).op(Op::ReturnVoid);
    Code statics;
    statics.op(Op::ReturnVoid);
    const uint32_t cls = abc.addClass(name, object, abc.method(0, ctor, {1, 1, 0, 1}), abc.method(0, statics, {1, 1, 0, 1}));
    Code next;
    next.op(Op::GetLocal1).op(Op::Increment).op(Op::ReturnValue);
    abc.file.instances[cls].traits = {AbcWriter::methodTrait(abc.qname("", "next"), abc.method(1, next, {2, 2, 0, 1}))};
    Abc::defineClass(init, name, cls, {object});
    return name;
}

std::vector<Case> cases()
{
    return {
        {"counting loop (sum += i)", Rounds, "push 0\nstoreregister 3\npop", "push r3, r2\nadd2\nstoreregister 3\npop",
         [](Abc &, Code &c) { c.pushSmall(0).op(Op::SetLocal2); },
         [](Abc &, Code &c) { c.op(Op::GetLocal2).op(Op::GetLocal1).op(Op::Add).op(Op::SetLocal2); }},
        {"method call (o.next(i))", Rounds,
         "push 0, \"Object\"\nnewobject\nstoreregister 3\npop\npush r3, \"next\"\nfunction2 (r1:x) 2 0x2A\npush r1\n"
         "increment\nreturn\nend\nsetmember",
         "push r2, 1, r3, \"next\"\ncallmethod\npop",
         [](Abc &abc, Code &c) {
             const uint32_t adder = adderClass(abc, c);
             c.op(Op::FindPropStrict, {adder}).op(Op::ConstructProp, {adder, 0}).op(Op::SetLocal2);
         },
         [](Abc &abc, Code &c) {
             c.op(Op::GetLocal2).op(Op::GetLocal1).op(Op::CallPropVoid, {abc.qname("", "next"), 1});
         }},
        {"property access (o.x = o.x + 1)", Rounds,
         "push \"x\", 0, 1\ninitobject\nstoreregister 3\npop",
         "push r3, \"x\", r3, \"x\"\ngetmember\npush 1\nadd2\nsetmember",
         [](Abc &abc, Code &c) {
             c.op(Op::PushString, {abc.string("x")}).pushSmall(0).op(Op::NewObject, {1}).op(Op::SetLocal2);
         },
         [](Abc &abc, Code &c) {
             const uint32_t x = abc.qname("", "x");
             c.op(Op::GetLocal2).op(Op::GetLocal2).op(Op::GetProperty, {x}).op(Op::Increment);
             c.op(Op::SetProperty, {x});
         }},
        {"string building (s = s + \"ab\")", StringRounds, "push \"\"\nstoreregister 3\npop",
         "push r3, \"ab\"\nadd2\nstoreregister 3\npop",
         [](Abc &abc, Code &c) { c.op(Op::PushString, {abc.string("")}).op(Op::SetLocal2); },
         [](Abc &abc, Code &c) {
             c.op(Op::GetLocal2).op(Op::PushString, {abc.string("ab")}).op(Op::Add).op(Op::SetLocal2);
         }},
    };
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    std::printf("%-36s %12s %12s %8s\n", "loop round", "AS3 ns", "AS2 ns", "AS2/AS3");
    for (const Case &c : cases()) {
        const Timing as3 = timeAs3(c);
        const Timing as2 = timeAs2(c);
        std::printf("%-36s %12.1f %12.1f %8.2f\n", c.name, as3.perRound * 1e9, as2.perRound * 1e9,
                    as3.perRound > 0 ? as2.perRound / as3.perRound : 0.0);
        // Both engines must have done the whole work for the figures to count.
        std::printf("  last traced: AS3 %s, AS2 %s\n", qPrintable(as3.traced.left(24)), qPrintable(as2.traced.left(24)));
        if (as3.traced.isEmpty() || as2.traced.isEmpty())
            std::printf("  (a run did not finish: AS3 printed \"%s\", AS2 \"%s\")\n", qPrintable(as3.traced),
                        qPrintable(as2.traced));
    }
    return 0;
}
