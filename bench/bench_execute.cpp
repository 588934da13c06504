// Execute of every playlist of a tree without the window: the playing module alone, in each
// shuffle mode, against reading every playlist and writing one M3U. With a folder to keep
// them, the temporary playlists of a fixed shuffle seed are kept as normal.m3u, partial.m3u and
// total.m3u, to compare the output of two builds byte for byte.
//
//   bench_execute TREE [runs] [KEEP]   best of the runs (default 5) of each mode and the floor,
//                                      wall clock and this thread's processor time
#include "ExecuteFloor.h"
#include "ScriptedDialogs.h"
#include "collection/PlaylistSeek.h"
#include "common/WalkProgress.h"
#include "base/TextDecoding.h"
#include "platform/RawNames.h"
#include "playlists/PlayingModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <limits>

namespace {

// Processor time of this thread: steadier than the wall clock on a busy machine.
qint64 threadMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

struct Times {
    qint64 wall = std::numeric_limits<qint64>::max();
    qint64 processor = std::numeric_limits<qint64>::max();
    void take(qint64 wallMs, qint64 processorMs) {
        wall = std::min(wall, wallMs);
        processor = std::min(processor, processorMs);
    }
};

void timedFloorExecute(const QList<QByteArray>& paths, const QString& out, Times& times) {
    QElapsedTimer timer;
    timer.start();
    const qint64 started = threadMs();
    floorExecute(paths, out);
    times.take(timer.elapsed(), threadMs() - started);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2 || arguments.size() > 4) {
        std::fprintf(stderr, "usage: bench_execute TREE [runs] [KEEP]\n");
        return 2;
    }
    const int runs = arguments.size() > 2 ? arguments.at(2).toInt() : 5;
    const QString keep = arguments.size() > 3 ? arguments.at(3) : QString();
    QList<QByteArray> found;
    findPlaylistsIn(arguments.at(1), true, runWithoutWaitWindow, found);
    QTemporaryDir dir;
    const QString temporary = dir.filePath(QStringLiteral("~PLATBX~.M3U"));
    ScriptedDialogs dialogs;
    QString kept;
    PlayingModule playing(
        dialogs,
        [&](const QString&, const QString& file) {
            if (!kept.isEmpty()) {
                QFile::remove(kept);
                QFile::copy(file, kept);
            }
            return ShellResult::Launched;
        },
        temporary, [] { return quint32(12345678); });
    int failures = 0;
    const struct {
        ShuffleMode mode;
        const char* name;
    } modes[] = {{ShuffleMode::Normal, "normal"},
                 {ShuffleMode::Partial, "partial"},
                 {ShuffleMode::Total, "total"}};
    Times floor;
    for (const auto& [mode, name] : modes) {
        Preferences options;
        options.shuffleMode = mode;
        options.shufflePlaylists = true;
        options.shuffleWithinPlaylists = true;
        Times best;
        for (int run = 0; run < runs; ++run) {
            kept = run == 0 && !keep.isEmpty()
                       ? QDir(keep).filePath(QString::fromLatin1(name) + QStringLiteral(".m3u"))
                       : QString();
            QElapsedTimer timer;
            timer.start();
            const qint64 started = threadMs();
            NoProgress progress;
            playing.executePlaylists(found, options, &progress);
            best.take(timer.elapsed(), threadMs() - started);
            timedFloorExecute(found, dir.filePath(QStringLiteral("f.m3u")), floor);
        }
        failures += QFileInfo(temporary).size() > 0 ? 0 : 1;
        std::printf("%lld ms, execute %s, %lld playlists, processor %lld ms\n",
                    static_cast<long long>(best.wall), name, static_cast<long long>(found.size()),
                    static_cast<long long>(best.processor));
    }
    std::printf("%lld ms, floor: read every playlist, write one M3U, processor %lld ms\n",
                static_cast<long long>(floor.wall), static_cast<long long>(floor.processor));
    return failures;
}
