#pragma once

// The program's start-up sequence, from the command line to the end of the message loop.
// Returns the process exit code.
int runPlatterbox(int argc, char* argv[]);
