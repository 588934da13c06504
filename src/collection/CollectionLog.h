#pragma once

#include <QLoggingCategory>

// Why a collection command failed (file, step, the system's reason); the user sees only the
// command's message. Off by default: QT_LOGGING_RULES="platterbox.collection.debug=true".
Q_DECLARE_LOGGING_CATEGORY(collectionLog)
