#include "PrivateProfile.h"

#include "platform/AtomicReplace.h"
#include "platform/BoundedFile.h"
#include "platform/TextLines.h"

#include <QFile>
#include <QStringList>

namespace PrivateProfile {
namespace {

struct Line {
    enum Kind { Other, Section, Entry } kind = Other;
    QString name;   // section or key name, trimmed
    QString value;  // entry value, trimmed, quotes kept
};

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

QStringView trimmed(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

Line parseLine(QStringView raw)
{
    Line line;
    const QStringView text = trimmed(raw);
    if (text.isEmpty() || text.front() == u';')
        return line;
    if (text.front() == u'[') {
        const qsizetype close = text.indexOf(u']');
        if (close > 0) {
            line.kind = Line::Section;
            line.name = trimmed(text.mid(1, close - 1)).toString();
        }
        return line;
    }
    const qsizetype eq = text.indexOf(u'=');
    if (eq > 0) {
        line.kind = Line::Entry;
        line.name = trimmed(text.left(eq)).toString();
        line.value = trimmed(text.mid(eq + 1)).toString();
    }
    return line;
}

QString unquoted(const QString &value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == u'"' || first == u'\'') && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

bool sameName(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        QChar x = a[i], y = b[i];
        if (x >= u'a' && x <= u'z')
            x = QChar(x.unicode() - 32);
        if (y >= u'a' && y <= u'z')
            y = QChar(y.unicode() - 32);
        if (x != y)
            return false;
    }
    return true;
}

struct FileText {
    bool readable = false;
    QStringList lines;
    QString lineBreak = QStringLiteral("\n");
};

// Reads the file as UTF-8 text split at CR LF, lone CR and lone LF. A missing
// file reads as readable and empty; an oversized or unopenable one, or one
// that is not a regular file, does not.
FileText readFile(const QString &fileName, bool missingIsReadable)
{
    FileText result;
    BoundedRead file = ReadBoundedFile(fileName, MaxFileSize);
    if (file.status == BoundedRead::Missing) {
        result.readable = missingIsReadable;
        return result;
    }
    if (!file.ok())
        return result;
    QByteArray &bytes = file.bytes;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    const QString text = QString::fromUtf8(bytes);
    result.readable = true;

    const qsizetype firstBreak = text.indexOf(u'\n');
    if (firstBreak > 0 && text[firstBreak - 1] == u'\r')
        result.lineBreak = QStringLiteral("\r\n");

    result.lines = SplitLines(text);
    return result;
}

// Sets Key=Value in [Section] of the lines: replaces the first matching key
// in place, or appends the key to its section, or appends the section.
void setEntry(QStringList &lines, const QString &section, const QString &key, const QString &value)
{
    // A line break inside the value would split it into lines of its own.
    QString safeValue = value;
    for (qsizetype i = 0; i < safeValue.size(); ++i) {
        if (safeValue[i] == u'\r' || safeValue[i] == u'\n') {
            safeValue.truncate(i);
            break;
        }
    }

    qsizetype sectionLine = -1;
    qsizetype lastEntryInSection = -1;
    qsizetype keyLine = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Line line = parseLine(lines[i]);
        if (line.kind == Line::Section) {
            if (sectionLine >= 0)
                break;
            if (sameName(line.name, section)) {
                sectionLine = i;
                lastEntryInSection = i;
            }
        } else if (sectionLine >= 0) {
            if (line.kind == Line::Entry && sameName(line.name, key)) {
                keyLine = i;
                break;
            }
            // New keys go after the section's last non-blank line, before the
            // blank lines that separate it from the next section.
            if (!trimmed(lines[i]).isEmpty())
                lastEntryInSection = i;
        }
    }

    if (keyLine >= 0) {
        lines[keyLine] = parseLine(lines[keyLine]).name + u'=' + safeValue;
    } else if (sectionLine >= 0) {
        lines.insert(lastEntryInSection + 1, key + u'=' + safeValue);
    } else {
        if (!lines.isEmpty() && !trimmed(lines.last()).isEmpty())
            lines.append(QString());
        lines.append(u'[' + section + u']');
        lines.append(key + u'=' + safeValue);
    }
}

QByteArray joined(const QStringList &lines, const QString &lineBreak)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += line.toUtf8();
        bytes += lineBreak.toLatin1();
    }
    return bytes;
}

} // namespace

QString GetString(const QString &section, const QString &key, const QString &defaultValue,
                  const QString &fileName)
{
    const FileText file = readFile(fileName, false);
    bool inSection = false;
    bool sectionSeen = false;
    for (const QString &raw : file.lines) {
        const Line line = parseLine(raw);
        if (line.kind == Line::Section) {
            if (inSection)
                break; // only the first section of that name counts
            inSection = !sectionSeen && sameName(line.name, section);
            sectionSeen = sectionSeen || inSection;
        } else if (inSection && line.kind == Line::Entry && sameName(line.name, key)) {
            return unquoted(line.value).left(MaxValueLength);
        }
    }
    return defaultValue.left(MaxValueLength);
}

bool WriteString(const QString &section, const QString &key, const QString &value,
                 const QString &fileName)
{
    FileText file = readFile(fileName, true);
    if (!file.readable)
        return false;
    setEntry(file.lines, section, key, value);
    return AtomicReplace::ReplaceFile(fileName, joined(file.lines, file.lineBreak));
}

Transaction::Transaction(const QString &fileName)
    : m_fileName(fileName)
{
    FileText file = readFile(fileName, true);
    m_readable = file.readable;
    m_lines = std::move(file.lines);
    m_lineBreak = std::move(file.lineBreak);
}

void Transaction::WriteString(const QString &section, const QString &key, const QString &value)
{
    if (!m_readable)
        return;
    setEntry(m_lines, section, key, value);
    m_changed = true;
}

bool Transaction::Commit()
{
    if (!m_readable)
        return false;
    if (!m_changed)
        return true;
    if (!AtomicReplace::ReplaceFile(m_fileName, joined(m_lines, m_lineBreak)))
        return false;
    m_changed = false;
    return true;
}

} // namespace PrivateProfile
