#pragma once

#include "SharedVariables.h"
#include "common/Status.h"

// The user's general settings under HKEY_CURRENT_USER\Software\Varnholt\Platterbox.
inline const QString GeneralSettingsKey = QStringLiteral("Software\\Varnholt\\Platterbox");

// Loads (write false) or saves the 21 general values in their fixed order. showHints is the
// application-wide hint switch: a load sets it, a save stores it. Loading never fails; a save
// stops at the first refused write and returns "Failed to set data for '<name>'".
Status ReadWriteRegistry(bool write, TSharedVariables& vars, bool& showHints);
void LoadRegistrySettings(TSharedVariables& vars, bool& showHints);
Status SaveRegistrySettings(TSharedVariables& vars, bool& showHints);
