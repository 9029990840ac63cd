#pragma once

// The demo's ActionScript 3 cartoon, written as a compiler would write this:
//
//   public class Cartoon extends flash.display.Sprite {
//       public var frame:int, seconds:int, colour:int = 0xFFCC00, caption:*, timer:*;
//       public function Cartoon() {
//           caption = new TextField();  caption.text = Title;  caption.textColor = 0xFFFFFF;
//           caption.width = 380;  caption.x = 10;  caption.y = 8;  addChild(caption);
//           timer = new Timer(1000);  timer.addEventListener("timer", tick);  timer.start();
//           addEventListener("enterFrame", drawFrame);
//           new CartoonChime().play();
//       }
//       public function drawFrame(e:*):void {      // a ball bouncing over a hill
//           frame++;  var g:* = graphics;  g.clear();
//           g.beginFill(Sky);  g.drawRect(0, 0, 400, 300);  g.endFill();
//           g.beginFill(Hill);  g.drawCircle(200, 460, 240);  g.endFill();
//           var t:int = frame * 6 % 240;  if (!(t < 120)) t = 240 - t;
//           g.beginFill(colour);  g.drawCircle(30 + frame * 3 % 340, 90 + t, 26);  g.endFill();
//       }
//       public function tick(e:*):void {           // each second: another colour, the caption counts
//           seconds++;  colour = seconds % 2 == 0 ? 0xFFCC00 : 0xFF3366;
//           caption.text = Title + " - " + seconds + " s";
//       }
//   }
//   public class CartoonChime extends flash.media.Sound {}   // linked to an embedded sound
#include "AbcWriter.h"
#include "SoundWriter.h"
#include "SwfWriter.h"

#include <functional>

namespace As3Cartoon {

using AbcWriter::Abc;
using AbcWriter::Code;
using AbcWriter::Op;

constexpr int Rate = 24;
// Twenty seconds of (empty) frames, so that the item plays that long.
constexpr int Frames = 20 * Rate;
constexpr int ChimeId = 5;
constexpr int Sky = 0x3366CC, Hill = 0x339944, Yellow = 0xFFCC00, Pink = 0xFF3366, White = 0xFFFFFF;
constexpr char Title[] = "ActionScript 3 cartoon";

// A block's names, shortened.
struct Names {
    Abc &abc;
    uint32_t operator()(const char *name) { return abc.qname("", QString::fromLatin1(name)); }
    uint32_t in(const char *package, const char *name)
    {
        return abc.qname(QString::fromLatin1(package), QString::fromLatin1(name));
    }
};

inline void pushInt(Abc &abc, Code &code, int v) { code.op(Op::PushInt, {abc.integer(v)}); }

// The constructor: the caption, the timer, the frame listener, the chime.
inline uint32_t constructor(Abc &abc, Names &n)
{
    Code c;
    c.op(Op::GetLocal0).op(Op::PushScope).op(Op::GetLocal0).op(Op::ConstructSuper, {0});
    const uint32_t textField = n.in("flash.text", "TextField"), timer = n.in("flash.utils", "Timer");
    c.op(Op::GetLocal0).op(Op::FindPropStrict, {textField}).op(Op::ConstructProp, {textField, 0});
    c.op(Op::SetProperty, {n("caption")});
    const auto captionSet = [&](const char *property, const std::function<void()> &value) {
        c.op(Op::GetLocal0).op(Op::GetProperty, {n("caption")});
        value();
        c.op(Op::SetProperty, {n(property)});
    };
    captionSet("text", [&] { c.op(Op::PushString, {abc.string(QString::fromLatin1(Title))}); });
    captionSet("textColor", [&] { pushInt(abc, c, White); });
    captionSet("width", [&] { c.pushSmall(380); });
    captionSet("x", [&] { c.pushSmall(10); });
    captionSet("y", [&] { c.pushSmall(8); });
    c.op(Op::GetLocal0).op(Op::GetLocal0).op(Op::GetProperty, {n("caption")});
    c.op(Op::CallPropVoid, {n("addChild"), 1});

    c.op(Op::GetLocal0).op(Op::FindPropStrict, {timer}).pushSmall(1000).op(Op::ConstructProp, {timer, 1});
    c.op(Op::SetProperty, {n("timer")});
    c.op(Op::GetLocal0).op(Op::GetProperty, {n("timer")}).op(Op::PushString, {abc.string("timer")});
    c.op(Op::GetLocal0).op(Op::GetProperty, {n("tick")}).op(Op::CallPropVoid, {n("addEventListener"), 2});
    c.op(Op::GetLocal0).op(Op::GetProperty, {n("timer")}).op(Op::CallPropVoid, {n("start"), 0});

    c.op(Op::GetLocal0).op(Op::PushString, {abc.string("enterFrame")});
    c.op(Op::GetLocal0).op(Op::GetProperty, {n("drawFrame")}).op(Op::CallPropVoid, {n("addEventListener"), 2});

    c.op(Op::FindPropStrict, {n("CartoonChime")}).op(Op::ConstructProp, {n("CartoonChime"), 0});
    c.op(Op::CallPropVoid, {n("play"), 0}).op(Op::ReturnVoid);
    return abc.method(0, c, {4, 1, 0, 1}, QStringLiteral("Cartoon"));
}

// g.method(arguments) for the graphics in local 2; `args` pushes them.
inline void draw(Code &c, Names &n, const char *method, int count, const std::function<void()> &args)
{
    c.op(Op::GetLocal2);
    args();
    c.op(Op::CallPropVoid, {n(method), uint32_t(count)});
}

inline uint32_t drawFrame(Abc &abc, Names &n)
{
    Code c;
    c.op(Op::GetLocal0).op(Op::PushScope);
    c.op(Op::GetLocal0).op(Op::GetLocal0).op(Op::GetProperty, {n("frame")}).op(Op::IncrementI);
    c.op(Op::SetProperty, {n("frame")});
    c.op(Op::GetLocal0).op(Op::GetProperty, {n("graphics")}).op(Op::SetLocal2);
    draw(c, n, "clear", 0, [] {});
    draw(c, n, "beginFill", 1, [&] { pushInt(abc, c, Sky); });
    draw(c, n, "drawRect", 4, [&] { c.pushSmall(0).pushSmall(0).pushSmall(400).pushSmall(300); });
    draw(c, n, "endFill", 0, [] {});
    draw(c, n, "beginFill", 1, [&] { pushInt(abc, c, Hill); });
    draw(c, n, "drawCircle", 3, [&] { c.pushSmall(200).pushSmall(460).pushSmall(240); });
    draw(c, n, "endFill", 0, [] {});
    // The ball's height goes up and down in a triangle wave: t in 0..120.
    c.op(Op::GetLocal0).op(Op::GetProperty, {n("frame")}).pushSmall(6).op(Op::MultiplyI);
    c.pushSmall(240).op(Op::Modulo).op(Op::ConvertI).op(Op::SetLocal3);
    const Code::Label rising = c.newLabel();
    c.op(Op::GetLocal3).pushSmall(120).jumpTo(Op::IfLt, rising);
    c.pushSmall(240).op(Op::GetLocal3).op(Op::SubtractI).op(Op::SetLocal3);
    c.place(rising);
    draw(c, n, "beginFill", 1, [&] { c.op(Op::GetLocal0).op(Op::GetProperty, {n("colour")}); });
    draw(c, n, "drawCircle", 3, [&] {
        c.pushSmall(30).op(Op::GetLocal0).op(Op::GetProperty, {n("frame")}).pushSmall(3).op(Op::MultiplyI);
        c.pushSmall(340).op(Op::Modulo).op(Op::Add);
        c.pushSmall(90).op(Op::GetLocal3).op(Op::AddI).pushSmall(26);
    });
    draw(c, n, "endFill", 0, [] {});
    c.op(Op::ReturnVoid);
    return abc.method(1, c, {6, 4, 0, 1}, QStringLiteral("drawFrame"));
}

inline uint32_t tick(Abc &abc, Names &n)
{
    Code c;
    c.op(Op::GetLocal0).op(Op::PushScope);
    c.op(Op::GetLocal0).op(Op::GetLocal0).op(Op::GetProperty, {n("seconds")}).op(Op::IncrementI);
    c.op(Op::SetProperty, {n("seconds")});
    const Code::Label even = c.newLabel(), done = c.newLabel();
    c.op(Op::GetLocal0).op(Op::GetProperty, {n("seconds")}).pushSmall(2).op(Op::Modulo).pushSmall(0);
    c.jumpTo(Op::IfEq, even);
    c.op(Op::GetLocal0);
    pushInt(abc, c, Pink);
    c.op(Op::SetProperty, {n("colour")}).jumpTo(done);
    c.place(even);
    c.op(Op::GetLocal0);
    pushInt(abc, c, Yellow);
    c.op(Op::SetProperty, {n("colour")});
    c.place(done);
    c.op(Op::GetLocal0).op(Op::GetProperty, {n("caption")});
    c.op(Op::PushString, {abc.string(QString::fromLatin1(Title) + QStringLiteral(" - "))});
    c.op(Op::GetLocal0).op(Op::GetProperty, {n("seconds")}).op(Op::Add);
    c.op(Op::PushString, {abc.string(" s")}).op(Op::Add).op(Op::SetProperty, {n("text")});
    c.op(Op::ReturnVoid);
    return abc.method(1, c, {4, 2, 0, 1}, QStringLiteral("tick"));
}

inline uint32_t emptyMethod(Abc &abc)
{
    Code c;
    c.op(Op::ReturnVoid);
    return abc.method(0, c, {1, 1, 0, 1});
}

inline uint32_t superOnlyConstructor(Abc &abc)
{
    Code c;
    c.op(Op::GetLocal0).op(Op::PushScope).op(Op::GetLocal0).op(Op::ConstructSuper, {0}).op(Op::ReturnVoid);
    return abc.method(0, c, {1, 1, 0, 1});
}

// A script defining one class over its base classes (outermost first).
inline void classScript(Abc &abc, uint32_t name, uint32_t cls, const std::vector<uint32_t> &bases)
{
    Code init;
    init.op(Op::GetLocal0).op(Op::PushScope);
    Abc::defineClass(init, name, cls, bases);
    init.op(Op::ReturnVoid);
    abc.script(abc.method(0, init, {3, 1, 0, uint32_t(bases.size() + 1)}), {AbcWriter::classTrait(name, cls)});
}

inline QByteArray block()
{
    Abc abc;
    Names n{abc};
    const uint32_t object = n("Object"), dispatcher = n.in("flash.events", "EventDispatcher");
    const uint32_t sound = n.in("flash.media", "Sound"), sprite = n.in("flash.display", "Sprite");

    // CartoonChime in a script of its own, run when the cartoon first names it.
    const uint32_t chime = abc.addClass(n("CartoonChime"), sound, superOnlyConstructor(abc), emptyMethod(abc));
    classScript(abc, n("CartoonChime"), chime, {object, dispatcher, sound});

    const uint32_t cartoon = abc.addClass(n("Cartoon"), sprite, constructor(abc, n), emptyMethod(abc));
    using AbcWriter::slot;
    abc.file.instances[cartoon].traits = {
        slot(n("frame"), 1, n("int")),
        slot(n("seconds"), 2, n("int")),
        slot(n("colour"), 3, n("int"), {AbcWriter::ConstantKind::Int, abc.integer(Yellow)}),
        slot(n("caption"), 4),
        slot(n("timer"), 5),
        AbcWriter::methodTrait(n("drawFrame"), drawFrame(abc, n)),
        AbcWriter::methodTrait(n("tick"), tick(abc, n)),
    };
    classScript(abc, n("Cartoon"), cartoon,
                {object, dispatcher, n.in("flash.display", "DisplayObject"), n.in("flash.display", "InteractiveObject"),
                 n.in("flash.display", "DisplayObjectContainer"), sprite});
    return abc.bytes();
}

// Three rising bell notes, for the chime.
inline QByteArray chimeSound(const std::vector<int16_t> &samples)
{
    constexpr int ChimeRate = 22050;
    return SwfWriter::sound::defineSound(ChimeId, {SwfWriter::sound::Adpcm, ChimeRate}, quint32(samples.size()), SwfWriter::sound::adpcm(samples));
}

// The movie: `chime` is the chime's samples (mono, 22.05 kHz).
inline QByteArray movie(const std::vector<int16_t> &chime)
{
    constexpr int Version = 10;
    QByteArray tags = AbcWriter::fileAttributes() + SwfWriter::background(QColor(20, 40, 90)) + chimeSound(chime);
    tags += AbcWriter::doAbc("Cartoon", block());
    tags += AbcWriter::symbolClass({{ChimeId, "CartoonChime"}, {0, "Cartoon"}});
    for (int f = 0; f < Frames; ++f)
        tags += SwfWriter::showFrame();
    return SwfWriter::movie(tags, Version, QSize(400, 300), Rate);
}

} // namespace As3Cartoon
