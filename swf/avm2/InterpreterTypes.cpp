// Conversions and type tests.
#include "swf/avm2/Interpreter.h"

#include "swf/avm2/builtins/XmlObject.h"

namespace swf::avm2 {

namespace {

constexpr int CoercionError = 1034;
constexpr int InstanceOfError = 1040;
constexpr int IsTypeError = 1041;
constexpr int FilterError = 1123;

// A name that no class answers yet (a class whose script has not run) is
// matched by name.
bool typeMatchesByName(Runtime &rt, const Value &v, const Multiname &name) { return rt.hasClassNamed(v, name); }

Class *typeOperand(Frame &f, uint32_t index, bool &known)
{
    if (index == 0 || index >= f.unit->multinames.size())
        f.throwVerify();
    Class *cls = f.unit->resolveType(index);
    known = cls || f.unit->multinames[index].anyName;
    return cls;
}

void coerce(Frame &f, const PreparedInstruction &in)
{
    bool known = false;
    Class *type = typeOperand(f, in.a, known);
    Value &v = f.top();
    if (known) {
        v = f.rt.coerce(v, type);
        return;
    }
    if (v.isNullish()) {
        v = Value::null();
        return;
    }
    if (!typeMatchesByName(f.rt, v, f.unit->multinames[in.a]))
        f.rt.throwError(ErrorType::TypeError, CoercionError,
                        QStringList{f.rt.describe(v), f.unit->multinames[in.a].displayName()});
}

void coerceA(Frame &, const PreparedInstruction &) {}
void coerceS(Frame &f, const PreparedInstruction &)
{
    Value &v = f.top();
    v = v.isNullish() ? Value::null() : Value(f.rt.toString(v));
}
void coerceO(Frame &f, const PreparedInstruction &)
{
    Value &v = f.top();
    if (v.isUndefined())
        v = Value::null();
}
void convertS(Frame &f, const PreparedInstruction &)
{
    Value &v = f.top();
    v = Value(f.rt.toString(v));
}
void convertI(Frame &f, const PreparedInstruction &)
{
    Value &v = f.top();
    v = Value(f.rt.toInt(v));
}
void convertU(Frame &f, const PreparedInstruction &)
{
    Value &v = f.top();
    v = Value::fromUint(f.rt.toUint(v));
}
void convertD(Frame &f, const PreparedInstruction &)
{
    Value &v = f.top();
    v = Value::number(f.rt.toNumber(v));
}
void convertB(Frame &f, const PreparedInstruction &)
{
    Value &v = f.top();
    v = Value(f.rt.toBoolean(v));
}
void convertO(Frame &f, const PreparedInstruction &)
{
    const Value &v = f.top();
    if (v.isNullish())
        f.rt.throwError(ErrorType::TypeError, v.isNull() ? 1009 : 1010, QStringList{});
}

void isType(Frame &f, const PreparedInstruction &in)
{
    bool known = false;
    Class *type = typeOperand(f, in.a, known);
    const Value v = f.pop();
    f.push(Value(known ? (type ? f.rt.isType(v, type) : !v.isUndefined())
                       : typeMatchesByName(f.rt, v, f.unit->multinames[in.a])));
}

void asType(Frame &f, const PreparedInstruction &in)
{
    bool known = false;
    Class *type = typeOperand(f, in.a, known);
    Value &v = f.top();
    const bool is = known ? f.rt.isType(v, type) : typeMatchesByName(f.rt, v, f.unit->multinames[in.a]);
    if (!is)
        v = Value::null();
}

Class *classOperand(Frame &f, const Value &type)
{
    auto *cls = dynamic_cast<Class *>(type.asObject());
    if (!cls)
        f.rt.throwError(ErrorType::TypeError, IsTypeError, QStringList{});
    return cls;
}

void isTypeLate(Frame &f, const PreparedInstruction &)
{
    const Value type = f.pop();
    const Value v = f.pop();
    f.push(Value(f.rt.isType(v, classOperand(f, type))));
}

void asTypeLate(Frame &f, const PreparedInstruction &)
{
    const Value type = f.pop();
    const Value v = f.pop();
    f.push(f.rt.isType(v, classOperand(f, type)) ? v : Value::null());
}

void instanceOf(Frame &f, const PreparedInstruction &)
{
    const Value type = f.pop();
    const Value v = f.pop();
    Object *ctor = type.asObject();
    if (!ctor)
        f.rt.throwError(ErrorType::TypeError, InstanceOfError, QStringList{});
    Object *proto = nullptr;
    if (auto *cls = dynamic_cast<Class *>(ctor))
        proto = cls->prototypeObject;
    else if (dynamic_cast<FunctionObject *>(ctor))
        proto = f.rt.get(type, QStringLiteral("prototype")).asObject();
    else
        f.rt.throwError(ErrorType::TypeError, InstanceOfError, QStringList{});
    bool result = false;
    if (!v.isNullish() && proto)
        for (Object *p = f.rt.prototypeOf(v); p; p = p->prototype())
            if (p == proto) {
                result = true;
                break;
            }
    f.push(Value(result));
}

void checkFilter(Frame &f, const PreparedInstruction &)
{
    const Value &v = f.top();
    const QString type = f.rt.typeOf(v);
    if (type != QLatin1String("xml"))
        f.rt.throwError(ErrorType::TypeError, FilterError, QStringList{f.rt.describe(v)});
}

void escXElem(Frame &f, const PreparedInstruction &)
{
    Value &v = f.top();
    // XML placed into a literal keeps its markup.
    if (std::optional<XmlNodeList> nodes = NodesOf(v))
        v = Value(ToXmlString(*nodes, f.rt.xmlSettings));
    else
        v = Value(EscapeElementValue(f.rt.toString(v)));
}

void escXAttr(Frame &f, const PreparedInstruction &)
{
    Value &v = f.top();
    v = Value(EscapeAttributeValue(f.rt.toString(v)));
}

void sxi1(Frame &f, const PreparedInstruction &)
{
    Value &v = f.top();
    v = Value(int32_t(0) - (f.rt.toInt(v) & 1));
}
void sxi8(Frame &f, const PreparedInstruction &)
{
    Value &v = f.top();
    v = Value(int32_t(int8_t(f.rt.toInt(v))));
}
void sxi16(Frame &f, const PreparedInstruction &)
{
    Value &v = f.top();
    v = Value(int32_t(int16_t(f.rt.toInt(v))));
}

} // namespace

void RegisterTypeHandlers(HandlerTable &t)
{
    t[uint8_t(Op::Coerce)] = coerce;
    t[uint8_t(Op::CoerceA)] = coerceA;
    t[uint8_t(Op::CoerceS)] = coerceS;
    t[uint8_t(Op::CoerceO)] = coerceO;
    t[uint8_t(Op::CoerceB)] = convertB;
    t[uint8_t(Op::CoerceI)] = convertI;
    t[uint8_t(Op::CoerceU)] = convertU;
    t[uint8_t(Op::CoerceD)] = convertD;
    t[uint8_t(Op::ConvertS)] = convertS;
    t[uint8_t(Op::ConvertI)] = convertI;
    t[uint8_t(Op::ConvertU)] = convertU;
    t[uint8_t(Op::ConvertD)] = convertD;
    t[uint8_t(Op::ConvertB)] = convertB;
    t[uint8_t(Op::ConvertO)] = convertO;
    t[uint8_t(Op::IsType)] = isType;
    t[uint8_t(Op::AsType)] = asType;
    t[uint8_t(Op::IsTypeLate)] = isTypeLate;
    t[uint8_t(Op::AsTypeLate)] = asTypeLate;
    t[uint8_t(Op::InstanceOf)] = instanceOf;
    t[uint8_t(Op::CheckFilter)] = checkFilter;
    t[uint8_t(Op::EscXElem)] = escXElem;
    t[uint8_t(Op::EscXAttr)] = escXAttr;
    t[uint8_t(Op::Sxi1)] = sxi1;
    t[uint8_t(Op::Sxi8)] = sxi8;
    t[uint8_t(Op::Sxi16)] = sxi16;
}

} // namespace swf::avm2
