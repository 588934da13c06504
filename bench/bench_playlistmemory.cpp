// Peak memory of reading one big playlist, as showing it and as playing it do, against the
// file's size (the goal is at most three times the size).
//
//   bench_playlistmemory show|play m3u|pls [megabytes]   default 70 MB; the file is made in
//                                                        the temporary folder and kept.
#include "ScriptedDialogs.h"
#include "playlists/PlayingModule.h"
#include "playlists/SongListModel.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

namespace {

QString makePlaylist(bool pls, qint64 megabytes) {
    const QString path = QDir::temp().filePath(QStringLiteral("platterbox-memory-%1.%2")
                                                   .arg(megabytes)
                                                   .arg(QLatin1String(pls ? "pls" : "m3u")));
    if (QFile::exists(path))
        return path;
    QFile file(path + QLatin1String(".part"));
    if (!file.open(QIODevice::WriteOnly))
        return {};
    QByteArray chunk = pls ? "[playlist]\r\n" : "";
    qint64 written = 0;
    for (qint64 i = 0; written + chunk.size() < megabytes << 20; ++i) {
        const QByteArray n = QByteArray::number(i);
        const QByteArray entry = "Artist " + QByteArray::number(i % 997) + "\\CD" +
                                 QByteArray::number(i % 3) + "\\" + n + ".mp3";
        if (pls)
            chunk += "File" + QByteArray::number(i + 1) + '=';
        chunk += entry + "\r\n";
        if (chunk.size() > (1 << 20)) {
            written += file.write(chunk);
            chunk.clear();
        }
    }
    if (pls)
        chunk += "NumberOfEntries=2147483647\r\nVersion=2\r\n";
    file.write(chunk);
    file.close();
    QFile::rename(file.fileName(), path);
    return path;
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool play = args.value(1) == QLatin1String("play");
    const bool pls = args.value(2) == QLatin1String("pls");
    const qint64 megabytes = args.size() > 3 ? args.at(3).toLongLong() : 70;
    const QString path = makePlaylist(pls, megabytes);
    const qint64 size = QFileInfo(path).size();
    const long before = peakKilobytes();
    qint64 count = 0;
    if (play) {
        QTemporaryDir dir;
        ScriptedDialogs dialogs;
        PlayingModule playing(
            dialogs, [](const QString&, const QString&) { return ShellResult::Launched; },
            dir.filePath(QStringLiteral("t.m3u")));
        playing.executePlaylists({path}, Preferences{});
        count = QFileInfo(dir.filePath(QStringLiteral("t.m3u"))).size();
    } else {
        SongListModel songs;
        if (songs.load(QFile::encodeName(path), QFile::encodeName(path)).isOk())
            count = songs.count();
    }
    const long peak = peakKilobytes();
    std::printf("%s %s: file %lld MB, %s %lld, peak %ld MB (%ld MB before), %.2f x the file\n",
                play ? "play" : "show", pls ? "PLS" : "M3U", static_cast<long long>(size >> 20),
                play ? "temporary playlist bytes" : "songs", static_cast<long long>(count),
                peak / 1024, before / 1024, double(peak - before) * 1024 / double(size));
    return count > 0 ? 0 : 1;
}
