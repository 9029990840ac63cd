// flash.events.IEventDispatcher: what every event dispatcher offers.
#include "swf/avm2/NativeClass.h"

namespace swf::avm2 {

extern const NativeClass IEventDispatcherClass = {
    "flash.events", "IEventDispatcher", nullptr, ClassInterface, nullptr, nullptr, nullptr, {}, {}, nullptr, {},
    nullptr,
};

} // namespace swf::avm2
