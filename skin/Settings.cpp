#include "Settings.h"

#include <utility>

QString AppPath;
QString IniFileName;

IniFileScope::IniFileScope(const QString &fileName) : m_previous(std::exchange(IniFileName, fileName)) {}

IniFileScope::~IniFileScope()
{
    IniFileName = m_previous;
}
QString LangName;

namespace {
// The language of a program whose settings name none.
const QString DefaultLanguage = QStringLiteral("English");
const char *const BoolStrs[2] = {"0", "1"};

QString boolText(bool value) { return QString::fromLatin1(BoolStrs[value ? 1 : 0]); }

int hexDigit(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - '0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - 'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - 'A' + 10;
    return -1;
}
} // namespace

QString PreferencesFileName() { return AppPath + QStringLiteral("preferences.ini"); }
QString EditionFileName() { return AppPath + QStringLiteral("edition.dat"); }
QString LanguageFileName(const QString &language)
{
    return AppPath + QStringLiteral("language/") + language + QStringLiteral(".ini");
}

std::optional<std::int32_t> ParseIntegerText(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }

    int base = 10;
    if (i < n && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i >= n)
        return std::nullopt;

    // Decimal values span the signed range; hexadecimal ones the 32 bits, so
    // $FFFFFFFF is -1 as in the Windows edition's files.
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    std::uint64_t magnitude = 0;
    for (; i < n; ++i) {
        const int digit = hexDigit(text[i]);
        if (digit < 0 || digit >= base)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return std::nullopt;
    }
    const auto bits = static_cast<std::uint32_t>(negative ? (0 - magnitude) : magnitude);
    return static_cast<std::int32_t>(bits);
}

TColor StrToColor(QString text)
{
    if (text.size() >= 7 && text[0] == u'#') {
        const QString red = text.mid(1, 2);
        const QString blue = text.mid(5, 2);
        text[0] = u'$';
        text.replace(1, 2, blue);
        text.replace(5, 2, red);
    }
    return ParseIntegerText(text).value_or(0);
}

QString ReadIniString(const QString &section, const QString &ident, const QString &defaultValue)
{
    return PrivateProfile::GetString(section, ident, defaultValue, IniFileName);
}

std::int32_t ReadIniInteger(const QString &section, const QString &ident, std::int32_t defaultValue)
{
    return ParseIntegerText(ReadIniString(section, ident, QString())).value_or(defaultValue);
}

bool ReadIniBool(const QString &section, const QString &ident, bool defaultValue)
{
    return ReadIniInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

TColor ReadIniColor(const QString &section, const QString &ident, TColor defaultValue)
{
    const QString text = ReadIniString(section, ident, QString());
    return text.isEmpty() ? defaultValue : StrToColor(text);
}

void WriteIniString(const QString &section, const QString &ident, const QString &value)
{
    // A failed write (read-only folder, full disk) is not reported: the next
    // start reads whatever the file then holds.
    PrivateProfile::WriteString(section, ident, value, IniFileName);
}

void WriteIniInteger(const QString &section, const QString &ident, std::int32_t value)
{
    WriteIniString(section, ident, QString::number(value));
}

void WriteIniBool(const QString &section, const QString &ident, bool value)
{
    WriteIniString(section, ident, boolText(value));
}

void IniWriteBatch::WriteIniString(const QString &section, const QString &ident, const QString &value)
{
    m_transaction.WriteString(section, ident, value);
}

void IniWriteBatch::WriteIniInteger(const QString &section, const QString &ident, std::int32_t value)
{
    WriteIniString(section, ident, QString::number(value));
}

void IniWriteBatch::WriteIniBool(const QString &section, const QString &ident, bool value)
{
    WriteIniString(section, ident, boolText(value));
}

void IniWriteBatch::Commit()
{
    m_transaction.Commit();
}

bool IsPlainName(const QString &name)
{
    return !name.contains(u'/') && !name.contains(u'\\') && !name.contains(QLatin1String(".."));
}

QString SelectLanguage()
{
    IniFileName = PreferencesFileName();
    QString language = ReadIniString(QStringLiteral("General"), QStringLiteral("Language"), QString());
    if (language.isEmpty() || !IsPlainName(language)) {
        const IniFileScope edition(EditionFileName());
        language = ReadIniString(QStringLiteral("General"), QStringLiteral("Language"), DefaultLanguage);
        if (!IsPlainName(language))
            language = DefaultLanguage;
    }
    return language;
}
