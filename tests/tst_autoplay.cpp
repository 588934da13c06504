#include "FakePlayer.h"
#include "MainWindowFixture.h"
#include "TestSupport.h"
#include "platform/ConfigLocations.h"
#include "startup/gui/HandOffPart.h"
#include "startup/gui/TrayIcon.h"
#include "startup/gui/CountdownDialog.h"

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using TestSupport::readBytes;
using TestSupport::writeBytes;

namespace {
QPushButton* button(const CountdownDialog& dialog, const char* name) {
    return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
}

// Runs `act` on the countdown dialog once it is shown, with a fast timer, and records every
// number it shows while it is open.
struct CountdownDriver {
    QStringList shown;
    std::function<void(CountdownDialog*)> act;

    void arm() {
        QTimer::singleShot(0, [this] {
            auto* dialog = qobject_cast<CountdownDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return arm();
            auto* timer = dialog->findChild<QTimer*>(QStringLiteral("secondTimer"));
            auto* seconds = dialog->findChild<QLabel*>(QStringLiteral("secondsLabel"));
            timer->setInterval(20);
            shown << seconds->text();
            QObject::connect(timer, &QTimer::timeout, dialog, [this, dialog, seconds] {
                if (dialog->isVisible())
                    shown << seconds->text();
            });
            if (act)
                act(dialog);
        });
    }
};
} // namespace

// Auto-play with its countdown, hiding or minimising, the timed close and its cancellation,
// and the tray icon.
class TestAutoPlay : public QObject {
    Q_OBJECT

    TestSupport::IsolatedEnvironment env_;
    FakePlayer player_;
    QTemporaryDir dir_;
    std::unique_ptr<MainWindowFixture> f_;

    QString path(const QString& relative) const { return dir_.filePath(relative); }

    MainWindow& start(const QByteArray& general, int playlists, int placement) {
        QByteArray ini = "[General]\r\n" + general +
                         "[PlayLists]\r\nTotal=" + QByteArray::number(playlists) + "\r\n";
        for (int i = 0; i < playlists; ++i) {
            const QByteArray name = "list" + QByteArray::number(i) + ".m3u";
            writeBytes(path(QString::fromLatin1(name)),
                       "song" + QByteArray::number(i) + ".mp3\r\n");
            ini += "File" + QByteArray::number(i) + "=" + name + "\r\n";
        }
        writeBytes(path(QStringLiteral("Platterbox.Ini")), ini);
        // The placement is a general setting, kept in the registry file.
        writeBytes(ConfigLocations::userRegistryFile(),
                   "Windows Registry Editor Version 5.00\r\n\r\n"
                   "[HKEY_CURRENT_USER\\Software\\Varnholt\\Platterbox]\r\n"
                   "\"dlgPreferences_radIcon_ItemIndex\"=dword:0000000" +
                       QByteArray::number(placement) + "\r\n");
        f_ = std::make_unique<MainWindowFixture>(path(QStringLiteral("~PLATBX~.M3U")));
        return f_->create(path(QStringLiteral("Platterbox")));
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        player_.applyToThisProcess();
    }

    void cleanup() { f_.reset(); }

    void countdownShowsEveryNumber() {
        CountdownDriver driver;
        driver.arm();
        QVERIFY(runCountdown(3, QStringLiteral("Wait"), nullptr));
        QCOMPARE(driver.shown,
                 QStringList({QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("1")}));
    }

    void countdownButtons_data() {
        QTest::addColumn<bool>("ok");
        QTest::newRow("Play Now") << true;
        QTest::newRow("Don't AutoPlay") << false;
    }

    void countdownButtons() {
        QFETCH(bool, ok);
        CountdownDriver driver;
        driver.act = [ok](CountdownDialog* dialog) {
            dialog->findChild<QTimer*>(QStringLiteral("secondTimer"))->setInterval(60000);
            button(*dialog, ok ? "okButton" : "cancelButton")->click();
        };
        driver.arm();
        QCOMPARE(runCountdown(999, QStringLiteral("Wait"), nullptr), ok);
        QCOMPARE(driver.shown, QStringList{QStringLiteral("999")});
    }

    void countdownOfZeroStillPlays() {
        CountdownDriver driver;
        driver.arm();
        QVERIFY(runCountdown(0, QStringLiteral("Wait"), nullptr));
        QCOMPARE(driver.shown, QStringList{QString()});
    }

    void countdownDialog() {
        CountdownDialog dialog(1, QString(), nullptr);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Platterbox AutoPlay Timer"));
        QVERIFY(!(dialog.windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(button(dialog, "okButton")->toolTip(), QStringLiteral("Play Now"));
        QCOMPARE(button(dialog, "cancelButton")->toolTip(),
                 QStringLiteral("Don't AutoPlay / Open program normally"));
        QVERIFY(button(dialog, "okButton")->isDefault());
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("remainingLabel"))->text(),
                 QStringLiteral("seconds remaining..."));
        QCOMPARE(button(dialog, "cancelButton")->nextInFocusChain(), button(dialog, "okButton"));
    }

    void autoPlayRuns_data() {
        QTest::addColumn<int>("playlists");
        QTest::addColumn<int>("placement");
        QTest::newRow("tray only") << 3 << 1;
        QTest::newRow("taskbar minimises") << 2 << 0;
        QTest::newRow("both minimises") << 1 << 2;
        QTest::newRow("empty list still counts down") << 0 << 1;
    }

    void autoPlayRuns() {
        QFETCH(int, playlists);
        QFETCH(int, placement);
        // Without a tray the tray-only placement minimises too, so the window stays reachable.
        const bool hidden = placement == 1 && QSystemTrayIcon::isSystemTrayAvailable();
        const int launchesBefore = int(player_.launches().size());
        CountdownDriver driver;
        QString message;
        driver.act = [&message](CountdownDialog* dialog) {
            message = dialog->findChild<QLabel*>(QStringLiteral("messageLabel"))->text();
        };
        driver.arm();
        MainWindow& window = start("cbAutoExecute_Checked=1\r\nspinAutoExecuteDelay_Value=2\r\n"
                                   "spinAutoExecuteCloseDelay_Value=1\r\n",
                                   playlists, placement);
        QSignalSpy ended(&window, &MainWindow::terminationRequested);
        QTRY_VERIFY(timerOf(window, "closeTimer")->isActive());
        QCOMPARE(message, QStringLiteral("Wait to play %1 playlists").arg(playlists));
        QCOMPARE(driver.shown, QStringList({QStringLiteral("2"), QStringLiteral("1")}));
        QCOMPARE(timerOf(window, "closeTimer")->interval(), 1000);
        QCOMPARE(selectedRowsOf(playlistViewOf(window)).size(), playlists);
        if (hidden)
            QVERIFY(!window.isVisible());
        else
            QTRY_VERIFY(window.isMinimized());
        if (playlists > 0) {
            QVERIFY(player_.waitForLaunches(launchesBefore + 1));
            QCOMPARE(player_.launches().last().playlist.count("\r\n"), playlists);
        }
        // The timed close saves and ends the program.
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000);
        QVERIFY(readBytes(path(QStringLiteral("Platterbox.Ini")))
                    .contains("cbAutoExecuteHide_Checked=1"));
        QCOMPARE(int(player_.launches().size()), launchesBefore + (playlists > 0 ? 1 : 0));
    }

    void cancelLeavesTheProgramOpen() {
        CountdownDriver driver;
        driver.act = [](CountdownDialog* dialog) { button(*dialog, "cancelButton")->click(); };
        driver.arm();
        const int launchesBefore = int(player_.launches().size());
        MainWindow& window = start("cbAutoExecute_Checked=1\r\n", 2, 1);
        QTRY_VERIFY(window.isVisible());
        QTRY_VERIFY(!driver.shown.isEmpty());
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QVERIFY(window.isVisible());
        QVERIFY(!timerOf(window, "closeTimer")->isActive());
        QCOMPARE(selectedRowsOf(playlistViewOf(window)).size(), 1);
        QCOMPARE(int(player_.launches().size()), launchesBefore);
    }

    void withoutCountdownPlaysAtOnce() {
        MainWindow& window =
            start("cbAutoExecute_Checked=1\r\ncbAutoExecuteDelay_Checked=0\r\n"
                  "cbAutoExecuteHide_Checked=0\r\ncbAutoExecuteClose_Checked=0\r\n",
                  1, 0);
        const int launchesBefore = int(player_.launches().size());
        QTRY_VERIFY(window.isVisible());
        QVERIFY(player_.waitForLaunches(launchesBefore + 1));
        QVERIFY(!window.isMinimized());
        QVERIFY(!timerOf(window, "closeTimer")->isActive());
    }

    void autoPlayOffOnlyShows() {
        MainWindow& window = start(QByteArray(), 2, 0);
        QVERIFY(!window.isVisible());
        QTRY_VERIFY(window.isVisible());
        QVERIFY(!timerOf(window, "autoPlayTimer")->isActive());
        QCOMPARE(selectedRowsOf(playlistViewOf(window)).size(), 1);
    }

    void restoreCancelsTheTimedClose_data() {
        QTest::addColumn<int>("placement");
        QTest::newRow("tray click") << 1;
        QTest::newRow("taskbar restore") << 0;
    }

    void restoreCancelsTheTimedClose() {
        QFETCH(int, placement);
        MainWindow& window = start("cbAutoExecute_Checked=1\r\ncbAutoExecuteDelay_Checked=0\r\n"
                                   "spinAutoExecuteCloseDelay_Value=30\r\n",
                                   1, placement);
        QTRY_VERIFY(timerOf(window, "closeTimer")->isActive());
        if (placement == 1 && QSystemTrayIcon::isSystemTrayAvailable()) {
            QVERIFY(!window.isVisible());
            trayIconOf(window)->handleActivation(QSystemTrayIcon::Trigger);
        } else {
            QTRY_VERIFY(window.isMinimized());
            window.showNormal();
        }
        QVERIFY(window.isVisible());
        QVERIFY(!window.isMinimized());
        QVERIFY(!timerOf(window, "closeTimer")->isActive());
    }

    void newStartBringsBackAMinimisedWindowWithoutTray() {
        MainWindow& window = start("cbAutoExecute_Checked=1\r\ncbAutoExecuteDelay_Checked=0\r\n"
                                   "cbAutoExecuteClose_Checked=0\r\n",
                                   1, 1);
        QTRY_VERIFY(!timerOf(window, "autoPlayTimer")->isActive());
        QVERIFY(!trayIconOf(window)->isShown()); // offscreen there is no notification area
        // Played and minimised itself: without a tray, hiding would lose the window.
        QTRY_VERIFY(window.isMinimized());
        f_->dialogs.answerYesNo(false);
        bool replied = false;
        window.handOff().receive({path(QStringLiteral("Platterbox"))}, [&] { replied = true; });
        QVERIFY(replied);
        QCOMPARE(f_->dialogs.questions(),
                 QStringList{QStringLiteral("New instance loaded, use its INI file?")});
        QVERIFY(window.isVisible());
    }

    void trayFollowsThePlacement_data() {
        QTest::addColumn<int>("placement");
        QTest::addColumn<bool>("tray");
        QTest::newRow("taskbar") << 0 << false;
        QTest::newRow("system tray") << 1 << true;
        QTest::newRow("both") << 2 << true;
    }

    void trayFollowsThePlacement() {
        QFETCH(int, placement);
        QFETCH(bool, tray);
        MainWindow& window = start(QByteArray(), 1, placement);
        QCOMPARE(trayIconOf(window)->isActive(), tray);
        QCOMPARE(trayIconOf(window)->toolTip(), QStringLiteral("Platterbox v1.3 by Varnholt"));
        QTRY_VERIFY(window.isVisible());
        // The minimise box: hidden with the tray only (when there is a tray), minimised otherwise.
        window.showMinimized();
        if (placement == 1 && QSystemTrayIcon::isSystemTrayAvailable())
            QTRY_VERIFY(!window.isVisible());
        else
            QVERIFY(window.isMinimized());
        trayIconOf(window)->handleActivation(QSystemTrayIcon::Trigger);
        QVERIFY(window.isVisible());
        QVERIFY(!window.isMinimized());
    }

    void trayMenuAndTip() {
        MainWindow& window = start(QByteArray(), 1, 2);
        QTRY_VERIFY(window.isVisible());
        auto* trayMenu = window.findChild<QMenu*>(QStringLiteral("trayMenu"));
        trayIconOf(window)->handleActivation(QSystemTrayIcon::Context);
        QTRY_VERIFY(trayMenu->isVisible());
        trayMenu->hide();
        QSignalSpy ended(&window, &MainWindow::terminationRequested);
        menuItemOf(window, "exitAction")->trigger();
        QCOMPARE(ended.size(), 1);

        TrayIcon icon;
        icon.setToolTip(QString(70, QLatin1Char('x')));
        QCOMPARE(icon.toolTip().size(), 62);
        QSignalSpy clicks(&icon, &TrayIcon::clicked);
        icon.handleActivation(QSystemTrayIcon::DoubleClick);
        QCOMPARE(clicks.size(), 1);
    }
};

QTEST_MAIN(TestAutoPlay)
#include "tst_autoplay.moc"
