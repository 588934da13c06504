#include "CollectionTestSupport.h"
#include "MainWindowFixture.h"
#include "collection/PlayListCreation.h"
#include "collection/gui/CreatePlaylistsDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

using namespace CollectionTest;
using TestSupport::readBytes;

// Create Playlists driven through the main window on real trees: where each playlist goes,
// its name and entries, sorting, the messages, and what is remembered and added.
class TestCreatePlayLists : public QObject {
    Q_OBJECT

    TestSupport::IsolatedEnvironment env_;
    QTemporaryDir dir_;
    std::unique_ptr<MainWindowFixture> f_;

    QString music() const { return dir_.filePath(QStringLiteral("music")); }

    MainWindow& start() {
        f_ = std::make_unique<MainWindowFixture>(dir_.filePath(QStringLiteral("~PLATBX~.M3U")));
        return f_->create(dir_.filePath(QStringLiteral("prog/Platterbox")));
    }

    // Runs btnCreatePLClick with the controls set and Create pressed (then `more`); true when
    // the dialog closed with OK.
    bool createWith(const TVARdlgCreatePL& input,
                    const std::function<void(CreatePlaylistsDialog&)>& more = {}) {
        ModalDialogDriver<CreatePlaylistsDialog> driver([&](CreatePlaylistsDialog& dialog) {
            (input.radInFolders_Checked ? dialog.radInFolders : dialog.radInPlayLists)
                ->setChecked(true);
            dialog.cbSort->setChecked(input.cbSort_Checked);
            dialog.cbSubFolders->setChecked(input.cbSubFolders_Checked);
            dialog.edBaseFolder->setText(input.edBaseFolder_Text);
            dialog.edPLFolder->setText(input.edPLFolder_Text);
            dialog.btnCreateClick();
            if (more)
                more(dialog);
        });
        f_->window->btnCreatePLClick();
        return driver.ran() && !driver.leftOpen();
    }

    static TVARdlgCreatePL input(bool inFolders, const QString& base, const QString& plFolder = {},
                                 bool sort = true, bool subFolders = true) {
        return {inFolders, sort, subFolders, base, plFolder};
    }

    QStringList addedBelowMusic() const {
        QStringList paths;
        for (const QString& path : f_->vars.PlayLists)
            paths << below(music(), path);
        return paths;
    }

    // Every playlist file below the music folder as "path|entry|entry...".
    QStringList playListsOnDisk() const {
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

private Q_SLOTS:
    void init() {
        QVERIFY(dir_.isValid());
        TestSupport::writeBytes(dir_.filePath(QStringLiteral("prog/Platterbox.Ini")),
                                "[General]\r\n");
        QDir(music()).removeRecursively();
        makeTree(music(), musicTree());
    }

    void cleanup() { f_.reset(); }

    void writesOnePlayListPerMusicFolder_data() {
        QTest::addColumn<bool>("inFolders");
        QTest::addColumn<QString>("plFolder");
        QTest::addColumn<bool>("sort");
        QTest::addColumn<bool>("subFolders");
        QTest::addColumn<QStringList>("playLists");
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

    void writesOnePlayListPerMusicFolder() {
        QFETCH(bool, inFolders);
        QFETCH(QString, plFolder);
        QFETCH(bool, sort);
        QFETCH(bool, subFolders);
        QFETCH(QStringList, playLists);
        MainWindow& window = start();
        QVERIFY(createWith(input(inFolders, music(), plFolder, sort, subFolders)));
        QCOMPARE(f_->dialogs.messages(),
                 QStringList{QStringLiteral("Playlists created successfully.")});
        QCOMPARE(playListsOnDisk(), playLists);

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
        for (const QString& entry : playLists)
            expected << entry.section(u'|', 0, 0);
        QCOMPARE(added, expected);
        QCOMPARE(window.lbPlayLists->selectedItems().size(), expected.size());
        QCOMPARE(window.lbPlayLists->currentRow(), expected.size() - 1);
        QVERIFY(window.btnRemovePL->isEnabled());
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

    void playListNames_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::newRow("base folder") << S("/m/") << S("PlayList.M3U");
        QTest::newRow("one level") << S("/m/Rock/") << S("Rock.M3U");
        QTest::newRow("nested") << S("/m/Rock/Live 1999/CD1/") << S("Rock - Live 1999 - CD1.M3U");
        QTest::newRow("dotted name") << S("/m/Best.MP3/") << S("Best.MP3.M3U");
    }

    void playListNames() {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QCOMPARE(PlayListNameFor(folder, QStringLiteral("/m/")), name);
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
        f_->vars.dlgCreatePL = input(false, QStringLiteral("/before"), QStringLiteral("Before"));
        const TVARdlgCreatePL before = f_->vars.dlgCreatePL;
        base.replace(QLatin1String("<music>"), music());
        QVERIFY(!createWith(input(true, base, plFolder, false, true)));
        QCOMPARE(f_->dialogs.messages(),
                 QStringList{message.replace(QLatin1String("<music>"), music())});
        if (stored)
            QCOMPARE(f_->vars.dlgCreatePL,
                     input(true, base.isEmpty() ? base : base + u'/',
                           plFolder.isEmpty() ? plFolder : plFolder + u'/', false, true));
        else
            QCOMPARE(f_->vars.dlgCreatePL, before);
        QVERIFY(f_->vars.PlayLists.isEmpty());
        QVERIFY(playListsOnDisk().isEmpty());
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
        QVERIFY(!f_->vars.PlayLists.isEmpty());
        QVERIFY(QFileInfo(music() + QLatin1String("/PL Out")).isDir());
        // The next run with what was remembered.
        f_->dialogs.clear();
        QVERIFY(createWith(f_->vars.dlgCreatePL));
        QCOMPARE(f_->dialogs.messages(), QStringList{S("Playlists created successfully.")});
    }

    void okRemembersTheEditsAsTyped() {
        start();
        QVERIFY(createWith(input(false, music(), QStringLiteral("Lists"), false, false)));
        QCOMPARE(f_->vars.dlgCreatePL,
                 input(false, music(), QStringLiteral("Lists"), false, false));
    }

    void unwritablePlayListsFolderEndsTheRun() {
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
        QVERIFY(f_->vars.PlayLists.isEmpty());
        QVERIFY(CurrentWaitWindow() == nullptr);
    }

    // Playlists of an aborted run stay on disk and in the dialog's list: a later successful
    // run adds them too, ahead of its own.
    void abortedRunIsAddedWithTheNextSuccessfulOne() {
        start();
        bool abortClicked = false;
        QVERIFY(createWith(input(true, music()))); // learns the walk order
        const QStringList full = f_->vars.PlayLists;
        f_->vars.PlayLists.clear();
        f_->window->lbPlayLists->clear();
        f_->dialogs.clear();

        const QString rockList = music() + QStringLiteral("/Rock/_Rock.M3U");
        QVERIFY(QFile::remove(rockList));
        ModalDialogDriver<CreatePlaylistsDialog> driver([&](CreatePlaylistsDialog& dialog) {
            dialog.radInFolders->setChecked(true);
            dialog.edBaseFolder->setText(music());
            {
                AbortWhenShowing abort(music() + QStringLiteral("/Rock/"));
                dialog.btnCreateClick();
                abortClicked = abort.clicked();
            }
            dialog.cbSubFolders->setChecked(false);
            dialog.btnCreateClick();
        });
        f_->window->btnCreatePLClick();
        QVERIFY(abortClicked);
        QVERIFY(driver.ran() && !driver.leftOpen());
        QCOMPARE(f_->dialogs.messages(),
                 QStringList{QStringLiteral("Playlists created successfully.")});
        QVERIFY(QFile::exists(rockList)); // the folder shown at the abort is processed completely
        const qsizetype done = full.indexOf(rockList) + 1;
        QCOMPARE(f_->vars.PlayLists,
                 full.mid(0, done) + QStringList{music() + QStringLiteral("/_PlayList.M3U")});
    }

    void twoFoldersWithOneNameShareTheFile() {
        QDir(music()).removeRecursively();
        makeTree(music(), L({"A - B/x.mp3", "A/B/y.mp3"}));
        start();
        QVERIFY(createWith(input(false, music(), QStringLiteral("Lists"))));
        const QString shared = music() + QStringLiteral("/Lists/A - B.M3U");
        QCOMPARE(f_->vars.PlayLists, QStringList({shared, shared}));
        const QByteArray text = readBytes(shared);
        QVERIFY(text == "../A - B/x.mp3\r\n" || text == "../A/B/y.mp3\r\n");
    }

    void secondRunReplacesAndAddsAgain() {
        start();
        QVERIFY(createWith(input(true, music())));
        const QStringList first = playListsOnDisk();
        const QStringList listed = f_->vars.PlayLists;
        TestSupport::writeBytes(music() + QStringLiteral("/_PlayList.M3U"), "stale\r\n");
        QVERIFY(createWith(input(true, music())));
        QCOMPARE(playListsOnDisk(), first); // created playlists are never taken as songs
        QCOMPARE(f_->vars.PlayLists, listed + listed);
    }

    void treeWithoutMediaSucceedsWithNothing() {
        QDir(music()).removeRecursively();
        makeTree(music(), L({"docs/readme.txt", "x.m3u"}));
        MainWindow& window = start();
        QVERIFY(createWith(input(true, music())));
        QCOMPARE(f_->dialogs.messages(),
                 QStringList{QStringLiteral("Playlists created successfully.")});
        QVERIFY(f_->vars.PlayLists.isEmpty());
        QVERIFY(!window.btnExecute->isEnabled());
    }

    void dialogIsFilledFromTheRememberedValues() {
        start();
        f_->vars.dlgCreatePL =
            input(false, QStringLiteral("/base"), QStringLiteral("PL"), false, true);
        QList<bool> checks;
        f_->dialogs.answerFolder(music());
        ModalDialogDriver<CreatePlaylistsDialog> driver([&](CreatePlaylistsDialog& dialog) {
            checks = {dialog.radInPlayLists->isChecked(),
                      !dialog.radInFolders->isChecked(),
                      !dialog.cbSort->isChecked(),
                      dialog.cbSubFolders->isChecked(),
                      dialog.edBaseFolder->text() == QLatin1String("/base"),
                      dialog.edPLFolder->text() == QLatin1String("PL")};
            dialog.btnFolderClick();
            checks << (dialog.edBaseFolder->text() == music());
        });
        f_->window->btnCreatePLClick();
        QCOMPARE(checks, QList<bool>(7, true));
        QCOMPARE(f_->dialogs.records().at(0).text,
                 QStringLiteral("Select a base folder for playlists creation:"));
    }
};

QTEST_MAIN(TestCreatePlayLists)
#include "tst_createplaylists.moc"
