#include "CollectionTestSupport.h"
#include "MainWindowFixture.h"
#include "collection/PlaylistCreation.h"
#include "collection/gui/CreatePlaylistsDialog.h"

#include <QCheckBox>
#include <QLocale>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace CollectionTest;
using TestSupport::readBytes;

// Create Playlists driven through the main window on real trees: where each playlist goes,
// its name and entries, sorting, the messages, and what is remembered and added.
class TestCreatePlaylists : public QObject {
    Q_OBJECT

    TestSupport::IsolatedEnvironment env_;
    QTemporaryDir dir_;
    std::unique_ptr<MainWindowFixture> f_;

    QString music() const { return dir_.filePath(QStringLiteral("music")); }

    MainWindow& start() {
        f_ = std::make_unique<MainWindowFixture>(dir_.filePath(QStringLiteral("~PLATBX~.M3U")));
        return f_->create(dir_.filePath(QStringLiteral("prog/Platterbox")));
    }

    // Runs Create Playlists with the controls set and Create pressed (then `more`); true when
    // the dialog closed with OK.
    bool createWith(const CreatePlaylistsInputs& input,
                    const std::function<void(CreatePlaylistsDialog&)>& more = {}) {
        ModalDialogDriver<CreatePlaylistsDialog> driver([&](CreatePlaylistsDialog& dialog) {
            control<QRadioButton>(dialog, input.inMusicFolders ? "inMusicFoldersRadio"
                                                               : "inPlaylistsFolderRadio")
                ->setChecked(true);
            control<QCheckBox>(dialog, "sortCheck")->setChecked(input.sorted);
            control<QCheckBox>(dialog, "subFoldersCheck")->setChecked(input.withSubFolders);
            control<QLineEdit>(dialog, "baseFolderEdit")->setText(input.baseFolder);
            control<QLineEdit>(dialog, "playlistsFolderEdit")->setText(input.playlistsFolder);
            control<QPushButton>(dialog, "createButton")->click();
            if (more)
                more(dialog);
        });
        buttonOf((*f_->window), "createPlaylistsButton")->click();
        return driver.ran() && !driver.leftOpen();
    }

    static CreatePlaylistsInputs input(bool inFolders, const QString& base,
                                       const QString& plFolder = {}, bool sort = true,
                                       bool subFolders = true) {
        return {inFolders, sort, subFolders, base, plFolder};
    }

    QStringList addedBelowMusic() const {
        QStringList paths;
        for (const QString& path : TestSupport::pathTexts(f_->playlists()))
            paths << below(music(), path);
        return paths;
    }

    // Every playlist file below the music folder as "path|entry|entry...".
    QStringList playlistsOnDisk() const {
        QStringList found;
        QDirIterator it(music(), {QStringLiteral("*.M3U")}, QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QString text = QString::fromUtf8(readBytes(path));
            if (text.endsWith(QLatin1String("\r\n")))
                text.chop(2);
            else
                text += QStringLiteral("<no CR LF at the end>");
            found << below(music(), path) + u'|' + text.split(QStringLiteral("\r\n")).join(u'|');
        }
        found.sort();
        return found;
    }

    static QStringList musicTree() {
        return L({"b.mp3", "A.MP3", "c.mid", "notes.txt", "Rock/y.mid", "Rock/x.WAV",
                  "Rock/Live 1999/CD1/z.mp3", "Rock/Empty/", ".hidden/h.mp3", "Best.MP3/in.669",
                  "old./o.mp3"});
    }

    // Files named by their bytes, which need not be valid UTF-8; empty files.
    static void makeNativeFiles(const QByteArray& root, const QList<QByteArray>& paths) {
        for (const QByteArray& path : paths) {
            const QByteArray full = root + '/' + path;
            ::mkdir(full.left(full.lastIndexOf('/')).constData(), 0755);
            const int fd = ::open(full.constData(), O_WRONLY | O_CREAT, 0644);
            QVERIFY2(fd >= 0, full.constData());
            ::close(fd);
        }
    }

    static QByteArray readNative(const QByteArray& path) {
        QByteArray bytes;
        const int fd = ::open(path.constData(), O_RDONLY);
        char buffer[4096];
        for (ssize_t n; fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            bytes.append(buffer, n);
        if (fd >= 0)
            ::close(fd);
        return bytes;
    }

    // Every entry of a folder by its bytes, sorted: a half-written or temporary file shows.
    static QList<QByteArray> nativeNames(const QByteArray& folder) {
        QList<QByteArray> names;
        if (DIR* dir = ::opendir(folder.constData())) {
            while (const dirent* entry = ::readdir(dir))
                if (qstrcmp(entry->d_name, ".") != 0 && qstrcmp(entry->d_name, "..") != 0)
                    names << QByteArray(entry->d_name);
            ::closedir(dir);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private Q_SLOTS:
    void init() {
        QVERIFY(dir_.isValid());
        TestSupport::writeBytes(dir_.filePath(QStringLiteral("prog/Platterbox.Ini")),
                                "[General]\r\n");
        QDir(music()).removeRecursively();
        makeTree(music(), musicTree());
    }

    void cleanup() {
        f_.reset();
        // Qt cannot name files whose names are not UTF-8, so those go by their bytes.
        removeNativeTree(QFile::encodeName(music()));
    }

    void writesOnePlaylistPerMusicFolder_data() {
        QTest::addColumn<bool>("inFolders");
        QTest::addColumn<QString>("plFolder");
        QTest::addColumn<bool>("sort");
        QTest::addColumn<bool>("subFolders");
        QTest::addColumn<QStringList>("playlists");
        QTest::newRow("in the music folders, sorted")
            << true << S("ignored") << true << true
            << L({"Best.MP3/_Best.MP3.M3U|in.669",
                  "Rock/Live 1999/CD1/_Rock - Live 1999 - CD1.M3U|z.mp3",
                  "Rock/_Rock.M3U|x.WAV|y.mid", "_PlayList.M3U|A.MP3|b.mp3|Best.MP3|c.mid"});
        QTest::newRow("in a playlists folder")
            << false << S("PlayLists") << true << true
            << L({"PlayLists/Best.MP3.M3U|../Best.MP3/in.669",
                  "PlayLists/PlayList.M3U|../A.MP3|../b.mp3|../Best.MP3|../c.mid",
                  "PlayLists/Rock - Live 1999 - CD1.M3U|../Rock/Live 1999/CD1/z.mp3",
                  "PlayLists/Rock.M3U|../Rock/x.WAV|../Rock/y.mid"});
        QTest::newRow("in the base folder itself")
            << false << S("") << true << true
            << L({"Best.MP3.M3U|Best.MP3/in.669", "PlayList.M3U|A.MP3|b.mp3|Best.MP3|c.mid",
                  "Rock - Live 1999 - CD1.M3U|Rock/Live 1999/CD1/z.mp3",
                  "Rock.M3U|Rock/x.WAV|Rock/y.mid"});
        QTest::newRow("base folder alone")
            << true << S("") << true << false << L({"_PlayList.M3U|A.MP3|b.mp3|Best.MP3|c.mid"});
    }

    void writesOnePlaylistPerMusicFolder() {
        QFETCH(bool, inFolders);
        QFETCH(QString, plFolder);
        QFETCH(bool, sort);
        QFETCH(bool, subFolders);
        QFETCH(QStringList, playlists);
        // A link to a music folder outside the tree: a run must not write there.
        const QString outside = dir_.filePath(QStringLiteral("outside"));
        makeTree(outside, L({"o.mp3"}));
        QVERIFY(QFile::link(outside, music() + QStringLiteral("/Out")));
        MainWindow& window = start();
        QVERIFY(createWith(input(inFolders, music(), plFolder, sort, subFolders)));
        QCOMPARE(f_->dialogs.messages(),
                 QStringList{QStringLiteral("Playlists created successfully.")});
        QCOMPARE(playlistsOnDisk(), playlists);
        QCOMPARE(QDir(outside).entryList(QDir::Files | QDir::Hidden), L({"o.mp3"}));
        QDir(outside).removeRecursively();

        // Added in walk order, selected, the last one focused.
        QStringList folders;
        QStringList added;
        for (const QString& path : addedBelowMusic()) {
            added << path;
            const QString name = path.mid(path.lastIndexOf(u'/') + 1);
            QString folder = name.mid(inFolders ? 1 : 0)
                                 .chopped(4)
                                 .replace(QLatin1String(" - "), QLatin1String("/")) +
                             u'/';
            folders << (folder == QLatin1String("PlayList/") ? QString() : folder);
        }
        QVERIFY2(isPreOrderSubsequence(folders), qPrintable(folders.join(u' ')));
        added.sort();
        QStringList expected;
        for (const QString& entry : playlists)
            expected << entry.section(u'|', 0, 0);
        QCOMPARE(added, expected);
        QCOMPARE(selectedRowsOf(playlistViewOf(window)).size(), expected.size());
        QCOMPARE(currentRowOf(playlistViewOf(window)), expected.size() - 1);
        QVERIFY(buttonOf(window, "removePlaylistsButton")->isEnabled());
    }

    // Whatever the playlists folder says, the entries written name the files: ".." puts the
    // playlists beside the base folder, and a remembered value may hold more than the dialog
    // lets through.
    void entriesNameTheFilesWhateverThePlaylistsFolderSays_data() {
        QTest::addColumn<QString>("plFolder");
        QTest::addColumn<QString>("firstPlaylist"); // of the base folder, below the test folder
        QTest::newRow("..") << S("..") << S("PlayList.M3U");
        QTest::newRow("climbing, doubled and dotted")
            << S("Rock/..//./Lists/") << S("music/Lists/PlayList.M3U");
    }

    void entriesNameTheFilesWhateverThePlaylistsFolderSays() {
        QFETCH(QString, plFolder);
        QFETCH(QString, firstPlaylist);
        CreatePlaylistsInputs values = input(false, music(), plFolder);
        ScriptedDialogs dialogs;
        QList<QByteArray> created;
        QVERIFY(PlaylistCreation(values, dialogs, runWithoutWaitWindow)
                    .createPlaylists(created)
                    .completed);
        QCOMPARE(created.size(), 4);
        QCOMPARE(QFile::decodeName(created.first()), dir_.filePath(firstPlaylist));
        for (const QByteArray& playlist : std::as_const(created)) {
            const QDir folder = QFileInfo(QFile::decodeName(playlist)).dir();
            const QList<QByteArray> entries = readNative(playlist).split('\n');
            QVERIFY(entries.size() > 1);
            for (const QByteArray& entry : entries.first(entries.size() - 1))
                QVERIFY2(QFileInfo::exists(folder.filePath(QString::fromUtf8(entry.chopped(1)))),
                         entry.constData());
        }
        QFile::remove(dir_.filePath(QStringLiteral("PlayList.M3U")));
    }

    // What a run wrote is made durable once per file system, and a failure to do so is a
    // failure to write.
    void createdPlaylistsAreFlushed_data() {
        QTest::addColumn<bool>("flushWorks");
        QTest::newRow("flushed") << true;
        QTest::newRow("flush fails") << false;
    }

    void createdPlaylistsAreFlushed() {
        QFETCH(bool, flushWorks);
        CreatePlaylistsInputs values = input(true, music());
        ScriptedDialogs dialogs;
        QList<QByteArray> flushed;
        const auto flush = [&](const QByteArray& folder) {
            flushed << folder;
            return flushWorks ? Status::ok() : Status::failure(QStringLiteral("EIO"));
        };
        QList<QByteArray> created;
        const WalkResult run =
            PlaylistCreation(values, dialogs, runWithoutWaitWindow, flush).createPlaylists(created);
        QCOMPARE(created.size(), 4);
        QCOMPARE(flushed.size(), 1);
        QVERIFY(created.first().startsWith(flushed.first()));
        QCOMPARE(run.completed, flushWorks);
        QCOMPARE(dialogs.messages(),
                 flushWorks ? QStringList()
                            : QStringList{QStringLiteral("Error creating play list:\r") +
                                          QFile::decodeName(flushed.first())});
    }

    // A Create after a killed one: the leftovers of its writes go, in the music folders (seen in
    // the folder's own listing) and in a playlists folder (listed by the writer); a running
    // writer's stays.
    void leftoversOfAKilledCreateGo_data() {
        QTest::addColumn<bool>("inFolders");
        QTest::addColumn<QString>("playlist"); // the base folder's, below the test folder
        QTest::newRow("in the music folders") << true << S("music/_PlayList.M3U");
        QTest::newRow("in a playlists folder") << false << S("music/Lists/PlayList.M3U");
    }

    void leftoversOfAKilledCreateGo() {
        QFETCH(bool, inFolders);
        QFETCH(QString, playlist);
        QProcess ended;
        ended.start(S("true"), QStringList());
        QVERIFY(ended.waitForStarted());
        const qint64 gone = ended.processId();
        QVERIFY(ended.waitForFinished());
        QProcess running;
        running.start(S("sleep"), {S("60")});
        QVERIFY(running.waitForStarted());
        const QFileInfo target(dir_.filePath(playlist));
        QVERIFY(QDir().mkpath(target.path()));
        const auto leftover = [&](qint64 process) {
            return target.dir().filePath(u'.' + target.fileName() + u'.' +
                                         QString::number(process) + S(".tmp"));
        };
        TestSupport::writeBytes(leftover(gone), "half a save");
        TestSupport::writeBytes(leftover(running.processId()), "a save going on");
        CreatePlaylistsInputs values = input(inFolders, music(), S("Lists"));
        ScriptedDialogs dialogs;
        QList<QByteArray> created;
        QVERIFY(PlaylistCreation(values, dialogs, runWithoutWaitWindow)
                    .createPlaylists(created)
                    .completed);
        QVERIFY(created.contains(QFile::encodeName(target.filePath())));
        QVERIFY(!QFile::exists(leftover(gone)));
        QVERIFY(QFile::exists(leftover(running.processId())));
        running.kill();
        running.waitForFinished();
    }

    // Without sorting the names stay grouped mask by mask in table order.
    void unsortedEntriesComeMaskByMask() {
        QDir(music()).removeRecursively();
        makeTree(music(), L({"a.AS", "b.669", "c.wav", "d.MP1", "e.mp3", "f.mid", "g.mp3"}));
        start();
        QVERIFY(createWith(input(true, music(), {}, false, false)));
        const QByteArray text = readBytes(music() + QStringLiteral("/_PlayList.M3U"));
        const QList<QByteArray> lines = text.split('\n');
        QCOMPARE(lines.size(), 8);
        QCOMPARE(lines.at(0), "f.mid\r");
        QCOMPARE(QSet<QByteArray>({lines.at(1), lines.at(2)}),
                 QSet<QByteArray>({"e.mp3\r", "g.mp3\r"}));
        QCOMPARE(lines.mid(3, 4), QList<QByteArray>({"d.MP1\r", "c.wav\r", "b.669\r", "a.AS\r"}));
    }

    // Names are bytes on Linux: a Latin-1 name from an old disk reaches the playlist as it
    // is, and a name with a line break, which no playlist line can hold, is left out.
    void entriesKeepTheBytesOfTheNames_data() {
        QTest::addColumn<QList<QByteArray>>("files");
        QTest::addColumn<bool>("inFolders");
        QTest::addColumn<QByteArray>("playlist"); // below the music folder
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QList<QByteArray>>("besideIt"); // the playlist's folder afterwards
        QTest::newRow("Latin-1 file name")
            << QList<QByteArray>{"Caf\xe9.mp3", "b.mp3"} << true << QByteArray("_PlayList.M3U")
            << QByteArray("b.mp3\r\nCaf\xe9.mp3\r\n")
            << QList<QByteArray>{"Caf\xe9.mp3", "b.mp3", "_PlayList.M3U"};
        QTest::newRow("Latin-1 folder and file, playlists folder")
            << QList<QByteArray>{"M\xfcller/Gr\xfc\xdf"
                                 "e.MP3"}
            << false << QByteArray("Lists/M\xfcller.M3U")
            << QByteArray("../M\xfcller/Gr\xfc\xdf"
                          "e.MP3\r\n")
            << QList<QByteArray>{"M\xfcller.M3U"};
        QTest::newRow("line feed in a name")
            << QList<QByteArray>{"a\nb.mp3", "c.mp3", "d\n.mp3"} << true
            << QByteArray("_PlayList.M3U") << QByteArray("c.mp3\r\n")
            << QList<QByteArray>{"a\nb.mp3", "c.mp3", "d\n.mp3", "_PlayList.M3U"};
        QTest::newRow("carriage return in a name")
            << QList<QByteArray>{"a\rb.mp3", "c.mp3"} << false << QByteArray("Lists/PlayList.M3U")
            << QByteArray("../c.mp3\r\n") << QList<QByteArray>{"PlayList.M3U"};
    }

    void entriesKeepTheBytesOfTheNames() {
        QFETCH(QList<QByteArray>, files);
        QFETCH(bool, inFolders);
        QFETCH(QByteArray, playlist);
        QFETCH(QByteArray, text);
        QFETCH(QList<QByteArray>, besideIt);
        QDir(music()).removeRecursively();
        QDir().mkpath(music());
        const QByteArray root = QFile::encodeName(music()) + '/';
        makeNativeFiles(root, files);
        start();
        QVERIFY(createWith(input(inFolders, music(), QStringLiteral("Lists"))));
        QCOMPARE(readNative(root + playlist), text);
        // Nothing else is written there: no temporary file is left beside the playlist.
        std::sort(besideIt.begin(), besideIt.end());
        QCOMPARE(nativeNames(root + playlist.left(playlist.lastIndexOf('/') + 1)), besideIt);
    }

    // Started in the C locale, names still sort as people read them, not by code point.
    void sortsByLettersInTheCLocale() {
        QDir(music()).removeRecursively();
        makeTree(music(), L({"z.mp3", "\u00c4rger.mp3", "\u00e9t\u00e9.mp3", "a.mp3", "B.mp3"}));
        const QLocale before;
        QLocale::setDefault(QLocale::c());
        start();
        const bool created = createWith(input(true, music(), {}, true, false));
        QLocale::setDefault(before);
        QVERIFY(created);
        QCOMPARE(
            readBytes(music() + QStringLiteral("/_PlayList.M3U")),
            QStringLiteral("a.mp3\r\n\u00c4rger.mp3\r\nB.mp3\r\n\u00e9t\u00e9.mp3\r\nz.mp3\r\n")
                .toUtf8());
    }

    // An existing playlist that is read-only is refused and stays as it was; a writable one
    // is replaced as a whole and keeps its permissions.
    void replacingAPlaylist_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("read-only") << 0444 << false;
        QTest::newRow("private") << 0600 << true;
    }

    void replacingAPlaylist() {
        QFETCH(int, mode);
        QFETCH(bool, replaced);
        const QString list = music() + QStringLiteral("/_PlayList.M3U");
        const QByteArray native = QFile::encodeName(list);
        TestSupport::writeBytes(list, "old\r\n");
        QVERIFY(::chmod(native.constData(), mode_t(mode)) == 0);
        const QList<QByteArray> before = nativeNames(QFile::encodeName(music()));
        start();
        QCOMPARE(createWith(input(true, music(), {}, true, false)), replaced);
        QCOMPARE(readBytes(list), replaced ? QByteArray("A.MP3\r\nb.mp3\r\nBest.MP3\r\nc.mid\r\n")
                                           : QByteArray("old\r\n"));
        struct stat info {};
        QVERIFY(::stat(native.constData(), &info) == 0);
        QCOMPARE(int(info.st_mode & 0777), mode);
        QCOMPARE(nativeNames(QFile::encodeName(music())), before); // no temporary file left
        if (!replaced)
            QCOMPARE(f_->dialogs.messages(),
                     QStringList({QStringLiteral("Error creating play list:\r") + list,
                                  QStringLiteral("Cannot create file ") + list}));
    }

    void playlistNames_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::newRow("base folder") << S("/m/") << S("PlayList.M3U");
        QTest::newRow("one level") << S("/m/Rock/") << S("Rock.M3U");
        QTest::newRow("nested") << S("/m/Rock/Live 1999/CD1/") << S("Rock - Live 1999 - CD1.M3U");
        QTest::newRow("dotted name") << S("/m/Best.MP3/") << S("Best.MP3.M3U");
    }

    void playlistNames() {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QCOMPARE(playlistNameFor(folder, QStringLiteral("/m/")), name);
    }

    void refusedInputs_data() {
        QTest::addColumn<QString>("base"); // "<music>" stands for the music folder
        QTest::addColumn<QString>("plFolder");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("stored");
        const QString invalid =
            S("Invalid character(s) used in PlayLists folder!\rA filename cannot "
              "contain the following characters:\r\\/:*?<>|");
        QTest::newRow("nested playlists folder")
            << S("<music>") << S("Lists/Rock") << invalid << false;
        QTest::newRow("backslash") << S("<music>") << S("Lists\\Rock") << invalid << false;
        QTest::newRow("colon") << S("<music>") << S("a:b") << invalid << false;
        QTest::newRow("missing base folder")
            << S("<music>/gone") << S("") << S("Folder doesn't exist:\r<music>/gone/") << true;
        QTest::newRow("empty base folder")
            << S("") << S("PL") << S("Folder doesn't exist:\r") << true;
    }

    // The character check runs whichever radio button is chosen; once it has passed, the
    // controls are remembered (with the trailing "/" the run adds) even when cancelled.
    void refusedInputs() {
        QFETCH(QString, base);
        QFETCH(QString, plFolder);
        QFETCH(QString, message);
        QFETCH(bool, stored);
        start();
        f_->settings.createPlaylists =
            input(false, QStringLiteral("/before"), QStringLiteral("Before"));
        const CreatePlaylistsInputs before = f_->settings.createPlaylists;
        base.replace(QLatin1String("<music>"), music());
        QVERIFY(!createWith(input(true, base, plFolder, false, true)));
        QCOMPARE(f_->dialogs.messages(),
                 QStringList{message.replace(QLatin1String("<music>"), music())});
        if (stored)
            QCOMPARE(f_->settings.createPlaylists,
                     input(true, base.isEmpty() ? base : base + u'/',
                           plFolder.isEmpty() ? plFolder : plFolder + u'/', false, true));
        else
            QCOMPARE(f_->settings.createPlaylists, before);
        QVERIFY(f_->playlists().isEmpty());
        QVERIFY(playlistsOnDisk().isEmpty());
    }

    // A run remembers the folder with a trailing "/"; typed so, or remembered, it is accepted.
    void trailingSeparatorIsNoBadCharacter_data() {
        QTest::addColumn<QString>("plFolder");
        QTest::newRow("typed") << QStringLiteral("PL Out/");
        QTest::newRow("typed twice") << QStringLiteral("PL Out//");
    }
    void trailingSeparatorIsNoBadCharacter() {
        QFETCH(QString, plFolder);
        start();
        QVERIFY(createWith(input(false, music(), plFolder, true, false)));
        QVERIFY(!f_->playlists().isEmpty());
        QVERIFY(QFileInfo(music() + QLatin1String("/PL Out")).isDir());
        // The next run with what was remembered.
        f_->dialogs.clear();
        QVERIFY(createWith(f_->settings.createPlaylists));
        QCOMPARE(f_->dialogs.messages(), QStringList{S("Playlists created successfully.")});
    }

    void okRemembersTheEditsAsTyped() {
        start();
        QVERIFY(createWith(input(false, music(), QStringLiteral("Lists"), false, false)));
        QCOMPARE(f_->settings.createPlaylists,
                 input(false, music(), QStringLiteral("Lists"), false, false));
    }

    void unwritablePlaylistsFolderEndsTheRun() {
        start();
        const QString lists = music() + QStringLiteral("/Lists");
        QDir().mkpath(lists);
        TestSupport::ReadOnlyFolder guard(lists);
        QVERIFY(guard.effective());
        QVERIFY(!createWith(input(false, music(), QStringLiteral("Lists"))));
        const QString first =
            lists + QStringLiteral("/PlayList.M3U"); // the base folder comes first
        QCOMPARE(f_->dialogs.messages(),
                 QStringList({QStringLiteral("Error creating play list:\r") + first,
                              QStringLiteral("Cannot create file ") + first}));
        QVERIFY(f_->playlists().isEmpty());
        QVERIFY(openWaitWindow() == nullptr);
    }

    // Playlists of an aborted run stay on disk and in the dialog's list: a later successful
    // run adds them too, ahead of its own.
    void abortedRunIsAddedWithTheNextSuccessfulOne() {
        start();
        bool abortClicked = false;
        QVERIFY(createWith(input(true, music()))); // learns the walk order
        const QList<QByteArray> full = f_->playlists();
        // The user empties the list: Alt+A, Delete, Yes.
        f_->dialogs.answerYesNo(true);
        f_->pressKey(f_->playlistView(), Qt::Key_A, Qt::AltModifier);
        f_->pressKey(f_->playlistView(), Qt::Key_Delete);
        QVERIFY(f_->playlists().isEmpty());
        f_->dialogs.clear();

        const QString rockList = music() + QStringLiteral("/Rock/_Rock.M3U");
        QVERIFY(QFile::remove(rockList));
        ModalDialogDriver<CreatePlaylistsDialog> driver([&](CreatePlaylistsDialog& dialog) {
            control<QRadioButton>(dialog, "inMusicFoldersRadio")->setChecked(true);
            control<QLineEdit>(dialog, "baseFolderEdit")->setText(music());
            {
                AbortWhenShowing abort(music() + QStringLiteral("/Rock/"));
                control<QPushButton>(dialog, "createButton")->click();
                abortClicked = abort.clicked();
            }
            control<QCheckBox>(dialog, "subFoldersCheck")->setChecked(false);
            control<QPushButton>(dialog, "createButton")->click();
        });
        buttonOf((*f_->window), "createPlaylistsButton")->click();
        QVERIFY(abortClicked);
        QVERIFY(driver.ran() && !driver.leftOpen());
        QCOMPARE(f_->dialogs.messages(),
                 QStringList{QStringLiteral("Playlists created successfully.")});
        QVERIFY(QFile::exists(rockList)); // the folder shown at the abort is processed completely
        const qsizetype done = full.indexOf(QFile::encodeName(rockList)) + 1;
        QCOMPARE(TestSupport::pathTexts(f_->playlists()),
                 TestSupport::pathTexts(full.mid(0, done)) +
                     QStringList{music() + QStringLiteral("/_PlayList.M3U")});
    }

    void twoFoldersWithOneNameShareTheFile() {
        QDir(music()).removeRecursively();
        makeTree(music(), L({"A - B/x.mp3", "A/B/y.mp3"}));
        start();
        QVERIFY(createWith(input(false, music(), QStringLiteral("Lists"))));
        const QString shared = music() + QStringLiteral("/Lists/A - B.M3U");
        QCOMPARE(TestSupport::pathTexts(f_->playlists()), QStringList({shared, shared}));
        const QByteArray text = readBytes(shared);
        QVERIFY(text == "../A - B/x.mp3\r\n" || text == "../A/B/y.mp3\r\n");
    }

    void secondRunReplacesAndAddsAgain() {
        start();
        QVERIFY(createWith(input(true, music())));
        const QStringList first = playlistsOnDisk();
        const QList<QByteArray> listed = f_->playlists();
        TestSupport::writeBytes(music() + QStringLiteral("/_PlayList.M3U"), "stale\r\n");
        QVERIFY(createWith(input(true, music())));
        QCOMPARE(playlistsOnDisk(), first); // created playlists are never taken as songs
        QCOMPARE(f_->playlists(), listed + listed);
    }

    void treeWithoutMediaSucceedsWithNothing() {
        QDir(music()).removeRecursively();
        makeTree(music(), L({"docs/readme.txt", "x.m3u"}));
        MainWindow& window = start();
        QVERIFY(createWith(input(true, music())));
        QCOMPARE(f_->dialogs.messages(),
                 QStringList{QStringLiteral("Playlists created successfully.")});
        QVERIFY(f_->playlists().isEmpty());
        QVERIFY(!buttonOf(window, "executeButton")->isEnabled());
    }

    void dialogIsFilledFromTheRememberedValues() {
        start();
        f_->settings.createPlaylists =
            input(false, QStringLiteral("/base"), QStringLiteral("PL"), false, true);
        QList<bool> checks;
        f_->dialogs.answerFolder(music());
        ModalDialogDriver<CreatePlaylistsDialog> driver([&](CreatePlaylistsDialog& dialog) {
            checks = {
                control<QRadioButton>(dialog, "inPlaylistsFolderRadio")->isChecked(),
                !control<QRadioButton>(dialog, "inMusicFoldersRadio")->isChecked(),
                !control<QCheckBox>(dialog, "sortCheck")->isChecked(),
                control<QCheckBox>(dialog, "subFoldersCheck")->isChecked(),
                control<QLineEdit>(dialog, "baseFolderEdit")->text() == QLatin1String("/base"),
                control<QLineEdit>(dialog, "playlistsFolderEdit")->text() == QLatin1String("PL")};
            control<QToolButton>(dialog, "baseFolderBrowseButton")->click();
            checks << (control<QLineEdit>(dialog, "baseFolderEdit")->text() == music());
        });
        buttonOf((*f_->window), "createPlaylistsButton")->click();
        QCOMPARE(checks, QList<bool>(7, true));
        QCOMPARE(f_->dialogs.records().at(0).text,
                 QStringLiteral("Select a base folder for playlists creation:"));
    }
};

QTEST_MAIN(TestCreatePlaylists)
#include "tst_createplaylists.moc"
