#pragma once

#include "swf/avm2/builtins/DisplayObjectNative.h"

#include <map>

namespace swf::avm2 {

// A MovieClip: the functions addFrameScript gave its frames (from 0).
class MovieClipObject : public DisplayObjectNative {
public:
    using DisplayObjectNative::DisplayObjectNative;
    std::map<int, Value> frameScripts;

    void mark(const Marker &marker) const override
    {
        DisplayObjectNative::mark(marker);
        for (const auto &[frame, script] : frameScripts)
            marker(script);
    }
};

// The stage: above the root, outside the engine's display list.
class StageObject : public DisplayObjectNative {
public:
    using DisplayObjectNative::DisplayObjectNative;
    bool isStage() const override { return true; }
};

} // namespace swf::avm2
