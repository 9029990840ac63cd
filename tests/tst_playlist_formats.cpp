// Playlists of other players: told by content and name, read into entries,
// nested playlists followed once.
#include "TestFiles.h"
#include "list/Playlist.h"
#include "list/PlaylistFormats.h"

#include <QFile>

#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(PlaylistFormat)

class PlaylistFormatsTest : public QObject {
    Q_OBJECT

private slots:
    void readsEachFormat_data();
    void readsEachFormat();
    void playlistFileNames_data();
    void playlistFileNames();
    void nestedPlaylistsAreReadOnce();
    void deepNestingEnds();
    void unreadableFileIsReported();
    void ownFormatKeepsPlaylistEntries();
    void desktopEntryNamesEveryType();

private:
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void PlaylistFormatsTest::readsEachFormat_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<PlaylistFormat>("format");
    QTest::addColumn<QStringList>("entries");
    using F = PlaylistFormat;

    QTest::newRow("extended m3u") << "a.m3u"
                                  << QByteArray("#EXTM3U\n#EXTINF:123,Artist - Title\nsong.mp3\n\n/abs/b.ogg\n"
                                                "file:///music/a%20b.flac\nhttp://radio.example/stream\n")
                                  << F::M3u
                                  << QStringList{"/lists/song.mp3", "/abs/b.ogg", "/music/a b.flac",
                                                 "http://radio.example/stream"};
    QTest::newRow("m3u8 with BOM, CR LF and a parent folder")
        << "b.M3U8" << QByteArray("\xEF\xBB\xBF#EXTM3U\r\n../up/x.mp3\r\n  sub/y.wav  \r\n") << F::M3u
        << QStringList{"/up/x.mp3", "/lists/sub/y.wav"};
    QTest::newRow("plain m3u told by its name") << "c.m3u" << QByteArray("one.mp3\n# a comment\ntwo.mp3") << F::M3u
                                                << QStringList{"/lists/one.mp3", "/lists/two.mp3"};
    QTest::newRow("latin-1 m3u") << "d.m3u" << QByteArray("caf\xE9.mp3\n") << F::M3u
                                 << QStringList{QString::fromUtf8("/lists/caf\xC3\xA9.mp3")};
    QTest::newRow("m3u header in a .pls") << "e.pls" << QByteArray("#EXTM3U\nx.mp3\n") << F::M3u
                                          << QStringList{"/lists/x.mp3"};
    QTest::newRow("pls in INI form, keys in N order")
        << "f.pls"
        << QByteArray("[playlist]\nNumberOfEntries=3\nFile2=b.mp3\nTitle1=x\nFile1=a.mp3\nfile10=c.mp3\n"
                      "File3=\nVersion=2\n")
        << F::PlsIni << QStringList{"/lists/a.mp3", "/lists/b.mp3", "/lists/c.mp3"};
    QTest::newRow("pls INI after blank lines, other sections ignored")
        << "g.pls" << QByteArray("\xEF\xBB\xBF\n\n [Playlist] \nFile1=file:///m/a.mp3\n[other]\nFile2=no.mp3\n")
        << F::PlsIni << QStringList{"/m/a.mp3"};
    QTest::newRow("the program's own .pls: exact lines")
        << "h.pls" << QByteArray("a.mp3\r\n#not a comment\r\n file:///x.mp3\r\n") << F::Own
        << QStringList{"a.mp3", "#not a comment", " file:///x.mp3"};
    QTest::newRow("own .pls with [playlist] further down")
        << "i.pls" << QByteArray("/m/a.mp3\n[playlist]\n") << F::Own << QStringList{"/m/a.mp3", "[playlist]"};
    const QByteArray xspf = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                            "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">\n"
                            "  <location>http://example.org/the-list-itself.xspf</location>\n"
                            "  <trackList>\n"
                            "    <track><title>One</title><location>music/a%20b.mp3</location></track>\n"
                            "    <track><location>file:///m/c.ogg</location></track>\n"
                            "    <track><location>http://example.org/d.mp3</location></track>\n"
                            "    <track><location>file:///m/line%0Abreak.mp3</location></track>\n"
                            "    <track><location></location></track>\n"
                            "  </trackList>\n"
                            "</playlist>\n";
    QTest::newRow("xspf") << "j.xspf" << xspf << F::Xspf
                          << QStringList{"/lists/music/a b.mp3", "/m/c.ogg", "http://example.org/d.mp3"};
    QTest::newRow("xspf told by its content") << "k.xml" << xspf << F::Xspf
                                              << QStringList{"/lists/music/a b.mp3", "/m/c.ogg",
                                                             "http://example.org/d.mp3"};
    QTest::newRow("broken xspf keeps what came before")
        << "l.xspf"
        << QByteArray("<playlist xmlns=\"http://xspf.org/ns/0/\"><trackList>"
                      "<track><location>/m/a.mp3</location></track><track><location>/m/b.mp3</loc")
        << F::Xspf << QStringList{"/m/a.mp3"};
    QTest::newRow("not XML at all in an .xspf") << "m.xspf" << QByteArray("\x01\x02 junk \xFF") << F::Xspf
                                                << QStringList{};
    QTest::newRow("empty m3u") << "n.m3u" << QByteArray() << F::M3u << QStringList{};
}

void PlaylistFormatsTest::readsEachFormat()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(PlaylistFormat, format);
    QFETCH(QStringList, entries);
    QCOMPARE(DetectPlaylistFormat("/lists/" + name, bytes), format);
    QCOMPARE(ParsePlaylist(format, bytes, "/lists"), entries);
}

void PlaylistFormatsTest::playlistFileNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("playlist");
    QTest::newRow("m3u") << "/m/a.m3u" << true;
    QTest::newRow("upper-case m3u8") << "/m/a.M3U8" << true;
    QTest::newRow("pls") << "a.pls" << true;
    QTest::newRow("xspf") << "a.xspf" << true;
    QTest::newRow("media") << "a.mp3" << false;
    QTest::newRow("dot in the folder") << "/m.pls/a" << false;
}

void PlaylistFormatsTest::playlistFileNames()
{
    QFETCH(QString, name);
    QFETCH(bool, playlist);
    QCOMPARE(IsPlaylistFileName(name), playlist);
}

void PlaylistFormatsTest::nestedPlaylistsAreReadOnce()
{
    TestFiles::write(file("a.m3u"), "#EXTM3U\nb.pls\na.m3u\nsong.mp3\nmissing.m3u\n");
    TestFiles::write(file("b.pls"), "[playlist]\nFile1=a.m3u\nFile2=c.mp3\nFile3=" +
                                        QUrl::fromLocalFile(file("d.xspf")).toEncoded() + "\n");
    TestFiles::write(file("d.xspf"), "<playlist xmlns=\"http://xspf.org/ns/0/\"><trackList>"
                                     "<track><location>b.pls</location></track>"
                                     "<track><location>e.flac</location></track></trackList></playlist>");
    QString error;
    const std::optional<QStringList> entries = ReadAnyPlaylist(file("a.m3u"), &error);
    QVERIFY(entries.has_value());
    QCOMPARE(*entries, (QStringList{file("c.mp3"), file("e.flac"), file("song.mp3")}));
}

void PlaylistFormatsTest::deepNestingEnds()
{
    constexpr int Chain = 40;
    for (int i = 0; i < Chain; ++i)
        TestFiles::write(file(QString("chain%1.m3u").arg(i)),
                         QString("track%1.mp3\nchain%2.m3u\n").arg(i).arg(i + 1).toUtf8());
    const std::optional<QStringList> entries = ReadAnyPlaylist(file("chain0.m3u"), nullptr);
    QVERIFY(entries.has_value());
    QVERIFY(entries->size() > 1 && entries->size() < Chain);
    QCOMPARE(entries->first(), file("track0.mp3"));
}

void PlaylistFormatsTest::unreadableFileIsReported()
{
    QString error;
    QVERIFY(!ReadAnyPlaylist(file("absent.m3u"), &error).has_value());
    QVERIFY(!error.isEmpty());
    QVERIFY(!ReadAnyPlaylist(m_dir.path(), &error).has_value()); // a folder
}

void PlaylistFormatsTest::ownFormatKeepsPlaylistEntries()
{
    // The program's own list names files exactly; a playlist in it stays an entry.
    TestFiles::write(file("own.pls"), "x.m3u\r\nrelative.mp3\r\n");
    TestFiles::write(file("x.m3u"), "inner.mp3\n");
    const std::optional<QStringList> entries = ReadAnyPlaylist(file("own.pls"), nullptr);
    QVERIFY(entries.has_value());
    QCOMPARE(*entries, (QStringList{"x.m3u", "relative.mp3"}));
}

// Every extension the playlist admits, and every playlist extension read,
// has a MIME type (as the system's MIME database names it) in the menu
// entry, so the file manager offers Tessaro for all of them.
void PlaylistFormatsTest::desktopEntryNamesEveryType()
{
    QFile globs("/usr/share/mime/globs2");
    if (!globs.open(QIODevice::ReadOnly))
        QSKIP("no MIME database");
    QMultiHash<QString, QString> typesOf; // "*.ext" -> MIME types
    for (const QByteArray &line : globs.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(':');
        if (fields.size() >= 3)
            typesOf.insert(QString::fromUtf8(fields[2]), QString::fromUtf8(fields[1]));
    }
    QStringList listed;
    const QByteArray entry = TestFiles::read(QStringLiteral(TESSARO_SOURCE_DIR "/resources/tessaro.desktop"));
    for (const QByteArray &line : entry.split('\n'))
        if (line.startsWith("MimeType="))
            listed = QString::fromUtf8(line.mid(int(sizeof("MimeType=")) - 1)).split(u';', Qt::SkipEmptyParts);
    QVERIFY(!listed.isEmpty());
    QStringList extensions = MediaExts.split(QStringLiteral(", "));
    extensions << ".m3u" << ".m3u8" << ".pls" << ".xspf";
    for (const QString &extension : extensions) {
        const QList<QString> types = typesOf.values(u'*' + extension);
        QVERIFY2(!types.isEmpty(), qPrintable(extension));
        const bool named = std::any_of(types.begin(), types.end(),
                                       [&](const QString &type) { return listed.contains(type); });
        QVERIFY2(named, qPrintable(extension + " (" + QStringList(types).join(u' ') + ")"));
    }
}

QTEST_GUILESS_MAIN(PlaylistFormatsTest)
#include "tst_playlist_formats.moc"
