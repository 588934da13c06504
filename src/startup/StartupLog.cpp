#include "StartupLog.h"

// Warnings are the most the program logs: at Critical the category stays silent until enabled.
Q_LOGGING_CATEGORY(lcStartup, "platterbox.startup", QtCriticalMsg)
