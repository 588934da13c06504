#include "StartupLog.h"

Q_LOGGING_CATEGORY(startupLog, "platterbox.startup", QtWarningMsg)
