// The floor for creating playlists: the same job written plainly, with nothing but the C
// library. One readdir listing per folder (hidden folders skipped), the 18 media extensions
// ignoring case, names sorted, each playlist "_A - B.M3U" written to a temporary file and
// renamed over its name, and one syncfs at the end.
//
//   floor_create TREE     prints the milliseconds and the number of playlists
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

namespace {

const char* const Extensions[] = {".MID", ".MP3", ".MP2", ".MP1", ".VOC", ".WAV",
                                  ".CDA", ".IT",  ".XM",  ".S3M", ".STM", ".MOD",
                                  ".DSM", ".FAR", ".ULT", ".MTM", ".669", ".AS"};

bool isMedia(const char* name) {
    const size_t length = std::strlen(name);
    for (const char* extension : Extensions) {
        const size_t n = std::strlen(extension);
        if (length >= n && strcasecmp(name + length - n, extension) == 0)
            return true;
    }
    return false;
}

int playlists = 0;

bool writePlaylist(const std::string& path, const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += name + "\r\n";
    const std::string temporary = path + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
    return ::close(fd) == 0 && written && ::rename(temporary.c_str(), path.c_str()) == 0;
}

bool walk(const std::string& folder, const std::string& below) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return true;
    std::vector<std::string> files;
    std::vector<std::string> folders;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (entry->d_type == DT_DIR) {
            if (name[0] != '.' && name[std::strlen(name) - 1] != '.')
                folders.emplace_back(name);
        } else if (isMedia(name)) {
            files.emplace_back(name);
        }
    }
    ::closedir(dir);
    if (!files.empty()) {
        std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
            return strcasecmp(a.c_str(), b.c_str()) < 0;
        });
        if (!writePlaylist(folder + "/_" + (below.empty() ? "PlayList" : below) + ".M3U", files))
            return false;
        ++playlists;
    }
    for (const std::string& name : folders)
        if (!walk(folder + "/" + name, below.empty() ? name : below + " - " + name))
            return false;
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: floor_create TREE\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    bool ok = walk(argv[1], "");
    const int fd = ::open(argv[1], O_RDONLY);
    ok = ok && fd >= 0 && ::syncfs(fd) == 0;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    std::printf("%lld ms, %d playlists\n", static_cast<long long>(ms.count()), playlists);
    return ok ? 0 : 1;
}
