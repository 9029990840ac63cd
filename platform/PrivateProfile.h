#pragma once

#include <QString>
#include <QStringList>

// INI files with the behaviour desktop users of the Windows edition know:
// names match without regard to ASCII case, blanks around names and values are
// trimmed, one pair of matching quotes around a value is dropped, unknown lines
// are ignored on read and kept on write, and writes replace the file atomically.
namespace PrivateProfile {

// Longest value handed back by a read, in characters.
constexpr int MaxValueLength = 2047;

// Files larger than this are treated as unreadable: reads give the default and
// writes leave the file alone, so a runaway file can neither stall start-up nor
// be truncated by a rewrite.
constexpr qint64 MaxFileSize = 4 * 1024 * 1024;

// The value of Key in [Section] of FileName, or Default when the file, the
// section or the key is missing.
QString GetString(const QString &section, const QString &key, const QString &defaultValue,
                  const QString &fileName);

// Writes Key=Value into [Section] of FileName: replaces the first matching key
// in place, or appends the key to its section, or appends the section, or
// creates the file. Returns false when the file could not be written.
bool WriteString(const QString &section, const QString &key, const QString &value,
                 const QString &fileName);

// A run of writes to one file that reaches the disk as a single replace of the
// whole file: the file is read when the transaction begins, each write edits
// that text in memory by the rules of WriteString, and Commit replaces the
// file once. A run cut short before or during Commit leaves the file as it was.
class Transaction {
public:
    explicit Transaction(const QString &fileName);

    void WriteString(const QString &section, const QString &key, const QString &value);
    // Returns false when the file could not be read at the start (nothing is
    // then written) or could not be replaced.
    bool Commit();

private:
    QString m_fileName;
    bool m_readable = false;
    bool m_changed = false;
    QStringList m_lines;
    QString m_lineBreak;
};

} // namespace PrivateProfile
