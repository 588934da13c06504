// Saves one settings or playlist file over and over, for a test that kills it at random
// moments. Each save switches the file between two contents through the program's own save
// code, and says "saved" after each one:
//   savestorm ini|reg|playlist <file> <first variant> <saves>
// Variant n of a save is (first variant + save number) % 2; 0 saves means forever.
#include "playlists/PlaylistFile.h"
#include "settings/IniFile.h"
#include "settings/RegistryFile.h"

#include <QString>

#include <cstdio>

namespace {

// Big enough that a save takes a while, so kills land inside one.
QString bulk(int variant) {
    return QString(200000, variant == 0 ? u'a' : u'b');
}

bool save(const QString& kind, const QString& path, int variant) {
    if (kind == QLatin1String("ini")) {
        IniFile ini(path);
        ini.deferWrites();
        for (int i = 0; i < 40; ++i)
            (void)ini.writeString(QStringLiteral("PlayLists"), QStringLiteral("File%1").arg(i),
                                  bulk(variant).left(1000 + i) + QString::number(variant));
        return ini.commit().isOk();
    }
    if (kind == QLatin1String("reg")) {
        RegistryFile reg(path);
        return reg
            .setValue(QStringLiteral("HKEY_CURRENT_USER\\Software\\Varnholt\\Platterbox"),
                      QStringLiteral("Big"), RegistryValue::fromString(bulk(variant)))
            .isOk();
    }
    EntryList entries;
    for (int i = 0; i < 2000; ++i)
        entries << (bulk(variant).left(100) + QString::number(i)).toUtf8();
    return writePlaylist(path, entries).isOk();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5)
        return 64;
    const QString kind = QString::fromLocal8Bit(argv[1]);
    const QString path = QString::fromLocal8Bit(argv[2]);
    const int first = QByteArray(argv[3]).toInt();
    const int saves = QByteArray(argv[4]).toInt();
    for (int n = 0; saves == 0 || n < saves; ++n) {
        if (!save(kind, path, (first + n) % 2)) {
            std::fprintf(stderr, "save failed\n");
            return 1;
        }
        // The test kills only once saving is under way.
        std::printf("saved\n");
        std::fflush(stdout);
    }
    return 0;
}
