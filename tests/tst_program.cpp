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
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        const QByteArray usage = "Usage: Platterbox [PROGRAM]\n";
        const QByteArray version = "Platterbox 1.3\n";
        QTest::newRow("--help") << "--help" << 0 << usage << QByteArray();
        QTest::newRow("-h") << "-h" << 0 << usage << QByteArray();
        QTest::newRow("--version") << "--version" << 0 << version << QByteArray();
        QTest::newRow("-v") << "-v" << 0 << version << QByteArray();
        QTest::newRow("--frobnicate") << "--frobnicate" << 2 << QByteArray() << usage;
        QTest::newRow("-x") << "-x" << 2 << QByteArray() << usage;
    }

    // Answered and ended before any settings, INI file or single-instance channel is touched.
    void options() {
        QFETCH(QString, option);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QProcessEnvironment env = environment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("cli/run")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("cli/config")));
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(path(QStringLiteral("cli/bin/Platterbox")), {option});
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
        // Listening for a second copy means the window exists.
        QTRY_VERIFY_WITH_TIMEOUT(
            QFileInfo::exists(path(QStringLiteral("run/Platterbox/TfrmPlatterboxMain"))), 10000);
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
