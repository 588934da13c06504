// Times executing 1,000 playlists of 100 songs each, made on Windows ("..\ALBUM0001\Song
// 001.MP3"), against a disk whose names are all in lower case, and the same selection with
// the exact names. The goal: the case-insensitive run within twice the exact one.
//
//   bench_caselookup [runs]   runs of each selection, alternating (default 5); the best
//                             time of each is reported.
#include "ScriptedDialogs.h"
#include "playlists/PlayingModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

constexpr int PlaylistCount = 1000;
constexpr int SongCount = 100;

QByteArray number(int value, int width) {
    return QByteArray::number(value).rightJustified(width, '0');
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// album0000..album0999 with "song 000.mp3".. in each, and in lists/ one playlist per album
// in exact names and one in other letter case.
bool buildDisk(const QString& root, QStringList& exact, QStringList& otherCase) {
    if (!QDir().mkpath(root + QStringLiteral("/lists")))
        return false;
    for (int album = 0; album < PlaylistCount; ++album) {
        const QByteArray name = "album" + number(album, 4);
        if (!QDir().mkpath(root + QLatin1Char('/') + QString::fromLatin1(name)))
            return false;
        QByteArray exactText;
        QByteArray caseText;
        for (int song = 0; song < SongCount; ++song) {
            const QByteArray songName = "song " + number(song, 3) + ".mp3";
            if (!writeFile(root + QLatin1Char('/') + QString::fromLatin1(name + '/' + songName),
                           QByteArray()))
                return false;
            exactText += "..\\" + name + '\\' + songName + "\r\n";
            caseText +=
                "..\\" + name.toUpper() + "\\S" + songName.mid(1, songName.size() - 4) + "MP3\r\n";
        }
        const QString lists = root + QStringLiteral("/lists/");
        exact << lists + QStringLiteral("exact%1.m3u").arg(album);
        otherCase << lists + QStringLiteral("case%1.m3u").arg(album);
        if (!writeFile(exact.last(), exactText) || !writeFile(otherCase.last(), caseText))
            return false;
    }
    return true;
}

qint64 timedExecution(PlayingModule& playing, const QStringList& selection) {
    QElapsedTimer timer;
    timer.start();
    playing.executePlaylists(selection, Preferences());
    return timer.elapsed();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir dir;
    QStringList exact;
    QStringList otherCase;
    if (!dir.isValid() || !buildDisk(dir.path(), exact, otherCase)) {
        std::fprintf(stderr, "cannot build the test disk\n");
        return 1;
    }
    ScriptedDialogs dialogs;
    QByteArray received;
    PlayingModule playing(
        dialogs,
        [&received](const QString&, const QString& file) {
            QFile list(file);
            received = list.open(QIODevice::ReadOnly) ? list.readAll() : QByteArray();
            return ShellResult::Launched;
        },
        dir.filePath(QStringLiteral("~PLATBX~.M3U")));

    qint64 bestExact = std::numeric_limits<qint64>::max();
    qint64 bestCase = bestExact;
    QByteArray exactReceived;
    for (int run = 0; run < runs; ++run) {
        bestExact = std::min(bestExact, timedExecution(playing, exact));
        exactReceived = received;
        bestCase = std::min(bestCase, timedExecution(playing, otherCase));
    }
    if (!dialogs.messages().isEmpty() || received != exactReceived ||
        received.count('\n') != PlaylistCount * SongCount) {
        std::fprintf(stderr, "the two selections did not give the same real paths\n");
        return 1;
    }
    std::printf("%d playlists x %d songs, best of %d runs\n", PlaylistCount, SongCount, runs);
    std::printf("exact names:       %lld ms\n", bestExact);
    std::printf("names in other case: %lld ms\n", bestCase);
    std::printf("ratio: %.2f (goal: at most 2)\n",
                double(bestCase) / double(std::max<qint64>(bestExact, 1)));
    return 0;
}
