#include "shell/StartupSequence.h"

int main(int argc, char* argv[]) {
    return runPlatterbox(argc, argv);
}
