#include "FileNames.h"

QString FileExtension(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    const qsizetype separator = fileName.lastIndexOf(u'/');
    if (dot < 0 || dot < separator)
        return QString();
    return fileName.mid(dot);
}

QString AsciiLower(const QString &text)
{
    QString lower = text;
    for (QChar &c : lower) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    }
    return lower;
}
