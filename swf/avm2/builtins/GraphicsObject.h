#pragma once

#include "swf/avm2/Object.h"

namespace swf::avm2 {

class DisplayObjectNative;

// A Sprite's or Shape's Graphics: draws into its owner's Drawing.
class GraphicsObject : public Object {
public:
    using Object::Object;
    DisplayObjectNative *owner = nullptr;

    void mark(const Marker &marker) const override;
};

// The Graphics object of a sprite or shape, made on first use.
Value GraphicsOf(Runtime &rt, DisplayObjectNative &owner);

} // namespace swf::avm2
