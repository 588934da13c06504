#include "TestSupport.h"
#include "ScriptFileDialogs.h"
#include "ScriptedDialogs.h"
#include "settings/InstanceIni.h"
#include "startup/IniPathChoice.h"

#include <QProcess>
#include <QtTest>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

using TestSupport::readBytes;
using TestSupport::writeBytes;

// A copy installed where its user cannot write keeps its INI file in the user's configuration
// folder; every other copy keeps it beside itself, as before.
class TestInstalledCopy : public QObject {
    Q_OBJECT

    TestSupport::IsolatedEnvironment env_;

    QString userIni() const {
        return env_.configHome() + QStringLiteral("/Platterbox/Platterbox.Ini");
    }

    // Every text the program showed or asked, from its dialog log.
    static QStringList textsLogged(const QString& script) {
        QStringList texts;
        const auto log = ScriptFileDialogs::readLog(script);
        for (const auto& [kind, text] : log)
            texts << kind + QLatin1Char(' ') + text;
        return texts;
    }

private Q_SLOTS:
    void iniPathChoice_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("readOnly"); // the program's folder
        QTest::addColumn<QString>("parameter");
        QTest::addColumn<QString>("expected"); // "<user>": the per-user file
        const QString program = QStringLiteral("prog/Platterbox.Ini");
        QTest::newRow("copy in a writable folder, no INI yet")
            << QStringList() << false << QString() << program;
        QTest::newRow("read-only folder with its INI beside it (a CD)")
            << QStringList{program} << true << QString() << program;
        QTest::newRow("read-only folder, INI beside it in another case")
            << QStringList{QStringLiteral("prog/PLATTERBOX.INI")} << true << QString()
            << QStringLiteral("prog/PLATTERBOX.INI");
        QTest::newRow("installed: read-only folder, no INI beside it")
            << QStringList() << true << QString() << QStringLiteral("<user>");
        QTest::newRow("installed, started for a CD copy with an INI")
            << QStringList{QStringLiteral("cd/Platterbox/Platterbox.Ini")} << true
            << QStringLiteral("cd/Platterbox/Platterbox")
            << QStringLiteral("cd/Platterbox/Platterbox.Ini");
        QTest::newRow("installed, parameter's INI missing")
            << QStringList() << true << QStringLiteral("cd/Platterbox/Platterbox")
            << QStringLiteral("<user>");
    }

    void iniPathChoice() {
        QFETCH(QStringList, files);
        QFETCH(bool, readOnly);
        QFETCH(QString, parameter);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("prog"))));
        for (const QString& file : std::as_const(files))
            writeBytes(dir.filePath(file), "[General]\r\n");
        std::unique_ptr<TestSupport::ReadOnlyFolder> guard;
        if (readOnly) {
            guard =
                std::make_unique<TestSupport::ReadOnlyFolder>(dir.filePath(QStringLiteral("prog")));
            if (!guard->effective())
                QSKIP("this file system cannot make a folder read-only for this user");
        }
        const QString param = parameter.isEmpty() ? QString() : dir.filePath(parameter);
        QCOMPARE(chooseIniPath(param, dir.filePath(QStringLiteral("prog/Platterbox"))),
                 expected == QLatin1String("<user>") ? userIni() : dir.filePath(expected));
    }

    // The first start finds no file and says nothing; the first save makes the folder.
    void userIniIsSilentAtFirstAndKeepsTheList() {
        QDir(env_.configHome()).removeRecursively();
        Settings settings;
        QList<QByteArray> playlists;
        settings.preferences.closeDelaySeconds = 99;
        ScriptedDialogs dialogs;
        readInstanceIni(userIni(), settings, playlists, dialogs);
        QCOMPARE(dialogs.records().size(), 0);
        QCOMPARE(settings.preferences.closeDelaySeconds, 30); // the default
        playlists = {"/music/Rock/_Rock.M3U"};
        writeInstanceIni(userIni(), settings, playlists, dialogs);
        QCOMPARE(dialogs.records().size(), 0);
        Settings loaded;
        QList<QByteArray> loadedPlaylists;
        readInstanceIni(userIni(), loaded, loadedPlaylists, dialogs);
        QCOMPARE(dialogs.records().size(), 0);
        QCOMPARE(loadedPlaylists, playlists);
    }

    // A copy whose folder (and the user's configuration folder) cannot be written but whose
    // files can, as on a share set up so: the close keeps the settings, written in place.
    void writableFilesInReadOnlyFoldersAreSaved() {
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("config"));
        const QString program = dir.filePath(QStringLiteral("cd/Platterbox"));
        const QString ini = program + QStringLiteral(".Ini");
        const QString reg = config + QStringLiteral("/Platterbox/user.reg");
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("cd"))));
        QVERIFY(QFile::copy(QStringLiteral(PLATTERBOX_BINARY), program));
        writeBytes(ini, "[General]\r\ngrpShuffle_Tag=1\r\n");
        writeBytes(reg, "Windows Registry Editor Version 5.00\r\n\r\n");
        TestSupport::declineInstallation(config);
        const QString script = dir.filePath(QStringLiteral("answers"));
        writeBytes(script, QByteArray());
        {
            TestSupport::ReadOnlyFolder cd(dir.filePath(QStringLiteral("cd")));
            TestSupport::ReadOnlyFolder settings(config + QStringLiteral("/Platterbox"));
            QVERIFY(cd.effective() && settings.effective());
            QVERIFY(TestSupport::startAndClose(program, config, dir.filePath(QStringLiteral("run")),
                                               script));
        }
        QCOMPARE(textsLogged(script), QStringList());
        const QByteArray savedIni = readBytes(ini);
        QVERIFY2(
            savedIni.startsWith("[General]\r\ngrpShuffle_Tag=1\r\ncbAutoExecute_Checked=0\r\n"),
            savedIni.constData());
        QVERIFY(savedIni.endsWith("[PlayLists]\r\nTotal=0\r\n"));
        QVERIFY(readBytes(reg).contains("\"dlgAutoCD_edFolder_Text\"=\"\"\r\n"));
        QCOMPARE(QDir(config + QStringLiteral("/Platterbox")).entryList(QDir::Files | QDir::Hidden),
                 QStringList({QStringLiteral("system.reg"), QStringLiteral("user.reg")}));
    }

    // The real program installed under a prefix its user cannot write, started twice by an
    // unprivileged user: no message and no question either time (it records itself as the
    // installed copy instead of offering to install itself), and the playlist listed in the
    // user's INI file is still there after the second close.
    void unprivilegedUserKeepsPlaylistsAcrossRestarts() {
        QTemporaryDir dir;
        const QString home = dir.filePath(QStringLiteral("home"));
        const QString bin = dir.filePath(QStringLiteral("prefix/bin"));
        QVERIFY(QDir().mkpath(bin));
        QVERIFY(QDir().mkpath(home + QStringLiteral("/run")));
        QVERIFY(QDir().mkpath(home + QStringLiteral("/Music")));
        const QString program = bin + QStringLiteral("/platterbox");
        QVERIFY(QFile::copy(QStringLiteral(PLATTERBOX_BINARY), program));
        const auto readExec = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                              QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(program, readExec | QFile::WriteOwner));
        QStringList runAs;
        if (geteuid() == 0) {
            // Root writes everywhere: the program runs as "nobody", the prefix stays root's.
            const passwd* nobody = getpwnam("nobody");
            const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
            if (!nobody || setpriv.isEmpty())
                QSKIP("needs the user nobody and setpriv (Debian package util-linux)");
            runAs = {setpriv, QStringLiteral("--reuid=%1").arg(nobody->pw_uid),
                     QStringLiteral("--regid=%1").arg(nobody->pw_gid),
                     QStringLiteral("--clear-groups"), QStringLiteral("--")};
            QVERIFY(QFile::setPermissions(dir.path(), readExec | QFile::WriteOwner));
            for (const QString& folder :
                 QStringList{home, home + QStringLiteral("/run"), home + QStringLiteral("/Music")})
                QVERIFY(chown(QFile::encodeName(folder).constData(), nobody->pw_uid,
                              nobody->pw_gid) == 0);
        } else {
            QVERIFY(QFile::setPermissions(bin, readExec));
        }
        QFile::setPermissions(home + QStringLiteral("/run"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString script = home + QStringLiteral("/answers");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/run"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QString::fromLatin1(ScriptFileDialogs::EnvironmentVariable), script);

        auto startAndClose = [&] {
            QProcess run;
            run.setProcessEnvironment(env);
            run.setProgram(runAs.isEmpty() ? program : runAs.first());
            run.setArguments(runAs.isEmpty() ? QStringList() : runAs.mid(1) << program);
            run.start();
            if (!run.waitForStarted())
                return false;
            // setpriv runs the program in its own process.
            if (!TestSupport::waitUntilCatchesTermination(run.processId(), 15000))
                return false;
            QTest::qWait(300);
            run.terminate();
            if (!run.waitForFinished(10000))
                run.kill();
            return run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0;
        };

        QVERIFY(startAndClose());
        const QString ini = home + QStringLiteral("/.config/Platterbox/Platterbox.Ini");
        QVERIFY(QFileInfo(ini).isFile());
        QVERIFY(QDir(bin).entryList(QDir::Files) == QStringList{QStringLiteral("platterbox")});
        QCOMPARE(textsLogged(script), QStringList());
        const QByteArray record =
            readBytes(home + QStringLiteral("/.config/Platterbox/system.reg"));
        QVERIFY2(record.contains(QStringLiteral("\"EXE Location\"=\"%1\"").arg(program).toUtf8()),
                 record.constData());

        // The list as the Add command leaves it: one playlist, relative to the INI file.
        writeBytes(home + QStringLiteral("/Music/list.m3u"), "a.mp3\r\n");
        QByteArray saved = readBytes(ini);
        QVERIFY(saved.contains("[PlayLists]\r\nTotal=0\r\n"));
        saved.replace("[PlayLists]\r\nTotal=0\r\n",
                      "[PlayLists]\r\nTotal=1\r\nFile0=../../Music/list.m3u\r\n");
        writeBytes(ini, saved);

        QVERIFY(startAndClose());
        QCOMPARE(textsLogged(script), QStringList());
        QVERIFY2(readBytes(ini).contains("Total=1\r\nFile0=../../Music/list.m3u\r\n"),
                 readBytes(ini).constData());
    }
};

QTEST_GUILESS_MAIN(TestInstalledCopy)
#include "tst_installedcopy.moc"
