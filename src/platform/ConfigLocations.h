#pragma once

#include <QString>

// Where the program keeps per-user files on Linux.
namespace ConfigLocations {
// $XDG_CONFIG_HOME/Platterbox (~/.config/Platterbox when unset).
QString configFolder();
// The files standing for the registry roots HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE.
QString userRegistryFile();
QString systemRegistryFile();
// The instance INI file of a copy installed where the user cannot write.
QString perUserIniFile();
} // namespace ConfigLocations
