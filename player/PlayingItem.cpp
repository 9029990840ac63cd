#include "PlayingItem.h"

const QString NoneMovie = QStringLiteral("None Movie");

void PlayingItem::set(const QString &path)
{
    if (path == m_path)
        return;
    m_path = path;
    emit changed(m_path);
}
