#pragma once

class QWidget;

// Keeps a top-level window off the task bar and the pager: the X11
// _NET_WM_STATE_SKIP_TASKBAR and _SKIP_PAGER states, written on the window
// while it is not mapped (the window manager clears them when a window is
// withdrawn, so call it before every show). Elsewhere it does nothing.
void SetSkipTaskbar(QWidget *window);
