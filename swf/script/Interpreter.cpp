#include "Interpreter.h"

#include "swf/MoviePlayer.h"
#include "swf/builtins/BuiltinClass.h"
#include "swf/script/ClipProperties.h"
#include "swf/script/Opcodes.h"
#include "swf/script/VariablePath.h"

#include <QRandomGenerator>

#include <array>
#include <climits>
#include <cmath>
#include <utility>

namespace swf {

namespace {

// Strings longer than this are cut: a script that doubles a string in a loop
// cannot exhaust memory.
constexpr int MaxStringLength = 1 << 20;
// Copying this many characters costs one action unit.
constexpr int CharactersPerUnit = 256;
constexpr size_t MaxStackDepth = 100000;
constexpr int GlobalRegisters = 4;
constexpr int MaxRegisters = 256;
// Text is Unicode from this version on, and bytes before it.
constexpr int FirstVersionWithUnicodeText = 6;
// Functions close over the scope of their definition from this version on.
constexpr int FirstVersionWithClosures = 6;
// Functions have a super from this version on.
constexpr int FirstVersionWithSuper = 6;

// DefineFunction2's flags: what it preloads into registers or leaves out.
enum FunctionFlag {
    PreloadThis = 0x01,
    SuppressThis = 0x02,
    PreloadArguments = 0x04,
    SuppressArguments = 0x08,
    PreloadSuper = 0x10,
    SuppressSuper = 0x20,
    PreloadRoot = 0x40,
    PreloadParent = 0x80,
    PreloadGlobal = 0x100,
};

// Push's value types.
enum PushType {
    PushString, PushFloat, PushNull, PushUndefined, PushRegister, PushBoolean, PushDouble, PushInteger,
    PushConstant8, PushConstant16,
};

// A script number as a frame or index: NaN and infinities become fallback,
// everything else is cut to the int range first.
int toInt(double d, int fallback = 0)
{
    return std::isnan(d) ? fallback : int(std::clamp(std::trunc(d), double(INT_MIN / 2), double(INT_MAX / 2)));
}

bool isName(const QString &name, const char *word)
{
    return name.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

} // namespace

// The method each action code goes to; codes without one are skipped by their length.
struct Interpreter::Dispatch {
    std::array<Handler, 256> handlers{};

    Dispatch()
    {
        const std::pair<Op, Handler> table[] = {
            {Op::NextFrame, &Interpreter::nextFrame},
            {Op::PreviousFrame, &Interpreter::previousFrame},
            {Op::Play, &Interpreter::play},
            {Op::Stop, &Interpreter::stop},
            {Op::ToggleQuality, &Interpreter::toggleQuality},
            {Op::StopSounds, &Interpreter::stopSounds},
            {Op::GotoFrame, &Interpreter::gotoFrameAction},
            {Op::GotoLabel, &Interpreter::gotoLabel},
            {Op::GotoFrame2, &Interpreter::gotoFrame2},
            {Op::WaitForFrame, &Interpreter::nothing}, // every frame of a local file is loaded
            {Op::WaitForFrame2, &Interpreter::popDiscarded},
            {Op::SetTarget, &Interpreter::setTarget},
            {Op::SetTarget2, &Interpreter::setTarget2},
            {Op::GetUrl, &Interpreter::getUrl},
            {Op::GetUrl2, &Interpreter::getUrl2},
            {Op::Call, &Interpreter::callFrame},

            {Op::Push, &Interpreter::pushValues},
            {Op::Pop, &Interpreter::popDiscarded},
            {Op::PushDuplicate, &Interpreter::duplicate},
            {Op::StackSwap, &Interpreter::swap},
            {Op::StoreRegister, &Interpreter::storeRegister},
            {Op::ConstantPool, &Interpreter::constantPool},

            {Op::Add, &Interpreter::arithmetic},
            {Op::Subtract, &Interpreter::arithmetic},
            {Op::Multiply, &Interpreter::arithmetic},
            {Op::Divide, &Interpreter::arithmetic},
            {Op::Modulo, &Interpreter::arithmetic},
            {Op::Increment, &Interpreter::increment},
            {Op::Decrement, &Interpreter::decrement},
            {Op::Equals, &Interpreter::numberEquals},
            {Op::Less, &Interpreter::numberLess},
            {Op::And, &Interpreter::logicalAnd},
            {Op::Or, &Interpreter::logicalOr},
            {Op::Not, &Interpreter::logicalNot},
            {Op::Less2, &Interpreter::compare},
            {Op::Greater, &Interpreter::compare},
            {Op::Equals2, &Interpreter::equals2},
            {Op::StrictEquals, &Interpreter::strictEquals},
            {Op::BitAnd, &Interpreter::bitwise},
            {Op::BitOr, &Interpreter::bitwise},
            {Op::BitXor, &Interpreter::bitwise},
            {Op::BitLShift, &Interpreter::bitwise},
            {Op::BitRShift, &Interpreter::bitwise},
            {Op::BitURShift, &Interpreter::bitwise},
            {Op::ToInteger, &Interpreter::toInteger},
            {Op::RandomNumber, &Interpreter::randomNumber},
            {Op::GetTime, &Interpreter::getTime},
            {Op::StringEquals, &Interpreter::stringEquals},
            {Op::StringLess, &Interpreter::stringLess},
            {Op::StringGreater, &Interpreter::stringGreater},
            {Op::StringLength, &Interpreter::stringLength},
            {Op::MBStringLength, &Interpreter::stringLength},
            {Op::StringAdd, &Interpreter::stringAdd},
            {Op::StringExtract, &Interpreter::stringExtract},
            {Op::MBStringExtract, &Interpreter::stringExtract},
            {Op::CharToAscii, &Interpreter::charToAscii},
            {Op::MBCharToAscii, &Interpreter::charToAscii},
            {Op::AsciiToChar, &Interpreter::asciiToChar},
            {Op::MBAsciiToChar, &Interpreter::asciiToChar},
            {Op::Add2, &Interpreter::add2},
            {Op::ToNumber, &Interpreter::toNumberAction},
            {Op::ToString, &Interpreter::toStringAction},
            {Op::TypeOf, &Interpreter::typeOf},

            {Op::GetVariable, &Interpreter::getVariableAction},
            {Op::SetVariable, &Interpreter::setVariableAction},
            {Op::DefineLocal, &Interpreter::defineLocalAction},
            {Op::DefineLocal2, &Interpreter::defineLocal2},
            {Op::Delete, &Interpreter::deleteAction},
            {Op::Delete2, &Interpreter::delete2},
            {Op::GetProperty, &Interpreter::getProperty},
            {Op::SetProperty, &Interpreter::setProperty},
            {Op::TargetPath, &Interpreter::targetPath},
            {Op::GetMember, &Interpreter::getMemberAction},
            {Op::SetMember, &Interpreter::setMemberAction},
            {Op::CallMethod, &Interpreter::callMethodAction},
            {Op::CallFunction, &Interpreter::callFunction},
            {Op::Return, &Interpreter::returnAction},

            {Op::DefineFunction, &Interpreter::defineFunctionAction},
            {Op::DefineFunction2, &Interpreter::defineFunctionAction},
            {Op::NewObject, &Interpreter::newObject},
            {Op::NewMethod, &Interpreter::newMethod},
            {Op::InitArray, &Interpreter::initArray},
            {Op::InitObject, &Interpreter::initObject},
            {Op::Enumerate, &Interpreter::enumerateAction},
            {Op::Enumerate2, &Interpreter::enumerate2},
            {Op::InstanceOf, &Interpreter::instanceOfAction},
            {Op::CastOp, &Interpreter::castOp},
            {Op::ImplementsOp, &Interpreter::implementsOp},
            {Op::Extends, &Interpreter::extends},
            {Op::With, &Interpreter::with},
            {Op::Try, &Interpreter::tryAction},
            {Op::Throw, &Interpreter::throwAction},

            {Op::StartDrag, &Interpreter::startDrag},
            {Op::EndDrag, &Interpreter::nothing}, // dragging is not supported
            {Op::CloneSprite, &Interpreter::cloneSprite},
            {Op::RemoveSprite, &Interpreter::removeSprite},
            {Op::Trace, &Interpreter::trace},
            {Op::Jump, &Interpreter::jump},
            {Op::If, &Interpreter::branchIf},
        };
        for (const auto &[op, handler] : table)
            handlers[size_t(op)] = handler;
    }
};

namespace {
thread_local MoviePlayer *scriptPlayer = nullptr;
} // namespace

Interpreter::PlayerScope::PlayerScope(MoviePlayer &player) : m_outer(std::exchange(scriptPlayer, &player)) {}
Interpreter::PlayerScope::~PlayerScope() { scriptPlayer = m_outer; }

DisplayObject *ClipAtScriptPath(const QString &path)
{
    if (!scriptPlayer)
        return nullptr;
    DisplayObject *clip = scriptPlayer->resolveTarget(scriptPlayer->root(), path);
    return clip && !clip->removed ? clip : nullptr;
}

Interpreter::Interpreter(MoviePlayer &player, DisplayObject &clip, const QByteArray &actions)
    : m_player(player), m_playerScope(player), m_engine(player.script()), m_convert(m_engine, *this),
      m_origin(refTo(&clip)),
      m_target(m_origin), m_code(actions), m_version(player.version()), m_this(refTo(&clip)),
      m_registers(GlobalRegisters)
{
}

Interpreter::Interpreter(MoviePlayer &player, const ScriptObject &function, const Value &self,
                         const std::vector<Value> &args, const CallSetup &setup)
    : m_player(player), m_playerScope(player), m_engine(player.script()), m_convert(m_engine, *this),
      m_origin(function.scopeClip),
      m_code(function.function->code), m_version(player.version()), m_this(self),
      m_constants(function.function->constants), m_callee(setup.callee), m_caller(setup.caller),
      m_constructing(setup.construct)
{
    const FunctionCode &code = *function.function;
    // From version 6 functions close over the scope they were defined in
    // and run on the clip that defined them; before, they see no outer
    // scope, and run on the clip they are called on (or the caller's).
    // (The player's own calls keep the defining clip in every version;
    // when that is gone, the clip called on or the caller's stands in.)
    const bool closure = m_version >= FirstVersionWithClosures;
    if ((!closure && !setup.special) || !m_origin.get()) {
        const auto *clip = std::get_if<ClipRef>(&self);
        m_origin = clip && clip->get() ? *clip : setup.callerTarget;
    }
    m_target = m_origin;
    m_scope = ScopeChain(m_engine.newActivation(), closure ? function.scopes : std::vector<Value>{});
    ScriptObject *activation = m_scope.activation();
    const auto local = [this, activation](const QString &name, const Value &value) {
        if (activation)
            activation->set(key(name), name, value);
    };
    const int flags = code.function2 ? code.flags : 0;
    // The arguments object: an array that knows the function and its caller.
    const auto makeArguments = [&]() -> Value {
        ScriptObject *arguments = m_engine.newArray(args);
        if (!arguments)
            return Undefined{};
        const QString callee = QStringLiteral("callee"), caller = QStringLiteral("caller");
        arguments->set(key(callee), callee, m_callee ? Value(m_callee) : Value(Null{}), DontEnum);
        arguments->set(key(caller), caller, m_caller, DontEnum);
        return arguments;
    };
    // DefineFunction2 may leave this to the caller's: it then holds the
    // this it was called on in a register, or nothing.
    if (flags & (PreloadThis | SuppressThis))
        m_this = setup.callerThis;
    m_hasSuper = m_version >= FirstVersionWithSuper && !(flags & SuppressSuper) &&
                 (objectOf(self) || std::holds_alternative<ClipRef>(self));
    if (m_hasSuper) {
        m_superThis = self;
        m_superBase = setup.viaSuper ? setup.superBase : prototypeOf(self);
    }
    if (!code.function2) {
        m_registers.resize(GlobalRegisters);
        local(QStringLiteral("arguments"), makeArguments());
    } else {
        m_registers.resize(size_t(std::clamp(code.registerCount, 1, MaxRegisters)));
        // Preloaded values fill the registers from 1 in a fixed order.
        size_t next = 1;
        const auto preload = [&](const Value &value) {
            if (next < m_registers.size())
                m_registers[next] = value;
            ++next;
        };
        DisplayObject *origin = m_origin.get();
        if (flags & PreloadThis)
            preload((flags & SuppressThis) ? Value(Undefined{}) : self);
        // Suppressing the arguments a register is to hold makes them all the same.
        if (flags & PreloadArguments)
            preload(makeArguments());
        else if (!(flags & SuppressArguments))
            local(QStringLiteral("arguments"), makeArguments());
        if (flags & PreloadSuper)
            preload(m_hasSuper ? superObject() : Value(Undefined{}));
        if (flags & PreloadRoot)
            preload(refTo(origin ? &m_player.rootOf(*origin) : nullptr));
        // The root has no parent, and takes no register for it.
        if ((flags & PreloadParent) && origin && origin->parent)
            preload(refTo(origin->parent));
        if (flags & PreloadGlobal)
            preload(m_engine.global());
        if (flags & PreloadSuper)
            m_hasSuper = false; // `super` is the register's, not a name
    }
    for (size_t i = 0; i < code.parameters.size(); ++i) {
        const Value value = i < args.size() ? args[i] : Value(Undefined{});
        const int reg = code.function2 ? code.parameters[i].reg : 0;
        if (reg > 0) {
            if (size_t(reg) < m_registers.size())
                m_registers[size_t(reg)] = value;
        } else {
            local(code.parameters[i].name, value);
        }
    }
}

void Interpreter::runInterval(const ScriptEngine::Interval &interval)
{
    CallSetup setup;
    setup.special = true;
    if (interval.method.isEmpty())
        invoke(interval.function, Undefined{}, interval.args, setup);
    else
        invoke(getMember(interval.self, interval.method), interval.self, interval.args, setup);
}

void Interpreter::callHandler(ScriptObject *handler, const Value &self)
{
    CallSetup setup;
    setup.special = true;
    invoke(handler, self, {}, setup);
}

// The stack.

Value Interpreter::pop()
{
    if (m_stack.empty())
        return Undefined{};
    Value v = std::move(m_stack.back());
    m_stack.pop_back();
    return v;
}

void Interpreter::push(Value v)
{
    if (auto *text = std::get_if<QString>(&v)) {
        if (text->size() > MaxStringLength)
            text->truncate(MaxStringLength);
        m_player.spend(int(text->size() / CharactersPerUnit));
    }
    // A runaway script may push without end; the stack keeps a bounded depth.
    if (m_stack.size() < MaxStackDepth)
        m_stack.push_back(std::move(v));
}

void Interpreter::push(ScriptObject *object)
{
    if (object)
        m_stack.push_back(object);
    else
        push(Undefined{});
}

std::vector<Value> Interpreter::popArguments()
{
    const double count = toNumber(pop());
    std::vector<Value> args;
    const int n = std::isfinite(count) ? int(std::clamp(count, 0.0, double(m_stack.size()))) : 0;
    for (int i = 0; i < n; ++i)
        args.push_back(pop());
    return args;
}

// The run loop.

Value Interpreter::run()
{
    static const Dispatch dispatch;
    SwfReader r(m_code);
    int budget = MoviePlayer::MaxActionsPerBlock;
    while (!m_done && budget-- > 0 && m_player.spend(1)) {
        if (m_thrown) { // from a function called by the last action
            const Value thrown = *m_thrown;
            m_thrown.reset();
            if (!catchThrown(thrown, r)) {
                m_thrown = thrown;
                break;
            }
        }
        if (!settleTryBlocks(r) || r.atEnd())
            break;
        const int code = r.u8();
        if (code == int(Op::End))
            break;
        const int length = code >= FirstActionWithBody ? r.u16() : 0;
        SwfReader body = r.sub(length);
        if (r.overrun())
            break;
        Action action{code, body, r, r.position()};
        m_jumped = false;
        if (const Handler handler = dispatch.handlers[size_t(code)])
            (this->*handler)(action);
        if (!m_jumped)
            m_scope.leaveEndedWithBlocks(r.position());
    }
    return m_returned;
}

bool Interpreter::settleTryBlocks(SwfReader &r)
{
    using Phase = TryBlock::Phase;
    while (!m_tries.empty()) {
        TryBlock &block = m_tries.back();
        const int position = r.position();
        const int from = block.phase == Phase::Try ? block.tryStart
                         : block.phase == Phase::Catch ? block.tryEnd
                                                        : block.catchEnd;
        const int to = block.phase == Phase::Try ? block.tryEnd
                       : block.phase == Phase::Catch ? block.catchEnd
                                                      : block.finallyEnd;
        if (position >= from && position < to)
            return true;
        // The try block ran to its end: past the catch block to the finally
        // block; the catch block did: on into it.
        if (block.phase == Phase::Try && position == block.tryEnd) {
            block.phase = Phase::Finally;
            r.seek(block.catchEnd);
            continue;
        }
        if (block.phase == Phase::Catch && position == block.catchEnd) {
            block.phase = Phase::Finally;
            continue;
        }
        // Out of the finally block, or jumped out of the others: the block
        // is done with, and what its finally block held is thrown on.
        const std::optional<Value> pending = block.phase == Phase::Finally ? block.pending : std::nullopt;
        m_tries.pop_back();
        if (pending && !catchThrown(*pending, r)) {
            m_thrown = pending;
            m_done = true;
            return false;
        }
    }
    return true;
}

// Timeline control.

void Interpreter::nextFrame(Action &)
{
    if (DisplayObject *t = target())
        m_player.gotoFrame(*t, t->currentFrame + 1, false);
}

void Interpreter::previousFrame(Action &)
{
    if (DisplayObject *t = target())
        m_player.gotoFrame(*t, t->currentFrame - 1, false);
}

void Interpreter::play(Action &)
{
    if (DisplayObject *t = target())
        t->playing = true;
}

void Interpreter::stop(Action &)
{
    if (DisplayObject *t = target())
        t->playing = false;
}

void Interpreter::nothing(Action &) {}

void Interpreter::toggleQuality(Action &)
{
    m_player.setQuality(m_player.quality() == Renderer::Quality::Low ? Renderer::Quality::High : Renderer::Quality::Low);
}

void Interpreter::stopSounds(Action &) { m_player.stopSounds(); }

void Interpreter::gotoFrameAction(Action &a)
{
    if (DisplayObject *t = target())
        m_player.gotoFrame(*t, a.body.u16(), false);
}

void Interpreter::gotoLabel(Action &a)
{
    if (DisplayObject *t = target())
        m_player.gotoLabel(*t, a.body.string(m_version), false);
}

void Interpreter::gotoFrame2(Action &a)
{
    const int flags = a.body.u8();
    const bool play = flags & 1;
    const int bias = (flags & 2) ? a.body.u16() : 0;
    const Value frame = pop();
    if (DisplayObject *t = target())
        gotoFrame(*t, frame, play, bias);
}

// Goes to a frame given by number, by label, or as "path:frame". Numbers
// before the first frame go nowhere.
void Interpreter::gotoFrame(DisplayObject &from, const Value &frame, bool play, int bias)
{
    const auto toFrame = [&](DisplayObject &clip, int number) {
        if (number >= 1)
            m_player.gotoFrame(clip, number - 1 + bias, play);
    };
    if (const auto *text = std::get_if<QString>(&frame)) {
        QString label = *text;
        DisplayObject *clip = &from;
        const int colon = int(label.lastIndexOf(u':'));
        if (colon >= 0) {
            clip = m_player.resolveTarget(from, label.left(colon));
            label = label.mid(colon + 1);
        }
        if (!clip)
            return;
        bool numeric = false;
        const int number = label.toInt(&numeric);
        if (numeric)
            toFrame(*clip, number);
        else
            m_player.gotoLabel(*clip, label, play);
        return;
    }
    const double number = toNumber(frame);
    if (std::isfinite(number))
        toFrame(from, toInt(number));
}

void Interpreter::popDiscarded(Action &) { pop(); }

void Interpreter::setTarget(Action &a)
{
    retarget(a.body.string(m_version));
}

void Interpreter::setTarget2(Action &)
{
    const Value where = pop();
    if (const auto *clip = std::get_if<ClipRef>(&where); clip && clip->get())
        m_target = *clip;
    else
        retarget(toString(where));
}

void Interpreter::retarget(const QString &path)
{
    // Paths start from the clip the script belongs to; a path that leads
    // nowhere (or to something not a clip) sends actions back there.
    DisplayObject *origin = m_origin.get();
    DisplayObject *clip = path.isEmpty() || !origin ? nullptr : clipFrom(*origin, path);
    m_target = clip ? refTo(clip) : m_origin;
}

void Interpreter::getUrl(Action &a)
{
    const QString url = a.body.string(m_version);
    m_player.getUrl(url, a.body.string(m_version));
}

void Interpreter::getUrl2(Action &a)
{
    constexpr int LoadIntoClip = 0x40;
    constexpr int LoadVariables = 0x80;
    const int flags = a.body.u8();
    const QString where = toString(pop());
    const QString url = toString(pop());
    static const QString fsCommand = QStringLiteral("FSCommand:");
    if (url.startsWith(fsCommand, Qt::CaseInsensitive) || !(flags & (LoadIntoClip | LoadVariables))) {
        m_player.getUrl(url, where);
        return;
    }
    // loadMovieNum and unloadMovieNum name a level, which may not be there yet.
    const std::optional<int> level = MoviePlayer::LevelNumber(where, m_version);
    if (level && !(flags & LoadVariables)) {
        if (url.isEmpty())
            m_player.unloadLevel(*level);
        else
            m_player.loadLevel(*level, url);
        return;
    }
    DisplayObject *clip = clipAt(where);
    if (!clip)
        return;
    if (flags & LoadVariables)
        m_player.loadVariables(*clip, url);
    else if (url.isEmpty()) // loading nothing into a clip is unloadMovie
        m_player.unloadMovie(*clip);
    else
        m_player.loadMovie(*clip, url);
}

// Runs another frame's actions here.
void Interpreter::callFrame(Action &)
{
    const Value frame = pop();
    DisplayObject *t = target();
    if (!t || !t->isSprite())
        return;
    const double n = toNumber(frame);
    const int index = std::isfinite(n) ? toInt(n) - 1 : t->timeline->labels.value(toString(frame).toLower(), -1);
    if (index >= 0 && index < t->frameCount())
        for (const QByteArray &actions : t->timeline->frames[size_t(index)].actions)
            RunActions(m_player, *t, actions);
}

// The stack and registers.

void Interpreter::pushValues(Action &a)
{
    SwfReader &r = a.body;
    const auto constant = [this](size_t index) {
        return index < m_constants.size() ? Value(m_constants[index]) : Value(Undefined{});
    };
    while (!r.atEnd() && !r.overrun()) {
        switch (r.u8()) {
        case PushString: push(r.string(m_version)); break;
        case PushFloat: push(double(r.f32())); break;
        case PushNull: push(Null{}); break;
        case PushUndefined: push(Undefined{}); break;
        case PushRegister: {
            const size_t index = r.u8();
            push(index < m_registers.size() ? m_registers[index] : Value(Undefined{}));
            break;
        }
        case PushBoolean: push(r.u8() != 0); break;
        case PushDouble: push(r.f64swapped()); break;
        case PushInteger: push(double(int32_t(r.u32()))); break;
        case PushConstant8: push(constant(r.u8())); break;
        case PushConstant16: push(constant(r.u16())); break;
        default: return;
        }
    }
}

void Interpreter::duplicate(Action &)
{
    const Value v = m_stack.empty() ? Value(Undefined{}) : m_stack.back();
    push(v);
}

void Interpreter::swap(Action &)
{
    const Value b = pop();
    const Value a = pop();
    push(b);
    push(a);
}

void Interpreter::storeRegister(Action &a)
{
    const size_t index = a.body.u8();
    if (index < m_registers.size())
        m_registers[index] = m_stack.empty() ? Value(Undefined{}) : m_stack.back();
}

void Interpreter::constantPool(Action &a)
{
    m_constants.clear();
    const int count = a.body.u16();
    for (int i = 0; i < count && !a.body.overrun(); ++i)
        m_constants.push_back(a.body.string(m_version));
}

// Arithmetic, comparison and logic.

void Interpreter::arithmetic(Action &a)
{
    const double y = toNumber(pop());
    const double x = toNumber(pop());
    switch (Op(a.code)) {
    case Op::Add: push(x + y); break;
    case Op::Subtract: push(x - y); break;
    case Op::Multiply: push(x * y); break;
    case Op::Divide:
        // Version 4 players print an error for a division by zero.
        if (y == 0 && m_version < 5)
            push(QStringLiteral("#ERROR#"));
        else
            push(x / y);
        break;
    default: push(std::fmod(x, y)); break;
    }
}

void Interpreter::increment(Action &) { push(toNumber(pop()) + 1); }
void Interpreter::decrement(Action &) { push(toNumber(pop()) - 1); }

void Interpreter::numberEquals(Action &)
{
    const double b = toNumber(pop());
    push(m_convert.boolean(toNumber(pop()) == b));
}

// The left side converts first.
void Interpreter::numberLess(Action &)
{
    const Value right = pop();
    const double a = toNumber(pop());
    push(m_convert.boolean(a < toNumber(right)));
}

void Interpreter::logicalAnd(Action &)
{
    const bool b = toBool(pop());
    push(m_convert.boolean(toBool(pop()) && b));
}

void Interpreter::logicalOr(Action &)
{
    const bool b = toBool(pop());
    push(m_convert.boolean(toBool(pop()) || b));
}

void Interpreter::logicalNot(Action &) { push(m_convert.boolean(!toBool(pop()))); }

void Interpreter::compare(Action &a)
{
    const Value b = pop();
    const Value x = pop();
    // Greater is Less2 with the sides swapped, converted in that order too.
    const std::optional<bool> result = Op(a.code) == Op::Less2 ? m_convert.less(x, b) : m_convert.less(b, x);
    push(result ? m_convert.boolean(*result) : Value(Undefined{}));
}

void Interpreter::equals2(Action &)
{
    const Value b = pop();
    push(m_convert.boolean(m_convert.equals(pop(), b)));
}

void Interpreter::strictEquals(Action &)
{
    const Value b = pop();
    push(m_convert.boolean(Conversions::strictlyEquals(pop(), b)));
}

void Interpreter::bitwise(Action &a)
{
    const int32_t b = ToInt32(toNumber(pop()));
    const int32_t x = ToInt32(toNumber(pop()));
    switch (Op(a.code)) {
    case Op::BitAnd: push(double(x & b)); break;
    case Op::BitOr: push(double(x | b)); break;
    case Op::BitXor: push(double(x ^ b)); break;
    case Op::BitLShift: push(double(int32_t(uint32_t(x) << (b & 31)))); break;
    case Op::BitRShift: push(double(x >> (b & 31))); break;
    // The reference player answers a shift by no bits with the signed value.
    default: push((b & 31) == 0 ? double(x) : double(uint32_t(x) >> (b & 31))); break;
    }
}

void Interpreter::toInteger(Action &)
{
    const double d = toNumber(pop());
    push(m_version >= 5 || std::isfinite(d) ? double(ToInt32(d)) : d);
}

void Interpreter::randomNumber(Action &)
{
    const double max = toNumber(pop());
    push(max >= 1 ? double(QRandomGenerator::global()->bounded(int(std::min(max, double(INT_MAX))))) : 0.0);
}

void Interpreter::getTime(Action &) { push(double(m_player.elapsedMs())); }

// Strings.

void Interpreter::stringEquals(Action &)
{
    const QString b = toString(pop());
    push(m_convert.boolean(toString(pop()) == b));
}

void Interpreter::stringLess(Action &)
{
    const QString b = toString(pop());
    push(m_convert.boolean(toString(pop()) < b));
}

void Interpreter::stringGreater(Action &)
{
    const QString b = toString(pop());
    push(m_convert.boolean(toString(pop()) > b));
}

void Interpreter::stringLength(Action &) { push(double(toString(pop()).size())); }

void Interpreter::stringAdd(Action &)
{
    const QString b = toString(pop());
    push(toString(pop()) + b);
}

void Interpreter::stringExtract(Action &)
{
    const double count = toNumber(pop());
    const double index = toNumber(pop());
    const QString text = toString(pop());
    const int from = std::isfinite(index) ? int(std::clamp(index - 1, 0.0, double(text.size()))) : 0;
    const int n = std::isfinite(count) && count >= 0 ? int(std::min(count, double(text.size()))) : int(text.size());
    push(text.mid(from, n));
}

void Interpreter::charToAscii(Action &)
{
    const QString text = toString(pop());
    push(text.isEmpty() ? 0.0 : double(text.at(0).unicode()));
}

void Interpreter::asciiToChar(Action &)
{
    // Before version 6 text is bytes and chr makes the code's low byte. Code
    // 0 ends a string in the reference player, so it makes no character.
    const int32_t number = ToInt32(toNumber(pop()));
    const char16_t code = char16_t(m_version >= FirstVersionWithUnicodeText ? number & 0xFFFF : number & 0xFF);
    push(code == 0 ? QString() : QString(QChar(code)));
}

void Interpreter::add2(Action &)
{
    // Each side gives its valueOf, the right one first; one that answers an
    // object stays itself, to be converted again as text or number.
    const Value b = pop();
    const Value x = pop();
    const Value bp = m_convert.toPrimitive(b, Conversions::Hint::Addition);
    const Value xp = m_convert.toPrimitive(x, Conversions::Hint::Addition);
    const Value &right = objectOf(bp) ? b : bp;
    const Value &left = objectOf(xp) ? x : xp;
    if (std::holds_alternative<QString>(left) || std::holds_alternative<QString>(right)) {
        const QString text = toString(left);
        push(text + toString(right));
    } else {
        const double number = toNumber(left);
        push(number + toNumber(right));
    }
}

void Interpreter::toNumberAction(Action &) { push(toNumber(pop())); }
void Interpreter::toStringAction(Action &) { push(toString(pop())); }
void Interpreter::typeOf(Action &) { push(Conversions::typeOf(pop())); }

// Variables, properties and members.

void Interpreter::getVariableAction(Action &) { push(getVariable(toString(pop()))); }

void Interpreter::setVariableAction(Action &)
{
    const Value value = pop();
    setVariable(toString(pop()), value);
}

void Interpreter::defineLocalAction(Action &)
{
    const Value value = pop();
    defineLocal(toString(pop()), value);
}

void Interpreter::defineLocal2(Action &)
{
    const QString name = toString(pop());
    ScriptObject *activation = m_scope.activation();
    DisplayObject *t = target();
    if (activation ? !activation->own(key(name)) : t && !t->object.own(key(name)))
        defineLocal(name, Undefined{});
}

void Interpreter::deleteAction(Action &)
{
    const QString name = toString(pop());
    push(m_convert.boolean(deleteMember(pop(), name)));
}

// Deletes the variable where a lookup would find it: in the first scope
// that has it, then the clip, then the globals.
void Interpreter::delete2(Action &)
{
    const QString name = toString(pop());
    if (IsVariablePath(name, m_version)) {
        const auto [owner, path, variable] = locate(name);
        push(m_convert.boolean(deleteMember(owner, variable)));
        return;
    }
    for (size_t i = 0; i < m_scope.size(); ++i) {
        const Value scope = m_scope.at(i);
        if (hasMember(scope, name)) {
            push(m_convert.boolean(deleteMember(scope, name)));
            return;
        }
    }
    const QString k = key(name);
    if (DisplayObject *t = target(); t && t->object.find(k)) {
        push(m_convert.boolean(t->object.remove(k)));
        return;
    }
    push(m_convert.boolean(m_engine.global()->remove(k)));
}

void Interpreter::getProperty(Action &)
{
    const double index = toNumber(pop());
    const QString where = toString(pop());
    DisplayObject *clip = where.isEmpty() ? target() : clipAt(where);
    const int i = std::isfinite(index) ? toInt(index, -1) : -1;
    push(clip && i >= 0 && i < PropCount ? GetClipProperty(m_player, *clip, i, m_convert) : Value(Undefined{}));
}

void Interpreter::setProperty(Action &)
{
    const Value value = pop();
    const double index = toNumber(pop());
    const QString where = toString(pop());
    DisplayObject *clip = where.isEmpty() ? target() : clipAt(where);
    if (clip && std::isfinite(index) && index >= 0 && index < PropCount)
        SetClipProperty(m_player, *clip, int(index), value, m_convert);
}

void Interpreter::targetPath(Action &)
{
    const Value v = pop();
    const auto *clip = std::get_if<ClipRef>(&v);
    push(clip && clip->get() ? Value(Conversions::clipText(*clip->get(), m_version)) : Value(Undefined{}));
}

void Interpreter::getMemberAction(Action &)
{
    const QString name = toString(pop());
    push(getMember(pop(), name));
}

void Interpreter::setMemberAction(Action &)
{
    const Value value = pop();
    const QString name = toString(pop());
    setMember(pop(), name, value);
}

void Interpreter::callMethodAction(Action &)
{
    const Value nameValue = pop();
    const QString name = std::holds_alternative<Undefined>(nameValue) ? QString() : toString(nameValue);
    const Value object = pop();
    push(callMethod(object, name, popArguments()));
}

void Interpreter::callFunction(Action &)
{
    const QString name = toString(pop());
    const std::vector<Value> args = popArguments();
    Value holder;
    const Value function = getVariable(name, &holder);
    if (const ScriptObject *f = objectOf(function); f && (f->isCallable() || f->kind == ScriptObject::Kind::Super))
        push(call(function, holder, args));
    else if (isName(name, "getTimer"))
        push(double(m_player.elapsedMs()));
    else
        push(Undefined{});
}

void Interpreter::returnAction(Action &)
{
    m_returned = pop();
    m_done = true;
}

// Functions, objects and classes.

void Interpreter::defineFunctionAction(Action &a)
{
    if (ScriptObject *function = defineFunction(a, Op(a.code) == Op::DefineFunction2))
        push(function);
}

void Interpreter::newObject(Action &)
{
    const QString name = toString(pop());
    const std::vector<Value> args = popArguments();
    push(construct(getVariable(name), args));
}

void Interpreter::newMethod(Action &)
{
    const Value nameValue = pop();
    const Value object = pop();
    const std::vector<Value> args = popArguments();
    const QString name = std::holds_alternative<Undefined>(nameValue) ? QString() : toString(nameValue);
    push(construct(name.isEmpty() ? object : getMember(object, name), args));
}

void Interpreter::initArray(Action &)
{
    std::vector<Value> elements;
    const double count = toNumber(pop());
    const int n = std::isfinite(count) ? int(std::clamp(count, 0.0, double(m_stack.size()))) : 0;
    for (int i = 0; i < n; ++i)
        elements.push_back(pop());
    ScriptObject *array = m_engine.newArray(std::move(elements));
    // A literal is made as `new Array` makes one in the reference player,
    // naming its constructor.
    if (const Value *constructor = array ? m_engine.global()->own(key(QStringLiteral("Array"))) : nullptr)
        array->set(key(QStringLiteral("constructor")), QStringLiteral("constructor"), *constructor,
                   DontEnum | DontDelete);
    push(ObjectValue(array));
}

void Interpreter::initObject(Action &)
{
    const double count = toNumber(pop());
    // A last pair the stack holds only the value of still counts, its name
    // undefined.
    const double pairsThere = double((m_stack.size() + 1) / 2);
    const int n = std::isfinite(count) ? int(std::clamp(count, 0.0, pairsThere)) : 0;
    ScriptObject *object = m_engine.newObject();
    for (int i = 0; i < n; ++i) {
        const Value value = pop();
        const QString name = toString(pop());
        if (object)
            object->set(key(name), name, value);
    }
    push(object);
}

void Interpreter::enumerateAction(Action &) { enumerate(getVariable(toString(pop()))); }
void Interpreter::enumerate2(Action &) { enumerate(pop()); }

void Interpreter::instanceOfAction(Action &)
{
    const Value constructor = pop();
    push(m_convert.boolean(instanceOf(pop(), constructor)));
}

void Interpreter::castOp(Action &)
{
    const Value object = pop();
    const Value constructor = pop();
    push(instanceOf(object, constructor) ? object : Value(Null{}));
}

// The constructor's prototype implements the interfaces: instanceof then
// answers true for them too.
void Interpreter::implementsOp(Action &)
{
    const Value constructor = pop();
    const std::vector<Value> interfaces = popArguments();
    ScriptObject *prototype = objectOf(getMember(constructor, QStringLiteral("prototype")));
    if (!prototype)
        return;
    prototype->interfaces.clear();
    for (const Value &face : interfaces)
        if (ScriptObject *facePrototype = objectOf(getMember(face, QStringLiteral("prototype"))))
            prototype->interfaces.push_back(facePrototype);
}

void Interpreter::extends(Action &)
{
    const Value superclass = pop();
    const Value subclass = pop();
    ScriptObject *prototype = m_engine.newObject();
    if (!prototype)
        return;
    if (ScriptObject *inherited = objectOf(getMember(superclass, QStringLiteral("prototype"))))
        prototype->setPrototype(inherited);
    // Noted as `new` notes it: unseen before version 6.
    prototype->set(key(QStringLiteral("__constructor__")), QStringLiteral("__constructor__"), superclass,
                   DontEnum | HiddenBefore6);
    setMember(subclass, QStringLiteral("prototype"), prototype);
}

void Interpreter::with(Action &a)
{
    const int size = a.body.u16();
    m_scope.enterWith(pop(), a.next, a.next + size);
}

void Interpreter::tryAction(Action &a)
{
    TryBlock block;
    const int flags = a.body.u8();
    const int trySize = a.body.u16(), catchSize = a.body.u16(), finallySize = a.body.u16();
    block.hasCatch = flags & 1;
    block.catchRegister = (flags & 4) ? a.body.u8() : -1;
    if (!(flags & 4))
        block.catchName = a.body.string(m_version);
    block.tryStart = a.next;
    block.tryEnd = a.next + trySize;
    block.catchEnd = block.tryEnd + catchSize;
    block.finallyEnd = block.catchEnd + finallySize;
    m_tries.push_back(block);
}

void Interpreter::throwAction(Action &a)
{
    const Value thrown = pop();
    if (!catchThrown(thrown, a.block)) {
        m_thrown = thrown;
        m_done = true;
    }
}

// A throw in a try block goes to its catch block, or without one to its
// finally block, which throws it on when it ends; one in a catch block goes
// to the finally block likewise; one in a finally block replaces what it
// held and goes to the try block around.
bool Interpreter::catchThrown(const Value &value, SwfReader &r)
{
    using Phase = TryBlock::Phase;
    while (!m_tries.empty()) {
        TryBlock &block = m_tries.back();
        if (block.phase == Phase::Try && block.hasCatch) {
            block.phase = Phase::Catch;
            if (block.catchRegister >= 0 && size_t(block.catchRegister) < m_registers.size())
                m_registers[size_t(block.catchRegister)] = value;
            else if (block.catchRegister < 0)
                defineLocal(block.catchName, value);
            r.seek(block.tryEnd);
        } else if (block.phase != Phase::Finally) {
            block.phase = Phase::Finally;
            block.pending = value;
            r.seek(block.catchEnd);
        } else {
            m_tries.pop_back();
            continue;
        }
        m_jumped = true;
        m_scope.leaveWithBlocksOutside(r.position());
        return true;
    }
    return false;
}

// Clips, output and jumps.

// Dragging is not supported; its arguments still go.
void Interpreter::startDrag(Action &)
{
    pop();
    pop();
    if (toBool(pop()))
        for (int i = 0; i < 4; ++i)
            pop();
}

// duplicateMovieClip(target, name, depth)
void Interpreter::cloneSprite(Action &)
{
    const double depth = toNumber(pop());
    const QString name = toString(pop());
    const Value source = pop();
    const auto *ref = std::get_if<ClipRef>(&source);
    if (DisplayObject *clip = ref ? ref->get() : clipAt(toString(source)))
        m_player.duplicateClip(*clip, name, toInt(depth));
}

void Interpreter::removeSprite(Action &)
{
    const Value which = pop();
    const auto *ref = std::get_if<ClipRef>(&which);
    if (DisplayObject *clip = ref ? ref->get() : clipAt(toString(which)))
        m_player.removeClip(*clip);
}

void Interpreter::trace(Action &)
{
    // trace names undefined whatever the version.
    const Value v = pop();
    m_player.trace(std::holds_alternative<Undefined>(v) ? QStringLiteral("undefined") : toString(v));
}

void Interpreter::jump(Action &a)
{
    const int destination = a.next + int16_t(a.body.u16());
    m_jumped = true;
    if (destination < 0 || destination > a.block.size())
        m_done = true;
    else
        a.block.seek(destination);
}

void Interpreter::branchIf(Action &a)
{
    if (toBool(pop()))
        jump(a);
}

// Entry points.

void RunActions(MoviePlayer &player, DisplayObject &clip, const QByteArray &actions)
{
    Interpreter(player, clip, actions).run();
}

void RunHandler(MoviePlayer &player, DisplayObject &clip, ScriptObject *handler)
{
    Interpreter(player, clip, QByteArray()).callHandler(handler, refTo(&clip));
}

void RunBroadcast(MoviePlayer &player, DisplayObject &root, const QString &source, const QString &message)
{
    Interpreter interpreter(player, root, QByteArray());
    ScriptContext &cx = interpreter;
    const Value object = cx.getMember(player.script().global(), source);
    if (objectOf(object))
        cx.callMethod(object, QStringLiteral("broadcastMessage"), {message});
}

void RunNative(MoviePlayer &player, DisplayObject &clip, const std::function<void(ScriptContext &cx)> &work)
{
    Interpreter interpreter(player, clip, QByteArray());
    work(interpreter);
}

void RunInterval(MoviePlayer &player, DisplayObject &root, const ScriptEngine::Interval &interval)
{
    Interpreter(player, root, QByteArray()).runInterval(interval);
}

} // namespace swf
