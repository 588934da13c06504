#pragma once

#include <QLoggingCategory>

// Failures of the platform subsystem with their causes, off by default:
// QT_LOGGING_RULES="platterbox.platform.info=true".
Q_DECLARE_LOGGING_CATEGORY(platformLog)
