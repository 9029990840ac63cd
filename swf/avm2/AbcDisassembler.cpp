// Prints an ABC block's classes, scripts and method bodies as text.

#include "swf/avm2/AbcDisassembler.h"

#include "swf/avm2/Instruction.h"

#include <QStringList>

namespace swf::avm2 {
namespace {

// Type names may name type names; a hostile block may make them a loop.
constexpr int MaxTypeNameDepth = 8;

QString quoted(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == '"' || c == '\\')
            out += '\\' + QString(c);
        else if (c == '\n')
            out += QStringLiteral("\\n");
        else if (c == '\r')
            out += QStringLiteral("\\r");
        else if (c == '\t')
            out += QStringLiteral("\\t");
        else
            out += c;
    }
    return out + '"';
}

QString outOfRange(const char *pool, int64_t index)
{
    return QStringLiteral("<bad %1 %2>").arg(QLatin1String(pool)).arg(index);
}

class Printer {
public:
    explicit Printer(const AbcFile &abc) : f(abc) {}

    QString print()
    {
        out += QStringLiteral("abc %1.%2: %3 strings, %4 multinames, %5 methods, %6 classes, %7 scripts\n")
                   .arg(f.majorVersion)
                   .arg(f.minorVersion)
                   .arg(f.strings.size())
                   .arg(f.multinames.size())
                   .arg(f.methods.size())
                   .arg(f.instances.size())
                   .arg(f.scripts.size());
        for (size_t i = 0; i < f.instances.size(); ++i)
            printClass(i);
        for (size_t i = 0; i < f.scripts.size(); ++i) {
            out += QStringLiteral("\nscript %1 init method %2\n").arg(i).arg(f.scripts[i].init);
            printTraits(f.scripts[i].traits);
        }
        for (size_t i = 0; i < f.methods.size(); ++i)
            printMethod(i);
        return out;
    }

private:
    const AbcFile &f;
    QString out;

    QString name(uint32_t stringIndex) const
    {
        return stringIndex == 0 ? QStringLiteral("*") : f.strings[stringIndex];
    }

    QString nsSet(uint32_t set) const
    {
        QStringList names;
        for (uint32_t ns : f.nsSets[set])
            names << f.strings[f.namespaces[ns].name];
        return '{' + names.join(',') + '}';
    }

    QString multiname(int64_t index, int depth = 0) const
    {
        if (index < 0 || size_t(index) >= f.multinames.size())
            return outOfRange("multiname", index);
        if (index == 0)
            return QStringLiteral("*");
        const AbcMultiname &m = f.multinames[size_t(index)];
        const QString prefix = m.isAttribute() ? QStringLiteral("@") : QString();
        const QString runtime = QStringLiteral("[runtime]");
        switch (m.kind) {
        case MultinameKind::QName:
        case MultinameKind::QNameA:
            return prefix + f.strings[f.namespaces[m.ns].name] + "::" + name(m.name);
        case MultinameKind::RTQName:
        case MultinameKind::RTQNameA:
            return prefix + runtime + "::" + name(m.name);
        case MultinameKind::RTQNameL:
        case MultinameKind::RTQNameLA:
            return prefix + runtime + "::" + runtime;
        case MultinameKind::Multiname:
        case MultinameKind::MultinameA:
            return prefix + nsSet(m.nsSet) + "::" + name(m.name);
        case MultinameKind::MultinameL:
        case MultinameKind::MultinameLA:
            return prefix + nsSet(m.nsSet) + "::" + runtime;
        case MultinameKind::TypeName:
            return typeName(m, depth);
        }
        return outOfRange("multiname kind", int(m.kind));
    }

    QString typeName(const AbcMultiname &m, int depth) const
    {
        if (depth >= MaxTypeNameDepth)
            return QStringLiteral("...");
        QStringList params;
        for (uint32_t param : m.typeParams)
            params << multiname(param, depth + 1);
        return multiname(m.typeName, depth + 1) + ".<" + params.join(',') + '>';
    }

    template <typename T>
    QString pooled(const std::vector<T> &pool, int64_t index, const char *poolName) const
    {
        if (index < 0 || size_t(index) >= pool.size())
            return outOfRange(poolName, index);
        return QString::number(pool[size_t(index)]);
    }

    QString string(int64_t index) const
    {
        if (index < 0 || size_t(index) >= f.strings.size())
            return outOfRange("string", index);
        return quoted(f.strings[size_t(index)]);
    }

    QString constant(const AbcConstant &c) const
    {
        switch (c.kind) {
        case ConstantKind::Undefined:
            return QStringLiteral("undefined");
        case ConstantKind::False:
            return QStringLiteral("false");
        case ConstantKind::True:
            return QStringLiteral("true");
        case ConstantKind::Null:
            return QStringLiteral("null");
        case ConstantKind::Utf8:
            return string(c.index);
        case ConstantKind::Int:
            return pooled(f.ints, c.index, "int");
        case ConstantKind::UInt:
            return pooled(f.uints, c.index, "uint");
        case ConstantKind::Double:
            return pooled(f.doubles, c.index, "double");
        default:
            return QStringLiteral("namespace ") + quoted(f.strings[f.namespaces[c.index].name]);
        }
    }

    static QString attributes(uint8_t bits)
    {
        QString text;
        if (bits & TraitFinal)
            text += QStringLiteral(" final");
        if (bits & TraitOverride)
            text += QStringLiteral(" override");
        return text;
    }

    QString trait(const AbcTrait &t) const
    {
        const QString traitName = multiname(t.name);
        switch (t.kind) {
        case TraitKind::Slot:
        case TraitKind::Const:
            return QStringLiteral("%1 %2 %3 : %4 = %5")
                .arg(t.kind == TraitKind::Slot ? "slot" : "const")
                .arg(t.slotId)
                .arg(traitName, multiname(t.typeName), constant(t.value));
        case TraitKind::Method:
        case TraitKind::Getter:
        case TraitKind::Setter: {
            static const char *const Names[] = {"method", "getter", "setter"};
            return QStringLiteral("%1 disp %2 %3 -> method %4")
                .arg(QLatin1String(Names[int(t.kind) - int(TraitKind::Method)]))
                .arg(t.dispId)
                .arg(traitName)
                .arg(t.method);
        }
        case TraitKind::Class:
            return QStringLiteral("class %1 %2 -> class %3").arg(t.slotId).arg(traitName).arg(t.classIndex);
        case TraitKind::Function:
            return QStringLiteral("function %1 %2 -> method %3").arg(t.slotId).arg(traitName).arg(t.method);
        }
        return QString();
    }

    void printTraits(const std::vector<AbcTrait> &traits, const QString &indent = QStringLiteral("  "))
    {
        for (const AbcTrait &t : traits) {
            out += indent + trait(t) + attributes(t.attributes);
            for (uint32_t m : t.metadata)
                out += QStringLiteral(" [%1]").arg(f.strings[f.metadata[m].name]);
            out += '\n';
        }
    }

    void printClass(size_t i)
    {
        const AbcInstance &in = f.instances[i];
        out += QStringLiteral("\nclass %1 %2 extends %3").arg(i).arg(multiname(in.name), multiname(in.superName));
        if (!in.interfaces.empty()) {
            QStringList names;
            for (uint32_t type : in.interfaces)
                names << multiname(type);
            out += QStringLiteral(" implements ") + names.join(QStringLiteral(", "));
        }
        if (in.flags & InstanceSealed)
            out += QStringLiteral(" sealed");
        if (in.flags & InstanceFinal)
            out += QStringLiteral(" final");
        if (in.flags & InstanceInterface)
            out += QStringLiteral(" interface");
        out += QStringLiteral("\n  instance init method %1, class init method %2\n")
                   .arg(in.iinit)
                   .arg(f.classes[i].cinit);
        printTraits(in.traits);
        out += QStringLiteral("  static:\n");
        printTraits(f.classes[i].traits, QStringLiteral("    "));
    }

    QString signature(const AbcMethod &m) const
    {
        QStringList params;
        const size_t firstOptional = m.paramTypes.size() - m.optionals.size();
        for (size_t p = 0; p < m.paramTypes.size(); ++p) {
            QString param = m.paramNames.empty() ? QString() : name(m.paramNames[p]) + ':';
            param += multiname(m.paramTypes[p]);
            if (p >= firstOptional)
                param += " = " + constant(m.optionals[p - firstOptional]);
            params << param;
        }
        if (m.flags & MethodNeedRest)
            params << QStringLiteral("...rest");
        return '(' + params.join(QStringLiteral(", ")) + ") : " + multiname(m.returnType);
    }

    void printMethod(size_t i)
    {
        const AbcMethod &m = f.methods[i];
        out += QStringLiteral("\nmethod %1 %2%3\n").arg(i).arg(quoted(f.strings[m.name]), signature(m));
        if (m.body < 0)
            return;
        const AbcBody &b = f.bodies[size_t(m.body)];
        out += QStringLiteral("  stack %1, locals %2, scopes %3..%4, %5 bytes\n")
                   .arg(b.maxStack)
                   .arg(b.localCount)
                   .arg(b.initScopeDepth)
                   .arg(b.maxScopeDepth)
                   .arg(b.code.size());
        printCode(b);
        for (const AbcException &e : b.exceptions) {
            out += QStringLiteral("  catch %1..%2 -> %3 type %4 as %5\n")
                       .arg(e.from)
                       .arg(e.to)
                       .arg(e.target)
                       .arg(multiname(e.type), multiname(e.varName));
        }
        printTraits(b.traits, QStringLiteral("  activation "));
    }

    void printCode(const AbcBody &b)
    {
        int position = 0;
        while (position < b.code.size()) {
            const auto instruction = DecodeInstruction(b.code, position);
            if (!instruction) {
                out += QStringLiteral("  %1  <undecodable byte 0x%2>\n")
                           .arg(position, 5)
                           .arg(uint8_t(b.code[position]), 2, 16, QLatin1Char('0'));
                return;
            }
            out += QStringLiteral("  %1  %2\n").arg(position, 5).arg(instructionText(*instruction, b));
            position = instruction->next();
        }
    }

    QString instructionText(const Instruction &in, const AbcBody &b) const
    {
        QString text = QLatin1String(in.info->name);
        for (int i = 0; i < in.info->operandCount; ++i)
            text += ' ' + operand(in, i, b);
        return text;
    }

    QString operand(const Instruction &in, int i, const AbcBody &b) const
    {
        const int64_t value = in.operands[i];
        switch (in.info->operands[i]) {
        case OperandKind::Byte:
            return QString::number(in.op() == Op::PushByte ? int(int8_t(value)) : int(value));
        case OperandKind::U30:
            return QString::number(in.op() == Op::PushShort ? int32_t(value) : value);
        case OperandKind::Register:
            return 'r' + QString::number(value);
        case OperandKind::Offset:
            return "-> " + QString::number(in.target(int32_t(value)));
        case OperandKind::CaseOffsets: {
            QStringList targets;
            for (int32_t offset : in.caseOffsets)
                targets << QString::number(in.target(offset));
            return '[' + targets.join(',') + ']';
        }
        case OperandKind::Multiname:
            return multiname(value);
        case OperandKind::String:
            return string(value);
        case OperandKind::Int:
            return pooled(f.ints, value, "int");
        case OperandKind::UInt:
            return pooled(f.uints, value, "uint");
        case OperandKind::Double:
            return pooled(f.doubles, value, "double");
        case OperandKind::Namespace:
            if (size_t(value) >= f.namespaces.size())
                return outOfRange("namespace", value);
            return "namespace " + quoted(f.strings[f.namespaces[size_t(value)].name]);
        case OperandKind::Method:
            return size_t(value) < f.methods.size() ? "method " + QString::number(value)
                                                    : outOfRange("method", value);
        case OperandKind::Class:
            return size_t(value) < f.classes.size() ? "class " + multiname(f.instances[size_t(value)].name)
                                                    : outOfRange("class", value);
        case OperandKind::Exception:
            return size_t(value) < b.exceptions.size() ? "catch " + QString::number(value)
                                                       : outOfRange("exception", value);
        }
        return QString();
    }
};

} // namespace

QString DisassembleAbc(const AbcFile &abc)
{
    return Printer(abc).print();
}

} // namespace swf::avm2
