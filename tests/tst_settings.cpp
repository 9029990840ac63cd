#include "skin/Settings.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

class SettingsTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void init();
    void integerText_data();
    void integerText();
    void colours_data();
    void colours();
    void typedReads_data();
    void typedReads();
    void writesUseDigits();
    void selectLanguage_data();
    void selectLanguage();
};

void SettingsTest::init()
{
    AppPath = m_dir.path() + u'/';
    QFile::remove(PreferencesFileName());
    QFile::remove(EditionFileName());
    IniFileName = m_dir.filePath("values.ini");
    QFile::remove(IniFileName);
}

void SettingsTest::integerText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("decimal") << "150" << true << 150;
    QTest::newRow("leading blanks") << "   150" << true << 150;
    QTest::newRow("plus") << "+7" << true << 7;
    QTest::newRow("minus") << "-42" << true << -42;
    QTest::newRow("dollar hex") << "$FF00FF" << true << 0xFF00FF;
    QTest::newRow("x hex") << "x1f" << true << 31;
    QTest::newRow("X hex") << "X1F" << true << 31;
    QTest::newRow("0x hex") << "0x10" << true << 16;
    QTest::newRow("0X hex") << "0X10" << true << 16;
    QTest::newRow("negative hex") << "-$10" << true << -16;
    QTest::newRow("hex all bits") << "$FFFFFFFF" << true << -1;
    QTest::newRow("int max") << "2147483647" << true << 2147483647;
    QTest::newRow("int min") << "-2147483648" << true << int(-2147483647 - 1);
    QTest::newRow("zero") << "0" << true << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blanks only") << "   " << false << 0;
    QTest::newRow("unit suffix") << "150px" << false << 0;
    QTest::newRow("trailing blank") << "150 " << false << 0;
    QTest::newRow("word") << "true" << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("prefix only") << "$" << false << 0;
    QTest::newRow("0x only") << "0x" << false << 0;
    QTest::newRow("bad hex digit") << "$FG" << false << 0;
    QTest::newRow("decimal overflow") << "2147483648" << false << 0;
    QTest::newRow("decimal underflow") << "-2147483649" << false << 0;
    QTest::newRow("hex overflow") << "$100000000" << false << 0;
    QTest::newRow("long digits") << QString(400, u'9') << false << 0;
    QTest::newRow("tab is not a blank") << "\t5" << false << 0;
    QTest::newRow("blank after sign") << "- 5" << false << 0;
}

void SettingsTest::integerText()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    const auto parsed = ParseIntegerText(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, value);
}

void SettingsTest::colours_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("colour");
    QTest::newRow("html red") << "#FF0000" << 0x0000FF;
    QTest::newRow("html blue") << "#0000FF" << 0xFF0000;
    QTest::newRow("html mixed") << "#123456" << 0x563412;
    QTest::newRow("html lower case") << "#00ff00" << 0x00FF00;
    QTest::newRow("six characters") << "#0000F" << 0;
    QTest::newRow("html with tail") << "#FF00001" << 0x0000FF1;
    QTest::newRow("html with junk tail") << "#FF0000zz" << 0;
    QTest::newRow("dollar") << "$FF00FF" << 0xFF00FF;
    QTest::newRow("decimal") << "16711935" << 0xFF00FF;
    QTest::newRow("garbage is black") << "purple" << 0;
    QTest::newRow("html non-hex") << "#GGHHII" << 0;
}

void SettingsTest::colours()
{
    QFETCH(QString, text);
    QFETCH(int, colour);
    QCOMPARE(StrToColor(text), colour);
}

void SettingsTest::typedReads_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("integer");   // default 99
    QTest::addColumn<bool>("boolean");  // default false
    QTest::addColumn<int>("colour");    // default 0x123456
    QTest::newRow("missing") << QByteArray() << 99 << false << 0x123456;
    QTest::newRow("empty") << QByteArray("k=") << 99 << false << 0x123456;
    QTest::newRow("one") << QByteArray("k=1") << 1 << true << 1;
    QTest::newRow("two is true") << QByteArray("k=2") << 2 << true << 2;
    QTest::newRow("zero") << QByteArray("k=0") << 0 << false << 0;
    QTest::newRow("word true") << QByteArray("k=true") << 99 << false << 0;
    QTest::newRow("word yes") << QByteArray("k=yes") << 99 << false << 0;
    QTest::newRow("blank before") << QByteArray("k= 150") << 150 << true << 150;
    QTest::newRow("html colour") << QByteArray("k=#0000FF") << 99 << false << 0xFF0000;
    QTest::newRow("quoted") << QByteArray("k=\"12\"") << 12 << true << 12;
}

void SettingsTest::typedReads()
{
    QFETCH(QByteArray, value);
    QFETCH(int, integer);
    QFETCH(bool, boolean);
    QFETCH(int, colour);
    TestFiles::write(IniFileName, "[S]\n" + value + "\n");
    QCOMPARE(ReadIniInteger("S", "k", 99), integer);
    QCOMPARE(ReadIniBool("S", "k", false), boolean);
    QCOMPARE(ReadIniColor("S", "k", 0x123456), colour);
}

void SettingsTest::writesUseDigits()
{
    WriteIniBool("Show", "List", true);
    WriteIniBool("Show", "Player", false);
    WriteIniInteger("Window", "Main.Left", -20);
    WriteIniString("General", "Skin", "Blue");
    QCOMPARE(TestFiles::read(IniFileName),
             QByteArray("[Show]\nList=1\nPlayer=0\n\n[Window]\nMain.Left=-20\n\n[General]\nSkin=Blue\n"));
    QCOMPARE(ReadIniBool("Show", "List", false), true);
    QCOMPARE(ReadIniInteger("Window", "Main.Left", 0), -20);
}

void SettingsTest::selectLanguage_data()
{
    QTest::addColumn<QByteArray>("preferences"); // empty: no file
    QTest::addColumn<QByteArray>("edition");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no files") << QByteArray() << QByteArray() << "English";
    QTest::newRow("preferences decide") << QByteArray("[General]\nLanguage=cn\n")
                                        << QByteArray("[General]\nLanguage=Deutsch\n") << "cn";
    QTest::newRow("empty value asks edition") << QByteArray("[General]\nLanguage=\n")
                                              << QByteArray("[General]\nLanguage=Deutsch\n") << "Deutsch";
    QTest::newRow("missing key asks edition") << QByteArray("[Window]\nMain.Left=1\n")
                                              << QByteArray("[general]\nlanguage=Deutsch\n") << "Deutsch";
    QTest::newRow("edition without key") << QByteArray() << QByteArray("[Other]\nx=1\n") << "English";
    // Names that would reach outside the language folder count as absent.
    const QByteArray deutsch("[General]\nLanguage=Deutsch\n");
    QTest::newRow("climbing name asks edition") << QByteArray("[General]\nLanguage=../../../x/evil\n") << deutsch
                                                << "Deutsch";
    QTest::newRow("sub-folder name asks edition") << QByteArray("[General]\nLanguage=old/cn\n") << deutsch << "Deutsch";
    QTest::newRow("absolute name asks edition") << QByteArray("[General]\nLanguage=/tmp/evil\n") << deutsch
                                                << "Deutsch";
    QTest::newRow("backslash name asks edition") << QByteArray("[General]\nLanguage=..\\evil\n") << deutsch
                                                 << "Deutsch";
    QTest::newRow("parent alone asks edition") << QByteArray("[General]\nLanguage=..\n") << deutsch << "Deutsch";
    QTest::newRow("climbing edition is English") << QByteArray() << QByteArray("[General]\nLanguage=../evil\n")
                                                 << "English";
    QTest::newRow("both climbing is English") << QByteArray("[General]\nLanguage=../a\n")
                                              << QByteArray("[General]\nLanguage=b/../../c\n") << "English";
    QTest::newRow("a single dot is plain") << QByteArray("[General]\nLanguage=en.GB\n") << deutsch << "en.GB";
}

void SettingsTest::selectLanguage()
{
    QFETCH(QByteArray, preferences);
    QFETCH(QByteArray, edition);
    QFETCH(QString, expected);
    if (!preferences.isEmpty())
        TestFiles::write(PreferencesFileName(), preferences);
    if (!edition.isEmpty())
        TestFiles::write(EditionFileName(), edition);
    QCOMPARE(SelectLanguage(), expected);
    QCOMPARE(IniFileName, m_dir.path() + "/preferences.ini");
}

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
