#include "FakePlayer.h"
#include "TestSupport.h"
#include "common/PathRules.h"
#include "ScriptedDialogs.h"
#include "playlists/PlayingModule.h"
#include "platform/DesktopLauncher.h"

#include <QtTest>

#include <filesystem>

#include <fcntl.h>
#include <unistd.h>
#include <sys/stat.h>

using TestSupport::readBytes;
using TestSupport::writeBytes;

namespace {
constexpr quint32 Seed = 12345678;

struct Call {
    QString verb;
    QByteArray playlist;
};

QStringList linesOf(const QByteArray& text) {
    QStringList lines;
    for (const QByteArray& line : text.split('\n'))
        if (!line.isEmpty())
            lines << QString::fromUtf8(line.chopped(line.endsWith('\r') ? 1 : 0));
    return lines;
}

// Lines of a written playlist as bytes, without their CR LF.
QList<QByteArray> byteLinesOf(const QByteArray& text) {
    QList<QByteArray> lines;
    for (const QByteArray& line : text.split('\n'))
        if (!line.isEmpty())
            lines << line.chopped(line.endsWith('\r') ? 1 : 0);
    return lines;
}

// Removes a folder whose names need not be UTF-8 (Qt's own removal skips those).
struct RawRemoval {
    QByteArray path;
    ~RawRemoval() {
        std::error_code ignored;
        std::filesystem::remove_all(path.toStdString(), ignored);
    }
};

// Creates an empty file (and its folders) under a byte path: names need not be UTF-8.
bool makeRawFile(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (!QDir().mkpath(QFile::decodeName(path.left(slash))))
        return false;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0600);
    return fd >= 0 && ::close(fd) == 0;
}

template <typename T> QList<T> permuted(const QList<T>& list) {
    QList<T> result;
    for (qsizetype index : shufflePermutation(list.size(), Seed))
        result << list.at(index);
    return result;
}

Preferences options(int shuffle, bool playlists, bool within, int command = 0,
                    const QString& custom = QString()) {
    Preferences o;
    o.shuffleMode = ShuffleMode(shuffle);
    o.shufflePlaylists = playlists;
    o.shuffleWithinPlaylists = within;
    o.verb = PlayVerb(command);
    o.customVerb = custom;
    return o;
}
} // namespace

// Gathering a selection into the temporary playlist: order under every shuffle mode, what is
// expanded, the verb, and every failure message.
class TestPlaying : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    FakePlayer player_;
    ScriptedDialogs dialogs_;
    QList<Call> calls_;
    int result_ = 42;
    std::unique_ptr<PlayingModule> module_;

    QString path(const QString& relative) const { return dir_.filePath(relative); }
    QStringList songs(const QString& folder, const QStringList& names) const {
        QStringList full;
        for (const QString& name : names)
            full << path(folder + QLatin1Char('/') + name);
        return full;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        // GIO reads the XDG folders once, so the fake desktop must be in place first.
        player_.applyToThisProcess();
        writeBytes(path(QStringLiteral("A/a.m3u")), "a1.mp3\r\na2.mp3\r\na3.mp3\r\n");
        writeBytes(path(QStringLiteral("CD/PlayLists/b.M3U")),
                   "#EXTM3U\r\n#EXTINF:1,x\r\n..\\Songs\\b1.mp3\r\n\r\nb2.mp3\r\n");
        writeBytes(path(QStringLiteral("C/c.pls")), "[playlist]\r\nFile1=c1.mp3\r\n");
        writeBytes(path(QStringLiteral("D/d.m3u8")), "d1.mp3\r\n");
        writeBytes(path(QStringLiteral("E/inner.M3U")), "e1.mp3\r\nsub/nested.m3u\r\n");
        writeBytes(path(QStringLiteral("F/f.xspf")),
                   "<playlist><trackList><track><location>f%201.mp3</location></track>"
                   "<track><location>http://radio.example/s?a&amp;b</location></track>"
                   "</trackList></playlist>");
        writeBytes(path(QStringLiteral("G/g.WPL")),
                   "<smil><body><seq><media src=\"Sub\\g1.mp3\"/></seq></body></smil>");
        writeBytes(path(QStringLiteral("H/h.asx")),
                   "<asx><entry><ref href=\"h1.mp3\"/></entry></asx>");
    }

    void init() {
        dialogs_.clear();
        calls_.clear();
        result_ = 42;
        module_ = std::make_unique<PlayingModule>(
            dialogs_,
            [this](const QString& verb, const QString& file) {
                calls_.append({verb, readBytes(file)});
                return ShellResult(result_);
            },
            path(QStringLiteral("tmp/~PLATBX~.M3U")), [] { return Seed; });
        QDir().mkpath(path(QStringLiteral("tmp")));
    }

    // The selection once, and 30 times over: a long one is gathered in pieces put in played
    // order afterwards and must come out the same.
    void orderOfEveryShuffleMode_data() {
        QTest::addColumn<int>("copies");
        QTest::addColumn<int>("shuffle");
        QTest::addColumn<bool>("playlists");
        QTest::addColumn<bool>("within");
        QTest::addColumn<QStringList>("expected");

        const QStringList a =
            songs(QStringLiteral("A"),
                  {QStringLiteral("a1.mp3"), QStringLiteral("a2.mp3"), QStringLiteral("a3.mp3")});
        const QStringList b = {path(QStringLiteral("CD/Songs/b1.mp3")),
                               path(QStringLiteral("CD/PlayLists/b2.mp3"))};
        const QStringList c = {path(QStringLiteral("C/c.pls"))};
        auto join = [](const QList<QStringList>& parts) {
            QStringList all;
            for (const QStringList& part : parts)
                all += part;
            return all;
        };
        // Within a playlist the shuffle works on the file's entries (blank and #EXT lines
        // already gone), so the permutation of b has length 3 with the blank entry in it.
        const QStringList bWithin = [&] {
            QStringList entries = {path(QStringLiteral("CD/Songs/b1.mp3")), QString(),
                                   path(QStringLiteral("CD/PlayLists/b2.mp3"))};
            entries = permuted(entries);
            entries.removeAll(QString());
            return entries;
        }();
        for (const int copies : {1, 30}) {
            QList<QStringList> groups;
            QList<QStringList> within;
            for (int i = 0; i < copies; ++i) {
                groups << a << b << c;
                within << permuted(a) << bWithin << c;
            }
            const auto row = [&](const char* name) -> QTestData& {
                return QTest::addRow("%s, %d", name, copies) << copies;
            };
            row("normal") << 0 << true << true << join(groups);
            row("partial, neither box") << 1 << false << false << join(groups);
            row("partial, playlists") << 1 << true << false << join(permuted(groups));
            row("partial, within") << 1 << false << true << join(within);
            row("partial, both") << 1 << true << true << join(permuted(within));
            row("total") << 2 << false << false << permuted(join(groups));
        }
    }

    void orderOfEveryShuffleMode() {
        QFETCH(int, copies);
        QFETCH(int, shuffle);
        QFETCH(bool, playlists);
        QFETCH(bool, within);
        QFETCH(QStringList, expected);
        QStringList selected;
        for (int i = 0; i < copies; ++i)
            selected << path(QStringLiteral("A/a.m3u"))
                     << path(QStringLiteral("CD/PlayLists/b.M3U"))
                     << path(QStringLiteral("C/c.pls"));
        module_->executePlaylists(selected, options(shuffle, playlists, within));
        QCOMPARE(dialogs_.records().size(), 0);
        QCOMPARE(calls_.size(), 1);
        QCOMPARE(linesOf(calls_.at(0).playlist), expected);
        QVERIFY(calls_.at(0).playlist.endsWith("\r\n"));
        QVERIFY(module_->executionCount() == 0);
    }

    void everyKindButPlsIsExpanded() {
        module_->executePlaylists({path(QStringLiteral("D/d.m3u8")),
                                   path(QStringLiteral("F/f.xspf")),
                                   path(QStringLiteral("G/g.WPL")), path(QStringLiteral("H/h.asx")),
                                   path(QStringLiteral("C/c.pls"))},
                                  options(0, false, false));
        QCOMPARE(linesOf(calls_.at(0).playlist),
                 QStringList({path(QStringLiteral("D/d1.mp3")), path(QStringLiteral("F/f 1.mp3")),
                              QStringLiteral("http://radio.example/s?a&b"),
                              path(QStringLiteral("G/Sub/g1.mp3")),
                              path(QStringLiteral("H/h1.mp3")), path(QStringLiteral("C/c.pls"))}));
    }

    void selectedSongsExpandOneLevel() {
        module_->executeSongs(
            {QStringLiteral("x.mp3"), QStringLiteral("E\\inner.M3U"), QStringLiteral("  ")},
            NativePath::withTrailingSeparator(dir_.path()), options(1, true, false));
        QCOMPARE(linesOf(calls_.at(0).playlist),
                 QStringList({path(QStringLiteral("x.mp3")), path(QStringLiteral("E/e1.mp3")),
                              path(QStringLiteral("E/sub/nested.m3u"))}));
    }

    // What the player receives is what is on disk: entries keep their bytes (Latin-1 names),
    // letter case is found as Windows would, a backslash in a Linux name stays a character,
    // Windows absolute entries and missing files go unchanged.
    void entriesFoundOnDisk_data() {
        QTest::addColumn<QList<QByteArray>>("disk");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QByteArray>("playlist");
        QTest::addColumn<QList<QByteArray>>("expected");
        using Lines = QList<QByteArray>;
        const QString list = QStringLiteral("lists/x.m3u");
        QTest::newRow("exact names")
            << Lines{"lists/a.mp3", "rock/b.mp3"} << list
            << QByteArray("a.mp3\r\n..\\rock\\b.mp3\r\n") << Lines{"@/lists/a.mp3", "@/rock/b.mp3"};
        QTest::newRow("windows entries in other case")
            << Lines{"rock/song.mp3", "lists/jazz/Live/x.mp3"} << list
            << QByteArray("..\\ROCK\\Song.MP3\r\nJazz\\LIVE\\x.Mp3\r\n")
            << Lines{"@/rock/song.mp3", "@/lists/jazz/Live/x.mp3"};
        QTest::newRow("latin-1 entry keeps its bytes")
            << Lines{"lists/caf\xe9.mp3"} << list << QByteArray("caf\xe9.mp3\r\n")
            << Lines{"@/lists/caf\xe9.mp3"};
        QTest::newRow("latin-1 entry in other case")
            << Lines{"lists/caf\xe9.mp3"} << list << QByteArray("CAF\xc9.MP3\r\n")
            << Lines{"@/lists/caf\xe9.mp3"};
        QTest::newRow("missing latin-1 entry keeps its bytes")
            << Lines{} << list << QByteArray("..\\\xc9t\xe9.mp3\r\n") << Lines{"@/\xc9t\xe9.mp3"};
        QTest::newRow("linux name with a backslash")
            << Lines{"lists/AC\\DC - Live.mp3"} << list << QByteArray("AC\\DC - Live.mp3\r\n")
            << Lines{"@/lists/AC\\DC - Live.mp3"};
        QTest::newRow("windows absolute entry")
            << Lines{} << list << QByteArray("C:\\Music\\a.mp3\r\n") << Lines{"C:\\Music\\a.mp3"};
        QTest::newRow("nothing matching: the path as the rules make it")
            << Lines{"rock/a.mp3"} << list << QByteArray("..\\Rock\\Gone.mp3\r\n")
            << Lines{"@/Rock/Gone.mp3"};
        QTest::newRow("selected playlist in other case")
            << Lines{"lists/a.mp3"} << QStringLiteral("LISTS/X.M3U") << QByteArray("A.MP3\r\n")
            << Lines{"@/lists/a.mp3"};
    }

    void entriesFoundOnDisk() {
        QFETCH(QList<QByteArray>, disk);
        QFETCH(QString, selected);
        QFETCH(QByteArray, playlist);
        QFETCH(QList<QByteArray>, expected);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QByteArray rootBytes = QFile::encodeName(root.path());
        const RawRemoval removal{rootBytes};
        for (const QByteArray& file : disk)
            QVERIFY(makeRawFile(rootBytes + '/' + file));
        writeBytes(root.filePath(QStringLiteral("lists/x.m3u")), playlist);
        for (QByteArray& line : expected)
            if (line.startsWith("@/"))
                line.replace(0, 1, rootBytes);

        module_->executePlaylists({root.filePath(selected)}, options(0, false, false));
        QCOMPARE(dialogs_.messages(), QStringList());
        QCOMPARE(calls_.size(), 1);
        QCOMPARE(byteLinesOf(calls_.at(0).playlist), expected);

        // The same entries selected as songs of the playlist.
        module_->executeSongs(byteLinesOf(playlist),
                              QFile::encodeName(root.filePath(QStringLiteral("lists/"))),
                              options(0, false, false));
        QCOMPARE(calls_.size(), 2);
        QCOMPARE(byteLinesOf(calls_.at(1).playlist), expected);
    }

    // A location whose bytes hold a NUL names no file: a player would cut it there and play
    // ok.mp3, which the playlist does not name. It is handed on neither from its playlist nor
    // selected as a song.
    void locationWithANulIsNoSong_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QByteArray>("playlist"); // "@" stands for the folder
        QTest::newRow("xspf reference") << QStringLiteral("x.xspf")
                                        << QByteArray("<playlist><trackList>"
                                                      "<track><location>ok.mp3%00.txt</location>"
                                                      "</track><track><location>b.mp3</location>"
                                                      "</track></trackList></playlist>");
        QTest::newRow("xspf file URI")
            << QStringLiteral("x.xspf")
            << QByteArray("<playlist><trackList><track><location>file://@/ok.mp3%00.txt</location>"
                          "</track><track><location>b.mp3</location></track></trackList>"
                          "</playlist>");
        QTest::newRow("m3u file URI")
            << QStringLiteral("x.m3u") << QByteArray("file://@/ok.mp3%00.txt\r\nb.mp3\r\n");
    }

    void locationWithANulIsNoSong() {
        QFETCH(QString, list);
        QFETCH(QByteArray, playlist);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QByteArray rootBytes = QFile::encodeName(root.path());
        QVERIFY(makeRawFile(rootBytes + "/ok.mp3"));
        QVERIFY(makeRawFile(rootBytes + "/b.mp3"));
        writeBytes(root.filePath(list), playlist.replace('@', rootBytes));
        const QList<QByteArray> expected{rootBytes + "/b.mp3"};

        module_->executePlaylists({root.filePath(list)}, options(0, false, false));
        QCOMPARE(calls_.size(), 1);
        QCOMPARE(byteLinesOf(calls_.at(0).playlist), expected);

        const Result<IndexedPlaylist> read = loadIndexedPlaylist(root.filePath(list));
        QVERIFY(read.isOk());
        module_->executeSongs(read->entries.toList(), rootBytes + '/', options(0, false, false));
        QCOMPARE(calls_.size(), 2);
        QCOMPARE(byteLinesOf(calls_.at(1).playlist), expected);
    }

    // A video saved with a playlist's name hands none of its bytes on as songs.
    void binaryFileNamedLikeAPlaylist_data() {
        QTest::addColumn<QByteArray>("header");
        QTest::newRow("ASF video named .asx")
            << QByteArray::fromHex("3026b2758e66cf11a6d900aa0062ce6c") + "\x9a\x01\r\nx.mp3\r\n";
        QTest::newRow("an escape byte in the first line") << QByteArray("a\x1b.mp3\r\nx.mp3\r\n");
    }

    void binaryFileNamedLikeAPlaylist() {
        QFETCH(QByteArray, header);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        writeBytes(root.filePath(QStringLiteral("video.asx")), header);
        module_->executePlaylists(
            {root.filePath(QStringLiteral("video.asx")), path(QStringLiteral("A/a.m3u"))},
            options(0, false, false));
        QCOMPARE(dialogs_.messages(), QStringList());
        QCOMPARE(calls_.size(), 1);
        QCOMPARE(linesOf(calls_.at(0).playlist),
                 songs(QStringLiteral("A"), {QStringLiteral("a1.mp3"), QStringLiteral("a2.mp3"),
                                             QStringLiteral("a3.mp3")}));
    }

    // A selected playlist whose name is not UTF-8 is still expanded, its songs' bytes kept.
    void latin1PlaylistIsExpanded() {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QByteArray rootBytes = QFile::encodeName(root.path());
        const RawRemoval removal{rootBytes};
        const QByteArray list = rootBytes + "/lists/caf\xe9.m3u";
        QVERIFY(makeRawFile(list));
        QFile file;
        const int fd = ::open(list.constData(), O_WRONLY);
        QVERIFY(file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
        file.write("\xe9t\xe9.mp3\r\n");
        file.close();

        module_->executeSongs(EntryList{"CAF\xc9.M3U"},
                              QFile::encodeName(root.filePath(QStringLiteral("lists/"))),
                              options(0, false, false));
        QCOMPARE(dialogs_.messages(), QStringList());
        QCOMPARE(byteLinesOf(calls_.at(0).playlist),
                 QList<QByteArray>{rootBytes + "/lists/\xe9t\xe9.mp3"});
    }

    void verbChoice_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("custom");
        QTest::addColumn<QString>("verb");
        QTest::newRow("open") << 0 << QStringLiteral("x") << QStringLiteral("open");
        QTest::newRow("Play") << 1 << QString() << QStringLiteral("Play");
        QTest::newRow("Enqueue") << 2 << QString() << QStringLiteral("Enqueue");
        QTest::newRow("custom Play") << 3 << QStringLiteral("Play") << QStringLiteral("Play");
        QTest::newRow("custom unchanged")
            << 3 << QStringLiteral(" my verb ") << QStringLiteral(" my verb ");
        QTest::newRow("custom empty") << 3 << QString() << QString();
    }

    void verbChoice() {
        QFETCH(int, index);
        QFETCH(QString, custom);
        QFETCH(QString, verb);
        module_->executeSongs({QStringLiteral("a.mp3")}, dir_.path() + QLatin1Char('/'),
                              options(0, false, false, index, custom));
        QCOMPARE(calls_.size(), 1);
        QCOMPARE(calls_.at(0).verb, verb);
    }

    void launchResults_data() {
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("messages");
        const QString association = QStringLiteral(
            "M3U files are incorrectly associated! Please install a\r"
            "proper MP3 player and associate M3U files with it.\rCurrent command is: Enqueue");
        QTest::newRow("success") << 42 << QStringList();
        QTest::newRow("no association") << 31 << QStringList{association};
        QTest::newRow("incomplete association") << 27 << QStringList{association};
        QTest::newRow("file not found")
            << 2 << QStringList{QStringLiteral("Error trying to \"Enqueue\" the file!")};
        QTest::newRow("32 is still a failure")
            << 32 << QStringList{QStringLiteral("Error trying to \"Enqueue\" the file!")};
    }

    void launchResults() {
        QFETCH(int, result);
        QFETCH(QStringList, messages);
        result_ = result;
        module_->executeSongs({QStringLiteral("a.mp3")}, dir_.path() + QLatin1Char('/'),
                              options(0, false, false, 2));
        QCOMPARE(dialogs_.messages(), messages);
        QVERIFY(module_->executionCount() == 0);
    }

    // The message names the first unreadable playlist in the order they are played.
    // The first unreadable playlist in played order stops it, wherever it lies in a long
    // list; a playlist of 4 GB or more (here a sparse file of zeros) is refused unread.
    void unreadablePlaylistStopsTheExecution_data() {
        QTest::addColumn<int>("shuffle");
        QTest::addColumn<bool>("playlists");
        QTest::addColumn<int>("readable");
        QTest::addColumn<bool>("huge");
        QTest::newRow("list order") << 0 << false << 1 << false;
        QTest::newRow("shuffled playlists") << 1 << true << 1 << false;
        QTest::newRow("list order, long") << 0 << false << 90 << false;
        QTest::newRow("shuffled playlists, long") << 1 << true << 90 << false;
        QTest::newRow("4 GB") << 0 << false << 1 << true;
    }
    void unreadablePlaylistStopsTheExecution() {
        QFETCH(int, shuffle);
        QFETCH(bool, playlists);
        QFETCH(int, readable);
        QFETCH(bool, huge);
        QStringList selected;
        for (int i = 0; i < readable; ++i)
            selected << path(QStringLiteral("A/a.m3u"));
        if (huge) {
            QFile zeros(path(QStringLiteral("Z/huge.m3u")));
            QVERIFY(QDir().mkpath(path(QStringLiteral("Z"))));
            QVERIFY(zeros.open(QIODevice::WriteOnly) && zeros.resize(qint64(1) << 32));
            selected << zeros.fileName();
        }
        for (int i = 0; i < 6; ++i)
            selected << path(QStringLiteral("nowhere/gone%1.m3u").arg(i));
        const QStringList played = playlists ? permuted(selected) : selected;
        const QString missing = *std::find_if(
            played.cbegin(), played.cend(), [&](const QString& p) { return p != selected.at(0); });
        module_->executePlaylists(selected, options(shuffle, playlists, false));
        QFile::remove(path(QStringLiteral("Z/huge.m3u")));
        QCOMPARE(dialogs_.messages(), QStringList{QStringLiteral("Cannot open file ") + missing});
        QCOMPARE(calls_.size(), 0);
        QVERIFY(module_->executionCount() == 0);
        // The next execution starts clean.
        module_->executePlaylists({path(QStringLiteral("C/c.pls"))}, options(0, false, false));
        QCOMPARE(linesOf(calls_.at(0).playlist), QStringList{path(QStringLiteral("C/c.pls"))});
    }

    // Executes through the desktop's player; the temporary playlist it received.
    QByteArray playedThroughTheShell(const QStringList& playlists, const QString& temporary) {
        const int before = int(player_.launches().size());
        PlayingModule module(dialogs_, Shell::openWithVerb, temporary);
        module.executePlaylists(playlists, options(0, false, false));
        if (!dialogs_.records().isEmpty() || !player_.waitForLaunches(before + 1))
            return {};
        return player_.launches().at(before).playlist;
    }

    // A FIFO or a device named like a playlist would block Execute or fill the memory; a FIFO
    // in the temporary playlist's place would block writing it.
    void pipesAndDevicesAreRefusedAtOnce_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("temporary");
        QTest::newRow("FIFO") << QStringLiteral("fifo") << false;
        QTest::newRow("link to /dev/zero") << QStringLiteral("zero") << false;
        QTest::newRow("FIFO as the temporary playlist") << QStringLiteral("fifo") << true;
    }
    void pipesAndDevicesAreRefusedAtOnce() {
        QFETCH(QString, kind);
        QFETCH(bool, temporary);
        const QString file = temporary ? path(QStringLiteral("tmp/fifo ~PLATBX~.M3U"))
                                       : path(QStringLiteral("F/") + kind + QLatin1String(".m3u"));
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        QFile::remove(file);
        if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        else
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), file));
        if (temporary) {
            // Its place is the program's own: the FIFO is replaced.
            const QByteArray played =
                playedThroughTheShell({path(QStringLiteral("A/a.m3u"))}, file);
            QCOMPARE(dialogs_.messages(), QStringList());
            QCOMPARE(linesOf(played),
                     songs(QStringLiteral("A"), {QStringLiteral("a1.mp3"), QStringLiteral("a2.mp3"),
                                                 QStringLiteral("a3.mp3")}));
            return;
        }
        // After many playlists, each gathered as a piece of its own.
        QStringList selected(90, path(QStringLiteral("A/a.m3u")));
        selected << file;
        module_->executePlaylists(selected, options(0, false, false));
        QCOMPARE(dialogs_.messages(),
                 QStringList{QLatin1String("Not a playlist file (a pipe or a device):\r") + file});
        QCOMPARE(calls_.size(), 0);
    }

    // A line end in a listed name, or in the folder of a playlist's song, would make two lines
    // of the temporary playlist.
    void lineEndInANameIsHandedOnAsAUrl_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("song"); // beside the playlist; none: the playlist goes
        QTest::newRow("line feed") << QByteArray("x\nevil.pls") << QByteArray();
        QTest::newRow("carriage return") << QByteArray("x\r\xC3\xA9 50%.pls") << QByteArray();
        QTest::newRow("in the folder of a song")
            << QByteArray("x\ny/list.m3u") << QByteArray("a.mp3");
    }
    void lineEndInANameIsHandedOnAsAUrl() {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, song);
        const QByteArray folder = QFile::encodeName(path(QStringLiteral("G")));
        RawRemoval removal{folder};
        const QByteArray listed = folder + '/' + name;
        QVERIFY(makeRawFile(listed));
        QByteArray full = listed; // what the player gets
        if (!song.isEmpty()) {
            QFile list(QFile::decodeName(listed));
            QVERIFY(list.open(QIODevice::WriteOnly) && list.write(song + "\r\n") > 0);
            list.close();
            full = listed.left(listed.lastIndexOf('/') + 1) + song;
            QVERIFY(makeRawFile(full));
        }
        const QByteArray played =
            playedThroughTheShell({QFile::decodeName(listed), path(QStringLiteral("C/c.pls"))},
                                  path(QStringLiteral("tmp/real ~PLATBX~.M3U")));
        const QList<QByteArray> lines = byteLinesOf(played);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.at(0).startsWith("file:///"));
        QCOMPARE(QByteArray::fromPercentEncoding(lines.at(0).sliced(7)), full);
        QCOMPARE(QString::fromUtf8(lines.at(1)), path(QStringLiteral("C/c.pls")));
    }

    void nothingSelectedDoesNothing() {
        module_->executePlaylists(QList<QByteArray>(), options(0, false, false));
        module_->executeSongs({QString()}, QString(), options(0, false, false));
        QCOMPARE(calls_.size(), 0);
        QCOMPARE(dialogs_.records().size(), 0);
        QVERIFY(!QFileInfo::exists(module_->temporaryPlaylistPath()));
    }

    void unwritableTemporaryPlaylist() {
        const QString temp = path(QStringLiteral("no/such/folder/~PLATBX~.M3U"));
        PlayingModule module(
            dialogs_, [](const QString&, const QString&) { return ShellResult::Launched; }, temp);
        module.executeSongs({QStringLiteral("a.mp3")}, dir_.path() + QLatin1Char('/'),
                            options(0, false, false));
        QCOMPARE(dialogs_.messages(),
                 QStringList{QStringLiteral("Unable to save temporary playlist file!\r") + temp});
        QVERIFY(module.executionCount() == 0);
    }

    // Whatever stands at the temporary playlist's place (a link, a second name of another file,
    // a FIFO) is replaced by a file of the program's own, never written through; nothing is
    // left beside it, and it goes with the module.
    void plantedTemporaryPlaylistIsReplaced_data() {
        QTest::addColumn<QString>("planted");
        QTest::newRow("nothing") << QString();
        QTest::newRow("a symbolic link") << QStringLiteral("symlink");
        QTest::newRow("a hard link") << QStringLiteral("hardlink");
        QTest::newRow("a FIFO") << QStringLiteral("fifo");
    }
    void plantedTemporaryPlaylistIsReplaced() {
        QFETCH(QString, planted);
        const QString temp = module_->temporaryPlaylistPath();
        const QByteArray name = QFile::encodeName(temp);
        const QString outside = path(QStringLiteral("outside.txt"));
        writeBytes(outside, "kept");
        QFile::remove(temp);
        if (planted == QLatin1String("symlink"))
            QVERIFY(QFile::link(outside, temp));
        if (planted == QLatin1String("hardlink"))
            QCOMPARE(::link(QFile::encodeName(outside).constData(), name.constData()), 0);
        if (planted == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        for (const char* song : {"a.mp3", "b.mp3"}) {
            module_->executeSongs({QLatin1String(song)}, dir_.path() + QLatin1Char('/'),
                                  options(0, false, false));
            QCOMPARE(linesOf(readBytes(temp)), QStringList{path(QLatin1String(song))});
        }
        struct stat info {};
        QCOMPARE(::lstat(name.constData(), &info), 0);
        QVERIFY(S_ISREG(info.st_mode));
        QCOMPARE(info.st_nlink, nlink_t(1));
        QCOMPARE(info.st_mode & 07777, mode_t(0600));
        QCOMPARE(readBytes(outside), QByteArray("kept"));
        QCOMPARE(QDir(QFileInfo(temp).path())
                     .entryList({QStringLiteral(".~PLATBX~*")},
                                QDir::AllEntries | QDir::Hidden | QDir::System),
                 QStringList());
        module_.reset();
        QVERIFY(!QFileInfo::exists(temp) && !QFileInfo(temp).isSymLink());
        QCOMPARE(readBytes(outside), QByteArray("kept"));
    }

    void realPlayerReceivesThePlaylist_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("marker");
        QTest::newRow("open") << 0 << QStringLiteral("--open");
        QTest::newRow("Play") << 1 << QStringLiteral("--play");
        QTest::newRow("Enqueue") << 2 << QStringLiteral("--enqueue");
    }

    void realPlayerReceivesThePlaylist() {
        QFETCH(int, command);
        QFETCH(QString, marker);
        const int before = int(player_.launches().size());
        PlayingModule module(dialogs_, Shell::openWithVerb,
                             path(QStringLiteral("tmp/real ~PLATBX~.M3U")));
        module.executePlaylists({path(QStringLiteral("A/a.m3u"))},
                                options(0, false, false, command));
        QCOMPARE(dialogs_.records().size(), 0);
        QVERIFY(player_.waitForLaunches(before + 1));
        const FakePlayer::Launch launch = player_.launches().at(before);
        QCOMPARE(launch.arguments.first(), marker);
        QCOMPARE(launch.arguments.last(), module.temporaryPlaylistPath());
        QCOMPARE(linesOf(launch.playlist),
                 songs(QStringLiteral("A"), {QStringLiteral("a1.mp3"), QStringLiteral("a2.mp3"),
                                             QStringLiteral("a3.mp3")}));
    }
};

QTEST_GUILESS_MAIN(TestPlaying)
#include "tst_playing.moc"
