// The top-level functions (trace, the number parsers, the URI codings) and
// constants (NaN, Infinity, undefined).
#include "swf/avm2/NumberConversion.h"
#include "swf/avm2/UriCoding.h"
#include "swf/avm2/builtins/DescribeType.h"
#include "swf/avm2/builtins/NativeHelpers.h"

#include <cmath>
#include <limits>

namespace swf::avm2 {

namespace {

constexpr int UriError = 1052;

Value trace(Runtime &rt, const Value &, Args args)
{
    QString line;
    for (int i = 0; i < args.count; ++i) {
        if (i)
            line += u' ';
        line += rt.toString(args[i]);
    }
    if (rt.onTrace)
        rt.onTrace(line);
    return Value();
}

Value isNaN(Runtime &rt, const Value &, Args args) { return Value(std::isnan(rt.toNumber(args[0]))); }
Value isFinite(Runtime &rt, const Value &, Args args) { return Value(std::isfinite(rt.toNumber(args[0]))); }

Value parseInt(Runtime &rt, const Value &, Args args)
{
    const int radix = args[1].isUndefined() ? 0 : rt.toInt(args[1]);
    return Value::number(ParseInt(rt.toString(args[0]), radix));
}

Value parseFloat(Runtime &rt, const Value &, Args args) { return Value::number(ParseFloat(rt.toString(args[0]))); }

Value escape(Runtime &rt, const Value &, Args args)
{
    if (!args.has(0))
        return Value(QStringLiteral("undefined"));
    // A null or undefined argument coerces to the String parameter's null, which reads "null".
    return Value(Escape(args[0].isNullish() ? QStringLiteral("null") : rt.toString(args[0])));
}

Value unescape(Runtime &rt, const Value &, Args args)
{
    if (!args.has(0))
        return Value(QStringLiteral("undefined"));
    // A null or undefined argument coerces to the String parameter's null, which reads "null".
    return Value(Unescape(args[0].isNullish() ? QStringLiteral("null") : rt.toString(args[0])));
}

template <QString (*Coding)(const QString &, bool *)> Value uriCoding(Runtime &rt, const Value &, Args args)
{
    const QString input = args.has(0) ? rt.toString(args[0]) : QStringLiteral("undefined");
    bool ok = true;
    QString out = Coding(input, &ok);
    if (!ok)
        rt.throwError(ErrorType::URIError, UriError, QStringList{QStringLiteral("uri")});
    return Value(out);
}

std::vector<NativeFunction> topLevelFunctions()
{
    return {
        {"", "trace", trace, 1},
        {"", "isNaN", isNaN, 1},
        {"", "isFinite", isFinite, 1},
        {"", "parseInt", parseInt, 2},
        {"", "parseFloat", parseFloat, 1},
        {"", "escape", escape, 1},
        {"", "unescape", unescape, 1},
        {"", "encodeURI", uriCoding<EncodeUri>, 1},
        {"", "encodeURIComponent", uriCoding<EncodeUriComponent>, 1},
        {"", "decodeURI", uriCoding<DecodeUri>, 1},
        {"", "decodeURIComponent", uriCoding<DecodeUriComponent>, 1},
    };
}

} // namespace

const std::vector<NativeFunction> &BuiltinFunctions()
{
    static const std::vector<NativeFunction> functions = [] {
        std::vector<NativeFunction> all = topLevelFunctions();
        const std::vector<NativeFunction> &utils = UtilsFunctions();
        all.insert(all.end(), utils.begin(), utils.end());
        return all;
    }();
    return functions;
}

const std::vector<NativeGlobalConstant> &BuiltinConstants()
{
    static const std::vector<NativeGlobalConstant> constants = {
        {"", "NaN", std::numeric_limits<double>::quiet_NaN()},
        {"", "Infinity", std::numeric_limits<double>::infinity()},
        {"", "undefined", 0, true},
        // The parts avmplus.describeType describes.
        {"avmplus", "HIDE_NSURI_METHODS", DescribeHideNsUriMethods},
        {"avmplus", "INCLUDE_BASES", DescribeBases},
        {"avmplus", "INCLUDE_INTERFACES", DescribeInterfaces},
        {"avmplus", "INCLUDE_VARIABLES", DescribeVariables},
        {"avmplus", "INCLUDE_ACCESSORS", DescribeAccessors},
        {"avmplus", "INCLUDE_METHODS", DescribeMethods},
        {"avmplus", "INCLUDE_METADATA", DescribeMetadata},
        {"avmplus", "INCLUDE_CONSTRUCTOR", DescribeConstructor},
        {"avmplus", "INCLUDE_TRAITS", DescribeTraits},
        {"avmplus", "USE_ITRAITS", DescribeUseInstanceTraits},
        {"avmplus", "HIDE_OBJECT", DescribeHideObject},
        {"avmplus", "FLASH10_FLAGS", DescribeFlash10},
    };
    return constants;
}

} // namespace swf::avm2
