// Writes the benchmark collection: 20,000 music folders (artists / albums / CD1 CD2), ten
// empty media files of mixed extensions and letter case and a cover.jpg in each, some hidden
// folders, names with blanks and non-ASCII letters. The same tree every time.
//
//   make_tree TREE        TREE must not exist yet
#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int MusicFolders = 20000;

const char* const Words[] = {"Ärger", "Café", "Señor",  "Øresund", "Straße", "Élan",
                             "Blue",  "Rock", "Mañana", "Zürich",  "Night",  "Çava"};
const char* const Extensions[] = {"mp3", "MP3", "Mp3", "wav", "WAV", "mid",
                                  "MID", "it",  "xm",  "mod", "669", "S3m"};

unsigned state = 12345; // a fixed seed: the same tree on every machine
unsigned next() {
    state = state * 1103515245u + 12345u;
    return (state >> 16) & 0x7fff;
}
const char* word() {
    return Words[next() % (sizeof Words / sizeof *Words)];
}

int folders = 0;
int files = 0;

bool makeFolder(const std::string& path) {
    ++folders;
    if (::mkdir(path.c_str(), 0755) == 0)
        return true;
    std::perror(path.c_str());
    return false;
}

bool makeFile(const std::string& path) {
    ++files;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) {
        std::perror(path.c_str());
        return false;
    }
    return ::close(fd) == 0;
}

bool makeMusicFolder(const std::string& path, int number) {
    if (!makeFolder(path))
        return false;
    for (int track = 1; track <= 10; ++track) {
        char name[200];
        std::snprintf(name, sizeof name, "/%02d - %s Song %d.%s", track, word(), number,
                      Extensions[next() % (sizeof Extensions / sizeof *Extensions)]);
        if (!makeFile(path + name))
            return false;
    }
    return makeFile(path + "/cover.jpg");
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_tree TREE\n");
        return 2;
    }
    const std::string root = argv[1];
    if (!makeFolder(root))
        return 1;
    int music = 0;
    for (int artist = 1; music < MusicFolders; ++artist) {
        char name[200];
        std::snprintf(name, sizeof name, "/Artist %04d %s", artist, word());
        const std::string artistPath = root + name;
        if (!makeFolder(artistPath))
            return 1;
        if (artist % 50 == 0 && !makeMusicFolder(artistPath + "/.hidden covers", -artist))
            return 1;
        const int albums = 3 + int(next() % 6);
        for (int album = 1; album <= albums && music < MusicFolders; ++album) {
            std::snprintf(name, sizeof name, "/Album %02d %s (%d)", album, word(),
                          1960 + int(next() % 60));
            const std::string albumPath = artistPath + name;
            if (next() % 3 == 0 && music + 2 <= MusicFolders) {
                if (!makeFolder(albumPath) || !makeMusicFolder(albumPath + "/CD1", ++music) ||
                    !makeMusicFolder(albumPath + "/CD2", ++music))
                    return 1;
            } else if (!makeMusicFolder(albumPath, ++music)) {
                return 1;
            }
        }
    }
    std::printf("%d folders, %d files\n", folders, files);
    return 0;
}
