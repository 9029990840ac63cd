#include "UrlVariables.h"

#include <QUrl>

namespace swf {

namespace {

QString unescaped(QString text)
{
    text.replace(u'+', u' ');
    return QUrl::fromPercentEncoding(text.toUtf8());
}

} // namespace

UrlVariables DecodeUrlVariables(const QString &text)
{
    UrlVariables variables;
    for (const QString &pair : text.split(u'&')) {
        const qsizetype equals = pair.indexOf(u'=');
        const QString name = unescaped(equals < 0 ? pair : pair.left(equals));
        if (name.isEmpty())
            continue;
        variables.emplace_back(name, equals < 0 ? QString() : unescaped(pair.mid(equals + 1)));
    }
    return variables;
}

QString EncodeUrlVariables(const UrlVariables &variables)
{
    QStringList pairs;
    for (const auto &[name, value] : variables)
        pairs << QString::fromLatin1(QUrl::toPercentEncoding(name) + '=' + QUrl::toPercentEncoding(value));
    return pairs.join(u'&');
}

} // namespace swf
