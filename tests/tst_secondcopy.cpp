#include "TestSupport.h"
#include "ScriptFileDialogs.h"
#include "settings/RegistryFile.h"
#include "startup/HandOffPath.h"

#include <QDataStream>
#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include <signal.h>

using TestSupport::readBytes;
using TestSupport::writeBytes;

namespace {

const QString Question = QStringLiteral("yesno:New instance loaded, use its INI file?");
const QString Unanswered = QStringLiteral(
    "yesno:Another instance is running but does not respond!\rStart this instance on its own?");
const QString UserKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Varnholt\\Platterbox");
const QString MachineKey = QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Varnholt\\Platterbox");
// Auto-play stays off, so nothing but the hand-off happens in the running copy.
const QByteArray OwnIni = "[General]\r\ncbAutoExecute_Checked=0\r\n";
const QByteArray CdIni = "[General]\r\ncbAutoExecute_Checked=0\r\n[PlayLists]\r\nTotal=1\r\n"
                         "File0=Songs\\Missing.m3u\r\n";
constexpr int StartMsecs = 10000;

QStringList logOf(const QString& script) {
    QStringList texts;
    for (const auto& [kind, text] : ScriptFileDialogs::readLog(script))
        texts << kind + QLatin1Char(':') + text;
    return texts;
}

} // namespace

// Copies of the real program started side by side, offscreen, each test with its own
// configuration and runtime folders: the second copy hands its command line to the first.
class TestSecondCopy : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    std::vector<std::unique_ptr<QProcess>> processes_;

    QString path(const QString& relative) const { return dir_->filePath(relative); }
    QString expand(QString text) const { return text.replace(QLatin1String("{d}"), dir_->path()); }
    QStringList expand(const QStringList& texts) const {
        QStringList expanded;
        for (const QString& text : texts)
            expanded << expand(text);
        return expanded;
    }
    QString configHome() const { return path(QStringLiteral("config")); }
    QString channelFolder() const { return path(QStringLiteral("runtime/Platterbox")); }
    QString socketPath() const { return channelFolder() + QLatin1String("/TfrmPlatterboxMain"); }
    QString lockPath() const { return channelFolder() + QLatin1String("/instance.lock"); }

    // A copy of the program in its own folder, as on a CD or a hard disk.
    QString copyProgram(const QString& folder) const {
        const QString program = path(folder + QLatin1String("/Platterbox"));
        QDir().mkpath(path(folder));
        if (!QFileInfo::exists(program))
            QFile::copy(QStringLiteral(PLATTERBOX_BINARY), program);
        return program;
    }

    QString script(const QString& name, const QByteArray& answers) const {
        const QString file = path(name);
        writeBytes(file, answers);
        return file;
    }

    QProcess& start(const QString& program, const QStringList& arguments, const QString& script,
                    const QString& configHome = {}, const QString& workingFolder = {},
                    bool captureErrors = false) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"),
                   configHome.isEmpty() ? this->configHome() : configHome);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("runtime")));
        env.insert(QString::fromLatin1(ScriptFileDialogs::EnvironmentVariable), script);
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(workingFolder.isEmpty() ? dir_->path() : workingFolder);
        process->setProcessChannelMode(captureErrors ? QProcess::SeparateChannels
                                                     : QProcess::ForwardedErrorChannel);
        process->start(program, arguments);
        processes_.push_back(std::move(process));
        return *processes_.back();
    }

    // The copy holds the lock and listens.
    bool runsAsTheFirst(const QProcess& process) const {
        const QByteArray owner = readBytes(lockPath()).split('\n').value(0);
        return process.state() == QProcess::Running && owner.toLongLong() == process.processId() &&
               QFileInfo::exists(socketPath());
    }

    // The first copy, started alone from folder "first" with its own INI file.
    QProcess& startFirst(const QString& script) {
        writeBytes(path(QStringLiteral("first/Platterbox.Ini")), OwnIni);
        QProcess& first = start(copyProgram(QStringLiteral("first")), {}, script);
        return first;
    }

    static bool endsWithZero(QProcess& process) {
        return process.waitForFinished(StartMsecs) &&
               process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    // Connections the running copy has accepted on its socket (state "connected" in the
    // kernel's table of local sockets, whose accepted ends carry the path the socket was bound
    // to, somewhere in the channel folder).
    int acceptedConnections() const {
        int count = 0;
        const QList<QByteArray> lines = readBytes(QStringLiteral("/proc/net/unix")).split('\n');
        for (const QByteArray& line : lines) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() >= 8 && fields.value(5) == "03" &&
                QFile::decodeName(fields.mid(7).join(' ')).startsWith(channelFolder()))
                ++count;
        }
        return count;
    }

    void setUserValue(const QString& name, quint32 value) const {
        RegistryFile file(configHome() + QLatin1String("/Platterbox/user.reg"));
        QVERIFY(file.setValue(UserKey, name, RegistryValue::fromDword(value)).isOk());
    }

private Q_SLOTS:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        QVERIFY(QDir().mkpath(path(QStringLiteral("runtime"))));
        QFile::setPermissions(path(QStringLiteral("runtime")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // The installation was declined for this version, so the check asks nothing.
        RegistryFile machine(configHome() + QLatin1String("/Platterbox/system.reg"));
        QVERIFY(
            machine.setValue(MachineKey, QStringLiteral("NeverAsk"), RegistryValue::fromDword(1))
                .isOk());
        QVERIFY(
            machine
                .setValue(MachineKey, QStringLiteral("NeverAskVer"), RegistryValue::fromDword(1300))
                .isOk());
    }

    void cleanup() {
        for (const std::unique_ptr<QProcess>& process : processes_) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(3000);
            }
        }
        processes_.clear();
    }

    void iniPathFromCommandLine_data() {
        QTest::addColumn<QStringList>("commandLine");
        QTest::addColumn<QStringList>("existingFiles");
        QTest::addColumn<QString>("expected"); // empty: nothing to take over
        const QString cdProgram = QStringLiteral("{d}/cd/Platterbox");
        QTest::newRow("started alone")
            << QStringList{cdProgram} << QStringList{} << QStringLiteral("{d}/cd/Platterbox.INI");
        QTest::newRow("started alone, its INI file in another case")
            << QStringList{cdProgram} << QStringList{QStringLiteral("cd/Platterbox.Ini")}
            << QStringLiteral("{d}/cd/Platterbox.Ini");
        QTest::newRow("program file with an extension")
            << QStringList{QStringLiteral("{d}/cd/Platterbox.bin")} << QStringList{}
            << QStringLiteral("{d}/cd/Platterbox.INI");
        QTest::newRow("program path as parameter")
            << QStringList{QStringLiteral("{d}/hd/Platterbox"), cdProgram, QStringLiteral("1300")}
            << QStringList{QStringLiteral("cd/platterbox.ini")}
            << QStringLiteral("{d}/cd/platterbox.ini");
        QTest::newRow("parameter in a folder with blanks")
            << QStringList{QStringLiteral("{d}/hd/Platterbox"),
                           QStringLiteral("{d}/my cd/Other.exe")}
            << QStringList{} << QStringLiteral("{d}/my cd/Platterbox.INI");
        QTest::newRow("parameter that is no path")
            << QStringList{cdProgram, QStringLiteral("1300")} << QStringList{}
            << QStringLiteral("{d}/cd/Platterbox.INI");
        QTest::newRow("empty") << QStringList{} << QStringList{} << QString();
        QTest::newRow("empty program path") << QStringList{QString()} << QStringList{} << QString();
    }

    void iniPathFromCommandLine() {
        QFETCH(QStringList, commandLine);
        QFETCH(QStringList, existingFiles);
        QFETCH(QString, expected);
        for (const QString& file : existingFiles)
            writeBytes(path(file), OwnIni);
        const std::optional<QString> iniPath = handOffIniPath(expand(commandLine));
        QCOMPARE(iniPath.has_value(), !expected.isEmpty());
        if (iniPath)
            QCOMPARE(*iniPath, expand(expected));
    }

    void commandLineSent_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("sent");
        QTest::newRow("none") << QStringList{} << QStringList{QStringLiteral("{d}/hd/Platterbox")};
        QTest::newRow("relative paths made absolute")
            << QStringList{QStringLiteral("../cd/Platterbox"), QStringLiteral("./x/")}
            << QStringList{QStringLiteral("{d}/hd/Platterbox"), QStringLiteral("{d}/cd/Platterbox"),
                           QStringLiteral("{d}/work/x/")};
        QTest::newRow("an existing file without a folder")
            << QStringList{QStringLiteral("Platterbox.Ini")}
            << QStringList{QStringLiteral("{d}/hd/Platterbox"),
                           QStringLiteral("{d}/work/Platterbox.Ini")};
        QTest::newRow("absolute paths and plain words kept")
            << QStringList{QStringLiteral("/media/cd/Platterbox"), QStringLiteral("1300"),
                           QString()}
            << QStringList{QStringLiteral("{d}/hd/Platterbox"),
                           QStringLiteral("/media/cd/Platterbox"), QStringLiteral("1300"),
                           QString()};
    }

    void commandLineSent() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, sent);
        writeBytes(path(QStringLiteral("work/Platterbox.Ini")), OwnIni);
        QCOMPARE(handOffCommandLine(expand(QStringLiteral("{d}/hd/Platterbox")), arguments,
                                    path(QStringLiteral("work"))),
                 expand(sent));
    }

    void yesLoadsTheSecondCopysIni_data() {
        QTest::addColumn<QString>("secondFolder");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("workingFolder");
        QTest::addColumn<QString>("iniFile"); // written with a missing playlist
        QTest::addColumn<QString>("shownAfterQuestion");
        const QString missingPlaylist =
            QStringLiteral("message:{d}/cd/Songs/Missing.m3u\rFile Not Found!");
        QTest::newRow("started alone, its INI file found ignoring case")
            << QStringLiteral("cd") << QStringList{} << QString()
            << QStringLiteral("cd/Platterbox.Ini") << missingPlaylist;
        QTest::newRow("started with a program path as parameter")
            << QStringLiteral("hd") << QStringList{QStringLiteral("{d}/cd/Platterbox")} << QString()
            << QStringLiteral("cd/platterbox.ini") << missingPlaylist;
        QTest::newRow("relative parameter in a folder with blanks, no INI file there")
            << QStringLiteral("hd")
            << QStringList{QStringLiteral("../my cd/Platterbox"), QStringLiteral("1300")}
            << QStringLiteral("hd") << QString()
            << QStringLiteral("message:{d}/my cd/Platterbox.INI\rInitialization file not found!\r"
                              "Default preferences will be used.");
        // "latin1" links to "cd\xE9": the copy's own path, as the system gives it, is not UTF-8.
        QTest::newRow("started alone in a folder whose name is not UTF-8")
            << QStringLiteral("latin1") << QStringList{} << QString()
            << QStringLiteral("latin1/Platterbox.Ini")
            << QStringLiteral("message:{d}/cd\u00e9/Songs/Missing.m3u\rFile Not Found!");
    }

    void yesLoadsTheSecondCopysIni() {
        QFETCH(QString, secondFolder);
        QFETCH(QStringList, arguments);
        QFETCH(QString, workingFolder);
        QFETCH(QString, iniFile);
        QFETCH(QString, shownAfterQuestion);
        if (secondFolder == QLatin1String("latin1"))
            QVERIFY(::mkdir(QByteArray(QFile::encodeName(dir_->path()) + "/cd\xE9").constData(),
                            0755) == 0 &&
                    ::symlink("cd\xE9", QFile::encodeName(path(secondFolder)).constData()) == 0);
        if (!iniFile.isEmpty())
            writeBytes(path(iniFile), CdIni);
        const QString firstScript = script(QStringLiteral("first.script"), "yes\n");
        QProcess& first = startFirst(firstScript);
        QTRY_VERIFY_WITH_TIMEOUT(runsAsTheFirst(first), StartMsecs);

        // The second copy's own settings would make it ask about installing; it never gets there.
        const QString secondScript = script(QStringLiteral("second.script"), "yes\nno\n");
        QProcess& second = start(copyProgram(secondFolder), expand(arguments), secondScript,
                                 path(QStringLiteral("second-config")),
                                 workingFolder.isEmpty() ? QString() : path(workingFolder));

        QVERIFY(endsWithZero(second));
        QCOMPARE(logOf(firstScript), QStringList({Question, expand(shownAfterQuestion)}));
        QVERIFY(logOf(secondScript).isEmpty());
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("second-config/Platterbox"))));
        // Saving is on: the first copy kept its own list and options in its own file first.
        QVERIFY(readBytes(path(QStringLiteral("first/Platterbox.Ini")))
                    .contains("cbAutoExecuteDelay_Checked=1\r\n"));
        QCOMPARE(first.state(), QProcess::Running);
    }

    void noKeepsEverything() {
        const QString firstScript = script(QStringLiteral("first.script"), "no\n");
        QProcess& first = startFirst(firstScript);
        QTRY_VERIFY_WITH_TIMEOUT(runsAsTheFirst(first), StartMsecs);
        writeBytes(path(QStringLiteral("cd/Platterbox.Ini")), CdIni);

        QVERIFY(endsWithZero(start(copyProgram(QStringLiteral("cd")), {}, QString())));

        QCOMPARE(logOf(firstScript), QStringList{Question});
        QCOMPARE(readBytes(path(QStringLiteral("first/Platterbox.Ini"))), OwnIni);
        QCOMPARE(first.state(), QProcess::Running);
        QVERIFY(runsAsTheFirst(first));
    }

    void ignoringRefusesSilently() {
        setUserValue(QStringLiteral("dlgPreferences_cbIgnoreInstances_Checked"), 1);
        const QString firstScript = script(QStringLiteral("first.script"), "yes\n");
        QProcess& first = startFirst(firstScript);
        QTRY_VERIFY_WITH_TIMEOUT(runsAsTheFirst(first), StartMsecs);
        writeBytes(path(QStringLiteral("cd/Platterbox.Ini")), CdIni);

        QVERIFY(endsWithZero(start(copyProgram(QStringLiteral("cd")), {}, QString())));

        QVERIFY(logOf(firstScript).isEmpty());
        QCOMPARE(readBytes(path(QStringLiteral("first/Platterbox.Ini"))), OwnIni);
        QCOMPARE(first.state(), QProcess::Running);
    }

    // Frames that carry no command line are answered without a question.
    void emptyOrUnreadableFrameIsRefused_data() {
        QTest::addColumn<QByteArray>("frame");
        const auto frameOf = [](const QStringList& commandLine) {
            QByteArray frame;
            QDataStream stream(&frame, QIODevice::WriteOnly);
            stream << commandLine;
            return frame;
        };
        const QByteArray empty = frameOf({});
        const QByteArray noProgram = frameOf({QString()});
        QTest::newRow("empty command line") << empty;
        QTest::newRow("empty program path") << noProgram;
        // One string of an odd number of bytes cannot be UTF-16.
        QTest::newRow("unreadable") << QByteArray::fromHex("000000010000000341424300");
        // A count no bytes back up must not be taken as the size to make room for.
        QTest::newRow("two billion strings claimed")
            << QByteArray::fromHex("7FFFFFFF") + QByteArray((1 << 20) + 8, '\0');
        QTest::newRow("text longer than the frame")
            << QByteArray::fromHex("00000001FFFFFFF0") + QByteArray((1 << 20) + 8, 'a');
    }

    void emptyOrUnreadableFrameIsRefused() {
        QFETCH(QByteArray, frame);
        const QString firstScript = script(QStringLiteral("first.script"), "yes\n");
        QProcess& first = startFirst(firstScript);
        QTRY_VERIFY_WITH_TIMEOUT(runsAsTheFirst(first), StartMsecs);

        QLocalSocket socket;
        socket.connectToServer(socketPath());
        QVERIFY(socket.waitForConnected(StartMsecs));
        socket.write(frame);
        // The greeting (1), then the reply (0).
        while (socket.bytesAvailable() < 8 && socket.waitForReadyRead(StartMsecs)) {
        }
        QCOMPARE(socket.readAll(), QByteArray::fromHex("0000000100000000"));

        QVERIFY(logOf(firstScript).isEmpty());
        QCOMPARE(first.state(), QProcess::Running);
    }

    // The first copy asks with a real (offscreen) message box, which stays open: the second
    // copy waits for its answer, a third one is refused meanwhile. When the first copy dies
    // without answering, the waiting copy becomes the running one.
    void thirdCopyIsRefusedWhileTheQuestionIsOpen() {
        QProcess& first = startFirst(QString());
        QTRY_VERIFY_WITH_TIMEOUT(runsAsTheFirst(first), StartMsecs);
        writeBytes(path(QStringLiteral("cd/Platterbox.Ini")), OwnIni);
        const QString secondScript = script(QStringLiteral("second.script"), "no\n");
        QProcess& second = start(copyProgram(QStringLiteral("cd")), {}, secondScript);
        QTRY_COMPARE_WITH_TIMEOUT(acceptedConnections(), 1, StartMsecs);
        QTest::qWait(300); // the question opens as soon as the frame is read

        QProcess& third = start(copyProgram(QStringLiteral("cd3")), {}, QString());
        QVERIFY(endsWithZero(third));
        QCOMPARE(second.state(), QProcess::Running); // still waiting for the answer

        first.kill();
        QVERIFY(first.waitForFinished(StartMsecs));
        QTRY_VERIFY_WITH_TIMEOUT(runsAsTheFirst(second), StartMsecs);
        QVERIFY(endsWithZero(start(copyProgram(QStringLiteral("cd3")), {}, QString())));
        QCOMPARE(logOf(secondScript), QStringList{Question});
    }

    // A lock holder that never listens, or a folder where the socket belongs: the copy says so
    // once on standard error and runs on its own instead of hanging or failing silently.
    void brokenChannelIsReportedAndSurvived_data() {
        QTest::addColumn<bool>("liveLockHolder");
        QTest::addColumn<QByteArray>("report");
        QTest::newRow("live lock holder that never listens")
            << true << QByteArray("does not answer");
        QTest::newRow("folder at the socket path") << false << QByteArray("cannot listen at");
    }
    void brokenChannelIsReportedAndSurvived() {
        QFETCH(bool, liveLockHolder);
        QFETCH(QByteArray, report);
        QVERIFY(QDir().mkpath(channelFolder()));
        QFile::setPermissions(channelFolder(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QLockFile held(lockPath());
        if (liveLockHolder)
            QVERIFY(held.tryLock(0)); // this test process stays alive: the lock is not stale
        else
            QVERIFY(QDir().mkpath(socketPath()));

        writeBytes(path(QStringLiteral("first/Platterbox.Ini")), OwnIni);
        QProcess& copy = start(copyProgram(QStringLiteral("first")), {}, QString(), {}, {}, true);
        QByteArray errors;
        QTRY_VERIFY_WITH_TIMEOUT((errors += copy.readAllStandardError()).contains(report), 6000);
        QCOMPARE(errors.count("Platterbox: "), 1);
        QTest::qWait(300);
        QCOMPARE(copy.state(), QProcess::Running); // it went on to run
        QVERIFY(QFileInfo(socketPath()).isDir() == !liveLockHolder);
    }

    // A stopped first copy still accepts connections (the kernel does) but never greets: the
    // second copy asks after a few seconds instead of waiting for ever, then quits or runs
    // beside it. The first copy keeps its lock and socket, finds no hand-off to act on once
    // continued, and serves the next copy as before.
    void stoppedFirstCopyIsReportedNotWaitedFor_data() {
        QTest::addColumn<bool>("startAlone");
        QTest::newRow("quit") << false;
        QTest::newRow("start on its own") << true;
    }

    void stoppedFirstCopyIsReportedNotWaitedFor() {
        QFETCH(bool, startAlone);
        const QString firstScript = script(QStringLiteral("first.script"), "no\n");
        QProcess& first = startFirst(firstScript);
        QTRY_VERIFY_WITH_TIMEOUT(runsAsTheFirst(first), StartMsecs);
        QTest::qWait(300);
        QCOMPARE(::kill(pid_t(first.processId()), SIGSTOP), 0);
        writeBytes(path(QStringLiteral("cd/Platterbox.Ini")), OwnIni);
        const QString secondScript =
            script(QStringLiteral("second.script"), startAlone ? "yes\n" : "no\n");
        QProcess& second = start(copyProgram(QStringLiteral("cd")), {}, secondScript);
        if (startAlone) {
            QTRY_COMPARE_WITH_TIMEOUT(logOf(secondScript), QStringList{Unanswered}, StartMsecs);
            QTest::qWait(500);
            QCOMPARE(second.state(), QProcess::Running);
            second.terminate();
        }
        QVERIFY(endsWithZero(second));
        QCOMPARE(logOf(secondScript), QStringList{Unanswered});

        QCOMPARE(::kill(pid_t(first.processId()), SIGCONT), 0);
        QTest::qWait(500);
        QVERIFY(runsAsTheFirst(first));
        QVERIFY(logOf(firstScript).isEmpty());
        QVERIFY(endsWithZero(start(copyProgram(QStringLiteral("cd3")), {}, QString())));
        QCOMPARE(logOf(firstScript), QStringList{Question});
    }

    void staleLockAndSocketDoNotStopTheNextStart() {
        QProcess& crashed = startFirst(QString());
        QTRY_VERIFY_WITH_TIMEOUT(runsAsTheFirst(crashed), StartMsecs);
        crashed.kill();
        QVERIFY(crashed.waitForFinished(StartMsecs));
        QVERIFY(QFileInfo::exists(lockPath()));
        QVERIFY(QFileInfo::exists(socketPath()));

        const QString nextScript = script(QStringLiteral("next.script"), "no\n");
        QProcess& next = start(copyProgram(QStringLiteral("first")), {}, nextScript);
        QTRY_VERIFY_WITH_TIMEOUT(runsAsTheFirst(next), StartMsecs);
        QVERIFY(endsWithZero(start(copyProgram(QStringLiteral("cd")), {}, QString())));
        QCOMPARE(logOf(nextScript), QStringList{Question});
        QCOMPARE(next.state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(TestSecondCopy)
#include "tst_secondcopy.moc"
