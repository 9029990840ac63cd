#include "VariablePath.h"

namespace swf {

namespace {

// The player reads each segment into a buffer of this many characters; a
// longer name goes on as the next segment.
constexpr int MaxSegmentLength = 127;

constexpr int FirstDottedVersion = 5;

bool isSlash(QChar c) { return c == u'/' || c == u':'; }

enum class Syntax { Slash, Colon, Dots };

Syntax syntaxOf(const QString &path, const QString &name)
{
    if (path.contains(u'/'))
        return Syntax::Slash;
    return name.contains(u':') ? Syntax::Colon : Syntax::Dots;
}

// Whether the character at i ends a segment.
bool separatesAt(const QString &path, qsizetype i, Syntax syntax)
{
    const QChar c = path.at(i);
    if (isSlash(c))
        return syntax != Syntax::Dots;
    if (c != u'.' || syntax == Syntax::Slash)
        return false;
    if (syntax == Syntax::Dots)
        return true;
    // Runs of dots ("..", "...") are names in colon paths.
    const bool dotBefore = i > 0 && path.at(i - 1) == u'.';
    const bool dotAfter = i + 1 < path.size() && path.at(i + 1) == u'.';
    return !dotBefore && !dotAfter;
}

void addSegment(QStringList &segments, const QString &segment)
{
    for (qsizetype at = 0; at < segment.size(); at += MaxSegmentLength)
        segments.append(segment.mid(at, MaxSegmentLength));
}

} // namespace

VariablePath SplitVariablePath(const QString &name, int version)
{
    const int colon = int(name.lastIndexOf(u':'));
    const int dot = version >= FirstDottedVersion ? int(name.lastIndexOf(u'.')) : -1;
    const int cut = std::max(colon, dot);
    if (cut < 0)
        return {QString(), name, false};
    return {name.left(cut), name.mid(cut + 1), true};
}

bool IsVariablePath(const QString &name, int version)
{
    return name.contains(u':') || name.contains(u'/') || (version >= FirstDottedVersion && name.indexOf(u'.') >= 0);
}

TargetPath ParseTargetPath(const QString &path, const QString &name, int version, PathUse use)
{
    const Syntax syntax = version < FirstDottedVersion ? Syntax::Slash : syntaxOf(path, name);
    TargetPath result;
    qsizetype i = 0;
    if (syntax != Syntax::Dots) {
        // A leading slash is the root and the separator before the first
        // segment; otherwise leading separators are skipped.
        result.fromRoot = path.startsWith(u'/');
        if (result.fromRoot && use == PathUse::Variable)
            i = 1;
        else
            while (i < path.size() && isSlash(path.at(i)))
                ++i;
    }
    // What comes before the first slash of a relative path reads as a colon
    // path, its lone dots separating.
    const qsizetype headEnd = syntax == Syntax::Slash && !result.fromRoot && version >= FirstDottedVersion
                                  ? path.indexOf(u'/')
                                  : 0;
    while (i < path.size()) {
        const qsizetype start = i++;
        while (i < path.size() && !separatesAt(path, i, i < headEnd ? Syntax::Colon : syntax))
            ++i;
        addSegment(result.segments, path.mid(start, i - start));
        ++i; // the separator
        if (use == PathUse::Target)
            while (i < path.size() && isSlash(path.at(i)))
                ++i;
    }
    if (syntax == Syntax::Dots)
        result.valid = !path.startsWith(u'.') && !path.endsWith(u'.') && !path.contains(QLatin1String(".."));
    return result;
}

} // namespace swf
