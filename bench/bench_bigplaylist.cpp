// Starts the real main window with a big extended M3U (an #EXTINF line before each entry,
// backslash paths) as the focused playlist, and reports the time until the window is shown
// with its songs and the event loop is idle, and the process's peak memory.
//
//   bench_bigplaylist [entries] [m3u|xspf] [read]   default 1,000,000 and m3u; the file is made
//   once
//                                 in the temporary folder and kept for later runs. The XSPF
//                                 names the same songs as file URIs, with a title each, as
//                                 VLC writes it.
//                                 With "read" (or "sort"), only the program's reading of the
//                                 file (or the order Sort Songs gives it) is timed, for
//                                 profiling, with no window.
// Run it offscreen (QT_QPA_PLATFORM=offscreen) or on an X server.
#include "ScriptedDialogs.h"
#include "platform/DesktopLauncher.h"
#include "playlists/ListSorting.h"
#include "playlists/PlayingModule.h"
#include "playlists/PlaylistFile.h"
#include "shell/MainWindow.h"
#include "settings/Settings.h"
#include "settings/gui/HintSwitch.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QTemporaryDir>
#include <QTimer>
#include <QXmlStreamReader>

#include <sys/resource.h>

#include <cstdio>

namespace {

QByteArray songOf(int i) {
    return "Music/Artist " + QByteArray::number(i % 997) + "/Album " + QByteArray::number(i % 31) +
           "/" + QByteArray::number(i) + " Title.mp3";
}

QString makeXspf(int entries) {
    const QString path =
        QDir::temp().filePath(QStringLiteral("platterbox-bench-%1.xspf").arg(entries));
    if (QFile::exists(path))
        return path;
    QFile file(path + QLatin1String(".part"));
    if (!file.open(QIODevice::WriteOnly))
        return {};
    const QByteArray folder = QDir::temp().absolutePath().toUtf8() + '/';
    QByteArray chunk = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist "
                       "xmlns=\"http://xspf.org/ns/0/\" version=\"1\">\n\t<trackList>\n";
    for (int i = 0; i < entries; ++i) {
        chunk += "\t\t<track>\n\t\t\t<location>file://" +
                 QByteArray(folder + songOf(i)).toPercentEncoding("/") +
                 "</location>\n\t\t\t<title>Title " + QByteArray::number(i) +
                 "</title>\n\t\t\t<duration>" + QByteArray::number((180 + i % 240) * 1000) +
                 "</duration>\n\t\t</track>\n";
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk + "\t</trackList>\n</playlist>\n");
    file.close();
    QFile::rename(file.fileName(), path);
    return path;
}

QString makePlaylist(int entries) {
    const QString path =
        QDir::temp().filePath(QStringLiteral("platterbox-bench-%1.m3u").arg(entries));
    if (QFile::exists(path))
        return path;
    QFile file(path + QLatin1String(".part"));
    if (!file.open(QIODevice::WriteOnly))
        return {};
    QByteArray chunk = "#EXTM3U\r\n";
    for (int i = 0; i < entries; ++i) {
        const QByteArray n = QByteArray::number(i);
        chunk += "#EXTINF:" + QByteArray::number(180 + i % 240) + ",Artist " +
                 QByteArray::number(i % 997) + " - Title " + n + "\r\n";
        chunk += "..\\Music\\Artist " + QByteArray::number(i % 997) + "\\Album " +
                 QByteArray::number(i % 31) + "\\" + n + " Title.mp3\r\n";
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk);
    file.close();
    QFile::rename(file.fileName(), path);
    return path;
}

// The floor of reading an XML playlist: QXmlStreamReader alone going through the file.
qint64 xmlReaderAloneMs(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    QElapsedTimer clock;
    clock.start();
    QXmlStreamReader reader(&file);
    while (!reader.atEnd())
        reader.readNext();
    return clock.elapsed();
}

// The program's own reading of the file, songs and all, without a window.
int readAlone(const QString& path) {
    QElapsedTimer clock;
    clock.start();
    const Result<IndexedPlaylist> loaded = loadIndexedPlaylist(QFile::encodeName(path));
    if (loaded.failed())
        return 1;
    const IndexedPlaylist& playlist = loaded.value();
    std::printf("read %lld songs in %lld ms\n", static_cast<long long>(playlist.entries.size()),
                static_cast<long long>(clock.elapsed()));
    return 0;
}

// The order Sort Songs gives the file's songs, without a window.
int sortAlone(const QString& path) {
    const Result<IndexedPlaylist> loaded = loadIndexedPlaylist(QFile::encodeName(path));
    if (loaded.failed())
        return 1;
    const IndexedPlaylist& playlist = loaded.value();
    QElapsedTimer clock;
    clock.start();
    const auto order = localeSortedOrder(
        playlist.entries.size(),
        [&](qsizetype row, QString& buffer) {
            buffer = decodeEntry(playlist.entries.at(row));
            return QStringView(buffer);
        },
        sortCollator());
    std::printf("sorted %lld songs in %lld ms\n", static_cast<long long>(order->size()),
                static_cast<long long>(clock.elapsed()));
    return 0;
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int entries = argc > 1 ? QByteArray(argv[1]).toInt() : 1000000;
    const bool xspf = argc > 2 && QByteArray(argv[2]) == "xspf";
    const QString playlist = xspf ? makeXspf(entries) : makePlaylist(entries);
    if (playlist.isEmpty()) {
        std::fprintf(stderr, "cannot write the playlist\n");
        return 1;
    }
    if (argc > 3 && QByteArray(argv[3]) == "read")
        return readAlone(playlist);
    if (argc > 3 && QByteArray(argv[3]) == "sort")
        return sortAlone(playlist);
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
    QFile ini(dir.filePath(QStringLiteral("Platterbox.Ini")));
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write("[General]\r\ncbAutoExecute_Checked=0\r\n[PlayLists]\r\nTotal=1\r\nFile0=" +
              playlist.toUtf8() + "\r\n");
    ini.close();
    const long peakBefore = peakKilobytes();

    Settings settings;
    ScriptedDialogs dialogs;
    HintSwitch hints;
    PlayingModule playing(dialogs, Shell::openWithVerb, dir.filePath(QStringLiteral("t.m3u")));

    QElapsedTimer clock;
    clock.start();
    MainWindow window(ProgramContext{
        settings, dialogs, hints, playing, dir.filePath(QStringLiteral("Platterbox")), {}});
    window.show();
    // Shown: the window was painted with songs and the loop waits for the next event. A long
    // XML playlist is still being read then; "all read" is when its last song is in the list.
    auto* songs = window.findChild<QListView*>(QStringLiteral("songView"));
    qint64 shownMs = -1;
    qint64 allReadMs = -1;
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &app, [&] {
        if (shownMs < 0 && window.isVisible() && !window.visibleRegion().isEmpty())
            shownMs = clock.elapsed();
        if (shownMs >= 0 && allReadMs < 0 && songs->model()->rowCount() == entries) {
            allReadMs = clock.elapsed();
            QTimer::singleShot(0, &app, &QApplication::quit);
        }
    });
    QTimer::singleShot(60000, &app, &QApplication::quit);
    QApplication::exec();

    const int shownSongs = songs->model()->rowCount();
    std::printf("entries: %d  songs shown: %d  file: %lld bytes\n", entries, shownSongs,
                static_cast<long long>(QFileInfo(playlist).size()));
    std::printf("shown and idle after: %lld ms, all songs read after: %lld ms\n",
                static_cast<long long>(shownMs), static_cast<long long>(allReadMs));
    std::printf("peak memory: %ld MB (before the window: %ld MB)\n", peakKilobytes() / 1024,
                peakBefore / 1024);
    if (xspf)
        std::printf("QXmlStreamReader alone: %lld ms\n",
                    static_cast<long long>(xmlReaderAloneMs(playlist)));
    return shownSongs == entries ? 0 : 2;
}
