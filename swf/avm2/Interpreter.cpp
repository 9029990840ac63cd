// Runs a method's code: sets up its frame from the call, then dispatches
// each instruction to its handler and routes thrown values to the body's
// exception handlers.
#include "swf/avm2/Interpreter.h"

#include "swf/avm2/builtins/ArrayObject.h"
#include "swf/avm2/builtins/NamespaceObject.h"

namespace swf::avm2 {

namespace {

constexpr int StackOverflowError = 1023;
constexpr int ArgumentCountError = 1063;
constexpr int VerifyFellOffError = 1020;

HandlerTable makeTable()
{
    HandlerTable table{};
    RegisterStackHandlers(table);
    RegisterArithmeticHandlers(table);
    RegisterControlHandlers(table);
    RegisterPropertyHandlers(table);
    RegisterObjectHandlers(table);
    RegisterTypeHandlers(table);
    RegisterMemoryHandlers(table);
    return table;
}

const HandlerTable &handlers()
{
    static const HandlerTable table = makeTable();
    return table;
}

void resolveTypes(Runtime &rt, Method *method)
{
    if (method->typesResolved || !method->unit)
        return;
    bool all = true;
    method->paramTypes.clear();
    for (uint32_t type : method->info->paramTypes) {
        Class *cls = method->unit->resolveType(type);
        all = all && (type == 0 || cls);
        method->paramTypes.push_back(cls);
    }
    const uint32_t ret = method->info->returnType;
    method->returnType = method->unit->resolveType(ret);
    all = all && (ret == 0 || method->returnType || method->unit->multinames[ret].name == QLatin1String("void"));
    method->typesResolved = all;
    (void)rt;
}

const PreparedCode *prepare(Runtime &rt, Method *method)
{
    if (!method->prepared) {
        int id = 0, offset = 0;
        std::unique_ptr<PreparedCode> code = PrepareCode(*method->body, id, offset);
        if (!code)
            rt.throwError(ErrorType::VerifyError, id,
                          QStringList{method->name, QString::number(offset), QString::number(offset)});
        method->prepared = std::move(code);
    }
    return method->prepared.get();
}

void bindArguments(Frame &f, const Value &self, Args args)
{
    Runtime &rt = f.rt;
    Method *method = f.method;
    const AbcMethod &info = *method->info;
    const auto declared = uint32_t(info.paramTypes.size());
    const auto required = declared - std::min<uint32_t>(declared, uint32_t(info.optionals.size()));
    const bool rest = info.flags & MethodNeedRest;
    const bool arguments = info.flags & MethodNeedArguments;
    const bool countMismatch = uint32_t(args.count) < required || (uint32_t(args.count) > declared && !rest && !arguments);
    if (countMismatch && !method->anyArgumentCount)
        rt.throwError(ErrorType::ArgumentError, ArgumentCountError,
                      QStringList{method->name.isEmpty() ? QStringLiteral("Function/<anonymous>()") : method->name,
                                  QString::number(required), QString::number(args.count)});
    const uint32_t registers = std::max<uint32_t>(method->body->localCount, declared + 2);
    f.locals.assign(registers, Value());
    f.locals[0] = self;
    resolveTypes(rt, method);
    for (uint32_t i = 0; i < declared; ++i) {
        Value v = i < uint32_t(args.count) ? args[int(i)]
                  : i < required           ? Value()
                                           : method->unit->constant(info.optionals[i - required]);
        Class *type = i < method->paramTypes.size() ? method->paramTypes[i] : nullptr;
        f.locals[i + 1] = rt.coerce(v, type);
    }
    if (rest || arguments) {
        std::vector<Value> extra;
        for (int i = arguments ? 0 : int(declared); i < args.count; ++i)
            extra.push_back(args[i]);
        ArrayObject *array = rt.newArray(std::move(extra));
        if (arguments && !rest && f.callee)
            array->dynamics.set(QStringLiteral("callee"), Value(static_cast<Object *>(f.callee)), false);
        f.locals[declared + 1] = Value(static_cast<Object *>(array));
    }
}

// The handler of the body that catches v thrown at instruction ip, or nullptr.
const PreparedHandler *findHandler(Frame &f, int32_t ip, const Value &thrown)
{
    for (const PreparedHandler &handler : f.code->handlers) {
        if (ip < handler.from || ip >= handler.to)
            continue;
        const AbcException &info = f.method->body->exceptions[handler.exceptionIndex];
        if (info.type == 0)
            return &handler;
        Class *type = f.unit->resolveType(info.type);
        if (type ? f.rt.isType(thrown, type) : f.rt.hasClassNamed(thrown, f.unit->multinames[info.type]))
            return &handler;
    }
    return nullptr;
}

void run(Frame &f)
{
    const HandlerTable &table = handlers();
    const auto count = int32_t(f.code->instructions.size());
    while (!f.done) {
        if (f.ip >= count || f.ip < 0)
            f.rt.throwError(ErrorType::VerifyError, VerifyFellOffError, QStringList{});
        const int32_t ip = f.ip++;
        const PreparedInstruction &in = f.code->instructions[size_t(ip)];
        if (--f.rt.instructionsLeft < 0)
            throw ScriptAbort{QStringLiteral("the script ran too long")};
        try {
            Handler handler = table[uint8_t(in.op)];
            if (!handler)
                f.throwVerify();
            handler(f, in);
        } catch (Exception &e) {
            const PreparedHandler *handler = findHandler(f, ip, e.value);
            if (!handler)
                throw;
            f.stack.clear();
            f.scopes.clear();
            f.stack.push_back(e.value);
            f.ip = handler->target;
        }
    }
}

struct DepthGuard {
    int &depth;
    explicit DepthGuard(int &d) : depth(d) { ++depth; }
    ~DepthGuard() { --depth; }
};

} // namespace

std::vector<Value> Frame::popArgs(uint32_t count)
{
    if (count > stack.size())
        throwVerify();
    std::vector<Value> args(std::make_move_iterator(stack.end() - count), std::make_move_iterator(stack.end()));
    stack.resize(stack.size() - count);
    return args;
}

SavedScope Frame::capture() const
{
    if (scopes.empty())
        return outer;
    auto chain = std::make_shared<ScopeChain>(outer ? *outer : ScopeChain{});
    chain->insert(chain->end(), scopes.begin(), scopes.end());
    return chain;
}

Value Frame::globalObject() const
{
    if (outer && !outer->empty())
        return outer->front().object;
    return scopes.empty() ? Value() : scopes.front().object;
}

void Frame::throwVerify()
{
    // ip has moved past the instruction that failed.
    const bool inCode = code && ip > 0 && size_t(ip) <= code->instructions.size();
    const PreparedInstruction *at = inCode ? &code->instructions[size_t(ip) - 1] : nullptr;
    rt.throwError(ErrorType::VerifyError, 1011,
                  QStringList{method->name, at ? QString::number(int(at->op)) : QString(),
                              at ? QString::number(at->offset) : QString()});
}

void PopName(Frame &f, uint32_t index, NameOperand &out)
{
    if (index == 0 || index >= f.unit->multinames.size())
        f.throwVerify();
    const AbcMultiname &abc = f.unit->file.multinames[index];
    const Multiname &fixed = f.unit->multinames[index];
    if (!abc.hasRuntimeName() && !abc.hasRuntimeNamespace()) {
        out.name = &fixed;
        return;
    }
    out.storage = fixed;
    out.name = &out.storage;
    if (abc.hasRuntimeName()) {
        Value key = f.pop();
        if (auto *qname = dynamic_cast<QNameObject *>(key.asObject())) {
            out.storage.name = qname->localName;
            out.storage.anyName = qname->anyName;
            if (qname->ns) {
                out.storage.namespaces = {qname->ns};
                out.storage.anyNamespace = false;
            } else {
                out.storage.anyNamespace = true;
            }
        } else {
            out.storage.name = key.isString() ? key.asString() : f.rt.toString(key);
            out.key = std::move(key);
            out.keyed = !abc.hasRuntimeNamespace();
        }
    }
    if (abc.hasRuntimeNamespace()) {
        const Value ns = f.pop();
        auto *object = dynamic_cast<NamespaceObject *>(ns.asObject());
        if (!object)
            f.rt.throwError(ErrorType::TypeError, 1034, QStringList{f.rt.describe(ns), QStringLiteral("Namespace")});
        out.storage.namespaces = {object->ns};
        out.storage.anyNamespace = false;
    }
}

Value Runtime::invoke(Method *method, const Value &self, Args args, const SavedScope &scope, FunctionObject *callee)
{
    if (!method)
        throwError(ErrorType::TypeError, 1006, QStringList{QStringLiteral("value")});
    // Built-ins do not count: making the overflow's own error must not overflow.
    if (method->native)
        return method->native(*this, self, args);
    if (callDepth >= MaxCallDepth)
        throwError(ErrorType::Error, StackOverflowError, QStringList{});
    DepthGuard guard(callDepth);
    if (!method->body)
        throwError(ErrorType::VerifyError, 1011, QStringList{method->name, QString(), QString()});
    Frame f{*this, method, method->unit, prepare(*this, method), scope, callee, {}, {}, {}, 0, false, Value(), Value()};
    f.stack.reserve(std::min<size_t>(method->body->maxStack + 1, Frame::MaxStack));
    bindArguments(f, self, args);
    run(f);
    if (method->returnType)
        return coerce(f.result, method->returnType);
    return f.result;
}

} // namespace swf::avm2
