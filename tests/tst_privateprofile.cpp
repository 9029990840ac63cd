#include "platform/AtomicReplace.h"
#include "platform/PrivateProfile.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

using PrivateProfile::GetString;
using PrivateProfile::WriteString;

class PrivateProfileTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void reads_data();
    void reads();
    void missingFileReadsDefault();
    void valuesAreCut();
    void writeReplacesInPlaceKeepingOtherLines();
    void writeAppendsKeyToItsSection();
    void writeAppendsSectionAndCreatesFile();
    void writeKeepsLineBreakStyle();
    void writeCutsValueAtLineBreak();
    void badFilesReadDefaultsAndSurviveWrites_data();
    void badFilesReadDefaultsAndSurviveWrites();
    void unwritablePlaceFailsQuietly();
    void transactionReplacesTheFileOnce();
    void transactionOnUnreadableFileWritesNothing();
    void replaceKeepsPermissionsAndLinks();
    void staleTemporariesAreRemoved();
};

void PrivateProfileTest::reads_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QByteArray basic = "[Window]\r\nMain.Left=150\r\n";
    QTest::newRow("plain") << basic << "Window" << "Main.Left" << "150";
    QTest::newRow("section case") << basic << "WINDOW" << "Main.Left" << "150";
    QTest::newRow("key case") << basic << "window" << "main.left" << "150";
    QTest::newRow("missing key") << basic << "Window" << "Main.Top" << "default";
    QTest::newRow("missing section") << basic << "Show" << "Main.Left" << "default";
    QTest::newRow("blanks trimmed") << QByteArray("  [ Window ]  \n\t Main.Left =  150 \t\n")
                                    << "Window" << "Main.Left" << "150";
    QTest::newRow("double quotes") << QByteArray("[A]\nk=\" spaced \"\n") << "A" << "k" << " spaced ";
    QTest::newRow("single quotes") << QByteArray("[A]\nk='x'\n") << "A" << "k" << "x";
    QTest::newRow("unmatched quotes kept") << QByteArray("[A]\nk=\"x'\n") << "A" << "k" << "\"x'";
    QTest::newRow("empty value") << QByteArray("[A]\nk=\n") << "A" << "k" << "";
    QTest::newRow("value with equals") << QByteArray("[A]\nk=a=b\n") << "A" << "k" << "a=b";
    QTest::newRow("first key wins") << QByteArray("[A]\nk=1\nk=2\n") << "A" << "k" << "1";
    QTest::newRow("first section wins") << QByteArray("[A]\nj=1\n[A]\nk=2\n") << "A" << "k" << "default";
    QTest::newRow("key in other section") << QByteArray("[A]\n[B]\nk=2\n") << "A" << "k" << "default";
    QTest::newRow("key before any section") << QByteArray("k=1\n[A]\n") << "A" << "k" << "default";
    QTest::newRow("comment ignored") << QByteArray("[A]\n;k=1\nk=2\n") << "A" << "k" << "2";
    QTest::newRow("junk lines ignored") << QByteArray("[A]\nnonsense\n[broken\nk=3\n") << "A" << "k" << "3";
    QTest::newRow("lone CR") << QByteArray("[A]\rk=4\r") << "A" << "k" << "4";
    QTest::newRow("no final break") << QByteArray("[A]\nk=5") << "A" << "k" << "5";
    QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBF[A]\nk=6\n") << "A" << "k" << "6";
    QTest::newRow("utf-8 value") << QByteArray("[Menu]\nmnuStop=\xE5\x81\x9C\xE6\xAD\xA2\n") << "Menu"
                                 << "mnuStop" << QString::fromUtf8("\xE5\x81\x9C\xE6\xAD\xA2");
}

void PrivateProfileTest::reads()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    TestFiles::write(path("read.ini"), content);
    QCOMPARE(GetString(section, key, QStringLiteral("default"), path("read.ini")), expected);
}

void PrivateProfileTest::missingFileReadsDefault()
{
    QCOMPARE(GetString("A", "k", "d", path("nothing-here.ini")), QString("d"));
    QCOMPARE(GetString("A", "k", "d", m_dir.path()), QString("d")); // a folder
}

void PrivateProfileTest::valuesAreCut()
{
    const QByteArray longValue(5000, 'v');
    TestFiles::write(path("long.ini"), "[A]\nk=" + longValue + "\n");
    QCOMPARE(GetString("A", "k", "", path("long.ini")).size(), PrivateProfile::MaxValueLength);
    QCOMPARE(GetString("A", "missing", QString(3000, 'd'), path("long.ini")).size(),
             PrivateProfile::MaxValueLength);
}

void PrivateProfileTest::writeReplacesInPlaceKeepingOtherLines()
{
    const QString file = path("inplace.ini");
    TestFiles::write(file, "; my settings\r\n[General]\r\nLanguage = cn\r\n\r\n[Window]\r\n"
                           "main.left=1\r\n# odd line\r\nMain.Top=2\r\n");
    QVERIFY(WriteString("WINDOW", "Main.Left", "150", file));
    QCOMPARE(TestFiles::read(file),
             QByteArray("; my settings\r\n[General]\r\nLanguage = cn\r\n\r\n[Window]\r\n"
                        "main.left=150\r\n# odd line\r\nMain.Top=2\r\n"));
}

void PrivateProfileTest::writeAppendsKeyToItsSection()
{
    const QString file = path("append.ini");
    TestFiles::write(file, "[Window]\nMain.Left=1\n\n[Show]\nList=1\n");
    QVERIFY(WriteString("Window", "Main.Top", "94", file));
    QCOMPARE(TestFiles::read(file), QByteArray("[Window]\nMain.Left=1\nMain.Top=94\n\n[Show]\nList=1\n"));
    QCOMPARE(GetString("Window", "Main.Top", "", file), QString("94"));
}

void PrivateProfileTest::writeAppendsSectionAndCreatesFile()
{
    const QString file = path("new.ini");
    QVERIFY(WriteString("Window", "Main.Left", "150", file));
    QVERIFY(WriteString("Show", "List", "1", file));
    QCOMPARE(TestFiles::read(file), QByteArray("[Window]\nMain.Left=150\n\n[Show]\nList=1\n"));
    // No temporary file is left beside it.
    QCOMPARE(QDir(m_dir.path()).entryList({"new.ini*"}, QDir::Files), QStringList{"new.ini"});
}

void PrivateProfileTest::writeKeepsLineBreakStyle()
{
    const QString file = path("crlf.ini");
    TestFiles::write(file, "[A]\r\nk=1\r\n");
    QVERIFY(WriteString("B", "j", "2", file));
    QCOMPARE(TestFiles::read(file), QByteArray("[A]\r\nk=1\r\n\r\n[B]\r\nj=2\r\n"));
}

void PrivateProfileTest::writeCutsValueAtLineBreak()
{
    const QString file = path("inject.ini");
    QVERIFY(WriteString("A", "k", "safe\r\n[Other]\nx=1", file));
    QCOMPARE(TestFiles::read(file), QByteArray("[A]\nk=safe\n"));
}

void PrivateProfileTest::badFilesReadDefaultsAndSurviveWrites_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("writable");
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 7919) & 0xFF);
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("binary") << binary << true;
    QTest::newRow("invalid utf-8") << QByteArray("[A]\n\xFF\xFE=\xC3\n") << true;
    QTest::newRow("one huge line") << QByteArray(PrivateProfile::MaxFileSize - 10, '[') << true;
    QTest::newRow("over the size limit") << QByteArray(PrivateProfile::MaxFileSize + 1, 'x') << false;
}

void PrivateProfileTest::badFilesReadDefaultsAndSurviveWrites()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, writable);
    const QString file = path("bad.ini");
    TestFiles::write(file, content);
    QCOMPARE(GetString("A", "k", "d", file), QString("d"));
    QCOMPARE(WriteString("A", "k", "v", file), writable);
    if (writable)
        QCOMPARE(GetString("A", "k", "d", file), QString("v"));
    else
        QCOMPARE(TestFiles::read(file), content);
}

void PrivateProfileTest::unwritablePlaceFailsQuietly()
{
    // A file standing where the folder should be cannot be written, even by root.
    TestFiles::write(path("blocker"), "not a folder");
    QVERIFY(!WriteString("A", "k", "2", path("blocker/prefs.ini")));
    QCOMPARE(TestFiles::read(path("blocker")), QByteArray("not a folder"));
}

void PrivateProfileTest::transactionReplacesTheFileOnce()
{
    const QString file = path("batch.ini");
    const QByteArray before = "; mine\n[General]\nLanguage=cn\n\n[Window]\nMain.Left=1\n";
    TestFiles::write(file, before);
    PrivateProfile::Transaction transaction(file);
    transaction.WriteString("Window", "Main.Left", "150");
    transaction.WriteString("Window", "Main.Top", "94");
    transaction.WriteString("Show", "List", "1");
    transaction.WriteString("Window", "Main.Left", "151"); // a later write of the same key wins
    // Nothing reaches the disk before the commit.
    QCOMPARE(TestFiles::read(file), before);
    QVERIFY(transaction.Commit());
    QCOMPARE(TestFiles::read(file), QByteArray("; mine\n[General]\nLanguage=cn\n\n[Window]\nMain.Left=151\n"
                                               "Main.Top=94\n\n[Show]\nList=1\n"));
    QCOMPARE(QDir(m_dir.path()).entryList({"batch.ini*"}, QDir::Files), QStringList{"batch.ini"});

    // A transaction on a missing file creates it.
    PrivateProfile::Transaction fresh(path("fresh.ini"));
    fresh.WriteString("A", "k", "v");
    QVERIFY(fresh.Commit());
    QCOMPARE(GetString("A", "k", "", path("fresh.ini")), QString("v"));
}

void PrivateProfileTest::transactionOnUnreadableFileWritesNothing()
{
    const QString file = path("huge.ini");
    const QByteArray content(PrivateProfile::MaxFileSize + 1, 'x');
    TestFiles::write(file, content);
    PrivateProfile::Transaction transaction(file);
    transaction.WriteString("A", "k", "v");
    QVERIFY(!transaction.Commit());
    QCOMPARE(TestFiles::read(file), content);
}

void PrivateProfileTest::replaceKeepsPermissionsAndLinks()
{
    const QString target = path("real.ini");
    TestFiles::write(target, "[A]\nk=1\n");
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QVERIFY(QFile::setPermissions(target, ownerOnly));
    const QFileDevice::Permissions before = QFileInfo(target).permissions();
    QVERIFY(QFile::link(target, path("link.ini")));

    QVERIFY(WriteString("A", "k", "2", path("link.ini")));
    QVERIFY(QFileInfo(path("link.ini")).isSymLink()); // still a link...
    QCOMPARE(TestFiles::read(target), QByteArray("[A]\nk=2\n")); // ...to the file that changed
    QCOMPARE(QFileInfo(target).permissions(), before);

    // A folder in the file's place is not replaced.
    QDir().mkpath(path("folder.ini"));
    QVERIFY(!AtomicReplace::ReplaceFile(path("folder.ini"), "x"));
    QVERIFY(QFileInfo(path("folder.ini")).isDir());
}

void PrivateProfileTest::staleTemporariesAreRemoved()
{
    QTemporaryDir folder;
    const QString prefs = folder.filePath("preferences.ini");
    TestFiles::write(prefs, "[A]\nk=1\n");
    const QString mark = AtomicReplace::TemporaryMark;
    TestFiles::write(prefs + mark + "0badc0de", "[A]\nk=");
    TestFiles::write(prefs + mark + "12345678", "");
    // Files of others, and names that only look alike, stay.
    TestFiles::write(folder.filePath("default.pls") + mark + "0badc0de", "x");
    TestFiles::write(prefs + ".bak", "x");
    TestFiles::write(prefs + mark, "x");
    TestFiles::write(prefs + mark + "0BADC0DE", "x");
    TestFiles::write(prefs + mark + "badc0de", "x");
    TestFiles::write(prefs + mark + "0badc0de0", "x");
    QDir().mkpath(prefs + mark + "f01de500");

    AtomicReplace::RemoveStaleTemporaries(prefs);
    QStringList left = QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    left.sort();
    QCOMPARE(left, (QStringList{"default.pls" + mark + "0badc0de", "preferences.ini", "preferences.ini.bak",
                                "preferences.ini" + mark, "preferences.ini" + mark + "0BADC0DE",
                                "preferences.ini" + mark + "0badc0de0", "preferences.ini" + mark + "badc0de",
                                "preferences.ini" + mark + "f01de500"}));
    QCOMPARE(TestFiles::read(prefs), QByteArray("[A]\nk=1\n"));
}

QTEST_GUILESS_MAIN(PrivateProfileTest)
#include "tst_privateprofile.moc"
