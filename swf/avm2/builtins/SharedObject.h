#pragma once

namespace swf::avm2 {

class Runtime;

// Writes every shared object the movie opened, as the movie closes: the
// player keeps data a movie never flushed.
void FlushSharedObjects(Runtime &rt);

} // namespace swf::avm2
