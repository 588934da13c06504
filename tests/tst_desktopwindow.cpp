#include "FakePlayer.h"
#include "MainWindowFixture.h"
#include "TestSupport.h"
#include "XSession.h"
#include "common/gui/WaitWindow.h"
#include "platform/ConfigLocations.h"
#include "platform/gui/QtDialogs.h"
#include "settings/RegistryFile.h"
#include "platform/gui/TrayWatcher.h"
#include "settings/gui/HelpDialog.h"
#include "startup/gui/CountdownDialog.h"
#include "startup/gui/TrayIcon.h"

#include <QApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QtTest>

using TestSupport::writeBytes;

// Skips the test (not only a helper) when the desktop it needs is not there.
#define REQUIRE_SESSION()                                                                          \
    do {                                                                                           \
        if (!session_.isRunning())                                                                 \
            QSKIP(qPrintable(missingSession()));                                                   \
    } while (false)

#define REQUIRE_TRAY_HOST()                                                                        \
    do {                                                                                           \
        if (!session_.startTrayHost())                                                             \
            QSKIP("Needs a tray host (trayer or stalonetray)");                                    \
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 5000);                  \
    } while (false)

// The main window on a real X server with a window manager, with and without a tray host:
// where it comes back after a restart, where it goes when minimised or hidden after playing,
// its taskbar entry, and the timed close after playing.
class TestDesktopWindow : public QObject {
    Q_OBJECT

    XSession& session_;
    TestSupport::IsolatedEnvironment env_;
    FakePlayer player_;
    QTemporaryDir dir_;
    std::unique_ptr<MainWindowFixture> f_;

    QString path(const QString& relative) const { return dir_.filePath(relative); }

    QString missingSession() const {
        return QStringLiteral("Needs Xvfb and openbox: ") + session_.problem();
    }
    // The general settings kept in the registry file, as the program writes them.
    static void writeRegistry(int placement, qint32 top = 100, qint32 left = 100) {
        const auto dword = [](qint32 value) {
            return QByteArray::number(quint32(value), 16).rightJustified(8, '0');
        };
        writeBytes(ConfigLocations::userRegistryFile(),
                   "Windows Registry Editor Version 5.00\r\n\r\n"
                   "[HKEY_CURRENT_USER\\Software\\Varnholt\\Platterbox]\r\n"
                   "\"dlgPreferences_radIcon_ItemIndex\"=dword:0000000" +
                       QByteArray::number(placement) +
                       "\r\n\"dlgPreferences_cbSaveIni_Checked\"=dword:00000001\r\n"
                       "\"frmMain_Top\"=dword:" +
                       dword(top) + "\r\n\"frmMain_Left\"=dword:" + dword(left) + "\r\n");
    }

    // The frame's corner as the program stored it on close.
    static QPoint storedPosition() {
        const QString text =
            QString::fromLatin1(TestSupport::readBytes(ConfigLocations::userRegistryFile()));
        const auto value = [&text](const char* key) {
            const QRegularExpressionMatch found =
                QRegularExpression(
                    QLatin1String("\"%1\"=dword:([0-9a-f]{8})").arg(QLatin1String(key)))
                    .match(text);
            return qint32(found.captured(1).toUInt(nullptr, 16));
        };
        return {value("frmMain_Left"), value("frmMain_Top")};
    }

    // Starts the window with one playlist and these [General] lines.
    MainWindow& start(const QByteArray& general) {
        writeBytes(path(QStringLiteral("list.m3u")), "song.mp3\r\n");
        writeBytes(path(QStringLiteral("Platterbox.Ini")),
                   "[General]\r\n" + general + "[PlayLists]\r\nTotal=1\r\nFile0=list.m3u\r\n");
        f_ = std::make_unique<MainWindowFixture>(path(QStringLiteral("~PLATBX~.M3U")));
        return f_->create(path(QStringLiteral("Platterbox")));
    }

    static unsigned windowId(QWidget& window) { return unsigned(window.winId()); }

    // The user's minimise through the window manager.
    static void minimise(QWidget& window) {
        QVERIFY(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("windowminimize"),
                                                              QString::number(windowId(window))}) ==
                0);
    }

    bool onTaskbar(QWidget& window) const {
        return !session_.netWmState(windowId(window)).contains("_NET_WM_STATE_SKIP_TASKBAR");
    }

    static constexpr int Withdrawn = 0, Normal = 1, Iconic = 3;

    enum Shown { Preferences, Help, Countdown, MessageBox, AddPlaylists, Wait };

    // What is wrong with the program's windows on the screen: in the tray placement each one
    // skips the taskbar, otherwise none does; every one but the main window is transient for it.
    QString misplacedWindows(MainWindow& window, bool tray) const {
        const unsigned main = windowId(window);
        QStringList wrong;
        QList<unsigned> clients = session_.clientWindows(QCoreApplication::applicationPid());
        if (clients.size() == clients.count(main))
            return QStringLiteral("no window shown besides the main window");
        for (unsigned client : clients) {
            const bool skips = session_.netWmState(client).contains("_NET_WM_STATE_SKIP_TASKBAR");
            if (tray != skips)
                wrong << session_.title(client) + (skips ? QStringLiteral(" skips the taskbar")
                                                         : QStringLiteral(" is on the taskbar"));
            if (client != main && session_.transientFor(client) != main)
                wrong << session_.title(client) + QStringLiteral(" is not transient for the main");
        }
        return wrong.join(QLatin1String(", "));
    }

    // Opens a modal window, runs the inspection once it is up, and closes it.
    static void whileModal(const std::function<void()>& open,
                           const std::function<void()>& inspect) {
        QTimer::singleShot(0, [&inspect] {
            QWidget* modal = nullptr;
            if (QTest::qWaitFor([&modal] { return (modal = QApplication::activeModalWidget()); }))
                inspect();
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
        });
        open();
    }

public:
    explicit TestDesktopWindow(XSession& session) : session_(session) {}

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        player_.applyToThisProcess();
    }

    void cleanup() {
        f_.reset();
        session_.stopTrayHost();
    }

    // Each start reads the position the last close stored; the frame lands there again.
    void positionSurvivesRestarts() {
        REQUIRE_SESSION();
        writeRegistry(0);
        QList<QPoint> stored;
        for (int cycle = 0; cycle < 5; ++cycle) {
            MainWindow& window = start(QByteArray());
            QTRY_VERIFY(window.isVisible());
            QVERIFY(QTest::qWaitForWindowExposed(&window, 15000));
            // Framed by the window manager: the frame is larger than the window.
            QTRY_VERIFY(session_.frameRect(windowId(window)).height() > window.height());
            QTest::qWait(100);
            const QRect frame = session_.frameRect(windowId(window));
            QVERIFY2(frame.top() >= 0, "the title bar is above the screen");
            QVERIFY((frame.topLeft() - QPoint(100, 100)).manhattanLength() <= 2);
            window.close();
            stored << QPoint(f_->settings.window.left, f_->settings.window.top);
            f_.reset();
        }
        for (const QPoint& position : stored) {
            QVERIFY2(
                qAbs(position.x() - 100) <= 1 && qAbs(position.y() - 100) <= 1,
                qPrintable(QStringLiteral("stored %1,%2").arg(position.x()).arg(position.y())));
        }
    }

    void positionOverFiveStarts_data() {
        QTest::addColumn<int>("placement");
        QTest::addColumn<bool>("trayHost");
        QTest::addColumn<bool>("kill"); // else the close button
        QTest::newRow("taskbar") << 0 << false << false;
        QTest::newRow("taskbar, a tray host running") << 0 << true << false;
        QTest::newRow("tray") << 1 << true << false;
        QTest::newRow("tray, ended by kill") << 1 << true << true;
    }

    // The program as a user starts it, five times, the window left alone each time: the frame
    // comes back where the last close stored it, and that is where it was put the first time.
    void positionOverFiveStarts() {
        REQUIRE_SESSION();
        QFETCH(int, placement);
        QFETCH(bool, trayHost);
        QFETCH(bool, kill);
        if (trayHost)
            REQUIRE_TRAY_HOST();
        writeRegistry(placement, 200, 200);
        // Installed and declined already: no question before the window.
        writeBytes(ConfigLocations::systemRegistryFile(),
                   "Windows Registry Editor Version 5.00\r\n\r\n"
                   "[HKEY_LOCAL_MACHINE\\Software\\Varnholt\\Platterbox]\r\n"
                   "\"NeverAsk\"=dword:00000001\r\n\"NeverAskVer\"=dword:00000514\r\n");
        const QString program = path(QStringLiteral("starts/Platterbox"));
        QVERIFY(QDir().mkpath(path(QStringLiteral("starts"))));
        QFile::remove(program);
        QVERIFY(QFile::copy(QStringLiteral(PLATTERBOX_BINARY), program));
        writeBytes(program + QStringLiteral(".Ini"), "[PlayLists]\r\nTotal=0\r\n");
        QStringList positions;
        for (int start = 1; start <= 5; ++start) {
            QProcess process;
            process.start(program, QStringList());
            QVERIFY(process.waitForStarted());
            unsigned window = 0;
            QTRY_VERIFY_WITH_TIMEOUT(
                (window = session_.clientWindows(process.processId()).value(0)) != 0, 10000);
            QTRY_COMPARE(session_.wmState(window), Normal);
            QTRY_VERIFY(session_.frameRect(window).height() > 100);
            QTest::qWait(300);
            const QRect frame = session_.frameRect(window);
            if (kill)
                process.terminate();
            else
                session_.closeWindow(window);
            QVERIFY(process.waitForFinished(10000));
            QCOMPARE(process.exitCode(), 0);
            const QPoint stored = storedPosition();
            positions << QStringLiteral("start %1: frame %2,%3, stored %4,%5")
                             .arg(start)
                             .arg(frame.left())
                             .arg(frame.top())
                             .arg(stored.x())
                             .arg(stored.y());
            QVERIFY2(frame.topLeft() == QPoint(200, 200) && stored == QPoint(200, 200),
                     qPrintable(positions.join(QLatin1String("; "))));
        }
    }

    void positionOffTheScreenComesBack_data() {
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("left");
        QTest::newRow("title bar above the screen") << -200 << 100;
        QTest::newRow("beyond the right edge") << 100 << 5000;
        QTest::newRow("far to the left") << 100 << -3000;
    }

    // A position stored by an older version or for another screen still shows the title bar.
    void positionOffTheScreenComesBack() {
        REQUIRE_SESSION();
        QFETCH(int, top);
        QFETCH(int, left);
        writeRegistry(0, top, left);
        MainWindow& window = start(QByteArray());
        QCOMPARE(QPoint(f_->settings.window.left, f_->settings.window.top), QPoint(left, top));
        QTRY_VERIFY(window.isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(&window, 15000));
        QTRY_VERIFY(session_.frameRect(windowId(window)).height() > window.height());
        const QRect frame = session_.frameRect(windowId(window));
        const QRect screen = window.screen()->geometry();
        QVERIFY(frame.top() >= screen.top());
        QVERIFY(frame.top() < screen.bottom() - 20);
        QVERIFY(frame.right() > screen.left() + 20);
        QVERIFY(frame.left() < screen.right() - 20);
    }

    void trayOnlyWithoutTrayKeepsTheWindowReachable_data() {
        QTest::addColumn<bool>("autoPlay");
        QTest::newRow("minimise box") << false;
        QTest::newRow("hide after playing") << true;
    }

    // No tray host: the window is iconified with its taskbar entry, never withdrawn.
    void trayOnlyWithoutTrayKeepsTheWindowReachable() {
        REQUIRE_SESSION();
        QFETCH(bool, autoPlay);
        QTRY_VERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        writeRegistry(1);
        MainWindow& window =
            start(autoPlay ? "cbAutoExecute_Checked=1\r\ncbAutoExecuteDelay_Checked=0\r\n"
                             "cbAutoExecuteHide_Checked=1\r\ncbAutoExecuteClose_Checked=0\r\n"
                           : QByteArray());
        QTRY_VERIFY(window.isVisible());
        if (autoPlay) {
            QVERIFY(player_.waitForLaunches(1));
        } else {
            QVERIFY(QTest::qWaitForWindowExposed(&window, 15000));
            QTRY_COMPARE(session_.wmState(windowId(window)), Normal);
            QVERIFY(onTaskbar(window));
            minimise(window);
        }
        QTRY_COMPARE(session_.wmState(windowId(window)), Iconic);
        QTest::qWait(300);
        QCOMPARE(session_.wmState(windowId(window)), Iconic);
        QVERIFY(onTaskbar(window));
        QVERIFY(window.isMinimized());
    }

    // With a tray host: hidden into the tray with the icon shown, and no taskbar entry
    // however often the window comes back.
    void trayOnlyWithTrayStaysOffTheTaskbar() {
        REQUIRE_SESSION();
        REQUIRE_TRAY_HOST();
        writeRegistry(1);
        MainWindow& window = start(QByteArray());
        QTRY_VERIFY(window.isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(&window, 15000));
        QTRY_VERIFY(trayIconOf(window)->isShown());
        QTRY_VERIFY(!onTaskbar(window));
        for (int round = 0; round < 3; ++round) {
            minimise(window);
            QTRY_VERIFY(!window.isVisible());
            QTRY_VERIFY(session_.wmState(windowId(window)) <= Withdrawn);
            QVERIFY(trayIconOf(window)->isShown());
            trayIconOf(window)->handleActivation(QSystemTrayIcon::Trigger);
            QTRY_COMPARE(session_.wmState(windowId(window)), Normal);
            QVERIFY(!window.isMinimized());
            // Given time to drop the state, as window managers do when a window is withdrawn.
            QTest::qWait(300);
            QVERIFY2(!onTaskbar(window), qPrintable(QStringLiteral("round %1").arg(round)));
        }
    }

    // In the tray placement the window is off the taskbar; after each box, dialog and wait
    // window the user closes, it is the active window again with the list's focus.
    void focusComesBackAfterEachDialog() {
        REQUIRE_SESSION();
        REQUIRE_TRAY_HOST();
        writeRegistry(1);
        MainWindow& window = start(QByteArray());
        QTRY_VERIFY(window.isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(&window, 15000));
        QTRY_VERIFY(!onTaskbar(window));
        window.activateWindow();
        f_->playlistView()->setFocus();
        QTRY_COMPARE(session_.activeWindow(), windowId(window));
        QtDialogs boxes(&window);
        const QList<std::pair<const char*, std::function<void()>>> walks = {
            {"input box",
             [&] { (void)boxes.askText(QStringLiteral("Edit"), QString(), QString()); }},
            {"question", [&] { (void)boxes.askYesNo(QStringLiteral("Sure?")); }},
            {"Options", [&] { buttonOf(window, "optionsButton")->click(); }},
            {"wait window", [&] {
                 (void)WaitWindow::runWalk(
                     QStringLiteral("Wait"), QString(), [](WalkProgress& progress) {
                         QTest::qWait(300);
                         return WalkResult{progress.tick(QString()), Status::ok()};
                     });
             }}};
        for (const auto& [name, walk] : walks) {
            QTimer::singleShot(0, [] {
                QWidget* modal = nullptr;
                if (QTest::qWaitFor(
                        [&modal] { return (modal = QApplication::activeModalWidget()); }))
                    QTest::keyClick(modal, Qt::Key_Escape);
            });
            walk();
            QTRY_VERIFY2(session_.activeWindow() == windowId(window), name);
            QTRY_VERIFY2(f_->playlistView()->hasFocus(), name);
        }
    }

    void activeAtFirstShow_data() {
        QTest::addColumn<QString>("before");
        QTest::newRow("first show") << "";
        QTest::newRow("after a question before the window") << "question";
        QTest::newRow("after Help closes") << "help";
    }

    // In the tray placement the window that appears is the active one, with the playlists
    // focused, so Enter plays at once; so it is again when the Help window closes.
    void activeAtFirstShow() {
        REQUIRE_SESSION();
        REQUIRE_TRAY_HOST();
        QFETCH(QString, before);
        writeRegistry(1);
        if (before == QLatin1String("question")) {
            // As the installation's questions are asked, before the window exists.
            QTimer::singleShot(0, [] {
                QWidget* modal = nullptr;
                if (QTest::qWaitFor(
                        [&modal] { return (modal = QApplication::activeModalWidget()); }))
                    QTest::keyClick(modal, Qt::Key_Escape);
            });
            QtDialogs boxes;
            (void)boxes.askYesNo(QStringLiteral("Install?"));
        }
        MainWindow& window = start(QByteArray());
        QTRY_VERIFY(window.isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(&window, 15000));
        if (before == QLatin1String("help")) {
            QTRY_COMPARE(session_.activeWindow(), windowId(window));
            HelpDialog help(&window);
            help.show();
            help.activateWindow();
            QTRY_COMPARE(session_.activeWindow(), windowId(help));
            help.close();
        }
        QTRY_COMPARE(session_.title(session_.activeWindow()), session_.title(windowId(window)));
        QTRY_COMPARE(session_.activeWindow(), windowId(window));
        QTRY_VERIFY(window.isActiveWindow());
        QTRY_VERIFY(f_->playlistView()->hasFocus());
    }

    // The watcher hears of every tray host that comes or goes, once each, and agrees with Qt.
    void trayWatcherFollowsTheTrayHost() {
        REQUIRE_SESSION();
        QTRY_VERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        TrayWatcher watcher;
        QList<bool> told;
        connect(&watcher, &TrayWatcher::availabilityChanged, this,
                [&told](bool available) { told << available; });
        watcher.start();
        QVERIFY(!watcher.isAvailable());
        for (int round = 0; round < 2; ++round) {
            REQUIRE_TRAY_HOST();
            QTRY_VERIFY(watcher.isAvailable());
            session_.stopTrayHost();
            QTRY_VERIFY(!watcher.isAvailable());
        }
        QCOMPARE(told, QList<bool>({true, false, true, false}));
        // A host that comes, goes and comes again before a later watcher's first look: the news
        // reaches it afterwards (the display reports to the connection) and changes nothing.
        REQUIRE_TRAY_HOST();
        session_.stopTrayHost();
        REQUIRE_TRAY_HOST();
        TrayWatcher later;
        QList<bool> laterTold;
        connect(&later, &TrayWatcher::availabilityChanged, this,
                [&laterTold](bool available) { laterTold << available; });
        later.start();
        QVERIFY(later.isAvailable());
        session_.stopTrayHost();
        QTRY_VERIFY(!later.isAvailable());
        QCOMPARE(laterTold, QList<bool>({true, false}));
    }

    // A tray starting after the program takes the window off the taskbar; one ending while the
    // window is in it gives the window back, minimised.
    void trayComingAndGoingAppliesThePlacement() {
        REQUIRE_SESSION();
        QTRY_VERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        writeRegistry(1);
        MainWindow& window = start(QByteArray());
        QTRY_VERIFY(window.isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(&window, 15000));
        QTRY_COMPARE(session_.wmState(windowId(window)), Normal);
        QVERIFY(onTaskbar(window));
        REQUIRE_TRAY_HOST();
        // Roomy waits: a machine busy right after a build is slow to pass the tray around.
        QTRY_VERIFY_WITH_TIMEOUT(!onTaskbar(window), 10000);
        QTRY_VERIFY(trayIconOf(window)->isShown());
        minimise(window);
        QTRY_VERIFY(!window.isVisible());
        // The window manager lets the hidden window go before the tray ends: a tray ending
        // while it is still taking the window off the screen is a race no user meets.
        QTRY_VERIFY_WITH_TIMEOUT(session_.wmState(windowId(window)) <= Withdrawn, 10000);
        session_.stopTrayHost();
        QTRY_COMPARE_WITH_TIMEOUT(session_.wmState(windowId(window)), Iconic, 10000);
        QVERIFY(onTaskbar(window));
    }

    void minimisingKeepsTheTimedClose_data() {
        QTest::addColumn<bool>("tray");
        QTest::newRow("with a tray") << true;
        QTest::newRow("without a tray") << false;
    }

    // Only the user's restore cancels the timed close; minimising does not.
    void minimisingKeepsTheTimedClose() {
        REQUIRE_SESSION();
        QFETCH(bool, tray);
        if (tray)
            REQUIRE_TRAY_HOST();
        writeRegistry(1);
        MainWindow& window = start("cbAutoExecute_Checked=1\r\ncbAutoExecuteDelay_Checked=0\r\n"
                                   "cbAutoExecuteHide_Checked=0\r\ncbAutoExecuteClose_Checked=1\r\n"
                                   "spinAutoExecuteCloseDelay_Value=2\r\n");
        QSignalSpy ended(&window, &MainWindow::terminationRequested);
        QTRY_VERIFY(timerOf(window, "closeTimer")->isActive());
        QVERIFY(QTest::qWaitForWindowExposed(&window, 15000));
        QTRY_COMPARE(session_.wmState(windowId(window)), Normal);
        minimise(window);
        if (tray)
            QTRY_VERIFY(!window.isVisible());
        else
            QTRY_COMPARE(session_.wmState(windowId(window)), Iconic);
        QVERIFY(timerOf(window, "closeTimer")->isActive());
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000);
    }

    void noTaskbarButtonInTheTray_data() {
        QTest::addColumn<int>("shown");
        QTest::addColumn<bool>("tray");
        QTest::addColumn<bool>("windowInTray");
        QTest::newRow("Preferences") << int(Preferences) << true << false;
        QTest::newRow("Help") << int(Help) << true << false;
        QTest::newRow("countdown") << int(Countdown) << true << false;
        QTest::newRow("countdown, window in the tray") << int(Countdown) << true << true;
        QTest::newRow("message box") << int(MessageBox) << true << false;
        QTest::newRow("message box, window in the tray") << int(MessageBox) << true << true;
        QTest::newRow("Add Playlists") << int(AddPlaylists) << true << false;
        QTest::newRow("wait window") << int(Wait) << true << false;
        QTest::newRow("Preferences, taskbar placement") << int(Preferences) << false << false;
    }

    // While any window of the program is shown in the tray placement, none has a taskbar
    // button; the taskbar placement leaves the dialogs' buttons alone.
    void noTaskbarButtonInTheTray() {
        REQUIRE_SESSION();
        QFETCH(int, shown);
        QFETCH(bool, tray);
        QFETCH(bool, windowInTray);
        if (tray)
            REQUIRE_TRAY_HOST();
        writeRegistry(tray ? 1 : 0);
        MainWindow& window = start(QByteArray());
        QVERIFY(QTest::qWaitForWindowExposed(&window, 15000));
        QTRY_COMPARE(onTaskbar(window), !tray);
        if (windowInTray) {
            minimise(window);
            QTRY_VERIFY(!window.isVisible());
        }
        QString wrong = QStringLiteral("never inspected");
        const auto inspect = [&] {
            if (!QTest::qWaitFor([&] { return (wrong = misplacedWindows(window, tray)).isEmpty(); },
                                 3000))
                wrong += QStringLiteral(" (for 3 s)");
        };
        switch (Shown(shown)) {
        case Preferences:
            whileModal([&] { buttonOf(window, "optionsButton")->click(); }, inspect);
            break;
        case Help: {
            HelpDialog help(&window);
            help.show();
            inspect();
            break;
        }
        case Countdown:
            whileModal([&] { runCountdown(60, QStringLiteral("Wait"), &window); }, inspect);
            break;
        case MessageBox: {
            QtDialogs boxes(&window);
            whileModal([&] { boxes.showMessage(QStringLiteral("Done")); }, inspect);
            break;
        }
        case AddPlaylists:
            whileModal([&] { buttonOf(window, "addPlaylistsButton")->click(); }, inspect);
            break;
        case Wait:
            WaitWindow::runWalk(QStringLiteral("Wait"), QStringLiteral("Searching"),
                                [&](WalkProgress&) {
                                    inspect();
                                    return WalkResult{true};
                                });
            break;
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    }

    // Window titles are the program's own texts, whole: the toolkit adds nothing to them.
    void titlesAreTheProgramsOwn() {
        REQUIRE_SESSION();
        writeRegistry(0);
        writeBytes(path(QStringLiteral("list.m3u")), "song.mp3\r\n");
        writeBytes(path(QStringLiteral("Platterbox.Ini")),
                   "[General]\r\ncbAutoExecute_Checked=1\r\ncbAutoExecuteDelay_Checked=1\r\n"
                   "spinAutoExecuteDelay_Value=60\r\n[PlayLists]\r\nTotal=1\r\nFile0=list.m3u\r\n");
        // The installation was declined for this version, so the start asks nothing first.
        const QString machine =
            QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Varnholt\\Platterbox");
        RegistryFile system(ConfigLocations::systemRegistryFile());
        QVERIFY(system.setValue(machine, QStringLiteral("NeverAsk"), RegistryValue::fromDword(1))
                    .isOk());
        QVERIFY(
            system.setValue(machine, QStringLiteral("NeverAskVer"), RegistryValue::fromDword(1300))
                .isOk());
        QProcess program;
        program.start(QStringLiteral(PLATTERBOX_BINARY), {path(QStringLiteral("Platterbox"))});
        unsigned countdown = 0;
        const auto find = [&countdown] {
            QProcess search;
            search.start(
                QStringLiteral("xdotool"),
                {QStringLiteral("search"), QStringLiteral("--name"), QStringLiteral("AutoPlay")});
            search.waitForFinished(5000);
            countdown = search.readAllStandardOutput().split('\n').value(0).toUInt();
            return countdown != 0;
        };
        QTRY_VERIFY_WITH_TIMEOUT(find(), 10000);
        QCOMPARE(session_.title(countdown), QStringLiteral("Platterbox AutoPlay Timer"));
        program.terminate();
        if (!program.waitForFinished(3000))
            program.kill();
        program.waitForFinished(3000);
    }

    void closeDelayFromAHandEditedFile_data() {
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<int>("seconds");
        QTest::newRow("zero") << QByteArray("0") << 1;
        QTest::newRow("negative") << QByteArray("-5") << 1;
        QTest::newRow("in range") << QByteArray("30") << 30;
        QTest::newRow("beyond the dialog") << QByteArray("1000") << 999;
        QTest::newRow("overflowing milliseconds") << QByteArray("2147484") << 999;
    }

    // Read into the range the Options dialog allows: the close comes, and not at once.
    void closeDelayFromAHandEditedFile() {
        QFETCH(QByteArray, written);
        QFETCH(int, seconds);
        writeRegistry(0);
        MainWindow& window = start("cbAutoExecute_Checked=1\r\ncbAutoExecuteDelay_Checked=0\r\n"
                                   "cbAutoExecuteHide_Checked=0\r\ncbAutoExecuteClose_Checked=1\r\n"
                                   "spinAutoExecuteCloseDelay_Value=" +
                                   written + "\r\n");
        QSignalSpy ended(&window, &MainWindow::terminationRequested);
        QTRY_VERIFY(timerOf(window, "closeTimer")->isActive());
        QCOMPARE(timerOf(window, "closeTimer")->interval(), seconds * 1000);
        QCOMPARE(f_->settings.preferences.closeDelaySeconds, seconds);
        QTest::qWait(200);
        QCOMPARE(ended.size(), 0);
    }
};

int main(int argc, char* argv[]) {
    // The X server and window manager come before the application connects to a display.
    XSession session;
    QApplication app(argc, argv);
    TestDesktopWindow test(session);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_desktopwindow.moc"
