#pragma once

#include "swf/avm2/Object.h"

namespace swf::avm2 {

// A Namespace value: the namespace and the prefix XML gives it (undefined: none).
class NamespaceObject : public Object {
public:
    using Object::Object;
    const Namespace *ns = nullptr;
    Value prefix;

    void mark(const Marker &marker) const override
    {
        Object::mark(marker);
        marker(prefix);
    }
};

// A QName value: a local name (or *) in a namespace (nullptr: any).
class QNameObject : public Object {
public:
    using Object::Object;
    QString localName;
    bool anyName = false;
    const Namespace *ns = nullptr;
};

} // namespace swf::avm2
