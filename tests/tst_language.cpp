#include "skin/Language.h"
#include "skin/Settings.h"
#include "TestFiles.h"

#include <QAction>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

// Stands in for the panel's skinned button: the language pass recognises
// buttons by their class name.
class TGbtn : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
};

class LanguageTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    static QAction *item(QObject *owner, const QString &name, const QString &caption = QString())
    {
        auto *action = new QAction(caption, owner);
        action->setObjectName(name);
        return action;
    }

private slots:
    void init();
    void listLanguageTranslatesBothWindows();
    void missingKeysKeepCaptionsAndClearHints();
    void unusableFontSizeIsIgnored_data();
    void unusableFontSizeIsIgnored();
    void playerLanguage();
    void playerFilterDefault();
    void emptyLanguageDoesNothing();
    void shippedLanguageFilesCoverEveryItem_data();
    void shippedLanguageFilesCoverEveryItem();
};

void LanguageTest::init()
{
    AppPath = m_dir.path() + u'/';
    TestFiles::write(m_dir.filePath("language/test.ini"),
                     "[Font]\nName=DejaVu Serif\nSize=13\n"
                     "[Menu]\nmnuAddFile=Add files\nAddMenu=Add\nmnuOpen=Open it\nN1=-\nmnuStop=Halt\n"
                     "[Button]\nbtnPlay=Play now\n"
                     "[String]\nFilter=Media|*.mp3|Lists|*.pls\n");
}

void LanguageTest::listLanguageTranslatesBothWindows()
{
    QWidget list, main;
    QAction *addMenu = item(&list, "AddMenu");
    QAction *addFile = item(&list, "mnuAddFile");
    QAction *open = item(&main, "mnuOpen");
    QAction *separator = item(&main, "N1");
    auto *play = new TGbtn(&main);
    play->setObjectName("btnPlay");
    auto *stop = new TGbtn(&main);
    stop->setObjectName("btnStop");
    stop->setToolTip("stale");

    IniFileName = m_dir.filePath("preferences.ini");
    ApplyListLanguage(&list, &main, "test");

    QCOMPARE(list.font().family(), QString("DejaVu Serif"));
    QCOMPARE(list.font().pointSize(), 13);
    QCOMPARE(main.font(), list.font());
    QCOMPARE(addMenu->text(), QString("Add"));
    QCOMPARE(addFile->text(), QString("Add files"));
    QCOMPARE(open->text(), QString("Open it"));
    QVERIFY(separator->isSeparator());
    QCOMPARE(play->toolTip(), QString("Play now"));
    QCOMPARE(stop->toolTip(), QString()); // no key: the hint becomes empty
    QCOMPARE(IniFileName, m_dir.filePath("preferences.ini")); // the language file was read in passing
}

void LanguageTest::missingKeysKeepCaptionsAndClearHints()
{
    QWidget list, main;
    list.setFont(QFont("DejaVu Sans", 9));
    QAction *clear = item(&list, "mnuClear", "Clear");
    ApplyListLanguage(&list, &main, "absent"); // no such file
    QCOMPARE(clear->text(), QString("Clear"));
    QCOMPARE(list.font().family(), QString("DejaVu Sans"));
    QCOMPARE(list.font().pointSize(), 9);
}

void LanguageTest::unusableFontSizeIsIgnored_data()
{
    QTest::addColumn<QByteArray>("size");
    QTest::newRow("zero") << QByteArray("0");
    QTest::newRow("negative") << QByteArray("-4");
    QTest::newRow("enormous") << QByteArray("5000");
    QTest::newRow("text") << QByteArray("big");
}

void LanguageTest::unusableFontSizeIsIgnored()
{
    QFETCH(QByteArray, size);
    TestFiles::write(m_dir.filePath("language/odd.ini"), "[Font]\nSize=" + size + "\n");
    QWidget list, main;
    list.setFont(QFont("DejaVu Sans", 9));
    ApplyListLanguage(&list, &main, "odd");
    QCOMPARE(list.font().pointSize(), 9);
}

void LanguageTest::playerLanguage()
{
    QWidget player;
    QAction *stop = item(&player, "mnuStop");
    QAction *open = item(&player, "mnuOpen");
    QString filter = "All Files(*.*)|*.*";
    ApplyPlayerLanguage(&player, filter, "test");
    QCOMPARE(stop->text(), QString("Halt"));
    QCOMPARE(open->text(), QString("Open it"));
    QCOMPARE(filter, QString("Media|*.mp3|Lists|*.pls"));
}

void LanguageTest::playerFilterDefault()
{
    QWidget player;
    QString filter = "something";
    ApplyPlayerLanguage(&player, filter, "absent");
    QCOMPARE(filter, QString("All Files(*.*)|*.*"));
}

void LanguageTest::emptyLanguageDoesNothing()
{
    QWidget list, main, player;
    QAction *open = item(&main, "mnuOpen", "Keep");
    IniFileName = "unchanged";
    QString filter = "keep";
    ApplyListLanguage(&list, &main, QString());
    ApplyPlayerLanguage(&player, filter, QString());
    QCOMPARE(open->text(), QString("Keep"));
    QCOMPARE(filter, QString("keep"));
    QCOMPARE(IniFileName, QString("unchanged"));
}

void LanguageTest::shippedLanguageFilesCoverEveryItem_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("English") << "English";
    QTest::newRow("Chinese") << "cn";
}

void LanguageTest::shippedLanguageFilesCoverEveryItem()
{
    QFETCH(QString, language);
    AppPath = QStringLiteral(TESSARO_SOURCE_DIR "/");
    const QStringList menuItems = {
        "mnuOpen", "N1", "mnuAbout", "mnuExit", "mnuPlaypasue", "mnuStop", "mnuBack", "mnuForward",
        "mnuPrv", "mnuNext", "N4", "mnuMain", "N2", "mnuAptitude", "mnuAutoSkip", "mnuDisLoop",
        "mnuFullscreen", "mnuClose", "AddMenu", "mnuAddFile", "mnuAddDir", "RemoveMenu", "mnuRemove",
        "mnuClear", "ListMenu", "mnuAddList", "mnuLoad", "mnuSave", "mnuTrim", "OthMenu", "mnuSort",
        "mnuSelAll"};
    const QStringList buttons = {"btnPrev", "btnPlay", "btnPause", "btnStop", "btnNext",
                                 "btnAdd", "btnTray", "btnClose", "btnPlayer", "btnList"};
    IniFileName = LanguageFileName(language);
    for (const QString &name : menuItems)
        QVERIFY2(!ReadIniString("Menu", name, QString()).isEmpty(), qPrintable(name));
    for (const QString &name : buttons)
        QVERIFY2(!ReadIniString("Button", name, QString()).isEmpty(), qPrintable(name));
    QVERIFY(!ReadIniString("Font", "Name", QString()).isEmpty());
    QVERIFY(ReadIniInteger("Font", "Size", 0) > 0);

    const QStringList filter = ReadIniString("String", "Filter", QString()).split(u'|');
    QVERIFY(filter.size() >= 4);
    for (const char *ext : {"*.swf", "*.avi", "*.mp3", "*.mpg", "*.asf", "*.wmv", "*.wma", "*.wav", "*.mid",
                            "*.mp4", "*.m4a", "*.m4v", "*.mkv", "*.webm", "*.mov", "*.ogg", "*.oga", "*.ogv",
                            "*.opus", "*.flac", "*.aac", "*.3gp", "*.flv"})
        QVERIFY2(filter[1].split(u';').contains(QLatin1String(ext)), ext);
    QCOMPARE(filter[3], QString("*.pls;*.m3u;*.m3u8;*.xspf"));
}

QTEST_MAIN(LanguageTest)
#include "tst_language.moc"
