#pragma once

#include "Settings.h"
#include "base/Status.h"

// The user's general settings under HKEY_CURRENT_USER\Software\Varnholt\Platterbox.
inline const QString GeneralSettingsKey = QStringLiteral("Software\\Varnholt\\Platterbox");

// Loads (write false) or saves the 21 general values in their fixed order. showHints is the
// application-wide hint switch: a load sets it, a save stores it. Loading never fails; a save
// stops at the first refused write and returns "Failed to set data for '<name>'".
Status readWriteRegistry(bool write, Settings& settings, bool& showHints);
void loadRegistrySettings(Settings& settings, bool& showHints);
Status saveRegistrySettings(Settings& settings, bool& showHints);
