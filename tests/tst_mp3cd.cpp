#include "CollectionTestSupport.h"
#include "FakePlayer.h"
#include "MainWindowFixture.h"
#include "XvfbServer.h"
#include "collection/gui/Mp3CdWizard.h"
#include "settings/InstanceIni.h"

#include <QDirIterator>
#include <QLineEdit>
#include <QProcess>
#include <QToolButton>
#include <QtTest>

using namespace CollectionTest;
using TestSupport::readBytes;
using TestSupport::writeBytes;

// The MP3CD wizard driven through the main window; the CD root it makes is checked file by
// file.
class TestMp3Cd : public QObject {
    Q_OBJECT

    TestSupport::IsolatedEnvironment env_;
    QTemporaryDir dir_;
    std::unique_ptr<MainWindowFixture> f_;
    QByteArray program_;

    QString cd() const { return dir_.filePath(QStringLiteral("cd")); }
    QString programPath() const { return dir_.filePath(QStringLiteral("prog/Platterbox")); }

    MainWindow& start(const QString& program = {}) {
        f_ = std::make_unique<MainWindowFixture>(dir_.filePath(QStringLiteral("~PLATBX~.M3U")));
        MainWindow& window = f_->create(program.isEmpty() ? programPath() : program);
        f_->settings.createPlaylists = {false, false, false, QStringLiteral("/b/"),
                                        QStringLiteral("L/")};
        return window;
    }

    // Runs the MP3CD wizard with the folder typed and Create pressed; true when it closed with OK.
    bool runWizard(const QString& folder) {
        ModalDialogDriver<Mp3CdWizard> driver([&](Mp3CdWizard& dialog) {
            control<QLineEdit>(dialog, "folderEdit")->setText(folder);
            control<QPushButton>(dialog, "createButton")->click();
        });
        buttonOf((*f_->window), "mp3CdButton")->click();
        return driver.ran() && !driver.leftOpen();
    }

    // The values of the INI file's "PlayLists" section, in file order.
    QStringList iniPlaylistLines() const {
        const QByteArray ini = readBytes(cd() + QStringLiteral("/Platterbox/Platterbox.Ini"));
        const QByteArray section = ini.mid(ini.indexOf("[PlayLists]\r\n"));
        QStringList lines = QString::fromUtf8(section).split(QStringLiteral("\r\n"));
        lines.removeAll(QString());
        return lines.mid(1);
    }

    QString programFolder() const { return cd() + QStringLiteral("/Platterbox"); }

    // What the CD's program folder holds, hidden entries included.
    QStringList programFolderEntries() const {
        return QDir(programFolder())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    // The files the started process has mapped, from /proc/PID/maps.
    static QStringList mappedFiles(qint64 pid) {
        QStringList files;
        const QList<QByteArray> lines =
            readBytes(QStringLiteral("/proc/%1/maps").arg(pid)).split('\n');
        for (const QByteArray& line : lines) {
            const qsizetype slash = line.indexOf(" /");
            if (slash >= 0 && !files.contains(QString::fromUtf8(line.mid(slash + 1))))
                files << QString::fromUtf8(line.mid(slash + 1));
        }
        return files;
    }

    void checkSettingsUntouched() {
        QCOMPARE(f_->settings.createPlaylists,
                 CreatePlaylistsInputs(
                     {false, false, false, QStringLiteral("/b/"), QStringLiteral("L/")}));
        QCOMPARE(TestSupport::pathTexts(f_->playlists()),
                 QStringList{dir_.filePath(QStringLiteral("listed.m3u"))});
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        program_ = readBytes(QStringLiteral(PLATTERBOX_BINARY));
        QVERIFY(program_.size() > 1000);
    }

    void init() {
        QDir(cd()).removeRecursively();
        makeTree(cd(), L({"top.mp3", "Rock/b.mp3", "Rock/a.MP3", "Rock/cover.jpg",
                          "Jazz/Live/j.wav", "Empty/", ".trash/t.mp3"}));
        writeBytes(programPath(), program_);
        QFile::setPermissions(programPath(), QFile::ReadOwner | QFile::WriteOwner);
        writeBytes(dir_.filePath(QStringLiteral("listed.m3u")), "x.mp3\r\n");
        writeBytes(programPath() + QStringLiteral(".Ini"),
                   "[General]\r\ncbShuffleWithinPL_Checked=1\r\nspinAutoExecuteDelay_Value=7\r\n"
                   "[PlayLists]\r\nTotal=1\r\nFile0=../listed.m3u\r\n");
    }

    void cleanup() { f_.reset(); }

    void makesTheCdRootFileByFile() {
        start();
        QVERIFY(runWizard(cd()));
        QCOMPARE(f_->dialogs.messages(),
                 QStringList{QStringLiteral("Structures created fine, go and burn your CD!")});
        QCOMPARE(f_->settings.mp3Cd.folder, cd() + u'/');
        checkSettingsUntouched();

        // Playlists in the music folders, sorted, bare names.
        QCOMPARE(readBytes(cd() + QStringLiteral("/_PlayList.M3U")), "top.mp3\r\n");
        QCOMPARE(readBytes(cd() + QStringLiteral("/Rock/_Rock.M3U")), "a.MP3\r\nb.mp3\r\n");
        QCOMPARE(readBytes(cd() + QStringLiteral("/Jazz/Live/_Jazz - Live.M3U")), "j.wav\r\n");
        QVERIFY(!QFile::exists(cd() + QStringLiteral("/Jazz/_Jazz.M3U")));
        QVERIFY(!QFile::exists(cd() + QStringLiteral("/Empty/_Empty.M3U")));
        QVERIFY(!QFile::exists(cd() + QStringLiteral("/.trash/_.trash.M3U")));

        // The program copy: the same bytes, executable.
        const QString copy = cd() + QStringLiteral("/Platterbox/Platterbox");
        QCOMPARE(readBytes(copy), program_);
        QVERIFY(QFileInfo(copy).isExecutable());

        // The INI file: the current per-copy settings and the CD's playlists relative to it.
        const QByteArray ini = readBytes(cd() + QStringLiteral("/Platterbox/Platterbox.Ini"));
        QVERIFY(ini.startsWith("[General]\r\ncbAutoExecute_Checked=0\r\n"));
        QVERIFY(ini.contains("\r\ncbShuffleWithinPL_Checked=1\r\n"));
        QVERIFY(ini.contains("\r\nspinAutoExecuteDelay_Value=7\r\n"));
        QStringList lines = iniPlaylistLines();
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.takeFirst(), QStringLiteral("Total=3"));
        QStringList values;
        for (int i = 0; i < lines.size(); ++i) {
            QVERIFY(lines.at(i).startsWith(QStringLiteral("File%1=../").arg(i)));
            values << lines.at(i).section(u'=', 1);
        }
        values.sort();
        QCOMPARE(values,
                 L({"../Jazz/Live/_Jazz - Live.M3U", "../Rock/_Rock.M3U", "../_PlayList.M3U"}));
        Settings loaded;
        QList<QByteArray> loadedPlaylists;
        ScriptedDialogs quiet;
        readInstanceIni(cd() + QStringLiteral("/Platterbox/Platterbox.Ini"), loaded,
                        loadedPlaylists, quiet);
        QVERIFY(quiet.records().isEmpty());
        QCOMPARE(loadedPlaylists.size(), 3);
        for (const QString& path : TestSupport::pathTexts(loadedPlaylists))
            QVERIFY2(QFileInfo(path).isFile() && path.startsWith(cd() + u'/'), qPrintable(path));

        QCOMPARE(readBytes(cd() + QStringLiteral("/AutoRun.INF")),
                 QByteArray("[autorun]\r\nOPEN=Platterbox/Platterbox\r\n"
                            "ICON=Platterbox/Platterbox,0\r\n"));
        const QString script = cd() + QStringLiteral("/autorun.sh");
        QVERIFY(readBytes(script).startsWith("#!/bin/sh\n"));
        QVERIFY(readBytes(script).contains("exec ./Platterbox/Platterbox"));
        QVERIFY(QFileInfo(script).isExecutable());

        // Self-contained: Qt and what it needs beside the program, the base system left out.
        QCOMPARE(programFolderEntries(),
                 L({"Platterbox", "Platterbox.Ini", "lib", "plugins", "qt.conf"}));
        const QStringList libs =
            QDir(programFolder() + QStringLiteral("/lib")).entryList(QDir::Files);
        for (const char* bundled : {"libQt6Core.so.6", "libQt6Gui.so.6", "libQt6Widgets.so.6",
                                    "libQt6Network.so.6", "libQt6Svg.so.6", "libQt6XcbQpa.so.6",
                                    "libgio-2.0.so.0", "libdouble-conversion.so.3"})
            QVERIFY2(libs.contains(S(bundled)), bundled);
        QVERIFY(libs.filter(QRegularExpression(QStringLiteral("^libicuuc\\.so"))).size() == 1);
        QVERIFY(libs.filter(QRegularExpression(QStringLiteral("^libpcre2-16\\.so"))).size() == 1);
        const QRegularExpression base(QStringLiteral(
            "^(libc|libm|ld-linux.*|libstdc\\+\\+|libgcc_s|libX11|libxcb|libGL.*|libEGL|"
            "libfontconfig|libfreetype)\\.so"));
        QVERIFY2(libs.filter(base).isEmpty(), qPrintable(libs.filter(base).join(u' ')));
        for (const char* plugin :
             {"platforms/libqxcb.so", "imageformats/libqsvg.so", "iconengines/libqsvgicon.so"})
            QVERIFY2(QFileInfo(programFolder() + QStringLiteral("/plugins/") + S(plugin)).isFile(),
                     plugin);
        QCOMPARE(readBytes(programFolder() + QStringLiteral("/qt.conf")),
                 "[Paths]\nPrefix = .\nPlugins = plugins\n");
    }

    // The copy under the wait window: an abort there keeps the previous copy whole and
    // leaves nothing half-written.
    void abortedCopyLeavesThePreviousCopyWhole() {
        start();
        QVERIFY(runWizard(cd()));
        const QStringList before = programFolderEntries();
        const QByteArray core = readBytes(programFolder() + QStringLiteral("/lib/libQt6Core.so.6"));
        QVERIFY(core.size() > 1000000);
        writeBytes(programPath(), "newer program");
        f_->dialogs.clear();
        AbortWhenShowing abort(QStringLiteral("plugins/platforms/libqxcb.so"));
        QVERIFY(!runWizard(cd()));
        QVERIFY(abort.clicked());
        QCOMPARE(f_->dialogs.messages(),
                 QStringList{S("Unable to copy Platterbox's .EXE file to destination folder!")});
        QCOMPARE(programFolderEntries(), before);
        QCOMPARE(readBytes(programFolder() + QStringLiteral("/Platterbox")), program_);
        QCOMPARE(readBytes(programFolder() + QStringLiteral("/lib/libQt6Core.so.6")), core);
        QVERIFY(openWaitWindow() == nullptr);
    }

    // The acceptance check of a CD made here: its copy starts on an X server with every Qt
    // library and plugin taken from the CD, and plays the CD's playlists found through the
    // relative paths of its INI file.
    void cdCopyStartsFromItsOwnLibraries() {
        XvfbServer x;
        if (!x.isRunning())
            QSKIP("Xvfb is not installed (Debian package xvfb)");
        FakePlayer player;
        QVERIFY(player.isValid());
        start();
        Preferences& p = f_->settings.preferences;
        p.autoPlay = true;
        p.autoPlayAfterDelay = false;
        p.hideWhileAutoPlaying = false;
        p.closeAfterAutoPlay = true;
        p.closeDelaySeconds = 4;
        p.shuffleMode = ShuffleMode::Normal;
        p.shufflePlaylists = false;
        QDir(cd()).removeRecursively();
        makeTree(cd(), L({"Rock/a.mp3", "Rock/b.mp3"}));
        QVERIFY(runWizard(cd()));
        // The CD as it is mounted elsewhere: another folder, the same relative layout.
        const QString mounted = dir_.filePath(QStringLiteral("media/disc"));
        QVERIFY(QDir().mkpath(dir_.filePath(QStringLiteral("media"))));
        QVERIFY(QDir().rename(cd(), mounted));

        QProcessEnvironment env = player.environment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DISPLAY"), x.display());
        const QString runtime = dir_.filePath(QStringLiteral("run"));
        QVERIFY(QDir().mkpath(runtime));
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), env_.configHome());
        env.remove(QStringLiteral("LD_LIBRARY_PATH"));
        env.remove(QStringLiteral("QT_PLUGIN_PATH"));
        env.insert(QStringLiteral("PLATTERBOX_TEST_DIALOGS"),
                   dir_.filePath(QStringLiteral("answers")));
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(mounted + QStringLiteral("/Platterbox/Platterbox"), QStringList());
        QVERIFY(program.waitForStarted());
        const bool played = player.waitForLaunches(1, 20000);
        const QStringList mapped = mappedFiles(program.processId());
        const bool finished = program.waitForFinished(20000);
        if (!finished)
            program.kill();
        QVERIFY2(played, program.readAllStandardError().constData());
        QCOMPARE(player.launches().at(0).playlist, (mounted + QStringLiteral("/Rock/a.mp3\r\n") +
                                                    mounted + QStringLiteral("/Rock/b.mp3\r\n"))
                                                       .toUtf8());
        QVERIFY(finished);
        QCOMPARE(program.exitCode(), 0);

        const QStringList qt =
            mapped.filter(QRegularExpression(QStringLiteral("libQt6|/plugins/|libicu")));
        for (const char* needed :
             {"/lib/libQt6Widgets.so.6", "/lib/libQt6XcbQpa.so.6", "/plugins/platforms/libqxcb.so",
              "/plugins/iconengines/libqsvgicon.so"})
            QVERIFY2(qt.contains(mounted + QStringLiteral("/Platterbox") + S(needed)), needed);
        for (const QString& file : qt)
            QVERIFY2(file.startsWith(mounted + QStringLiteral("/Platterbox/")), qPrintable(file));
    }

    // Whatever the running file is called, the copy is the name autorun and the INI file use.
    void copyIsAlwaysNamedPlatterbox() {
        const QString other = dir_.filePath(QStringLiteral("prog/platterbox-1.3"));
        writeBytes(other, "other program");
        start(other);
        f_->dialogs.clear();
        QVERIFY(runWizard(cd() + u'/'));
        QCOMPARE(readBytes(cd() + QStringLiteral("/Platterbox/Platterbox")), "other program");
        QVERIFY(!QFile::exists(cd() + QStringLiteral("/Platterbox/platterbox-1.3")));
    }

    void treeWithoutMediaListsNoPlaylists() {
        QDir(cd()).removeRecursively();
        makeTree(cd(), L({"docs/readme.txt"}));
        start();
        QVERIFY(runWizard(cd()));
        QCOMPARE(iniPlaylistLines(), QStringList{QStringLiteral("Total=0")});
        QVERIFY(QFile::exists(cd() + QStringLiteral("/AutoRun.INF")));
    }

    void secondRunReplacesEverything() {
        start();
        QVERIFY(runWizard(cd()));
        QVERIFY(QDir(cd() + QStringLiteral("/Jazz")).removeRecursively());
        QFile::remove(cd() + QStringLiteral("/Rock/b.mp3"));
        writeBytes(programPath(), "newer program");
        writeBytes(cd() + QStringLiteral("/AutoRun.INF"), "[autorun]\r\nOPEN=other\r\n");
        f_->dialogs.clear();
        QVERIFY(runWizard(cd()));
        QCOMPARE(readBytes(cd() + QStringLiteral("/Rock/_Rock.M3U")), "a.MP3\r\n");
        QCOMPARE(readBytes(cd() + QStringLiteral("/Platterbox/Platterbox")), "newer program");
        QCOMPARE(readBytes(cd() + QStringLiteral("/AutoRun.INF")),
                 QByteArray("[autorun]\r\nOPEN=Platterbox/Platterbox\r\n"
                            "ICON=Platterbox/Platterbox,0\r\n"));
        const QStringList lines = iniPlaylistLines();
        QCOMPARE(lines.size(), 3); // no File2 left behind
        QCOMPARE(lines.first(), QStringLiteral("Total=2"));
        const QByteArray ini = readBytes(cd() + QStringLiteral("/Platterbox/Platterbox.Ini"));
        QCOMPARE(ini.count("[PlayLists]"), 1);
    }

    // Temporary files that killed writes left in the CD root and the program folder (of the
    // CD's own files or of a playlist the user edited there) do not go onto the CD; a live
    // writer's stays.
    void leftoversOfKilledWritesLeaveTheCd_data() {
        QTest::addColumn<QString>("leftover"); // %1 is the writer's process
        QTest::newRow("a playlist of the CD") << QStringLiteral("._PlayList.M3U.%1.tmp");
        QTest::newRow("a playlist of the user's") << QStringLiteral(".mix.m3u.%1.tmp");
        QTest::newRow("the autorun file") << QStringLiteral(".AutoRun.INF.%1.tmp");
        QTest::newRow("the CD's INI file") << QStringLiteral("Platterbox/.Platterbox.Ini.%1.tmp");
        QTest::newRow("a file of an earlier copy") << QStringLiteral("Platterbox/.qt.conf.%1.tmp");
    }

    void leftoversOfKilledWritesLeaveTheCd() {
        QFETCH(QString, leftover);
        QProcess ended;
        ended.start(QStringLiteral("true"), QStringList());
        QVERIFY(ended.waitForStarted());
        const qint64 gone = ended.processId();
        QVERIFY(ended.waitForFinished());
        QProcess running;
        running.start(QStringLiteral("sleep"), {QStringLiteral("60")});
        QVERIFY(running.waitForStarted());
        const QString dead = cd() + u'/' + leftover.arg(gone);
        const QString alive = cd() + u'/' + leftover.arg(running.processId());
        writeBytes(dead, "half");
        writeBytes(alive, "half");
        start();
        QVERIFY(runWizard(cd()));
        running.kill();
        running.waitForFinished();
        QVERIFY(!QFileInfo::exists(dead));
        QVERIFY(QFileInfo::exists(alive));
        QFile::remove(alive);
        QDirIterator it(cd(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString name = it.next();
            QVERIFY2(!name.endsWith(QLatin1String(".tmp")), qPrintable(name));
        }
    }

    void abortStopsBeforeTheProgramFolder() {
        start();
        AbortWhenShowing abort(cd() + u'/');
        QVERIFY(!runWizard(cd()));
        QVERIFY(abort.clicked());
        QCOMPARE(f_->dialogs.messages(), QStringList{QStringLiteral("Error creating playlists!")});
        QVERIFY(QFile::exists(cd() + QStringLiteral("/_PlayList.M3U"))); // written before
        QVERIFY(!QFile::exists(cd() + QStringLiteral("/Rock/_Rock.M3U")));
        QVERIFY(!QFile::exists(cd() + QStringLiteral("/Platterbox")));
        QVERIFY(!QFile::exists(cd() + QStringLiteral("/AutoRun.INF")));
        QVERIFY(f_->settings.mp3Cd.folder.isEmpty());
        checkSettingsUntouched();
    }

    void failures_data() {
        QTest::addColumn<QString>("folder"); // "<cd>" stands for the CD folder
        QTest::addColumn<QString>("blocker");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("closed");
        const QString ok = S("Structures created fine, go and burn your CD!");
        QTest::newRow("missing folder")
            << S("<cd>/gone") << S("") << QStringList{S("Folder specified was not found!")}
            << false;
        QTest::newRow("empty folder text")
            << S("") << S("") << QStringList{S("Folder specified was not found!")} << false;
        QTest::newRow("a file where the program folder goes")
            << S("<cd>") << S("program folder")
            << QStringList{S("<cd>/Platterbox/\rFolder could not be created!")} << false;
        QTest::newRow("no program file to copy")
            << S("<cd>") << S("program file")
            << QStringList{S("Unable to copy Platterbox's .EXE file to destination folder!")}
            << false;
        QTest::newRow("a folder where AutoRun.INF goes")
            << S("<cd>") << S("autorun") << QStringList{S("AUTORUN.INF file could not be written!")}
            << false;
        QTest::newRow("INI file cannot be written: reported, and the wizard carries on")
            << S("<cd>") << S("ini")
            << QStringList{S("Error saving initialization information!"), ok} << true;
        QTest::newRow("music folder refuses its playlist")
            << S("<cd>") << S("music folder")
            << QStringList{S("Error creating play list:\r<cd>/Rock/_Rock.M3U"),
                           S("Cannot create file <cd>/Rock/_Rock.M3U")}
            << false;
    }

    void failures() {
        QFETCH(QString, folder);
        QFETCH(QString, blocker);
        QFETCH(QStringList, messages);
        QFETCH(bool, closed);
        start();
        f_->settings.mp3Cd.folder = QStringLiteral("/previous/");
        if (blocker == QLatin1String("program folder"))
            writeBytes(cd() + QStringLiteral("/Platterbox"), "a file");
        if (blocker == QLatin1String("program file"))
            QFile::remove(programPath());
        if (blocker == QLatin1String("autorun"))
            QDir().mkpath(cd() + QStringLiteral("/AutoRun.INF/"));
        if (blocker == QLatin1String("ini"))
            QDir().mkpath(cd() + QStringLiteral("/Platterbox/Platterbox.Ini/"));
        std::unique_ptr<TestSupport::ReadOnlyFolder> guard;
        if (blocker == QLatin1String("music folder")) {
            QDir(cd()).removeRecursively();
            makeTree(cd(), L({"Rock/a.mp3"}));
            guard = std::make_unique<TestSupport::ReadOnlyFolder>(cd() + QStringLiteral("/Rock"));
            QVERIFY(guard->effective());
        }

        QCOMPARE(runWizard(folder.replace(QLatin1String("<cd>"), cd())), closed);
        for (QString& message : messages)
            message.replace(QLatin1String("<cd>"), cd());
        QCOMPARE(f_->dialogs.messages(), messages);
        // The failure that stops the wizard comes in an error box.
        QCOMPARE(f_->dialogs.errors(), closed ? QStringList() : QStringList{messages.last()});
        QCOMPARE(f_->settings.mp3Cd.folder, closed ? cd() + u'/' : QStringLiteral("/previous/"));
        if (blocker == QLatin1String("program file")) // nothing half-written
            QCOMPARE(programFolderEntries(), QStringList());
        checkSettingsUntouched();
        QVERIFY(openWaitWindow() == nullptr);
    }

    void browseReplacesTheFolderUnlessCancelled() {
        start();
        f_->settings.mp3Cd.folder = QStringLiteral("/before");
        f_->dialogs.answerFolder(std::nullopt);
        f_->dialogs.answerFolder(cd());
        QStringList seen;
        ModalDialogDriver<Mp3CdWizard> driver([&](Mp3CdWizard& dialog) {
            seen << control<QLineEdit>(dialog, "folderEdit")->text();
            control<QToolButton>(dialog, "folderBrowseButton")->click();
            seen << control<QLineEdit>(dialog, "folderEdit")->text();
            control<QToolButton>(dialog, "folderBrowseButton")->click();
            seen << control<QLineEdit>(dialog, "folderEdit")->text();
        });
        buttonOf((*f_->window), "mp3CdButton")->click();
        QCOMPARE(seen, QStringList({QStringLiteral("/before"), QStringLiteral("/before"), cd()}));
        QCOMPARE(f_->dialogs.records().at(0).text,
                 QStringLiteral("Select the base folder for your MP3CD:"));
        QCOMPARE(f_->settings.mp3Cd.folder, QStringLiteral("/before")); // cancelled
    }
};

QTEST_MAIN(TestMp3Cd)
#include "tst_mp3cd.moc"
