// Times the check for missing songs that follows loading a playlist into the song list: a tree
// of 100,000 song files (one in twenty named in the playlist but not made), a playlist of all
// of them, and one of 1,000,000 entries naming the same files ten times over. Reported: the
// time from the load until the model says the check has finished, the best of three runs
// after a first one that warms the cache. Exits with 1 when the 100,000 take more than 1 s.
//
//   bench_missingcheck [files]   default 100,000 (the long playlist has ten times as many)
#include "playlists/SongListModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

constexpr int FilesPerFolder = 1000;
constexpr int MissingEvery = 20;
constexpr int Runs = 3;
constexpr qint64 FloorMsecs = 1000;

QByteArray songName(int song) {
    return "album" + QByteArray::number(song / FilesPerFolder).rightJustified(4, '0') + "/song " +
           QByteArray::number(song % FilesPerFolder).rightJustified(4, '0') + ".mp3";
}

// The song files, and the text of a playlist naming them `passes` times over.
bool makeTree(const QString& root, int files) {
    for (int song = 0; song < files; ++song) {
        const QString path = root + QLatin1Char('/') + QString::fromLatin1(songName(song));
        if (song % FilesPerFolder == 0 && !QDir().mkpath(QFileInfo(path).path()))
            return false;
        QFile file(path);
        if (song % MissingEvery != 0 && !file.open(QIODevice::WriteOnly))
            return false;
    }
    return true;
}

bool writePlaylist(const QString& path, int files, int passes) {
    QByteArray text;
    for (int pass = 0; pass < passes; ++pass)
        for (int song = 0; song < files; ++song)
            text += songName(song) + "\r\n";
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// From the load until the check is over; -1 when the playlist did not load.
qint64 timedCheck(SongListModel& model, const QString& playlist) {
    QEventLoop loop;
    QObject::connect(&model, &SongListModel::missingCheckFinished, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    const QByteArray path = QFile::encodeName(playlist);
    if (model.load(path, path).failed())
        return -1;
    loop.exec();
    return timer.elapsed();
}

int missingRows(const SongListModel& model) {
    int missing = 0;
    for (int row = 0; row < model.count(); ++row)
        missing += model.isMissing(row) ? 1 : 0;
    return missing;
}

// Best of the runs after a first one; prints the result.
qint64 report(SongListModel& model, const QString& playlist) {
    qint64 best = std::numeric_limits<qint64>::max();
    for (int run = 0; run <= Runs; ++run) {
        const qint64 elapsed = timedCheck(model, playlist);
        if (elapsed < 0)
            return elapsed;
        if (run > 0)
            best = std::min(best, elapsed);
    }
    std::printf("%9d entries, %8d missing: checked in %6lld ms\n", model.count(),
                missingRows(model), static_cast<long long>(best));
    return best;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int files = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    QTemporaryDir dir;
    const QString shortList = dir.filePath(QStringLiteral("short.m3u"));
    const QString longList = dir.filePath(QStringLiteral("long.m3u"));
    if (!dir.isValid() || !makeTree(dir.path(), files) || !writePlaylist(shortList, files, 1) ||
        !writePlaylist(longList, files, 10)) {
        std::fprintf(stderr, "cannot build the test tree\n");
        return 1;
    }
    SongListModel model;
    const qint64 shortTime = report(model, shortList);
    const qint64 longTime = report(model, longList);
    if (shortTime < 0 || longTime < 0) {
        std::fprintf(stderr, "cannot load the playlists\n");
        return 1;
    }
    return shortTime <= FloorMsecs ? 0 : 1;
}
