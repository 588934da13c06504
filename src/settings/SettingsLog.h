#pragma once

#include <QLoggingCategory>

// Why a settings store failed, for the record: shown with
// QT_LOGGING_RULES="platterbox.settings.info=true".
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
