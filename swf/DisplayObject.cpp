#include "DisplayObject.h"

namespace swf {

QString DisplayObject::path() const
{
    // A level above the root names itself; the root is the slash.
    if (!parent)
        return level > 0 ? QStringLiteral("_level%1").arg(level) : QStringLiteral("/");
    const QString up = parent->path();
    return (up == QLatin1String("/") ? up : up + u'/') + name;
}

} // namespace swf
