#pragma once

#include <QStringList>

// The shared objects the loader has mapped into this process.
namespace LoadedLibraries {
// Their files as the loader opened them (the name it looked for is the file name), in load
// order; the program itself and the kernel's virtual object are left out.
QStringList files();
} // namespace LoadedLibraries
