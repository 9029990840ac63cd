#pragma once

#include "swf/avm2/Class.h"

namespace swf::avm2 {

// A script's global object, whose traits are the script's definitions; the
// built-in one gains a definition when code first names it.
class GlobalObject : public Object {
public:
    using Object::Object;

    Traits ownTraits;
    const Traits *traits() const override { return &ownTraits; }
    bool isDynamic() const override { return true; }
};

} // namespace swf::avm2
