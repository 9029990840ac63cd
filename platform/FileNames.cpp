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

QString PrintableName(const QString &name)
{
    // Unicode's control pictures: U+2400 for NUL onwards, U+2421 for DEL.
    constexpr char16_t ControlPictures = 0x2400;
    constexpr char16_t DeletePicture = 0x2421;
    constexpr char16_t Delete = 0x7F;
    QString shown = name;
    for (QChar &c : shown) {
        if (c.unicode() < 0x20)
            c = QChar(char16_t(ControlPictures + c.unicode()));
        else if (c.unicode() == Delete)
            c = QChar(DeletePicture);
    }
    return shown;
}
