#pragma once

#include <QString>

namespace swf::avm2 {

// The pointer shapes flash.ui.MouseCursor names, which Mouse.cursor takes.
struct MouseCursorName {
    const char *constant;
    const char *value;
};
constexpr MouseCursorName MouseCursors[] = {
    {"AUTO", "auto"}, {"ARROW", "arrow"}, {"BUTTON", "button"}, {"HAND", "hand"}, {"IBEAM", "ibeam"},
};

inline bool IsMouseCursor(const QString &name)
{
    for (const MouseCursorName &cursor : MouseCursors)
        if (name == QLatin1String(cursor.value))
            return true;
    return false;
}

} // namespace swf::avm2
