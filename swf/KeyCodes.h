#pragma once

#include <Qt>

// Keys as movies know them: the key codes of Key.isDown and keyDown events
// (the Windows virtual-key numbers), and the codes of key-press handlers of
// buttons and clips (ASCII, with 1 to 19 for the special keys).
namespace swf {

// 0 for keys movies do not know.
int MovieKeyCode(Qt::Key key);
// 0 when the key has no key-press code.
int KeyPressCode(Qt::Key key, int ascii);

} // namespace swf
