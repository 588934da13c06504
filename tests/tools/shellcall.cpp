// Runs one shell call in a process of its own (GIO reads the XDG folders once per process)
// and prints its result.
#include "platform/DesktopLauncher.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: shellcall VERB FILE\n");
        return 64;
    }
    const int result =
        int(Shell::openWithVerb(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2])));
    std::printf("%d\n", result);
    return 0;
}
