// The floor of Execute: the least the job needs, with nothing but the C library and
// std::string. The playlists the INI file lists ("File<n>=<absolute path>") are read one by
// one, each song line is made absolute against its playlist's folder and looked at with one
// stat, and the paths are written as one M3U.
//
//   floor_execute INI OUT     prints the number of songs written
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::vector<std::string> listedPlaylists(const char* ini) {
    std::vector<std::string> paths;
    FILE* file = std::fopen(ini, "rb");
    if (!file)
        return paths;
    char* line = nullptr;
    size_t capacity = 0;
    ssize_t length = 0;
    while ((length = getline(&line, &capacity, file)) > 0) {
        std::string text(line, size_t(length));
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        if (text.compare(0, 4, "File") == 0)
            if (const size_t equals = text.find('='); equals != std::string::npos)
                paths.push_back(text.substr(equals + 1));
    }
    std::free(line);
    std::fclose(file);
    return paths;
}

bool readFile(const std::string& path, std::string& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buffer[65536];
    ssize_t got = 0;
    bytes.clear();
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, size_t(got));
    ::close(fd);
    return got == 0;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: floor_execute INI OUT\n");
        return 2;
    }
    std::string out;
    std::string bytes;
    std::string song;
    long songs = 0;
    for (const std::string& playlist : listedPlaylists(argv[1])) {
        if (!readFile(playlist, bytes))
            return 1;
        const std::string folder = playlist.substr(0, playlist.rfind('/') + 1);
        for (size_t at = 0; at < bytes.size();) {
            size_t end = bytes.find_first_of("\r\n", at);
            if (end == std::string::npos)
                end = bytes.size();
            if (end > at && bytes[at] != '#') {
                song.assign(bytes, at, end - at);
                if (song[0] != '/')
                    song.insert(0, folder);
                struct stat status;
                if (::stat(song.c_str(), &status) == 0)
                    ++songs;
                out += song;
                out += "\r\n";
            }
            at = end + 1;
        }
    }
    const int fd = ::open(argv[2], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0 || ::write(fd, out.data(), out.size()) != ssize_t(out.size()) || ::close(fd) != 0)
        return 1;
    std::printf("%ld\n", songs);
    return 0;
}
