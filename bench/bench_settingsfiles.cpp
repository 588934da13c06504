// Times the two settings files at a size far beyond everyday use, against a floor of 0.5 s for
// each load and each save:
//   - the instance INI file with 40,000 playlists, read and written;
//   - user.reg with 20,000 keys, read and written.
// Exits with 1 when one of them is slower than the floor.
#include "ScriptedDialogs.h"
#include "settings/InstanceIni.h"
#include "settings/RegistrySettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

constexpr int PlaylistCount = 40000;
constexpr int RegistryKeyCount = 20000;
constexpr qint64 FloorMsecs = 500;

bool timed(const char* what, const std::function<void()>& run) {
    QElapsedTimer timer;
    timer.start();
    run();
    const qint64 elapsed = timer.elapsed();
    std::printf("%-40s %6lld ms\n", what, static_cast<long long>(elapsed));
    return elapsed <= FloorMsecs;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// Keys of other programs around ours, each with a few values, as a long-used system has.
QByteArray largeRegistry() {
    QByteArray text = "Windows Registry Editor Version 5.00\r\n\r\n";
    for (int i = 0; i < RegistryKeyCount; ++i) {
        text += "[HKEY_CURRENT_USER\\Software\\Vendor" + QByteArray::number(i % 97) + "\\Program" +
                QByteArray::number(i) + "]\r\n";
        text += "\"Name\"=\"Program number " + QByteArray::number(i) + "\"\r\n";
        text += "\"Count\"=dword:" + QByteArray::number(i, 16).rightJustified(8, '0') + "\r\n";
        text += "\"Data\"=hex:01,02,03,04\r\n\r\n";
    }
    return text;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    bool fast = true;

    const QString ini = dir.filePath(QStringLiteral("Platterbox.Ini"));
    Settings saved;
    QList<QByteArray> savedPlaylists;
    setPerCopyDefaults(saved);
    for (int i = 0; i < PlaylistCount; ++i)
        savedPlaylists << QFile::encodeName(
            dir.filePath(QStringLiteral("Music/Folder %1/list.m3u").arg(i)));
    ScriptedDialogs dialogs;
    fast &= timed("INI save, 40,000 playlists (new file)",
                  [&] { writeInstanceIni(ini, saved, savedPlaylists, dialogs); });
    fast &= timed("INI save, 40,000 playlists (over it)",
                  [&] { writeInstanceIni(ini, saved, savedPlaylists, dialogs); });
    Settings loaded;
    QList<QByteArray> loadedPlaylists;
    fast &= timed("INI load, 40,000 playlists",
                  [&] { readInstanceIni(ini, loaded, loadedPlaylists, dialogs); });
    if (loadedPlaylists != savedPlaylists || !dialogs.records().isEmpty()) {
        std::printf("INI round trip lost playlists\n");
        return 2;
    }

    QDir().mkpath(dir.filePath(QStringLiteral("Platterbox")));
    writeFile(dir.filePath(QStringLiteral("Platterbox/user.reg")), largeRegistry());
    Settings settings;
    bool hints = true;
    fast &= timed("user.reg load, 20,000 keys", [&] { loadRegistrySettings(settings, hints); });
    settings.window.top = 123;
    settings.addPlaylists.file = QStringLiteral("/home/user/a.m3u");
    bool saveOk = false;
    fast &= timed("user.reg save, 20,000 keys",
                  [&] { saveOk = saveRegistrySettings(settings, hints).isOk(); });
    Settings reread;
    loadRegistrySettings(reread, hints);
    if (!saveOk || reread.window.top != 123) {
        std::printf("user.reg round trip lost values\n");
        return 2;
    }
    std::printf(fast ? "all within %lld ms\n" : "slower than %lld ms\n",
                static_cast<long long>(FloorMsecs));
    return fast ? 0 : 1;
}
