#include "VariablePath.h"

namespace swf {

VariablePath SplitVariablePath(const QString &name, int version)
{
    const int colon = int(name.lastIndexOf(u':'));
    const int dot = int(name.lastIndexOf(u'.'));
    const int cut = colon >= 0 ? colon : (dot > 0 && version >= 5) ? dot : -1;
    if (cut < 0)
        return {QString(), name};
    return {name.left(cut), name.mid(cut + 1)};
}

bool IsVariablePath(const QString &name, int version)
{
    return name.contains(u':') || name.contains(u'/') || (version >= 5 && name.indexOf(u'.') > 0);
}

} // namespace swf
