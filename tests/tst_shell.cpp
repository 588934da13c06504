#include "TestSupport.h"
#include "ScriptedDialogs.h"
#include "platform/RuntimeFolder.h"
#include "playlists/PlayingModule.h"
#include "platform/DesktopLauncher.h"

#include <QtTest>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using TestSupport::readBytes;
using TestSupport::writeBytes;

namespace {

const QByteArray PlaylistBytes = "/music/a.mp3\r\n/music/Ünïcode b.mp3\r\n";

// A desktop of its own in a temporary folder (applications, mimeapps.list, the MIME database)
// with a script standing in for every player: it records its arguments and a copy of the
// file it was given. Each shell call runs in a child process, as GIO reads the XDG folders
// once per process.
class Desktop {
public:
    Desktop() {
        QDir().mkpath(data(QStringLiteral("applications")));
        QDir().mkpath(root() + QLatin1String("/config"));
        QFile::link(QStringLiteral("/usr/share/mime"), data(QStringLiteral("mime")));
        writeBytes(player(), "#!/bin/sh\n"
                             "printf '%s\\n' \"$@\" > '" +
                                 record("args.part") +
                                 "'\n"
                                 "for arg; do [ -f \"$arg\" ] && cp \"$arg\" '" +
                                 record("received.m3u") +
                                 "'; done\n"
                                 "mv '" +
                                 record("args.part") + "' '" + record("args") + "'\n");
        QFile::setPermissions(player(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    bool isValid() const { return dir_.isValid(); }
    QString root() const { return dir_.path(); }
    QString player() const { return root() + QLatin1String("/player.sh"); }

    // "@PLAYER@" in the text stands for the recording script.
    void addApplication(const QString& id, QByteArray text) const {
        writeBytes(data(QStringLiteral("applications/")) + id,
                   text.replace("@PLAYER@", player().toUtf8()));
    }
    void setMimeApps(const QByteArray& text) const {
        writeBytes(root() + QLatin1String("/config/mimeapps.list"), text);
    }

    // Result printed by the child, or -1 when it did not run to the end.
    int shellExecute(const QString& verb, const QString& file) const {
        QProcess child;
        child.setProcessEnvironment(environment());
        child.start(QStringLiteral(TOOL_shellcall), {verb, file});
        if (!child.waitForFinished(30000) || child.exitCode() != 0)
            return -1;
        bool ok = false;
        const int result = child.readAllStandardOutput().trimmed().toInt(&ok);
        return ok ? result : -1;
    }

    bool playerStarted() const { return QFile::exists(QString::fromUtf8(record("args"))); }
    QStringList playerArguments() const {
        const QString text = QString::fromUtf8(readBytes(QString::fromUtf8(record("args"))));
        return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QByteArray playerReceived() const {
        return readBytes(QString::fromUtf8(record("received.m3u")));
    }

private:
    QString data(const QString& relative) const {
        return root() + QLatin1String("/data/") + relative;
    }
    QByteArray record(const char* name) const {
        return (root() + QLatin1Char('/')).toUtf8() + name;
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const QString data = root() + QLatin1String("/data");
        const QString config = root() + QLatin1String("/config");
        env.insert(QStringLiteral("XDG_DATA_HOME"), data);
        env.insert(QStringLiteral("XDG_DATA_DIRS"), data);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        env.insert(QStringLiteral("XDG_CONFIG_DIRS"), config);
        env.insert(QStringLiteral("HOME"), root());
        return env;
    }

    QTemporaryDir dir_;
};

QByteArray desktopEntry(const QByteArray& exec, const QByteArray& mimeTypes,
                        const QByteArray& more = {}) {
    return "[Desktop Entry]\nType=Application\nName=Fake Player\nExec=" + exec +
           "\nMimeType=" + mimeTypes + "\n" + more;
}

// "Play" is found by its id, "Enqueue" only by its name; "PlayPause" takes no file.
const QByteArray PlayerActions = "Actions=Play;add-to-queue;PlayPause;\n\n"
                                 "[Desktop Action Play]\nName=Play\n"
                                 "Exec=@PLAYER@ --play %f\n\n"
                                 "[Desktop Action add-to-queue]\nName=Enqueue\n"
                                 "Exec=@PLAYER@ --enqueue %F\n\n"
                                 "[Desktop Action PlayPause]\nName=Play/Pause\n"
                                 "Exec=@PLAYER@ --play-pause\n";

const QByteArray FakePlayer = desktopEntry("@PLAYER@ %f", "audio/x-mpegurl;", PlayerActions);

// What GIO writes when a player is made the default ("Open With", gio mime).
QByteArray defaultFor(const QByteArray& type, const QByteArray& id) {
    return "[Default Applications]\n" + type + "=" + id + "\n[Added Associations]\n" + type + "=" +
           id + ";\n";
}

QString modeOf(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("missing");
    return QString::number(info.st_mode & 07777, 8);
}

bool isSymLink(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

enum class Place { Missing, Private, OpenToGroup, OpenToAll, SymLink, File, ForeignOwner };

} // namespace

Q_DECLARE_METATYPE(Place)

// The shell call through GIO with a fake player, and the private folder of the temporary
// playlist.
class TestShell : public QObject {
    Q_OBJECT

    QByteArray savedRuntime_;
    QByteArray savedTmp_;

    // Checks the result, then that the player got exactly `arguments` (with "@FILE@" for the
    // playlist) and the playlist's bytes, or, with no arguments, that it never started.
    void verifyLaunch(const Desktop& desktop, int result, int expected, QStringList arguments,
                      const QString& file) {
        QCOMPARE(result, expected);
        if (arguments.isEmpty()) {
            QTest::qWait(500);
            QVERIFY(!desktop.playerStarted());
            return;
        }
        arguments.replaceInStrings(QStringLiteral("@FILE@"), file);
        QTRY_VERIFY_WITH_TIMEOUT(desktop.playerStarted(), 10000);
        QCOMPARE(desktop.playerArguments(), arguments);
        QCOMPARE(desktop.playerReceived(), PlaylistBytes);
    }

private Q_SLOTS:
    void init() {
        savedRuntime_ = qgetenv("XDG_RUNTIME_DIR");
        savedTmp_ = qgetenv("TMPDIR");
    }
    void cleanup() {
        qputenv("XDG_RUNTIME_DIR", savedRuntime_);
        qputenv("TMPDIR", savedTmp_);
    }

    void verbs_data() {
        QTest::addColumn<QString>("desktopId");
        QTest::addColumn<QByteArray>("desktopFile");
        QTest::addColumn<QString>("verb");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("arguments");

        const QString fake = QStringLiteral("fakeplayer.desktop");
        const QString plain = QStringLiteral("playlist.m3u");
        const QString odd = QStringLiteral("My Lists/Größte Hits ♪ 1 & 2.m3u");
        const QString vlc = QStringLiteral("vlc.desktop");
        const QByteArray bareVlc =
            desktopEntry("@PLAYER@ --started-from-file %F", "audio/x-mpegurl;");
        const QStringList file{QStringLiteral("@FILE@")};
        const QStringList none;
        auto args = [](const char* first) { return QStringList{QString::fromUtf8(first)}; };

        QTest::newRow("open") << fake << FakePlayer << QStringLiteral("open") << plain
                              << int(ShellResult::Launched) << file;
        QTest::newRow("OPEN") << fake << FakePlayer << QStringLiteral("OPEN") << plain
                              << int(ShellResult::Launched) << file;
        QTest::newRow("open, blanks and non-ASCII") << fake << FakePlayer << QStringLiteral("open")
                                                    << odd << int(ShellResult::Launched) << file;
        QTest::newRow("Play action") << fake << FakePlayer << QStringLiteral("Play") << plain
                                     << int(ShellResult::Launched) << args("--play") + file;
        QTest::newRow("play, other case") << fake << FakePlayer << QStringLiteral("play") << plain
                                          << int(ShellResult::Launched) << args("--play") + file;
        QTest::newRow("Play, blanks and non-ASCII")
            << fake << FakePlayer << QStringLiteral("Play") << odd << int(ShellResult::Launched)
            << args("--play") + file;
        QTest::newRow("Enqueue, action found by its name")
            << fake << FakePlayer << QStringLiteral("Enqueue") << plain
            << int(ShellResult::Launched) << args("--enqueue") + file;
        QTest::newRow("action id ignoring case")
            << fake << FakePlayer << QStringLiteral("ADD-TO-QUEUE") << plain
            << int(ShellResult::Launched) << args("--enqueue") + file;
        QTest::newRow("action that takes no file")
            << fake << FakePlayer << QStringLiteral("PlayPause") << plain
            << int(ShellResult::NoAssociation) << none;
        QTest::newRow("unknown verb") << fake << FakePlayer << QStringLiteral("Burn") << plain
                                      << int(ShellResult::NoAssociation) << none;
        QTest::newRow("empty verb")
            << fake << FakePlayer << QString() << plain << int(ShellResult::NoAssociation) << none;
        QTest::newRow("action naming a missing program")
            << fake
            << desktopEntry("@PLAYER@ %f", "audio/x-mpegurl;",
                            "Actions=Play;\n[Desktop Action Play]\nName=Play\n"
                            "Exec=/nonexistent/player --play %f\n")
            << QStringLiteral("Play") << plain << int(ShellResult::LaunchFailed) << none;

        QTest::newRow("known player, Enqueue option")
            << vlc << bareVlc << QStringLiteral("Enqueue") << odd << int(ShellResult::Launched)
            << QStringList{QStringLiteral("--started-from-file"),
                           QStringLiteral("--playlist-enqueue")} +
                   file;
        QTest::newRow("known player, Play needs no option")
            << vlc << bareVlc << QStringLiteral("play") << plain << int(ShellResult::Launched)
            << args("--started-from-file") + file;
        QTest::newRow("known player, unknown verb")
            << vlc << bareVlc << QStringLiteral("Burn") << plain << int(ShellResult::NoAssociation)
            << none;
        QTest::newRow("known player, its own action comes first")
            << vlc << FakePlayer << QStringLiteral("Enqueue") << plain << int(ShellResult::Launched)
            << args("--enqueue") + file;
        QTest::newRow("known player, two options")
            << QStringLiteral("clementine.desktop")
            << desktopEntry("@PLAYER@ %F", "audio/x-mpegurl;") << QStringLiteral("Play") << plain
            << int(ShellResult::Launched)
            << QStringList{QStringLiteral("--load"), QStringLiteral("--play")} + file;
        QTest::newRow("known player in Flatpak, option before the forwarded file")
            << QStringLiteral("org.videolan.VLC.desktop")
            << desktopEntry("@PLAYER@ run org.videolan.VLC @@u %F @@", "audio/x-mpegurl;")
            << QStringLiteral("Enqueue") << plain << int(ShellResult::Launched)
            << QStringList{QStringLiteral("run"),
                           QStringLiteral("org.videolan.VLC"),
                           QStringLiteral("--playlist-enqueue"),
                           QStringLiteral("@@u"),
                           QStringLiteral("@FILE@"),
                           QStringLiteral("@@")};
    }

    void verbs() {
        QFETCH(QString, desktopId);
        QFETCH(QByteArray, desktopFile);
        QFETCH(QString, verb);
        QFETCH(QString, fileName);
        QFETCH(int, result);
        QFETCH(QStringList, arguments);
        Desktop desktop;
        QVERIFY(desktop.isValid());
        desktop.addApplication(desktopId, desktopFile);
        desktop.setMimeApps(defaultFor("audio/x-mpegurl", desktopId.toUtf8()));
        const QString file = desktop.root() + QLatin1Char('/') + fileName;
        writeBytes(file, PlaylistBytes);

        verifyLaunch(desktop, desktop.shellExecute(verb, file), result, arguments, file);
    }

    void associations_data() {
        QTest::addColumn<QByteArray>("player");
        QTest::addColumn<QByteArray>("editor");
        QTest::addColumn<QByteArray>("mimeApps");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("launched");

        const QByteArray editor = desktopEntry("@PLAYER@ %f", "text/plain;");
        const QByteArray editorDefault = defaultFor("text/plain", "editor.desktop");
        const QByteArray playerDefault = defaultFor("audio/x-mpegurl", "fakeplayer.desktop");

        QTest::newRow("nothing installed") << QByteArray() << QByteArray() << QByteArray()
                                           << int(ShellResult::NoAssociation) << false;
        QTest::newRow("only an editor of the parent type text/plain")
            << QByteArray() << editor << editorDefault << int(ShellResult::NoAssociation) << false;
        QTest::newRow("player that does not claim the type, editor for text/plain")
            << desktopEntry("@PLAYER@ %f", "audio/mpeg;") << editor << editorDefault
            << int(ShellResult::NoAssociation) << false;
        QTest::newRow("default names a missing desktop file")
            << QByteArray() << QByteArray() << defaultFor("audio/x-mpegurl", "ghost.desktop")
            << int(ShellResult::NoAssociation) << false;
        // GIO drops a desktop file whose program does not exist.
        QTest::newRow("default names a missing program")
            << desktopEntry("/nonexistent/player %f", "audio/x-mpegurl;") << QByteArray()
            << playerDefault << int(ShellResult::NoAssociation) << false;
        QTest::newRow("default whose working folder is missing")
            << desktopEntry("@PLAYER@ %f", "audio/x-mpegurl;", "Path=/nonexistent/folder\n")
            << QByteArray() << playerDefault << int(ShellResult::LaunchFailed) << false;
        // As "xdg-mime default" writes it: the player's own MimeType line vouches for the type.
        QTest::newRow("default without added association")
            << FakePlayer << editor
            << QByteArray("[Default Applications]\n"
                          "audio/x-mpegurl=fakeplayer.desktop\n")
            << int(ShellResult::Launched) << true;
        QTest::newRow("alias of the type in the player's MimeType line")
            << desktopEntry("@PLAYER@ %f", "audio/mpegurl;") << QByteArray()
            << QByteArray("[Default Applications]\naudio/x-mpegurl=fakeplayer.desktop\n")
            << int(ShellResult::Launched) << true;
        QTest::newRow("no default, one associated player")
            << FakePlayer << editor
            << QByteArray("[Added Associations]\naudio/x-mpegurl=fakeplayer.desktop;\n")
            << int(ShellResult::Launched) << true;
    }

    void associations() {
        QFETCH(QByteArray, player);
        QFETCH(QByteArray, editor);
        QFETCH(QByteArray, mimeApps);
        QFETCH(int, result);
        QFETCH(bool, launched);
        Desktop desktop;
        QVERIFY(desktop.isValid());
        if (!player.isEmpty())
            desktop.addApplication(QStringLiteral("fakeplayer.desktop"), player);
        if (!editor.isEmpty())
            desktop.addApplication(QStringLiteral("editor.desktop"), editor);
        desktop.setMimeApps(mimeApps);
        const QString file = desktop.root() + QLatin1String("/playlist.m3u");
        writeBytes(file, PlaylistBytes);

        const QStringList arguments = launched ? QStringList{file} : QStringList();
        verifyLaunch(desktop, desktop.shellExecute(QStringLiteral("open"), file), result, arguments,
                     file);
    }

    // A playlist made on Windows, its songs on disk in other letter case (a CD mounted with
    // lower-case names): the desktop's player receives the real paths.
    void windowsPlaylistPlaysFromLinuxDisk() {
        Desktop desktop;
        QVERIFY(desktop.isValid());
        desktop.addApplication(QStringLiteral("fakeplayer.desktop"), FakePlayer);
        desktop.setMimeApps(defaultFor("audio/x-mpegurl", "fakeplayer.desktop"));
        QTemporaryDir cd;
        QVERIFY(cd.isValid());
        writeBytes(cd.filePath(QStringLiteral("rock/song.mp3")), "song");
        writeBytes(cd.filePath(QStringLiteral("lists/jazz/Live/x.mp3")), "song");
        const QString playlist = cd.filePath(QStringLiteral("lists/Windows.m3u"));
        writeBytes(playlist, "..\\ROCK\\Song.MP3\r\nJazz\\LIVE\\x.Mp3\r\n");
        ScriptedDialogs dialogs;
        PlayingModule playing(
            dialogs,
            [&desktop](const QString& verb, const QString& file) {
                return ShellResult(desktop.shellExecute(verb, file));
            },
            cd.filePath(QStringLiteral("~PLATBX~.M3U")));

        playing.executePlaylists({playlist}, Preferences());

        QCOMPARE(dialogs.messages(), QStringList());
        QTRY_VERIFY_WITH_TIMEOUT(desktop.playerStarted(), 10000);
        QCOMPARE(desktop.playerReceived(),
                 QFile::encodeName(cd.filePath(QStringLiteral("rock/song.mp3"))) + "\r\n" +
                     QFile::encodeName(cd.filePath(QStringLiteral("lists/jazz/Live/x.mp3"))) +
                     "\r\n");
    }

    void folderLocation_data() {
        QTest::addColumn<bool>("runtimeSet");
        QTest::addColumn<QString>("runtime");
        QTest::addColumn<bool>("inRuntime");

        QTest::newRow("runtime folder") << true << QStringLiteral("@RUNTIME@") << true;
        QTest::newRow("trailing slash") << true << QStringLiteral("@RUNTIME@/") << true;
        QTest::newRow("unset") << false << QString() << false;
        QTest::newRow("empty") << true << QString() << false;
        QTest::newRow("relative") << true << QStringLiteral("run/user") << false;
    }

    void folderLocation() {
        QFETCH(bool, runtimeSet);
        QFETCH(QString, runtime);
        QFETCH(bool, inRuntime);
        QTemporaryDir runtimeDir;
        QTemporaryDir tmpDir;
        QVERIFY(runtimeDir.isValid() && tmpDir.isValid());
        runtime.replace(QStringLiteral("@RUNTIME@"), runtimeDir.path());
        if (runtimeSet)
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        else
            qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(tmpDir.path()));

        const QString fallback = QDir(tmpDir.path()).canonicalPath() +
                                 QLatin1String("/Platterbox-") + QString::number(::geteuid());
        const QString expected =
            inRuntime ? QString(runtimeDir.path() + QLatin1String("/Platterbox")) : fallback;
        QCOMPARE(RuntimeFolder::path(), expected);
        QCOMPARE(modeOf(expected), QStringLiteral("700"));
        QCOMPARE(RuntimeFolder::temporaryPlaylistPath(), expected + QLatin1String("/~PLATBX~.M3U"));
    }

    void folderSafety_data() {
        QTest::addColumn<Place>("place");
        QTest::addColumn<bool>("accepted");

        QTest::newRow("missing, created private") << Place::Missing << true;
        QTest::newRow("private folder kept") << Place::Private << true;
        QTest::newRow("folder open to the group is tightened") << Place::OpenToGroup << true;
        QTest::newRow("folder open to all is tightened") << Place::OpenToAll << true;
        QTest::newRow("symbolic link refused") << Place::SymLink << false;
        QTest::newRow("file refused") << Place::File << false;
        QTest::newRow("folder of another user refused") << Place::ForeignOwner << false;
    }

    void folderSafety() {
        QFETCH(Place, place);
        QFETCH(bool, accepted);
        QTemporaryDir runtime;
        QVERIFY(runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        const QString folder = runtime.path() + QLatin1String("/Platterbox");
        const QString elsewhere = runtime.path() + QLatin1String("/elsewhere");
        const QByteArray folderName = QFile::encodeName(folder);

        switch (place) {
        case Place::Missing:
            break;
        case Place::Private:
        case Place::OpenToGroup:
        case Place::OpenToAll:
        case Place::ForeignOwner: {
            const mode_t mode = place == Place::Private       ? 0700
                                : place == Place::OpenToGroup ? 0750
                                : place == Place::OpenToAll   ? 0777
                                                              : 0755;
            QCOMPARE(::mkdir(folderName.constData(), 0700), 0);
            QCOMPARE(::chmod(folderName.constData(), mode), 0);
            writeBytes(folder + QLatin1String("/kept"), "kept");
            if (place == Place::ForeignOwner) {
                if (::geteuid() != 0)
                    QSKIP("needs root to give a folder to another user");
                QCOMPARE(::chown(folderName.constData(), 65534, 65534), 0);
            }
            break;
        }
        case Place::SymLink:
            QVERIFY(QDir().mkdir(elsewhere));
            QCOMPARE(::chmod(QFile::encodeName(elsewhere).constData(), 0755), 0);
            QVERIFY(QFile::link(elsewhere, folder));
            break;
        case Place::File:
            writeBytes(folder, "not a folder");
            break;
        }
        const QString modeBefore = modeOf(folder);

        QCOMPARE(RuntimeFolder::path(), accepted ? folder : QString());
        QCOMPARE(RuntimeFolder::temporaryPlaylistPath(),
                 accepted ? folder + QLatin1String("/~PLATBX~.M3U")
                          : QStringLiteral("~PLATBX~.M3U"));
        QCOMPARE(modeOf(folder), accepted ? QStringLiteral("700") : modeBefore);
        if (place == Place::SymLink) {
            QVERIFY(isSymLink(folder));
            QCOMPARE(modeOf(elsewhere), QStringLiteral("755"));
        }
        if (accepted && place != Place::Missing)
            QCOMPARE(readBytes(folder + QLatin1String("/kept")), QByteArray("kept"));
    }

    void writeNoFollow_data() {
        QTest::addColumn<QString>("before");

        QTest::newRow("new file") << QString();
        QTest::newRow("longer file is cut") << QStringLiteral("file");
        QTest::newRow("link to a victim is replaced") << QStringLiteral("link");
        QTest::newRow("dangling link is replaced") << QStringLiteral("dangling");
    }

    void writeNoFollow() {
        QFETCH(QString, before);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString target = dir.filePath(QStringLiteral("~PLATBX~.M3U"));
        const QString victim = dir.filePath(QStringLiteral("victim"));
        const QByteArray victimBytes = "precious\n";
        const QByteArray bytes = QByteArray("/a b/ü.mp3\r\n\0binary\r\n", 22);
        if (before == QLatin1String("file"))
            writeBytes(target, bytes + bytes + bytes);
        if (before == QLatin1String("link") || before == QLatin1String("dangling"))
            QVERIFY(QFile::link(victim, target));
        if (before == QLatin1String("link"))
            writeBytes(victim, victimBytes);

        const Status status = RuntimeFolder::writeFileNoFollow(target, bytes);

        QVERIFY2(status.isOk(), qPrintable(status.message()));
        QVERIFY(!isSymLink(target));
        QCOMPARE(readBytes(target), bytes);
        if (before.isEmpty())
            QCOMPARE(modeOf(target), QStringLiteral("600"));
        if (before == QLatin1String("link"))
            QCOMPARE(readBytes(victim), victimBytes);
        if (before == QLatin1String("dangling"))
            QVERIFY(!QFileInfo::exists(victim));
    }

    void writeFailure_data() {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<int>("error");

        QTest::newRow("missing folder") << QStringLiteral("missing/~PLATBX~.M3U") << ENOENT;
        QTest::newRow("a folder in its place") << QStringLiteral("folder") << EISDIR;
    }

    void writeFailure() {
        QFETCH(QString, relative);
        QFETCH(int, error);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));

        const Status status = RuntimeFolder::writeFileNoFollow(dir.filePath(relative), "x");

        QVERIFY(status.failed());
        QCOMPARE(status.message(), QString::fromLocal8Bit(std::strerror(error)));
    }
};

QTEST_GUILESS_MAIN(TestShell)
#include "tst_shell.moc"
