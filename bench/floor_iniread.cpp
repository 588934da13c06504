// The floor of a start's INI file: its lines read and each value kept, with nothing but the
// C library and std::string; no index, no look at the disk.
//
//   floor_iniread INI     prints the number of values
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: floor_iniread INI\n");
        return 2;
    }
    FILE* file = std::fopen(argv[1], "rb");
    if (!file)
        return 1;
    std::vector<std::string> values;
    char* line = nullptr;
    size_t capacity = 0;
    ssize_t length = 0;
    while ((length = getline(&line, &capacity, file)) > 0) {
        std::string text(line, size_t(length));
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        if (const size_t equals = text.find('='); equals != std::string::npos)
            values.push_back(text.substr(equals + 1));
    }
    std::free(line);
    std::fclose(file);
    std::printf("%zu\n", values.size());
    return 0;
}
