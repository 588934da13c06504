#include "MainWindowFixture.h"
#include "TestSupport.h"
#include "platform/ConfigLocations.h"
#include "startup/gui/HandOffPart.h"
#include "startup/gui/InstanceChannel.h"

#include <QDialog>
#include <QProcess>
#include <QtTest>

using TestSupport::readBytes;
using TestSupport::writeBytes;

namespace {
const QString HandOffQuestion = QStringLiteral("New instance loaded, use its INI file?");

QByteArray iniWith(const QStringList& playlists) {
    QByteArray ini = "[General]\r\ncbAutoExecute_Checked=0\r\n[PlayLists]\r\nTotal=" +
                     QByteArray::number(playlists.size()) + "\r\n";
    for (qsizetype i = 0; i < playlists.size(); ++i)
        ini += "File" + QByteArray::number(i) + '=' + playlists.at(i).toUtf8() + "\r\n";
    return ini;
}

// Every playlist an INI file names, as full paths.
QStringList playlistsOf(const QString& iniPath) {
    QStringList paths;
    const QDir folder = QFileInfo(iniPath).dir();
    for (const QByteArray& line : readBytes(iniPath).split('\n')) {
        const QByteArray text = line.trimmed();
        if (text.startsWith("File") && text.contains('='))
            paths << folder.filePath(QString::fromUtf8(text.mid(text.indexOf('=') + 1)));
    }
    return paths;
}
} // namespace

// The running copy is this test's own window: while it asks the user something (a question,
// an input box), a real second copy of the program starts and hands over its INI file. The
// hand-off waits until the answer is given, and the command acts on what the user chose.
class TestHandOff : public QObject {
    Q_OBJECT

    TestSupport::IsolatedEnvironment env_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<MainWindowFixture> f_;
    std::unique_ptr<InstanceChannel> channel_;
    std::unique_ptr<QProcess> second_;

    QString path(const QString& relative) const { return dir_->filePath(relative); }

    MainWindow& startFirst() {
        for (const char* name : {"p0", "p1", "p2"})
            writeBytes(path(QStringLiteral("first/%1.m3u").arg(QLatin1String(name))),
                       QByteArray(name) + "-b.mp3\r\n" + name + "-a.mp3\r\n");
        writeBytes(path(QStringLiteral("first/Platterbox.Ini")),
                   iniWith({QStringLiteral("p0.m3u"), QStringLiteral("p1.m3u"),
                            QStringLiteral("p2.m3u")}));
        for (const char* name : {"q0", "q1"})
            writeBytes(path(QStringLiteral("second/%1.m3u").arg(QLatin1String(name))),
                       QByteArray(name) + ".mp3\r\n");
        writeBytes(path(QStringLiteral("second/Platterbox.Ini")),
                   iniWith({QStringLiteral("q0.m3u"), QStringLiteral("q1.m3u")}));
        QFile::copy(QStringLiteral(PLATTERBOX_BINARY), path(QStringLiteral("second/Platterbox")));
        // Saving on: the first copy keeps its list in its own file before it switches.
        writeBytes(ConfigLocations::userRegistryFile(),
                   "Windows Registry Editor Version 5.00\r\n\r\n"
                   "[HKEY_CURRENT_USER\\Software\\Varnholt\\Platterbox]\r\n"
                   "\"dlgPreferences_cbSaveIni_Checked\"=dword:00000001\r\n");

        f_ = std::make_unique<MainWindowFixture>(path(QStringLiteral("~PLATBX~.M3U")));
        MainWindow& window = f_->create(path(QStringLiteral("first/Platterbox")));
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qWarning("window not exposed");
        channel_ =
            std::make_unique<InstanceChannel>(env_.runtimeDir() + QLatin1String("/Platterbox"));
        if (channel_->claimOrHandOver({}) != InstanceChannel::Role::Running)
            qWarning("the test does not hold the channel");
        channel_->setHandler(
            [&window](const QStringList& commandLine, InstanceChannel::Reply reply) {
                window.handOff().receive(commandLine, std::move(reply));
            });
        return window;
    }

    // While the command's box is open, the second copy starts and its request arrives.
    void secondCopyArrivesWhileAsking(MainWindow& window) {
        f_->dialogs.setWhileOpen([this, &window](const ScriptedDialogs::Record&) {
            f_->dialogs.setWhileOpen({});
            startSecondCopy(window);
        });
    }

    void startSecondCopy(MainWindow& window) {
        second_ = std::make_unique<QProcess>();
        second_->setProcessChannelMode(QProcess::ForwardedChannels);
        second_->start(path(QStringLiteral("second/Platterbox")), QStringList{});
        if (!QTest::qWaitFor([&window] { return window.handOff().waiting() == 1; }, 15000))
            qWarning("the second copy's request did not arrive");
    }

private Q_SLOTS:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QDir().mkpath(env_.runtimeDir() + QLatin1String("/Platterbox"));
    }

    void cleanup() {
        if (second_ && second_->state() != QProcess::NotRunning) {
            second_->kill();
            second_->waitForFinished(3000);
        }
        second_.reset();
        channel_.reset();
        f_.reset();
        dir_.reset();
    }

    void commandActsOnWhatTheUserChose_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("delete playlist files") << QStringLiteral("delete");
        QTest::newRow("rename a playlist") << QStringLiteral("rename");
        QTest::newRow("edit a song entry") << QStringLiteral("edit");
    }

    void commandActsOnWhatTheUserChose() {
        QFETCH(QString, command);
        MainWindow& window = startFirst();
        secondCopyArrivesWhileAsking(window);
        const QString renamed = path(QStringLiteral("first/p1-renamed.m3u"));
        if (command == QLatin1String("delete")) {
            f_->clickPlaylist(2);
            f_->dialogs.answerYesNo(true);
            f_->dialogs.answerYesNo(true);
            f_->pressKey(f_->playlistView(), Qt::Key_Delete, Qt::ShiftModifier);
        } else if (command == QLatin1String("rename")) {
            f_->clickPlaylist(1);
            f_->dialogs.answerText(renamed);
            f_->dialogs.answerYesNo(true);
            f_->pressKey(f_->playlistView(), Qt::Key_F2);
        } else {
            f_->clickPlaylist(1);
            f_->clickSong(0);
            f_->dialogs.answerText(QStringLiteral("edited.mp3"));
            f_->dialogs.answerYesNo(true);
            f_->pressKey(f_->songView(), Qt::Key_F2);
        }
        QVERIFY(second_);
        QTRY_VERIFY_WITH_TIMEOUT(second_->state() == QProcess::NotRunning, 15000);
        QCOMPARE(second_->exitCode(), 0);
        // The hand-off was asked only once the command's own box had closed.
        QCOMPARE(f_->dialogs.records().size(), 2);
        QCOMPARE(f_->dialogs.records().at(1).text, HandOffQuestion);
        QCOMPARE(f_->playlistNames(),
                 QStringList({QStringLiteral("q0.m3u"), QStringLiteral("q1.m3u")}));

        // Only the playlist the user chose was touched; the second copy's are whole.
        QCOMPARE(readBytes(path(QStringLiteral("second/q0.m3u"))), QByteArray("q0.mp3\r\n"));
        QCOMPARE(readBytes(path(QStringLiteral("second/q1.m3u"))), QByteArray("q1.mp3\r\n"));
        QCOMPARE(QFileInfo::exists(path(QStringLiteral("first/p2.m3u"))),
                 command != QLatin1String("delete"));
        QCOMPARE(QFileInfo::exists(renamed), command == QLatin1String("rename"));
        if (command == QLatin1String("edit"))
            QCOMPARE(readBytes(path(QStringLiteral("first/p1.m3u"))),
                     QByteArray("edited.mp3\r\np1-a.mp3\r\n"));

        // Both INI files name only playlists that exist.
        window.close();
        for (const char* ini : {"first/Platterbox.Ini", "second/Platterbox.Ini"})
            for (const QString& playlist : playlistsOf(path(QLatin1String(ini))))
                QVERIFY2(QFileInfo::exists(playlist), qPrintable(playlist));
        QCOMPARE(playlistsOf(path(QStringLiteral("first/Platterbox.Ini"))).size(),
                 command == QLatin1String("delete") ? 2 : 3);
    }

    // The program's own windows count too: the Options dialog is open when the copy arrives.
    void handOffWaitsForTheOptionsDialog() {
        MainWindow& window = startFirst();
        bool askedWhileOpen = true;
        QTimer::singleShot(0, this, [&] {
            QWidget* options = QApplication::activeModalWidget();
            QVERIFY(options);
            startSecondCopy(window);
            askedWhileOpen = !f_->dialogs.records().isEmpty();
            static_cast<QDialog*>(options)->reject();
        });
        f_->dialogs.answerYesNo(true);
        buttonOf(window, "optionsButton")->click();
        QTRY_VERIFY_WITH_TIMEOUT(second_ && second_->state() == QProcess::NotRunning, 15000);
        QVERIFY(!askedWhileOpen);
        QCOMPARE(f_->dialogs.questions(), QStringList{HandOffQuestion});
        QCOMPARE(f_->playlistNames(),
                 QStringList({QStringLiteral("q0.m3u"), QStringLiteral("q1.m3u")}));
    }

    // Copies started while a dialog is open get one question, as a burst without one does.
    void burstDuringADialogIsAskedOnce() {
        MainWindow& window = startFirst();
        std::vector<std::unique_ptr<QProcess>> copies;
        QTimer::singleShot(0, this, [&] {
            QWidget* options = QApplication::activeModalWidget();
            QVERIFY(options);
            for (int i = 0; i < 5; ++i) {
                copies.push_back(std::make_unique<QProcess>());
                copies.back()->start(path(QStringLiteral("second/Platterbox")), QStringList{});
            }
            QVERIFY(QTest::qWaitFor([&] { return window.handOff().waiting() == 5; }, 20000));
            static_cast<QDialog*>(options)->reject();
        });
        f_->dialogs.answerYesNo(false);
        buttonOf(window, "optionsButton")->click();
        for (const auto& copy : copies) {
            QTRY_VERIFY_WITH_TIMEOUT(copy->state() == QProcess::NotRunning, 15000);
            QCOMPARE(copy->exitCode(), 0);
        }
        QCOMPARE(f_->dialogs.questions(), QStringList{HandOffQuestion});
    }
};

QTEST_MAIN(TestHandOff)
#include "tst_handoff.moc"
