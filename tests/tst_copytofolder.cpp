// The cases are tables of literal paths and texts: they read as UTF-8 strings here.
#undef QT_NO_CAST_FROM_ASCII

#include "CollectionTestSupport.h"
#include "MainWindowFixture.h"
#include "collection/DeviceCopy.h"
#include "collection/DeviceNames.h"
#include "common/WalkProgress.h"
#include "collection/gui/CopyToFolderDialog.h"
#include "common/PathRules.h"
#include "platform/RawNames.h"
#include "playlists/PlaylistFile.h"

#include <QCheckBox>
#include <QDirIterator>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace CollectionTest;
using TestSupport::readBytes;
using TestSupport::writeBytes;

namespace {

bool run(const QString& program, const QStringList& arguments, QByteArray* output = nullptr) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return false;
    if (output)
        *output = process.readAllStandardOutput().trimmed();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// A folder that holds a small file system of its own for as long as it lives: an exFAT image
// mounted through FUSE, or a tmpfs of a fixed size. Needs root; why not is in skipReason().
class SmallDevice {
public:
    enum class Kind { ExFat, Tmpfs };
    SmallDevice(const QString& folder, Kind kind, int megabytes) : mount_(folder + "/device") {
        QDir().mkpath(mount_);
        if (::geteuid() != 0) {
            reason_ = QStringLiteral("mounting needs root");
            return;
        }
        if (kind == Kind::Tmpfs) {
            mounted_ = run(QStringLiteral("mount"),
                           {"-t", "tmpfs", "-o", QStringLiteral("size=%1k").arg(megabytes * 1024),
                            "tmpfs", mount_});
            reason_ = mounted_ ? QString() : QStringLiteral("tmpfs cannot be mounted here");
            return;
        }
        const QString image = folder + "/device.img";
        QFile file(image);
        if (!file.open(QIODevice::WriteOnly) || !file.resize(qint64(megabytes) << 20)) {
            reason_ = QStringLiteral("no room for the image");
            return;
        }
        file.close();
        QByteArray loop;
        if (!run(QStringLiteral("mkfs.exfat"), {image}) ||
            !run(QStringLiteral("losetup"), {"-f", "--show", image}, &loop)) {
            reason_ = QStringLiteral("mkfs.exfat or a loop device is not available");
            return;
        }
        loop_ = QString::fromLocal8Bit(loop);
        mounted_ = run(QStringLiteral("mount.exfat-fuse"), {loop_, mount_});
        reason_ = mounted_ ? QString() : QStringLiteral("exfat-fuse cannot mount here");
    }
    ~SmallDevice() {
        if (mounted_)
            run(QStringLiteral("umount"), {mount_});
        if (!loop_.isEmpty())
            run(QStringLiteral("losetup"), {"-d", loop_});
    }
    const QString& skipReason() const { return reason_; }
    const QString& path() const { return mount_; }
    // A stick pulled: the file system leaves the name space while open files still reach it.
    bool pull() {
        mounted_ = !run(QStringLiteral("umount"), {"-l", mount_});
        return !mounted_;
    }

private:
    QString mount_;
    QString loop_;
    QString reason_;
    bool mounted_ = false;
};

// The progress of a copy without a window; says stop from the n-th song on (counting from 1).
class CountingProgress : public WalkProgress {
public:
    explicit CountingProgress(int stopAtSong = 0, std::function<void()> atFirst = {})
        : stopAt_(stopAtSong), atFirst_(std::move(atFirst)) {}
    bool tick(const QString& text) override {
        const QString song = text.section(QLatin1Char('\n'), 0, 0);
        if (text.contains(QLatin1Char('\n')) && song != last_) {
            last_ = song;
            ++songs_;
            if (songs_ == 1 && atFirst_)
                atFirst_();
        }
        return stopAt_ == 0 || songs_ < stopAt_;
    }
    void setStayOnTop(bool) override {}

private:
    int stopAt_;
    std::function<void()> atFirst_;
    QString last_;
    int songs_ = 0;
};

// Songs of distinct sizes and bytes, with a fixed modification time.
void writeSong(const QString& path, int kilobytes) {
    QByteArray bytes(kilobytes * 1024, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 7 + path.size()) & 0xFF);
    writeBytes(path, bytes);
    QFile file(path);
    file.open(QIODevice::ReadWrite);
    file.setFileTime(QDateTime(QDate(2020, 5, 17), QTime(10, 0, 0), QTimeZone::utc()),
                     QFileDevice::FileModificationTime);
}

// Every entry of a playlist on the device, each resolved against the playlist's file.
QList<QByteArray> entriesOf(const QByteArray& playlist) {
    const Result<IndexedPlaylist> loaded = loadIndexedPlaylist(playlist);
    if (loaded.failed())
        return {};
    const IndexedPlaylist& read = loaded.value();
    QList<QByteArray> paths;
    for (qsizetype row = 0; row < read.entries.size(); ++row)
        paths.append(NativePath::resolveEntry(QString::fromUtf8(read.entries.at(row)),
                                              QString::fromUtf8(playlist))
                         .toUtf8());
    return paths;
}

// Files left below a folder whose names say they are unfinished copies.
QStringList partialFiles(const QString& folder) {
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        if (const QString path = it.next(); path.endsWith(QLatin1String(".part")))
            found.append(path);
    return found;
}

DeviceCopyPlan planned(const QStringList& playlists, const DeviceCopyOptions& options) {
    NoProgress progress;
    Result<DeviceCopyPlan> plan =
        planDeviceCopy(TestSupport::pathBytes(playlists), options, progress);
    if (plan.failed())
        qWarning() << plan.status().message();
    return plan ? std::move(plan).value() : DeviceCopyPlan();
}

} // namespace

// Copy to Folder: the names a device holds, the playlists in their forms, real copies onto
// real file systems (exFAT through FUSE, a small tmpfs), a second run, a full or vanishing
// device, Abort, and the command through the window.
class TestCopyToFolder : public QObject {
    Q_OBJECT

    TestSupport::IsolatedEnvironment env_;
    std::unique_ptr<QTemporaryDir> dir_;

    QString path(const QString& relative) const { return dir_->filePath(relative); }
    QByteArray bytes(const QString& relative) const { return QFile::encodeName(path(relative)); }
    QByteArray root() const { return QFile::encodeName(dir_->path()) + '/'; }

    // Three playlists that share songs, under lists/, the songs under music/.
    QStringList makeCollection() {
        writeSong(path("music/Rock/Time: 1.mp3"), 40);
        writeSong(path("music/Rock/What?.mp3"), 50);
        writeSong(path("music/Jazz/Song.mp3"), 60);
        writeSong(path("music/jazz/song.mp3"), 70);
        writeSong(path("music/Pop/a.mp3"), 80);
        writeBytes(path("lists/one.m3u"),
                   "#EXTM3U\r\n#EXTINF:1,Time\r\n../music/Rock/Time: 1.mp3\r\n"
                   "../music/Jazz/Song.mp3\r\n../music/gone.mp3\r\n");
        writeBytes(path("lists/two.pls"), "[playlist]\r\nFile1=../music/Rock/What?.mp3\r\n"
                                          "Title1=What\r\nFile2=../music/jazz/song.mp3\r\n"
                                          "File3=../music/Jazz/Song.mp3\r\nNumberOfEntries=3\r\n");
        writeBytes(path("lists/three.xspf"),
                   "<?xml version=\"1.0\"?>\n<playlist version=\"1\" "
                   "xmlns=\"http://xspf.org/ns/0/\"><title>Three</title><trackList>\n"
                   "<track><location>file://" +
                       QFile::encodeName(path("music/Pop/a.mp3")) +
                       "</location></track>\n<track><location>../music/Rock/What%3F.mp3"
                       "</location></track>\n</trackList></playlist>\n");
        return {path("lists/one.m3u"), path("lists/two.pls"), path("lists/three.xspf")};
    }

    // Every entry of every playlist on the device names a copy of its song there.
    void verifyPlaysOnDevice(const QString& device, const QStringList& playlists) {
        for (const QString& playlist : playlists) {
            QVERIFY2(QFile::exists(playlist), qPrintable(playlist));
            const QList<QByteArray> entries = entriesOf(QFile::encodeName(playlist));
            QVERIFY(!entries.isEmpty());
            for (const QByteArray& entry : entries) {
                QVERIFY2(entry.startsWith(QFile::encodeName(device)), entry.constData());
                QVERIFY2(QFileInfo(QString::fromUtf8(entry)).isFile(), entry.constData());
            }
        }
    }

private Q_SLOTS:
    void init() { dir_ = std::make_unique<QTemporaryDir>(); }

    void validNames_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("valid");
        QTest::newRow("plain") << QByteArray("Song.mp3") << QByteArray("Song.mp3");
        QTest::newRow("refused marks")
            << QByteArray("a\\b:c*d?e\"f<g>h|i.mp3") << QByteArray("a_b_c_d_e_f_g_h_i.mp3");
        QTest::newRow("control and line ends")
            << QByteArray("a\tb\nc\rd\x7f.mp3") << QByteArray("a_b_c_d_.mp3");
        QTest::newRow("trailing dots and blanks") << QByteArray("Album. . ") << QByteArray("Album");
        QTest::newRow("only dots") << QByteArray("...") << QByteArray("_");
        QTest::newRow("UTF-8 kept")
            << QByteArray("Caf\xc3\xa9.mp3") << QByteArray("Caf\xc3\xa9.mp3");
        QTest::newRow("Latin-1 bytes kept")
            << QByteArray("Caf\xe9?.mp3") << QByteArray("Caf\xe9_.mp3");
        QTest::newRow("long name keeps its extension")
            << QByteArray(300, 'x') + ".flac" << QByteArray(250, 'x') + ".flac";
        // 2 UTF-16 units each: the cut never splits a character.
        // 300 bytes but 150 UTF-16 units: within the limit, nothing cut.
        QTest::newRow("long in bytes, short in characters")
            << QByteArray("\xc3\xa9").repeated(150) + ".mp3"
            << QByteArray("\xc3\xa9").repeated(150) + ".mp3";
        QTest::newRow("long name of wide characters")
            << QByteArray("\xf0\x9f\x8e\xb5").repeated(130) + ".mp3"
            << QByteArray("\xf0\x9f\x8e\xb5").repeated(125) + ".mp3";
    }
    void validNames() {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, valid);
        QCOMPARE(DeviceNames::validName(name), valid);
        QVERIFY(DeviceNames::utf16Length(DeviceNames::validName(name)) <= 255);
    }

    void nameTable_data() {
        QTest::addColumn<bool>("ignoreCase");
        QTest::addColumn<QList<QByteArray>>("names"); // each a distinct owner
        QTest::addColumn<QList<QByteArray>>("placed");
        QTest::newRow("case ignored")
            << true << QList<QByteArray>{"Song.mp3", "song.mp3", "SONG.MP3"}
            << QList<QByteArray>{"Song.mp3", "song (2).mp3", "SONG (3).MP3"};
        QTest::newRow("case kept") << false << QList<QByteArray>{"Song.mp3", "song.mp3"}
                                   << QList<QByteArray>{"Song.mp3", "song.mp3"};
        QTest::newRow("same name twice")
            << false << QList<QByteArray>{"a", "a"} << QList<QByteArray>{"a", "a (2)"};
        QTest::newRow("accented letters fold")
            << true << QList<QByteArray>{"\xc3\x89t\xc3\xa9", "\xc3\xa9T\xc3\x89"}
            << QList<QByteArray>{"\xc3\x89t\xc3\xa9", "\xc3\xa9T\xc3\x89 (2)"};
        // The Kelvin sign folds to an ASCII k: a plain name and a wide one still meet.
        QTest::newRow("wide letter folding to ASCII")
            << true << QList<QByteArray>{"k.mp3", "\xe2\x84\xaa.mp3"}
            << QList<QByteArray>{"k.mp3", "\xe2\x84\xaa (2).mp3"};
        QTest::newRow("Windows-1252 bytes meet UTF-8")
            << true << QList<QByteArray>{"\xc3\xa9t\xc3\xa9", "\xc9T\xc9"}
            << QList<QByteArray>{"\xc3\xa9t\xc3\xa9", "\xc9T\xc9 (2)"};
        QTest::newRow("case kept, bytes differ") << false << QList<QByteArray>{"\xc3\xa9", "\xe9"}
                                                 << QList<QByteArray>{"\xc3\xa9", "\xe9"};
    }
    void nameTable() {
        QFETCH(bool, ignoreCase);
        QFETCH(QList<QByteArray>, names);
        QFETCH(QList<QByteArray>, placed);
        DeviceNameTable table(ignoreCase);
        for (qsizetype i = 0; i < names.size(); ++i)
            QCOMPARE(table.place("/d", "owner" + QByteArray::number(i), names.at(i)), placed.at(i));
        // An owner asking again gets its own name back.
        QCOMPARE(table.place("/d", "owner0", names.at(0)), placed.at(0));
    }

    void pathsFrom_data() {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<bool>("backslashes");
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("same folder")
            << QByteArray("/d/l.m3u") << QByteArray("/d/s.mp3") << false << QByteArray("s.mp3");
        QTest::newRow("below") << QByteArray("/d/l.m3u") << QByteArray("/d/A/B/s.mp3") << false
                               << QByteArray("A/B/s.mp3");
        QTest::newRow("beside") << QByteArray("/d/P/l.m3u") << QByteArray("/d/A/s.mp3") << false
                                << QByteArray("../A/s.mp3");
        QTest::newRow("two up") << QByteArray("/d/P/Q/l.m3u") << QByteArray("/d/s.mp3") << false
                                << QByteArray("../../s.mp3");
        QTest::newRow("folder names alike") << QByteArray("/d/Ab/l.m3u") << QByteArray("/d/A/s.mp3")
                                            << false << QByteArray("../A/s.mp3");
        QTest::newRow("folder named as the song")
            << QByteArray("/d/s.mp3/l.m3u") << QByteArray("/d/s.mp3") << false
            << QByteArray("../s.mp3");
        QTest::newRow("backslashes") << QByteArray("/d/P/l.m3u") << QByteArray("/d/A/B/s.mp3")
                                     << true << QByteArray("..\\A\\B\\s.mp3");
    }
    void pathsFrom() {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(bool, backslashes);
        QFETCH(QByteArray, path);
        QCOMPARE(devicePathFrom(from, to, backslashes), path);
    }

    // Looks in one folder after another give each file's own size, whatever came before.
    void folderLooks_data() {
        QTest::addColumn<QList<QByteArray>>("paths"); // below the test folder, looked at in turn
        QTest::addColumn<QList<qint64>>("sizes");     // -1 nothing there, -2 not a file
        QTest::newRow("one folder")
            << QList<QByteArray>{"a/one", "a/x", "a/one"} << QList<qint64>{3, -1, 3};
        QTest::newRow("folders in turn")
            << QList<QByteArray>{"a/one", "b/one", "a/sub/two", "a/one"}
            << QList<qint64>{3, 5, 7, 3};
        QTest::newRow("missing folder, then one that is there")
            << QList<QByteArray>{"none/one", "none/two", "b/one"} << QList<qint64>{-1, -1, 5};
        QTest::newRow("a file taken for a folder")
            << QList<QByteArray>{"file/one", "file"} << QList<qint64>{-1, 1};
        QTest::newRow("through a linked folder")
            << QList<QByteArray>{"link/one", "a/one", "link/sub/two"} << QList<qint64>{3, 3, 7};
        QTest::newRow("folders") << QList<QByteArray>{"a/sub", "a/sub/"} << QList<qint64>{-2, -2};
    }
    void folderLooks() {
        QFETCH(QList<QByteArray>, paths);
        QFETCH(QList<qint64>, sizes);
        writeBytes(path("a/one"), "abc");
        writeBytes(path("b/one"), "abcde");
        writeBytes(path("a/sub/two"), "abcdefg");
        writeBytes(path("file"), "x");
        QVERIFY(QFile::link(path("a"), path("link")));
        DeviceFiles::FolderLook look;
        for (qsizetype i = 0; i < paths.size(); ++i) {
            const QByteArray file = bytes(QString::fromUtf8(paths.at(i)));
            const std::optional<DeviceFiles::PlaceStatus> status = look.status(file);
            const qint64 size = !status ? -1 : status->isRegular ? status->size : -2;
            QCOMPARE(size, sizes.at(i));
            if (!status)
                continue;
            const std::optional<RawNames::FileStatus> whole = RawNames::status(file);
            QVERIFY(whole);
            QCOMPARE(status->inode, whole->inode);
            QCOMPARE(status->device, whole->device);
            QCOMPARE(status->modifiedNs, whole->modifiedNs);
        }
    }

    // Songs around the size the copy works in come over whole, with their time, and take
    // their names only when committed.
    void wholeCopies_data() {
        QTest::addColumn<qint64>("size");
        QTest::newRow("empty") << qint64(0);
        QTest::newRow("one byte") << qint64(1);
        QTest::newRow("one part less a byte") << (qint64(8) << 20) - 1;
        QTest::newRow("one part") << (qint64(8) << 20);
        QTest::newRow("one part and a byte") << (qint64(8) << 20) + 1;
        QTest::newRow("several parts") << (qint64(8) << 20) * 2 + 12345;
    }
    void wholeCopies() {
        QFETCH(qint64, size);
        QByteArray song(size, '\0');
        for (qsizetype i = 0; i < song.size(); ++i)
            song[i] = char((i * 13 + i / 4099) & 0xFF);
        writeBytes(path("music/s.mp3"), song);
        QDir().mkpath(path("device"));
        qint64 lastTick = -1;
        DeviceFiles::PendingCopy pending;
        const DeviceFiles::CopyOutcome outcome = DeviceFiles::copyToTemporary(
            bytes("music/s.mp3"), bytes("device/s.mp3"),
            [&](qint64 copied) {
                lastTick = copied;
                return true;
            },
            pending);
        QCOMPARE(outcome.kind, DeviceFiles::CopyOutcome::Kind::Done);
        QCOMPARE(lastTick, size);
        QVERIFY(!QFile::exists(path("device/s.mp3")));
        qsizetype committed = 0;
        QCOMPARE(DeviceFiles::commitCopies({pending}, bytes("device"), false, committed).kind,
                 DeviceFiles::CopyOutcome::Kind::Done);
        QCOMPARE(committed, 1);
        QCOMPARE(readBytes(path("device/s.mp3")), song);
        QCOMPARE(RawNames::status(bytes("device/s.mp3"))->modifiedNs,
                 RawNames::status(bytes("music/s.mp3"))->modifiedNs);
        QCOMPARE(QDir(path("device")).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void playlistForms_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("text"); // D/ stands for the test folder
        QTest::addColumn<bool>("carStereo");
        QTest::addColumn<QString>("written"); // the playlist's name on the device
        QTest::addColumn<QByteArrayList>("kept");
        QTest::addColumn<QByteArrayList>("dropped");
        QTest::newRow("extended M3U")
            << "mix.m3u"
            << QByteArray("#EXTM3U\r\n#EXTINF:1,One\r\nD/music/a.mp3\r\n#EXTINF:2,Gone\r\n"
                          "D/music/gone.mp3\r\n#EXTINF:3,Two\r\nD/music/sub/b.mp3\r\n")
            << false << "mix.m3u"
            << QByteArrayList{"#EXTM3U\r\n#EXTINF:1,One\r\na.mp3\r\n#EXTINF:3,Two\r\n"
                              "sub/b.mp3\r\n"}
            << QByteArrayList{"Gone", "D/"};
        QTest::newRow("PLS")
            << "list.pls"
            << QByteArray("[playlist]\nFile1=D/music/a.mp3\nTitle1=A\nFile2=../music/sub/b.mp3\n"
                          "NumberOfEntries=2\nVersion=2\n")
            << false << "list.pls" << QByteArrayList{"File1=a.mp3\nTitle1=A\n", "File2=sub/b.mp3\n"}
            << QByteArrayList{"D/"};
        QTest::newRow("XSPF")
            << "x.xspf"
            << QByteArray("<?xml version=\"1.0\"?><playlist xmlns=\"http://xspf.org/ns/0/\">"
                          "<title>T</title><trackList><track><location>file://D/music/a.mp3"
                          "</location><title>A</title></track><track><location>"
                          "file://D/music/gone.mp3</location></track></trackList></playlist>")
            << false << "x.xspf"
            << QByteArrayList{"<title>T</title>", "<location>a.mp3</location><title>A"}
            << QByteArrayList{"gone"};
        QTest::newRow("WPL")
            << "w.wpl"
            << QByteArray("<?wpl version=\"1.0\"?><smil><head><title>W</title></head><body><seq>"
                          "<media src=\"D/music/sub/b.mp3\"/></seq></body></smil>")
            << false << "w.wpl" << QByteArrayList{"<title>W</title>", "src=\"sub/b.mp3\""}
            << QByteArrayList{"D/"};
        QTest::newRow("ASX")
            << "a.asx"
            << QByteArray(
                   "<asx version=\"3.0\"><title>A</title><entry><ref href=\"D/music/a.mp3\"/>"
                   "</entry><entry><ref href=\"http://radio/x\"/></entry></asx>")
            << false << "a.asx"
            << QByteArrayList{"<title>A</title>", "href=\"a.mp3\"", "http://radio/x"}
            << QByteArrayList{"D/"};
        QTest::newRow("car stereo from XSPF")
            << "x.xspf"
            << QByteArray("<?xml version=\"1.0\"?><playlist xmlns=\"http://xspf.org/ns/0/\">"
                          "<trackList><track><location>file://D/music/sub/b.mp3</location>"
                          "</track><track><location>file://D/music/a.mp3</location></track>"
                          "</trackList></playlist>")
            << true << "x.m3u" << QByteArrayList{"sub\\b.mp3\r\na.mp3\r\n"}
            << QByteArrayList{"<", "/"};
    }
    void playlistForms() {
        QFETCH(QString, name);
        QFETCH(QByteArray, text);
        QFETCH(bool, carStereo);
        QFETCH(QString, written);
        QFETCH(QByteArrayList, kept);
        QFETCH(QByteArrayList, dropped);
        writeSong(path("music/a.mp3"), 10);
        writeSong(path("music/sub/b.mp3"), 20);
        writeBytes(path("lists/" + name), text.replace("D/", root()));
        QDir().mkpath(path("device"));
        // Songs sit below "music/"; the playlists are written beside that on the device.
        writeSong(path("music/sub/../x/c.mp3"), 1);
        writeBytes(path("lists/c.m3u"), "../music/x/c.mp3\n");
        DeviceCopyOptions options{bytes("device"), DeviceLayout::KeepFolders, true, carStereo};
        const DeviceCopyPlan plan = planned({path("lists/" + name), path("lists/c.m3u")}, options);
        QVERIFY(plan.problems.isEmpty());
        NoProgress progress;
        const DeviceCopyResult result = runDeviceCopy(plan, false, progress);
        QVERIFY2(result.failures.isEmpty(), qPrintable(result.failures.join('\n')));
        const QByteArray onDevice = readBytes(path("device/" + written));
        for (const QByteArray& part : kept)
            QVERIFY2(onDevice.contains(part), onDevice.constData());
        for (const QByteArray& part : dropped)
            QVERIFY2(!onDevice.contains(QByteArray(part).replace("D/", root())),
                     onDevice.constData());
        for (const QByteArray& entry : entriesOf(bytes("device/" + written)))
            if (!entry.startsWith("http:"))
                QCOMPARE(readBytes(QString::fromUtf8(entry)),
                         readBytes(path(
                             "music/" +
                             QString::fromUtf8(entry).section("/device/", 1).replace("\\", "/"))));
    }

    void layouts_data() {
        QTest::addColumn<int>("layout");
        QTest::addColumn<QStringList>("files"); // below the device's folder, sorted
        QTest::newRow("keep the folders")
            << int(DeviceLayout::KeepFolders)
            << QStringList{"Jazz/Song.mp3",     "Pop/a.mp3", "Rock/Time_ 1.mp3", "Rock/What_.mp3",
                           "jazz (2)/song.mp3", "one.m3u",   "three.xspf",       "two.pls"};
        // A song of two playlists is copied once, with the first; the others point there.
        QTest::newRow("one folder per playlist")
            << int(DeviceLayout::FolderPerPlaylist)
            << QStringList{"one/01 - Time_ 1.mp3", "one/02 - Song.mp3", "one/one.m3u",
                           "three/01 - a.mp3",     "three/three.xspf",  "two/01 - What_.mp3",
                           "two/02 - song.mp3",    "two/two.pls"};
    }
    void layouts() {
        QFETCH(int, layout);
        QFETCH(QStringList, files);
        const QStringList playlists = makeCollection();
        QDir().mkpath(path("device"));
        const DeviceCopyPlan plan =
            planned(playlists, {bytes("device"), DeviceLayout(layout), true, false});
        QCOMPARE(plan.songs.size(), 5);
        QCOMPARE(plan.missing, QStringList{path("music/gone.mp3")});
        NoProgress progress;
        const DeviceCopyResult result = runDeviceCopy(plan, false, progress);
        QCOMPARE(result.copied, 5);
        QStringList found;
        QDirIterator it(path("device"), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            found.append(it.next().mid(path("device/").size()));
        found.sort();
        QCOMPARE(found, files);
        QStringList written;
        for (const DevicePlaylist& playlist : plan.playlists)
            written.append(QString::fromUtf8(playlist.target));
        verifyPlaysOnDevice(path("device"), written);
    }

    // The acceptance run: three playlists that share songs, through the window's popup onto
    // exFAT (which refuses ":" and "?" and ignores letter case), then the same again.
    void exFatThroughWindowTwice() {
        SmallDevice device(dir_->path(), SmallDevice::Kind::ExFat, 16);
        if (!device.skipReason().isEmpty())
            QSKIP(qPrintable(device.skipReason()));
        const QStringList playlists = makeCollection();
        QByteArray ini = "[PlayLists]\r\nTotal=3\r\n";
        for (int i = 0; i < 3; ++i)
            ini += "File" + QByteArray::number(i) + '=' + playlists.at(i).toUtf8() + "\r\n";
        writeBytes(path("Platterbox.Ini"), ini);
        MainWindowFixture f(path("~PLATBX~.M3U"));
        f.createShown(path("Platterbox"));
        f.settings.copyTo = {device.path(), 0, true, false};
        const auto copy = [&] {
            ModalDialogDriver<CopyToFolderDialog> driver([](CopyToFolderDialog& dialog) {
                QVERIFY(control<QCheckBox>(dialog, "deviceNamesCheck")->isChecked());
                QVERIFY(control<QRadioButton>(dialog, "keepFoldersRadio")->isChecked());
                control<QPushButton>(dialog, "okButton")->click();
            });
            f.playlistView()->setFocus();
            f.pressKey(f.playlistView(), Qt::Key_A, Qt::AltModifier);
            f.chooseFromPopup(f.playlistView(), 0, "copyToFolderAction");
            QVERIFY(driver.ran());
        };
        copy();
        const QString missing = QStringLiteral("\rMissing:\r") + path("music/gone.mp3");
        QCOMPARE(f.dialogs.messages(),
                 QStringList{"5 songs copied (307.2 kB), 0 already there, 1 missing. 3 "
                             "playlists written." +
                             missing});
        verifyPlaysOnDevice(device.path(), {device.path() + "/one.m3u", device.path() + "/two.pls",
                                            device.path() + "/three.xspf"});
        QVERIFY(QFile::exists(device.path() + "/jazz (2)/song.mp3"));
        QCOMPARE(readBytes(device.path() + "/jazz (2)/song.mp3"),
                 readBytes(path("music/jazz/song.mp3")));
        f.dialogs.clear();
        copy();
        QCOMPARE(f.dialogs.messages(),
                 QStringList{"0 songs copied (0 bytes), 5 already there, 1 missing. 0 playlists "
                             "written." +
                             missing});
        QVERIFY(f.dialogs.questions().isEmpty());
    }

    // What stands on the device already: the same is left, another size or time is replaced
    // only after Yes, and nothing is ever deleted.
    void secondRunAndReplacements() {
        const QStringList playlists = makeCollection();
        QDir().mkpath(path("device"));
        const DeviceCopyOptions options{bytes("device"), DeviceLayout::KeepFolders, true, false};
        NoProgress progress;
        QCOMPARE(runDeviceCopy(planned(playlists, options), false, progress).copied, 5);
        writeBytes(path("device/Pop/a.mp3"), "edited on the device");
        writeBytes(path("device/extra.mp3"), "the user's own");
        writeBytes(path("lists/one.m3u"), "../music/Jazz/Song.mp3\r\n");
        const DeviceCopyPlan plan = planned(playlists, options);
        QCOMPARE(plan.replacements(), 2);
        const DeviceCopyResult kept = runDeviceCopy(plan, false, progress);
        QCOMPARE(kept.copied, 0);
        QCOMPARE(kept.kept, 2);
        QCOMPARE(kept.playlistsWritten, 0);
        QCOMPARE(readBytes(path("device/Pop/a.mp3")), QByteArray("edited on the device"));
        const DeviceCopyResult replaced = runDeviceCopy(plan, true, progress);
        QCOMPARE(replaced.copied, 1);
        QCOMPARE(replaced.alreadyThere, 3);
        QCOMPARE(replaced.playlistsWritten, 1);
        QCOMPARE(readBytes(path("device/Pop/a.mp3")), readBytes(path("music/Pop/a.mp3")));
        QCOMPARE(readBytes(path("device/one.m3u")), QByteArray("Jazz/Song.mp3\r\n"));
        QCOMPARE(readBytes(path("device/extra.mp3")), QByteArray("the user's own"));
        QCOMPARE(planned(playlists, options).replacements(), 0);
    }

    // A device too small: the copy says what is missing before any byte; filled meanwhile, it
    // stops with the songs written so far whole and no partial file.
    void fullDevice() {
        SmallDevice device(dir_->path(), SmallDevice::Kind::Tmpfs, 1);
        if (!device.skipReason().isEmpty())
            QSKIP(qPrintable(device.skipReason()));
        for (const char* name : {"a", "b", "c"})
            writeSong(path(QStringLiteral("music/%1.mp3").arg(name)), 400);
        writeBytes(path("lists/l.m3u"), "../music/a.mp3\n../music/b.mp3\n../music/c.mp3\n");
        const DeviceCopyPlan plan =
            planned({path("lists/l.m3u")},
                    {QFile::encodeName(device.path()), DeviceLayout::KeepFolders, true, false});
        const Status space = checkDeviceSpace(plan, false);
        QVERIFY(space.failed());
        QCOMPARE(space.message(), QStringLiteral("1 MB more are needed on %1.").arg(device.path()));
        NoProgress progress;
        const DeviceCopyResult result = runDeviceCopy(plan, false, progress);
        QCOMPARE(result.copied, 2);
        QCOMPARE(result.stoppedBy, device.path() + QStringLiteral(" is full."));
        QVERIFY(partialFiles(device.path()).isEmpty());
        QVERIFY(!QFile::exists(device.path() + "/c.mp3"));
        for (const char* name : {"a", "b"})
            QCOMPARE(readBytes(device.path() + "/" + name + ".mp3"),
                     readBytes(path(QStringLiteral("music/%1.mp3").arg(name))));
        QVERIFY(deviceCopySummary(plan, result)
                    .startsWith(QStringLiteral("The copy stopped after 2 of 3 songs: ")));
    }

    // Abort during the third song: the first two and the playlist they complete stay whole.
    void abortKeepsWhatWasWritten() {
        for (const char* name : {"a", "b", "c"})
            writeSong(path(QStringLiteral("music/%1.mp3").arg(name)), 30000);
        writeBytes(path("lists/ab.m3u"), "../music/a.mp3\n../music/b.mp3\n");
        writeBytes(path("lists/c.m3u"), "../music/c.mp3\n");
        QDir().mkpath(path("device"));
        const DeviceCopyPlan plan =
            planned({path("lists/ab.m3u"), path("lists/c.m3u")},
                    {bytes("device"), DeviceLayout::KeepFolders, true, false});
        CountingProgress progress(3);
        const DeviceCopyResult result = runDeviceCopy(plan, false, progress);
        QVERIFY(result.aborted);
        QCOMPARE(result.copied, 2);
        QCOMPARE(result.playlistsWritten, 1);
        QVERIFY(partialFiles(path("device")).isEmpty());
        QVERIFY(!QFile::exists(path("device/c.mp3")));
        QVERIFY(!QFile::exists(path("device/c.m3u")));
        verifyPlaysOnDevice(path("device"), {path("device/ab.m3u")});
        QVERIFY(deviceCopySummary(plan, result)
                    .startsWith(QStringLiteral("Aborted after 2 of 3 songs.\r2 songs copied")));
    }

    // A stick pulled during the first song: the copy stops, says so, and writes nothing into
    // the bare mount point.
    void vanishingDevice() {
        SmallDevice device(dir_->path(), SmallDevice::Kind::ExFat, 16);
        if (!device.skipReason().isEmpty())
            QSKIP(qPrintable(device.skipReason()));
        for (const char* name : {"a", "b"})
            writeSong(path(QStringLiteral("music/%1.mp3").arg(name)), 3000);
        writeBytes(path("lists/l.m3u"), "../music/a.mp3\n../music/b.mp3\n");
        const DeviceCopyPlan plan =
            planned({path("lists/l.m3u")},
                    {QFile::encodeName(device.path()), DeviceLayout::KeepFolders, true, false});
        QCOMPARE(plan.volume.kind, DeviceFiles::FileSystemKind::ExFat);
        bool pulled = false;
        CountingProgress progress(0, [&] { pulled = device.pull(); });
        const DeviceCopyResult result = runDeviceCopy(plan, false, progress);
        QVERIFY(pulled);
        QCOMPARE(result.stoppedBy, device.path() + " is no longer there: was the device removed?");
        QCOMPARE(result.playlistsWritten, 0);
        QCOMPARE(
            QDir(device.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList());
    }

    // A name that is not UTF-8 keeps its bytes where the file system keeps bytes, and is
    // stored as UTF-8 on exFAT; either way the playlist on the device finds it.
    void latinNames_data() {
        QTest::addColumn<bool>("exFat");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("plain folder") << false << QByteArray("Caf\xe9.mp3");
        QTest::newRow("exFAT") << true << QByteArray("Caf\xc3\xa9.mp3");
    }
    void latinNames() {
        QFETCH(bool, exFat);
        QFETCH(QByteArray, stored);
        std::unique_ptr<SmallDevice> device;
        QByteArray target = bytes("plain");
        QDir().mkpath(path("plain"));
        if (exFat) {
            device = std::make_unique<SmallDevice>(dir_->path(), SmallDevice::Kind::ExFat, 16);
            if (!device->skipReason().isEmpty())
                QSKIP(qPrintable(device->skipReason()));
            target = QFile::encodeName(device->path());
        }
        QDir().mkpath(path("music"));
        const QByteArray song = root() + "music/Caf\xe9.mp3";
        FILE* file = std::fopen(song.constData(), "wb");
        QVERIFY(file);
        std::fputs("latin", file);
        std::fclose(file);
        writeBytes(path("lists/l.m3u"), "../music/Caf\xe9.mp3\n");
        const DeviceCopyPlan plan =
            planned({path("lists/l.m3u")}, {target, DeviceLayout::KeepFolders, true, false});
        NoProgress progress;
        QCOMPARE(runDeviceCopy(plan, false, progress).copied, 1);
        QVERIFY(RawNames::exists(target + '/' + stored));
        QCOMPARE(readBytes(QFile::decodeName(target + "/l.m3u")), stored + '\n');
    }

    // Refused before any byte, with the message to show; what cannot be copied is named.
    void refusals_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("message"); // <F> stands for the target
        QTest::newRow("no such folder") << "nowhere"
                                        << "Folder not found:\r<F>";
        QTest::newRow("inside the music") << "music/Rock/stick"
                                          << "The folder lies inside the music it would copy:\r<F>";
        QTest::newRow("the music's own folder")
            << "music"
            << "The folder lies inside the music it would copy:\r<F>";
        QTest::newRow("a link into the music")
            << "link"
            << "The folder lies inside the music it would copy:\r<F>";
        QTest::newRow("beside the music, named alike") << "musical"
                                                       << "";
    }
    void refusals() {
        QFETCH(QString, target);
        QFETCH(QString, message);
        const QStringList playlists = makeCollection();
        QDir().mkpath(path("music/Rock/stick"));
        QDir().mkpath(path("musical"));
        QVERIFY(QFile::link(path("music/Rock/stick"), path("link")));
        NoProgress progress;
        const Result<DeviceCopyPlan> plan =
            planDeviceCopy(TestSupport::pathBytes(playlists),
                           {bytes(target), DeviceLayout::KeepFolders, true, false}, progress);
        QCOMPARE(plan.status().message(), QString(message).replace("<F>", path(target)));
        QVERIFY(!QDir(path("music/Rock/stick")).entryList(QDir::Files).size());
    }

    void readOnlyMedium() {
        SmallDevice device(dir_->path(), SmallDevice::Kind::Tmpfs, 1);
        if (!device.skipReason().isEmpty())
            QSKIP(qPrintable(device.skipReason()));
        QVERIFY(run("mount", {"-o", "remount,ro", device.path()}));
        const QStringList playlists = makeCollection();
        NoProgress progress;
        const Result<DeviceCopyPlan> plan = planDeviceCopy(
            TestSupport::pathBytes(playlists),
            {QFile::encodeName(device.path()), DeviceLayout::KeepFolders, true, false}, progress);
        QCOMPARE(plan.status().message(),
                 "Cannot write to the folder, its medium is read-only:\r" + device.path());
    }

    // A FIFO among the songs is named and left out without waiting on it; a name with a line
    // end is copied under a name the device holds.
    void oddSongs() {
        writeSong(path("music/line\nend.mp3"), 5);
        QDir().mkpath(path("music"));
        QVERIFY(::mkfifo(QFile::encodeName(path("music/pipe.mp3")).constData(), 0600) == 0);
        writeBytes(path("lists/l.m3u"), "../music/pipe.mp3\r\n");
        writeBytes(path("lists/l.xspf"),
                   "<playlist xmlns=\"http://xspf.org/ns/0/\"><trackList><track>"
                   "<location>../music/line%0Aend.mp3</location></track>"
                   "</trackList></playlist>");
        QDir().mkpath(path("device"));
        const DeviceCopyPlan plan =
            planned({path("lists/l.xspf"), path("lists/l.m3u")},
                    {bytes("device"), DeviceLayout::KeepFolders, true, false});
        QCOMPARE(plan.leftOut.size(), 1);
        QVERIFY(plan.leftOut.first().startsWith(path("music/pipe.mp3") + ": not a song file"));
        NoProgress progress;
        const DeviceCopyResult result = runDeviceCopy(plan, false, progress);
        QVERIFY(deviceCopySummary(plan, result).contains("Left out:\r" + path("music/pipe.mp3")));
        QCOMPARE(result.copied, 1);
        QCOMPARE(readBytes(path("device/line_end.mp3")), readBytes(path("music/line\nend.mp3")));
        verifyPlaysOnDevice(path("device"), {path("device/l.xspf")});
    }
};

QTEST_MAIN(TestCopyToFolder)
#include "tst_copytofolder.moc"
