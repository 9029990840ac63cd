#pragma once

#include "swf/avm2/Object.h"

namespace swf::avm2 {

struct Args;

// An instance of flash.utils.Proxy: every property its class does not
// declare is handed to the flash_proxy methods its subclass overrides.
class ProxyObject : public Object {
public:
    using Object::Object;

    bool getOwn(Runtime &rt, const Multiname &name, Value &out) override;
    bool setOwn(Runtime &rt, const Multiname &name, const Value &value) override;
    bool hasOwn(Runtime &rt, const Multiname &name) override;
    bool deleteOwn(Runtime &rt, const Multiname &name) override;
    int nextIndex(Runtime &rt, int index) override;
    Value nameAt(Runtime &rt, int index) override;
    Value valueAt(Runtime &rt, int index) override;
    bool descendants(Runtime &rt, const Multiname &name, Value &out) override;
    // obj.name(...) for a name the class does not declare.
    Value callOwn(Runtime &rt, const Multiname &name, Args args);
};

// The flash_proxy namespace the overridden methods are in.
inline const QString FlashProxyUri = QStringLiteral("http://www.adobe.com/2006/actionscript/flash/proxy");

} // namespace swf::avm2
