#pragma once

#include <QLoggingCategory>

// Failures of the startup subsystem with their causes, off by default:
// QT_LOGGING_RULES="platterbox.startup.info=true".
Q_DECLARE_LOGGING_CATEGORY(startupLog)
