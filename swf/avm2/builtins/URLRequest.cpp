// flash.net.URLRequest: what a load asks for. Nothing is sent anywhere, so
// the method, data, content type and headers are only kept; URLLoader reads
// the address.
#include "swf/avm2/builtins/ArrayObject.h"
#include "swf/avm2/builtins/NativeHelpers.h"
#include "swf/avm2/builtins/URLRequest.h"

namespace swf::avm2 {

namespace {

constexpr int AcceptedValuesError = 2008;
constexpr int CoercionError = 1034;
const char *const FormContentType = "application/x-www-form-urlencoded";

URLRequestObject *thisRequest(Runtime &rt, const Value &self)
{
    return ThisAs<URLRequestObject>(rt, self, "flash.net.URLRequest");
}

Value nullableString(Runtime &rt, const Value &v) { return v.isNullish() ? Value::null() : Value(rt.toString(v)); }

Value construct(Runtime &rt, const Value &self, Args args)
{
    URLRequestObject *request = thisRequest(rt, self);
    request->url = nullableString(rt, args[0]);
    request->method = Value(URLRequestObject::Get);
    request->data = Value::null();
    request->contentType = Value(FormContentType);
    request->requestHeaders = Value(static_cast<Object *>(rt.newArray()));
    return Value();
}

template <Value URLRequestObject::*Field> Value get(Runtime &rt, const Value &self, Args)
{
    return thisRequest(rt, self)->*Field;
}

template <Value URLRequestObject::*Field> Value setString(Runtime &rt, const Value &self, Args args)
{
    thisRequest(rt, self)->*Field = nullableString(rt, args[0]);
    return Value();
}

Value setData(Runtime &rt, const Value &self, Args args)
{
    thisRequest(rt, self)->data = args[0];
    return Value();
}

Value setMethod(Runtime &rt, const Value &self, Args args)
{
    URLRequestObject *request = thisRequest(rt, self);
    const QString method = args[0].isNullish() ? QString() : rt.toString(args[0]);
    if (method != QLatin1String(URLRequestObject::Get) && method != QLatin1String(URLRequestObject::Post))
        rt.throwError(ErrorType::ArgumentError, AcceptedValuesError, QStringList{QStringLiteral("method")});
    request->method = Value(method);
    return Value();
}

Value setRequestHeaders(Runtime &rt, const Value &self, Args args)
{
    URLRequestObject *request = thisRequest(rt, self);
    if (!args[0].isNullish() && !rt.isType(args[0], rt.arrayClass))
        rt.throwError(ErrorType::TypeError, CoercionError, QStringList{rt.describe(args[0]), QStringLiteral("Array")});
    request->requestHeaders = args[0].isNullish() ? Value::null() : args[0];
    return Value();
}

} // namespace

void URLRequestObject::mark(const Marker &marker) const
{
    Object::mark(marker);
    for (const Value *v : {&url, &method, &data, &contentType, &requestHeaders})
        marker(*v);
}

extern const NativeClass URLRequestClass = {
    "flash.net",
    "URLRequest",
    "Object",
    ClassFinal,
    CreateNative<URLRequestObject>,
    construct,
    nullptr,
    {
        {"url", MemberKind::Getter, get<&URLRequestObject::url>},
        {"url", MemberKind::Setter, setString<&URLRequestObject::url>},
        {"method", MemberKind::Getter, get<&URLRequestObject::method>},
        {"method", MemberKind::Setter, setMethod},
        {"data", MemberKind::Getter, get<&URLRequestObject::data>},
        {"data", MemberKind::Setter, setData},
        {"contentType", MemberKind::Getter, get<&URLRequestObject::contentType>},
        {"contentType", MemberKind::Setter, setString<&URLRequestObject::contentType>},
        {"requestHeaders", MemberKind::Getter, get<&URLRequestObject::requestHeaders>},
        {"requestHeaders", MemberKind::Setter, setRequestHeaders},
    },
    {},
    nullptr,
    {},
};

} // namespace swf::avm2
