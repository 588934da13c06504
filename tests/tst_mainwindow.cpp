#include "FakePlayer.h"
#include "MainWindowFixture.h"
#include "TestSupport.h"
#include "platform/ConfigLocations.h"
#include "playlists/SongListModel.h"
#include "startup/IniPathChoice.h"

#include <QMenu>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QLabel>
#include <QtTest>

using TestSupport::readBytes;
using TestSupport::writeBytes;

// The main window driven offscreen: start-up from an INI file, the lists, the song list
// following the focused playlist, hints, the key table, playing and closing.
class TestMainWindow : public QObject {
    Q_OBJECT

    TestSupport::IsolatedEnvironment env_;
    FakePlayer player_;
    QTemporaryDir dir_;
    std::unique_ptr<MainWindowFixture> f_;

    QString path(const QString& relative) const { return dir_.filePath(relative); }
    QString programPath() const { return path(QStringLiteral("Platterbox")); }

    MainWindow& start(const QStringList& parameters = {}) {
        f_ = std::make_unique<MainWindowFixture>(path(QStringLiteral("~PLATBX~.M3U")));
        MainWindow& window = f_->create(programPath(), parameters);
        return window;
    }

    // Rests the pointer on a point of a list until the hint is due; the hint then shown.
    static QString hintAt(QListView* list, const QPoint& position) {
        QTest::mouseMove(list->viewport(), position);
        QHelpEvent due(QEvent::ToolTip, position, list->viewport()->mapToGlobal(position));
        QCoreApplication::sendEvent(list->viewport(), &due);
        const QLabel* hint = hintOf(list);
        if (!QTest::qWaitFor([hint] { return hint->isVisible(); }, 300))
            return QString();
        return hint->text();
    }

    static QLabel* hintOf(QListView* list) {
        return list->window()->findChild<QLabel*>(QStringLiteral("itemHint"));
    }

    void showAndActivate(MainWindow& window) {
        QTRY_VERIFY(window.isVisible()); // shown by the first tick of timerAutoPlayOnce
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        player_.applyToThisProcess();
        writeBytes(path(QStringLiteral("CD/PlayLists/Rock.M3U")),
                   "#EXTM3U\r\n#EXTINF:10,One\r\n..\\Songs\\one.mp3\r\nCD1\\two.mp3\r\n");
        // The songs are there, so their hints are their paths alone.
        writeBytes(path(QStringLiteral("CD/Songs/one.mp3")), {});
        writeBytes(path(QStringLiteral("CD/PlayLists/CD1/two.mp3")), {});
        writeBytes(path(QStringLiteral("Jazz/jazz.pls")),
                   "[playlist]\r\nNumberOfEntries=2\r\nFile1=j1.mp3\r\nFile2=j2.mp3\r\n");
    }

    void init() {
        writeBytes(path(QStringLiteral("Platterbox.Ini")),
                   "[General]\r\n[PlayLists]\r\nTotal=3\r\nFile0=CD/PlayLists/Rock.M3U\r\n"
                   "File1=Jazz\\jazz.pls\r\nFile2=Gone/missing.m3u\r\n");
        QFile::remove(ConfigLocations::userRegistryFile());
    }

    void cleanup() { f_.reset(); }

    void startsHiddenWithTheListsFilled() {
        MainWindow& window = start();
        QVERIFY(!window.isVisible());
        QCOMPARE(window.currentIniPath(), path(QStringLiteral("Platterbox.Ini")));
        QCOMPARE(f_->playlistNames(),
                 QStringList({QStringLiteral("Rock.M3U"), QStringLiteral("jazz.pls"),
                              QStringLiteral("missing.m3u")}));
        QCOMPARE(currentRowOf(playlistViewOf(window)), 0);
        QCOMPARE(selectedRowsOf(playlistViewOf(window)), QList<int>{0});
        QCOMPARE(f_->songTexts(), QStringList({QStringLiteral("..\\Songs\\one.mp3"),
                                               QStringLiteral("CD1\\two.mp3")}));
        QVERIFY(buttonOf(window, "executeButton")->isEnabled());
        QVERIFY(buttonOf(window, "removePlaylistsButton")->isEnabled());
        QCOMPARE(f_->dialogs.records().size(), 0);
        QCOMPARE(window.geometry(), QRect(100, 100, 505, 385));
        QCOMPARE(playlistViewOf(window)->height(), 30);
        QVERIFY(window.minimumWidth() >= 7 * 47);
        showAndActivate(window);
        QVERIFY(!timerOf(window, "autoPlayTimer")->isActive());
    }

    void songListFollowsTheFocusedPlaylist() {
        MainWindow& window = start();
        showAndActivate(window);
        f_->clickPlaylist(1);
        QCOMPARE(currentRowOf(playlistViewOf(window)), 1);
        QCOMPARE(f_->songTexts(),
                 QStringList({QStringLiteral("j1.mp3"), QStringLiteral("j2.mp3")}));
        f_->clickPlaylist(2);
        QCOMPARE(f_->dialogs.messages(), QStringList{path(QStringLiteral("Gone/missing.m3u")) +
                                                     QStringLiteral("\rFile Not Found!")});
        QVERIFY(f_->songTexts().isEmpty());
        QCOMPARE(f_->playlistNames().size(), 3); // nothing is removed
    }

    void hintsShowFullPaths_data() {
        QTest::addColumn<bool>("songs");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("hint");
        QTest::newRow("playlist") << false << 1 << QStringLiteral("Jazz/jazz.pls");
        QTest::newRow("missing playlist") << false << 2 << QStringLiteral("Gone/missing.m3u");
        QTest::newRow("song up a folder") << true << 0 << QStringLiteral("CD/Songs/one.mp3");
        QTest::newRow("song in a sub-folder")
            << true << 1 << QStringLiteral("CD/PlayLists/CD1/two.mp3");
    }

    void hintsShowFullPaths() {
        QFETCH(bool, songs);
        QFETCH(int, row);
        QFETCH(QString, hint);
        MainWindow& window = start();
        showAndActivate(window);
        window.findChild<QSplitter*>(QStringLiteral("listSplitter"))->setSizes({150, 150});
        QListView* list = songs ? songViewOf(window) : playlistViewOf(window);
        QCOMPARE(hintAt(list, MainWindowFixture::itemCentre(list, row)), path(hint));
        const QRect itemRect = list->visualRect(list->model()->index(row, 0));
        QCOMPARE(window.lastHintPosition(),
                 list->viewport()->mapToGlobal(itemRect.topLeft()) - QPoint(0, 2));
        // Below the last item there is no hint.
        hintAt(list, QPoint(5, list->viewport()->height() - 2));
        QTRY_VERIFY(!hintOf(list)->isVisible());
    }

    // A line of megabytes is shown and hinted cut, so a re-layout measures a few thousand
    // characters of it, not the whole line.
    void longLineIsShownCut() {
        const QByteArray line = QByteArray(10 << 20, 'x') + "\xC3\xA9nd.mp3";
        writeBytes(path(QStringLiteral("Long/long.m3u")), "short.mp3\r\n" + line + "\r\n");
        writeBytes(path(QStringLiteral("Platterbox.Ini")),
                   "[PlayLists]\r\nTotal=1\r\nFile0=Long/long.m3u\r\n");
        MainWindow& window = start();
        showAndActivate(window);
        const QAbstractItemModel* songs = songViewOf(window)->model();
        QCOMPARE(songs->index(0, 0).data().toString(), QStringLiteral("short.mp3"));
        const QString shown = songs->index(1, 0).data().toString();
        QVERIFY2(shown.size() <= 4097, qPrintable(QString::number(shown.size())));
        QCOMPARE(shown, QString(4096, QLatin1Char('x')) + QChar(0x2026));
        QListView* view = songViewOf(window);
        // No file has such a name: once checked, its hint says so on a line of its own.
        QTRY_VERIFY(window.songs().missingCheckDone());
        const QString notFound = QStringLiteral("\nFile not found");
        // The item is wider than the view: its centre lies outside.
        const QString hint =
            hintAt(view, view->visualRect(songs->index(1, 0)).topLeft() + QPoint(5, 5));
        QVERIFY2(hint.size() <= path(QStringLiteral("Long/")).size() + 4099 + notFound.size(),
                 qPrintable(QString::number(hint.size())));
        QVERIFY(hint.startsWith(path(QStringLiteral("Long/xxx"))));
        QVERIFY(hint.endsWith(QStringLiteral("xx\u00e9nd.mp3") + notFound));
        // The width the view lays the item out for comes from the cut text too.
        QVERIFY(view->sizeHintForColumn(0) <
                view->fontMetrics().horizontalAdvance(QString(8192, QLatin1Char('x'))));
    }

    void keysAreDiscardedAfterTheTable() {
        MainWindow& window = start();
        showAndActivate(window);
        playlistViewOf(window)->setFocus();
        QTest::keyClick(playlistViewOf(window), Qt::Key_Down);
        QTest::keyClick(playlistViewOf(window), Qt::Key_End);
        QTest::keyClick(playlistViewOf(window), Qt::Key_J);
        QCOMPARE(currentRowOf(playlistViewOf(window)), 0);
        QCOMPARE(selectedRowsOf(playlistViewOf(window)).size(), 1);

        QTest::keyClick(playlistViewOf(window), Qt::Key_A, Qt::AltModifier);
        QCOMPARE(selectedRowsOf(playlistViewOf(window)).size(), 3);
        QCOMPARE(currentRowOf(playlistViewOf(window)), 0);
        QTest::keyClick(playlistViewOf(window), Qt::Key_A, Qt::AltModifier | Qt::ControlModifier);
        QCOMPARE(selectedRowsOf(playlistViewOf(window)).size(), 3);

        QSignalSpy help(&window, &MainWindow::helpRequested);
        QTest::keyClick(playlistViewOf(window), Qt::Key_F1);
        QCOMPARE(help.size(), 1);

        // Tab still moves between the lists, and the table then follows the song list.
        QTest::keyClick(playlistViewOf(window), Qt::Key_Tab);
        QTRY_VERIFY(songViewOf(window)->hasFocus());
        QCOMPARE(window.focusedList(), MainWindow::List::Songs);
        const int songRow = currentRowOf(songViewOf(window));
        QTest::keyClick(songViewOf(window), Qt::Key_Down);
        QCOMPARE(currentRowOf(songViewOf(window)), songRow);
        QTest::keyClick(songViewOf(window), Qt::Key_A, Qt::AltModifier);
        QCOMPARE(selectedRowsOf(songViewOf(window)).size(), 2);
        QCOMPARE(selectedRowsOf(playlistViewOf(window)).size(), 3);
        QTest::keyClick(songViewOf(window), Qt::Key_Delete);
        QCOMPARE(f_->songTexts().size(), 2);
    }

    void enterPlaysTheSelection() {
        MainWindow& window = start();
        showAndActivate(window);
        const int before = int(player_.launches().size());
        f_->clickPlaylist(1, Qt::ControlModifier); // Rock and jazz selected
        QTest::keyClick(playlistViewOf(window), Qt::Key_Return);
        QVERIFY(player_.waitForLaunches(before + 1));
        QCOMPARE(player_.launches().at(before).playlist,
                 (path(QStringLiteral("CD/Songs/one.mp3")) + QStringLiteral("\r\n") +
                  path(QStringLiteral("CD/PlayLists/CD1/two.mp3")) + QStringLiteral("\r\n") +
                  path(QStringLiteral("Jazz/jazz.pls")) + QStringLiteral("\r\n"))
                     .toUtf8());

        // Enter in the song list plays the selected songs of the focused playlist.
        f_->clickSong(1);
        QTest::keyClick(songViewOf(window), Qt::Key_Enter);
        QVERIFY(player_.waitForLaunches(before + 2));
        // The Ctrl+click moved the focus to jazz.pls, so the song list shows its songs.
        QCOMPARE(player_.launches().at(before + 1).playlist,
                 path(QStringLiteral("Jazz/j2.mp3")).toUtf8() + "\r\n");
        QCOMPARE(f_->dialogs.records().size(), 0);
    }

    void doubleClickPlays() {
        MainWindow& window = start();
        showAndActivate(window);
        const int before = int(player_.launches().size());
        QTest::mouseDClick(playlistViewOf(window)->viewport(), Qt::LeftButton, Qt::NoModifier,
                           MainWindowFixture::itemCentre(playlistViewOf(window), 1));
        QVERIFY(player_.waitForLaunches(before + 1));
        QVERIFY(player_.launches().at(before).playlist.contains("jazz.pls"));

        // On empty space it plays that list's selection, which stays as it was.
        f_->clickPlaylist(0);
        f_->clickSong(1);
        QListView* songs = songViewOf(window);
        QTest::mouseDClick(songs->viewport(), Qt::LeftButton, Qt::NoModifier,
                           QPoint(5, songs->viewport()->height() - 3));
        QVERIFY(player_.waitForLaunches(before + 2));
        QCOMPARE(player_.launches().at(before + 1).playlist,
                 path(QStringLiteral("CD/PlayLists/CD1/two.mp3")).toUtf8() + "\r\n");
        QCOMPARE(selectedRowsOf(songs), QList<int>{1});
    }

    void emptyListDisablesTheButtons() {
        writeBytes(path(QStringLiteral("Platterbox.Ini")), "[General]\r\n");
        MainWindow& window = start();
        QCOMPARE(playlistViewOf(window)->model()->rowCount(), 0);
        QVERIFY(!buttonOf(window, "executeButton")->isEnabled());
        QVERIFY(!buttonOf(window, "removePlaylistsButton")->isEnabled());
        QVERIFY(buttonOf(window, "addPlaylistsButton")->isEnabled());
        QVERIFY(f_->songTexts().isEmpty());
        // Keys with nothing to act on do nothing.
        showAndActivate(window);
        QTest::keyClick(playlistViewOf(window), Qt::Key_Return);
        QTest::keyClick(playlistViewOf(window), Qt::Key_A, Qt::AltModifier);
        QCOMPARE(f_->dialogs.records().size(), 0);
    }

    void toolBarAndPopupCaptions() {
        MainWindow& window = start();
        QList<QToolButton*> buttons;
        for (QToolButton* button : window.findChild<QToolBar*>(QStringLiteral("mainToolBar"))
                                       ->findChildren<QToolButton*>())
            if (button->objectName().endsWith(QLatin1String("Button")))
                buttons << button;
        QCOMPARE(buttons.size(), 7);
        QStringList captions;
        for (QToolButton* button : buttons) {
            captions << button->text();
            QCOMPARE(button->size(), QSize(47, 36));
            QVERIFY(!button->icon().pixmap(16, 16).isNull());
        }
        QCOMPARE(captions, QStringList({QStringLiteral("Execute"), QStringLiteral("Add"),
                                        QStringLiteral("Remove"), QStringLiteral("Create"),
                                        QStringLiteral("MP3CD"), QStringLiteral("Options"),
                                        QStringLiteral("Help")}));
        QCOMPARE(buttonOf(window, "executeButton")->toolTip(),
                 QStringLiteral("Execute selected playlists with command set in Options menu"));
        QCOMPARE(menuItemOf(window, "deletePlaylistsAction")->text(),
                 QStringLiteral("&Delete Playlists\tShift+Del"));
        QCOMPARE(menuItemOf(window, "exitAction")->text(), QStringLiteral("E&xit"));
        QCOMPARE(window.findChild<QMenu*>(QStringLiteral("trayMenu"))->defaultAction(),
                 menuItemOf(window, "restoreAction"));
    }

    void popupAdaptsToTheList() {
        MainWindow& window = start();
        showAndActivate(window);
        auto* popup = window.findChild<QMenu*>(QStringLiteral("listsMenu"));
        QTest::mouseClick(songViewOf(window)->viewport(), Qt::RightButton, Qt::NoModifier,
                          MainWindowFixture::itemCentre(songViewOf(window), 0));
        QTRY_VERIFY(popup->isVisible());
        QVERIFY(!menuItemOf(window, "executePlaylistsAction")->isVisible());
        QVERIFY(!menuItemOf(window, "addPlaylistsAction")->isVisible());
        QVERIFY(!menuItemOf(window, "createPlaylistsAction")->isVisible());
        QVERIFY(menuItemOf(window, "executeSongsAction")->isVisible());
        QVERIFY(!menuItemOf(window, "executeSongsAction")->isEnabled()); // no song selected
        QVERIFY(menuItemOf(window, "editItemAction")->isEnabled());
        QCOMPARE(popup->defaultAction(), menuItemOf(window, "executeSongsAction"));
        popup->hide();
        QTest::mouseClick(playlistViewOf(window)->viewport(), Qt::RightButton, Qt::NoModifier,
                          MainWindowFixture::itemCentre(playlistViewOf(window), 0));
        QTRY_VERIFY(popup->isVisible());
        QVERIFY(menuItemOf(window, "executePlaylistsAction")->isEnabled());
        QVERIFY(menuItemOf(window, "addPlaylistsAction")->isVisible());
        QVERIFY(!menuItemOf(window, "removeItemsAction")->isVisible());
        popup->hide();
    }

    void closingSavesBothStores() {
        MainWindow& window = start();
        showAndActivate(window);
        window.move(140, 150);
        window.resize(600, 420);
        QSignalSpy ended(&window, &MainWindow::terminationRequested);
        window.findChild<QSplitter*>(QStringLiteral("listSplitter"))->setSizes({80, 300});
        QVERIFY(window.close());
        QCOMPARE(ended.size(), 1);
        const QByteArray registry = readBytes(ConfigLocations::userRegistryFile());
        QVERIFY(registry.contains("\"frmMain_Width\"=dword:00000258"));
        QVERIFY(registry.contains("\"frmMain_lbPlayLists_Height\"=dword:00000050"));
        const QByteArray ini = readBytes(path(QStringLiteral("Platterbox.Ini")));
        QVERIFY(ini.contains("File1=Jazz/jazz.pls\r\n"));
        QVERIFY(ini.contains("spinAutoExecuteDelay_Value=5\r\n"));
    }

    void closingWithoutSavingLeavesTheStoresAlone() {
        TestSupport::writeBytes(ConfigLocations::userRegistryFile(),
                                "Windows Registry Editor Version 5.00\r\n\r\n"
                                "[HKEY_CURRENT_USER\\Software\\Varnholt\\Platterbox]\r\n"
                                "\"dlgPreferences_cbSaveIni_Checked\"=dword:00000000\r\n"
                                "\"frmMain_lbPlayLists_Height\"=dword:00000005\r\n");
        const QByteArray registryBefore = readBytes(ConfigLocations::userRegistryFile());
        const QByteArray iniBefore = readBytes(path(QStringLiteral("Platterbox.Ini")));
        MainWindow& window = start();
        QCOMPARE(playlistViewOf(window)->height(), 30);
        showAndActivate(window);
        window.move(10, 10);
        QSignalSpy ended(&window, &MainWindow::terminationRequested);
        window.close();
        QCOMPARE(ended.size(), 1);
        QCOMPARE(readBytes(ConfigLocations::userRegistryFile()), registryBefore);
        QCOMPARE(readBytes(path(QStringLiteral("Platterbox.Ini"))), iniBefore);
    }

    void refusedRegistrySaveStillCloses() {
        MainWindow& window = start();
        QDir().mkpath(ConfigLocations::configFolder());
        {
            TestSupport::ReadOnlyFolder guard(ConfigLocations::configFolder());
            QVERIFY(guard.effective());
            QSignalSpy ended(&window, &MainWindow::terminationRequested);
            window.close();
            QCOMPARE(ended.size(), 1);
        }
        QCOMPARE(f_->dialogs.messages(),
                 QStringList{QStringLiteral("Failed to set data for 'frmMain_Top'")});
        QVERIFY(readBytes(path(QStringLiteral("Platterbox.Ini"))).contains("Total=3"));
    }

    void iniPathChoice_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("parameter");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no parameter")
            << QStringList() << QString() << QStringLiteral("prog/Platterbox.Ini");
        QTest::newRow("own file found ignoring case")
            << QStringList{QStringLiteral("prog/PLATTERBOX.INI")} << QString()
            << QStringLiteral("prog/PLATTERBOX.INI");
        QTest::newRow("parameter's file exists")
            << QStringList{QStringLiteral("cd/Platterbox/Platterbox.Ini")}
            << QStringLiteral("cd/Platterbox/Platterbox")
            << QStringLiteral("cd/Platterbox/Platterbox.Ini");
        QTest::newRow("parameter with an extension")
            << QStringList{QStringLiteral("cd/setup.Ini")} << QStringLiteral("cd/setup.exe")
            << QStringLiteral("cd/setup.Ini");
        QTest::newRow("parameter's file missing")
            << QStringList() << QStringLiteral("cd/other") << QStringLiteral("prog/Platterbox.Ini");
    }

    void iniPathChoice() {
        QFETCH(QStringList, files);
        QFETCH(QString, parameter);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        for (const QString& file : files)
            writeBytes(dir.filePath(file), "[General]\r\n");
        const QString param = parameter.isEmpty() ? QString() : dir.filePath(parameter);
        QCOMPARE(chooseIniPath(param, dir.filePath(QStringLiteral("prog/Platterbox"))),
                 dir.filePath(expected));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
