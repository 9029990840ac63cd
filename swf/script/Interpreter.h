#pragma once

#include "swf/script/Conversions.h"
#include "swf/script/ScopeChain.h"
#include "swf/script/ScriptEngine.h"
#include "swf/script/VariablePath.h"

#include <QByteArray>

#include <functional>
#include <optional>

namespace swf {

class MoviePlayer;
class SwfReader;
struct DisplayObject;

// Runs one block of frame, button or clip-event actions on behalf of a clip:
// the ActionScript 1 and 2 stack machine (timeline control, variables and
// paths, operators, functions, objects, with, try), calling into the
// built-ins of the movie's ScriptEngine. A block that runs longer than
// MoviePlayer::MaxActionsPerBlock actions, or past the frame's allowance of
// work, is stopped.
void RunActions(MoviePlayer &player, DisplayObject &clip, const QByteArray &actions);

// Calls a script function set on a clip as an event handler (onEnterFrame,
// onPress...), with the clip as `this`.
void RunHandler(MoviePlayer &player, DisplayObject &clip, ScriptObject *handler);

// Tells the listeners of a global object (Key, Mouse) of an event: calls
// its broadcastMessage with the event's name, on behalf of the root.
void RunBroadcast(MoviePlayer &player, DisplayObject &root, const QString &source, const QString &message);

// Runs the player's own work that calls into scripts (a load's callback),
// on behalf of clip.
void RunNative(MoviePlayer &player, DisplayObject &clip, const std::function<void(ScriptContext &cx)> &work);

// Runs a due setInterval call, on behalf of the root.
void RunInterval(MoviePlayer &player, DisplayObject &root, const ScriptEngine::Interval &interval);

// What a built-in function carries that the reference player writes in
// ActionScript: the functions it calls see it as their caller, as they see
// a script function.
struct WrittenAsScript : NativePayload {};

// The interpreter of one block: a frame's or a button's actions, or a
// function body. Each action goes to a method of its own by its code.
class Interpreter : public ScriptContext {
public:
    // A frame or button block, on behalf of clip.
    Interpreter(MoviePlayer &player, DisplayObject &clip, const QByteArray &actions);
    // How a script function is called: what calls it, and how `super` and
    // `this` come out in it.
    struct CallSetup {
        // The function being called, and the one calling (null at the top).
        ScriptObject *callee = nullptr;
        Value caller = Null{};
        // The caller's this and target, which some calls inherit.
        Value callerThis;
        ClipRef callerTarget;
        // Called by `new` (or by super() from a constructor).
        bool construct = false;
        // Called by the player (an event handler, a getter or setter): a
        // version 5 function then runs on the clip that defined it.
        bool special = false;
        // Called through super: the prototype super starts above in the
        // callee (null: none); otherwise the prototype of this.
        bool viaSuper = false;
        ScriptObject *superBase = nullptr;
    };

    // A call of a script function.
    Interpreter(MoviePlayer &player, const ScriptObject &function, const Value &self, const std::vector<Value> &args,
                const CallSetup &setup);

    // Runs to the end, a Return or a throw nobody catches; the returned value.
    Value run();
    // The value thrown out of the block, if one was.
    const std::optional<Value> &thrown() const { return m_thrown; }
    // Runs an interval's function, or its object's method.
    void runInterval(const ScriptEngine::Interval &interval);
    // Calls an event handler on self, as the player does.
    void callHandler(ScriptObject *handler, const Value &self);

    QString toString(const Value &v) override { return m_convert.toString(v); }
    double toNumber(const Value &v) override { return m_convert.toNumber(v); }
    bool toBool(const Value &v) override { return m_convert.toBool(v); }
    Value call(const Value &function, const Value &self, const std::vector<Value> &args) override;
    bool constructing() const override { return m_constructing; }
    DisplayObject *targetClip() override { return target(); }
    ScriptEngine &engine() override { return m_engine; }
    MoviePlayer &player() override { return m_player; }

private:
    // The action being run: its code, its body, the reader of the whole
    // block (for jumps and inline function code) and where the next starts.
    struct Action {
        int code;
        SwfReader &body;
        SwfReader &block;
        int next;
    };
    using Handler = void (Interpreter::*)(Action &);
    struct Dispatch;

    // A try block's regions: try, catch, finally, each ending where the
    // next begins; the one the code is in, and the value a finally block
    // throws on when it ends.
    struct TryBlock {
        enum class Phase { Try, Catch, Finally };
        int tryStart, tryEnd, catchEnd, finallyEnd;
        bool hasCatch;
        int catchRegister; // -1: the catch value goes to a variable
        QString catchName;
        Phase phase = Phase::Try;
        std::optional<Value> pending;
    };

    // Where a variable name points: the clip or object that holds it
    // (undefined when the path leads nowhere), the path given, the name itself.
    struct VariablePlace {
        Value owner;
        QString path;
        QString variable;
    };

    // The stack.
    Value pop();
    void push(Value v);
    void push(ScriptObject *object);
    std::vector<Value> popArguments();
    QString key(const QString &name) const { return m_engine.key(name); }
    // Once the clip tellTarget went to is removed, actions act on their own clip again.
    DisplayObject *target() const { return m_target.get() ? m_target.get() : m_origin.get(); }

    // Names, variables and members.
    DisplayObject *clipAt(const QString &path);
    DisplayObject *clipFrom(DisplayObject &from, const QString &path);
    // Where a path leads from a clip: a clip, or an object some segment
    // reached through a variable; undefined when it leads nowhere. name is
    // the whole name the path came from, which decides its syntax.
    Value walkPath(DisplayObject &from, const QString &path, const QString &name, PathUse use);
    Value pathStep(const Value &from, const QString &segment);
    DisplayObject *namedClip(DisplayObject &clip, const QString &segment);
    // What a name reaching the object gives scripts of this movie's version.
    DisplayObject *scriptable(DisplayObject *object) const;
    VariablePlace locate(const QString &name);
    // The variable's value; holder, when given, learns the scope it was
    // found in (a with object, an activation, a clip, the globals), which
    // a function called by name gets as its this.
    Value getVariable(const QString &name, Value *holder = nullptr);
    // A dotted name that leads through objects rather than clips
    // ("_global.Math.PI"): its first name as a variable, then members.
    Value getObjectPath(const QString &name);
    void setVariable(const QString &name, const Value &value);
    void defineLocal(const QString &name, const Value &value);
    Value getMember(const Value &object, const QString &name) override;
    // A member's value: a property's is what its getter answers for self.
    Value memberValue(const ScriptObject::Member *member, const Value &self);
    // What a clip inherits under key from its prototype chain.
    const ScriptObject::Member *clipMember(const DisplayObject &clip, const QString &key);
    // The __resolve function that answers an object's missing members, or null.
    ScriptObject *resolver(const ScriptObject &object);
    // The nearest property (made by addProperty) of the clip's prototype chain, or nullptr.
    const ScriptObject::Member *clipProperty(const DisplayObject &clip, const QString &key);
    // An assignment through a property's setter; none, or read-only: nothing happens.
    void writeProperty(const ScriptObject::Member &property, const Value &self, const Value &value);
    bool hasMember(const Value &object, const QString &name);
    void setMember(const Value &object, const QString &name, const Value &value) override;
    // What an assignment stores in holder's member under key: the value, or
    // what the member's watch answers for it, called on self.
    Value watchedValue(ScriptObject &holder, const Value &self, const QString &key, const QString &name,
                       const Value &value);
    bool deleteMember(const Value &object, const QString &name);
    void enumerate(const Value &object);
    std::vector<QString> enumerableNames(const ScriptObject &object);

    // Calls.
    Value invoke(const Value &function, const Value &self, const std::vector<Value> &args, CallSetup setup);
    Value callMethod(const Value &object, const QString &name, const std::vector<Value> &args) override;
    Value construct(const Value &constructor, const std::vector<Value> &args) override;
    void markConstructed(ScriptObject &created, const Value &constructor);
    bool instanceOf(const Value &object, const Value &constructor) override;
    // The prototype an object or clip inherits from.
    ScriptObject *prototypeOf(const Value &object);
    // The prototype up the chain that holds the member under key; null
    // when the object has it itself, or nothing has it.
    ScriptObject *methodHolder(const Value &object, const QString &key);
    ScriptObject *defineFunction(Action &a, bool version2);
    // Hands a thrown value to the innermost try block; false when none takes it.
    bool catchThrown(const Value &value, SwfReader &r);
    // Moves the try blocks on as the code leaves their regions: past the
    // try block to the finally block, out of a finally block (throwing
    // what it holds). False when a throw leaves the block.
    bool settleTryBlocks(SwfReader &r);

    // `super`: made when first asked for; what it reads, calls and constructs.
    Value superObject();
    Value superMember(const ScriptObject &super, const QString &name);
    Value superCallMethod(const ScriptObject &super, const QString &name, const std::vector<Value> &args);
    Value superConstruct(const ScriptObject &super, const std::vector<Value> &args);
    // The running function's own local of the name, if it has one (a
    // parameter called `this` or `super` stands in for them).
    const Value *ownLocal(const QString &name);
    void gotoFrame(DisplayObject &clip, const Value &frame, bool play, int bias);

    // The actions, by the group they belong to.
    void nextFrame(Action &);
    void previousFrame(Action &);
    void play(Action &);
    void stop(Action &);
    void nothing(Action &);
    void toggleQuality(Action &);
    void stopSounds(Action &);
    void gotoFrameAction(Action &);
    void gotoLabel(Action &);
    void gotoFrame2(Action &);
    void popDiscarded(Action &);
    void setTarget(Action &);
    // Points the actions that follow at the clip a target path names.
    void retarget(const QString &path);
    void setTarget2(Action &);
    void getUrl(Action &);
    void getUrl2(Action &);
    void callFrame(Action &);

    void pushValues(Action &);
    void duplicate(Action &);
    void swap(Action &);
    void storeRegister(Action &);
    void constantPool(Action &);

    void arithmetic(Action &);
    void increment(Action &);
    void decrement(Action &);
    void numberEquals(Action &);
    void numberLess(Action &);
    void logicalAnd(Action &);
    void logicalOr(Action &);
    void logicalNot(Action &);
    void compare(Action &);
    void equals2(Action &);
    void strictEquals(Action &);
    void bitwise(Action &);
    void toInteger(Action &);
    void randomNumber(Action &);
    void getTime(Action &);
    void stringEquals(Action &);
    void stringLess(Action &);
    void stringGreater(Action &);
    void stringLength(Action &);
    void stringAdd(Action &);
    void stringExtract(Action &);
    void charToAscii(Action &);
    void asciiToChar(Action &);
    void add2(Action &);
    void toNumberAction(Action &);
    void toStringAction(Action &);
    void typeOf(Action &);

    void getVariableAction(Action &);
    void setVariableAction(Action &);
    void defineLocalAction(Action &);
    void defineLocal2(Action &);
    void deleteAction(Action &);
    void delete2(Action &);
    void getProperty(Action &);
    void setProperty(Action &);
    void targetPath(Action &);
    void getMemberAction(Action &);
    void setMemberAction(Action &);
    void callMethodAction(Action &);
    void callFunction(Action &);
    void returnAction(Action &);

    void defineFunctionAction(Action &);
    void newObject(Action &);
    void newMethod(Action &);
    void initArray(Action &);
    void initObject(Action &);
    void enumerateAction(Action &);
    void enumerate2(Action &);
    void instanceOfAction(Action &);
    void castOp(Action &);
    void implementsOp(Action &);
    void extends(Action &);
    void with(Action &);
    void tryAction(Action &);
    void throwAction(Action &);

    void startDrag(Action &);
    void cloneSprite(Action &);
    void removeSprite(Action &);
    void trace(Action &);
    void jump(Action &);
    void branchIf(Action &);

    // Makes the interpreter's movie, while it lives, the one whose clips
    // references to removed clips find (ClipAtScriptPath).
    class PlayerScope {
    public:
        explicit PlayerScope(MoviePlayer &player);
        ~PlayerScope();
        PlayerScope(const PlayerScope &) = delete;
        PlayerScope &operator=(const PlayerScope &) = delete;

    private:
        MoviePlayer *m_outer;
    };

    MoviePlayer &m_player;
    PlayerScope m_playerScope;
    ScriptEngine &m_engine;
    Conversions m_convert;
    ClipRef m_origin;
    ClipRef m_target;
    QByteArray m_code;
    int m_version;
    Value m_this;
    std::vector<Value> m_stack;
    std::vector<QString> m_constants;
    std::vector<Value> m_registers;
    ScopeChain m_scope;
    std::vector<TryBlock> m_tries;
    Value m_returned;
    std::optional<Value> m_thrown;
    bool m_done = false;
    // The last action jumped rather than stepped on.
    bool m_jumped = false;
    // The function running (null at the top of a block), the one that called it.
    ScriptObject *m_callee = nullptr;
    // The built-in function written in ActionScript running now, which
    // functions it calls see as their caller.
    ScriptObject *m_native = nullptr;
    Value m_caller = Null{};
    bool m_constructing = false;
    // What `super` stands for in this call: none before version 6, nor
    // without a this, nor when DefineFunction2 suppresses it.
    bool m_hasSuper = false;
    Value m_superThis;
    ScriptObject *m_superBase = nullptr;
    ScriptObject *m_super = nullptr;
};

} // namespace swf
