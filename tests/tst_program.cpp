#include "FakePlayer.h"
#include "TestSupport.h"
#include "ScriptFileDialogs.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>

using TestSupport::readBytes;
using TestSupport::writeBytes;

// The real program as a user starts it: a copy with its own INI file auto-plays through the
// desktop's player, hides and closes itself.
class TestProgram : public QObject {
    Q_OBJECT

    FakePlayer player_;
    QTemporaryDir dir_;

    QString path(const QString& relative) const { return dir_.filePath(relative); }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = player_.environment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("run")));
        env.insert(QString::fromLatin1(ScriptFileDialogs::EnvironmentVariable),
                   path(QStringLiteral("answers")));
        return env;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(QDir().mkpath(path(QStringLiteral("run"))));
        QFile::setPermissions(path(QStringLiteral("run")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(QDir().mkpath(path(QStringLiteral("cd/Platterbox"))));
        QVERIFY(QFile::copy(QStringLiteral(PLATTERBOX_BINARY),
                            path(QStringLiteral("cd/Platterbox/Platterbox"))));
        writeBytes(path(QStringLiteral("answers")), QByteArray());
        QVERIFY(QDir().mkpath(path(QStringLiteral("cli/bin"))));
        QVERIFY(QDir().mkpath(path(QStringLiteral("cli/run"))));
        QFile::setPermissions(path(QStringLiteral("cli/run")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(QFile::copy(QStringLiteral(PLATTERBOX_BINARY),
                            path(QStringLiteral("cli/bin/Platterbox"))));
    }

    void options_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("display"); // false: no display and no platform named
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        const QByteArray usage = "Usage: Platterbox [PROGRAM]\n";
        const QByteArray version = "Platterbox 1.3\n";
        // The options as words apart by spaces.
        const auto row = [](const char* name, const char* options, bool display) -> QTestData& {
            return QTest::newRow(name) << QString::fromLatin1(options).split(u' ') << display;
        };
        row("--help", "--help", true) << 0 << usage << QByteArray();
        row("-h", "-h", true) << 0 << usage << QByteArray();
        row("--version", "--version", true) << 0 << version << QByteArray();
        row("-v", "-v", true) << 0 << version << QByteArray();
        row("--frobnicate", "--frobnicate", true) << 2 << QByteArray() << usage;
        row("-x", "-x", true) << 2 << QByteArray() << usage;
        row("--help, no display", "--help", false) << 0 << usage << QByteArray();
        row("--version, no display", "--version", false) << 0 << version << QByteArray();
        row("--frobnicate, no display", "--frobnicate", false) << 2 << QByteArray() << usage;
        row("-x after a parameter, no display", "cd/Platterbox -x", false)
            << 2 << QByteArray() << usage;
        row("-x after Qt's -platform, no display", "-platform offscreen -x", false)
            << 2 << QByteArray() << usage;
        row("-x after Qt's -style=, no display", "-style=fusion -x", false)
            << 2 << QByteArray() << usage;
        row("Qt's --reverse before -v", "--reverse -v", true) << 0 << version << QByteArray();
        // A value of Qt's option is Qt's, however it looks.
        row("-x as Qt's window title", "-qwindowtitle -x -v", true) << 0 << version << QByteArray();
    }

    // Answered and ended before any settings, INI file or single-instance channel is touched,
    // and before a display is needed.
    void options() {
        QFETCH(QStringList, options);
        QFETCH(bool, display);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QProcessEnvironment env = environment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("cli/run")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("cli/config")));
        if (!display) {
            for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
                env.remove(QLatin1String(name));
        }
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(path(QStringLiteral("cli/bin/Platterbox")), options);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), exitCode);
        const QByteArray stdOut = program.readAllStandardOutput();
        const QByteArray stdErr = program.readAllStandardError();
        QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out), stdOut.constData());
        QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.startsWith(err), stdErr.constData());
        if (!out.startsWith("Platterbox")) // the whole usage, not only its first line
            QVERIFY(QByteArray(stdOut + stdErr).contains("\n  -v, --version  "));
        const auto entries = [this](const char* folder) {
            return QDir(path(QLatin1String(folder)))
                .entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
        };
        // Qt makes a missing runtime folder, so it is there already, as on a desktop.
        QCOMPARE(entries("cli"), QStringList({QStringLiteral("bin"), QStringLiteral("run")}));
        QCOMPARE(entries("cli/bin"), QStringList{QStringLiteral("Platterbox")});
        QCOMPARE(entries("cli/run"), QStringList());
    }

    void autoPlaysHidesAndClosesItself() {
        writeBytes(path(QStringLiteral("cd/Music/list.m3u")), "one.mp3\r\ntwo.mp3\r\n");
        const QString ini = path(QStringLiteral("cd/Platterbox/Platterbox.Ini"));
        writeBytes(ini, "[General]\r\ncbAutoExecute_Checked=1\r\ncbAutoExecuteDelay_Checked=0\r\n"
                        "cbAutoExecuteHide_Checked=1\r\nspinAutoExecuteCloseDelay_Value=2\r\n"
                        "[PlayLists]\r\nTotal=1\r\nFile0=../Music/list.m3u\r\n");
        const int launchesBefore = int(player_.launches().size());
        QProcess program;
        program.setProcessEnvironment(environment());
        QElapsedTimer clock;
        clock.start();
        program.start(path(QStringLiteral("cd/Platterbox/Platterbox")), QStringList());
        QVERIFY(program.waitForStarted());
        const bool finished = program.waitForFinished(30000);
        if (!finished)
            program.kill();
        QVERIFY(finished);
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(clock.elapsed() >= 1900); // the close delay
        QVERIFY(player_.waitForLaunches(launchesBefore + 1));
        QCOMPARE(player_.launches().at(launchesBefore).playlist,
                 (path(QStringLiteral("cd/Music/one.mp3")) + QStringLiteral("\r\n") +
                  path(QStringLiteral("cd/Music/two.mp3")) + QStringLiteral("\r\n"))
                     .toUtf8());
        // Saved on the way out: keys the file did not have are now there.
        const QByteArray saved = readBytes(ini);
        QVERIFY2(saved.contains("grpShuffle_Tag=0\r\n"), saved.constData());
        QVERIFY(saved.contains("File0=../Music/list.m3u\r\n"));
        // The temporary playlist went with the program.
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("run/Platterbox/~PLATBX~.M3U"))));
    }

    void terminationSignalClosesAndSaves() {
        const QString ini = path(QStringLiteral("cd/Platterbox/Platterbox.Ini"));
        writeBytes(ini, "[General]\r\n[PlayLists]\r\nTotal=0\r\n");
        QProcess program;
        program.setProcessEnvironment(environment());
        program.start(path(QStringLiteral("cd/Platterbox/Platterbox")), QStringList());
        QVERIFY(program.waitForStarted());
        QVERIFY(TestSupport::waitUntilCatchesTermination(program.processId(), 15000));
        QTest::qWait(300);
        program.terminate();
        const bool finished = program.waitForFinished(10000);
        if (!finished)
            program.kill();
        QVERIFY(finished);
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(readBytes(ini).contains("cbAutoExecuteDelay_Checked=1\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
