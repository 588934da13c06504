#include "CollectionTestSupport.h"
#include "MainWindowFixture.h"
#include "ScriptedDialogs.h"
#include "TestSupport.h"

#include "collection/Mp3CdBuilder.h"
#include "collection/MissingSongs.h"
#include "collection/PlaylistCreation.h"
#include "common/PathCaseLookup.h"
#include "settings/InstanceIni.h"
#include "settings/RegistrySettings.h"

#include <QDirIterator>
#include <QProcess>
#include <QtTest>

#include <pwd.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using TestSupport::readBytes;
using TestSupport::writeBytes;

namespace {

// Every file below a folder with its bytes: a failed save must leave this as it was, with no
// temporary file beside it.
QMap<QString, QByteArray> filesBelow(const QString& folder) {
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path.mid(folder.size()), readBytes(path));
    }
    return files;
}

// The preloaded shim fails one call on the files below a folder while this lives.
class InjectedFault {
public:
    InjectedFault(const QString& call, const QString& error, const QString& folder) {
        qputenv("PLATTERBOX_TEST_FAULT", (call + u':' + error + u':' + folder + u'/').toUtf8());
    }
    ~InjectedFault() { qunsetenv("PLATTERBOX_TEST_FAULT"); }
};

const QByteArray PlainList("old/b.mp3\r\na.mp3\r\n");

// Sixty songs, the last first: a sort rewrites every byte.
QByteArray sixtySongs() {
    QByteArray list;
    for (int song = 60; song > 0; --song)
        list += "song" + QByteArray::number(song).rightJustified(2, '0') + ".mp3\r\n";
    return list;
}

} // namespace

// What the program writes, when the disk refuses: a full disk, a quota, an I/O error at any
// step of a save. The old files stay byte for byte and the user is told with the message of
// that save. Links are written through; a logout during such a message ends the program.
class TestDiskFaults : public QObject {
    Q_OBJECT

    TestSupport::IsolatedEnvironment env_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<MainWindowFixture> f_;
    std::optional<TestSupport::ReadOnlyFolder> locked_;

    QString path(const QString& relative) const { return dir_->filePath(relative); }

    // One save of a playlist through the program's writer, by a process of its own, as the
    // given user (empty: this one).
    static bool saveAs(const QString& user, const QString& playlist) {
        QStringList command = {QStringLiteral(TOOL_savestorm), QStringLiteral("playlist"), playlist,
                               QStringLiteral("0"), QStringLiteral("1")};
        if (!user.isEmpty()) {
            const struct passwd* account = ::getpwnam(qPrintable(user));
            if (!account)
                return false;
            command = QStringList{QStringLiteral("--reuid=%1").arg(account->pw_uid),
                                  QStringLiteral("--regid=%1").arg(account->pw_gid),
                                  QStringLiteral("--clear-groups"), QStringLiteral("--")} +
                      command;
        }
        QProcess save;
        save.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        save.start(user.isEmpty() ? command.takeFirst() : QStringLiteral("setpriv"), command);
        return save.waitForFinished(20000) && save.exitStatus() == QProcess::NormalExit &&
               save.exitCode() == 0;
    }

    // A window over one playlist, with the program's INI file beside it.
    MainWindow& startWindow(const QByteArray& playlist = PlainList) {
        writeBytes(path(QStringLiteral("list.m3u")), playlist);
        writeBytes(path(QStringLiteral("Platterbox.Ini")),
                   "[PlayLists]\r\nTotal=1\r\nFile0=list.m3u\r\n");
        f_ = std::make_unique<MainWindowFixture>(path(QStringLiteral("~PLATBX~.M3U")));
        MainWindow& window = f_->create(path(QStringLiteral("Platterbox")));
        QCoreApplication::processEvents();
        return window;
    }

    void sortShownPlaylist() {
        f_->clickSong(0);
        f_->pressKey(f_->songView(), Qt::Key_S, Qt::AltModifier);
    }

    // What one writer needs before its save: the files it replaces, the window it runs in.
    void prepare(const QString& writer) {
        if (writer == QLatin1String("registry"))
            writeBytes(env_.configHome() + QStringLiteral("/Platterbox/user.reg"),
                       "Windows Registry Editor Version 5.00\r\n\r\n");
        else if (writer == QLatin1String("repaired playlist"))
            prepareRepair();
        else if (writer == QLatin1String("created playlist"))
            CollectionTest::makeTree(path(QStringLiteral("Music")), {QStringLiteral("x.mp3")});
        else
            startWindow(writer.startsWith(QLatin1String("edited playlist ")) ? sixtySongs()
                                                                             : PlainList);
        if (writer == QLatin1String("temporary playlist"))
            writeBytes(path(QStringLiteral("~PLATBX~.M3U")), "earlier\r\n");
        if (writer.endsWith(QLatin1String(" in place")))
            locked_.emplace(dir_->path());
        if (writer == QLatin1String("edited playlist with two names"))
            QCOMPARE(::link(QFile::encodeName(path(QStringLiteral("list.m3u"))).constData(),
                            QFile::encodeName(path(QStringLiteral("other.m3u"))).constData()),
                     0);
    }

    // The save; the messages it showed.
    QStringList save(const QString& writer) {
        if (writer.startsWith(QLatin1String("INI"))) {
            f_->window->close();
            return f_->dialogs.messages();
        }
        if (writer == QLatin1String("registry")) {
            Settings settings;
            bool hints = true;
            return {saveRegistrySettings(settings, hints).message()};
        }
        if (writer.startsWith(QLatin1String("edited playlist"))) {
            sortShownPlaylist();
            return f_->dialogs.messages();
        }
        if (writer == QLatin1String("repaired playlist"))
            return {repair()};
        if (writer == QLatin1String("temporary playlist")) {
            f_->clickPlaylist(0);
            f_->button("executeButton")->click();
            return f_->dialogs.messages();
        }
        ScriptedDialogs dialogs;
        CreatePlaylistsInputs values{true, true, true, path(QStringLiteral("Music/")), {}};
        QList<QByteArray> created;
        (void)PlaylistCreation(values, dialogs, runWithoutWaitWindow).createPlaylists(created);
        return dialogs.messages();
    }

    void prepareRepair() {
        writeBytes(path(QStringLiteral("list.m3u")), PlainList);
        writeBytes(path(QStringLiteral("new/b.mp3")), "b");
    }

    // Repairs list.m3u: old/b.mp3 moved to new/b.mp3. The message shown, if any.
    QString repair() {
        PathCaseLookup lookup;
        const QByteArray list = QFile::encodeName(path(QStringLiteral("list.m3u")));
        Result<PlaylistRelocation> read = collectMissingSongs(list, lookup);
        if (read.failed() || read->songs.isEmpty())
            return QStringLiteral("not read");
        PlaylistRelocation& playlist = read.value();
        SongRelocation& moved = playlist.songs[0];
        moved.candidates = {QFile::encodeName(path(QStringLiteral("new/b.mp3")))};
        moved.chosen = 0;
        moved.checked = true;
        return repairPlaylist(playlist).message();
    }

private Q_SLOTS:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        TestSupport::declineInstallation(env_.configHome());
    }

    void cleanup() {
        f_.reset();
        locked_.reset();
        dir_.reset();
    }

    void failedSavesKeepTheOldFiles_data() {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("message"); // of the save; %1 is the test folder

        const auto row = [](const char* title, const char* writer, const char* call,
                            const char* error, const char* message) {
            QTest::newRow(title) << writer << call << error << message;
        };
        const char* ini = "Error saving initialization information!";
        const char* update = "%1/list.m3u\rUnable to update file!";
        row("INI, temporary file", "INI", "create", "ENOSPC", ini);
        row("INI, full disk", "INI", "write", "ENOSPC", ini);
        row("INI, quota", "INI", "write", "EDQUOT", ini);
        row("INI, flush", "INI", "fsync", "EIO", ini);
        row("INI, close", "INI", "close", "EIO", ini);
        row("INI, rename", "INI", "rename", "EIO", ini);
        // The folder takes no new file: written in place, its size reserved first.
        row("INI in a read-only folder, full disk", "INI in place", "fallocate", "ENOSPC", ini);
        row("registry, full disk", "registry", "write", "ENOSPC",
            "Failed to set data for 'frmMain_Top'");
        row("edited playlist, full disk", "edited playlist", "write", "ENOSPC", update);
        row("edited playlist, flush", "edited playlist", "fsync", "EIO", update);
        // Written over its old bytes: they are put back whole, at their old length.
        row("edited playlist in a read-only folder, short write then I/O error",
            "edited playlist in place", "shortwrite", "EIO", update);
        row("edited playlist in a read-only folder, flush", "edited playlist in place", "fsync",
            "EIO", update);
        row("edited playlist with two names, short write then I/O error",
            "edited playlist with two names", "shortwrite", "EIO", update);
        row("repaired playlist, full disk", "repaired playlist", "write", "ENOSPC", update);
        row("temporary playlist, full disk", "temporary playlist", "write", "ENOSPC",
            "Unable to save temporary playlist file!\r%1/~PLATBX~.M3U");
        row("created playlist, full disk", "created playlist", "write", "ENOSPC",
            "Error creating play list:\r%1/Music/_PlayList.M3U");
    }

    void failedSavesKeepTheOldFiles() {
        QFETCH(QString, writer);
        QFETCH(QString, call);
        QFETCH(QString, error);
        QFETCH(QString, message);
        // The registry file lives in the configuration folder, the rest in the test folder.
        const QString folder = writer == QLatin1String("registry")
                                   ? env_.configHome() + QStringLiteral("/Platterbox")
                                   : dir_->path();
        prepare(writer);
        const QMap<QString, QByteArray> before = filesBelow(folder);
        QStringList shown;
        {
            const InjectedFault fault(call, error, folder);
            shown = save(writer);
        }
        // Before the window goes: it takes the temporary playlist with it.
        QCOMPARE(filesBelow(folder), before);
        f_.reset();
        message.replace(QLatin1String("%1"), dir_->path());
        QVERIFY2(shown.contains(message), qPrintable(shown.join(u'|')));
    }

    // One small real file system, filled up: a sort, a repair, the close (registry and INI) and
    // an MP3CD each leave every file as it was, and say so.
    void fullFileSystem() {
        const QString mounted = dir_->path();
        if (::mount("tmpfs", QFile::encodeName(mounted).constData(), "tmpfs", 0, "size=1m") != 0)
            QSKIP(qPrintable(QStringLiteral("Mounting a tmpfs is not allowed here (%1): the full "
                                            "file system is not checked.")
                                 .arg(QString::fromLocal8Bit(std::strerror(errno)))));
        struct Unmount {
            QString path;
            ~Unmount() { ::umount2(QFile::encodeName(path).constData(), MNT_DETACH); }
        } unmount{mounted};
        const QString config = mounted + QStringLiteral("/config");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
        TestSupport::declineInstallation(config);
        writeBytes(config + QStringLiteral("/Platterbox/user.reg"),
                   "Windows Registry Editor Version 5.00\r\n\r\n");
        prepareRepair();
        MainWindow& window = startWindow();
        // The rest of the space taken.
        QFile filler(path(QStringLiteral("filler")));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();
        const QMap<QString, QByteArray> before = filesBelow(mounted);

        sortShownPlaylist();
        const QString repaired = repair();
        ScriptedDialogs cdDialogs;
        const Status cd = buildMp3Cd({mounted + u'/', QStringLiteral(PLATTERBOX_BINARY),
                                      f_->settings, cdDialogs, runWithoutWaitWindow});
        window.close();
        const QStringList shown = f_->dialogs.messages();
        f_.reset();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(env_.configHome()));

        const QString update = mounted + QStringLiteral("/list.m3u\rUnable to update file!");
        QVERIFY2(shown.contains(update), qPrintable(shown.join(u'|')));
        QCOMPARE(repaired, update);
        QVERIFY(cd.failed());
        QVERIFY(shown.contains(QStringLiteral("Failed to set data for 'frmMain_Top'")));
        QVERIFY(shown.contains(QStringLiteral("Error saving initialization information!")));
        QMap<QString, QByteArray> after = filesBelow(mounted);
        // A created CD playlist that did not fit is gone; what the CD run made before the disk
        // was full may stay, as after any CD failure. Every file that was there is unchanged.
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            QCOMPARE(after.value(it.key()), it.value());
        for (const QString& name : after.keys())
            QVERIFY2(!name.endsWith(QLatin1String(".tmp")), qPrintable(name));
    }

    // A playlist, the INI file and the registry file that are symbolic links (relative, as
    // users share a file between folders): each link stays, its target gets the new bytes and
    // keeps its mode.
    void linksAreWrittenThrough() {
        const QString shared = path(QStringLiteral("shared/"));
        const QString registry = env_.configHome() + QStringLiteral("/Platterbox/user.reg");
        const QList<std::pair<QString, QByteArray>> links = {
            {path(QStringLiteral("list.m3u")), "b.mp3\r\na.mp3\r\n"},
            {path(QStringLiteral("Platterbox.Ini")),
             "[PlayLists]\r\nTotal=1\r\nFile0=list.m3u\r\n"},
            {registry, "Windows Registry Editor Version 5.00\r\n\r\n"}};
        for (const auto& [place, bytes] : links) {
            const QString target = shared + QFileInfo(place).fileName();
            writeBytes(target, bytes);
            QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner |
                                                      QFile::ReadGroup | QFile::WriteGroup));
            QFile::remove(place);
            QVERIFY(QFile::link(QDir(QFileInfo(place).path()).relativeFilePath(target), place));
        }
        f_ = std::make_unique<MainWindowFixture>(path(QStringLiteral("~PLATBX~.M3U")));
        f_->create(path(QStringLiteral("Platterbox")));
        QCoreApplication::processEvents();
        sortShownPlaylist();
        f_->window->close();
        QCOMPARE(f_->dialogs.messages(), QStringList());

        QCOMPARE(readBytes(shared + QStringLiteral("list.m3u")), "a.mp3\r\nb.mp3\r\n");
        for (const auto& [place, bytes] : links) {
            const QString target = shared + QFileInfo(place).fileName();
            QVERIFY2(QFileInfo(place).isSymLink(), qPrintable(place));
            QVERIFY2(readBytes(target) != bytes, qPrintable(target));
            QCOMPARE(QFileInfo(target).permissions() & (QFile::WriteGroup | QFile::ReadOther),
                     QFile::WriteGroup);
        }
    }

    // A playlist with a second name, and another user's playlist that anyone may write, in a
    // folder of anyone's and in a sticky one (/tmp): saved by a real process, the file stays
    // the same file (every name sees the new songs) and keeps its owner.
    void sharedFilesStayTheSameFile_data() {
        QTest::addColumn<QString>("editor"); // the user who saves
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<bool>("secondName");
        QTest::newRow("two names") << QString() << 0755 << true;
        QTest::newRow("another user's, shared folder") << QStringLiteral("nobody") << 0777 << false;
        QTest::newRow("another user's, sticky folder")
            << QStringLiteral("nobody") << 01777 << false;
        QTest::newRow("another user's with two names, sticky folder")
            << QStringLiteral("nobody") << 01777 << true;
    }

    void sharedFilesStayTheSameFile() {
        QFETCH(QString, editor);
        QFETCH(int, folderMode);
        QFETCH(bool, secondName);
        if (!editor.isEmpty() && (::geteuid() != 0 || !::getpwnam(qPrintable(editor))))
            QSKIP("Starting a process as another user needs root and a user 'nobody'.");
        // The same save into a file of our own: what the shared one must hold after.
        const QString reference = path(QStringLiteral("reference.m3u"));
        QVERIFY(saveAs(QString(), reference));
        QVERIFY(::chmod(QFile::encodeName(dir_->path()).constData(), 0755) == 0);
        const QString folder = path(QStringLiteral("shared"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), mode_t(folderMode)) == 0);
        const QString list = folder + QStringLiteral("/list.m3u");
        writeBytes(list, PlainList);
        QVERIFY(::chmod(QFile::encodeName(list).constData(), 0666) == 0);
        const QString other = folder + QStringLiteral("/other.m3u");
        if (secondName)
            QCOMPARE(
                ::link(QFile::encodeName(list).constData(), QFile::encodeName(other).constData()),
                0);
        struct stat before {};
        QCOMPARE(::stat(QFile::encodeName(list).constData(), &before), 0);

        QVERIFY(saveAs(editor, list));
        struct stat after {};
        QCOMPARE(::stat(QFile::encodeName(list).constData(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(readBytes(list), readBytes(reference));
        if (secondName)
            QCOMPARE(readBytes(other), readBytes(reference));
        QStringList names = {QStringLiteral("list.m3u")};
        if (secondName)
            names.append(QStringLiteral("other.m3u"));
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 names);
    }

    // A logout while the close's message about a failed save is up: the program ends, with
    // the INI file saved, instead of waiting for an answer nobody gives.
    void logoutDuringAFailedCloseEnds() {
        const QString program = path(QStringLiteral("prog/Platterbox"));
        QVERIFY(QDir().mkpath(path(QStringLiteral("prog"))));
        QVERIFY(QFile::copy(QStringLiteral(PLATTERBOX_SHIPPED), program));
        const QString ini = path(QStringLiteral("prog/Platterbox.Ini"));
        writeBytes(ini, "[PlayLists]\r\nTotal=0\r\n");
        const QString config = path(QStringLiteral("config"));
        TestSupport::declineInstallation(config);
        const QString run = path(QStringLiteral("run"));
        QVERIFY(QDir().mkpath(run));
        QFile::setPermissions(run, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), run);
        env.insert(QStringLiteral("PLATTERBOX_TEST_FAULT"),
                   QStringLiteral("create:ENOSPC:") + config + u'/');
        QProcess copy;
        copy.setProcessEnvironment(env);
        copy.start(program, QStringList());
        QVERIFY(copy.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(run + QStringLiteral("/Platterbox/"
                                                                        "TfrmPlatterboxMain")),
                                 10000);
        QTest::qWait(300);
        copy.terminate(); // the close: the registry save fails and its message waits
        QVERIFY(!copy.waitForFinished(1500));
        copy.terminate(); // the logout goes on
        const bool finished = copy.waitForFinished(5000);
        if (!finished)
            copy.kill();
        QVERIFY(finished);
        QCOMPARE(copy.exitCode(), 0);
        QVERIFY(readBytes(ini).contains("grpShuffle_Tag="));
    }
};

// The shim must be in the process from its start: without it, the test starts itself again
// with it.
int main(int argc, char** argv) {
    if (!qEnvironmentVariable("LD_PRELOAD").contains(QLatin1String(FAULT_SHIM))) {
        ::setenv("LD_PRELOAD", FAULT_SHIM, 1);
        ::execv("/proc/self/exe", argv);
        return 127;
    }
    QApplication app(argc, argv);
    TestDiskFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_diskfaults.moc"
