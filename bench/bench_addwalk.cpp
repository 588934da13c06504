// Seeks the playlists of a tree as the Add Playlists dialog does (all playlists in a folder
// and its sub-folders), through the same function and with the wait window shown.
//
//   bench_addwalk TREE    prints the milliseconds and the number of playlists found
#include "collection/PlaylistSeek.h"
#include "common/gui/WaitWindow.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_addwalk TREE\n");
        return 2;
    }
    QList<QByteArray> found;
    QElapsedTimer timer;
    timer.start();
    const bool completed =
        findPlaylistsIn(QString::fromLocal8Bit(argv[1]), true, &WaitWindow::runWalk, found);
    const qint64 ms = timer.elapsed();
    std::printf("%lld ms, %lld playlists\n", static_cast<long long>(ms),
                static_cast<long long>(found.size()));
    return completed ? 0 : 1;
}
