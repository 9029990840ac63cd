#pragma once

// Data-driven script cases shared by the script tests: each row is a frame
// script in assembly, the movie's version, and the lines its traces print.
#include "ActionAssembler.h"
#include "SwfWriter.h"
#include "TestFiles.h"
#include "swf/FlashControl.h"

#include <QObject>
#include <QStringList>
#include <QtTest>

namespace ScriptCases {

inline void addColumns()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("printed");
}

// The lines SOURCE traces as the first frame of a movie of VERSION, written into DIR.
inline QStringList traces(const QString &dir, int version, const QString &source)
{
    const QByteArray code = ActionAssembler::assemble(source);
    if (code.isEmpty())
        return {QStringLiteral("(the source does not assemble)")};
    const QString path = dir + QStringLiteral("/script.swf");
    TestFiles::write(path, SwfWriter::movie(SwfWriter::doAction(code) + SwfWriter::showFrame(), version));
    QStringList lines;
    swf::FlashControl control;
    QObject::connect(&control, &swf::FlashControl::Trace, [&lines](const QString &line) { lines << line; });
    control.setMovie(path);
    return lines;
}

// Runs the current row (columns as addColumns gives them) and compares.
inline void run(const QString &dir)
{
    QFETCH(int, version);
    QFETCH(QString, source);
    QFETCH(QStringList, printed);
    QCOMPARE(traces(dir, version, source), printed);
}

// "push aN, ..., a1, N": a call's arguments as the stack takes them.
inline QString pushArguments(const QStringList &args)
{
    QStringList reversed(args.crbegin(), args.crend());
    reversed << QString::number(args.size());
    return QStringLiteral("push ") + reversed.join(QStringLiteral(", "));
}

// trace(TARGET.METHOD(ARGS)), TARGET being one value to push.
inline QString traceCall(const QString &target, const QString &method, const QStringList &args = {})
{
    return pushArguments(args) + QStringLiteral(", %1\npush \"%2\"\ncallmethod\ntrace\n").arg(target, method);
}

// trace(FUNCTION(ARGS)) for a global function.
inline QString traceGlobal(const QString &function, const QStringList &args)
{
    return pushArguments(args) + QStringLiteral(", \"%1\"\ncallfunction\ntrace\n").arg(function);
}

// SUB extends SUPER.
inline QString extendsClass(const QString &sub, const QString &super)
{
    return QStringLiteral("push \"%1\"\ngetvariable\npush \"%2\"\ngetvariable\nextends\n").arg(sub, super);
}

// CLASS.prototype.NAME = the value the assembly pushes (a function, say).
inline QString setPrototypeMember(const QString &className, const QString &name, const QString &value)
{
    return QStringLiteral("push \"%1\"\ngetvariable\npush \"prototype\"\ngetmember\npush \"%2\"\n%3\nsetmember\n")
        .arg(className, name, value);
}

// Pushes what a dotted path names: "x.firstChild.nodeName".
inline QString path(const QString &dotted)
{
    const QStringList names = dotted.split(u'.');
    QString out = QStringLiteral("push \"%1\"\ngetvariable\n").arg(names.first());
    for (qsizetype i = 1; i < names.size(); ++i)
        out += QStringLiteral("push \"%1\"\ngetmember\n").arg(names[i]);
    return out;
}

inline QString tracePath(const QString &dotted) { return path(dotted) + QStringLiteral("trace\n"); }

// NAME = new CLASS(ARGS).
inline QString newObject(const QString &name, const QString &className, const QStringList &args = {})
{
    return QStringLiteral("push \"%1\"\n").arg(name) + pushArguments(args) +
           QStringLiteral(", \"%1\"\nnewobject\nsetvariable\n").arg(className);
}

// OBJECT.MEMBER = the value VALUE pushes, OBJECT a dotted path.
inline QString setMember(const QString &object, const QString &member, const QString &value)
{
    return path(object) + QStringLiteral("push \"%1\"\n%2\nsetmember\n").arg(member, value);
}

} // namespace ScriptCases
