#include "playlists/PlaylistEdit.h"
#include "playlists/PlaylistRepair.h"
#include "playlists/SongListModel.h"
#include "playlists/MarkupFormats.h"
#include "playlists/XspfReader.h"

#include <QBuffer>
#include <QtTest>

using Bytes = QList<QByteArray>;

namespace {

QByteArray xspf(const QByteArray& tracks) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">\n  <trackList>\n" +
           tracks + "  </trackList>\n</playlist>\n";
}

// Where each song lies, to compare readings.
QList<quint32> songRanges(const IndexedPlaylist& playlist) {
    QList<quint32> ranges;
    for (const MarkupSong& song : playlist.markupSongs)
        ranges << song.elementStart << song.elementEnd << song.valueStart << song.valueEnd
               << song.parent;
    return ranges;
}

void writeFile(const QByteArray& path, const QByteArray& bytes) {
    QFile file(QFile::decodeName(path));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray track(const QByteArray& location) {
    return "    <track><location>" + location + "</location></track>\n";
}

// UTF-16 without a byte-order mark, as some programs save XML.
QByteArray unmarked(const QByteArray& utf8, QStringConverter::Encoding encoding) {
    QStringEncoder encoder(encoding);
    return encoder.encode(QString::fromUtf8(utf8));
}

QByteArray utf16(const QByteArray& utf8) {
    const QString text = QString::fromUtf8(utf8);
    return QByteArray("\xFF\xFE") +
           QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

// An XSPF as VLC 3 saves it: each track's id, and the playlist's order as a list of ids.
QByteArray vlcXspf(const QList<int>& tracks, const QByteArray& items) {
    QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist "
                      "xmlns=\"http://xspf.org/ns/0/\" "
                      "xmlns:vlc=\"http://www.videolan.org/vlc/playlist/ns/0/\" version=\"1\">\n"
                      "\t<title>Playlist</title>\n\t<trackList>\n";
    for (const int id : tracks)
        text += "\t\t<track>\n\t\t\t<location>file:///m/s" + QByteArray::number(id) +
                ".mp3</location>\n\t\t\t<extension "
                "application=\"http://www.videolan.org/vlc/playlist/0\">\n\t\t\t\t<vlc:id>" +
                QByteArray::number(id) + "</vlc:id>\n\t\t\t</extension>\n\t\t</track>\n";
    return text +
           "\t</trackList>\n\t<extension "
           "application=\"http://www.videolan.org/vlc/playlist/0\">\n" +
           items + "\t</extension>\n</playlist>\n";
}

QByteArray vlcItems(const QList<int>& ids, const QByteArray& indent = "\t\t") {
    QByteArray items;
    for (const int id : ids)
        items += indent + "<vlc:item tid=\"" + QByteArray::number(id) + "\"/>\n";
    return items;
}

QByteArray vlcNode(const QList<int>& ids) {
    return "\t\t<vlc:node title=\"Album\">\n" + vlcItems(ids, "\t\t\t") + "\t\t</vlc:node>\n";
}

const QByteArray Wpl = "<?wpl version=\"1.0\"?>\r\n<smil>\r\n  <head><title>Mix</title></head>\r\n"
                       "  <body>\r\n    <seq>\r\n"
                       "      <media src=\"..\\Music\\a.mp3\" tid=\"{1}\"/>\r\n"
                       "      <!-- kept -->\r\n"
                       "      <media src='C:\\Rock &amp; Roll\\b.wma'/>\r\n"
                       "    </seq>\r\n  </body>\r\n</smil>\r\n";

const QByteArray Asx =
    "<ASX version=\"3.0\">\n  <Title>Live</Title>\n"
    "  <Entry><Title>One</Title><Ref HREF=\"one.mp3\"/><ref href=\"alt.mp3\"/></Entry>\n"
    "  <entry><REF href=\"file:///m/two%20x.mp3\"/></entry>\n"
    "</ASX>\n";

} // namespace

// Playlists in XML (XSPF, WPL, ASX) and M3U8: which songs they name, and edits that keep every
// byte outside the songs they touch.
class TestPlaylistFormats : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void reading_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<PlaylistFormat>("format");
        QTest::addColumn<Bytes>("entries");
        QTest::addColumn<bool>("whole");
        QTest::newRow("m3u8") << QByteArray("#EXTM3U\n#EXTINF:1,x\nBj\xC3\xB6rk/\xC3\xA4.mp3\n")
                              << PlaylistFormat::ExtendedM3U << Bytes{"Bj\xC3\xB6rk/\xC3\xA4.mp3"}
                              << true;
        QTest::newRow("xspf file URIs: escapes are bytes, a host other than this one stays a URI")
            << xspf(track("file:///music/a%20b/%C3%A9.mp3") + track("file:///l/%E9.mp3") +
                    track("file://localhost/x.ogg") + track("file:///C:/Music/w.mp3") +
                    track("file://server/share/s.mp3"))
            << PlaylistFormat::Xspf
            << Bytes{"/music/a b/\xC3\xA9.mp3", "/l/\xE9.mp3", "/x.ogg", "C:/Music/w.mp3",
                     "file://server/share/s.mp3"}
            << true;
        QTest::newRow("xspf relative references, entities, an http URL, blanks around")
            << xspf(track("../Music/r%26b%20x.mp3") + track("r&amp;b.mp3") +
                    track("\n  http://radio.example/s?a=1&amp;b=2  ") +
                    "    <track><title>no location</title></track>\n" +
                    "    <track><location>first.mp3</location><location>second.mp3</location>"
                    "</track>\n")
            << PlaylistFormat::Xspf
            << Bytes{"../Music/r&b x.mp3", "r&b.mp3", "http://radio.example/s?a=1&b=2", "first.mp3"}
            << true;
        QTest::newRow("xspf: a % without two hex digits after it is no escape")
            << xspf(track("100% pure.mp3") + track("file:///m/50%%20off%2.mp3") + track("h%tX:%m3"))
            << PlaylistFormat::Xspf << Bytes{"100% pure.mp3", "/m/50% off%2.mp3", "h%tX:%m3"}
            << true;
        QTest::newRow("xspf: only a colon written as one makes a drive")
            << xspf(track("file:///e%3A/x.mp3") + track("file:///C:%5CMusic%5Cy.mp3"))
            << PlaylistFormat::Xspf << Bytes{"/e:/x.mp3", "C:\\Music\\y.mp3"} << true;
        QTest::newRow("xspf: a bare drive letter is a path, not a URI scheme")
            << xspf(track("C:/My%20Music/d.mp3") + track("c:\\x%201.mp3")) << PlaylistFormat::Xspf
            << Bytes{"C:/My Music/d.mp3", "c:\\x 1.mp3"} << true;
        QTest::newRow("wpl: Windows paths as written")
            << Wpl << PlaylistFormat::Wpl << Bytes{"..\\Music\\a.mp3", "C:\\Rock & Roll\\b.wma"}
            << true;
        QTest::newRow("asx: any letter case, the first reference of an entry")
            << Asx << PlaylistFormat::Asx << Bytes{"one.mp3", "/m/two x.mp3"} << true;
        QTest::newRow("UTF-16 xspf") << utf16(xspf(track("%C3%A9.mp3"))) << PlaylistFormat::Xspf
                                     << Bytes{"\xC3\xA9.mp3"} << true;
        const QByteArray utf16Xspf =
            "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<playlist version=\"1\">"
            "<trackList><track><location>%C3%A9.mp3</location></track></trackList></playlist>";
        QTest::newRow("UTF-16 LE xspf without a mark")
            << unmarked(utf16Xspf, QStringConverter::Utf16LE) << PlaylistFormat::Xspf
            << Bytes{"\xC3\xA9.mp3"} << true;
        QTest::newRow("UTF-16 BE xspf without a mark")
            << unmarked(utf16Xspf, QStringConverter::Utf16BE) << PlaylistFormat::Xspf
            << Bytes{"\xC3\xA9.mp3"} << true;
        QTest::newRow("Windows-1252 wpl")
            << QByteArray("<smil><body><seq><media src=\"caf\xE9.mp3\"/></seq></body></smil>")
            << PlaylistFormat::Wpl << Bytes{"caf\xC3\xA9.mp3"} << true;
        QTest::newRow("empty file") << QByteArray() << PlaylistFormat::PlainM3U << Bytes{} << true;
        QTest::newRow("broken XML keeps the songs before the fault")
            << QByteArray("<playlist><trackList><track><location>a.mp3</location></track>"
                          "<track><location>b.mp3</track>")
            << PlaylistFormat::Xspf << Bytes{"a.mp3"} << false;
        QTest::newRow("entities of a DTD are never trusted")
            << QByteArray("<!DOCTYPE p [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>"
                          "<playlist><trackList><track><location>&e;</location></track>"
                          "</trackList></playlist>")
            << PlaylistFormat::Xspf << Bytes{} << false;
        QByteArray bomb = "<!DOCTYPE p [<!ENTITY a \"aaaaaaaaaaaaaaaa\">";
        for (char level = 'b'; level <= 'h'; ++level)
            bomb += QByteArray("<!ENTITY ") + level + " \"" +
                    QByteArray("&").append(char(level - 1)).append(';').repeated(16) + "\">";
        QTest::newRow("entity expansion bomb")
            << bomb + "]><playlist><trackList><track><location>&h;</location></track>"
                      "</trackList></playlist>"
            << PlaylistFormat::Xspf << Bytes{} << false;
        QTest::newRow("ASF video named .asx: no songs, never rewritten")
            << QByteArray::fromHex("3026b2758e66cf11a6d900aa0062ce6c") + "\x9a\x01\r\nx.mp3\r\n"
            << PlaylistFormat::PlainM3U << Bytes{} << false;
        QTest::newRow("a tab in the first line is text")
            << QByteArray("a\tb.mp3\r\nc.mp3\r\n") << PlaylistFormat::PlainM3U
            << Bytes{"a\tb.mp3", "c.mp3"} << true;
        QTest::newRow("other XML is read as lines")
            << QByteArray("<html>\n</html>\n") << PlaylistFormat::PlainM3U
            << Bytes{"<html>", "</html>"} << true;
    }

    void reading() {
        QFETCH(QByteArray, file);
        QFETCH(PlaylistFormat, format);
        QFETCH(Bytes, entries);
        QFETCH(bool, whole);
        const IndexedPlaylist playlist = indexPlaylist(file);
        QCOMPARE(playlist.format, format);
        QCOMPARE(playlist.entries.toList(), entries);
        QCOMPARE(playlist.whole, whole);
        // The same from a file, whose reading stops where the text ends.
        QTemporaryDir dir;
        QFile out(dir.filePath(QStringLiteral("list")));
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
        out.close();
        const Result<IndexedPlaylist> read = loadIndexedPlaylist(out.fileName());
        QVERIFY(read.isOk());
        QCOMPARE(read->entries.toList(), entries);
    }

    // The tokenizer reads plain XML at byte speed and hands anything else to QXmlStreamReader;
    // either way the songs, their byte ranges and whether the file read whole are what
    // QXmlStreamReader alone finds.
    void tokenizerAgreesWithStreamReader_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<PlaylistFormat>("format");
        QTest::addColumn<int>("songs");
        QTest::addColumn<bool>("whole");
        const auto row = [](const char* name, const QByteArray& file, PlaylistFormat format,
                            int songs, bool whole) {
            QTest::newRow(name) << file << format << songs << whole;
        };
        const PlaylistFormat x = PlaylistFormat::Xspf;
        row("VLC's form: a declared prefix, extensions, titles",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist xmlns=\"http://xspf.org/ns/0/\" "
            "xmlns:vlc=\"http://www.videolan.org/vlc/playlist/ns/0/\" version=\"1\">\n"
            "\t<title>Playlist</title>\n\t<trackList>\n\t\t<track>\n\t\t\t<location>file:///m/"
            "a%20b.mp3"
            "</location>\n\t\t\t<title>A &amp; B</title>\n\t\t\t<extension application=\"http://"
            "www.videolan.org/vlc/playlist/0\">\n\t\t\t\t<vlc:id>0</vlc:id>\n\t\t\t</extension>\n"
            "\t\t</track>\n\t\t<track><location>c.mp3</location></track>\n\t</trackList>\n"
            "\t<extension application=\"http://www.videolan.org/vlc/playlist/0\">\n"
            "\t\t<vlc:item tid=\"0\"/>\n\t</extension>\n</playlist>\n",
            x, 2, true);
        row("references and line ends in a location",
            xspf(track("a&amp;b&#x41;&#66;&lt;&gt;&quot;&apos;.mp3") + track("x\r\ny\rz.mp3") +
                 track("&#x1F600;.mp3")),
            x, 3, true);
        row("comments between and inside", xspf("<!-- a -- b? no -->" + track("a<!-- c -->b.mp3")),
            x, 0, false);
        row("comments", xspf("<!-- one -->" + track("a<!-- c -->b.mp3") + "<!---->"), x, 1, true);
        row("text inside a location's child", xspf(track("a<b>x</b>c.mp3")), x, 1, true);
        row("empty locations", xspf(track("") + "<track><location/></track>" + track("d.mp3")), x,
            1, true);
        row("CDATA", xspf(track("a.mp3") + track("<![CDATA[b&c.mp3]]>") + track("d.mp3")), x, 3,
            true);
        row("a processing instruction inside", xspf(track("a.mp3") + "<?pi x?>" + track("b.mp3")),
            x, 2, true);
        row("an undeclared prefix", xspf(track("a.mp3") + "<v:x/>" + track("b.mp3")), x, 1, false);
        row("an end tag of another element",
            xspf(track("a.mp3") + "<track><location>b.mp3</track>" + track("c.mp3")), x, 1, false);
        row("cut short", xspf(track("a.mp3") + track("b.mp3")).chopped(30), x, 1, false);
        row("an entity no DTD declares", xspf(track("a.mp3") + track("&nbsp;b.mp3")), x, 1, false);
        row("a bad character reference", xspf(track("a.mp3") + track("&#1;b.mp3")), x, 1, false);
        row("a control character",
            xspf(track("a.mp3") + track("\x01"
                                        "b.mp3")),
            x, 1, false);
        row("U+FFFF",
            xspf(track("a.mp3") + track("\xEF\xBF\xBF"
                                        "b.mp3")),
            x, 1, false);
        row("]]> in text", xspf(track("a.mp3") + track("b]]>.mp3")), x, 1, false);
        row("a second attribute of one name",
            xspf(track("a.mp3") + "<track a=\"1\" a=\"2\"><location>b.mp3</location></track>"), x,
            1, false);
        row("attributes with no blank between",
            xspf(track("a.mp3") + "<track a=\"1\"b=\"2\"><location>b.mp3</location></track>"), x, 1,
            false);
        row("< in an attribute",
            xspf(track("a.mp3") + "<track a=\"<\"><location>b.mp3</location></track>"), x, 1,
            false);
        row("file URIs: blanks around, letter case, a host, escapes cut short",
            xspf(track(" \n file:///m/a%20b.mp3\t") + track("FILE:///m/c.mp3") +
                 track("file://localhost/m/d.mp3") + track("file://host/m/e.mp3") +
                 track("file:///m/f%2.mp3") + track("file:///m/g%zz%4") + track("file:m/h.mp3") +
                 track("file:///C:/i.mp3")),
            x, 8, true);
        row("file URIs with blanks beyond ASCII at their ends",
            xspf(track("\xC2\xA0"
                       "file:///m/a.mp3\xE3\x80\x80") +
                 track("file:///m/\xC3\xA9.mp3") + track("file:///m/b.mp3\xC3\xA9")),
            x, 3, true);
        row("a file URI cut by a comment or a reference",
            xspf(track("file:///m/a<!-- x -->b.mp3") + track("file:///m/c&amp;d.mp3") +
                 track("file:///m/e\r\nf.mp3")),
            x, 3, true);
        row("markup after the root", xspf(track("a.mp3")) + "<!-- after -->\n", x, 1, true);
        row("a second root", xspf(track("a.mp3")) + "<playlist/>", x, 1, false);
        row("a DTD", "<!DOCTYPE playlist>" + xspf(track("a.mp3")).sliced(39), x, 1, false);
        row("wpl: references, tabs and line ends in attributes",
            "<?wpl version=\"1.0\"?><smil><body><seq><media src=\"a&amp;b\tc\r\nd.mp3\"/>"
            "<media src='e&#9;f&#10;.mp3' tid=\"1\"/></seq></body></smil>",
            PlaylistFormat::Wpl, 2, true);
        row("wpl", Wpl, PlaylistFormat::Wpl, 2, true);
        row("asx: letter case", Asx, PlaylistFormat::Asx, 2, true);
        row("U+FEFF after a reference and at the start of a text",
            xspf(track("a&amp;\xEF\xBB\xBF") +
                 "<track><location><!-- c -->\xEF\xBB\xBF"
                 "b.mp3"
                 "</location></track>" +
                 track("f\xEF\xBB\xBF:///m/a%20b.mp3")),
            x, 3, true);
        row("a prefix declared on its own element",
            xspf("<track><location>a.mp3</location><e:x xmlns:e=\"urn:e\" e:y=\"1\"/></track>"), x,
            1, true);
    }

    void tokenizerAgreesWithStreamReader() {
        QFETCH(QByteArray, file);
        QFETCH(PlaylistFormat, format);
        QFETCH(int, songs);
        QFETCH(bool, whole);
        const MarkupRule& rule = *markupRuleOf(format);
        const IndexedPlaylist quick = readMarkupPlaylist(file, rule);
        const IndexedPlaylist full = readMarkupPlaylist(file, rule, false);
        QCOMPARE(full.entries.size(), songs);
        QCOMPARE(full.whole, whole);
        QCOMPARE(quick.entries.toList(), full.entries.toList());
        QCOMPARE(quick.whole, full.whole);
        QCOMPARE(songRanges(quick), songRanges(full));
    }

    // Read a window at a time, as a file is, the same songs at the same bytes come out
    // wherever the windows end: in a tag, a reference, a character, a comment, a mark.
    void readingThroughAWindow_data() {
        tokenizerAgreesWithStreamReader_data();
        const PlaylistFormat x = PlaylistFormat::Xspf;
        const QByteArray tracks = track("a.mp3") + track("file:///m/b%20c.mp3");
        QTest::newRow("two byte-order marks")
            << "\xEF\xBB\xBF\xEF\xBB\xBF" + xspf(tracks) << x << 2 << true;
        QTest::newRow("a mark and blanks before a comment")
            << "\xEF\xBB\xBF \r\n\t<!-- c -->" + xspf(tracks).sliced(39) << x << 2 << true;
        QTest::newRow("Windows-1252") << xspf(track("caf\xE9.mp3") + tracks) << x << 3 << true;
        QTest::newRow("Windows-1252 at the end")
            << xspf(tracks) + "<!-- caf\xE9 -->" << x << 2 << true;
        QTest::newRow("a location of many windows")
            << xspf(track(QByteArray(3000, 'a') + "\xC3\xA9.mp3") + tracks) << x << 3 << true;
        QTest::newRow("a prefix declared on the root")
            << QByteArray("<p:playlist xmlns:p=\"http://xspf.org/ns/0/\"><p:trackList><p:track>"
                          "<p:location>a.mp3</p:location></p:track></p:trackList></p:playlist>")
            << x << 1 << true;
    }

    void readingThroughAWindow() {
        QFETCH(QByteArray, file);
        QFETCH(PlaylistFormat, format);
        QFETCH(int, songs);
        QFETCH(bool, whole);
        const MarkupRule& rule = *markupRuleOf(format);
        const IndexedPlaylist expected = readMarkupPlaylist(file, rule, false);
        QCOMPARE(expected.entries.size(), songs);
        QCOMPARE(expected.whole, whole);
        for (const qsizetype window : {1, 2, 3, 5, 8, 13, 4096}) {
            for (const bool tokenizer : {true, false}) {
                const IndexedPlaylist read = readMarkupPlaylist(file, rule, tokenizer, window);
                const QByteArray what = QByteArray::number(window) + (tokenizer ? " quick" : "");
                QVERIFY2(read.entries.toList() == expected.entries.toList(), what);
                QVERIFY2(read.whole == expected.whole, what);
                QVERIFY2(read.markupIsUtf8 == expected.markupIsUtf8, what);
                QVERIFY2(songRanges(read) == songRanges(expected), what);
            }
        }
    }

    // A playlist the song list reads from its file: an 8-bit XML one a window at a time,
    // holding no text, with the songs, ranges and wholeness of reading the text at once; an
    // edit reads the text again from the file as it was, and only so.
    void readingFromTheFile_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("keepsText");
        const QByteArray tracks = track("a.mp3") + track("file:///m/b%20c.mp3");
        QTest::newRow("xspf") << xspf(tracks) << false;
        QTest::newRow("two byte-order marks") << "\xEF\xBB\xBF\xEF\xBB\xBF" + xspf(tracks) << false;
        QTest::newRow("Windows-1252") << xspf(track("caf\xE9.mp3") + tracks) << false;
        QTest::newRow("a NUL ends the text")
            << xspf(tracks).replace("</trackList>", QByteArray("\0</trackList>", 13)) << false;
        QTest::newRow("a DTD") << "<!DOCTYPE playlist>" + xspf(tracks).sliced(39) << false;
        QTest::newRow("wpl") << Wpl << false;
        QTest::newRow("asx") << Asx << false;
        QByteArray many;
        for (int i = 0; i < 40000; ++i)
            many += track("file:///m/" + QByteArray::number(i) + "%20x.mp3");
        QTest::newRow("many windows") << xspf(many) << false;
        QTest::newRow("many windows, CDATA at the end")
            << xspf(many + track("<![CDATA[z.mp3]]>")) << false;
        QTest::newRow("a prolog beyond the first look")
            << "<!--" + QByteArray(70000, ' ') + "-->" + xspf(tracks).sliced(39) << true;
        QTest::newRow("UTF-16") << utf16(xspf(tracks)) << true;
        QTest::newRow("UTF-16 without a mark")
            << unmarked(xspf(tracks), QStringConverter::Utf16BE) << true;
    }

    void readingFromTheFile() {
        QFETCH(QByteArray, file);
        QFETCH(bool, keepsText);
        QTemporaryDir folder;
        const QByteArray path = QFile::encodeName(folder.filePath(QStringLiteral("p.xspf")));
        writeFile(path, file);
        const FileIdentity identity = FileIdentity::of(path);
        std::unique_ptr<MarkupPlaylistReading> rest;
        Result<IndexedPlaylist> loaded = loadIndexedPlaylist(path, &rest);
        QVERIFY(loaded.isOk());
        IndexedPlaylist& read = loaded.value();
        QVERIFY(rest);
        QVERIFY(read.isMarkup());
        rest->readToEnd(read);
        const IndexedPlaylist expected = indexPlaylist(file);
        QVERIFY(expected.entries.size() > 0);
        QCOMPARE(read.format, expected.format);
        QCOMPARE(read.entries.toList(), expected.entries.toList());
        QCOMPARE(songRanges(read), songRanges(expected));
        QCOMPARE(read.whole, expected.whole);
        QCOMPARE(read.markupIsUtf8, expected.markupIsUtf8);
        QCOMPARE(read.encoding, expected.encoding);
        QCOMPARE(read.markup.isEmpty(), !keepsText);
        const qsizetype last = expected.entries.size() - 1;
        if (!keepsText)
            QVERIFY(writtenTextOnDisk(read, last, identity) ==
                    expected.writtenText(last).toByteArray());
        IndexedPlaylist again = read;
        QVERIFY(withMarkupText(again, identity).isOk());
        QCOMPARE(again.markup, expected.markup);

        // Another program's rewrite of the same length.
        QTest::qWait(10);
        writeFile(path, QByteArray(file.size(), ' '));
        again = read;
        const Status changed = withMarkupText(again, identity);
        QCOMPARE(changed.failed(), !keepsText);
        if (!keepsText) {
            QCOMPARE(changed.message(), QStringLiteral("Unable to update file!"));
            QVERIFY(!writtenTextOnDisk(read, last, identity));
        }
    }

    // A long XML playlist is read on a worker thread; a new load drops it without waiting for
    // it and no song of it comes in afterwards; finishReading() waits for the rest.
    void aLongReadingMakesWayForTheNext() {
        QTemporaryDir folder;
        QByteArray many;
        for (int i = 0; i < 100000; ++i)
            many += track("file:///m/" + QByteArray::number(i) + "%20x.mp3");
        // Not UTF-8: QXmlStreamReader reads it, slowly.
        const QByteArray longList = xspf(many + track("caf\xE9.mp3"));
        const QByteArray longPath = QFile::encodeName(folder.filePath(QStringLiteral("l.xspf")));
        const QByteArray shortPath = QFile::encodeName(folder.filePath(QStringLiteral("s.m3u")));
        writeFile(longPath, longList);
        writeFile(shortPath, "a.mp3\r\nb.mp3\r\n");
        SongListModel songs;
        QVERIFY(songs.load(longPath, longPath).isOk());
        QVERIFY(songs.isReading());
        QVERIFY(songs.load(shortPath, shortPath).isOk());
        QVERIFY(!songs.isReading());
        QTest::qWait(300);
        QCOMPARE(songs.count(), 2);
        QCOMPARE(songs.text(1), QStringLiteral("b.mp3"));

        QVERIFY(songs.load(longPath, longPath).isOk());
        QTRY_VERIFY(songs.count() > 0);
        songs.finishReading();
        QVERIFY(!songs.isReading());
        QCOMPARE(songs.count(), 100001);
        QVERIFY(songs.readWhole());
        QCOMPARE(songs.entry(100000).toByteArray(), QByteArray("caf\xC3\xA9.mp3"));
        // The tooltip shows the location as written, read from the file.
        const QString tip = songs.data(songs.index(7), Qt::ToolTipRole).toString();
        QVERIFY2(tip.startsWith(QStringLiteral("file:///m/7%20x.mp3\n/m/7 x.mp3")),
                 qPrintable(tip));
        writeFile(longPath, longList + ' ');
        QVERIFY(!songs.data(songs.index(7), Qt::ToolTipRole).toString().contains(u'%'));
        songs.clear();
        QCOMPARE(songs.count(), 0);
    }

    // File URIs are read to paths straight from their bytes where they are plain; what they
    // stand for is the same either way.
    void fileUriLocationsAsPaths_data() {
        QTest::addColumn<QByteArray>("location");
        QTest::addColumn<QByteArray>("entry");
        QTest::newRow("escapes") << QByteArray("file:///m/a%20b%C3%A9.mp3")
                                 << QByteArray("/m/a b\xC3\xA9.mp3");
        QTest::newRow("blanks around")
            << QByteArray("\n\t file:///m/a.mp3 \n") << QByteArray("/m/a.mp3");
        QTest::newRow("U+00A0 around") << QByteArray("\xC2\xA0"
                                                     "file:///m/a.mp3\xC2\xA0")
                                       << QByteArray("/m/a.mp3");
        QTest::newRow("U+3000 after")
            << QByteArray("file:///m/a.mp3\xE3\x80\x80") << QByteArray("/m/a.mp3");
        QTest::newRow("letter case and localhost")
            << QByteArray("File://LocalHost/m/a.mp3") << QByteArray("/m/a.mp3");
        QTest::newRow("another host")
            << QByteArray("file://host/m/a.mp3") << QByteArray("file://host/m/a.mp3");
        QTest::newRow("escapes cut short")
            << QByteArray("file:///m/a%2%zz%") << QByteArray("/m/a%2%zz%");
        QTest::newRow("an escaped byte beyond UTF-8")
            << QByteArray("file:///m/%E9.mp3") << QByteArray("/m/\xE9.mp3");
        QTest::newRow("a drive") << QByteArray("file:///C:/a.mp3") << QByteArray("C:/a.mp3");
        QTest::newRow("a relative reference") << QByteArray("a%20b.mp3") << QByteArray("a b.mp3");
        QTest::newRow("another scheme")
            << QByteArray("http://h/a%20b.mp3") << QByteArray("http://h/a%20b.mp3");
    }

    void fileUriLocationsAsPaths() {
        QFETCH(QByteArray, location);
        QFETCH(QByteArray, entry);
        const QByteArray file = xspf(track("x.mp3") + track(location) + track("y.mp3"));
        for (const bool tokenizer : {true, false}) {
            const IndexedPlaylist read = readMarkupPlaylist(file, XspfReader::rule(), tokenizer);
            QCOMPARE(read.entries.toList(), Bytes({"x.mp3", entry, "y.mp3"}));
        }
    }

    // The format's own reader over a device gives what the detecting one gives.
    void readerOverADevice() {
        QByteArray file = xspf(track("a%20b.mp3"));
        QBuffer buffer(&file);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        QCOMPARE(XspfReader::read(buffer).entries.toList(), Bytes{"a b.mp3"});
    }

    // The list shows what a location stands for; the hint also shows it as written.
    void shownDecodedWithTheWrittenTextInTheHint() {
        QTemporaryDir dir;
        const QByteArray file = QFile::encodeName(dir.filePath(QStringLiteral("l.xspf")));
        QFile out(QString::fromUtf8(file));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(xspf(track("a%20b.mp3") + track("a.mp3")));
        out.close();
        SongListModel model;
        QVERIFY(model.load(file, file));
        QCOMPARE(model.index(0).data().toString(), QStringLiteral("a b.mp3"));
        QCOMPARE(model.index(0).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("a%20b.mp3\n") + dir.filePath(QStringLiteral("a b.mp3")));
        QCOMPARE(model.index(1).data(Qt::ToolTipRole).toString(),
                 dir.filePath(QStringLiteral("a.mp3")));
    }

    void editing_data() {
        QTest::addColumn<QByteArray>("file");
        // "repair <row>", "relocate <row>" (to the entry's path, from /home/u/lists/),
        // "sort", "remove <row>"
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<QByteArray>("expected"); // the new text, or the message
        const QByteArray x = xspf(track("file:///old/a%20b.mp3") + track("b.mp3"));
        QTest::newRow("xspf repair: a file URI stays one")
            << x << "repair 0" << QByteArray("/new/\xE9 & x.mp3")
            << xspf(track("file:///new/%E9%20%26%20x.mp3") + track("b.mp3"));
        QTest::newRow("xspf repair: a relative reference stays relative")
            << x << "repair 1" << QByteArray("../Other/b c.mp3")
            << xspf(track("file:///old/a%20b.mp3") + track("../Other/b%20c.mp3"));
        QTest::newRow("xspf sort moves whole tracks")
            << x << "sort" << QByteArray() << xspf(track("b.mp3") + track("file:///old/a%20b.mp3"));
        QTest::newRow("xspf remove drops the track and its indent")
            << x << "remove 0" << QByteArray() << xspf(track("b.mp3"));
        QTest::newRow("xspf repair of a song named with a bare % reads back the same")
            << xspf(track("100% pure.mp3")) << "repair 0" << QByteArray("/new/100% pure.mp3")
            << xspf(track("file:///new/100%25%20pure.mp3"));
        const QByteArray marks("\xEF\xBB\xBF\xEF\xBB\xBF");
        QTest::newRow("xspf repair after two byte-order marks splices at the location")
            << marks + x << "repair 0" << QByteArray("/new/c.mp3")
            << marks + xspf(track("file:///new/c.mp3") + track("b.mp3"));
        // CDATA leaves the file to the XML reader, which counts a character beyond the BMP as
        // two units.
        const QByteArray astral(
            "    <track><location>a.mp3</location><title><![CDATA[\xF0\x9F\x8E\xB5 "
            "\xF0\xA0\x80\x80]]></title></track>\n");
        QTest::newRow("xspf repair after characters beyond the BMP splices at the location")
            << xspf(astral + track("b.mp3")) << "repair 1" << QByteArray("/new/c.mp3")
            << xspf(astral + track("file:///new/c.mp3"));
        QTest::newRow("xspf repair to a root folder named like a drive escapes its colon")
            << x << "repair 0" << QByteArray("/e:/x.mp3")
            << xspf(track("file:///e%3A/x.mp3") + track("b.mp3"));
        QTest::newRow("xspf repair to a drive keeps its colon")
            << x << "repair 0" << QByteArray("C:\\Music\\y.mp3")
            << xspf(track("file:///C:%5CMusic%5Cy.mp3") + track("b.mp3"));
        QTest::newRow("xspf repair of a URL not in UTF-8 escapes its blanks")
            << xspf(track("http://radio.example/a.mp3")) << "repair 0"
            << QByteArray("http://radio.example/\xE9 x.mp3")
            << xspf(track("http://radio.example/%E9%20x.mp3"));
        QTest::newRow("vlc: a sort puts VLC's list of ids in the new order")
            << vlcXspf({0, 1, 2}, vlcItems({0, 1, 2})) << "sort" << QByteArray()
            << vlcXspf({2, 1, 0}, vlcItems({2, 1, 0}));
        QTest::newRow("vlc: a sort after two byte-order marks puts VLC's list in order")
            << marks + vlcXspf({0, 1, 2}, vlcItems({0, 1, 2})) << "sort" << QByteArray()
            << marks + vlcXspf({2, 1, 0}, vlcItems({2, 1, 0}));
        QTest::newRow("vlc: a sort of a list VLC ordered otherwise")
            << vlcXspf({0, 1, 2}, vlcItems({1, 2, 0})) << "sort" << QByteArray()
            << vlcXspf({2, 1, 0}, vlcItems({2, 1, 0}));
        QTest::newRow("vlc: a sort reorders the ids within a node")
            << vlcXspf({0, 1, 2}, vlcNode({0, 1}) + vlcItems({2})) << "sort" << QByteArray()
            << vlcXspf({2, 1, 0}, vlcNode({1, 0}) + vlcItems({2}));
        QTest::newRow("vlc: a removal drops the track's id, VLC's order stays")
            << vlcXspf({0, 1, 2}, vlcItems({2, 1, 0})) << "remove 1" << QByteArray()
            << vlcXspf({0, 2}, vlcItems({2, 0}));
        QTest::newRow("vlc: a removal within a node")
            << vlcXspf({0, 1, 2}, vlcNode({0, 1}) + vlcItems({2})) << "remove 0" << QByteArray()
            << vlcXspf({1, 2}, vlcNode({1}) + vlcItems({2}));
        QTest::newRow("vlc: a repair leaves VLC's order alone")
            << vlcXspf({0, 1, 2}, vlcItems({1, 2, 0})) << "repair 0" << QByteArray("/m/s0.mp3")
            << vlcXspf({0, 1, 2}, vlcItems({1, 2, 0}));
        QByteArray wpl = Wpl;
        QTest::newRow("wpl repair keeps backslashes and the quote")
            << Wpl << "repair 1" << QByteArray("D:\\R&B \"x\"\\b.wma")
            << wpl.replace("'C:\\Rock &amp; Roll\\b.wma'", "'D:\\R&amp;B \"x\"\\b.wma'");
        wpl = Wpl;
        QTest::newRow("wpl sort keeps the comment in place")
            << Wpl << "sort" << QByteArray()
            << wpl.replace("<media src=\"..\\Music\\a.mp3\" tid=\"{1}\"/>", "@")
                   .replace("<media src='C:\\Rock &amp; Roll\\b.wma'/>",
                            "<media src=\"..\\Music\\a.mp3\" tid=\"{1}\"/>")
                   .replace("@", "<media src='C:\\Rock &amp; Roll\\b.wma'/>");
        QByteArray asx = Asx;
        QTest::newRow("asx repair keeps a file URI")
            << Asx << "repair 1" << QByteArray("/m/three.mp3")
            << asx.replace("file:///m/two%20x.mp3", "file:///m/three.mp3");
        asx = Asx;
        QTest::newRow("asx remove")
            << Asx << "remove 1" << QByteArray()
            << asx.replace("\n  <entry><REF href=\"file:///m/two%20x.mp3\"/></entry>", "");
        QTest::newRow("a name that is not UTF-8 has no place in a WPL")
            << Wpl << "repair 0" << QByteArray("/l/\xE9.mp3")
            << QByteArray("Unable to update file, the new name cannot be written in it!");
        QTest::newRow("songs of two lists are not sorted into each other")
            << QByteArray("<smil><body><seq><media src=\"b\"/></seq><seq><media src=\"a\"/></seq>"
                          "</body></smil>")
            << "sort" << QByteArray()
            << QByteArray("Unable to update file, its songs are in more than one list!");
        QTest::newRow("a song moved to another tree is reached from the root")
            << QByteArray("../old/a.mp3\r\n") << "relocate 0" << QByteArray("/srv/music/a.mp3")
            << QByteArray("../../../srv/music/a.mp3\r\n");
        QTest::newRow("UTF-16 xspf without a mark gets none on repair")
            << unmarked(xspf(track("a.mp3")), QStringConverter::Utf16BE) << "repair 0"
            << QByteArray("\xC3\xA9.mp3")
            << unmarked(xspf(track("%C3%A9.mp3")), QStringConverter::Utf16BE);
        QTest::newRow("UTF-16 xspf stays UTF-16 on repair")
            << utf16(xspf(track("a.mp3"))) << "repair 0" << QByteArray("\xC3\xA9.mp3")
            << utf16(xspf(track("%C3%A9.mp3")));
    }

    void editing() {
        QFETCH(QByteArray, file);
        QFETCH(QString, edit);
        QFETCH(QByteArray, entry);
        QFETCH(QByteArray, expected);
        const IndexedPlaylist playlist = indexPlaylist(file);
        const QStringList words = edit.split(u' ');
        const qsizetype row = words.size() > 1 ? words.at(1).toInt() : 0;
        QVERIFY(words.first() == QLatin1String("sort") || row < playlist.entries.size());
        std::optional<Result<QByteArray>> text;
        if (words.first() == QLatin1String("repair")) {
            text = textWithReplacedEntries(playlist, {{row, entry}});
        } else if (words.first() == QLatin1String("relocate")) {
            const QByteArray moved =
                relocatedEntry(playlist.entries.at(row), entry, "/home/u/lists/x.m3u", false);
            text = textWithReplacedEntries(playlist, {{row, moved}});
        } else {
            SongEdits songs;
            for (qsizetype song = playlist.entries.size() - 1; song >= 0; --song)
                if (words.first() == QLatin1String("sort") || song != row)
                    songs.prepend({song, std::nullopt});
            if (words.first() == QLatin1String("sort"))
                std::reverse(songs.begin(), songs.end());
            text = editedPlaylistText(playlist, songs);
        }
        if (text->failed()) {
            QCOMPARE(text->status().message().toUtf8(), expected);
            return;
        }
        QCOMPARE(playlistFileBytes(text->value(), playlist.encoding), expected);
        // What was written reads back with the edit.
        QVERIFY(indexPlaylist(expected).whole);
    }
};

QTEST_GUILESS_MAIN(TestPlaylistFormats)
#include "tst_playlistformats.moc"
