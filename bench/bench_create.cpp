// Creates playlists for a tree as the Create Playlists dialog does (in the music folders,
// sorted, with sub-folders), through the same function and with the wait window shown.
//
//   bench_create TREE     prints the milliseconds and the number of playlists
#include "collection/PlaylistCreation.h"
#include "common/gui/WaitWindow.h"
#include "ScriptedDialogs.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_create TREE\n");
        return 2;
    }
    CreatePlaylistsInputs values{true, true, true, QString::fromLocal8Bit(argv[1]), QString()};
    ScriptedDialogs dialogs;
    QList<QByteArray> created;
    QElapsedTimer timer;
    timer.start();
    const WalkResult run =
        PlaylistCreation(values, dialogs, &WaitWindow::runWalk).createPlaylists(created);
    const qint64 ms = timer.elapsed();
    std::printf("%lld ms, %lld playlists\n", static_cast<long long>(ms),
                static_cast<long long>(created.size()));
    return run.completed ? 0 : 1;
}
