// Copies playlists with their songs onto a folder as Copy to Folder does, without a display:
// the plan (playlists read, songs looked at on both sides) and the copy, each timed.
//
//   bench_copyto TARGET PLAYLIST...
//
// Prints "<ms> ms, <n> songs copied, <m> already there" for the whole command, then the
// plan's and the copy's own milliseconds.
#include "collection/DeviceCopy.h"
#include "common/WalkProgress.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_copyto TARGET PLAYLIST...\n");
        return 2;
    }
    DeviceCopyOptions options;
    options.target = argv[1];
    QList<QByteArray> playlists;
    for (int i = 2; i < argc; ++i)
        playlists.append(argv[i]);
    QElapsedTimer clock;
    clock.start();
    NoProgress progress;
    const Result<DeviceCopyPlan> planned = planDeviceCopy(playlists, options, progress);
    if (planned.failed()) {
        std::fprintf(stderr, "%s\n", qPrintable(planned.status().message()));
        return 1;
    }
    const DeviceCopyPlan& plan = planned.value();
    const qint64 planMs = clock.elapsed();
    const DeviceCopyResult result = runDeviceCopy(plan, false, progress);
    const qint64 totalMs = clock.elapsed();
    std::printf("%lld ms, %lld songs copied, %lld already there\n", totalMs,
                qlonglong(result.copied), qlonglong(result.alreadyThere));
    std::printf("plan %lld ms, copy %lld ms\n", planMs, totalMs - planMs);
    return result.failures.isEmpty() && result.stoppedBy.isEmpty() ? 0 : 1;
}
