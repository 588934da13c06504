#include "SettingsLog.h"

// Only warnings pass by default, and the store failures are logged as info: off unless enabled.
Q_LOGGING_CATEGORY(lcSettings, "platterbox.settings", QtWarningMsg)
