// Times a walk over a tree of 20,000 folders with the wait window shown, as adding playlists
// does it (one tick and one playlist search per folder).
//
//   bench_folderwalk [tree]   builds the tree there when it does not exist yet and keeps it,
//                             so that `find <tree> -type d` can be timed over the same tree;
//                             without an argument a temporary tree is used and removed.
#include "collection/FolderWalk.h"
#include "collection/PlaylistSeek.h"
#include "common/gui/WaitWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int FolderCount = 20000; // below the root
constexpr int Fanout = 20;

QStringList makeFolders(const QStringList& parents, int count, int& made) {
    QStringList folders;
    for (int i = 0; i < count; ++i) {
        const QString folder =
            parents.at(i % parents.size()) + QStringLiteral("/f") + QString::number(made);
        QDir().mkdir(folder);
        // A playlist in every tenth folder, for the search to find.
        if (made++ % 10 == 0) {
            QFile list(folder + QStringLiteral("/list.m3u"));
            if (list.open(QIODevice::WriteOnly))
                list.write("song.mp3\r\n");
        }
        folders.append(folder);
    }
    return folders;
}

// 20 folders, 20 in each of them, and the rest spread evenly over those 400.
void buildTree(const QString& root) {
    int made = 0;
    const QStringList first = makeFolders({root}, Fanout, made);
    const QStringList second = makeFolders(first, Fanout * Fanout, made);
    makeFolders(second, FolderCount - Fanout - Fanout * Fanout, made);
}

struct Run {
    bool completed = false;
    int folders = 0;
    qsizetype playlists = 0;
    qint64 milliseconds = 0;
};

// Seeks playlists in every folder, under the wait window or with no progress display.
Run timedWalk(const QString& root, bool withWaitWindow) {
    Run run;
    QList<QByteArray> found;
    const WalkWithProgress walk = [&](WalkProgress& progress) {
        return walkFolders(root, [&](const QString& folder, FolderListing& listing) {
            ++run.folders;
            return findPlaylists(progress, folder, listing, found);
        });
    };
    QElapsedTimer timer;
    timer.start();
    const WalkResult result =
        withWaitWindow
            ? WaitWindow::runWalk(QStringLiteral("Adding Playlists"),
                                  QStringLiteral("Currently seeking playlists in folder:"), walk)
            : runWithoutWaitWindow({}, {}, walk);
    run.milliseconds = timer.elapsed();
    run.completed = result.completed;
    run.playlists = found.size();
    return run;
}

void report(const char* what, const Run& run) {
    std::printf("%s: %d folders (root included), %lld playlists, %s, %lld ms\n", what, run.folders,
                static_cast<long long>(run.playlists),
                run.completed ? "completed" : "NOT completed",
                static_cast<long long>(run.milliseconds));
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir temporary;
    const QString root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path();
    if (!QFileInfo::exists(root + QStringLiteral("/f0"))) {
        QDir().mkpath(root);
        buildTree(root);
    }

    const Run withWindow = timedWalk(root, true);
    const Run bare = timedWalk(root, false);
    report("walk with wait window", withWindow);
    report("same walk, no window ", bare);
    return withWindow.completed && withWindow.folders == FolderCount + 1 ? 0 : 1;
}
