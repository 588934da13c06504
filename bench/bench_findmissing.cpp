// Seeks moved songs in a tree as Find Missing Songs does: one walk under the wait window, every
// file name compared with the missing songs' names, the candidates ranked.
//
//   bench_findmissing TREE read     the tree's playlists read and their missing songs noted,
//                                   as the command does first for the selected playlists
//   bench_findmissing TREE walk     one missing song: the walk's own cost
//   bench_findmissing TREE match    100,000 missing songs (the tree's first files, cover.jpg
//                                   among them, their folders elsewhere): the matching beyond
//                                   the walk, the whole search and the walk alone
// With match, each figure is the median of three searches.
#include "collection/FolderListing.h"
#include "collection/MissingSongs.h"
#include "collection/PlaylistSeek.h"
#include "common/PathCaseLookup.h"
#include "common/gui/WaitWindow.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr int MissingSongs = 100000;

// A playlist missing these songs, each once in a folder that no longer exists.
QList<PlaylistRelocation> missing(const QList<QByteArray>& paths) {
    PlaylistRelocation playlist;
    playlist.listPath = "/gone/mix.m3u";
    for (const QByteArray& path : paths) {
        const QByteArray old =
            "/gone" + path.sliced(path.lastIndexOf('/', path.lastIndexOf('/') - 1));
        playlist.songs.append(SongRelocation::of(playlist.songs.size(), old, old));
    }
    return {playlist};
}

// The first `count` files of the tree (or only songs), walked without a display.
QList<QByteArray> filesOf(const QByteArray& tree, int count, bool songsOnly = false) {
    QList<QByteArray> files;
    walkFolders(tree, [&](const QString&, FolderListing& listing) {
        for (const NativeFolder::Entry& entry : listing.entries())
            if (!entry.maybeFolder && files.size() < count &&
                (!songsOnly || entry.name.contains(" Song ")))
                files.append(listing.nativePath() + entry.name);
        return files.size() < count ? StepResult::goOn() : StepResult::stop();
    });
    return files;
}

// The median of some searches, each on a fresh copy of the playlists.
qint64 timedSearch(QList<PlaylistRelocation>& playlists, const QByteArray& tree, int runs) {
    QList<qint64> times;
    const QList<PlaylistRelocation> missing = playlists;
    for (int run = 0; run < runs; ++run) {
        playlists = missing;
        QElapsedTimer timer;
        timer.start();
        if (!findMovedSongs(playlists, tree, &WaitWindow::runWalk))
            return -1;
        times.append(timer.elapsed());
    }
    std::sort(times.begin(), times.end());
    return times.at(runs / 2);
}

qsizetype candidates(const QList<PlaylistRelocation>& playlists) {
    qsizetype count = 0;
    for (const SongRelocation& song : playlists.first().songs)
        count += song.candidates.size();
    return count;
}

// Every playlist of the tree read once, as Find Missing Songs reads the selected ones.
int readPlaylists(const QByteArray& tree) {
    QList<QByteArray> paths;
    findPlaylistsIn(tree, true, &runWithoutWaitWindow, paths);
    QElapsedTimer timer;
    timer.start();
    PathCaseLookup lookup;
    qsizetype missing = 0;
    for (const QByteArray& path : paths) {
        if (const Result<PlaylistRelocation> playlist = collectMissingSongs(path, lookup))
            missing += playlist->songs.size();
    }
    std::printf("%lld ms, %lld playlists, %lld missing songs\n",
                static_cast<long long>(timer.elapsed()), static_cast<long long>(paths.size()),
                static_cast<long long>(missing));
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QList<QByteArray> modes = {"read", "walk", "match"};
    if (argc != 3 || !modes.contains(argv[2])) {
        std::fprintf(stderr, "usage: bench_findmissing TREE read|walk|match\n");
        return 2;
    }
    const QByteArray tree = argv[1];
    if (std::strcmp(argv[2], "read") == 0)
        return readPlaylists(tree);
    const bool match = std::strcmp(argv[2], "match") == 0;
    QList<PlaylistRelocation> one = missing(filesOf(tree, 1, true));
    // One search alone, so that the processor time measured from outside is the walk's.
    const qint64 walk = timedSearch(one, tree, match ? 3 : 1);
    if (!match) {
        std::printf("%lld ms, %lld candidates\n", static_cast<long long>(walk),
                    static_cast<long long>(candidates(one)));
        return walk < 0 ? 1 : 0;
    }
    QList<PlaylistRelocation> many = missing(filesOf(tree, MissingSongs));
    const qint64 total = timedSearch(many, tree, 3);
    std::printf("%lld ms beyond the walk, %lld ms in all, walk alone %lld ms, %lld songs, %lld "
                "candidates\n",
                static_cast<long long>(total - walk), static_cast<long long>(total),
                static_cast<long long>(walk), static_cast<long long>(many.first().songs.size()),
                static_cast<long long>(candidates(many)));
    return total < 0 ? 1 : 0;
}
