#pragma once

#include "platform/PrivateProfile.h"

#include <QString>

#include <cstdint>
#include <optional>

// The settings routines: every settings file of the program is read and written
// through the process-wide current settings file IniFileName, which each user
// sets before its own run of reads or writes.

// A colour laid out 0x00BBGGRR: red in the lowest byte.
using TColor = std::int32_t;

// The application folder with a trailing '/'.
extern QString AppPath;
// The current settings file.
extern QString IniFileName;

// Names another settings file for one run of reads or writes and gives the
// previous one back on leaving, so a routine that reads a language or skin
// file leaves the current settings file as its caller had it.
class IniFileScope {
public:
    explicit IniFileScope(const QString &fileName);
    ~IniFileScope();
    IniFileScope(const IniFileScope &) = delete;
    IniFileScope &operator=(const IniFileScope &) = delete;

private:
    QString m_previous;
};
// The language chosen at start-up.
extern QString LangName;

// Files beside the executable.
QString PreferencesFileName();   // preferences.ini
QString EditionFileName();       // edition.dat
QString LanguageFileName(const QString &language); // language/<name>.ini

// Integer text: optional leading blanks, an optional sign, then decimal digits,
// or hexadecimal digits after "$", "x", "X", "0x" or "0X". The whole text must
// be consumed and the value must fit in 32 bits.
std::optional<std::int32_t> ParseIntegerText(const QString &text);

// #RRGGBB (rewritten to $BBGGRR) or an integer text; unusable text gives 0.
TColor StrToColor(QString text);

QString ReadIniString(const QString &section, const QString &ident, const QString &defaultValue);
std::int32_t ReadIniInteger(const QString &section, const QString &ident, std::int32_t defaultValue);
bool ReadIniBool(const QString &section, const QString &ident, bool defaultValue);
TColor ReadIniColor(const QString &section, const QString &ident, TColor defaultValue);

void WriteIniString(const QString &section, const QString &ident, const QString &value);
void WriteIniInteger(const QString &section, const QString &ident, std::int32_t value);
void WriteIniBool(const QString &section, const QString &ident, bool value);

// Writes to one settings file that go out together, as one replace of the
// whole file at Commit: a program stopped on the way leaves every key of the
// run old or every key new. Failures are not reported, as with WriteIni*.
class IniWriteBatch {
public:
    explicit IniWriteBatch(const QString &fileName) : m_transaction(fileName) {}

    void WriteIniString(const QString &section, const QString &ident, const QString &value);
    void WriteIniInteger(const QString &section, const QString &ident, std::int32_t value);
    void WriteIniBool(const QString &section, const QString &ident, bool value);
    void Commit();

private:
    PrivateProfile::Transaction m_transaction;
};

// Whether a language or skin name read from a settings file names a file in
// its own folder: a name with a path separator or ".." does not, and counts
// as absent.
bool IsPlainName(const QString &name);

// The preferences' [General] Language, else edition.dat's, else "English";
// a name that is not plain counts as absent.
// Leaves IniFileName naming the preferences file.
QString SelectLanguage();
