#include "PlatformLog.h"

Q_LOGGING_CATEGORY(platformLog, "platterbox.platform", QtWarningMsg)
