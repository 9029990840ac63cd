#include "skin/Skin.h"
#include "BmpWriter.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

class SkinTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString skinFolder() const { return m_dir.filePath("skin/Blue/"); }
    void writePreferences(const QByteArray &content) { TestFiles::write(m_dir.filePath("preferences.ini"), content); }

private slots:
    void init();
    void frameRects();
    void frameRectsOfLowerFrame();
    void noSkinNamed();
    void missingSkinFolder();
    void blankBitmapFromSize();
    void oneFrameSkin_data();
    void oneFrameSkin();
    void twoFrameSkin();
    void transparentIconColour();
    void unusableBitmapCountsAsMissing_data();
    void unusableBitmapCountsAsMissing();
    void appPathKeepsCase();
    void climbingSkinNameCountsAsAbsent_data();
    void climbingSkinNameCountsAsAbsent();
};

void SkinTest::init()
{
    Skin = TSkin{};
    SkinName.clear();
    QDir(m_dir.filePath("skin")).removeRecursively();
    QFile::remove(m_dir.filePath("preferences.ini"));
}

void SkinTest::frameRects()
{
    Skin.TitleHeight = 26;
    Skin.BorderSize = 3;
    const TFrameRects r = CalcFrameRects({0, 0, 300, 200});
    QCOMPARE(r[TitleMid], (TRect{26, 0, 274, 26}));
    QCOMPARE(r[TitleLeft], (TRect{0, 0, 26, 26}));
    QCOMPARE(r[TitleRight], (TRect{274, 0, 300, 26}));
    QCOMPARE(r[BottomMid], (TRect{3, 197, 297, 200}));
    QCOMPARE(r[BottomLeft], (TRect{0, 197, 3, 200}));
    QCOMPARE(r[BottomRight], (TRect{297, 197, 300, 200}));
    QCOMPARE(r[LeftEdge], (TRect{0, 26, 3, 197}));
    QCOMPARE(r[RightEdge], (TRect{297, 26, 300, 197}));
    QCOMPARE(r[ClientPiece], (TRect{3, 26, 297, 197}));

    // Narrower than two title corners: nothing is clamped.
    QCOMPARE(CalcFrameRects({0, 0, 40, 60})[TitleMid].width(), -12);
}

void SkinTest::frameRectsOfLowerFrame()
{
    Skin.TitleHeight = 27;
    Skin.BorderSize = 5;
    const TFrameRects r = CalcFrameRects({0, 50, 128, 101});
    QCOMPARE(r[TitleLeft], (TRect{0, 50, 27, 77}));
    QCOMPARE(r[BottomRight], (TRect{123, 96, 128, 101}));
    QCOMPARE(r[ClientPiece], (TRect{5, 77, 123, 96}));
}

void SkinTest::noSkinNamed()
{
    InitSkin(m_dir.path());
    QVERIFY(SkinName.isEmpty());
    QVERIFY(!Skin.SkinLoaded);
    QVERIFY(!Skin.SkinBitmap.has_value());
    QVERIFY(!Skin.IconsBitmap.has_value());
    QCOMPARE(Skin.TitleHeight, 0);
    QCOMPARE(IniFileName, m_dir.filePath("preferences.ini"));
    QCOMPARE(LangName, QString("English"));
}

void SkinTest::missingSkinFolder()
{
    writePreferences("[General]\nSkin=Nowhere\nLanguage=cn\n");
    InitSkin(m_dir.path() + u'/');
    QCOMPARE(SkinName, QString("Nowhere"));
    QCOMPARE(LangName, QString("cn"));
    QVERIFY(!Skin.SkinLoaded);
    QVERIFY(Skin.SkinBitmap.has_value() && Skin.SkinBitmap->isNull());
    QVERIFY(Skin.IconsBitmap.has_value() && Skin.IconsBitmap->isNull());
    QCOMPARE(IniFileName, m_dir.filePath("preferences.ini"));
}

void SkinTest::blankBitmapFromSize()
{
    writePreferences("[General]\nSkin=Blue\n");
    TestFiles::write(skinFolder() + "Blue.ini", "[Size]\nWidth=200\nHeight=100\n");
    InitSkin(m_dir.path());
    QVERIFY(Skin.SkinLoaded);
    QCOMPARE(Skin.SkinBitmap->size(), QSize(200, 100));
    QCOMPARE(Skin.TitleHeight, 26);
    QCOMPARE(Skin.BorderSize, 3);
    QCOMPARE(Skin.IconRight, 5);
    QCOMPARE(Skin.IconTop, 3);
    QCOMPARE(Skin.clTransparence, 0xFF00FF);
    QCOMPARE(Skin.FrameRects[ClientPiece], (TRect{3, 26, 197, 97}));
    QVERIFY(Skin.IconsBitmap->isNull());
    QCOMPARE(IniFileName, m_dir.filePath("preferences.ini")); // the skin file was read in passing
}

void SkinTest::oneFrameSkin_data()
{
    QTest::addColumn<bool>("rle8");
    QTest::newRow("plain") << false;
    QTest::newRow("rle8") << true;
}

void SkinTest::oneFrameSkin()
{
    QFETCH(bool, rle8);
    writePreferences("[General]\nSkin=Blue\n");
    TestFiles::write(skinFolder() + "Blue.ini",
                     "[Parameter]\nTitleHeight=20\nBorderSize=4\nAngleSize=6\nIconRight=7\nIconTop=2\n"
                     "[Color]\nclTitleText=#FF0000\nclTitleLightText=$00FF00\n"
                     "[Size]\nWidth=999\nHeight=999\n");
    const auto bitmap = BmpWriter::banded(64, 40, qRgb(10, 20, 200), qRgb(250, 240, 5));
    TestFiles::write(skinFolder() + "Blue.bmp", BmpWriter::encode(bitmap, rle8));
    InitSkin(m_dir.path());

    QVERIFY(Skin.SkinLoaded);
    QCOMPARE(Skin.SkinBitmap->size(), QSize(64, 40));
    QCOMPARE(Skin.SkinBitmap->pixel(0, 0), qRgb(10, 20, 200));
    QCOMPARE(Skin.SkinBitmap->pixel(3, 0), qRgb(250, 240, 5));
    QCOMPARE(Skin.SkinBitmap->pixel(0, 39), qRgb(250, 240, 5));
    QCOMPARE(Skin.TitleHeight, 20);
    QCOMPARE(Skin.BorderSize, 4);
    QCOMPARE(Skin.AngleSize, 6);
    QCOMPARE(Skin.IconRight, 7);
    QCOMPARE(Skin.IconTop, 2);
    QCOMPARE(Skin.clTitleText, 0x0000FF);
    QCOMPARE(Skin.clTitleLightText, 0x00FF00);
    QCOMPARE(Skin.FrameRects[TitleRight], (TRect{44, 0, 64, 20}));
    QCOMPARE(Skin.FrameRects[BottomMid], (TRect{4, 36, 60, 40}));
}

void SkinTest::twoFrameSkin()
{
    writePreferences("[General]\nSkin=Blue\n");
    TestFiles::write(skinFolder() + "Blue.ini", "[Parameter]\nSkinEx=1\nTitleHeight=10\nBorderSize=2\n");
    TestFiles::write(skinFolder() + "Blue.bmp",
                     BmpWriter::encode(BmpWriter::banded(30, 101, qRgb(0, 0, 0), qRgb(255, 255, 255)), true));
    InitSkin(m_dir.path());
    QVERIFY(Skin.SkinEx);
    QCOMPARE(Skin.FrameRects[TitleLeft], (TRect{0, 0, 10, 10}));
    QCOMPARE(Skin.FrameRects[BottomMid], (TRect{2, 48, 28, 50}));
    QCOMPARE(Skin.FrameRectsEx[TitleLeft], (TRect{0, 50, 10, 60}));
    QCOMPARE(Skin.FrameRectsEx[BottomMid], (TRect{2, 99, 28, 101}));
}

void SkinTest::transparentIconColour()
{
    writePreferences("[General]\nSkin=Blue\n");
    TestFiles::write(skinFolder() + "Blue.ini", "[Color]\nclTransparence=#00FF00\n");
    TestFiles::write(skinFolder() + "icons.bmp",
                     BmpWriter::encode(BmpWriter::banded(64, 16, qRgb(0, 255, 0), qRgb(255, 0, 255)), false));
    InitSkin(m_dir.path());
    QCOMPARE(Skin.clTransparence, 0x00FF00);
    QCOMPARE(qAlpha(Skin.IconsBitmap->pixel(0, 0)), 0);     // pure green
    QCOMPARE(Skin.IconsBitmap->pixel(3, 0), qRgb(255, 0, 255)); // magenta stays
}

void SkinTest::unusableBitmapCountsAsMissing_data()
{
    QTest::addColumn<QByteArray>("content");
    QByteArray hugeHeader = BmpWriter::encode(BmpWriter::banded(4, 4, 0, 0), false);
    // Claim 100000 x 100000 pixels in the header.
    for (int i = 0; i < 4; ++i) {
        hugeHeader[18 + i] = char((100000 >> (8 * i)) & 0xFF);
        hugeHeader[22 + i] = char((100000 >> (8 * i)) & 0xFF);
    }
    QTest::newRow("garbage") << QByteArray("this is not a bitmap at all");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("truncated") << BmpWriter::encode(BmpWriter::banded(40, 40, 0, 0), false).left(60);
    QTest::newRow("huge dimensions") << hugeHeader;
}

void SkinTest::unusableBitmapCountsAsMissing()
{
    QFETCH(QByteArray, content);
    writePreferences("[General]\nSkin=Blue\n");
    TestFiles::write(skinFolder() + "Blue.ini", "[Size]\nWidth=50\nHeight=40\n");
    TestFiles::write(skinFolder() + "Blue.bmp", content);
    InitSkin(m_dir.path());
    QVERIFY(Skin.SkinLoaded);
    QCOMPARE(Skin.SkinBitmap->size(), QSize(50, 40));
}

void SkinTest::appPathKeepsCase()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("My Player");
    TestFiles::write(folder + "/preferences.ini", "[General]\nLanguage=cn\n");
    InitSkin(folder);
    QCOMPARE(AppPath, folder + u'/');
    QCOMPARE(LangName, QString("cn"));
}

void SkinTest::climbingSkinNameCountsAsAbsent_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reachedFolder"); // where the description file would be found
    QTest::newRow("parent") << "../evil" << "evil";
    QTest::newRow("sub-folder") << "a/b" << "skin/a/b/a";
    QTest::newRow("backslash") << "..\\evil" << QString();
    QTest::newRow("parent alone") << ".." << QString();
}

void SkinTest::climbingSkinNameCountsAsAbsent()
{
    QFETCH(QString, name);
    QFETCH(QString, reachedFolder);
    QDir().mkpath(m_dir.filePath("skin"));
    const QString description = m_dir.filePath("skin/") + name + u'/' + name + ".ini";
    if (!reachedFolder.isEmpty()) {
        // A description the name would reach, were it followed.
        QDir().mkpath(m_dir.filePath(reachedFolder));
        TestFiles::write(QDir::cleanPath(description), "[Size]\nWidth=20\nHeight=10\n");
        QVERIFY(QFileInfo(description).isFile());
    }
    writePreferences("[General]\nSkin=" + name.toUtf8() + "\n");
    InitSkin(m_dir.path());
    QVERIFY(SkinName.isEmpty());
    QVERIFY(!Skin.SkinLoaded);
    QCOMPARE(IniFileName, m_dir.filePath("preferences.ini"));
    QDir(m_dir.filePath("evil")).removeRecursively();
    QFile::remove(m_dir.filePath("evil.ini"));
}

QTEST_GUILESS_MAIN(SkinTest)
#include "tst_skin.moc"
