#include "DisplayObject.h"

namespace swf {

QString DisplayObject::path() const
{
    if (!parent)
        return QStringLiteral("/");
    const QString up = parent->path();
    return (up == QLatin1String("/") ? up : up + u'/') + name;
}

} // namespace swf
