#include "playlists/PlaylistFile.h"
#include "playlists/PlaylistRepair.h"

#include "TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

using TestSupport::readBytes;
using TestSupport::writeBytes;

Q_DECLARE_METATYPE(PlaylistFormat)

namespace {

EntryList entries(std::initializer_list<const char*> lines) {
    EntryList list;
    for (const char* line : lines)
        list.append(QByteArray(line));
    return list;
}

} // namespace

// Reading decides the form by the first line only, keeps every byte of an entry, and writing
// gives a plain list that reads back the same.
class TestPlaylistFile : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;

    QString listPath() const { return dir_.filePath(QStringLiteral("list.m3u")); }

private Q_SLOTS:
    void init() {
        QVERIFY(dir_.isValid());
        QFile::remove(listPath());
    }

    void reading_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<PlaylistFormat>("format");
        QTest::addColumn<EntryList>("expected");

        const auto plain = PlaylistFormat::PlainM3U;
        const auto extended = PlaylistFormat::ExtendedM3U;
        const auto pls = PlaylistFormat::Pls;

        QTest::newRow("empty file") << QByteArray() << plain << EntryList();
        QTest::newRow("NUL first byte")
            << QByteArray("\0#EXTM3U\r\na.mp3\r\n", 17) << plain << EntryList();
        QTest::newRow("NUL ends the text")
            << QByteArray("a.mp3\r\nb\0c\r\nd\r\n", 15) << plain << entries({"a.mp3", "b"});
        QTest::newRow("plain keeps # lines")
            << QByteArray("#EXTINF:1,T\r\na.mp3\r\n# note\r\n") << plain
            << entries({"#EXTINF:1,T", "a.mp3", "# note"});
        QTest::newRow("extended") << QByteArray("#EXTM3U\r\n#EXTINF:12,Title\r\nC:\\a.mp3\r\n")
                                  << extended << entries({"C:\\a.mp3"});
        QTest::newRow("extended in lower case")
            << QByteArray("#extm3u\r\n#extinf:12,Title\r\na.mp3\r\n#ExtVlcOpt:x\r\nb.mp3\r\n")
            << extended << entries({"a.mp3", "b.mp3"});
        QTest::newRow("extended keeps short, blank and other # lines")
            << QByteArray("#EXTM3U\r\n#EX\r\n\r\n# note\r\n#EXTINF:1,T\r\na\r\n") << extended
            << entries({"#EX", "", "# note", "a"});
        QTest::newRow("#EXTM3U on the second line")
            << QByteArray("a.mp3\r\n#EXTM3U\r\n#EXTINF:1,T\r\nb.mp3\r\n") << plain
            << entries({"a.mp3", "#EXTM3U", "#EXTINF:1,T", "b.mp3"});
        QTest::newRow("two blanks before #EXTM3U")
            << QByteArray("  #EXTM3U\r\n#EXTINF:1,T\r\na.mp3\r\n") << extended
            << entries({"  #EXTM3U", "a.mp3"});
        QTest::newRow("marker inside the first line")
            << QByteArray("x#eXtM3uy\r\n#EXT\r\na\r\n") << extended << entries({"x#eXtM3uy", "a"});
        QTest::newRow("byte-order mark before #EXTM3U")
            << QByteArray("\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:1,T\r\na.mp3\r\n") << extended
            << entries({"a.mp3"});
        QTest::newRow("byte-order mark before a plain entry") << QByteArray("\xEF\xBB\xBF"
                                                                            "a.mp3\r\n")
                                                              << plain << entries({"a.mp3"});
        QTest::newRow("byte-order mark later is kept") << QByteArray("a\r\n\xEF\xBB\xBF"
                                                                     "b\r\n")
                                                       << plain
                                                       << entries({"a", "\xEF\xBB\xBF"
                                                                        "b"});
        QTest::newRow("PLS with a gap")
            << QByteArray("[playlist]\r\nNumberOfEntries=3\r\nFile1=a.mp3\r\nFile3=c.mp3\r\n")
            << pls << entries({"a.mp3", "c.mp3"});
        QTest::newRow("PLS ignores case, numbers give the order")
            << QByteArray("[PlayList]\r\nnumberofentries=2\r\nFILE2=b.mp3\r\nfile1=a.mp3\r\n")
            << pls << entries({"a.mp3", "b.mp3"});
        QTest::newRow("PLS marker in another letter case and place")
            << QByteArray("  [pLaYlIsT]  \r\nNumberOfEntries=1\r\nFile1=a.mp3\r\n") << pls
            << entries({"a.mp3"});
        QTest::newRow("PLS quoted and padded values")
            << QByteArray("[playlist]\r\n NumberOfEntries = 2 \r\nFile1 =  \"  a.mp3 \" \r\n"
                          "File2=\t'b.mp3'\t\r\n")
            << pls << entries({"  a.mp3 ", "b.mp3"});
        QTest::newRow("PLS hexadecimal count")
            << QByteArray("[playlist]\r\nNumberOfEntries=0x2\r\nFile1=a\r\nFile2=b\r\nFile3=c\r\n")
            << pls << entries({"a", "b"});
        QTest::newRow("PLS hexadecimal count, capital X")
            << QByteArray("[playlist]\r\nNumberOfEntries=0X1\r\nFile1=a\r\nFile2=b\r\n") << pls
            << entries({"a"});
        QTest::newRow("PLS count 0 with keys")
            << QByteArray("[playlist]\r\nNumberOfEntries=0\r\nFile1=a\r\nFile2=b\r\n") << pls
            << EntryList();
        QTest::newRow("PLS negative count")
            << QByteArray("[playlist]\r\nNumberOfEntries=-2\r\nFile1=a\r\n") << pls << EntryList();
        QTest::newRow("PLS count not a number")
            << QByteArray("[playlist]\r\nNumberOfEntries=2x\r\nFile1=a\r\n") << pls << EntryList();
        QTest::newRow("PLS count missing")
            << QByteArray("[playlist]\r\nFile1=a\r\nVersion=2\r\n") << pls << EntryList();
        QTest::newRow("PLS two billion entries declared")
            << QByteArray("[playlist]\r\nNumberOfEntries=2000000000\r\nFile1999999999=z\r\n"
                          "File1=a\r\n")
            << pls << entries({"a", "z"});
        QTest::newRow("PLS keys beyond the count")
            << QByteArray("[playlist]\r\nNumberOfEntries=2\r\nFile3=c\r\nFile2=b\r\n") << pls
            << entries({"b"});
        QTest::newRow("PLS empty values leave no gap")
            << QByteArray("[playlist]\r\nNumberOfEntries=3\r\nFile1=\r\nFile2=b\r\nFile3= \r\n")
            << pls << entries({"b"});
        QTest::newRow("PLS first duplicate key wins")
            << QByteArray("[playlist]\r\nNumberOfEntries=1\r\nFile1=a\r\nfile1=x\r\n") << pls
            << entries({"a"});
        QTest::newRow("PLS other keys and sections ignored")
            << QByteArray("[playlist]\r\nNumberOfEntries=3\r\nFile1=a\r\nTitle1=T\r\nLength1=9\r\n"
                          "File02=x\r\nFile+2=y\r\n[other]\r\nFile3=c\r\n")
            << pls << entries({"a"});
        QTest::newRow("PLS after a byte-order mark")
            << QByteArray("\xEF\xBB\xBF[playlist]\r\nNumberOfEntries=1\r\nFile1=a\r\n") << pls
            << entries({"a"});
        QTest::newRow("#EXTM3U comes before [playlist]")
            << QByteArray("#EXTM3U [playlist]\r\nFile1=a\r\n") << extended << entries({"File1=a"});
        QTest::newRow("blanks kept")
            << QByteArray(" a.mp3 \r\n\t\r\n  \r\n") << plain << entries({" a.mp3 ", "\t", "  "});
        QTest::newRow("CR, LF and CR LF")
            << QByteArray("a\rb\nc\r\nd") << plain << entries({"a", "b", "c", "d"});
        QTest::newRow("LF CR is two line ends")
            << QByteArray("a\n\rb\n\r") << plain << entries({"a", "", "b", ""});
        QTest::newRow("final line end adds nothing")
            << QByteArray("a\r\n\r\n") << plain << entries({"a", ""});
        QTest::newRow("a single line end") << QByteArray("\r\n") << plain << entries({""});
        QTest::newRow("bytes kept as they are")
            << QByteArray("C:\\M\xFCsik\\\x80\x81.mp3\r\n\xC3\xA9.mp3\r\n") << plain
            << entries({"C:\\M\xFCsik\\\x80\x81.mp3", "\xC3\xA9.mp3"});
        // As an older version wrote a folder whose first song's name begins with "\xFF\xFE".
        QTest::newRow("8-bit text beginning like a UTF-16 mark")
            << QByteArray("\xFF\xFE"
                          "a.mp3\r\nb\xE9.mp3\r\n")
            << plain
            << entries({"\xFF\xFE"
                        "a.mp3",
                        "b\xE9.mp3"});
    }

    // A NUL ends the text: a gigabyte of zeros (a sparse file) is not read beyond its start.
    void zerosAreNotRead() {
        QFile zeros(listPath());
        QVERIFY(zeros.open(QIODevice::WriteOnly) && zeros.resize(qint64(1) << 30));
        zeros.close();
        const Result<IndexedPlaylist> loaded = loadIndexedPlaylist(listPath());
        QVERIFY(loaded);
        const IndexedPlaylist& read = loaded.value();
        QCOMPARE(read.entries.size(), 0);
        QVERIFY(!read.whole);
        QVERIFY2(read.entries.buffer().capacity() < (1 << 20),
                 qPrintable(QString::number(read.entries.buffer().capacity())));
    }

    // A repair rewrites one entry: the file keeps its encoding, and every other entry its
    // bytes; what is written reads back as it was meant.
    void repairKeepsTheEncoding_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        const auto utf16 = [](QStringConverter::Encoding encoding, const char* text) {
            QStringEncoder encoder(encoding, QStringEncoder::Flag::WriteBom);
            return QByteArray(encoder.encode(QString::fromUtf8(text)));
        };
        for (const auto encoding : {QStringConverter::Utf16LE, QStringConverter::Utf16BE})
            QTest::newRow(encoding == QStringConverter::Utf16LE ? "UTF-16LE" : "UTF-16BE")
                << utf16(encoding, "../Music/Bj\xC3\xB6rk/a.mp3\r\n../Music/old/x.mp3\r\n")
                << utf16(encoding, "../Music/Bj\xC3\xB6rk/a.mp3\r\n../Music/n\xC3\xA9w/x.mp3\r\n");
        QTest::newRow("8-bit beginning like a UTF-16 mark")
            << QByteArray("\xFF\xFE"
                          "a.mp3\r\n../Music/old/x.mp3\r\n")
            << QByteArray("\xEF\xBB\xBF\xFF\xFE"
                          "a.mp3\r\n../Music/n\xE9w/x.mp3\r\n");
    }

    void repairKeepsTheEncoding() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        const IndexedPlaylist read = indexPlaylist(before);
        // The new place's name on disk is Latin-1.
        const Result<QByteArray> text =
            textWithReplacedEntries(read, {{1, QByteArray("../Music/n\xE9w/x.mp3")}});
        QVERIFY(text);
        const QByteArray written = playlistFileBytes(text.value(), read.encoding);
        QCOMPARE(written, after);
        const IndexedPlaylist again = indexPlaylist(written);
        QCOMPARE(again.encoding, read.encoding);
        QCOMPARE(again.entries.at(0), read.entries.at(0));
    }

    void reading() {
        QFETCH(QByteArray, bytes);
        QFETCH(PlaylistFormat, format);
        QFETCH(EntryList, expected);

        const PlaylistContent parsed = parsePlaylist(bytes);
        QCOMPARE(parsed.format, format);
        QCOMPARE(parsed.entries, expected);

        writeBytes(listPath(), bytes);
        const Result<PlaylistContent> loaded = loadPlaylist(listPath());
        QVERIFY(loaded);
        QCOMPARE(loaded->entries, expected);

        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        QCOMPARE(readPlaylist(buffer).entries, expected);
    }

    // A declared count must not drive the loop: two billion lookups would take minutes.
    void hugeCountReadsFast() {
        const QByteArray bytes("[playlist]\r\nNumberOfEntries=0x7FFFFFFF\r\nFile2147483647=z\r\n"
                               "File2=b\r\n");
        QElapsedTimer timer;
        timer.start();
        const PlaylistContent content = parsePlaylist(bytes);
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(content.entries, entries({"b", "z"}));
    }

    void writing_data() {
        QTest::addColumn<EntryList>("list");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("empty list") << EntryList() << QByteArray();
        QTest::newRow("one entry") << entries({"a.mp3"}) << QByteArray("a.mp3\r\n");
        QTest::newRow("blanks, # lines, trailing empty entry")
            << entries({" a.mp3 ", "#EXTINF:1,T", "", "\t"})
            << QByteArray(" a.mp3 \r\n#EXTINF:1,T\r\n\r\n\t\r\n");
        QTest::newRow("bytes that are not UTF-8")
            << entries({"C:\\M\xFCsik\\\x80.mp3", "\xC3\xA9\xFF"})
            << QByteArray("C:\\M\xFCsik\\\x80.mp3\r\n\xC3\xA9\xFF\r\n");
    }

    void writing() {
        QFETCH(EntryList, list);
        QFETCH(QByteArray, expected);

        QCOMPARE(playlistText(list), expected);
        writeBytes(listPath(), "old content that is longer than the new one\r\n");
        const Status status = writePlaylist(listPath(), list);
        QVERIFY2(status.isOk(), qPrintable(status.message()));
        QCOMPARE(readBytes(listPath()), expected);

        const Result<PlaylistContent> readBack = loadPlaylist(listPath());
        QVERIFY(readBack);
        QCOMPARE(readBack->entries, list);
    }

    // Values the reader would trim or unquote are written quoted, so a rewritten PLS keeps them.
    void writingPls() {
        const EntryList list =
            entries({"a.mp3", " b c.mp3", "\x80.mp3", "tail.mp3 ", "'q'.mp3'", "\"dq\"", "\"half"});
        const QByteArray expected("[playlist]\r\nFile1=a.mp3\r\nFile2=\" b c.mp3\"\r\n"
                                  "File3=\x80.mp3\r\nFile4=\"tail.mp3 \"\r\nFile5=\"'q'.mp3'\"\r\n"
                                  "File6=\"\"dq\"\"\r\nFile7=\"half\r\n"
                                  "NumberOfEntries=7\r\nVersion=2\r\n");
        QCOMPARE(plsText(list), expected);
        QVERIFY(writePlaylist(listPath(), list, PlaylistFormat::Pls));
        QCOMPARE(readBytes(listPath()), expected);

        Result<PlaylistContent> content = loadPlaylist(listPath());
        QVERIFY(content);
        QCOMPARE(content->format, PlaylistFormat::Pls);
        QCOMPARE(content->entries, list);
        QCOMPARE(plsText({}), QByteArray("[playlist]\r\nNumberOfEntries=0\r\nVersion=2\r\n"));

        // Rewritten after an edit, a quoted value keeps its quotes.
        writeBytes(listPath(), "[playlist]\r\nFile1=\" lead.mp3\"\r\nNumberOfEntries=1\r\n");
        content = loadPlaylist(listPath());
        QVERIFY(content);
        QVERIFY(writePlaylist(listPath(), content->entries + entries({"new.mp3"}),
                              PlaylistFormat::Pls));
        QVERIFY(readBytes(listPath()).startsWith("[playlist]\r\nFile1=\" lead.mp3\"\r\n"));
    }

    void loadFailure_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing file") << QStringLiteral("missing.m3u");
        QTest::newRow("folder") << QStringLiteral("folder.m3u");
    }

    void loadFailure() {
        QFETCH(QString, name);
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("folder.m3u")));
        const QString path = dir_.filePath(name);

        const Result<PlaylistContent> content = loadPlaylist(path);
        QVERIFY(content.failed());
        QCOMPARE(content.status().message(), QStringLiteral("Cannot open file ") + path);
    }

    void failedWriteKeepsOldList_data() {
        QTest::addColumn<bool>("readOnlyFolder");
        // A folder that takes no new file leaves one way: over the old bytes.
        QTest::newRow("read-only folder, written in place") << true;
        QTest::newRow("read-only file") << false;
    }

    void failedWriteKeepsOldList() {
        QFETCH(bool, readOnlyFolder);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString path = folder.filePath(QStringLiteral("list.m3u"));
        const QByteArray old("a.mp3\r\nb.mp3\r\n");
        writeBytes(path, old);

        Status status = Status::ok();
        {
            std::optional<TestSupport::ReadOnlyFolder> locked;
            if (readOnlyFolder) {
                locked.emplace(folder.path());
                QVERIFY(locked->effective());
            } else {
                QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
            }
            status = writePlaylist(path, entries({"new.mp3"}));
        }
        QCOMPARE(status.failed(), !readOnlyFolder);
        QCOMPARE(readBytes(path), readOnlyFolder ? QByteArray("new.mp3\r\n") : old);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files),
                 QStringList{QStringLiteral("list.m3u")});
    }

    void decoding_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");

        QTest::newRow("ASCII") << QByteArray("C:\\a.mp3") << QStringLiteral("C:\\a.mp3");
        QTest::newRow("UTF-8") << QByteArray("M\xC3\xBCsik \xE2\x82\xAC \xF0\x9F\x8E\xB5")
                               << QStringLiteral("M\u00FCsik \u20AC \U0001F3B5");
        QTest::newRow("UTF-8 byte-order mark stays") << QByteArray("\xEF\xBB\xBF"
                                                                   "a")
                                                     << QStringLiteral("\uFEFFa");
        QTest::newRow("euro sign") << QByteArray("\x80") << QStringLiteral("\u20AC");
        QTest::newRow("0x8A 0x9C 0x9F")
            << QByteArray("\x8A\x9C\x9F") << QStringLiteral("\u0160\u0153\u0178");
        QTest::newRow("quotes and dashes")
            << QByteArray("\x91\x92\x93\x94\x96\x97")
            << QStringLiteral("\u2018\u2019\u201C\u201D\u2013\u2014");
        QTest::newRow("unassigned bytes") << QByteArray("\x81\x8D\x8F\x90\x9D")
                                          << QStringLiteral("\u0081\u008D\u008F\u0090\u009D");
        QTest::newRow("Latin-1 range") << QByteArray("M\xFCsik \xA0\xE9\xFF")
                                       << QStringLiteral("M\u00FCsik \u00A0\u00E9\u00FF");
        QTest::newRow("valid and invalid UTF-8 mixed")
            << QByteArray("\xC3\xA9\x80") << QStringLiteral("\u00C3\u00A9\u20AC");
        QTest::newRow("cut UTF-8 sequence at the end")
            << QByteArray("a\xC3") << QStringLiteral("a\u00C3");
        QTest::newRow("overlong form") << QByteArray("\xC0\xAF") << QStringLiteral("\u00C0\u00AF");
        QTest::newRow("encoded surrogate")
            << QByteArray("\xED\xA0\x80") << QStringLiteral("\u00ED\u00A0\u20AC");
    }

    void decoding() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QCOMPARE(decodeEntry(bytes), expected);
    }

    void encoding() {
        const QString text = QStringLiteral("M\u00FCsik/\u20AC \U0001F3B5.mp3");
        QCOMPARE(encodeEntry(text), QByteArray("M\xC3\xBCsik/\xE2\x82\xAC \xF0\x9F\x8E\xB5.mp3"));
        QCOMPARE(decodeEntry(encodeEntry(text)), text);
    }
};

QTEST_GUILESS_MAIN(TestPlaylistFile)
#include "tst_playlistfile.moc"
