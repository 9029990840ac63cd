// flash.ui.MouseCursor: the names of the pointer shapes Mouse.cursor takes.
#include "swf/avm2/builtins/MouseCursor.h"
#include "swf/avm2/builtins/NativeHelpers.h"

namespace swf::avm2 {

namespace {

std::vector<NativeConstant> constants()
{
    std::vector<NativeConstant> list;
    for (const MouseCursorName &cursor : MouseCursors)
        list.push_back({cursor.constant, 0, cursor.value});
    return list;
}

} // namespace

extern const NativeClass MouseCursorClass = {
    "flash.ui", "MouseCursor", "Object", ClassFinal, nullptr, nullptr, nullptr, {}, constants(), nullptr, {},
};

} // namespace swf::avm2
