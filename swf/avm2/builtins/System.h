#pragma once

#include "swf/avm2/Runtime.h"

namespace swf::avm2 {

// flash.system.System.useCodePage: loaded text is read in the host's code
// page instead of as UTF-8.
bool UsesCodePage(Runtime &rt);

} // namespace swf::avm2
