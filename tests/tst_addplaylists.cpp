#include "CollectionTestSupport.h"
#include "MainWindowFixture.h"
#include "collection/gui/AddPlaylistsDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

#include <sys/stat.h>

using namespace CollectionTest;

// Add Playlists driven through the main window: one file or the playlists of a folder tree,
// appended to the list with their selection; the dialog's inputs remembered on OK only.
class TestAddPlaylists : public QObject {
    Q_OBJECT

    TestSupport::IsolatedEnvironment env_;
    QTemporaryDir dir_;
    std::unique_ptr<MainWindowFixture> f_;

    QString music() const { return dir_.filePath(QStringLiteral("music")); }
    QString earlier() const { return dir_.filePath(QStringLiteral("earlier.m3u")); }

    MainWindow& start() {
        f_ = std::make_unique<MainWindowFixture>(dir_.filePath(QStringLiteral("~PLATBX~.M3U")));
        return f_->create(dir_.filePath(QStringLiteral("prog/Platterbox")));
    }

    struct Input {
        bool folderMode = false;
        QString file;
        QString folder;
        bool subFolders = false;
    };

    // Runs Add Playlists with the dialog filled and OK pressed; true when it closed with OK.
    bool addWith(const Input& input, const std::function<void(AddPlaylistsDialog&)>& more = {}) {
        ModalDialogDriver<AddPlaylistsDialog> driver([&](AddPlaylistsDialog& dialog) {
            control<QRadioButton>(dialog, input.folderMode ? "folderRadio" : "fileRadio")
                ->setChecked(true);
            control<QLineEdit>(dialog, "fileEdit")->setText(input.file);
            control<QLineEdit>(dialog, "folderEdit")->setText(input.folder);
            control<QCheckBox>(dialog, "subFoldersCheck")->setChecked(input.subFolders);
            if (more)
                more(dialog);
            control<QPushButton>(dialog, "okButton")->click();
        });
        buttonOf((*f_->window), "addPlaylistsButton")->click();
        return driver.ran() && !driver.leftOpen();
    }

    // The paths added after the earlier playlist, relative to the music folder.
    QStringList added() const {
        QStringList paths;
        for (const QString& path : TestSupport::pathTexts(f_->playlists().mid(1)))
            paths << below(music(), path);
        return paths;
    }

private Q_SLOTS:
    void init() {
        QVERIFY(dir_.isValid());
        TestSupport::writeBytes(earlier(), "one.mp3\r\n");
        TestSupport::writeBytes(dir_.filePath(QStringLiteral("prog/Platterbox.Ini")),
                                "[General]\r\n[PlayLists]\r\nTotal=1\r\nFile0=../earlier.m3u\r\n");
        QDir(music()).removeRecursively();
        makeTree(music(),
                 L({"a.m3u", "B.M3U", "Best.M3U/", "c.pls", ".hidden.PLS", "notes.txt", "song.mp3",
                    "x.m3u8", "v.XSPF", "sub/w.wpl", "sub/y.Asx", "sub/s.m3u", "sub/deeper/d.PLS",
                    "sub/deeper/e.m3u", ".secret/h.m3u", "dots./z.m3u", "empty/inner/"}));
    }

    void cleanup() { f_.reset(); }

    void addsWhatTheDialogFinds_data() {
        QTest::addColumn<bool>("folderMode");
        QTest::addColumn<QString>("text"); // file or folder, relative to the music folder
        QTest::addColumn<bool>("subFolders");
        QTest::addColumn<QStringList>("expected"); // within one mask in name order
        QTest::addColumn<QString>("message");
        QTest::newRow("one file of any kind")
            << false << S("notes.txt") << false << L({"notes.txt"}) << QString();
        QTest::newRow("missing file") << false << S("gone.m3u") << false << QStringList()
                                      << S("Playlist file not found:\r%1/gone.m3u");
        QTest::newRow("a folder is not a file") << false << S("Best.M3U") << false << QStringList()
                                                << S("Playlist file not found:\r%1/Best.M3U");
        QTest::newRow("folder alone: M3U, PLS, then the other kinds; hidden files and folders "
                      "named like lists")
            << true << S("") << false
            << L({"B.M3U", "Best.M3U", "a.m3u", ".hidden.PLS", "c.pls", "x.m3u8", "v.XSPF"})
            << QString();
        QTest::newRow("whole tree, hidden and dotted folders left out")
            << true << S("") << true
            << L({"B.M3U", "Best.M3U", "a.m3u", ".hidden.PLS", "c.pls", "x.m3u8", "v.XSPF",
                  "sub/s.m3u", "sub/w.wpl", "sub/y.Asx", "sub/deeper/e.m3u", "sub/deeper/d.PLS"})
            << QString();
        QTest::newRow("folder without playlists")
            << true << S("empty") << true << QStringList() << QString();
        QTest::newRow("missing folder")
            << true << S("gone") << true << QStringList() << S("Folder not found:\r%1/gone/");
    }

    void addsWhatTheDialogFinds() {
        QFETCH(bool, folderMode);
        QFETCH(QString, text);
        QFETCH(bool, subFolders);
        QFETCH(QStringList, expected);
        QFETCH(QString, message);
        MainWindow& window = start();
        const QString path = text.isEmpty() ? music() : music() + u'/' + text;
        const bool closed = addWith({folderMode, path, path, subFolders});

        QCOMPARE(f_->dialogs.messages(),
                 message.isEmpty() ? QStringList() : QStringList{message.arg(music())});
        QCOMPARE(closed, message.isEmpty());
        const QStringList paths = added();
        QCOMPARE(sortedWithinMaskRuns(paths), expected);
        // Folders in walk order.
        QStringList folders;
        for (const QString& p : paths)
            if (folders.isEmpty() || folders.last() != parentOf(p))
                folders << parentOf(p);
        QVERIFY(isPreOrderSubsequence(folders));

        // The list box follows the path list; the new items are selected with the earlier
        // selection, and the last item is the focused one.
        QCOMPARE(playlistViewOf(window)->model()->rowCount(), 1 + expected.size());
        for (int row = 0; row < playlistViewOf(window)->model()->rowCount(); ++row) {
            QCOMPARE(rowTexts(playlistViewOf(window)).value(row),
                     QFileInfo(QFile::decodeName(f_->playlists().at(row))).fileName());
        }
        QCOMPARE(selectedRowsOf(playlistViewOf(window)).size(), 1 + expected.size());
        QCOMPARE(currentRowOf(playlistViewOf(window)),
                 playlistViewOf(window)->model()->rowCount() - 1);
        QVERIFY(buttonOf(window, "executeButton")->isEnabled());

        const AddPlaylistsInputs& values = f_->settings.addPlaylists;
        if (closed) {
            QCOMPARE(values.fromFolder, folderMode);
            QCOMPARE(values.withSubFolders, subFolders);
            QCOMPARE(values.file, path);
            QCOMPARE(values.folder, folderMode ? path + u'/' : path);
        } else {
            QCOMPARE(values, AddPlaylistsInputs()); // nothing stored
        }
    }

    // Stored as typed, the name would resolve against the INI file's folder after a restart.
    void relativeFileIsMadeAbsoluteAgainstTheCurrentFolder() {
        start();
        const QString before = QDir::currentPath();
        QDir::setCurrent(music());
        const bool closed = addWith({false, QStringLiteral("sub/s.m3u"), {}, false});
        QDir::setCurrent(before);
        QVERIFY(closed);
        QCOMPARE(TestSupport::pathTexts(f_->playlists().mid(1)),
                 QStringList{music() + QLatin1String("/sub/s.m3u")});
    }

    // Reading them would block or never end: refused at once, with the reason.
    void pipesAndDevicesAreRefused_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO") << QStringLiteral("fifo");
        QTest::newRow("link to /dev/zero") << QStringLiteral("zero");
    }
    void pipesAndDevicesAreRefused() {
        QFETCH(QString, kind);
        const QString file = music() + QLatin1String("/x.m3u");
        if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        else
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), file));
        start();
        QVERIFY(!addWith({false, file, {}, false}));
        QCOMPARE(f_->dialogs.messages(),
                 QStringList{QLatin1String("Not a playlist file (a pipe or a device):\r") + file});
        QCOMPARE(f_->playlists().size(), 1);
    }

    void emptyFolderTextIsNotFound() {
        start();
        QVERIFY(!addWith({true, {}, {}, false}));
        QCOMPARE(f_->dialogs.messages(), QStringList{QStringLiteral("Folder not found:\r")});
    }

    void abortAddsNothingAndKeepsTheDialogOpen() {
        start();
        AbortWhenShowing abort(music() + u'/');
        const bool closed = addWith({true, {}, music(), true});
        QVERIFY(abort.clicked());
        QVERIFY(!closed);
        QVERIFY(f_->dialogs.messages().isEmpty());
        QCOMPARE(f_->playlists().size(), 1);
        QCOMPARE(f_->settings.addPlaylists, AddPlaylistsInputs());
    }

    // An aborted OK keeps none of what it found, so a second OK adds only its own.
    void okAfterAnAbortAddsOnlyItsOwn() {
        start();
        bool abortClicked = false;
        const bool closed = addWith({true, {}, music(), true}, [&](AddPlaylistsDialog& dialog) {
            {
                AbortWhenShowing abort(music() + QStringLiteral("/sub/"));
                control<QPushButton>(dialog, "okButton")
                    ->click(); // the root's playlists are found, then the abort
                abortClicked = abort.clicked();
            }
            control<QLineEdit>(dialog, "folderEdit")
                ->setText(music() + QStringLiteral("/sub/deeper"));
            control<QCheckBox>(dialog, "subFoldersCheck")->setChecked(false);
        });
        QVERIFY(abortClicked);
        QVERIFY(closed);
        QCOMPARE(sortedWithinMaskRuns(added()), L({"sub/deeper/e.m3u", "sub/deeper/d.PLS"}));
    }

    void sameFolderTwiceIsAddedTwice() {
        start();
        QVERIFY(addWith({true, {}, music() + QStringLiteral("/sub/deeper"), false}));
        QVERIFY(addWith({true, {}, music() + QStringLiteral("/sub/deeper"), false}));
        QCOMPARE(
            sortedWithinMaskRuns(added().mid(0, 2)) + sortedWithinMaskRuns(added().mid(2)),
            L({"sub/deeper/e.m3u", "sub/deeper/d.PLS", "sub/deeper/e.m3u", "sub/deeper/d.PLS"}));
    }

    void remembersOnOkOnlyAndFillsTheDialogFromIt() {
        start();
        f_->settings.addPlaylists = {true, true, QStringLiteral("/f.m3u"),
                                     QStringLiteral("/music/")};
        bool filled = false;
        ModalDialogDriver<AddPlaylistsDialog> driver([&](AddPlaylistsDialog& dialog) {
            filled = control<QRadioButton>(dialog, "folderRadio")->isChecked() &&
                     !control<QRadioButton>(dialog, "fileRadio")->isChecked() &&
                     control<QCheckBox>(dialog, "subFoldersCheck")->isChecked() &&
                     control<QLineEdit>(dialog, "fileEdit")->text() == QLatin1String("/f.m3u") &&
                     control<QLineEdit>(dialog, "folderEdit")->text() == QLatin1String("/music/");
            control<QLineEdit>(dialog, "folderEdit")->setText(QStringLiteral("/elsewhere/"));
            control<QPushButton>(dialog, "cancelButton")->click();
        });
        buttonOf((*f_->window), "addPlaylistsButton")->click();
        QVERIFY(driver.ran() && !driver.leftOpen());
        QVERIFY(filled);
        QCOMPARE(f_->settings.addPlaylists.folder, QStringLiteral("/music/"));
        QCOMPARE(f_->playlists().size(), 1);
    }

    void radioButtonsEnableTheirControls_data() {
        QTest::addColumn<bool>("folderMode");
        QTest::newRow("file") << false;
        QTest::newRow("folder") << true;
    }

    void radioButtonsEnableTheirControls() {
        QFETCH(bool, folderMode);
        start();
        f_->settings.addPlaylists.fromFolder = folderMode;
        QList<bool> shown;
        QList<bool> clicked;
        ModalDialogDriver<AddPlaylistsDialog> driver([&](AddPlaylistsDialog& dialog) {
            const auto states = [&] {
                return QList<bool>{control<QLineEdit>(dialog, "fileEdit")->isEnabled(),
                                   control<QToolButton>(dialog, "fileBrowseButton")->isEnabled(),
                                   control<QLineEdit>(dialog, "folderEdit")->isEnabled(),
                                   control<QToolButton>(dialog, "folderBrowseButton")->isEnabled(),
                                   control<QCheckBox>(dialog, "subFoldersCheck")->isEnabled()};
            };
            shown = states();
            QTest::mouseClick(
                control<QRadioButton>(dialog, folderMode ? "fileRadio" : "folderRadio"),
                Qt::LeftButton);
            clicked = states();
        });
        buttonOf((*f_->window), "addPlaylistsButton")->click();
        const QList<bool> fileMode = {true, true, false, false, false};
        const QList<bool> folderModeStates = {false, false, true, true, true};
        QCOMPARE(shown, folderMode ? folderModeStates : fileMode);
        QCOMPARE(clicked, folderMode ? fileMode : folderModeStates);
    }

    void browseButtonsAskThroughTheSeam() {
        start();
        f_->dialogs.answerFile(music() + QStringLiteral("/a.m3u"));
        f_->dialogs.answerFolder(std::nullopt);
        f_->dialogs.answerFolder(music());
        QString file;
        QStringList folders;
        ModalDialogDriver<AddPlaylistsDialog> driver([&](AddPlaylistsDialog& dialog) {
            control<QLineEdit>(dialog, "folderEdit")->setText(QStringLiteral("/typed"));
            control<QToolButton>(dialog, "fileBrowseButton")->click();
            file = control<QLineEdit>(dialog, "fileEdit")->text();
            control<QRadioButton>(dialog, "folderRadio")->click(); // enables its browse button
            control<QToolButton>(dialog, "folderBrowseButton")->click();
            folders << control<QLineEdit>(dialog, "folderEdit")->text();
            control<QToolButton>(dialog, "folderBrowseButton")->click();
            folders << control<QLineEdit>(dialog, "folderEdit")->text();
        });
        buttonOf((*f_->window), "addPlaylistsButton")->click();
        QCOMPARE(file, music() + QStringLiteral("/a.m3u"));
        QCOMPARE(folders, QStringList({QStringLiteral("/typed"), music()}));
        const QList<ScriptedDialogs::Record>& asked = f_->dialogs.records();
        QCOMPARE(asked.size(), 3);
        QCOMPARE(asked.at(0).caption, QStringLiteral("Open"));
        QCOMPARE(asked.at(0).text,
                 QStringLiteral("All PlayLists (M3U/PLS/M3U8/XSPF/WPL/ASX) (*.M3U *.m3u *.PLS "
                                "*.pls *.M3U8 *.m3u8 *.XSPF *.xspf *.WPL *.wpl *.ASX *.asx);;"
                                "PlayList files (M3U/PLS) (*.M3U *.m3u *.PLS *.pls);;"
                                "M3U PlayLists (*.M3U *.m3u);;PLS PlayLists (*.PLS *.pls);;"
                                "M3U8 PlayLists (*.M3U8 *.m3u8);;XSPF PlayLists (*.XSPF *.xspf);;"
                                "Windows Media PlayLists (*.WPL *.wpl *.ASX *.asx);;"
                                "All Files (*)"));
        QCOMPARE(asked.at(1).text, QStringLiteral("Select a folder to add playlists from:"));
        QCOMPARE(asked.at(1).defaultText, QStringLiteral("/typed"));
    }
};

QTEST_MAIN(TestAddPlaylists)
#include "tst_addplaylists.moc"
