#pragma once

#include <QDir>
#include <QFile>
#include <QSet>
#include <QStringList>
#include <QtTest>

// The corpus reports are regression guards: a committed list names the movies
// that matched when it was last updated, and a listed movie that stops
// matching fails the test. Movies that newly match are printed, so the list
// can be brought up to date.
namespace CorpusGuard {

// A folder of the shared data beside the project (absent in a checkout
// outside the workplace).
inline QString sharedFolder(const QString &name)
{
    for (const char *parent : {"/../shared/", "/../../shared/"}) {
        const QString candidate = QStringLiteral(TESSARO_SOURCE_DIR) + parent + name;
        if (QDir(candidate).exists())
            return candidate;
    }
    return QString();
}

// A folder of the movie corpus beside the project.
inline QString folder(const QString &name) { return sharedFolder(QStringLiteral("swf-corpus/") + name); }

inline QString listPath(const QString &listName)
{
    return QStringLiteral(TESSARO_SOURCE_DIR "/tests/data/") + listName;
}

inline QSet<QString> readList(const QString &listName)
{
    QSet<QString> names;
    QFile file(listPath(listName));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return names;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QString name = QString::fromUtf8(line).trimmed();
        if (!name.isEmpty() && !name.startsWith('#'))
            names.insert(name);
    }
    return names;
}

// Compares what matched now with the committed list; returns the failure text, or an empty string.
inline QString verdict(const QString &listName, const QStringList &movies, const QSet<QString> &matching)
{
    const QSet<QString> expected = readList(listName);
    QStringList lost, gained;
    for (const QString &name : expected)
        if (!matching.contains(name))
            lost << name;
    for (const QString &name : movies)
        if (matching.contains(name) && !expected.contains(name))
            gained << name;
    lost.sort();
    if (!gained.isEmpty())
        qInfo().noquote() << QStringLiteral("newly matching (add them to tests/data/%1):\n  %2")
                                 .arg(listName, gained.join(QStringLiteral("\n  ")));
    if (qEnvironmentVariableIsSet("TESSARO_WRITE_CORPUS_LIST")) {
        QStringList all(matching.begin(), matching.end());
        all.sort();
        QFile file(listPath(listName));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
            file.write((all.join('\n') + '\n').toUtf8());
        qInfo().noquote() << "wrote" << listPath(listName);
    }
    if (expected.isEmpty())
        return QStringLiteral("tests/data/%1 is missing or empty").arg(listName);
    if (lost.isEmpty())
        return QString();
    return QStringLiteral("%1 movies that matched no longer do:\n  %2").arg(lost.size()).arg(lost.join(QStringLiteral("\n  ")));
}

} // namespace CorpusGuard
