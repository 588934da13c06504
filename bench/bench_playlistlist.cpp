// The playlist list at collection scale through the real main window, driven as a user does
// (keys, the dialogs' controls, the answers to questions), each step timed until the program
// is idle again, timed inside the process: for profiling. The figures that count are timed
// from outside (scripts/bench, bench/outside.sh).
//
//   bench_playlistlist add TREE      Insert, Add Playlists (folder, sub-folders): OK to idle
//   bench_playlistlist create TREE   Shift+Insert, Create Playlists (in the music folders,
//                                    sorted, sub-folders): Create to idle, the append included
//   bench_playlistlist remove TREE   the tree's playlists added, then Alt+A and Delete: the key
//                                    to the question, and Yes to idle
//   bench_playlistlist start TREE    the window shown with an INI file listing the tree's
//                                    playlists, against one listing none plus that file's read
//
// The first line is "<ms> ms, ..." for the step a floor is compared with; every line also gives
// the longest stretch in which the window processed no events (it painted nothing then).
#include "collection/PlaylistSeek.h"
#include "collection/gui/AddPlaylistsDialog.h"
#include "collection/gui/CreatePlaylistsDialog.h"
#include "ExecuteFloor.h"
#include "ScriptedDialogs.h"
#include "platform/DesktopLauncher.h"
#include "base/TextDecoding.h"
#include "platform/RawNames.h"
#include "playlists/PlayingModule.h"
#include "playlists/PlaylistListModel.h"
#include "shell/MainWindow.h"
#include "settings/InstanceIni.h"
#include "settings/Settings.h"
#include "settings/gui/HintSwitch.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

// The longest time between two turns of the event loop while it runs.
class StallMeter : public QObject {
public:
    StallMeter() {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this,
                [this] { longest_ = qMax(longest_, sinceLast_.restart()); });
    }
    void start() {
        longest_ = 0;
        sinceLast_.start();
        timer_.start();
    }
    qint64 stop() {
        timer_.stop();
        return qMax(longest_, sinceLast_.elapsed());
    }

private:
    QTimer timer_;
    QElapsedTimer sinceLast_;
    qint64 longest_ = 0;
};

// Runs `act` on the next modal dialog of type D once it is up.
// A dialog's control by its object name, as a user's tools find it.
template <typename W> W* control(const QObject& dialog, const char* name) {
    return dialog.findChild<W*>(QString::fromLatin1(name));
}

template <typename D> void whenModal(std::function<void(D&)> act) {
    auto* poll = new QTimer;
    poll->setInterval(2);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(*dialog);
        }
    });
    poll->start();
}

// Lets every event that is already waiting run, painting included.
void untilIdle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

struct Program {
    QTemporaryDir dir;
    Settings settings;
    ScriptedDialogs dialogs;
    HintSwitch hints;
    std::unique_ptr<PlayingModule> playing;
    std::unique_ptr<MainWindow> window;

    explicit Program(const QByteArray& ini) {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
        QFile file(dir.filePath(QStringLiteral("Platterbox.Ini")));
        if (file.open(QIODevice::WriteOnly))
            file.write(ini);
        file.close();
        playing = std::make_unique<PlayingModule>(dialogs, Shell::openWithVerb,
                                                  dir.filePath(QStringLiteral("~PLATBX~.M3U")));
    }
    MainWindow& show() {
        window = std::make_unique<MainWindow>(ProgramContext{
            settings, dialogs, hints, *playing, dir.filePath(QStringLiteral("Platterbox")), {}});
        window->resize(640, 600);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            std::fprintf(stderr, "the window was not exposed\n");
        return *window;
    }
    QListView* playlistView() const {
        return window->findChild<QListView*>(QStringLiteral("playlistView"));
    }
};

void report(const char* step, qint64 ms, qsizetype count, qint64 stall) {
    std::printf("%lld ms, %s, %lld playlists listed, longest stretch without events %lld ms\n",
                static_cast<long long>(ms), step, static_cast<long long>(count),
                static_cast<long long>(stall));
}

int addPlaylists(const QString& tree) {
    Program program("[PlayLists]\r\nTotal=0\r\n");
    MainWindow& window = program.show();
    StallMeter stalls;
    QElapsedTimer timer;
    whenModal<AddPlaylistsDialog>([&](AddPlaylistsDialog& dialog) {
        control<QRadioButton>(dialog, "folderRadio")->setChecked(true);
        control<QLineEdit>(dialog, "folderEdit")->setText(tree);
        control<QCheckBox>(dialog, "subFoldersCheck")->setChecked(true);
        stalls.start();
        timer.start();
        control<QPushButton>(dialog, "okButton")->click();
    });
    QTest::keyClick(program.playlistView(), Qt::Key_Insert);
    untilIdle();
    const qint64 ms = timer.elapsed();
    report("Add", ms, program.window->playlists().count(), stalls.stop());
    Q_UNUSED(window);
    return program.window->playlists().count() == 0 ? 1 : 0;
}

int createPlaylists(const QString& tree) {
    Program program("[PlayLists]\r\nTotal=0\r\n");
    program.show();
    StallMeter stalls;
    QElapsedTimer timer;
    whenModal<CreatePlaylistsDialog>([&](CreatePlaylistsDialog& dialog) {
        control<QRadioButton>(dialog, "inMusicFoldersRadio")->setChecked(true);
        control<QLineEdit>(dialog, "baseFolderEdit")->setText(tree);
        control<QCheckBox>(dialog, "sortCheck")->setChecked(true);
        control<QCheckBox>(dialog, "subFoldersCheck")->setChecked(true);
        stalls.start();
        timer.start();
        control<QPushButton>(dialog, "createButton")->click();
    });
    QTest::keyClick(program.playlistView(), Qt::Key_Insert, Qt::ShiftModifier);
    untilIdle();
    const qint64 ms = timer.elapsed();
    report("Create with its append", ms, program.window->playlists().count(), stalls.stop());
    return program.window->playlists().count() == 0 ? 1 : 0;
}

QByteArray iniListing(const QList<QByteArray>& paths) {
    QByteArray ini = "[PlayLists]\r\nTotal=" + QByteArray::number(paths.size()) + "\r\n";
    for (qsizetype i = 0; i < paths.size(); ++i)
        ini += "File" + QByteArray::number(i) + '=' + paths.at(i) + "\r\n";
    return ini;
}

int removePlaylists(const QString& tree, bool deleteFiles) {
    QList<QByteArray> found;
    findPlaylistsIn(tree, true, runWithoutWaitWindow, found);
    Program program(iniListing(found));
    program.show();
    QListView* list = program.playlistView();
    QTest::keyClick(list, Qt::Key_A, Qt::AltModifier);
    untilIdle();
    StallMeter stalls;
    QElapsedTimer timer;
    qint64 toQuestion = -1;
    program.dialogs.answerYesNo(!deleteFiles); // Delete is answered No: the tree stays
    program.dialogs.setWhileOpen(
        [&](const ScriptedDialogs::Record&) { toQuestion = timer.restart(); });
    stalls.start();
    timer.start();
    QTest::keyClick(list, Qt::Key_Delete, deleteFiles ? Qt::ShiftModifier : Qt::NoModifier);
    untilIdle();
    const qint64 afterYes = timer.elapsed();
    const qint64 stall = stalls.stop();
    report(deleteFiles ? "Select All + Delete, key to question"
                       : "Select All + Remove, key to question",
           toQuestion, found.size(), stall);
    if (!deleteFiles)
        report("Select All + Remove, Yes to idle", afterYes, program.window->playlists().count(),
               stall);
    return toQuestion < 0 || (!deleteFiles && program.window->playlists().count() > 0) ? 1 : 0;
}

qint64 timedStart(const QByteArray& ini, qsizetype& listed, qint64& stall) {
    Program program(ini);
    StallMeter stalls;
    QElapsedTimer timer;
    stalls.start();
    timer.start();
    program.show();
    untilIdle();
    const qint64 ms = timer.elapsed();
    stall = stalls.stop();
    listed = program.window->playlists().count();
    return ms;
}

int start(const QString& tree) {
    QList<QByteArray> found;
    findPlaylistsIn(tree, true, runWithoutWaitWindow, found);
    const QByteArray ini = iniListing(found);
    // The INI file's own read, as the start does it.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("x.Ini"));
    QFile out(file);
    if (out.open(QIODevice::WriteOnly))
        out.write(ini);
    out.close();
    ScriptedDialogs dialogs;
    Settings read;
    QList<QByteArray> readPlaylists;
    QElapsedTimer timer;
    timer.start();
    readInstanceIni(file, read, readPlaylists, dialogs, PlaylistSpelling::AsWritten);
    const qint64 iniRead = timer.elapsed();
    qsizetype listed = 0;
    qint64 stall = 0;
    const qint64 empty = timedStart("[PlayLists]\r\nTotal=0\r\n", listed, stall);
    const qint64 full = timedStart(ini, listed, stall);
    report("start with the list", full, listed, stall);
    std::printf("%lld ms, start with an empty list (%lld ms) plus the INI file's read (%lld ms)\n",
                static_cast<long long>(empty + iniRead), static_cast<long long>(empty),
                static_cast<long long>(iniRead));
    return listed == found.size() ? 0 : 1;
}

// The floor of Execute (ExecuteFloor.h), timed.
qint64 timedFloorExecute(const QList<QByteArray>& paths, const QString& out) {
    QElapsedTimer timer;
    timer.start();
    floorExecute(paths, out);
    return timer.elapsed();
}

// Execute of every listed playlist through the window (Select All, Enter), in each shuffle
// mode, against the floor above; the player is the desktop's, if any.
int execute(const QString& tree) {
    QList<QByteArray> found;
    findPlaylistsIn(tree, true, runWithoutWaitWindow, found);
    Program program(iniListing(found));
    MainWindow& window = program.show();
    QListView* list = program.playlistView();
    int failures = 0;
    for (const ShuffleMode mode : {ShuffleMode::Normal, ShuffleMode::Partial, ShuffleMode::Total}) {
        program.settings.preferences.shuffleMode = mode;
        program.settings.preferences.shufflePlaylists = true;
        program.settings.preferences.shuffleWithinPlaylists = true;
        StallMeter stalls;
        QElapsedTimer timer;
        list->setFocus();
        QTest::keyClick(list, Qt::Key_A, Qt::AltModifier);
        stalls.start();
        timer.start();
        QTest::keyClick(list, Qt::Key_Return);
        const qint64 ms = timer.elapsed();
        const qint64 stall = stalls.stop();
        const qint64 floor =
            timedFloorExecute(found, program.dir.filePath(QStringLiteral("floor.m3u")));
        const char* name = mode == ShuffleMode::Normal    ? "execute, no shuffle"
                           : mode == ShuffleMode::Partial ? "execute, partial shuffle"
                                                          : "execute, total shuffle";
        report(name, ms, found.size(), stall);
        std::printf("%lld ms, floor: read every playlist, write one M3U\n",
                    static_cast<long long>(floor));
        failures +=
            QFileInfo(program.dir.filePath(QStringLiteral("~PLATBX~.M3U"))).size() > 0 ? 0 : 1;
    }
    (void)window;
    return failures;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr,
                     "usage: bench_playlistlist add|create|remove|delete|start|execute TREE\n");
        return 2;
    }
    const QString step = arguments.at(1);
    const QString tree = arguments.at(2);
    if (step == QLatin1String("add"))
        return addPlaylists(tree);
    if (step == QLatin1String("create"))
        return createPlaylists(tree);
    if (step == QLatin1String("remove") || step == QLatin1String("delete"))
        return removePlaylists(tree, step == QLatin1String("delete"));
    if (step == QLatin1String("start"))
        return start(tree);
    if (step == QLatin1String("execute"))
        return execute(tree);
    std::fprintf(stderr, "unknown step %s\n", qPrintable(step));
    return 2;
}
